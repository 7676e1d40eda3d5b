#include "emulatorprocess.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTimeZone>

using P = QList<QPair<QString, QString>>;

class tst_EmulatorGraph : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void objectAndDateHeader();
    void fieldsAndMetadata();
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
    void likeIsCountedAndRemoved();
    void commentLandsOnItsPost();
    void rsvpIsRemembered();
    void deletedObjectIsGone();
    void multipartUploadIsServed();
    void httpsWithDevelopmentCa();

private:
    QStringList ids(const Answer &a) const;
    EmulatorProcess emu;
};

QStringList tst_EmulatorGraph::ids(const Answer &a) const
{
    QStringList out;
    for (const QJsonValue &v : a.object().value(QLatin1String("data")).toArray())
        out << v.toObject().value(QLatin1String("id")).toString();
    return out;
}

void tst_EmulatorGraph::initTestCase()
{
    QVERIFY(emu.start({QStringLiteral("--users"), QStringLiteral("30"), QStringLiteral("--posts"),
                       QStringLiteral("60")}));
    QVERIFY(emu.graph.startsWith(QLatin1String("http://127.0.0.1:")));
}

void tst_EmulatorGraph::objectAndDateHeader()
{
    const Answer a = emu.get(QStringLiteral("/me"));
    QCOMPARE(a.status, 200);
    const QJsonObject me = a.object();
    QCOMPARE(me.value(QLatin1String("id")).toString(), QStringLiteral("100001"));
    QVERIFY(!me.value(QLatin1String("name")).toString().isEmpty());
    QVERIFY(me.value(QLatin1String("picture")).toString().startsWith(emu.graph));
    QVERIFY(QDateTime::fromString(me.value(QLatin1String("updated_time")).toString(), Qt::ISODate)
                .isValid());

    const QString date = QString::fromLatin1(a.header("Date"));
    QVERIFY2(QRegularExpression(QStringLiteral("^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d "
                                               "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                               "\\d{4} \\d\\d:\\d\\d:\\d\\d GMT$"))
                 .match(date)
                 .hasMatch(),
             qPrintable(date));
    QDateTime parsed
        = QLocale::c().toDateTime(date, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    parsed.setTimeZone(QTimeZone::utc());
    QVERIFY(qAbs(parsed.secsTo(QDateTime::currentDateTimeUtc())) < 120);
}

void tst_EmulatorGraph::fieldsAndMetadata()
{
    const QJsonObject picked
        = emu.get(QStringLiteral("/100002"),
                  {{QStringLiteral("fields"), QStringLiteral("name,birthday")}})
              .object();
    QCOMPARE(
        QStringList(picked.keys()),
        QStringList({QStringLiteral("birthday"), QStringLiteral("id"), QStringLiteral("name")}));

    const QJsonObject meta
        = emu.get(QStringLiteral("/me"), {{QStringLiteral("metadata"), QStringLiteral("1")}})
              .object();
    const QJsonObject connections = meta.value(QLatin1String("metadata"))
                                        .toObject()
                                        .value(QLatin1String("connections"))
                                        .toObject();
    QCOMPARE(connections.value(QLatin1String("friends")).toString(),
             emu.graph + QStringLiteral("/100001/friends"));
    QVERIFY(connections.contains(QLatin1String("home")));
    QCOMPARE(meta.value(QLatin1String("type")).toString(), QStringLiteral("user"));
}

void tst_EmulatorGraph::tokenCheck_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("meId");
    QTest::newRow("first user") << QStringLiteral("emulator-token-100001") << QStringLiteral("/me")
                                << 200 << QStringLiteral("100001");
    QTest::newRow("another user") << QStringLiteral("emulator-token-100007")
                                  << QStringLiteral("/me") << 200 << QStringLiteral("100007");
    QTest::newRow("unknown user") << QStringLiteral("emulator-token-999") << QStringLiteral("/me")
                                  << 400 << QString();
    QTest::newRow("garbage") << QStringLiteral("x y z") << QStringLiteral("/me/home") << 400
                             << QString();
    QTest::newRow("rest endpoint")
        << QStringLiteral("nope") << QStringLiteral("/method/notifications.get") << 400
        << QString();
}

void tst_EmulatorGraph::tokenCheck()
{
    QFETCH(QString, token);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, meId);
    const Answer a = emu.send(QUrl(emu.graph + path + QStringLiteral("?access_token=")
                                   + QString::fromLatin1(QUrl::toPercentEncoding(token))));
    QCOMPARE(a.status, status);
    QVERIFY(!a.header("Date").isEmpty());
    if (status == 200) {
        QCOMPARE(a.object().value(QLatin1String("id")).toString(), meId);
        return;
    }
    QVERIFY(a.body.startsWith("{\"error\":"));
    const QJsonObject error = a.object().value(QLatin1String("error")).toObject();
    QCOMPARE(error.value(QLatin1String("type")).toString(), QStringLiteral("OAuthException"));
    QVERIFY(error.value(QLatin1String("message"))
                .toString()
                .contains(QLatin1String("Error validating access token")));
    QVERIFY(!a.body.contains(token.toUtf8()));
}

void tst_EmulatorGraph::objectsByIds()
{
    const QJsonObject both
        = emu.get(QStringLiteral("/"), {{QStringLiteral("ids"), QStringLiteral("100002,100003")}})
              .object();
    QCOMPARE(both.size(), 2);
    QCOMPARE(both.value(QLatin1String("100003")).toObject().value(QLatin1String("id")).toString(),
             QStringLiteral("100003"));
    const Answer unknown
        = emu.get(QStringLiteral("/"), {{QStringLiteral("ids"), QStringLiteral("100002,nosuch")}});
    QCOMPARE(unknown.status, 400);
    QVERIFY(unknown.body.contains("nosuch"));
}

void tst_EmulatorGraph::pagingLinksLeadToNextPage()
{
    const QStringList all = ids(
        emu.get(QStringLiteral("/me/home"), {{QStringLiteral("limit"), QStringLiteral("1000")}}));
    QVERIFY(all.size() > 20);

    QStringList walked;
    QStringList firstPage;
    Answer page
        = emu.get(QStringLiteral("/me/home"), {{QStringLiteral("limit"), QStringLiteral("7")}});
    QString secondPageUrl;
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(page.status, 200);
        const QStringList got = ids(page);
        QVERIFY(got.size() <= 7);
        if (firstPage.isEmpty())
            firstPage = got;
        walked += got;
        const QString next = page.object()
                                 .value(QLatin1String("paging"))
                                 .toObject()
                                 .value(QLatin1String("next"))
                                 .toString();
        if (next.isEmpty())
            break;
        QVERIFY(next.startsWith(emu.graph + QStringLiteral("/me/home?")));
        if (secondPageUrl.isEmpty())
            secondPageUrl = next;
        page = emu.send(QUrl(next)); // absolute link: carries its own token
    }
    QCOMPARE(walked, all);

    const Answer second = emu.send(QUrl(secondPageUrl));
    const QString previous = second.object()
                                 .value(QLatin1String("paging"))
                                 .toObject()
                                 .value(QLatin1String("previous"))
                                 .toString();
    QCOMPARE(ids(emu.send(QUrl(previous))), firstPage);
}

