#include "facade/corvana_p.h"
#include "facade/cvsyncdiff_p.h"

#include "convert/cvlog_p.h"
#include "cvcache.h"
#include "cvdataconverter.h"
#include "cvgraph.h"
#include "cvgraphrequest.h"

namespace Cv {

namespace {

QSet<QString> eventDetailsFields()
{
    return {QStringLiteral("id"),          QStringLiteral("owner"),      QStringLiteral("name"),
            QStringLiteral("description"), QStringLiteral("start_time"), QStringLiteral("end_time"),
            QStringLiteral("location"),    QStringLiteral("venue"),      QStringLiteral("privacy"),
            QStringLiteral("updated_time")};
}

QSet<QString> groupDetailsFields()
{
    return {QStringLiteral("id"),    QStringLiteral("version"), QStringLiteral("icon"),
            QStringLiteral("owner"), QStringLiteral("name"),    QStringLiteral("description"),
            QStringLiteral("link"),  QStringLiteral("privacy"), QStringLiteral("updated_time"),
            QStringLiteral("email"), QStringLiteral("picture")};
}

QSet<QString> myPagesFields()
{
    return {
        QStringLiteral("id"),       QStringLiteral("name"),     QStringLiteral("picture"),
        QStringLiteral("link"),     QStringLiteral("category"), QStringLiteral("website"),
        QStringLiteral("username"), QStringLiteral("founded"),  QStringLiteral("company_overview"),
        QStringLiteral("likes"),    QStringLiteral("location"), QStringLiteral("phone"),
        QStringLiteral("checkins")};
}

// The connection that lists the users of an event with a given answer; the order is the one
// of Corvana::EventRsvpStatus.
constexpr CvGraph::ConnectionType invitedConnections[]
    = {CvGraph::Attending, CvGraph::Maybe, CvGraph::Declined, CvGraph::NoReply, CvGraph::Invited};

// True when a request may go out: initialized and holding an access token. Otherwise *code is
// what the operation answers: NotInitialized, or \a offline without a token.
bool mayDispatch(const CorvanaPrivate *d, Corvana::ReturnCode *code,
                 Corvana::ReturnCode offline = Corvana::NetworkUnavailable)
{
    const bool online = d->shouldDispatchToNetwork(Corvana::CacheAndNetwork);
    *code = d->currentProfileId.isEmpty() ? Corvana::NotInitialized
        : online                          ? Corvana::Success
                                          : offline;
    return *code == Corvana::Success && online;
}

// How a collection reply of one kind is reported and kept in step with the cache.
template<typename T>
struct Collection
{
    QList<T> (*convert)(const QVariantList &);
    void (Corvana::*retrieved)(const QString &, const QList<T> &);
    void (Corvana::*updated)(const QString &, const QList<T> &, const QList<T> &, const QList<T> &);
    bool (CvCache::*write)(const QString &, const QList<T> &);
    bool (CvCache::*remove)(const QString &, const QList<T> &);
    CvGraph::ConnectionType connection;
    CvRemovalRule removal;
    CorvanaPrivate::SyncKind kind;
    // Groups and check-ins are kept only for the signed-in user, but even when the list is
    // empty; events for anyone, but only when the list has items.
    bool signedInUserOnly;
};

const Collection<CvEvent> eventCollection
    = {&CvDataConverter::toEvents, &Corvana::eventsRetrieved,  &Corvana::eventsUpdated,
       &CvCache::updateEvents,     &CvCache::removeEvents,     CvGraph::Events,
       CvRemovalRule::Windowed,    CorvanaPrivate::EventsSync, false};
const Collection<CvGroup> groupCollection
    = {&CvDataConverter::toGroups, &Corvana::groupsRetrieved,  &Corvana::groupsUpdated,
       &CvCache::updateGroups,     &CvCache::removeGroups,     CvGraph::Groups,
       CvRemovalRule::Always,      CorvanaPrivate::GroupsSync, true};
const Collection<CvCheckin> checkinCollection
    = {&CvDataConverter::toCheckins, &Corvana::checkinsRetrieved,  &Corvana::checkinsUpdated,
       &CvCache::updateCheckins,     &CvCache::removeCheckins,     CvGraph::Checkins,
       CvRemovalRule::Always,        CorvanaPrivate::CheckinsSync, true};

// The cached list of a user, under the same filter as the request.
bool readCached(CvCache *cache, const QString &owner, CvEvents *events, const CvDataFilter &filter)
{
    return cache->getEvents(owner, events, filter);
}

bool readCached(CvCache *cache, const QString &owner, CvGroups *groups, const CvDataFilter &filter)
{
    return cache->getGroups(owner, groups, filter);
}

bool readCached(CvCache *cache, const QString &owner, CvCheckins *checkins,
                const CvDataFilter &filter)
{
    return cache->getCheckins(owner, checkins, filter);
}

// A user's list: the cache read under the resolved id, then the connection asked for that id,
// so that the reply is filed under it.
template<typename T>
Corvana::ReturnCode
retrieveCollection(CorvanaPrivate *d, QList<T> *items, const CvDataFilter &filter,
                   Corvana::RetrieveBehavior behavior, const Collection<T> &collection)
{
    CvDataFilter request = filter;
    const Corvana::ReturnCode checked = resolveId(d, &request.id);
    if (checked != Corvana::Success)
        return checked;
    if (items)
        readCached(d->cache, request.id, items, request);
    if (!d->shouldDispatchToNetwork(behavior))
        return Corvana::Success;
    return dispatched(d->graph->retrieveConnectionData(collection.connection, request));
}

} // namespace

// --- events -----------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveEvents(CvEvents *events, const CvDataFilter &filter,
                                            RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrieveCollection(d_func(), events, filter, behavior, eventCollection);
}

