#ifndef CVGRAPH_H
#define CVGRAPH_H

#include "cvexport.h"

#include "cvdatafilter.h"
#include "cverror.h"
#include "cvgraphreply.h"
#include "cvgraphrequest.h"
#include "cvlinkinfo.h"
#include "cvtypes.h"
#include "cvwallpostinfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

QT_BEGIN_NAMESPACE
class QNetworkReply;
QT_END_NAMESPACE

namespace Cv {

class CvGraphConnect;
class CvGraphPrivate;

/*!
 * The service-facing half of the library. Each request operation sends one request to the
 * service and returns at once: false when its arguments were refused (nothing is sent), true
 * otherwise. The answer arrives later as exactly one signal: the operation's result signal, or
 * error(). A reply that is not valid JSON ends in a warning and no signal.
 *
 * Signals may be handled by slots that issue new requests on the same object.
 */
class CV_EXPORT CvGraph : public QObject
{
    Q_OBJECT
public:
    //! A connection of a service object; the text form is the path element on the service.
    enum ConnectionType {
        NoConnection = 0,
        Accounts = 1,
        Friends = 2,
        Home = 3,
        Feed = 4,
        Likes = 5,
        Movies = 6,
        Books = 7,
        Notes = 8,
        Photos = 9,
        Albums = 10,
        Videos = 11,
        Events = 12,
        Groups = 13,
        Members = 14,
        Checkins = 15,
        Comments = 16,
        Inbox = 17,
        Outbox = 18,
        Updates = 19,
        NoReply = 20,
        Maybe = 21,
        Attending = 22,
        Declined = 23,
        UploadedVideos = 24,
        Statuses = 25,
        Invited = 26,
        Threads = 27,
        NotRepliedEvents = 28
    };
    Q_ENUM(ConnectionType)

    //! What a search looks for.
    enum SearchTarget {
        SearchPost = 0,
        SearchUser = 1,
        SearchPage = 2,
        SearchEvent = 3,
        SearchGroup = 4,
        SearchCheckin = 5,
        SearchPlace = 6,
        SearchHome = 7 //!< the user's news feed, searched through its own path
    };
    Q_ENUM(SearchTarget)

    //! An answer to an event invitation.
    enum EventAcknowledgement : int { AckAttending = 0, AckMaybe = 1, AckDeclined = 2 };
    Q_ENUM(EventAcknowledgement)

    //! A Graph layer that authenticates its requests with \a accessToken.
    explicit CvGraph(const QString &accessToken, QObject *parent = nullptr);
    //! Operations still in flight are dropped without signals.
    ~CvGraph() override;

    //! The path text of \a type; empty for NoConnection and unknown values.
    static QString connectionTypeToString(ConnectionType type);
    //! The connection named exactly \a text (case-sensitive); NoConnection for anything else.
    static ConnectionType connectionTypeFromString(const QString &text);
    //! The text of \a target ("post", "user", ...); empty for unknown values.
    static QString searchTargetToString(SearchTarget target);
    //! The target named exactly \a text; SearchPost for anything else.
    static SearchTarget searchTargetFromString(const QString &text);

    //! The locale sent with the requests that take one; empty (not sent) by default.
    //!@{
    QString locale() const;
    void setLocale(const QString &locale);
    //!@}

    //! The transport this object sends through (for its lastError()).
    CvGraphConnect *graphConnect() const;
    //! The service's time of the latest reply (its Date header, UTC); invalid if it had none.
    QDateTime lastReplyTimeStamp() const;
    //! Number of operations sent whose reply has not been handled yet.
    int operationsInFlight() const;

    //! Reads the object \a id; answered by objectDataRetrieved(id, name, data).
    bool retrieveObject(const QString &id, const Cv::CvDataFilter &filter, const QString &name);
    //! Reads the given \a fields of the object \a id.
    bool retrieveObject(const QString &id, const QSet<QString> &fields, const QString &name);
    //! Reads the object \a id with the service's default fields.
    bool retrieveObject(const QString &id, const QString &name);
    //! Reads several objects at once; answered by objectsDataRetrieved(ids, name, data).
    bool retrieveObjects(const QSet<QString> &ids, const Cv::CvDataFilter &filter,
                         const QString &name);
    //! Asks which connections the object \a id has; answered by connectionTypesRetrieved().
    bool retrieveConnectionTypes(const QString &id);

