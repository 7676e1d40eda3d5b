// The facade end to end: sign-in, friends and birthdays against the emulator over HTTPS.

#include "corvana.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"
#include "emulatorprocess.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace Cv;

class TestCorvanaEmulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_emulator.start({QStringLiteral("--seed"), QStringLiteral("3")}, true));
        QVERIFY(CvEndpoints::setGraphBaseUrl(QUrl(m_emulator.graph)));
        QVERIFY(CvEndpoints::setRestBaseUrl(QUrl(m_emulator.rest)));
        CvEndpoints::setCaCertificates(
            QSslCertificate::fromPath(QStringLiteral(CV_EMULATOR_CA), QSsl::Pem));
        QVERIFY(m_dir.isValid());
    }
    void cleanupTestCase() { CvEndpoints::reset(); }

    void signInFriendsAndBirthdays()
    {
        const QString database = m_dir.filePath(QStringLiteral("cache.db"));
        QString profileId;
        int friendCount = 0;
        {
            CvCacheConfiguration cacheConfiguration;
            cacheConfiguration.setDatabaseName(database);
            cacheConfiguration.setPath(m_dir.filePath(QStringLiteral("files")));
            CvCache cache(cacheConfiguration);
            CorvanaConfiguration configuration(m_emulator.token, CorvanaConfiguration::AccessToken);
            configuration.setCache(&cache);
            Corvana corvana(configuration);
            QSignalSpy errors(&corvana, &Corvana::error);

            QSignalSpy initialized(&corvana, qOverload<const QDateTime &>(&Corvana::initialized));
            QSignalSpy picture(&corvana, &Corvana::profilePictureUpdated);
            corvana.init();
            QVERIFY(initialized.wait(20000));
            profileId = corvana.currentProfileId();
            QVERIFY(!profileId.isEmpty());
            // The service's clock, taken from the reply's Date header.
            QVERIFY(qAbs(initialized.first().first().toDateTime().secsTo(
                        QDateTime::currentDateTimeUtc()))
                    < 300);
            QVERIFY(picture.wait(20000));
            QVERIFY(QFileInfo::exists(picture.first().at(2).toString()));

            QSignalSpy synchronized(&corvana, &Corvana::friendsSynchronized);
            QCOMPARE(corvana.synchronizeFriends(), Corvana::Success);
            QVERIFY(synchronized.wait(20000));
            friendCount = synchronized.first().at(0).value<CvUserRefs>().size();
            QVERIFY(friendCount > 0);
            QVERIFY(synchronized.first().at(1).value<CvUserRefs>().isEmpty());

            // A second synchronization finds nothing new and nothing gone.
            QCOMPARE(corvana.synchronizeFriends(), Corvana::Success);
            QVERIFY(synchronized.wait(20000));
            QVERIFY(synchronized.at(1).at(0).value<CvUserRefs>().isEmpty());
            QVERIFY(synchronized.at(1).at(1).value<CvUserRefs>().isEmpty());

            QSignalSpy birthdays(&corvana, &Corvana::birthdaysOfFriendsUpdated);
            QCOMPARE(corvana.retrieveBirthdaysOfFriends(nullptr), Corvana::Success);
            QVERIFY(birthdays.wait(20000));
            const CvUsers upcoming = birthdays.first().first().value<CvUsers>();
            QVERIFY(!upcoming.isEmpty());
            for (const CvUser &user : upcoming)
                QVERIFY(!user.birthday().isEmpty());

            // The cache answers at once, in the same order, without asking the service.
            CvUsers cached;
            QCOMPARE(corvana.retrieveBirthdaysOfFriends(&cached, Corvana::CacheOnly),
                     Corvana::Success);
            QCOMPARE(cached.size(), upcoming.size());
            for (int i = 0; i < cached.size(); ++i)
                QCOMPARE(cached.at(i).birthday().left(5), upcoming.at(i).birthday().left(5));
            QCOMPARE(errors.size(), 0);
        }

        // Afterwards the cache file holds the profile and every friendship.
        {
            QSqlDatabase db
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("inspect"));
            db.setDatabaseName(database);
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM friendships WHERE user = '%1'")
                                   .arg(profileId)));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), friendCount);
            QVERIFY(query.exec(
                QStringLiteral("SELECT COUNT(*) FROM users WHERE id = '%1'").arg(profileId)));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toInt(), 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("inspect"));
    }

    void invalidTokenIsReported()
    {
        CvCacheConfiguration cacheConfiguration;
        cacheConfiguration.setDatabaseName(m_dir.filePath(QStringLiteral("other.db")));
        cacheConfiguration.setPath(m_dir.filePath(QStringLiteral("other")));
        CvCache cache(cacheConfiguration);
        CorvanaConfiguration configuration(QStringLiteral("not-a-token"),
                                           CorvanaConfiguration::AccessToken);
        configuration.setCache(&cache);
        Corvana corvana(configuration);
        QSignalSpy errors(&corvana, &Corvana::error);
        QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
        corvana.init();
        QVERIFY(errors.wait(20000));
        QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::InvalidAccessToken);
        QCOMPARE(initialized.size(), 0);
        QVERIFY(!corvana.isInitialized());
    }

private:
    EmulatorProcess m_emulator;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCorvanaEmulator)
#include "tst_corvana_emulator.moc"
