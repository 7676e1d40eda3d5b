#include "cvendpoints.h"
#include "cverror.h"
#include "cvgraphconnect.h"
#include "cvlogger.h"
#include "testservice.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace Cv;
using namespace Qt::StringLiterals;
using R = TestService::Reply;

struct CannedReply
{
    R reply;
};
Q_DECLARE_METATYPE(CannedReply)

namespace {

QStringList g_log;
void captureMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_log.append(text);
}

// The two ways a request ends: a response or an error, each with the request's id.
struct Ends
{
    explicit Ends(CvGraphConnect *c)
        : responses(c, &CvGraphConnect::response)
        , errors(c, &CvGraphConnect::error)
    {
    }
    int count() const { return responses.size() + errors.size(); }
    // Waits for the first end, then a little longer so that a second one would show.
    bool waitForEnd()
    {
        if (!QTest::qWaitFor([this] { return count() > 0; }, 10000))
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

// A transport talking to a fresh service, initialized unless asked not to be.
struct Setup
{
    explicit Setup(const QString &token = u"t"_s, bool initialized = true)
        : connect(token)
        , ends(&connect)
    {
        CvEndpoints::setGraphBaseUrl(service.baseUrl());
        if (initialized)
            connect.init();
    }
    TestService service;
    CvGraphConnect connect;
    Ends ends;
};

} // namespace

class tst_CvGraphConnect : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requestBeforeInitIsRefused();
    void replyIdsUseLowestFreeSlot();
    void oneEndPerReply_data();
    void oneEndPerReply();
    void queryOrderAndEncoding();
    void postAndDelete();
    void tlsTrust();
    void deinitAbortsPendingReplies();
    void receiverMayDestroyTransport();
    void tokenOnlyToConfiguredOrigins();
    void tokenIsRedactedInEveryLogLine();
};

void tst_CvGraphConnect::init()
{
    CvEndpoints::reset();
    // Expected failures would flood the output with warnings; the log test turns them on.
    SetLoggingLevel(LogErrors);
}

void tst_CvGraphConnect::cleanup()
{
    CvEndpoints::reset();
    SetLoggingLevel(LogWarnings);
}

void tst_CvGraphConnect::requestBeforeInitIsRefused()
{
    Setup s(u"token"_s, false);
    QCOMPARE(s.connect.get(u"/me"_s), -1);
    QCOMPARE(int(s.connect.lastError().replyErrorCode()), 99);
    QCOMPARE(s.connect.post(u"/me/feed"_s, nullptr), -1);
    QTest::qWait(100);
    QCOMPARE(s.ends.count(), 0);
    QCOMPARE(s.service.requestCount(), 0);

    QVERIFY(s.connect.init());
    QVERIFY(s.connect.lastError().isEmpty());
}

void tst_CvGraphConnect::replyIdsUseLowestFreeSlot()
{
    Setup s;
    s.service.setHandler([](const TestService::Request &r) {
        R reply = R::json("{}");
        reply.delayMs = r.path == QLatin1String("/b") ? 0 : 1500;
        return reply;
    });
    QCOMPARE(s.connect.get(u"/a"_s), 0);
    QCOMPARE(s.connect.get(u"/b"_s), 1);
    QCOMPARE(s.connect.get(u"/c"_s), 2);
    QVERIFY(s.ends.responses.wait(5000));
    QCOMPARE(s.ends.responseId(), 1);
    QCOMPARE(s.connect.get(u"/b"_s), 1);
    QTRY_COMPARE_WITH_TIMEOUT(s.ends.responses.size(), 4, 5000);
    QCOMPARE(s.ends.errors.size(), 0);
    QList<int> ids;
    for (const auto &args : std::as_const(s.ends.responses))
        ids.append(args.at(1).toInt());
    std::sort(ids.begin(), ids.end());
    QCOMPARE(ids, QList<int>({0, 1, 1, 2}));

    // Idle for 2 s: the manager is released, its connections close, numbering restarts.
    const int connectionsBefore = s.service.connectionCount();
    QVERIFY(s.service.openConnectionCount() > 0);
    QTRY_COMPARE_WITH_TIMEOUT(s.service.openConnectionCount(), 0, 6000);
    QCOMPARE(s.connect.get(u"/b"_s), 0);
    QTRY_COMPARE_WITH_TIMEOUT(s.ends.responses.size(), 5, 5000);
    QCOMPARE(s.ends.responseId(4), 0);
    QVERIFY(s.service.connectionCount() > connectionsBefore);
}

