#include "cvdatafilter.h"
#include "cverror.h"
#include "cvgraph.h"
#include "cvgraphrequest.h"
#include "cvlogger.h"
#include "cvwallpostinfo.h"

#include "graphtestutil.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Cv;
using namespace GraphTest;

using UploadCall = std::function<bool(CvGraph &, const QString &file)>;
Q_DECLARE_METATYPE(UploadCall)

namespace {

using R = TestService::Reply;

const QString me = u"me"_s;
const QString t1 = u"t1"_s;
const QString p1 = u"p1"_s;
const QString query = u"SELECT uid FROM user WHERE uid=me()"_s;
const QDateTime since(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC);
const QDateTime until(QDate(2024, 2, 3), QTime(4, 5, 6), Qt::UTC);

CvWallPostInfo wallPost()
{
    CvWallPostInfo info;
    info.message = u"Hi there"_s;
    info.picture = u"p.png"_s;
    info.source = u"s"_s;
    info.linkInfo = CvLinkInfo(u"http://l/x"_s, u"N"_s, QString(), QString());
    return info;
}

// One operation: the request line the service must see ("GET /path?query"; empty: not checked),
// the answer, and the one signal it raises with its arguments ("" none, "*" not checked).
void op(const char *name, const GraphCall &call, const char *line, const R &answer,
        const char *signal, const QVariantList &arguments)
{
    QTest::newRow(name) << call << QByteArray(line) << CannedReply {answer}
                        << QString::fromLatin1(signal) << arguments;
}

void request(const char *name, const GraphCall &call, const char *line)
{
    op(name, call, line, R::json("{}"), "*", {});
}

void answer(const char *name, const GraphCall &call, const R &answer, const char *signal,
            const QVariantList &arguments)
{
    op(name, call, "", answer, signal, arguments);
}

// An error is compared by its object id and type.
void failure(const char *name, const GraphCall &call, const R &reply, const QString &objectId,
             CvError::ErrorType type)
{
    answer(name, call, reply, "error", {objectId, QVariant::fromValue(type)});
}

QStringList g_log;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_log.append(text);
}

QByteArray oauthError(const char *message)
{
    return QByteArray("{\"error\":{\"type\":\"OAuthException\",\"message\":\"") + message + "\"}}";
}

} // namespace

class tst_CvGraph : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void operations_data();
    void operations();
    void refused_data();
    void refused();
    void invalidJson_data();
    void invalidJson();
    void connectionDataFilterForm_data();
    void connectionDataFilterForm();
    void uploads_data();
    void uploads();
    void repliesMatchedById();
    void unknownReplyId();
    void newRequestFromResultSlot();
    void textForms();
    void echoedTokenNeverShown_data();
    void echoedTokenNeverShown();
    void silentReplies_data();
    void silentReplies();

private:
    Fixture fx;
};

void tst_CvGraph::init()
{
    QVERIFY(fx.start());
}

void tst_CvGraph::cleanup()
{
    fx.stop();
}

