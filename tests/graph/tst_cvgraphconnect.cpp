#include "cvendpoints.h"
#include "cverror.h"
#include "cvgraphconnect.h"
#include "cvlogger.h"
#include "testservice.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using Cv::CvEndpoints;
using Cv::CvError;
using Cv::CvGraphConnect;

namespace {

QStringList g_log;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_log.append(text);
}

struct Ends
{
    explicit Ends(CvGraphConnect *c)
        : responses(c, &CvGraphConnect::response)
        , errors(c, &CvGraphConnect::error)
    {
    }
    int count() const { return responses.size() + errors.size(); }
    // Waits for the first end, then a little longer so that a second one would show.
    bool waitForEnd(int timeoutMs = 10000)
    {
        if (!QTest::qWaitFor([this] { return count() > 0; }, timeoutMs))
            return false;
        QTest::qWait(100);
        return true;
    }
    int errorId(int i = 0) const { return errors.at(i).at(1).toInt(); }
    CvError error(int i = 0) const { return errors.at(i).at(0).value<CvError>(); }
    int responseId(int i = 0) const { return responses.at(i).at(1).toInt(); }
    QSignalSpy responses;
    QSignalSpy errors;
};

} // namespace

class tst_CvGraphConnect : public QObject
{
    Q_OBJECT

private:
    QString url(const TestService &service, const char *path)
    {
        return service.baseUrl().toString() + QLatin1String(path);
    }

private Q_SLOTS:
    void init()
    {
        CvEndpoints::reset();
        // Expected failures would flood the output with warnings; the log test turns them on.
        Cv::SetLoggingLevel(Cv::LogErrors);
    }
    void cleanup()
    {
        CvEndpoints::reset();
        Cv::SetLoggingLevel(Cv::LogWarnings);
    }

    void requestBeforeInitIsRefused()
    {
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        CvGraphConnect connect(QStringLiteral("token"));
        Ends ends(&connect);
        QCOMPARE(connect.get(QStringLiteral("/me")), -1);
        QCOMPARE(connect.lastError().replyErrorCode(), QNetworkReply::UnknownNetworkError);
        QCOMPARE(int(connect.lastError().replyErrorCode()), 99);
        QCOMPARE(connect.post(QStringLiteral("/me/feed"), nullptr), -1);
        QTest::qWait(100);
        QCOMPARE(ends.count(), 0);
        QCOMPARE(service.requestCount(), 0);

        QVERIFY(connect.init());
        QVERIFY(connect.lastError().isEmpty());
        service.enqueue(TestService::Reply::json("{}"));
        QCOMPARE(connect.get(QStringLiteral("/me")), 0);
        QVERIFY(ends.waitForEnd());
        QCOMPARE(ends.responses.size(), 1);
    }

