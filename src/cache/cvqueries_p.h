#ifndef CVQUERIES_P_H
#define CVQUERIES_P_H

#include "cvcache.h"
#include "cvtypes.h"
#include "cvuser.h"
#include "cvuserref.h"
// Events, groups, check-ins; posts and comments; threads, messages and attachments
#include "cvaction.h"
#include "cvattachment.h"
#include "cvcheckin.h"
#include "cvevent.h"
#include "cvgroup.h"
#include "cvmessage.h"
#include "cvplace.h"
#include "cvpost.h"
#include "cvthread.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <unordered_map>

namespace Cv {

class CvCachePrivate;
class CvDataFilter;

// The select and insert statements of one link table and column pair, prepared once.
struct UpdateTableTargetQuery
{
    explicit UpdateTableTargetQuery(const QSqlDatabase &db)
        : select(db)
        , insert(db)
    {
    }
    QSqlQuery select;
    QSqlQuery insert;
};

// Statement cache and schema texts of a cache. Statements are prepared on first use on the cache's
// current connection and rebound for every later use; clear() drops them all, which must happen
// before the connection goes away.
class CvQueries
{
public:
    explicit CvQueries(CvCachePrivate *d);
    ~CvQueries();

    // The kept statement for \a text, prepared (forward only) on first use. Null when preparing
    // fails; the failure is recorded and the statement is prepared again on the next call.
    QSqlQuery *keptStatement(const QString &text);
    // The kept statement for \a text with \a values bound by position, or null as
    // keptStatement().
    QSqlQuery *boundStatement(const QString &text, std::initializer_list<QVariant> values);
    // Prepares \a text on the caller's own \a query and binds \a values; records a failure.
    bool preparePerCall(QSqlQuery *query, const QString &text,
                        std::initializer_list<QVariant> values = {});

    // The link-table statements for (table, firstColumn, secondColumn), created on first use.
    UpdateTableTargetQuery *tableTargetQuery(const QString &table, const QString &firstColumn,
                                             const QString &secondColumn);

    // Users and friendships: kept statements with their values bound, or null.
    QSqlQuery *prepareInsertUserQuery(const CvUser &user);
    QSqlQuery *prepareUpdateUserQuery(const CvUser &user);
    QSqlQuery *prepareInsertUserRefQuery(const CvUserRef &ref);
    QSqlQuery *prepareUpdateUserNameQuery(const CvUserRef &ref);
    QSqlQuery *prepareSelectUserQuery(const QString &value, CvCache::UserSearchField field);
    QSqlQuery *prepareSelectUsersQuery();
    QSqlQuery *prepareSelectUserNameQuery(const QString &id);
    QSqlQuery *prepareInsertFriendshipQuery(const QString &user, const QString &friendId);
    QSqlQuery *prepareSelectFriendshipQuery(const QString &user, const QString &friendId);
    QSqlQuery *prepareSelectFriendsQuery(const QString &userId, const CvDataFilter &filter);
    QSqlQuery *prepareSelectFriendRefsQuery(const QString &userId, const CvDataFilter &filter);

    // Row parsers: every row of \a query from its current position.
    CvUsers parseUsers(QSqlQuery *query);
    CvUserRefs parseUserRefs(QSqlQuery *query);
    CvUsers parseBirthdays(QSqlQuery *query);
    // Sets \a ref to (id, stored name) when the user is stored; true when ref has an id then.
    bool getUserRef(const QString &id, CvUserRef *ref);

    // Events, groups, check-ins and places (cvqueries_events.cpp)
    QSqlQuery *prepareInsertEventQuery(const QString &userId, const CvEvent &event);
    QSqlQuery *prepareUpdateEventQuery(const QString &userId, const CvEvent &event);
    QSqlQuery *prepareSelectEventQuery(const QString &userId, const QString &eventId);
    QSqlQuery *prepareSelectEventsQuery(const QString &userId, const CvDataFilter &filter);
    QSqlQuery *prepareInsertGroupQuery(const QString &userId, const CvGroup &group);
    QSqlQuery *prepareUpdateGroupQuery(const QString &userId, const CvGroup &group);
    QSqlQuery *prepareSelectGroupQuery(const QString &groupId, const QString &userId);
    QSqlQuery *prepareSelectGroupsQuery(const QString &userId, const CvDataFilter &filter);
    QSqlQuery *prepareInsertCheckinQuery(const QString &userId, const CvCheckin &checkin);
    QSqlQuery *prepareUpdateCheckinQuery(const QString &userId, const CvCheckin &checkin);
    QSqlQuery *prepareSelectCheckinQuery(const QString &checkinId, const QString &userId);
    QSqlQuery *prepareSelectCheckinsQuery(const QString &userId, const CvDataFilter &filter);
    QSqlQuery *prepareInsertPlaceQuery(const CvPlace &place, const QString &parentId);
    QSqlQuery *prepareSelectPlaceQuery(const QString &placeId, const QString &parentId);
    CvEvents parseEvents(QSqlQuery *query);
    CvGroups parseGroups(QSqlQuery *query);
    CvCheckins parseCheckins(QSqlQuery *query);
    // The place of the current row.
    static CvPlace parsePlace(const QSqlQuery &query);
    // The stored place (placeId, parentId), or an empty place.
    CvPlace readPlace(const QString &placeId, const QString &parentId);
    // References of the user ids that \a query (bound, not executed) returns.
    CvUserRefs readUserRefs(QSqlQuery *query);
    // The stored actions of a post, in the order they were written.
    CvActions readPostActions(const QString &postId);