void tst_CvGraph::operations_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<CannedReply>("canned");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    // The graph's locale is fr_FR in every row: only the operations that take it send it.
    const QVariantMap person {{u"id"_s, 100000123456789012LL}, {u"name"_s, u"Ann"_s}};
    const R personJson = R::json("{\"id\":100000123456789012,\"name\":\"Ann\"}");
    const R yes = R::json("true");
    const R no = R::json("false");
    const R idJson = R::json("{\"id\":\"1_2\"}");
    const QVariantList newId {u"1_2"_s};
    const R rowsJson = R::json("[{\"thread_id\":\"1\",\"unread\":2},{\"thread_id\":\"2\"}]");
    const QVariantList rows {QVariantMap {{u"thread_id"_s, u"1"_s}, {u"unread"_s, 2LL}},
                             QVariantMap {{u"thread_id"_s, u"2"_s}}};
    const R objectJson = R::json("{\"tid\":\"t1\",\"n\":1.5}");
    const QVariantMap object {{u"tid"_s, u"t1"_s}, {u"n"_s, 1.5}};
    const auto v = [](auto value) { return QVariant::fromValue(value); };
    const Fixture *f = &fx;

    // Reads
    CvDataFilter full(u"ignored"_s, 5, 0, until, since, {u"id"_s}, u"de_DE"_s);
    full.params.insert(u"x"_s, u"a b&c"_s);
    const CvDataFilter zeros(me, 0, 0, QDateTime(), QDateTime(), {u"id"_s}, QString());
    CvDataFilter limit(u"77"_s);
    limit.limit = 25;
    const QByteArray raw("\x89PNG\r\n\x00\xff", 8);
    op("object", CALL(retrieveObject(me, u"profile"_s)), "GET /me?access_token=tok&locale=fr_FR",
       personJson, "objectDataRetrieved", {me, u"profile"_s, person});
    request("object, no locale", GraphCall([](CvGraph &g) {
                g.setLocale(QString());
                return g.retrieveObject(me, QString());
            }),
            "GET /me?access_token=tok");
    request("object, leading slash, fields",
            CALL(retrieveObject(u"/123"_s, QSet {u"name"_s}, u"n"_s)),
            "GET /123?access_token=tok&fields=name&locale=fr_FR");
    request("object, full filter, its locale wins", CALL(retrieveObject(me, full, QString())),
            "GET /me?access_token=tok&fields=id&limit=5&locale=de_DE&offset=0&since=2024-01-02T03%"
            "3A04%3A05Z&until=2024-02-03T04%3A05%3A06Z&x=a%20b%26c");
    request("object, limit 0 not sent, offset 0 sent", CALL(retrieveObject(me, zeros, QString())),
            "GET /me?access_token=tok&fields=id&locale=fr_FR&offset=0");
    answer("object, array gives empty map", CALL(retrieveObject(me, QString())), R::json("[1,2]"),
           "objectDataRetrieved", {me, QString(), QVariantMap()});
    op("objects", CALL(retrieveObjects({u"42"_s}, CvDataFilter(), u"n"_s)),
       "GET /?access_token=tok&ids=42&locale=fr_FR", personJson, "objectsDataRetrieved",
       {v(QSet {u"42"_s}), u"n"_s, person});
    answer("objects, ids as a set",
           CALL(retrieveObjects({u"1"_s, QString(), u"2"_s}, CvDataFilter(), u"n"_s)), personJson,
           "objectsDataRetrieved", {v(QSet {u"1"_s, QString(), u"2"_s}), u"n"_s, person});
    op("connection names in key order, strings only", CALL(retrieveConnectionTypes(me)),
       "GET /me?access_token=tok&metadata=1",
       R::json("{\"metadata\":{\"connections\":{\"photos\":\"http://x/p\","
               "\"feed\":\"http://x/f\",\"odd\":{\"a\":1}}}}"),
       "connectionTypesRetrieved", {QStringList {u"http://x/f"_s, u"http://x/p"_s}});
    request("connection by type", CALL(retrieveConnectionData(CvGraph::Friends, me)),
            "GET /me/friends?access_token=tok&locale=fr_FR");
    request("connection path join", CALL(retrieveConnectionData(u"photos/"_s, u"/123/"_s)),
            "GET /123/photos?access_token=tok&locale=fr_FR");
    request("connection, two levels", CALL(retrieveConnectionData(CvGraph::NotRepliedEvents, me)),
            "GET /me/events/not_replied?access_token=tok&locale=fr_FR");
    request("connection with filter", CALL(retrieveConnectionData(CvGraph::Feed, limit)),
            "GET /77/feed?access_token=tok&limit=25&locale=fr_FR");
    request("paging link as it is", GraphCall([f](CvGraph &g) {
                QUrl url = f->url(u"/77/feed"_s);
                url.setQuery(u"limit=25&until=1700000000"_s);
                return g.retrieveConnectionData(u"77"_s, u"feed"_s, url);
            }),
            "GET /77/feed?limit=25&until=1700000000");
    op("profile picture", CALL(retrieveProfilePicture(me, PictureLarge)),
       "GET /me/picture?access_token=tok&type=large", R::redirect("http://127.0.0.1:1/p/me.jpg"),
       "profilePictureReceived", {me, v(PictureLarge), QUrl(u"http://127.0.0.1:1/p/me.jpg"_s)});
    answer("profile picture without location is silent",
           CALL(retrieveProfilePicture(me, PictureNormal)), R::json("{}"), "", {});
    op("search user", CALL(search(u"s1"_s, u"ann é"_s, CvGraph::SearchUser)),
       "GET /search?access_token=tok&locale=fr_FR&q=ann%20%C3%A9&type=user", personJson,
       "searchReady", {u"s1"_s, v(CvGraph::SearchUser), person});
    request("search home has no type", CALL(search(u"s2"_s, u"x"_s, CvGraph::SearchHome)),
            "GET /home?access_token=tok&locale=fr_FR&q=x");
    op("search with fields", CALL(search(u"s3"_s, QString(), CvGraph::SearchPlace, QSet {u"id"_s})),
       "GET /search?access_token=tok&fields=id&locale=fr_FR&type=place", personJson, "searchReady",
       {u"s3"_s, v(CvGraph::SearchPlace), v(QSet {u"id"_s}), person});
    answer("search, fields split", GraphCall([](CvGraph &g) {
               QMap<QString, QString> params {{u"fields"_s, u"id,,name"_s}};
               return g.search(u"s"_s, params, CvGraph::SearchHome);
           }),
           personJson, "searchReady",
           {u"s"_s, v(CvGraph::SearchHome), v(QSet {u"id"_s, u"name"_s}), person});
    op("public data, raw bytes", GraphCall([f](CvGraph &g) {
           return g.retrievePublicData(f->url(u"/pics/1.png"_s), u"pic"_s);
       }),
       "GET /pics/1.png", R::text(raw), "publicDataRetrieved",
       {u"pic"_s, QUrl(u"/pics/1.png"_s), raw});

    // Writes: parameters in the query, no body, never a locale
    const CvLinkInfo link(u"http://x"_s, QString(), u"cap"_s, u"d"_s);
    const auto ack = [](CvGraph::EventAcknowledgement a) { return QVariant::fromValue(a); };
    op("wall post", CALL(writeToWall(me, wallPost())),
       "POST /me/feed?access_token=tok&link=http%3A%2F%2Fl%2Fx&message=Hi%20there&name=N&picture="
       "p.png&source=s",
       idJson, "wallWriteComplete", newId);
    answer("wall, large number id", CALL(writeToWall(me, wallPost())),
           R::json("{\"id\":100000123456789012}"), "wallWriteComplete", {u"100000123456789012"_s});
    answer("wall, no id member", CALL(writeToWall(me, wallPost())), R::json("{}"),
           "wallWriteComplete", {QString()});
    op("link, empty message sent", CALL(writeLink(u"123"_s, link, QString())),
       "POST /123/links?access_token=tok&caption=cap&description=d&link=http%3A%2F%2Fx&message=",
       idJson, "linkWritten", newId);
    op("comment, join and encoding", CALL(writeComment(u"/42/"_s, u"a&b=ü"_s)),
       "POST /42/comments?access_token=tok&message=a%26b%3D%C3%BC", idJson, "commentWritten",
       newId);
    op("like", CALL(writeToLikes(u"42"_s, Like)), "POST /42/likes?access_token=tok", yes,
       "likesWriteComplete", {u"42"_s, v(Like)});
    op("unlike", CALL(writeToLikes(u"42"_s, Unlike)),
       "POST /42/likes?access_token=tok&method=delete", no, "likesWriteComplete",
       {u"42"_s, v(Unlike)});
    op("note, empty subject", CALL(writeNote(me, QString(), u"b"_s)),
       "POST /me/notes?access_token=tok&message=b&subject=", idJson, "noteWritten", newId);
    op("album", CALL(createAlbum(me, u"Trip"_s, QString(), QString())),
       "POST /me/albums?access_token=tok&message=&name=Trip", idJson, "albumCreated", newId);
    request("album, privacy", CALL(createAlbum(me, u"Trip"_s, u"m"_s, u"ALL"_s)),
            "POST /me/albums?access_token=tok&message=m&name=Trip&privacy=%7B%22value%22%3A%22ALL%"
            "22%7D");
    op("event", CALL(createEvent(me, u"P"_s, since, until)),
       "POST /me/events?access_token=tok&end_time=2024-02-03T04%3A05%3A06Z&name=P&start_time=2024-"
       "01-02T03%3A04%3A05Z",
       idJson, "eventCreated", newId);
    op("attending, not exactly true", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckAttending)),
       "POST /55/attending?access_token=tok", R::json("true\n"), "eventAcknowledged",
       {u"55"_s, false, ack(CvGraph::AckAttending)});
    op("maybe", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckMaybe)),
       "POST /55/maybe?access_token=tok", yes, "eventAcknowledged",
       {u"55"_s, true, ack(CvGraph::AckMaybe)});
    op("declined", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckDeclined)),
       "POST /55/declined?access_token=tok", no, "eventAcknowledged",
       {u"55"_s, false, ack(CvGraph::AckDeclined)});
    op("unknown answer reports declined",
       CALL(acknowledgeEvent(u"55"_s, CvGraph::EventAcknowledgement(7))),
       "POST /55/?access_token=tok", yes, "eventAcknowledged",
       {u"55"_s, true, ack(CvGraph::AckDeclined)});
    op("check-in, bare", CALL(checkIntoPlace(p1, 60.17f, -24.5f, {}, {})),
       "POST /me/checkins?access_token=tok&coordinates=%7B%22latitude%22%3A%2260.17%22%2C%22longitu"
       "de%22%3A%22-24.5%22%7D&place=p1",
       idJson, "placeCheckedInto", newId);
    request("check-in, message and tags",
            CALL(checkIntoPlace(p1, 1.0f, 123.456789f, u"here"_s, {u"1"_s, u"2"_s})),
            "POST /me/checkins?access_token=tok&coordinates=%7B%22latitude%22%3A%221%22%2C%22longit"
            "ude%22%3A%22123.457%22%7D&message=here&place=p1&tags=1%2C2");
    op("photo tag", CALL(createPhotoTag(u"ph"_s, u"u1"_s, 12.5f, 1.0f / 3.0f)),
       "POST /ph/tags?access_token=tok&to=u1&x=12.5&y=0.333333", yes, "photoTagCreated",
       {u"ph"_s, u"u1"_s, true});
    op("delete photo tag, 1 is not true", CALL(deletePhotoTag(u"ph"_s, u"u1"_s)),
       "POST /ph/tags/u1?access_token=tok&method=delete", R::json("1"), "photoTagDeleted",
       {u"ph"_s, u"u1"_s, false});
    op("delete", CALL(deleteObject(u"123"_s)), "POST /123?access_token=tok&method=delete", yes,
       "objectDeleted", {u"123"_s});
    op("delete id with +", CALL(deleteObject(u"1_2+3"_s)),
       "POST /?access_token=tok&id=1_2%2B3&method=delete", yes, "objectDeleted", {u"1_2+3"_s});
    request("delete id with /", CALL(deleteObject(u"a/c"_s)),
            "POST /?access_token=tok&id=a%2Fc&method=delete");
    op("message", CALL(sendMessage(u"hi"_s, QStringList {u"a"_s, u"b"_s})),
       "POST /threads?access_token=tok&message=hi&method=POST&to=%5Ba%2Cb%5D",
       R::json("{\"tid\":\"t9\",\"id\":\"x\"}"), "messageSent", {u"t9"_s});
    op("reply reports the thread", CALL(replyToMessage(t1, u"ok"_s)),
       "POST /?access_token=tok&id=t1&message=ok&method=POST", R::json("{\"id\":\"m5\"}"),
       "messageReplied", {t1});
    answer("reply without id is silent", CALL(replyToMessage(t1, u"m"_s)), R::json("{\"ok\":1}"),
           "", {});
    op("mark read", CALL(markThreadStatus(t1, MarkRead)),
       "POST /tags?access_token=tok&id=t1&method=POST&name=read", yes, "messageThreadStatusMarked",
       {t1, true});
    op("mark unread, other object", CALL(markThreadStatus(t1, MarkUnread)),
       "POST /tags?access_token=tok&id=t1&method=DELETE&name=read",
       R::json("{\"name\":\"unread\"}"), "messageThreadStatusMarked", {t1, false});
    answer("mark, named read", CALL(markThreadStatus(t1, MarkRead)), R::json("{\"name\":\"read\"}"),
           "messageThreadStatusMarked", {t1, true});
    request("batch, no locale", CALL(executeBatch({CvGraphRequest(u"GET"_s, me)}, u"b"_s)),
            "POST /?access_token=tok&batch=%5B%7B%22method%22%3A%20%22GET%22%2C%20%22relative_url%"
            "22%3A%20%22me%22%7D%5D");

    // REST methods
    const QDateTime newYear(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
    op("event invitations", CALL(retrieveEventInvitations(me)),
       "GET /method/events.get?access_token=tok&format=json&locale=fr_FR&rsvp_status=not_replied",
       R::json("[{\"eid\":7}]"), "eventInvitationsRetrieved",
       {me, QVariantList {QVariantMap {{u"eid"_s, 7LL}}}});
    // A list kind answered by anything but a list would read as "no rows".
    failure("event invitations, object is a failure", CALL(retrieveEventInvitations(me)),
            R::json("{\"eid\":7}"), me, CvError::OperationFailed);
    op("notifications", CALL(retrieveNotifications(me)),
       "GET /method/notifications.get?access_token=tok&format=json&locale=fr_FR", personJson,
       "notificationsRetrieved", {me, person});
    op("query", CALL(executeQuery(query, u"q"_s)),
       "GET /method/cvql.query?access_token=tok&format=json&locale=fr_FR&query=SELECT%20uid%20FROM"
       "%20user%20WHERE%20uid%3Dme%28%29",
       R::json("[{\"uid\":1}]"), "queryExecuted",
       {u"q"_s, QVariantList {QVariantMap {{u"uid"_s, 1LL}}}});
    request("query, no locale", GraphCall([](CvGraph &g) {
                g.setLocale(QString());
                return g.executeQuery(query, QString());
            }),
            "GET /method/cvql.query?access_token=tok&format=json&query=SELECT%20uid%20FROM%20user%"
            "20WHERE%20uid%3Dme%28%29");
    failure("query, object is a failure", CALL(executeQuery(query, u"q"_s)), R::json("{\"a\":1}"),
            query, CvError::OperationFailed);
    op("mark thread read", CALL(markMessageThreadStatus(t1, MarkRead)),
       "GET /method/corvana.mailbox.markRead?access_token=tok&format=json&tid=t1", yes,
       "messageThreadStatusMarked", {t1, true});
    op("mark thread unread", CALL(markMessageThreadStatus(t1, MarkUnread)),
       "GET /method/corvana.mailbox.markUnread?access_token=tok&format=json&tid=t1", no,
       "messageThreadStatusMarked", {t1, false});
    op("confirm", CALL(respondToFriendRequest(u"u1"_s, Confirm)),
       "GET /method/corvana.friends.confirm?access_token=tok&confirm=1&format=json&uid=u1", yes,
       "friendRequestResponded", {u"u1"_s, true});
    request("confirm limited", CALL(respondToFriendRequest(u"u1"_s, ConfirmLimited)),
            "GET /method/corvana.friends.confirm?access_token=tok&confirm=1&format=json&limited=1&"
            "uid=u1");
    op("reject", CALL(respondToFriendRequest(u"u1"_s, Reject)),
       "GET /method/corvana.friends.confirm?access_token=tok&confirm=0&format=json&uid=u1", no,
       "friendRequestResponded", {u"u1"_s, false});
    op("send to users, text keeps quotes",
       CALL(sendMessage(u"a b"_s, u"s"_s, {u"1"_s, u"2"_s}, {})),
       "GET "
       "/method/corvana.mailbox.send?access_token=tok&body=a%20b&format=json&subject=s&to=1%2C2",
       R::json("\"t77\""), "messageSent", {u"\"t77\""_s});
    request("send to addresses", CALL(sendMessage({}, u"s"_s, {}, {u"a@b.c"_s, u"d@e"_s})),
            "GET /method/corvana.mailbox.send?access_token=tok&body=&emails=a%40b.c%2Cd%40e&format="
            "json&subject=s");
    op("reply by mail", CALL(replyToMessage(t1, u"hi"_s, {})),
       "GET /method/corvana.mailbox.reply?access_token=tok&body=hi&format=json&tid=t1",
       R::text("m9"), "messageReplied", {u"m9"_s});
    request("reply to a message", CALL(replyToMessage(t1, u"hi"_s, u"m2"_s)),
            "GET /method/corvana.mailbox.reply?access_token=tok&body=hi&format=json&mid=m2&tid=t1");
    op("delete thread", CALL(deleteMessageThread(t1, 2)),
       "GET /method/corvana.mailbox.deleteThread?access_token=tok&folder=2&format=json&tid=t1", yes,
       "messageThreadDeleted", {t1, 2, true});
    op("threads, bare", CALL(retrieveMessageThreads(me, 1, 0, -1)),
       "GET /method/message.getThreadsInFolder?access_token=tok&format=json&locale=fr_FR", rowsJson,
       "messageThreadsRetrieved", {me, 1, rows});
    request("threads, offset 0", CALL(retrieveMessageThreads(me, 1, 10, 0)),
            "GET /method/message.getThreadsInFolder?access_token=tok&format=json&limit=10&locale="
            "fr_FR&offset=0");
    op("inbox, bare", CALL(retrieveInbox(me, -1, -1, u"n"_s)),
       "GET /method/corvana.mailbox.getInbox?access_token=tok&format=json&locale=fr_FR", rowsJson,
       "inboxRetrieved", {me, u"n"_s, rows});
    request("inbox, zeros sent", CALL(retrieveInbox(me, 0, 0, u"n"_s)),
            "GET /method/corvana.mailbox.getInbox?access_token=tok&format=json&limit=0&locale=fr_FR"
            "&start=0");
    op("outbox, object is a failure", CALL(retrieveOutbox(me, 5, 20, u"n"_s)),
       "GET /method/corvana.mailbox.getOutbox?access_token=tok&format=json&limit=20&locale=fr_FR&"
       "start=5",
       objectJson, "error", {me, QVariant::fromValue(CvError::OperationFailed)});
    op("thread", CALL(retrieveThread(t1)),
       "GET /method/corvana.mailbox.getThread?access_token=tok&format=json&locale=fr_FR&tid=t1",
       objectJson, "threadRetrieved", {t1, object});
    op("thread messages, zero limit not sent", CALL(retrieveThreadMessages(t1, 0, 0, u"n"_s)),
       "GET /method/corvana.mailbox.getThreadMessages?access_token=tok&format=json&locale=fr_FR&"
       "start=0&tid=t1",
       rowsJson, "threadMessagesRetrieved", {t1, u"n"_s, rows});
    op("notification list", CALL(retrieveNotificationList(me, true, newYear)),
       "GET /method/notifications.getList?access_token=tok&format=json&include_read=1&locale=fr_FR&"
       "start_time=1704067200",
       objectJson, "notificationListRetrieved", {me, object});
    request("notification list, no time", CALL(retrieveNotificationList(me, false, QDateTime())),
            "GET /method/notifications.getList?access_token=tok&format=json&locale=fr_FR");
    op("mark notifications", CALL(markNotificationsRead({u"a"_s, u"b"_s})),
       "GET /method/notifications.markRead?access_token=tok&format=json&locale=fr_FR&"
       "notification_ids=a%2Cb",
       yes, "notificationsMarkedRead", {QStringList {u"a"_s, u"b"_s}, true});
    answer("mark notifications, empty id kept",
           CALL(markNotificationsRead({u"a"_s, QString(), u"b"_s})), yes, "notificationsMarkedRead",
           {QStringList {u"a"_s, QString(), u"b"_s}, true});
    op("friend request", CALL(sendFriendRequest(u"u1"_s)),
       "GET /method/corvana.friends.add?access_token=tok&format=json&uid=u1", yes,
       "friendRequestSent", {u"u1"_s, true});
    op("photo like", CALL(addPhotoLike(p1)),
       "GET /method/corvana.photos.addLike?access_token=tok&format=json&pid=p1", yes,
       "photoLikeAdded", {p1, true});
    op("photo unlike, 1 is not true", CALL(removePhotoLike(p1)),
       "GET /method/corvana.photos.removeLike?access_token=tok&format=json&pid=p1", R::json("1"),
       "photoLikeRemoved", {p1, false});
    op("delete album", CALL(deleteAlbum(u"a1"_s)),
       "GET /method/corvana.photos.deleteAlbum?access_token=tok&aid=a1&format=json", yes,
       "albumDeleted", {u"a1"_s, true});
    op("photo, first row", CALL(retrievePhoto(p1)),
       "GET /method/photos.get?access_token=tok&format=json&locale=fr_FR&pids=p1", rowsJson,
       "photoRetrieved", {p1, rows.constFirst()});
    answer("photo, no row", CALL(retrievePhoto(p1)), R::json("[]"), "photoRetrieved",
           {p1, QVariantMap()});
    op("page fan", CALL(addFanToPage(u"pg"_s)),
       "GET /method/corvana.pages.addFan?access_token=tok&format=json&page_id=pg", yes,
       "fanToPageAdded", {u"pg"_s, true});
    op("tag user, body ignored", CALL(tagPhotoWithId(p1, u"u1"_s, 10, 20.5f, {})),
       "GET /method/photos.addTag?access_token=tok&format=json&pid=p1&tag_uid=u1&x=10&y=20.5", no,
       "photoTagged", {p1});
    request("tag text, owner", CALL(tagPhotoWithText(p1, u"Hi all"_s, 0, 1.0f / 3, u"o1"_s)),
            "GET /method/photos.addTag?access_token=tok&format=json&owner_uid=o1&pid=p1&tag_text="
            "Hi%20all&x=0&y=0.333333");
    op("delete user tag", CALL(deleteUserTag(p1, u"u1"_s)),
       "GET /method/corvana.photos.deleteTag?access_token=tok&format=json&pid=p1&tag_uid=u1", yes,
       "userTagDeleted", {p1, u"u1"_s, true});
    op("delete text tag", CALL(deleteTextTag(p1, u"x&y"_s)),
       "GET /method/corvana.photos.deleteTag?access_token=tok&format=json&pid=p1&tag_text=x%26y",
       no, "textTagDeleted", {p1, u"x&y"_s, false});

    // Failures carry the operation's id, or none when it has none
    const R permission = R::json(oauthError("(#200) Requires extended permission: publish"));
    failure("graph error body", CALL(retrieveObject(u"123"_s, u"profile"_s)),
            R::json(oauthError("Error validating access token")), u"123"_s,
            CvError::InvalidAccessToken);
    failure("http failure", CALL(retrieveConnectionData(CvGraph::Feed, u"9"_s)),
            R::json("{\"data\":[]}", 500), u"9"_s, CvError::GeneralError);
    failure("write refused", CALL(writeComment(u"42"_s, u"c"_s)), permission, u"42"_s,
            CvError::PermissionDenied);
    failure("write refused, no id", CALL(checkIntoPlace(u"p"_s, 1, 2, {}, {})), permission,
            QString(), CvError::PermissionDenied);
    failure("REST error body", CALL(deleteAlbum(u"a1"_s)),
            R::json("{\"error_code\":3,\"error_msg\":\"Unknown method\"}"), u"a1"_s,
            CvError::UnknownMethod);
    failure("query error body", CALL(executeQuery(query, u"q"_s)),
            R::json("{\"error_code\":200,\"error_msg\":\"x\"}"), query, CvError::PermissionDenied);
    failure("batch failure", CALL(executeBatch({CvGraphRequest(u"GET"_s, u"a"_s)}, u"b"_s)),
            R::json(oauthError("Invalid OAuth access token"), 400), QString(),
            CvError::InvalidAccessToken);
    failure("threads answered by a scalar", CALL(retrieveMessageThreads(me, 0, 0, 10)),
            R::json("true"), me, CvError::OperationFailed);
    failure("batch answered by an object",
            CALL(executeBatch({CvGraphRequest(u"GET"_s, u"a"_s)}, u"b"_s)), R::json("{}"),
            QString(), CvError::OperationFailed);
}

