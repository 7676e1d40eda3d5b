#include "cvgraphconnect.h"

#include "convert/cvlog_p.h"
#include "convert/cvredact_p.h"
#include "cvendpoints.h"
#include "graph/cvgraphconnect_p.h"

#include <QPointer>
#include <QSslConfiguration>
#include <QUrlQuery>

namespace Cv {

namespace {

constexpr int CloseTimeoutMsec = 2000;

} // namespace

CvGraphConnectPrivate::CvGraphConnectPrivate(CvGraphConnect *q, const QString &accessToken)
    : q_ptr(q)
    , accessToken(accessToken)
{
    // While this transport lives, its token is kept out of every line of output.
    cvAddSecret(accessToken);
}

CvGraphConnectPrivate::~CvGraphConnectPrivate()
{
    cvRemoveSecret(accessToken);
}

QString CvGraphConnectPrivate::forLog(const QString &text) const
{
    return cvRedacted(text, accessToken);
}

QUrl CvGraphConnectPrivate::graphUrl(const QString &path) const
{
    return QUrl(CvEndpoints::graphBaseUrl().toString(QUrl::FullyEncoded) + path);
}

QString CvGraphConnectPrivate::refusal(const QUrl &url, bool withToken)
{
    if (!cvIsFetchableUrl(url))
        return QStringLiteral("only https, or http to a loopback host, is fetched");
    if (withToken && !cvIsSameOrigin(url, CvEndpoints::graphBaseUrl())
        && !cvIsSameOrigin(url, CvEndpoints::restBaseUrl()))
        return QStringLiteral("the access token goes only to the configured endpoints");
    return QString();
}

QUrl CvGraphConnectPrivate::withQuery(const QUrl &url, const QMap<QString, QString> &params,
                                      const QString &token) const
{
    if (token.isEmpty() && params.isEmpty())
        return url;
    QString query = url.query(QUrl::FullyEncoded);
    auto append = [&query](const QString &item) {
        if (!query.isEmpty())
            query += QLatin1Char('&');
        query += item;
    };
    if (!token.isEmpty()) {
        QUrlQuery tokenQuery;
        tokenQuery.addQueryItem(QStringLiteral("access_token"), token);
        append(tokenQuery.query(QUrl::FullyEncoded));
    }
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        append(QString::fromLatin1(it.key().toLatin1()) + QLatin1Char('=')
               + QString::fromLatin1(QUrl::toPercentEncoding(it.value())));
    }
    QUrl result = url;
    result.setQuery(query, QUrl::TolerantMode);
    return result;
}

