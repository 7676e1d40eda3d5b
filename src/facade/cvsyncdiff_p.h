#ifndef CVSYNCDIFF_P_H
#define CVSYNCDIFF_P_H

#include "cvdatafilter.h"
#include "cvuserref.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

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

//! When a synchronization may remove the cached items the service no longer lists.
enum class CvRemovalRule {
    Windowed, //!< only when the request's filter bounds a time window (since or until valid)
    Always //!< on every complete reply (collections without a time window)
};

//! Whether a synchronization under \a rule for a request with \a filter may remove anything.
//! A reply that is not \a complete (malformed, or with pages left) never removes.
inline bool cvMayRemove(CvRemovalRule rule, const CvDataFilter &filter, bool complete)
{
    if (!complete)
        return false;
    return rule == CvRemovalRule::Always || filter.since.isValid() || filter.until.isValid();
}

//! The cache operations and the update signal of one synchronization (cvSynchronize()).
template<typename T>
struct CvSyncSteps
{
    //! Reads the cached list under the same owner and filter as the request; false on failure.
    std::function<bool(QList<T> *cached)> readCached;
    //! Stores a list (called for added, then for updated); false on failure.
    std::function<bool(const QList<T> &items)> write;
    //! Removes cached leftovers; false on failure.
    std::function<bool(const QList<T> &items)> remove;
    //! Emits the collection's ...Updated signal.
    std::function<void(const QList<T> &added, const QList<T> &updated, const QList<T> &removed)>
        emitUpdated;
};

/*!
 * Brings the cache in step with \a fresh, the list the service just returned, and reports it.
 * The cached list is diffed with cvSyncDiff(); added items are written, then updated ones; the
 * leftovers are removed only when \a mayRemove (cvMayRemove()), otherwise none are reported as
 * removed. A cache that cannot be read reports every fresh item as added and writes nothing.
 *
 * Returns false, without emitting, when a write or the removal failed: the caller then emits its
 * collection's warning and the CacheError.
 */
template<typename T>
bool cvSynchronize(const QList<T> &fresh, bool mayRemove, const CvSyncSteps<T> &steps)
{
    QList<T> cached;
    if (!steps.readCached(&cached)) {
        steps.emitUpdated(fresh, QList<T>(), QList<T>());
        return true;
    }
    CvSyncDiff<T> diff = cvSyncDiff(fresh, cached);
    bool ok = true;
    if (!diff.added.isEmpty() && !steps.write(diff.added))
        ok = false;
    if (!diff.updated.isEmpty() && !steps.write(diff.updated))
        ok = false;
    if (!mayRemove)
        diff.removed.clear();
    else if (!diff.removed.isEmpty() && !steps.remove(diff.removed))
        return false;
    if (!ok)
        return false;
    steps.emitUpdated(diff.added, diff.updated, diff.removed);
    return true;
}

} // namespace Cv

#endif // CVSYNCDIFF_P_H
