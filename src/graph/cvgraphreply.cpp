#include "cvgraphreply.h"

#include "graph/cvgraphjson_p.h"

namespace Cv {

CvGraphReply::CvGraphReply() = default;

bool CvGraphReply::setData(const QVariant &data)
{
    const QVariantMap element = data.toMap();
    m_code = element.value(QStringLiteral("code")).toInt();
    m_headers = element.value(QStringLiteral("headers"));
    const QByteArray text = element.value(QStringLiteral("body")).toString().toUtf8();

    if (text.startsWith("{\"data\":")) {
        QVariantMap map;
        const bool ok = cvDecodeJson(text, &map, nullptr);
        m_body = map.value(QStringLiteral("data"));
        return ok;
    }

    QVariantList list;
    bool ok;
    if (text.startsWith('[')) {
        ok = cvDecodeJson(text, nullptr, &list);
    } else {
        QByteArray wrapped;
        wrapped.reserve(text.size() + 2);
        wrapped.append('[').append(text).append(']');
        ok = cvDecodeJson(wrapped, nullptr, &list);
    }
    m_body = ok ? QVariant(list) : QVariant();
    return ok;
}

} // namespace Cv
