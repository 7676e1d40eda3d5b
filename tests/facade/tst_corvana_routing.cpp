// Every name a reply can come back under reaches its handler: one reply per name, and exactly
// the signals that handler emits. The names of the media, search, event, group and check-in
// operations are walked by tst_corvana_media and tst_corvana_social, with the same recorder.

#include "corvana.h"
#include "cvcache.h"
#include "cvdatafilter.h"
#include "cverror.h"
#include "cvgraph.h"
#include "cvgraphreply.h"
#include "cvtag.h"
#include "facadefixture.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <map>
#include <memory>

using namespace Cv;

namespace {

using Script = std::function<void(FacadeFixture *)>;
using Operation = std::function<Corvana::ReturnCode(Corvana *)>;
// Hands a reply straight to the private part, for names no operation sends.
using Delivery = std::function<bool(QObject *receiver)>;

const QByteArray bo = R"({"id":"7","name":"Bo"})";
const QByteArray post = R"({"id":"100_1","from":{"id":"100","name":"Ann"},"type":"status",
    "message":"hi","created_time":"2026-12-01T10:00:00+0000"})";
const QByteArray status = R"({"id":"7_2","from":{"id":"7","name":"Bo"},"message":"up",
    "updated_time":"2026-12-01T10:00:00+0000"})";
const QByteArray picnic = R"({"id":"e1","name":"Picnic","start_time":"2026-12-24T12:00:00+0000"})";
const QByteArray friendList = R"({"data":[{"id":"7","name":"Bo","birthday":"05/06/1990"}]})";

QByteArray comment(const char *id)
{
    return QByteArray(R"({"id":")") + id
        + R"(","from":{"id":"42","name":"Cy"},"message":"hey","created_time":"2026-12-01T11:00:00+0000"})";
}

QByteArray list(const QByteArray &item)
{
    return "{\"data\":[" + item + "]}";
}

Script paths(const QList<QPair<const char *, QByteArray>> &replies)
{
    return [replies](FacadeFixture *fixture) {
        for (const auto &reply : replies)
            fixture->setPath(QString::fromLatin1(reply.first), reply.second);
    };
}

Script batch(const QList<FacadeFixture::SubReply> &replies)
{
    return [replies](FacadeFixture *fixture) {
        fixture->setBatchResponder([replies](const QVariantList &) { return replies; });
    };
}

// Comments are stored under their post, which the cache must hold first.
Script withCachedPost(const Script &script)
{
    return [script](FacadeFixture *fixture) {
        QVERIFY(fixture->cache().isInitialized() || fixture->cache().init());
        const CvPost cached(QStringLiteral("100_1"), CvUserRef(QStringLiteral("100"), {}),
                            QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC));
        QVERIFY(
            fixture->cache().updatePosts(FacadeFixture::profileId(), CvCache::NewsFeed, {cached}));
        script(fixture);
    };
}

Delivery object(const QString &id, const QString &name, const QByteArray &json)
{
    return [=](QObject *receiver) {
        return QMetaObject::invokeMethod(
            receiver, "objectDataRetrieved", Qt::DirectConnection, Q_ARG(QString, id),
            Q_ARG(QString, name),
            Q_ARG(QVariantMap, QJsonDocument::fromJson(json).toVariant().toMap()));
    };
}

Delivery connection(const QString &name)
{
    return [=](QObject *receiver) {
        return QMetaObject::invokeMethod(
            receiver, "connectionDataRetrieved", Qt::DirectConnection,
            Q_ARG(Cv::CvDataFilter, CvDataFilter(QStringLiteral("me"))), Q_ARG(QString, name),
            Q_ARG(QVariantMap, QJsonDocument::fromJson(list(bo)).toVariant().toMap()));
    };
}

Delivery query(const QString &name)
{
    return [=](QObject *receiver) {
        return QMetaObject::invokeMethod(receiver, "queryExecuted", Qt::DirectConnection,
                                         Q_ARG(QString, name),
                                         Q_ARG(QVariantList, QVariantList {QVariantMap()}));
    };
}

