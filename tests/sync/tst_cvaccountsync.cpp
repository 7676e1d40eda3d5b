// CvAccountSync end to end against the emulator: a whole account, a second run, transient
// failures, refusals, cancellation and a service stuck on one page.

#include "emulatorprocess.h"

#include <qtcorvana.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace Cv;
using Summaries = QList<CvAccountSync::Summary>;

Q_DECLARE_METATYPE(Cv::CvAccountSync::Collection)

namespace {

CvAccountSync::Summary summaryOf(const Summaries &summaries, CvAccountSync::Collection c)
{
    for (const CvAccountSync::Summary &s : summaries) {
        if (s.collection == c)
            return s;
    }
    return CvAccountSync::Summary {};
}

QString describe(const CvAccountSync::Summary &s)
{
    return QStringLiteral("%1: +%2 ~%3 -%4 =%5 pages %6 retries %7 error '%8'")
        .arg(CvAccountSync::collectionName(s.collection))
        .arg(s.added)
        .arg(s.updated)
        .arg(s.removed)
        .arg(s.unchanged)
        .arg(s.pages)
        .arg(s.retries)
        .arg(s.error);
}

QString integrity(const QString &path)
{
    QString result;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("integrity"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next())
                result = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("integrity"));
    return result;
}

} // namespace

class tst_CvAccountSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void fullSyncThenNoChange_data();
    void fullSyncThenNoChange();
    void prunedListsKeepTheirItems_data();
    void prunedListsKeepTheirItems();
    void transientFailuresRetried_data();
    void transientFailuresRetried();
    void refusalStopsOneCollection();
    void invalidToken();
    void cancellation();
    void loopGuard();
    void changesBetweenRuns();

private:
    Summaries run(CvAccountSync::Collections collections, int pageSize, int *requests = nullptr,
                  const std::function<void(CvAccountSync *)> &setUp = {});

    EmulatorProcess m_emulator;
    std::unique_ptr<QTemporaryDir> m_dir;
    Summaries m_first;
    Summaries m_second;
    int m_fullRequests = 0;
};

// One run into the test's cache; \a setUp may connect to the sync before it starts.
Summaries tst_CvAccountSync::run(CvAccountSync::Collections collections, int pageSize,
                                 int *requests, const std::function<void(CvAccountSync *)> &setUp)
{
    CvCacheConfiguration cacheConfiguration;
    cacheConfiguration.setDatabaseName(m_dir->filePath(QStringLiteral("cache.db")));
    cacheConfiguration.setPath(m_dir->filePath(QStringLiteral("files")));
    CvCache cache(cacheConfiguration);
    CorvanaConfiguration configuration(m_emulator.token, CorvanaConfiguration::AccessToken);
    configuration.setCache(&cache);
    Corvana corvana(configuration);
    CvAccountSync sync(&corvana);
    sync.setCollections(collections);
    sync.setPageSize(pageSize);
    sync.setRetryDelay(5);
    if (setUp)
        setUp(&sync);
    QSignalSpy finished(&sync, &CvAccountSync::finished);
    sync.start();
    if (!finished.wait(120000))
        return {};
    if (requests)
        *requests = sync.requestCount();
    if (!finished.first().at(1).toString().isEmpty())
        qWarning() << "sign-in failed:" << finished.first().at(1).toString();
    return finished.first().at(0).value<Summaries>();
}

void tst_CvAccountSync::initTestCase()
{
    QVERIFY(
        m_emulator.start({QStringLiteral("--seed"), QStringLiteral("11"), QStringLiteral("--users"),
                          QStringLiteral("30"), QStringLiteral("--posts"), QStringLiteral("80"),
                          QStringLiteral("--threads"), QStringLiteral("8")}));
    QVERIFY(CvEndpoints::setGraphBaseUrl(QUrl(m_emulator.graph)));
    QVERIFY(CvEndpoints::setRestBaseUrl(QUrl(m_emulator.rest)));
}

void tst_CvAccountSync::cleanupTestCase()
{
    CvEndpoints::reset();
}

