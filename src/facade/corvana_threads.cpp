#include "facade/corvana_p.h"
#include "facade/cvsyncdiff_p.h"

#include "convert/cvlog_p.h"
#include "cvcache.h"
#include "cvdataconverter.h"
#include "cvgraph.h"

#include <QSet>

#include <array>

namespace Cv {

namespace {

// The query language names the folders by text, in the order of MessageBoxType.
const std::array<QLatin1String, 4> folderTexts = {QLatin1String("inbox"), QLatin1String("other"),
                                                  QLatin1String("sent"), QLatin1String("spam")};

bool isFolder(MessageBoxType folder)
{
    return folder >= MessageBoxInbox && folder <= MessageBoxSpam;
}

QString folderText(MessageBoxType folder)
{
    return folderTexts.at(std::size_t(folder));
}

// Threads and messages are paged ten at a time unless the caller asks otherwise.
constexpr int defaultPageSize = 10;

QString pageOffset(const CvDataFilter &filter)
{
    return QString::number(filter.offset == -1 ? 0 : filter.offset);
}

QString pageLimit(const CvDataFilter &filter)
{
    return QString::number(filter.limit == -1 ? defaultPageSize : filter.limit);
}

// Operations that only ask the service need the signed-in user, then an access token.
Corvana::ReturnCode networkReady(const CorvanaPrivate *d)
{
    if (d->currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    if (!d->shouldDispatchToNetwork(Corvana::CacheAndNetwork))
        return Corvana::NetworkUnavailable;
    return Corvana::Success;
}

Corvana::ReturnCode dispatchQuery(CvGraph *graph, const QString &query)
{
    // The reply is recognised by its own text, so the query is also its request name.
    return dispatched(graph->executeQuery(query, query));
}

// Paging as a thread query wrote it after "LIMIT ": "offset,limit", a bare limit, or nothing.
void readPaging(const QString &query, CvDataFilter *filter)
{
    const QLatin1String limitKeyword("LIMIT ");
    const int at = query.indexOf(limitKeyword);
    const QString paging = at < 0 ? QString() : query.mid(at + limitKeyword.size()).trimmed();
    filter->offset = 0;
    filter->limit = defaultPageSize;
    if (paging.isEmpty())
        return;
    const int comma = paging.indexOf(QLatin1Char(','));
    if (comma < 0) {
        filter->limit = paging.toInt();
        return;
    }
    filter->offset = paging.left(comma).toInt();
    filter->limit = paging.mid(comma + 1).toInt();
}

// The time window a thread query wrote into its statement. A bound the statement lacks reads as
// 0, the epoch, so a reply always synchronizes a bounded window.
void readWindow(const QString &query, CvDataFilter *filter)
{
    const QLatin1String where("WHERE");
    const int at = query.indexOf(where);
    const QStringList tokens = at < 0
        ? QStringList()
        : query.mid(at + where.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    qint64 since = 0;
    qint64 until = 0;
    for (qsizetype i = 0; i + 2 < tokens.size(); ++i) {
        if (tokens.at(i) != QLatin1String("timestamp"))
            continue;
        const QString &op = tokens.at(i + 1);
        if (op == QLatin1String(">="))
            since = tokens.at(i + 2).toLongLong();
        else if (op == QLatin1String("<="))
            until = tokens.at(i + 2).toLongLong();
    }
    filter->since = QDateTime::fromMSecsSinceEpoch(since, Qt::UTC);
    filter->until = QDateTime::fromMSecsSinceEpoch(until, Qt::UTC);
}

// The text between the first two single quotes of a request name value such as 'abc'.
QString unquoted(const QString &value)
{
    const int open = value.indexOf(QLatin1Char('\''));
    if (open < 0)
        return value;
    const int close = value.indexOf(QLatin1Char('\''), open + 1);
    return value.mid(open + 1, close < 0 ? -1 : close - open - 1);
}

} // namespace

// --- query texts ------------------------------------------------------------------------------

QString CorvanaPrivate::timestampClause(const CvDataFilter &filter)
{
    const bool since = filter.since.isValid();
    const bool until = filter.until.isValid();
    if (since && until)
        return QStringLiteral("AND timestamp >= %1 AND timestamp <= %2")
            .arg(filter.since.toMSecsSinceEpoch())
            .arg(filter.until.toMSecsSinceEpoch());
    if (since)
        return QStringLiteral("AND timestamp >= %1").arg(filter.since.toMSecsSinceEpoch());
    if (until)
        return QStringLiteral("AND timestamp <= %1").arg(filter.until.toMSecsSinceEpoch());
    return QString();
}

MessageBoxType CorvanaPrivate::mailboxFromQuery(const QString &query)
{
    for (std::size_t i = 0; i < folderTexts.size(); ++i) {
        if (query.contains(QLatin1Char('\'') + folderTexts.at(i) + QLatin1Char('\'')))
            return MessageBoxType(i);
    }
    return MessageBoxInbox;
}

// --- operations -------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveThreads(CvThreads *threads, MessageBoxType folder,
                                             const CvDataFilter &filter, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (filter.id != QLatin1String("me") && filter.id != d->currentProfileId)
        return InvalidArgument;
    if (threads)
        d->cache->getThreads(d->currentProfileId, folder, threads, filter);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    if (!isFolder(folder))
        return InvalidArgument;
    return dispatchQuery(d->graph.get(),
                         Query::QueryThreads.arg(folderText(folder),
                                                 CorvanaPrivate::timestampClause(filter),
                                                 pageOffset(filter), pageLimit(filter)));
}

Corvana::ReturnCode Corvana::retrieveThreads(CvThreads *threads, MessageBoxType folder,
                                             RetrieveBehavior behavior)
{
    return retrieveThreads(threads, folder, CvDataFilter(QStringLiteral("me")), behavior);
}

Corvana::ReturnCode Corvana::retrieveMessages(CvMessages *messages, const CvDataFilter &filter,
                                              RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    const QString &threadId = filter.id;
    if (threadId.isEmpty())
        return InvalidArgument;
    if (messages)
        d->cache->getMessages(threadId, messages, filter);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    if (!areQueryIdentifiers({threadId}))
        return InvalidArgument;
    return dispatchQuery(d->graph.get(),
                         Query::QueryThreadMessages.arg(threadId,
                                                        CorvanaPrivate::timestampClause(filter),
                                                        pageOffset(filter), pageLimit(filter)));
}

Corvana::ReturnCode Corvana::retrieveMessages(CvMessages *messages, const QString &threadId,
                                              RetrieveBehavior behavior)
{
    return retrieveMessages(messages, CvDataFilter(threadId), behavior);
}

Corvana::ReturnCode Corvana::retrieveThreadAttachments(CvAttachments *attachments,
                                                       const QString &threadId,
                                                       RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (threadId.isEmpty())
        return InvalidArgument;
    if (attachments)
        d->cache->getAttachments(threadId, attachments);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    if (!areQueryIdentifiers({threadId, d->currentProfileId}))
        return InvalidArgument;
    return dispatchQuery(d->graph.get(),
                         Query::QueryThreadAttachments.arg(threadId, d->currentProfileId));
}

Corvana::ReturnCode Corvana::retrieveNumberOfUnreadThreads(MessageBoxType folder)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode ready = networkReady(d); ready != Success)
        return ready;
    // Only the other folders have a count of their own; anything else asks for the inbox.
    const bool named = folder >= MessageBoxOther && folder <= MessageBoxSpam;
    return dispatchQuery(
        d->graph.get(),
        Query::QueryUnreadThreadCount.arg(folderText(named ? folder : MessageBoxInbox)));
}

