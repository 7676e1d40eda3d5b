#include "cvgraph.h"

#include "graphtestutil.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Cv;
using namespace GraphTest;

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
    QTest::newRow("mark read") << GraphCall([](CvGraph &g) {
        return g.markMessageThreadStatus(text("t1"), MarkRead);
    }) << "corvana.mailbox.markRead"
                               << QByteArray("access_token=tok&format=json&tid=t1");
    QTest::newRow("mark unread") << GraphCall([](CvGraph &g) {
        return g.markMessageThreadStatus(text("t1"), MarkUnread);
    }) << "corvana.mailbox.markUnread"
                                 << QByteArray("access_token=tok&format=json&tid=t1");
    QTest::newRow("confirm friend")
        << GraphCall([](CvGraph &g) { return g.respondToFriendRequest(text("u1"), Confirm); })
        << "corvana.friends.confirm" << QByteArray("access_token=tok&confirm=1&format=json&uid=u1");
    QTest::newRow("confirm limited")
        << GraphCall(
               [](CvGraph &g) { return g.respondToFriendRequest(text("u1"), ConfirmLimited); })
        << "corvana.friends.confirm"
        << QByteArray("access_token=tok&confirm=1&format=json&limited=1&"
                      "uid=u1");
    QTest::newRow("reject friend")
        << GraphCall([](CvGraph &g) { return g.respondToFriendRequest(text("u1"), Reject); })
        << "corvana.friends.confirm" << QByteArray("access_token=tok&confirm=0&format=json&uid=u1");
    QTest::newRow("send to users")
        << GraphCall([](CvGraph &g) {
               return g.sendMessage(text("a b"), text("subj"), {text("1"), text("2")}, {});
           })
        << "corvana.mailbox.send"
        << QByteArray("access_token=tok&body=a%20b&format=json&subject=subj&"
                      "to=1%2C2");
    QTest::newRow("send to addresses, empty body")
        << GraphCall([](CvGraph &g) {
               return g.sendMessage(QString(), text("s"), {}, {text("a@b.c"), text("d@e.f")});
           })
        << "corvana.mailbox.send"
        << QByteArray("access_token=tok&body=&emails=a%40b.c%"
                      "2Cd%40e.f&format=json&subject=s");
    QTest::newRow("reply") << GraphCall([](CvGraph &g) {
        return g.replyToMessage(text("t1"), text("hi"), QString());
    }) << "corvana.mailbox.reply"
                           << QByteArray("access_token=tok&body=hi&format=json&tid=t1");
    QTest::newRow("reply to a message") << GraphCall([](CvGraph &g) {
        return g.replyToMessage(text("t1"), text("hi"), text("m2"));
    }) << "corvana.mailbox.reply"
                                        << QByteArray("access_token=tok&body=hi&format=json&mid=m2&"
                                                      "tid=t1");
    QTest::newRow("delete thread")
        << GraphCall([](CvGraph &g) { return g.deleteMessageThread(text("t1"), 2); })
        << "corvana.mailbox.deleteThread"
        << QByteArray("access_token=tok&folder=2&format=json&tid=t1");
    QTest::newRow("threads, no limit, no offset")
        << GraphCall([](CvGraph &g) { return g.retrieveMessageThreads(text("me"), 1, 0, -1); })
        << "message.getThreadsInFolder" << QByteArray("access_token=tok&format=json&locale=fr_FR");
    QTest::newRow("threads, limit and offset 0")
        << GraphCall([](CvGraph &g) { return g.retrieveMessageThreads(text("me"), 1, 10, 0); })
        << "message.getThreadsInFolder"
        << QByteArray("access_token=tok&format=json&limit=10&locale=fr_FR&offset=0");
    QTest::newRow("inbox, nothing but format and locale")
        << GraphCall([](CvGraph &g) { return g.retrieveInbox(text("me"), -1, -1, text("n")); })
        << "corvana.mailbox.getInbox" << QByteArray("access_token=tok&format=json&locale=fr_FR");
    QTest::newRow("inbox, zero start and limit are sent")
        << GraphCall([](CvGraph &g) { return g.retrieveInbox(text("me"), 0, 0, text("n")); })
        << "corvana.mailbox.getInbox"
        << QByteArray("access_token=tok&format=json&"
                      "limit=0&locale=fr_FR&start=0");
    QTest::newRow("outbox") << GraphCall([](CvGraph &g) {
        return g.retrieveOutbox(text("me"), 5, 20, text("n"));
    }) << "corvana.mailbox.getOutbox"
                            << QByteArray(
                                   "access_token=tok&format=json&limit=20&locale=fr_FR&start=5");
    QTest::newRow("thread") << GraphCall([](CvGraph &g) { return g.retrieveThread(text("t1")); })
                            << "corvana.mailbox.getThread"
                            << QByteArray("access_token=tok&format=json&locale=fr_FR&tid=t1");
    QTest::newRow("thread messages, zero limit not sent")
        << GraphCall(
               [](CvGraph &g) { return g.retrieveThreadMessages(text("t1"), 0, 0, text("n")); })
        << "corvana.mailbox.getThreadMessages"
        << QByteArray("access_token=tok&format=json&"
                      "locale=fr_FR&start=0&tid=t1");
    QTest::newRow("notification list since, with read") << GraphCall([](CvGraph &g) {
        return g.retrieveNotificationList(text("me"), true,
                                          QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
    }) << "notifications.getList"
                                                        << QByteArray(
                                                               "access_token=tok&format=json&"
                                                               "include_read=1&locale=fr_FR&"
                                                               "start_time=1704067200");
    QTest::newRow("notification list, invalid start") << GraphCall([](CvGraph &g) {
        return g.retrieveNotificationList(text("me"), false, QDateTime());
    }) << "notifications.getList" << QByteArray("access_token=tok&format=json&locale=fr_FR");
    QTest::newRow("mark notifications read")
        << GraphCall([](CvGraph &g) {
               return g.markNotificationsRead({text("a"), text("b")});
           })
        << "notifications.markRead"
        << QByteArray("access_token=tok&format=json&locale=fr_FR&"
                      "notification_ids=a%2Cb");
    QTest::newRow("friend request")
        << GraphCall([](CvGraph &g) { return g.sendFriendRequest(text("u1")); })
        << "corvana.friends.add" << QByteArray("access_token=tok&format=json&uid=u1");
    QTest::newRow("photo like") << GraphCall([](CvGraph &g) { return g.addPhotoLike(text("p1")); })
                                << "corvana.photos.addLike"
                                << QByteArray("access_token=tok&format=json&pid=p1");
    QTest::newRow("photo unlike") << GraphCall([](CvGraph &g) {
        return g.removePhotoLike(text("p1"));
    }) << "corvana.photos.removeLike"
                                  << QByteArray("access_token=tok&format=json&pid=p1");
    QTest::newRow("delete album") << GraphCall([](CvGraph &g) { return g.deleteAlbum(text("a1")); })
                                  << "corvana.photos.deleteAlbum"
                                  << QByteArray("access_token=tok&aid=a1&format=json");
    QTest::newRow("photo") << GraphCall([](CvGraph &g) { return g.retrievePhoto(text("p1")); })
                           << "photos.get"
                           << QByteArray("access_token=tok&format=json&locale=fr_FR&pids=p1");
    QTest::newRow("page fan") << GraphCall([](CvGraph &g) { return g.addFanToPage(text("pg")); })
                              << "corvana.pages.addFan"
                              << QByteArray("access_token=tok&format=json&page_id=pg");
    QTest::newRow("tag user") << GraphCall([](CvGraph &g) {
        return g.tagPhotoWithId(text("p1"), text("u1"), 10, 20.5f, QString());
    }) << "photos.addTag"
                              << QByteArray(
                                     "access_token=tok&format=json&pid=p1&tag_uid=u1&x=10&y=20.5");
    QTest::newRow("tag text with owner") << GraphCall([](CvGraph &g) {
        return g.tagPhotoWithText(text("p1"), text("Hi there"), 0, 1.0f / 3.0f, text("o1"));
    }) << "photos.addTag"
                                         << QByteArray("access_token=tok&format=json&owner_uid=o1&"
                                                       "pid=p1&tag_text=Hi%20there&x=0&y=0.333333");
    QTest::newRow("delete user tag")
        << GraphCall([](CvGraph &g) { return g.deleteUserTag(text("p1"), text("u1")); })
        << "corvana.photos.deleteTag"
        << QByteArray("access_token=tok&format=json&pid=p1&tag_uid=u1");
    QTest::newRow("delete text tag")
        << GraphCall([](CvGraph &g) { return g.deleteTextTag(text("p1"), text("x&y")); })
        << "corvana.photos.deleteTag"
        << QByteArray("access_token=tok&format=json&pid=p1&tag_text=x%26y");
}

