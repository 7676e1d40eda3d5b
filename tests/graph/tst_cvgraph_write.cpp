#include "cvgraph.h"
#include "cvwallpostinfo.h"

#include "graphtestutil.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Cv;
using namespace GraphTest;

namespace {

const QDateTime start(QDate(2024, 5, 1), QTime(18, 0), Qt::UTC);
const QDateTime end(QDate(2024, 5, 1), QTime(23, 30), Qt::UTC);

CvWallPostInfo wallPost(const QString &message)
{
    CvWallPostInfo info;
    info.message = message;
    info.picture = u"p.png"_s;
    info.source = u"s"_s;
    info.linkInfo = CvLinkInfo(u"http://l/x"_s, u"N"_s, QString(), QString());
    return info;
}

void row(const char *name, const GraphCall &call, const char *path, const char *query)
{
    QTest::newRow(name) << call << QString::fromUtf8(path) << QByteArray(query);
}

void reply(const char *name, const GraphCall &call, const char *body, const char *signal,
           const QVariantList &arguments)
{
    QTest::newRow(name) << call << QByteArray(body) << QString::fromLatin1(signal) << arguments;
}

} // namespace

class tst_CvGraphWrite : public QObject
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
    void serviceError();
    void uploadPhoto();

private:
    Fixture fx;
};

void tst_CvGraphWrite::requests_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("query");

    const CvWallPostInfo post = wallPost(u"Hi there"_s);
    const CvLinkInfo link(u"http://x"_s, QString(), u"cap"_s, u"d"_s);
    row("wall post", CALL(writeToWall(u"me"_s, post)), "/me/feed",
        "access_token=tok&link=http%3A%2F%2Fl%2Fx&message=Hi%20there&name=N&picture=p.png&source="
        "s");
    row("link, empty message sent", CALL(writeLink(u"123"_s, link, QString())), "/123/links",
        "access_token=tok&caption=cap&description=d&link=http%3A%2F%2Fx&message=");
    row("comment, join and encoding", CALL(writeComment(u"/42/"_s, u"a&b=ü"_s)), "/42/comments",
        "access_token=tok&message=a%26b%3D%C3%BC");
    row("like", CALL(writeToLikes(u"42"_s, Like)), "/42/likes", "access_token=tok");
    row("unlike", CALL(writeToLikes(u"42"_s, Unlike)), "/42/likes",
        "access_token=tok&method=delete");
    row("note, empty subject", CALL(writeNote(u"me"_s, QString(), u"b"_s)), "/me/notes",
        "access_token=tok&message=b&subject=");
    row("album", CALL(createAlbum(u"me"_s, u"Trip"_s, QString(), QString())), "/me/albums",
        "access_token=tok&message=&name=Trip");
    row("album, privacy", CALL(createAlbum(u"me"_s, u"Trip"_s, u"m"_s, u"ALL"_s)), "/me/albums",
        "access_token=tok&message=m&name=Trip&privacy=%7B%22value%22%3A%22ALL%22%7D");
    row("event", CALL(createEvent(u"me"_s, u"P"_s, start, end)), "/me/events",
        "access_token=tok&end_time=2024-05-01T23%3A30%3A00Z&name=P&"
        "start_time=2024-05-01T18%3A00%3A00Z");
    row("attending", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckAttending)), "/55/attending",
        "access_token=tok");
    row("maybe", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckMaybe)), "/55/maybe",
        "access_token=tok");
    row("declined", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckDeclined)), "/55/declined",
        "access_token=tok");
    row("unknown answer", CALL(acknowledgeEvent(u"55"_s, CvGraph::EventAcknowledgement(7))), "/55/",
        "access_token=tok");
    row("check-in, bare", CALL(checkIntoPlace(u"p1"_s, 60.17f, -24.5f, {}, {})), "/me/checkins",
        "access_token=tok&coordinates=%7B%22latitude%22%3A%2260.17%22%2C%22longitude%22%3A%22-24.5"
        "%22%7D&place=p1");
    row("check-in, message and tags",
        CALL(checkIntoPlace(u"p1"_s, 1.0f, 123.456789f, u"here"_s, {u"1"_s, u"2"_s})),
        "/me/checkins",
        "access_token=tok&coordinates=%7B%22latitude%22%3A%221%22%2C%22longitude%22%3A%22123.457"
        "%22%7D&message=here&place=p1&tags=1%2C2");
    row("photo tag", CALL(createPhotoTag(u"ph"_s, u"u1"_s, 12.5f, 1.0f / 3.0f)), "/ph/tags",
        "access_token=tok&to=u1&x=12.5&y=0.333333");
    row("delete photo tag", CALL(deletePhotoTag(u"ph"_s, u"u1"_s)), "/ph/tags/u1",
        "access_token=tok&method=delete");
    row("delete", CALL(deleteObject(u"123"_s)), "/123", "access_token=tok&method=delete");
    row("delete id with +", CALL(deleteObject(u"1_2+3"_s)), "/",
        "access_token=tok&id=1_2%2B3&method=delete");
    row("delete id with /", CALL(deleteObject(u"a/c"_s)), "/",
        "access_token=tok&id=a%2Fc&method=delete");
    row("message", CALL(sendMessage(u"hi"_s, QStringList {u"a"_s, u"b"_s})), "/threads",
        "access_token=tok&message=hi&method=POST&to=%5Ba%2Cb%5D");
    row("reply", CALL(replyToMessage(u"t1"_s, u"ok"_s)), "/",
        "access_token=tok&id=t1&message=ok&method=POST");
    row("mark read", CALL(markThreadStatus(u"t1"_s, MarkRead)), "/tags",
        "access_token=tok&id=t1&method=POST&name=read");
    row("mark unread", CALL(markThreadStatus(u"t1"_s, MarkUnread)), "/tags",
        "access_token=tok&id=t1&method=DELETE&name=read");
}

