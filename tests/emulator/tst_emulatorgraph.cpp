#include "emulatorprocess.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

class tst_EmulatorGraph : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void objectFieldsAndDateHeader();
    void tokenCheck_data();
    void tokenCheck();
    void objectsByIds();
    void pagingLinksLeadToNextPage();
    void sinceAndUntil();
    void search_data();
    void search();
    void pictureRedirectAndBytes_data();
    void pictureRedirectAndBytes();
    void wallPostAppearsInFeeds();
    void likeCommentAndRsvpAreRemembered();
    void deletedObjectIsGone();
    void multipartUpload_data();
    void multipartUpload();
    void albumCountsItsPhotos();
    void httpsWithDevelopmentCa();

private:
    EmulatorProcess emu;
};

void tst_EmulatorGraph::initTestCase()
{
    QVERIFY(emu.start({s("--users"), s("30"), s("--posts"), s("60")}));
    QVERIFY(emu.graph.startsWith(s("http://127.0.0.1:")));
}

void tst_EmulatorGraph::objectFieldsAndDateHeader()
{
    const Answer a = emu.get(s("/me"));
    QCOMPARE(a.status, 200);
    QCOMPARE(a.id(), s("100001"));
    QVERIFY(!a.value("name").toString().isEmpty());
    QVERIFY(a.value("picture").toString().startsWith(emu.graph));
    QVERIFY(QDateTime::fromString(a.value("updated_time").toString(), Qt::ISODate).isValid());

    const QString date = QString::fromLatin1(a.header("Date"));
    QVERIFY2(QRegularExpression(s("^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d "
                                  "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                  "\\d{4} \\d\\d:\\d\\d:\\d\\d GMT$"))
                 .match(date)
                 .hasMatch(),
             qPrintable(date));
    QDateTime parsed = QLocale::c().toDateTime(date, s("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    parsed.setTimeZone(QTimeZone::utc());
    QVERIFY(qAbs(parsed.secsTo(QDateTime::currentDateTimeUtc())) < 120);

    QCOMPARE(
        QStringList(emu.get(s("/100002"), {{s("fields"), s("name,birthday")}}).object().keys()),
        QStringList({s("birthday"), s("id"), s("name")}));
    const Answer meta = emu.get(s("/me"), {{s("metadata"), s("1")}});
    QCOMPARE(meta.value("metadata.connections.friends").toString(),
             emu.graph + s("/100001/friends"));
    QVERIFY(meta.value("metadata.connections.home").isString());
    QCOMPARE(meta.value("type").toString(), s("user"));
}

void tst_EmulatorGraph::tokenCheck_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("meId");
    QTest::newRow("first user") << s("emulator-token-100001") << s("/me") << 200 << s("100001");
    QTest::newRow("another user") << s("emulator-token-100007") << s("/me") << 200 << s("100007");
    QTest::newRow("unknown user") << s("emulator-token-999") << s("/me") << 400 << QString();
    QTest::newRow("garbage") << s("x y z") << s("/me/home") << 400 << QString();
    QTest::newRow("rest endpoint")
        << s("nope") << s("/method/notifications.get") << 400 << QString();
}

void tst_EmulatorGraph::tokenCheck()
{
    QFETCH(QString, token);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, meId);
    const Answer a = emu.send(QUrl(emu.graph + path + s("?access_token=")
                                   + QString::fromLatin1(QUrl::toPercentEncoding(token))));
    QCOMPARE(a.status, status);
    QVERIFY(!a.header("Date").isEmpty());
    if (status == 200) {
        QCOMPARE(a.id(), meId);
        return;
    }
    QVERIFY(a.body.startsWith("{\"error\":"));
    QCOMPARE(a.value("error.type").toString(), s("OAuthException"));
    QVERIFY(a.value("error.message").toString().contains(s("Error validating access token")));
    QVERIFY(!a.body.contains(token.toUtf8()));
}

void tst_EmulatorGraph::objectsByIds()
{
    const QJsonObject both = emu.get(s("/"), {{s("ids"), s("100002,100003")}}).object();
    QCOMPARE(both.size(), 2);
    QCOMPARE(member(both, "100003.id").toString(), s("100003"));
    const Answer unknown = emu.get(s("/"), {{s("ids"), s("100002,nosuch")}});
    QCOMPARE(unknown.status, 400);
    QVERIFY(unknown.body.contains("nosuch"));
}

void tst_EmulatorGraph::pagingLinksLeadToNextPage()
{
    const QStringList all = emu.get(s("/me/home"), {{s("limit"), s("1000")}}).ids();
    QVERIFY(all.size() > 20);

    QStringList walked, firstPage;
    QString secondPageUrl;
    Answer page = emu.get(s("/me/home"), {{s("limit"), s("7")}});
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(page.status, 200);
        const QStringList got = page.ids();
        QVERIFY(got.size() <= 7);
        if (firstPage.isEmpty())
            firstPage = got;
        walked += got;
        const QString next = page.value("paging.next").toString();
        if (next.isEmpty())
            break;
        QVERIFY(next.startsWith(emu.graph + s("/me/home?")));
        if (secondPageUrl.isEmpty())
            secondPageUrl = next;
        page = emu.send(QUrl(next)); // absolute link: carries its own token
    }
    QCOMPARE(walked, all);
    const QString previous = emu.send(QUrl(secondPageUrl)).value("paging.previous").toString();
    QCOMPARE(emu.send(QUrl(previous)).ids(), firstPage);
}

void tst_EmulatorGraph::sinceAndUntil()
{
    const QJsonArray all = emu.get(s("/me/home"), {{s("limit"), s("1000")}}).data();
    const QString newest = member(all.first(), "created_time").toString();
    const QDateTime until = QDateTime::fromString(newest, Qt::ISODate).addSecs(-3600);
    const QDateTime since = until.addSecs(-4 * 3600);
    const QJsonArray window = emu.get(s("/me/home"),
                                      {{s("limit"), s("1000")},
                                       {s("since"), since.toString(Qt::ISODate)},
                                       {s("until"), until.toString(Qt::ISODate)}})
                                  .data();
    QVERIFY(!window.isEmpty());
    QVERIFY(window.size() < all.size());
    for (const QJsonValue &v : window) {
        const QDateTime t
            = QDateTime::fromString(member(v, "created_time").toString(), Qt::ISODate);
        QVERIFY(t >= since && t <= until);
    }
}

void tst_EmulatorGraph::search_data()
{
    QTest::addColumn<QString>("pathAndQuery");
    QTest::addColumn<QString>("expectKey"); // in every result
    QTest::newRow("people") << s("/search?q=a&type=user") << s("name");
    QTest::newRow("people with fields")
        << s("/search?q=a&type=user&fields=birthday") << s("birthday");
    QTest::newRow("pages") << s("/search?q=page&type=page") << s("category");
    QTest::newRow("groups") << s("/search?q=club&type=group") << s("privacy");
    QTest::newRow("places near") << s("/search?q=*&type=place&center=60.17,24.94&distance=5000")
                                 << s("location");
    QTest::newRow("recent check-ins") << s("/search?type=checkin") << s("place");
    QTest::newRow("home") << s("/home?q=e") << s("message");
}

void tst_EmulatorGraph::search()
{
    QFETCH(QString, pathAndQuery);
    QFETCH(QString, expectKey);
    const Answer a = emu.send(emu.rawUrl(pathAndQuery));
    QCOMPARE(a.status, 200);
    QVERIFY(!a.data().isEmpty());
    for (const QJsonValue &v : a.data())
        QVERIFY2(v.toObject().contains(expectKey),
                 qPrintable(QString::fromUtf8(QJsonDocument(v.toObject()).toJson())));
}

void tst_EmulatorGraph::pictureRedirectAndBytes_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<QByteArray>("mime");
    const QByteArray jpeg("\xff\xd8\xff\xe0");
    QTest::newRow("square") << s("square") << s("_q.") << jpeg << QByteArray("image/jpeg");
    QTest::newRow("small") << s("small") << s("_t.") << QByteArray("GIF89a")
                           << QByteArray("image/gif");
    QTest::newRow("normal") << s("normal") << s("_s.") << QByteArray("\x89PNG\r\n\x1a\n")
                            << QByteArray("image/png");
    QTest::newRow("large") << s("large") << s("_n.") << jpeg << QByteArray("image/jpeg");
}

