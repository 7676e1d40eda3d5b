#include "cvaccountsync.h"
#include "sync/cvaccountsync_p.h"

#include "convert/cvlog_p.h"
#include "cvcache.h"
#include "cverror.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QRandomGenerator>

#include <algorithm>

namespace Cv {

namespace {

using S = CvAccountSync;

// Failures that may pass by themselves: the network, a time-out, the service overloaded or
// asking the client to slow down. Everything else would fail the same way again.
bool isTransient(const CvError &error)
{
    if (error.errorType() == CvError::FeedActionRequestLimitReached)
        return true;
    if (error.errorType() == CvError::InvalidAccessToken
        || error.errorType() == CvError::PermissionDenied
        || error.errorType() == CvError::CacheError)
        return false;
    switch (error.replyErrorCode()) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::InternalServerError:
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownServerError:
        return true;
    default:
        return false;
    }
}

// The service's own message where its error body has one, else what the network said.
QString describe(const CvError &error)
{
    if (error.errorType() == CvError::CacheError)
        return QStringLiteral("the cache could not be updated: %1").arg(error.cacheErrorString());
    const QJsonObject body = QJsonDocument::fromJson(error.corvanaErrorString().toUtf8()).object();
    QString message
        = body.value(QLatin1String("error")).toObject().value(QLatin1String("message")).toString();
    if (message.isEmpty())
        message = body.value(QLatin1String("error_msg")).toString();
    if (message.isEmpty())
        message = error.replyErrorString();
    if (message.isEmpty())
        message = QStringLiteral("the service refused the request");
    switch (error.errorType()) {
    case CvError::InvalidAccessToken:
        return QStringLiteral("the access token was rejected (%1)").arg(message);
    case CvError::PermissionDenied:
        return QStringLiteral("permission denied (%1)").arg(message);
    case CvError::FeedActionRequestLimitReached:
        return QStringLiteral("request limit reached (%1)").arg(message);
    default:
        return message;
    }
}

const CvSyncCollectionInfo *infoOf(S::Collection collection)
{
    for (const CvSyncCollectionInfo &info : cvSyncCollections()) {
        if (info.collection == collection)
            return &info;
    }
    return nullptr;
}

} // namespace

CvAccountSyncPrivate::CvAccountSyncPrivate(CvAccountSync *q, Corvana *facade)
    : q_ptr(q)
    , corvana(facade)
{
    watchdog.setSingleShot(true);
    retryTimer.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [this] {
        if (signingIn) {
            signInFailed(QStringLiteral("no answer within %1 ms").arg(requestTimeout));
            return;
        }
        if (inFlight)
            transientFailure(QStringLiteral("no answer within %1 ms").arg(requestTimeout));
    });
    connect(&retryTimer, &QTimer::timeout, this, &CvAccountSyncPrivate::sendPage);
    if (corvana)
        connectFacade();
}

CvAccountSyncPrivate::Run *CvAccountSyncPrivate::current()
{
    return runIndex < runs.size() ? &runs[runIndex] : nullptr;
}

CvAccountSyncPrivate::Run *CvAccountSyncPrivate::runOf(CvAccountSync::Collection collection)
{
    for (Run &run : runs) {
        if (run.info->collection == collection)
            return &run;
    }
    return nullptr;
}

void CvAccountSyncPrivate::begin()
{
    owner = corvana->currentProfileId();
    for (Run &run : runs) {
        // Threads are listed per folder; collections under a parent get their targets from it.
        if (run.info->collection == S::Threads) {
            for (int folder = MessageBoxInbox; folder <= MessageBoxSpam; ++folder)
                addTarget(S::Threads, QString::number(folder));
        } else if (!run.info->parent) {
            addTarget(run.info->collection, owner);
        }
        loadManifest(&run);
    }
    runIndex = 0;
    startCollection();
}

void CvAccountSyncPrivate::signInFailed(const QString &why)
{
    signingIn = false;
    watchdog.stop();
    for (Run &run : runs)
        run.summary.error = QStringLiteral("sign-in failed: %1").arg(why);
    runIndex = runs.size();
    finishRun(why);
}

void CvAccountSyncPrivate::addTarget(CvAccountSync::Collection collection, const QString &target)
{
    Run *run = runOf(collection);
    if (!run || target.isEmpty() || run->targetSet.contains(target))
        return;
    run->targetSet.insert(target);
    run->targets.append(target);
}

void CvAccountSyncPrivate::startCollection()
{
    Q_Q(CvAccountSync);
    Run *run = current();
    if (!run) {
        finishRun();
        return;
    }
    if (cancelled) {
        run->summary.error = QStringLiteral("cancelled");
        finishCollection();
        return;
    }
    targetIndex = -1;
    Q_EMIT q->progress(run->info->collection, 0, run->total);
    nextTarget();
}