Delivery batchNamed(const QString &name)
{
    return [=](QObject *receiver) {
        return QMetaObject::invokeMethod(receiver, "batchExecuted", Qt::DirectConnection,
                                         Q_ARG(QString, name),
                                         Q_ARG(QList<Cv::CvGraphReply>, {CvGraphReply()}));
    };
}

Delivery search(CvGraph::SearchTarget target, bool withFields)
{
    return [=](QObject *receiver) {
        const QVariantMap data = QJsonDocument::fromJson(list(bo)).toVariant().toMap();
        if (withFields)
            return QMetaObject::invokeMethod(
                receiver, "searchReady", Qt::DirectConnection, Q_ARG(QString, QStringLiteral("s")),
                Q_ARG(Cv::CvGraph::SearchTarget, target),
                Q_ARG(QSet<QString>, {QStringLiteral("name")}), Q_ARG(QVariantMap, data));
        return QMetaObject::invokeMethod(
            receiver, "searchReady", Qt::DirectConnection, Q_ARG(QString, QStringLiteral("s")),
            Q_ARG(Cv::CvGraph::SearchTarget, target), Q_ARG(QVariantMap, data));
    };
}

// The private part is a child of the facade; its class is not exported, so find it by name.
QObject *privatePart(Corvana *corvana)
{
    const QList<QObject *> children = corvana->findChildren<QObject *>();
    for (QObject *child : children) {
        if (qstrcmp(child->metaObject()->className(), "Cv::CorvanaPrivate") == 0)
            return child;
    }
    return nullptr;
}

// The leading arguments of the first signal match \a leading; an error is compared by type and
// object id.
void compareLeading(const QVariantList &arguments, const QVariantList &leading)
{
    if (!leading.isEmpty() && arguments.value(0).metaType() == QMetaType::fromType<CvError>()) {
        const auto error = arguments.first().value<CvError>();
        QCOMPARE(int(error.errorType()), leading.value(0).toInt());
        QCOMPARE(error.objectId(), leading.value(1).toString());
        return;
    }
    QVERIFY(arguments.size() >= leading.size());
    for (int i = 0; i < leading.size(); ++i) {
        QVariant actual = arguments.at(i);
        QVERIFY2(actual.convert(leading.at(i).metaType()), qPrintable(QString::number(i)));
        QCOMPARE(actual, leading.at(i));
    }
}

QVariantList errorOf(CvError::ErrorType type, const QString &objectId)
{
    return {int(type), objectId};
}

} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Delivery)

class tst_CorvanaRouting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void recorderSeesEverySignal();
    void sentReply_data();
    void sentReply();
    void deliveredReply_data();
    void deliveredReply();

private:
    std::unique_ptr<FacadeFixture> m_fixture;
};

void tst_CorvanaRouting::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
}

void tst_CorvanaRouting::cleanup()
{
    m_fixture.reset();
}

// The walks below are only as good as the recorder: every signal must be watched, in order.
void tst_CorvanaRouting::recorderSeesEverySignal()
{
    const auto corvana = m_fixture->signInOffline();
    QVERIFY(corvana);
    SignalRecorder recorder(corvana.get());
    QVERIFY(recorder.spiesValid());
    int signalCount = 0;
    const QMetaObject &meta = Corvana::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        signalCount += meta.method(i).methodType() == QMetaMethod::Signal;
    QCOMPARE(recorder.spyCount(), signalCount);
    QVERIFY(signalCount > 50);

    Q_EMIT corvana->profileUpdated(QStringLiteral("7"));
    Q_EMIT corvana->initialized();
    const QStringList expected {QStringLiteral("profileUpdated"), QStringLiteral("initialized()")};
    QCOMPARE(recorder.emitted(expected), expected);
    QVERIFY(privatePart(corvana.get()));
}

/*
 * One row per name an operation sends a request under: the service answers, and the reply
 * must produce exactly the listed signals, in order. A signal is named alone unless it is
 * overloaded.
 */
