#include "facade/corvana_p.h"
#include "facade/cvsyncdiff_p.h"

#include "convert/cvlog_p.h"
#include "cvcache.h"
#include "cvdataconverter.h"
#include "cvgraph.h"
#include "cvgraphrequest.h"

namespace Cv {

namespace {

// The service answers at most this many sub-requests in one batch.
constexpr int maxLatestStatusIds = 20;

QString postTypePattern(const QString &postType)
{
    return postType.isEmpty() ? QStringLiteral("%") : postType;
}

// The single-record outcome of a cached post or comment: inserted and updated records are
// reported, unchanged ones are not, a failure becomes the cache error.
template<typename T, typename Emit>
void reportSingleRecord(CorvanaPrivate *d, CvCache::UpdateResult result, const T &record,
                        const QString &errorId, Emit emitUpdated)
{
    const QList<T> none;
    switch (result) {
    case CvCache::UpdateFailed:
        d->emitCacheError(errorId);
        break;
    case CvCache::Inserted:
        emitUpdated(QList<T> {record}, none, none);
        break;
    case CvCache::Updated:
        emitUpdated(none, QList<T> {record}, none);
        break;
    default:
        break;
    }
}

} // namespace

// --- feeds ------------------------------------------------------------------------------------

Corvana::ReturnCode CorvanaPrivate::retrievePostList(CvPosts *posts, const CvDataFilter &filter,
                                                     CvCache::PostType type,
                                                     const QString &postType,
                                                     Corvana::RetrieveBehavior behavior)
{
    CvDataFilter request = filter;
    const Corvana::ReturnCode checked = resolveId(this, &request.id);
    if (checked != Corvana::Success)
        return checked;
    if (type == CvCache::NewsFeed && request.id != currentProfileId)
        return Corvana::InvalidArgument;
    if (posts)
        cache->getPosts(request.id, type, posts, request, postTypePattern(postType));
    if (!shouldDispatchToNetwork(behavior))
        return Corvana::Success;
    const CvGraph::ConnectionType connection
        = type == CvCache::NewsFeed ? CvGraph::Home : CvGraph::Feed;
    const bool sent = graph->retrieveConnectionData(connection, request);
    if (sent && !postType.isEmpty())
        postTypeFilters.append(postType);
    return dispatched(sent);
}

Corvana::ReturnCode Corvana::retrieveNewsFeed(CvPosts *posts, const CvDataFilter &filter,
                                              const QString &postType, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    return d->retrievePostList(posts, filter, CvCache::NewsFeed, postType, behavior);
}

Corvana::ReturnCode Corvana::retrieveNewsFeed(CvPosts *posts, const CvDataFilter &filter,
                                              RetrieveBehavior behavior)
{
    return retrieveNewsFeed(posts, filter, QString(), behavior);
}

Corvana::ReturnCode Corvana::retrieveNewsFeed(CvPosts *posts, RetrieveBehavior behavior)
{
    return retrieveNewsFeed(posts, CvDataFilter(QStringLiteral("me")), QString(), behavior);
}

Corvana::ReturnCode Corvana::retrieveProfileFeed(CvPosts *posts, const CvDataFilter &filter,
                                                 const QString &postType, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    return d->retrievePostList(posts, filter, CvCache::ProfileFeed, postType, behavior);
}

Corvana::ReturnCode Corvana::retrieveProfileFeed(CvPosts *posts, const CvDataFilter &filter,
                                                 RetrieveBehavior behavior)
{
    return retrieveProfileFeed(posts, filter, QString(), behavior);
}

Corvana::ReturnCode Corvana::retrieveProfileFeed(CvPosts *posts, const QString &id,
                                                 RetrieveBehavior behavior)
{
    return retrieveProfileFeed(posts, CvDataFilter(id), QString(), behavior);
}

Corvana::ReturnCode Corvana::retrieveStatusMessages(CvPosts *posts, const CvDataFilter &filter,
                                                    RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    CvDataFilter request = filter;
    const ReturnCode checked = resolveId(d, &request.id);
    if (checked != Success)
        return checked;
    if (posts)
        d->cache->getPosts(request.id, CvCache::ProfileFeed, posts, request,
                           QStringLiteral("status"));
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    return dispatched(d->graph->retrieveConnectionData(CvGraph::Statuses, request));
}

Corvana::ReturnCode Corvana::retrieveStatusMessages(CvPosts *posts, const QString &id,
                                                    RetrieveBehavior behavior)
{
    CvDataFilter filter(id);
    filter.fields
        = {QStringLiteral("id"),           QStringLiteral("from"),  QStringLiteral("message"),
           QStringLiteral("updated_time"), QStringLiteral("likes"), QStringLiteral("comments")};
    return retrieveStatusMessages(posts, filter, behavior);
}

QString CorvanaPrivate::takeQueuedPostType()
{
    return postTypeFilters.isEmpty() ? QString() : postTypeFilters.takeFirst();
}

bool CorvanaPrivate::storeTaggedPeople(const CvPosts &posts)
{
    // Posts may tag people the cache has never seen; they are stored as references (id and
    // name) so that the posts can refer to them. Users already stored are left as they are.
    CvUsers missing;
    QSet<QString> seen;
    for (const CvPost &post : posts) {
        for (const CvUserRef &ref : post.withTags()) {
            if (ref.id.isEmpty() || seen.contains(ref.id))
                continue;
            seen.insert(ref.id);
            CvUser stored;
            if (!cache->getUser(ref.id, &stored, CvCache::ById) || !stored.isValid())
                missing.append(CvUser(ref));
        }
    }
    return missing.isEmpty() || cache->updateUsers(missing);
}

bool CorvanaPrivate::synchronizePosts(
    const QString &owner, CvCache::PostType type, const QString &postType,
    const CvDataFilter &filter, const CvPosts &posts, bool complete,
    const std::function<void(const CvPosts &, const CvPosts &, const CvPosts &)> &emitUpdated)
{
    if (!storeTaggedPeople(posts))
        return false;
    const CvSyncSteps<CvPost> steps {
        [&](CvPosts *cached) {
            if (!cache->getPosts(owner, type, cached, filter, postTypePattern(postType)))
                return false;
            // The pattern also lets untyped posts and other letter cases through; a typed
            // window compares posts of exactly its type.
            if (!postType.isEmpty())
                cached->removeIf([&](const CvPost &post) { return post.type() != postType; });
            return true;
        },
        [&](const CvPosts &list) { return cache->updatePosts(owner, type, list); },
        [&](const CvPosts &list) { return cache->removePosts(owner, type, list); }, emitUpdated};
    return cvSynchronize(posts, cvMayRemove(CvRemovalRule::Windowed, filter, complete), steps);
}

namespace {

// Keeps the posts of \a type; an empty type keeps all.
CvPosts postsOfType(CvPosts posts, const QString &type)
{
    if (!type.isEmpty())
        posts.removeIf([&](const CvPost &post) { return post.type() != type; });
    return posts;
}

} // namespace

void CorvanaPrivate::processNewsFeed(const CvDataFilter &filter, const QVariantMap &data)
{
    Q_Q(Corvana);
    const QString postType = takeQueuedPostType();
    const CollectionState state = collectionState(data);
    if (state == CollectionState::Malformed) {
        emitError(CvError::OperationFailed, currentProfileId);
        return;
    }
    const CvPosts posts = postsOfType(CvDataConverter::toPosts(dataList(data)), postType);
    Q_EMIT q->newsFeedRetrieved(posts);
    if (posts.isEmpty())
        return;
    const bool synchronized = synchronizePosts(
        currentProfileId, CvCache::NewsFeed, postType, filter, posts,
        state == CollectionState::Complete,
        [q](const CvPosts &added, const CvPosts &updated, const CvPosts &removed) {
            Q_EMIT q->newsFeedUpdated(added, updated, removed);
        });
    if (!synchronized)
        emitSyncError(NewsFeedSync);
}

void CorvanaPrivate::processProfileFeed(const CvDataFilter &filter, const QString &id,
                                        const QVariantMap &data)
{
    Q_Q(Corvana);
    const QString postType = takeQueuedPostType();
    const CollectionState state = collectionState(data);
    if (state == CollectionState::Malformed) {
        emitError(CvError::OperationFailed, id);
        return;
    }
    const CvPosts posts = postsOfType(CvDataConverter::toPosts(dataList(data)), postType);
    Q_EMIT q->profileFeedRetrieved(id, posts);
    if (posts.isEmpty())
        return;
    const bool synchronized = synchronizePosts(
        id, CvCache::ProfileFeed, postType, filter, posts, state == CollectionState::Complete,
        [q, id](const CvPosts &added, const CvPosts &updated, const CvPosts &removed) {
            Q_EMIT q->profileFeedUpdated(id, added, updated, removed);
        });
    if (!synchronized)
        emitSyncError(ProfileFeedSync, id);
}

void CorvanaPrivate::processStatusMessages(const CvDataFilter &filter, const QString &id,
                                           const QVariantMap &data)
{
    Q_Q(Corvana);
    const CollectionState state = collectionState(data);
    if (state == CollectionState::Malformed) {
        emitError(CvError::OperationFailed, id);
        return;
    }
    const QVariantList raw = dataList(data);
    const CvPosts posts = CvDataConverter::toStatusMessages(raw);
    Q_EMIT q->statusMessagesRetrieved(id, posts);
    if (posts.isEmpty())
        return;
    const bool synchronized = synchronizePosts(
        id, CvCache::ProfileFeed, QStringLiteral("status"), filter, posts,
        state == CollectionState::Complete,
        [q, id](const CvPosts &added, const CvPosts &updated, const CvPosts &removed) {
            Q_EMIT q->statusMessagesUpdated(id, added, updated, removed);
        });
    if (!synchronized) {
        emitSyncError(StatusMessagesSync, id);
        return;
    }
    storeStatusComments(posts, raw);
}

void CorvanaPrivate::storeStatusComments(const CvPosts &statuses, const QVariantList &raw)
{
    QSet<QString> stored;
    for (const CvPost &status : statuses)
        stored.insert(status.id());
    for (const QVariant &item : raw) {
        const QVariantMap status = item.toMap();
        QString postId = status.value(QStringLiteral("id")).toString();
        if (!postId.contains(QLatin1Char('_')))
            postId = status.value(QStringLiteral("from"))
                         .toMap()
                         .value(QStringLiteral("id"))
                         .toString()
                + QLatin1Char('_') + postId;
        // Comments hang on their status; one that did not convert was not stored.
        if (!stored.contains(postId))
            continue;
        bool ok = true;
        if (status.contains(QStringLiteral("comments"))) {
            const QVariantMap comments = status.value(QStringLiteral("comments")).toMap();
            if (collectionState(comments) == CollectionState::Malformed)
                continue;
            ok = cache->updateComments(
                PostComments, postId,
                CvDataConverter::toStatusComments(postId, dataList(comments)));
        } else {
            ok = cache->removeComments(PostComments, postId);
        }
        if (!ok)
            emitCacheError(postId);
    }
}

// --- single posts -----------------------------------------------------------------------------

namespace {

Corvana::ReturnCode retrievePost(CorvanaPrivate *d, CvPost *post, const QString &id,
                                 CorvanaPrivate::ObjectType type,
                                 Corvana::RetrieveBehavior behavior)
{
    if (id.isEmpty())
        return Corvana::InvalidArgument;
    if (post)
        d->cache->getPost(id, post);
    if (!d->shouldDispatchToNetwork(behavior))
        return Corvana::Success;
    return dispatched(d->graph->retrieveObject(id, CorvanaPrivate::objectTypeToString(type)));
}

} // namespace

Corvana::ReturnCode Corvana::retrieveNewsPost(CvPost *post, const QString &id,
                                              RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrievePost(d_func(), post, id, CorvanaPrivate::NewsPost, behavior);
}

Corvana::ReturnCode Corvana::retrieveProfilePost(CvPost *post, const QString &id,
                                                 RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    return retrievePost(d_func(), post, id, CorvanaPrivate::ProfilePost, behavior);
}

void CorvanaPrivate::processSinglePost(ObjectType type, const QVariantMap &data)
{
    Q_Q(Corvana);
    const CvPost post = CvDataConverter::toPost(data);
    if (!post.isValid())
        return;
    const QString owner
        = data.value(QStringLiteral("id")).toString().section(QLatin1Char('_'), 0, 0);
    const bool news = type == NewsPost;
    if (news)
        Q_EMIT q->newsFeedRetrieved({post});
    else
        Q_EMIT q->profileFeedRetrieved(owner, {post});
    const CvCache::UpdateResult result = storeTaggedPeople({post})
        ? cache->updatePost(owner, news ? CvCache::NewsFeed : CvCache::ProfileFeed, post)
        : CvCache::UpdateFailed;
    reportSingleRecord(
        this, result, post, owner,
        [q, news, owner](const CvPosts &added, const CvPosts &updated, const CvPosts &removed) {
            if (news)
                Q_EMIT q->newsFeedUpdated(added, updated, removed);
            else
                Q_EMIT q->profileFeedUpdated(owner, added, updated, removed);
        });
}

// --- comments and likes -----------------------------------------------------------------------

Corvana::ReturnCode Corvana::retrieveComments(CvMessages *comments, CommentTarget target,
                                              const CvDataFilter &filter, RetrieveBehavior behavior)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    CvDataFilter request = filter;
    const ReturnCode checked = resolveId(d, &request.id);
    if (checked != Success)
        return checked;
    if (comments)
        d->cache->getComments(target, request.id, comments, request);
    if (!d->shouldDispatchToNetwork(behavior))
        return Success;
    const bool sent = d->graph->retrieveConnectionData(CvGraph::Comments, request);
    if (sent)
        d->commentTargets.insert(request.id, target);
    return dispatched(sent);
}

