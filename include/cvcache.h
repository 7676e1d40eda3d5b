#ifndef CVCACHE_H
#define CVCACHE_H

#include "cvdatafilter.h"
#include "cvexport.h"
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
#include "cvpost.h"
#include "cvthread.h"

#include <QDateTime>

#include <QByteArray>
#include <QFlags>
#include <QObject>
#include <QString>

#include <memory>

namespace Cv {

class CvCacheConfiguration;
class CvCachePrivate;

/*!
 * The local copy of a user's data: an SQLite database and a directory of downloaded files.
 * Call init() before anything else; every other operation returns false (or UpdateFailed, or an
 * empty value) while the cache is not initialised. Failures are kept in an error record read with
 * lastError() and lastErrorDescription(). All calls must come from the thread that created the
 * object; several caches on different database files can live in one process.
 */
class CV_EXPORT CvCache : public QObject
{
    Q_OBJECT

public:
    //! Options of init().
    enum InitOption {
        ClearDatabase = 0x1, //!< delete the database file first: start empty
        RecreateIncompatibleDatabase = 0x2, //!< recreate a database of another schema version
        ClearDiskCache = 0x4 //!< empty the file store before opening
    };
    //! A combination of InitOption values.
    Q_DECLARE_FLAGS(InitOptions, InitOption)
    Q_FLAG(InitOptions)

    //! Outcome of a single-item write.
    enum UpdateResult {
        UpdateFailed = 0, //!< the write failed, or the item was not valid
        NotChanged = 1, //!< an equal item was stored already; nothing written
        Updated = 2, //!< an existing row was updated
        Inserted = 3 //!< a new row was inserted
    };
    Q_ENUM(UpdateResult)

    //! Category of the last recorded error.
    enum ErrorType {
        DatabaseError = 0, //!< any database or cache error not listed below
        DatabaseBusy = 1, //!< the database was busy
        DatabaseLocked = 2, //!< a table was locked
        ItemNotFound = 3 //!< a single-item read found nothing
    };
    Q_ENUM(ErrorType)

    //! The list a post is filed under.
    enum PostType { NewsFeed = 0, ProfileFeed = 1, Inbox = 2, Outbox = 3 };
    Q_ENUM(PostType)

    //! Column that getUser() matches.
    enum UserSearchField { ById = 0, ByEmail = 1 };
    Q_ENUM(UserSearchField)

    //! A cache with the default configuration.
    explicit CvCache(QObject *parent = nullptr);
    //! A cache that keeps a clone of \a configuration.
    explicit CvCache(const CvCacheConfiguration &configuration, QObject *parent = nullptr);
    //! Closes the database.
    ~CvCache() override;

    //! Opens the database, creating it and its tables when needed. False when already
    //! initialised or when the database cannot be opened or has another schema version.
    bool init(InitOptions options = InitOptions());
    //! True between a successful init() and close().
    bool isInitialized() const;
    //! Closes the database; init() may be called again afterwards.
    void close();
    //! Removes the file-store directory with everything in it.
    void clearDiskCache();
    //! close(), clearDiskCache(), then deletes the database file.
    void clear();

    //! Category of the last recorded error.
    ErrorType lastError() const;
    //! Text of the last recorded error.
    QString lastErrorDescription() const;

    //! \name Key/value data
    //! @{
    //! Sets \a value to the text stored under \a key; false when there is none.
    bool getUserData(const QString &key, QString *value);
    //! Stores \a value under \a key, replacing an earlier value.
    bool updateUserData(const QString &key, const QString &value);
    //! Removes \a key; true also when it was not stored.
    bool removeUserData(const QString &key);
    //! @}