    /*!
     * Reads a connection of the object \a id. Every connection read is answered by
     * connectionDataRetrieved(id, connection, data) followed by
     * connectionDataRetrieved(filter, connection, data), the filter rebuilt from the request.
     */
    bool retrieveConnectionData(Cv::CvGraph::ConnectionType type, const QString &id);
    //! Reads the connection named \a connection of the object \a id.
    bool retrieveConnectionData(const QString &connection, const QString &id);
    //! Reads a connection of the filter's id, sending its limit, offset, dates and fields.
    bool retrieveConnectionData(const QString &connection, const Cv::CvDataFilter &filter);
    //! As above with the connection given by its type.
    bool retrieveConnectionData(Cv::CvGraph::ConnectionType type, const Cv::CvDataFilter &filter);
    //! Follows a paging link \a url returned by the service; id and name label the answer.
    bool retrieveConnectionData(const QString &id, const QString &name, const QUrl &url);

    //! Asks where the picture of \a id is; answered by profilePictureReceived().
    bool retrieveProfilePicture(const QString &id, Cv::PictureType type);

    /*!
     * Searches with the query parameters \a params. Unless \a target is SearchHome, the entry
     * "type" is set in \a params itself first. Answered by searchReady().
     */
    bool search(const QString &searchId, QMap<QString, QString> &params,
                Cv::CvGraph::SearchTarget target);
    //! Searches for \a query, asking for \a fields when not empty.
    bool search(const QString &searchId, const QString &query, Cv::CvGraph::SearchTarget target,
                const QSet<QString> &fields);
    //! Searches for \a query.
    bool search(const QString &searchId, const QString &query, Cv::CvGraph::SearchTarget target);

    //! Fetches the absolute \a url without credentials; answered by publicDataRetrieved().
    bool retrievePublicData(const QUrl &url, const QString &name);
    //! Reads the invitations not yet answered; \a id only labels the answer.
    bool retrieveEventInvitations(const QString &id);
    //! Reads the notifications; \a id only labels the answer.
    bool retrieveNotifications(const QString &id);

    // Writes

    //! Posts \a info on the wall of \a id; answered by wallWriteComplete(new post id).
    bool writeToWall(const QString &id, const Cv::CvWallPostInfo &info);
    //! Posts \a link with \a message on the wall of \a id; answered by linkWritten(new id).
    bool writeLink(const QString &id, const Cv::CvLinkInfo &link, const QString &message);
    //! Comments on the object \a id; answered by commentWritten(new comment id).
    bool writeComment(const QString &id, const QString &message);
    //! Likes or unlikes the object \a id; answered by likesWriteComplete(id, type).
    bool writeToLikes(const QString &id, Cv::LikeType type);
    //! Writes a note for \a id; subject or message may be empty, not both.
    bool writeNote(const QString &id, const QString &subject, const QString &message);
    //! Creates an album of \a id; \a privacy is the service's privacy value, empty for the
    //! default. Answered by albumCreated(new album id).
    bool createAlbum(const QString &id, const QString &name, const QString &message,
                     const QString &privacy);
    /*!
     * Uploads the GIF, JPEG or PNG image in \a fileName to the photos of \a id as a multipart
     * body; false (nothing sent) when the file cannot be read or its type is not recognized.
     * Answered by photoUploaded(id, new photo id).
     */
    bool uploadPhoto(const QString &id, const QString &fileName, const QString &message);
    //! Creates an event of \a id; both dates must be valid. Answered by eventCreated(new id).
    bool createEvent(const QString &id, const QString &name, const QDateTime &start,
                     const QDateTime &end);
    //! Answers the invitation to \a eventId; answered by eventAcknowledged().
    bool acknowledgeEvent(const QString &eventId, Cv::CvGraph::EventAcknowledgement ack);
    //! Checks the signed-in user into \a placeId; \a message and \a tags (user ids) are optional.
    //! Answered by placeCheckedInto(new check-in id).
    bool checkIntoPlace(const QString &placeId, float latitude, float longitude,
                        const QString &message, const QStringList &tags);
    //! Tags the user \a to at (\a x, \a y) of \a photoId; answered by photoTagCreated().
    bool createPhotoTag(const QString &photoId, const QString &to, float x, float y);
    //! Removes the tag of \a to from \a photoId; answered by photoTagDeleted().
    bool deletePhotoTag(const QString &photoId, const QString &to);
    //! Deletes the object \a id; answered by objectDeleted(id).
    bool deleteObject(const QString &id);
    //! Starts a thread with \a recipients (user ids); answered by messageSent(thread id).
    bool sendMessage(const QString &message, const QStringList &recipients);
    //! Replies in \a threadId; answered by messageReplied(threadId).
    bool replyToMessage(const QString &threadId, const QString &message);
    //! Marks \a threadId read or unread; answered by messageThreadStatusMarked().
    bool markThreadStatus(const QString &threadId, Cv::ReadType type);

