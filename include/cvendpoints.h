#ifndef CVENDPOINTS_H
#define CVENDPOINTS_H

#include "cvexport.h"

#include <QList>
#include <QSslCertificate>
#include <QUrl>

namespace Cv {

/*!
 * Process-wide configuration of where and how the library reaches the service: the two base
 * URLs, extra trust anchors, the transfer time-out and the largest accepted reply.
 *
 * Values are read whenever a request is made, so a change applies to the next request. Not
 * thread-safe: set them from the thread that uses the library.
 */
class CV_EXPORT CvEndpoints
{
public:
    CvEndpoints() = delete;

    //! Base URL of the Graph endpoint; "https://graph.corvana.com" by default.
    static QUrl graphBaseUrl();
    /*!
     * Sets the Graph endpoint base URL. It must be an origin: scheme, host and optional port,
     * with no user info, path, query, fragment or trailing slash. https is accepted for any
     * host, http only for a loopback host (127.0.0.0/8, ::1, localhost). Returns false and
     * changes nothing for anything else.
     */
    static bool setGraphBaseUrl(const QUrl &url);

    //! Base URL of the REST endpoint; "https://api.corvana.com" by default.
    static QUrl restBaseUrl();
    //! Sets the REST endpoint base URL; the same rules as setGraphBaseUrl().
    static bool setRestBaseUrl(const QUrl &url);

    //! Extra trust anchors added to the system's for the library's requests; none by default.
    static QList<QSslCertificate> caCertificates();
    //! Replaces the extra trust anchors (e.g. with a local test service's own CA).
    static void setCaCertificates(const QList<QSslCertificate> &certificates);

    //! A reply that makes no progress for this many milliseconds ends as an error; 60000 by
    //! default, 0 means no time-out.
    static int transferTimeout();
    //! Sets the transfer time-out; a negative value is ignored.
    static void setTransferTimeout(int msec);

    //! A reply body larger than this many bytes is aborted and reported as an error; 64 MiB by
    //! default, 0 means no limit.
    static qint64 maxReplySize();
    //! Sets the largest accepted reply body; a negative value is ignored.
    static void setMaxReplySize(qint64 bytes);

    //! A request still unfinished this many milliseconds after it was sent is aborted and
    //! ends with one error, however steadily its reply arrives; 300000 by default, 0 means no
    //! deadline.
    static int requestDeadline();
    //! Sets the request deadline; a negative value is ignored.
    static void setRequestDeadline(int msec);

    /*!
     * Whether a reply that carries nothing to deliver ends with an error. By default (false) a
     * reply that is not valid JSON (also a 204 or a redirect without a body) and a picture
     * reply without a Location header end with a warning and no signal. When true, each such
     * request ends with one error of type CvError::OperationFailed whose reply error string
     * says why, so that a caller waiting for the request's signal always gets one.
     */
    static bool reportSilentReplies();
    //! Turns reportSilentReplies() on or off.
    static void setReportSilentReplies(bool report);

    //! Restores every default.
    static void reset();
};

} // namespace Cv

#endif // CVENDPOINTS_H