void tst_CvGraphRest::requests()
{
    QFETCH(GraphCall, call);
    QFETCH(QString, method);
    QFETCH(QByteArray, query);

    fx.graph->setLocale(text("fr_FR"));
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

    QTest::newRow("mark, no thread")
        << GraphCall([](CvGraph &g) { return g.markMessageThreadStatus({}, MarkRead); });
    QTest::newRow("friend, no uid")
        << GraphCall([](CvGraph &g) { return g.respondToFriendRequest({}, Confirm); });
    QTest::newRow("friend, unknown answer") << GraphCall(
        [](CvGraph &g) { return g.respondToFriendRequest(text("u1"), RespondType(3)); });
    QTest::newRow("send, no recipient")
        << GraphCall([](CvGraph &g) { return g.sendMessage(text("b"), text("s"), {}, {}); });
    QTest::newRow("send, no text") << GraphCall(
        [](CvGraph &g) { return g.sendMessage(QString(), QString(), {text("1")}, {}); });
    QTest::newRow("reply, no body")
        << GraphCall([](CvGraph &g) { return g.replyToMessage(text("t1"), QString(), text("m")); });
    QTest::newRow("delete thread, no id")
        << GraphCall([](CvGraph &g) { return g.deleteMessageThread({}, 0); });
    QTest::newRow("threads, no id")
        << GraphCall([](CvGraph &g) { return g.retrieveMessageThreads({}, 0, 1, 1); });
    QTest::newRow("inbox, no id") << GraphCall(
        [](CvGraph &g) { return g.retrieveInbox({}, 0, 1, text("n")); });
    QTest::newRow("outbox, no id")
        << GraphCall([](CvGraph &g) { return g.retrieveOutbox({}, 0, 1, text("n")); });
    QTest::newRow("thread, no id") << GraphCall([](CvGraph &g) { return g.retrieveThread({}); });
    QTest::newRow("thread messages, no id")
        << GraphCall([](CvGraph &g) { return g.retrieveThreadMessages({}, 0, 1, text("n")); });
    QTest::newRow("notification list, no id") << GraphCall([](CvGraph &g) {
        return g.retrieveNotificationList({}, true, QDateTime::currentDateTimeUtc());
    });
    QTest::newRow("mark notifications, none")
        << GraphCall([](CvGraph &g) { return g.markNotificationsRead({}); });
    QTest::newRow("friend request, no uid")
        << GraphCall([](CvGraph &g) { return g.sendFriendRequest({}); });
    QTest::newRow("photo like, no pid") << GraphCall([](CvGraph &g) { return g.addPhotoLike({}); });
    QTest::newRow("photo unlike, no pid")
        << GraphCall([](CvGraph &g) { return g.removePhotoLike({}); });
    QTest::newRow("delete album, no id") << GraphCall([](CvGraph &g) { return g.deleteAlbum({}); });
    QTest::newRow("photo, no pid") << GraphCall([](CvGraph &g) { return g.retrievePhoto({}); });
    QTest::newRow("fan, no page") << GraphCall([](CvGraph &g) { return g.addFanToPage({}); });
    QTest::newRow("tag text, negative x") << GraphCall(
        [](CvGraph &g) { return g.tagPhotoWithText(text("p"), text("t"), -1, 0, {}); });
    QTest::newRow("tag user, negative y") << GraphCall(
        [](CvGraph &g) { return g.tagPhotoWithId(text("p"), text("u"), 0, -0.5f, {}); });
    QTest::newRow("tag user, no user")
        << GraphCall([](CvGraph &g) { return g.tagPhotoWithId(text("p"), {}, 1, 1, {}); });
    QTest::newRow("tag, no photo")
        << GraphCall([](CvGraph &g) { return g.tagPhotoWithText({}, text("t"), 1, 1, {}); });
    QTest::newRow("delete user tag, no user")
        << GraphCall([](CvGraph &g) { return g.deleteUserTag(text("p"), {}); });
    QTest::newRow("delete text tag, no photo")
        << GraphCall([](CvGraph &g) { return g.deleteTextTag({}, text("t")); });
    QTest::newRow("profile picture, no id") << GraphCall(
        [](CvGraph &g) { return g.uploadProfilePicture({}, text("/nonexistent.png"), {}); });
}

