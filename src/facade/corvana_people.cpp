#include "facade/corvana_p.h"
#include "facade/cvsyncdiff_p.h"

#include "convert/cvlog_p.h"
#include "cvcache.h"
#include "cvdataconverter.h"
#include "cvgraph.h"
#include "cvgraphrequest.h"
#include "cvutils.h"
#include "graph/cvgraph_p.h"

#include <algorithm>

namespace Cv {

namespace {

QString pictureRequestName(const QString &profileId, PictureType type)
{
    return profileId + QLatin1Char('_') + pictureTypeToString(type);
}

const QString dataRequestName = QStringLiteral("data");

} // namespace

// --- profiles ---------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveProfile(CvUser *user, const CvDataFilter &filter,
                                             RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    QString id = filter.id;
    const ReturnCode checked = resolveId(d, &id);
    if (checked != Success)
        return checked;
    if (user)
        d->cache->getUser(id, user, CvCache::ById);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    if (!CvGraph::isQueryIdentifier(id))
        return InvalidArgument;

    CvGraphRequest object(QStringLiteral("GET"), id);
    object.setFilter(filter);
    const CvGraphRequest friendship(QStringLiteral("POST"),
                                    CorvanaPrivate::cvqlQueryPath(Query::QueryIsFriend.arg(id)));
    const bool sent = d->graph->executeBatch({object, friendship},
                                             RequestName::BatchNameProfileDetails.arg(id));
    return sent ? Success : InvalidArgument;
}

Corvana::ReturnCode Corvana::retrieveProfile(CvUser *user, const QString &id,
                                             RetrieveBehavior behavior)
{
    CvDataFilter filter(id);
    filter.fields = CorvanaPrivate::profileFields();
    return retrieveProfile(user, filter, behavior);
}

void CorvanaPrivate::processProfile(const QString &id, const QVariantMap &data)
{
    Q_Q(Corvana);
    const CvUser user = CvDataConverter::toUser(data);
    if (!user.isValid()) {
        emitError(CvError::OperationFailed, user.id());
        return;
    }
    if (cache->updateUser(user, filterFromObjectData(data)) == CvCache::UpdateFailed)
        emitCacheError(id);

    if (currentProfileId.isEmpty() && id == QLatin1String("me")) {
        currentProfileId = data.value(QStringLiteral("id")).toString();
        if (user.picture().isEmpty()) {
            graph->retrieveProfilePicture(QStringLiteral("me"), PictureSquare);
        } else {
            QString path;
            q->retrieveProfilePicture(&path, QUrl(user.picture()), currentProfileId,
                                      Corvana::CacheAndNetwork);
        }
        Q_EMIT q->initialized(graph->lastReplyTimeStamp());
        Q_EMIT q->initialized();
        cache->updateUserData(data.value(QStringLiteral("username")).toString(), user.id());
    }
    Q_EMIT q->profileUpdated(id);
}

void CorvanaPrivate::processProfileDetails(const QString &name, const QList<CvGraphReply> &replies)
{
    Q_Q(Corvana);
    const QString id = requestNameValue(name, QStringLiteral("id"));
    const QVariantList profile = bodyList(replies.value(0));
    const QVariantList friendship = bodyList(replies.value(1));

    const CvUser user = CvDataConverter::toUser(profile.value(0).toMap());
    if (replies.size() < 2 || replies.at(0).code() != 200 || replies.at(1).code() != 200
        || !user.isValid()) {
        CvError err;
        err.setErrorType(CvError::GeneralError);
        err.setObjectId(id);
        if (!profile.isEmpty()) {
            const QVariantMap serviceError
                = profile.first().toMap().value(QStringLiteral("error")).toMap();
            err.setCorvanaErrorString(serviceError.value(QStringLiteral("message")).toString());
        }
        Q_EMIT q->error(err);
        return;
    }

    const bool stored = cache->updateUser(user, filterFromObjectData(profile.first().toMap()))
        != CvCache::UpdateFailed;
    bool friendStored = true;
    const QString friendId = friendship.value(0).toMap().value(QStringLiteral("uid2")).toString();
    if (!friendId.isEmpty())
        friendStored = cache->addFriendship(currentProfileId, friendId);

    if (stored)
        Q_EMIT q->profileUpdated(id);
    if (!stored || !friendStored)
        emitCacheError(id);
}

