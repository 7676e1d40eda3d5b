#include "httpserver.h"

#include "service.h"

#include <QDateTime>
#include <QHttpServerRequest>
#include <QLocale>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace Emu {

using namespace Qt::StringLiterals;

namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
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

QByteArray methodName(QHttpServerRequest::Method m)
{
    switch (m) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    default:
        return "OTHER";
    }
}

} // namespace

HttpServer::HttpServer(Service &service, bool tls, QObject *parent)
    : QAbstractHttpServer(parent)
    , m_service(service)
    , m_tls(tls)
{
}

QByteArray HttpServer::dateHeader()
{
    // English names whatever the process locale is.
    return QLocale::c()
        .toString(QDateTime::currentDateTimeUtc(), u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s)
        .toLatin1();
}

QByteArray HttpServer::serialize(const Reply &reply)
{
    QByteArray out
        = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) + "\r\n";
    out += "Date: " + dateHeader() + "\r\n";
    out += "Content-Type: " + reply.contentType + "\r\n";
    // A dropped reply promises more body than it will ever send.
    out += "Content-Length: " + QByteArray::number(reply.body.size() + (reply.drop ? 4096 : 0))
        + "\r\n";
    out += "Cache-Control: private, no-cache, no-store, must-revalidate\r\n";
    for (const auto &h : reply.headers)
        out += h.first + ": " + h.second + "\r\n";
    out += "\r\n";
    out += reply.body;
    return out;
}

bool HttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    Request r;
    r.method = methodName(request.method());
    const QUrl url = request.url();
    r.path = url.path(QUrl::FullyDecoded);
    if (r.path.isEmpty())
        r.path = u"/"_s;
    // "+" means a space as in HTML forms; clients that mean a plus sign send %2B.
    r.params = parseQuery(url.query(QUrl::FullyEncoded).toLatin1(), true);
    r.headers = request.headers();
    r.body = request.body();
    if (r.method == "POST"
        && r.header("Content-Type").startsWith("application/x-www-form-urlencoded"))
        r.params += parseQuery(r.body, true);
    const QByteArray host = r.header("Host");
    r.baseUrl = (m_tls ? u"https://"_s : u"http://"_s) + QString::fromLatin1(host);
    r.loopback = request.remoteAddress().isLoopback();

    const Reply reply = m_service.handle(r);
    QByteArray bytes = serialize(reply);
    if (reply.drop) {
        // Headers and part of the body, then the connection is cut: clients see a network error
        // in the middle of a reply and cannot mistake it for a closed idle connection.
        bytes.truncate(bytes.size() - reply.body.size() / 2);
    }
    QPointer<QTcpSocket> guard(socket);
    auto send = [guard, bytes, drop = reply.drop]() {
        if (!guard)
            return;
        guard->write(bytes);
        if (drop) {
            guard->flush();
            guard->abort();
        }
    };
    if (reply.delayMs > 0)
        QTimer::singleShot(reply.delayMs, socket, send);
    else
        send();
    return true;
}

void HttpServer::missingHandler(const QHttpServerRequest &, QTcpSocket *socket)
{
    Reply r = Reply::graphError(u"GraphMethodException"_s, u"Unsupported request."_s, 400);
    socket->write(serialize(r));
}

} // namespace Emu
