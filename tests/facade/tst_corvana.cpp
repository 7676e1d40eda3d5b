#include "corvana.h"
#include "cvcache.h"
#include "cvgraph.h"
#include "facadefixture.h"
#include "itemids.h"

#include <QtTest>

using namespace Cv;

namespace {

CvUser user(const QString &id, const QString &name, const QString &birthday = QString())
{
    CvUser u(id, name);
    u.setBirthday(birthday);
    return u;
}

QStringList ids(const CvUserRefs &refs)
{
    QStringList out;
    for (const CvUserRef &ref : refs)
        out.append(ref.id);
    return out;
}

} // namespace

class tst_Corvana : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void onlineInitialization();
    void offlineInitialization_data();
    void offlineInitialization();
    void ownedAndBorrowedCache();
    void friendSynchronization_data();
    void friendSynchronization();
    void birthdaysInUpcomingOrder();
    void birthdayConditionAcrossNewYear();
    void friendChecks_data();
    void friendChecks();
    void profileDetailsBatch();
    void storedDataAnsweredWithoutNetwork();
    void cacheFailureStillDeliversResult();

private:
    std::unique_ptr<FacadeFixture> m_fixture;
};

void tst_Corvana::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
}

void tst_Corvana::cleanup()
{
    m_fixture.reset();
}

void tst_Corvana::onlineInitialization()
{
    CorvanaConfiguration configuration(QStringLiteral("token-1234"),
                                       CorvanaConfiguration::AccessToken);
    configuration.setCache(&m_fixture->cache());
    Corvana corvana(configuration);
    QCOMPARE(corvana.retrieveFriends(nullptr), Corvana::NotInitialized);
    QVERIFY(!corvana.graph());

    QSignalSpy stamped(&corvana, qOverload<const QDateTime &>(&Corvana::initialized));
    QSignalSpy plain(&corvana, qOverload<>(&Corvana::initialized));
    QSignalSpy profile(&corvana, &Corvana::profileUpdated);
    QSignalSpy picture(&corvana, &Corvana::profilePictureUpdated);
    corvana.init();
    QVERIFY(profile.wait(20000));

    // The profile request: "me" with the profile field set, token first.
    const TestService::Request first = m_fixture->service().requests().first();
    QCOMPARE(first.path, QStringLiteral("/me"));
    QCOMPARE(first.queryKeys().first(), QStringLiteral("access_token"));
    QCOMPARE(first.queryValue(QStringLiteral("fields")).split(QLatin1Char(',')).size(), 24);

    QCOMPARE(stamped.size(), 1);
    QCOMPARE(plain.size(), 1);
    QCOMPARE(stamped.first().first().toDateTime(),
             QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC));
    QCOMPARE(profile.first().first().toString(), QStringLiteral("me"));
    QVERIFY(corvana.isInitialized());
    QCOMPARE(corvana.cache(), &m_fixture->cache());

    CvUser stored;
    QVERIFY(m_fixture->cache().getUser(QStringLiteral("100"), &stored, CvCache::ById));
    QCOMPARE(stored.firstName(), QStringLiteral("Ann"));
    QString remembered;
    QVERIFY(m_fixture->cache().getUserData(QStringLiteral("ann"), &remembered));
    QCOMPARE(remembered, QStringLiteral("100"));

    // Without a picture URL in the profile the square picture is fetched into the file store.
    QVERIFY(picture.wait(20000));
    QCOMPARE(picture.first().at(0).toString(), QStringLiteral("100"));
    QCOMPARE(picture.first().at(1).value<PictureType>(), PictureSquare);
    QFile file(picture.first().at(2).toString());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), FacadeFixture::profilePicture());

    // A second init() does nothing; graph() hands out one object the facade does not use.
    const int sent = m_fixture->service().requestCount();
    corvana.init();
    QTest::qWait(50);
    QCOMPARE(m_fixture->service().requestCount(), sent);
    QCOMPARE(plain.size(), 1);
    QVERIFY(corvana.graph());
    QCOMPARE(corvana.graph(), corvana.graph());
}

void tst_Corvana::offlineInitialization_data()
{
    QTest::addColumn<QString>("identity");
    QTest::addColumn<int>("initializedSignals");
    QTest::addColumn<QString>("profileId");

    QTest::newRow("known user name") << QStringLiteral("ann") << 1 << QStringLiteral("100");
    QTest::newRow("unknown user name") << QStringLiteral("bob") << 1 << QString();
    QTest::newRow("known e-mail") << QStringLiteral("ann@example.com") << 1
                                  << QStringLiteral("100");
    QTest::newRow("unknown e-mail") << QStringLiteral("bob@example.com") << 0 << QString();
}