void tst_CvGraph::operations()
{
    QFETCH(GraphCall, call);
    QFETCH(QByteArray, line);
    QFETCH(CannedReply, canned);
    QFETCH(QString, signal);
    QFETCH(QVariantList, arguments);

    fx.graph->setLocale(u"fr_FR"_s);
    SignalLog log(fx.graph.get());
    fx.service->enqueue(canned.reply.header("Date", "Tue, 05 Mar 2024 17:08:09 GMT"));
    QVERIFY(call(*fx.graph));
    QTRY_COMPARE_WITH_TIMEOUT(fx.graph->operationsInFlight(), 0, 15000);
    QCOMPARE(fx.service->requestCount(), 1);
    const TestService::Request request = fx.service->lastRequest();
    if (!line.isEmpty()) {
        QCOMPARE(QByteArray(request.method + ' ' + request.target), line);
        QCOMPARE(request.body, QByteArray());
    }
    if (signal == QLatin1String("*"))
        return;

    QCOMPARE(log.total(), signal.isEmpty() ? 0 : 1);
    QCOMPARE(log.only().first, signal);
    QVariantList emitted = log.only().second;
    if (signal == QLatin1String("error")) {
        const CvError err = emitted.constFirst().value<CvError>();
        emitted = {err.objectId(), QVariant::fromValue(err.errorType())};
    } else if (!signal.isEmpty()) {
        QCOMPARE(fx.graph->lastReplyTimeStamp(),
                 QDateTime(QDate(2024, 3, 5), QTime(17, 8, 9), Qt::UTC));
    }
    // An expected URL given as a path is on the test service.
    for (QVariant &argument : arguments) {
        if (argument.typeId() == QMetaType::QUrl && argument.toUrl().isRelative())
            argument = fx.url(argument.toUrl().path());
    }
    QCOMPARE(emitted, arguments);
}