void tst_CvGraphWrite::requests()
{
    QFETCH(GraphCall, call);
    QFETCH(QString, path);
    QFETCH(QByteArray, query);

    fx.graph->setLocale(u"fr_FR"_s); // writes never send it
    fx.service->enqueue(TestService::Reply::json("{}"));
    QVERIFY(call(*fx.graph));
    QVERIFY(fx.service->waitForRequests(1));
    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, path);
    QCOMPARE(request.rawQuery, query);
    QCOMPARE(request.body, QByteArray());
}

void tst_CvGraphWrite::refused_data()
{
    QTest::addColumn<GraphCall>("call");

    const CvWallPostInfo post = wallPost(u"m"_s);
    const CvWallPostInfo noMessage = wallPost(QString());
    const CvLinkInfo noLink(QString(), u"n"_s, u"c"_s, u"d"_s);
    QTest::newRow("wall, no id") << CALL(writeToWall(QString(), post));
    QTest::newRow("wall, no message") << CALL(writeToWall(u"me"_s, noMessage));
    QTest::newRow("link, no link") << CALL(writeLink(u"me"_s, noLink, u"m"_s));
    QTest::newRow("comment, no text") << CALL(writeComment(u"1"_s, QString()));
    QTest::newRow("like, no id") << CALL(writeToLikes(QString(), Like));
    QTest::newRow("note, no text") << CALL(writeNote(u"me"_s, QString(), QString()));
    QTest::newRow("album, no name") << CALL(createAlbum(u"me"_s, {}, u"m"_s, {}));
    QTest::newRow("event, bad end") << CALL(createEvent(u"me"_s, u"n"_s, start, QDateTime()));
    QTest::newRow("answer, no id") << CALL(acknowledgeEvent({}, CvGraph::AckMaybe));
    QTest::newRow("check-in, no place") << CALL(checkIntoPlace({}, 1, 2, u"m"_s, {}));
    QTest::newRow("photo tag, no user") << CALL(createPhotoTag(u"p"_s, {}, 1, 1));
    QTest::newRow("delete tag, no photo") << CALL(deletePhotoTag({}, u"u"_s));
    QTest::newRow("delete, no id") << CALL(deleteObject({}));
    QTest::newRow("message, no one") << CALL(sendMessage(u"m"_s, QStringList()));
    QTest::newRow("reply, no text") << CALL(replyToMessage(u"t"_s, QString()));
    QTest::newRow("mark, no thread") << CALL(markThreadStatus({}, MarkRead));
    QTest::newRow("upload, no id") << CALL(uploadPhoto({}, u"/none.png"_s, u"m"_s));
}