void tst_EmulatorGraph::sinceAndUntil()
{
    const QJsonArray all
        = emu.get(QStringLiteral("/me/home"), {{QStringLiteral("limit"), QStringLiteral("1000")}})
              .object()
              .value(QLatin1String("data"))
              .toArray();
    const QString newest = all.first().toObject().value(QLatin1String("created_time")).toString();
    const QDateTime until = QDateTime::fromString(newest, Qt::ISODate).addSecs(-3600);
    const QDateTime since = until.addSecs(-4 * 3600);
    const Answer a = emu.get(QStringLiteral("/me/home"),
                             {{QStringLiteral("limit"), QStringLiteral("1000")},
                              {QStringLiteral("since"), since.toString(Qt::ISODate)},
                              {QStringLiteral("until"), until.toString(Qt::ISODate)}});
    const QJsonArray window = a.object().value(QLatin1String("data")).toArray();
    QVERIFY(!window.isEmpty());
    QVERIFY(window.size() < all.size());
    for (const QJsonValue &v : window) {
        const QDateTime t = QDateTime::fromString(
            v.toObject().value(QLatin1String("created_time")).toString(), Qt::ISODate);
        QVERIFY(t >= since && t <= until);
    }
}

void tst_EmulatorGraph::search_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<P>("params");
    QTest::addColumn<QString>("expectKey");
    QTest::newRow("people") << QStringLiteral("/search")
                            << P {{QStringLiteral("q"), QStringLiteral("a")},
                                  {QStringLiteral("type"), QStringLiteral("user")}}
                            << QStringLiteral("name");
    QTest::newRow("people with fields")
        << QStringLiteral("/search")
        << P {{QStringLiteral("q"), QStringLiteral("a")},
              {QStringLiteral("type"), QStringLiteral("user")},
              {QStringLiteral("fields"), QStringLiteral("birthday")}}
        << QStringLiteral("birthday");
    QTest::newRow("pages") << QStringLiteral("/search")
                           << P {{QStringLiteral("q"), QStringLiteral("page")},
                                 {QStringLiteral("type"), QStringLiteral("page")}}
                           << QStringLiteral("category");
    QTest::newRow("groups") << QStringLiteral("/search")
                            << P {{QStringLiteral("q"), QStringLiteral("club")},
                                  {QStringLiteral("type"), QStringLiteral("group")}}
                            << QStringLiteral("privacy");
    QTest::newRow("places near") << QStringLiteral("/search")
                                 << P {{QStringLiteral("q"), QStringLiteral("*")},
                                       {QStringLiteral("type"), QStringLiteral("place")},
                                       {QStringLiteral("center"), QStringLiteral("60.17,24.94")},
                                       {QStringLiteral("distance"), QStringLiteral("5000")}}
                                 << QStringLiteral("location");
    QTest::newRow("recent check-ins")
        << QStringLiteral("/search") << P {{QStringLiteral("type"), QStringLiteral("checkin")}}
        << QStringLiteral("place");
    QTest::newRow("home") << QStringLiteral("/home")
                          << P {{QStringLiteral("q"), QStringLiteral("e")}}
                          << QStringLiteral("message");
}