    void replyIdsUseLowestFreeSlot()
    {
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        service.setHandler([](const TestService::Request &r) {
            TestService::Reply reply = TestService::Reply::json("{}");
            reply.delayMs = r.path == QLatin1String("/b") ? 0 : 1500;
            return reply;
        });
        CvGraphConnect connect(QStringLiteral("token"));
        connect.init();
        Ends ends(&connect);

        QCOMPARE(connect.get(QStringLiteral("/a")), 0);
        QCOMPARE(connect.get(QStringLiteral("/b")), 1);
        QCOMPARE(connect.get(QStringLiteral("/c")), 2);
        QVERIFY(ends.responses.wait(5000));
        QCOMPARE(ends.responseId(), 1);
        QCOMPARE(connect.get(QStringLiteral("/b")), 1);
        QTRY_COMPARE_WITH_TIMEOUT(ends.responses.size(), 4, 5000);
        QCOMPARE(ends.errors.size(), 0);
        QList<int> ids;
        for (const auto &args : ends.responses)
            ids.append(args.at(1).toInt());
        std::sort(ids.begin(), ids.end());
        QCOMPARE(ids, QList<int>({0, 1, 1, 2}));

        // Idle for 2 s: the manager is released, its connections close, numbering restarts.
        const int connectionsBefore = service.connectionCount();
        QVERIFY(service.openConnectionCount() > 0);
        QTRY_COMPARE_WITH_TIMEOUT(service.openConnectionCount(), 0, 6000);
        QCOMPARE(connect.get(QStringLiteral("/b")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(ends.responses.size(), 5, 5000);
        QCOMPARE(ends.responseId(4), 0);
        QVERIFY(service.connectionCount() > connectionsBefore);
    }

    void oneEndPerReply_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<int>("code");

        QTest::newRow("json") << "json" << true << 0;
        QTest::newRow("not json") << "notjson" << true << 0;
        QTest::newRow("empty body") << "empty" << true << 0;
        QTest::newRow("redirect not followed") << "redirect" << true << 0;
        QTest::newRow("trickled within time-out") << "trickle" << true << 0;
        QTest::newRow("large within limit") << "large" << true << 0;
        QTest::newRow("http 500") << "500" << false << int(QNetworkReply::InternalServerError);
        QTest::newRow("http 404") << "404" << false << int(QNetworkReply::ContentNotFoundError);
        QTest::newRow("dropped") << "dropped" << false << int(QNetworkReply::RemoteHostClosedError);
        QTest::newRow("reset in body")
            << "reset" << false << int(QNetworkReply::RemoteHostClosedError);
        QTest::newRow("unreachable port")
            << "refused" << false << int(QNetworkReply::ConnectionRefusedError);
        QTest::newRow("stalled") << "stalled" << false << int(QNetworkReply::TimeoutError);
        QTest::newRow("stalled in body")
            << "stalledbody" << false << int(QNetworkReply::TimeoutError);
        QTest::newRow("declared too large")
            << "oversize" << false << int(QNetworkReply::UnknownContentError);
        QTest::newRow("streamed too large")
            << "oversizestream" << false << int(QNetworkReply::UnknownContentError);
    }

    void oneEndPerReply()
    {
        QFETCH(QString, scenario);
        QFETCH(bool, succeeds);
        QFETCH(int, code);

        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        CvEndpoints::setTransferTimeout(1000);
        CvEndpoints::setMaxReplySize(100000);
        const QByteArray large(100000, 'x');
        TestService::Reply reply;
        if (scenario == QLatin1String("json")) {
            reply = TestService::Reply::json("{\"id\":\"1\"}");
        } else if (scenario == QLatin1String("notjson")) {
            reply = TestService::Reply::text("<html>hi</html>");
        } else if (scenario == QLatin1String("empty")) {
            reply = TestService::Reply::text(QByteArray());
        } else if (scenario == QLatin1String("redirect")) {
            reply = TestService::Reply::redirect(url(service, "/picture.jpg").toUtf8());
        } else if (scenario == QLatin1String("trickle")) {
            // Slower in total than the time-out, but never idle for that long.
            reply = TestService::Reply::text(QByteArray(500, 't'));
            reply.chunkSize = 100;
            reply.chunkIntervalMs = 250;
        } else if (scenario == QLatin1String("large")) {
            reply = TestService::Reply::text(large);
        } else if (scenario == QLatin1String("500")) {
            reply = TestService::Reply::json("{\"error\":{}}", 500);
        } else if (scenario == QLatin1String("404")) {
            reply = TestService::Reply::text("gone", 404);
        } else if (scenario == QLatin1String("dropped")) {
            service.setHandler(
                [](const TestService::Request &) { return TestService::Reply::dropped(); });
        } else if (scenario == QLatin1String("reset")) {
            reply = TestService::Reply::dropped("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
        } else if (scenario == QLatin1String("refused")) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            const quint16 port = probe.serverPort();
            probe.close();
            QVERIFY(CvEndpoints::setGraphBaseUrl(
                QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port))));
        } else if (scenario == QLatin1String("stalled")) {
            reply = TestService::Reply::stalled();
        } else if (scenario == QLatin1String("stalledbody")) {
            reply = TestService::Reply::text("0123456789");
            reply.stallAfter = 70;
        } else if (scenario == QLatin1String("oversize")) {
            reply = TestService::Reply::text("small");
            reply.contentLength = 100001; // the rest never comes: only the header can abort it
        } else if (scenario == QLatin1String("oversizestream")) {
            reply = TestService::Reply::text(large + "y");
            reply.contentLength = -2;
        }
        if (scenario != QLatin1String("dropped") && scenario != QLatin1String("refused"))
            service.enqueue(reply);

