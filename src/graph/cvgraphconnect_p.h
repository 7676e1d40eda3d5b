#ifndef CVGRAPHCONNECT_P_H
#define CVGRAPHCONNECT_P_H

#include "cverror.h"
#include "cvgraphconnect.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace Cv {

//! An absolute URL the library may fetch: https, or http to a loopback host (as for the base
//! URLs); never file:, data: or any other scheme.
bool cvIsFetchableUrl(const QUrl &url);
//! True when \a url has the scheme, host and port of \a origin and no user info.
bool cvIsSameOrigin(const QUrl &url, const QUrl &origin);
//! The error of \a reply whose body, already read, is \a body (see CvError(QNetworkReply*)).
CvError cvReplyError(QNetworkReply *reply, const QByteArray &body);

class CvGraphConnectPrivate
{
    Q_DECLARE_PUBLIC(CvGraphConnect)
public:
    enum HttpVerb { Get = 0, Post = 1, Delete = 2 };

    CvGraphConnectPrivate(CvGraphConnect *q, const QString &accessToken);
    ~CvGraphConnectPrivate();
    Q_DISABLE_COPY_MOVE(CvGraphConnectPrivate)

    int makeRequest(const QUrl &url, HttpVerb verb, const QMap<QString, QString> &params,
                    bool addToken, const QByteArray *body,
                    const QMap<QNetworkRequest::KnownHeaders, QVariant> *headers);
    int addReply(QNetworkReply *reply);
    int removeReply(QNetworkReply *reply);
    bool isRequestsPending() const;

    QUrl graphUrl(const QString &path) const;
    // Why \a url may not be requested (not fetchable, or the token bound elsewhere than the
    // configured Graph and REST origins); empty when it may.
    static QString refusal(const QUrl &url, bool withToken);
    QUrl withQuery(const QUrl &url, const QMap<QString, QString> &params,
                   const QString &token) const;
    // Why the transport itself aborted a reply, so that endWithError can tell its own aborts
    // apart from Qt's transfer time-out, which also ends as OperationCanceledError.
    enum AbortReason { NotAborted, AbortedByDeinit, AbortedOversize, AbortedLate };
    // What the transport keeps about one reply in flight.
    struct ReplyState
    {
        qint64 sizeLimit = 0; // bytes; 0 for none
        AbortReason abortReason = NotAborted;
    };

    void watch(QNetworkReply *reply);
    void checkSize(QNetworkReply *reply);
    void abortReply(QNetworkReply *reply, AbortReason reason);
    void endWithError(QNetworkReply *reply);
    // Emits the end of the reply filed under its slot through emitEnd, then frees the slot and
    // the reply; false when a receiver destroyed the transport, which must then not be touched.
    template<typename EmitEnd>
    bool deliver(QNetworkReply *reply, EmitEnd emitEnd);
    void startCloseTimerIfIdle();
    QString forLog(const QString &text) const;

    CvGraphConnect *q_ptr;
    QString accessToken;
    std::unique_ptr<QNetworkAccessManager> manager;
    QList<QNetworkReply *> replies;
    // Until the reply ends (its last signal is about to be delivered).
    QHash<QNetworkReply *, ReplyState> states;
    CvError lastError;
    std::unique_ptr<QTimer> closeTimer;
    // Depth of signal emissions in progress: a receiver that destroys the transport must not
    // delete the reply whose signal is being delivered.
    int emitting = 0;
};

} // namespace Cv

#endif // CVGRAPHCONNECT_P_H
