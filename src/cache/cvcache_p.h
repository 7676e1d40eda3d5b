#ifndef CVCACHE_P_H
#define CVCACHE_P_H

#include "cvcache.h"
#include "cvcacheconfiguration.h"

#include "cache/cvqueries_p.h"

#include <QHash>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>
#include <memory>

namespace Cv {

class CvCachePrivate
{
    Q_DECLARE_PUBLIC(CvCache)

public:
    static constexpr int SchemaVersion = 27;

    CvCachePrivate(CvCache *q, CvCacheConfiguration *configuration);
    ~CvCachePrivate();

    bool isOpen() const { return db.isValid(); }

    // Why the last initDb() failed. Only an unusable file, or one of another schema that the
    // options allow to recreate, is worth clearing; anything else (busy, locked, read-only, full,
    // an I/O error, a protected schema) holds data that must survive.
    enum class InitFailure { None, Unusable, Incompatible, Unavailable };
    InitFailure initFailure = InitFailure::None;
    static const CvCachePrivate *get(const CvCache *cache) { return cache->d_func(); }

    // --- lifecycle (cvcache.cpp) ---------------------------------------------------------------
    // Opens the connection, creating the schema when the file is new. A file that is not a
    // database, or (with RecreateIncompatibleDatabase) one of another schema, is deleted and
    // opened again once. Every failure is recorded and leaves the cache closed.
    bool initDb(CvCache::InitOptions options);
    // The steps of initDb(). Each records its own error; failInit() is the one exit for all.
    enum class OpenResult { Opened, Unusable, Failed };
    // Opens and reads the file, then applies the connection settings. Unusable (not a database,
    // corrupt) leaves the connection closed and the reason in \a unusableError, not recorded,
    // since a recreation may follow.
    OpenResult openAndProbe(QSqlError *unusableError);
    enum class SchemaState { Compatible, Incompatible, Failed };
    // Compares the stored schema version with SchemaVersion; a new file is stamped with it.
    SchemaState readSchemaVersion();
    // Creates the tables and indexes that do not exist yet.
    bool createSchema();
    bool failInit();
    void closeDb();
    void clearDiskCache();
    void removeDatabaseFile();
    static bool removeDirectory(const QString &path);

    // --- error record --------------------------------------------------------------------------
    // Each replaces the previous record and writes a warning with the error text.
    void recordError(const QSqlError &error);
    void recordError(const QSqlQuery &query);
    void recordError(const CvStatement &query);
    void recordDatabaseError();
    void recordError(const QString &text, CvCache::ErrorType type);
    // "Item was not found" (ItemNotFound): a single-item read without a row. Not a warning.
    void recordNotFound(const QString &text = QString());

    // --- checked execution ---------------------------------------------------------------------
    // Executes \a query; a failure is recorded. The query stays active for reading.
    bool exec(CvStatement *query);
    // Executes a statement that returns no rows and finishes it; a failure is recorded.
    bool execWrite(CvStatement *query);
    // Prepares \a text on a fresh query of the connection, binds \a values, executes and
    // finishes it. For the per-call writes and deletes.
    bool execPerCall(const QString &text, std::initializer_list<QVariant> values = {});

    // --- transactions --------------------------------------------------------------------------
    bool beginTransaction();
    bool commitTransaction();
    void rollbackTransaction();

    // Runs \a step (item -> bool) for each item inside one transaction. The first failing step
    // rolls everything back (the step has recorded its error); an empty list commits an empty
    // transaction. False at once when the cache is not initialised.
    template<typename List, typename Step>
    bool runBatch(const List &items, Step step)
    {
        if (!isOpen())
            return false;
        if (!beginTransaction())
            return false;
        for (const auto &item : items) {
            if (!step(item)) {
                rollbackTransaction();
                return false;
            }
        }
        return commitTransaction();
    }

    // One transaction around a single-item step returning an UpdateResult.
    template<typename Step>
    CvCache::UpdateResult runSingle(Step step)
    {
        if (!isOpen())
            return CvCache::UpdateFailed;
        if (!beginTransaction())
            return CvCache::UpdateFailed;
        const CvCache::UpdateResult result = step();
        if (result == CvCache::UpdateFailed) {
            rollbackTransaction();
            return CvCache::UpdateFailed;
        }
        return commitTransaction() ? result : CvCache::UpdateFailed;
    }

