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

// The smallest data CvUtils recognizes as PNG, plus bytes that must travel unchanged.
const QByteArray pngBytes = QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\xff\x00\r\n", 20);

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &data)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return QString();
    return path;
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
    void replyToMessageWithoutIdIsSilent();
    void serviceErrorCarriesObjectId_data();
    void serviceErrorCarriesObjectId();
    void uploadPhotoMultipart();

private:
    Fixture fx;
};

void tst_CvGraphWrite::requests_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("query");

    QTest::newRow("wall post with link, picture and source")
        << GraphCall([](CvGraph &g) {
               CvWallPostInfo info;
               info.message = text("Hi there");
               info.picture = text("p.png");
               info.source = text("s");
               info.linkInfo = CvLinkInfo(text("http://l/x"), text("N"), QString(), QString());
               return g.writeToWall(text("me"), info);
           })
        << "/me/feed"
        << QByteArray("access_token=tok&link=http%3A%2F%2Fl%2Fx&message=Hi%20there&name=N&"
                      "picture=p.png&source=s");
    QTest::newRow("link, empty message still sent")
        << GraphCall([](CvGraph &g) {
               return g.writeLink(text("123"),
                                  CvLinkInfo(text("http://x"), QString(), text("cap"), text("d")),
                                  QString());
           })
        << "/123/links"
        << QByteArray("access_token=tok&caption=cap&description=d&link=http%3A%2F%2Fx&message=");
    QTest::newRow("comment, path join and encoding")
        << GraphCall([](CvGraph &g) { return g.writeComment(text("/42/"), text("a&b=ü")); })
        << "/42/comments" << QByteArray("access_token=tok&message=a%26b%3D%C3%BC");
    QTest::newRow("like sends only the token")
        << GraphCall([](CvGraph &g) { return g.writeToLikes(text("42"), Like); }) << "/42/likes"
        << QByteArray("access_token=tok");
    QTest::newRow("unlike") << GraphCall([](CvGraph &g) {
        return g.writeToLikes(text("42"), Unlike);
    }) << "/42/likes" << QByteArray("access_token=tok&method=delete");
    QTest::newRow("note with empty subject")
        << GraphCall([](CvGraph &g) { return g.writeNote(text("me"), QString(), text("body")); })
        << "/me/notes" << QByteArray("access_token=tok&message=body&subject=");
    QTest::newRow("album without privacy") << GraphCall([](CvGraph &g) {
        return g.createAlbum(text("me"), text("Trip"), QString(), QString());
    }) << "/me/albums" << QByteArray("access_token=tok&message=&name=Trip");
    QTest::newRow("album with privacy")
        << GraphCall([](CvGraph &g) {
               return g.createAlbum(text("me"), text("Trip"), text("m"), text("EVERYONE"));
           })
        << "/me/albums"
        << QByteArray("access_token=tok&message=m&name=Trip&privacy="
                      "%7B%22value%22%3A%22EVERYONE%22%7D");
    QTest::newRow("event") << GraphCall([](CvGraph &g) {
        return g.createEvent(text("me"), text("Party"), start, end);
    }) << "/me/events"
                           << QByteArray("access_token=tok&end_time=2024-05-01T23%3A30%3A00Z&name="
                                         "Party&start_time=2024-05-01T18%3A00%3A00Z");
    QTest::newRow("acknowledge attending") << GraphCall([](CvGraph &g) {
        return g.acknowledgeEvent(text("55"), CvGraph::AckAttending);
    }) << "/55/attending" << QByteArray("access_token=tok");
    QTest::newRow("acknowledge maybe")
        << GraphCall([](CvGraph &g) { return g.acknowledgeEvent(text("55"), CvGraph::AckMaybe); })
        << "/55/maybe" << QByteArray("access_token=tok");
    QTest::newRow("acknowledge declined") << GraphCall([](CvGraph &g) {
        return g.acknowledgeEvent(text("55"), CvGraph::AckDeclined);
    }) << "/55/declined" << QByteArray("access_token=tok");
    QTest::newRow("acknowledge unknown value ends in a slash") << GraphCall([](CvGraph &g) {
        return g.acknowledgeEvent(text("55"), CvGraph::EventAcknowledgement(7));
    }) << "/55/" << QByteArray("access_token=tok");
    QTest::newRow("check-in, place and coordinates only")
        << GraphCall([](CvGraph &g) {
               return g.checkIntoPlace(text("p1"), 60.17f, -24.5f, QString(), QStringList());
           })
        << "/me/checkins"
        << QByteArray("access_token=tok&coordinates=%7B%22latitude%22%3A%2260.17%22%2C%22"
                      "longitude%22%3A%22-24.5%22%7D&place=p1");
    QTest::newRow("check-in with message and tags")
        << GraphCall([](CvGraph &g) {
               return g.checkIntoPlace(text("p1"), 1.0f, 123.456789f, text("here"),
                                       QStringList {text("1"), text("2")});
           })
        << "/me/checkins"
        << QByteArray("access_token=tok&coordinates=%7B%22latitude%22%3A%221%22%2C%22"
                      "longitude%22%3A%22123.457%22%7D&message=here&place=p1&tags=1%2C2");
    QTest::newRow("photo tag, six significant digits") << GraphCall([](CvGraph &g) {
        return g.createPhotoTag(text("ph"), text("u1"), 12.5f, 1.0f / 3.0f);
    }) << "/ph/tags" << QByteArray("access_token=tok&to=u1&x=12.5&y=0.333333");
    QTest::newRow("delete photo tag")
        << GraphCall([](CvGraph &g) { return g.deletePhotoTag(text("ph"), text("u1")); })
        << "/ph/tags/u1" << QByteArray("access_token=tok&method=delete");
    QTest::newRow("delete plain id")
        << GraphCall([](CvGraph &g) { return g.deleteObject(text("123")); }) << "/123"
        << QByteArray("access_token=tok&method=delete");
    QTest::newRow("delete id with plus goes to the root")
        << GraphCall([](CvGraph &g) { return g.deleteObject(text("1_2+3")); }) << "/"
        << QByteArray("access_token=tok&id=1_2%2B3&method=delete");
    QTest::newRow("delete id with slash goes to the root")
        << GraphCall([](CvGraph &g) { return g.deleteObject(text("a/b")); }) << "/"
        << QByteArray("access_token=tok&id=a%2Fb&method=delete");
    QTest::newRow("message to a bracketed list") << GraphCall([](CvGraph &g) {
        return g.sendMessage(text("hi"), QStringList {text("a"), text("b")});
    }) << "/threads" << QByteArray("access_token=tok&message=hi&method=POST&to=%5Ba%2Cb%5D");
    QTest::newRow("reply") << GraphCall([](CvGraph &g) {
        return g.replyToMessage(text("t1"), text("ok"));
    }) << "/" << QByteArray("access_token=tok&id=t1&message=ok&method=POST");
    QTest::newRow("mark thread read")
        << GraphCall([](CvGraph &g) { return g.markThreadStatus(text("t1"), MarkRead); }) << "/tags"
        << QByteArray("access_token=tok&id=t1&method=POST&name=read");
    QTest::newRow("mark thread unread")
        << GraphCall([](CvGraph &g) { return g.markThreadStatus(text("t1"), MarkUnread); })
        << "/tags" << QByteArray("access_token=tok&id=t1&method=DELETE&name=read");
}

