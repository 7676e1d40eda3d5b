#ifndef CORVANA_P_H
#define CORVANA_P_H

#include "corvana.h"
#include "cvcache.h"
#include "cvdatafilter.h"
#include "cvgraph.h"
#include "cvgraphreply.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <initializer_list>
#include <memory>

namespace Cv {

// Request names: the text a request is sent under comes back with its reply and tells the
// private part what the reply is for.
namespace RequestName {
inline const QString BatchNamePhotoTags = QStringLiteral("tags: photo_id=%1 ids=");
inline const QString BatchNameLatestStatusMessage = QStringLiteral("latest_status_message: ids=%1");
inline const QString BatchNameAllNotifications = QStringLiteral("all_notifications:");
inline const QString BatchNameEventDetails = QStringLiteral("event_details: id=%1");
inline const QString BatchNameProfileDetails = QStringLiteral("profile_details: id=%1");
inline const QString BatchNameIfUserLikes = QStringLiteral("if_user_likes: user_id=%1 %2=%3");
} // namespace RequestName

namespace Query {
inline const QString QueryThreadAttachments = QStringLiteral(
    "SELECT thread_id,message_id,attachment FROM message WHERE thread_id=%1 AND viewer_id=%2 "
    "ORDER BY message_id DESC");
inline const QString QueryUnreadThreadCount
    = QStringLiteral("SELECT unread_count FROM unified_thread_count WHERE folder='%1'");
inline const QString QueryPendingFriendRequest
    = QStringLiteral("SELECT uid_to FROM friend_request WHERE uid_from=me() AND uid_to=%1");
inline const QString QueryIsFriend
    = QStringLiteral("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=%1");
inline const QString QueryBirthdaysOfFriends = QStringLiteral(
    "SELECT uid, name, birthday_date FROM user WHERE uid IN (SELECT uid2 FROM friend WHERE uid1 = "
    "me()) AND %1 ORDER BY birthday_date");
inline const QString QueryFriendRequests = QStringLiteral(
    "SELECT uid, name, first_name, pic_square FROM user WHERE uid IN (SELECT uid_from FROM "
    "friend_request WHERE uid_to = me())");
inline const QString QueryNotifications = QStringLiteral(
    "SELECT notification_id, sender_id, object_id, object_type, created_time, updated_time, "
    "title_html, title_text, body_html, body_text, href, app_id, is_unread, is_hidden FROM "
    "notification WHERE recipient_id=me()");
inline const QString QueryEventRsvpStatus
    = QStringLiteral("SELECT rsvp_status FROM event_member WHERE uid=me() AND eid=%1");
inline const QString QueryPostLike
    = QStringLiteral("SELECT user_id, post_id FROM like WHERE post_id=%22%1%22 AND user_id=%2");
inline const QString QueryObjectLike
    = QStringLiteral("SELECT user_id, object_id FROM like WHERE object_id=%22%1%22 AND user_id=%2");
inline const QString QueryThreads = QStringLiteral(
    "SELECT thread_id,timestamp,subject,senders,participants,snippet,snippet_sender,num_messages,"
    "num_unread,object_participants FROM unified_thread WHERE has_tags('%1') %2 ORDER BY "
    "timestamp DESC LIMIT %3,%4");
inline const QString QueryThreadMessages = QStringLiteral(
    "SELECT message_id,thread_id,timestamp,subject,body,unread,sender,recipients,object_sender,"
    "attachments FROM unified_message WHERE thread_id='%1' %2 ORDER BY timestamp DESC LIMIT "
    "%3,%4");
} // namespace Query

class CorvanaPrivate : public QObject
{
    Q_OBJECT
    Q_DECLARE_PUBLIC(Corvana)

public:
    //! What an object request was for; its text is the request name.
    enum ObjectType {
        NoObjectType = 0,
        Album,
        Birthdays,
        Checkin,
        Event,
        Friends,
        Group,
        LikedPages,
        NewsPost,
        Note,
        Page,
        Photo,
        PostComment,
        PhotoComment,
        Profile,
        ProfilePost,
        Video,
        WallPost
    };

