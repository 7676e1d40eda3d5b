#include "corvana.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"
#include "testservice.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace Cv;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// A connection of its own, as another process would hold one on the same file.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(s("QSQLITE"), m_name);
        db.setDatabaseName(file);
        m_open = db.open();
    }
    ~RawDatabase() { QSqlDatabase::removeDatabase(m_name); }
    bool exec(const QString &statement)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return m_open && query.exec(statement);
    }
    int count(const QString &table)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!m_open || !query.exec(s("SELECT COUNT(*) FROM ") + table) || !query.next())
            return -1;
        return query.value(0).toInt();
    }

private:
    QString m_name = s("raw");
    bool m_open = false;
};

} // namespace

class tst_CorvanaDataSafety : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cacheKeptWhenItCannotBeOpened_data();
    void cacheKeptWhenItCannotBeOpened();
    void friendSynchronizationNeedsTheWholeList_data();
    void friendSynchronizationNeedsTheWholeList();
    void threadSynchronizationNeedsARowList_data();
    void threadSynchronizationNeedsARowList();

private:
    std::unique_ptr<Corvana> signIn();
    TestService::Reply friendsPage(const TestService::Request &request);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CvCache> m_cache;
    QString m_db;
    std::unique_ptr<TestService> m_service;
    std::unique_ptr<TestService> m_elsewhere;
    QString m_scenario;
    QByteArray m_rows = "[]";
};

void tst_CorvanaDataSafety::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = m_dir->filePath(s("cache.db"));
    CvCacheConfiguration configuration;
    configuration.setDatabaseName(m_db);
    configuration.setPath(m_dir->filePath(s("files")));
    m_cache = std::make_unique<CvCache>(configuration);
}

void tst_CorvanaDataSafety::cleanup()
{
    m_cache.reset();
    m_service.reset();
    m_elsewhere.reset();
    m_dir.reset();
    CvEndpoints::reset();
}

void tst_CorvanaDataSafety::cacheKeptWhenItCannotBeOpened_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("options");
    QTest::newRow("locked by another connection")
        << s("BEGIN EXCLUSIVE") << int(CvCache::RecreateIncompatibleDatabase);
    QTest::newRow("schema version the options protect")
        << s("UPDATE cache_info SET version = 26") << 0;
}

void tst_CorvanaDataSafety::cacheKeptWhenItCannotBeOpened()
{
    QFETCH(QString, obstacle);
    QFETCH(int, options);

    QVERIFY(m_cache->init());
    CvUsers users;
    for (int i = 0; i < 26; ++i)
        users.append(CvUser(QString::number(100 + i), s("User %1").arg(i)));
    QVERIFY(m_cache->updateUsers(users));
    QVERIFY(m_cache->updateUserData(s("ann"), s("100")));
    m_cache->close();

    RawDatabase other(m_db);
    QVERIFY(other.exec(obstacle));

    CorvanaConfiguration configuration(s("ann"), CorvanaConfiguration::UserName);
    configuration.setCache(m_cache.get());
    configuration.setCacheInitOptions(CvCache::InitOptions(options));
    Corvana corvana(configuration);
    QSignalSpy errors(&corvana, &Corvana::error);
    QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache error|Incompatible")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache init failed: ")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache error|Incompatible")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache init failed\\(2\\): ")));
    corvana.init();

    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::CacheError);
    QVERIFY(!errors.first().first().value<CvError>().cacheErrorString().isEmpty());
    QCOMPARE(initialized.size(), 0);
    QVERIFY(!corvana.isInitialized());

    // Once the obstacle is gone, everything stored before is still there.
    other.exec(s("ROLLBACK"));
    QCOMPARE(other.count(s("users")), 26);
    QCOMPARE(other.count(s("user_data")), 1);
}

