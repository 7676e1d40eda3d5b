// Message threads of the facade against a scripted service: the statements sent, the window and
// paging read back from a reply, what is stored and what is signalled.

#include "corvana.h"
#include "cvcache.h"
#include "cvdatafilter.h"
#include "facadefixture.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <functional>

using namespace Cv;

using Call = std::function<Corvana::ReturnCode(Corvana &)>;
Q_DECLARE_METATYPE(Call)

namespace {

const QString threadsStatement = QStringLiteral(
    "SELECT thread_id,timestamp,subject,senders,participants,snippet,snippet_sender,num_messages,"
    "num_unread,object_participants FROM unified_thread WHERE has_tags('%1') %2 ORDER BY "
    "timestamp DESC LIMIT %3");
const QString messagesStatement = QStringLiteral(
    "SELECT message_id,thread_id,timestamp,subject,body,unread,sender,recipients,object_sender,"
    "attachments FROM unified_message WHERE thread_id='%1' %2 ORDER BY timestamp DESC LIMIT %3");
const QString attachmentsStatement
    = QStringLiteral("SELECT thread_id,message_id,attachment FROM message WHERE thread_id=%1 AND "
                     "viewer_id=100 ORDER BY message_id DESC");
const QString unreadStatement
    = QStringLiteral("SELECT unread_count FROM unified_thread_count WHERE folder='%1'");

QDateTime ms(qint64 value)
{
    return QDateTime::fromMSecsSinceEpoch(value, Qt::UTC);
}

CvDataFilter filter(const QString &id, int offset = -1, int limit = -1, const QDateTime &since = {},
                    const QDateTime &until = {})
{
    CvDataFilter f(id);
    f.offset = offset;
    f.limit = limit;
    f.since = since;
    f.until = until;
    return f;
}

template<typename T>
QStringList ids(const QList<T> &items)
{
    QStringList out;
    for (const T &item : items)
        out.append(item.id());
    return out;
}

// A thread row as the service sends it; a negative time leaves the timestamp out.
QByteArray threadRow(const QString &id, qint64 timestamp)
{
    QByteArray row = R"({"thread_id":")" + id.toUtf8()
        + R"(","subject":"s","snippet":"x","num_messages":1,"num_unread":0,)"
          R"("snippet_sender":{"user_id":"200","name":"Bo"},)"
          R"("participants":[{"user_id":"200","name":"Bo"}],"senders":[])";
    if (timestamp >= 0)
        row += R"(,"timestamp":)" + QByteArray::number(timestamp);
    return row + '}';
}

QString statementOf(const TestService::Request &request)
{
    return request.path == QLatin1String("/method/cvql.query")
        ? request.queryValue(QStringLiteral("query"))
        : QString();
}

} // namespace

class tst_CorvanaThreads : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void statements_data();
    void statements();
    void foldersOutsideTheEnumeration();
    void threadReplyWindow_data();
    void threadReplyWindow();
    void messagesByUnknownAuthorsStored();
    void cacheFailureStillSignals_data();
    void cacheFailureStillSignals();
    void unreadCountReplies_data();
    void unreadCountReplies();

private:
    CvThread cachedThread(const QString &id, qint64 timestamp);
    void dropTable(const QString &table);

    std::unique_ptr<FacadeFixture> m_fixture;
    std::unique_ptr<Corvana> m_corvana;
};

void tst_CorvanaThreads::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
    m_corvana = m_fixture->signIn();
    QVERIFY(m_corvana);
}

void tst_CorvanaThreads::cleanup()
{
    m_corvana.reset();
    m_fixture.reset();
}

CvThread tst_CorvanaThreads::cachedThread(const QString &id, qint64 timestamp)
{
    CvThread thread(id, CvUserRef(QStringLiteral("200"), QStringLiteral("Bo")));
    if (timestamp >= 0)
        thread.setUpdatedTime(ms(timestamp));
    return thread;
}

void tst_CorvanaThreads::dropTable(const QString &table)
{
    const QString connection = QStringLiteral("drop");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(m_fixture->databasePath());
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("DROP TABLE ") + table));
    }
    QSqlDatabase::removeDatabase(connection);
}