    //! Collections the facade keeps in step with the service; each has its own failure text.
    enum SyncKind {
        NewsFeedSync = 0,
        ProfileFeedSync,
        StatusMessagesSync,
        CommentsSync,
        ThreadsSync,
        EventsSync,
        GroupsSync,
        CheckinsSync
    };

    explicit CorvanaPrivate(Corvana *q);
    ~CorvanaPrivate() override;

    // Shared by every operation.
    Corvana::ReturnCode getId(QString *id) const;
    bool shouldDispatchToNetwork(Corvana::RetrieveBehavior behavior) const;
    Corvana::ReturnCode dispatchDataRequest(const QUrl &url, const QString &dataId);
    void setupGraph(const QString &accessToken, const QString &locale);
    //! Logs \a warning (a "%1" text; none when empty) with the cache's error description and
    //! emits error() of type CacheError with that description and \a objectId.
    void emitCacheError(const QString &objectId = QString(),
                        const QString &warning = QStringLiteral("Cache update failed: %1"));
    //! The failure of a synchronization of \a kind: its warning (if the kind has one) and the
    //! CacheError.
    void emitSyncError(SyncKind kind, const QString &objectId = QString());
    static QString syncFailureWarning(SyncKind kind);
    void emitError(CvError::ErrorType type, const QString &objectId);

    static QString filterToString(const CvDataFilter &filter);
    static CvDataFilter filterFromString(const QString &text);
    static QString objectTypeToString(ObjectType type);
    static ObjectType objectTypeFromString(const QString &text);
    static QString requestNameValue(const QString &name, const QString &key);
    static CvDataFilter filterFromObjectData(const QVariantMap &data);
    static QString cvqlQueryPath(const QString &query);
    static QString fileNameFromUrl(const QUrl &url);
    static QString dataIdFromUrl(const QUrl &url);
    static QSet<QString> profileFields();

    // Profiles, friends and birthdays.
    void processProfile(const QString &id, const QVariantMap &data);
    void processProfileDetails(const QString &name, const QList<CvGraphReply> &replies);
    void processFriends(const CvDataFilter &filter, const QVariantMap &data);
    void synchronizeFriends(const QString &profileId, const QVariantMap &data);
    void processBirthdaysOfFriends(const QString &profileId, const QVariantList &rows);
    void processFriendCheck(const QString &name, const QVariantList &rows, const QString &key,
                            void (Corvana::*signal)(const QString &, bool));
    static QString birthdayCondition(const QDateTime &since, const QDateTime &until);
    static bool birthdayLessThanIgnoreYear(const CvUser &a, const CvUser &b);
    static void sortFriendsIntoUpcomingBirthdayOrder(CvUsers *users, const QDate &today);
    void storePublicData(const QString &name, const QUrl &location, const QByteArray &data);

    // Feeds, posts and comments
    Corvana::ReturnCode retrievePostList(CvPosts *posts, const CvDataFilter &filter,
                                         CvCache::PostType type, const QString &postType,
                                         Corvana::RetrieveBehavior behavior);
    QString takeQueuedPostType();
    bool storeTaggedPeople(const CvPosts &posts);
    bool synchronizePosts(
        const QString &owner, CvCache::PostType type, const QString &postType,
        const CvDataFilter &filter, const CvPosts &posts, bool complete,
        const std::function<void(const CvPosts &, const CvPosts &, const CvPosts &)> &emitUpdated);
    void processNewsFeed(const CvDataFilter &filter, const QVariantMap &data);
    void processProfileFeed(const CvDataFilter &filter, const QString &id, const QVariantMap &data);
    void processStatusMessages(const CvDataFilter &filter, const QString &id,
                               const QVariantMap &data);
    void storeStatusComments(const CvPosts &statuses, const QVariantList &raw);
    void processComments(const CvDataFilter &filter, const QString &objectId,
                         const QVariantMap &data);
    void processLikes(const QString &objectId, const QVariantMap &data);
    void processSinglePost(ObjectType type, const QVariantMap &data);
    void processSingleComment(ObjectType type, const QString &id, const QVariantMap &data);
    void processLatestStatusMessages(const QString &name, const QList<CvGraphReply> &replies);
    void processLikeCheck(const QString &name, const QList<CvGraphReply> &replies);
    Corvana::ReturnCode sendLikeCheck(const QString &userId, const QString &id, bool object);