    //! \name File store
    //! A key names a file below the store directory and may contain "/" for subdirectories; a
    //! key without "." gets the suffix of its image type when stored.
    //! @{
    //! Stores \a data under \a key and returns the file's path, or an empty string.
    QString updateFile(const QString &key, const QByteArray &data);
    //! Name of a stored file whose name starts with the file name of \a key, or empty.
    QString searchFile(const QString &key);
    //! Content of the file stored under \a key, or an empty array.
    QByteArray getFile(const QString &key);
    //! Path of the file stored under \a key, or an empty string.
    QString getFilePath(const QString &key);
    //! Whether a file is stored under \a key.
    bool fileExists(const QString &key);
    //! Removes the file named by \a key itself.
    bool removeFile(const QString &key);
    //! @}

    //! \name Users and friendships
    //! A friendship is stored in both directions; both users must be stored first. Removing a
    //! user removes everything stored about that user.
    //! @{
    //! Stores \a user. When \a filter names fields, only those fields of a stored user change.
    UpdateResult updateUser(const CvUser &user, const CvDataFilter &filter = CvDataFilter());
    //! Stores \a users as updateUser() does, all or none.
    bool updateUsers(const CvUsers &users, const CvDataFilter &filter = CvDataFilter());
    //! Stores \a friends and makes each a friend of \a userId, all or none.
    bool updateFriends(const QString &userId, const CvUsers &friends,
                       const CvDataFilter &filter = CvDataFilter());
    //! Stores each reference as a user (id and name) and a friend of \a userId, all or none.
    bool addFriends(const QString &userId, const CvUserRefs &friends);
    //! Makes each stored user of \a friends a friend of \a userId, all or none.
    bool addFriendships(const QString &userId, const CvUserRefs &friends);
    //! Makes the stored users \a userId and \a friendId friends.
    bool addFriendship(const QString &userId, const QString &friendId);
    //! Removes each user of \a friends, with everything stored about them, all or none.
    bool removeFriends(const QString &userId, const CvUserRefs &friends);
    //! Removes the friendship of \a a and \a b in both directions; the users stay.
    bool removeFriendship(const QString &a, const QString &b);
    //! Removes the user \a id and everything that refers to it.
    bool removeUser(const QString &id);
    //! Whether \a friendId is stored as a friend of \a userId.
    bool isFriend(const QString &userId, const QString &friendId);
    //! Reads the user whose id (or e-mail address) is \a value; false when there is none.
    bool getUser(const QString &value, CvUser *user, UserSearchField field = ById);
    //! Reads all stored users, ordered by name.
    bool getUsers(CvUsers *users);
    //! Reads the friends of \a userId ordered by name, paged by the filter's offset and limit.
    bool getFriends(const QString &userId, CvUsers *friends,
                    const CvDataFilter &filter = CvDataFilter());
    //! As getFriends(), as references (id and name).
    bool getFriendRefs(const QString &userId, CvUserRefs *friends,
                       const CvDataFilter &filter = CvDataFilter());
    //! Friends of \a userId whose birthday ("MM/dd..." text) falls between the month and day of
    //! the filter's since and until, both included, ordered by birthday; a window whose until
    //! lies in a later year runs over the new year. Each user carries id, name and birthday.
    bool getBirthdays(const QString &userId, CvUsers *friends, const CvDataFilter &filter);
    //! @}

