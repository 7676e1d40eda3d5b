#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"
#include "cvlinkinfo.h"

#include <QDateTime>

#include <utility>
#include <vector>

namespace Cv {

namespace {

// Column order of table posts, shared by the insert, the update and parsePosts.
enum PostColumn {
    PostId,
    PostSender,
    PostMessage,
    PostPicture,
    PostLink,
    PostName,
    PostCaption,
    PostDescription,
    PostSource,
    PostIcon,
    PostAttribution,
    PostLikes,
    PostCreatedTime,
    PostUpdatedTime,
    PostCommentCount,
    PostTypeName,
    PostSubject,
    PostAlbumId,
    PostObjectId,
    PostApplication,
    PostApplicationId,
    PostPlaceId,
    PostStory,
    PostColumnCount
};
// The update sets message to likes and updated_time to story (the sender and the creation time
// never change), then matches the id.
constexpr int PostContentCount = PostCreatedTime - PostMessage;
constexpr int PostTailCount = PostColumnCount - PostUpdatedTime;

// Binds the post's columns from message to likes at \a first and on.
void bindPostContent(CvStatement *query, int first, const CvPost &post)
{
    const CvLinkInfo &link = post.linkInfo();
    const QVariant values[]
        = {post.message(),   post.picture(), link.link,   link.name,          link.caption,
           link.description, post.source(),  post.icon(), post.attribution(), post.likes()};
    static_assert(sizeof(values) / sizeof(values[0]) == PostContentCount);
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

// Binds the post's columns from updated_time to story at \a first and on.
void bindPostTail(CvStatement *query, int first, const CvPost &post)
{
    const QPair<QString, QString> application = post.application();
    const QVariant values[] = {
        post.updated(),  post.commentCount(), post.type(),       post.subject(),    post.albumId(),
        post.objectId(), application.second,  application.first, post.place().id(), post.story()};
    static_assert(sizeof(values) / sizeof(values[0]) == PostTailCount);
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
}

// Posts whose created_time text may read as an earlier instant than its own first 19
// characters: no time, another shape, or a '+' offset. Every other text starts with
// "YYYY-MM-DDTHH:MM:SS", and datetime() can only move it forward from there (a '-' offset, hour
// 24, a day past the end of its month), never back; so a post of that kind that is earlier than
// the window's end also sorts before the end written in that shape, and the feed read can seek
// to it in the creation-time index instead of testing every newer post. The partial index and
// the feed read must use this very text, or SQLite will not pair them.
const QString &unorderedCreatedTime()
{
    static const QString text = QStringLiteral(
        "(created_time IS NULL OR created_time NOT GLOB "
        "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9]*' "
        "OR created_time GLOB '*+*')");
    return text;
}

// The feed read of \a feedTable, with \a typeTest on the post type. Bound by
// prepareSelectFeedQuery().
//
// It returns what "SELECT * FROM posts INNER JOIN (SELECT * FROM <feed> WHERE user_id = ?) ON
// post_id = id WHERE (created_time IS NULL OR (datetime(created_time) > datetime(?) AND
// datetime(created_time) < datetime(?))) AND <type test> ORDER BY created_time DESC,
// updated_time DESC LIMIT ?" returns, in the same order, as two disjoint parts merged by that
// order: posts of the common shape, found by seeking the window's end in posts_created (the
// extra text bounds only narrow the walk, the datetime() tests still decide), and the rest
// (unorderedCreatedTime(), normally none) tested one by one. The lower text bound is a week
// early: a '-' offset, hour 24 and a day past the month's end move a time at most a few days.
QString feedText(const char *feedTable, const char *typeTest)
{
    const QString join
        = QStringLiteral("SELECT * FROM posts INNER JOIN (SELECT * FROM %1 WHERE user_id = ?) "
                         "ON post_id = id WHERE ")
              .arg(QLatin1String(feedTable));
    const QString window = QStringLiteral(
        "datetime(created_time) > datetime(?) AND datetime(created_time) < datetime(?)");
    return join
        + QStringLiteral("NOT %1 AND created_time > date(?, '-7 days') AND created_time < "
                         "strftime('%Y-%m-%dT%H:%M:%S', ?) AND %2 AND %3 UNION ALL ")
              .arg(unorderedCreatedTime(), window, QLatin1String(typeTest))
        + join
        + QStringLiteral("%1 AND (created_time IS NULL OR (%2)) AND %3 ORDER BY created_time "
                         "DESC, updated_time DESC LIMIT ?")
              .arg(unorderedCreatedTime(), window, QLatin1String(typeTest));
}

} // namespace

const QStringList &CvQueries::createIndexTexts()
{
    // What the windowed reads and the cascades search by, where no key starts with it: feeds
    // walk posts newest first and stop after a page; deleting a post or message finds its
    // comment links, places and attachments without scanning those tables. The feed walk
    // seeks to the window's end and tests the posts from there against the window and the type
    // pattern: with both in the index that test never touches the table.
    static const QStringList texts = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS posts_created ON posts (created_time, "
                       "updated_time, datetime(created_time), type)"),
        // The few posts whose creation time the feed read cannot seek by (see feedText()).
        QStringLiteral("CREATE INDEX IF NOT EXISTS posts_created_unordered ON posts "
                       "(created_time, updated_time) WHERE ")
            + unorderedCreatedTime(),
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

QString CvQueries::commentTargetTable(CommentTarget target)
{
    switch (target) {
    case PostComments:
        return QStringLiteral("post_comments");
    case PhotoComments:
        return QStringLiteral("photo_comments");
    }
    // A value cast from a number outside the enumeration.
    return QString();
}

CvStatement *CvQueries::prepareInsertPostQuery(const CvPost &post)
{
    CvStatement *query = keptStatement(QStringLiteral(
        "INSERT OR FAIL INTO posts (id, sender, message, picture, link, name, caption, "
        "description, source, icon, attribution, likes, created_time, updated_time, "
        "comment_count, type, subject, album_id, object_id, application, applicationId, "
        "place_id, story) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?)"));
    if (!query)
        return nullptr;
    query->bindValue(PostId, post.id());
    query->bindValue(PostSender, post.from().id);
    bindPostContent(query, PostMessage, post);
    query->bindValue(PostCreatedTime, post.created());
    bindPostTail(query, PostUpdatedTime, post);
    return query;
}

CvStatement *CvQueries::prepareUpdatePostQuery(const CvPost &post)
{
    CvStatement *query = keptStatement(QStringLiteral(
        "UPDATE posts SET message = ?, picture = ?, link = ?, name = ?, caption = ?, "
        "description = ?, source = ?, icon = ?, attribution = ?, likes = ?, updated_time = ?, "
        "comment_count = ?, type = ?, subject = ?, album_id = ?, object_id = ?, "
        "application = ?, applicationId = ?, place_id = ?, story = ? WHERE id = ?"));
    if (!query)
        return nullptr;
    bindPostContent(query, 0, post);
    bindPostTail(query, PostContentCount, post);
    query->bindValue(PostContentCount + PostTailCount, post.id());
    return query;
}

CvStatement *CvQueries::prepareSelectPostQuery(const QString &id)
{
    return boundStatement(QStringLiteral("SELECT * from posts WHERE id = ?"), {id});
}

CvStatement *CvQueries::prepareSelectFeedQuery(CvCache::PostType type, const QString &userId,
                                               const CvDataFilter &filter,
                                               const QString &typePattern)
{
    // The pattern is an expression, not a bare parameter: SQLite prepares a statement again
    // whenever a parameter right of LIKE is bound anew, which would be every page. "? || ''" is
    // the same text (NULL stays NULL), and type is no leading index column the pattern could
    // narrow.
    static const QString newsFeed = feedText("news_feeds", "(type IS NULL OR type LIKE (? || ''))");
    static const QString profileFeed = feedText("profile_feeds", "(type LIKE (? || ''))");
    QString text;
    switch (type) {
    case CvCache::NewsFeed:
        text = newsFeed;
        break;
    case CvCache::ProfileFeed:
        text = profileFeed;
        break;
    case CvCache::Inbox:
    case CvCache::Outbox:
        return nullptr;
    }
    if (text.isEmpty())
        return nullptr;
    // In the order of feedText(): the seeking part, the rest, the limit.
    const QString lower = lowerBound(filter);
    const QString upper = upperBound(filter);
    return boundStatement(text,
                          {userId, lower, upper, lower, upper, typePattern, userId, lower, upper,
                           typePattern, filter.limit});
}

CvStatement *CvQueries::prepareInsertCommentQuery(const CvMessage &comment)
{
    return boundStatement(QStringLiteral("INSERT INTO comments (id, sender, message, created_time, "
                                         "updated_time, likes, user_likes) VALUES (?, ?, ?, ?, ?, "
                                         "?, ?)"),
                          {comment.id(), comment.from().id, comment.content(), comment.created(),
                           comment.updated(), comment.likes(), comment.userLikes()});
}

CvStatement *CvQueries::prepareSelectCommentQuery(const QString &id)
{
    return boundStatement(QStringLiteral("SELECT * FROM comments WHERE id = ?"), {id});
}

CvPosts CvQueries::parsePosts(CvStatement *query)
{
    CvPosts posts;
    while (query->next()) {
        const QString id = query->text(PostId);
        CvPost post(id, CvUserRef(query->text(PostSender), QString()));
        if (!post.isValid())
            continue;
        post.setMessage(query->text(PostMessage));
        post.setPicture(query->text(PostPicture));
        post.setLinkInfo(CvLinkInfo(query->text(PostLink), query->text(PostName),
                                    query->text(PostCaption), query->text(PostDescription)));
        post.setSource(query->text(PostSource));
        post.setIcon(query->text(PostIcon));
        post.setAttribution(query->text(PostAttribution));
        post.setLikes(query->integer(PostLikes));
        post.setCreated(query->dateTime(PostCreatedTime));
        post.setUpdated(query->dateTime(PostUpdatedTime));
        post.setCommentCount(query->integer(PostCommentCount));
        post.setType(query->text(PostTypeName));
        post.setSubject(query->text(PostSubject));
        post.setAlbumId(query->text(PostAlbumId));
        post.setObjectId(query->text(PostObjectId));
        post.setApplication(
            qMakePair(query->text(PostApplicationId), query->text(PostApplication)));
        const QString placeId = query->text(PostPlaceId);
        if (!placeId.isEmpty())
            post.setPlace(readPlace(placeId, id));
        post.setStory(query->text(PostStory));
        posts << post;
    }
    if (posts.isEmpty())
        return posts;

    // The link rows and names of every post at once, by the post's position in the list. Each
    // post's rows keep the order of its own read: addressees and tags by the key (post_id,
    // user_id), actions in the order written. A user who is not stored has no name.
    QStringList ids;
    QStringList senders;
    ids.reserve(posts.size());
    senders.reserve(posts.size());
    for (const CvPost &post : std::as_const(posts)) {
        ids << post.id();
        senders << post.from().id;
    }
    struct Links
    {
        CvUserRefs to;
        CvUserRefs tags;
        CvActions actions;
    };
    std::vector<Links> links(size_t(posts.size()));
    // Addressees and tags: one shape, each into its own list. The table goes in as %2, so that
    // %1 stays for the VALUES list.
    static const QString peopleText = QStringLiteral(
        "SELECT k.column1, t.user_id, u.name FROM (VALUES %1) AS k JOIN %2 AS t ON t.post_id = "
        "k.column2 LEFT JOIN users AS u ON u.id = t.user_id ORDER BY k.column1, t.user_id");
    const std::pair<QLatin1String, CvUserRefs Links::*> people[]
        = {{QLatin1String("post_targets"), &Links::to}, {QLatin1String("post_tags"), &Links::tags}};
    for (const auto &[table, member] : people) {
        CvUserRefs Links::*list = member;
        readByIds(QString(peopleText).replace(QLatin1String("%2"), table), ids,
                  [&](qsizetype index, const CvStatement &row) {
                      (links[size_t(index)].*list) << CvUserRef(row.text(1), row.text(2));
                  });
    }
    readByIds(QStringLiteral("SELECT k.column1, a.name, a.link FROM (VALUES %1) AS k JOIN "
                             "post_actions AS a ON a.post_id = k.column2 ORDER BY k.column1, "
                             "a.rowid"),
              ids, [&](qsizetype index, const CvStatement &row) {
                  links[size_t(index)].actions << CvAction(row.text(1), row.text(2));
              });
    readByIds(QStringLiteral("SELECT k.column1, u.name FROM (VALUES %1) AS k JOIN users AS u ON "
                             "u.id = k.column2"),
              senders, [&](qsizetype index, const CvStatement &row) {
                  posts[index].setFrom(CvUserRef(senders.at(index), row.text(1)));
              });
    for (qsizetype i = 0; i < posts.size(); ++i) {
        Links &link = links[size_t(i)];
        CvPost &post = posts[i];
        post.setTo(link.to);
        post.setWithTags(link.tags);
        post.setActions(link.actions);
    }
    return posts;
}

CvComments CvQueries::parseComments(CvStatement *query, QString *target)
{
    const NameMemo memo(this);
    CvComments comments;
    while (query->next()) {
        const QString senderId = query->text(1);
        CvUserRef from(senderId, QString());
        getUserRef(senderId, &from);
        CvMessage comment(query->text(0), from);
        if (!comment.isValid())
            continue;
        comment.setContent(query->text(2));
        comment.setCreated(query->dateTime(3));
        comment.setUpdated(query->dateTime(4));
        comment.setLikes(query->integer(5));
        comment.setUserLikes(query->value(6).toBool());
        if (target)
            *target = query->text(7);
        comments << comment;
    }
    return comments;
}

CvActions CvQueries::readPostActions(const QString &postId)
{
    // The key orders the rows by name; the row order is the order the post gave them in.
    CvStatement *query = boundStatement(
        QStringLiteral("SELECT * FROM post_actions WHERE post_id = ? ORDER BY rowid"), {postId});
    CvActions actions;
    if (query && d->exec(query))
        actions = parseActions(query);
    if (query)
        query->finish();
    return actions;
}

CvActions CvQueries::parseActions(CvStatement *query)
{
    CvActions actions;
    while (query->next())
        actions << CvAction(query->text(1), query->text(2));
    return actions;
}

} // namespace Cv