Corvana::ReturnCode Corvana::retrieveEvents(CvEvents *events, RetrieveBehavior behavior)
{
    return retrieveEvents(events, CvDataFilter(QStringLiteral("me")), behavior);
}

Corvana::ReturnCode Corvana::retrieveEventDetails(CvEvent *event, const QString &eventId,
                                                  RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (eventId.isEmpty())
        return InvalidArgument;
    if (event)
        d->cache->getEvent(d->currentProfileId, eventId, event);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    // The id travels inside a statement and comes back inside the batch name.
    if (!areQueryIdentifiers({eventId}))
        return InvalidArgument;

    CvGraphRequest object(QStringLiteral("GET"), eventId);
    CvDataFilter fields;
    fields.fields = eventDetailsFields();
    object.setFilter(fields);
    const CvGraphRequest rsvp(
        QStringLiteral("POST"),
        CorvanaPrivate::cvqlQueryPath(Query::QueryEventRsvpStatus.arg(eventId)));
    const bool sent
        = d->graph->executeBatch({object, rsvp}, RequestName::BatchNameEventDetails.arg(eventId));
    return sent ? Success : InvalidArgument;
}

Corvana::ReturnCode Corvana::setEventRsvpStatus(const QString &eventId, EventRsvpStatus status)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    // A number outside the enumeration names no answer at all.
    if (int(status) < RsvpAttending || int(status) > RsvpInvited)
        return InvalidArgument;
    return dispatched(
        d->graph->acknowledgeEvent(eventId, CvGraph::EventAcknowledgement(int(status))));
}

Corvana::ReturnCode Corvana::retrieveEventInvitations(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    CvDataFilter request = filter;
    ReturnCode code = resolveId(d, &request.id);
    if (code != Success || !mayDispatch(d, &code))
        return code;
    return dispatched(d->graph->retrieveConnectionData(CvGraph::NotRepliedEvents, request));
}

Corvana::ReturnCode Corvana::retrieveEventInvitations()
{
    Q_D(Corvana);
    CvDataFilter filter(d->currentProfileId);
    filter.fields
        = {QStringLiteral("id"),         QStringLiteral("owner"),    QStringLiteral("name"),
           QStringLiteral("start_time"), QStringLiteral("end_time"), QStringLiteral("picture")};
    filter.limit = 100;
    return retrieveEventInvitations(filter);
}

Corvana::ReturnCode Corvana::retrieveInvitedUsers(const QString &eventId, EventRsvpStatus status)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    // Outside the table the request names no connection, which the Graph layer refuses.
    const int index = int(status);
    const CvGraph::ConnectionType connection
        = index >= 0 && index < int(std::size(invitedConnections)) ? invitedConnections[index]
                                                                   : CvGraph::NoConnection;
    return dispatched(d->graph->retrieveConnectionData(connection, eventId));
}

// --- groups -----------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveGroups(CvGroups *groups, const CvDataFilter &filter,
                                            RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrieveCollection(d_func(), groups, filter, behavior, groupCollection);
}

Corvana::ReturnCode Corvana::retrieveGroups(CvGroups *groups, RetrieveBehavior behavior)
{
    return retrieveGroups(groups, CvDataFilter(QStringLiteral("me")), behavior);
}

Corvana::ReturnCode Corvana::retrieveGroupDetails(CvGroup *group, const QString &groupId,
                                                  RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (groupId.isEmpty())
        return InvalidArgument;
    if (group)
        d->cache->getGroup(groupId, group, d->currentProfileId);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    return dispatched(d->graph->retrieveObject(
        groupId, groupDetailsFields(), CorvanaPrivate::objectTypeToString(CorvanaPrivate::Group)));
}

