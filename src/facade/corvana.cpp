#include "facade/corvana_p.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"
#include "cvcache.h"
#include "cvdataconverter.h"
#include "cvgraph.h"

namespace Cv {

CorvanaPrivate::CorvanaPrivate(Corvana *q)
    : QObject(q)
    , q_ptr(q)
{
}

CorvanaPrivate::~CorvanaPrivate() = default;

Corvana::Corvana(const CorvanaConfiguration &configuration, QObject *parent)
    : QObject(parent)
    , d_ptr(std::make_unique<CorvanaPrivate>(this))
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    d->configuration.reset(configuration.clone());
    d->cache = configuration.cache();
    if (!d->cache) {
        d->ownedCache = std::make_unique<CvCache>();
        d->cache = d->ownedCache.get();
    }
    if (configuration.userIdentityType() == CorvanaConfiguration::AccessToken)
        d->setupGraph(configuration.userIdentity(), configuration.locale());
    else
        cvDebug(QStringLiteral(
            "Access token was not specified. Operations requiring it are not available."));
}

Corvana::~Corvana() = default;

bool Corvana::isInitialized() const
{
    Q_D(const Corvana);
    return !d->currentProfileId.isEmpty();
}

QString Corvana::currentProfileId() const
{
    Q_D(const Corvana);
    return d->currentProfileId;
}

CvCache *Corvana::cache() const
{
    Q_D(const Corvana);
    return isInitialized() ? d->cache : nullptr;
}

CvGraph *Corvana::graph() const
{
    CV_TRACE_FUNCTION;
    Q_D(const Corvana);
    if (!isInitialized())
        return nullptr;
    if (d->configuration->userIdentityType() == CorvanaConfiguration::AccessToken) {
        if (!d->publicGraph)
            d->publicGraph = std::make_unique<CvGraph>(d->configuration->userIdentity());
        return d->publicGraph.get();
    }
    cvWarning(QStringLiteral("The instance was not initialized with an access token."));
    return nullptr;
}

QString Corvana::eventRsvpStatusToString(EventRsvpStatus status)
{
    switch (status) {
    case RsvpAttending:
        return QStringLiteral("attending");
    case RsvpUnsure:
        return QStringLiteral("unsure");
    case RsvpDeclined:
        return QStringLiteral("declined");
    case RsvpNotReplied:
        return QStringLiteral("not_replied");
    default:
        return QString();
    }
}

Corvana::EventRsvpStatus Corvana::eventRsvpStatusFromString(const QString &text)
{
    if (text == QLatin1String("attending"))
        return RsvpAttending;
    if (text == QLatin1String("declined"))
        return RsvpDeclined;
    if (text == QLatin1String("unsure"))
        return RsvpUnsure;
    if (text != QLatin1String("not_replied"))
        cvWarning(QStringLiteral("Invalid event RSVP argument: [%1]").arg(text));
    return RsvpNotReplied;
}

void Corvana::init()
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (isInitialized())
        return;

    if (!d->cache->isInitialized()) {
        const CvCache::InitOptions options = d->configuration->cacheInitOptions();
        if (!d->cache->init(options)) {
            cvWarning(
                QStringLiteral("Cache init failed: %1").arg(d->cache->lastErrorDescription()));
            // Only a file that cannot serve as this cache is cleared; a busy, locked, read-only
            // or full one, or a schema the options protect, keeps the user's data.
            using Failure = CvCachePrivate::InitFailure;
            const Failure failure = CvCachePrivate::get(d->cache)->initFailure;
            if (failure == Failure::Unusable
                || (failure == Failure::Incompatible
                    && options.testFlag(CvCache::RecreateIncompatibleDatabase)))
                d->cache->clear();
            if (!d->cache->init(options)) {
                const QString description = d->cache->lastErrorDescription();
                cvWarning(QStringLiteral("Cache init failed(2): %1").arg(description));
                CvError err;
                err.setErrorType(CvError::CacheError);
                err.setCacheErrorString(description);
                Q_EMIT error(err);
                return;
            }
        }
    }

    const QString identity = d->configuration->userIdentity();
    switch (d->configuration->userIdentityType()) {
    case CorvanaConfiguration::AccessToken:
        d->graph->retrieveObject(QStringLiteral("me"), CorvanaPrivate::profileFields(),
                                 CorvanaPrivate::objectTypeToString(CorvanaPrivate::Profile));
        break;
    case CorvanaConfiguration::UserName:
        if (identity.contains(QLatin1Char('@'))) {
            CvUser user;
            if (d->cache->getUser(identity, &user, CvCache::ByEmail) && user.isValid()) {
                d->currentProfileId = user.id();
                Q_EMIT initialized();
            }
        } else {
            QString profileId;
            d->cache->getUserData(identity, &profileId);
            d->currentProfileId = profileId;
            Q_EMIT initialized();
        }
        break;
    }
}