void CvAccountSyncPrivate::nextTarget()
{
    Run *run = current();
    ++targetIndex;
    if (targetIndex >= run->targets.size()) {
        finishCollection();
        return;
    }
    page = 0;
    attempt = 0;
    untilCursor = QDateTime();
    targetSeen.clear();
    sendPage();
}

void CvAccountSyncPrivate::sendPage()
{
    Run *run = current();
    if (!run || !corvana)
        return;
    if (cancelled) {
        stopCollection(QStringLiteral("cancelled"));
        return;
    }
    const CvSyncCollectionInfo &info = *run->info;
    const QString target = run->targets.at(targetIndex);
    CvDataFilter filter(info.parent ? target : owner);
    if (info.paging != CvSyncPaging::None)
        filter.limit = pageLimit();
    if (info.paging == CvSyncPaging::Offset)
        filter.offset = page * pageSize;
    if (info.paging == CvSyncPaging::Until)
        filter.until = untilCursor;
    if (info.dated)
        filter.since = since;

    pageEntries.clear();
    pageOldest = QDateTime();
    pageError.clear();
    pageReady = false;
    inFlight = true;
    ++requests;
    watchdog.start(requestTimeout);
    const Corvana::ReturnCode sent = info.request(corvana, target, filter);
    if (sent != Corvana::Success && inFlight) {
        inFlight = false;
        watchdog.stop();
        stopCollection(QStringLiteral("the request could not be sent (%1)")
                           .arg(QString::fromLatin1(
                               QMetaEnum::fromType<Corvana::ReturnCode>().valueToKey(sent))));
    }
}

int CvAccountSyncPrivate::pageLimit() const
{
    if (runIndex >= runs.size() || runs[runIndex].info->paging != CvSyncPaging::Widening)
        return pageSize;
    return int(std::min<qint64>(qint64(pageSize) << std::min(page, 20), 1 << 24));
}

bool CvAccountSyncPrivate::matches(CvAccountSync::Collection collection,
                                   const QString &signalTarget) const
{
    if (!inFlight || runIndex >= runs.size() || runs[runIndex].info->collection != collection)
        return false;
    if (signalTarget.isEmpty())
        return true;
    const QString target = runs[runIndex].targets.value(targetIndex);
    return signalTarget == target || (target == owner && signalTarget == QLatin1String("me"));
}

void CvAccountSyncPrivate::pageArrived(CvAccountSync::Collection collection,
                                       const QString &signalTarget, const CvSyncEntries &entries,
                                       const CvSyncChildren &children, const QDateTime &oldest)
{
    if (!matches(collection, signalTarget))
        return;
    inFlight = false;
    watchdog.stop();
    pageChildren.clear();
    for (const CvSyncChild &child : children) {
        if (collections & child.collection)
            pageChildren.append(child);
    }
    pageEntries = entries;
    pageOldest = oldest;
    pageReady = true;
    // The facade goes on storing the page after this signal; a cache failure on the way
    // arrives as error() before the page is counted.
    QMetaObject::invokeMethod(this, &CvAccountSyncPrivate::finishPage, Qt::QueuedConnection);
}

void CvAccountSyncPrivate::finishPage()
{
    Q_Q(CvAccountSync);
    Run *run = current();
    if (!pageReady || !run)
        return;
    pageReady = false;
    ++run->summary.pages;
    if (!pageError.isEmpty()) {
        stopCollection(pageError);
        return;
    }

    int fresh = 0;
    unchangedKeys.clear();
    for (const CvSyncEntry &entry : std::as_const(pageEntries)) {
        if (targetSeen.contains(entry.key))
            continue;
        targetSeen.insert(entry.key);
        ++fresh;
        if (run->seen.contains(entry.key))
            continue; // listed by another parent or folder already
        run->seen.insert(entry.key, entry.fingerprint);
        const auto before = run->previous.constFind(entry.key);
        if (before == run->previous.constEnd()) {
            ++run->summary.added;
        } else if (*before != entry.fingerprint) {
            ++run->summary.updated;
        } else {
            ++run->summary.unchanged;
            unchangedKeys.insert(entry.key);
        }
    }
    followChildren(*run);
    if (run->info->paging == CvSyncPaging::None)
        run->total = int(run->seen.size());
    Q_EMIT q->progress(run->info->collection, int(run->seen.size()), run->total);

    const bool shortPage = pageEntries.size() < pageLimit();
    if (!shortPage && fresh == 0) {
        stopCollection(
            QStringLiteral("page %1 repeats items already seen; stopped paging").arg(page + 1));
        return;
    }
    if (cancelled) {
        stopCollection(QStringLiteral("cancelled"));
        return;
    }
    if (run->info->paging == CvSyncPaging::None || shortPage) {
        // A marker that this parent's items were followed to the end, so that a later run
        // may take them over while the parent stays unchanged.
        if (run->info->parent)
            run->seen.insert(run->targets.at(targetIndex) + QLatin1Char('/'), QString());
        nextTarget();
        return;
    }
    if (page + 1 >= maxPages) {
        stopCollection(QStringLiteral("stopped after %1 pages").arg(maxPages));
        return;
    }
    if (run->info->paging == CvSyncPaging::Until) {
        if (!pageOldest.isValid()) {
            stopCollection(QStringLiteral("page %1 has no dated item to page on").arg(page + 1));
            return;
        }
        untilCursor = pageOldest;
    }
    ++page;
    attempt = 0;
    sendPage();
}