// --- friends ----------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveFriends(CvUsers *friends, const CvDataFilter &filter,
                                             RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    QString id = filter.id;
    const ReturnCode checked = resolveId(d, &id);
    if (checked != Success)
        return checked;
    if (friends)
        d->cache->getFriends(id, friends, filter);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    return dispatched(d->graph->retrieveConnectionData(CvGraph::Friends, filter));
}

Corvana::ReturnCode Corvana::retrieveFriends(CvUsers *friends, RetrieveBehavior behavior)
{
    return retrieveFriends(friends, CvDataFilter(QStringLiteral("me")), behavior);
}

Corvana::ReturnCode Corvana::synchronizeFriends()
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (!d->shouldDispatchToNetwork(CacheAndNetwork))
        return Success;
    const QSet<QString> fields = {QStringLiteral("id"), QStringLiteral("name")};
    // Friends missing from the list are removed, so the list must be the whole one.
    CvGraph *graph = d->graph.get();
    return dispatched(CvGraphPrivate::get(graph)->allPages([&] {
        return graph->retrieveObject(d->currentProfileId + QStringLiteral("/friends"), fields,
                                     CorvanaPrivate::objectTypeToString(CorvanaPrivate::Friends));
    }));
}

void CorvanaPrivate::processFriends(const CvDataFilter &filter, const QVariantMap &data)
{
    Q_Q(Corvana);
    const QString profileId = filter.id == QLatin1String("me") ? currentProfileId : filter.id;
    const CvUsers users = CvDataConverter::toUsers(dataList(data));
    if (!cache->updateFriends(profileId, users, filter))
        emitCacheError();
    Q_EMIT q->friendsUpdated(CvUser::convert(users));
}

void CorvanaPrivate::synchronizeFriends(const QString &profileId, const QVariantMap &data)
{
    Q_Q(Corvana);
    if (collectionState(data) != CollectionState::Complete) {
        cvWarning(QStringLiteral("Friends reply without the whole list"));
        emitError(CvError::OperationFailed, profileId);
        return;
    }
    const CvUserRefs fresh = CvUser::convert(CvDataConverter::toUsers(dataList(data)));
    CvUserRefs cached;
    if (!cache->getFriendRefs(profileId, &cached, CvDataFilter())) {
        emitCacheError();
        Q_EMIT q->friendsSynchronized(fresh, CvUserRefs());
        return;
    }

    const CvSyncDiff<CvUserRef> diff = cvSyncDiff(fresh, cached);
    bool ok = true;
    if (!diff.added.isEmpty())
        ok = cache->addFriends(profileId, diff.added);
    if (!diff.removed.isEmpty())
        ok = cache->removeFriends(profileId, diff.removed) && ok;
    if (!ok)
        emitCacheError();
    Q_EMIT q->friendsSynchronized(diff.added, diff.removed);
}

Corvana::ReturnCode Corvana::checkIsFriend(bool *yes, const QString &id, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    QString friendId = id;
    const ReturnCode checked = resolveId(d, &friendId);
    if (checked != Success)
        return checked;
    if (yes)
        *yes = d->cache->isFriend(d->currentProfileId, friendId);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    return checkIsFriend(friendId);
}

