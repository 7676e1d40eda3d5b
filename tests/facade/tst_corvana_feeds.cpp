#include "corvana.h"
#include "cvcache.h"
#include "cvdatafilter.h"
#include "facadefixture.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace Cv;

namespace {

const QString me = QStringLiteral("100");

// A feed post as the service sends it; the id is "100_<n>".
QByteArray postJson(const QString &id, const QString &type, const QString &message = QString())
{
    return QStringLiteral(R"({"id":"%1","from":{"id":"100","name":"Ann"},"type":"%2",)"
                          R"("message":"%3","created_time":"2026-12-01T10:00:00+0000"})")
        .arg(id, type, message.isEmpty() ? id : message)
        .toUtf8();
}

QByteArray feed(const QList<QByteArray> &posts, const QByteArray &extra = QByteArray())
{
    QByteArray body = "{\"data\":[";
    for (int i = 0; i < posts.size(); ++i)
        body += (i ? "," : "") + posts.at(i);
    return body + "]" + extra + "}";
}

CvPost post(const QString &id, const QString &type)
{
    CvPost p(id, CvUserRef(me, QStringLiteral("Ann")),
             QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC));
    p.setType(type);
    p.setMessage(id);
    return p;
}

template<typename List>
QString ids(const List &items)
{
    QStringList out;
    for (const auto &item : items)
        out.append(item.id());
    return out.join(QLatin1Char(' '));
}

QString refIds(const CvUserRefs &refs)
{
    QStringList out;
    for (const CvUserRef &ref : refs)
        out.append(ref.id);
    return out.join(QLatin1Char(' '));
}

CvDataFilter window(const QString &id, bool bounded)
{
    CvDataFilter filter(id);
    if (bounded)
        filter.since = QDateTime(QDate(2026, 11, 1), QTime(0, 0), Qt::UTC);
    return filter;
}

// The three lists of an ...Updated signal, as "added|updated|removed".
QString updateText(const QList<QVariant> &arguments, int first)
{
    return ids(arguments.at(first).value<CvPosts>()) + QLatin1Char('|')
        + ids(arguments.at(first + 1).value<CvPosts>()) + QLatin1Char('|')
        + ids(arguments.at(first + 2).value<CvPosts>());
}

} // namespace

class tst_CorvanaFeeds : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void feedDiff_data();
    void feedDiff();
    void typedWindowComparesItsTypeOnly();
    void typeQueueOrder();
    void statusMessagesWithComments();
    void comments();
    void likesSignalForms_data();
    void likesSignalForms();
    void latestStatusMessage();
    void likeCheck_data();
    void likeCheck();
    void singlePostOutcome();
    void syncFailureWarnings_data();
    void syncFailureWarnings();

private:
    // Cache writes of \a table fail from now on, while reads keep working.
    void failInsertsInto(const QString &table);

    std::unique_ptr<FacadeFixture> m_fixture;
    std::unique_ptr<Corvana> m_corvana;
};

void tst_CorvanaFeeds::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
    m_corvana = m_fixture->signIn();
    QVERIFY(m_corvana);
}

void tst_CorvanaFeeds::cleanup()
{
    m_corvana.reset();
    m_fixture.reset();
    QSqlDatabase::removeDatabase(QStringLiteral("tst_corvana_feeds"));
}

void tst_CorvanaFeeds::failInsertsInto(const QString &table)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    QStringLiteral("tst_corvana_feeds"));
        db.setDatabaseName(m_fixture->databasePath());
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON %1 BEGIN "
                                          "SELECT RAISE(ABORT, 'refused'); END")
                               .arg(table)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tst_corvana_feeds"));
}