Corvana::ReturnCode Corvana::retrieveComments(CvMessages *comments, CommentTarget target,
                                              const QString &id, RetrieveBehavior behavior)
{
    return retrieveComments(comments, target, CvDataFilter(id), behavior);
}

Corvana::ReturnCode Corvana::retrieveComments(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    CvDataFilter request = filter;
    const ReturnCode checked = resolveId(d, &request.id);
    if (checked != Success)
        return checked;
    if (!d->shouldDispatchToNetwork(CacheAndNetwork))
        return Success;
    return dispatched(d->graph->retrieveConnectionData(CvGraph::Comments, request));
}

Corvana::ReturnCode Corvana::retrieveComments(const QString &id)
{
    return retrieveComments(CvDataFilter(id));
}

void CorvanaPrivate::processComments(const CvDataFilter &filter, const QString &objectId,
                                     const QVariantMap &data)
{
    Q_Q(Corvana);
    const auto pending = commentTargets.constFind(objectId);
    const bool synchronize = pending != commentTargets.constEnd();
    const CommentTarget target = synchronize ? *pending : PostComments;
    if (synchronize)
        commentTargets.erase(pending);

    const CollectionState state = collectionState(data);
    if (state == CollectionState::Malformed) {
        emitError(CvError::OperationFailed, objectId);
        return;
    }
    const CvMessages comments = CvDataConverter::toMessages(dataList(data));
    Q_EMIT q->commentsRetrieved(objectId, comments);
    if (!synchronize || comments.isEmpty())
        return;
    const CvSyncSteps<CvMessage> steps {
        [&](CvMessages *cached) { return cache->getComments(target, objectId, cached, filter); },
        [&](const CvMessages &list) { return cache->updateComments(target, objectId, list); },
        [&](const CvMessages &list) { return cache->removeComments(list); },
        [&](const CvMessages &added, const CvMessages &updated, const CvMessages &removed) {
            Q_EMIT q->commentsUpdated(target, objectId, added, updated, removed);
        }};
    if (!cvSynchronize(
            comments,
            cvMayRemove(CvRemovalRule::Windowed, filter, state == CollectionState::Complete),
            steps))
        emitSyncError(CommentsSync, objectId);
}