int CvGraphConnectPrivate::makeRequest(const QUrl &url, HttpVerb verb,
                                       const QMap<QString, QString> &params, bool addToken,
                                       const QByteArray *body,
                                       const QMap<QNetworkRequest::KnownHeaders, QVariant> *headers)
{
    CV_TRACE_FUNCTION;
    if (!manager)
        manager.reset(new QNetworkAccessManager);

    QNetworkReply *reply = nullptr;
    const QString refused = refusal(url, addToken && !accessToken.isEmpty());
    if (!refused.isEmpty()) {
        cvWarning(QLatin1String("Request refused: ") + refused);
        lastError = CvError();
        lastError.setReplyErrorCode(QNetworkReply::ProtocolUnknownError);
        lastError.setReplyErrorString(refused);
        return -1;
    }
    if (closeTimer) {
        closeTimer->stop();
        const QUrl requestUrl = withQuery(url, params, addToken ? accessToken : QString());
        if (cvLogDebug())
            cvDebug(QLatin1String("Sending request: ") + forLog(requestUrl.toString()));

        QNetworkRequest request(requestUrl);
        // A picture request must see its redirect's Location, so nothing is followed.
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        request.setTransferTimeout(CvEndpoints::transferTimeout());
        const QList<QSslCertificate> extraCas = CvEndpoints::caCertificates();
        if (!extraCas.isEmpty()) {
            QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
            ssl.addCaCertificates(extraCas);
            request.setSslConfiguration(ssl);
        }

        switch (verb) {
        case Get:
            reply = manager->get(request);
            break;
        case Post:
            if (headers) {
                for (auto it = headers->cbegin(); it != headers->cend(); ++it)
                    request.setHeader(it.key(), it.value());
            }
            // Qt sends exactly this type when none is set, but warns about it on every POST.
            if (!request.header(QNetworkRequest::ContentTypeHeader).isValid())
                request.setHeader(QNetworkRequest::ContentTypeHeader,
                                  QByteArrayLiteral("application/x-www-form-urlencoded"));
            reply = manager->post(request, body ? *body : QByteArray());
            break;
        case Delete:
            reply = manager->deleteResource(request);
            break;
        default:
            cvWarning(QStringLiteral("Http verb not recognized"));
            break;
        }
    }

    if (!reply) {
        lastError = CvError();
        lastError.setReplyErrorCode(QNetworkReply::UnknownNetworkError);
        return -1;
    }
    states.insert(reply, ReplyState {CvEndpoints::maxReplySize(), NotAborted});
    watch(reply);
    if (const int deadline = CvEndpoints::requestDeadline(); deadline > 0) {
        // The transfer time-out only catches a reply that stops; this one catches a reply that
        // drips. The timer dies with the reply.
        auto *timer = new QTimer(reply);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, q_ptr, [this, reply] {
            if (reply->isRunning())
                abortReply(reply, AbortedLate);
        });
        timer->start(deadline);
    }
    return addReply(reply);
}

void CvGraphConnectPrivate::watch(QNetworkReply *reply)
{
    Q_Q(CvGraphConnect);
    QObject::connect(reply, &QNetworkReply::finished, q, &CvGraphConnect::onFinished);
    QObject::connect(reply, &QNetworkReply::errorOccurred, q, &CvGraphConnect::onError);
    QObject::connect(reply, &QNetworkReply::sslErrors, q, &CvGraphConnect::onSslErrors);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, q,
                     [this, reply] { checkSize(reply); });
    QObject::connect(reply, &QNetworkReply::readyRead, q, [this, reply] { checkSize(reply); });
}

void CvGraphConnectPrivate::checkSize(QNetworkReply *reply)
{
    const qint64 limit = states.value(reply).sizeLimit;
    if (limit <= 0 || !reply->isRunning())
        return;
    bool known = false;
    const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if ((known && declared > limit) || reply->bytesAvailable() > limit)
        abortReply(reply, AbortedOversize);
}

void CvGraphConnectPrivate::abortReply(QNetworkReply *reply, AbortReason reason)
{
    const auto state = states.find(reply);
    if (state != states.end())
        state->abortReason = reason;
    reply->abort();
}

template<typename EmitEnd>
bool CvGraphConnectPrivate::deliver(QNetworkReply *reply, EmitEnd emitEnd)
{
    QPointer<CvGraphConnect> guard(q_ptr);
    ++emitting;
    emitEnd();
    if (!guard)
        return false;
    --emitting;
    removeReply(reply);
    reply->deleteLater();
    return true;
}

int CvGraphConnectPrivate::addReply(QNetworkReply *reply)
{
    int id = replies.indexOf(nullptr);
    if (id < 0) {
        replies.append(reply);
        id = replies.size() - 1;
    } else {
        replies[id] = reply;
    }
    cvDebug(QStringLiteral("CvGraphConnect: Reply stored using id: [%1]").arg(id));
    return id;
}

int CvGraphConnectPrivate::removeReply(QNetworkReply *reply)
{
    const int id = replies.indexOf(reply);
    if (id < 0)
        return -1;
    replies[id] = nullptr;
    cvDebug(QStringLiteral("CvGraphConnect: Reply [%1] removed").arg(id));
    return id;
}

bool CvGraphConnectPrivate::isRequestsPending() const
{
    for (QNetworkReply *reply : replies) {
        if (reply)
            return true;
    }
    return false;
}

void CvGraphConnectPrivate::startCloseTimerIfIdle()
{
    if (closeTimer && !isRequestsPending())
        closeTimer->start();
}

