// Request and reply values shared by every part of the emulator. They carry no transport state, so
// the routers can be driven directly (tests) or through the HTTP server.
#ifndef EMUTYPES_H
#define EMUTYPES_H

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

namespace Emu {

using namespace Qt::StringLiterals;

struct Request
{
    QByteArray method; // "GET", "POST", ...
    QString path; // decoded, begins with "/"
    QList<QPair<QString, QString>> params; // decoded query items (and form fields), in order
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QString baseUrl; // origin the client used, for absolute links
    QString viewer; // user id bound to the access token, set once the token is checked
    bool loopback = true;

    bool has(const QString &key) const;
    QString param(const QString &key, const QString &fallback = QString()) const;
    QByteArray header(const QByteArray &name) const;
};

struct Reply
{
    int status = 200;
    QByteArray contentType = "text/javascript; charset=UTF-8";
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    int delayMs = 0;
    bool drop = false; // cut the connection after the headers

    static Reply json(const QJsonObject &object, int status = 200);
    static Reply json(const QJsonArray &array, int status = 200);
    static Reply text(const QByteArray &text, int status = 200);
    // {"error":{"type":..., "message":...}}: the Graph endpoint's error body.
    static Reply graphError(const QString &type, const QString &message, int status = 400);
    // {"error_code":..., "error_msg":..., "request_args":[...]}: the REST endpoint's, with HTTP
    // 200.
    static Reply restError(int code, const QString &message, const Request &request);
};

QString oauthTokenMessage();

} // namespace Emu

#endif