void Corvana::setAccessToken(const QString &accessToken)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    d->configuration->setUserIdentity(accessToken, CorvanaConfiguration::AccessToken);
    d->graph.reset();
    d->setupGraph(accessToken, d->configuration->locale());
    d->graph->retrieveObject(QStringLiteral("me"), CorvanaPrivate::profileFields(),
                             CorvanaPrivate::objectTypeToString(CorvanaPrivate::Profile));
}

namespace {

// The refresh slots return nothing, so their preconditions can only be logged.
bool canRefresh(const Corvana *q, const CorvanaPrivate *d)
{
    if (!q->isInitialized()) {
        cvWarning(QStringLiteral("The instance is not initialized"));
        return false;
    }
    if (!d->shouldDispatchToNetwork(Corvana::CacheAndNetwork)) {
        cvWarning(QStringLiteral("No access token specified, network access is unavailable."));
        return false;
    }
    return true;
}

} // namespace

void Corvana::refreshProfile(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (canRefresh(this, d))
        d->graph->retrieveObject(id, CorvanaPrivate::objectTypeToString(CorvanaPrivate::Profile));
}

void Corvana::refreshProfile()
{
    refreshProfile(QStringLiteral("me"));
}

void Corvana::refreshComment(CommentTarget ctarget, const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (canRefresh(this, d))
        d->graph->retrieveObject(id,
                                 CorvanaPrivate::objectTypeToString(
                                     ctarget == PhotoComments ? CorvanaPrivate::PhotoComment
                                                              : CorvanaPrivate::PostComment));
}

void Corvana::refreshWallPost(const QString &postId)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (canRefresh(this, d))
        d->graph->retrieveObject(postId,
                                 CorvanaPrivate::objectTypeToString(CorvanaPrivate::WallPost));
}

void Corvana::refreshNote(const QString &noteId)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (canRefresh(this, d))
        d->graph->retrieveObject(noteId, CorvanaPrivate::objectTypeToString(CorvanaPrivate::Note));
}

// --- shared functions of the private part -----------------------------------------------------