void tst_CvGraph::refused_data()
{
    QTest::addColumn<GraphCall>("call");

    const QString p = u"p"_s;
    const QDateTime start(QDate(2024, 5, 1), QTime(18, 0), Qt::UTC);
    CvWallPostInfo noMessage = wallPost();
    noMessage.message.clear();
    CvDataFilter badDate(me);
    badDate.until = QDateTime(QDate(2024, 13, 40), QTime(0, 0));
    const auto add = [](const char *name, const GraphCall &call) { QTest::newRow(name) << call; };

    add("object, no id", CALL(retrieveObject(QString(), QString())));
    add("objects, none", CALL(retrieveObjects({}, CvDataFilter(me), QString())));
    add("connection types, no id", CALL(retrieveConnectionTypes(QString())));
    add("connection, NoConnection", CALL(retrieveConnectionData(CvGraph::NoConnection, me)));
    add("connection, no name", CALL(retrieveConnectionData(QString(), me)));
    add("connection, filter without id", CALL(retrieveConnectionData(u"feed"_s, CvDataFilter())));
    add("connection, invalid date", CALL(retrieveConnectionData(CvGraph::Feed, badDate)));
    add("paging, no url", CALL(retrieveConnectionData(me, u"feed"_s, QUrl())));
    add("picture, no id", CALL(retrieveProfilePicture(QString(), PictureSmall)));
    add("public data, relative", CALL(retrievePublicData(QUrl(u"/pics/1.jpg"_s), QString())));
    add("public data, empty", CALL(retrievePublicData(QUrl(), QString())));
    add("public data, invalid", CALL(retrievePublicData(QUrl(u"http://[::1"_s), QString())));
    add("invitations, no id", CALL(retrieveEventInvitations(QString())));
    add("wall, no id", CALL(writeToWall(QString(), wallPost())));
    add("wall, no message", CALL(writeToWall(me, noMessage)));
    add("link, no link", CALL(writeLink(me, CvLinkInfo({}, u"n"_s, u"c"_s, u"d"_s), u"m"_s)));
    add("comment, no text", CALL(writeComment(u"1"_s, QString())));
    add("like, no id", CALL(writeToLikes(QString(), Like)));
    add("note, no text", CALL(writeNote(me, QString(), QString())));
    add("album, no name", CALL(createAlbum(me, {}, u"m"_s, {})));
    add("event, bad end", CALL(createEvent(me, u"n"_s, start, QDateTime())));
    add("answer, no id", CALL(acknowledgeEvent({}, CvGraph::AckMaybe)));
    add("check-in, no place", CALL(checkIntoPlace({}, 1, 2, u"m"_s, {})));
    add("photo tag, no user", CALL(createPhotoTag(p, {}, 1, 1)));
    add("delete tag, no photo", CALL(deletePhotoTag({}, u"u"_s)));
    add("delete, no id", CALL(deleteObject({})));
    add("message, no one", CALL(sendMessage(u"m"_s, QStringList())));
    add("reply, no text", CALL(replyToMessage(u"t"_s, QString())));
    add("mark, no thread", CALL(markThreadStatus({}, MarkRead)));
    add("upload, no id", CALL(uploadPhoto({}, u"/none.png"_s, u"m"_s)));
    add("query, empty", CALL(executeQuery(QString(), u"n"_s)));
    add("batch, empty", CALL(executeBatch({}, u"b"_s)));
    add("mark thread, no id", CALL(markMessageThreadStatus({}, MarkRead)));
    add("friend, no uid", CALL(respondToFriendRequest({}, Confirm)));
    add("friend, answer 3", CALL(respondToFriendRequest(u"u"_s, RespondType(3))));
    add("send, no one", CALL(sendMessage(u"b"_s, u"s"_s, {}, {})));
    add("send, no text", CALL(sendMessage({}, {}, {u"1"_s}, {})));
    add("reply by mail, no body", CALL(replyToMessage(u"t"_s, {}, u"m"_s)));
    add("delete thread, no id", CALL(deleteMessageThread({}, 0)));
    add("threads, no id", CALL(retrieveMessageThreads({}, 0, 1, 1)));
    add("inbox, no id", CALL(retrieveInbox({}, 0, 1, u"n"_s)));
    add("outbox, no id", CALL(retrieveOutbox({}, 0, 1, u"n"_s)));
    add("messages, no id", CALL(retrieveThreadMessages({}, 0, 1, u"n"_s)));
    add("list, no id", CALL(retrieveNotificationList({}, true, QDateTime())));
    add("mark notifications, none", CALL(markNotificationsRead({})));
    // The methods sending nothing but their id share one check.
    add("like photo, no pid", CALL(addPhotoLike({})));
    add("tag, negative x", CALL(tagPhotoWithText(p, u"t"_s, -1, 0, {})));
    add("tag, negative y", CALL(tagPhotoWithId(p, u"u"_s, 0, -0.5f, {})));
    add("tag, no user", CALL(tagPhotoWithId(p, {}, 1, 1, {})));
    add("tag, no photo", CALL(tagPhotoWithText({}, u"t"_s, 1, 1, {})));
    add("untag, no user", CALL(deleteUserTag(p, {})));
    add("untag, no photo", CALL(deleteTextTag({}, u"t"_s)));
    add("profile picture, no id", CALL(uploadProfilePicture({}, u"/none.png"_s, {})));

    // Ids and connections that would rewrite the request: each is refused with nothing sent.
    for (const QString &id :
         {u"me?access_token=EVIL"_s, u"../../../etc/passwd"_s, u"a#b"_s, u"x%2Fy"_s, u"a\nb"_s,
          u"a\tb"_s, u"me/./feed"_s, u"me//feed"_s, u"."_s, u"me/.."_s}) {
        const QByteArray name = id.toUtf8().toPercentEncoding("/?#%.");
        QTest::addRow("hostile object %s", name.constData()) << CALL(retrieveObject(id, QString()));
        QTest::addRow("hostile connection owner %s", name.constData())
            << CALL(retrieveConnectionData(u"feed"_s, id));
        QTest::addRow("hostile comment target %s", name.constData())
            << CALL(writeComment(id, u"c"_s));
        QTest::addRow("hostile picture owner %s", name.constData())
            << CALL(retrieveProfilePicture(id, PictureSmall));
    }
    add("hostile object /", CALL(retrieveObject(u"/"_s, QString())));
    add("hostile deletion", CALL(deleteObject(u"a\nb"_s)));
    add("hostile connection", CALL(retrieveConnectionData(u"feed?limit=1"_s, me)));
    add("hostile connection segment", CALL(retrieveConnectionData(u"../feed"_s, me)));
    // Absolute URLs: only https, or http to loopback; never another scheme.
    add("public data, file",
        CALL(retrievePublicData(QUrl(u"file://localhost/etc/hostname"_s), {})));
    add("public data, data", CALL(retrievePublicData(QUrl(u"data:text/plain,x"_s), {})));
    add("public data, plain http elsewhere",
        CALL(retrievePublicData(QUrl(u"http://192.0.2.1/p.jpg"_s), {})));
    add("paging link, ftp",
        CALL(retrieveConnectionData(me, u"feed"_s, QUrl(u"ftp://127.0.0.1/x"_s))));
}

