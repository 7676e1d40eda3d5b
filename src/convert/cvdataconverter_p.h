#ifndef CVDATACONVERTER_P_H
#define CVDATACONVERTER_P_H

#include "cvuserref.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <type_traits>

// The one place where decoded JSON values are read. Every member access of the converter goes
// through these, so that a member of an unexpected kind (a string where an object belongs, null,
// a number as id) is handled the same way everywhere.
namespace Cv {
namespace CvJson {

//! Text of a scalar: strings as they are, integers as exact decimals, other kinds null.
QString text(const QVariant &value);
inline QString text(const QVariantMap &map, const QString &key)
{
    return text(map.value(key));
}

//! Number members, with QVariant's lenient conversion (numeric strings count, others are 0).
inline int integer(const QVariantMap &map, const QString &key)
{
    return map.value(key).toInt();
}
inline float real(const QVariantMap &map, const QString &key)
{
    return map.value(key).toFloat();
}
inline bool boolean(const QVariantMap &map, const QString &key)
{
    return map.value(key).toBool();
}

//! The value as an object, or an empty map for any other kind.
QVariantMap object(const QVariant &value);
inline QVariantMap object(const QVariantMap &map, const QString &key)
{
    return object(map.value(key));
}

//! The value as an array, or an empty list for any other kind (never a list of characters).
QVariantList array(const QVariant &value);
inline QVariantList array(const QVariantMap &map, const QString &key)
{
    return array(map.value(key));
}

//! The array in the "data" member of the object \a key.
QVariantList wrappedArray(const QVariantMap &map, const QString &key);

//! An ISO 8601 text as parsed (with its own offset or zone); null for other kinds, invalid if
//! unparseable.
QDateTime isoTime(const QVariantMap &map, const QString &key);
//! An ISO 8601 text whose clock reading is declared UTC.
QDateTime graphTime(const QVariantMap &map, const QString &key);
//! Unix seconds in UTC; an absent member counts as 0.
QDateTime secondsTime(const QVariantMap &map, const QString &key);
//! Unix milliseconds in UTC; an absent member counts as 0.
QDateTime msecsTime(const QVariantMap &map, const QString &key);

//! The query item \a item of the URL text \a url, fully decoded.
QString queryItem(const QString &url, const QString &item);
//! The second part of a "set" value such as "a.123.456" when the first part satisfies \a accept.
template<typename Accept>
QString albumFromSet(const QString &set, Accept accept)
{
    const QList<QStringView> parts = QStringView(set).split(u'.');
    if (parts.size() >= 2 && accept(parts.first()))
        return parts.at(1).toString();
    return QString();
}

//! A reference read from the object member \a key: its "id" and "name".
inline CvUserRef userRef(const QVariantMap &map, const QString &key)
{
    const QVariantMap ref = object(map, key);
    return CvUserRef(text(ref, QStringLiteral("id")), text(ref, QStringLiteral("name")));
}

//! The member \a key read as the kind a setter takes: text for strings, number for int and
//! float, truth for bool, a Graph time for QDateTime and a reference for CvUserRef.
template<typename Value>
Value member(const QVariantMap &map, const QString &key)
{
    if constexpr (std::is_same_v<Value, QString>)
        return text(map, key);
    else if constexpr (std::is_same_v<Value, int>)
        return integer(map, key);
    else if constexpr (std::is_same_v<Value, float>)
        return real(map, key);
    else if constexpr (std::is_same_v<Value, bool>)
        return boolean(map, key);
    else if constexpr (std::is_same_v<Value, QDateTime>)
        return graphTime(map, key);
    else
        return userRef(map, key);
}

//! One member of the decoded object and the setter that takes it. The key is held by reference:
//! fields live only in the call of readFields() that they are made for.
template<typename T, typename Arg>
struct Field
{
    using Value = std::decay_t<Arg>;
    const QString &key;
    void (T::*set)(Arg);
};

template<typename T, typename Arg>
Field<T, Arg> field(const QString &key, void (T::*set)(Arg))
{
    return {key, set};
}

//! Reads each field of \a fields from \a map into \a target, converted as its setter takes it.
template<typename Target, typename... Fields>
void readFields(Target &target, const QVariantMap &map, const Fields &...fields)
{
    ((target.*fields.set)(member<typename Fields::Value>(map, fields.key)), ...);
}

//! Converts each element that is an object with \a convert and keeps those that are valid.
template<typename List, typename Convert>
List validOnly(const QVariantList &data, Convert convert)
{
    List result;
    result.reserve(data.size());
    for (const QVariant &element : data) {
        auto item = convert(object(element));
        if (item.isValid())
            result.append(item);
    }
    return result;
}

//! Converts every element, valid or not.
template<typename List, typename Convert>
List every(const QVariantList &data, Convert convert)
{
    List result;
    result.reserve(data.size());
    for (const QVariant &element : data)
        result.append(convert(object(element)));
    return result;
}

} // namespace CvJson
} // namespace Cv

#endif // CVDATACONVERTER_P_H
