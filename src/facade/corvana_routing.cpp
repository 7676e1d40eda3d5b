#include "facade/corvana_p.h"

#include "convert/cvlog_p.h"
#include "cvdataconverter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace Cv {

// --- helpers shared by the facade's files ------------------------------------------------------

Corvana::ReturnCode resolveId(const CorvanaPrivate *d, QString *id)
{
    if (d->currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    if (id->isEmpty())
        return Corvana::InvalidArgument;
    return d->getId(id);
}

Corvana::ReturnCode checkOnline(const CorvanaPrivate *d)
{
    if (d->currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    if (!d->shouldDispatchToNetwork(Corvana::CacheAndNetwork))
        return Corvana::NetworkUnavailable;
    return Corvana::Success;
}

bool areQueryIdentifiers(std::initializer_list<QString> texts)
{
    return std::all_of(texts.begin(), texts.end(), &CvGraph::isQueryIdentifier);
}

bool areQueryIdentifiers(const QStringList &texts)
{
    return std::all_of(texts.begin(), texts.end(), &CvGraph::isQueryIdentifier);
}

QVariantList listMember(const QVariantMap &data, const QString &key)
{
    const QVariant value = data.value(key);
    return value.typeId() == QMetaType::QVariantList ? value.toList() : QVariantList();
}

QVariantList dataList(const QVariantMap &data)
{
    return listMember(data, QStringLiteral("data"));
}

CollectionState collectionState(const QVariantMap &data, const QString &key)
{
    if (data.value(key).typeId() != QMetaType::QVariantList)
        return CollectionState::Malformed;
    const QVariant next
        = data.value(QStringLiteral("paging")).toMap().value(QStringLiteral("next"));
    return next.isValid() && !next.toString().isEmpty() ? CollectionState::Partial
                                                        : CollectionState::Complete;
}

bool nameMatches(const QString &name, const QString &constant, const QString &separator)
{
    return name.startsWith(constant.left(constant.indexOf(separator)));
}

QVariantList bodyList(const CvGraphReply &reply)
{
    const QVariant body = reply.body();
    return body.typeId() == QMetaType::QVariantList ? body.toList() : QVariantList();
}

QString firstBodyText(const CvGraphReply &reply)
{
    const QVariantList body = bodyList(reply);
    if (body.isEmpty())
        return QString();
    const QVariant first = body.first();
    switch (first.typeId()) {
    case QMetaType::QVariantMap:
        return QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(first.toMap()))
                                     .toJson(QJsonDocument::Compact));
    case QMetaType::QVariantList:
        return QString::fromUtf8(QJsonDocument(QJsonArray::fromVariantList(first.toList()))
                                     .toJson(QJsonDocument::Compact));
    default:
        return first.toString();
    }
}

// --- routing tables ---------------------------------------------------------------------------
//
// Every reply of the Graph layer carries the name it was requested under. The tables below map
// those names to handlers. Rows are tried in order and the first that matches claims the reply;
// a row whose handler is null claims it and does nothing, so that no later row takes it. Each
// feature owns its rows.

