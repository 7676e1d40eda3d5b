#include "cvgraphrequest.h"

#include <QStringList>

namespace Cv {

namespace {

// The member texts are the caller's; escaping keeps any of them from closing its JSON string.
QString jsonEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

QString joinedFields(const QSet<QString> &fields)
{
    QString text;
    for (const QString &field : fields) {
        if (!text.isEmpty())
            text += QLatin1Char(',');
        text += field;
    }
    return text;
}

QString withFilter(const QString &relativeUrl, const CvDataFilter &filter)
{
    if (filter.isEmpty())
        return relativeUrl;
    QStringList items;
    if (!filter.locale.isEmpty())
        items.append(QLatin1String("locale=") + filter.locale);
    if (filter.offset != -1)
        items.append(QLatin1String("offset=") + QString::number(filter.offset));
    if (filter.limit != -1)
        items.append(QLatin1String("limit=") + QString::number(filter.limit));
    if (filter.since.isValid())
        items.append(QLatin1String("since=") + filter.since.toString(Qt::ISODate));
    if (filter.until.isValid())
        items.append(QLatin1String("until=") + filter.until.toString(Qt::ISODate));
    if (!filter.fields.isEmpty())
        items.append(QLatin1String("fields=") + joinedFields(filter.fields));
    for (auto it = filter.params.cbegin(); it != filter.params.cend(); ++it)
        items.append(it.key() + QLatin1Char('=') + it.value());
    if (items.isEmpty())
        return relativeUrl;
    // A path such as "method/cvql.query?query=..." already has its query.
    const QLatin1Char first
        = relativeUrl.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
    return relativeUrl + first + items.join(QLatin1Char('&'));
}

} // namespace

CvGraphRequest::CvGraphRequest() = default;

CvGraphRequest::CvGraphRequest(const QString &method, const QString &relativeUrl)
    : m_method(method)
    , m_relativeUrl(relativeUrl)
{
}

QString CvGraphRequest::toString() const
{
    QString text = QLatin1String("{\"method\": \"") + jsonEscaped(m_method);
    if (!m_name.isEmpty()) {
        text += QLatin1String("\", \"omit_response_on_success\": false, \"name\": \"")
            + jsonEscaped(m_name);
    }
    if (!m_dependsOn.isEmpty())
        text += QLatin1String("\", \"depends_on\": \"") + jsonEscaped(m_dependsOn);
    text += QLatin1String("\", \"relative_url\": \"")
        + jsonEscaped(withFilter(m_relativeUrl, m_filter));
    if (!m_body.isEmpty())
        text += QLatin1String("\", \"body\": \"") + jsonEscaped(m_body);
    text += QLatin1String("\"}");
    return text;
}

} // namespace Cv