namespace {

// Both friendship checks ask the service one statement that names the other user.
Corvana::ReturnCode sendFriendQuery(CorvanaPrivate *d, const QString &id, const QString &statement)
{
    QString friendId = id;
    const Corvana::ReturnCode checked = resolveId(d, &friendId);
    if (checked != Corvana::Success)
        return checked;
    if (!d->shouldDispatchToNetwork(Corvana::CacheAndNetwork))
        return Corvana::NetworkUnavailable;
    if (!CvGraph::isQueryIdentifier(friendId))
        return Corvana::InvalidArgument;
    const QString query = statement.arg(friendId);
    return dispatched(d->graph->executeQuery(query, query));
}

} // namespace

Corvana::ReturnCode Corvana::checkIsFriend(const QString &id)
{
    CV_TRACE_FUNCTION;
    return sendFriendQuery(d_func(), id, Query::QueryIsFriend);
}

Corvana::ReturnCode Corvana::checkPendingFriendRequest(const QString &id)
{
    CV_TRACE_FUNCTION;
    return sendFriendQuery(d_func(), id, Query::QueryPendingFriendRequest);
}

void CorvanaPrivate::processFriendCheck(const QString &name, const QVariantList &rows,
                                        const QString &key,
                                        void (Corvana::*signal)(const QString &, bool))
{
    Q_Q(Corvana);
    const QString id = requestNameValue(name, key);
    const bool yes = !rows.isEmpty() && rows.first().toMap().value(key).toString() == id;
    Q_EMIT(q->*signal)(id, yes);
}

Corvana::ReturnCode Corvana::sendFriendRequest(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    if (id.isEmpty())
        return InvalidArgument;
    QString friendId = id;
    d->getId(&friendId);
    return dispatched(d->graph->sendFriendRequest(friendId));
}

Corvana::ReturnCode Corvana::respondToFriendRequest(const QString &id, RespondType type)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    if (id.isEmpty())
        return InvalidArgument;
    QString friendId = id;
    d->getId(&friendId);
    return dispatched(d->graph->respondToFriendRequest(friendId, type));
}

// --- birthdays --------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveBirthdaysOfFriends(CvUsers *friends, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    if (friends) {
        d->cache->getFriends(d->currentProfileId, friends, CvDataFilter());
        CorvanaPrivate::sortFriendsIntoUpcomingBirthdayOrder(friends, QDate::currentDate());
    }
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    const QSet<QString> fields
        = {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("birthday")};
    return dispatched(
        d->graph->retrieveObject(d->currentProfileId + QStringLiteral("/friends"), fields,
                                 CorvanaPrivate::objectTypeToString(CorvanaPrivate::Birthdays)));
}

Corvana::ReturnCode Corvana::retrieveBirthdaysOfFriends(CvUsers *friends,
                                                        const CvDataFilter &filter,
                                                        RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (!isInitialized())
        return NotInitialized;
    const QDateTime &since = filter.since;
    const QDateTime &until = filter.until;
    if (since < until && since.addYears(1) < until)
        return InvalidArgument;
    if (friends) {
        d->cache->getBirthdays(d->currentProfileId, friends, filter);
        CorvanaPrivate::sortFriendsIntoUpcomingBirthdayOrder(friends, QDate::currentDate());
    }
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    const QString query
        = Query::QueryBirthdaysOfFriends.arg(CorvanaPrivate::birthdayCondition(since, until));
    return dispatched(d->graph->executeQuery(query, query));
}

QString CorvanaPrivate::birthdayCondition(const QDateTime &since, const QDateTime &until)
{
    const QString term = QStringLiteral("strpos(birthday_date,%1) >= 0");
    QDate month(since.date().year(), since.date().month(), 1);
    const QDate last(until.date().year(), until.date().month(), 1);
    QString condition = QLatin1Char('(') + term.arg(month.toString(QStringLiteral("MM")));
    while (month < last) {
        month = month.addMonths(1);
        condition += QStringLiteral(" OR ") + term.arg(month.toString(QStringLiteral("MM")));
    }
    return condition + QLatin1Char(')');
}

