// Legacy REST method calls: GETs on the REST endpoint's /method/<name>, always format=json.

#include "graph/cvgraph_p.h"

#include "convert/cvlog_p.h"
#include "cvendpoints.h"

namespace Cv {

namespace {

using Method = CvGraphPrivate::RestMethod;

// Every REST method the graph calls. The id key names the parameter that carries the
// operation's id; a localized method also sends the graph's locale.
namespace Rest {
constexpr Method EventInvitations {"events.get", CvGraphOp::RetrieveEventInvitations, nullptr,
                                   true};
constexpr Method Notifications {"notifications.get", CvGraphOp::RetrieveNotifications, nullptr,
                                true};
constexpr Method MarkThreadRead {"corvana.mailbox.markRead", CvGraphOp::MarkMessageThreadStatus,
                                 "tid", false};
constexpr Method MarkThreadUnread {"corvana.mailbox.markUnread", CvGraphOp::MarkMessageThreadStatus,
                                   "tid", false};
constexpr Method ConfirmFriend {"corvana.friends.confirm", CvGraphOp::RespondToFriendRequest, "uid",
                                false};
constexpr Method SendMail {"corvana.mailbox.send", CvGraphOp::SendMessageRest, nullptr, false};
constexpr Method ReplyMail {"corvana.mailbox.reply", CvGraphOp::ReplyToMessageRest, "tid", false};
constexpr Method DeleteThread {"corvana.mailbox.deleteThread", CvGraphOp::DeleteMessageThread,
                               "tid", false};
// The folder only labels the answer; the method reads the folder of the session.
constexpr Method ThreadsInFolder {"message.getThreadsInFolder", CvGraphOp::RetrieveMessageThreads,
                                  nullptr, true};
constexpr Method Inbox {"corvana.mailbox.getInbox", CvGraphOp::RetrieveInbox, nullptr, true};
constexpr Method Outbox {"corvana.mailbox.getOutbox", CvGraphOp::RetrieveOutbox, nullptr, true};
constexpr Method Thread {"corvana.mailbox.getThread", CvGraphOp::RetrieveThread, "tid", true};
constexpr Method ThreadMessages {"corvana.mailbox.getThreadMessages",
                                 CvGraphOp::RetrieveThreadMessages, "tid", true};
constexpr Method NotificationList {"notifications.getList", CvGraphOp::RetrieveNotificationList,
                                   nullptr, true};
constexpr Method MarkNotificationsRead {"notifications.markRead", CvGraphOp::MarkNotificationsRead,
                                        "notification_ids", true};
constexpr Method AddFriend {"corvana.friends.add", CvGraphOp::SendFriendRequest, "uid", false};
constexpr Method AddPhotoLike {"corvana.photos.addLike", CvGraphOp::AddPhotoLike, "pid", false};
constexpr Method RemovePhotoLike {"corvana.photos.removeLike", CvGraphOp::RemovePhotoLike, "pid",
                                  false};
constexpr Method DeleteAlbum {"corvana.photos.deleteAlbum", CvGraphOp::DeleteAlbum, "aid", false};
constexpr Method Photo {"photos.get", CvGraphOp::RetrievePhoto, "pids", true};
constexpr Method AddFan {"corvana.pages.addFan", CvGraphOp::AddFanToPage, "page_id", false};
constexpr Method AddTag {"photos.addTag", CvGraphOp::TagPhoto, "pid", false};
constexpr Method DeleteUserTag {"corvana.photos.deleteTag", CvGraphOp::DeleteUserTag, "pid", false};
constexpr Method DeleteTextTag {"corvana.photos.deleteTag", CvGraphOp::DeleteTextTag, "pid", false};
constexpr Method UploadProfilePicture {"corvana.photos.uploadProfilePic",
                                       CvGraphOp::UploadProfilePicture, "profile_id", false};
} // namespace Rest

QString number(int value)
{
    return QString::number(value, 10);
}

QString coordinate(float value)
{
    return QString::number(double(value), 'g', 6);
}

bool tagPhoto(CvGraphPrivate *d, const QString &pid, const QPair<QString, QString> &tag, float x,
              float y, const QString &owner)
{
    if (pid.isEmpty() || tag.first.isEmpty() || tag.second.isEmpty() || x < 0 || y < 0)
        return false;
    CvGraphOp op = d->restOp(Rest::AddTag, pid, QString());
    op.setParameter(tag.first, tag.second);
    op.setParameter(QStringLiteral("x"), coordinate(x));
    op.setParameter(QStringLiteral("y"), coordinate(y));
    if (!owner.isEmpty())
        op.setParameter(QStringLiteral("owner_uid"), owner);
    return d->runOp(op);
}

bool deleteTag(CvGraphPrivate *d, const Method &method, const QString &pid,
               const QPair<QString, QString> &tag)
{
    if (pid.isEmpty() || tag.first.isEmpty() || tag.second.isEmpty())
        return false;
    CvGraphOp op = d->restOp(method, pid, tag.second);
    op.setParameter(tag.first, tag.second);
    return d->runOp(op);
}

// The inbox and the outbox take the same window; a limit of 0 is sent.
bool retrieveMailbox(CvGraphPrivate *d, const Method &method, const QString &id, int start,
                     int limit, const QString &name)
{
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->restOp(method, id, name);
    if (limit >= 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (start >= 0)
        op.setParameter(QStringLiteral("start"), number(start));
    return d->runOp(op);
}

} // namespace

CvGraphOp CvGraphPrivate::restOp(const RestMethod &method, const QString &id,
                                 const QString &name) const
{
    QUrl url = CvEndpoints::restBaseUrl();
    url.setPath(QLatin1String("/method/") + QLatin1String(method.name));
    CvGraphOp op(url, method.kind, id, name);
    op.setParameter(QStringLiteral("format"), QStringLiteral("json"));
    if (method.idKey)
        op.setParameter(QLatin1String(method.idKey), id);
    if (method.localized)
        applyLocale(locale, &op);
    return op;
}

bool CvGraphPrivate::runRest(const RestMethod &method, const QString &id)
{
    if (id.isEmpty())
        return false;
    return runOp(restOp(method, id, QString()));
}

bool CvGraph::retrieveEventInvitations(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->restOp(Rest::EventInvitations, id, QString());
    op.setParameter(QStringLiteral("rsvp_status"), QStringLiteral("not_replied"));
    return d->runOp(op);
}

bool CvGraph::retrieveNotifications(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::Notifications, id);
}

bool CvGraph::markMessageThreadStatus(const QString &threadId, ReadType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(type == MarkUnread ? Rest::MarkThreadUnread : Rest::MarkThreadRead, threadId);
}

bool CvGraph::respondToFriendRequest(const QString &uid, RespondType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (uid.isEmpty() || (type != Confirm && type != ConfirmLimited && type != Reject))
        return false;
    CvGraphOp op = d->restOp(Rest::ConfirmFriend, uid, QString());
    op.setParameter(QStringLiteral("confirm"),
                    type == Reject ? QStringLiteral("0") : QStringLiteral("1"));
    if (type == ConfirmLimited)
        op.setParameter(QStringLiteral("limited"), QStringLiteral("1"));
    return d->runOp(op);
}

bool CvGraph::sendMessage(const QString &body, const QString &subject, const QStringList &uids,
                          const QStringList &emails)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if ((uids.isEmpty() && emails.isEmpty()) || (body.isEmpty() && subject.isEmpty()))
        return false;
    CvGraphOp op = d->restOp(Rest::SendMail, QString(), QString());
    if (!uids.isEmpty())
        op.setParameter(QStringLiteral("to"), uids.join(QLatin1Char(',')));
    op.setParameter(QStringLiteral("subject"), subject);
    op.setParameter(QStringLiteral("body"), body);
    if (!emails.isEmpty())
        op.setParameter(QStringLiteral("emails"), emails.join(QLatin1Char(',')));
    return d->runOp(op);
}