void tst_CvGraphWrite::refused()
{
    QFETCH(GraphCall, call);
    QVERIFY(!call(*fx.graph));
    QVERIFY(fx.probe());
    QVERIFY(fx.service->waitForRequests(1));
    QCOMPARE(fx.service->requests().constFirst().path, u"/probe"_s);
}

void tst_CvGraphWrite::replies_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    const CvWallPostInfo post = wallPost(u"m"_s);
    const char *idJson = "{\"id\":\"1_2\"}";
    const QVariantList newId {u"1_2"_s};
    const auto ack = [](CvGraph::EventAcknowledgement a) { return QVariant::fromValue(a); };
    const char *ackSignal = "eventAcknowledged(QString,bool,Cv::CvGraph::EventAcknowledgement)";
    const char *markSignal = "messageThreadStatusMarked(QString,bool)";

    reply("wall", CALL(writeToWall(u"me"_s, post)), idJson, "wallWriteComplete(QString)", newId);
    reply("wall, large number id", CALL(writeToWall(u"me"_s, post)), "{\"id\":100000123456789012}",
          "wallWriteComplete(QString)", {u"100000123456789012"_s});
    reply("wall, no id member", CALL(writeToWall(u"me"_s, post)), "{}",
          "wallWriteComplete(QString)", {QString()});
    reply("link", CALL(writeLink(u"me"_s, CvLinkInfo(u"l"_s, {}, {}, {}), {})), idJson,
          "linkWritten(QString)", newId);
    reply("comment", CALL(writeComment(u"me"_s, u"c"_s)), idJson, "commentWritten(QString)", newId);
    reply("note", CALL(writeNote(u"me"_s, u"s"_s, {})), idJson, "noteWritten(QString)", newId);
    reply("check-in", CALL(checkIntoPlace(u"p"_s, 1, 2, {}, {})), idJson,
          "placeCheckedInto(QString)", newId);
    reply("event", CALL(createEvent(u"me"_s, u"n"_s, start, end)), idJson, "eventCreated(QString)",
          newId);
    reply("album", CALL(createAlbum(u"me"_s, u"n"_s, {}, {})), idJson, "albumCreated(QString)",
          newId);
    reply("like", CALL(writeToLikes(u"9"_s, Like)), "true",
          "likesWriteComplete(QString,Cv::LikeType)", {u"9"_s, QVariant::fromValue(Like)});
    reply("unlike", CALL(writeToLikes(u"9"_s, Unlike)), "false",
          "likesWriteComplete(QString,Cv::LikeType)", {u"9"_s, QVariant::fromValue(Unlike)});
    reply("maybe, true", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckMaybe)), "true", ackSignal,
          {u"55"_s, true, ack(CvGraph::AckMaybe)});
    reply("attending, not exactly true", CALL(acknowledgeEvent(u"55"_s, CvGraph::AckAttending)),
          "true\n", ackSignal, {u"55"_s, false, ack(CvGraph::AckAttending)});
    reply("unknown answer reports declined",
          CALL(acknowledgeEvent(u"55"_s, CvGraph::EventAcknowledgement(9))), "true", ackSignal,
          {u"55"_s, true, ack(CvGraph::AckDeclined)});
    reply("delete", CALL(deleteObject(u"1_2+3"_s)), "true", "objectDeleted(QString)", {u"1_2+3"_s});
    reply("tag created", CALL(createPhotoTag(u"ph"_s, u"u1"_s, 1, 2)), "true",
          "photoTagCreated(QString,QString,bool)", {u"ph"_s, u"u1"_s, true});
    reply("tag deleted, 1 is not true", CALL(deletePhotoTag(u"ph"_s, u"u1"_s)), "1",
          "photoTagDeleted(QString,QString,bool)", {u"ph"_s, u"u1"_s, false});
    reply("message sent", CALL(sendMessage(u"m"_s, QStringList {u"a"_s})),
          "{\"tid\":\"t9\",\"id\":\"x\"}", "messageSent(QString)", {u"t9"_s});
    reply("reply reports the thread", CALL(replyToMessage(u"t1"_s, u"m"_s)), "{\"id\":\"m5\"}",
          "messageReplied(QString)", {u"t1"_s});
    reply("reply without id is silent", CALL(replyToMessage(u"t1"_s, u"m"_s)), "{\"ok\":1}", "",
          {});
    reply("mark, true", CALL(markThreadStatus(u"t1"_s, MarkRead)), "true", markSignal,
          {u"t1"_s, true});
    reply("mark, named read", CALL(markThreadStatus(u"t1"_s, MarkRead)), "{\"name\":\"read\"}",
          markSignal, {u"t1"_s, true});
    reply("mark, other object", CALL(markThreadStatus(u"t1"_s, MarkUnread)),
          "{\"name\":\"unread\"}", markSignal, {u"t1"_s, false});
}