void CvAccountSyncPrivate::followChildren(const Run &parent)
{
    for (const CvSyncChild &child : std::as_const(pageChildren)) {
        Run *run = runOf(child.collection);
        if (!run || run->targetSet.contains(child.target))
            continue;
        // Items under a parent that did not change are taken over from the last run: a second
        // run then costs little more than the top-level lists.
        if (run->info->followsChangesOnly && unchangedKeys.contains(child.parentKey)
            && parent.previous.contains(child.parentKey) && carryOver(run, child.target))
            continue;
        addTarget(child.collection, child.target);
    }
    pageChildren.clear();
}

bool CvAccountSyncPrivate::carryOver(Run *run, const QString &target)
{
    const QString marker = target + QLatin1Char('/');
    if (!run->previous.contains(marker))
        return false; // the last run did not follow this parent to the end
    if (run->previousByTarget.isEmpty()) {
        for (auto it = run->previous.cbegin(); it != run->previous.cend(); ++it) {
            const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
            if (slash > 0 && slash + 1 < it.key().size())
                run->previousByTarget[it.key().left(slash)].append(it.key());
        }
    }
    run->targetSet.insert(target);
    run->seen.insert(marker, QString());
    for (const QString &key : run->previousByTarget.value(target)) {
        if (run->seen.contains(key))
            continue;
        run->seen.insert(key, run->previous.value(key));
        ++run->summary.unchanged;
    }
    return true;
}

void CvAccountSyncPrivate::failed(const CvError &error)
{
    if (signingIn) {
        signInFailed(describe(error));
        return;
    }
    if (pageReady) {
        if (pageError.isEmpty())
            pageError = describe(error);
        return;
    }
    if (!inFlight)
        return;
    inFlight = false;
    watchdog.stop();
    if (isTransient(error))
        transientFailure(describe(error));
    else
        stopCollection(describe(error));
}

void CvAccountSyncPrivate::transientFailure(const QString &reason)
{
    Q_Q(CvAccountSync);
    inFlight = false;
    Run *run = current();
    if (cancelled) {
        stopCollection(QStringLiteral("cancelled"));
        return;
    }
    if (attempt >= maxRetries) {
        stopCollection(QStringLiteral("%1 (gave up after %2 retries)").arg(reason).arg(attempt));
        return;
    }
    ++attempt;
    ++run->summary.retries;
    // Exponential backoff, capped, with jitter so that many clients do not retry in step.
    const qint64 exponential = qint64(retryDelay) << std::min(attempt - 1, 20);
    const qint64 capped = std::min<qint64>(exponential, maxRetryDelay);
    const int delay = int(capped / 2 + QRandomGenerator::global()->bounded(capped / 2 + 1));
    cvDebug(QStringLiteral("Account sync: %1 failed transiently (%2), retry %3 in %4 ms")
                .arg(CvAccountSync::collectionName(run->info->collection), reason)
                .arg(attempt)
                .arg(delay));
    Q_EMIT q->retrying(run->info->collection, attempt, reason, delay);
    retryTimer.start(delay);
}

void CvAccountSyncPrivate::stopCollection(const QString &reason)
{
    Run *run = current();
    if (!run)
        return;
    inFlight = false;
    watchdog.stop();
    retryTimer.stop();
    if (run->summary.error.isEmpty())
        run->summary.error = reason;
    if (run->info->parent && targetIndex >= 0 && targetIndex < run->targets.size()) {
        // This parent's items are not known completely; the next run asks for them again.
        const QString marker = run->targets.at(targetIndex) + QLatin1Char('/');
        run->seen.remove(marker);
        run->previous.remove(marker);
    }
    finishCollection();
}