void tst_CorvanaFeeds::feedDiff_data()
{
    QTest::addColumn<bool>("profile");
    QTest::addColumn<bool>("bounded");
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QString>("update");
    QTest::addColumn<QString>("cachedAfter");

    // Cached: 100_1 (X) and 100_2 (Y); the service lists 100_2 and 100_3 (Z).
    const QByteArray nextPage = R"(,"paging":{"next":"https://127.0.0.1:1/100/home?offset=2"})";
    QTest::newRow("news, window") << false << true << QByteArray() << "100_3|100_2|100_1"
                                  << "100_2 100_3";
    QTest::newRow("news, no window") << false << false << QByteArray() << "100_3|100_2|"
                                     << "100_1 100_2 100_3";
    QTest::newRow("news, window with a next page") << false << true << nextPage << "100_3|100_2|"
                                                   << "100_1 100_2 100_3";
    QTest::newRow("profile, window") << true << true << QByteArray() << "100_3|100_2|100_1"
                                     << "100_2 100_3";
    QTest::newRow("profile, no window") << true << false << QByteArray() << "100_3|100_2|"
                                        << "100_1 100_2 100_3";
}

void tst_CorvanaFeeds::feedDiff()
{
    QFETCH(bool, profile);
    QFETCH(bool, bounded);
    QFETCH(QByteArray, extra);
    QFETCH(QString, cachedAfter);

    const auto type = profile ? CvCache::ProfileFeed : CvCache::NewsFeed;
    QVERIFY(
        m_fixture->cache().updatePosts(me, type,
                                       {post(QStringLiteral("100_1"), QStringLiteral("status")),
                                        post(QStringLiteral("100_2"), QStringLiteral("status"))}));
    m_fixture->setPath(profile ? QStringLiteral("/100/feed") : QStringLiteral("/100/home"),
                       feed({postJson(QStringLiteral("100_2"), QStringLiteral("status")),
                             postJson(QStringLiteral("100_3"), QStringLiteral("status"))},
                            extra));

    QSignalSpy retrieved(m_corvana.get(),
                         profile ? SIGNAL(profileFeedRetrieved(QString, Cv::CvPosts))
                                 : SIGNAL(newsFeedRetrieved(Cv::CvPosts)));
    QSignalSpy updated(
        m_corvana.get(),
        profile ? SIGNAL(profileFeedUpdated(QString, Cv::CvPosts, Cv::CvPosts, Cv::CvPosts))
                : SIGNAL(newsFeedUpdated(Cv::CvPosts, Cv::CvPosts, Cv::CvPosts)));
    CvPosts cached;
    const CvDataFilter filter = window(QStringLiteral("me"), bounded);
    QCOMPARE(profile ? m_corvana->retrieveProfileFeed(&cached, filter)
                     : m_corvana->retrieveNewsFeed(&cached, filter),
             Corvana::Success);
    QCOMPARE(cached.size(), 2);
    QVERIFY(updated.wait(20000));
    QCOMPARE(retrieved.size(), 1);
    QCOMPARE(updated.size(), 1);
    if (profile)
        QCOMPARE(updated.first().first().toString(), me);
    QTEST(updateText(updated.first(), profile ? 1 : 0), "update");

    CvPosts after;
    QVERIFY(m_fixture->cache().getPosts(me, type, &after));
    QStringList afterIds = ids(after).split(QLatin1Char(' '));
    afterIds.sort();
    QCOMPARE(afterIds.join(QLatin1Char(' ')), cachedAfter);
}

void tst_CorvanaFeeds::typedWindowComparesItsTypeOnly()
{
    QVERIFY(
        m_fixture->cache().updatePosts(me, CvCache::NewsFeed,
                                       {post(QStringLiteral("100_1"), QStringLiteral("status")),
                                        post(QStringLiteral("100_2"), QStringLiteral("link"))}));
    m_fixture->setPath(QStringLiteral("/100/home"),
                       feed({postJson(QStringLiteral("100_3"), QStringLiteral("status")),
                             postJson(QStringLiteral("100_4"), QStringLiteral("photo"))}));

    QSignalSpy retrieved(m_corvana.get(), &Corvana::newsFeedRetrieved);
    QSignalSpy updated(m_corvana.get(), &Corvana::newsFeedUpdated);
    CvPosts cached;
    QCOMPARE(m_corvana->retrieveNewsFeed(&cached, window(me, true), QStringLiteral("status")),
             Corvana::Success);
    QCOMPARE(ids(cached), QStringLiteral("100_1"));
    QVERIFY(updated.wait(20000));
    QCOMPARE(ids(retrieved.first().first().value<CvPosts>()), QStringLiteral("100_3"));
    QCOMPARE(updateText(updated.first(), 0), QStringLiteral("100_3||100_1"));

    CvPosts all;
    QVERIFY(m_fixture->cache().getPosts(me, CvCache::NewsFeed, &all));
    QStringList allIds = ids(all).split(QLatin1Char(' '));
    allIds.sort();
    QCOMPARE(allIds, (QStringList {QStringLiteral("100_2"), QStringLiteral("100_3")}));
}

