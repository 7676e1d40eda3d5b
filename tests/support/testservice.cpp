#include "testservice.h"

#include <QFile>
#include <QHash>
#include <QPointer>
#include <QQueue>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#ifndef CVTEST_CERT_DIR
#error "CVTEST_CERT_DIR must name the directory of the test certificates"
#endif

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray serialize(const TestService::Reply &reply)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + ' '
        + (reply.reason.isEmpty() ? reasonPhrase(reply.status) : reply.reason) + "\r\n";
    for (const auto &h : reply.headers)
        out += h.first + ": " + h.second + "\r\n";
    if (reply.contentLength == -1)
        out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    else if (reply.contentLength >= 0)
        out += "Content-Length: " + QByteArray::number(reply.contentLength) + "\r\n";
    else
        out += "Connection: close\r\n";
    out += "\r\n";
    out += reply.body;
    return out;
}

} // namespace

class TestServiceServer : public QTcpServer
{
public:
    explicit TestServiceServer(TestServicePrivate *d)
        : d(d)
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    TestServicePrivate *d;
};

class TestServicePrivate
{
public:
    struct Connection
    {
        int id = 0;
        QByteArray buffer;
        bool busy = false; // a reply is being sent; later requests wait in the buffer
    };

    TestServicePrivate(TestService *q, TestService::Mode mode)
        : q(q)
        , mode(mode)
        , server(this)
    {
    }

    void accept(qintptr descriptor);
    void readFrom(QTcpSocket *socket);
    void parseNext(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const TestService::Reply &reply);
    void sendPiece(QTcpSocket *socket, const QByteArray &data, qint64 offset,
                   const TestService::Reply &reply);
    void finishReply(QTcpSocket *socket, const TestService::Reply &reply);
    void forget(QTcpSocket *socket);

    TestService *q;
    TestService::Mode mode;
    TestServiceServer server;
    QSslCertificate certificate;
    QSslKey key;
    QQueue<TestService::Reply> queue;
    TestService::Handler handler;
    QList<TestService::Request> requests;
    QHash<QTcpSocket *, Connection> connections;
    int connectionSerial = 0;
};

void TestServiceServer::incomingConnection(qintptr descriptor)
{
    d->accept(descriptor);
}

void TestServicePrivate::accept(qintptr descriptor)
{
    QTcpSocket *socket = nullptr;
    if (mode == TestService::Tls) {
        auto *ssl = new QSslSocket(q);
        if (!ssl->setSocketDescriptor(descriptor)) {
            delete ssl;
            return;
        }
        ssl->setLocalCertificate(certificate);
        ssl->setPrivateKey(key);
        ssl->setPeerVerifyMode(QSslSocket::VerifyNone);
        ssl->startServerEncryption();
        socket = ssl;
    } else {
        socket = new QTcpSocket(q);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
    }
    Connection c;
    c.id = ++connectionSerial;
    connections.insert(socket, c);
    QObject::connect(socket, &QTcpSocket::readyRead, q, [this, socket] { readFrom(socket); });
    QObject::connect(socket, &QTcpSocket::disconnected, q, [this, socket] { forget(socket); });
    QObject::connect(socket, &QAbstractSocket::errorOccurred, q,
                     [this, socket](QAbstractSocket::SocketError) {
                         if (socket->state() != QAbstractSocket::ConnectedState)
                             forget(socket);
                     });
}

void TestServicePrivate::forget(QTcpSocket *socket)
{
    if (connections.remove(socket)) {
        socket->disconnect(q);
        socket->deleteLater();
    }
}

void TestServicePrivate::readFrom(QTcpSocket *socket)
{
    auto it = connections.find(socket);
    if (it == connections.end())
        return;
    it->buffer += socket->readAll();
    parseNext(socket);
}

