#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"
#include "cvlinkinfo.h"

#include <QDateTime>

namespace Cv {

namespace {

// Columns 2 to 11 of posts (message to likes), shared by the insert and the update.
void bindPostContent(QSqlQuery *query, int first, const CvPost &post)
{
    const CvLinkInfo &link = post.linkInfo();
    const QVariant values[]
        = {post.message(),   post.picture(), link.link,   link.name,          link.caption,
           link.description, post.source(),  post.icon(), post.attribution(), post.likes()};
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

// Columns 13 to 22 of posts (updated_time to story).
void bindPostTail(QSqlQuery *query, int first, const CvPost &post)
{
    const QPair<QString, QString> application = post.application();
    const QVariant values[] = {
        post.updated(),  post.commentCount(), post.type(),       post.subject(),    post.albumId(),
        post.objectId(), application.second,  application.first, post.place().id(), post.story()};
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

} // namespace

const QStringList &CvQueries::createIndexTexts()
{
    // What the windowed reads and the cascades search by, where no key starts with it: feeds
    // walk posts newest first and stop after a page; deleting a post or message finds its
    // comment links, places and attachments without scanning those tables. The feed walk tests
    // every newer post against the window and the type pattern: with both in the index that
    // test never touches the table, which keeps a page deep in a long feed cheap.
    static const QStringList texts = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS posts_created ON posts (created_time, "
                       "updated_time, datetime(created_time), type)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS post_comments_target ON post_comments "
                       "(target_id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS photo_comments_target ON photo_comments "
                       "(target_id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS places_parent ON places (parent_id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS messages_thread ON messages (tid, time_sent)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS threads_viewer ON threads (viewer_id, "
                       "folder_id, last_update)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS events_user ON events (user_id, start_time)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS groups_user ON groups (user_id, "
                       "updated_time)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS checkins_user ON checkins (user_id, "
                       "created_time)"),
    };
    return texts;
}

QString CvQueries::commentTargetTable(int target)
{
    switch (target) {
    case 0:
        return QStringLiteral("post_comments");
    case 1:
        return QStringLiteral("photo_comments");
    default:
        return QString();
    }
}

QSqlQuery *CvQueries::prepareInsertPostQuery(const CvPost &post)
{
    QSqlQuery *query = kept(QStringLiteral(
        "INSERT OR FAIL INTO posts (id, sender, message, picture, link, name, caption, "
        "description, source, icon, attribution, likes, created_time, updated_time, "
        "comment_count, type, subject, album_id, object_id, application, applicationId, "
        "place_id, story) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?)"));
    if (!query)
        return nullptr;
    query->bindValue(0, post.id());
    query->bindValue(1, post.from().id);
    bindPostContent(query, 2, post);
    query->bindValue(12, post.created());
    bindPostTail(query, 13, post);
    return query;
}

QSqlQuery *CvQueries::prepareUpdatePostQuery(const CvPost &post)
{
    QSqlQuery *query = kept(QStringLiteral(
        "UPDATE posts SET message = ?, picture = ?, link = ?, name = ?, caption = ?, "
        "description = ?, source = ?, icon = ?, attribution = ?, likes = ?, updated_time = ?, "
        "comment_count = ?, type = ?, subject = ?, album_id = ?, object_id = ?, "
        "application = ?, applicationId = ?, place_id = ?, story = ? WHERE id = ?"));
    if (!query)
        return nullptr;
    bindPostContent(query, 0, post);
    bindPostTail(query, 10, post);
    query->bindValue(20, post.id());
    return query;
}

QSqlQuery *CvQueries::prepareSelectPostQuery(const QString &id)
{
    return keptBound(QStringLiteral("SELECT * from posts WHERE id = ?"), {id});
}

QSqlQuery *CvQueries::prepareSelectFeedQuery(int type, const QString &userId,
                                             const CvDataFilter &filter, const QString &typePattern)
{
    QString text;
    if (type == 0) {
        text = QStringLiteral(
            "SELECT * FROM posts INNER JOIN (SELECT * FROM news_feeds WHERE user_id = ?) ON "
            "post_id = id WHERE (created_time IS NULL OR (datetime(created_time) > datetime(?) "
            "AND datetime(created_time) < datetime(?))) AND (type IS NULL OR type LIKE ?) "
            "ORDER BY created_time DESC, updated_time DESC LIMIT ?");
    } else if (type == 1) {
        text = QStringLiteral(
            "SELECT * FROM posts INNER JOIN (SELECT * FROM profile_feeds WHERE user_id = ?) ON "
            "post_id = id WHERE (created_time IS NULL OR (datetime(created_time) > datetime(?) "
            "AND datetime(created_time) < datetime(?))) AND (type LIKE ?) "
            "ORDER BY created_time DESC, updated_time DESC LIMIT ?");
    } else {
        return nullptr;
    }
    return keptBound(text,
                     {userId, lowerBound(filter), upperBound(filter), typePattern, filter.limit});
}

QSqlQuery *CvQueries::prepareInsertCommentQuery(const CvMessage &comment)
{
    return keptBound(QStringLiteral("INSERT INTO comments (id, sender, message, created_time, "
                                    "updated_time, likes, user_likes) VALUES (?, ?, ?, ?, ?, "
                                    "?, ?)"),
                     {comment.id(), comment.from().id, comment.content(), comment.created(),
                      comment.updated(), comment.likes(), comment.userLikes()});
}

QSqlQuery *CvQueries::prepareSelectCommentQuery(const QString &id)
{
    return keptBound(QStringLiteral("SELECT * FROM comments WHERE id = ?"), {id});
}

CvPosts CvQueries::parsePosts(QSqlQuery *query)
{
    CvPosts posts;
    while (query->next()) {
        const QString id = query->value(0).toString();
        const QString senderId = query->value(1).toString();
        CvUserRef from(senderId, QString());
        getUserRef(senderId, &from);
        CvPost post(id, from);
        if (!post.isValid())
            continue;
        post.setTo(readUserRefs(
            keptBound(QStringLiteral("SELECT user_id FROM post_targets WHERE post_id = ?"), {id})));
        post.setWithTags(readUserRefs(
            keptBound(QStringLiteral("SELECT user_id FROM post_tags WHERE post_id = ?"), {id})));
        post.setActions(readPostActions(id));
        post.setMessage(query->value(2).toString());
        post.setPicture(query->value(3).toString());
        post.setLinkInfo(CvLinkInfo(query->value(4).toString(), query->value(5).toString(),
                                    query->value(6).toString(), query->value(7).toString()));
        post.setSource(query->value(8).toString());
        post.setIcon(query->value(9).toString());
        post.setAttribution(query->value(10).toString());
        post.setLikes(query->value(11).toInt());
        post.setCreated(query->value(12).toDateTime());
        post.setUpdated(query->value(13).toDateTime());
        post.setCommentCount(query->value(14).toInt());
        post.setType(query->value(15).toString());
        post.setSubject(query->value(16).toString());
        post.setAlbumId(query->value(17).toString());
        post.setObjectId(query->value(18).toString());
        post.setApplication(qMakePair(query->value(20).toString(), query->value(19).toString()));
        const QString placeId = query->value(21).toString();
        if (!placeId.isEmpty())
            post.setPlace(readPlace(placeId, id));
        post.setStory(query->value(22).toString());
        posts << post;
    }
    return posts;
}

CvComments CvQueries::parseComments(QSqlQuery *query, QString *target)
{
    CvComments comments;
    while (query->next()) {
        const QString senderId = query->value(1).toString();
        CvUserRef from(senderId, QString());
        getUserRef(senderId, &from);
        CvMessage comment(query->value(0).toString(), from);
        if (!comment.isValid())
            continue;
        comment.setContent(query->value(2).toString());
        comment.setCreated(query->value(3).toDateTime());
        comment.setUpdated(query->value(4).toDateTime());
        comment.setLikes(query->value(5).toInt());
        comment.setUserLikes(query->value(6).toBool());
        if (target)
            *target = query->value(7).toString();
        comments << comment;
    }
    return comments;
}

CvActions CvQueries::readPostActions(const QString &postId)
{
    // The key orders the rows by name; the row order is the order the post gave them in.
    QSqlQuery *query = keptBound(
        QStringLiteral("SELECT * FROM post_actions WHERE post_id = ? ORDER BY rowid"), {postId});
    CvActions actions;
    if (query && d->exec(query))
        actions = parseActions(query);
    if (query)
        query->finish();
    return actions;
}

CvActions CvQueries::parseActions(QSqlQuery *query)
{
    CvActions actions;
    while (query->next())
        actions << CvAction(query->value(1).toString(), query->value(2).toString());
    return actions;
}

} // namespace Cv