void tst_CvGraphWrite::replies()
{
    QFETCH(GraphCall, call);
    QFETCH(QByteArray, body);
    QFETCH(QString, signal);
    QFETCH(QVariantList, arguments);

    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json(body));
    QVERIFY(call(*fx.graph));
    QTRY_COMPARE(fx.graph->operationsInFlight(), 0);
    QCOMPARE(log.total(), signal.isEmpty() ? 0 : 1);
    QCOMPARE(log.only().first, signal);
    QCOMPARE(log.only().second, arguments);
}

void tst_CvGraphWrite::serviceError()
{
    SignalLog log(fx.graph.get());
    QSignalSpy errors(fx.graph.get(), &CvGraph::error);
    const QByteArray body("{\"error\":{\"type\":\"OAuthException\",\"message\":\"(#200) Requires "
                          "extended permission: publish\"}}");
    fx.service->enqueue(TestService::Reply::json(body));
    fx.service->enqueue(TestService::Reply::json(body));
    QVERIFY(fx.graph->writeComment(u"42"_s, u"c"_s));
    QVERIFY(fx.graph->checkIntoPlace(u"p"_s, 1, 2, {}, {})); // has no id to report
    QTRY_COMPARE(errors.size(), 2);
    QStringList ids;
    for (const QVariantList &arguments : std::as_const(errors)) {
        const CvError err = arguments.constFirst().value<CvError>();
        QCOMPARE(err.errorType(), CvError::PermissionDenied);
        ids.append(err.objectId());
    }
    ids.sort();
    QCOMPARE(ids, (QStringList {QString(), u"42"_s}));
    QCOMPARE(log.total(), 2);
}

void tst_CvGraphWrite::uploadPhoto()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Recognized as PNG by its signature; the rest must travel unchanged, NUL and CRLF included.
    const QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\xff\x00\r\n", 20);
    const QString path = dir.filePath(u"pic ü.png"_s);
    const QString plain = dir.filePath(u"notes.txt"_s);
    QFile file(path);
    QFile text(plain);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("just text") == 9);
    file.close();
    text.close();

    const QString missing = dir.filePath(u"missing.png"_s);
    expectWarning(u"The specified file [%1] does not exist"_s.arg(missing));
    QVERIFY(!fx.graph->uploadPhoto(u"me"_s, missing, u"m"_s));
    expectWarning(u"Did not recognize the MIME type of file [%1]"_s.arg(plain));
    QVERIFY(!fx.graph->uploadPhoto(u"me"_s, plain, u"m"_s));

    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json("{\"id\":\"p5\"}"));
    QVERIFY(fx.graph->uploadPhoto(u"me"_s, path, u"caption & more"_s));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(fx.service->requestCount(), 1); // the refused ones sent nothing

    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, u"/me/photos"_s);
    QCOMPARE(request.rawQuery,
             "access_token=tok&message=caption%20%26%20more&source=%40"
                 + QUrl::toPercentEncoding(path));
    QCOMPARE(request.header("Content-Type"),
             QByteArray("multipart/form-data, boundary=AaBbCcDdEeFfGgHhIi"));
    QCOMPARE(request.body,
             "--AaBbCcDdEeFfGgHhIi\r\nContent-Disposition: form-data; name=\"image\"; filename=\""
                 + path.toLocal8Bit() + "\"\r\nContent-Type: image/png\r\n\r\n" + png
                 + "\r\n--AaBbCcDdEeFfGgHhIi--\r\n");
    QCOMPARE(log.only().first, u"photoUploaded(QString,QString)"_s);
    QCOMPARE(log.only().second, (QVariantList {u"me"_s, u"p5"_s}));
}

QTEST_GUILESS_MAIN(tst_CvGraphWrite)

#include "tst_cvgraph_write.moc"
