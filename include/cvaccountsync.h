#ifndef CVACCOUNTSYNC_H
#define CVACCOUNTSYNC_H

#include "cvexport.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>

namespace Cv {

class Corvana;
class CvAccountSyncPrivate;

/*!
 * Brings a local copy of the signed-in user's account in step with the service, collection by
 * collection, through a Corvana facade (which stores what it receives in its cache).
 *
 * Each chosen collection is followed page by page until a short page, the since bound or the
 * page cap. Network errors, time-outs, HTTP 5xx answers and the service's request-limit error
 * are retried with capped exponential backoff and jitter; a rejected token or a missing
 * permission ends that collection at once and the others go on. A page that holds nothing but
 * items already seen in the same run ends its collection with an error instead of paging on.
 *
 * Counts are taken against what the previous run saw of each collection, kept in the cache's
 * user data: an item is added, updated (its visible fields changed) or unchanged; it is removed
 * only when its collection was followed to the end without an error. Friends the service no
 * longer lists are then also removed from the cache's friend list.
 */
class CV_EXPORT CvAccountSync : public QObject
{
    Q_OBJECT

public:
    //! The collections of an account, in the order they are synchronized. A collection listed
    //! under another (comments under the feeds, messages and attachments under threads, members
    //! under groups, photos under albums) covers the items its parents listed in the same run.
    enum Collection : int {
        Profile = 0x1, //!< the signed-in user's profile
        Friends = 0x2, //!< the friend list
        Birthdays = 0x4, //!< friends' birthdays
        NewsFeed = 0x8, //!< the news feed
        ProfileFeed = 0x10, //!< the user's own profile feed
        StatusMessages = 0x20, //!< the user's status messages
        Comments = 0x40, //!< comments of the synchronized posts that have comments
        Threads = 0x80, //!< message threads of every folder
        Messages = 0x100, //!< messages of the synchronized threads
        Attachments = 0x200, //!< attachments of the synchronized threads
        Events = 0x400, //!< the user's events
        Groups = 0x800, //!< the user's groups
        GroupMembers = 0x1000, //!< members of the synchronized groups
        Checkins = 0x2000, //!< the user's check-ins
        Albums = 0x4000, //!< the user's albums
        Photos = 0x8000, //!< photo metadata of the synchronized albums
        Notifications = 0x10000, //!< notifications, read ones included
        AllCollections = 0x1ffff //!< every collection
    };
    //! A combination of collections, such as NewsFeed | Comments.
    Q_DECLARE_FLAGS(Collections, Collection)
    Q_FLAG(Collections)

    //! What one collection's synchronization did.
    struct Summary
    {
        Collection collection = Profile; //!< the collection
        int added = 0; //!< items the previous run had not seen
        int updated = 0; //!< items whose visible fields changed
        int removed = 0; //!< items the service no longer lists (complete collections only)
        int unchanged = 0; //!< items seen as they were
        int pages = 0; //!< pages received
        int retries = 0; //!< requests repeated after a transient failure
        bool complete = false; //!< followed to the end without an error or cancellation
        QString error; //!< why the collection stopped early; empty when it did not
    };

    //! A synchronization through \a corvana, which must outlive this object.
    explicit CvAccountSync(Cv::Corvana *corvana, QObject *parent = nullptr);
    //! Abandons a running synchronization; replies still on the way are ignored.
    ~CvAccountSync() override;

    //! The collections to synchronize; all by default.
    Collections collections() const;
    //! Chooses the collections; a collection listed under another also needs its parent.
    void setCollections(Collections collections);
    //! Only items from this time on are asked for, where the service dates them; null: all.
    //!@{
    QDateTime since() const;
    void setSince(const QDateTime &since);
    //!@}
    //! Items asked for per request; 100 by default.
    int pageSize() const;
    //! Sets the page size (at least 1).
    void setPageSize(int size);
    //! Pages followed per collection and parent item at most; 1000 by default.
    int maxPages() const;
    //! Sets the page cap (at least 1); reaching it ends the collection with an error.
    void setMaxPages(int pages);
    //! Times a request is repeated after transient failures; 5 by default.
    int maxRetries() const;
    //! Sets the retry limit (0: no retries).
    void setMaxRetries(int retries);
    //! The first retry's delay in milliseconds, doubled for each further one; 1000 by default.
    int retryDelay() const;
    //! Sets the base retry delay (at least 0).
    void setRetryDelay(int msec);
    //! The longest delay between retries in milliseconds; 30000 by default.
    //!@{
    int maxRetryDelay() const;
    void setMaxRetryDelay(int msec);
    //!@}
    //! How long to wait for one answer before counting it as timed out; 120000 by default.
    int requestTimeout() const;
    //! Sets the answer time-out in milliseconds (at least 1).
    void setRequestTimeout(int msec);

    //! True from start() until finished().
    bool isRunning() const;
    //! Requests sent in the current or last run, retries included.
    int requestCount() const;
    //! The summaries of the last run, in collection order.
    QList<Cv::CvAccountSync::Summary> summaries() const;

    //! The collection's name as shown to users, e.g. "news feed"; empty for a combination.
    static QString collectionName(Cv::CvAccountSync::Collection collection);
    //! The collection named \a name (as collectionName() gives it, or with "-" for spaces);
    //! 0 when none is.
    static Cv::CvAccountSync::Collection collectionFromName(const QString &name);

public Q_SLOTS:
    //! Starts a run, signing in first when the facade is not initialized. Does nothing while
    //! a run is going on.
    void start();
    //! Stops after the requests in flight: no further request is sent, and collections not
    //! finished are reported as cancelled.
    void cancel();

Q_SIGNALS:
    //! \a done items of \a collection are synchronized so far, of \a total (-1 when unknown).
    void progress(Cv::CvAccountSync::Collection collection, int done, int total);
    //! A request of \a collection failed transiently with \a reason; it is repeated
    //! (\a attempt of maxRetries()) after \a delayMs milliseconds.
    void retrying(Cv::CvAccountSync::Collection collection, int attempt, const QString &reason,
                  int delayMs);
    //! One collection is done, completely or not (see Summary::error).
    void collectionFinished(const Cv::CvAccountSync::Summary &summary);
    //! The run is over; \a summaries lists every chosen collection in order. When sign-in
    //! failed, \a signInError says why and no collection was synchronized.
    void finished(const QList<Cv::CvAccountSync::Summary> &summaries, const QString &signInError);

private:
    Q_DISABLE_COPY_MOVE(CvAccountSync)
    Q_DECLARE_PRIVATE(CvAccountSync)
    std::unique_ptr<CvAccountSyncPrivate> const d_ptr;
};

} // namespace Cv

Q_DECLARE_OPERATORS_FOR_FLAGS(Cv::CvAccountSync::Collections)
Q_DECLARE_METATYPE(Cv::CvAccountSync::Summary)

#endif // CVACCOUNTSYNC_H