void tst_CorvanaRouting::sentReply_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QVariantList>("leading"); // leading arguments of the first signal

    const QString me = FacadeFixture::profileId();
    const QString error = QStringLiteral("error");
    const QStringList newsFeed {QStringLiteral("newsFeedRetrieved"),
                                QStringLiteral("newsFeedUpdated")};
    const QStringList profileFeed {QStringLiteral("profileFeedRetrieved"),
                                   QStringLiteral("profileFeedUpdated")};
    const QStringList comments {QStringLiteral("commentsRetrieved"),
                                QStringLiteral("commentsUpdated")};
    // Object replies, by the type the request was named with.
    QTest::newRow("object birthdays")
        << paths({{"/100/friends", friendList}}) << Operation([](Corvana *c) {
               return c->retrieveBirthdaysOfFriends(nullptr, Corvana::CacheAndNetwork);
           })
        << QStringList {QStringLiteral("birthdaysOfFriendsUpdated")} << QVariantList();
    QTest::newRow("object friends")
        << paths({{"/100/friends", friendList}})
        << Operation([](Corvana *c) { return c->synchronizeFriends(); })
        << QStringList {QStringLiteral("friendsSynchronized")} << QVariantList();
    QTest::newRow("object liked_pages")
        << paths({{"/100/likes", list(R"({"id":"pg1","name":"Cafe"})")}})
        << Operation([](Corvana *c) { return c->retrieveLikedPages(); })
        << QStringList {QStringLiteral("likedPagesRetrieved")} << QVariantList {me};
    QTest::newRow("object news_post") << paths({{"/100_1", post}}) << Operation([](Corvana *c) {
        return c->retrieveNewsPost(nullptr, QStringLiteral("100_1"));
    }) << newsFeed << QVariantList();
    // A note has no signal; its reply is claimed quietly.
    QTest::newRow("object note") << paths({{"/n1", R"({"id":"n1","subject":"s","message":"m"})"}})
                                 << Operation([](Corvana *c) {
                                        c->refreshNote(QStringLiteral("n1"));
                                        return Corvana::Success;
                                    })
                                 << QStringList() << QVariantList();
    QTest::newRow("object page") << paths({{"/pg1", R"({"id":"pg1","name":"Cafe"})"}})
                                 << Operation([](Corvana *c) {
                                        return c->retrievePageDetails(QStringLiteral("pg1"));
                                    })
                                 << QStringList {QStringLiteral("pageDetailsRetrieved")}
                                 << QVariantList();
    QTest::newRow("object post_comment")
        << withCachedPost(paths({{"/100_1_3", comment("100_1_3")}})) << Operation([](Corvana *c) {
               c->refreshComment(PostComments, QStringLiteral("100_1_3"));
               return Corvana::Success;
           })
        << comments << QVariantList {QStringLiteral("100_1")};
    QTest::newRow("object photo_comment")
        << paths({{"/p1_3", comment("p1_3")}}) << Operation([](Corvana *c) {
               c->refreshComment(PhotoComments, QStringLiteral("p1_3"));
               return Corvana::Success;
           })
        << comments << QVariantList {QStringLiteral("p1")};
    QTest::newRow("object profile") << paths({{"/7", bo}}) << Operation([](Corvana *c) {
        c->refreshProfile(QStringLiteral("7"));
        return Corvana::Success;
    }) << QStringList {QStringLiteral("profileUpdated")}
                                    << QVariantList {QStringLiteral("7")};
    QTest::newRow("object profile_post") << paths({{"/100_1", post}}) << Operation([](Corvana *c) {
        return c->retrieveProfilePost(nullptr, QStringLiteral("100_1"));
    }) << profileFeed << QVariantList {me};
    QTest::newRow("object wall_post") << paths({{"/100_1", post}}) << Operation([](Corvana *c) {
        c->refreshWallPost(QStringLiteral("100_1"));
        return Corvana::Success;
    }) << profileFeed << QVariantList {me};
    QTest::newRow("object without data") << paths({{"/8", "{}"}}) << Operation([](Corvana *c) {
        c->refreshProfile(QStringLiteral("8"));
        return Corvana::Success;
    }) << QStringList {error} << errorOf(CvError::OperationFailed, QStringLiteral("8"));

    // Connection replies, by the connection asked for.
    QTest::newRow("connection accounts")
        << Script() << Operation([](Corvana *c) { return c->retrieveMyPages(); })
        << QStringList {QStringLiteral("myPagesRetrieved")} << QVariantList();
    QTest::newRow("connection friends")
        << paths({{"/100/friends", friendList}})
        << Operation([](Corvana *c) { return c->retrieveFriends(nullptr); })
        << QStringList {QStringLiteral("friendsUpdated")} << QVariantList();
    QTest::newRow("connection home")
        << paths({{"/100/home", list(post)}})
        << Operation([](Corvana *c) { return c->retrieveNewsFeed(nullptr); }) << newsFeed
        << QVariantList();
    QTest::newRow("connection feed")
        << paths({{"/7/feed", list(status)}}) << Operation([](Corvana *c) {
               return c->retrieveProfileFeed(nullptr, QStringLiteral("7"));
           })
        << profileFeed << QVariantList {QStringLiteral("7")};
    QTest::newRow("connection likes")
        << paths({{"/100_1/likes", list(bo)}})
        << Operation([](Corvana *c) { return c->retrieveLikes(QStringLiteral("100_1")); })
        << QStringList {QStringLiteral("likesRetrieved(QString,Cv::CvUserRefs)")}
        << QVariantList {QStringLiteral("100_1")};
    QTest::newRow("connection members")
        << paths({{"/g1/members", list(bo)}})
        << Operation([](Corvana *c) { return c->retrieveMembers(QStringLiteral("g1")); })
        << QStringList {QStringLiteral("membersRetrieved")} << QVariantList {QStringLiteral("g1")};
    QTest::newRow("connection comments")
        << withCachedPost(paths({{"/100_1/comments", list(comment("100_1_3"))}}))
        << Operation([](Corvana *c) {
               return c->retrieveComments(nullptr, PostComments, QStringLiteral("100_1"));
           })
        << comments << QVariantList {QStringLiteral("100_1")};
    QTest::newRow("connection statuses")
        << paths({{"/7/statuses", list(status)}}) << Operation([](Corvana *c) {
               return c->retrieveStatusMessages(nullptr, QStringLiteral("7"));
           })
        << QStringList {QStringLiteral("statusMessagesRetrieved"),
                        QStringLiteral("statusMessagesUpdated")}
        << QVariantList {QStringLiteral("7")};
    QTest::newRow("connection events/not_replied")
        << Script() << Operation([](Corvana *c) { return c->retrieveEventInvitations(); })
        << QStringList {QStringLiteral("eventInvitationsRetrieved")} << QVariantList();

    // Query replies, recognised by their statement up to "WHERE". Unscripted queries are
    // answered with no rows.
    QTest::newRow("query thread attachments") << Script() << Operation([](Corvana *c) {
        CvAttachments cached;
        return c->retrieveThreadAttachments(&cached, QStringLiteral("t1"));
    }) << QStringList {QStringLiteral("threadAttachmentsUpdated")}
                                              << QVariantList {QStringLiteral("t1")};
    QTest::newRow("query unread thread count")
        << Script()
        << Operation([](Corvana *c) { return c->retrieveNumberOfUnreadThreads(MessageBoxSent); })
        << QStringList {QStringLiteral("numberOfUnreadThreadsRetrieved")}
        << QVariantList {int(MessageBoxSent), 0};
    QTest::newRow("query pending friend request")
        << Script()
        << Operation([](Corvana *c) { return c->checkPendingFriendRequest(QStringLiteral("42")); })
        << QStringList {QStringLiteral("pendingFriendRequestChecked")}
        << QVariantList {QStringLiteral("42"), false};
    QTest::newRow("query is friend")
        << Script() << Operation([](Corvana *c) { return c->checkIsFriend(QStringLiteral("42")); })
        << QStringList {QStringLiteral("isFriendChecked")}
        << QVariantList {QStringLiteral("42"), false};
    QTest::newRow("query threads") << Script() << Operation([](Corvana *c) {
        CvThreads cached;
        return c->retrieveThreads(&cached, MessageBoxOther);
    }) << QStringList {QStringLiteral("threadsRetrieved"), QStringLiteral("threadsUpdated")}
                                   << QVariantList {int(MessageBoxOther)};
    QTest::newRow("query thread messages") << Script() << Operation([](Corvana *c) {
        CvMessages cached;
        return c->retrieveMessages(&cached, QStringLiteral("t1"));
    }) << QStringList {QStringLiteral("messagesUpdated")}
                                           << QVariantList {QStringLiteral("t1")};
    QTest::newRow("query birthdays of friends") << Script() << Operation([](Corvana *c) {
        CvDataFilter window;
        window.since = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC);
        window.until = QDateTime(QDate(2027, 1, 31), QTime(0, 0), Qt::UTC);
        return c->retrieveBirthdaysOfFriends(nullptr, window);
    }) << QStringList {QStringLiteral("birthdaysOfFriendsUpdated")}
                                                << QVariantList();

    // Batch replies, recognised by their name up to ":".
    QTest::newRow("batch photo tags")
        << batch({{200, "true"}}) << Operation([](Corvana *c) {
               CvTag tag(QStringLiteral("7"));
               return c->createPhotoTags(QStringLiteral("ph1"), {tag});
           })
        << QStringList {QStringLiteral("photoTagCreated")}
        << QVariantList {QStringLiteral("ph1"), QStringLiteral("7"), true};
    QTest::newRow("batch latest status message")
        << batch({{200, list(status)}}) << Operation([](Corvana *c) {
               return c->retrieveLatestStatusMessage({QStringLiteral("7")});
           })
        << QStringList {QStringLiteral("latestStatusMessageRetrieved")}
        << QVariantList {QStringList {QStringLiteral("7")}};
    QTest::newRow("batch all notifications")
        << batch({{200, R"({"data":[{"unread_count":"2"}]})"},
                  {200, R"({"data":[]})"},
                  {200, list(bo)},
                  {200, R"({"data":[{"notification_id":"n1","title_text":"Bo liked"}]})"}})
        << Operation([](Corvana *c) { return c->retrieveAllNotifications(); })
        << QStringList {QStringLiteral("allNotificationsRetrieved")} << QVariantList();
    QTest::newRow("batch profile details")
        << batch({{200, bo}, {200, R"({"data":[{"uid2":"7"}]})"}})
        << Operation([](Corvana *c) { return c->retrieveProfile(nullptr, QStringLiteral("7")); })
        << QStringList {QStringLiteral("profileUpdated")} << QVariantList {QStringLiteral("7")};
    QTest::newRow("batch if user likes post")
        << batch({{200, post}, {200, R"({"data":[{"user_id":"100"}]})"}})
        << Operation([](Corvana *c) {
               return c->checkIfUserLikesPost(QStringLiteral("100"), QStringLiteral("100_1"));
           })
        << QStringList {QStringLiteral("ifUserLikesPostChecked")}
        << QVariantList {QStringLiteral("100"), true};
    QTest::newRow("batch if user likes object")
        << batch({{200, R"({"id":"p1","name":"Lake","metadata":{"type":"photo"}})"},
                  {200, R"({"data":[]})"}})
        << Operation([](Corvana *c) {
               return c->checkIfUserLikesObject(QStringLiteral("100"), QStringLiteral("p1"));
           })
        << QStringList {QStringLiteral("ifUserLikesObjectChecked")}
        << QVariantList {QStringLiteral("100"), false};
    // Searches, by their target.
    QTest::newRow("search checkin")
        << Script() << Operation([](Corvana *c) { return c->retrieveRecentCheckins(); })
        << QStringList {QStringLiteral("recentCheckinsRetrieved")} << QVariantList();
    // The remaining slots of the Graph layer.
    QTest::newRow("notifications")
        << paths({{"/method/notifications.get", R"({"messages":{"unread":1}})"}})
        << Operation([](Corvana *c) { return c->retrieveNotifications(); })
        << QStringList {QStringLiteral("notificationsRetrieved")} << QVariantList();
    QTest::newRow("notification list")
        << paths({{"/method/notifications.getList",
                   R"({"notifications":[{"notification_id":"n1","title_text":"Bo liked"}]})"}})
        << Operation([](Corvana *c) { return c->retrieveNotificationList(true, QDateTime()); })
        << QStringList {QStringLiteral("notificationListRetrieved")} << QVariantList();
}