std::unique_ptr<Corvana> tst_CorvanaDataSafety::signIn()
{
    m_service = std::make_unique<TestService>();
    m_elsewhere = std::make_unique<TestService>();
    if (!CvEndpoints::setGraphBaseUrl(m_service->baseUrl())
        || !CvEndpoints::setRestBaseUrl(m_service->baseUrl()))
        return nullptr;
    m_service->setHandler([this](const TestService::Request &request) {
        if (request.path == s("/me"))
            return TestService::Reply::json(R"({"id":"100","name":"Ann","username":"ann",
                "picture":")" + m_service->baseUrl().toEncoded()
                                            + R"(/ann_q.jpg"})");
        if (request.path == s("/ann_q.jpg"))
            return TestService::Reply::text(QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11));
        if (request.path == s("/method/cvql.query"))
            return TestService::Reply::json(m_rows);
        return friendsPage(request);
    });
    m_elsewhere->setHandler(
        [](const TestService::Request &) { return TestService::Reply::json(R"({"data":[]})"); });

    CorvanaConfiguration configuration(s("token-1234"), CorvanaConfiguration::AccessToken);
    configuration.setCache(m_cache.get());
    auto corvana = std::make_unique<Corvana>(configuration);
    QSignalSpy picture(corvana.get(), &Corvana::profilePictureUpdated);
    corvana->init();
    if (!picture.wait(20000))
        return nullptr;
    return corvana;
}

// 31 friends in pages of 25, the second page as the scenario says.
TestService::Reply tst_CorvanaDataSafety::friendsPage(const TestService::Request &request)
{
    const int offset = request.queryValue(s("offset")).toInt();
    const QByteArray base = m_service->baseUrl().toEncoded();
    const QByteArray nextPath = "/100/friends?access_token=token-1234&limit=25&offset=25";
    if (offset == 0) {
        if (m_scenario == s("pretty-printed error"))
            return TestService::Reply::json(
                "{\n  \"error\": {\n    \"type\": \"OAuthException\",\n"
                "    \"message\": \"Error validating access token\"\n  }\n}");
        if (m_scenario == s("map without data"))
            return TestService::Reply::json(R"({"friends":[{"id":"f0","name":"F"}]})");
    }
    if (offset == 25) {
        if (m_scenario == s("second page fails"))
            return TestService::Reply::json(R"({"error":{"message":"try later"}})", 500);
        if (m_scenario == s("second page without data"))
            return TestService::Reply::json(R"({"paging":{}})");
    }
    QByteArray body = "{\"data\":[";
    const int end = offset == 0 ? 25 : 31;
    for (int i = offset; i < end; ++i)
        body += (i > offset ? "," : "") + QByteArray(R"({"id":"f)") + QByteArray::number(i)
            + R"(","name":"Friend )" + QByteArray::number(i) + "\"}";
    body += "]";
    QByteArray next;
    if (offset == 0 && m_scenario == s("link to another origin"))
        next = m_elsewhere->baseUrl().toEncoded() + nextPath;
    else if (offset == 0 || m_scenario == s("link loops"))
        next = base + nextPath;
    if (!next.isEmpty())
        body += R"(,"paging":{"next":")" + next + "\"}";
    return TestService::Reply::json(body + "}");
}

void tst_CorvanaDataSafety::friendSynchronizationNeedsTheWholeList_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<int>("errorType"); // -1: synchronized
    QTest::newRow("two pages") << s("two pages") << -1;
    QTest::newRow("second page fails") << s("second page fails") << int(CvError::GeneralError);
    QTest::newRow("second page without data")
        << s("second page without data") << int(CvError::OperationFailed);
    QTest::newRow("link to another origin")
        << s("link to another origin") << int(CvError::OperationFailed);
    QTest::newRow("link loops") << s("link loops") << int(CvError::OperationFailed);
    QTest::newRow("pretty-printed error")
        << s("pretty-printed error") << int(CvError::InvalidAccessToken);
    QTest::newRow("map without data") << s("map without data") << int(CvError::OperationFailed);
}

