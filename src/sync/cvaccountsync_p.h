#ifndef CVACCOUNTSYNC_P_H
#define CVACCOUNTSYNC_P_H

#include "corvana.h"
#include "cvaccountsync.h"
#include "cvdatafilter.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <vector>

namespace Cv {

class CvError;

//! One item of a page: its key within the collection and a digest of its visible fields.
struct CvSyncEntry
{
    QString key;
    QString fingerprint;
};
using CvSyncEntries = QList<CvSyncEntry>;

//! How a collection is paged.
enum class CvSyncPaging {
    None, //!< one request answers it all
    Offset, //!< offset and limit
    Until, //!< newest first, each page ending where the previous one did
    // From the start with a doubling limit: the facade removes what a complete reply of these
    // lists leaves out, so the reply that ends the list must hold all of it.
    Widening
};

//! An item a parent page lists, to be followed in a collection under it.
struct CvSyncChild
{
    CvAccountSync::Collection collection;
    QString target; //!< the parent item's id, as the child collection asks for it
    QString parentKey; //!< the parent item's key in its own collection
};
using CvSyncChildren = QList<CvSyncChild>;

//! What the run needs to know of a collection: how to ask for a page.
struct CvSyncCollectionInfo
{
    CvAccountSync::Collection collection;
    const char *name;
    CvAccountSync::Collection parent; //!< the collection that lists its targets; 0 for none
    CvSyncPaging paging;
    bool dated; //!< the since bound applies
    //! The items under an unchanged parent are taken as unchanged, without asking for them.
    bool followsChangesOnly;
    Corvana::ReturnCode (*request)(Corvana *corvana, const QString &target,
                                   const CvDataFilter &filter);
};

//! The table of collections, in synchronization order.
const std::vector<CvSyncCollectionInfo> &cvSyncCollections();

class CvAccountSyncPrivate : public QObject
{
    Q_OBJECT
    Q_DECLARE_PUBLIC(CvAccountSync)

public:
    //! The state of one collection during a run.
    struct Run
    {
        const CvSyncCollectionInfo *info = nullptr;
        CvAccountSync::Summary summary;
        QHash<QString, QString> previous; // key -> fingerprint, as the last run saw them
        QHash<QString, QString> seen; // this run
        QStringList targets; // the owner, folders, or the parent items listed
        QSet<QString> targetSet;
        QHash<QString, QStringList> previousByTarget; // built when first needed
        int total = -1;
        bool finished = false;
    };

    explicit CvAccountSyncPrivate(CvAccountSync *q, Corvana *corvana);

    void connectFacade();
    void begin();
    void signInFailed(const QString &why);
    void startCollection();
    void sendPage();
    // A page of the request in flight arrived: \a children are parent items to follow.
    void pageArrived(CvAccountSync::Collection collection, const QString &signalTarget,
                     const CvSyncEntries &entries, const CvSyncChildren &children = {},
                     const QDateTime &oldest = QDateTime());
    void followChildren(const Run &parent);
    bool carryOver(Run *run, const QString &target);
    void finishPage();
    int pageLimit() const;
    void failed(const CvError &error);
    void transientFailure(const QString &reason);
    void stopCollection(const QString &reason);
    void nextTarget();
    void finishCollection();
    void finishRun(const QString &signInError = QString());
    void addTarget(CvAccountSync::Collection collection, const QString &target);
    bool matches(CvAccountSync::Collection collection, const QString &signalTarget) const;
    Run *current();
    Run *runOf(CvAccountSync::Collection collection);
    QString manifestKey(const Run &run) const;
    void loadManifest(Run *run);
    bool storeManifest(const Run &run, const QHash<QString, QString> &manifest);

    CvAccountSync *q_ptr;
    QPointer<Corvana> corvana;

    // Settings
    CvAccountSync::Collections collections = CvAccountSync::AllCollections;
    QDateTime since;
    int pageSize = 100;
    int maxPages = 1000;
    int maxRetries = 5;
    int retryDelay = 1000;
    int maxRetryDelay = 30000;
    int requestTimeout = 120000;

    // The run
    bool running = false;
    bool signingIn = false;
    bool cancelled = false;
    QString owner;
    std::vector<Run> runs;
    size_t runIndex = 0;
    int targetIndex = 0;
    int page = 0;
    int attempt = 0;
    int requests = 0;
    QDateTime untilCursor;
    QSet<QString> targetSeen; // keys seen under the current target, for the loop guard
    bool inFlight = false;
    bool pageReady = false;
    CvSyncEntries pageEntries;
    CvSyncChildren pageChildren;
    QSet<QString> unchangedKeys; // parent items of this page seen as they were
    QDateTime pageOldest;
    QString pageError;
    QTimer watchdog;
    QTimer retryTimer;
    QList<CvAccountSync::Summary> results;
};

} // namespace Cv

#endif // CVACCOUNTSYNC_P_H