void tst_CvGraphWrite::requests()
{
    QFETCH(GraphCall, call);
    QFETCH(QString, path);
    QFETCH(QByteArray, query);

    fx.graph->setLocale(text("fr_FR")); // writes never send it
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

    CvWallPostInfo noMessage;
    noMessage.linkInfo.link = text("http://x");
    CvWallPostInfo withMessage;
    withMessage.message = text("m");

    QTest::newRow("wall, no id") << GraphCall(
        [withMessage](CvGraph &g) { return g.writeToWall(QString(), withMessage); });
    QTest::newRow("wall, no message")
        << GraphCall([noMessage](CvGraph &g) { return g.writeToWall(text("me"), noMessage); });
    QTest::newRow("link without link") << GraphCall([](CvGraph &g) {
        return g.writeLink(text("me"), CvLinkInfo(QString(), text("n"), QString(), QString()),
                           text("m"));
    });
    QTest::newRow("comment, empty message")
        << GraphCall([](CvGraph &g) { return g.writeComment(text("1"), QString()); });
    QTest::newRow("like, no id") << GraphCall(
        [](CvGraph &g) { return g.writeToLikes(QString(), Like); });
    QTest::newRow("note, no subject nor message")
        << GraphCall([](CvGraph &g) { return g.writeNote(text("me"), QString(), QString()); });
    QTest::newRow("album, no name") << GraphCall(
        [](CvGraph &g) { return g.createAlbum(text("me"), QString(), text("m"), QString()); });
    QTest::newRow("event, invalid end") << GraphCall(
        [](CvGraph &g) { return g.createEvent(text("me"), text("n"), start, QDateTime()); });
    QTest::newRow("acknowledge, no id")
        << GraphCall([](CvGraph &g) { return g.acknowledgeEvent(QString(), CvGraph::AckMaybe); });
    QTest::newRow("check-in, no place") << GraphCall(
        [](CvGraph &g) { return g.checkIntoPlace(QString(), 1, 2, text("m"), QStringList()); });
    QTest::newRow("photo tag, no user")
        << GraphCall([](CvGraph &g) { return g.createPhotoTag(text("p"), QString(), 1, 1); });
    QTest::newRow("delete photo tag, no photo")
        << GraphCall([](CvGraph &g) { return g.deletePhotoTag(QString(), text("u")); });
    QTest::newRow("delete, no id") << GraphCall([](CvGraph &g) { return g.deleteObject({}); });
    QTest::newRow("message, no recipients")
        << GraphCall([](CvGraph &g) { return g.sendMessage(text("m"), QStringList()); });
    QTest::newRow("reply, no message")
        << GraphCall([](CvGraph &g) { return g.replyToMessage(text("t"), QString()); });
    QTest::newRow("thread status, no id")
        << GraphCall([](CvGraph &g) { return g.markThreadStatus(QString(), MarkRead); });
    QTest::newRow("upload, no id") << GraphCall(
        [](CvGraph &g) { return g.uploadPhoto(QString(), text("/nonexistent.png"), text("m")); });
}