    QStringList postTypeFilters; // types of typed feed requests, oldest first
    QHash<QString, CommentTarget> commentTargets; // object id sent -> target of its comments

    // Message threads
    static QString timestampClause(const CvDataFilter &filter);
    static MessageBoxType mailboxFromQuery(const QString &query);
    void processThreadsReply(const QString &query, const QVariantList &rows);
    void processThreads(const CvDataFilter &filter, const QVariantList &rows,
                        MessageBoxType folder);
    bool synchronizeThreads(const CvDataFilter &filter, MessageBoxType folder,
                            const CvThreads &threads);
    void processThreadMessages(const QString &query, const QVariantList &rows);
    void processThreadAttachments(const QString &query, const QVariantList &rows);
    void processUnreadThreadCount(const QString &query, const QVariantList &rows);
    bool storeAuthors(const CvMessages &messages);

    // Events, groups, check-ins, pages and places
    //! Collection replies of \a owner (the filter's id, resolved); only complete lists remove.
    void processEvents(const CvDataFilter &filter, const QString &owner, const QVariantMap &data);
    void processGroups(const CvDataFilter &filter, const QString &owner, const QVariantMap &data);
    void processCheckins(const CvDataFilter &filter, const QString &owner, const QVariantMap &data);
    //! Reports \a event and stores it under \a profileId.
    void processEvent(const QString &profileId, const CvEvent &event);
    void processEventDetails(const QString &name, const QList<CvGraphReply> &replies);
    void processGroup(const QVariantMap &data);
    void processCheckin(const QVariantMap &data);
    void processLikedPages(const QString &id, const QVariantMap &data);

    // Notifications
    void processAllNotifications(const QList<CvGraphReply> &replies);

    // Photos, albums, videos, tags and search
    //! The checks every media operation starts with: NotInitialized, then NetworkUnavailable.
    Corvana::ReturnCode mediaReady() const;
    Corvana::ReturnCode retrieveMediaConnection(CvGraph::ConnectionType type, CvDataFilter filter);
    Corvana::ReturnCode retrieveMediaConnection(CvGraph::ConnectionType type, QString id);
    Corvana::ReturnCode retrieveMediaObject(const QString &id, ObjectType type);
    //! A search of \a target; \a fields, when given, must not be empty.
    Corvana::ReturnCode dispatchSearch(const QString &searchId, const QString &query,
                                       CvGraph::SearchTarget target,
                                       const QSet<QString> *fields = nullptr);
    //! One photoTagCreated() or error() per sub-reply, in the order of the ids in \a name.
    void processPhotoTags(const QString &name, const QList<CvGraphReply> &replies);

