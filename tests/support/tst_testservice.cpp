#include "testservice.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTest>

#include <algorithm>
#include <memory>

// Checks the test service itself with a plain QNetworkAccessManager, so that failures in the
// library's network tests can be told apart from faults of the fixture.
class tst_TestService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QNetworkReply> send(QNetworkAccessManager &nam, const QNetworkRequest &r,
                                        const QByteArray &verb = "GET",
                                        const QByteArray &body = QByteArray());

private slots:
    void recordsRequestsAndKeepsConnections();
    void handlerAnswersWhenQueueIsEmpty();
    void failureModes();
    void tls();
};

std::unique_ptr<QNetworkReply> tst_TestService::send(QNetworkAccessManager &nam,
                                                     const QNetworkRequest &r,
                                                     const QByteArray &verb, const QByteArray &body)
{
    QNetworkRequest request(r);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(nam.sendCustomRequest(request, verb, body));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(10000);
    return reply;
}

void tst_TestService::recordsRequestsAndKeepsConnections()
{
    TestService service;
    QVERIFY(service.isListening());
    service.enqueue(
        TestService::Reply::json("{\"a\":1}").header("Date", "Mon, 07 Dec 2026 10:00:00 GMT"));
    service.enqueue(TestService::Reply::redirect("https://example.invalid/p.jpg"));
    QNetworkAccessManager nam;
    QUrl url(service.baseUrl().toString() + QStringLiteral("/me?x=a%20b&y=%2B+&z"));
    auto first = send(nam, QNetworkRequest(url));
    QCOMPARE(first->error(), QNetworkReply::NoError);
    QCOMPARE(first->readAll(), QByteArray("{\"a\":1}"));
    QCOMPARE(first->rawHeader("Date"), QByteArray("Mon, 07 Dec 2026 10:00:00 GMT"));

    auto second = send(nam, QNetworkRequest(service.baseUrl()), "POST", "payload");
    QCOMPARE(second->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 302);
    QCOMPARE(second->header(QNetworkRequest::LocationHeader).toUrl(),
             QUrl(QStringLiteral("https://example.invalid/p.jpg")));

    const auto requests = service.requests();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[0].method, QByteArray("GET"));
    QCOMPARE(requests[0].path, QStringLiteral("/me"));
    QCOMPARE(requests[0].rawQuery, QByteArray("x=a%20b&y=%2B+&z"));
    QCOMPARE(requests[0].rawQueryItems.size(), 3);
    QCOMPARE(requests[0].queryValue(QStringLiteral("x")), QStringLiteral("a b"));
    QCOMPARE(requests[0].queryValue(QStringLiteral("y")), QStringLiteral("++"));
    QCOMPARE(requests[0].queryKeys(),
             QStringList({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}));
    QCOMPARE(requests[1].method, QByteArray("POST"));
    QCOMPARE(requests[1].path, QStringLiteral("/"));
    QCOMPARE(requests[1].body, QByteArray("payload"));
    QCOMPARE(requests[1].header("content-length"), QByteArray("7"));
    QCOMPARE(requests[1].connection, requests[0].connection);
    QCOMPARE(service.connectionCount(), 1);
}

void tst_TestService::handlerAnswersWhenQueueIsEmpty()
{
    TestService service;
    service.enqueue(TestService::Reply::text("queued"));
    service.setHandler([](const TestService::Request &r) {
        return TestService::Reply::text(r.path.toUtf8(), 201);
    });
    QNetworkAccessManager nam;
    QCOMPARE(send(nam, QNetworkRequest(service.baseUrl()))->readAll(), QByteArray("queued"));
    auto reply
        = send(nam, QNetworkRequest(QUrl(service.baseUrl().toString() + QStringLiteral("/h"))));
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 201);
    QCOMPARE(reply->readAll(), QByteArray("/h"));
}

void tst_TestService::failureModes()
{
    TestService service;
    QNetworkAccessManager nam;
    // Dropped before any answer: resent once by the client, so answer every attempt.
    service.setHandler([](const TestService::Request &) { return TestService::Reply::dropped(); });
    QCOMPARE(send(nam, QNetworkRequest(service.baseUrl()))->error(),
             QNetworkReply::RemoteHostClosedError);
    QVERIFY(service.requestCount() >= 1);
    service.setHandler({});
    service.clearRequests();
    // Dropped inside the body: never resent.
    service.enqueue(
        TestService::Reply::dropped("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"));
    QCOMPARE(send(nam, QNetworkRequest(service.baseUrl()))->error(),
             QNetworkReply::RemoteHostClosedError);

    TestService::Reply trickle = TestService::Reply::text("0123456789");
    trickle.chunkSize = 7;
    trickle.chunkIntervalMs = 20;
    service.enqueue(trickle);
    QCOMPARE(send(nam, QNetworkRequest(service.baseUrl()))->readAll(), QByteArray("0123456789"));

    TestService::Reply untilClose = TestService::Reply::text("closing");
    untilClose.contentLength = -2;
    service.enqueue(untilClose);
    QCOMPARE(send(nam, QNetworkRequest(service.baseUrl()))->readAll(), QByteArray("closing"));

    // A late resend on one of the connections closed above may reach the service first, so
    // the stalled reply is bound to its own path rather than queued.
    service.setHandler([](const TestService::Request &r) {
        return r.path == QLatin1String("/stall") ? TestService::Reply::stalled()
                                                 : TestService::Reply::text("late", 404);
    });
    QNetworkAccessManager freshNam;
    QNetworkRequest stalled(QUrl(service.baseUrl().toString() + QStringLiteral("/stall")));
    stalled.setTransferTimeout(300);
    QCOMPARE(send(freshNam, stalled)->error(), QNetworkReply::OperationCanceledError);
    const auto seen = service.requests();
    QVERIFY(std::any_of(seen.cbegin(), seen.cend(), [](const TestService::Request &r) {
        return r.path == QLatin1String("/stall");
    }));
}

void tst_TestService::tls()
{
    TestService service(TestService::Tls);
    QVERIFY(service.isListening());
    QCOMPARE(service.baseUrl().scheme(), QStringLiteral("https"));
    QCOMPARE(TestService::caCertificates().size(), 1);
    QNetworkAccessManager nam;

    service.enqueue(TestService::Reply::text("secret"));
    QNetworkRequest trusted(service.baseUrl());
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.addCaCertificates(TestService::caCertificates());
    trusted.setSslConfiguration(config);
    auto ok = send(nam, trusted);
    QCOMPARE(ok->error(), QNetworkReply::NoError);
    QCOMPARE(ok->readAll(), QByteArray("secret"));

    QNetworkAccessManager other;
    auto refused = send(other, QNetworkRequest(service.baseUrl()));
    QCOMPARE(refused->error(), QNetworkReply::SslHandshakeFailedError);
    QCOMPARE(service.requestCount(), 1);
}

QTEST_GUILESS_MAIN(tst_TestService)
#include "tst_testservice.moc"
