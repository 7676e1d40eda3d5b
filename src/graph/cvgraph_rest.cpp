// Legacy REST method calls: GETs on the REST endpoint's /method/<name>, always format=json.

#include "graph/cvgraph_p.h"

#include "convert/cvlog_p.h"
#include "cvendpoints.h"

namespace Cv {

namespace {

QString number(int value)
{
    return QString::number(value, 10);
}

// The transport takes one value per key; every parameter of these methods is set once.
QMap<QString, QString> transportParameters(const CvGraphOp::Parameters &parameters)
{
    QMap<QString, QString> map;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
        if (!map.contains(it.key()))
            map.insert(it.key(), it.value());
    }
    return map;
}

} // namespace

CvGraphOp CvGraphPrivate::restOp(const QString &method, CvGraphOp::Operation kind,
                                 const QString &id, const QString &name)
{
    QUrl url = CvEndpoints::restBaseUrl();
    url.setPath(QLatin1String("/method/") + method);
    CvGraphOp op(url, kind, id, name);
    op.setParameter(QStringLiteral("format"), QStringLiteral("json"));
    return op;
}

bool CvGraphPrivate::tagPhoto(const QString &pid, const QPair<QString, QString> &tag, float x,
                              float y, const QString &owner)
{
    if (pid.isEmpty() || tag.first.isEmpty() || tag.second.isEmpty() || x < 0 || y < 0)
        return false;
    CvGraphOp op = restOp(QStringLiteral("photos.addTag"), CvGraphOp::TagPhoto, pid, QString());
    op.setParameter(QStringLiteral("pid"), pid);
    op.setParameter(tag.first, tag.second);
    op.setParameter(QStringLiteral("x"), QString::number(double(x), 'g', 6));
    op.setParameter(QStringLiteral("y"), QString::number(double(y), 'g', 6));
    if (!owner.isEmpty())
        op.setParameter(QStringLiteral("owner_uid"), owner);
    runOp(op);
    return true;
}

bool CvGraphPrivate::deleteTag(const QString &pid, const QPair<QString, QString> &tag,
                               CvGraphOp::Operation kind)
{
    if (pid.isEmpty() || tag.first.isEmpty() || tag.second.isEmpty())
        return false;
    CvGraphOp op = restOp(QStringLiteral("corvana.photos.deleteTag"), kind, pid, tag.second);
    op.setParameter(QStringLiteral("pid"), pid);
    op.setParameter(tag.first, tag.second);
    runOp(op);
    return true;
}

bool CvGraphPrivate::runRestUpload(const CvGraphOp &op)
{
    CV_TRACE_FUNCTION;
    // runOp only knows multipart posts on the Graph endpoint; this one goes to a REST method.
    const QByteArray body = op.body();
    const int id
        = transport.post(op.url(), op.headers(), transportParameters(op.parameters()), &body);
    if (id < 0) {
        cvWarning(QStringLiteral("Failed to dispatch an operation"));
        return false;
    }
    operations.insert(id, op);
    return true;
}

bool CvGraph::markMessageThreadStatus(const QString &threadId, ReadType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(type == MarkUnread ? QStringLiteral("corvana.mailbox.markUnread")
                                                : QStringLiteral("corvana.mailbox.markRead"),
                             CvGraphOp::MarkMessageThreadStatus, threadId, QString());
    op.setParameter(QStringLiteral("tid"), threadId);
    d->runOp(op);
    return true;
}

bool CvGraph::respondToFriendRequest(const QString &uid, RespondType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (uid.isEmpty() || (type != Confirm && type != ConfirmLimited && type != Reject))
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.friends.confirm"),
                             CvGraphOp::RespondToFriendRequest, uid, QString());
    op.setParameter(QStringLiteral("uid"), uid);
    op.setParameter(QStringLiteral("confirm"),
                    type == Reject ? QStringLiteral("0") : QStringLiteral("1"));
    if (type == ConfirmLimited)
        op.setParameter(QStringLiteral("limited"), QStringLiteral("1"));
    d->runOp(op);
    return true;
}

bool CvGraph::sendMessage(const QString &body, const QString &subject, const QStringList &uids,
                          const QStringList &emails)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if ((uids.isEmpty() && emails.isEmpty()) || (body.isEmpty() && subject.isEmpty()))
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.mailbox.send"), CvGraphOp::SendMessageRest,
                             QString(), QString());
    if (!uids.isEmpty())
        op.setParameter(QStringLiteral("to"), uids.join(QLatin1Char(',')));
    op.setParameter(QStringLiteral("subject"), subject);
    op.setParameter(QStringLiteral("body"), body);
    if (!emails.isEmpty())
        op.setParameter(QStringLiteral("emails"), emails.join(QLatin1Char(',')));
    d->runOp(op);
    return true;
}

bool CvGraph::replyToMessage(const QString &threadId, const QString &body, const QString &mid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty() || body.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.mailbox.reply"), CvGraphOp::ReplyToMessageRest,
                             threadId, QString());
    op.setParameter(QStringLiteral("tid"), threadId);
    op.setParameter(QStringLiteral("body"), body);
    if (!mid.isEmpty())
        op.setParameter(QStringLiteral("mid"), mid);
    d->runOp(op);
    return true;
}

bool CvGraph::deleteMessageThread(const QString &threadId, int folder)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.mailbox.deleteThread"),
                             CvGraphOp::DeleteMessageThread, threadId, number(folder));
    op.setParameter(QStringLiteral("tid"), threadId);
    op.setParameter(QStringLiteral("folder"), number(folder));
    d->runOp(op);
    return true;
}

