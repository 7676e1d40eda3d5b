#include "cvcache.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"

namespace Cv {

// --- private steps ------------------------------------------------------------------------------

bool CvCachePrivate::writeUserRefs(const CvUserRefs &refs)
{
    for (const CvUserRef &ref : refs) {
        if (!ref.id.isEmpty() && writeUserRef(ref) == CvCache::UpdateFailed)
            return false;
    }
    return true;
}

bool CvCachePrivate::getEvent(const QString &userId, const QString &eventId, CvEvent *event)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectEventQuery(userId, eventId), event,
                   [this](CvStatement *q) { return queries.parseEvents(q); });
}

bool CvCachePrivate::getGroup(const QString &groupId, CvGroup *group, const QString &userId)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectGroupQuery(groupId, userId), group,
                   [this](CvStatement *q) { return queries.parseGroups(q); });
}

bool CvCachePrivate::getCheckin(const QString &checkinId, CvCheckin *checkin, const QString &userId)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectCheckinQuery(checkinId, userId), checkin,
                   [this](CvStatement *q) { return queries.parseCheckins(q); });
}

CvCache::UpdateResult CvCachePrivate::updateEventStep(const QString &userId, const CvEvent &event)
{
    if (!event.isValid()) {
        recordError(QStringLiteral("Invalid event"), CvCache::DatabaseError);
        return CvCache::UpdateFailed;
    }
    CvEvent stored;
    const bool found = getEvent(userId, event.id(), &stored) && stored.isValid();
    if (found && stored == event)
        return CvCache::NotChanged;
    if (!event.owner().id.isEmpty() && writeUser(CvUser(event.owner())) == CvCache::UpdateFailed)
        return CvCache::UpdateFailed;

    // A partial event (an RSVP answer, a list entry without times) must not wipe what is known.
    CvEvent copy = event;
    if (found) {
        if (copy.rsvpStatus().isEmpty())
            copy.setRsvpStatus(stored.rsvpStatus());
        if (copy.updatedTime().isNull())
            copy.setUpdatedTime(stored.updatedTime());
        if (copy.updatedTime() < stored.updatedTime()) {
            cvDebug(QStringLiteral("Event update ignored"));
            return CvCache::NotChanged;
        }
    }
    CvStatement *query = found ? queries.prepareUpdateEventQuery(userId, copy)
                               : queries.prepareInsertEventQuery(userId, copy);
    if (!query || !execWrite(query))
        return CvCache::UpdateFailed;
    return found ? CvCache::Updated : CvCache::Inserted;
}

CvCache::UpdateResult CvCachePrivate::updateGroupStep(const QString &userId, const CvGroup &group)
{
    if (!group.isValid()) {
        recordError(QStringLiteral("Invalid group"), CvCache::DatabaseError);
        return CvCache::UpdateFailed;
    }
    return insertOrUpdate(
        group, [&](CvGroup *stored) { return getGroup(group.id(), stored, userId); },
        [&] {
            return group.owner().id.isEmpty()
                || writeUserRef(group.owner()) != CvCache::UpdateFailed;
        },
        [&](bool update, CvStatement *) {
            return update ? queries.prepareUpdateGroupQuery(userId, group)
                          : queries.prepareInsertGroupQuery(userId, group);
        });
}

CvCache::UpdateResult CvCachePrivate::updateCheckinStep(const QString &userId,
                                                        const CvCheckin &checkin)
{
    if (!checkin.isValid()) {
        recordError(QStringLiteral("Invalid check-in"), CvCache::DatabaseError);
        return CvCache::UpdateFailed;
    }
    const CvCache::UpdateResult result = insertOrUpdate(
        checkin, [&](CvCheckin *stored) { return getCheckin(checkin.id(), stored, userId); },
        [&] { return writeUserRefs(CvUserRefs {checkin.from()}) && writeUserRefs(checkin.tags()); },
        [&](bool update, CvStatement *) {
            return update ? queries.prepareUpdateCheckinQuery(userId, checkin)
                          : queries.prepareInsertCheckinQuery(userId, checkin);
        });
    if (result != CvCache::Updated && result != CvCache::Inserted)
        return result;
    for (const CvUserRef &tag : checkin.tags()) {
        if (!updateTableTarget(QStringLiteral("checkin_tags"),
                               {QStringLiteral("checkin_id"), checkin.id()},
                               {QStringLiteral("user_id"), tag.id}))
            return CvCache::UpdateFailed;
    }
    if (!updatePlace(checkin.place(), checkin.id()))
        return CvCache::UpdateFailed;
    return result;
}