void tst_CorvanaFeeds::typeQueueOrder()
{
    // Every reply carries both types; each keeps only the type its turn in the queue gives.
    m_fixture->setPath(QStringLiteral("/100/home"),
                       feed({postJson(QStringLiteral("100_1"), QStringLiteral("photo")),
                             postJson(QStringLiteral("100_2"), QStringLiteral("status"))}));
    QSignalSpy retrieved(m_corvana.get(), &Corvana::newsFeedRetrieved);
    QCOMPARE(m_corvana->retrieveNewsFeed(nullptr, CvDataFilter(me), QStringLiteral("status")),
             Corvana::Success);
    QCOMPARE(m_corvana->retrieveNewsFeed(nullptr, CvDataFilter(me), QStringLiteral("photo")),
             Corvana::Success);
    QTRY_COMPARE_WITH_TIMEOUT(retrieved.size(), 2, 20000);
    QCOMPARE(ids(retrieved.at(0).first().value<CvPosts>()), QStringLiteral("100_2"));
    QCOMPARE(ids(retrieved.at(1).first().value<CvPosts>()), QStringLiteral("100_1"));

    // A request without a type queues nothing: its reply keeps every post.
    QCOMPARE(m_corvana->retrieveNewsFeed(nullptr), Corvana::Success);
    QVERIFY(retrieved.wait(20000));
    QCOMPARE(ids(retrieved.at(2).first().value<CvPosts>()), QStringLiteral("100_1 100_2"));
}

void tst_CorvanaFeeds::statusMessagesWithComments()
{
    m_fixture->setPath(QStringLiteral("/100/statuses"),
                       R"({"data":[{"id":"7","from":{"id":"100","name":"Ann"},"message":"hi",
             "updated_time":"2026-12-01T10:00:00+0000",
             "comments":{"data":[{"id":"1","from":{"id":"42","name":"Bo"},"message":"yo",
                                  "created_time":"2026-12-01T11:00:00+0000"}]}},
            {"id":"100_8","from":{"id":"100","name":"Ann"},"message":"bye",
             "updated_time":"2026-12-02T10:00:00+0000"}]})");
    QVERIFY(m_fixture->cache().updatePosts(
        me, CvCache::ProfileFeed, {post(QStringLiteral("100_8"), QStringLiteral("status"))}));
    QVERIFY(m_fixture->cache().updateComments(
        PostComments, QStringLiteral("100_8"),
        {CvMessage(QStringLiteral("100_8_1"), CvUserRef(me, QStringLiteral("Ann")))}));

    QSignalSpy updated(m_corvana.get(), &Corvana::statusMessagesUpdated);
    QCOMPARE(m_corvana->retrieveStatusMessages(nullptr, QStringLiteral("me")), Corvana::Success);
    QVERIFY(updated.wait(20000));
    QCOMPARE(updated.first().first().toString(), me);
    QCOMPARE(updateText(updated.first(), 1), QStringLiteral("100_7|100_8|"));
    const QStringList fields = m_fixture->service()
                                   .lastRequest()
                                   .queryValue(QStringLiteral("fields"))
                                   .split(QLatin1Char(','));
    QCOMPARE(fields.size(), 6);

    // The first status carries a comment, the second none: its stored comments go.
    CvMessages comments;
    QVERIFY(m_fixture->cache().getComments(PostComments, QStringLiteral("100_7"), &comments));
    QCOMPARE(ids(comments), QStringLiteral("100_7_1"));
    comments.clear();
    m_fixture->cache().getComments(PostComments, QStringLiteral("100_8"), &comments);
    QVERIFY(comments.isEmpty());
}