void tst_CorvanaRouting::sentReply()
{
    QFETCH(Script, script);
    QFETCH(Operation, operation);
    QFETCH(QStringList, expected);
    QFETCH(QVariantList, leading);

    if (script)
        script(m_fixture.get());
    const auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    SignalRecorder recorder(corvana.get());
    const int before = m_fixture->service().requestCount();

    QCOMPARE(operation(corvana.get()), Corvana::Success);
    QVERIFY(m_fixture->service().waitForRequests(before + 1));
    if (expected.isEmpty())
        QTest::qWait(300); // the reply is handled within this, and must stay silent
    else
        QTRY_VERIFY_WITH_TIMEOUT(recorder.count() >= expected.size(), 20000);
    QTest::qWait(50); // nothing may follow
    QCOMPARE(recorder.emitted(expected), expected);
    QCOMPARE(m_fixture->requestsSince(before).size(), 1);
    compareLeading(recorder.firstArguments(), leading);
}

/*
 * Names no operation sends: routed ones, the ones claimed without a handler, and unknown ones.
 * They are handed to the private part's slots as the Graph layer would.
 */
void tst_CorvanaRouting::deliveredReply_data()
{
    QTest::addColumn<Delivery>("delivery");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QVariantList>("leading");

    QTest::newRow("object event") << object(QStringLiteral("e1"), QStringLiteral("event"), picnic)
                                  << QStringList {QStringLiteral("eventDetailsRetrieved"),
                                                  QStringLiteral("eventDetailsUpdated")}
                                  << QVariantList();
    QTest::newRow("object unknown") << object(QStringLiteral("x1"), QStringLiteral("story"), bo)
                                    << QStringList() << QVariantList();
    QTest::newRow("object unnamed")
        << object(QStringLiteral("x1"), QString(), bo) << QStringList() << QVariantList();
    // An empty reply is a failure whatever it was asked for.
    QTest::newRow("object unknown without data")
        << object(QStringLiteral("x1"), QStringLiteral("story"), "{}")
        << QStringList {QStringLiteral("error")}
        << errorOf(CvError::OperationFailed, QStringLiteral("x1"));
    for (const char *name :
         {"movies", "books", "notes", "inbox", "outbox", "updates", "threads", "", "stories"}) {
        QTest::addRow("connection \"%s\"", name)
            << connection(QString::fromLatin1(name)) << QStringList() << QVariantList();
    }
    QTest::newRow("query unknown")
        << query(QStringLiteral("SELECT uid FROM page_fan WHERE uid=me()")) << QStringList()
        << QVariantList();
    // The statement is compared up to its WHERE: a longer table name is another query.
    QTest::newRow("query of a similar table")
        << query(QStringLiteral("SELECT uid2 FROM friendship WHERE uid1=me()")) << QStringList()
        << QVariantList();
    QTest::newRow("batch unknown")
        << batchNamed(QStringLiteral("page_fans: id=1")) << QStringList() << QVariantList();
    QTest::newRow("batch unnamed") << batchNamed(QString()) << QStringList() << QVariantList();
    QTest::newRow("search event") << search(CvGraph::SearchEvent, false) << QStringList()
                                  << QVariantList();
    QTest::newRow("search post") << search(CvGraph::SearchPost, false) << QStringList()
                                 << QVariantList();
    QTest::newRow("search home") << search(CvGraph::SearchHome, false) << QStringList()
                                 << QVariantList();
    QTest::newRow("search page with fields")
        << search(CvGraph::SearchPage, true) << QStringList() << QVariantList();
}

void tst_CorvanaRouting::deliveredReply()
{
    QFETCH(Delivery, delivery);
    QFETCH(QStringList, expected);
    QFETCH(QVariantList, leading);

    const auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QObject *receiver = privatePart(corvana.get());
    QVERIFY(receiver);
    SignalRecorder recorder(corvana.get());
    const int before = m_fixture->service().requestCount();

    QVERIFY(delivery(receiver));
    QTest::qWait(50); // nothing may follow
    QCOMPARE(recorder.emitted(expected), expected);
    QCOMPARE(m_fixture->service().requestCount(), before);
    compareLeading(recorder.firstArguments(), leading);
}

QTEST_GUILESS_MAIN(tst_CorvanaRouting)
#include "tst_corvana_routing.moc"
