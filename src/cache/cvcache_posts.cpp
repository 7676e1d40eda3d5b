#include "cvcache.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"

#include <optional>

namespace Cv {

namespace {

// SQLite's result code of a constraint violation (the key of an existing post).
constexpr int SqliteConstraint = 19;

bool isConstraintError(const QSqlError &error)
{
    bool ok = false;
    // Extended codes keep the primary code in their low byte.
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == SqliteConstraint;
}

} // namespace

// --- private steps ------------------------------------------------------------------------------

bool CvCachePrivate::writeRefOnce(const CvUserRef &ref, QHash<QString, QString> *written)
{
    if (ref.id.isEmpty())
        return true;
    if (written) {
        auto it = written->constFind(ref.id);
        // A later reference without a name leaves the stored name alone, as the write would.
        if (it != written->constEnd() && (ref.name.isEmpty() || it.value() == ref.name))
            return true;
    }
    if (writeUser(CvUser(ref)) == CvCache::UpdateFailed)
        return false;
    if (written && (!ref.name.isEmpty() || !written->contains(ref.id)))
        written->insert(ref.id, ref.name);
    return true;
}

bool CvCachePrivate::writePostUsers(const CvPost &post, QHash<QString, QString> *written)
{
    if (!writeRefOnce(post.from(), written))
        return false;
    for (const CvUserRef &ref : post.to()) {
        if (!writeRefOnce(ref, written))
            return false;
    }
    return true;
}

bool CvCachePrivate::writePostDetails(const QString &userId, CvCache::PostType type,
                                      const CvPost &post, bool fresh,
                                      QHash<QString, QString> *written)
{
    const QString id = post.id();
    if (!writeRefOnce(post.from(), written))
        return false;
    for (const CvUserRef &ref : post.to()) {
        if (!updateTableTarget(QStringLiteral("post_targets"), {QStringLiteral("post_id"), id},
                               {QStringLiteral("user_id"), ref.id}))
            return false;
    }
    // The tags are replaced as a whole; a post inserted just now has none to drop.
    if (!fresh) {
        CvStatement *clear = queries.boundStatement(
            QStringLiteral("DELETE FROM post_tags WHERE post_id = ?"), {id});
        if (clear) {
            clear->exec();
            clear->finish();
        }
    }
    for (const CvUserRef &ref : post.withTags()) {
        if (!updateTableTarget(QStringLiteral("post_tags"), {QStringLiteral("post_id"), id},
                               {QStringLiteral("user_id"), ref.id}))
            return false;
    }
    if (!writePostActions(post, fresh))
        return false;
    if (!updateTableTarget(CvQueries::postTypeTable(type), {QStringLiteral("post_id"), id},
                           {QStringLiteral("user_id"), userId}))
        return false;
    return !post.place().isValid() || updatePlace(post.place(), id);
}

bool CvCachePrivate::writePostActions(const CvPost &post, bool fresh)
{
    const QString id = post.id();
    const CvActions &actions = post.actions();
    if (fresh ? actions.isEmpty() : queries.readPostActions(id) == actions)
        return true;
    // Replaced as a whole, as the tags are: an action the post no longer offers must not
    // linger, or the stored post would never equal the one the service sends.
    if (!fresh && !execPerCall(QStringLiteral("DELETE FROM post_actions WHERE post_id = ?"), {id}))
        return false;
    for (const CvAction &action : actions) {
        CvStatement *insert = queries.boundStatement(
            QStringLiteral(
                "INSERT OR REPLACE INTO post_actions (post_id, name, link) VALUES (?, ?, ?)"),
            {id, action.name, action.link});
        if (!insert || !execWrite(insert))
            return false;
    }
    return true;
}

bool CvCachePrivate::getPost(const QString &id, CvPost *post)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectPostQuery(id), post,
                   [this](CvStatement *q) { return queries.parsePosts(q); });
}

CvCache::UpdateResult CvCachePrivate::updatePostStep(const QString &userId, CvCache::PostType type,
                                                     const CvPost &post)
{
    if (!post.isValid()) {
        recordError(QStringLiteral("Invalid post"), CvCache::DatabaseError);
        return CvCache::UpdateFailed;
    }
    CvPost stored;
    const bool found = getPost(post.id(), &stored) && stored.isValid();
    if (found && stored == post) {
        // Filed (again) under this list: new in this feed for the caller.
        return updateTableTarget(CvQueries::postTypeTable(type),
                                 {QStringLiteral("post_id"), post.id()},
                                 {QStringLiteral("user_id"), userId})
            ? CvCache::Inserted
            : CvCache::NotChanged;
    }
    if (!writePostUsers(post, nullptr))
        return CvCache::UpdateFailed;
    CvStatement *query
        = found ? queries.prepareUpdatePostQuery(post) : queries.prepareInsertPostQuery(post);
    if (!query || !execWrite(query) || !writePostDetails(userId, type, post, !found, nullptr))
        return CvCache::UpdateFailed;
    return found ? CvCache::Updated : CvCache::Inserted;
}