void CorvanaPrivate::processSingleComment(ObjectType type, const QString &id,
                                          const QVariantMap &data)
{
    Q_Q(Corvana);
    const CvMessage comment = CvDataConverter::toMessage(data);
    if (!comment.isValid())
        return;
    const CommentTarget target = type == PhotoComment ? PhotoComments : PostComments;
    const QString objectId = id.left(id.lastIndexOf(QLatin1Char('_')));
    Q_EMIT q->commentsRetrieved(objectId, {comment});
    reportSingleRecord(
        this, cache->updateComment(target, objectId, comment), comment, comment.id(),
        [&](const CvMessages &added, const CvMessages &updated, const CvMessages &removed) {
            Q_EMIT q->commentsUpdated(target, objectId, added, updated, removed);
        });
}

Corvana::ReturnCode Corvana::retrieveLikes(const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    CvDataFilter request = filter;
    const ReturnCode checked = resolveId(d, &request.id);
    if (checked != Success)
        return checked;
    return dispatched(d->graph->retrieveConnectionData(CvGraph::Likes, request));
}

Corvana::ReturnCode Corvana::retrieveLikes(const QString &id)
{
    return retrieveLikes(CvDataFilter(id));
}

void CorvanaPrivate::processLikes(const QString &objectId, const QVariantMap &data)
{
    Q_Q(Corvana);
    if (collectionState(data) == CollectionState::Malformed) {
        emitError(CvError::OperationFailed, objectId);
        return;
    }
    const CvUsers users = CvDataConverter::toUsers(dataList(data));
    // Users that carry more than an id and a name travel as users, bare references as such.
    if (!users.isEmpty() && !users.first().isRef())
        Q_EMIT q->likesRetrieved(objectId, users);
    else
        Q_EMIT q->likesRetrieved(objectId, CvUser::convert(users));
}

