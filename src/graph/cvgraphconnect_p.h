#ifndef CVGRAPHCONNECT_P_H
#define CVGRAPHCONNECT_P_H

#include "cverror.h"
#include "cvgraphconnect.h"

#include <QList>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace Cv {

//! The first four characters of \a token followed by an ellipsis: the only form logged.
QString redactedToken(const QString &token);
//! \a text with \a token and every access_token query value replaced by their redacted form.
QString redactAccessTokens(const QString &text, const QString &token);
//! The error of \a reply whose body, already read, is \a body (see CvError(QNetworkReply*)).
CvError cvReplyError(QNetworkReply *reply, const QByteArray &body);

class CvGraphConnectPrivate
{
    Q_DECLARE_PUBLIC(CvGraphConnect)
public:
    enum HttpVerb { Get = 0, Post = 1, Delete = 2 };

    CvGraphConnectPrivate(CvGraphConnect *q, const QString &accessToken);

    int makeRequest(const QUrl &url, HttpVerb verb, const QMap<QString, QString> &params,
                    bool addToken, const QByteArray *body,
                    const QMap<QNetworkRequest::KnownHeaders, QVariant> *headers);
    int addReply(QNetworkReply *reply);
    int removeReply(QNetworkReply *reply);
    bool isRequestsPending() const;

    QUrl graphUrl(const QString &path) const;
    QUrl withQuery(const QUrl &url, const QMap<QString, QString> &params,
                   const QString &token) const;
    void watch(QNetworkReply *reply);
    void checkSize(QNetworkReply *reply);
    void abortReply(QNetworkReply *reply, int reason);
    void endWithError(QNetworkReply *reply);
    void startCloseTimerIfIdle();
    QString forLog(const QString &text) const;

    CvGraphConnect *q_ptr;
    QString accessToken;
    std::unique_ptr<QNetworkAccessManager> manager;
    QList<QNetworkReply *> replies;
    CvError lastError;
    std::unique_ptr<QTimer> closeTimer;
    // Depth of signal emissions in progress: a receiver that destroys the transport must not
    // delete the reply whose signal is being delivered.
    int emitting = 0;
};

} // namespace Cv

#endif // CVGRAPHCONNECT_P_H