void tst_CorvanaFeeds::comments()
{
    m_fixture->setPath(QStringLiteral("/p1/comments"),
                       R"({"data":[{"id":"p1_1","from":{"id":"42","name":"Bo"},"message":"nice",
                     "created_time":"2026-12-01T11:00:00+0000"}]})");
    QSignalSpy retrieved(m_corvana.get(), &Corvana::commentsRetrieved);
    QSignalSpy updated(m_corvana.get(), &Corvana::commentsUpdated);
    QCOMPARE(m_corvana->retrieveComments(nullptr, PhotoComments, QStringLiteral("p1")),
             Corvana::Success);
    QVERIFY(updated.wait(20000));
    QCOMPARE(updated.first().at(0).value<CommentTarget>(), PhotoComments);
    QCOMPARE(updated.first().at(1).toString(), QStringLiteral("p1"));
    QCOMPARE(ids(updated.first().at(2).value<CvMessages>()), QStringLiteral("p1_1"));
    CvMessages stored;
    QVERIFY(m_fixture->cache().getComments(PhotoComments, QStringLiteral("p1"), &stored));
    QCOMPARE(ids(stored), QStringLiteral("p1_1"));

    // Without a recorded target the reply is only handed on.
    QCOMPARE(m_corvana->retrieveComments(QStringLiteral("p1")), Corvana::Success);
    QTRY_COMPARE_WITH_TIMEOUT(retrieved.size(), 2, 20000);
    QTest::qWait(50);
    QCOMPARE(updated.size(), 1);

    // A single comment; any target but photos asks for a post comment, even one out of range.
    QVERIFY(m_fixture->cache().updatePosts(
        me, CvCache::NewsFeed, {post(QStringLiteral("100_5"), QStringLiteral("status"))}));
    m_fixture->setPath(QStringLiteral("/100_5_3"),
                       R"({"id":"100_5_3","from":{"id":"42","name":"Bo"},"message":"hey"})");
    updated.clear();
    m_corvana->refreshComment(CommentTarget(4), QStringLiteral("100_5_3"));
    QVERIFY(updated.wait(20000));
    QCOMPARE(updated.first().at(0).value<CommentTarget>(), PostComments);
    QCOMPARE(updated.first().at(1).toString(), QStringLiteral("100_5"));
    CvMessage comment;
    QVERIFY(m_fixture->cache().getComment(QStringLiteral("100_5_3"), &comment));

    // The same comment again is unchanged: handed on, but no update.
    m_corvana->refreshComment(PostComments, QStringLiteral("100_5_3"));
    QTRY_COMPARE_WITH_TIMEOUT(retrieved.size(), 4, 20000);
    QTest::qWait(50);
    QCOMPARE(updated.size(), 1);
}

void tst_CorvanaFeeds::likesSignalForms_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("users");

    QTest::newRow("references") << QByteArray(R"({"data":[{"id":"1","name":"A"},)"
                                              R"({"id":"2","name":"B"}]})")
                                << false << "1 2";
    QTest::newRow("users") << QByteArray(R"({"data":[{"id":"1","name":"A","first_name":"Al"}]})")
                           << true << "1";
    QTest::newRow("nobody") << QByteArray(R"({"data":[]})") << false << "";
}