void tst_CvGraphWrite::refused()
{
    QFETCH(GraphCall, call);
    QVERIFY(!call(*fx.graph));
    QVERIFY(fx.probe());
    QVERIFY(fx.service->waitForRequests(1));
    QCOMPARE(fx.service->requests().constFirst().path, text("/probe"));
}

void tst_CvGraphWrite::replies_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    CvWallPostInfo info;
    info.message = text("m");
    const QByteArray idJson = "{\"id\":\"1_2\"}";
    const QVariantList newId {text("1_2")};

    QTest::newRow("wall") << GraphCall(
        [info](CvGraph &g) { return g.writeToWall(text("me"), info); })
                          << idJson << "wallWriteComplete(QString)" << newId;
    QTest::newRow("wall, large numeric id keeps its digits")
        << GraphCall([info](CvGraph &g) { return g.writeToWall(text("me"), info); })
        << QByteArray("{\"id\":100000123456789012}") << "wallWriteComplete(QString)"
        << QVariantList {text("100000123456789012")};
    QTest::newRow("wall, no id member")
        << GraphCall([info](CvGraph &g) { return g.writeToWall(text("me"), info); })
        << QByteArray("{}") << "wallWriteComplete(QString)" << QVariantList {QString()};
    QTest::newRow("link") << GraphCall(
        [](CvGraph &g) { return g.writeLink(text("me"), CvLinkInfo(text("l"), {}, {}, {}), {}); })
                          << idJson << "linkWritten(QString)" << newId;
    QTest::newRow("comment") << GraphCall(
        [](CvGraph &g) { return g.writeComment(text("me"), text("c")); })
                             << idJson << "commentWritten(QString)" << newId;
    QTest::newRow("note") << GraphCall(
        [](CvGraph &g) { return g.writeNote(text("me"), text("s"), {}); })
                          << idJson << "noteWritten(QString)" << newId;
    QTest::newRow("check-in") << GraphCall(
        [](CvGraph &g) { return g.checkIntoPlace(text("p"), 1, 2, {}, {}); })
                              << idJson << "placeCheckedInto(QString)" << newId;
    QTest::newRow("event") << GraphCall(
        [](CvGraph &g) { return g.createEvent(text("me"), text("n"), start, end); })
                           << idJson << "eventCreated(QString)" << newId;
    QTest::newRow("album") << GraphCall(
        [](CvGraph &g) { return g.createAlbum(text("me"), text("n"), {}, {}); })
                           << idJson << "albumCreated(QString)" << newId;
    QTest::newRow("like") << GraphCall([](CvGraph &g) { return g.writeToLikes(text("9"), Like); })
                          << QByteArray("true") << "likesWriteComplete(QString,Cv::LikeType)"
                          << QVariantList {text("9"), QVariant::fromValue(Like)};
    QTest::newRow("unlike") << GraphCall(
        [](CvGraph &g) { return g.writeToLikes(text("9"), Unlike); })
                            << QByteArray("false") << "likesWriteComplete(QString,Cv::LikeType)"
                            << QVariantList {text("9"), QVariant::fromValue(Unlike)};
    const QString ackSignal
        = text("eventAcknowledged(QString,bool,Cv::CvGraph::EventAcknowledgement)");
    QTest::newRow("acknowledge maybe, true")
        << GraphCall([](CvGraph &g) { return g.acknowledgeEvent(text("55"), CvGraph::AckMaybe); })
        << QByteArray("true") << ackSignal
        << QVariantList {text("55"), true, QVariant::fromValue(CvGraph::AckMaybe)};
    QTest::newRow("acknowledge attending, not exactly true")
        << GraphCall(
               [](CvGraph &g) { return g.acknowledgeEvent(text("55"), CvGraph::AckAttending); })
        << QByteArray("true\n") << ackSignal
        << QVariantList {text("55"), false, QVariant::fromValue(CvGraph::AckAttending)};
    QTest::newRow("acknowledge unknown value reports declined")
        << GraphCall([](CvGraph &g) {
               return g.acknowledgeEvent(text("55"), CvGraph::EventAcknowledgement(9));
           })
        << QByteArray("true") << ackSignal
        << QVariantList {text("55"), true, QVariant::fromValue(CvGraph::AckDeclined)};
    QTest::newRow("delete") << GraphCall([](CvGraph &g) { return g.deleteObject(text("1_2+3")); })
                            << QByteArray("true") << "objectDeleted(QString)"
                            << QVariantList {text("1_2+3")};
    QTest::newRow("photo tag created")
        << GraphCall([](CvGraph &g) { return g.createPhotoTag(text("ph"), text("u1"), 1, 2); })
        << QByteArray("true") << "photoTagCreated(QString,QString,bool)"
        << QVariantList {text("ph"), text("u1"), true};
    QTest::newRow("photo tag deleted, 1 is not true")
        << GraphCall([](CvGraph &g) { return g.deletePhotoTag(text("ph"), text("u1")); })
        << QByteArray("1") << "photoTagDeleted(QString,QString,bool)"
        << QVariantList {text("ph"), text("u1"), false};
    QTest::newRow("message sent") << GraphCall([](CvGraph &g) {
        return g.sendMessage(text("m"), {text("a")});
    }) << QByteArray("{\"tid\":\"t9\",\"id\":\"x\"}")
                                  << "messageSent(QString)" << QVariantList {text("t9")};
    QTest::newRow("reply with id reports the thread")
        << GraphCall([](CvGraph &g) { return g.replyToMessage(text("t1"), text("m")); })
        << QByteArray("{\"id\":\"m5\"}") << "messageReplied(QString)" << QVariantList {text("t1")};
    const QString markSignal = text("messageThreadStatusMarked(QString,bool)");
    QTest::newRow("thread status, true")
        << GraphCall([](CvGraph &g) { return g.markThreadStatus(text("t1"), MarkRead); })
        << QByteArray("true") << markSignal << QVariantList {text("t1"), true};
    QTest::newRow("thread status, object named read")
        << GraphCall([](CvGraph &g) { return g.markThreadStatus(text("t1"), MarkRead); })
        << QByteArray("{\"name\":\"read\"}") << markSignal << QVariantList {text("t1"), true};
    QTest::newRow("thread status, other object")
        << GraphCall([](CvGraph &g) { return g.markThreadStatus(text("t1"), MarkUnread); })
        << QByteArray("{\"name\":\"unread\"}") << markSignal << QVariantList {text("t1"), false};
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
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, signal);
    QCOMPARE(log.only().second, arguments);
    QCOMPARE(fx.graph->operationsInFlight(), 0);
}