bool CvCachePrivate::updatePostInBatch(const QString &userId, CvCache::PostType type,
                                       const CvPost &post, QHash<QString, QString> *written)
{
    if (!post.isValid()) {
        recordError(QStringLiteral("Invalid post"), CvCache::DatabaseError);
        return false;
    }
    if (!writePostUsers(post, written))
        return false;
    // Insert first and fall back to the update when the key exists: no read per post.
    CvStatement *insert = queries.prepareInsertPostQuery(post);
    if (!insert)
        return false;
    const bool fresh = insert->exec();
    // Only read on failure: a QSqlError costs an allocation even when empty.
    std::optional<QSqlError> insertError;
    if (!fresh)
        insertError = insert->lastError();
    insert->finish();
    if (insertError) {
        if (!isConstraintError(*insertError)) {
            recordError(*insertError);
            return false;
        }
        CvStatement *update = queries.prepareUpdatePostQuery(post);
        if (!update || !exec(update))
            return false;
        // No row to update: the insert failed on another constraint; report that one.
        const bool updated = update->numRowsAffected() > 0;
        update->finish();
        if (!updated) {
            recordError(*insertError);
            return false;
        }
    }
    return writePostDetails(userId, type, post, fresh, written);
}

CvCache::UpdateResult CvCachePrivate::changePost(const CvPost &post,
                                                 const std::function<void(CvPost *)> &modify)
{
    return runSingle([&] {
        CvPost stored;
        if (!getPost(post.id(), &stored))
            return CvCache::UpdateFailed;
        modify(&stored);
        CvStatement *query = queries.prepareUpdatePostQuery(stored);
        return query && execWrite(query) && writePostActions(stored, false) ? CvCache::Updated
                                                                            : CvCache::UpdateFailed;
    });
}

bool CvCachePrivate::getComment(const QString &id, CvMessage *comment)
{
    if (!isOpen())
        return false;
    return readOne(queries.prepareSelectCommentQuery(id), comment,
                   [this](CvStatement *q) { return queries.parseComments(q); });
}

bool CvCachePrivate::getComments(CommentTarget target, const QString &targetId,
                                 CvComments *comments, const CvDataFilter &filter)
{
    if (!isOpen())
        return false;
    const QString text
        = QStringLiteral(
              "SELECT * FROM comments INNER JOIN (SELECT comment_id FROM %1 WHERE target_id = ?) "
              "ON id = comment_id WHERE (created_time IS NULL OR (datetime(created_time) > "
              "datetime(?) AND datetime(created_time) < datetime(?))) ORDER BY updated_time ASC, "
              "created_time ASC LIMIT ?")
              .arg(CvQueries::commentTargetTable(target));
    // Kept per link table: the comment pages of a long thread read it again and again.
    return readList(queries.boundStatement(text,
                                           {targetId, CvQueries::lowerBound(filter),
                                            CvQueries::upperBound(filter), filter.limit}),
                    comments, [this](CvStatement *q) { return queries.parseComments(q); });
}

CvCache::UpdateResult CvCachePrivate::updateCommentStep(CommentTarget target,
                                                        const QString &targetId,
                                                        const CvMessage &comment,
                                                        QHash<QString, QString> *written)
{
    const QString table = CvQueries::commentTargetTable(target);
    const QPair<QString, QString> commentColumn(QStringLiteral("comment_id"), comment.id());
    const QPair<QString, QString> targetColumn(QStringLiteral("target_id"), targetId);

    // Most comments are new: insert first, and read the stored row only when that fails. The
    // insert needs the sender stored (a foreign key); a stored comment, a new sender or a
    // comment without one fails it, and the read, compare and write below then decide, with the
    // errors they record.
    CvStatement *insert = queries.prepareInsertCommentQuery(comment);
    if (insert) {
        const bool inserted = insert->exec();
        insert->finish();
        if (inserted) {
            // What the read before the insert recorded.
            recordNotFound();
            return writeRefOnce(comment.from(), written)
                    && updateTableTarget(table, commentColumn, targetColumn)
                ? CvCache::Inserted
                : CvCache::UpdateFailed;
        }
    }

    CvMessage stored;
    const bool found = getComment(comment.id(), &stored) && stored.isValid();
    if (found && stored == comment)
        return updateTableTarget(table, commentColumn, targetColumn) ? CvCache::NotChanged
                                                                     : CvCache::UpdateFailed;
    if (!writeRefOnce(comment.from(), written))
        return CvCache::UpdateFailed;
    if (found) {
        CvStatement *update = queries.boundStatement(
            QStringLiteral("UPDATE %1 SET message = ?, updated_time = ?, likes = ?, "
                           "user_likes = ? WHERE id = ?")
                .arg(QStringLiteral("comments")),
            {comment.content(), comment.updated(), comment.likes(), comment.userLikes(),
             comment.id()});
        return update && execWrite(update) ? CvCache::Updated : CvCache::UpdateFailed;
    }
    insert = queries.prepareInsertCommentQuery(comment);
    if (!insert || !execWrite(insert) || !updateTableTarget(table, commentColumn, targetColumn))
        return CvCache::UpdateFailed;
    return CvCache::Inserted;
}