void tst_CvGraph::refused()
{
    QFETCH(GraphCall, call);
    QVERIFY(!call(*fx.graph));
    fx.expectNothingSent();
}

void tst_CvGraph::invalidJson_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QByteArray>("body");

    for (const char *body : {"", "{'a':1}", "{\"a\":1} x", "[1,]", "1,2"})
        QTest::addRow("object, \"%s\"", body)
            << CALL(retrieveObject(me, QString())) << QByteArray(body);
    QTest::newRow("a list kind") << CALL(retrieveEventInvitations(me)) << QByteArray("[{]");
    QTest::newRow("batch") << CALL(executeBatch({CvGraphRequest(u"GET"_s, u"a"_s)}, u"b"_s))
                           << QByteArray("[{\"code\":200,");
}

void tst_CvGraph::invalidJson()
{
    QFETCH(GraphCall, call);
    QFETCH(QByteArray, body);

    SignalLog log(fx.graph.get());
    fx.service->enqueue(R::json(body));
    expectWarning(u"Not valid JSON data:\n"_s + QString::fromUtf8(body));
    QVERIFY(call(*fx.graph));
    QTRY_COMPARE_WITH_TIMEOUT(fx.graph->operationsInFlight(), 0, 15000);
    QCOMPARE(log.total(), 0);
}