void TestServicePrivate::parseNext(QTcpSocket *socket)
{
    auto it = connections.find(socket);
    if (it == connections.end() || it->busy)
        return;
    QByteArray &buffer = it->buffer;
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;

    TestService::Request request;
    request.connection = it->id;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    qint64 contentLength = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append(qMakePair(name, value));
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
            contentLength = value.toLongLong();
    }
    const qint64 total = headerEnd + 4 + contentLength;
    if (buffer.size() < total)
        return;
    request.body = buffer.mid(headerEnd + 4, contentLength);
    buffer.remove(0, total);

    const int question = request.target.indexOf('?');
    request.rawPath = question < 0 ? request.target : request.target.left(question);
    request.rawQuery = question < 0 ? QByteArray() : request.target.mid(question + 1);
    request.path = QUrl::fromPercentEncoding(request.rawPath);
    if (!request.rawQuery.isEmpty()) {
        for (const QByteArray &item : request.rawQuery.split('&')) {
            const int eq = item.indexOf('=');
            const QByteArray k = eq < 0 ? item : item.left(eq);
            const QByteArray v = eq < 0 ? QByteArray() : item.mid(eq + 1);
            request.rawQueryItems.append(qMakePair(k, v));
            request.queryItems.append(
                qMakePair(QUrl::fromPercentEncoding(k), QUrl::fromPercentEncoding(v)));
        }
    }

    it->busy = true;
    requests.append(request);
    TestService::Reply reply;
    if (!queue.isEmpty())
        reply = queue.dequeue();
    else if (handler)
        reply = handler(request);
    else
        reply = TestService::Reply::text("no canned reply", 404);
    Q_EMIT q->requestReceived(request);

    if (reply.delayMs > 0) {
        QTimer::singleShot(reply.delayMs, socket, [this, socket, reply] { answer(socket, reply); });
    } else {
        answer(socket, reply);
    }
}

void TestServicePrivate::answer(QTcpSocket *socket, const TestService::Reply &reply)
{
    if (!connections.contains(socket))
        return;
    QByteArray data = reply.contentLength == -3 ? reply.body : serialize(reply);
    if (reply.stallAfter >= 0)
        data.truncate(reply.stallAfter);
    if (reply.drop) {
        if (!data.isEmpty()) {
            socket->write(data);
            socket->flush();
        }
        socket->abort();
        forget(socket);
        return;
    }
    sendPiece(socket, data, 0, reply);
}

void TestServicePrivate::sendPiece(QTcpSocket *socket, const QByteArray &data, qint64 offset,
                                   const TestService::Reply &reply)
{
    if (!connections.contains(socket))
        return;
    if (reply.chunkSize <= 0) {
        socket->write(data);
        finishReply(socket, reply);
        return;
    }
    socket->write(data.mid(offset, reply.chunkSize));
    const qint64 next = offset + reply.chunkSize;
    if (next >= data.size()) {
        finishReply(socket, reply);
        return;
    }
    QTimer::singleShot(reply.chunkIntervalMs, socket,
                       [this, socket, data, next, reply] { sendPiece(socket, data, next, reply); });
}

void TestServicePrivate::finishReply(QTcpSocket *socket, const TestService::Reply &reply)
{
    // A stalled reply keeps the connection busy for good: the client must give up by itself.
    if (reply.stallAfter >= 0)
        return;
    if (reply.contentLength == -2) {
        socket->disconnectFromHost();
        return;
    }
    auto it = connections.find(socket);
    if (it == connections.end())
        return;
    it->busy = false;
    // Pipelined requests may already be waiting.
    QTimer::singleShot(0, socket, [this, socket] { parseNext(socket); });
}