void tst_CvGraphConnect::oneEndPerReply_data()
{
    QTest::addColumn<CannedReply>("canned"); // answers every request
    QTest::addColumn<int>("code"); // the reply's error code; 0 for a response
    const auto add = [](const char *name, const R &reply, QNetworkReply::NetworkError code) {
        QTest::newRow(name) << CannedReply {reply} << int(code);
    };
    const auto ok = QNetworkReply::NoError;
    const QByteArray large(100000, 'x');

    add("json", R::json("{\"id\":\"1\"}"), ok);
    add("empty body", R::text(QByteArray()), ok);
    add("redirect not followed", R::redirect("http://127.0.0.1:1/picture.jpg"), ok);
    R trickle = R::text(QByteArray(500, 't'));
    trickle.chunkSize = 100; // slower in total than the time-out, but never idle for that long
    trickle.chunkIntervalMs = 250;
    add("trickled within time-out", trickle, ok);
    R drip = R::text(QByteArray(100, 'd'));
    drip.chunkSize = 1; // never idle for the transfer time-out, but never done either
    drip.chunkIntervalMs = 300;
    add("dripping past the deadline", drip, QNetworkReply::TimeoutError);
    add("large within limit", R::text(large), ok);
    add("http 500", R::json("{\"error\":{}}", 500), QNetworkReply::InternalServerError);
    add("http 404", R::text("gone", 404), QNetworkReply::ContentNotFoundError);
    add("dropped", R::dropped(), QNetworkReply::RemoteHostClosedError);
    add("reset in body", R::dropped("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"),
        QNetworkReply::RemoteHostClosedError);
    add("unreachable port", R(), QNetworkReply::ConnectionRefusedError);
    add("stalled", R::stalled(), QNetworkReply::TimeoutError);
    R stalledBody = R::text("0123456789");
    stalledBody.stallAfter = 70;
    add("stalled in body", stalledBody, QNetworkReply::TimeoutError);
    R declared = R::text("small");
    declared.contentLength = 100001; // the rest never comes: only the header can abort it
    add("declared too large", declared, QNetworkReply::UnknownContentError);
    R streamed = R::text(large + "y");
    streamed.contentLength = -2;
    add("streamed too large", streamed, QNetworkReply::UnknownContentError);
}