    Corvana *q_ptr;
    std::unique_ptr<CvGraph> graph; // the one the private part listens to
    mutable std::unique_ptr<CvGraph> publicGraph; // handed to the application by graph()
    std::unique_ptr<CorvanaConfiguration> configuration;
    std::unique_ptr<CvCache> ownedCache; // set when the configuration named no cache
    CvCache *cache = nullptr; // the cache in use, owned or borrowed
    QString currentProfileId;

public Q_SLOTS:
    void error(const Cv::CvError &err);
    void profilePictureReceived(const QString &profileId, Cv::PictureType pt, const QUrl &location);
    void objectDataRetrieved(const QString &id, const QString &name, const QVariantMap &objectData);
    void connectionDataRetrieved(const Cv::CvDataFilter &args, const QString &connectionName,
                                 const QVariantMap &connectionData);
    void searchReady(const QString &searchId, Cv::CvGraph::SearchTarget st,
                     const QVariantMap &data);
    void searchReady(const QString &searchId, Cv::CvGraph::SearchTarget st,
                     const QSet<QString> &filter, const QVariantMap &data);
    void notificationsRetrieved(const QString &id, const QVariantMap &data);
    void notificationListRetrieved(const QString &id, const QVariantMap &data);
    void notificationsMarkedRead(const QStringList &ids, bool ok);
    void wallWriteComplete(const QString &id);
    void commentWritten(const QString &id);
    void likesWriteComplete(const QString &id, Cv::LikeType lt);
    void noteWritten(const QString &id);
    void messageThreadStatusMarked(const QString &id, bool ok);
    void friendRequestResponded(const QString &friendId, bool ok);
    void photoUploaded(const QString &id, const QString &photoId);
    void messageSent(const QString &threadId);
    void messageReplied(const QString &threadId);
    void albumCreated(const QString &id);
    void objectDeleted(const QString &id);
    void friendRequestSent(const QString &id, bool ok);
    void publicDataRetrieved(const QString &name, const QUrl &location, const QByteArray &data);
    void eventAcknowledged(const QString &id, bool ok, Cv::CvGraph::EventAcknowledgement ack);
    void queryExecuted(const QString &name, const QVariantList &data);
    void placeCheckedInto(const QString &id);
    void photoTagCreated(const QString &photoId, const QString &to, bool ok);
    void photoTagDeleted(const QString &photoId, const QString &to, bool ok);
    void objectsDataRetrieved(const QSet<QString> &ids, const QString &name,
                              const QVariantMap &objectsData);
    void batchExecuted(const QString &name, const QList<Cv::CvGraphReply> &replies);
    void photoRetrieved(const QString &pid, const QVariantMap &data);
    void fanToPageAdded(const QString &pageId, bool ok);
};

// --- helpers shared by the facade's files ------------------------------------------------------

//! The checks every operation starts with: initialized, then the id present, then "me" resolved.
Corvana::ReturnCode resolveId(const CorvanaPrivate *d, QString *id);

//! The checks of an operation that only the service can answer: initialized, then an access
//! token held (NetworkUnavailable otherwise).
Corvana::ReturnCode checkOnline(const CorvanaPrivate *d);

//! Success when the Graph layer accepted the request, else RequestFailed.
inline Corvana::ReturnCode dispatched(bool accepted)
{
    return accepted ? Corvana::Success : Corvana::RequestFailed;
}

//! True when every text may be placed in a query statement, a batch relative URL or a request
//! name that is parsed back (CvGraph::isQueryIdentifier). An operation refuses anything else
//! with InvalidArgument before sending.
bool areQueryIdentifiers(std::initializer_list<QString> texts);
bool areQueryIdentifiers(const QStringList &texts);

//! The member \a key of \a data as a list; empty when it is absent or not a list. Where an
//! empty list would remove cached data, ask collectionState() first.
QVariantList listMember(const QVariantMap &data, const QString &key);
//! The "data" member of \a data as a list (listMember()).
QVariantList dataList(const QVariantMap &data);

//! How much of a collection a reply carries.
enum class CollectionState {
    Malformed, //!< the list member is missing or not a list: a failure, never an empty list
    Partial, //!< a list with a next page still to fetch: nothing may be removed on its account
    Complete //!< the whole list
};
//! The state of the list member \a key of \a data; a "paging" member with a "next" link makes
//! the list partial.
CollectionState collectionState(const QVariantMap &data,
                                const QString &key = QStringLiteral("data"));

//! A reply belongs to a request-name constant when the constant's text up to its first
//! \a separator starts the name.
bool nameMatches(const QString &name, const QString &constant, const QString &separator);

//! The body of a batch sub-reply as a list (empty when it is none).
QVariantList bodyList(const CvGraphReply &reply);
//! The text of the first body element of a batch sub-reply, for error headers: compact JSON
//! when it is a map or a list, its text when it is a scalar, empty when the body is empty.
QString firstBodyText(const CvGraphReply &reply);

} // namespace Cv

#endif // CORVANA_P_H