    //! \name Events, groups, check-ins and places
    //! Every row records the user whose list it belongs to, and every read and write is scoped by
    //! that user. Known limitation: events, groups and check-ins are keyed by their id alone, so
    //! one object is stored once whatever the user. Writing an object already stored for another
    //! user finds no row for its own user, inserts, and fails on the key (a batch rolls back
    //! whole). Widening the keys needs a schema migration.
    //! @{
    //! Stores \a event for \a userId. An empty RSVP status or missing update time keeps the
    //! stored one; an update older than the stored event is ignored (NotChanged).
    UpdateResult updateEvent(const QString &userId, const CvEvent &event);
    //! Stores \a events as updateEvent() does, all or none.
    bool updateEvents(const QString &userId, const CvEvents &events);
    //! Reads the event \a eventId of \a userId; false when there is none.
    bool getEvent(const QString &userId, const QString &eventId, CvEvent *event);
    //! Events of \a userId starting between the filter's since and until (both included; events
    //! without a start time always pass), latest start first, paged by offset and limit.
    bool getEvents(const QString &userId, CvEvents *events,
                   const CvDataFilter &filter = CvDataFilter());
    //! Removes the listed events of \a userId, all or none.
    bool removeEvents(const QString &userId, const CvEvents &events);
    //! Removes every event updated before \a olderThan or never; false for an invalid time.
    bool removeEvents(const QDateTime &olderThan);
    //! Stores \a group for \a userId, with its owner as a user.
    UpdateResult updateGroup(const QString &userId, const CvGroup &group);
    //! Stores \a groups as updateGroup() does, all or none.
    bool updateGroups(const QString &userId, const CvGroups &groups);
    //! Reads the group \a groupId of \a userId; false when there is none.
    bool getGroup(const QString &groupId, CvGroup *group, const QString &userId);
    //! Groups of \a userId, latest update first, paged by the filter's offset and limit.
    bool getGroups(const QString &userId, CvGroups *groups,
                   const CvDataFilter &filter = CvDataFilter());
    //! Removes the listed groups of \a userId, all or none.
    bool removeGroups(const QString &userId, const CvGroups &groups);
    //! Stores \a checkin for \a userId with its people, tags and place (which must be valid).
    //! A stored check-in changes only its message; tags of earlier writes stay.
    UpdateResult updateCheckin(const QString &userId, const CvCheckin &checkin);
    //! Stores \a checkins as updateCheckin() does, all or none.
    bool updateCheckins(const QString &userId, const CvCheckins &checkins);
    //! Reads the check-in \a checkinId of \a userId; false when there is none.
    bool getCheckin(const QString &checkinId, CvCheckin *checkin, const QString &userId);
    //! Check-ins of \a userId, newest first, paged by the filter's offset and limit.
    bool getCheckins(const QString &userId, CvCheckins *checkins,
                     const CvDataFilter &filter = CvDataFilter());
    //! Removes the listed check-ins of \a userId with their places and tags, all or none.
    bool removeCheckins(const QString &userId, const CvCheckins &checkins);
    //! @}

    //! \name Posts, feeds and comments
    //! A post is stored once and filed under any number of users' feeds and boxes (PostType).
    //! Its sender and addressees are stored as users; tagged users must be stored already.
    //! @{
    //! Stores \a post in the \a type list of \a userId. Inserted also when an unchanged post is
    //! filed (again) in this list.
    UpdateResult updatePost(const QString &userId, PostType type, const CvPost &post);
    //! Stores \a posts in the \a type list of \a userId, all or none.
    bool updatePosts(const QString &userId, PostType type, const CvPosts &posts);
    //! Replaces the stored post with the same id by \a post; false when none is stored.
    bool updatePost(const CvPost &post);
    //! Adds or takes back one like of the stored post \a postId (never below 0).
    bool likePost(const QString &postId, LikeType like);
    //! Reads the post \a id; false when there is none.
    bool getPost(const QString &id, CvPost *post);
    //! Posts of the \a type list of \a userId. Feeds: created strictly between the filter's
    //! since and until (posts without a creation time always pass), type matching the LIKE
    //! pattern \a typePattern (the profile feed leaves out posts without a type), newest first,
    //! at most the filter's limit. Boxes: all their posts, latest update first.
    bool getPosts(const QString &userId, PostType type, CvPosts *posts,
                  const CvDataFilter &filter = CvDataFilter(),
                  const QString &typePattern = QStringLiteral("%"));
    //! Reads the stored actions of the post \a postId.
    bool getActions(const QString &postId, CvActions *actions);
    //! Removes the listed posts with their places, links and comment links, all or none.
    bool removePosts(const QString &userId, PostType type, const CvPosts &posts);
    //! Removes every post updated before \a olderThan or never, with its place.
    bool removePosts(const QDateTime &olderThan);
    //! Stores \a comment on \a targetId.
    UpdateResult updateComment(CommentTarget target, const QString &targetId,
                               const CvMessage &comment);
    //! Stores \a comments on \a targetId, all or none.
    bool updateComments(CommentTarget target, const QString &targetId, const CvComments &comments);
    //! Reads the comment \a id; false when there is none.
    bool getComment(const QString &id, CvMessage *comment);
    //! Comments on \a targetId created strictly between the filter's since and until (comments
    //! without a creation time always pass), oldest update first, at most the filter's limit.
    bool getComments(CommentTarget target, const QString &targetId, CvComments *comments,
                     const CvDataFilter &filter = CvDataFilter());
    //! Removes the listed comments, all or none.
    bool removeComments(const CvComments &comments);
    //! Removes every comment on \a targetId.
    bool removeComments(CommentTarget target, const QString &targetId);
    //! @}

