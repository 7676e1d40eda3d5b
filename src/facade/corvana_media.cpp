#include "facade/corvana_p.h"

#include "convert/cvlog_p.h"
#include "cvgraph.h"
#include "cvgraphrequest.h"
#include "cvtag.h"

namespace Cv {

namespace {

// Tag writes and the objects read report a refused request as a bad argument: the Graph layer
// refuses them only for what the caller passed.
Corvana::ReturnCode dispatchedOrInvalid(bool accepted)
{
    return accepted ? Corvana::Success : Corvana::InvalidArgument;
}

} // namespace

// --- photos, albums and videos ----------------------------------------------------------------

Corvana::ReturnCode CorvanaPrivate::mediaReady() const
{
    if (currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    if (!shouldDispatchToNetwork(Corvana::CacheAndNetwork))
        return Corvana::NetworkUnavailable;
    return Corvana::Success;
}

Corvana::ReturnCode CorvanaPrivate::retrieveMediaConnection(CvGraph::ConnectionType type,
                                                            CvDataFilter filter)
{
    const Corvana::ReturnCode ready = mediaReady();
    if (ready != Corvana::Success)
        return ready;
    getId(&filter.id);
    return dispatched(graph->retrieveConnectionData(type, filter));
}

Corvana::ReturnCode CorvanaPrivate::retrieveMediaConnection(CvGraph::ConnectionType type,
                                                            QString id)
{
    const Corvana::ReturnCode ready = mediaReady();
    if (ready != Corvana::Success)
        return ready;
    getId(&id);
    return dispatched(graph->retrieveConnectionData(type, id));
}

Corvana::ReturnCode CorvanaPrivate::retrieveMediaObject(const QString &id, ObjectType type)
{
    const Corvana::ReturnCode ready = mediaReady();
    if (ready != Corvana::Success)
        return ready;
    return dispatched(graph->retrieveObject(id, objectTypeToString(type)));
}

Corvana::ReturnCode Corvana::retrievePhotos(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::Photos, filter);
}

Corvana::ReturnCode Corvana::retrievePhotos(const QString &id)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::Photos, id);
}

Corvana::ReturnCode Corvana::retrieveAlbums(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::Albums, filter);
}

Corvana::ReturnCode Corvana::retrieveAlbums(const QString &id)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::Albums, id);
}

Corvana::ReturnCode Corvana::retrieveVideos(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::Videos, filter);
}

Corvana::ReturnCode Corvana::retrieveVideos(const QString &id)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::Videos, id);
}

Corvana::ReturnCode Corvana::retrieveUploadedVideos(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::UploadedVideos, filter);
}

Corvana::ReturnCode Corvana::retrieveUploadedVideos(const QString &id)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaConnection(CvGraph::UploadedVideos, id);
}

Corvana::ReturnCode Corvana::retrievePhoto(const QString &photoId)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    // Only the legacy interface knows photos by their "<owner>_<photo>" form.
    if (!photoId.contains(QLatin1Char('_')))
        return d->retrieveMediaObject(photoId, CorvanaPrivate::Photo);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    return dispatched(d->graph->retrievePhoto(photoId));
}

Corvana::ReturnCode Corvana::retrieveAlbum(const QString &albumId)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaObject(albumId, CorvanaPrivate::Album);
}

Corvana::ReturnCode Corvana::retrieveVideo(const QString &videoId)
{
    CV_TRACE_FUNCTION;
    return d_func()->retrieveMediaObject(videoId, CorvanaPrivate::Video);
}

Corvana::ReturnCode Corvana::uploadPhoto(const QString &id, const QString &fileName,
                                         const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    if (id.isEmpty() || fileName.isEmpty())
        return InvalidArgument;
    QString target = id;
    d->getId(&target);
    return dispatched(d->graph->uploadPhoto(target, fileName, message));
}

Corvana::ReturnCode Corvana::createAlbum(const QString &id, const QString &name,
                                         const QString &message, const QString &privacy)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    QString owner = id;
    d->getId(&owner);
    return dispatched(d->graph->createAlbum(owner, name, message, privacy));
}

Corvana::ReturnCode Corvana::createAlbum(const QString &id, const QString &name,
                                         const QString &message)
{
    return createAlbum(id, name, message, QString());
}

// --- tags and deletion ------------------------------------------------------------------------

Corvana::ReturnCode Corvana::createPhotoTag(const QString &photoId, const QString &to, float x,
                                            float y)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    QString user = to;
    d->getId(&user);
    return dispatchedOrInvalid(d->graph->createPhotoTag(photoId, user, x, y));
}