void CvAccountSyncPrivate::finishCollection()
{
    Q_Q(CvAccountSync);
    Run *run = current();
    if (!run)
        return;
    run->finished = true;
    run->summary.complete = run->summary.error.isEmpty();
    QHash<QString, QString> manifest = run->seen;
    if (run->summary.complete) {
        // Only a list followed to the end is evidence that an item is gone.
        QStringList gone;
        for (auto it = run->previous.cbegin(); it != run->previous.cend(); ++it) {
            if (!run->seen.contains(it.key()) && !it.key().endsWith(QLatin1Char('/')))
                gone.append(it.key());
        }
        run->summary.removed = int(gone.size());
        if (run->info->collection == S::Friends && !gone.isEmpty()) {
            CvUserRefs refs;
            for (const QString &id : std::as_const(gone))
                refs.append(CvUserRef {id, QString()});
            CvCache *cache = corvana ? corvana->cache() : nullptr;
            if (!cache || !cache->removeFriends(owner, refs)) {
                run->summary.error = QStringLiteral("former friends could not be removed: %1")
                                         .arg(cache ? cache->lastErrorDescription() : QString());
                run->summary.complete = false;
                run->summary.removed = 0;
                manifest = run->previous;
                for (auto it = run->seen.cbegin(); it != run->seen.cend(); ++it)
                    manifest.insert(it.key(), it.value());
            }
        }
    } else {
        // Keep what earlier runs saw: an incomplete list removes nothing.
        manifest = run->previous;
        for (auto it = run->seen.cbegin(); it != run->seen.cend(); ++it)
            manifest.insert(it.key(), it.value());
    }
    if (!storeManifest(*run, manifest) && run->summary.error.isEmpty()) {
        run->summary.error = QStringLiteral("the record of this run could not be stored");
        run->summary.complete = false;
    }
    results.append(run->summary);
    Q_EMIT q->collectionFinished(run->summary);
    // The per-run lists can be large; the summary is all that is kept.
    run->previous = {};
    run->seen = {};
    ++runIndex;
    QMetaObject::invokeMethod(this, &CvAccountSyncPrivate::startCollection, Qt::QueuedConnection);
}

void CvAccountSyncPrivate::finishRun(const QString &signInError)
{
    Q_Q(CvAccountSync);
    if (!running)
        return;
    running = false;
    watchdog.stop();
    retryTimer.stop();
    if (!signInError.isEmpty()) {
        results.clear();
        for (const Run &run : runs)
            results.append(run.summary);
    }
    Q_EMIT q->finished(results, signInError);
}

QString CvAccountSyncPrivate::manifestKey(const Run &run) const
{
    return QStringLiteral("cv.accountsync.%1.%2")
        .arg(owner,
             QString::fromLatin1(run.info->name).replace(QLatin1Char(' '), QLatin1Char('-')));
}

void CvAccountSyncPrivate::loadManifest(Run *run)
{
    CvCache *cache = corvana->cache();
    QString text;
    if (!cache || !cache->getUserData(manifestKey(*run), &text))
        return;
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
    run->previous.reserve(object.size());
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        run->previous.insert(it.key(), it.value().toString());
}