void tst_CvGraph::connectionDataFilterForm_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<CvDataFilter>("expected");

    QTest::newRow("no parameters")
        << CALL(retrieveConnectionData(CvGraph::Friends, me)) << CvDataFilter(me);
    const CvDataFilter window(u"55"_s, 10, 20, QDateTime(), since, {u"id"_s, u"message"_s}, {});
    CvDataFilter sent = window;
    sent.locale = u"de_DE"_s; // sent, but not part of the reported window
    QTest::newRow("window read back") << CALL(retrieveConnectionData(u"feed"_s, sent)) << window;
    const Fixture *f = &fx;
    QTest::newRow("paging link") << GraphCall([f](CvGraph &g) {
        g.setLocale(u"en_GB"_s);
        return g.retrieveConnectionData(me, u"feed"_s, f->url(u"/me/feed"_s));
    }) << CvDataFilter(me);
}

void tst_CvGraph::connectionDataFilterForm()
{
    QFETCH(GraphCall, call);
    QFETCH(CvDataFilter, expected);

    fx.service->enqueue(R::json("{\"data\":[{\"id\":\"1\"}]}"));
    SignalLog log(fx.graph.get());
    QSignalSpy byFilter(fx.graph.get(),
                        qOverload<const CvDataFilter &, const QString &, const QVariantMap &>(
                            &CvGraph::connectionDataRetrieved));
    QSignalSpy byId(fx.graph.get(),
                    qOverload<const QString &, const QString &, const QVariantMap &>(
                        &CvGraph::connectionDataRetrieved));
    // The string form must arrive before the filter form.
    bool idFormFirst = false;
    connect(fx.graph.get(),
            qOverload<const CvDataFilter &, const QString &, const QVariantMap &>(
                &CvGraph::connectionDataRetrieved),
            this, [&] { idFormFirst = byId.size() == 1; });
    QVERIFY(call(*fx.graph));
    QTRY_COMPARE_WITH_TIMEOUT(fx.graph->operationsInFlight(), 0, 15000);
    QCOMPARE(log.total(), 2);
    QCOMPARE(byFilter.size(), 1);
    QVERIFY(idFormFirst);
    QCOMPARE(byFilter.at(0).at(0).value<CvDataFilter>(), expected);
    QCOMPARE(byFilter.at(0).at(2), byId.at(0).at(2));
}