void tst_CvGraphRest::refused()
{
    QFETCH(GraphCall, call);
    QVERIFY(!call(*fx.graph));
    QVERIFY(fx.probe());
    QVERIFY(fx.service->waitForRequests(1));
    QCOMPARE(fx.service->requests().constFirst().path, text("/probe"));
}

void tst_CvGraphRest::replies_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<CannedReply>("canned");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    using R = TestService::Reply;
    const QByteArray rowsJson = "[{\"thread_id\":\"1\",\"unread\":2},{\"thread_id\":\"2\"}]";
    const QVariantList rows {
        QVariantMap {{text("thread_id"), text("1")}, {text("unread"), 2LL}},
        QVariantMap {{text("thread_id"), text("2")}},
    };
    const QVariantMap object {{text("tid"), text("t1")}, {text("n"), 1.5}};

    QTest::newRow("mark, true") << GraphCall([](CvGraph &g) {
        return g.markMessageThreadStatus(text("t1"), MarkRead);
    }) << CannedReply {R::json("true")}
                                << "messageThreadStatusMarked(QString,bool)"
                                << QVariantList {text("t1"), true};
    QTest::newRow("mark, false") << GraphCall([](CvGraph &g) {
        return g.markMessageThreadStatus(text("t1"), MarkUnread);
    }) << CannedReply {R::json("false")}
                                 << "messageThreadStatusMarked(QString,bool)"
                                 << QVariantList {text("t1"), false};
    QTest::newRow("friend answer")
        << GraphCall([](CvGraph &g) { return g.respondToFriendRequest(text("u1"), Reject); })
        << CannedReply {R::json("true")} << "friendRequestResponded(QString,bool)"
        << QVariantList {text("u1"), true};
    QTest::newRow("sent, body text with its quotes")
        << GraphCall([](CvGraph &g) { return g.sendMessage(text("b"), {}, {text("1")}, {}); })
        << CannedReply {R::json("\"t77\"")} << "messageSent(QString)"
        << QVariantList {text("\"t77\"")};
    QTest::newRow("replied, body text")
        << GraphCall([](CvGraph &g) { return g.replyToMessage(text("t1"), text("b"), {}); })
        << CannedReply {R::text("m9")} << "messageReplied(QString)" << QVariantList {text("m9")};
    QTest::newRow("thread deleted, folder back as int")
        << GraphCall([](CvGraph &g) { return g.deleteMessageThread(text("t1"), 2); })
        << CannedReply {R::json("true")} << "messageThreadDeleted(QString,int,bool)"
        << QVariantList {text("t1"), 2, true};
    QTest::newRow("threads") << GraphCall([](CvGraph &g) {
        return g.retrieveMessageThreads(text("me"), 3, 0, 0);
    }) << CannedReply {R::json(rowsJson)}
                             << "messageThreadsRetrieved(QString,int,QVariantList)"
                             << QVariantList {text("me"), 3, rows};
    QTest::newRow("inbox") << GraphCall([](CvGraph &g) {
        return g.retrieveInbox(text("me"), 0, 5, text("box"));
    }) << CannedReply {R::json(rowsJson)}
                           << "inboxRetrieved(QString,QString,QVariantList)"
                           << QVariantList {text("me"), text("box"), rows};
    QTest::newRow("outbox, object gives empty list")
        << GraphCall([](CvGraph &g) { return g.retrieveOutbox(text("me"), 0, 5, text("box")); })
        << CannedReply {R::json("{\"a\":1}")} << "outboxRetrieved(QString,QString,QVariantList)"
        << QVariantList {text("me"), text("box"), QVariantList()};
    QTest::newRow("thread") << GraphCall([](CvGraph &g) { return g.retrieveThread(text("t1")); })
                            << CannedReply {R::json("{\"tid\":\"t1\",\"n\":1.5}")}
                            << "threadRetrieved(QString,QVariantMap)"
                            << QVariantList {text("t1"), object};
    QTest::newRow("thread messages") << GraphCall([](CvGraph &g) {
        return g.retrieveThreadMessages(text("t1"), 0, 5, text("n"));
    }) << CannedReply {R::json(rowsJson)}
                                     << "threadMessagesRetrieved(QString,QString,QVariantList)"
                                     << QVariantList {text("t1"), text("n"), rows};
    QTest::newRow("notification list")
        << GraphCall([](CvGraph &g) { return g.retrieveNotificationList(text("me"), false, {}); })
        << CannedReply {R::json("{\"tid\":\"t1\",\"n\":1.5}")}
        << "notificationListRetrieved(QString,QVariantMap)" << QVariantList {text("me"), object};
    QTest::newRow("notifications marked, ids back with empty parts")
        << GraphCall([](CvGraph &g) {
               return g.markNotificationsRead({text("a"), QString(), text("b")});
           })
        << CannedReply {R::json("true")} << "notificationsMarkedRead(QStringList,bool)"
        << QVariantList {QStringList {text("a"), QString(), text("b")}, true};
    QTest::newRow("friend request sent")
        << GraphCall([](CvGraph &g) { return g.sendFriendRequest(text("u1")); })
        << CannedReply {R::json("true")} << "friendRequestSent(QString,bool)"
        << QVariantList {text("u1"), true};
    QTest::newRow("photo like added")
        << GraphCall([](CvGraph &g) { return g.addPhotoLike(text("p1")); })
        << CannedReply {R::json("true")} << "photoLikeAdded(QString,bool)"
        << QVariantList {text("p1"), true};
    QTest::newRow("photo like removed, 1 is not true")
        << GraphCall([](CvGraph &g) { return g.removePhotoLike(text("p1")); })
        << CannedReply {R::json("1")} << "photoLikeRemoved(QString,bool)"
        << QVariantList {text("p1"), false};
    QTest::newRow("album deleted")
        << GraphCall([](CvGraph &g) { return g.deleteAlbum(text("a1")); })
        << CannedReply {R::json("true")} << "albumDeleted(QString,bool)"
        << QVariantList {text("a1"), true};
    QTest::newRow("photo, first element")
        << GraphCall([](CvGraph &g) { return g.retrievePhoto(text("p1")); })
        << CannedReply {R::json(rowsJson)} << "photoRetrieved(QString,QVariantMap)"
        << QVariantList {text("p1"), rows.constFirst()};
    QTest::newRow("photo, empty list")
        << GraphCall([](CvGraph &g) { return g.retrievePhoto(text("p1")); })
        << CannedReply {R::json("[]")} << "photoRetrieved(QString,QVariantMap)"
        << QVariantList {text("p1"), QVariantMap()};
    QTest::newRow("fan added") << GraphCall([](CvGraph &g) { return g.addFanToPage(text("pg")); })
                               << CannedReply {R::json("true")} << "fanToPageAdded(QString,bool)"
                               << QVariantList {text("pg"), true};
    QTest::newRow("tagged, body ignored")
        << GraphCall([](CvGraph &g) { return g.tagPhotoWithId(text("p1"), text("u1"), 1, 1, {}); })
        << CannedReply {R::json("false")} << "photoTagged(QString)" << QVariantList {text("p1")};
    QTest::newRow("user tag deleted")
        << GraphCall([](CvGraph &g) { return g.deleteUserTag(text("p1"), text("u1")); })
        << CannedReply {R::json("true")} << "userTagDeleted(QString,QString,bool)"
        << QVariantList {text("p1"), text("u1"), true};
    QTest::newRow("text tag deleted")
        << GraphCall([](CvGraph &g) { return g.deleteTextTag(text("p1"), text("hey")); })
        << CannedReply {R::json("false")} << "textTagDeleted(QString,QString,bool)"
        << QVariantList {text("p1"), text("hey"), false};
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
    fx.service->enqueue(
        TestService::Reply::json("{\"error_code\":3,\"error_msg\":\"Unknown method\"}"));
    QVERIFY(fx.graph->deleteAlbum(text("a1")));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, text("error(Cv::CvError)"));
    const CvError err = log.only().second.constFirst().value<CvError>();
    QCOMPARE(err.objectId(), text("a1"));
    QCOMPARE(err.errorType(), CvError::UnknownMethod);
}