bool CvAccountSyncPrivate::storeManifest(const Run &run, const QHash<QString, QString> &manifest)
{
    CvCache *cache = corvana ? corvana->cache() : nullptr;
    if (!cache)
        return false;
    QJsonObject object;
    for (auto it = manifest.cbegin(); it != manifest.cend(); ++it)
        object.insert(it.key(), it.value());
    return cache->updateUserData(
        manifestKey(run), QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

// --- CvAccountSync ------------------------------------------------------------------------------

CvAccountSync::CvAccountSync(Corvana *corvana, QObject *parent)
    : QObject(parent)
    , d_ptr(std::make_unique<CvAccountSyncPrivate>(this, corvana))
{
    qRegisterMetaType<Cv::CvAccountSync::Summary>();
    qRegisterMetaType<QList<Cv::CvAccountSync::Summary>>();
}

CvAccountSync::~CvAccountSync() = default;

CvAccountSync::Collections CvAccountSync::collections() const
{
    Q_D(const CvAccountSync);
    return d->collections;
}

void CvAccountSync::setCollections(Collections collections)
{
    Q_D(CvAccountSync);
    collections &= AllCollections;
    for (const CvSyncCollectionInfo &info : cvSyncCollections()) {
        if (!(collections & info.collection) || !info.parent)
            continue;
        if (info.collection == Comments
            && (collections & (NewsFeed | ProfileFeed | StatusMessages)))
            continue;
        collections |= info.parent;
    }
    d->collections = collections;
}

QDateTime CvAccountSync::since() const
{
    Q_D(const CvAccountSync);
    return d->since;
}

void CvAccountSync::setSince(const QDateTime &since)
{
    Q_D(CvAccountSync);
    d->since = since;
}

int CvAccountSync::pageSize() const
{
    Q_D(const CvAccountSync);
    return d->pageSize;
}

void CvAccountSync::setPageSize(int size)
{
    Q_D(CvAccountSync);
    d->pageSize = std::max(1, size);
}

int CvAccountSync::maxPages() const
{
    Q_D(const CvAccountSync);
    return d->maxPages;
}

void CvAccountSync::setMaxPages(int pages)
{
    Q_D(CvAccountSync);
    d->maxPages = std::max(1, pages);
}

int CvAccountSync::maxRetries() const
{
    Q_D(const CvAccountSync);
    return d->maxRetries;
}

void CvAccountSync::setMaxRetries(int retries)
{
    Q_D(CvAccountSync);
    d->maxRetries = std::max(0, retries);
}

int CvAccountSync::retryDelay() const
{
    Q_D(const CvAccountSync);
    return d->retryDelay;
}

void CvAccountSync::setRetryDelay(int msec)
{
    Q_D(CvAccountSync);
    d->retryDelay = std::max(0, msec);
}

int CvAccountSync::maxRetryDelay() const
{
    Q_D(const CvAccountSync);
    return d->maxRetryDelay;
}

void CvAccountSync::setMaxRetryDelay(int msec)
{
    Q_D(CvAccountSync);
    d->maxRetryDelay = std::max(0, msec);
}

int CvAccountSync::requestTimeout() const
{
    Q_D(const CvAccountSync);
    return d->requestTimeout;
}

void CvAccountSync::setRequestTimeout(int msec)
{
    Q_D(CvAccountSync);
    d->requestTimeout = std::max(1, msec);
}

bool CvAccountSync::isRunning() const
{
    Q_D(const CvAccountSync);
    return d->running;
}

int CvAccountSync::requestCount() const
{
    Q_D(const CvAccountSync);
    return d->requests;
}

QList<CvAccountSync::Summary> CvAccountSync::summaries() const
{
    Q_D(const CvAccountSync);
    return d->results;
}

QString CvAccountSync::collectionName(Collection collection)
{
    const CvSyncCollectionInfo *info = infoOf(collection);
    return info ? QString::fromLatin1(info->name) : QString();
}

CvAccountSync::Collection CvAccountSync::collectionFromName(const QString &name)
{
    QString text = name.trimmed().toLower();
    text.replace(QLatin1Char('-'), QLatin1Char(' '));
    for (const CvSyncCollectionInfo &info : cvSyncCollections()) {
        QString own = QString::fromLatin1(info.name);
        own.replace(QLatin1Char('-'), QLatin1Char(' '));
        if (own == text)
            return info.collection;
    }
    return Collection(0);
}

void CvAccountSync::start()
{
    Q_D(CvAccountSync);
    if (d->running)
        return;
    d->running = true;
    d->cancelled = false;
    d->requests = 0;
    d->results.clear();
    d->runs.clear();
    d->runIndex = 0;
    d->inFlight = false;
    d->pageReady = false;
    for (const CvSyncCollectionInfo &info : cvSyncCollections()) {
        if (!(d->collections & info.collection))
            continue;
        CvAccountSyncPrivate::Run run;
        run.info = &info;
        run.summary.collection = info.collection;
        d->runs.push_back(std::move(run));
    }
    if (!d->corvana) {
        QMetaObject::invokeMethod(
            d, [d] { d->signInFailed(QStringLiteral("there is no facade")); },
            Qt::QueuedConnection);
        return;
    }
    if (d->corvana->isInitialized()) {
        QMetaObject::invokeMethod(d, &CvAccountSyncPrivate::begin, Qt::QueuedConnection);
        return;
    }
    d->signingIn = true;
    d->watchdog.start(d->requestTimeout);
    d->corvana->init();
}

void CvAccountSync::cancel()
{
    Q_D(CvAccountSync);
    if (!d->running || d->cancelled)
        return;
    d->cancelled = true;
    if (d->signingIn) {
        d->signInFailed(QStringLiteral("cancelled"));
        return;
    }
    // A request in flight is awaited; one waiting to be retried is not sent.
    if (d->retryTimer.isActive())
        d->stopCollection(QStringLiteral("cancelled"));
}

} // namespace Cv
