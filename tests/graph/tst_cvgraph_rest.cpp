#include "cvgraph.h"

#include "graphtestutil.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Cv;
using namespace GraphTest;

namespace {

void row(const char *name, const GraphCall &call, const char *method, const char *query)
{
    QTest::newRow(name) << call << QString::fromLatin1(method) << QByteArray(query);
}

void reply(const char *name, const GraphCall &call, const TestService::Reply &answer,
           const char *signal, const QVariantList &arguments)
{
    QTest::newRow(name) << call << CannedReply {answer} << QString::fromLatin1(signal) << arguments;
}

} // namespace

class tst_CvGraphRest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(fx.start()); }
    void cleanup() { fx.stop(); }

    void requests_data();
    void requests();
    void refused_data();
    void refused();
    void replies_data();
    void replies();
    void restErrorInSuccessfulReply();
    void uploadProfilePicture();

private:
    Fixture fx;
};

void tst_CvGraphRest::requests_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("query");

    // The graph's locale is fr_FR in every row: only the methods that take it send it.
    const QString me = u"me"_s;
    const QString t1 = u"t1"_s;
    const QString p1 = u"p1"_s;
    const QDateTime newYear(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
    row("mark read", CALL(markMessageThreadStatus(t1, MarkRead)), "corvana.mailbox.markRead",
        "access_token=tok&format=json&tid=t1");
    row("mark unread", CALL(markMessageThreadStatus(t1, MarkUnread)), "corvana.mailbox.markUnread",
        "access_token=tok&format=json&tid=t1");
    row("confirm", CALL(respondToFriendRequest(u"u1"_s, Confirm)), "corvana.friends.confirm",
        "access_token=tok&confirm=1&format=json&uid=u1");
    row("confirm limited", CALL(respondToFriendRequest(u"u1"_s, ConfirmLimited)),
        "corvana.friends.confirm", "access_token=tok&confirm=1&format=json&limited=1&uid=u1");
    row("reject", CALL(respondToFriendRequest(u"u1"_s, Reject)), "corvana.friends.confirm",
        "access_token=tok&confirm=0&format=json&uid=u1");
    row("send to users", CALL(sendMessage(u"a b"_s, u"s"_s, {u"1"_s, u"2"_s}, {})),
        "corvana.mailbox.send", "access_token=tok&body=a%20b&format=json&subject=s&to=1%2C2");
    row("send to addresses", CALL(sendMessage({}, u"s"_s, {}, {u"a@b.c"_s, u"d@e"_s})),
        "corvana.mailbox.send",
        "access_token=tok&body=&emails=a%40b.c%2Cd%40e&format=json&subject=s");
    row("reply", CALL(replyToMessage(t1, u"hi"_s, {})), "corvana.mailbox.reply",
        "access_token=tok&body=hi&format=json&tid=t1");
    row("reply to a message", CALL(replyToMessage(t1, u"hi"_s, u"m2"_s)), "corvana.mailbox.reply",
        "access_token=tok&body=hi&format=json&mid=m2&tid=t1");
    row("delete thread", CALL(deleteMessageThread(t1, 2)), "corvana.mailbox.deleteThread",
        "access_token=tok&folder=2&format=json&tid=t1");
    row("threads, bare", CALL(retrieveMessageThreads(me, 1, 0, -1)), "message.getThreadsInFolder",
        "access_token=tok&format=json&locale=fr_FR");
    row("threads, offset 0", CALL(retrieveMessageThreads(me, 1, 10, 0)),
        "message.getThreadsInFolder",
        "access_token=tok&format=json&limit=10&locale=fr_FR&offset=0");
    row("inbox, bare", CALL(retrieveInbox(me, -1, -1, u"n"_s)), "corvana.mailbox.getInbox",
        "access_token=tok&format=json&locale=fr_FR");
    row("inbox, zeros sent", CALL(retrieveInbox(me, 0, 0, u"n"_s)), "corvana.mailbox.getInbox",
        "access_token=tok&format=json&limit=0&locale=fr_FR&start=0");
    row("outbox", CALL(retrieveOutbox(me, 5, 20, u"n"_s)), "corvana.mailbox.getOutbox",
        "access_token=tok&format=json&limit=20&locale=fr_FR&start=5");
    row("thread", CALL(retrieveThread(t1)), "corvana.mailbox.getThread",
        "access_token=tok&format=json&locale=fr_FR&tid=t1");
    row("thread messages, zero limit not sent", CALL(retrieveThreadMessages(t1, 0, 0, u"n"_s)),
        "corvana.mailbox.getThreadMessages",
        "access_token=tok&format=json&locale=fr_FR&start=0&tid=t1");
    row("notification list", CALL(retrieveNotificationList(me, true, newYear)),
        "notifications.getList",
        "access_token=tok&format=json&include_read=1&locale=fr_FR&start_time=1704067200");
    row("notification list, no time", CALL(retrieveNotificationList(me, false, QDateTime())),
        "notifications.getList", "access_token=tok&format=json&locale=fr_FR");
    row("mark notifications", CALL(markNotificationsRead({u"a"_s, u"b"_s})),
        "notifications.markRead",
        "access_token=tok&format=json&locale=fr_FR&notification_ids=a%2Cb");
    row("friend request", CALL(sendFriendRequest(u"u1"_s)), "corvana.friends.add",
        "access_token=tok&format=json&uid=u1");
    row("photo like", CALL(addPhotoLike(p1)), "corvana.photos.addLike",
        "access_token=tok&format=json&pid=p1");
    row("photo unlike", CALL(removePhotoLike(p1)), "corvana.photos.removeLike",
        "access_token=tok&format=json&pid=p1");
    row("delete album", CALL(deleteAlbum(u"a1"_s)), "corvana.photos.deleteAlbum",
        "access_token=tok&aid=a1&format=json");
    row("photo", CALL(retrievePhoto(p1)), "photos.get",
        "access_token=tok&format=json&locale=fr_FR&pids=p1");
    row("page fan", CALL(addFanToPage(u"pg"_s)), "corvana.pages.addFan",
        "access_token=tok&format=json&page_id=pg");
    row("tag user", CALL(tagPhotoWithId(p1, u"u1"_s, 10, 20.5f, {})), "photos.addTag",
        "access_token=tok&format=json&pid=p1&tag_uid=u1&x=10&y=20.5");
    row("tag text, owner", CALL(tagPhotoWithText(p1, u"Hi all"_s, 0, 1.0f / 3, u"o1"_s)),
        "photos.addTag",
        "access_token=tok&format=json&owner_uid=o1&pid=p1&tag_text=Hi%20all&x=0&y=0.333333");
    row("delete user tag", CALL(deleteUserTag(p1, u"u1"_s)), "corvana.photos.deleteTag",
        "access_token=tok&format=json&pid=p1&tag_uid=u1");
    row("delete text tag", CALL(deleteTextTag(p1, u"x&y"_s)), "corvana.photos.deleteTag",
        "access_token=tok&format=json&pid=p1&tag_text=x%26y");
}