void tst_CvGraphRest::uploadProfilePicture()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray gif("GIF89a\x01\x00\x01\x00\x00\xff\r\n--", 16);
    const QString path = dir.filePath(text("face.gif"));
    const QString other = dir.filePath(text("face.bmp"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(gif), gif.size());
        QFile bmp(other);
        QVERIFY(bmp.open(QIODevice::WriteOnly));
        QVERIFY(bmp.write("BM\x00\x00", 4) == 4);
    }

    expectWarning(
        text("The specified file [%1] does not exist").arg(dir.filePath(text("none.gif"))));
    QVERIFY(!fx.graph->uploadProfilePicture(text("me"), dir.filePath(text("none.gif")), {}));
    expectWarning(text("Did not recognize the MIME type of file [%1]").arg(other));
    QVERIFY(!fx.graph->uploadProfilePicture(text("me"), other, {}));

    SignalLog log(fx.graph.get());
    QSignalSpy uploaded(fx.graph.get(), &CvGraph::profilePictureUploaded);
    fx.service->enqueue(TestService::Reply::text("1"));
    fx.service->enqueue(TestService::Reply::text("true"));
    QVERIFY(fx.graph->uploadProfilePicture(text("me"), path, text("My face")));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(fx.service->requestCount(), 1);

    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, text("/method/corvana.photos.uploadProfilePic"));
    QCOMPARE(request.rawQuery,
             QByteArray("access_token=tok&caption=My%20face&format=json&profile_id=me"));
    QCOMPARE(request.header("Content-Type"),
             QByteArray("multipart/form-data, boundary=AaBbCcDdEeFfGgHhIi"));
    QCOMPARE(request.body,
             "--AaBbCcDdEeFfGgHhIi\r\nContent-Disposition: form-data; name=\"image\"; filename=\""
                 + path.toLocal8Bit() + "\"\r\nContent-Type: image/gif\r\n\r\n" + gif
                 + "\r\n--AaBbCcDdEeFfGgHhIi--\r\n");
    QCOMPARE(log.only().first, text("profilePictureUploaded(QString,bool)"));
    QCOMPARE(log.only().second, (QVariantList {text("me"), true}));

    // Only the exact body "1" means success.
    QVERIFY(fx.graph->uploadProfilePicture(text("me"), path, {}));
    QTRY_COMPARE(log.total(), 2);
    QCOMPARE(fx.service->lastRequest().rawQuery,
             QByteArray("access_token=tok&caption=&format=json&profile_id=me"));
    QCOMPARE(uploaded.size(), 2);
    QCOMPARE(uploaded.at(1), (QVariantList {text("me"), false}));
}

QTEST_GUILESS_MAIN(tst_CvGraphRest)

#include "tst_cvgraph_rest.moc"