void tst_CvGraphConnect::oneEndPerReply()
{
    QFETCH(CannedReply, canned);
    QFETCH(int, code);

    CvEndpoints::setTransferTimeout(1000);
    CvEndpoints::setRequestDeadline(4000);
    CvEndpoints::setMaxReplySize(100000);
    Setup s;
    s.service.setHandler([&canned](const TestService::Request &) { return canned.reply; });
    if (code == QNetworkReply::ConnectionRefusedError) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        QVERIFY(CvEndpoints::setGraphBaseUrl(QUrl(u"http://127.0.0.1:%1"_s.arg(port))));
    }
    QByteArray body;
    QVariant location;
    QObject::connect(&s.connect, &CvGraphConnect::response, this, [&](QNetworkReply *r, int) {
        body = r->readAll();
        location = r->header(QNetworkRequest::LocationHeader);
    });
    QCOMPARE(s.connect.get(u"/me"_s), 0);
    QVERIFY(s.ends.waitForEnd());
    QCOMPARE(s.ends.count(), 1);
    if (code == QNetworkReply::NoError) {
        QCOMPARE(s.ends.responseId(), 0);
        QCOMPARE(body, canned.reply.body);
        QVERIFY(s.connect.lastError().isEmpty());
        QCOMPARE(s.service.requestCount(), 1);
        QUrl redirect; // handed on as the reply's header, not followed
        for (const auto &header : std::as_const(canned.reply.headers)) {
            if (header.first == "Location")
                redirect = QUrl(QString::fromLatin1(header.second));
        }
        QCOMPARE(location.toUrl(), redirect);
    } else {
        QCOMPARE(s.ends.errorId(), 0);
        QCOMPARE(int(s.ends.error().replyErrorCode()), code);
        QCOMPARE(int(s.connect.lastError().replyErrorCode()), code);
        if (code == QNetworkReply::InternalServerError)
            QCOMPARE(s.ends.error().corvanaErrorString(), u"{\"error\":{}}"_s);
    }
    // The slot is free again.
    QCOMPARE(s.connect.get(u"/me"_s), 0);
}

void tst_CvGraphConnect::queryOrderAndEncoding()
{
    Setup s(u"TOKEN123"_s);
    const QMap<QString, QString> params {
        {u"b"_s, u"x y"_s}, {u"a"_s, u"1"_s}, {u"c"_s, u"\u00e9,/?&=+~._-*%"_s}};
    QCOMPARE(s.connect.get(u"/me/feed?fields=id"_s, params), 0);
    QVERIFY(s.service.waitForRequests(1));
    TestService::Request r = s.service.lastRequest();
    QCOMPARE(r.method, QByteArray("GET"));
    QCOMPARE(r.target,
             QByteArray("/me/feed?fields=id&access_token=TOKEN123&a=1&b=x%20y"
                        "&c=%C3%A9%2C%2F%3F%26%3D%2B~._-%2A%25"));
    QVERIFY(r.body.isEmpty());

    // An absolute URL is sent as it is: no token, also when one is set.
    QVERIFY(s.connect.get(QUrl(s.service.baseUrl().toString() + u"/page?after=abc&access=1"_s))
            >= 0);
    QVERIFY(s.service.waitForRequests(2));
    QCOMPARE(s.service.lastRequest().target, QByteArray("/page?after=abc&access=1"));

    // The base URL is read per request; without a token nothing is added but the parameters.
    TestService second;
    QVERIFY(CvEndpoints::setGraphBaseUrl(second.baseUrl()));
    QVERIFY(s.connect.get(u"/two"_s) >= 0);
    QVERIFY(second.waitForRequests(1));
    QCOMPARE(second.lastRequest().target, QByteArray("/two?access_token=TOKEN123"));
    CvGraphConnect anonymous;
    anonymous.init();
    QCOMPARE(anonymous.get(u"/x"_s, {{u"q"_s, u"1"_s}}), 0);
    QVERIFY(second.waitForRequests(2));
    QCOMPARE(second.lastRequest().target, QByteArray("/x?q=1"));
    QCOMPARE(s.service.requestCount(), 2);
}