void tst_CvGraphRest::requests()
{
    QFETCH(GraphCall, call);
    QFETCH(QString, method);
    QFETCH(QByteArray, query);

    fx.graph->setLocale(u"fr_FR"_s);
    fx.service->enqueue(TestService::Reply::json("true"));
    QVERIFY(call(*fx.graph));
    QVERIFY(fx.service->waitForRequests(1));
    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.path, QLatin1String("/method/") + method);
    QCOMPARE(request.rawQuery, query);
}

void tst_CvGraphRest::refused_data()
{
    QTest::addColumn<GraphCall>("call");

    const QString p = u"p"_s;
    QTest::newRow("mark, no thread") << CALL(markMessageThreadStatus({}, MarkRead));
    QTest::newRow("friend, no uid") << CALL(respondToFriendRequest({}, Confirm));
    QTest::newRow("friend, answer 3") << CALL(respondToFriendRequest(u"u"_s, RespondType(3)));
    QTest::newRow("send, no one") << CALL(sendMessage(u"b"_s, u"s"_s, {}, {}));
    QTest::newRow("send, no text") << CALL(sendMessage({}, {}, {u"1"_s}, {}));
    QTest::newRow("reply, no body") << CALL(replyToMessage(u"t"_s, {}, u"m"_s));
    QTest::newRow("delete thread, no id") << CALL(deleteMessageThread({}, 0));
    QTest::newRow("threads, no id") << CALL(retrieveMessageThreads({}, 0, 1, 1));
    QTest::newRow("inbox, no id") << CALL(retrieveInbox({}, 0, 1, u"n"_s));
    QTest::newRow("outbox, no id") << CALL(retrieveOutbox({}, 0, 1, u"n"_s));
    QTest::newRow("thread, no id") << CALL(retrieveThread({}));
    QTest::newRow("messages, no id") << CALL(retrieveThreadMessages({}, 0, 1, u"n"_s));
    QTest::newRow("list, no id") << CALL(retrieveNotificationList({}, true, QDateTime()));
    QTest::newRow("mark notifications, none") << CALL(markNotificationsRead({}));
    QTest::newRow("friend request, no uid") << CALL(sendFriendRequest({}));
    QTest::newRow("like, no pid") << CALL(addPhotoLike({}));
    QTest::newRow("unlike, no pid") << CALL(removePhotoLike({}));
    QTest::newRow("album, no id") << CALL(deleteAlbum({}));
    QTest::newRow("photo, no pid") << CALL(retrievePhoto({}));
    QTest::newRow("fan, no page") << CALL(addFanToPage({}));
    QTest::newRow("tag, negative x") << CALL(tagPhotoWithText(p, u"t"_s, -1, 0, {}));
    QTest::newRow("tag, negative y") << CALL(tagPhotoWithId(p, u"u"_s, 0, -0.5f, {}));
    QTest::newRow("tag, no user") << CALL(tagPhotoWithId(p, {}, 1, 1, {}));
    QTest::newRow("tag, no photo") << CALL(tagPhotoWithText({}, u"t"_s, 1, 1, {}));
    QTest::newRow("untag, no user") << CALL(deleteUserTag(p, {}));
    QTest::newRow("untag, no photo") << CALL(deleteTextTag({}, u"t"_s));
    QTest::newRow("picture, no id") << CALL(uploadProfilePicture({}, u"/none.png"_s, {}));
}