void CvGraphConnectPrivate::endWithError(QNetworkReply *reply)
{
    Q_Q(CvGraphConnect);
    const int id = replies.indexOf(reply);
    // Every reply ends once: no later signal of it may reach this object.
    reply->disconnect(q);

    const ReplyState state = states.take(reply);

    CvError err(reply);
    const AbortReason reason = state.abortReason;
    if (reason == AbortedOversize) {
        err.setReplyErrorCode(QNetworkReply::UnknownContentError);
        err.setReplyErrorString(QStringLiteral("Reply larger than %1 bytes").arg(state.sizeLimit));
    } else if (reason == AbortedLate) {
        err.setReplyErrorCode(QNetworkReply::TimeoutError);
        err.setReplyErrorString(QStringLiteral("No complete reply within the request deadline"));
    } else if (reason == NotAborted
               && err.replyErrorCode() == QNetworkReply::OperationCanceledError) {
        // Nobody but Qt's transfer timer cancels a reply that this object did not abort.
        err.setReplyErrorCode(QNetworkReply::TimeoutError);
        err.setReplyErrorString(QStringLiteral("No progress within the transfer time-out"));
    }
    cvWarning(QLatin1String("Encountered an error: ") + forLog(err.replyErrorString()));
    lastError = err;

    if (id < 0)
        reply->deleteLater();
    else if (!deliver(reply, [&] { Q_EMIT q->error(err, id); }))
        return;
    startCloseTimerIfIdle();
}

CvGraphConnect::CvGraphConnect()
    : d_ptr(new CvGraphConnectPrivate(this, QString()))
{
}

CvGraphConnect::CvGraphConnect(const QString &accessToken)
    : d_ptr(new CvGraphConnectPrivate(this, accessToken))
{
    CV_TRACE_FUNCTION;
    cvDebug(QStringLiteral("Using access token [%1]").arg(cvRedactedSecret(accessToken)));
}

CvGraphConnect::~CvGraphConnect()
{
    Q_D(CvGraphConnect);
    if (!d->manager)
        return;
    // Replies still in flight die with their manager; none of their signals may reach this
    // half-destroyed object.
    const QList<QNetworkReply *> children = d->manager->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : children)
        reply->disconnect(this);
    if (d->emitting > 0)
        d->manager.release()->deleteLater(); // a reply of it is delivering a signal right now
    else
        d->manager.reset();
}

bool CvGraphConnect::init()
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraphConnect);
    if (!d->closeTimer) {
        d->closeTimer.reset(new QTimer);
        d->closeTimer->setInterval(CloseTimeoutMsec);
        connect(d->closeTimer.get(), &QTimer::timeout, this, &CvGraphConnect::onCloseTimeout);
    }
    if (!d->manager)
        d->manager.reset(new QNetworkAccessManager);
    d->lastError.clear();
    return true;
}

bool CvGraphConnect::deinit()
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraphConnect);
    // Aborting reports each reply through onError at once, which edits the table.
    const QList<QNetworkReply *> pending = d->replies;
    QPointer<CvGraphConnect> guard(this);
    for (QNetworkReply *reply : pending) {
        if (reply && d->replies.contains(reply)) {
            d->abortReply(reply, CvGraphConnectPrivate::AbortedByDeinit);
            if (!guard)
                return true;
        }
    }
    d->replies.clear();
    return true;
}

CvError CvGraphConnect::lastError() const
{
    return d_func()->lastError;
}

int CvGraphConnect::get(const QString &path)
{
    Q_D(CvGraphConnect);
    return d->makeRequest(d->graphUrl(path), CvGraphConnectPrivate::Get, {}, true, nullptr,
                          nullptr);
}

int CvGraphConnect::get(const QString &path, const QMap<QString, QString> &params)
{
    Q_D(CvGraphConnect);
    return d->makeRequest(d->graphUrl(path), CvGraphConnectPrivate::Get, params, true, nullptr,
                          nullptr);
}