void tst_CvGraph::uploads_data()
{
    QTest::addColumn<UploadCall>("call");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<QString>("mimeType");
    QTest::addColumn<QByteArray>("line"); // %1 stands for the encoded file name
    QTest::addColumn<CannedReply>("canned");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    // Recognized by their signatures; the rest must travel unchanged, NUL and CRLF included.
    const QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\xff\x00\r\n", 20);
    const QByteArray gif("GIF89a\x01\x00\x01\x00\x00\xff\r\n--", 16);
    QTest::newRow("photo") << UploadCall([](CvGraph &g, const QString &file) {
        return g.uploadPhoto(me, file, u"caption & more"_s);
    }) << png << u"image/png"_s
                           << QByteArray("POST /me/photos?access_token=tok&message=caption%20%26%20"
                                         "more&source=%40%1")
                           << CannedReply {R::json("{\"id\":\"p5\"}")} << u"photoUploaded"_s
                           << QVariantList {me, u"p5"_s};
    const char *profileLine = "POST /method/corvana.photos.uploadProfilePic?access_token=tok&"
                              "caption=My%20face&format=json&profile_id=me";
    const UploadCall profile = [](CvGraph &g, const QString &file) {
        return g.uploadProfilePicture(me, file, u"My face"_s);
    };
    QTest::newRow("profile picture")
        << profile << gif << u"image/gif"_s << QByteArray(profileLine) << CannedReply {R::text("1")}
        << u"profilePictureUploaded"_s << QVariantList {me, true};
    QTest::newRow("profile picture, only 1 is success")
        << profile << gif << u"image/gif"_s << QByteArray(profileLine)
        << CannedReply {R::text("true")} << u"profilePictureUploaded"_s << QVariantList {me, false};
}

void tst_CvGraph::uploads()
{
    QFETCH(UploadCall, call);
    QFETCH(QByteArray, image);
    QFETCH(QString, mimeType);
    QFETCH(QByteArray, line);
    QFETCH(CannedReply, canned);
    QFETCH(QString, signal);
    QFETCH(QVariantList, arguments);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"pic ü"_s);
    const QString text = dir.filePath(u"notes.txt"_s);
    QFile file(path);
    QFile other(text);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(image) == image.size());
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("just text") == 9);
    file.close();
    other.close();

    const QString missing = dir.filePath(u"missing.png"_s);
    expectWarning(u"The specified file [%1] does not exist"_s.arg(missing));
    QVERIFY(!call(*fx.graph, missing));
    expectWarning(u"Did not recognize the MIME type of file [%1]"_s.arg(text));
    QVERIFY(!call(*fx.graph, text));

    SignalLog log(fx.graph.get());
    fx.service->enqueue(canned.reply);
    QVERIFY(call(*fx.graph, path));
    QTRY_COMPARE_WITH_TIMEOUT(fx.graph->operationsInFlight(), 0, 15000);
    QCOMPARE(fx.service->requestCount(), 1); // the refused ones sent nothing
    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(QByteArray(request.method + ' ' + request.target),
             line.replace("%1", QUrl::toPercentEncoding(path)));
    QCOMPARE(request.header("Content-Type"),
             QByteArray("multipart/form-data, boundary=AaBbCcDdEeFfGgHhIi"));
    QCOMPARE(request.body,
             "--AaBbCcDdEeFfGgHhIi\r\nContent-Disposition: form-data; name=\"image\"; filename=\""
                 + path.toLocal8Bit() + "\"\r\nContent-Type: " + mimeType.toLatin1() + "\r\n\r\n"
                 + image + "\r\n--AaBbCcDdEeFfGgHhIi--\r\n");
    QCOMPARE(log.total(), 1);
    QCOMPARE(log.only().first, signal);
    QCOMPARE(log.only().second, arguments);
}

void tst_CvGraph::repliesMatchedById()
{
    // Each answer names its request; the first one is held back so that it likely arrives last.
    fx.service->setHandler([](const TestService::Request &request) {
        R answer = R::json("{\"data\":[{\"id\":\"" + request.rawPath + "\"}]}");
        answer.delayMs = request.rawPath == "/a/friends" ? 300 : 0;
        return answer;
    });
    QSignalSpy spy(fx.graph.get(),
                   qOverload<const QString &, const QString &, const QVariantMap &>(
                       &CvGraph::connectionDataRetrieved));
    QVERIFY(fx.graph->retrieveConnectionData(CvGraph::Friends, u"a"_s));
    QVERIFY(fx.service->waitForRequests(1, 15000));
    QVERIFY(fx.graph->retrieveConnectionData(CvGraph::Photos, u"b"_s));
    QCOMPARE(fx.graph->operationsInFlight(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, 15000);
    QStringList seen;
    for (const QVariantList &arguments : std::as_const(spy)) {
        const QString path
            = u"/%1/%2"_s.arg(arguments.at(0).toString(), arguments.at(1).toString());
        const QVariant data = arguments.at(2).toMap().value(u"data"_s);
        QCOMPARE(data.toList().value(0).toMap().value(u"id"_s).toString(), path);
        seen.append(path);
    }
    seen.sort();
    QCOMPARE(seen, (QStringList {u"/a/friends"_s, u"/b/photos"_s}));
    QCOMPARE(fx.graph->operationsInFlight(), 0);
}

void tst_CvGraph::unknownReplyId()
{
    // A reply the graph never asked for, handed to its reply slot under an unused id.
    fx.service->enqueue(R::json("{}").header("Date", "Wed, 06 Mar 2024 01:02:03 GMT"));
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(fx.url(u"/stray"_s))));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QVERIFY(finished.wait(15000));

    SignalLog log(fx.graph.get());
    expectWarning(u"Received response that does not map to any active CvGraph operation"_s);
    QVERIFY(QMetaObject::invokeMethod(fx.graph.get(), "response", Qt::DirectConnection,
                                      Q_ARG(QNetworkReply *, reply.get()), Q_ARG(int, 7)));
    QCOMPARE(log.total(), 0);
    QCOMPARE(fx.graph->lastReplyTimeStamp(), QDateTime(QDate(2024, 3, 6), QTime(1, 2, 3), Qt::UTC));
}