bool CvGraph::replyToMessage(const QString &threadId, const QString &body, const QString &mid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty() || body.isEmpty())
        return false;
    CvGraphOp op = d->restOp(Rest::ReplyMail, threadId, QString());
    op.setParameter(QStringLiteral("body"), body);
    if (!mid.isEmpty())
        op.setParameter(QStringLiteral("mid"), mid);
    return d->runOp(op);
}

bool CvGraph::deleteMessageThread(const QString &threadId, int folder)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(Rest::DeleteThread, threadId, number(folder));
    op.setParameter(QStringLiteral("folder"), number(folder));
    return d->runOp(op);
}

bool CvGraph::retrieveMessageThreads(const QString &id, int folder, int limit, int offset)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->restOp(Rest::ThreadsInFolder, id, number(folder));
    if (limit > 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (offset >= 0)
        op.setParameter(QStringLiteral("offset"), number(offset));
    return d->runOp(op);
}

bool CvGraph::retrieveInbox(const QString &id, int start, int limit, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return retrieveMailbox(d, Rest::Inbox, id, start, limit, name);
}

bool CvGraph::retrieveOutbox(const QString &id, int start, int limit, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return retrieveMailbox(d, Rest::Outbox, id, start, limit, name);
}

bool CvGraph::retrieveThread(const QString &threadId)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::Thread, threadId);
}