void tst_Corvana::offlineInitialization()
{
    QFETCH(QString, identity);
    QFETCH(int, initializedSignals);
    QFETCH(QString, profileId);

    QVERIFY(m_fixture->cache().init());
    CvUser ann = user(QStringLiteral("100"), QStringLiteral("Ann"));
    ann.setEmail(QStringLiteral("ann@example.com"));
    QVERIFY(m_fixture->cache().updateUser(ann) != CvCache::UpdateFailed);
    QVERIFY(m_fixture->cache().updateUserData(QStringLiteral("ann"), QStringLiteral("100")));

    CorvanaConfiguration configuration(identity, CorvanaConfiguration::UserName);
    configuration.setCache(&m_fixture->cache());
    Corvana corvana(configuration);
    QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
    corvana.init();
    QCOMPARE(initialized.size(), initializedSignals);
    QCOMPARE(corvana.currentProfileId(), profileId);
    QCOMPARE(corvana.isInitialized(), !profileId.isEmpty());
    QCOMPARE(m_fixture->service().requestCount(), 0);
    if (corvana.isInitialized()) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("access token")));
        QVERIFY(!corvana.graph());
    }
}

void tst_Corvana::ownedAndBorrowedCache()
{
    QPointer<CvCache> borrowed(&m_fixture->cache());
    QPointer<CvCache> owned;
    {
        CorvanaConfiguration configuration(QStringLiteral("token-1234"),
                                           CorvanaConfiguration::AccessToken);
        configuration.setCache(&m_fixture->cache());
        Corvana corvana(configuration);
        QVERIFY(m_fixture->completeSignIn(corvana));
    }
    QVERIFY(borrowed);

    {
        // A facade without a cache of its own opens the default one in the working directory.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(QFileInfo(m_fixture->databasePath()).path());
        CorvanaConfiguration configuration(QStringLiteral("ann"), CorvanaConfiguration::UserName);
        Corvana corvana(configuration);
        corvana.init();
        owned = corvana.cache();
        QDir::setCurrent(previous);
        QVERIFY(!owned); // not initialized: no profile id stored under "ann"
    }
}

void tst_Corvana::friendSynchronization_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");
    // Stored before: X and Y.
    QTest::newRow("X,Y then Y,Z") << QByteArray(R"({"data":[{"id":"Y","name":"Yan"},)"
                                                R"({"id":"Z","name":"Zed"}]})")
                                  << QStringList {QStringLiteral("Z")}
                                  << QStringList {QStringLiteral("X")};
    QTest::newRow("empty list") << QByteArray(R"({"data":[]})") << QStringList()
                                << QStringList {QStringLiteral("X"), QStringLiteral("Y")};
}

void tst_Corvana::friendSynchronization()
{
    QFETCH(QByteArray, served);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QVERIFY(m_fixture->cache().addFriends(QStringLiteral("100"),
                                          {CvUserRef(QStringLiteral("X"), QStringLiteral("Xena")),
                                           CvUserRef(QStringLiteral("Y"), QStringLiteral("Yan"))}));
    m_fixture->setPath(QStringLiteral("/100/friends"), served);

    QSignalSpy synchronized(corvana.get(), &Corvana::friendsSynchronized);
    QCOMPARE(corvana->synchronizeFriends(), Corvana::Success);
    QVERIFY(synchronized.wait(20000));
    QCOMPARE(synchronized.size(), 1);
    QCOMPARE(m_fixture->service()
                 .lastRequest()
                 .queryValue(QStringLiteral("fields"))
                 .split(QLatin1Char(','))
                 .size(),
             2);
    QStringList reportedRemoved = ids(synchronized.first().at(1).value<CvUserRefs>());
    reportedRemoved.sort();
    QCOMPARE(ids(synchronized.first().at(0).value<CvUserRefs>()), added);
    QCOMPARE(reportedRemoved, removed);

    // What is cached afterwards is exactly the service's list.
    CvUserRefs cached;
    QVERIFY(m_fixture->cache().getFriendRefs(QStringLiteral("100"), &cached, CvDataFilter()));
    QStringList cachedIds = ids(cached);
    cachedIds.sort();
    QStringList expected = {QStringLiteral("X"), QStringLiteral("Y")};
    expected += added;
    for (const QString &id : std::as_const(removed))
        expected.removeAll(id);
    expected.sort();
    QCOMPARE(cachedIds, expected);
}

