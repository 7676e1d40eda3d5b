#include "cvdataconverter.h"

#include "convert/cvdataconverter_p.h"
#include "convert/cvlog_p.h"

#include <QUrl>
#include <QUrlQuery>

#include <cmath>

using namespace Qt::StringLiterals;

namespace Cv {
namespace CvJson {

QString text(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Double: {
        // A whole number written with a fraction or exponent is still an id: give its digits,
        // not the shortest floating-point form ("1e+17").
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 9.0e18)
            return QString::number(static_cast<qint64>(number));
        return value.toString();
    }
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Bool:
    case QMetaType::QByteArray:
        return value.toString();
    default:
        // Objects, arrays and null have no text.
        return QString();
    }
}

QVariantMap object(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return value.toMap();
    default:
        return QVariantMap();
    }
}

QVariantList array(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return value.toList();
    default:
        return QVariantList();
    }
}

QVariantList wrappedArray(const QVariantMap &map, const QString &key)
{
    return array(object(map, key), u"data"_s);
}

QDateTime isoTime(const QVariantMap &map, const QString &key)
{
    const QVariant value = map.value(key);
    switch (value.typeId()) {
    case QMetaType::QString:
        return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    case QMetaType::QDateTime:
        return value.toDateTime();
    default:
        return QDateTime();
    }
}

QDateTime graphTime(const QVariantMap &map, const QString &key)
{
    // The clock reading is kept and declared UTC, whatever offset the text carries.
    QDateTime time = isoTime(map, key);
    if (time.isValid())
        time.setTimeSpec(Qt::UTC);
    return time;
}

QDateTime secondsTime(const QVariantMap &map, const QString &key)
{
    return QDateTime::fromSecsSinceEpoch(map.value(key).toLongLong(), Qt::UTC);
}

QDateTime msecsTime(const QVariantMap &map, const QString &key)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(map.value(key).toULongLong()),
                                          Qt::UTC);
}

QString queryItem(const QString &url, const QString &item)
{
    if (url.isEmpty())
        return QString();
    return QUrlQuery(QUrl(url)).queryItemValue(item, QUrl::FullyDecoded);
}

} // namespace CvJson

using namespace CvJson;

CvDataConverter::CvDataConverter() = default;

CvDataConverter::~CvDataConverter() = default;

CvUserRef CvDataConverter::toUserRef(const QVariantMap &data)
{
    return CvUserRef(text(data, u"id"_s), text(data, u"name"_s));
}

CvUserRefs CvDataConverter::toUserRefs(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return every<CvUserRefs>(data, toUserRef);
}

CvUser CvDataConverter::toUser(const QVariantMap &data)
{
    // Query-language rows name the id "uid", the birthday "birthday_date" and the picture
    // "pic_square"; Graph objects use the first names.
    QString id = text(data, u"id"_s);
    if (id.isEmpty())
        id = text(data, u"uid"_s);
    CvUser user(id, text(data, u"name"_s));
    user.setLink(text(data, u"link"_s));
    user.setFirstName(text(data, u"first_name"_s));
    user.setLastName(text(data, u"last_name"_s));
    user.setAbout(text(data, u"about"_s));
    QString birthday = text(data, u"birthday"_s);
    if (birthday.isEmpty())
        birthday = text(data, u"birthday_date"_s);
    user.setBirthday(birthday);
    user.setEmail(text(data, u"email"_s));
    user.setWebsite(text(data, u"website"_s));
    user.setHometown(text(object(data, u"hometown"_s), u"name"_s));
    user.setLocation(text(object(data, u"location"_s), u"name"_s));
    user.setBio(text(data, u"bio"_s));
    user.setGender(text(data, u"gender"_s));
    user.setInterestedIn(text(data, u"interested_in"_s));
    user.setMeetingFor(text(data, u"meeting_for"_s));
    user.setRelationshipStatus(text(data, u"relationship_status"_s));
    user.setReligion(text(data, u"religion"_s));
    user.setPolitical(text(data, u"political"_s));
    user.setSignificantOther(toUserRef(object(data, u"significant_other"_s)));
    user.setTimezone(integer(data, u"timezone"_s));
    QString picture = text(data, u"picture"_s);
    if (picture.isEmpty())
        picture = text(data, u"pic_square"_s);
    user.setPicture(picture);
    user.setMobilePhone(text(data, u"mobile_phone"_s));
    user.setLocale(text(data, u"locale"_s));
    return user;
}

CvUsers CvDataConverter::toUsers(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvUsers>(data, toUser);
}

CvPage CvDataConverter::toPage(const QVariantMap &data)
{
    CvPage page(text(data, u"id"_s));
    page.setName(text(data, u"name"_s));
    page.setPicture(text(data, u"picture"_s));
    page.setLink(text(data, u"link"_s));
    page.setCategory(text(data, u"category"_s));
    page.setWebsite(text(data, u"website"_s));
    page.setUsername(text(data, u"username"_s));
    page.setFounded(text(data, u"founded"_s));
    page.setCompanyOverview(text(data, u"company_overview"_s));
    page.setLikes(integer(data, u"likes"_s));
    page.setCheckins(integer(data, u"checkins"_s));
    page.setPhoneNumber(text(data, u"phone"_s));
    page.setLocation(toLocation(object(data, u"location"_s)));
    return page;
}

CvPages CvDataConverter::toPages(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvPages>(data, toPage);
}