void tst_CorvanaFeeds::likesSignalForms()
{
    QFETCH(QByteArray, served);
    QFETCH(bool, full);
    QFETCH(QString, users);

    m_fixture->setPath(QStringLiteral("/100_5/likes"), served);
    QSignalSpy refs(m_corvana.get(),
                    qOverload<const QString &, const CvUserRefs &>(&Corvana::likesRetrieved));
    QSignalSpy complete(m_corvana.get(),
                        qOverload<const QString &, const CvUsers &>(&Corvana::likesRetrieved));
    QCOMPARE(m_corvana->retrieveLikes(QStringLiteral("100_5")), Corvana::Success);
    QTRY_COMPARE_WITH_TIMEOUT(refs.size() + complete.size(), 1, 20000);
    QTest::qWait(50);
    QCOMPARE(complete.size(), full ? 1 : 0);
    QCOMPARE(refs.size(), full ? 0 : 1);
    const QList<QVariant> arguments = full ? complete.first() : refs.first();
    QCOMPARE(arguments.at(0).toString(), QStringLiteral("100_5"));
    QCOMPARE(full ? ids(arguments.at(1).value<CvUsers>())
                  : refIds(arguments.at(1).value<CvUserRefs>()),
             users);
}

void tst_CorvanaFeeds::latestStatusMessage()
{
    QStringList twenty;
    for (int i = 1; i <= 20; ++i)
        twenty.append(QString::number(i));
    const int before = m_fixture->service().requestCount();
    QCOMPARE(m_corvana->retrieveLatestStatusMessage(twenty + QStringList {QStringLiteral("21")}),
             Corvana::InvalidArgument);
    QCOMPARE(m_corvana->retrieveLatestStatusMessage({QStringLiteral("1 OR 2")}),
             Corvana::InvalidArgument);

    QList<QVariantList> batches;
    m_fixture->setBatchResponder([&batches](const QVariantList &requests) {
        batches.append(requests);
        QList<FacadeFixture::SubReply> replies;
        for (int i = 0; i < requests.size(); ++i)
            replies.append({200, R"({"data":[]})"});
        replies[0] = {200, R"({"data":[{"id":"9","from":{"id":"1","name":"One"},"message":"m"}]})"};
        replies[2] = {500, R"({"error":{"message":"down"}})"};
        return replies;
    });
    QSignalSpy retrieved(m_corvana.get(), &Corvana::latestStatusMessageRetrieved);
    QSignalSpy errors(m_corvana.get(), &Corvana::error);
    QCOMPARE(m_corvana->retrieveLatestStatusMessage(twenty), Corvana::Success);
    QVERIFY(retrieved.wait(20000));
    QCOMPARE(m_fixture->service().requestCount(), before + 1);
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().size(), 20);
    QCOMPARE(batches.first().at(19).toMap().value(QStringLiteral("relative_url")).toString(),
             QStringLiteral("20/statuses?limit=1"));

    QCOMPARE(retrieved.first().at(0).toStringList(), twenty);
    const CvPosts posts = retrieved.first().at(1).value<CvPosts>();
    QCOMPARE(posts.size(), 19); // the failed third one is left out
    QCOMPARE(posts.first().id(), QStringLiteral("1_9"));
    QVERIFY(!posts.at(1).isValid());
    QCOMPARE(errors.size(), 1);
    const CvError err = errors.first().first().value<CvError>();
    QCOMPARE(err.errorType(), CvError::GeneralError);
    QCOMPARE(err.objectId(), QStringLiteral("3"));
    QCOMPARE(err.corvanaErrorHeaders(), QStringLiteral(R"({"error":{"message":"down"}})"));
}

void tst_CorvanaFeeds::likeCheck_data()
{
    QTest::addColumn<bool>("object");
    QTest::addColumn<int>("likeCode");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<int>("expected"); // -1: nothing emitted, else yes as 0 or 1

    QTest::newRow("post liked") << false << 200 << QByteArray(R"([{"user_id":42}])") << 1;
    QTest::newRow("post not liked") << false << 200 << QByteArray("[]") << 0;
    QTest::newRow("liked by another") << false << 200 << QByteArray(R"([{"user_id":"43"}])") << 0;
    QTest::newRow("object liked") << true << 200 << QByteArray(R"([{"user_id":"42"}])") << 1;
    QTest::newRow("failed sub-request") << false << 500 << QByteArray("[]") << -1;
}

