#ifndef CVGRAPHCONNECT_H
#define CVGRAPHCONNECT_H

#include "cverror.h"
#include "cvexport.h"

#include <QList>
#include <QMap>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <memory>

namespace Cv {

class CvGraphConnectPrivate;

/*!
 * The library's HTTP transport: sends authenticated requests to the service and reports the end
 * of each one exactly once, through response() or error().
 *
 * Every request operation returns the reply's id, a small integer that identifies the reply
 * while it is in flight and is reused after it ended (the lowest free one is taken), or -1 when
 * nothing was sent (see lastError()). Requests are only sent after init().
 *
 * The access token and the parameters travel in the query string: access_token first, then the
 * parameters in ascending key order with percent-encoded values. Redirects are never followed,
 * TLS errors are never ignored, and trust is the system's CAs plus CvEndpoints::caCertificates().
 * A reply that makes no progress for CvEndpoints::transferTimeout() ms ends as an error with
 * QNetworkReply::TimeoutError; a body larger than CvEndpoints::maxReplySize() is aborted and ends
 * as an error with QNetworkReply::UnknownContentError. The network access manager is released
 * after 2000 ms without a pending reply.
 */
class CV_EXPORT CvGraphConnect : public QObject
{
    Q_OBJECT
public:
    //! A transport without an access token.
    CvGraphConnect();
    //! A transport that attaches \a accessToken to its requests.
    explicit CvGraphConnect(const QString &accessToken);
    //! Pending replies are not aborted; no signal follows.
    ~CvGraphConnect() override;

    //! Creates the idle timer and the network access manager if missing, clears the last error.
    bool init();
    //! Aborts every pending reply (each ends through error()) and forgets them.
    bool deinit();
    //! The error of the last refused request or failed reply.
    Cv::CvError lastError() const;

    //! GET on the Graph base URL followed by \a path ("" or starting with "/"), token attached.
    int get(const QString &path);
    //! As get(path), with \a params in the query.
    int get(const QString &path, const QMap<QString, QString> &params);
    //! GET on the absolute \a url as it is: no parameters and no token.
    int get(const QUrl &url);
    //! GET on the absolute \a url with \a params and the token in the query.
    int get(const QUrl &url, const QMap<QString, QString> &params);
    //! POST on the Graph base URL followed by \a path, token attached; \a body may be null.
    int post(const QString &path, const QByteArray *body);
    //! As post(path, body), with \a params in the query.
    int post(const QString &path, const QMap<QString, QString> &params, const QByteArray *body);
    //! As post(path, params, body), with request \a headers set in ascending key order.
    int post(const QString &path, const QMap<QNetworkRequest::KnownHeaders, QVariant> &headers,
             const QMap<QString, QString> &params, const QByteArray *body);
    //! As post(path, headers, params, body), on the absolute \a url (a REST method upload).
    int post(const QUrl &url, const QMap<QNetworkRequest::KnownHeaders, QVariant> &headers,
             const QMap<QString, QString> &params, const QByteArray *body);
    //! Deletes the object at \a path: a POST with the parameter method=delete.
    int del(const QString &path);

Q_SIGNALS:
    /*!
     * The reply with \a id finished without a network error. Read \a reply inside the slot:
     * it is deleted once control returns to the event loop.
     */
    void response(QNetworkReply *reply, int id);
    //! The reply with \a id failed; \a err describes why.
    void error(const Cv::CvError &err, int id);

private Q_SLOTS:
    void onFinished();
    void onError(QNetworkReply::NetworkError code);
    void onSslErrors(const QList<QSslError> &errors);
    void onCloseTimeout();

private:
    Q_DISABLE_COPY_MOVE(CvGraphConnect)
    Q_DECLARE_PRIVATE(CvGraphConnect)
    std::unique_ptr<CvGraphConnectPrivate> const d_ptr;
};

} // namespace Cv

#endif // CVGRAPHCONNECT_H