Corvana::ReturnCode Corvana::retrieveMembers(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    return dispatched(d->graph->retrieveConnectionData(CvGraph::Members, filter));
}

Corvana::ReturnCode Corvana::retrieveMembers(const QString &groupId)
{
    return retrieveMembers(CvDataFilter(groupId));
}

// --- check-ins --------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveCheckins(CvCheckins *checkins, const CvDataFilter &filter,
                                              RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrieveCollection(d_func(), checkins, filter, behavior, checkinCollection);
}

Corvana::ReturnCode Corvana::retrieveCheckins(CvCheckins *checkins, RetrieveBehavior behavior)
{
    return retrieveCheckins(checkins, CvDataFilter(QStringLiteral("me")), behavior);
}

Corvana::ReturnCode Corvana::retrieveCheckin(CvCheckin *checkin, const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (id.isEmpty())
        return InvalidArgument;
    if (checkin)
        d->cache->getCheckin(id, checkin, d->currentProfileId);
    ReturnCode code;
    if (!mayDispatch(d, &code, Success))
        return code;
    return dispatched(
        d->graph->retrieveObject(id, CorvanaPrivate::objectTypeToString(CorvanaPrivate::Checkin)));
}

Corvana::ReturnCode Corvana::retrieveRecentCheckins()
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code, Success))
        return code;
    return dispatched(d->graph->search(d->currentProfileId, QString(), CvGraph::SearchCheckin));
}

Corvana::ReturnCode Corvana::checkIntoPlace(const QString &placeId, float latitude, float longitude,
                                            const QString &message, const QStringList &tags)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    return dispatched(d->graph->checkIntoPlace(placeId, latitude, longitude, message, tags));
}

Corvana::ReturnCode Corvana::checkIntoPlace(const CvPlace &place, const QString &message,
                                            const QStringList &tags)
{
    return checkIntoPlace(place.id(), place.location().latitude(), place.location().longitude(),
                          message, tags);
}

// --- pages and places -------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveLikedPages(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    CvDataFilter request = filter;
    ReturnCode code = resolveId(d, &request.id);
    if (code != Success || !mayDispatch(d, &code, Success))
        return code;
    return dispatched(
        d->graph->retrieveObject(request.id + QStringLiteral("/likes"), request,
                                 CorvanaPrivate::objectTypeToString(CorvanaPrivate::LikedPages)));
}

Corvana::ReturnCode Corvana::retrieveLikedPages()
{
    return retrieveLikedPages(CvDataFilter(QStringLiteral("me")));
}

Corvana::ReturnCode Corvana::retrieveMyPages()
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code, Success))
        return code;
    CvDataFilter filter(d->currentProfileId);
    filter.fields = myPagesFields();
    return dispatched(d->graph->retrieveConnectionData(CvGraph::Accounts, filter));
}

Corvana::ReturnCode Corvana::retrievePageDetails(const QString &pageId)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (pageId.isEmpty())
        return InvalidArgument;
    ReturnCode code;
    if (!mayDispatch(d, &code, Success))
        return code;
    return dispatched(
        d->graph->retrieveObject(pageId, CorvanaPrivate::objectTypeToString(CorvanaPrivate::Page)));
}

Corvana::ReturnCode Corvana::likePage(const QString &pageId)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    return d->graph->addFanToPage(pageId) ? Success : InvalidArgument;
}

Corvana::ReturnCode Corvana::searchPlace(const QString &searchId, const QString &query)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    if (query.isEmpty())
        return InvalidArgument;
    return dispatched(d->graph->search(searchId, query, CvGraph::SearchPlace));
}

Corvana::ReturnCode Corvana::searchPlace(const QString &searchId, const QString &query,
                                         float latitude, float longitude, int distance)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    ReturnCode code;
    if (!mayDispatch(d, &code))
        return code;
    QMap<QString, QString> params;
    params.insert(QStringLiteral("q"), query.isEmpty() ? QStringLiteral("*") : query);
    params.insert(QStringLiteral("center"),
                  QString::number(double(latitude), 'g', 6) + QLatin1Char(',')
                      + QString::number(double(longitude), 'g', 6));
    params.insert(QStringLiteral("distance"), QString::number(distance));
    return dispatched(d->graph->search(searchId, params, CvGraph::SearchPlace));
}

// --- replies ----------------------------------------------------------------------------------