    //! \name Threads, messages and attachments
    //! A thread is stored per viewer and message box; its messages and attachments belong to the
    //! thread id and are shared by its copies in several boxes. Message authors must be stored.
    //! @{
    //! Stores \a threads of \a viewerId in \a box with participants and senders, all or none.
    bool updateThreads(const QString &viewerId, MessageBoxType box, const CvThreads &threads);
    //! Reads the thread \a threadId of \a viewerId in \a box; false when there is none.
    bool getThread(const QString &viewerId, const QString &threadId, MessageBoxType box,
                   CvThread *thread);
    //! Threads of \a viewerId in \a box updated between the filter's since and until (both
    //! included; threads without an update time pass and sort last), newest first, paged.
    bool getThreads(const QString &viewerId, MessageBoxType box, CvThreads *threads,
                    const CvDataFilter &filter = CvDataFilter());
    //! Removes the thread from \a box; its messages go too unless the thread is still stored
    //! in the other box (sent for the inbox, the inbox for any other box).
    bool removeThread(const QString &viewerId, const QString &threadId, MessageBoxType box);
    //! Removes the listed threads of \a viewerId from \a box, all or none; messages stay.
    bool removeThreads(const QString &viewerId, MessageBoxType box, const CvThreads &threads);
    //! Removes every thread (any viewer and box) updated before \a olderThan or never.
    bool removeThreads(const QDateTime &olderThan);
    //! Stores \a messages of the thread \a threadId, all or none.
    bool updateMessages(const QString &threadId, const CvMessages &messages);
    //! Reads the message \a messageId of \a threadId; false when there is none.
    bool getMessage(const QString &threadId, const QString &messageId, CvMessage *message);
    //! Messages of \a threadId sent between the filter's since and until (both included;
    //! messages without a time never pass), newest first, paged by offset and limit.
    bool getMessages(const QString &threadId, CvMessages *messages,
                     const CvDataFilter &filter = CvDataFilter());
    //! Removes one message with its attachment.
    bool removeMessage(const QString &threadId, const QString &messageId);
    //! Removes every message of \a threadId that has a time, all or none.
    bool removeMessages(const QString &threadId);
    //! Stores \a attachments of \a threadId (one per message), all or none. An attachment that
    //! differs from the stored one of its message replaces it.
    bool updateAttachments(const QString &threadId, const CvAttachments &attachments);
    //! Reads the attachment of message \a messageId; false when there is none.
    bool getAttachment(const QString &threadId, const QString &messageId, CvAttachment *attachment);
    //! Attachments of \a threadId, by message id descending.
    bool getAttachments(const QString &threadId, CvAttachments *attachments);
    //! @}

private:
    Q_DISABLE_COPY_MOVE(CvCache)
    Q_DECLARE_PRIVATE(CvCache)
    std::unique_ptr<CvCachePrivate> const d_ptr;
};

} // namespace Cv

Q_DECLARE_OPERATORS_FOR_FLAGS(Cv::CvCache::InitOptions)

#endif // CVCACHE_H
