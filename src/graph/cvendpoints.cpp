#include "cvendpoints.h"

#include "convert/cvlog_p.h"
#include "graph/cvgraphconnect_p.h"

#include <QHostAddress>

namespace Cv {

namespace {

constexpr int DefaultTransferTimeout = 60000;
constexpr qint64 DefaultMaxReplySize = 64 * 1024 * 1024;
constexpr int DefaultRequestDeadline = 300000;

struct Endpoints
{
    QUrl graph {QStringLiteral("https://graph.corvana.com")};
    QUrl rest {QStringLiteral("https://api.corvana.com")};
    QList<QSslCertificate> caCertificates;
    int transferTimeout = DefaultTransferTimeout;
    qint64 maxReplySize = DefaultMaxReplySize;
    int requestDeadline = DefaultRequestDeadline;
    bool reportSilentReplies = false;
};

Endpoints &endpoints()
{
    static Endpoints instance;
    return instance;
}

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    QHostAddress address;
    return address.setAddress(host) && address.isLoopback();
}

bool isValidBaseUrl(const QUrl &url)
{
    if (!url.userInfo().isEmpty() || !url.path().isEmpty() || url.hasQuery() || url.hasFragment())
        return false;
    return cvIsFetchableUrl(url);
}

int defaultPort(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80;
}

} // namespace

bool cvIsFetchableUrl(const QUrl &url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    // Plain http would expose the access token; only a local service may be spoken to that way.
    return scheme == QLatin1String("http") && isLoopbackHost(url.host());
}

bool cvIsSameOrigin(const QUrl &url, const QUrl &origin)
{
    return url.isValid() && url.userInfo().isEmpty()
        && url.scheme().compare(origin.scheme(), Qt::CaseInsensitive) == 0
        && url.host().compare(origin.host(), Qt::CaseInsensitive) == 0
        && url.port(defaultPort(url)) == origin.port(defaultPort(origin));
}

QUrl CvEndpoints::graphBaseUrl()
{
    return endpoints().graph;
}

bool CvEndpoints::setGraphBaseUrl(const QUrl &url)
{
    if (!isValidBaseUrl(url)) {
        cvWarning(QLatin1String("CvEndpoints: refused Graph base URL ")
                  + url.toString(QUrl::RemoveUserInfo));
        return false;
    }
    endpoints().graph = url;
    return true;
}

QUrl CvEndpoints::restBaseUrl()
{
    return endpoints().rest;
}

bool CvEndpoints::setRestBaseUrl(const QUrl &url)
{
    if (!isValidBaseUrl(url)) {
        cvWarning(QLatin1String("CvEndpoints: refused REST base URL ")
                  + url.toString(QUrl::RemoveUserInfo));
        return false;
    }
    endpoints().rest = url;
    return true;
}

QList<QSslCertificate> CvEndpoints::caCertificates()
{
    return endpoints().caCertificates;
}

void CvEndpoints::setCaCertificates(const QList<QSslCertificate> &certificates)
{
    endpoints().caCertificates = certificates;
}

int CvEndpoints::transferTimeout()
{
    return endpoints().transferTimeout;
}

void CvEndpoints::setTransferTimeout(int msec)
{
    if (msec >= 0)
        endpoints().transferTimeout = msec;
}

qint64 CvEndpoints::maxReplySize()
{
    return endpoints().maxReplySize;
}

void CvEndpoints::setMaxReplySize(qint64 bytes)
{
    if (bytes >= 0)
        endpoints().maxReplySize = bytes;
}

int CvEndpoints::requestDeadline()
{
    return endpoints().requestDeadline;
}

void CvEndpoints::setRequestDeadline(int msec)
{
    if (msec >= 0)
        endpoints().requestDeadline = msec;
}

bool CvEndpoints::reportSilentReplies()
{
    return endpoints().reportSilentReplies;
}

void CvEndpoints::setReportSilentReplies(bool report)
{
    endpoints().reportSilentReplies = report;
}

void CvEndpoints::reset()
{
    endpoints() = Endpoints();
}

} // namespace Cv