void tst_CvAccountSync::init()
{
    m_emulator.control(QStringLiteral("clear"));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// Every item the service lists is counted once, however small the pages; a second run
// finds each again and nothing new or gone.
void tst_CvAccountSync::fullSyncThenNoChange_data()
{
    QTest::addColumn<CvAccountSync::Collection>("collection");
    QTest::addColumn<QString>("path"); // the emulator's own list, asked for directly

    QTest::newRow("friends") << CvAccountSync::Friends << QStringLiteral("/me/friends");
    QTest::newRow("news feed") << CvAccountSync::NewsFeed << QStringLiteral("/me/home");
    QTest::newRow("profile feed") << CvAccountSync::ProfileFeed << QStringLiteral("/me/feed");
    QTest::newRow("status messages")
        << CvAccountSync::StatusMessages << QStringLiteral("/me/statuses");
    QTest::newRow("events") << CvAccountSync::Events << QStringLiteral("/me/events");
    QTest::newRow("groups") << CvAccountSync::Groups << QStringLiteral("/me/groups");
    QTest::newRow("check-ins") << CvAccountSync::Checkins << QStringLiteral("/me/checkins");
    QTest::newRow("albums") << CvAccountSync::Albums << QStringLiteral("/me/albums");
}

void tst_CvAccountSync::fullSyncThenNoChange()
{
    // One full run of every collection serves all rows; it is made once.
    if (m_first.isEmpty()) {
        m_first = run(CvAccountSync::AllCollections, 7, &m_fullRequests);
        m_second = run(CvAccountSync::AllCollections, 7);
        QCOMPARE(m_first.size(), 17);
        for (const CvAccountSync::Summary &s : std::as_const(m_first))
            QVERIFY2(s.complete && s.error.isEmpty(), qPrintable(describe(s)));
        for (const CvAccountSync::Summary &s : std::as_const(m_second)) {
            QVERIFY2(s.complete, qPrintable(describe(s)));
            QVERIFY2(s.added == 0 && s.removed == 0, qPrintable(describe(s)));
            QCOMPARE(s.unchanged + s.updated, summaryOf(m_first, s.collection).added);
        }
        for (auto c :
             {CvAccountSync::Comments, CvAccountSync::Messages, CvAccountSync::GroupMembers,
              CvAccountSync::Photos, CvAccountSync::Notifications, CvAccountSync::Threads})
            QVERIFY2(summaryOf(m_first, c).added > 0, qPrintable(describe(summaryOf(m_first, c))));
    }
    QFETCH(CvAccountSync::Collection, collection);
    QFETCH(QString, path);
    const Answer direct = m_emulator.get(path, {{s("limit"), s("5000")}});
    QCOMPARE(direct.status, 200);
    const int expected = int(direct.data().size());
    QVERIFY(expected > 0);
    const CvAccountSync::Summary first = summaryOf(m_first, collection);
    QVERIFY2(first.added == expected, qPrintable(describe(first)));
    // Seven per page: a collection of n items takes n / 7 + 1 pages, the last one short.
    if (collection != CvAccountSync::NewsFeed && collection != CvAccountSync::ProfileFeed
        && collection != CvAccountSync::StatusMessages)
        QCOMPARE(first.pages, expected / 7 + 1);
    QCOMPARE(summaryOf(m_second, collection).unchanged, expected);
}

// Lists the facade prunes on a complete reply keep every item over repeated runs, however
// the service orders them against the cache.
void tst_CvAccountSync::prunedListsKeepTheirItems_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("path");
    QTest::newRow("groups") << QStringLiteral("groups") << QStringLiteral("/me/groups");
    QTest::newRow("events") << QStringLiteral("events") << QStringLiteral("/me/events");
}

void tst_CvAccountSync::prunedListsKeepTheirItems()
{
    QFETCH(QString, table);
    QFETCH(QString, path);
    const auto chosen = CvAccountSync::Collections(CvAccountSync::Groups) | CvAccountSync::Events;
    for (int round = 0; round < 2; ++round) {
        for (const CvAccountSync::Summary &s : run(chosen, 2))
            QVERIFY2(s.complete, qPrintable(describe(s)));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), table);
    db.setDatabaseName(m_dir->filePath(QStringLiteral("cache.db")));
    QVERIFY(db.open());
    QSqlQuery query(db);
    QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) && query.next());
    const int cached = query.value(0).toInt();
    query = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(table);
    QCOMPARE(cached, int(m_emulator.get(path, {{s("limit"), s("5000")}}).data().size()));
}

// Dropped replies, 5xx answers and the request limit are retried; the run completes.
void tst_CvAccountSync::transientFailuresRetried_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<CvAccountSync::Collection>("collection");
    QTest::addColumn<int>("retries");

    QTest::newRow("dropped reply")
        << QStringLiteral("count=1&mode=drop&match=/friends") << CvAccountSync::Friends << 1;
    QTest::newRow("503 twice") << QStringLiteral("count=2&mode=status&status=503&match=/events")
                               << CvAccountSync::Events << 2;
    QTest::newRow("500") << QStringLiteral("count=1&mode=status&status=500&match=/groups")
                         << CvAccountSync::Groups << 1;
    QTest::newRow("request limit")
        << QStringLiteral("count=1&mode=feed-limit&match=/feed") << CvAccountSync::ProfileFeed << 1;
}