namespace {

using QueryHandler = void (*)(CorvanaPrivate *d, const QString &name, const QVariantList &rows);
using BatchHandler
    = void (*)(CorvanaPrivate *d, const QString &name, const QList<CvGraphReply> &replies);
using ObjectHandler = void (*)(CorvanaPrivate *d, const QString &id, const QVariantMap &data);
// id is the filter's id with "me" resolved; list is the "data" member as a list.
using ConnectionHandler
    = void (*)(CorvanaPrivate *d, const CvDataFilter &filter, const QString &id,
               const QString &connectionName, const QVariantMap &data, const QVariantList &list);

template<typename Handler>
struct NameRoute
{
    const QString *constant; // a request-name constant ...
    const QString *separator; // ... compared up to its first separator (nameMatches())
    Handler handler;
};

template<typename Key, typename Handler>
struct KeyRoute
{
    Key key;
    Handler handler;
};

template<typename Route, std::size_t N>
const Route *routeForName(const Route (&routes)[N], const QString &name)
{
    for (const Route &route : routes) {
        if (nameMatches(name, *route.constant, *route.separator))
            return &route;
    }
    return nullptr;
}

template<typename Route, std::size_t N, typename Key>
const Route *routeForKey(const Route (&routes)[N], Key key)
{
    for (const Route &route : routes) {
        if (route.key == key)
            return &route;
    }
    return nullptr;
}

const QString where = QStringLiteral("WHERE");
const QString colon = QStringLiteral(":");

const NameRoute<QueryHandler> queryRoutes[] = {
    {&Query::QueryThreadAttachments, &where,
     [](CorvanaPrivate *d, const QString &name, const QVariantList &rows) {
         d->processThreadAttachments(name, rows);
     }},
    {&Query::QueryUnreadThreadCount, &where,
     [](CorvanaPrivate *d, const QString &name, const QVariantList &rows) {
         d->processUnreadThreadCount(name, rows);
     }},
    {&Query::QueryPendingFriendRequest, &where,
     [](CorvanaPrivate *d, const QString &name, const QVariantList &rows) {
         d->processFriendCheck(name, rows, QStringLiteral("uid_to"),
                               &Corvana::pendingFriendRequestChecked);
     }},
    {&Query::QueryIsFriend, &where,
     [](CorvanaPrivate *d, const QString &name, const QVariantList &rows) {
         d->processFriendCheck(name, rows, QStringLiteral("uid2"), &Corvana::isFriendChecked);
     }},
    {&Query::QueryThreads, &where,
     [](CorvanaPrivate *d, const QString &name, const QVariantList &rows) {
         d->processThreadsReply(name, rows);
     }},
    {&Query::QueryThreadMessages, &where,
     [](CorvanaPrivate *d, const QString &name, const QVariantList &rows) {
         d->processThreadMessages(name, rows);
     }},
    {&Query::QueryBirthdaysOfFriends, &where,
     [](CorvanaPrivate *d, const QString &, const QVariantList &rows) {
         d->processBirthdaysOfFriends(d->currentProfileId, rows);
     }},
};

const NameRoute<BatchHandler> batchRoutes[] = {
    {&RequestName::BatchNamePhotoTags, &colon,
     [](CorvanaPrivate *d, const QString &name, const QList<CvGraphReply> &replies) {
         d->processPhotoTags(name, replies);
     }},
    {&RequestName::BatchNameLatestStatusMessage, &colon,
     [](CorvanaPrivate *d, const QString &name, const QList<CvGraphReply> &replies) {
         d->processLatestStatusMessages(name, replies);
     }},
    {&RequestName::BatchNameAllNotifications, &colon,
     [](CorvanaPrivate *d, const QString &, const QList<CvGraphReply> &replies) {
         d->processAllNotifications(replies);
     }},
    {&RequestName::BatchNameEventDetails, &colon,
     [](CorvanaPrivate *d, const QString &name, const QList<CvGraphReply> &replies) {
         d->processEventDetails(name, replies);
     }},
    {&RequestName::BatchNameProfileDetails, &colon,
     [](CorvanaPrivate *d, const QString &name, const QList<CvGraphReply> &replies) {
         d->processProfileDetails(name, replies);
     }},
    {&RequestName::BatchNameIfUserLikes, &colon,
     [](CorvanaPrivate *d, const QString &name, const QList<CvGraphReply> &replies) {
         d->processLikeCheck(name, replies);
     }},
};

using P = CorvanaPrivate;

const KeyRoute<P::ObjectType, ObjectHandler> objectRoutes[] = {
    {P::Album,
     [](P *d, const QString &id, const QVariantMap &data) {
         Q_EMIT d->q_ptr->albumRetrieved(id, CvDataConverter::toAlbum(data));
     }},
    {P::Birthdays,
     [](P *d, const QString &, const QVariantMap &data) {
         d->processBirthdaysOfFriends(d->currentProfileId, dataList(data));
     }},
    {P::Checkin, [](P *d, const QString &, const QVariantMap &data) { d->processCheckin(data); }},
    {P::Event,
     [](P *d, const QString &, const QVariantMap &data) {
         d->processEvent(d->currentProfileId, CvDataConverter::toEvent(data));
     }},
    {P::Friends,
     [](P *d, const QString &, const QVariantMap &data) {
         d->synchronizeFriends(d->currentProfileId, data);
     }},
    {P::Group, [](P *d, const QString &, const QVariantMap &data) { d->processGroup(data); }},
    {P::LikedPages,
     [](P *d, const QString &id, const QVariantMap &data) { d->processLikedPages(id, data); }},
    {P::NewsPost,
     [](P *d, const QString &, const QVariantMap &data) {
         d->processSinglePost(P::NewsPost, data);
     }},
    {P::ProfilePost,
     [](P *d, const QString &, const QVariantMap &data) {
         d->processSinglePost(P::ProfilePost, data);
     }},
    {P::WallPost,
     [](P *d, const QString &, const QVariantMap &data) {
         d->processSinglePost(P::WallPost, data);
     }},
    // A note has no signal of its own; its arrival is only logged.
    {P::Note,
     [](P *, const QString &id, const QVariantMap &) {
         cvDebug(QStringLiteral("Note [%1] retrieved").arg(id));
     }},
    {P::Page,
     [](P *d, const QString &, const QVariantMap &data) {
         Q_EMIT d->q_ptr->pageDetailsRetrieved(CvDataConverter::toPage(data));
     }},
    {P::Photo,
     [](P *d, const QString &id, const QVariantMap &data) {
         Q_EMIT d->q_ptr->photoRetrieved(id, CvDataConverter::toPhoto(data));
     }},
    {P::PostComment,
     [](P *d, const QString &id, const QVariantMap &data) {
         d->processSingleComment(P::PostComment, id, data);
     }},
    {P::PhotoComment,
     [](P *d, const QString &id, const QVariantMap &data) {
         d->processSingleComment(P::PhotoComment, id, data);
     }},
    {P::Profile,
     [](P *d, const QString &id, const QVariantMap &data) { d->processProfile(id, data); }},
    {P::Video,
     [](P *d, const QString &id, const QVariantMap &data) {
         Q_EMIT d->q_ptr->videoRetrieved(id, CvDataConverter::toVideo(data));
     }},
};

using G = CvGraph;

// The users invited to an event, by the connection that lists them.
template<Corvana::EventRsvpStatus status>
void invitedUsers(P *d, const CvDataFilter &, const QString &id, const QString &,
                  const QVariantMap &, const QVariantList &list)
{
    Q_EMIT d->q_ptr->invitedUsersRetrieved(id, status, CvDataConverter::toUserRefs(list));
}

// Connections whose items are only converted and handed on with the owner's id.
template<auto signal, auto convert>
void handOn(P *d, const CvDataFilter &, const QString &id, const QString &, const QVariantMap &,
            const QVariantList &list)
{
    Q_EMIT(d->q_ptr->*signal)(id, convert(list));
}

const KeyRoute<G::ConnectionType, ConnectionHandler> connectionRoutes[] = {
    {G::Accounts,
     [](P *d, const CvDataFilter &, const QString &, const QString &, const QVariantMap &,
        const QVariantList &list) {
         Q_EMIT d->q_ptr->myPagesRetrieved(CvDataConverter::toPages(list));
     }},
    {G::Friends,
     [](P *d, const CvDataFilter &filter, const QString &, const QString &, const QVariantMap &data,
        const QVariantList &) { d->processFriends(filter, data); }},
    {G::Home,
     [](P *d, const CvDataFilter &filter, const QString &, const QString &, const QVariantMap &data,
        const QVariantList &) { d->processNewsFeed(filter, data); }},
    {G::Feed,
     [](P *d, const CvDataFilter &filter, const QString &id, const QString &,
        const QVariantMap &data,
        const QVariantList &) { d->processProfileFeed(filter, id, data); }},
    {G::Likes,
     [](P *d, const CvDataFilter &, const QString &id, const QString &, const QVariantMap &data,
        const QVariantList &) { d->processLikes(id, data); }},
    {G::Photos, &handOn<&Corvana::photosRetrieved, &CvDataConverter::toPhotos>},
    {G::Albums, &handOn<&Corvana::albumsRetrieved, &CvDataConverter::toAlbums>},
    {G::Videos, &handOn<&Corvana::videosRetrieved, &CvDataConverter::toVideos>},
    {G::UploadedVideos, &handOn<&Corvana::uploadedVideosRetrieved, &CvDataConverter::toVideos>},
    {G::Events,
     [](P *d, const CvDataFilter &filter, const QString &id, const QString &,
        const QVariantMap &data, const QVariantList &) { d->processEvents(filter, id, data); }},
    {G::Groups,
     [](P *d, const CvDataFilter &filter, const QString &id, const QString &,
        const QVariantMap &data, const QVariantList &) { d->processGroups(filter, id, data); }},
    {G::Members, &handOn<&Corvana::membersRetrieved, &CvDataConverter::toUsers>},
    {G::Checkins,
     [](P *d, const CvDataFilter &filter, const QString &id, const QString &,
        const QVariantMap &data, const QVariantList &) { d->processCheckins(filter, id, data); }},
    {G::Comments,
     [](P *d, const CvDataFilter &filter, const QString &id, const QString &,
        const QVariantMap &data, const QVariantList &) { d->processComments(filter, id, data); }},
    {G::Statuses,
     [](P *d, const CvDataFilter &filter, const QString &id, const QString &,
        const QVariantMap &data,
        const QVariantList &) { d->processStatusMessages(filter, id, data); }},
    {G::Attending, &invitedUsers<Corvana::RsvpAttending>},
    {G::Maybe, &invitedUsers<Corvana::RsvpUnsure>},
    {G::Declined, &invitedUsers<Corvana::RsvpDeclined>},
    {G::NoReply, &invitedUsers<Corvana::RsvpNotReplied>},
    {G::Invited, &invitedUsers<Corvana::RsvpInvited>},
    {G::NotRepliedEvents,
     [](P *d, const CvDataFilter &, const QString &, const QString &, const QVariantMap &,
        const QVariantList &list) {
         Q_EMIT d->q_ptr->eventInvitationsRetrieved(CvDataConverter::toEvents(list));
     }},
    // Listed so that they are known; nothing is made of them.
    {G::Movies, nullptr},
    {G::Books, nullptr},
    {G::Notes, nullptr},
    {G::Inbox, nullptr},
    {G::Outbox, nullptr},
    {G::Updates, nullptr},
    {G::Threads, nullptr},
};

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
    if (objectData.isEmpty()) {
        emitError(CvError::OperationFailed, id);
        return;
    }
    const auto *route = routeForKey(objectRoutes, objectTypeFromString(name));
    if (route && route->handler)
        route->handler(this, id, objectData);
}

void CorvanaPrivate::connectionDataRetrieved(const CvDataFilter &args,
                                             const QString &connectionName,
                                             const QVariantMap &connectionData)
{
    CV_TRACE_FUNCTION;
    const auto *route
        = routeForKey(connectionRoutes, CvGraph::connectionTypeFromString(connectionName));
    if (!route || !route->handler)
        return;
    QString id = args.id;
    getId(&id);
    route->handler(this, args, id, connectionName, connectionData, dataList(connectionData));
}

void CorvanaPrivate::queryExecuted(const QString &name, const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    const auto *route = routeForName(queryRoutes, name);
    if (route && route->handler)
        route->handler(this, name, data);
}

void CorvanaPrivate::batchExecuted(const QString &name, const QList<CvGraphReply> &replies)
{
    CV_TRACE_FUNCTION;
    const auto *route = routeForName(batchRoutes, name);
    if (route && route->handler)
        route->handler(this, name, replies);
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