bool CvGraph::retrieveMessageThreads(const QString &id, int folder, int limit, int offset)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    // The folder only labels the answer; the method reads the folder of the session.
    CvGraphOp op = d->restOp(QStringLiteral("message.getThreadsInFolder"),
                             CvGraphOp::RetrieveMessageThreads, id, number(folder));
    if (limit > 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (offset >= 0)
        op.setParameter(QStringLiteral("offset"), number(offset));
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::retrieveInbox(const QString &id, int start, int limit, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op
        = d->restOp(QStringLiteral("corvana.mailbox.getInbox"), CvGraphOp::RetrieveInbox, id, name);
    if (limit >= 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (start >= 0)
        op.setParameter(QStringLiteral("start"), number(start));
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::retrieveOutbox(const QString &id, int start, int limit, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.mailbox.getOutbox"), CvGraphOp::RetrieveOutbox,
                             id, name);
    if (limit >= 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (start >= 0)
        op.setParameter(QStringLiteral("start"), number(start));
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::retrieveThread(const QString &threadId)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.mailbox.getThread"), CvGraphOp::RetrieveThread,
                             threadId, QString());
    op.setParameter(QStringLiteral("tid"), threadId);
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::retrieveThreadMessages(const QString &threadId, int start, int limit,
                                     const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.mailbox.getThreadMessages"),
                             CvGraphOp::RetrieveThreadMessages, threadId, name);
    op.setParameter(QStringLiteral("tid"), threadId);
    if (limit > 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (start >= 0)
        op.setParameter(QStringLiteral("start"), number(start));
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::retrieveNotificationList(const QString &id, bool includeRead,
                                       const QDateTime &startTime)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("notifications.getList"),
                             CvGraphOp::RetrieveNotificationList, id, QString());
    if (startTime.isValid()) {
        op.setParameter(QStringLiteral("start_time"),
                        QString::number(startTime.toSecsSinceEpoch(), 10));
    }
    if (includeRead)
        op.setParameter(QStringLiteral("include_read"), QStringLiteral("1"));
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::markNotificationsRead(const QStringList &ids)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (ids.isEmpty())
        return false;
    const QString joined = ids.join(QLatin1Char(','));
    CvGraphOp op = d->restOp(QStringLiteral("notifications.markRead"),
                             CvGraphOp::MarkNotificationsRead, joined, QString());
    op.setParameter(QStringLiteral("notification_ids"), joined);
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::sendFriendRequest(const QString &uid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (uid.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.friends.add"), CvGraphOp::SendFriendRequest,
                             uid, QString());
    op.setParameter(QStringLiteral("uid"), uid);
    d->runOp(op);
    return true;
}

bool CvGraph::addPhotoLike(const QString &pid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (pid.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.photos.addLike"), CvGraphOp::AddPhotoLike, pid,
                             QString());
    op.setParameter(QStringLiteral("pid"), pid);
    d->runOp(op);
    return true;
}

bool CvGraph::removePhotoLike(const QString &pid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (pid.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.photos.removeLike"),
                             CvGraphOp::RemovePhotoLike, pid, QString());
    op.setParameter(QStringLiteral("pid"), pid);
    d->runOp(op);
    return true;
}

bool CvGraph::deleteAlbum(const QString &aid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (aid.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.photos.deleteAlbum"), CvGraphOp::DeleteAlbum,
                             aid, QString());
    op.setParameter(QStringLiteral("aid"), aid);
    d->runOp(op);
    return true;
}

bool CvGraph::retrievePhoto(const QString &pid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (pid.isEmpty())
        return false;
    CvGraphOp op
        = d->restOp(QStringLiteral("photos.get"), CvGraphOp::RetrievePhoto, pid, QString());
    op.setParameter(QStringLiteral("pids"), pid);
    d->applyLocale(d->locale, &op);
    d->runOp(op);
    return true;
}

bool CvGraph::addFanToPage(const QString &pageId)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (pageId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.pages.addFan"), CvGraphOp::AddFanToPage,
                             pageId, QString());
    op.setParameter(QStringLiteral("page_id"), pageId);
    d->runOp(op);
    return true;
}

bool CvGraph::tagPhotoWithId(const QString &pid, const QString &uid, float x, float y,
                             const QString &owner)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->tagPhoto(pid, qMakePair(QStringLiteral("tag_uid"), uid), x, y, owner);
}

bool CvGraph::tagPhotoWithText(const QString &pid, const QString &text, float x, float y,
                               const QString &owner)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->tagPhoto(pid, qMakePair(QStringLiteral("tag_text"), text), x, y, owner);
}

bool CvGraph::deleteUserTag(const QString &pid, const QString &uid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->deleteTag(pid, qMakePair(QStringLiteral("tag_uid"), uid), CvGraphOp::DeleteUserTag);
}

bool CvGraph::deleteTextTag(const QString &pid, const QString &text)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->deleteTag(pid, qMakePair(QStringLiteral("tag_text"), text), CvGraphOp::DeleteTextTag);
}

bool CvGraph::uploadProfilePicture(const QString &id, const QString &fileName,
                                   const QString &caption)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    QByteArray data;
    QString mimeType;
    if (!d->readUpload(fileName, &data, &mimeType))
        return false;
    CvGraphOp op = d->restOp(QStringLiteral("corvana.photos.uploadProfilePic"),
                             CvGraphOp::UploadProfilePicture, id, QString());
    op.setParameter(QStringLiteral("profile_id"), id);
    op.setParameter(QStringLiteral("caption"), caption);
    op.setHeaders(d->multipartHeaders());
    op.setBody(d->multipartBody(fileName, mimeType, data));
    d->runRestUpload(op);
    return true;
}

} // namespace Cv
