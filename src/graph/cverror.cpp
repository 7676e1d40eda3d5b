#include "cverror.h"

#include "convert/cvlog_p.h"
#include "convert/cvredact_p.h"
#include "graph/cvgraphconnect_p.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>

namespace Cv {

class CvErrorPrivate
{
public:
    QString replyErrorString;
    QNetworkReply::NetworkError replyErrorCode = QNetworkReply::NoError;
    QString corvanaErrorString;
    QString corvanaErrorHeaders;
    QString cacheErrorString;
    QString objectId;
    CvError::ErrorType errorType = CvError::GeneralError;
};

namespace {

bool containsIgnoringCase(const QString &text, const char *needle)
{
    return text.contains(QLatin1String(needle), Qt::CaseInsensitive);
}

/*
 * The one place where a service error body is classified. A body that is not strict JSON
 * (an HTML error page, an empty body) carries no class. The REST error_code overrides whatever
 * the Graph error object said.
 */
CvError::ErrorType classifyServiceError(const QByteArray &body)
{
    CvError::ErrorType type = CvError::GeneralError;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return type;
    const QVariantMap top = document.isObject() ? document.object().toVariantMap() : QVariantMap();
    const QVariant errorValue = top.value(QStringLiteral("error"));
    const QVariantMap error
        = errorValue.metaType().id() == QMetaType::QVariantMap ? errorValue.toMap() : QVariantMap();

    if (error.value(QStringLiteral("type"))
            .toString()
            .compare(QLatin1String("OAuthException"), Qt::CaseInsensitive)
        == 0) {
        const QString message = error.value(QStringLiteral("message")).toString();
        if (containsIgnoringCase(message, "Error validating access token")
            || containsIgnoringCase(message, "Invalid OAuth access token")) {
            cvWarning(QStringLiteral("Network error InvalidAccessToken"));
            type = CvError::InvalidAccessToken;
        } else if (containsIgnoringCase(message, "(#341) Feed action request limit reached")) {
            type = CvError::FeedActionRequestLimitReached;
        } else if (containsIgnoringCase(message, "(#3) Application does not have the capability")
                   || containsIgnoringCase(message, "(#200) Requires extended permission")) {
            type = CvError::PermissionDenied;
        }
    }

    bool isInt = false;
    const int errorCode = top.value(QStringLiteral("error_code")).toInt(&isInt);
    if (isInt && errorCode == 3)
        type = CvError::UnknownMethod;
    else if (isInt && errorCode == 200)
        type = CvError::PermissionDenied;
    return type;
}

} // namespace

CvError::CvError()
    : d(new CvErrorPrivate)
{
}

CvError::CvError(const CvError &other)
    : d(new CvErrorPrivate(*other.d))
{
}

CvError::CvError(QNetworkReply *reply)
    : d(new CvErrorPrivate)
{
    if (!reply)
        return;
    // An aborted reply is closed and has nothing left to read.
    *this = cvReplyError(reply, reply->isOpen() ? reply->readAll() : QByteArray());
}

CvError cvReplyError(QNetworkReply *reply, const QByteArray &body)
{
    CvError err;
    err.setReplyErrorCode(reply->error());
    // Qt's text names the URL, which carries the access token; a service or a proxy may echo
    // the token in the body or a header.
    err.setReplyErrorString(cvRedacted(reply->errorString()));
    err.setCorvanaErrorString(cvRedacted(QString::fromUtf8(body)));
    QStringList lines;
    const QList<QNetworkReply::RawHeaderPair> headers = reply->rawHeaderPairs();
    lines.reserve(headers.size());
    for (const QNetworkReply::RawHeaderPair &header : headers)
        lines.append(QString::fromUtf8(header.first) + QLatin1String(": ")
                     + QString::fromUtf8(header.second));
    err.setCorvanaErrorHeaders(cvRedacted(lines.join(QLatin1Char('\n'))));
    err.setErrorType(classifyServiceError(body));
    return err;
}

CvError &CvError::operator=(const CvError &other)
{
    if (this != &other)
        *d = *other.d;
    return *this;
}

CvError::~CvError() = default;

void CvError::clear()
{
    *d = CvErrorPrivate();
}

bool CvError::isEmpty() const
{
    return d->replyErrorString.isEmpty() && d->replyErrorCode == QNetworkReply::NoError
        && d->corvanaErrorString.isEmpty() && d->corvanaErrorHeaders.isEmpty()
        && d->cacheErrorString.isEmpty() && d->errorType == GeneralError;
}

bool CvError::isError(QNetworkReply *reply)
{
    if (!reply)
        return false;
    if (reply->error() != QNetworkReply::NoError)
        return true;
    QByteArray head = reply->peek(8);
    const int nul = head.indexOf('\0');
    if (nul >= 0)
        head.truncate(nul);
    return head.contains("error");
}

QString CvError::replyErrorString() const
{
    return d->replyErrorString;
}

void CvError::setReplyErrorString(const QString &text)
{
    d->replyErrorString = text;
}

QNetworkReply::NetworkError CvError::replyErrorCode() const
{
    return d->replyErrorCode;
}

void CvError::setReplyErrorCode(QNetworkReply::NetworkError code)
{
    d->replyErrorCode = code;
}

QString CvError::corvanaErrorString() const
{
    return d->corvanaErrorString;
}

void CvError::setCorvanaErrorString(const QString &text)
{
    d->corvanaErrorString = text;
}

QString CvError::corvanaErrorHeaders() const
{
    return d->corvanaErrorHeaders;
}

void CvError::setCorvanaErrorHeaders(const QString &headers)
{
    d->corvanaErrorHeaders = headers;
}

QString CvError::cacheErrorString() const
{
    return d->cacheErrorString;
}

void CvError::setCacheErrorString(const QString &text)
{
    d->cacheErrorString = text;
}

QString CvError::objectId() const
{
    return d->objectId;
}

void CvError::setObjectId(const QString &id)
{
    d->objectId = id;
}

CvError::ErrorType CvError::errorType() const
{
    return d->errorType;
}

void CvError::setErrorType(CvError::ErrorType type)
{
    d->errorType = type;
}

} // namespace Cv
