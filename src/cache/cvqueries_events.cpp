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
    CvPlace place(query.text(0));
    place.setName(query.text(1));
    place.setCategory(query.text(2));
    CvLocation location;
    location.setStreet(query.text(3));
    location.setCity(query.text(4));
    location.setState(query.text(5));
    location.setCountry(query.text(6));
    location.setZip(query.text(7));
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
            ids << query->text(0);
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
    const NameMemo memo(this);
    CvEvents events;
    while (query->next()) {
        const QString ownerId = query->text(EventOwnerId);
        CvUserRef owner(ownerId, QString());
        if (!ownerId.isEmpty())
            getUserRef(ownerId, &owner);
        CvEvent event(query->text(EventId), owner);
        event.setName(query->text(EventName));
        event.setDescription(query->text(EventDescription));
        event.setStartTime(query->dateTime(EventStartTime));
        event.setEndTime(query->dateTime(EventEndTime));
        event.setLocation(query->text(EventLocation));
        event.setPrivacy(query->text(EventPrivacy));
        event.setUpdatedTime(query->dateTime(EventUpdatedTime));
        event.setRsvpStatus(query->text(EventRsvpStatus));
        CvEvent::CvVenue venue;
        venue.street = query->text(EventStreet);
        venue.city = query->text(EventCity);
        venue.state = query->text(EventState);
        venue.country = query->text(EventCountry);
        venue.latitude = query->value(EventLatitude).toFloat();
        venue.longitude = query->value(EventLongitude).toFloat();
        event.setVenue(venue);
        event.setPicture(query->text(EventPicture));
        events << event;
    }
    return events;
}

CvGroups CvQueries::parseGroups(CvStatement *query)
{
    const NameMemo memo(this);
    CvGroups groups;
    while (query->next()) {
        const QString ownerId = query->text(GroupOwnerId);
        CvUserRef owner(ownerId, QString());
        if (!ownerId.isEmpty())
            getUserRef(ownerId, &owner);
        CvGroup group(query->text(GroupId), owner);
        if (!group.isValid())
            continue;
        group.setVersion(query->integer(GroupVersion));
        group.setName(query->text(GroupName));
        group.setDescription(query->text(GroupDescription));
        group.setPrivacy(query->text(GroupPrivacy));
        group.setIcon(query->text(GroupIcon));
        group.setUpdatedTime(query->dateTime(GroupUpdatedTime));
        group.setEmail(query->text(GroupEmail));
        group.setLink(query->text(GroupLink));
        group.setPicture(query->text(GroupPicture));
        groups << group;
    }
    return groups;
}

CvCheckins CvQueries::parseCheckins(CvStatement *query)
{
    const NameMemo memo(this);
    CvCheckins checkins;
    while (query->next()) {
        const QString id = query->text(0);
        const QString fromId = query->text(1);
        CvUserRef from(fromId, QString());
        if (!fromId.isEmpty())
            getUserRef(fromId, &from);
        CvCheckin checkin(id, from, readPlace(query->text(2), id));
        if (!checkin.isValid())
            continue;
        checkin.setTags(readUserRefs(boundStatement(
            QStringLiteral("SELECT user_id FROM checkin_tags WHERE checkin_id = ?"), {id})));
        checkin.setMessage(query->text(3));
        checkin.setApplication(CvUserRef(query->text(4), query->text(5)));
        checkin.setCreatedTime(query->dateTime(6));
        checkins << checkin;
    }
    return checkins;
}

} // namespace Cv