void tst_EmulatorGraph::search()
{
    QFETCH(QString, path);
    QFETCH(P, params);
    QFETCH(QString, expectKey);
    const Answer a = emu.get(path, params);
    QCOMPARE(a.status, 200);
    const QJsonArray data = a.object().value(QLatin1String("data")).toArray();
    QVERIFY(!data.isEmpty());
    for (const QJsonValue &v : data)
        QVERIFY2(v.toObject().contains(expectKey),
                 qPrintable(QString::fromUtf8(QJsonDocument(v.toObject()).toJson())));
}

void tst_EmulatorGraph::pictureRedirectAndBytes_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<QByteArray>("mime");
    QTest::newRow("square") << QStringLiteral("square") << QStringLiteral("_q.")
                            << QByteArray("\xff\xd8\xff\xe0") << QByteArray("image/jpeg");
    QTest::newRow("small") << QStringLiteral("small") << QStringLiteral("_t.")
                           << QByteArray("GIF89a") << QByteArray("image/gif");
    QTest::newRow("normal") << QStringLiteral("normal") << QStringLiteral("_s.")
                            << QByteArray("\x89PNG\r\n\x1a\n") << QByteArray("image/png");
    QTest::newRow("large") << QStringLiteral("large") << QStringLiteral("_n.")
                           << QByteArray("\xff\xd8\xff\xe0") << QByteArray("image/jpeg");
}

void tst_EmulatorGraph::pictureRedirectAndBytes()
{
    QFETCH(QString, type);
    QFETCH(QString, letter);
    QFETCH(QByteArray, magic);
    QFETCH(QByteArray, mime);
    const Answer redirect
        = emu.get(QStringLiteral("/100002/picture"), {{QStringLiteral("type"), type}});
    QCOMPARE(redirect.status, 302);
    const QString location = QString::fromLatin1(redirect.header("Location"));
    QVERIFY(location.startsWith(emu.graph + QStringLiteral("/_pictures/100002")));
    QVERIFY(location.contains(letter));
    const Answer picture = emu.send(QUrl(location)); // no token, as clients fetch public data
    QCOMPARE(picture.status, 200);
    QVERIFY(picture.body.startsWith(magic));
    QCOMPARE(picture.header("Content-Type"), mime);
    QVERIFY(picture.body.size() < 1024);
}