void tst_CvGraphRest::refused()
{
    QFETCH(GraphCall, call);
    QVERIFY(!call(*fx.graph));
    QVERIFY(fx.probe());
    QVERIFY(fx.service->waitForRequests(1));
    QCOMPARE(fx.service->requests().constFirst().path, u"/probe"_s);
}

void tst_CvGraphRest::replies_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<CannedReply>("canned");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    using R = TestService::Reply;
    const R yes = R::json("true");
    const R no = R::json("false");
    const R rowsJson = R::json("[{\"thread_id\":\"1\",\"unread\":2},{\"thread_id\":\"2\"}]");
    const QVariantList rows {
        QVariantMap {{u"thread_id"_s, u"1"_s}, {u"unread"_s, 2LL}},
        QVariantMap {{u"thread_id"_s, u"2"_s}},
    };
    const R objectJson = R::json("{\"tid\":\"t1\",\"n\":1.5}");
    const QVariantMap object {{u"tid"_s, u"t1"_s}, {u"n"_s, 1.5}};
    const QString me = u"me"_s;
    const QString t1 = u"t1"_s;
    const QString p1 = u"p1"_s;

    reply("mark, true", CALL(markMessageThreadStatus(t1, MarkRead)), yes,
          "messageThreadStatusMarked(QString,bool)", {t1, true});
    reply("mark, false", CALL(markMessageThreadStatus(t1, MarkUnread)), no,
          "messageThreadStatusMarked(QString,bool)", {t1, false});
    reply("friend answer", CALL(respondToFriendRequest(u"u1"_s, Reject)), yes,
          "friendRequestResponded(QString,bool)", {u"u1"_s, true});
    reply("sent, text keeps quotes", CALL(sendMessage(u"b"_s, {}, {u"1"_s}, {})),
          R::json("\"t77\""), "messageSent(QString)", {u"\"t77\""_s});
    reply("replied, text", CALL(replyToMessage(t1, u"b"_s, {})), R::text("m9"),
          "messageReplied(QString)", {u"m9"_s});
    reply("thread deleted", CALL(deleteMessageThread(t1, 2)), yes,
          "messageThreadDeleted(QString,int,bool)", {t1, 2, true});
    reply("threads", CALL(retrieveMessageThreads(me, 3, 0, 0)), rowsJson,
          "messageThreadsRetrieved(QString,int,QVariantList)", {me, 3, rows});
    reply("inbox", CALL(retrieveInbox(me, 0, 5, u"box"_s)), rowsJson,
          "inboxRetrieved(QString,QString,QVariantList)", {me, u"box"_s, rows});
    reply("outbox, object gives empty list", CALL(retrieveOutbox(me, 0, 5, u"box"_s)), objectJson,
          "outboxRetrieved(QString,QString,QVariantList)", {me, u"box"_s, QVariantList()});
    reply("thread", CALL(retrieveThread(t1)), objectJson, "threadRetrieved(QString,QVariantMap)",
          {t1, object});
    reply("thread messages", CALL(retrieveThreadMessages(t1, 0, 5, u"n"_s)), rowsJson,
          "threadMessagesRetrieved(QString,QString,QVariantList)", {t1, u"n"_s, rows});
    reply("notification list", CALL(retrieveNotificationList(me, false, {})), objectJson,
          "notificationListRetrieved(QString,QVariantMap)", {me, object});
    reply("notifications marked", CALL(markNotificationsRead({u"a"_s, QString(), u"b"_s})), yes,
          "notificationsMarkedRead(QStringList,bool)",
          {QStringList {u"a"_s, QString(), u"b"_s}, true});
    reply("friend request sent", CALL(sendFriendRequest(u"u1"_s)), yes,
          "friendRequestSent(QString,bool)", {u"u1"_s, true});
    reply("photo liked", CALL(addPhotoLike(p1)), yes, "photoLikeAdded(QString,bool)", {p1, true});
    reply("unliked, 1 is not true", CALL(removePhotoLike(p1)), R::json("1"),
          "photoLikeRemoved(QString,bool)", {p1, false});
    reply("album deleted", CALL(deleteAlbum(u"a1"_s)), yes, "albumDeleted(QString,bool)",
          {u"a1"_s, true});
    reply("photo, first row", CALL(retrievePhoto(p1)), rowsJson,
          "photoRetrieved(QString,QVariantMap)", {p1, rows.constFirst()});
    reply("photo, no row", CALL(retrievePhoto(p1)), R::json("[]"),
          "photoRetrieved(QString,QVariantMap)", {p1, QVariantMap()});
    reply("fan added", CALL(addFanToPage(u"pg"_s)), yes, "fanToPageAdded(QString,bool)",
          {u"pg"_s, true});
    reply("tagged, body ignored", CALL(tagPhotoWithId(p1, u"u1"_s, 1, 1, {})), no,
          "photoTagged(QString)", {p1});
    reply("user tag deleted", CALL(deleteUserTag(p1, u"u1"_s)), yes,
          "userTagDeleted(QString,QString,bool)", {p1, u"u1"_s, true});
    reply("text tag deleted", CALL(deleteTextTag(p1, u"hey"_s)), no,
          "textTagDeleted(QString,QString,bool)", {p1, u"hey"_s, false});
}