void tst_Corvana::birthdaysInUpcomingOrder()
{
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    const QDate today = QDate::currentDate();
    const auto day = [&](int offset, const QString &year) -> QString {
        return today.addDays(offset).toString(QStringLiteral("MM/dd")) + year;
    };
    const CvUsers friends
        = {user(QStringLiteral("yesterday"), QStringLiteral("A"), day(-1, {})),
           user(QStringLiteral("none"), QStringLiteral("B")),
           user(QStringLiteral("later"), QStringLiteral("C"), day(40, QStringLiteral("/1990"))),
           user(QStringLiteral("today"), QStringLiteral("D"), day(0, QStringLiteral("/1980"))),
           user(QStringLiteral("tomorrow"), QStringLiteral("E"), day(1, {}))};
    QVERIFY(m_fixture->cache().updateUsers(friends));
    QVERIFY(m_fixture->cache().addFriends(QStringLiteral("100"), CvUser::convert(friends)));

    CvUsers sorted;
    QCOMPARE(corvana->retrieveBirthdaysOfFriends(&sorted, Corvana::CacheOnly), Corvana::Success);
    QCOMPARE(idsOf(sorted),
             (QStringList {QStringLiteral("today"), QStringLiteral("tomorrow"),
                           QStringLiteral("later"), QStringLiteral("yesterday")}));

    // The service's answer is stored and comes back in the same order.
    m_fixture->setPath(QStringLiteral("/100/friends"),
                       QStringLiteral(R"({"data":[{"id":"p","name":"P","birthday":"%1"},
                                    {"id":"q","name":"Q","birthday":"%2"}]})")
                           .arg(day(-2, {}), day(2, QStringLiteral("/2001")))
                           .toUtf8());
    QSignalSpy updated(corvana.get(), &Corvana::birthdaysOfFriendsUpdated);
    QCOMPARE(corvana->retrieveBirthdaysOfFriends(nullptr), Corvana::Success);
    QVERIFY(updated.wait(20000));
    QCOMPARE(idsOf(updated.first().first().value<CvUsers>()),
             (QStringList {QStringLiteral("q"), QStringLiteral("p")}));
    QVERIFY(m_fixture->cache().isFriend(QStringLiteral("100"), QStringLiteral("p")));
}

void tst_Corvana::birthdayConditionAcrossNewYear()
{
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    CvDataFilter filter(QStringLiteral("me"));
    filter.since = QDateTime(QDate(2026, 11, 20), QTime(0, 0), Qt::UTC);
    filter.until = QDateTime(QDate(2027, 2, 10), QTime(0, 0), Qt::UTC);
    const int before = m_fixture->service().requestCount();
    QCOMPARE(corvana->retrieveBirthdaysOfFriends(nullptr, filter), Corvana::Success);
    QVERIFY(m_fixture->service().waitForRequests(before + 1));

    const TestService::Request request = m_fixture->service().lastRequest();
    QCOMPARE(request.path, QStringLiteral("/method/cvql.query"));
    QCOMPARE(request.queryValue(QStringLiteral("query")),
             QStringLiteral("SELECT uid, name, birthday_date FROM user WHERE uid IN (SELECT uid2 "
                            "FROM friend WHERE uid1 = me()) AND (strpos(birthday_date,11) >= 0 OR "
                            "strpos(birthday_date,12) >= 0 OR strpos(birthday_date,01) >= 0 OR "
                            "strpos(birthday_date,02) >= 0) ORDER BY birthday_date"));
}

void tst_Corvana::friendChecks_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<bool>("yes");

    // A reply without rows (false) is part of the routing walk (tst_corvana_routing).
    QTest::newRow("friend") << false << QByteArray(R"([{"uid2":"42"}])") << true;
    QTest::newRow("other friend") << false << QByteArray(R"([{"uid2":"43"}])") << false;
    QTest::newRow("pending") << true << QByteArray(R"([{"uid_to":"42"}])") << true;
}

void tst_Corvana::friendChecks()
{
    QFETCH(bool, pending);
    QFETCH(QByteArray, rows);
    QFETCH(bool, yes);

    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    const QString query = pending
        ? QStringLiteral("SELECT uid_to FROM friend_request WHERE uid_from=me() AND uid_to=42")
        : QStringLiteral("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=42");
    m_fixture->setQueryRows(query, rows);
    QSignalSpy checked(corvana.get(),
                       pending ? &Corvana::pendingFriendRequestChecked : &Corvana::isFriendChecked);
    QCOMPARE(pending ? corvana->checkPendingFriendRequest(QStringLiteral("42"))
                     : corvana->checkIsFriend(QStringLiteral("42")),
             Corvana::Success);
    QVERIFY(checked.wait(20000));
    QCOMPARE(checked.size(), 1);
    QCOMPARE(checked.first().at(0).toString(), QStringLiteral("42"));
    QCOMPARE(checked.first().at(1).toBool(), yes);
    QCOMPARE(m_fixture->service().lastRequest().queryValue(QStringLiteral("query")), query);
}