        CvGraphConnect connect(QStringLiteral("token"));
        connect.init();
        Ends ends(&connect);
        QByteArray body;
        QVariant location;
        QObject::connect(&connect, &CvGraphConnect::response, this, [&](QNetworkReply *r, int) {
            body = r->readAll();
            location = r->header(QNetworkRequest::LocationHeader);
        });
        QCOMPARE(connect.get(QStringLiteral("/me")), 0);
        QVERIFY(ends.waitForEnd());
        QCOMPARE(ends.count(), 1);
        QCOMPARE(ends.responses.size(), succeeds ? 1 : 0);
        if (succeeds) {
            QCOMPARE(ends.responseId(), 0);
            QCOMPARE(body, reply.body);
            QVERIFY(connect.lastError().isEmpty());
        } else {
            QCOMPARE(ends.errorId(), 0);
            QCOMPARE(int(ends.error().replyErrorCode()), code);
            QCOMPARE(int(connect.lastError().replyErrorCode()), code);
        }
        if (scenario == QLatin1String("redirect")) {
            QCOMPARE(location.toUrl(), QUrl(url(service, "/picture.jpg")));
            QCOMPARE(service.requestCount(), 1);
        }
        if (scenario == QLatin1String("500"))
            QCOMPARE(ends.error().corvanaErrorString(), QStringLiteral("{\"error\":{}}"));
        // The slot is free again.
        service.enqueue(TestService::Reply::json("{}"));
        QCOMPARE(connect.get(QStringLiteral("/me")), 0);
    }

    void queryOrderAndEncoding()
    {
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        CvGraphConnect connect(QStringLiteral("TOKEN123"));
        connect.init();
        Ends ends(&connect);

        const QMap<QString, QString> params {
            {QStringLiteral("b"), QStringLiteral("x y")},
            {QStringLiteral("a"), QStringLiteral("1")},
            {QStringLiteral("c"), QStringLiteral("\u00e9,/?&=+~._-*%")}};
        QCOMPARE(connect.get(QStringLiteral("/me/feed?fields=id"), params), 0);
        QVERIFY(service.waitForRequests(1));
        TestService::Request r = service.lastRequest();
        QCOMPARE(r.method, QByteArray("GET"));
        QCOMPARE(r.rawPath, QByteArray("/me/feed"));
        QCOMPARE(r.rawQuery,
                 QByteArray("fields=id&access_token=TOKEN123&a=1&b=x%20y"
                            "&c=%C3%A9%2C%2F%3F%26%3D%2B~._-%2A%25"));
        QCOMPARE(r.queryValue(QStringLiteral("c")), QStringLiteral("\u00e9,/?&=+~._-*%"));
        QVERIFY(r.body.isEmpty());

        // An absolute URL is sent as it is: no token, also when one is set.
        QVERIFY(connect.get(QUrl(url(service, "/page?after=abc&access=1"))) >= 0);
        QVERIFY(service.waitForRequests(2));
        QCOMPARE(service.lastRequest().target, QByteArray("/page?after=abc&access=1"));

        // With parameters, an absolute URL gets the token and the parameters.
        QVERIFY(connect.get(QUrl(url(service, "/method/x")),
                            {{QStringLiteral("format"), QStringLiteral("json")}})
                >= 0);
        QVERIFY(service.waitForRequests(3));
        QCOMPARE(service.lastRequest().target,
                 QByteArray("/method/x?access_token=TOKEN123&format=json"));

        // Without a token nothing is added but the parameters.
        CvGraphConnect anonymous;
        anonymous.init();
        QCOMPARE(anonymous.get(QStringLiteral("/x"), {{QStringLiteral("q"), QStringLiteral("1")}}),
                 0);
        QVERIFY(service.waitForRequests(4));
        QCOMPARE(service.lastRequest().target, QByteArray("/x?q=1"));
    }

    void postAndDelete()
    {
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        CvGraphConnect connect(QStringLiteral("TOKEN123"));
        connect.init();
        Ends ends(&connect);

        QCOMPARE(connect.del(QStringLiteral("/123")), 0);
        QVERIFY(service.waitForRequests(1));
        TestService::Request r = service.lastRequest();
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.target, QByteArray("/123?access_token=TOKEN123&method=delete"));
        QVERIFY(r.body.isEmpty());
        QCOMPARE(r.header("Content-Length"), QByteArray("0"));
        QCOMPARE(r.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));

        const QByteArray text("message body");
        QVERIFY(connect.post(QStringLiteral("/me/feed"),
                             {{QStringLiteral("message"), QStringLiteral("hi there")}}, &text)
                >= 0);
        QVERIFY(service.waitForRequests(2));
        r = service.lastRequest();
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.target, QByteArray("/me/feed?access_token=TOKEN123&message=hi%20there"));
        QCOMPARE(r.body, text);

        const QByteArray multipart("--xyz\r\ncontent\r\n--xyz--\r\n");
        const QMap<QNetworkRequest::KnownHeaders, QVariant> headers {
            {QNetworkRequest::UserAgentHeader, QByteArray("corvana-test")},
            {QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=xyz")},
        };
        QVERIFY(connect.post(QStringLiteral("/1/photos"), headers, {}, &multipart) >= 0);
        QVERIFY(service.waitForRequests(3));
        r = service.lastRequest();
        QCOMPARE(r.target, QByteArray("/1/photos?access_token=TOKEN123"));
        QCOMPARE(r.body, multipart);
        QCOMPARE(r.header("Content-Type"), QByteArray("multipart/form-data; boundary=xyz"));
        QCOMPARE(r.header("User-Agent"), QByteArray("corvana-test"));

        // A multipart upload to an absolute URL (a REST method) gets the token and parameters.
        QVERIFY(connect.post(QUrl(url(service, "/method/photos.upload")), headers,
                             {{QStringLiteral("format"), QStringLiteral("json")}}, &multipart)
                >= 0);
        QVERIFY(service.waitForRequests(4));
        r = service.lastRequest();
        QCOMPARE(r.method, QByteArray("POST"));
        QCOMPARE(r.target, QByteArray("/method/photos.upload?access_token=TOKEN123&format=json"));
        QCOMPARE(r.body, multipart);
        QCOMPARE(r.header("Content-Type"), QByteArray("multipart/form-data; boundary=xyz"));
        QTRY_COMPARE(ends.count(), 4);
        QCOMPARE(ends.errors.size(), 4); // nothing was queued: 404 each
    }

    void baseUrlIsReadPerRequest()
    {
        TestService first;
        TestService second;
        CvGraphConnect connect(QStringLiteral("t"));
        connect.init();
        QVERIFY(CvEndpoints::setGraphBaseUrl(first.baseUrl()));
        connect.get(QStringLiteral("/one"));
        QVERIFY(first.waitForRequests(1));
        QVERIFY(CvEndpoints::setGraphBaseUrl(second.baseUrl()));
        connect.get(QStringLiteral("/two"));
        QVERIFY(second.waitForRequests(1));
        QCOMPARE(second.lastRequest().path, QStringLiteral("/two"));
        QCOMPARE(first.requestCount(), 1);
    }

    void tlsTrust()
    {
        TestService service(TestService::Tls);
        QVERIFY(service.isListening());
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        service.setHandler(
            [](const TestService::Request &) { return TestService::Reply::json("{}"); });

        {
            CvGraphConnect untrusting(QStringLiteral("t"));
            untrusting.init();
            Ends ends(&untrusting);
            QCOMPARE(untrusting.get(QStringLiteral("/me")), 0);
            QVERIFY(ends.waitForEnd());
            QCOMPARE(ends.responses.size(), 0);
            QCOMPARE(ends.errors.size(), 1);
            QCOMPARE(ends.error().replyErrorCode(), QNetworkReply::SslHandshakeFailedError);
            QCOMPARE(service.requestCount(), 0);
        }

        CvEndpoints::setCaCertificates(TestService::caCertificates());
        CvGraphConnect trusting(QStringLiteral("t"));
        trusting.init();
        Ends ends(&trusting);
        QCOMPARE(trusting.get(QStringLiteral("/me")), 0);
        QVERIFY(ends.waitForEnd());
        QCOMPARE(ends.responses.size(), 1);
        QCOMPARE(service.requestCount(), 1);
    }

    void deinitAbortsPendingReplies()
    {
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        service.setHandler(
            [](const TestService::Request &) { return TestService::Reply::stalled(); });
        CvGraphConnect connect(QStringLiteral("t"));
        connect.init();
        Ends ends(&connect);
        QCOMPARE(connect.get(QStringLiteral("/a")), 0);
        QCOMPARE(connect.get(QStringLiteral("/b")), 1);
        QVERIFY(service.waitForRequests(2));
        QVERIFY(connect.deinit());
        QCOMPARE(ends.errors.size(), 2);
        QCOMPARE(ends.error(0).replyErrorCode(), QNetworkReply::OperationCanceledError);
        QCOMPARE(ends.errorId(0) + ends.errorId(1), 1);
        QTest::qWait(100);
        QCOMPARE(ends.count(), 2);
        QCOMPARE(connect.get(QStringLiteral("/c")), 0);
    }

    void receiverMayDestroyTransport()
    {
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        service.enqueue(TestService::Reply::json("{}"));
        service.enqueue(TestService::Reply::text("x", 500));
        auto *connect = new CvGraphConnect(QStringLiteral("t"));
        connect->init();
        QByteArray body;
        QObject::connect(connect, &CvGraphConnect::response, this, [&](QNetworkReply *r, int) {
            body = r->readAll();
            delete connect;
            connect = nullptr;
        });
        connect->get(QStringLiteral("/a"));
        QTRY_VERIFY(!connect);
        QCOMPARE(body, QByteArray("{}"));

        connect = new CvGraphConnect(QStringLiteral("t"));
        connect->init();
        QObject::connect(connect, &CvGraphConnect::error, this, [&](const CvError &, int) {
            delete connect;
            connect = nullptr;
        });
        connect->get(QStringLiteral("/b"));
        QTRY_VERIFY(!connect);
    }

    void tokenIsRedactedInEveryLogLine()
    {
        const QString token = QStringLiteral("SECRETTOKEN1234");
        TestService service;
        QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
        service.enqueue(TestService::Reply::json("{\"echo\":\"SECRETTOKEN1234\"}"));
        service.enqueue(TestService::Reply::json("{\"error\":{}}", 500));
        service.enqueue(TestService::Reply::json("{}"));

        g_log.clear();
        Cv::SetLoggingLevel(Cv::LogTrace);
        const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
        {
            CvGraphConnect connect(token);
            connect.init();
            Ends ends(&connect);
            connect.get(QStringLiteral("/me"), {{QStringLiteral("x"), QStringLiteral("1")}});
            QTRY_COMPARE(ends.count(), 1);
            connect.get(QStringLiteral("/fails"));
            QTRY_COMPARE(ends.count(), 2);
            connect.get(QUrl(url(service, "/next?access_token=SECRETTOKEN1234&after=2")));
            QTRY_COMPARE(ends.count(), 3);
        }
        qInstallMessageHandler(previous);
        Cv::SetLoggingLevel(Cv::LogErrors);

        const QString port = QString::number(service.port());
        const QStringList expected {
            QStringLiteral("\"Using access token [SECR\u2026]\" "),
            QStringLiteral(
                "\"Sending request: http://127.0.0.1:%1/me?access_token=SECR\u2026&x=1\" ")
                .arg(port),
            QStringLiteral("\"CvGraphConnect: Reply stored using id: [0]\" "),
            QStringLiteral("\"CvGraphConnect: Reply id: [0]\" "),
            QStringLiteral("\"CvGraphConnect: Reply [0] removed\" "),
            QStringLiteral(
                "\"Sending request: http://127.0.0.1:%1/next?access_token=SECR\u2026&after=2\" ")
                .arg(port),
        };
        for (const QString &line : expected)
            QVERIFY2(g_log.contains(line), qPrintable(line));
        bool sawError = false;
        for (const QString &line : qAsConst(g_log)) {
            QVERIFY2(!line.contains(QLatin1String("ETTOKEN")), qPrintable(line));
            sawError = sawError || line.startsWith(QLatin1String("\"Encountered an error: "));
        }
        QVERIFY(sawError);
        QVERIFY(g_log.size() > 10);
    }
};

QTEST_GUILESS_MAIN(tst_CvGraphConnect)
#include "tst_cvgraphconnect.moc"