// --- batches: latest status messages and like checks ------------------------------------------

Corvana::ReturnCode Corvana::retrieveLatestStatusMessage(const QStringList &ids)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    if (ids.isEmpty() || ids.size() > maxLatestStatusIds || !areQueryIdentifiers(ids))
        return InvalidArgument;
    QList<CvGraphRequest> requests;
    for (const QString &id : ids)
        requests.append(
            CvGraphRequest(QStringLiteral("GET"), id + QStringLiteral("/statuses?limit=1")));
    const QString name = RequestName::BatchNameLatestStatusMessage.arg(ids.join(QLatin1Char(',')));
    return d->graph->executeBatch(requests, name) ? Success : InvalidArgument;
}

void CorvanaPrivate::processLatestStatusMessages(const QString &name,
                                                 const QList<CvGraphReply> &replies)
{
    Q_Q(Corvana);
    const QStringList ids = requestNameValue(name, QStringLiteral("ids")).split(QLatin1Char(','));
    CvPosts posts;
    for (int i = 0; i < ids.size(); ++i) {
        const CvGraphReply reply = replies.value(i);
        const QVariantList body = bodyList(reply);
        if (reply.code() == 200) {
            posts.append(body.isEmpty() ? CvPost()
                                        : CvDataConverter::toStatusMessage(body.first().toMap()));
            continue;
        }
        CvError err;
        err.setErrorType(CvError::GeneralError);
        err.setObjectId(ids.at(i));
        if (!body.isEmpty())
            err.setCorvanaErrorHeaders(firstBodyText(reply));
        Q_EMIT q->error(err);
    }
    Q_EMIT q->latestStatusMessageRetrieved(ids, posts);
}