bool CvCachePrivate::updatePlace(const CvPlace &place, const QString &parentId)
{
    if (!place.isValid()) {
        recordError(QStringLiteral("Invalid place"), CvCache::DatabaseError);
        return false;
    }
    CvStatement *query = queries.prepareInsertPlaceQuery(place, parentId);
    return query && execWrite(query);
}

// --- CvCache: events ----------------------------------------------------------------------------

CvCache::UpdateResult CvCache::updateEvent(const QString &userId, const CvEvent &event)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runSingle([&] { return d->updateEventStep(userId, event); });
}

bool CvCache::updateEvents(const QString &userId, const CvEvents &events)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(events, [&](const CvEvent &event) {
        return d->updateEventStep(userId, event) != UpdateFailed;
    });
}

bool CvCache::getEvent(const QString &userId, const QString &eventId, CvEvent *event)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getEvent(userId, eventId, event);
}

bool CvCache::getEvents(const QString &userId, CvEvents *events, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    return d->readList(d->queries.prepareSelectEventsQuery(userId, filter), events,
                       [d](CvStatement *q) { return d->queries.parseEvents(q); });
}

bool CvCache::removeEvents(const QString &userId, const CvEvents &events)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(events, [&](const CvEvent &event) {
        return d->execPerCall(QStringLiteral("DELETE from events WHERE user_id = ? AND id = ?"),
                              {userId, event.id()});
    });
}

bool CvCache::removeEvents(const QDateTime &olderThan)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->removeOlderThan(QStringLiteral("events"), QStringLiteral("updated_time"), olderThan);
}

// --- CvCache: groups ----------------------------------------------------------------------------

CvCache::UpdateResult CvCache::updateGroup(const QString &userId, const CvGroup &group)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runSingle([&] { return d->updateGroupStep(userId, group); });
}

bool CvCache::updateGroups(const QString &userId, const CvGroups &groups)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(groups, [&](const CvGroup &group) {
        return d->updateGroupStep(userId, group) != UpdateFailed;
    });
}

bool CvCache::getGroup(const QString &groupId, CvGroup *group, const QString &userId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getGroup(groupId, group, userId);
}

bool CvCache::getGroups(const QString &userId, CvGroups *groups, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    return d->readList(d->queries.prepareSelectGroupsQuery(userId, filter), groups,
                       [d](CvStatement *q) { return d->queries.parseGroups(q); });
}

bool CvCache::removeGroups(const QString &userId, const CvGroups &groups)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(groups, [&](const CvGroup &group) {
        return d->execPerCall(QStringLiteral("DELETE from groups WHERE user_id = ? AND id = ?"),
                              {userId, group.id()});
    });
}

// --- CvCache: check-ins -------------------------------------------------------------------------

CvCache::UpdateResult CvCache::updateCheckin(const QString &userId, const CvCheckin &checkin)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runSingle([&] { return d->updateCheckinStep(userId, checkin); });
}

bool CvCache::updateCheckins(const QString &userId, const CvCheckins &checkins)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(checkins, [&](const CvCheckin &checkin) {
        return d->updateCheckinStep(userId, checkin) != UpdateFailed;
    });
}

bool CvCache::getCheckin(const QString &checkinId, CvCheckin *checkin, const QString &userId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getCheckin(checkinId, checkin, userId);
}

bool CvCache::getCheckins(const QString &userId, CvCheckins *checkins, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    return d->readList(d->queries.prepareSelectCheckinsQuery(userId, filter), checkins,
                       [d](CvStatement *q) { return d->queries.parseCheckins(q); });
}

bool CvCache::removeCheckins(const QString &userId, const CvCheckins &checkins)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(checkins, [&](const CvCheckin &checkin) {
        if (!d->execPerCall(QStringLiteral("DELETE from checkins WHERE user_id = ? AND id = ?"),
                            {userId, checkin.id()}))
            return false;
        const QString placeId = checkin.place().id();
        return placeId.isEmpty()
            || d->execPerCall(QStringLiteral("DELETE from places WHERE id = ? AND parent_id = ?"),
                              {placeId, checkin.id()});
    });
}

} // namespace Cv