void tst_CorvanaDataSafety::friendSynchronizationNeedsTheWholeList()
{
    QFETCH(QString, scenario);
    QFETCH(int, errorType);
    auto corvana = signIn();
    QVERIFY(corvana);

    // The cache holds all 31 friends and one the service no longer lists.
    CvUserRefs stored;
    for (int i = 0; i < 31; ++i)
        stored.append(CvUserRef(s("f%1").arg(i), s("Friend %1").arg(i)));
    stored.append(CvUserRef(s("gone"), s("Gone")));
    QVERIFY(m_cache->addFriends(s("100"), stored));

    m_scenario = scenario;
    QSignalSpy synchronized(corvana.get(), &Corvana::friendsSynchronized);
    QSignalSpy errors(corvana.get(), &Corvana::error);
    if (errorType == int(CvError::OperationFailed))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s(".")));
    QCOMPARE(corvana->synchronizeFriends(), Corvana::Success);
    QVERIFY(QTest::qWaitFor([&] { return synchronized.size() + errors.size() > 0; }, 20000));
    QTest::qWait(100); // a second signal would arrive now

    CvUserRefs cached;
    QVERIFY(m_cache->getFriendRefs(s("100"), &cached, CvDataFilter()));
    if (errorType < 0) {
        QCOMPARE(errors.size(), 0);
        QCOMPARE(synchronized.size(), 1);
        QCOMPARE(synchronized.first().at(0).value<CvUserRefs>().size(), 0);
        const CvUserRefs removed = synchronized.first().at(1).value<CvUserRefs>();
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.first().id, s("gone"));
        QCOMPARE(cached.size(), 31);
        // Both pages were asked for, the second by its link with this facade's token.
        QCOMPARE(m_service->lastRequest().queryValue(s("offset")), s("25"));
        QCOMPARE(m_service->lastRequest().queryItems.count(
                     qMakePair(s("access_token"), s("token-1234"))),
                 1);
    } else {
        QCOMPARE(synchronized.size(), 0);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(int(errors.first().first().value<CvError>().errorType()), errorType);
        QCOMPARE(cached.size(), 32);
    }
    QCOMPARE(m_elsewhere->requestCount(), 0);
}

void tst_CorvanaDataSafety::threadSynchronizationNeedsARowList_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("errorType"); // -1: synchronized, both threads gone
    QTest::newRow("no rows") << QByteArray("[]") << -1;
    QTest::newRow("an object") << QByteArray(R"({"data":[]})") << int(CvError::OperationFailed);
    QTest::newRow("a scalar") << QByteArray("null") << int(CvError::OperationFailed);
    QTest::newRow("pretty-printed error")
        << QByteArray("{\n  \"error_code\": 200,\n  \"error_msg\": \"no\"\n}")
        << int(CvError::PermissionDenied);
}

void tst_CorvanaDataSafety::threadSynchronizationNeedsARowList()
{
    QFETCH(QByteArray, rows);
    QFETCH(int, errorType);
    auto corvana = signIn();
    QVERIFY(corvana);

    CvThreads stored;
    for (int i = 1; i <= 2; ++i) {
        CvThread thread(s("t%1").arg(i), CvUserRef(s("200"), s("Bo")));
        thread.setUpdatedTime(QDateTime::fromMSecsSinceEpoch(i * 1000, Qt::UTC));
        stored.append(thread);
    }
    QVERIFY(m_cache->updateThreads(s("100"), MessageBoxInbox, stored));

    m_rows = rows;
    CvDataFilter window(s("me"));
    window.since = QDateTime::fromMSecsSinceEpoch(500, Qt::UTC);
    window.until = QDateTime::fromMSecsSinceEpoch(5000, Qt::UTC);
    window.limit = 10;
    QSignalSpy updated(corvana.get(), &Corvana::threadsUpdated);
    QSignalSpy errors(corvana.get(), &Corvana::error);
    if (errorType == int(CvError::OperationFailed))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("not a list")));
    QCOMPARE(corvana->retrieveThreads(nullptr, MessageBoxInbox, window), Corvana::Success);
    QVERIFY(QTest::qWaitFor([&] { return updated.size() + errors.size() > 0; }, 20000));
    QTest::qWait(100); // a second signal would arrive now

    CvThreads cached;
    QVERIFY(m_cache->getThreads(s("100"), MessageBoxInbox, &cached, CvDataFilter(s("100"))));
    if (errorType < 0) {
        QCOMPARE(errors.size(), 0);
        QCOMPARE(updated.size(), 1);
        QCOMPARE(updated.first().at(3).value<CvThreads>().size(), 2);
        QCOMPARE(cached.size(), 0);
    } else {
        QCOMPARE(updated.size(), 0);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(int(errors.first().first().value<CvError>().errorType()), errorType);
        QCOMPARE(cached.size(), 2);
    }
}

QTEST_GUILESS_MAIN(tst_CorvanaDataSafety)
#include "tst_corvana_datasafety.moc"