void tst_EmulatorGraph::pictureRedirectAndBytes()
{
    QFETCH(QString, type);
    QFETCH(QString, letter);
    QFETCH(QByteArray, magic);
    QFETCH(QByteArray, mime);
    const Answer redirect = emu.get(s("/100002/picture"), {{s("type"), type}});
    QCOMPARE(redirect.status, 302);
    const QString location = QString::fromLatin1(redirect.header("Location"));
    QVERIFY(location.startsWith(emu.graph + s("/_pictures/100002")));
    QVERIFY(location.contains(letter));
    const Answer picture = emu.send(QUrl(location)); // no token, as clients fetch public data
    QCOMPARE(picture.status, 200);
    QVERIFY(picture.body.startsWith(magic));
    QCOMPARE(picture.header("Content-Type"), mime);
    QVERIFY(picture.body.size() < 1024);
}

void tst_EmulatorGraph::wallPostAppearsInFeeds()
{
    const Answer written = emu.post(s("/100002/feed"),
                                    {{s("message"), s("Hello \"friend\" & more")},
                                     {s("link"), s("https://example.invalid/x")}});
    QCOMPARE(written.status, 200);
    const QString id = written.id();
    QVERIFY(id.startsWith(s("100002_")));

    const QJsonValue newest = emu.get(s("/me/home"), {{s("limit"), s("1")}}).data().first();
    QCOMPARE(member(newest, "id").toString(), id);
    QCOMPARE(member(newest, "message").toString(), s("Hello \"friend\" & more"));
    QCOMPARE(member(newest, "type").toString(), s("link"));
    QCOMPARE(member(newest, "from.id").toString(), s("100001"));
    QVERIFY(emu.get(s("/100002/feed")).ids().contains(id));
}