void tst_Corvana::profileDetailsBatch()
{
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    m_fixture->setBatchResponder([](const QVariantList &) {
        return QList<FacadeFixture::SubReply> {{200, R"({"id":"42","name":"Bo"})"},
                                               {200, R"([{"uid2":"42"}])"}};
    });
    QSignalSpy updated(corvana.get(), &Corvana::profileUpdated);
    CvUser cached;
    QCOMPARE(corvana->retrieveProfile(&cached, QStringLiteral("42")), Corvana::Success);
    QVERIFY(!cached.isValid()); // nothing stored yet
    QVERIFY(updated.wait(20000));
    QCOMPARE(updated.first().first().toString(), QStringLiteral("42"));

    const TestService::Request batch = m_fixture->service().lastRequest();
    QCOMPARE(batch.method, QByteArray("POST"));
    QVERIFY(batch.queryValue(QStringLiteral("batch")).contains(QStringLiteral("uid2=42")));
    QVERIFY(m_fixture->cache().getUser(QStringLiteral("42"), &cached, CvCache::ById));
    QCOMPARE(cached.name(), QStringLiteral("Bo"));
    QVERIFY(m_fixture->cache().isFriend(QStringLiteral("100"), QStringLiteral("42")));

    // A failed sub-request ends in one error carrying the service's message.
    m_fixture->setBatchResponder([](const QVariantList &) {
        return QList<FacadeFixture::SubReply> {{400, R"({"error":{"message":"nope"}})"},
                                               {200, "[]"}};
    });
    QSignalSpy errors(corvana.get(), &Corvana::error);
    QCOMPARE(corvana->retrieveProfile(nullptr, QStringLiteral("43")), Corvana::Success);
    QVERIFY(errors.wait(20000));
    const CvError err = errors.first().first().value<CvError>();
    QCOMPARE(err.errorType(), CvError::GeneralError);
    QCOMPARE(err.objectId(), QStringLiteral("43"));
    QCOMPARE(err.corvanaErrorString(), QStringLiteral("nope"));
}

void tst_Corvana::storedDataAnsweredWithoutNetwork()
{
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    const QUrl url(m_fixture->service().baseUrl().toString()
                   + QStringLiteral("/files/report.png?v=2"));
    const QString stored = m_fixture->cache().updateFile(QStringLiteral("files/report.pngv=2"),
                                                         FacadeFixture::profilePicture());
    QVERIFY(!stored.isEmpty());

    QSignalSpy retrieved(corvana.get(),
                         qOverload<const QUrl &, const QString &>(&Corvana::dataRetrieved));
    const int before = m_fixture->service().requestCount();
    QString path;
    QCOMPARE(corvana->retrieveData(&path, url), Corvana::Success);
    QCOMPARE(path, stored);
    QTest::qWait(50);
    QCOMPARE(m_fixture->service().requestCount(), before);
    QCOMPARE(retrieved.size(), 0);

    // Data not yet stored is downloaded into the file store.
    const QUrl other(m_fixture->service().baseUrl().toString()
                     + QStringLiteral("/files/ann_q.jpg"));
    QCOMPARE(corvana->retrieveData(&path, other), Corvana::Success);
    QVERIFY(retrieved.wait(20000));
    QCOMPARE(retrieved.first().at(0).toUrl(), other);
    QCOMPARE(m_fixture->cache().getFile(QStringLiteral("files/ann_q.jpg")),
             FacadeFixture::profilePicture());
}

void tst_Corvana::cacheFailureStillDeliversResult()
{
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    m_fixture->setPath(QStringLiteral("/100/friends"), R"({"data":[{"id":"Y","name":"Yan"}]})");
    m_fixture->cache().close();

    QSignalSpy errors(corvana.get(), &Corvana::error);
    QSignalSpy friends(corvana.get(), &Corvana::friendsUpdated);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cache update failed")));
    QCOMPARE(corvana->retrieveFriends(nullptr, CvDataFilter(QStringLiteral("100"))),
             Corvana::Success);
    QVERIFY(friends.wait(20000));
    QCOMPARE(ids(friends.first().first().value<CvUserRefs>()), QStringList {QStringLiteral("Y")});
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::CacheError);
    QVERIFY(!errors.first().first().value<CvError>().cacheErrorString().isEmpty());
}

QTEST_GUILESS_MAIN(tst_Corvana)
#include "tst_corvana.moc"
