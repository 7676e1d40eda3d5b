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

#include "cache/cvstatement_p.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <QHash>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace Cv {

class CvCachePrivate;
class CvDataFilter;

// The insert of one link table and column pair, prepared once. It adds the row unless the pair is
// stored already, in one step: what a count of the pair followed by an insert when it is 0 does,
// errors included, since the insert part is the same. The pair is every link table's key, so the
// key itself finds a stored pair: one search instead of two, and no statement journal.
struct UpdateTableTargetQuery
{
    UpdateTableTargetQuery(const QSqlDatabase &db, sqlite3 *native, const QString &table,
                           const QString &firstColumn, const QString &secondColumn)
        : table(table)
        , firstColumn(firstColumn)
        , secondColumn(secondColumn)
        , insert(db, native)
    {
    }
    QString table;
    QString firstColumn;
    QString secondColumn;
    CvStatement insert;
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
    CvStatement *keptStatement(const QString &text);
    // The kept statement for \a text with \a values bound by position, or null as
    // keptStatement().
    CvStatement *boundStatement(const QString &text, std::initializer_list<QVariant> values);
    // Prepares \a text on the caller's own \a query and binds \a values; records a failure.
    bool preparePerCall(CvStatement *query, const QString &text,
                        std::initializer_list<QVariant> values = {});

    // The link-table statements for (table, firstColumn, secondColumn), created on first use.
    UpdateTableTargetQuery *tableTargetQuery(const QString &table, const QString &firstColumn,
                                             const QString &secondColumn);

    // Users and friendships: kept statements with their values bound, or null.
    CvStatement *prepareInsertUserQuery(const CvUser &user);
    CvStatement *prepareUpdateUserQuery(const CvUser &user);
    CvStatement *prepareInsertUserRefQuery(const CvUserRef &ref);
    CvStatement *prepareUpdateUserNameQuery(const CvUserRef &ref);
    CvStatement *prepareSelectUserQuery(const QString &value, CvCache::UserSearchField field);
    CvStatement *prepareSelectUsersQuery();
    CvStatement *prepareSelectUserNameQuery(const QString &id);
    CvStatement *prepareInsertFriendshipQuery(const QString &user, const QString &friendId);
    CvStatement *prepareSelectFriendshipQuery(const QString &user, const QString &friendId);
    CvStatement *prepareSelectFriendsQuery(const QString &userId, const CvDataFilter &filter);
    CvStatement *prepareSelectFriendRefsQuery(const QString &userId, const CvDataFilter &filter);

    // Row parsers: every row of \a query from its current position.
    CvUsers parseUsers(CvStatement *query);
    CvUserRefs parseUserRefs(CvStatement *query);
    CvUsers parseBirthdays(CvStatement *query);
    // Sets \a ref to (id, stored name) when the user is stored; true when ref has an id then.
    bool getUserRef(const QString &id, CvUserRef *ref);

    // Events, groups, check-ins and places (cvqueries_events.cpp)
    CvStatement *prepareInsertEventQuery(const QString &userId, const CvEvent &event);
    CvStatement *prepareUpdateEventQuery(const QString &userId, const CvEvent &event);
    CvStatement *prepareSelectEventQuery(const QString &userId, const QString &eventId);
    CvStatement *prepareSelectEventsQuery(const QString &userId, const CvDataFilter &filter);
    CvStatement *prepareInsertGroupQuery(const QString &userId, const CvGroup &group);
    CvStatement *prepareUpdateGroupQuery(const QString &userId, const CvGroup &group);
    CvStatement *prepareSelectGroupQuery(const QString &groupId, const QString &userId);
    CvStatement *prepareSelectGroupsQuery(const QString &userId, const CvDataFilter &filter);
    CvStatement *prepareInsertCheckinQuery(const QString &userId, const CvCheckin &checkin);
    CvStatement *prepareUpdateCheckinQuery(const QString &userId, const CvCheckin &checkin);
    CvStatement *prepareSelectCheckinQuery(const QString &checkinId, const QString &userId);
    CvStatement *prepareSelectCheckinsQuery(const QString &userId, const CvDataFilter &filter);
    CvStatement *prepareInsertPlaceQuery(const CvPlace &place, const QString &parentId);
    CvStatement *prepareSelectPlaceQuery(const QString &placeId, const QString &parentId);
    CvEvents parseEvents(CvStatement *query);
    CvGroups parseGroups(CvStatement *query);
    CvCheckins parseCheckins(CvStatement *query);
    // The place of the current row.
    static CvPlace parsePlace(const CvStatement &query);
    // The stored place (placeId, parentId), or an empty place.
    CvPlace readPlace(const QString &placeId, const QString &parentId);
    // References of the user ids that \a query (bound, not executed) returns.
    CvUserRefs readUserRefs(CvStatement *query);
    // The stored actions of a post, in the order they were written.
    CvActions readPostActions(const QString &postId);