TestService::TestService(Mode mode, QObject *parent)
    : QObject(parent)
    , d_ptr(new TestServicePrivate(this, mode))
{
    Q_D(TestService);
    if (mode == Tls) {
        const QString dir = certificateDirectory();
        QFile certFile(dir + QLatin1String("/test-server.pem"));
        QFile keyFile(dir + QLatin1String("/test-server.key"));
        if (certFile.open(QIODevice::ReadOnly) && keyFile.open(QIODevice::ReadOnly)) {
            d->certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
            d->key = QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem);
        }
        if (d->certificate.isNull() || d->key.isNull()) {
            qWarning("TestService: cannot load the test certificate from %s", qPrintable(dir));
            return;
        }
    }
    d->server.listen(QHostAddress::LocalHost, 0);
}

TestService::~TestService()
{
    Q_D(TestService);
    d->server.close();
    // Sockets would report their own teardown into this object while it is half destroyed.
    const QList<QTcpSocket *> sockets = d->connections.keys();
    d->connections.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        delete socket;
    }
}

bool TestService::isListening() const
{
    return d_func()->server.isListening();
}

quint16 TestService::port() const
{
    return d_func()->server.serverPort();
}

QUrl TestService::baseUrl() const
{
    QUrl url;
    url.setScheme(d_func()->mode == Tls ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port());
    return url;
}

void TestService::enqueue(const Reply &reply)
{
    d_func()->queue.enqueue(reply);
}

void TestService::setHandler(const Handler &handler)
{
    d_func()->handler = handler;
}

int TestService::pendingReplies() const
{
    return d_func()->queue.size();
}

QList<TestService::Request> TestService::requests() const
{
    return d_func()->requests;
}

int TestService::requestCount() const
{
    return d_func()->requests.size();
}

TestService::Request TestService::lastRequest() const
{
    return d_func()->requests.isEmpty() ? Request() : d_func()->requests.constLast();
}

void TestService::clearRequests()
{
    d_func()->requests.clear();
}

bool TestService::waitForRequests(int count, int timeoutMs)
{
    return QTest::qWaitFor([this, count] { return requestCount() >= count; }, timeoutMs);
}

int TestService::connectionCount() const
{
    return d_func()->connectionSerial;
}

int TestService::openConnectionCount() const
{
    return d_func()->connections.size();
}

void TestService::closeConnections()
{
    Q_D(TestService);
    const QList<QTcpSocket *> sockets = d->connections.keys();
    for (QTcpSocket *socket : sockets) {
        socket->abort();
        d->forget(socket);
    }
}

QList<QSslCertificate> TestService::caCertificates()
{
    return QSslCertificate::fromPath(certificateDirectory() + QLatin1String("/test-ca.pem"),
                                     QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
}

QString TestService::certificateDirectory()
{
    return QStringLiteral(CVTEST_CERT_DIR);
}

QByteArray TestService::Request::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return QByteArray();
}

bool TestService::Request::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString TestService::Request::queryValue(const QString &key) const
{
    for (const auto &item : queryItems) {
        if (item.first == key)
            return item.second;
    }
    return QString();
}

QStringList TestService::Request::queryKeys() const
{
    QStringList keys;
    for (const auto &item : queryItems)
        keys.append(item.first);
    return keys;
}

TestService::Reply TestService::Reply::json(const QByteArray &body, int status)
{
    Reply r;
    r.status = status;
    r.body = body;
    r.header("Content-Type", "application/json; charset=UTF-8");
    return r;
}

TestService::Reply TestService::Reply::text(const QByteArray &body, int status)
{
    Reply r;
    r.status = status;
    r.body = body;
    r.header("Content-Type", "text/plain; charset=UTF-8");
    return r;
}

TestService::Reply TestService::Reply::redirect(const QByteArray &location, int status)
{
    Reply r;
    r.status = status;
    r.header("Location", location);
    return r;
}

TestService::Reply TestService::Reply::dropped(const QByteArray &partial)
{
    Reply r;
    r.drop = true;
    r.contentLength = -3;
    r.body = partial;
    return r;
}

TestService::Reply TestService::Reply::stalled()
{
    Reply r;
    r.stallAfter = 0;
    return r;
}