void tst_CvAccountSync::transientFailuresRetried()
{
    QFETCH(QString, rule);
    QFETCH(CvAccountSync::Collection, collection);
    QFETCH(int, retries);
    const auto chosen = CvAccountSync::Collections(CvAccountSync::Friends)
        | CvAccountSync::ProfileFeed | CvAccountSync::Events | CvAccountSync::Groups;
    const Summaries clean = run(chosen, 5);
    QVERIFY(m_emulator.control(QStringLiteral("fail"), rule).status == 200);
    const Summaries faulty = run(chosen, 5);
    QCOMPARE(m_emulator.pendingFailures(), 0);
    for (const CvAccountSync::Summary &s : faulty) {
        QVERIFY2(s.complete, qPrintable(describe(s)));
        QCOMPARE(s.retries, s.collection == collection ? retries : 0);
        QCOMPARE(s.added + s.removed, 0);
        QCOMPARE(s.unchanged + s.updated, summaryOf(clean, s.collection).added);
    }
}

// A refusal ends its collection at once, without retries; the others go on.
void tst_CvAccountSync::refusalStopsOneCollection()
{
    QVERIFY(m_emulator
                .control(QStringLiteral("fail"),
                         QStringLiteral("count=1&mode=permission&match=/events"))
                .status
            == 200);
    const Summaries summaries = run(CvAccountSync::Collections(CvAccountSync::Friends)
                                        | CvAccountSync::Events | CvAccountSync::Groups,
                                    50);
    const CvAccountSync::Summary events = summaryOf(summaries, CvAccountSync::Events);
    QVERIFY(!events.complete);
    QVERIFY2(events.error.contains(QStringLiteral("permission denied")), qPrintable(events.error));
    QCOMPARE(events.retries, 0);
    QCOMPARE(events.pages, 0);
    QVERIFY(summaryOf(summaries, CvAccountSync::Friends).complete);
    QVERIFY(summaryOf(summaries, CvAccountSync::Groups).complete);
}

// A rejected token fails the sign-in: nothing is synchronized and the run says why.
void tst_CvAccountSync::invalidToken()
{
    const QString database = m_dir->filePath(QStringLiteral("cache.db"));
    CvCacheConfiguration cacheConfiguration;
    cacheConfiguration.setDatabaseName(database);
    cacheConfiguration.setPath(m_dir->filePath(QStringLiteral("files")));
    CvCache cache(cacheConfiguration);
    CorvanaConfiguration configuration(QStringLiteral("not-a-token"),
                                       CorvanaConfiguration::AccessToken);
    configuration.setCache(&cache);
    Corvana corvana(configuration);
    CvAccountSync sync(&corvana);
    QSignalSpy finished(&sync, &CvAccountSync::finished);
    QSignalSpy collectionFinished(&sync, &CvAccountSync::collectionFinished);
    sync.start();
    QVERIFY(finished.wait(20000));
    QVERIFY2(finished.first().at(1).toString().contains(QStringLiteral("access token")),
             qPrintable(finished.first().at(1).toString()));
    const Summaries summaries = finished.first().at(0).value<Summaries>();
    QCOMPARE(summaries.size(), 17);
    for (const CvAccountSync::Summary &s : summaries)
        QVERIFY(!s.complete && s.pages == 0 && s.error.startsWith(QStringLiteral("sign-in")));
    QCOMPARE(collectionFinished.size(), 0);
    QCOMPARE(sync.requestCount(), 0);
}