void tst_CorvanaFeeds::likeCheck()
{
    QFETCH(bool, object);
    QFETCH(int, likeCode);
    QFETCH(QByteArray, rows);
    QFETCH(int, expected);

    QVariantList sent;
    m_fixture->setBatchResponder([&](const QVariantList &requests) {
        sent = requests;
        return QList<FacadeFixture::SubReply> {
            {200, R"({"id":"100_5","from":{"id":"100","name":"Ann"},"name":"N","type":"status"})"},
            {likeCode, rows}};
    });
    QSignalSpy posts(m_corvana.get(), &Corvana::ifUserLikesPostChecked);
    QSignalSpy objects(m_corvana.get(), &Corvana::ifUserLikesObjectChecked);
    QSignalSpy errors(m_corvana.get(), &Corvana::error);
    const int before = m_fixture->service().requestCount();
    QCOMPARE(object
                 ? m_corvana->checkIfUserLikesObject(QStringLiteral("42"), QStringLiteral("100_5"))
                 : m_corvana->checkIfUserLikesPost(QStringLiteral("42"), QStringLiteral("100_5")),
             Corvana::Success);
    QVERIFY(m_fixture->service().waitForRequests(before + 1));
    QSignalSpy &result = object ? objects : posts;
    if (expected < 0) {
        QTest::qWait(500);
        QCOMPARE(posts.size() + objects.size() + errors.size(), 0);
        return;
    }
    QVERIFY(result.wait(20000));
    QCOMPARE(result.first().at(0).toString(), QStringLiteral("42"));
    QCOMPARE(result.first().at(1).toBool(), bool(expected));
    QCOMPARE(sent.at(0).toMap().value(QStringLiteral("relative_url")).toString(),
             object ? QStringLiteral("100_5?metadata=1") : QStringLiteral("100_5"));
    QCOMPARE(sent.at(1).toMap().value(QStringLiteral("relative_url")).toString(),
             QStringLiteral("method/cvql.query?query=SELECT user_id, %1 FROM like WHERE "
                            "%1=%22100_5%22 AND user_id=42")
                 .arg(object ? QStringLiteral("object_id") : QStringLiteral("post_id")));
}

void tst_CorvanaFeeds::singlePostOutcome()
{
    QSignalSpy retrieved(m_corvana.get(), &Corvana::newsFeedRetrieved);
    QSignalSpy updated(m_corvana.get(), &Corvana::newsFeedUpdated);
    const auto fetch = [&](const QByteArray &json) {
        m_fixture->setPath(QStringLiteral("/100_5"), json);
        const int count = retrieved.size();
        QCOMPARE(m_corvana->retrieveNewsPost(nullptr, QStringLiteral("100_5")), Corvana::Success);
        QTRY_COMPARE_WITH_TIMEOUT(retrieved.size(), count + 1, 20000);
    };
    // A post tagging someone not cached yet is stored with that person as a reference.
    const QByteArray tagged = R"({"id":"100_5","from":{"id":"100","name":"Ann"},"type":"status",
        "message":"one","with_tags":{"data":[{"id":"77","name":"Tag"}]}})";
    fetch(tagged);
    QCOMPARE(updated.size(), 1);
    QCOMPARE(updateText(updated.first(), 0), QStringLiteral("100_5||"));
    CvUser tag;
    QVERIFY(m_fixture->cache().getUser(QStringLiteral("77"), &tag, CvCache::ById));
    QCOMPARE(tag.name(), QStringLiteral("Tag"));

    // The cache files an unchanged post in the feed again and reports it as new there.
    fetch(tagged);
    QCOMPARE(updated.size(), 2);
    QCOMPARE(updateText(updated.last(), 0), QStringLiteral("100_5||"));

    fetch(postJson(QStringLiteral("100_5"), QStringLiteral("status"), QStringLiteral("two")));
    QCOMPARE(updated.size(), 3);
    QCOMPARE(updateText(updated.last(), 0), QStringLiteral("|100_5|"));
    CvPost stored;
    QVERIFY(m_fixture->cache().getPost(QStringLiteral("100_5"), &stored));
    QCOMPARE(stored.message(), QStringLiteral("two"));
}