    // REST methods

    //! Marks \a threadId read or unread; answered by messageThreadStatusMarked().
    bool markMessageThreadStatus(const QString &threadId, Cv::ReadType type);
    //! Answers the friend request of \a uid; answered by friendRequestResponded().
    bool respondToFriendRequest(const QString &uid, Cv::RespondType type);
    /*!
     * Sends a message to users \a uids and addresses \a emails (not both empty) with \a subject
     * and \a body (not both empty). Answered by messageSent() with the reply text.
     */
    bool sendMessage(const QString &body, const QString &subject, const QStringList &uids,
                     const QStringList &emails);
    //! Replies in \a threadId, optionally to the message \a mid; answered by messageReplied()
    //! with the reply text.
    bool replyToMessage(const QString &threadId, const QString &body, const QString &mid);
    //! Deletes \a threadId from \a folder; answered by messageThreadDeleted().
    bool deleteMessageThread(const QString &threadId, int folder);
    //! Reads the threads of a folder; \a folder only labels the answer. A \a limit of 0 or less
    //! and a negative \a offset are not sent. Answered by messageThreadsRetrieved().
    bool retrieveMessageThreads(const QString &id, int folder, int limit, int offset);
    //! Reads the inbox; a negative \a start or \a limit is not sent. Answered by
    //! inboxRetrieved(id, name, list).
    bool retrieveInbox(const QString &id, int start, int limit, const QString &name);
    //! Reads the outbox, as retrieveInbox(); answered by outboxRetrieved().
    bool retrieveOutbox(const QString &id, int start, int limit, const QString &name);
    //! Reads the thread \a threadId; answered by threadRetrieved().
    bool retrieveThread(const QString &threadId);
    //! Reads messages of \a threadId; a \a limit of 0 or less and a negative \a start are not
    //! sent. Answered by threadMessagesRetrieved().
    bool retrieveThreadMessages(const QString &threadId, int start, int limit, const QString &name);
    //! Reads the notification list since \a startTime (when valid); \a id labels the answer.
    bool retrieveNotificationList(const QString &id, bool includeRead, const QDateTime &startTime);
    //! Marks the notifications \a ids read; answered by notificationsMarkedRead(ids, ok).
    bool markNotificationsRead(const QStringList &ids);
    //! Asks \a uid to become a friend; answered by friendRequestSent().
    bool sendFriendRequest(const QString &uid);
    //! Likes the photo \a pid; answered by photoLikeAdded().
    bool addPhotoLike(const QString &pid);
    //! Removes the like of the photo \a pid; answered by photoLikeRemoved().
    bool removePhotoLike(const QString &pid);
    //! Deletes the album \a aid; answered by albumDeleted().
    bool deleteAlbum(const QString &aid);
    //! Reads the photo \a pid; answered by photoRetrieved() (an empty map if there was none).
    bool retrievePhoto(const QString &pid);
    //! Makes the signed-in user a fan of \a pageId; answered by fanToPageAdded().
    bool addFanToPage(const QString &pageId);
    //! Tags the user \a uid at (\a x, \a y), both not negative; answered by photoTagged(pid).
    bool tagPhotoWithId(const QString &pid, const QString &uid, float x, float y,
                        const QString &owner);
    //! Tags \a text at (\a x, \a y), both not negative; answered by photoTagged(pid).
    bool tagPhotoWithText(const QString &pid, const QString &text, float x, float y,
                          const QString &owner);
    //! Removes the tag of user \a uid from \a pid; answered by userTagDeleted().
    bool deleteUserTag(const QString &pid, const QString &uid);
    //! Removes the text tag \a text from \a pid; answered by textTagDeleted().
    bool deleteTextTag(const QString &pid, const QString &text);
    /*!
     * Makes the GIF, JPEG or PNG image in \a fileName the profile picture of \a id, with
     * \a caption. The file travels as a multipart body (one part named "image") to the REST
     * method; false (nothing sent) when the file cannot be read or its type is not recognized.
     * Answered by profilePictureUploaded(id, ok), ok when the service answered "1".
     */
    bool uploadProfilePicture(const QString &id, const QString &fileName, const QString &caption);