Corvana::ReturnCode CorvanaPrivate::sendLikeCheck(const QString &userId, const QString &id,
                                                  bool object)
{
    if (currentProfileId.isEmpty())
        return Corvana::NotInitialized;
    if (!shouldDispatchToNetwork(Corvana::CacheAndNetwork))
        return Corvana::NetworkUnavailable;
    QString user = userId;
    getId(&user);
    if (user.isEmpty() || id.isEmpty() || !areQueryIdentifiers({user, id}))
        return Corvana::InvalidArgument;

    CvGraphRequest subject(QStringLiteral("GET"), id);
    if (object) {
        CvDataFilter metadata;
        metadata.params.insert(QStringLiteral("metadata"), QStringLiteral("1"));
        subject.setFilter(metadata);
    }
    const QString &statement = object ? Query::QueryObjectLike : Query::QueryPostLike;
    const CvGraphRequest like(QStringLiteral("POST"), cvqlQueryPath(statement.arg(id, user)));
    const QString name = RequestName::BatchNameIfUserLikes.arg(
        user, object ? QStringLiteral("object_id") : QStringLiteral("post_id"), id);
    return graph->executeBatch({subject, like}, name) ? Corvana::Success : Corvana::InvalidArgument;
}

Corvana::ReturnCode Corvana::checkIfUserLikesPost(const QString &userId, const QString &postId)
{
    CV_TRACE_FUNCTION;
    return d_func()->sendLikeCheck(userId, postId, false);
}

