#include "facade/corvana_p.h"

#include "convert/cvlog_p.h"
#include "cvdataconverter.h"
#include "cvgraphrequest.h"

#include <algorithm>

namespace Cv {

namespace {

// The sub-requests of the all-notifications batch; its reply is read back by position.
QList<CvGraphRequest> allNotificationsRequests(const QString &locale)
{
    const QString post = QStringLiteral("POST");
    return {
        CvGraphRequest(post,
                       CorvanaPrivate::cvqlQueryPath(
                           Query::QueryUnreadThreadCount.arg(QStringLiteral("inbox")))),
        CvGraphRequest(QStringLiteral("GET"),
                       QStringLiteral("me/events/not_replied?fields=id,name,start_time,end_time,"
                                      "owner,picture&limit=100")),
        CvGraphRequest(post, CorvanaPrivate::cvqlQueryPath(Query::QueryFriendRequests)),
        CvGraphRequest(post,
                       CorvanaPrivate::cvqlQueryPath(Query::QueryNotifications)
                           + QStringLiteral("&locale=") + locale),
    };
}

enum AllNotificationsReply { UnreadCount, EventInvitations, FriendRequests, Notifications, Count };

} // namespace

Corvana::ReturnCode Corvana::retrieveNotifications()
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode checked = checkOnline(d);
    if (checked != Success)
        return checked;
    return dispatched(d->graph->retrieveNotifications(d->currentProfileId));
}

Corvana::ReturnCode Corvana::retrieveNotificationList(bool includeRead, const QDateTime &startTime)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode checked = checkOnline(d);
    if (checked != Success)
        return checked;
    return dispatched(
        d->graph->retrieveNotificationList(d->currentProfileId, includeRead, startTime));
}

Corvana::ReturnCode Corvana::markNotificationsRead(const QStringList &ids)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode checked = checkOnline(d);
    if (checked != Success)
        return checked;
    return dispatched(d->graph->markNotificationsRead(ids));
}

Corvana::ReturnCode Corvana::retrieveAllNotifications()
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode checked = checkOnline(d);
    if (checked != Success)
        return checked;
    const bool sent = d->graph->executeBatch(allNotificationsRequests(d->configuration->locale()),
                                             RequestName::BatchNameAllNotifications);
    return sent ? Success : InvalidArgument;
}

void CorvanaPrivate::processAllNotifications(const QList<CvGraphReply> &replies)
{
    CV_TRACE_FUNCTION;
    Q_Q(Corvana);
    const bool allAnswered = replies.size() == Count
        && std::all_of(replies.cbegin(), replies.cend(),
                       [](const CvGraphReply &reply) { return reply.code() == 200; });
    if (!allAnswered) {
        CvError err;
        err.setErrorType(CvError::GeneralError);
        err.setObjectId(currentProfileId);
        const CvGraphReply first = replies.value(UnreadCount);
        if (!bodyList(first).isEmpty())
            err.setCorvanaErrorHeaders(firstBodyText(first));
        Q_EMIT q->error(err);
        return;
    }

    const QVariantList unread = bodyList(replies.at(UnreadCount));
    const quint32 unreadThreads = unread.isEmpty()
        ? 0
        : unread.first().toMap().value(QStringLiteral("unread_count")).toUInt();
    Q_EMIT q->allNotificationsRetrieved(
        CvDataConverter::toUsers(bodyList(replies.at(FriendRequests))),
        CvDataConverter::toEvents(bodyList(replies.at(EventInvitations))),
        CvDataConverter::toNotificationList(bodyList(replies.at(Notifications))), unreadThreads);
}

} // namespace Cv
