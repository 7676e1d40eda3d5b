// The examples against corvana-emulator: the viewer's window fills from the service and later
// from the cache alone, and friends-cli prints what the service holds, online and offline.

#include "emulatorprocess.h"
#include "viewerwindow.h"

#include <qtcorvana.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Cv;

class TestExamples : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Small enough that every list fits in the service's first page.
        QVERIFY(
            m_emulator.start({s("--seed"), s("7"), s("--users"), s("12"), s("--posts"), s("12")}));
        QVERIFY(CvEndpoints::setGraphBaseUrl(QUrl(m_emulator.graph)));
        QVERIFY(CvEndpoints::setRestBaseUrl(QUrl(m_emulator.rest)));

        // What the service holds, asked for directly.
        const Answer me = m_emulator.get(s("/me"));
        m_name = me.value("name").toString();
        m_userName = me.value("username").toString();
        QVERIFY(!m_name.isEmpty() && !m_userName.isEmpty());
        for (const QJsonValue &user :
             m_emulator.get(s("/me/friends"), {{s("limit"), s("100")}}).data())
            m_friends.insert(user[s("id")].toString(), user[s("name")].toString());
        QVERIFY(m_friends.size() > 1);
        m_feed = m_emulator.get(s("/me/home"), {{s("limit"), s("100")}}).ids();
        QVERIFY(m_feed.size() > 1);
    }

    void cleanupTestCase() { CvEndpoints::reset(); }

    void viewer()
    {
        {
            const auto cache = makeCache(s("viewer"));
            CorvanaConfiguration configuration(m_emulator.token, CorvanaConfiguration::AccessToken);
            configuration.setCache(cache.get());
            Corvana corvana(configuration);
            QSignalSpy errors(&corvana, &Corvana::error);
            ViewerWindow window(&corvana);
            window.show();
            corvana.init();

            QTRY_COMPARE_WITH_TIMEOUT(window.friendsList()->count(), m_friends.size(), 30000);
            QTRY_COMPARE_WITH_TIMEOUT(window.feedList()->count(), m_feed.size(), 30000);
            QTRY_VERIFY_WITH_TIMEOUT(!window.pictureLabel()->pixmap().isNull(), 30000);
            QCOMPARE(window.nameLabel()->text(), m_name);
            QCOMPARE(sorted(texts(window.friendsList(), Qt::DisplayRole)),
                     sorted(m_friends.values()));
            // Newest first, as the service lists the feed.
            QCOMPARE(texts(window.feedList(), Qt::UserRole), m_feed);
            QCOMPARE(errors.size(), 0);

            // Live: a new post and a comment on a listed one reach the window as added and
            // updated once it asks again.
            const QString commented = m_feed.last();
            QVERIFY(!m_emulator
                         .post(s("/") + commented + s("/comments"), {{s("message"), s("Seen it")}})
                         .id()
                         .isEmpty());
            const Answer fresh = m_emulator.get(s("/") + commented);
            const Answer added = m_emulator.post(s("/me/feed"), {{s("message"), s("Live post")}});
            QVERIFY(!added.id().isEmpty());
            window.refreshAction()->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(window.feedList()->count(), m_feed.size() + 1, 30000);
            QCOMPARE(window.feedList()->item(0)->data(Qt::UserRole).toString(), added.id());
            QVERIFY(window.feedList()->item(0)->text().contains(s("Live post")));
            const QListWidgetItem *item = window.feedList()->item(m_feed.size());
            QCOMPARE(item->data(Qt::UserRole).toString(), commented);
            QVERIFY2(item->text().contains(s("(%1 comments, %2 likes)")
                                               .arg(fresh.value("comments.count").toInt())
                                               .arg(fresh.value("likes.count").toInt())),
                     qPrintable(item->text()));
            QCOMPARE(errors.size(), 0);
            m_feed.prepend(added.id());

            QVERIFY(QDir().mkpath(s(OUTPUT_DIR)));
            const QString shot = QDir(s(OUTPUT_DIR)).filePath(s("corvana-viewer.png"));
            QVERIFY(window.grab().save(shot));
            qInfo("Screenshot: %s", qPrintable(shot));
        }

        // Offline, the same cache fills every list before init() returns.
        const auto cache = makeCache(s("viewer"));
        CorvanaConfiguration configuration(m_userName, CorvanaConfiguration::UserName);
        configuration.setCache(cache.get());
        Corvana corvana(configuration);
        ViewerWindow window(&corvana);
        corvana.init();
        QCOMPARE(window.nameLabel()->text(), m_name);
        QCOMPARE(window.friendsList()->count(), m_friends.size());
        QCOMPARE(window.feedList()->count(), m_feed.size());
        QVERIFY(!window.pictureLabel()->pixmap().isNull());
        // Offline is not an error: nothing is sent and nothing is reported.
        window.refreshAction()->trigger();
        QCOMPARE(window.statusBar()->currentMessage(), QString());
    }

    void friendsCli_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        // Rows run in order: the offline row reads the cache the online row filled.
        const QStringList service {s("--graph-url"), m_emulator.graph, s("--rest-url"),
                                   m_emulator.rest,  s("--cache-dir"), m_dir.filePath(s("cli"))};
        const QString counts = s("%1 friends\n").arg(m_friends.size());
        QTest::newRow("online") << (QStringList {s("--token"), m_emulator.token} + service) << 0
                                << counts;
        QTest::newRow("offline") << (QStringList {s("--user"), m_userName} + service) << 0
                                 << counts;
        QTest::newRow("unknown user") << (QStringList {s("--user"), s("nobody")} + service) << 1
                                      << s("no earlier online run of nobody");
        QTest::newRow("bad token") << (QStringList {s("--token"), s("not-a-token")} + service) << 1
                                   << s("InvalidAccessToken");
        QTest::newRow("both identities")
            << (QStringList {s("--token"), m_emulator.token, s("--user"), m_userName} + service)
            << 1 << s("give either --token or --user");
        QTest::newRow("remote http") << QStringList {s("--token"), m_emulator.token,
                                                     s("--graph-url"), s("http://example.com")}
                                     << 1 << s("not a usable origin: http://example.com");
    }

    void friendsCli()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QProcess cli;
        cli.start(s(FRIENDS_CLI_PATH), arguments);
        QVERIFY(cli.waitForFinished(60000));
        const QString text = QString::fromUtf8(cli.readAllStandardOutput())
            + QString::fromUtf8(cli.readAllStandardError());
        QVERIFY2(text.contains(output), qPrintable(text));
        QCOMPARE(cli.exitCode(), exitCode);
        if (exitCode == 0) {
            for (auto it = m_friends.cbegin(); it != m_friends.cend(); ++it)
                QVERIFY2(text.contains(it.key() + s("  ") + it.value()), qPrintable(it.value()));
            QVERIFY2(text.contains(s("%1 posts\n").arg(m_feed.size())), qPrintable(text));
            for (const QString &id : std::as_const(m_feed))
                QVERIFY2(text.contains(s("  ") + id + s("  ")), qPrintable(id));
        }
    }

private:
    std::unique_ptr<CvCache> makeCache(const QString &name) const
    {
        CvCacheConfiguration configuration;
        configuration.setDatabaseName(m_dir.filePath(name + s(".db")));
        configuration.setPath(m_dir.filePath(name));
        return std::make_unique<CvCache>(configuration);
    }

    static QStringList texts(const QListWidget *list, int role)
    {
        QStringList out;
        for (int row = 0; row < list->count(); ++row)
            out << list->item(row)->data(role).toString();
        return out;
    }

    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }

    QTemporaryDir m_dir;
    EmulatorProcess m_emulator;
    QString m_name;
    QString m_userName;
    QMap<QString, QString> m_friends; // id to name
    QStringList m_feed; // post ids, newest first
};

QTEST_MAIN(TestExamples)
#include "tst_examples.moc"