void tst_CvGraphConnect::postAndDelete()
{
    Setup s(u"TOKEN123"_s);
    // The n-th request to arrive; an empty one, failing the checks, if it never does.
    const auto received = [&s](int n) {
        return s.service.waitForRequests(n) ? s.service.lastRequest() : TestService::Request();
    };
    QCOMPARE(s.connect.del(u"/123"_s), 0);
    TestService::Request r = received(1);
    QCOMPARE(r.method, QByteArray("POST"));
    QCOMPARE(r.target, QByteArray("/123?access_token=TOKEN123&method=delete"));
    QVERIFY(r.body.isEmpty());
    QCOMPARE(r.header("Content-Length"), QByteArray("0"));
    QCOMPARE(r.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));

    const QByteArray text("message body");
    QVERIFY(s.connect.post(u"/me/feed"_s, {{u"message"_s, u"hi there"_s}}, &text) >= 0);
    r = received(2);
    QCOMPARE(r.method, QByteArray("POST"));
    QCOMPARE(r.target, QByteArray("/me/feed?access_token=TOKEN123&message=hi%20there"));
    QCOMPARE(r.body, text);

    const QByteArray multipart("--xyz\r\ncontent\r\n--xyz--\r\n");
    const QMap<QNetworkRequest::KnownHeaders, QVariant> headers {
        {QNetworkRequest::UserAgentHeader, QByteArray("corvana-test")},
        {QNetworkRequest::ContentTypeHeader, QByteArray("multipart/form-data; boundary=xyz")},
    };
    QVERIFY(s.connect.post(u"/1/photos"_s, headers, {}, &multipart) >= 0);
    r = received(3);
    QCOMPARE(r.target, QByteArray("/1/photos?access_token=TOKEN123"));
    QCOMPARE(r.body, multipart);
    QCOMPARE(r.header("Content-Type"), QByteArray("multipart/form-data; boundary=xyz"));
    QCOMPARE(r.header("User-Agent"), QByteArray("corvana-test"));

    QTRY_COMPARE(s.ends.count(), 3);
    QCOMPARE(s.ends.errors.size(), 3); // nothing was queued: 404 each
}

void tst_CvGraphConnect::tlsTrust()
{
    TestService service(TestService::Tls);
    QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
    service.setHandler([](const TestService::Request &) { return R::json("{}"); });
    for (const bool trusted : {false, true}) {
        if (trusted)
            CvEndpoints::setCaCertificates(TestService::caCertificates());
        CvGraphConnect connect(u"t"_s);
        connect.init();
        Ends ends(&connect);
        QCOMPARE(connect.get(u"/me"_s), 0);
        QVERIFY(ends.waitForEnd());
        QCOMPARE(ends.count(), 1);
        QCOMPARE(ends.responses.size(), trusted ? 1 : 0);
        if (!trusted)
            QCOMPARE(ends.error().replyErrorCode(), QNetworkReply::SslHandshakeFailedError);
        QCOMPARE(service.requestCount(), trusted ? 1 : 0);
    }
}

void tst_CvGraphConnect::deinitAbortsPendingReplies()
{
    Setup s;
    s.service.setHandler([](const TestService::Request &) { return R::stalled(); });
    QCOMPARE(s.connect.get(u"/a"_s), 0);
    QCOMPARE(s.connect.get(u"/b"_s), 1);
    QVERIFY(s.service.waitForRequests(2));
    QVERIFY(s.connect.deinit());
    QCOMPARE(s.ends.errors.size(), 2);
    QCOMPARE(s.ends.error(0).replyErrorCode(), QNetworkReply::OperationCanceledError);
    QCOMPARE(s.ends.errorId(0) + s.ends.errorId(1), 1);
    QTest::qWait(100);
    QCOMPARE(s.ends.count(), 2);
    QCOMPARE(s.connect.get(u"/c"_s), 0);
}

void tst_CvGraphConnect::receiverMayDestroyTransport()
{
    TestService service;
    QVERIFY(CvEndpoints::setGraphBaseUrl(service.baseUrl()));
    service.enqueue(R::json("{}"));
    service.enqueue(R::text("x", 500));
    auto *connect = new CvGraphConnect(u"t"_s);
    connect->init();
    QByteArray body;
    QObject::connect(connect, &CvGraphConnect::response, this, [&](QNetworkReply *r, int) {
        body = r->readAll();
        delete connect;
        connect = nullptr;
    });
    connect->get(u"/a"_s);
    QTRY_VERIFY(!connect);
    QCOMPARE(body, QByteArray("{}"));

    connect = new CvGraphConnect(u"t"_s);
    connect->init();
    QObject::connect(connect, &CvGraphConnect::error, this, [&](const CvError &, int) {
        delete connect;
        connect = nullptr;
    });
    connect->get(u"/b"_s);
    QTRY_VERIFY(!connect);
}

