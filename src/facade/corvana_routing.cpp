#include "facade/corvana_p.h"

#include "convert/cvlog_p.h"
#include "cvdataconverter.h"

namespace Cv {

namespace {

// A member that should hold a list; anything else (absent, a map, a text) is an empty list.
QVariantList listMember(const QVariantMap &data, const QString &key)
{
    const QVariant value = data.value(key);
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QVariantList dataList(const QVariantMap &data)
{
    return listMember(data, QStringLiteral("data"));
}

// A reply belongs to a constant when the constant's text up to its separator starts the name.
bool nameMatches(const QString &name, const QString &constant, const QString &separator)
{
    return name.startsWith(constant.left(constant.indexOf(separator)));
}

} // namespace

void CorvanaPrivate::error(const CvError &err)
{
    Q_Q(Corvana);
    Q_EMIT q->error(err);
}

void CorvanaPrivate::objectDataRetrieved(const QString &id, const QString &name,
                                         const QVariantMap &objectData)
{
    CV_TRACE_FUNCTION;
    Q_Q(Corvana);
    if (objectData.isEmpty()) {
        emitError(CvError::OperationFailed, id);
        return;
    }
    switch (objectTypeFromString(name)) {
    case Profile:
        processProfile(id, objectData);
        break;
    case Friends:
        synchronizeFriends(currentProfileId, objectData);
        break;
    case Birthdays:
        processBirthdaysOfFriends(currentProfileId, dataList(objectData));
        break;
    case Album:
        Q_EMIT q->albumRetrieved(id, CvDataConverter::toAlbum(objectData));
        break;
    case Page:
        Q_EMIT q->pageDetailsRetrieved(CvDataConverter::toPage(objectData));
        break;
    case Photo:
        Q_EMIT q->photoRetrieved(id, CvDataConverter::toPhoto(objectData));
        break;
    case Video:
        Q_EMIT q->videoRetrieved(id, CvDataConverter::toVideo(objectData));
        break;
    default:
        // Check-ins, events, groups, liked pages, posts, notes and comments are handled by the
        // feed and social features, which this facade does not offer yet.
        break;
    }
}

void CorvanaPrivate::connectionDataRetrieved(const CvDataFilter &args,
                                             const QString &connectionName,
                                             const QVariantMap &connectionData)
{
    CV_TRACE_FUNCTION;
    Q_Q(Corvana);
    QString id = args.id;
    getId(&id);
    const QVariantList list = dataList(connectionData);
    const auto invited = [&](Corvana::EventRsvpStatus status) {
        Q_EMIT q->invitedUsersRetrieved(id, status, CvDataConverter::toUserRefs(list));
    };

    switch (CvGraph::connectionTypeFromString(connectionName)) {
    case CvGraph::Accounts:
        Q_EMIT q->myPagesRetrieved(CvDataConverter::toPages(list));
        break;
    case CvGraph::Friends:
        processFriends(args, connectionData);
        break;
    case CvGraph::Photos:
        Q_EMIT q->photosRetrieved(id, CvDataConverter::toPhotos(list));
        break;
    case CvGraph::Albums:
        Q_EMIT q->albumsRetrieved(id, CvDataConverter::toAlbums(list));
        break;
    case CvGraph::Videos:
        Q_EMIT q->videosRetrieved(id, CvDataConverter::toVideos(list));
        break;
    case CvGraph::UploadedVideos:
        Q_EMIT q->uploadedVideosRetrieved(id, CvDataConverter::toVideos(list));
        break;
    case CvGraph::Members:
        Q_EMIT q->membersRetrieved(id, CvDataConverter::toUsers(list));
        break;
    case CvGraph::Attending:
        invited(Corvana::RsvpAttending);
        break;
    case CvGraph::Maybe:
        invited(Corvana::RsvpUnsure);
        break;
    case CvGraph::Declined:
        invited(Corvana::RsvpDeclined);
        break;
    case CvGraph::NoReply:
        invited(Corvana::RsvpNotReplied);
        break;
    case CvGraph::Invited:
        invited(Corvana::RsvpInvited);
        break;
    case CvGraph::NotRepliedEvents:
        Q_EMIT q->eventInvitationsRetrieved(CvDataConverter::toEvents(list));
        break;
    default:
        // Feeds, likes, events, groups, check-ins, comments and status messages need the
        // synchronization of the feed and social features, not offered yet; the remaining
        // connections have no handler.
        break;
    }
}

void CorvanaPrivate::queryExecuted(const QString &name, const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    const QString where = QStringLiteral("WHERE");
    // The order matters: a statement is claimed by the first constant whose head it starts with.
    if (nameMatches(name, Query::QueryThreadAttachments, where)
        || nameMatches(name, Query::QueryUnreadThreadCount, where)) {
        return; // message threads are not offered yet
    }
    if (nameMatches(name, Query::QueryPendingFriendRequest, where)) {
        processFriendCheck(name, data, QStringLiteral("uid_to"),
                           &Corvana::pendingFriendRequestChecked);
        return;
    }
    if (nameMatches(name, Query::QueryIsFriend, where)) {
        processFriendCheck(name, data, QStringLiteral("uid2"), &Corvana::isFriendChecked);
        return;
    }
    if (nameMatches(name, Query::QueryThreads, where)
        || nameMatches(name, Query::QueryThreadMessages, where)) {
        return; // message threads are not offered yet
    }
    if (nameMatches(name, Query::QueryBirthdaysOfFriends, where))
        processBirthdaysOfFriends(currentProfileId, data);
}

void CorvanaPrivate::batchExecuted(const QString &name, const QList<CvGraphReply> &replies)
{
    CV_TRACE_FUNCTION;
    const QString colon = QStringLiteral(":");
    using namespace RequestName;
    // Photo tags, latest status messages, all notifications and event details are answered by
    // features not offered yet; they are recognised so that no later constant claims them.
    if (nameMatches(name, BatchNamePhotoTags, colon)
        || nameMatches(name, BatchNameLatestStatusMessage, colon)
        || nameMatches(name, BatchNameAllNotifications, colon)
        || nameMatches(name, BatchNameEventDetails, colon)) {
        return;
    }
    if (nameMatches(name, BatchNameProfileDetails, colon))
        processProfileDetails(name, replies);
}

void CorvanaPrivate::searchReady(const QString &searchId, CvGraph::SearchTarget st,
                                 const QVariantMap &data)
{
    Q_Q(Corvana);
    const QVariantList list = dataList(data);
    switch (st) {
    case CvGraph::SearchUser:
        Q_EMIT q->peopleSearchReady(searchId, CvDataConverter::toUserRefs(list));
        break;
    case CvGraph::SearchPage:
        Q_EMIT q->pageSearchReady(searchId, CvDataConverter::toPages(list));
        break;
    case CvGraph::SearchGroup:
        Q_EMIT q->groupSearchReady(searchId, CvDataConverter::toGroups(list));
        break;
    case CvGraph::SearchCheckin:
        Q_EMIT q->recentCheckinsRetrieved(CvDataConverter::toCheckins(list));
        break;
    case CvGraph::SearchPlace:
        Q_EMIT q->placeSearchReady(searchId, CvDataConverter::toPlaces(list));
        break;
    default:
        break;
    }
}

void CorvanaPrivate::searchReady(const QString &searchId, CvGraph::SearchTarget st,
                                 const QSet<QString> &filter, const QVariantMap &data)
{
    Q_Q(Corvana);
    if (st == CvGraph::SearchUser)
        Q_EMIT q->peopleSearchReady(searchId, filter, CvDataConverter::toUsers(dataList(data)));
}

void CorvanaPrivate::notificationsRetrieved(const QString &id, const QVariantMap &data)
{
    Q_UNUSED(id)
    Q_Q(Corvana);
    Q_EMIT q->notificationsRetrieved(CvDataConverter::toNotifications(data));
}

void CorvanaPrivate::notificationListRetrieved(const QString &id, const QVariantMap &data)
{
    Q_UNUSED(id)
    Q_Q(Corvana);
    Q_EMIT q->notificationListRetrieved(
        CvDataConverter::toNotificationList(listMember(data, QStringLiteral("notifications"))));
}

void CorvanaPrivate::objectsDataRetrieved(const QSet<QString> &ids, const QString &name,
                                          const QVariantMap &objectsData)
{
    Q_UNUSED(name)
    Q_Q(Corvana);
    Q_EMIT q->objectsRetrieved(ids, CvDataConverter::toObjects(objectsData));
}

void CorvanaPrivate::photoRetrieved(const QString &pid, const QVariantMap &data)
{
    Q_Q(Corvana);
    Q_EMIT q->photoRetrieved(pid, CvDataConverter::toPhotoRESTAPI(data));
}

void CorvanaPrivate::eventAcknowledged(const QString &id, bool ok,
                                       CvGraph::EventAcknowledgement ack)
{
    Q_Q(Corvana);
    if (!ok) {
        emitError(CvError::OperationFailed, id);
        return;
    }
    const Corvana::EventRsvpStatus status = ack == CvGraph::AckAttending ? Corvana::RsvpAttending
        : ack == CvGraph::AckMaybe                                       ? Corvana::RsvpUnsure
                                                                         : Corvana::RsvpDeclined;
    Q_EMIT q->eventRsvpStatusSet(id, true, status);
}

void CorvanaPrivate::fanToPageAdded(const QString &pageId, bool ok)
{
    Q_Q(Corvana);
    if (ok)
        Q_EMIT q->pageLiked(pageId);
    else
        emitError(CvError::GeneralError, pageId);
}

// --- forwarders -------------------------------------------------------------------------------

void CorvanaPrivate::notificationsMarkedRead(const QStringList &ids, bool ok)
{
    Q_EMIT q_func()->notificationsMarkedRead(ids, ok);
}

void CorvanaPrivate::wallWriteComplete(const QString &id)
{
    Q_EMIT q_func()->wallWriteComplete(id);
}

void CorvanaPrivate::commentWritten(const QString &id)
{
    Q_EMIT q_func()->commentWritten(id);
}

void CorvanaPrivate::likesWriteComplete(const QString &id, LikeType lt)
{
    Q_EMIT q_func()->likesWriteComplete(id, lt);
}

void CorvanaPrivate::noteWritten(const QString &id)
{
    Q_EMIT q_func()->noteWritten(id);
}

void CorvanaPrivate::messageThreadStatusMarked(const QString &id, bool ok)
{
    Q_EMIT q_func()->messageThreadStatusMarked(id, ok);
}

void CorvanaPrivate::friendRequestResponded(const QString &friendId, bool ok)
{
    Q_EMIT q_func()->friendRequestResponded(friendId, ok);
}

void CorvanaPrivate::photoUploaded(const QString &id, const QString &photoId)
{
    Q_EMIT q_func()->photoUploaded(id, photoId);
}

void CorvanaPrivate::messageSent(const QString &threadId)
{
    Q_EMIT q_func()->messageSent(threadId);
}

void CorvanaPrivate::messageReplied(const QString &threadId)
{
    Q_EMIT q_func()->messageReplied(threadId);
}

void CorvanaPrivate::albumCreated(const QString &id)
{
    Q_EMIT q_func()->albumCreated(id);
}

void CorvanaPrivate::objectDeleted(const QString &id)
{
    Q_EMIT q_func()->objectDeleted(id);
}

void CorvanaPrivate::friendRequestSent(const QString &id, bool ok)
{
    Q_EMIT q_func()->friendRequestSent(id, ok);
}

void CorvanaPrivate::placeCheckedInto(const QString &id)
{
    Q_EMIT q_func()->placeCheckedInto(id);
}

void CorvanaPrivate::photoTagCreated(const QString &photoId, const QString &to, bool ok)
{
    Q_EMIT q_func()->photoTagCreated(photoId, to, ok);
}

void CorvanaPrivate::photoTagDeleted(const QString &photoId, const QString &to, bool ok)
{
    Q_EMIT q_func()->photoTagDeleted(photoId, to, ok);
}

} // namespace Cv