void tst_EmulatorGraph::likeCommentAndRsvpAreRemembered()
{
    const QString post = s("/") + emu.post(s("/me/feed"), {{s("message"), s("like me")}}).id();
    QVERIFY(emu.posted(post + s("/likes")));
    QCOMPARE(emu.get(post).value("likes.count").toInt(), 1);
    QCOMPARE(emu.get(post + s("/likes")).ids(), QStringList {s("100001")});
    QVERIFY(emu.posted(post + s("/likes"), {{s("method"), s("delete")}}));
    QCOMPARE(emu.get(post).value("likes.count").toInt(), 0);

    const QString comment = emu.post(post + s("/comments"), {{s("message"), s("nice one")}}).id();
    QVERIFY(comment.startsWith(post.mid(1) + QLatin1Char('_')));
    const QJsonArray comments = emu.get(post + s("/comments")).data();
    QCOMPARE(member(comments.last(), "message").toString(), s("nice one"));
    QCOMPARE(emu.get(post).value("comments.count").toInt(), comments.size());
    QCOMPARE(emu.post(s("/nosuchpost/comments"), {{s("message"), s("x")}}).status, 400);

    const QStringList events = emu.get(s("/me/events")).ids();
    QVERIFY(!events.isEmpty());
    const QString event = s("/") + events.first();
    QVERIFY(emu.posted(event + s("/declined")));
    QCOMPARE(emu.get(event).value("rsvp_status").toString(), s("declined"));
    QVERIFY(emu.get(event + s("/declined")).ids().contains(s("100001")));
    QVERIFY(emu.posted(event + s("/maybe")));
    QVERIFY(!emu.get(event + s("/declined")).ids().contains(s("100001")));
    QVERIFY(emu.get(event + s("/maybe")).ids().contains(s("100001")));
}

void tst_EmulatorGraph::deletedObjectIsGone()
{
    const QString post = emu.post(s("/me/feed"), {{s("message"), s("short-lived")}}).id();
    QVERIFY(emu.posted(s("/") + post, {{s("method"), s("delete")}}));
    QCOMPARE(emu.get(s("/") + post).status, 400);
    QVERIFY(!emu.get(s("/me/feed")).ids().contains(post));
    // Ids that cannot be a path are deleted through the root path.
    const QString note
        = emu.post(s("/me/notes"), {{s("subject"), s("s")}, {s("message"), s("m")}}).id();
    QVERIFY(emu.posted(s("/"), {{s("method"), s("delete")}, {s("id"), note}}));
    QCOMPARE(emu.get(s("/") + note).status, 400);
}

namespace {

const QByteArray boundary = "AaBbCcDdEeFfGgHhIi";
// Picture signatures followed by bytes that look like the framing around them.
const QByteArray gif = "GIF89a\r\n--AaBbCcDdEe\r\n\r\nrest";
const QByteArray png = "\x89PNG\r\n\x1a\n--AaBbCcDdEeFfGgHhIi-";

QByteArray filePart(const QByteArray &bytes, const QByteArray &type,
                    const QByteArray &disposition = "name=\"image\"; filename=\"/tmp/a b.gif\"")
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; " + disposition
        + "\r\nContent-Type: " + type + "\r\n\r\n" + bytes + "\r\n";
}

const QByteArray closing = "--" + boundary + "--\r\n";

} // namespace