void tst_CorvanaThreads::statements_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<QString>("statement");

    QTest::newRow("threads of sent, default paging, no window") << Call([](Corvana &c) {
        return c.retrieveThreads(nullptr, MessageBoxSent, filter(QStringLiteral("me")));
    }) << threadsStatement.arg(QStringLiteral("sent"), QString(), QStringLiteral("0,10"));
    QTest::newRow("threads until only")
        << Call([](Corvana &c) {
               return c.retrieveThreads(nullptr, MessageBoxInbox,
                                        filter(QStringLiteral("100"), -1, -1, {}, ms(1000)));
           })
        << threadsStatement.arg(QStringLiteral("inbox"), QStringLiteral("AND timestamp <= 1000"),
                                QStringLiteral("0,10"));
    QTest::newRow("threads window and page")
        << Call([](Corvana &c) {
               return c.retrieveThreads(nullptr, MessageBoxSpam,
                                        filter(QStringLiteral("me"), 20, 5, ms(5000), ms(9000)));
           })
        << threadsStatement.arg(QStringLiteral("spam"),
                                QStringLiteral("AND timestamp >= 5000 AND timestamp <= 9000"),
                                QStringLiteral("20,5"));
    QTest::newRow("messages since only")
        << Call([](Corvana &c) {
               return c.retrieveMessages(nullptr, filter(QStringLiteral("t1"), -1, 3, ms(2000)));
           })
        << messagesStatement.arg(QStringLiteral("t1"), QStringLiteral("AND timestamp >= 2000"),
                                 QStringLiteral("0,3"));
    QTest::newRow("attachments") << Call([](Corvana &c) {
        return c.retrieveThreadAttachments(nullptr, QStringLiteral("t1"));
    }) << attachmentsStatement.arg(QStringLiteral("t1"));
    QTest::newRow("unread of folder 0 is the inbox")
        << Call([](Corvana &c) { return c.retrieveNumberOfUnreadThreads(MessageBoxInbox); })
        << unreadStatement.arg(QStringLiteral("inbox"));
    QTest::newRow("unread of folder 7 is the inbox")
        << Call([](Corvana &c) { return c.retrieveNumberOfUnreadThreads(MessageBoxType(7)); })
        << unreadStatement.arg(QStringLiteral("inbox"));
    QTest::newRow("unread of other")
        << Call([](Corvana &c) { return c.retrieveNumberOfUnreadThreads(MessageBoxOther); })
        << unreadStatement.arg(QStringLiteral("other"));
}

void tst_CorvanaThreads::statements()
{
    QFETCH(Call, call);
    QFETCH(QString, statement);
    const int before = m_fixture->service().requestCount();
    QCOMPARE(call(*m_corvana), Corvana::Success);
    QVERIFY(m_fixture->service().waitForRequests(before + 1));
    const QList<TestService::Request> sent = m_fixture->requestsSince(before);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(statementOf(sent.first()), statement);
}

void tst_CorvanaThreads::foldersOutsideTheEnumeration()
{
    const MessageBoxType folder4 = MessageBoxType(4);
    QVERIFY(m_fixture->cache().updateThreads(FacadeFixture::profileId(), folder4,
                                             {cachedThread(QStringLiteral("t4"), 4000)}));
    const int before = m_fixture->service().requestCount();

    CvThreads threads;
    QCOMPARE(m_corvana->retrieveThreads(&threads, folder4), Corvana::InvalidArgument);
    QCOMPARE(ids(threads), QStringList {QStringLiteral("t4")});
    threads.clear();
    QCOMPARE(m_corvana->retrieveThreads(&threads, folder4, Corvana::CacheOnly), Corvana::Success);
    QCOMPARE(ids(threads), QStringList {QStringLiteral("t4")});

    // Without an access token the same call is a cache answer.
    m_corvana.reset();
    const std::unique_ptr<Corvana> offline = m_fixture->signInOffline();
    QVERIFY(offline && offline->isInitialized());
    threads.clear();
    QCOMPARE(offline->retrieveThreads(&threads, folder4), Corvana::Success);
    QCOMPARE(ids(threads), QStringList {QStringLiteral("t4")});
    QCOMPARE(offline->sendMessage(QStringLiteral("hi"), {QStringLiteral("200")}),
             Corvana::NetworkUnavailable);
    QCOMPARE(m_fixture->service().requestCount(), before);
}

void tst_CorvanaThreads::threadReplyWindow_data()
{
    QTest::addColumn<CvDataFilter>("request");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("updated");
    QTest::addColumn<QStringList>("removed");

    // The cache holds t00 (newest, 30 s after the epoch) to t29 (1 s after it), and "n", which
    // has no update time and sorts last.
    QTest::newRow("page 20,5 of a window")
        << filter(QStringLiteral("me"), 20, 5, ms(0), ms(100000))
        << QByteArray("[" + threadRow(QStringLiteral("t21"), 8000) + ","
                      + threadRow(QStringLiteral("new"), 7500) + ","
                      + threadRow(QStringLiteral("t23"), 6000) + "]")
        << QStringList {QStringLiteral("new")}
        << QStringList {QStringLiteral("t21"), QStringLiteral("t23")}
        << QStringList {QStringLiteral("t20"), QStringLiteral("t22"), QStringLiteral("t24")};
    // Without a time clause both bounds read back as the epoch: only the thread without an
    // update time is inside the window, whatever the page.
    QTest::newRow("no time clause")
        << filter(QStringLiteral("me"), 0, 40) << QByteArray("[]") << QStringList() << QStringList()
        << QStringList {QStringLiteral("n")};
}