    // The insert-or-update decision of a per-item step:
    //   read(T *stored) -> bool      the entity's single-item read (records ItemNotFound)
    //   writeUsers() -> bool         writes the users the item refers to
    //   prepare(bool update, CvStatement *scratch) -> CvStatement *
    //                                the bound UPDATE (update) or INSERT statement: a kept one,
    //                                or a per-call one prepared on scratch; null on failure
    // An equal stored item gives NotChanged and writes nothing.
    template<typename T, typename Read, typename WriteUsers, typename Prepare>
    CvCache::UpdateResult insertOrUpdate(const T &item, Read read, WriteUsers writeUsers,
                                         Prepare prepare)
    {
        T stored;
        const bool found = read(&stored) && stored.isValid();
        if (found && stored == item)
            return CvCache::NotChanged;
        if (!writeUsers())
            return CvCache::UpdateFailed;
        CvStatement scratch(db);
        CvStatement *query = prepare(found, &scratch);
        if (!query || !execWrite(query))
            return CvCache::UpdateFailed;
        return found ? CvCache::Updated : CvCache::Inserted;
    }

    // Single-item read: executes \a query, parses its rows with parse(CvStatement *) -> QList<T>,
    // finishes it; no row records \a notFoundText (default "Item was not found") as ItemNotFound.
    template<typename T, typename Parse>
    bool readOne(CvStatement *query, T *item, Parse parse, const QString &notFoundText = QString())
    {
        if (!query || !exec(query)) {
            if (query)
                query->finish();
            return false;
        }
        const QList<T> items = parse(query);
        query->finish();
        if (items.isEmpty()) {
            recordNotFound(notFoundText);
            return false;
        }
        *item = items.first();
        return true;
    }

    // List read: executes \a query, replaces \a items with the parsed rows, finishes it.
    template<typename T, typename Parse>
    bool readList(CvStatement *query, QList<T> *items, Parse parse)
    {
        if (!query || !exec(query)) {
            if (query)
                query->finish();
            return false;
        }
        *items = parse(query);
        query->finish();
        return true;
    }

    // Inserts the row (first, second) into a two-column link table unless it is stored already.
    bool updateTableTarget(const QString &table, const QPair<QString, QString> &first,
                           const QPair<QString, QString> &second);

    // Deletes the rows of \a table whose \a column is NULL or earlier than \a olderThan.
    bool removeOlderThan(const QString &table, const QString &column, const QDateTime &olderThan);

    // --- users and friendships (cvcache_users.cpp) ---------------------------------------------
    bool getUser(const QString &value, CvUser *user, CvCache::UserSearchField field);
    bool getUsers(CvUsers *users);
    // The reference-user write: inserts (id, name) or renames a stored user; a reference without
    // a name leaves a stored user alone. Callers pass references with an id.
    CvCache::UpdateResult writeUserRef(const CvUserRef &ref);
    // Writes a user met in other data: a reference-only user changes no more than the name of a
    // stored user; a full user replaces a different stored one; an unknown user is inserted.
    CvCache::UpdateResult writeUser(const CvUser &user);
    // Existing-user write: name only for a reference-only user, all columns otherwise.
    bool writeStoredUser(const CvUser &user);
    bool insertUser(const CvUser &user);
    // Stores the friendship in both directions; an existing pair is a success.
    bool updateFriendships(const QString &a, const QString &b);
    bool removeUser(const QString &id);
    bool removeFriendship(const QString &a, const QString &b);
    bool isFriend(const QString &a, const QString &b);
    CvCache::UpdateResult updateUserStep(const CvUser &user, const CvDataFilter &filter);
    // updateUsers (friendOf null) and updateFriends.
    bool updateUserList(const QString *friendOf, const CvUsers &users, const CvDataFilter &filter);
    // Copies the fields named by the filter (all when it names none) from newUser to stored.
    static void mergeUserFields(const CvUser &newUser, CvUser *stored, const CvDataFilter &filter);