void tst_CvGraphConnect::tokenOnlyToConfiguredOrigins()
{
    Setup s(u"token"_s);
    TestService other;
    const QUrl elsewhere(other.baseUrl().toString() + u"/x"_s);
    other.setHandler([](const TestService::Request &) { return R::json("{}"); });
    // Refused before sending: the token bound elsewhere, schemes that are not fetched.
    QCOMPARE(s.connect.get(elsewhere, {}), -1);
    QCOMPARE(s.connect.get(QUrl(u"file:///etc/hostname"_s)), -1);
    QCOMPARE(s.connect.get(QUrl(u"http://192.0.2.1/p.jpg"_s)), -1);
    QCOMPARE(int(s.connect.lastError().replyErrorCode()), int(QNetworkReply::ProtocolUnknownError));
    // Without the token any fetchable URL goes; the REST origin gets the token too.
    QVERIFY(s.connect.get(elsewhere) >= 0);
    QVERIFY(other.waitForRequests(1));
    QVERIFY(other.lastRequest().queryValue(u"access_token"_s).isNull());
    QVERIFY(CvEndpoints::setRestBaseUrl(other.baseUrl()));
    QVERIFY(s.connect.get(elsewhere, {}) >= 0);
    QVERIFY(other.waitForRequests(2));
    QCOMPARE(other.lastRequest().queryValue(u"access_token"_s), u"token"_s);
    QCOMPARE(other.requestCount(), 2);
    QCOMPARE(s.service.requestCount(), 0);
}

void tst_CvGraphConnect::tokenIsRedactedInEveryLogLine()
{
    g_log.clear();
    SetLoggingLevel(LogTrace);
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    QString port;
    {
        Setup s(u"SECRETTOKEN1234"_s);
        port = QString::number(s.service.port());
        s.service.enqueue(R::json("{\"echo\":\"SECRETTOKEN1234\"}"));
        s.service.enqueue(R::json("{\"error\":{}}", 500));
        s.service.enqueue(R::json("{}"));
        s.connect.get(u"/me"_s, {{u"x"_s, u"1"_s}});
        QTRY_COMPARE(s.ends.count(), 1);
        s.connect.get(u"/fails"_s);
        QTRY_COMPARE(s.ends.count(), 2);
        s.connect.get(
            QUrl(s.service.baseUrl().toString() + u"/next?access_token=SECRETTOKEN1234&after=2"_s));
        QTRY_COMPARE(s.ends.count(), 3);
    }
    qInstallMessageHandler(previous);
    SetLoggingLevel(LogErrors);

    const QStringList expected {
        u"\"Using access token [SECR\u2026]\" "_s,
        u"\"Sending request: http://127.0.0.1:%1/me?access_token=SECR\u2026&x=1\" "_s.arg(port),
        u"\"CvGraphConnect: Reply stored using id: [0]\" "_s,
        u"\"CvGraphConnect: Reply id: [0]\" "_s,
        u"\"CvGraphConnect: Reply [0] removed\" "_s,
        u"\"Sending request: http://127.0.0.1:%1/next?access_token=SECR\u2026&after=2\" "_s.arg(
            port),
    };
    for (const QString &line : expected)
        QVERIFY2(g_log.contains(line), qPrintable(line));
    bool sawError = false;
    for (const QString &line : std::as_const(g_log)) {
        QVERIFY2(!line.contains(QLatin1String("ETTOKEN")), qPrintable(line));
        sawError = sawError || line.startsWith(QLatin1String("\"Encountered an error: "));
    }
    QVERIFY(sawError);
}

QTEST_GUILESS_MAIN(tst_CvGraphConnect)
#include "tst_cvgraphconnect.moc"