    // Posts, feeds and comments (cvqueries_posts.cpp)
    CvStatement *prepareInsertPostQuery(const CvPost &post);
    CvStatement *prepareUpdatePostQuery(const CvPost &post);
    CvStatement *prepareSelectPostQuery(const QString &id);
    // The feed statement of NewsFeed and ProfileFeed, or null for another type.
    CvStatement *prepareSelectFeedQuery(CvCache::PostType type, const QString &userId,
                                        const CvDataFilter &filter, const QString &typePattern);
    CvStatement *prepareInsertCommentQuery(const CvMessage &comment);
    CvStatement *prepareSelectCommentQuery(const QString &id);
    // The posts of \a query's rows with their addressees, tags, actions and names, read with one
    // statement per link table for the whole list.
    CvPosts parsePosts(CvStatement *query);
    CvComments parseComments(CvStatement *query, QString *target = nullptr);
    static CvActions parseActions(CvStatement *query);
    // Comment link table of \a target, or an empty name for a value outside the enumeration.
    static QString commentTargetTable(CommentTarget target);

    // Threads, messages and attachments (cvqueries_threads.cpp)
    // Stored key of a thread: its id, "_" and the box value.
    static QString threadKey(const QString &threadId, MessageBoxType box);
    CvStatement *prepareInsertThreadQuery(const QString &viewerId, MessageBoxType box,
                                          const CvThread &thread);
    CvStatement *prepareUpdateThreadQuery(const QString &viewerId, MessageBoxType box,
                                          const CvThread &thread);
    CvStatement *prepareSelectThreadQuery(const QString &viewerId, const QString &key);
    CvStatement *prepareSelectThreadsQuery(const QString &viewerId, MessageBoxType box,
                                           const CvDataFilter &filter);
    CvStatement *prepareInsertMessageQuery(const QString &threadId, const CvMessage &message);
    CvStatement *prepareUpdateMessageQuery(const QString &threadId, const CvMessage &message);
    CvStatement *prepareSelectMessageQuery(const QString &threadId, const QString &messageId);
    CvStatement *prepareSelectMessagesQuery(const QString &threadId, const CvDataFilter &filter);
    CvStatement *prepareInsertAttachmentQuery(const QString &threadId,
                                              const CvAttachment &attachment);
    CvStatement *prepareSelectAttachmentQuery(const QString &threadId, const QString &messageId);
    CvStatement *prepareSelectAttachmentsQuery(const QString &threadId);
    CvThreads parseThreads(CvStatement *query, MessageBoxType box);
    CvMessages parseMessages(CvStatement *query);
    static CvAttachments parseAttachments(CvStatement *query);

    // Runs \a pattern over \a ids in chunks and calls row(index, query) for every result row.
    // In \a pattern "%1" stands for the rows of a VALUES list of (position in the chunk, id), the
    // columns column1 and column2; each chunk is padded with NULL ids to one of a few lengths, so
    // that few statements are kept. \a index is the id's position in \a ids. A statement that
    // fails is recorded, and its rows are missing.
    void readByIds(const QString &pattern, const QStringList &ids,
                   const std::function<void(qsizetype index, const CvStatement &)> &row);

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
    // Remembers the user names looked up while one list is parsed: its rows name the same
    // people again and again, and nothing is written while a list is read. The outermost parse
    // owns it.
    class NameMemo
    {
    public:
        explicit NameMemo(CvQueries *queries)
            : m_queries(queries)
            , m_owner(!queries->m_names)
        {
            if (m_owner)
                queries->m_names = &m_names;
        }
        ~NameMemo()
        {
            if (m_owner)
                m_queries->m_names = nullptr;
        }
        NameMemo(const NameMemo &) = delete;
        NameMemo &operator=(const NameMemo &) = delete;

    private:
        CvQueries *m_queries;
        bool m_owner;
        QHash<QString, std::optional<QString>> m_names;
    };

    CvCachePrivate *const d;
    // The names of the parse in progress (id -> stored name, or none when not stored).
    QHash<QString, std::optional<QString>> *m_names = nullptr;
    // Keyed by statement text. The map owns the statements; clear() finalizes them all.
    std::unordered_map<QString, std::unique_ptr<CvStatement>> m_kept;
    // Kept statements whose text is a literal, by the literal's address: looking one up then
    // costs no hashing of the whole text. Filled alongside m_kept.
    std::unordered_map<const QChar *, CvStatement *> m_literals;
    // Few (one per link table and column pair): searched in order.
    std::vector<std::unique_ptr<UpdateTableTargetQuery>> m_tableTargets;
};

} // namespace Cv

#endif // CVQUERIES_P_H