bool CvCachePrivate::removeComments(const CvComments &comments)
{
    return runBatch(comments, [this](const CvMessage &comment) {
        CvStatement *query = queries.boundStatement(
            QStringLiteral("DELETE from comments WHERE id = ?"), {comment.id()});
        return query && execWrite(query);
    });
}

// --- CvCache: posts -----------------------------------------------------------------------------

CvCache::UpdateResult CvCache::updatePost(const QString &userId, PostType type, const CvPost &post)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runSingle([&] { return d->updatePostStep(userId, type, post); });
}

bool CvCache::updatePosts(const QString &userId, PostType type, const CvPosts &posts)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    QHash<QString, QString> written;
    return d->runBatch(posts, [&](const CvPost &post) {
        return d->updatePostInBatch(userId, type, post, &written);
    });
}

bool CvCache::updatePost(const CvPost &post)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->changePost(post, [&](CvPost *stored) { *stored = post; }) == Updated;
}

bool CvCache::likePost(const QString &postId, LikeType like)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    const CvPost post(postId, CvUserRef(QStringLiteral("*"), QString()));
    return d->changePost(post, [like](CvPost *stored) {
        if (like == Like)
            stored->setLikes(stored->likes() + 1);
        else if (stored->likes() >= 1)
            stored->setLikes(stored->likes() - 1);
    }) == Updated;
}

bool CvCache::getPost(const QString &id, CvPost *post)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getPost(id, post);
}

bool CvCache::getPosts(const QString &userId, PostType type, CvPosts *posts,
                       const CvDataFilter &filter, const QString &typePattern)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    const auto parse = [d](CvStatement *q) { return d->queries.parsePosts(q); };
    if (type == NewsFeed || type == ProfileFeed)
        return d->readList(d->queries.prepareSelectFeedQuery(type, userId, filter, typePattern),
                           posts, parse);
    CvStatement query(d->db);
    if (!d->queries.preparePerCall(
            &query,
            QStringLiteral("SELECT * FROM posts INNER JOIN (SELECT * FROM %1 WHERE user_id = ?) "
                           "ON post_id = id ORDER BY updated_time DESC, created_time DESC")
                .arg(CvQueries::postTypeTable(type)),
            {userId}))
        return false;
    return d->readList(&query, posts, parse);
}

bool CvCache::getActions(const QString &postId, CvActions *actions)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    CvStatement query(d->db);
    if (!d->queries.preparePerCall(
            &query, QStringLiteral("SELECT * FROM post_actions WHERE post_id = ?"), {postId}))
        return false;
    return d->readList(&query, actions, &CvQueries::parseActions);
}

bool CvCache::removePosts(const QString &userId, PostType type, const CvPosts &posts)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    Q_UNUSED(userId)
    Q_UNUSED(type)
    return d->runBatch(posts, [d](const CvPost &post) {
        CvStatement *query = d->queries.boundStatement(
            QStringLiteral("DELETE from posts WHERE id = ?"), {post.id()});
        if (!query || !d->execWrite(query))
            return false;
        const QString placeId = post.place().id();
        return placeId.isEmpty()
            || d->execPerCall(QStringLiteral("DELETE from places WHERE id = ? AND parent_id = ?"),
                              {placeId, post.id()});
    });
}

bool CvCache::removePosts(const QDateTime &olderThan)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen() || !olderThan.isValid())
        return false;
    // Places first: they are found through the posts about to go.
    return d->execPerCall(QStringLiteral("DELETE from places WHERE parent_id IN (SELECT id FROM "
                                         "posts WHERE updated_time is NULL OR "
                                         "datetime(updated_time) < datetime(?))"),
                          {olderThan.toUTC().toString(Qt::ISODate)})
        && d->removeOlderThan(QStringLiteral("posts"), QStringLiteral("updated_time"), olderThan);
}

// --- CvCache: comments --------------------------------------------------------------------------

CvCache::UpdateResult CvCache::updateComment(CommentTarget target, const QString &targetId,
                                             const CvMessage &comment)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runSingle([&] { return d->updateCommentStep(target, targetId, comment); });
}

bool CvCache::updateComments(CommentTarget target, const QString &targetId,
                             const CvComments &comments)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    // Comments on one target come from few people: write each of them once.
    QHash<QString, QString> written;
    return d->runBatch(comments, [&](const CvMessage &comment) {
        return d->updateCommentStep(target, targetId, comment, &written) != UpdateFailed;
    });
}

bool CvCache::getComment(const QString &id, CvMessage *comment)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getComment(id, comment);
}

bool CvCache::getComments(CommentTarget target, const QString &targetId, CvComments *comments,
                          const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getComments(target, targetId, comments, filter);
}

bool CvCache::removeComments(const CvComments &comments)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->removeComments(comments);
}

bool CvCache::removeComments(CommentTarget target, const QString &targetId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    CvComments comments;
    if (!d->getComments(target, targetId, &comments, CvDataFilter()))
        return false;
    return d->removeComments(comments);
}

} // namespace Cv