void CorvanaPrivate::processBirthdaysOfFriends(const QString &profileId, const QVariantList &rows)
{
    Q_Q(Corvana);
    CvUsers users = CvDataConverter::toUsers(rows);
    CvDataFilter filter(profileId);
    filter.fields = {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("birthday")};
    const bool stored
        = cache->updateUsers(users, filter) && cache->addFriends(profileId, CvUser::convert(users));
    if (!stored)
        emitCacheError();
    sortFriendsIntoUpcomingBirthdayOrder(&users, QDate::currentDate());
    Q_EMIT q->birthdaysOfFriendsUpdated(users);
}

bool CorvanaPrivate::birthdayLessThanIgnoreYear(const CvUser &a, const CvUser &b)
{
    const QStringList aParts = a.birthday().split(QLatin1Char('/'));
    const QStringList bParts = b.birthday().split(QLatin1Char('/'));
    const QString aMonth = aParts.value(0), bMonth = bParts.value(0);
    return aMonth < bMonth || (aMonth == bMonth && aParts.value(1) < bParts.value(1));
}

void CorvanaPrivate::sortFriendsIntoUpcomingBirthdayOrder(CvUsers *users, const QDate &today)
{
    users->removeIf([](const CvUser &user) { return user.birthday().isEmpty(); });
    std::sort(users->begin(), users->end(), birthdayLessThanIgnoreYear);

    CvUser pivot;
    pivot.setBirthday(today.toString(QStringLiteral("MM/dd/yyyy")));
    const auto upcoming
        = std::lower_bound(users->begin(), users->end(), pivot, birthdayLessThanIgnoreYear);
    std::rotate(users->begin(), upcoming, users->end());
}

// --- pictures and downloaded data -------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveProfilePicture(QString *path, const QUrl &url,
                                                    const QString &profileId,
                                                    RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    QString id = profileId;
    const ReturnCode checked = resolveId(d, &id);
    if (checked != Success)
        return checked;
    const QString fileName = CorvanaPrivate::fileNameFromUrl(url);
    if (path)
        *path = d->cache->getFilePath(fileName);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    if (url.host().isEmpty())
        return InvalidArgument;
    return dispatched(
        d->graph->retrievePublicData(url, pictureRequestName(id, pictureTypeFromUrl(fileName))));
}