Corvana::ReturnCode Corvana::sendMessage(const QString &message, const QStringList &recipients)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode ready = networkReady(d); ready != Success)
        return ready;
    return dispatched(d->graph->sendMessage(message, recipients));
}

Corvana::ReturnCode Corvana::replyToMessage(const QString &threadId, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode ready = networkReady(d); ready != Success)
        return ready;
    return d->graph->replyToMessage(threadId, message) ? Success : InvalidArgument;
}

Corvana::ReturnCode Corvana::markMessageThreadStatus(const QString &threadId, ReadType type)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode ready = networkReady(d); ready != Success)
        return ready;
    if (threadId.isEmpty())
        return InvalidArgument;
    return dispatched(d->graph->markThreadStatus(threadId, type));
}

// --- replies ----------------------------------------------------------------------------------

void CorvanaPrivate::processThreadsReply(const QString &query, const QVariantList &rows)
{
    CvDataFilter filter(currentProfileId);
    readPaging(query, &filter);
    readWindow(query, &filter);
    processThreads(filter, rows, mailboxFromQuery(query));
}

void CorvanaPrivate::processThreads(const CvDataFilter &filter, const QVariantList &rows,
                                    MessageBoxType folder)
{
    Q_Q(Corvana);
    const CvThreads threads = CvDataConverter::toThreads(rows);
    Q_EMIT q->threadsRetrieved(folder, threads);
    if (!synchronizeThreads(filter, folder, threads))
        emitSyncError(ThreadsSync, currentProfileId);
}