void tst_CorvanaThreads::threadReplyWindow()
{
    QFETCH(CvDataFilter, request);
    QFETCH(QByteArray, rows);
    QFETCH(QStringList, added);
    QFETCH(QStringList, updated);
    QFETCH(QStringList, removed);

    CvThreads cached;
    for (int i = 0; i < 30; ++i)
        cached.append(
            cachedThread(QStringLiteral("t%1").arg(i, 2, 10, QLatin1Char('0')), (30 - i) * 1000));
    cached.append(cachedThread(QStringLiteral("n"), -1));
    QVERIFY(m_fixture->cache().updateThreads(FacadeFixture::profileId(), MessageBoxOther, cached));

    QString clause;
    if (request.since.isValid())
        clause = QStringLiteral("AND timestamp >= %1 AND timestamp <= %2")
                     .arg(request.since.toMSecsSinceEpoch())
                     .arg(request.until.toMSecsSinceEpoch());
    m_fixture->setQueryRows(
        threadsStatement.arg(QStringLiteral("other"), clause,
                             QStringLiteral("%1,%2").arg(request.offset).arg(request.limit)),
        rows);

    QSignalSpy retrieved(m_corvana.get(), &Corvana::threadsRetrieved);
    QSignalSpy synced(m_corvana.get(), &Corvana::threadsUpdated);
    QSignalSpy errors(m_corvana.get(), &Corvana::error);
    QCOMPARE(m_corvana->retrieveThreads(nullptr, MessageBoxOther, request), Corvana::Success);
    QVERIFY(synced.wait(20000));
    QCOMPARE(retrieved.size(), 1);
    QCOMPARE(retrieved.first().at(0).value<MessageBoxType>(), MessageBoxOther);
    QCOMPARE(synced.first().at(0).value<MessageBoxType>(), MessageBoxOther);
    QCOMPARE(ids(synced.first().at(1).value<CvThreads>()), added);
    QCOMPARE(ids(synced.first().at(2).value<CvThreads>()), updated);
    QCOMPARE(ids(synced.first().at(3).value<CvThreads>()), removed);
    QCOMPARE(errors.size(), 0);

    // The removed threads are gone from the cache, and only those.
    CvThreads after;
    QVERIFY(m_fixture->cache().getThreads(FacadeFixture::profileId(), MessageBoxOther, &after,
                                          CvDataFilter(FacadeFixture::profileId())));
    QCOMPARE(after.size(), cached.size() + added.size() - removed.size());
    for (const QString &id : removed)
        QVERIFY(!ids(after).contains(id));
}

void tst_CorvanaThreads::messagesByUnknownAuthorsStored()
{
    // A richer stored user must stay as it is; an unknown author is stored as a reference.
    CvUser known(QStringLiteral("300"), QStringLiteral("Cy"));
    known.setFirstName(QStringLiteral("Cyril"));
    QVERIFY(m_fixture->cache().updateUser(known) != CvCache::UpdateFailed);
    m_fixture->setQueryRows(
        messagesStatement.arg(QStringLiteral("t1"), QString(), QStringLiteral("0,10")),
        R"([{"message_id":"2","thread_id":"t1","timestamp":2000,"body":"second",
             "sender":{"user_id":"300","name":"Cy"},"attachments":[]},
            {"message_id":"1","thread_id":"t1","timestamp":1000,"body":"first",
             "sender":{"user_id":"200","name":"Bo"},"attachments":[]}])");

    QSignalSpy updated(m_corvana.get(), &Corvana::messagesUpdated);
    QSignalSpy errors(m_corvana.get(), &Corvana::error);
    QCOMPARE(m_corvana->retrieveMessages(nullptr, QStringLiteral("t1")), Corvana::Success);
    QVERIFY(updated.wait(20000));
    QCOMPARE(errors.size(), 0);
    QCOMPARE(updated.first().at(0).toString(), QStringLiteral("t1"));
    QCOMPARE(ids(updated.first().at(1).value<CvMessages>()),
             QStringList({QStringLiteral("2"), QStringLiteral("1")}));

    CvMessages stored;
    QCOMPARE(m_corvana->retrieveMessages(&stored, QStringLiteral("t1"), Corvana::CacheOnly),
             Corvana::Success);
    QCOMPARE(ids(stored), QStringList({QStringLiteral("2"), QStringLiteral("1")}));
    QCOMPARE(stored.at(1).content(), QStringLiteral("first"));
    CvUser user;
    QVERIFY(m_fixture->cache().getUser(QStringLiteral("200"), &user, CvCache::ById));
    QCOMPARE(user.name(), QStringLiteral("Bo"));
    QVERIFY(m_fixture->cache().getUser(QStringLiteral("300"), &user, CvCache::ById));
    QCOMPARE(user.firstName(), QStringLiteral("Cyril"));
}

