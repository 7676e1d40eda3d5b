#include "cvcache.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"

namespace Cv {

// --- private steps ------------------------------------------------------------------------------

bool CvCachePrivate::getThread(const QString &viewerId, const QString &threadId, MessageBoxType box,
                               CvThread *thread)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectThreadQuery(viewerId, CvQueries::threadKey(threadId, box)),
                   thread, [this, box](CvStatement *q) { return queries.parseThreads(q, box); });
}

bool CvCachePrivate::getMessage(const QString &threadId, const QString &messageId,
                                CvMessage *message)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectMessageQuery(threadId, messageId), message,
                   [this](CvStatement *q) { return queries.parseMessages(q); });
}

bool CvCachePrivate::getMessages(const QString &threadId, CvMessages *messages,
                                 const CvDataFilter &filter)
{
    if (!isOpen())
        return false;
    return readList(queries.prepareSelectMessagesQuery(threadId, filter), messages,
                    [this](CvStatement *q) { return queries.parseMessages(q); });
}

bool CvCachePrivate::getAttachment(const QString &threadId, const QString &messageId,
                                   CvAttachment *attachment)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectAttachmentQuery(threadId, messageId), attachment,
                   &CvQueries::parseAttachments);
}

CvCache::UpdateResult CvCachePrivate::updateThreadStep(const QString &viewerId, MessageBoxType box,
                                                       const CvThread &thread)
{
    const CvCache::UpdateResult result = insertOrUpdate(
        thread, [&](CvThread *stored) { return getThread(viewerId, thread.id(), box, stored); },
        [&] { return writeUserRefs(CvUserRefs {thread.from()}) && writeUserRefs(thread.to()); },
        [&](bool update, CvStatement *) {
            return update ? queries.prepareUpdateThreadQuery(viewerId, box, thread)
                          : queries.prepareInsertThreadQuery(viewerId, box, thread);
        });
    if (result != CvCache::Updated && result != CvCache::Inserted)
        return result;

    const QPair<QString, QString> key(QStringLiteral("thread_id"),
                                      CvQueries::threadKey(thread.id(), box));
    const QString user = QStringLiteral("user_id");
    if (!writeUserRefs(CvUserRefs {thread.from()}))
        return CvCache::UpdateFailed;
    for (const CvUserRef &ref : thread.to()) {
        if (!updateTableTarget(QStringLiteral("thread_participants"), key, {user, ref.id}))
            return CvCache::UpdateFailed;
    }
    // Senders are not written as users: they are participants already.
    for (const CvUserRef &ref : thread.senders()) {
        if (!updateTableTarget(QStringLiteral("thread_senders"), key, {user, ref.id}))
            return CvCache::UpdateFailed;
    }
    return result;
}

CvCache::UpdateResult CvCachePrivate::updateMessageStep(const QString &threadId,
                                                        const CvMessage &message)
{
    return insertOrUpdate(
        message, [&](CvMessage *stored) { return getMessage(threadId, message.id(), stored); },
        [] { return true; },
        [&](bool update, CvStatement *) {
            return update ? queries.prepareUpdateMessageQuery(threadId, message)
                          : queries.prepareInsertMessageQuery(threadId, message);
        });
}

CvCache::UpdateResult CvCachePrivate::updateAttachmentStep(const QString &threadId,
                                                           const CvAttachment &attachment)
{
    CvAttachment stored;
    const bool found = getAttachment(threadId, attachment.id(), &stored) && stored.isValid();
    if (found && stored == attachment)
        return CvCache::NotChanged;
    // A message has one attachment: a different one replaces what was stored.
    if (found
        && !execPerCall(QStringLiteral("DELETE from attachments WHERE tid = ? AND mid = ?"),
                        {threadId, attachment.id()}))
        return CvCache::UpdateFailed;
    CvStatement *insert = queries.prepareInsertAttachmentQuery(threadId, attachment);
    if (!insert || !execWrite(insert))
        return CvCache::UpdateFailed;
    return found ? CvCache::Updated : CvCache::Inserted;
}