    // Query language and batches

    /*!
     * True when \a text may be placed inside a query-language statement: not empty, and only
     * letters, digits and "_", "-", ".", ":". Statements are never built with escaping; any
     * other text must be refused.
     */
    static bool isQueryIdentifier(const QString &text);
    /*!
     * Runs the query-language statement \a query; answered by queryExecuted(name, rows).
     * The caller builds \a query and must have checked every text it placed inside it with
     * isQueryIdentifier().
     */
    bool executeQuery(const QString &query, const QString &name);
    /*!
     * Runs "SELECT fields FROM table WHERE k1=v1 AND k2=v2 ...", the conditions in ascending
     * key order. Every field, the table and every condition key must pass isQueryIdentifier();
     * a condition value must be such an identifier, optionally enclosed in single or double
     * quotes, or an identifier followed by "()" (e.g. me()). A statement without a condition is
     * not sent: an empty \a conditions map, like an empty \a fields set, returns false.
     */
    bool executeQuery(const QSet<QString> &fields, const QString &table,
                      const QMap<QString, QString> &conditions, const QString &name);
    //! Sends \a requests as one batch; answered by batchExecuted(name, replies), one reply per
    //! request in the order of \a requests.
    bool executeBatch(const QList<Cv::CvGraphRequest> &requests, const QString &name);

Q_SIGNALS:
    //! A request failed; err's object id is the id of the operation concerned.
    void error(const Cv::CvError &err);
    //! The object asked for by retrieveObject(), decoded from the service's JSON.
    void objectDataRetrieved(const QString &id, const QString &name, const QVariantMap &objectData);
    //! The objects asked for by retrieveObjects(), keyed by id in \a objectsData.
    void objectsDataRetrieved(const QSet<QString> &ids, const QString &name,
                              const QVariantMap &objectsData);
    //! A connection read, labelled with the object id and the connection name.
    void connectionDataRetrieved(const QString &profileId, const QString &connectionName,
                                 const QVariantMap &connectionData);
    //! The same read again, right after, with the window the request asked for.
    void connectionDataRetrieved(const Cv::CvDataFilter &args, const QString &connectionName,
                                 const QVariantMap &connectionData);
    //! Where the picture of \a profileId is (the service's redirect target).
    void profilePictureReceived(const QString &profileId, Cv::PictureType pt, const QUrl &location);
    //! Search results when no fields were asked for.
    void searchReady(const QString &searchId, Cv::CvGraph::SearchTarget st,
                     const QVariantMap &data);
    //! Search results with the fields asked for in \a filter.
    void searchReady(const QString &searchId, Cv::CvGraph::SearchTarget st,
                     const QSet<QString> &filter, const QVariantMap &data);
    //! The connection URLs the object lists, in ascending order of their names.
    void connectionTypesRetrieved(const QStringList &connectionTypes);
    //! The wall post of writeToWall() was written; \a id is the new post's id.
    void wallWriteComplete(const QString &id);
    //! The object \a id of deleteObject() was deleted.
    void objectDeleted(const QString &id);
    //! The comment of writeComment() was written; \a id is the new comment's id.
    void commentWritten(const QString &id);
    //! The like or unlike \a lt of writeToLikes() on the object \a id was written.
    void likesWriteComplete(const QString &id, Cv::LikeType lt);
    //! The note of writeNote() was written; \a id is the new note's id.
    void noteWritten(const QString &id);
    //! The link of writeLink() was posted; \a id is the new post's id.
    void linkWritten(const QString &id);
    //! The check-in of checkIntoPlace() was written; \a id is the new check-in's id.
    void placeCheckedInto(const QString &id);
    //! The invitations not yet answered (retrieveEventInvitations()).
    void eventInvitationsRetrieved(const QString &id, const QVariantList &list);
    //! The thread \a id was marked read or unread (\a ok) or the service refused.
    void messageThreadStatusMarked(const QString &id, bool ok);
    //! The notifications (retrieveNotifications()).
    void notificationsRetrieved(const QString &id, const QVariantMap &data);
    //! The notification list of retrieveNotificationList(), labelled \a id.
    void notificationListRetrieved(const QString &id, const QVariantMap &data);
    //! The notifications \a ids were marked read (\a ok) or the service refused.
    void notificationsMarkedRead(const QStringList &ids, bool ok);
    //! The answer to the friend request of \a friendId was sent (\a ok) or refused.
    void friendRequestResponded(const QString &friendId, bool ok);
    //! The event of createEvent() was created; \a id is the new event's id.
    void eventCreated(const QString &id);
    //! The answer \a ack to the invitation to the event \a id was sent (\a ok) or refused.
    void eventAcknowledged(const QString &id, bool ok, Cv::CvGraph::EventAcknowledgement ack);
    //! The album of createAlbum() was created; \a id is the new album's id.
    void albumCreated(const QString &id);
    //! The message of sendMessage() was sent; \a threadId is the thread it started (the reply text
    //! for the REST method).
    void messageSent(const QString &threadId);
    //! The reply of replyToMessage() in \a threadId was sent.
    void messageReplied(const QString &threadId);
    //! The thread \a id was deleted from \a folder (\a ok) or the service refused.
    void messageThreadDeleted(const QString &id, int folder, bool ok);
    //! The signed-in user became a fan of \a pageId (\a ok) or the service refused.
    void fanToPageAdded(const QString &pageId, bool ok);
    //! The photo of uploadPhoto() to \a id was stored as \a photoId.
    void photoUploaded(const QString &id, const QString &photoId);
    //! A tag of tagPhotoWithId() or tagPhotoWithText() was added to the photo \a pid.
    void photoTagged(const QString &pid);
    //! The tag of \a userId was removed from the photo \a pid (\a ok) or the service refused.
    void userTagDeleted(const QString &pid, const QString &userId, bool ok);
    //! The text tag \a text was removed from the photo \a pid (\a ok) or the service refused.
    void textTagDeleted(const QString &pid, const QString &text, bool ok);
    //! The profile picture of \a id was replaced (\a ok) or the service refused.
    void profilePictureUploaded(const QString &id, bool ok);
    //! The threads of \a folder asked for by retrieveMessageThreads(), labelled \a id, one map per
    //! thread in \a list.
    void messageThreadsRetrieved(const QString &id, int folder, const QVariantList &list);
    //! The album \a id was deleted (\a ok) or the service refused.
    void albumDeleted(const QString &id, bool ok);
    //! A friend request to \a id was sent (\a ok) or refused.
    void friendRequestSent(const QString &id, bool ok);
    //! The photo \a id was liked (\a ok) or the service refused.
    void photoLikeAdded(const QString &id, bool ok);
    //! The like of the photo \a id was removed (\a ok) or the service refused.
    void photoLikeRemoved(const QString &id, bool ok);
    //! The raw bytes found at \a location (retrievePublicData()).
    void publicDataRetrieved(const QString &name, const QUrl &location, const QByteArray &data);
    //! The rows of the query-language statement run as \a name, one map per row in \a data.
    void queryExecuted(const QString &name, const QVariantList &data);
    //! The inbox threads of retrieveInbox() for \a id, labelled \a name.
    void inboxRetrieved(const QString &id, const QString &name, const QVariantList &list);
    //! The outbox threads of retrieveOutbox() for \a id, labelled \a name.
    void outboxRetrieved(const QString &id, const QString &name, const QVariantList &list);
    //! The thread \a id of retrieveThread().
    void threadRetrieved(const QString &id, const QVariantMap &data);
    //! The messages of the thread \a id of retrieveThreadMessages(), labelled \a name.
    void threadMessagesRetrieved(const QString &id, const QString &name, const QVariantList &list);
    //! The tag of \a to on the photo \a photoId was created (\a ok) or refused.
    void photoTagCreated(const QString &photoId, const QString &to, bool ok);
    //! The tag of \a to on the photo \a photoId was removed (\a ok) or refused.
    void photoTagDeleted(const QString &photoId, const QString &to, bool ok);
    //! The replies of the batch \a name, one per request in the order sent.
    void batchExecuted(const QString &name, QList<Cv::CvGraphReply> replies);
    //! The photo \a pid of retrievePhoto(); an empty map if the service knows none.
    void photoRetrieved(const QString &pid, const QVariantMap &data);

private:
    Q_DISABLE_COPY_MOVE(CvGraph)
    Q_DECLARE_PRIVATE(CvGraph)
    // Implemented by the private part, so that &CvGraph::error names the signal alone.
    Q_PRIVATE_SLOT(d_func(), void error(const Cv::CvError &err, int id))
    Q_PRIVATE_SLOT(d_func(), void response(QNetworkReply *reply, int id))
    std::unique_ptr<CvGraphPrivate> const d_ptr;
};

} // namespace Cv

#endif // CVGRAPH_H