void tst_CvGraph::newRequestFromResultSlot()
{
    fx.service->setHandler([](const TestService::Request &request) {
        return R::json("{\"id\":\"" + request.rawPath.mid(1) + "\"}");
    });
    QStringList seen;
    connect(fx.graph.get(), &CvGraph::objectDataRetrieved, this,
            [&](const QString &id, const QString &, const QVariantMap &data) {
                seen.append(data.value(u"id"_s).toString());
                if (id == QLatin1String("first"))
                    QVERIFY(fx.graph->retrieveObject(u"second"_s, QString()));
            });
    QVERIFY(fx.graph->retrieveObject(u"first"_s, QString()));
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 15000);
    QCOMPARE(seen, (QStringList {u"first"_s, u"second"_s}));
    QCOMPARE(fx.graph->operationsInFlight(), 0);
}

void tst_CvGraph::textForms()
{
    QCOMPARE(CvGraph::connectionTypeToString(CvGraph::UploadedVideos), u"videos/uploaded"_s);
    QCOMPARE(CvGraph::connectionTypeToString(CvGraph::NoConnection), QString());
    QCOMPARE(CvGraph::connectionTypeToString(CvGraph::ConnectionType(29)), QString());
    for (int i = 1; i <= 28; ++i) {
        const auto type = CvGraph::ConnectionType(i);
        QCOMPARE(CvGraph::connectionTypeFromString(CvGraph::connectionTypeToString(type)), type);
    }
    QCOMPARE(CvGraph::connectionTypeFromString(u"Friends"_s), CvGraph::NoConnection);
    QCOMPARE(CvGraph::connectionTypeFromString(QString()), CvGraph::NoConnection);
    QCOMPARE(CvGraph::searchTargetToString(CvGraph::SearchCheckin), u"checkin"_s);
    QCOMPARE(CvGraph::searchTargetToString(CvGraph::SearchTarget(8)), QString());
    QCOMPARE(CvGraph::searchTargetFromString(u"home"_s), CvGraph::SearchHome);
    QCOMPARE(CvGraph::searchTargetFromString(u"User"_s), CvGraph::SearchPost);
}

void tst_CvGraph::echoedTokenNeverShown_data()
{
    QTest::addColumn<CannedReply>("canned");
    // The token's characters that need encoding make the verbatim and the encoded echo differ.
    const QByteArray plain = "AbCd+s3cr3t/x==";
    const QByteArray encoded = QUrl::toPercentEncoding(QString::fromLatin1(plain));
    QTest::newRow("error body and header") << CannedReply {
        R::json("{\"error\":{\"message\":\"Malformed access token " + plain + "\"}}", 400)
            .header("X-Echo", encoded)};
    QTest::newRow("pretty-printed error")
        << CannedReply {R::json("{\n \"error\": {\"message\": \"bad token " + encoded + "\"}\n}")};
    QTest::newRow("not JSON") << CannedReply {R::text("<p>" + plain + "</p>")};
}

void tst_CvGraph::echoedTokenNeverShown()
{
    QFETCH(CannedReply, canned);
    CvGraph graph(u"AbCd+s3cr3t/x=="_s);
    QSignalSpy errors(&graph, &CvGraph::error);
    fx.service->enqueue(canned.reply);

    g_log.clear();
    SetLoggingLevel(LogTrace);
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    QVERIFY(graph.retrieveObject(me, QString()));
    const bool ended = QTest::qWaitFor([&] { return graph.operationsInFlight() == 0; }, 15000);
    qInstallMessageHandler(previous);
    SetLoggingLevel(LogWarnings);
    QVERIFY(ended);

    QStringList shown = g_log;
    for (const QList<QVariant> &arguments : std::as_const(errors)) {
        const CvError err = arguments.constFirst().value<CvError>();
        shown << err.replyErrorString() << err.corvanaErrorString() << err.corvanaErrorHeaders();
    }
    // The echo is shown, but only in its redacted form (the transport's own lines aside).
    const QStringList echoes = shown.filter(QRegularExpression(u"^(?!\"(Using|Sending))"_s));
    QVERIFY(echoes.join(u'\n').contains(u"AbCd\u2026"_s));
    for (const QString &text : std::as_const(shown))
        QVERIFY2(!text.contains(u"s3cr3t"_s, Qt::CaseInsensitive), qPrintable(text));
}

void tst_CvGraph::silentReplies_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<CannedReply>("canned");
    QTest::addColumn<QString>("reason");
    const GraphCall object = CALL(retrieveObject(me, QString()));
    QTest::newRow("not JSON") << object << CannedReply {R::text("<html/>")} << u"not valid JSON"_s;
    QTest::newRow("204") << object << CannedReply {R::text({}, 204)} << u"status 204"_s;
    QTest::newRow("redirect without body")
        << object << CannedReply {R::redirect("http://127.0.0.1:1/x")} << u"status 302"_s;
    QTest::newRow("picture without Location") << CALL(retrieveProfilePicture(me, PictureSmall))
                                              << CannedReply {R::json("{}")} << u"Location"_s;
}

void tst_CvGraph::silentReplies()
{
    QFETCH(GraphCall, call);
    QFETCH(CannedReply, canned);
    QFETCH(QString, reason);
    SetLoggingLevel(LogErrors); // the warnings are the default behaviour under test
    for (const bool report : {false, true}) {
        CvEndpoints::setReportSilentReplies(report);
        SignalLog log(fx.graph.get());
        fx.service->enqueue(canned.reply);
        QVERIFY(call(*fx.graph));
        QTRY_COMPARE_WITH_TIMEOUT(fx.graph->operationsInFlight(), 0, 15000);
        QTest::qWait(50);
        QCOMPARE(log.total(), report ? 1 : 0);
        if (report) {
            QCOMPARE(log.only().first, u"error"_s);
            const CvError err = log.only().second.constFirst().value<CvError>();
            QCOMPARE(err.errorType(), CvError::OperationFailed);
            QCOMPARE(err.objectId(), me);
            QVERIFY2(err.replyErrorString().contains(reason), qPrintable(err.replyErrorString()));
        }
    }
    SetLoggingLevel(LogWarnings);
}

QTEST_GUILESS_MAIN(tst_CvGraph)
#include "tst_cvgraph.moc"