void tst_CvGraphRest::replies()
{
    QFETCH(GraphCall, call);
    QFETCH(CannedReply, canned);
    QFETCH(QString, signal);
    QFETCH(QVariantList, arguments);

    SignalLog log(fx.graph.get());
    fx.service->enqueue(canned.reply);
    QVERIFY(call(*fx.graph));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, signal);
    QCOMPARE(log.only().second, arguments);
    QCOMPARE(fx.graph->operationsInFlight(), 0);
}

void tst_CvGraphRest::restErrorInSuccessfulReply()
{
    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json("{\"error_code\":3,\"error_msg\":\"Unknown\"}"));
    QVERIFY(fx.graph->deleteAlbum(u"a1"_s));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, u"error(Cv::CvError)"_s);
    const CvError err = log.only().second.constFirst().value<CvError>();
    QCOMPARE(err.objectId(), u"a1"_s);
    QCOMPARE(err.errorType(), CvError::UnknownMethod);
}

void tst_CvGraphRest::uploadProfilePicture()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray gif("GIF89a\x01\x00\x01\x00\x00\xff\r\n--", 16);
    const QString path = dir.filePath(u"face.gif"_s);
    const QString bmp = dir.filePath(u"face.bmp"_s);
    QFile file(path);
    QFile other(bmp);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(gif) == gif.size());
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("BM\x00\x00", 4) == 4);
    file.close();
    other.close();

    const QString missing = dir.filePath(u"none.gif"_s);
    expectWarning(u"The specified file [%1] does not exist"_s.arg(missing));
    QVERIFY(!fx.graph->uploadProfilePicture(u"me"_s, missing, {}));
    expectWarning(u"Did not recognize the MIME type of file [%1]"_s.arg(bmp));
    QVERIFY(!fx.graph->uploadProfilePicture(u"me"_s, bmp, {}));

    SignalLog log(fx.graph.get());
    QSignalSpy uploaded(fx.graph.get(), &CvGraph::profilePictureUploaded);
    fx.service->enqueue(TestService::Reply::text("1"));
    fx.service->enqueue(TestService::Reply::text("true"));
    QVERIFY(fx.graph->uploadProfilePicture(u"me"_s, path, u"My face"_s));
    QTRY_COMPARE(uploaded.size(), 1);
    QCOMPARE(fx.service->requestCount(), 1); // the refused ones sent nothing

    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, u"/method/corvana.photos.uploadProfilePic"_s);
    QCOMPARE(request.rawQuery,
             QByteArray("access_token=tok&caption=My%20face&format=json&profile_id=me"));
    QCOMPARE(request.header("Content-Type"),
             QByteArray("multipart/form-data, boundary=AaBbCcDdEeFfGgHhIi"));
    QCOMPARE(request.body,
             "--AaBbCcDdEeFfGgHhIi\r\nContent-Disposition: form-data; name=\"image\"; filename=\""
                 + path.toLocal8Bit() + "\"\r\nContent-Type: image/gif\r\n\r\n" + gif
                 + "\r\n--AaBbCcDdEeFfGgHhIi--\r\n");
    QCOMPARE(uploaded.at(0), (QVariantList {u"me"_s, true}));

    // Only the exact body "1" means success.
    QVERIFY(fx.graph->uploadProfilePicture(u"me"_s, path, {}));
    QTRY_COMPARE(uploaded.size(), 2);
    QCOMPARE(fx.service->lastRequest().rawQuery,
             QByteArray("access_token=tok&caption=&format=json&profile_id=me"));
    QCOMPARE(uploaded.at(1), (QVariantList {u"me"_s, false}));
    QCOMPARE(log.total(), 2);
}

QTEST_GUILESS_MAIN(tst_CvGraphRest)

#include "tst_cvgraph_rest.moc"