void tst_CorvanaThreads::cacheFailureStillSignals_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<Call>("call");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QByteArray>("signal");

    QTest::newRow("messages")
        << QStringLiteral("messages")
        << Call([](Corvana &c) { return c.retrieveMessages(nullptr, QStringLiteral("t1")); })
        << messagesStatement.arg(QStringLiteral("t1"), QString(), QStringLiteral("0,10"))
        << QByteArray(R"([{"message_id":"1","thread_id":"t1","timestamp":1000,"body":"b",
                           "sender":{"user_id":"200","name":"Bo"},"attachments":[]}])")
        << QByteArray(SIGNAL(messagesUpdated(QString, Cv::CvMessages)));
    QTest::newRow("attachments")
        << QStringLiteral("attachments") << Call([](Corvana &c) {
               return c.retrieveThreadAttachments(nullptr, QStringLiteral("t1"));
           })
        << attachmentsStatement.arg(QStringLiteral("t1"))
        << QByteArray(R"([{"thread_id":"t1","message_id":"t1_1","attachment":{"caption":"c",
                           "name":"n","media":[{"type":"link","src":"https://x.invalid/a"}]}}])")
        << QByteArray(SIGNAL(threadAttachmentsUpdated(QString, Cv::CvAttachments)));
}

void tst_CorvanaThreads::cacheFailureStillSignals()
{
    QFETCH(QString, table);
    QFETCH(Call, call);
    QFETCH(QString, statement);
    QFETCH(QByteArray, rows);
    QFETCH(QByteArray, signal);
    dropTable(table);
    m_fixture->setQueryRows(statement, rows);

    QSignalSpy updated(m_corvana.get(), signal.constData());
    QSignalSpy errors(m_corvana.get(), &Corvana::error);
    // The cache's own two lines, then the facade's.
    for (const char *text : {"Cache error: ", "Cache error: ", "Cache update failed: "})
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QString::fromLatin1(text)));
    QCOMPARE(call(*m_corvana), Corvana::Success);
    QVERIFY(updated.wait(20000));
    QCOMPARE(updated.first().at(0).toString(), QStringLiteral("t1"));
    // The service's data arrives although it could not be stored.
    const QVariant items = updated.first().at(1);
    QCOMPARE(table == QLatin1String("messages") ? items.value<CvMessages>().size()
                                                : items.value<CvAttachments>().size(),
             1);
    QCOMPARE(errors.size(), 1);
    const CvError err = errors.first().first().value<CvError>();
    QCOMPARE(err.errorType(), CvError::CacheError);
    QVERIFY(!err.cacheErrorString().isEmpty());
}

void tst_CorvanaThreads::unreadCountReplies_data()
{
    QTest::addColumn<MessageBoxType>("folder");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<quint32>("number");

    // A reply without rows (0) is part of the routing walk (tst_corvana_routing).
    QTest::newRow("count") << MessageBoxSpam << QByteArray(R"([{"unread_count":3}])") << 3u;
    QTest::newRow("row without count") << MessageBoxInbox << QByteArray("[{}]") << 0u;
}

void tst_CorvanaThreads::unreadCountReplies()
{
    QFETCH(MessageBoxType, folder);
    QFETCH(QByteArray, rows);
    QFETCH(quint32, number);
    const QString names[] = {QStringLiteral("inbox"), QStringLiteral("other"),
                             QStringLiteral("sent"), QStringLiteral("spam")};
    m_fixture->setQueryRows(unreadStatement.arg(names[folder]), rows);

    QSignalSpy counted(m_corvana.get(), &Corvana::numberOfUnreadThreadsRetrieved);
    QCOMPARE(m_corvana->retrieveNumberOfUnreadThreads(folder), Corvana::Success);
    QVERIFY(counted.wait(20000));
    QCOMPARE(counted.size(), 1);
    QCOMPARE(counted.first().at(0).value<MessageBoxType>(), folder);
    QCOMPARE(counted.first().at(1).value<quint32>(), number);
}

QTEST_GUILESS_MAIN(tst_CorvanaThreads)
#include "tst_corvana_threads.moc"
