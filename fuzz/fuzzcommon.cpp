#include "fuzzcommon.h"

#include "cvlogger.h"

#include <QEvent>

#include <cstring>

namespace CvFuzz {

void startApplication(bool keepLogging)
{
    if (QCoreApplication::instance())
        return;
    // Nothing here may reach outside the machine, whatever the environment says.
    qputenv("no_proxy", "*");
    qunsetenv("http_proxy");
    qunsetenv("https_proxy");
    static int argc = 1;
    static char name[] = "cv-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    Cv::SetLoggingLevel(keepLogging ? Cv::LogTrace : Cv::LogSilent);
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

BufferReply::BufferReply(const QByteArray &body, int status, NetworkError error,
                         const QList<RawHeaderPair> &headers, QObject *parent)
    : QNetworkReply(parent)
    , m_body(body)
{
    for (const RawHeaderPair &header : headers)
        setRawHeader(header.first, header.second);
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, status);
    if (error != NoError)
        setError(error, QStringLiteral("Error transferring http://127.0.0.1/ - server replied"));
    setOpenMode(QIODevice::ReadOnly);
    setFinished(true);
}

qint64 BufferReply::bytesAvailable() const
{
    return m_body.size() - m_offset + QNetworkReply::bytesAvailable();
}

qint64 BufferReply::readData(char *data, qint64 maxSize)
{
    const qint64 count = qMin(maxSize, m_body.size() - m_offset);
    if (count <= 0)
        return -1;
    std::memcpy(data, m_body.constData() + m_offset, size_t(count));
    m_offset += count;
    return count;
}

QList<QNetworkReply::RawHeaderPair> headersFrom(Input &input)
{
    static const QByteArray names[]
        = {"Date", "Location", "Content-Type", "WWW-Authenticate", "X-Request-Id"};
    QList<QNetworkReply::RawHeaderPair> headers;
    const int count = input.choice(4);
    for (int i = 0; i < count; ++i)
        headers.append({names[input.choice(int(std::size(names)))], input.bytes()});
    return headers;
}

} // namespace CvFuzz