void tst_CvGraphWrite::replyToMessageWithoutIdIsSilent()
{
    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json("{\"ok\":true}"));
    QVERIFY(fx.graph->replyToMessage(text("t1"), text("m")));
    QTRY_COMPARE(fx.graph->operationsInFlight(), 0);
    QCOMPARE(log.total(), 0);
}

void tst_CvGraphWrite::serviceErrorCarriesObjectId_data()
{
    QTest::addColumn<GraphCall>("call");
    QTest::addColumn<QString>("objectId");

    QTest::newRow("comment") << GraphCall([](CvGraph &g) {
        return g.writeComment(text("42"), text("c"));
    }) << text("42");
    QTest::newRow("check-in has no id")
        << GraphCall([](CvGraph &g) { return g.checkIntoPlace(text("p"), 1, 2, {}, {}); })
        << QString();
}

void tst_CvGraphWrite::serviceErrorCarriesObjectId()
{
    QFETCH(GraphCall, call);
    QFETCH(QString, objectId);

    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json(
        "{\"error\":{\"type\":\"OAuthException\",\"message\":\"(#200) Requires extended "
        "permission: publish\"}}"));
    QVERIFY(call(*fx.graph));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, text("error(Cv::CvError)"));
    const CvError err = log.only().second.constFirst().value<CvError>();
    QCOMPARE(err.objectId(), objectId);
    QCOMPARE(err.errorType(), CvError::PermissionDenied);
}