int CvGraphConnect::get(const QUrl &url)
{
    return d_func()->makeRequest(url, CvGraphConnectPrivate::Get, {}, false, nullptr, nullptr);
}

int CvGraphConnect::get(const QUrl &url, const QMap<QString, QString> &params)
{
    return d_func()->makeRequest(url, CvGraphConnectPrivate::Get, params, true, nullptr, nullptr);
}

int CvGraphConnect::post(const QString &path, const QByteArray *body)
{
    Q_D(CvGraphConnect);
    return d->makeRequest(d->graphUrl(path), CvGraphConnectPrivate::Post, {}, true, body, nullptr);
}

int CvGraphConnect::post(const QString &path, const QMap<QString, QString> &params,
                         const QByteArray *body)
{
    Q_D(CvGraphConnect);
    return d->makeRequest(d->graphUrl(path), CvGraphConnectPrivate::Post, params, true, body,
                          nullptr);
}

int CvGraphConnect::post(const QString &path,
                         const QMap<QNetworkRequest::KnownHeaders, QVariant> &headers,
                         const QMap<QString, QString> &params, const QByteArray *body)
{
    Q_D(CvGraphConnect);
    return d->makeRequest(d->graphUrl(path), CvGraphConnectPrivate::Post, params, true, body,
                          &headers);
}

int CvGraphConnect::post(const QUrl &url,
                         const QMap<QNetworkRequest::KnownHeaders, QVariant> &headers,
                         const QMap<QString, QString> &params, const QByteArray *body)
{
    return d_func()->makeRequest(url, CvGraphConnectPrivate::Post, params, true, body, &headers);
}

int CvGraphConnect::del(const QString &path)
{
    Q_D(CvGraphConnect);
    const QMap<QString, QString> params {{QStringLiteral("method"), QStringLiteral("delete")}};
    return d->makeRequest(d->graphUrl(path), CvGraphConnectPrivate::Post, params, true, nullptr,
                          nullptr);
}

void CvGraphConnect::onFinished()
{
    Q_D(CvGraphConnect);
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (!reply)
        return;
    const int id = d->replies.indexOf(reply);
    cvDebug(QStringLiteral("CvGraphConnect: Reply id: [%1]").arg(id));
    if (id != -1) {
        if (reply->error() != QNetworkReply::NoError) {
            d->endWithError(reply);
            return;
        }
        if (cvLogDebug()) {
            QByteArray head = reply->peek(64);
            const int nul = head.indexOf('\0');
            if (nul >= 0)
                head.truncate(nul);
            cvDebug(QLatin1String("CvGraphConnect: Reply data: ")
                    + d->forLog(QString::fromUtf8(head)));
        }
        reply->disconnect(this);
        d->states.remove(reply);
        if (!d->deliver(reply, [&] { Q_EMIT response(reply, id); }))
            return;
    }
    d->startCloseTimerIfIdle();
}

void CvGraphConnect::onError(QNetworkReply::NetworkError code)
{
    Q_UNUSED(code)
    auto *reply = qobject_cast<QNetworkReply *>(sender());
    if (reply)
        d_func()->endWithError(reply);
}

void CvGraphConnect::onSslErrors(const QList<QSslError> &errors)
{
    Q_D(CvGraphConnect);
    if (cvLogWarnings()) {
        QStringList texts;
        for (const QSslError &e : errors)
            texts.append(e.errorString());
        cvWarning(QLatin1String("CvGraphConnect: ssl errors: ") + texts.join(QLatin1String("; ")));
        // Trust is never relaxed: the handshake fails and the reply ends through error().
        cvWarning(QStringLiteral("CvGraphConnect: ssl errors not ignored, request refused"));
    }
    d->startCloseTimerIfIdle();
}

void CvGraphConnect::onCloseTimeout()
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraphConnect);
    d->closeTimer->stop();
    QPointer<CvGraphConnect> guard(this);
    deinit();
    if (!guard)
        return;
    d->closeTimer->stop();
    d->manager.reset();
}

} // namespace Cv