bool CvGraph::retrieveThreadMessages(const QString &threadId, int start, int limit,
                                     const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op = d->restOp(Rest::ThreadMessages, threadId, name);
    if (limit > 0)
        op.setParameter(QStringLiteral("limit"), number(limit));
    if (start >= 0)
        op.setParameter(QStringLiteral("start"), number(start));
    return d->runOp(op);
}

bool CvGraph::retrieveNotificationList(const QString &id, bool includeRead,
                                       const QDateTime &startTime)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->restOp(Rest::NotificationList, id, QString());
    if (startTime.isValid()) {
        op.setParameter(QStringLiteral("start_time"),
                        QString::number(startTime.toSecsSinceEpoch(), 10));
    }
    if (includeRead)
        op.setParameter(QStringLiteral("include_read"), QStringLiteral("1"));
    return d->runOp(op);
}

bool CvGraph::markNotificationsRead(const QStringList &ids)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    // A list of empty ids still goes out: the list, not its text, must not be empty.
    if (ids.isEmpty())
        return false;
    return d->runOp(d->restOp(Rest::MarkNotificationsRead, ids.join(QLatin1Char(',')), QString()));
}

bool CvGraph::sendFriendRequest(const QString &uid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::AddFriend, uid);
}

bool CvGraph::addPhotoLike(const QString &pid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::AddPhotoLike, pid);
}

bool CvGraph::removePhotoLike(const QString &pid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::RemovePhotoLike, pid);
}

bool CvGraph::deleteAlbum(const QString &aid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::DeleteAlbum, aid);
}

bool CvGraph::retrievePhoto(const QString &pid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::Photo, pid);
}

bool CvGraph::addFanToPage(const QString &pageId)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return d->runRest(Rest::AddFan, pageId);
}

bool CvGraph::tagPhotoWithId(const QString &pid, const QString &uid, float x, float y,
                             const QString &owner)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return tagPhoto(d, pid, qMakePair(QStringLiteral("tag_uid"), uid), x, y, owner);
}

bool CvGraph::tagPhotoWithText(const QString &pid, const QString &text, float x, float y,
                               const QString &owner)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return tagPhoto(d, pid, qMakePair(QStringLiteral("tag_text"), text), x, y, owner);
}

bool CvGraph::deleteUserTag(const QString &pid, const QString &uid)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return deleteTag(d, Rest::DeleteUserTag, pid, qMakePair(QStringLiteral("tag_uid"), uid));
}

bool CvGraph::deleteTextTag(const QString &pid, const QString &text)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    return deleteTag(d, Rest::DeleteTextTag, pid, qMakePair(QStringLiteral("tag_text"), text));
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
    CvGraphOp op = d->restOp(Rest::UploadProfilePicture, id, QString());
    op.setParameter(QStringLiteral("caption"), caption);
    op.setHeaders(d->multipartHeaders());
    op.setBody(d->multipartBody(fileName, mimeType, data));
    return d->runOp(op);
}

} // namespace Cv
