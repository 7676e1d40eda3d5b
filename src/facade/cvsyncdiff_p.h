#ifndef CVSYNCDIFF_P_H
#define CVSYNCDIFF_P_H

#include "cvuserref.h"

#include <QHash>
#include <QList>
#include <QString>

namespace Cv {

inline QString cvItemId(const CvUserRef &ref)
{
    return ref.id;
}

template<typename T>
inline QString cvItemId(const T &item)
{
    return item.id();
}

//! Removes the first element of \a list whose id is \a id; false when there is none.
template<typename T>
bool searchAndRemove(QList<T> &list, const QString &id)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (cvItemId(*it) == id) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

//! The outcome of comparing a fresh list from the service with the cached one.
template<typename T>
struct CvSyncDiff
{
    QList<T> added; //!< fresh items the cache does not hold, in fresh order
    QList<T> updated; //!< fresh items the cache holds too, in fresh order
    QList<T> removed; //!< cached items the service did not return, in cached order
};

/*!
 * Compares \a fresh with \a cached by id. The result is the one of walking \a fresh front to back
 * and, for each item, removing the first cached and the first fresh item of the same id
 * (searchAndRemove) when the cache has one, but in linear expected time: with duplicate ids, the
 * first n occurrences on both sides pair up, n being the smaller of the two counts.
 */
template<typename T>
CvSyncDiff<T> cvSyncDiff(const QList<T> &fresh, const QList<T> &cached)
{
    QHash<QString, int> cachedCount;
    cachedCount.reserve(cached.size());
    for (const T &item : cached)
        ++cachedCount[cvItemId(item)];

    CvSyncDiff<T> diff;
    QHash<QString, int> paired;
    for (const T &item : fresh) {
        const QString id = cvItemId(item);
        const auto count = cachedCount.constFind(id);
        int &pairs = paired[id];
        if (count != cachedCount.constEnd() && pairs < *count) {
            ++pairs;
            diff.updated.append(item);
        } else {
            diff.added.append(item);
        }
    }

    QHash<QString, int> skipped;
    for (const T &item : cached) {
        const QString id = cvItemId(item);
        int &seen = skipped[id];
        if (seen < paired.value(id))
            ++seen;
        else
            diff.removed.append(item);
    }
    return diff;
}

} // namespace Cv

#endif // CVSYNCDIFF_P_H
