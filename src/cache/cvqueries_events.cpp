#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"
#include "cvlocation.h"

#include <QDateTime>

namespace Cv {

namespace {

// Columns of events from name to picture, the part shared by the insert and the update.
void bindEventDetails(QSqlQuery *query, int first, const CvEvent &event)
{
    const CvEvent::CvVenue venue = event.venue();
    const QVariant values[]
        = {event.name(),       event.owner().id, event.description(), event.startTime(),
           event.endTime(),    event.location(), event.privacy(),     event.updatedTime(),
           event.rsvpStatus(), venue.street,     venue.city,          venue.state,
           venue.country,      venue.latitude,   venue.longitude,     event.picture()};
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

// Columns of groups from version to picture.
void bindGroupDetails(QSqlQuery *query, int first, const CvGroup &group)
{
    const QVariant values[] = {
        group.version(), group.owner().id,    group.name(),  group.description(), group.privacy(),
        group.icon(),    group.updatedTime(), group.email(), group.link(),        group.picture()};
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

} // namespace

QSqlQuery *CvQueries::prepareInsertEventQuery(const QString &userId, const CvEvent &event)
{
    QSqlQuery *query = kept(QStringLiteral(
        "INSERT INTO events (id, name, owner_id, description, start_time, end_time, location, "
        "privacy, updated_time, rsvp_status, street, city, state, country, latitude, longitude, "
        "picture, user_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!query)
        return nullptr;
    query->bindValue(0, event.id());
    bindEventDetails(query, 1, event);
    query->bindValue(17, userId);
    return query;
}

QSqlQuery *CvQueries::prepareUpdateEventQuery(const QString &userId, const CvEvent &event)
{
    QSqlQuery *query = kept(QStringLiteral(
        "UPDATE events SET name = ?, owner_id = ?, description = ?, start_time = ?, "
        "end_time = ?, location = ?, privacy = ?, updated_time = ? ,rsvp_status = ?, "
        "street = ?, city = ?, state = ?, country = ?, latitude = ?, longitude = ?, "
        "picture = ? WHERE user_id = ? AND id = ?"));
    if (!query)
        return nullptr;
    bindEventDetails(query, 0, event);
    query->bindValue(16, userId);
    query->bindValue(17, event.id());
    return query;
}

QSqlQuery *CvQueries::prepareSelectEventQuery(const QString &userId, const QString &eventId)
{
    return keptBound(QStringLiteral("SELECT * FROM events WHERE user_id = ? AND id = ?"),
                     {userId, eventId});
}

QSqlQuery *CvQueries::prepareSelectEventsQuery(const QString &userId, const CvDataFilter &filter)
{
    return keptBound(
        QStringLiteral("SELECT * FROM events WHERE user_id = ? AND (start_time IS NULL OR "
                       "(datetime(start_time) >= datetime(?) AND datetime(start_time) <= "
                       "datetime(?))) ORDER BY start_time DESC LIMIT ?, ?"),
        {userId, lowerBound(filter), upperBound(filter), filter.offset, filter.limit});
}

QSqlQuery *CvQueries::prepareInsertGroupQuery(const QString &userId, const CvGroup &group)
{
    QSqlQuery *query = kept(QStringLiteral(
        "INSERT INTO groups (id, version, owner_id, name, description, privacy, icon, "
        "updated_time, email, link, picture, user_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    if (!query)
        return nullptr;
    query->bindValue(0, group.id());
    bindGroupDetails(query, 1, group);
    query->bindValue(11, userId);
    return query;
}

// Qt's SQLite driver cannot prepare a placeholder glued to the next word ("?WHERE"): the two
// updates below separate them with a space.
QSqlQuery *CvQueries::prepareUpdateGroupQuery(const QString &userId, const CvGroup &group)
{
    QSqlQuery *query = kept(QStringLiteral(
        "UPDATE groups SET version = ?,owner_id = ?,name = ?,description = ?,privacy = ?,"
        "icon = ?,updated_time = ?,email = ?,link = ?,picture = ? WHERE user_id = ? AND id = ?"));
    if (!query)
        return nullptr;
    bindGroupDetails(query, 0, group);
    query->bindValue(10, userId);
    query->bindValue(11, group.id());
    return query;
}

QSqlQuery *CvQueries::prepareSelectGroupQuery(const QString &groupId, const QString &userId)
{
    return keptBound(QStringLiteral("SELECT * FROM groups WHERE id = ? AND user_id = ?"),
                     {groupId, userId});
}

QSqlQuery *CvQueries::prepareSelectGroupsQuery(const QString &userId, const CvDataFilter &filter)
{
    return keptBound(QStringLiteral("SELECT * FROM groups WHERE user_id = ? ORDER BY "
                                    "updated_time DESC LIMIT ?, ?"),
                     {userId, filter.offset, filter.limit});
}

QSqlQuery *CvQueries::prepareInsertCheckinQuery(const QString &userId, const CvCheckin &checkin)
{
    const CvUserRef application = checkin.application();
    return keptBound(
        QStringLiteral("INSERT INTO checkins (id, from_id, place_id, message, app_id, app_name, "
                       "created_time, user_id)VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {checkin.id(), checkin.from().id, checkin.place().id(), checkin.message(), application.id,
         application.name, checkin.createdTime(), userId});
}

QSqlQuery *CvQueries::prepareUpdateCheckinQuery(const QString &userId, const CvCheckin &checkin)
{
    return keptBound(QStringLiteral("UPDATE checkins SET message = ? WHERE user_id = ? AND id = ?"),
                     {checkin.message(), userId, checkin.id()});
}

QSqlQuery *CvQueries::prepareSelectCheckinQuery(const QString &checkinId, const QString &userId)
{
    return keptBound(QStringLiteral("SELECT * FROM checkins WHERE id = ? AND user_id = ?"),
                     {checkinId, userId});
}

QSqlQuery *CvQueries::prepareSelectCheckinsQuery(const QString &userId, const CvDataFilter &filter)
{
    return keptBound(QStringLiteral("SELECT * FROM checkins WHERE user_id = ? ORDER BY "
                                    "created_time DESC LIMIT ?, ?"),
                     {userId, filter.offset, filter.limit});
}

QSqlQuery *CvQueries::prepareInsertPlaceQuery(const CvPlace &place, const QString &parentId)
{
    const CvLocation location = place.location();
    return keptBound(
        QStringLiteral("INSERT OR REPLACE INTO places (id, name, category, street, city, state, "
                       "country, zip, latitude, longitude, parent_id)VALUES (?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?)"),
        {place.id(), place.name(), place.category(), location.street(), location.city(),
         location.state(), location.country(), location.zip(), location.latitude(),
         location.longitude(), parentId});
}

QSqlQuery *CvQueries::prepareSelectPlaceQuery(const QString &placeId, const QString &parentId)
{
    return keptBound(QStringLiteral("SELECT * FROM places WHERE id = ? AND parent_id = ?"),
                     {placeId, parentId});
}

CvPlace CvQueries::parsePlace(const QSqlQuery &query)
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
    QSqlQuery *query = prepareSelectPlaceQuery(placeId, parentId);
    if (!query)
        return place;
    if (d->exec(query) && query->next())
        place = parsePlace(*query);
    query->finish();
    return place;
}

CvUserRefs CvQueries::readUserRefs(QSqlQuery *query)
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

CvEvents CvQueries::parseEvents(QSqlQuery *query)
{
    CvEvents events;
    while (query->next()) {
        const QString ownerId = query->value(2).toString();
        CvUserRef owner(ownerId, QString());
        if (!ownerId.isEmpty())
            getUserRef(ownerId, &owner);
        CvEvent event(query->value(0).toString(), owner);
        event.setName(query->value(1).toString());
        event.setDescription(query->value(3).toString());
        event.setStartTime(query->value(4).toDateTime());
        event.setEndTime(query->value(5).toDateTime());
        event.setLocation(query->value(6).toString());
        event.setPrivacy(query->value(7).toString());
        event.setUpdatedTime(query->value(8).toDateTime());
        event.setRsvpStatus(query->value(9).toString());
        CvEvent::CvVenue venue;
        venue.street = query->value(10).toString();
        venue.city = query->value(11).toString();
        venue.state = query->value(12).toString();
        venue.country = query->value(13).toString();
        venue.latitude = query->value(14).toFloat();
        venue.longitude = query->value(15).toFloat();
        event.setVenue(venue);
        event.setPicture(query->value(16).toString());
        events << event;
    }
    return events;
}

CvGroups CvQueries::parseGroups(QSqlQuery *query)
{
    CvGroups groups;
    while (query->next()) {
        const QString ownerId = query->value(2).toString();
        CvUserRef owner(ownerId, QString());
        if (!ownerId.isEmpty())
            getUserRef(ownerId, &owner);
        CvGroup group(query->value(0).toString(), owner);
        if (!group.isValid())
            continue;
        group.setVersion(query->value(1).toInt());
        group.setName(query->value(3).toString());
        group.setDescription(query->value(4).toString());
        group.setPrivacy(query->value(5).toString());
        group.setIcon(query->value(6).toString());
        group.setUpdatedTime(query->value(7).toDateTime());
        group.setEmail(query->value(8).toString());
        group.setLink(query->value(9).toString());
        group.setPicture(query->value(10).toString());
        groups << group;
    }
    return groups;
}

CvCheckins CvQueries::parseCheckins(QSqlQuery *query)
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
        checkin.setTags(readUserRefs(keptBound(
            QStringLiteral("SELECT user_id FROM checkin_tags WHERE checkin_id = ?"), {id})));
        checkin.setMessage(query->value(3).toString());
        checkin.setApplication(CvUserRef(query->value(4).toString(), query->value(5).toString()));
        checkin.setCreatedTime(query->value(6).toDateTime());
        checkins << checkin;
    }
    return checkins;
}

} // namespace Cv