CvGroup CvDataConverter::toGroup(const QVariantMap &data)
{
    CvGroup group(text(data, u"id"_s));
    if (!group.isValid())
        return CvGroup();
    group.setVersion(integer(data, u"version"_s));
    group.setOwner(toUserRef(object(data, u"owner"_s)));
    group.setName(text(data, u"name"_s));
    group.setDescription(text(data, u"description"_s));
    group.setPrivacy(text(data, u"privacy"_s));
    group.setIcon(text(data, u"icon"_s));
    group.setUpdatedTime(graphTime(data, u"updated_time"_s));
    group.setEmail(text(data, u"email"_s));
    group.setLink(text(data, u"link"_s));
    group.setPicture(text(data, u"picture"_s));
    return group;
}

CvGroups CvDataConverter::toGroups(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvGroups>(data, toGroup);
}

CvEvent CvDataConverter::toEvent(const QVariantMap &data)
{
    CvEvent event(text(data, u"id"_s));
    if (!event.isValid())
        return CvEvent();
    event.setOwner(toUserRef(object(data, u"owner"_s)));
    event.setName(text(data, u"name"_s));
    // Start and end are local to the event's place: they keep whatever zone their text names.
    event.setStartTime(isoTime(data, u"start_time"_s));
    event.setEndTime(isoTime(data, u"end_time"_s));
    event.setLocation(text(data, u"location"_s));
    event.setRsvpStatus(text(data, u"rsvp_status"_s));
    event.setDescription(text(data, u"description"_s));
    event.setPrivacy(text(data, u"privacy"_s));
    event.setUpdatedTime(graphTime(data, u"updated_time"_s));
    const QVariantMap venueData = object(data, u"venue"_s);
    CvEvent::CvVenue venue;
    venue.street = text(venueData, u"street"_s);
    venue.city = text(venueData, u"city"_s);
    venue.state = text(venueData, u"state"_s);
    venue.country = text(venueData, u"country"_s);
    venue.latitude = real(venueData, u"latitude"_s);
    venue.longitude = real(venueData, u"longitude"_s);
    event.setVenue(venue);
    event.setPicture(text(data, u"picture"_s));
    return event;
}

CvEvents CvDataConverter::toEvents(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvEvents>(data, toEvent);
}

CvLocation CvDataConverter::toLocation(const QVariantMap &data)
{
    CvLocation location;
    location.setStreet(text(data, u"street"_s));
    location.setCity(text(data, u"city"_s));
    location.setState(text(data, u"state"_s));
    location.setCountry(text(data, u"country"_s));
    location.setZip(text(data, u"zip"_s));
    location.setLatitude(real(data, u"latitude"_s));
    location.setLongitude(real(data, u"longitude"_s));
    return location;
}

QList<CvLocation> CvDataConverter::toLocations(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<QList<CvLocation>>(data, toLocation);
}

CvPlace CvDataConverter::toPlace(const QVariantMap &data)
{
    CvPlace place(text(data, u"id"_s));
    place.setName(text(data, u"name"_s));
    place.setCategory(text(data, u"category"_s));
    place.setLocation(toLocation(object(data, u"location"_s)));
    return place;
}

CvPlaces CvDataConverter::toPlaces(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvPlaces>(data, toPlace);
}

CvCheckin CvDataConverter::toCheckin(const QVariantMap &data)
{
    CvCheckin checkin(text(data, u"id"_s), toUserRef(object(data, u"from"_s)),
                      toPlace(object(data, u"place"_s)));
    if (!checkin.isValid())
        return CvCheckin();
    checkin.setTags(toUserRefs(wrappedArray(data, u"tags"_s)));
    checkin.setApplication(toUserRef(object(data, u"application"_s)));
    checkin.setMessage(text(data, u"message"_s));
    checkin.setCreatedTime(graphTime(data, u"created_time"_s));
    return checkin;
}

CvCheckins CvDataConverter::toCheckins(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvCheckins>(data, toCheckin);
}

CvObject CvDataConverter::toObject(const QVariantMap &data)
{
    CvObject result(text(data, u"id"_s), text(data, u"name"_s), text(data, u"type"_s));
    if (!result.isValid())
        return CvObject();
    result.setData(data);
    return result;
}

CvObjects CvDataConverter::toObjects(const QVariantMap &data)
{
    CV_TRACE_FUNCTION;
    CvObjects objects;
    objects.reserve(data.size());
    for (const QVariant &value : data) {
        const CvObject item = toObject(object(value));
        if (item.isValid())
            objects.append(item);
    }
    return objects;
}

QVariantMap CvDataConverter::toMap(const CvUser &user)
{
    QVariantMap map;
    map.insert(u"id"_s, user.id());
    map.insert(u"name"_s, user.name());
    map.insert(u"link"_s, user.link());
    return map;
}

QVariantList CvDataConverter::toList(const CvUsers &users)
{
    QVariantList list;
    list.reserve(users.size());
    for (const CvUser &user : users)
        list.append(toMap(user));
    return list;
}

QVariantMap CvDataConverter::toMap(const CvUserRef &ref)
{
    QVariantMap map;
    map.insert(u"id"_s, ref.id);
    map.insert(u"name"_s, ref.name);
    return map;
}

QVariantList CvDataConverter::toList(const CvUserRefs &refs)
{
    QVariantList list;
    list.reserve(refs.size());
    for (const CvUserRef &ref : refs)
        list.append(toMap(ref));
    return list;
}

} // namespace Cv
