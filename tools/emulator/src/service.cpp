#include "service.h"

#include "dataset.h"

#include <QHash>
#include <QJsonParseError>
#include <QUrl>

#include <functional>

namespace Emu {

using namespace Qt::StringLiterals;

QList<QPair<QString, QString>> parseQuery(const QByteArray &query, bool plusIsSpace)
{
    QList<QPair<QString, QString>> out;
    for (QByteArray item : query.split('&')) {
        if (item.isEmpty())
            continue;
        if (plusIsSpace)
            item.replace('+', ' ');
        const qsizetype eq = item.indexOf('=');
        const QByteArray key = eq < 0 ? item : item.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : item.mid(eq + 1);
        out.append({QString::fromUtf8(QByteArray::fromPercentEncoding(key)),
                    QString::fromUtf8(QByteArray::fromPercentEncoding(value))});
    }
    return out;
}

Service::Service(DataSet &data)
    : m_data(data)
    , m_cvql(data)
    , m_graph(data)
    , m_rest(data, m_cvql)
{
}

QString Service::defaultToken(const QString &user)
{
    return u"emulator-token-"_s + user;
}

void Service::addToken(const QString &token, const QString &user)
{
    m_tokens.insert(token, user);
}

QString Service::userForToken(const QString &token) const
{
    const auto it = m_tokens.constFind(token);
    if (it != m_tokens.constEnd())
        return it.value();
    const QString prefix = defaultToken(QString());
    if (token.startsWith(prefix) && m_data.kindOf(token.mid(prefix.size())) == u"user"_s)
        return token.mid(prefix.size());
    return QString();
}

Reply Service::handle(const Request &request)
{
    ++m_requests;
    for (const auto &p : request.params) {
        if (p.first.size() > MaxParameterLength || p.second.size() > MaxParameterLength)
            return Reply::graphError(
                u"OAuthException"_s,
                u"(#100) Parameter %1 is longer than %2 characters"_s.arg(p.first.left(40))
                    .arg(MaxParameterLength));
    }
    if (request.path.startsWith(u"/_emulator/"_s))
        return control(request);

    Fault fault;
    const bool failing = m_faults.take(request.path, &fault);
    if (failing && !Faults::wrapsReply(fault))
        return Faults::apply(fault, request, Reply());

    Reply reply;
    if (request.path.startsWith(u"/_pictures/"_s)) {
        // Picture URLs are public: clients fetch them without a token, like paging links.
        reply = m_graph.picture(request);
    } else {
        Request r = failing ? Faults::rewrite(fault, request) : request;
        r.viewer = userForToken(request.param(u"access_token"_s));
        if (r.viewer.isEmpty()) {
            if (request.has(u"access_token"_s))
                reply = Reply::graphError(u"OAuthException"_s, oauthTokenMessage(), 400);
            else
                reply = Reply::graphError(
                    u"OAuthException"_s,
                    u"An active access token must be used to query information about the current user."_s,
                    400);
        } else {
            reply = dispatch(r);
        }
    }
    return failing ? Faults::apply(fault, request, reply) : reply;
}

Reply Service::dispatch(const Request &request)
{
    if (request.path.startsWith(u"/method/"_s))
        return m_rest.handle(request);
    if ((request.path == u"/"_s || request.path.isEmpty()) && request.method == "POST"
        && request.has(u"batch"_s))
        return batch(request);
    return m_graph.handle(request);
}

Reply Service::control(const Request &request)
{
    if (!request.loopback)
        return Reply::graphError(u"OAuthException"_s,
                                 u"The control path answers only on loopback."_s, 403);
    const QString action = request.path.mid(int(qstrlen("/_emulator/")));
    if (action == u"fail"_s) {
        QString error;
        if (!m_faults.add(request.params, &error))
            return Reply::graphError(u"OAuthException"_s, u"(#100) "_s + error);
    } else if (action == u"clear"_s) {
        m_faults.clear();
    } else if (action != u"status"_s) {
        return Reply::graphError(u"GraphMethodException"_s, u"Unknown control action."_s, 404);
    }
    return Reply::json(QJsonObject {{u"pending_failures"_s, m_faults.pending()},
                                    {u"requests"_s, double(m_requests)}});
}

Reply Service::batch(const Request &request)
{
    QJsonParseError parseError;
    const QJsonDocument doc
        = QJsonDocument::fromJson(request.param(u"batch"_s).toUtf8(), &parseError);
    if (!doc.isArray())
        return Reply::graphError(u"OAuthException"_s,
                                 u"(#100) The batch parameter must be a JSON array"_s);
    const QJsonArray items = doc.array();
    if (items.isEmpty() || items.size() > MaxBatchSize)
        return Reply::graphError(
            u"OAuthException"_s,
            u"(#100) A batch holds between 1 and %1 requests"_s.arg(MaxBatchSize));
    // Requests run in list order, except that one naming another in depends_on waits for it;
    // when that one failed or does not exist, the dependent is answered with an error instead.
    enum State { Pending, Running, Done };
    QList<State> states(items.size(), Pending);
    QList<QJsonValue> replies(items.size());
    QHash<QString, qsizetype> names;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString name = items.at(i).toObject().value(u"name"_s).toString();
        if (!name.isEmpty() && !names.contains(name))
            names.insert(name, i);
    }
    const std::function<void(qsizetype)> run = [&](qsizetype i) {
        states[i] = Running;
        const QJsonObject o = items.at(i).toObject();
        const QString dependency = o.value(u"depends_on"_s).toString();
        if (!dependency.isEmpty()) {
            const qsizetype j = names.value(dependency, -1);
            if (j >= 0 && states.at(j) == Pending)
                run(j);
            const bool failed = j < 0 || states.at(j) != Done || !replies.at(j).isObject()
                || replies.at(j).toObject().value(u"code"_s).toInt() >= 400;
            if (failed) {
                replies[i] = batchReply(Reply::graphError(
                    u"OAuthException"_s,
                    u"(#100) The request this one depends on failed or is not in the batch: %1"_s
                        .arg(dependency)));
                states[i] = Done;
                return;
            }
        }
        replies[i] = batchItem(request, o);
        states[i] = Done;
    };
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (states.at(i) == Pending)
            run(i);
    }
    QJsonArray answer;
    for (const QJsonValue &r : std::as_const(replies))
        answer.append(r);
    return Reply::json(answer);
}

