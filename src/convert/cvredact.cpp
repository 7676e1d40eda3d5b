// The registry of live secrets and the redaction every written line and error text passes.

#include "convert/cvredact_p.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace Cv {

namespace {

QMutex secretsMutex;

QHash<QString, int> &secrets()
{
    static QHash<QString, int> registered;
    return registered;
}

// A secret this short cannot be told from ordinary text; only its query form is redacted.
bool isSearchable(const QString &secret)
{
    return secret.size() > 4;
}

void redactVerbatim(QString *text, const QString &secret)
{
    const QString shown = cvRedactedSecret(secret);
    text->replace(secret, shown);
    // The forms an echo may carry: fully percent-encoded, and as a query item encodes it.
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(secret));
    if (encoded != secret)
        text->replace(encoded, shown, Qt::CaseInsensitive);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("t"), secret);
    const QString inQuery = query.query(QUrl::FullyEncoded).mid(2);
    if (inQuery != secret && inQuery != encoded)
        text->replace(inQuery, shown, Qt::CaseInsensitive);
}

} // namespace

void cvAddSecret(const QString &secret)
{
    if (secret.isEmpty())
        return;
    QMutexLocker lock(&secretsMutex);
    ++secrets()[secret];
}

void cvRemoveSecret(const QString &secret)
{
    QMutexLocker lock(&secretsMutex);
    const auto it = secrets().find(secret);
    if (it != secrets().end() && --*it <= 0)
        secrets().erase(it);
}

QString cvRedactedSecret(const QString &secret)
{
    return secret.left(4) + QChar(0x2026);
}

QString cvRedacted(const QString &text, const QString &extra)
{
    QString out = text;
    if (isSearchable(extra))
        redactVerbatim(&out, extra);
    {
        QMutexLocker lock(&secretsMutex);
        for (auto it = secrets().cbegin(); it != secrets().cend(); ++it) {
            if (isSearchable(it.key()))
                redactVerbatim(&out, it.key());
        }
    }
    // Any token in a URL, ours or not, is shown redacted.
    static const QRegularExpression inQuery(
        QStringLiteral("(access_token=)([^&#\\s\"'<>\\x{2026}]*)(\\x{2026}?)"));
    if (!out.contains(QLatin1String("access_token=")))
        return out;
    QString result;
    qsizetype last = 0;
    auto it = inQuery.globalMatch(out);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        result += QStringView(out).mid(last, m.capturedStart() - last);
        const QString value = QUrl::fromPercentEncoding(m.captured(2).toUtf8());
        result += m.captured(1) + cvRedactedSecret(value);
        last = m.capturedEnd();
    }
    result += QStringView(out).mid(last);
    return result;
}

} // namespace Cv