void tst_CvGraphWrite::uploadPhotoMultipart()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString png = writeFile(dir, "pic ü.png", pngBytes);
    const QString plain = writeFile(dir, "notes.txt", "just text");
    QVERIFY(!png.isEmpty() && !plain.isEmpty());

    // Refused before anything is sent: a missing file, a type that is not recognized.
    expectWarning(
        text("The specified file [%1] does not exist").arg(dir.filePath(text("missing.png"))));
    QVERIFY(!fx.graph->uploadPhoto(text("me"), dir.filePath(text("missing.png")), text("m")));
    expectWarning(text("Did not recognize the MIME type of file [%1]").arg(plain));
    QVERIFY(!fx.graph->uploadPhoto(text("me"), plain, text("m")));

    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json("{\"id\":\"p5\"}"));
    QVERIFY(fx.graph->uploadPhoto(text("me"), png, text("caption & more")));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(fx.service->requestCount(), 1);

    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, text("/me/photos"));
    QCOMPARE(request.rawQuery,
             "access_token=tok&message=caption%20%26%20more&source=%40"
                 + QUrl::toPercentEncoding(png));
    QCOMPARE(request.header("Content-Type"),
             QByteArray("multipart/form-data, boundary=AaBbCcDdEeFfGgHhIi"));
    const QByteArray expected = "--AaBbCcDdEeFfGgHhIi\r\n"
                                "Content-Disposition: form-data; name=\"image\"; filename=\""
        + png.toLocal8Bit()
        + "\"\r\n"
          "Content-Type: image/png\r\n\r\n"
        + pngBytes + "\r\n--AaBbCcDdEeFfGgHhIi--\r\n";
    QCOMPARE(request.body, expected);
    QCOMPARE(request.header("Content-Length"), QByteArray::number(expected.size()));

    QCOMPARE(log.only().first, text("photoUploaded(QString,QString)"));
    QCOMPARE(log.only().second, (QVariantList {text("me"), text("p5")}));
}

QTEST_GUILESS_MAIN(tst_CvGraphWrite)

#include "tst_cvgraph_write.moc"