void tst_EmulatorGraph::wallPostAppearsInFeeds()
{
    const Answer written
        = emu.post(QStringLiteral("/100002/feed"),
                   {{QStringLiteral("message"), QStringLiteral("Hello \"friend\" & more")},
                    {QStringLiteral("link"), QStringLiteral("https://example.invalid/x")}});
    QCOMPARE(written.status, 200);
    const QString id = written.object().value(QLatin1String("id")).toString();
    QVERIFY(id.startsWith(QLatin1String("100002_")));

    const QJsonObject newest
        = emu.get(QStringLiteral("/me/home"), {{QStringLiteral("limit"), QStringLiteral("1")}})
              .object()
              .value(QLatin1String("data"))
              .toArray()
              .first()
              .toObject();
    QCOMPARE(newest.value(QLatin1String("id")).toString(), id);
    QCOMPARE(newest.value(QLatin1String("message")).toString(),
             QStringLiteral("Hello \"friend\" & more"));
    QCOMPARE(newest.value(QLatin1String("type")).toString(), QStringLiteral("link"));
    QCOMPARE(newest.value(QLatin1String("from")).toObject().value(QLatin1String("id")).toString(),
             QStringLiteral("100001"));
    QVERIFY(ids(emu.get(QStringLiteral("/100002/feed"))).contains(id));
}

void tst_EmulatorGraph::likeIsCountedAndRemoved()
{
    const QString post = emu.post(QStringLiteral("/me/feed"),
                                  {{QStringLiteral("message"), QStringLiteral("like me")}})
                             .object()
                             .value(QLatin1String("id"))
                             .toString();
    QCOMPARE(emu.post(QStringLiteral("/") + post + QStringLiteral("/likes")).body,
             QByteArray("true"));
    QJsonObject likes
        = emu.get(QStringLiteral("/") + post).object().value(QLatin1String("likes")).toObject();
    QCOMPARE(likes.value(QLatin1String("count")).toInt(), 1);
    QCOMPARE(ids(emu.get(QStringLiteral("/") + post + QStringLiteral("/likes"))),
             QStringList {QStringLiteral("100001")});
    QCOMPARE(emu.post(QStringLiteral("/") + post + QStringLiteral("/likes"),
                      {{QStringLiteral("method"), QStringLiteral("delete")}})
                 .body,
             QByteArray("true"));
    likes = emu.get(QStringLiteral("/") + post).object().value(QLatin1String("likes")).toObject();
    QCOMPARE(likes.value(QLatin1String("count")).toInt(), 0);
}

void tst_EmulatorGraph::commentLandsOnItsPost()
{
    const QString post
        = ids(emu.get(QStringLiteral("/me/home"), {{QStringLiteral("limit"), QStringLiteral("3")}}))
              .last();
    const QString id = emu.post(QStringLiteral("/") + post + QStringLiteral("/comments"),
                                {{QStringLiteral("message"), QStringLiteral("nice one")}})
                           .object()
                           .value(QLatin1String("id"))
                           .toString();
    QVERIFY(id.startsWith(post + QLatin1Char('_')));
    const QJsonArray comments = emu.get(QStringLiteral("/") + post + QStringLiteral("/comments"))
                                    .object()
                                    .value(QLatin1String("data"))
                                    .toArray();
    QCOMPARE(comments.last().toObject().value(QLatin1String("message")).toString(),
             QStringLiteral("nice one"));
    QCOMPARE(emu.get(QStringLiteral("/") + post)
                 .object()
                 .value(QLatin1String("comments"))
                 .toObject()
                 .value(QLatin1String("count"))
                 .toInt(),
             comments.size());
    QCOMPARE(emu.post(QStringLiteral("/nosuchpost/comments"),
                      {{QStringLiteral("message"), QStringLiteral("x")}})
                 .status,
             400);
}

void tst_EmulatorGraph::rsvpIsRemembered()
{
    const QStringList events = ids(emu.get(QStringLiteral("/me/events")));
    QVERIFY(!events.isEmpty());
    const QString event = events.first();
    QCOMPARE(emu.post(QStringLiteral("/") + event + QStringLiteral("/declined")).body,
             QByteArray("true"));
    QCOMPARE(emu.get(QStringLiteral("/") + event)
                 .object()
                 .value(QLatin1String("rsvp_status"))
                 .toString(),
             QStringLiteral("declined"));
    QVERIFY(ids(emu.get(QStringLiteral("/") + event + QStringLiteral("/declined")))
                .contains(QStringLiteral("100001")));
    QCOMPARE(emu.post(QStringLiteral("/") + event + QStringLiteral("/maybe")).body,
             QByteArray("true"));
    QVERIFY(!ids(emu.get(QStringLiteral("/") + event + QStringLiteral("/declined")))
                 .contains(QStringLiteral("100001")));
    QVERIFY(ids(emu.get(QStringLiteral("/") + event + QStringLiteral("/maybe")))
                .contains(QStringLiteral("100001")));
}