QJsonValue Service::batchItem(const Request &request, const QJsonObject &o)
{
    const QString relative = o.value(u"relative_url"_s).toString();
    const QString method = o.value(u"method"_s).toString().toUpper();
    if (relative.isEmpty() || (method != u"GET"_s && method != u"POST"_s && method != u"DELETE"_s))
        return QJsonValue(QJsonValue::Null);
    Request sub;
    sub.method = method.toLatin1();
    sub.viewer = request.viewer;
    sub.baseUrl = request.baseUrl;
    sub.loopback = request.loopback;
    // Relative URLs travel as written: spaces and quotes may be raw or percent-encoded.
    const QString path = relative.section(u'?', 0, 0);
    sub.path = u'/' + QString::fromUtf8(QByteArray::fromPercentEncoding(path.toUtf8()));
    if (sub.path.startsWith(u"//"_s))
        sub.path = sub.path.mid(1);
    sub.params = parseQuery(relative.section(u'?', 1).toUtf8(), false);
    sub.params += parseQuery(o.value(u"body"_s).toString().toUtf8(), false);
    sub.params.append({u"access_token"_s, request.param(u"access_token"_s)});
    Reply r = dispatch(sub);
    if (sub.path.startsWith(u"/method/"_s) && r.body.startsWith('[')) {
        // Methods answering with an array are wrapped so every list reply has one form.
        r.body = "{\"data\":" + r.body + '}';
    }
    return batchReply(r);
}

QJsonObject Service::batchReply(const Reply &r)
{
    QJsonArray headers {QJsonObject {{u"name"_s, u"Content-Type"_s},
                                     {u"value"_s, QString::fromLatin1(r.contentType)}}};
    for (const auto &h : r.headers)
        headers.append(QJsonObject {{u"name"_s, QString::fromLatin1(h.first)},
                                    {u"value"_s, QString::fromUtf8(h.second)}});
    return QJsonObject {
        {u"code"_s, r.status}, {u"headers"_s, headers}, {u"body"_s, QString::fromUtf8(r.body)}};
}

} // namespace Emu