namespace {
template<typename T>
void processCollection(CorvanaPrivate *d, const CvDataFilter &filter, const QString &owner,
                       const QVariantMap &data, const Collection<T> &collection)
{
    Corvana *q = d->q_ptr;
    const CollectionState state = collectionState(data);
    if (state == CollectionState::Malformed) {
        d->emitError(CvError::OperationFailed, owner);
        return;
    }
    const QList<T> items = collection.convert(dataList(data));
    Q_EMIT(q->*collection.retrieved)(owner, items);
    if (collection.signedInUserOnly ? owner != d->currentProfileId : items.isEmpty())
        return;

    CvCache *cache = d->cache;
    const CvSyncSteps<T> steps {
        [&](QList<T> *cached) { return readCached(cache, owner, cached, filter); },
        [&](const QList<T> &list) { return (cache->*collection.write)(owner, list); },
        [&](const QList<T> &list) { return (cache->*collection.remove)(owner, list); },
        [&](const QList<T> &added, const QList<T> &updated, const QList<T> &removed) {
            Q_EMIT(q->*collection.updated)(owner, added, updated, removed);
        }};
    const bool mayRemove
        = cvMayRemove(collection.removal, filter, state == CollectionState::Complete);
    if (!cvSynchronize(items, mayRemove, steps))
        d->emitSyncError(collection.kind, owner);
}

} // namespace

void CorvanaPrivate::processEvents(const CvDataFilter &filter, const QString &owner,
                                   const QVariantMap &data)
{
    processCollection(this, filter, owner, data, eventCollection);
}

void CorvanaPrivate::processGroups(const CvDataFilter &filter, const QString &owner,
                                   const QVariantMap &data)
{
    processCollection(this, filter, owner, data, groupCollection);
}

void CorvanaPrivate::processCheckins(const CvDataFilter &filter, const QString &owner,
                                     const QVariantMap &data)
{
    processCollection(this, filter, owner, data, checkinCollection);
}

void CorvanaPrivate::processEvent(const QString &profileId, const CvEvent &event)
{
    Q_Q(Corvana);
    Q_EMIT q->eventDetailsRetrieved(event);
    CvEvent stored;
    if (cache->updateEvent(profileId, event) != CvCache::UpdateFailed
        && cache->getEvent(profileId, event.id(), &stored)) {
        Q_EMIT q->eventDetailsUpdated(event);
        return;
    }
    emitCacheError(event.id());
}

void CorvanaPrivate::processEventDetails(const QString &name, const QList<CvGraphReply> &replies)
{
    const QString id = requestNameValue(name, QStringLiteral("id"));
    if (replies.size() < 2 || replies.at(0).code() != 200 || replies.at(1).code() != 200) {
        CvError err;
        err.setErrorType(CvError::GeneralError);
        err.setObjectId(id);
        if (!replies.isEmpty() && !bodyList(replies.first()).isEmpty())
            err.setCorvanaErrorHeaders(firstBodyText(replies.first()));
        Q_EMIT q_func()->error(err);
        return;
    }
    CvEvent event = CvDataConverter::toEvent(bodyList(replies.at(0)).value(0).toMap());
    const QVariantList rsvp = bodyList(replies.at(1));
    if (!rsvp.isEmpty())
        event.setRsvpStatus(rsvp.first().toMap().value(QStringLiteral("rsvp_status")).toString());
    processEvent(currentProfileId, event);
}

void CorvanaPrivate::processGroup(const QVariantMap &data)
{
    Q_Q(Corvana);
    const CvGroup group = CvDataConverter::toGroup(data);
    Q_EMIT q->groupDetailsRetrieved(group);
    // Details refresh a group already in the user's list; they do not add one.
    CvGroup stored;
    if (cache->getGroup(group.id(), &stored, currentProfileId)
        && cache->updateGroup(currentProfileId, group) == CvCache::UpdateFailed)
        emitCacheError(group.id(), QStringLiteral("Cache group update failed: %1"));
    Q_EMIT q->groupDetailsUpdated(group);
}

void CorvanaPrivate::processCheckin(const QVariantMap &data)
{
    Q_Q(Corvana);
    const CvCheckin checkin = CvDataConverter::toCheckin(data);
    Q_EMIT q->checkinRetrieved(checkin);
    // A single check-in refreshes one already in the user's list; it does not add one.
    CvCheckin stored;
    if (cache->getCheckin(checkin.id(), &stored, currentProfileId)
        && cache->updateCheckin(currentProfileId, checkin) == CvCache::UpdateFailed)
        emitCacheError(checkin.id(), QStringLiteral("Cache checkin update failed: %1"));
    Q_EMIT q->checkinUpdated(checkin);
}

void CorvanaPrivate::processLikedPages(const QString &id, const QVariantMap &data)
{
    QString owner = id;
    Q_EMIT q_func()->likedPagesRetrieved(owner.remove(QStringLiteral("/likes")),
                                         CvDataConverter::toPages(dataList(data)));
}

} // namespace Cv