void tst_EmulatorGraph::multipartUpload_data()
{
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("served"); // the picture's bytes; empty when refused
    const QByteArray comma = "multipart/form-data, boundary=" + boundary;
    QTest::newRow("gif, comma before the boundary")
        << comma << filePart(gif, "image/gif") + closing << gif;
    QTest::newRow("png, quoted boundary after a semicolon")
        << "multipart/form-data; boundary=\"" + boundary + '"'
        << filePart(png, "image/png") + "--" + boundary + "--" << png;
    QTest::newRow("no boundary") << QByteArray("multipart/form-data")
                                 << filePart(gif, "image/gif") + closing << QByteArray();
    QTest::newRow("body framed by another boundary")
        << QByteArray("multipart/form-data, boundary=Other") << filePart(gif, "image/gif") + closing
        << QByteArray();
    QTest::newRow("declared type differs from the bytes")
        << comma << filePart(gif, "image/png") + closing << QByteArray();
    QTest::newRow("not a picture")
        << comma << filePart("plain text", "image/gif") + closing << QByteArray();
    QTest::newRow("no file name") << comma << filePart(gif, "image/gif", "name=\"image\"") + closing
                                  << QByteArray();
    QTest::newRow("no closing boundary") << comma << filePart(gif, "image/gif") << QByteArray();
    QTest::newRow("a second part")
        << comma << filePart(gif, "image/gif") + filePart(png, "image/png") + closing
        << QByteArray();
}

void tst_EmulatorGraph::multipartUpload()
{
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, served);
    const int before = emu.get(s("/me/photos"), {{s("limit"), s("1000")}}).data().size();
    const Answer a = emu.send(
        emu.url(s("/me/photos"), {{s("message"), s("up")}, {s("source"), s("@/tmp/a b.gif")}}),
        "POST", body, contentType);
    const QStringList photos = emu.get(s("/me/photos"), {{s("limit"), s("1000")}}).ids();
    if (served.isEmpty()) {
        QCOMPARE(a.status, 400);
        QVERIFY2(a.value("error.message").toString().startsWith(s("(#324)")), a.body.constData());
        QCOMPARE(photos.size(), before);
        return;
    }
    QCOMPARE(a.status, 200);
    QCOMPARE(photos.value(0), a.id());
    const Answer photo = emu.get(s("/") + a.id());
    QCOMPARE(photo.value("name").toString(), s("up"));
    const Answer picture = emu.send(QUrl(photo.value("source").toString()));
    QCOMPARE(picture.body, served);
    QCOMPARE(picture.header("Content-Type"), QByteArray(served == gif ? "image/gif" : "image/png"));
}

void tst_EmulatorGraph::albumCountsItsPhotos()
{
    const QString album = emu.post(s("/me/albums"), {{s("name"), s("trip")}}).id();
    QCOMPARE(emu.get(s("/") + album).value("count").toInt(), 0);
    QStringList uploaded;
    for (int i = 0; i < 2; ++i) {
        const Answer a = emu.send(emu.url(s("/") + album + s("/photos")), "POST",
                                  filePart(gif, "image/gif") + closing,
                                  "multipart/form-data, boundary=" + boundary);
        QCOMPARE(a.status, 200);
        uploaded.prepend(a.id());
    }
    QCOMPARE(emu.get(s("/") + album + s("/photos")).ids(), uploaded);
    QCOMPARE(emu.get(s("/") + album).value("count").toInt(), 2);
    QCOMPARE(emu.get(s("/") + uploaded.first()).value("position").toInt(), 2);

    const QString source = emu.get(s("/") + uploaded.first()).value("source").toString();
    QVERIFY(emu.posted(s("/") + uploaded.first(), {{s("method"), s("delete")}}));
    QCOMPARE(emu.get(s("/") + album + s("/photos")).ids(), uploaded.mid(1));
    QCOMPARE(emu.get(s("/") + album).value("count").toInt(), 1);
    QCOMPARE(emu.send(QUrl(source)).status, 404);
}

void tst_EmulatorGraph::httpsWithDevelopmentCa()
{
    EmulatorProcess secure;
    QVERIFY(secure.start({s("--users"), s("5")}, true));
    QVERIFY(secure.graph.startsWith(s("https://127.0.0.1:")));
    const Answer a = secure.get(s("/me"));
    QCOMPARE(a.error, QNetworkReply::NoError);
    QCOMPARE(a.id(), s("100001"));

    // Without the development CA the certificate is not trusted.
    QNetworkAccessManager nam;
    std::unique_ptr<QNetworkReply> reply(nam.get(QNetworkRequest(QUrl(secure.graph + s("/me")))));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QVERIFY(finished.wait(20000));
    QCOMPARE(reply->error(), QNetworkReply::SslHandshakeFailedError);
}

QTEST_GUILESS_MAIN(tst_EmulatorGraph)
#include "tst_emulatorgraph.moc"
