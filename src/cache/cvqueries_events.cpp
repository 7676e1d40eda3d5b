#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"
#include "cvlocation.h"

#include <QDateTime>

namespace Cv {

namespace {

// Column order of table events, shared by the insert, the update and parseEvents.
enum EventColumn {
    EventId,
    EventName,
    EventOwnerId,
    EventDescription,
    EventStartTime,
    EventEndTime,
    EventLocation,
    EventPrivacy,
    EventUpdatedTime,
    EventRsvpStatus,
    EventStreet,
    EventCity,
    EventState,
    EventCountry,
    EventLatitude,
    EventLongitude,
    EventPicture,
    EventUserId,
    EventColumnCount
};
// Name to picture: the columns the update sets, followed by its keys user_id and id.
constexpr int EventDetailCount = EventUserId - EventName;

// Column order of table groups, shared by the insert, the update and parseGroups.
enum GroupColumn {
    GroupId,
    GroupVersion,
    GroupOwnerId,
    GroupName,
    GroupDescription,
    GroupPrivacy,
    GroupIcon,
    GroupUpdatedTime,
    GroupEmail,
    GroupLink,
    GroupPicture,
    GroupUserId,
    GroupColumnCount
};
// Version to picture: the columns the update sets, followed by its keys user_id and id.
constexpr int GroupDetailCount = GroupUserId - GroupVersion;

// Binds the event's columns from name to picture at \a first and on.
void bindEventDetails(CvStatement *query, int first, const CvEvent &event)
{
    const CvEvent::CvVenue venue = event.venue();
    const QVariant values[]
        = {event.name(),       event.owner().id, event.description(), event.startTime(),
           event.endTime(),    event.location(), event.privacy(),     event.updatedTime(),
           event.rsvpStatus(), venue.street,     venue.city,          venue.state,
           venue.country,      venue.latitude,   venue.longitude,     event.picture()};
    static_assert(sizeof(values) / sizeof(values[0]) == EventDetailCount);
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

// Binds the group's columns from version to picture at \a first and on.
void bindGroupDetails(CvStatement *query, int first, const CvGroup &group)
{
    const QVariant values[] = {
        group.version(), group.owner().id,    group.name(),  group.description(), group.privacy(),
        group.icon(),    group.updatedTime(), group.email(), group.link(),        group.picture()};
    static_assert(sizeof(values) / sizeof(values[0]) == GroupDetailCount);
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

} // namespace

CvStatement *CvQueries::prepareInsertEventQuery(const QString &userId, const CvEvent &event)
{
    CvStatement *query = keptStatement(QStringLiteral(
        "INSERT INTO events (id, name, owner_id, description, start_time, end_time, location, "
        "privacy, updated_time, rsvp_status, street, city, state, country, latitude, longitude, "
        "picture, user_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!query)
        return nullptr;
    query->bindValue(EventId, event.id());
    bindEventDetails(query, EventName, event);
    query->bindValue(EventUserId, userId);
    return query;
}

CvStatement *CvQueries::prepareUpdateEventQuery(const QString &userId, const CvEvent &event)
{
    CvStatement *query = keptStatement(QStringLiteral(
        "UPDATE events SET name = ?, owner_id = ?, description = ?, start_time = ?, "
        "end_time = ?, location = ?, privacy = ?, updated_time = ? ,rsvp_status = ?, "
        "street = ?, city = ?, state = ?, country = ?, latitude = ?, longitude = ?, "
        "picture = ? WHERE user_id = ? AND id = ?"));
    if (!query)
        return nullptr;
    bindEventDetails(query, 0, event);
    query->bindValue(EventDetailCount, userId);
    query->bindValue(EventDetailCount + 1, event.id());
    return query;
}

CvStatement *CvQueries::prepareSelectEventQuery(const QString &userId, const QString &eventId)
{
    return boundStatement(QStringLiteral("SELECT * FROM events WHERE user_id = ? AND id = ?"),
                          {userId, eventId});
}

CvStatement *CvQueries::prepareSelectEventsQuery(const QString &userId, const CvDataFilter &filter)
{
    return boundStatement(
        QStringLiteral("SELECT * FROM events WHERE user_id = ? AND (start_time IS NULL OR "
                       "(datetime(start_time) >= datetime(?) AND datetime(start_time) <= "
                       "datetime(?))) ORDER BY start_time DESC LIMIT ?, ?"),
        {userId, lowerBound(filter), upperBound(filter), filter.offset, filter.limit});
}

CvStatement *CvQueries::prepareInsertGroupQuery(const QString &userId, const CvGroup &group)
{
    CvStatement *query = keptStatement(QStringLiteral(
        "INSERT INTO groups (id, version, owner_id, name, description, privacy, icon, "
        "updated_time, email, link, picture, user_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!query)
        return nullptr;
    query->bindValue(GroupId, group.id());
    bindGroupDetails(query, GroupVersion, group);
    query->bindValue(GroupUserId, userId);
    return query;
}

// Qt's SQLite driver cannot prepare a placeholder glued to the next word ("?WHERE"): the two
// updates below separate them with a space.
CvStatement *CvQueries::prepareUpdateGroupQuery(const QString &userId, const CvGroup &group)
{
    CvStatement *query = keptStatement(QStringLiteral(
        "UPDATE groups SET version = ?,owner_id = ?,name = ?,description = ?,privacy = ?,"
        "icon = ?,updated_time = ?,email = ?,link = ?,picture = ? WHERE user_id = ? AND id = ?"));
    if (!query)
        return nullptr;
    bindGroupDetails(query, 0, group);
    query->bindValue(GroupDetailCount, userId);
    query->bindValue(GroupDetailCount + 1, group.id());
    return query;
}

CvStatement *CvQueries::prepareSelectGroupQuery(const QString &groupId, const QString &userId)
{
    return boundStatement(QStringLiteral("SELECT * FROM groups WHERE id = ? AND user_id = ?"),
                          {groupId, userId});
}

CvStatement *CvQueries::prepareSelectGroupsQuery(const QString &userId, const CvDataFilter &filter)
{
    return boundStatement(QStringLiteral("SELECT * FROM groups WHERE user_id = ? ORDER BY "
                                         "updated_time DESC LIMIT ?, ?"),
                          {userId, filter.offset, filter.limit});
}

CvStatement *CvQueries::prepareInsertCheckinQuery(const QString &userId, const CvCheckin &checkin)
{
    const CvUserRef application = checkin.application();
    return boundStatement(
        QStringLiteral("INSERT INTO checkins (id, from_id, place_id, message, app_id, app_name, "
                       "created_time, user_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {checkin.id(), checkin.from().id, checkin.place().id(), checkin.message(), application.id,
         application.name, checkin.createdTime(), userId});
}

CvStatement *CvQueries::prepareUpdateCheckinQuery(const QString &userId, const CvCheckin &checkin)
{
    return boundStatement(
        QStringLiteral("UPDATE checkins SET message = ? WHERE user_id = ? AND id = ?"),
        {checkin.message(), userId, checkin.id()});
}

CvStatement *CvQueries::prepareSelectCheckinQuery(const QString &checkinId, const QString &userId)
{
    return boundStatement(QStringLiteral("SELECT * FROM checkins WHERE id = ? AND user_id = ?"),
                          {checkinId, userId});
}

CvStatement *CvQueries::prepareSelectCheckinsQuery(const QString &userId,
                                                   const CvDataFilter &filter)
{
    return boundStatement(QStringLiteral("SELECT * FROM checkins WHERE user_id = ? ORDER BY "
                                         "created_time DESC LIMIT ?, ?"),
                          {userId, filter.offset, filter.limit});
}

CvStatement *CvQueries::prepareInsertPlaceQuery(const CvPlace &place, const QString &parentId)
{
    const CvLocation location = place.location();
    return boundStatement(
        QStringLiteral("INSERT OR REPLACE INTO places (id, name, category, street, city, state, "
                       "country, zip, latitude, longitude, parent_id)VALUES (?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?)"),
        {place.id(), place.name(), place.category(), location.street(), location.city(),
         location.state(), location.country(), location.zip(), location.latitude(),
         location.longitude(), parentId});
}

CvStatement *CvQueries::prepareSelectPlaceQuery(const QString &placeId, const QString &parentId)
{
    return boundStatement(QStringLiteral("SELECT * FROM places WHERE id = ? AND parent_id = ?"),
                          {placeId, parentId});
}

CvPlace CvQueries::parsePlace(const CvStatement &query)
{
    CvPlace place(query.value(0).toString());
    place.setName(query.value(1).toString());
    place.setCategory(query.value(2).toString());
    CvLocation location;
    location.setStreet(query.value(3).toString());
    location.setCity(query.value(4).toString());
    location.setState(query.value(5).toString());
    location.setCountry(query.value(6).toString());
    location.setZip(query.value(7).toString());
    location.setLatitude(query.value(8).toFloat());
    location.setLongitude(query.value(9).toFloat());
    place.setLocation(location);
    return place;
}

CvPlace CvQueries::readPlace(const QString &placeId, const QString &parentId)
{
    CvPlace place;
    CvStatement *query = prepareSelectPlaceQuery(placeId, parentId);
    if (!query)
        return place;
    if (d->exec(query) && query->next())
        place = parsePlace(*query);
    query->finish();
    return place;
}

CvUserRefs CvQueries::readUserRefs(CvStatement *query)
{
    CvUserRefs refs;
    if (!query)
        return refs;
    // Collect the ids first: the name look-up runs a statement of its own.
    QStringList ids;
    if (d->exec(query)) {
        while (query->next())
            ids << query->value(0).toString();
    }
    query->finish();
    for (const QString &id : std::as_const(ids)) {
        CvUserRef ref(id, QString());
        getUserRef(id, &ref);
        refs << ref;
    }
    return refs;
}

CvEvents CvQueries::parseEvents(CvStatement *query)
{
    CvEvents events;
    while (query->next()) {
        const QString ownerId = query->value(EventOwnerId).toString();
        CvUserRef owner(ownerId, QString());
        if (!ownerId.isEmpty())
            getUserRef(ownerId, &owner);
        CvEvent event(query->value(EventId).toString(), owner);
        event.setName(query->value(EventName).toString());
        event.setDescription(query->value(EventDescription).toString());
        event.setStartTime(query->value(EventStartTime).toDateTime());
        event.setEndTime(query->value(EventEndTime).toDateTime());
        event.setLocation(query->value(EventLocation).toString());
        event.setPrivacy(query->value(EventPrivacy).toString());
        event.setUpdatedTime(query->value(EventUpdatedTime).toDateTime());
        event.setRsvpStatus(query->value(EventRsvpStatus).toString());
        CvEvent::CvVenue venue;
        venue.street = query->value(EventStreet).toString();
        venue.city = query->value(EventCity).toString();
        venue.state = query->value(EventState).toString();
        venue.country = query->value(EventCountry).toString();
        venue.latitude = query->value(EventLatitude).toFloat();
        venue.longitude = query->value(EventLongitude).toFloat();
        event.setVenue(venue);
        event.setPicture(query->value(EventPicture).toString());
        events << event;
    }
    return events;
}

CvGroups CvQueries::parseGroups(CvStatement *query)
{
    CvGroups groups;
    while (query->next()) {
        const QString ownerId = query->value(GroupOwnerId).toString();
        CvUserRef owner(ownerId, QString());
        if (!ownerId.isEmpty())
            getUserRef(ownerId, &owner);
        CvGroup group(query->value(GroupId).toString(), owner);
        if (!group.isValid())
            continue;
        group.setVersion(query->value(GroupVersion).toInt());
        group.setName(query->value(GroupName).toString());
        group.setDescription(query->value(GroupDescription).toString());
        group.setPrivacy(query->value(GroupPrivacy).toString());
        group.setIcon(query->value(GroupIcon).toString());
        group.setUpdatedTime(query->value(GroupUpdatedTime).toDateTime());
        group.setEmail(query->value(GroupEmail).toString());
        group.setLink(query->value(GroupLink).toString());
        group.setPicture(query->value(GroupPicture).toString());
        groups << group;
    }
    return groups;
}

CvCheckins CvQueries::parseCheckins(CvStatement *query)
{
    CvCheckins checkins;
    while (query->next()) {
        const QString id = query->value(0).toString();
        const QString fromId = query->value(1).toString();
        CvUserRef from(fromId, QString());
        if (!fromId.isEmpty())
            getUserRef(fromId, &from);
        CvCheckin checkin(id, from, readPlace(query->value(2).toString(), id));
        if (!checkin.isValid())
            continue;
        checkin.setTags(readUserRefs(boundStatement(
            QStringLiteral("SELECT user_id FROM checkin_tags WHERE checkin_id = ?"), {id})));
        checkin.setMessage(query->value(3).toString());
        checkin.setApplication(CvUserRef(query->value(4).toString(), query->value(5).toString()));
        checkin.setCreatedTime(query->value(6).toDateTime());
        checkins << checkin;
    }
    return checkins;
}

} // namespace Cv