Corvana::ReturnCode Corvana::createPhotoTags(const QString &photoId, CvTags tags)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    if (photoId.isEmpty() || tags.isEmpty())
        return InvalidArgument;
    QStringList users;
    for (const CvTag &tag : std::as_const(tags)) {
        QString user = tag.id();
        d->getId(&user);
        users.append(user);
    }
    // The photo id and the user ids come back inside the batch name, which is read up to the
    // next space and split at commas.
    if (!areQueryIdentifiers(users) || !CvGraph::isQueryIdentifier(photoId))
        return InvalidArgument;

    QString name = RequestName::BatchNamePhotoTags.arg(photoId);
    QList<CvGraphRequest> requests;
    for (qsizetype i = 0; i < tags.size(); ++i) {
        if (!name.endsWith(QLatin1Char('=')))
            name += QLatin1Char(',');
        CvGraphRequest request(QStringLiteral("POST"), photoId + QStringLiteral("/tags"));
        // The service expects the space before the last value.
        request.setBody(QStringLiteral("to=%1&x=%2&y= %3")
                            .arg(users.at(i), QString::number(tags.at(i).x()),
                                 QString::number(tags.at(i).y())));
        requests.append(request);
        name += users.at(i);
    }
    return dispatchedOrInvalid(d->graph->executeBatch(requests, name));
}

void CorvanaPrivate::processPhotoTags(const QString &name, const QList<CvGraphReply> &replies)
{
    CV_TRACE_FUNCTION;
    Q_Q(Corvana);
    const QString photoId = requestNameValue(name, QStringLiteral("photo_id"));
    const QStringList users = requestNameValue(name, QStringLiteral("ids")).split(QLatin1Char(','));
    for (qsizetype i = 0; i < replies.size(); ++i) {
        if (replies.at(i).code() == 200) {
            Q_EMIT q->photoTagCreated(photoId, users.value(i), true);
            continue;
        }
        CvError err;
        err.setErrorType(CvError::GeneralError);
        err.setObjectId(photoId);
        err.setCorvanaErrorHeaders(firstBodyText(replies.at(i)));
        Q_EMIT q->error(err);
    }
}

Corvana::ReturnCode Corvana::deletePhotoTag(const QString &photoId, const QString &to)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    QString user = to;
    d->getId(&user);
    return dispatchedOrInvalid(d->graph->deletePhotoTag(photoId, user));
}

Corvana::ReturnCode Corvana::deleteObject(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    return dispatched(d->graph->deleteObject(id));
}

Corvana::ReturnCode Corvana::retrieveObjects(const QSet<QString> &ids)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    const ReturnCode ready = d->mediaReady();
    if (ready != Success)
        return ready;
    // The metadata tells each object's type, which the conversion needs.
    CvDataFilter filter;
    filter.params.insert(QStringLiteral("metadata"), QStringLiteral("1"));
    return dispatchedOrInvalid(d->graph->retrieveObjects(ids, filter, QString()));
}

// --- search -----------------------------------------------------------------------------------

Corvana::ReturnCode CorvanaPrivate::dispatchSearch(const QString &searchId, const QString &query,
                                                   CvGraph::SearchTarget target,
                                                   const QSet<QString> *fields)
{
    const Corvana::ReturnCode ready = mediaReady();
    if (ready != Corvana::Success)
        return ready;
    // A field set is what makes the reply full users instead of references: it may not be empty.
    if (query.isEmpty() || (fields && fields->isEmpty()))
        return Corvana::InvalidArgument;
    return dispatched(fields ? graph->search(searchId, query, target, *fields)
                             : graph->search(searchId, query, target));
}

Corvana::ReturnCode Corvana::searchPeople(const QString &searchId, const QString &query)
{
    CV_TRACE_FUNCTION;
    return d_func()->dispatchSearch(searchId, query, CvGraph::SearchUser);
}

Corvana::ReturnCode Corvana::searchPeople(const QString &searchId, const QString &query,
                                          QSet<QString> fields)
{
    CV_TRACE_FUNCTION;
    return d_func()->dispatchSearch(searchId, query, CvGraph::SearchUser, &fields);
}

Corvana::ReturnCode Corvana::searchPage(const QString &searchId, const QString &query)
{
    CV_TRACE_FUNCTION;
    return d_func()->dispatchSearch(searchId, query, CvGraph::SearchPage);
}

Corvana::ReturnCode Corvana::searchGroup(const QString &searchId, const QString &query)
{
    CV_TRACE_FUNCTION;
    return d_func()->dispatchSearch(searchId, query, CvGraph::SearchGroup);
}

} // namespace Cv