bool CvCachePrivate::removeMessages(const QString &threadId)
{
    CvMessages messages;
    if (!getMessages(threadId, &messages, CvDataFilter()))
        return false;
    return runBatch(messages, [&](const CvMessage &message) {
        return execPerCall(QStringLiteral("DELETE from messages WHERE tid = ? AND id = ?"),
                           {threadId, message.id()});
    });
}

// --- CvCache: threads ---------------------------------------------------------------------------

bool CvCache::updateThreads(const QString &viewerId, MessageBoxType box, const CvThreads &threads)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(threads, [&](const CvThread &thread) {
        return d->updateThreadStep(viewerId, box, thread) != UpdateFailed;
    });
}

bool CvCache::getThread(const QString &viewerId, const QString &threadId, MessageBoxType box,
                        CvThread *thread)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getThread(viewerId, threadId, box, thread);
}

bool CvCache::getThreads(const QString &viewerId, MessageBoxType box, CvThreads *threads,
                         const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    return d->readList(d->queries.prepareSelectThreadsQuery(viewerId, box, filter), threads,
                       [d, box](CvStatement *q) { return d->queries.parseThreads(q, box); });
}

bool CvCache::removeThread(const QString &viewerId, const QString &threadId, MessageBoxType box)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    // The copies of a thread in the inbox and the sent box share their messages.
    const MessageBoxType other = box == MessageBoxInbox ? MessageBoxSent : MessageBoxInbox;
    CvThread copy;
    if (!d->getThread(viewerId, threadId, other, &copy) && !d->removeMessages(threadId))
        return false;
    return d->execPerCall(QStringLiteral("DELETE from threads WHERE viewer_id = ? AND id = ?"),
                          {viewerId, CvQueries::threadKey(threadId, box)});
}

bool CvCache::removeThreads(const QString &viewerId, MessageBoxType box, const CvThreads &threads)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(threads, [&](const CvThread &thread) {
        return d->execPerCall(QStringLiteral("DELETE from threads WHERE viewer_id = ? AND id = ?"),
                              {viewerId, CvQueries::threadKey(thread.id(), box)});
    });
}

bool CvCache::removeThreads(const QDateTime &olderThan)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->removeOlderThan(QStringLiteral("threads"), QStringLiteral("last_update"), olderThan);
}

// --- CvCache: messages and attachments ----------------------------------------------------------

bool CvCache::updateMessages(const QString &threadId, const CvMessages &messages)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(messages, [&](const CvMessage &message) {
        return d->updateMessageStep(threadId, message) != UpdateFailed;
    });
}

bool CvCache::getMessage(const QString &threadId, const QString &messageId, CvMessage *message)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getMessage(threadId, messageId, message);
}

bool CvCache::getMessages(const QString &threadId, CvMessages *messages, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getMessages(threadId, messages, filter);
}

bool CvCache::removeMessage(const QString &threadId, const QString &messageId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    return d->execPerCall(QStringLiteral("DELETE from messages WHERE tid = ? AND id = ?"),
                          {threadId, messageId});
}

bool CvCache::removeMessages(const QString &threadId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->removeMessages(threadId);
}

bool CvCache::updateAttachments(const QString &threadId, const CvAttachments &attachments)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(attachments, [&](const CvAttachment &attachment) {
        return d->updateAttachmentStep(threadId, attachment) != UpdateFailed;
    });
}

bool CvCache::getAttachment(const QString &threadId, const QString &messageId,
                            CvAttachment *attachment)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getAttachment(threadId, messageId, attachment);
}

bool CvCache::getAttachments(const QString &threadId, CvAttachments *attachments)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    return d->readList(d->queries.prepareSelectAttachmentsQuery(threadId), attachments,
                       &CvQueries::parseAttachments);
}

} // namespace Cv
