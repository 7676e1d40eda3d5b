#ifndef CVVALUE_P_H
#define CVVALUE_P_H

#include <QDateTime>

namespace Cv {

// Dates that went through the service or the cache lose their milliseconds, so most value
// classes compare them to the second through their ISO text. This also makes a null date equal
// to an invalid one: both print as an empty text.
inline bool isoDateEqual(const QDateTime &a, const QDateTime &b)
{
    return a.toString(Qt::ISODate) == b.toString(Qt::ISODate);
}

} // namespace Cv

#endif // CVVALUE_P_H