bool CorvanaPrivate::synchronizeThreads(const CvDataFilter &filter, MessageBoxType folder,
                                        const CvThreads &threads)
{
    Q_Q(Corvana);
    const QString owner = currentProfileId;
    const CvSyncSteps<CvThread> steps {
        [&](CvThreads *cached) { return cache->getThreads(owner, folder, cached, filter); },
        [&](const CvThreads &list) { return cache->updateThreads(owner, folder, list); },
        [&](const CvThreads &list) { return cache->removeThreads(owner, folder, list); },
        [&](const CvThreads &added, const CvThreads &updated, const CvThreads &removed) {
            Q_EMIT q->threadsUpdated(folder, added, updated, removed);
        }};
    // A query reply is the whole page it asked for: there is no further page to follow.
    return cvSynchronize(threads, cvMayRemove(CvRemovalRule::Windowed, filter, true), steps);
}

void CorvanaPrivate::processThreadMessages(const QString &query, const QVariantList &rows)
{
    Q_Q(Corvana);
    const QString threadId = unquoted(requestNameValue(query, QStringLiteral("thread_id")));
    if (!areQueryIdentifiers({threadId}))
        return; // not a statement this facade built
    const CvMessages messages = CvDataConverter::toThreadMessages(rows);
    if (!storeAuthors(messages) || !cache->updateMessages(threadId, messages))
        emitCacheError(threadId);
    Q_EMIT q->messagesUpdated(threadId, messages);
}

void CorvanaPrivate::processThreadAttachments(const QString &query, const QVariantList &rows)
{
    Q_Q(Corvana);
    const QString threadId = requestNameValue(query, QStringLiteral("thread_id"));
    if (!areQueryIdentifiers({threadId}))
        return; // not a statement this facade built
    const CvAttachments attachments = CvDataConverter::toAttachments(rows);
    if (!cache->updateAttachments(threadId, attachments))
        emitCacheError(threadId);
    Q_EMIT q->threadAttachmentsUpdated(threadId, attachments);
}

void CorvanaPrivate::processUnreadThreadCount(const QString &query, const QVariantList &rows)
{
    Q_Q(Corvana);
    // An empty reply has no row to read a count from: no thread is unread.
    const quint32 number = rows.value(0).toMap().value(QStringLiteral("unread_count")).toUInt();
    Q_EMIT q->numberOfUnreadThreadsRetrieved(mailboxFromQuery(query), number);
}

// A message's author must be a stored user before the message can be. Authors met for the first
// time are stored as references; a stored user is left as it is, however little it knows.
bool CorvanaPrivate::storeAuthors(const CvMessages &messages)
{
    QSet<QString> seen;
    CvUsers unknown;
    for (const CvMessage &message : messages) {
        const CvUserRef &author = message.from();
        if (author.id.isEmpty() || seen.contains(author.id))
            continue;
        seen.insert(author.id);
        CvUser stored;
        if (!cache->getUser(author.id, &stored, CvCache::ById) || !stored.isValid())
            unknown.append(CvUser(author));
    }
    return unknown.isEmpty() || cache->updateUsers(unknown);
}

} // namespace Cv
