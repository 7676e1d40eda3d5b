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
    const int type = value.typeId();
    return type == QMetaType::QVariantMap || type == QMetaType::QVariantHash ? value.toMap()
                                                                             : QVariantMap();
}

QVariantList array(const QVariant &value)
{
    const int type = value.typeId();
    return type == QMetaType::QVariantList || type == QMetaType::QStringList ? value.toList()
                                                                             : QVariantList();
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

namespace {

template<typename Items>
QVariantList mapsOf(const Items &items)
{
    QVariantList list;
    list.reserve(items.size());
    for (const auto &item : items)
        list.append(CvDataConverter::toMap(item));
    return list;
}

} // namespace

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
    readFields(
        user, data, field(u"link"_s, &CvUser::setLink),
        field(u"first_name"_s, &CvUser::setFirstName), field(u"last_name"_s, &CvUser::setLastName),
        field(u"about"_s, &CvUser::setAbout), field(u"email"_s, &CvUser::setEmail),
        field(u"website"_s, &CvUser::setWebsite), field(u"bio"_s, &CvUser::setBio),
        field(u"gender"_s, &CvUser::setGender), field(u"interested_in"_s, &CvUser::setInterestedIn),
        field(u"meeting_for"_s, &CvUser::setMeetingFor),
        field(u"relationship_status"_s, &CvUser::setRelationshipStatus),
        field(u"religion"_s, &CvUser::setReligion), field(u"political"_s, &CvUser::setPolitical),
        field(u"significant_other"_s, &CvUser::setSignificantOther),
        field(u"timezone"_s, &CvUser::setTimezone),
        field(u"mobile_phone"_s, &CvUser::setMobilePhone), field(u"locale"_s, &CvUser::setLocale));
    QString birthday = text(data, u"birthday"_s);
    if (birthday.isEmpty())
        birthday = text(data, u"birthday_date"_s);
    user.setBirthday(birthday);
    user.setHometown(text(object(data, u"hometown"_s), u"name"_s));
    user.setLocation(text(object(data, u"location"_s), u"name"_s));
    QString picture = text(data, u"picture"_s);
    if (picture.isEmpty())
        picture = text(data, u"pic_square"_s);
    user.setPicture(picture);
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
    readFields(page, data, field(u"name"_s, &CvPage::setName),
               field(u"picture"_s, &CvPage::setPicture), field(u"link"_s, &CvPage::setLink),
               field(u"category"_s, &CvPage::setCategory), field(u"website"_s, &CvPage::setWebsite),
               field(u"username"_s, &CvPage::setUsername), field(u"founded"_s, &CvPage::setFounded),
               field(u"company_overview"_s, &CvPage::setCompanyOverview),
               field(u"likes"_s, &CvPage::setLikes), field(u"checkins"_s, &CvPage::setCheckins),
               field(u"phone"_s, &CvPage::setPhoneNumber));
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
    readFields(group, data, field(u"version"_s, &CvGroup::setVersion),
               field(u"owner"_s, &CvGroup::setOwner), field(u"name"_s, &CvGroup::setName),
               field(u"description"_s, &CvGroup::setDescription),
               field(u"privacy"_s, &CvGroup::setPrivacy), field(u"icon"_s, &CvGroup::setIcon),
               field(u"updated_time"_s, &CvGroup::setUpdatedTime),
               field(u"email"_s, &CvGroup::setEmail), field(u"link"_s, &CvGroup::setLink),
               field(u"picture"_s, &CvGroup::setPicture));
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
    readFields(event, data, field(u"owner"_s, &CvEvent::setOwner),
               field(u"name"_s, &CvEvent::setName), field(u"location"_s, &CvEvent::setLocation),
               field(u"rsvp_status"_s, &CvEvent::setRsvpStatus),
               field(u"description"_s, &CvEvent::setDescription),
               field(u"privacy"_s, &CvEvent::setPrivacy),
               field(u"updated_time"_s, &CvEvent::setUpdatedTime),
               field(u"picture"_s, &CvEvent::setPicture));
    // Start and end are local to the event's place: they keep whatever zone their text names.
    event.setStartTime(isoTime(data, u"start_time"_s));
    event.setEndTime(isoTime(data, u"end_time"_s));
    // The venue is a location without zip code.
    const CvLocation place = toLocation(object(data, u"venue"_s));
    CvEvent::CvVenue venue;
    venue.street = place.street();
    venue.city = place.city();
    venue.state = place.state();
    venue.country = place.country();
    venue.latitude = place.latitude();
    venue.longitude = place.longitude();
    event.setVenue(venue);
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
    readFields(location, data, field(u"street"_s, &CvLocation::setStreet),
               field(u"city"_s, &CvLocation::setCity), field(u"state"_s, &CvLocation::setState),
               field(u"country"_s, &CvLocation::setCountry), field(u"zip"_s, &CvLocation::setZip),
               field(u"latitude"_s, &CvLocation::setLatitude),
               field(u"longitude"_s, &CvLocation::setLongitude));
    return location;
}

QList<CvLocation> CvDataConverter::toLocations(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<QList<CvLocation>>(data, toLocation);
}

CvPlace CvDataConverter::toPlace(const QVariantMap &data)
{
    // Most posts have no place: skip reading members that cannot be there.
    if (data.isEmpty())
        return CvPlace();
    CvPlace place(text(data, u"id"_s));
    readFields(place, data, field(u"name"_s, &CvPlace::setName),
               field(u"category"_s, &CvPlace::setCategory));
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
    CvCheckin checkin(text(data, u"id"_s), userRef(data, u"from"_s),
                      toPlace(object(data, u"place"_s)));
    if (!checkin.isValid())
        return CvCheckin();
    checkin.setTags(toUserRefs(wrappedArray(data, u"tags"_s)));
    readFields(checkin, data, field(u"application"_s, &CvCheckin::setApplication),
               field(u"message"_s, &CvCheckin::setMessage),
               field(u"created_time"_s, &CvCheckin::setCreatedTime));
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
    QVariantMap map = toMap(user.toRef());
    map.insert(u"link"_s, user.link());
    return map;
}

QVariantList CvDataConverter::toList(const CvUsers &users)
{
    return mapsOf(users);
}

QVariantMap CvDataConverter::toMap(const CvUserRef &ref)
{
    return QVariantMap {{u"id"_s, ref.id}, {u"name"_s, ref.name}};
}

QVariantList CvDataConverter::toList(const CvUserRefs &refs)
{
    return mapsOf(refs);
}

} // namespace Cv