    // Posts, feeds and comments (cvqueries_posts.cpp)
    QSqlQuery *prepareInsertPostQuery(const CvPost &post);
    QSqlQuery *prepareUpdatePostQuery(const CvPost &post);
    QSqlQuery *prepareSelectPostQuery(const QString &id);
    // The feed statement of NewsFeed and ProfileFeed, or null for another type.
    QSqlQuery *prepareSelectFeedQuery(CvCache::PostType type, const QString &userId,
                                      const CvDataFilter &filter, const QString &typePattern);
    QSqlQuery *prepareInsertCommentQuery(const CvMessage &comment);
    QSqlQuery *prepareSelectCommentQuery(const QString &id);
    CvPosts parsePosts(QSqlQuery *query);
    CvComments parseComments(QSqlQuery *query, QString *target = nullptr);
    static CvActions parseActions(QSqlQuery *query);
    // Comment link table of \a target, or an empty name for a value outside the enumeration.
    static QString commentTargetTable(CommentTarget target);

    // Threads, messages and attachments (cvqueries_threads.cpp)
    // Stored key of a thread: its id, "_" and the box value.
    static QString threadKey(const QString &threadId, MessageBoxType box);
    QSqlQuery *prepareInsertThreadQuery(const QString &viewerId, MessageBoxType box,
                                        const CvThread &thread);
    QSqlQuery *prepareUpdateThreadQuery(const QString &viewerId, MessageBoxType box,
                                        const CvThread &thread);
    QSqlQuery *prepareSelectThreadQuery(const QString &viewerId, const QString &key);
    QSqlQuery *prepareSelectThreadsQuery(const QString &viewerId, MessageBoxType box,
                                         const CvDataFilter &filter);
    QSqlQuery *prepareInsertMessageQuery(const QString &threadId, const CvMessage &message);
    QSqlQuery *prepareUpdateMessageQuery(const QString &threadId, const CvMessage &message);
    QSqlQuery *prepareSelectMessageQuery(const QString &threadId, const QString &messageId);
    QSqlQuery *prepareSelectMessagesQuery(const QString &threadId, const CvDataFilter &filter);
    QSqlQuery *prepareInsertAttachmentQuery(const QString &threadId,
                                            const CvAttachment &attachment);
    QSqlQuery *prepareSelectAttachmentQuery(const QString &threadId, const QString &messageId);
    QSqlQuery *prepareSelectAttachmentsQuery(const QString &threadId);
    CvThreads parseThreads(QSqlQuery *query, MessageBoxType box);
    CvMessages parseMessages(QSqlQuery *query);
    static CvAttachments parseAttachments(QSqlQuery *query);

    // Drops every kept statement.
    void clear();

    // "CREATE TABLE IF NOT EXISTS" texts of the 25 tables, in creation order.
    static const QStringList &createTableTexts();
    // "CREATE INDEX IF NOT EXISTS" texts run after the tables (cvqueries_posts.cpp). They leave
    // the tables and the schema version alone, so older files gain them on their next open.
    static const QStringList &createIndexTexts();
    // Lower and upper time bounds of a windowed read as ISO 8601 text: the filter's since, or the
    // epoch; the filter's until, or a thousand years from now.
    static QString lowerBound(const CvDataFilter &filter);
    static QString upperBound(const CvDataFilter &filter);
    // Link table of \a type, or an empty name for a value outside the enumeration.
    static QString postTypeTable(CvCache::PostType type);

private:
    CvCachePrivate *const d;
    // Keyed by statement text. The map owns the statements; clear() finalizes them all.
    std::unordered_map<QString, std::unique_ptr<QSqlQuery>> m_kept;
    // Keyed by the select text, which names the table and both columns.
    std::unordered_map<QString, std::unique_ptr<UpdateTableTargetQuery>> m_tableTargets;
};

} // namespace Cv

#endif // CVQUERIES_P_H