namespace {

// The cached picture of a user, when the picture stored for it has the requested size.
QString cachedPictureName(CvCache *cache, const QString &id, PictureType type)
{
    CvUser user;
    if (!cache->getUser(id, &user, CvCache::ById))
        return QString();
    const QString fileName = CorvanaPrivate::fileNameFromUrl(QUrl(user.picture()));
    return pictureTypeFromUrl(fileName) == type ? fileName : QString();
}

// A stored file is handed out as its path or as its bytes.
void readStoredFile(CvCache *cache, const QString &name, QString *path)
{
    *path = cache->getFilePath(name);
}

void readStoredFile(CvCache *cache, const QString &name, QByteArray *data)
{
    *data = cache->getFile(name);
}

template<typename Out>
Corvana::ReturnCode retrievePictureById(CorvanaPrivate *d, Out *out, const QString &id,
                                        PictureType type, Corvana::RetrieveBehavior behavior)
{
    QString profileId = id;
    const Corvana::ReturnCode checked = resolveId(d, &profileId);
    if (checked != Corvana::Success)
        return checked;
    if (out) {
        const QString name = cachedPictureName(d->cache, profileId, type);
        if (!name.isEmpty())
            readStoredFile(d->cache, name, out);
    }
    if (!d->shouldDispatchToNetwork(behavior))
        return Corvana::Success;
    return dispatched(d->graph->retrieveProfilePicture(profileId, type));
}

// A file already stored answers at once and nothing is sent.
template<typename Out>
Corvana::ReturnCode retrieveDataInto(CorvanaPrivate *d, Out *out, const QUrl &url,
                                     const QString &requestName, Corvana::RetrieveBehavior behavior)
{
    if (d->currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    const QString storageName = CorvanaPrivate::dataIdFromUrl(url);
    if (storageName.isEmpty())
        return Corvana::InvalidArgument;
    if (out && d->cache->fileExists(storageName)) {
        readStoredFile(d->cache, storageName, out);
        return Corvana::Success;
    }
    if (!d->shouldDispatchToNetwork(behavior))
        return Corvana::Success;
    return d->dispatchDataRequest(url, requestName);
}

} // namespace

Corvana::ReturnCode Corvana::retrieveProfilePicture(QString *path, const QString &id,
                                                    PictureType type, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrievePictureById(d_func(), path, id, type, behavior);
}

Corvana::ReturnCode Corvana::retrieveProfilePicture(QByteArray *data, const QString &id,
                                                    PictureType type, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrievePictureById(d_func(), data, id, type, behavior);
}

Corvana::ReturnCode Corvana::retrieveProfilePicture(const QString &id, PictureType type)
{
    CV_TRACE_FUNCTION;
    return retrievePictureById(d_func(), static_cast<QString *>(nullptr), id, type,
                               CacheAndNetwork);
}

void CorvanaPrivate::profilePictureReceived(const QString &profileId, PictureType pt,
                                            const QUrl &location)
{
    QString id = profileId;
    getId(&id);
    graph->retrievePublicData(location, pictureRequestName(id, pt));
}

Corvana::ReturnCode Corvana::retrieveData(QString *path, const QUrl &url, const QString &dataId,
                                          RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrieveDataInto(d_func(), path, url, dataRequestName + QLatin1Char(':') + dataId,
                            behavior);
}

Corvana::ReturnCode Corvana::retrieveData(QString *path, const QUrl &url, RetrieveBehavior behavior)
{
    return retrieveData(path, url, QString(), behavior);
}

Corvana::ReturnCode Corvana::retrieveData(QByteArray *data, const QUrl &url,
                                          RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrieveDataInto(d_func(), data, url, dataRequestName, behavior);
}

Corvana::ReturnCode Corvana::retrieveData(const QUrl &url)
{
    return retrieveData(static_cast<QByteArray *>(nullptr), url, CacheAndNetwork);
}

void CorvanaPrivate::publicDataRetrieved(const QString &name, const QUrl &location,
                                         const QByteArray &data)
{
    Q_Q(Corvana);
    const bool isPicture = !name.startsWith(dataRequestName);
    // A picture location comes from the service: what it serves is stored only if it is an image.
    if (isPicture && CvUtils::getDataType(data) == CvUtils::DataUnknown
        && !data.startsWith("\xFF\xD8\xFF")) {
        cvWarning(QStringLiteral("Profile picture [%1] is not an image").arg(location.toString()));
        return;
    }
    const QString storageName = isPicture ? fileNameFromUrl(location) : dataIdFromUrl(location);
    QString path = cache->getFilePath(storageName);
    if (path.isEmpty())
        path = cache->updateFile(storageName, data);
    if (path.isEmpty()) {
        cvWarning((isPicture ? QStringLiteral("Failed to store profile picture [%1] to cache")
                             : QStringLiteral("Failed to store data [%1] to cache"))
                      .arg(storageName));
        return;
    }

    if (isPicture) {
        const int separator = name.indexOf(QLatin1Char('_'));
        if (separator < 0) {
            cvCritical(QStringLiteral("A profile picture retrieve operation completed, but with "
                                      "invalid local file name: [%1]. This should not happen, "
                                      "please report this.")
                           .arg(storageName));
            return;
        }
        Q_EMIT q->profilePictureUpdated(name.left(separator),
                                        pictureTypeFromString(name.mid(separator + 1)), path);
        return;
    }

    QString dataId = name.mid(dataRequestName.size());
    if (dataId.startsWith(QLatin1Char(':')))
        dataId.remove(0, 1);
    if (dataId.isEmpty())
        Q_EMIT q->dataRetrieved(location, path);
    else
        Q_EMIT q->dataRetrieved(location, path, dataId);
}

} // namespace Cv
