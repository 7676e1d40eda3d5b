#include "faults.h"

namespace Emu {

using namespace Qt::StringLiterals;

QStringList Faults::modeNames()
{
    return {u"status"_s, u"feed-limit"_s, u"permission"_s, u"rest-unknown"_s, u"rest-permission"_s,
            u"delay"_s,  u"drop"_s,       u"not-json"_s,   u"repeat-page"_s};
}

bool Faults::add(const QList<QPair<QString, QString>> &items, QString *error)
{
    Fault f;
    int count = 1;
    bool statusGiven = false;
    for (const auto &item : items) {
        bool ok = true;
        if (item.first == u"count"_s) {
            count = item.second.toInt(&ok);
            ok = ok && count >= 0 && count <= 100000;
        } else if (item.first == u"mode"_s) {
            const int m = int(modeNames().indexOf(item.second));
            ok = m >= 0;
            f.mode = Fault::Mode(std::max(0, m));
        } else if (item.first == u"status"_s) {
            f.status = item.second.toInt(&ok);
            ok = ok && f.status >= 200 && f.status <= 599;
            statusGiven = true;
        } else if (item.first == u"ms"_s) {
            f.delayMs = item.second.toInt(&ok);
            ok = ok && f.delayMs >= 0 && f.delayMs <= 600000;
        } else if (item.first == u"match"_s) {
            f.match = item.second;
        } else if (item.first != u"access_token"_s) {
            ok = false;
        }
        if (!ok) {
            *error = u"invalid failure setting %1=%2"_s.arg(item.first, item.second);
            return false;
        }
    }
    if (!statusGiven) {
        // The service's own statuses for these failures.
        if (f.mode == Fault::FeedLimit || f.mode == Fault::Permission)
            f.status = 403;
        else if (f.mode == Fault::RestUnknown || f.mode == Fault::RestPermission
                 || f.mode == Fault::NotJson)
            f.status = 200;
    }
    for (int i = 0; i < count; ++i)
        m_pending.append(f);
    return true;
}

bool Faults::addRule(const QString &rule, QString *error)
{
    QList<QPair<QString, QString>> items;
    for (const QString &part : rule.split(u',', Qt::SkipEmptyParts))
        items.append({part.section(u'=', 0, 0), part.section(u'=', 1)});
    return add(items, error);
}

bool Faults::take(const QString &path, Fault *fault)
{
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (path.contains(m_pending.at(i).match)) {
            *fault = m_pending.takeAt(i);
            return true;
        }
    }
    return false;
}

bool Faults::wrapsReply(const Fault &fault)
{
    return fault.mode == Fault::Delay || fault.mode == Fault::Drop
        || fault.mode == Fault::RepeatPage;
}

Request Faults::rewrite(const Fault &fault, const Request &request)
{
    if (fault.mode != Fault::RepeatPage)
        return request;
    // A service stuck on one page: whatever window is asked for, the first one is served,
    // with its link to a next page.
    Request r = request;
    r.params.removeIf([](const QPair<QString, QString> &p) {
        return p.first == u"offset"_s || p.first == u"until"_s;
    });
    return r;
}

Reply Faults::apply(const Fault &fault, const Request &request, Reply normal)
{
    switch (fault.mode) {
    case Fault::Status:
        return Reply::graphError(u"Exception"_s,
                                 u"Injected failure with HTTP status %1"_s.arg(fault.status),
                                 fault.status);
    case Fault::FeedLimit:
        return Reply::graphError(u"OAuthException"_s, u"(#341) Feed action request limit reached"_s,
                                 fault.status);
    case Fault::Permission:
        return Reply::graphError(u"OAuthException"_s,
                                 u"(#200) Requires extended permission: publish_stream"_s,
                                 fault.status);
    case Fault::RestUnknown: {
        Reply r = Reply::restError(3, u"Unknown method"_s, request);
        r.status = fault.status;
        return r;
    }
    case Fault::RestPermission: {
        Reply r = Reply::restError(200, u"Permissions error"_s, request);
        r.status = fault.status;
        return r;
    }
    case Fault::Delay:
        normal.delayMs = fault.delayMs;
        return normal;
    case Fault::Drop:
        normal.drop = true;
        return normal;
    case Fault::RepeatPage:
        return normal;
    case Fault::NotJson: {
        Reply r = Reply::text("<html><body>Service temporarily unavailable</body></html>",
                              fault.status);
        r.contentType = "text/html; charset=UTF-8";
        return r;
    }
    }
    return normal;
}

} // namespace Emu