void tst_EmulatorGraph::deletedObjectIsGone()
{
    const QString post = emu.post(QStringLiteral("/me/feed"),
                                  {{QStringLiteral("message"), QStringLiteral("short-lived")}})
                             .object()
                             .value(QLatin1String("id"))
                             .toString();
    QCOMPARE(
        emu.post(QStringLiteral("/") + post, {{QStringLiteral("method"), QStringLiteral("delete")}})
            .body,
        QByteArray("true"));
    QCOMPARE(emu.get(QStringLiteral("/") + post).status, 400);
    QVERIFY(!ids(emu.get(QStringLiteral("/me/feed"))).contains(post));
    // Ids that cannot be a path are deleted through the root path.
    const QString note = emu.post(QStringLiteral("/me/notes"),
                                  {{QStringLiteral("subject"), QStringLiteral("s")},
                                   {QStringLiteral("message"), QStringLiteral("m")}})
                             .object()
                             .value(QLatin1String("id"))
                             .toString();
    QCOMPARE(emu.post(QStringLiteral("/"),
                      {{QStringLiteral("method"), QStringLiteral("delete")},
                       {QStringLiteral("id"), note}})
                 .body,
             QByteArray("true"));
    QCOMPARE(emu.get(QStringLiteral("/") + note).status, 400);
}

void tst_EmulatorGraph::multipartUploadIsServed()
{
    QByteArray image("GIF89a-not-really-but-bytes\r\nwith a line break");
    const QByteArray body = "--AaBbCcDdEeFfGgHhIi\r\nContent-Disposition: form-data; "
                            "name=\"image\"; filename=\"/tmp/x.gif\"\r\n"
                            "Content-Type: image/gif\r\n\r\n"
        + image + "\r\n--AaBbCcDdEeFfGgHhIi--\r\n";
    const Answer a = emu.send(emu.url(QStringLiteral("/me/photos"),
                                      {{QStringLiteral("message"), QStringLiteral("up")},
                                       {QStringLiteral("source"), QStringLiteral("@/tmp/x.gif")}}),
                              "POST", body, "multipart/form-data, boundary=AaBbCcDdEeFfGgHhIi");
    QCOMPARE(a.status, 200);
    const QString id = a.object().value(QLatin1String("id")).toString();
    const QJsonObject photo = emu.get(QStringLiteral("/") + id).object();
    QCOMPARE(photo.value(QLatin1String("name")).toString(), QStringLiteral("up"));
    QCOMPARE(emu.send(QUrl(photo.value(QLatin1String("source")).toString())).body, image);
    QVERIFY(ids(emu.get(QStringLiteral("/me/photos"))).contains(id));
}

void tst_EmulatorGraph::httpsWithDevelopmentCa()
{
    EmulatorProcess secure;
    QVERIFY(secure.start({QStringLiteral("--users"), QStringLiteral("5")}, true));
    QVERIFY(secure.graph.startsWith(QLatin1String("https://127.0.0.1:")));
    const Answer a = secure.get(QStringLiteral("/me"));
    QCOMPARE(a.error, QNetworkReply::NoError);
    QCOMPARE(a.object().value(QLatin1String("id")).toString(), QStringLiteral("100001"));

    // Without the development CA the certificate is not trusted.
    QNetworkAccessManager nam;
    QNetworkReply *reply = nam.get(QNetworkRequest(QUrl(secure.graph + QStringLiteral("/me"))));
    QSignalSpy finished(reply, &QNetworkReply::finished);
    QVERIFY(finished.wait(20000));
    QCOMPARE(reply->error(), QNetworkReply::SslHandshakeFailedError);
    delete reply;
}

QTEST_GUILESS_MAIN(tst_EmulatorGraph)
#include "tst_emulatorgraph.moc"