Corvana::ReturnCode Corvana::checkIfUserLikesObject(const QString &userId, const QString &objectId)
{
    CV_TRACE_FUNCTION;
    return d_func()->sendLikeCheck(userId, objectId, true);
}

void CorvanaPrivate::processLikeCheck(const QString &name, const QList<CvGraphReply> &replies)
{
    Q_Q(Corvana);
    const QString userId = requestNameValue(name, QStringLiteral("user_id"));
    const QString postId = requestNameValue(name, QStringLiteral("post_id"));
    const QString objectId = requestNameValue(name, QStringLiteral("object_id"));
    const CvGraphReply subject = replies.value(0);
    const CvGraphReply like = replies.value(1);
    if (subject.code() != 200 || like.code() != 200) {
        cvDebug(QStringLiteral("Like check [%1] failed: codes %2, %3")
                    .arg(name)
                    .arg(subject.code())
                    .arg(like.code()));
        return;
    }
    const QVariantMap first = bodyList(subject).value(0).toMap();
    const QVariantList rows = bodyList(like);
    const bool yes = !rows.isEmpty()
        && rows.first().toMap().value(QStringLiteral("user_id")).toString() == userId;
    if (postId.isEmpty()) {
        const CvObject object = CvDataConverter::toObject(first);
        if (!object.isValid()) {
            emitError(CvError::OperationFailed, objectId);
            return;
        }
        Q_EMIT q->ifUserLikesObjectChecked(userId, yes, object);
        return;
    }
    const CvPost post = CvDataConverter::toPost(first);
    if (!post.isValid()) {
        emitError(CvError::OperationFailed, postId);
        return;
    }
    // Refreshes a post the cache holds already; one it does not hold stays unstored.
    cache->updatePost(post);
    Q_EMIT q->ifUserLikesPostChecked(userId, yes, post);
}

// --- writes -----------------------------------------------------------------------------------

Corvana::ReturnCode Corvana::writeToWall(const QString &id, const CvWallPostInfo &info)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    QString wall = id;
    const ReturnCode checked = resolveId(d, &wall);
    if (checked != Success)
        return checked;
    if (info.message.isEmpty())
        return InvalidArgument;
    return dispatched(d->graph->writeToWall(wall, info));
}

Corvana::ReturnCode Corvana::writeComment(const QString &objectId, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    if (objectId.isEmpty() || message.isEmpty())
        return InvalidArgument;
    return dispatched(d->graph->writeComment(objectId, message));
}

Corvana::ReturnCode Corvana::writeNote(const QString &id, const QString &subject,
                                       const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    QString owner = id;
    const ReturnCode checked = resolveId(d, &owner);
    if (checked != Success)
        return checked;
    if (subject.isEmpty() && message.isEmpty())
        return InvalidArgument;
    if (!d->shouldDispatchToNetwork(CacheAndNetwork))
        return NetworkUnavailable;
    return dispatched(d->graph->writeNote(owner, subject, message));
}

Corvana::ReturnCode Corvana::writeToLikes(const QString &id, LikeType type)
{
    CV_TRACE_FUNCTION;
    Q_D(Corvana);
    if (const ReturnCode online = checkOnline(d); online != Success)
        return online;
    if (id.isEmpty())
        return InvalidArgument;
    return dispatched(d->graph->writeToLikes(id, type));
}

} // namespace Cv