// cancel() lets the page in flight finish and sends nothing more; the cache stays sound
// and a later run completes.
void tst_CvAccountSync::cancellation()
{
    const QString database = m_dir->filePath(QStringLiteral("cache.db"));
    int requests = 0;
    const Summaries cancelled
        = run(CvAccountSync::AllCollections, 5, &requests, [](CvAccountSync *sync) {
              QObject::connect(sync, &CvAccountSync::progress, sync,
                               [sync](CvAccountSync::Collection c, int done) {
                                   if (c == CvAccountSync::NewsFeed && done > 0)
                                       sync->cancel();
                               });
          });
    QCOMPARE(cancelled.size(), 17);
    QVERIFY(summaryOf(cancelled, CvAccountSync::Friends).complete);
    const CvAccountSync::Summary feed = summaryOf(cancelled, CvAccountSync::NewsFeed);
    QCOMPARE(feed.error, QStringLiteral("cancelled"));
    QCOMPARE(feed.pages, 1);
    QCOMPARE(feed.removed, 0);
    for (const CvAccountSync::Summary &s : cancelled) {
        if (s.collection > CvAccountSync::NewsFeed) {
            QCOMPARE(s.error, QStringLiteral("cancelled"));
            QCOMPARE(s.pages, 0);
        }
    }
    QCOMPARE(integrity(database), QStringLiteral("ok"));

    const Summaries resumed = run(CvAccountSync::AllCollections, 5);
    QVERIFY2(summaryOf(resumed, CvAccountSync::NewsFeed).complete,
             qPrintable(describe(summaryOf(resumed, CvAccountSync::NewsFeed))));
    QCOMPARE(summaryOf(resumed, CvAccountSync::NewsFeed).added
                 + summaryOf(resumed, CvAccountSync::NewsFeed).updated
                 + summaryOf(resumed, CvAccountSync::NewsFeed).unchanged,
             int(m_emulator.get(s("/me/home"), {{s("limit"), s("5000")}}).data().size()));
}

// A service that answers the same page for every offset is caught, not followed forever.
void tst_CvAccountSync::loopGuard()
{
    QVERIFY(m_emulator
                .control(QStringLiteral("fail"),
                         QStringLiteral("count=1000&mode=repeat-page&match=/friends"))
                .status
            == 200);
    const Summaries summaries
        = run(CvAccountSync::Collections(CvAccountSync::Friends) | CvAccountSync::Groups, 4);
    m_emulator.control(QStringLiteral("clear"));
    const CvAccountSync::Summary friends = summaryOf(summaries, CvAccountSync::Friends);
    QVERIFY(!friends.complete);
    QCOMPARE(friends.pages, 2);
    QCOMPARE(friends.added, 4);
    QCOMPARE(friends.removed, 0);
    QVERIFY2(friends.error.contains(QStringLiteral("repeats")), qPrintable(friends.error));
    QVERIFY(summaryOf(summaries, CvAccountSync::Groups).complete);
}

// Changes in the service between two runs are reported as exactly those changes. (Last: it
// changes the emulator's data.)
void tst_CvAccountSync::changesBetweenRuns()
{
    const auto chosen = CvAccountSync::Collections(CvAccountSync::ProfileFeed)
        | CvAccountSync::Comments | CvAccountSync::Albums | CvAccountSync::Photos;
    const Summaries before = run(chosen, 4);
    const QString post = m_emulator.get(s("/me/feed")).ids().value(0);
    QVERIFY(!m_emulator.post(s("/") + post + s("/comments"), {{s("message"), s("Lovely")}})
                 .id()
                 .isEmpty());
    const QStringList albums = m_emulator.get(s("/me/albums")).ids();
    QVERIFY(albums.size() > 1);
    const int photos = int(m_emulator.get(s("/") + albums.first() + s("/photos")).ids().size());
    QVERIFY(photos > 0);
    QVERIFY(m_emulator.posted(s("/") + albums.first(), {{s("method"), s("delete")}}));
    QVERIFY(
        !m_emulator.post(s("/me/feed"), {{s("message"), s("Back from the lake")}}).id().isEmpty());

    const Summaries after = run(chosen, 4);
    const CvAccountSync::Summary feed = summaryOf(after, CvAccountSync::ProfileFeed);
    QVERIFY2(feed.added == 1 && feed.removed == 0, qPrintable(describe(feed)));
    QCOMPARE(feed.unchanged + feed.updated, summaryOf(before, CvAccountSync::ProfileFeed).added);
    // Only the commented post's comments are asked for again; the others are taken over.
    const CvAccountSync::Summary comments = summaryOf(after, CvAccountSync::Comments);
    QVERIFY2(comments.added == 1 && comments.removed == 0 && comments.pages == 1,
             qPrintable(describe(comments)));
    QCOMPARE(comments.unchanged + comments.updated,
             summaryOf(before, CvAccountSync::Comments).added);
    const CvAccountSync::Summary album = summaryOf(after, CvAccountSync::Albums);
    QVERIFY2(album.removed == 1 && album.added == 0, qPrintable(describe(album)));
    QCOMPARE(album.unchanged + album.updated, int(albums.size()) - 1);
    // The deleted album's photos are no longer listed by any album.
    const CvAccountSync::Summary photo = summaryOf(after, CvAccountSync::Photos);
    QVERIFY2(photo.removed == photos && photo.added == 0, qPrintable(describe(photo)));
}

QTEST_GUILESS_MAIN(tst_CvAccountSync)
#include "tst_cvaccountsync.moc"