Corvana::ReturnCode CorvanaPrivate::getId(QString *id) const
{
    if (currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    if (*id == QLatin1String("me"))
        *id = currentProfileId;
    return Corvana::Success;
}

bool CorvanaPrivate::shouldDispatchToNetwork(Corvana::RetrieveBehavior behavior) const
{
    return behavior == Corvana::CacheAndNetwork
        && configuration->userIdentityType() == CorvanaConfiguration::AccessToken;
}

Corvana::ReturnCode CorvanaPrivate::dispatchDataRequest(const QUrl &url, const QString &dataId)
{
    if (url.host().isEmpty())
        return Corvana::InvalidArgument;
    return graph->retrievePublicData(url, dataId) ? Corvana::Success : Corvana::RequestFailed;
}

void CorvanaPrivate::setupGraph(const QString &accessToken, const QString &locale)
{
    graph = std::make_unique<CvGraph>(accessToken);
    graph->setLocale(locale);

    using G = CvGraph;
    using P = CorvanaPrivate;
    connect(graph.get(), &G::error, this, &P::error);
    connect(graph.get(),
            qOverload<const CvDataFilter &, const QString &, const QVariantMap &>(
                &G::connectionDataRetrieved),
            this, &P::connectionDataRetrieved);
    connect(graph.get(), &G::objectDataRetrieved, this, &P::objectDataRetrieved);
    connect(graph.get(), &G::profilePictureReceived, this, &P::profilePictureReceived);
    connect(graph.get(),
            qOverload<const QString &, G::SearchTarget, const QVariantMap &>(&G::searchReady), this,
            qOverload<const QString &, G::SearchTarget, const QVariantMap &>(&P::searchReady));
    connect(graph.get(),
            qOverload<const QString &, G::SearchTarget, const QSet<QString> &, const QVariantMap &>(
                &G::searchReady),
            this,
            qOverload<const QString &, G::SearchTarget, const QSet<QString> &, const QVariantMap &>(
                &P::searchReady));
    connect(graph.get(), &G::notificationsRetrieved, this, &P::notificationsRetrieved);
    connect(graph.get(), &G::wallWriteComplete, this, &P::wallWriteComplete);
    connect(graph.get(), &G::commentWritten, this, &P::commentWritten);
    connect(graph.get(), &G::likesWriteComplete, this, &P::likesWriteComplete);
    connect(graph.get(), &G::noteWritten, this, &P::noteWritten);
    connect(graph.get(), &G::messageThreadStatusMarked, this, &P::messageThreadStatusMarked);
    connect(graph.get(), &G::friendRequestResponded, this, &P::friendRequestResponded);
    connect(graph.get(), &G::photoUploaded, this, &P::photoUploaded);
    connect(graph.get(), &G::messageSent, this, &P::messageSent);
    connect(graph.get(), &G::messageReplied, this, &P::messageReplied);
    connect(graph.get(), &G::albumCreated, this, &P::albumCreated);
    connect(graph.get(), &G::objectDeleted, this, &P::objectDeleted);
    connect(graph.get(), &G::friendRequestSent, this, &P::friendRequestSent);
    connect(graph.get(), &G::publicDataRetrieved, this, &P::publicDataRetrieved);
    connect(graph.get(), &G::eventAcknowledged, this, &P::eventAcknowledged);
    connect(graph.get(), &G::queryExecuted, this, &P::queryExecuted);
    connect(graph.get(), &G::notificationListRetrieved, this, &P::notificationListRetrieved);
    connect(graph.get(), &G::notificationsMarkedRead, this, &P::notificationsMarkedRead);
    connect(graph.get(), &G::placeCheckedInto, this, &P::placeCheckedInto);
    connect(graph.get(), &G::photoTagCreated, this, &P::photoTagCreated);
    connect(graph.get(), &G::photoTagDeleted, this, &P::photoTagDeleted);
    connect(graph.get(), &G::objectsDataRetrieved, this, &P::objectsDataRetrieved);
    connect(graph.get(), &G::batchExecuted, this, &P::batchExecuted);
    connect(graph.get(), &G::photoRetrieved, this, &P::photoRetrieved);
    connect(graph.get(), &G::fanToPageAdded, this, &P::fanToPageAdded);
}

void CorvanaPrivate::emitError(CvError::ErrorType type, const QString &objectId)
{
    Q_Q(Corvana);
    CvError err;
    err.setErrorType(type);
    err.setObjectId(objectId);
    Q_EMIT q->error(err);
}

void CorvanaPrivate::emitCacheError(const QString &objectId, const QString &warning)
{
    Q_Q(Corvana);
    const QString description = cache->lastErrorDescription();
    if (!warning.isEmpty())
        cvWarning(warning.arg(description));
    CvError err;
    err.setErrorType(CvError::CacheError);
    err.setCacheErrorString(description);
    err.setObjectId(objectId);
    Q_EMIT q->error(err);
}

QString CorvanaPrivate::syncFailureWarning(SyncKind kind)
{
    // Indexed by SyncKind; the profile feed reports its failure through error() alone.
    static const char *const warnings[]
        = {"NewsFeed sync failed: %1",       "",
           "StatusMessages sync failed: %1", "Comments sync failed: %1",
           "Thread sync failed: %1",         "Events sync failed: %1",
           "Groups sync failed: %1",         "Checkins sync failed: %1"};
    static_assert(sizeof(warnings) / sizeof(warnings[0]) == CheckinsSync + 1,
                  "one warning per synchronization kind");
    return QString::fromLatin1(warnings[kind]);
}

void CorvanaPrivate::emitSyncError(SyncKind kind, const QString &objectId)
{
    emitCacheError(objectId, syncFailureWarning(kind));
}

QString CorvanaPrivate::filterToString(const CvDataFilter &filter)
{
    return QStringLiteral("offset=%1,limit=%2").arg(filter.offset).arg(filter.limit);
}

CvDataFilter CorvanaPrivate::filterFromString(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    const auto valueOf
        = [&parts](int index) { return parts.value(index).section(QLatin1Char('='), 1).toInt(); };
    CvDataFilter filter;
    filter.offset = valueOf(0);
    filter.limit = valueOf(1);
    return filter;
}

namespace {

const char *const objectTypeNames[] = {"",
                                       "album",
                                       "birthdays",
                                       "checkin",
                                       "event",
                                       "friends",
                                       "group",
                                       "liked_pages",
                                       "news_post",
                                       "note",
                                       "page",
                                       "photo",
                                       "post_comment",
                                       "photo_comment",
                                       "profile",
                                       "profile_post",
                                       "video",
                                       "wall_post"};
constexpr int objectTypeCount = int(sizeof(objectTypeNames) / sizeof(objectTypeNames[0]));

} // namespace

QString CorvanaPrivate::objectTypeToString(ObjectType type)
{
    if (type <= NoObjectType || type >= objectTypeCount)
        return QString();
    return QString::fromLatin1(objectTypeNames[type]);
}

CorvanaPrivate::ObjectType CorvanaPrivate::objectTypeFromString(const QString &text)
{
    for (int i = 1; i < objectTypeCount; ++i) {
        if (text == QLatin1String(objectTypeNames[i]))
            return ObjectType(i);
    }
    return NoObjectType;
}

QString CorvanaPrivate::requestNameValue(const QString &name, const QString &key)
{
    const QString marker = key + QLatin1Char('=');
    const int start = name.indexOf(marker);
    if (start < 0)
        return QString();
    const int from = start + marker.size();
    const int end = name.indexOf(QLatin1Char(' '), from);
    return end < 0 ? name.mid(from) : name.mid(from, end - from);
}

CvDataFilter CorvanaPrivate::filterFromObjectData(const QVariantMap &data)
{
    CvDataFilter filter(data.value(QStringLiteral("id")).toString());
    for (auto it = data.keyBegin(); it != data.keyEnd(); ++it)
        filter.fields.insert(*it);
    return filter;
}

QString CorvanaPrivate::cvqlQueryPath(const QString &query)
{
    return QStringLiteral("method/cvql.query?query=") + query;
}

QString CorvanaPrivate::fileNameFromUrl(const QUrl &url)
{
    const QString path = url.path();
    return path.mid(path.lastIndexOf(QLatin1Char('/'))).remove(QLatin1Char('/'));
}

QString CorvanaPrivate::dataIdFromUrl(const QUrl &url)
{
    QString id = url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (id.startsWith(QLatin1Char('/')))
        id.remove(0, 1);
    return id.remove(QLatin1Char('?')).remove(QLatin1String("../"));
}

QSet<QString> CorvanaPrivate::profileFields()
{
    static const QSet<QString> fields = {QStringLiteral("id"),
                                         QStringLiteral("name"),
                                         QStringLiteral("first_name"),
                                         QStringLiteral("last_name"),
                                         QStringLiteral("gender"),
                                         QStringLiteral("link"),
                                         QStringLiteral("timezone"),
                                         QStringLiteral("about"),
                                         QStringLiteral("bio"),
                                         QStringLiteral("birthday"),
                                         QStringLiteral("email"),
                                         QStringLiteral("hometown"),
                                         QStringLiteral("interested_in"),
                                         QStringLiteral("location"),
                                         QStringLiteral("meeting_for"),
                                         QStringLiteral("political"),
                                         QStringLiteral("relationship_status"),
                                         QStringLiteral("religion"),
                                         QStringLiteral("significant_other"),
                                         QStringLiteral("website"),
                                         QStringLiteral("picture"),
                                         QStringLiteral("mobile_phone"),
                                         QStringLiteral("locale"),
                                         QStringLiteral("username")};
    return fields;
}

} // namespace Cv