    // --- events, groups, check-ins and places (cvcache_events.cpp) ----------------------------
    CvCache::UpdateResult updateEventStep(const QString &userId, const CvEvent &event);
    CvCache::UpdateResult updateGroupStep(const QString &userId, const CvGroup &group);
    CvCache::UpdateResult updateCheckinStep(const QString &userId, const CvCheckin &checkin);
    bool getEvent(const QString &userId, const QString &eventId, CvEvent *event);
    bool getGroup(const QString &groupId, CvGroup *group, const QString &userId);
    bool getCheckin(const QString &checkinId, CvCheckin *checkin, const QString &userId);
    // Inserts or replaces \a place under its carrier \a parentId; an invalid place fails.
    bool updatePlace(const CvPlace &place, const QString &parentId);
    // Writes each reference with an id through writeUserRef(); false at the first failure.
    bool writeUserRefs(const CvUserRefs &refs);

    // --- posts, feeds and comments (cvcache_posts.cpp) -----------------------------------------
    // \a written remembers the references written in the current batch, so that a sender met
    // again is not read and written again; null writes every time.
    CvCache::UpdateResult updatePostStep(const QString &userId, CvCache::PostType type,
                                         const CvPost &post);
    bool updatePostInBatch(const QString &userId, CvCache::PostType type, const CvPost &post,
                           QHash<QString, QString> *written);
    bool writePostDetails(const QString &userId, CvCache::PostType type, const CvPost &post,
                          bool fresh, QHash<QString, QString> *written);
    // Stores the post's actions unless the stored ones already equal them.
    bool writePostActions(const CvPost &post, bool fresh);
    bool writePostUsers(const CvPost &post, QHash<QString, QString> *written);
    bool writeRefOnce(const CvUserRef &ref, QHash<QString, QString> *written);
    bool getPost(const QString &id, CvPost *post);
    CvCache::UpdateResult changePost(const CvPost &post,
                                     const std::function<void(CvPost *)> &modify);
    // \a written, when given, holds the people this batch has written already.
    CvCache::UpdateResult updateCommentStep(CommentTarget target, const QString &targetId,
                                            const CvMessage &comment,
                                            QHash<QString, QString> *written = nullptr);
    bool getComment(const QString &id, CvMessage *comment);
    bool getComments(CommentTarget target, const QString &targetId, CvComments *comments,
                     const CvDataFilter &filter);
    bool removeComments(const CvComments &comments);

    // --- threads, messages and attachments (cvcache_threads.cpp) -------------------------------
    CvCache::UpdateResult updateThreadStep(const QString &viewerId, MessageBoxType box,
                                           const CvThread &thread);
    CvCache::UpdateResult updateMessageStep(const QString &threadId, const CvMessage &message);
    CvCache::UpdateResult updateAttachmentStep(const QString &threadId,
                                               const CvAttachment &attachment);
    bool getThread(const QString &viewerId, const QString &threadId, MessageBoxType box,
                   CvThread *thread);
    bool getMessage(const QString &threadId, const QString &messageId, CvMessage *message);
    bool getMessages(const QString &threadId, CvMessages *messages, const CvDataFilter &filter);
    bool getAttachment(const QString &threadId, const QString &messageId, CvAttachment *attachment);
    bool removeMessages(const QString &threadId);

    // --- file store (cvcache_files.cpp) -------------------------------------------------------
    bool getFilePath(const QString &key, QString *path);
    static bool isSafeKey(const QString &key);

    CvCache *q_ptr;
    std::unique_ptr<CvCacheConfiguration> config;
    QSqlDatabase db;
    // The connection's native handle while the cache's frequent statements may use it directly
    // (nativeSqliteHandle()); null when they go through QtSql.
    sqlite3 *native = nullptr;
    QString connectionName;
    QString lastErrorDescription;
    QSqlError lastSqlError;
    CvCache::ErrorType lastErrorType = CvCache::DatabaseError;
    QHash<QString, QString> fileIndex;
    CvQueries queries;
};

} // namespace Cv

#endif // CVCACHE_P_H
