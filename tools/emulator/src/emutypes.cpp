#include "emutypes.h"

namespace Emu {

bool Request::has(const QString &key) const
{
    for (const auto &p : params) {
        if (p.first == key)
            return true;
    }
    return false;
}

QString Request::param(const QString &key, const QString &fallback) const
{
    for (const auto &p : params) {
        if (p.first == key)
            return p.second;
    }
    return fallback;
}

QByteArray Request::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return QByteArray();
}

Reply Reply::json(const QJsonObject &object, int status)
{
    Reply r;
    r.status = status;
    r.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return r;
}

Reply Reply::json(const QJsonArray &array, int status)
{
    Reply r;
    r.status = status;
    r.body = QJsonDocument(array).toJson(QJsonDocument::Compact);
    return r;
}

Reply Reply::text(const QByteArray &text, int status)
{
    Reply r;
    r.status = status;
    r.body = text;
    return r;
}

Reply Reply::graphError(const QString &type, const QString &message, int status)
{
    QJsonObject error {{u"type"_s, type}, {u"message"_s, message}};
    Reply r = json(QJsonObject {{u"error"_s, error}}, status);
    // The service names the failure in a header too; clients that only look at headers see it.
    r.headers.append({"WWW-Authenticate", "OAuth \"Corvana Platform\" \"" + type.toUtf8() + "\""});
    return r;
}

Reply Reply::restError(int code, const QString &message, const Request &request)
{
    QJsonArray args;
    for (const auto &p : request.params) {
        if (p.first == u"access_token"_s)
            continue; // never echo a secret
        args.append(QJsonObject {{u"key"_s, p.first}, {u"value"_s, p.second}});
    }
    // QJsonObject orders its members by name, so error_code comes first as clients expect.
    return json(QJsonObject {
        {u"error_code"_s, code}, {u"error_msg"_s, message}, {u"request_args"_s, args}});
}

QString oauthTokenMessage()
{
    return u"Error validating access token: the session is invalid or has expired."_s;
}

} // namespace Emu