void tst_CorvanaFeeds::syncFailureWarnings_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("warning");

    QTest::newRow("news feed") << "news"
                               << "posts"
                               << "NewsFeed sync failed: ";
    QTest::newRow("profile feed") << "profile"
                                  << "posts" << QString();
    QTest::newRow("status messages") << "status"
                                     << "posts"
                                     << "StatusMessages sync failed: ";
    QTest::newRow("comments") << "comments"
                              << "comments"
                              << "Comments sync failed: ";
}

void tst_CorvanaFeeds::syncFailureWarnings()
{
    QFETCH(QString, kind);
    QFETCH(QString, table);
    QFETCH(QString, warning);

    const QByteArray posts = feed({postJson(QStringLiteral("100_1"), QStringLiteral("status"))});
    m_fixture->setPath(QStringLiteral("/100/home"), posts);
    m_fixture->setPath(QStringLiteral("/100/feed"), posts);
    m_fixture->setPath(
        QStringLiteral("/100/statuses"),
        R"({"data":[{"id":"100_1","from":{"id":"100","name":"Ann"},"message":"m"}]})");
    m_fixture->setPath(QStringLiteral("/100_1/comments"),
                       R"({"data":[{"id":"100_1_1","from":{"id":"100","name":"Ann"}}]})");
    // Comments hang on a stored post.
    if (kind == QLatin1String("comments"))
        QVERIFY(m_fixture->cache().updatePosts(
            me, CvCache::NewsFeed, {post(QStringLiteral("100_1"), QStringLiteral("status"))}));
    failInsertsInto(table);

    QSignalSpy errors(m_corvana.get(), &Corvana::error);
    QSignalSpy retrieved(m_corvana.get(),
                         kind == QLatin1String("news") ? SIGNAL(newsFeedRetrieved(Cv::CvPosts))
                             : kind == QLatin1String("profile")
                             ? SIGNAL(profileFeedRetrieved(QString, Cv::CvPosts))
                             : kind == QLatin1String("status")
                             ? SIGNAL(statusMessagesRetrieved(QString, Cv::CvPosts))
                             : SIGNAL(commentsRetrieved(QString, Cv::CvMessages)));
    QSignalSpy news(m_corvana.get(), &Corvana::newsFeedUpdated);
    QSignalSpy profile(m_corvana.get(), &Corvana::profileFeedUpdated);
    QSignalSpy status(m_corvana.get(), &Corvana::statusMessagesUpdated);
    QSignalSpy comments(m_corvana.get(), &Corvana::commentsUpdated);
    // The cache logs its own failure; the facade adds the kind's line, if the kind has one.
    if (warning.isEmpty())
        QTest::failOnWarning(QRegularExpression(QStringLiteral("sync failed")));
    else
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));

    Corvana::ReturnCode code = Corvana::RequestFailed;
    if (kind == QLatin1String("news"))
        code = m_corvana->retrieveNewsFeed(nullptr);
    else if (kind == QLatin1String("profile"))
        code = m_corvana->retrieveProfileFeed(nullptr, QStringLiteral("me"));
    else if (kind == QLatin1String("status"))
        code = m_corvana->retrieveStatusMessages(nullptr, QStringLiteral("me"));
    else
        code = m_corvana->retrieveComments(nullptr, PostComments, QStringLiteral("100_1"));
    QCOMPARE(code, Corvana::Success);
    QVERIFY(errors.wait(20000));
    QCOMPARE(retrieved.size(), 1);
    QCOMPARE(errors.size(), 1);
    const CvError err = errors.first().first().value<CvError>();
    QCOMPARE(err.errorType(), CvError::CacheError);
    QVERIFY(err.cacheErrorString().contains(QStringLiteral("refused")));
    QCOMPARE(news.size() + profile.size() + status.size() + comments.size(), 0);
}

QTEST_GUILESS_MAIN(tst_CorvanaFeeds)
#include "tst_corvana_feeds.moc"
