#ifndef CORVANA_H
#define CORVANA_H

#include "corvanaconfiguration.h"
#include "cvalbum.h"
#include "cvcheckin.h"
#include "cverror.h"
#include "cvevent.h"
#include "cvexport.h"
#include "cvgroup.h"
#include "cvmessage.h"
#include "cvnotification.h"
#include "cvnotifications.h"
#include "cvobject.h"
#include "cvpage.h"
#include "cvphoto.h"
#include "cvplace.h"
#include "cvpost.h"
#include "cvthread.h"
#include "cvtypes.h"
#include "cvuser.h"
#include "cvvideo.h"
#include "cvwallpostinfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

namespace Cv {

class CorvanaPrivate;
class CvCache;
class CvDataFilter;
class CvGraph;

/*!
 * The facade: the one object an application talks to. Build it from a configuration, call
 * init(), then ask for data. Every operation returns a ReturnCode at once; answers the cache can
 * give are written into the caller's out-parameter before the call returns, and answers from the
 * service arrive later as signals. Failures on the way arrive as error().
 */
class CV_EXPORT Corvana : public QObject
{
    Q_OBJECT

public:
    //! What an operation did.
    enum ReturnCode {
        NotInitialized = 0, //!< not initialized yet; nothing was done
        InvalidArgument = 1, //!< a required argument was empty or malformed
        Success = 3, //!< the cache answer is in place and the request, if due, was sent
        RequestFailed = 4, //!< the request could not be sent
        NetworkUnavailable = 5 //!< the operation needs the network and no access token is held
    };
    Q_ENUM(ReturnCode)

    //! Where a retrieval may look.
    enum RetrieveBehavior {
        CacheOnly = 0, //!< the cache only
        CacheAndNetwork = 1 //!< the cache, and also ask the service
    };
    Q_ENUM(RetrieveBehavior)

    //! A user's answer to an event invitation. The type is fixed, so that any number passed in
    //! stays a defined value and can be refused.
    enum EventRsvpStatus : int {
        RsvpAttending = 0, //!< "attending"
        RsvpUnsure = 1, //!< "unsure"
        RsvpDeclined = 2, //!< "declined"
        RsvpNotReplied = 3, //!< "not_replied"
        RsvpInvited = 4 //!< invited, whatever the answer
    };
    Q_ENUM(EventRsvpStatus)

    //! A facade for \a configuration (cloned). Creates its own cache when the configuration
    //! names none.
    explicit Corvana(const CorvanaConfiguration &configuration, QObject *parent = nullptr);
    //! Drops requests in flight; deletes the cache only when the facade created it.
    ~Corvana() override;

    //! True once the signed-in user's profile id is known.
    bool isInitialized() const;
    //! The signed-in user's profile id; empty before initialization.
    QString currentProfileId() const;
    //! The cache, or null while not initialized.
    CvCache *cache() const;
    //! A Graph object for the application's own requests (the same one on every call), or null
    //! when not initialized or without an access token.
    CvGraph *graph() const;

    //! The text form of \a status ("attending", "unsure", "declined", "not_replied"; else empty).
    static QString eventRsvpStatusToString(EventRsvpStatus status);
    //! The status named \a text; RsvpNotReplied for any other text.
    static EventRsvpStatus eventRsvpStatusFromString(const QString &text);

    // Profiles, friends and birthdays

    //! The profile of \a filter's id: cached into \a user, and the profile with the friendship
    //! state asked from the service (profileUpdated()).
    ReturnCode retrieveProfile(Cv::CvUser *user, const Cv::CvDataFilter &filter,
                               RetrieveBehavior behavior = CacheAndNetwork);
    //! The profile of \a id with the profile field set.
    ReturnCode retrieveProfile(Cv::CvUser *user, const QString &id,
                               RetrieveBehavior behavior = CacheAndNetwork);
    //! The friends of \a filter's id (friendsUpdated()).
    ReturnCode retrieveFriends(Cv::CvUsers *friends, const Cv::CvDataFilter &filter,
                               RetrieveBehavior behavior = CacheAndNetwork);
    //! The signed-in user's friends.
    ReturnCode retrieveFriends(Cv::CvUsers *friends, RetrieveBehavior behavior = CacheAndNetwork);
    //! Compares the service's friend list with the cached one and brings the cache in step
    //! (friendsSynchronized()).
    ReturnCode synchronizeFriends();
    //! Friends with birthdays, starting with today's and running through the year
    //! (birthdaysOfFriendsUpdated()).
    ReturnCode retrieveBirthdaysOfFriends(Cv::CvUsers *friends,
                                          RetrieveBehavior behavior = CacheAndNetwork);
    //! Friends whose birthday falls in \a filter's window of at most a year.
    ReturnCode retrieveBirthdaysOfFriends(Cv::CvUsers *friends, const Cv::CvDataFilter &filter,
                                          RetrieveBehavior behavior = CacheAndNetwork);
    //! Whether \a id is a friend: cached into \a yes, asked from the service (isFriendChecked()).
    ReturnCode checkIsFriend(bool *yes, const QString &id,
                             RetrieveBehavior behavior = CacheAndNetwork);
    //! Asks the service whether \a id is a friend (isFriendChecked()).
    ReturnCode checkIsFriend(const QString &id);
    //! Asks whether a friend request to \a id is pending (pendingFriendRequestChecked()).
    ReturnCode checkPendingFriendRequest(const QString &id);
    //! Sends a friend request to \a id (friendRequestSent()).
    ReturnCode sendFriendRequest(const QString &id);
    //! Answers the friend request of \a id (friendRequestResponded()).
    ReturnCode respondToFriendRequest(const QString &id, Cv::RespondType type);
    //! The picture at \a url of \a profileId: its cached file path, and the download
    //! (profilePictureUpdated()).
    ReturnCode retrieveProfilePicture(QString *path, const QUrl &url, const QString &profileId,
                                      RetrieveBehavior behavior = CacheAndNetwork);
    //! The picture of \a id of \a type: its cached file path, and the download.
    ReturnCode retrieveProfilePicture(QString *path, const QString &id, Cv::PictureType type,
                                      RetrieveBehavior behavior = CacheAndNetwork);
    //! The picture of \a id of \a type: its cached bytes, and the download.
    ReturnCode retrieveProfilePicture(QByteArray *data, const QString &id, Cv::PictureType type,
                                      RetrieveBehavior behavior = CacheAndNetwork);
    //! Downloads the picture of \a id of \a type into the file store.
    ReturnCode retrieveProfilePicture(const QString &id, Cv::PictureType type);
    //! The file stored for \a url, or its download into the file store (dataRetrieved() with
    //! \a dataId).
    ReturnCode retrieveData(QString *path, const QUrl &url, const QString &dataId,
                            RetrieveBehavior behavior = CacheAndNetwork);
    //! The file stored for \a url, or its download.
    ReturnCode retrieveData(QString *path, const QUrl &url,
                            RetrieveBehavior behavior = CacheAndNetwork);
    //! The bytes stored for \a url, or its download.
    ReturnCode retrieveData(QByteArray *data, const QUrl &url,
                            RetrieveBehavior behavior = CacheAndNetwork);
    //! Downloads \a url into the file store.
    ReturnCode retrieveData(const QUrl &url);

    // Feeds, posts and comments

    /*!
     * The signed-in user's news feed: the cached posts of \a filter's window into \a posts,
     * and the feed asked from the service (newsFeedRetrieved(), newsFeedUpdated()).
     * InvalidArgument unless \a filter's id is "me" or the signed-in user's id.
     *
     * With a \a postType, the cache answer and the reply are limited to posts of that type, and
     * the reply is compared with the cached posts of that type only: a typed window never
     * removes, or reports as removed, posts of other types. Types wait in one first-in
     * first-out queue shared with the profile feed: a type is queued when its request is sent
     * and taken by the next feed reply, so a request that never gets an answer leaves its type
     * queued for the next reply. A request without a type queues nothing.
     *
     * A reply whose list is malformed is reported as error() with OperationFailed; a reply
     * with a next page removes nothing from the cache.
     */
    ReturnCode retrieveNewsFeed(Cv::CvPosts *posts, const Cv::CvDataFilter &filter,
                                const QString &postType,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The news feed of \a filter's window, posts of every type.
    ReturnCode retrieveNewsFeed(Cv::CvPosts *posts, const Cv::CvDataFilter &filter,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The signed-in user's news feed, posts of every type.
    ReturnCode retrieveNewsFeed(Cv::CvPosts *posts, RetrieveBehavior behavior = CacheAndNetwork);
    /*!
     * The feed of \a filter's id ("me" for the signed-in user), optionally of one \a postType
     * (profileFeedRetrieved(), profileFeedUpdated()). Types are queued and compared as for
     * retrieveNewsFeed(). A cache failure while synchronizing is reported by error() alone.
     */
    ReturnCode retrieveProfileFeed(Cv::CvPosts *posts, const Cv::CvDataFilter &filter,
                                   const QString &postType,
                                   RetrieveBehavior behavior = CacheAndNetwork);
    //! The feed of \a filter's id, posts of every type.
    ReturnCode retrieveProfileFeed(Cv::CvPosts *posts, const Cv::CvDataFilter &filter,
                                   RetrieveBehavior behavior = CacheAndNetwork);
    //! The feed of \a id, posts of every type.
    ReturnCode retrieveProfileFeed(Cv::CvPosts *posts, const QString &id,
                                   RetrieveBehavior behavior = CacheAndNetwork);
    /*!
     * The status messages of \a filter's id (statusMessagesRetrieved(),
     * statusMessagesUpdated()). After a successful synchronization the comments each status
     * carries are stored; statuses that did not convert to a valid post are skipped, and a
     * status without a "comments" member loses its stored comments.
     */
    ReturnCode retrieveStatusMessages(Cv::CvPosts *posts, const Cv::CvDataFilter &filter,
                                      RetrieveBehavior behavior = CacheAndNetwork);
    //! The status messages of \a id with their id, author, text, time, likes and comments.
    ReturnCode retrieveStatusMessages(Cv::CvPosts *posts, const QString &id,
                                      RetrieveBehavior behavior = CacheAndNetwork);
    /*!
     * The latest status message of each of \a ids (1 to 20 plain ids), asked in one batch
     * (latestStatusMessageRetrieved(), with an empty post for a user without one). Checks, in
     * order: NotInitialized, NetworkUnavailable, InvalidArgument (no ids, more than 20, an id
     * that is not a plain identifier, or a batch the Graph layer refuses). A failed sub-request
     * is reported as error() with GeneralError and that user's id, and leaves its post out.
     */
    ReturnCode retrieveLatestStatusMessage(const QStringList &ids);
    /*!
     * The post \a id: cached into \a post, and asked from the service; the reply is stored in
     * the news feed of the post's author (newsFeedRetrieved(), newsFeedUpdated() when it was
     * inserted or changed). Needs no initialization.
     */
    ReturnCode retrieveNewsPost(Cv::CvPost *post, const QString &id,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The post \a id, stored in its author's profile feed (profileFeedRetrieved(),
    //! profileFeedUpdated()). Needs no initialization.
    ReturnCode retrieveProfilePost(Cv::CvPost *post, const QString &id,
                                   RetrieveBehavior behavior = CacheAndNetwork);
    /*!
     * The comments on \a filter's id (a post for PostComments, a photo for PhotoComments):
     * cached into \a comments, and asked from the service (commentsRetrieved(),
     * commentsUpdated()). The target is remembered under the object id sent until its reply
     * arrives; the reply is synchronized under that target.
     */
    ReturnCode retrieveComments(Cv::CvMessages *comments, Cv::CommentTarget target,
                                const Cv::CvDataFilter &filter,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The comments on \a id.
    ReturnCode retrieveComments(Cv::CvMessages *comments, Cv::CommentTarget target,
                                const QString &id, RetrieveBehavior behavior = CacheAndNetwork);
    //! Asks the service for the comments on \a filter's id without touching the cache
    //! (commentsRetrieved() only). Without an access token nothing is sent and the result is
    //! Success.
    ReturnCode retrieveComments(const Cv::CvDataFilter &filter);
    //! Asks the service for the comments on \a id (commentsRetrieved() only).
    ReturnCode retrieveComments(const QString &id);
    //! The users who like \a filter's id (likesRetrieved(), as references when the service
    //! sent only ids and names).
    ReturnCode retrieveLikes(const Cv::CvDataFilter &filter);
    //! The users who like \a id.
    ReturnCode retrieveLikes(const QString &id);
    /*!
     * Whether \a userId ("me" for the signed-in user) likes the post \a postId, with the post
     * (ifUserLikesPostChecked(); the post is stored when it is cached already). Both ids must be
     * plain identifiers. When a sub-request fails nothing is emitted (a debug line is logged);
     * a post that does not convert is reported as error() with OperationFailed.
     */
    ReturnCode checkIfUserLikesPost(const QString &userId, const QString &postId);
    //! Whether \a userId likes the object \a objectId, with the object
    //! (ifUserLikesObjectChecked()), as checkIfUserLikesPost() does for posts.
    ReturnCode checkIfUserLikesObject(const QString &userId, const QString &objectId);
    //! Posts \a info on the wall of \a id (wallWriteComplete()). Checks, in order:
    //! NotInitialized, NetworkUnavailable, InvalidArgument (empty id or message).
    ReturnCode writeToWall(const QString &id, const Cv::CvWallPostInfo &info);
    //! Comments \a message on \a objectId (commentWritten()). Checks, in order:
    //! NotInitialized, NetworkUnavailable, InvalidArgument (either empty).
    ReturnCode writeComment(const QString &objectId, const QString &message);
    /*!
     * Writes a note for \a id (noteWritten()). Checks, in order: NotInitialized,
     * InvalidArgument (empty id, or both \a subject and \a message empty),
     * NetworkUnavailable. A note refreshed with refreshNote() emits no signal (a debug line is
     * logged).
     */
    ReturnCode writeNote(const QString &id, const QString &subject, const QString &message);
    //! Likes or unlikes \a id (likesWriteComplete()). Checks, in order: NotInitialized,
    //! NetworkUnavailable, InvalidArgument (empty id).
    ReturnCode writeToLikes(const QString &id, Cv::LikeType type);

    // Message threads

    /*!
     * The signed-in user's threads in \a folder: the cached ones into \a threads, and a query
     * for the page and time window of \a filter (limit 10 and offset 0 when left at -1), answered
     * by threadsRetrieved() and threadsUpdated(). \a filter's id must be "me" or the current
     * profile id. A folder outside MessageBoxType gets the cache's answer alone: Success without
     * the network, InvalidArgument with it.
     *
     * The reply names its own window: a bound the query did not carry reads back as the epoch, so
     * a reply to a query without since and until removes only cached threads of that page that
     * have no update time.
     */
    ReturnCode retrieveThreads(Cv::CvThreads *threads, Cv::MessageBoxType folder,
                               const Cv::CvDataFilter &filter,
                               RetrieveBehavior behavior = CacheAndNetwork);
    //! The signed-in user's threads in \a folder, first page.
    ReturnCode retrieveThreads(Cv::CvThreads *threads, Cv::MessageBoxType folder,
                               RetrieveBehavior behavior = CacheAndNetwork);
    //! The messages of the thread named by \a filter's id in its page and time window: cached
    //! into \a messages, and asked from the service (messagesUpdated()).
    ReturnCode retrieveMessages(Cv::CvMessages *messages, const Cv::CvDataFilter &filter,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The newest messages of \a threadId.
    ReturnCode retrieveMessages(Cv::CvMessages *messages, const QString &threadId,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The attachments of \a threadId's messages: cached into \a attachments, and asked from
    //! the service (threadAttachmentsUpdated()).
    ReturnCode retrieveThreadAttachments(Cv::CvAttachments *attachments, const QString &threadId,
                                         RetrieveBehavior behavior = CacheAndNetwork);
    //! Asks how many threads of \a folder are unread (numberOfUnreadThreadsRetrieved()); any
    //! folder but "other", "sent" and "spam" counts the inbox.
    ReturnCode retrieveNumberOfUnreadThreads(Cv::MessageBoxType folder);
    //! Starts a thread with \a message to \a recipients (messageSent()). RequestFailed when
    //! the message or the recipients are empty.
    ReturnCode sendMessage(const QString &message, const QStringList &recipients);
    //! Adds \a message to \a threadId (messageReplied()). Unlike sendMessage(), an empty
    //! thread id or message gives InvalidArgument.
    ReturnCode replyToMessage(const QString &threadId, const QString &message);
    //! Marks \a threadId read or unread (messageThreadStatusMarked()).
    ReturnCode markMessageThreadStatus(const QString &threadId, Cv::ReadType type);

    // Events, groups, check-ins, pages and places

    //! The events of \a filter's id ("me" for the signed-in user): cached into \a events, and the
    //! list asked from the service (eventsRetrieved(), then eventsUpdated()). The request names
    //! the user by id, so the reply is filed under that id. Cached events are reported removed
    //! and deleted only when the filter bounds a time window (since or until) and the reply is
    //! complete. Events are keyed by id alone in the cache (see CvCache): an event already
    //! stored for another user fails the write with one CacheError and nothing changes.
    ReturnCode retrieveEvents(Cv::CvEvents *events, const Cv::CvDataFilter &filter,
                              RetrieveBehavior behavior = CacheAndNetwork);
    //! The signed-in user's events.
    ReturnCode retrieveEvents(Cv::CvEvents *events, RetrieveBehavior behavior = CacheAndNetwork);
    //! The event \a eventId with the signed-in user's answer to it: cached into \a event, and
    //! asked from the service as one batch (eventDetailsRetrieved(), then eventDetailsUpdated()
    //! once stored under the signed-in user). InvalidArgument when the id is not a plain
    //! identifier or the batch is refused.
    ReturnCode retrieveEventDetails(Cv::CvEvent *event, const QString &eventId,
                                    RetrieveBehavior behavior = CacheAndNetwork);
    //! Answers the invitation to \a eventId (eventRsvpStatusSet()). Only attending, unsure and
    //! declined name an answer the service takes; InvalidArgument for a value outside
    //! EventRsvpStatus.
    ReturnCode setEventRsvpStatus(const QString &eventId, EventRsvpStatus status);
    //! The events \a filter's id has not answered (eventInvitationsRetrieved()).
    ReturnCode retrieveEventInvitations(const Cv::CvDataFilter &filter);
    //! The signed-in user's unanswered invitations, at most 100.
    ReturnCode retrieveEventInvitations();
    //! The users who gave \a status to \a eventId, or were invited for RsvpInvited
    //! (invitedUsersRetrieved()); RequestFailed for a status outside EventRsvpStatus.
    ReturnCode retrieveInvitedUsers(const QString &eventId, EventRsvpStatus status);
    //! The groups of \a filter's id: cached into \a groups, and the list asked from the service
    //! (groupsRetrieved()). Only the signed-in user's groups are kept: groupsUpdated() reports
    //! them, and groups the service no longer lists are removed once a reply is complete.
    ReturnCode retrieveGroups(Cv::CvGroups *groups, const Cv::CvDataFilter &filter,
                              RetrieveBehavior behavior = CacheAndNetwork);
    //! The signed-in user's groups.
    ReturnCode retrieveGroups(Cv::CvGroups *groups, RetrieveBehavior behavior = CacheAndNetwork);
    //! The group \a groupId: cached into \a group, and asked from the service
    //! (groupDetailsRetrieved(), groupDetailsUpdated()). The reply refreshes a group already in
    //! the signed-in user's list and never adds one.
    ReturnCode retrieveGroupDetails(Cv::CvGroup *group, const QString &groupId,
                                    RetrieveBehavior behavior = CacheAndNetwork);
    //! The members of the group named by \a filter's id (membersRetrieved()).
    ReturnCode retrieveMembers(const Cv::CvDataFilter &filter);
    //! The members of \a groupId.
    ReturnCode retrieveMembers(const QString &groupId);
    //! The check-ins of \a filter's id: cached into \a checkins, and the list asked from the
    //! service (checkinsRetrieved()). Only the signed-in user's check-ins are kept, as for
    //! retrieveGroups() (checkinsUpdated()).
    ReturnCode retrieveCheckins(Cv::CvCheckins *checkins, const Cv::CvDataFilter &filter,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The signed-in user's check-ins.
    ReturnCode retrieveCheckins(Cv::CvCheckins *checkins,
                                RetrieveBehavior behavior = CacheAndNetwork);
    //! The check-in \a id: cached into \a checkin, and asked from the service when an access
    //! token is held (checkinRetrieved(), checkinUpdated()); it refreshes a stored check-in and
    //! never adds one.
    ReturnCode retrieveCheckin(Cv::CvCheckin *checkin, const QString &id);
    //! Recent check-ins of the user and friends (recentCheckinsRetrieved()); Success without
    //! sending anything when offline.
    ReturnCode retrieveRecentCheckins();
    //! Checks the signed-in user into \a placeId at the given position, with an optional
    //! \a message and tagged user ids (placeCheckedInto()).
    ReturnCode checkIntoPlace(const QString &placeId, float latitude, float longitude,
                              const QString &message, const QStringList &tags = QStringList());
    //! Checks into \a place at its location.
    ReturnCode checkIntoPlace(const Cv::CvPlace &place, const QString &message,
                              const QStringList &tags = QStringList());
    //! The pages \a filter's id likes (likedPagesRetrieved()); Success without sending anything
    //! when offline.
    ReturnCode retrieveLikedPages(const Cv::CvDataFilter &filter);
    //! The pages the signed-in user likes.
    ReturnCode retrieveLikedPages();
    //! The pages the signed-in user administers (myPagesRetrieved()); Success without sending
    //! anything when offline.
    ReturnCode retrieveMyPages();
    //! The page \a pageId (pageDetailsRetrieved()); Success without sending anything when
    //! offline.
    ReturnCode retrievePageDetails(const QString &pageId);
    //! Makes the signed-in user a fan of \a pageId (pageLiked(), or error() of GeneralError);
    //! InvalidArgument when the request is refused.
    ReturnCode likePage(const QString &pageId);
    //! Places matching \a query (not empty) (placeSearchReady() with \a searchId).
    ReturnCode searchPlace(const QString &searchId, const QString &query);
    //! Places within \a distance metres of the point, matching \a query ("*", any, when
    //! empty); the centre is sent with six significant digits (placeSearchReady()).
    ReturnCode searchPlace(const QString &searchId, const QString &query, float latitude,
                           float longitude, int distance);

    // Notifications

    //! Asks the service for the signed-in user's notifications (notificationsRetrieved()).
    //! NotInitialized, then NetworkUnavailable without an access token, then Success or
    //! RequestFailed.
    ReturnCode retrieveNotifications();
    //! Asks for the signed-in user's notification list since \a startTime (when valid), with the
    //! read ones when \a includeRead (notificationListRetrieved()). Return codes as
    //! retrieveNotifications().
    ReturnCode retrieveNotificationList(bool includeRead, const QDateTime &startTime);
    //! Marks the notifications \a ids read (notificationsMarkedRead()). Return codes as
    //! retrieveNotifications().
    ReturnCode markNotificationsRead(const QStringList &ids);
    /*!
     * Asks in one batch for the number of unread inbox threads, the event invitations not yet
     * answered, the pending friend requests and the notifications in the configured locale
     * (allNotificationsRetrieved(); error() of type GeneralError when any part fails).
     * NotInitialized, then NetworkUnavailable without an access token; InvalidArgument when the
     * batch is refused.
     */
    ReturnCode retrieveAllNotifications();

    // Photos, albums, videos, tags and search
    // These ask the service only: NotInitialized first, then NetworkUnavailable without an
    // access token. An id of "me" stands for the signed-in user and is sent, and reported back,
    // as the user's id.

    //! The photos of \a filter's id (a user or an album), with its paging (photosRetrieved()).
    ReturnCode retrievePhotos(const Cv::CvDataFilter &filter);
    //! The photos of the user or album \a id (photosRetrieved()).
    ReturnCode retrievePhotos(const QString &id);
    //! The albums of \a filter's id, with its paging (albumsRetrieved()).
    ReturnCode retrieveAlbums(const Cv::CvDataFilter &filter);
    //! The albums of \a id (albumsRetrieved()).
    ReturnCode retrieveAlbums(const QString &id);
    //! The videos \a filter's id appears in, with its paging (videosRetrieved()).
    ReturnCode retrieveVideos(const Cv::CvDataFilter &filter);
    //! The videos \a id appears in (videosRetrieved()).
    ReturnCode retrieveVideos(const QString &id);
    //! The videos \a filter's id uploaded, with its paging (uploadedVideosRetrieved()).
    ReturnCode retrieveUploadedVideos(const Cv::CvDataFilter &filter);
    //! The videos \a id uploaded (uploadedVideosRetrieved()).
    ReturnCode retrieveUploadedVideos(const QString &id);
    //! The photo \a photoId (photoRetrieved()): an id of the legacy form "<owner>_<photo>" is
    //! asked through the legacy interface, any other through the Graph interface.
    ReturnCode retrievePhoto(const QString &photoId);
    //! The album \a albumId (albumRetrieved()).
    ReturnCode retrieveAlbum(const QString &albumId);
    //! The video \a videoId (videoRetrieved()).
    ReturnCode retrieveVideo(const QString &videoId);
    //! Uploads the GIF, JPEG or PNG picture \a fileName with \a message to the user, page or
    //! album \a id (photoUploaded()). InvalidArgument when \a id or \a fileName is empty;
    //! RequestFailed when the file cannot be read or is not such a picture.
    ReturnCode uploadPhoto(const QString &id, const QString &fileName, const QString &message);
    //! Creates the album \a name with the description \a message for \a id, visible to
    //! \a privacy (e.g. "EVERYONE"; empty: the service's default) (albumCreated()).
    ReturnCode createAlbum(const QString &id, const QString &name, const QString &message,
                           const QString &privacy);
    //! Creates an album with the service's default privacy.
    ReturnCode createAlbum(const QString &id, const QString &name, const QString &message);
    //! Tags the user \a to on the photo \a photoId at (\a x, \a y) (photoTagCreated()).
    //! InvalidArgument when the request is refused (an id empty or not a plain path segment).
    ReturnCode createPhotoTag(const QString &photoId, const QString &to, float x, float y);
    //! Tags every user of \a tags (its id, x and y) on \a photoId in one batch: one
    //! photoTagCreated() per accepted tag and one error() (GeneralError, the photo id and the
    //! service's answer as error headers) per refused one, in the order of \a tags.
    //! InvalidArgument when the photo id is empty, \a tags is empty, or an id holds anything
    //! but letters, digits, "_", "-", "." and ":".
    ReturnCode createPhotoTags(const QString &photoId, Cv::CvTags tags);
    //! Removes the tag of \a to from \a photoId (photoTagDeleted()); InvalidArgument when the
    //! request is refused.
    ReturnCode deletePhotoTag(const QString &photoId, const QString &to);
    //! Deletes the object \a id, e.g. a photo, an album or a post (objectDeleted()).
    ReturnCode deleteObject(const QString &id);
    //! The objects \a ids with their types, in one request (objectsRetrieved());
    //! InvalidArgument when \a ids is empty or the request is refused.
    ReturnCode retrieveObjects(const QSet<QString> &ids);
    //! People matching \a query, as references (peopleSearchReady() with \a searchId);
    //! InvalidArgument for an empty query.
    ReturnCode searchPeople(const QString &searchId, const QString &query);
    //! People matching \a query with the profile \a fields (peopleSearchReady() with the
    //! fields); InvalidArgument for an empty query or an empty field set.
    ReturnCode searchPeople(const QString &searchId, const QString &query, QSet<QString> fields);
    //! Pages matching \a query (pageSearchReady()); InvalidArgument for an empty query.
    ReturnCode searchPage(const QString &searchId, const QString &query);
    //! Groups matching \a query (groupSearchReady()); InvalidArgument for an empty query.
    ReturnCode searchGroup(const QString &searchId, const QString &query);

public Q_SLOTS:
    //! Opens the cache and establishes the signed-in user: online by asking the service for the
    //! profile, offline from the cache.
    void init();
    //! Switches to \a accessToken and refreshes the profile.
    void setAccessToken(const QString &accessToken);
    //! Asks the service for the profile of \a id (profileUpdated()).
    void refreshProfile(const QString &id);
    //! Asks the service for the signed-in user's profile.
    void refreshProfile();
    //! Asks the service for the comment \a id on a post or photo.
    void refreshComment(Cv::CommentTarget ctarget, const QString &id);
    //! Asks the service for the wall post \a postId.
    void refreshWallPost(const QString &postId);
    //! Asks the service for the note \a noteId.
    void refreshNote(const QString &noteId);

Q_SIGNALS:
    //! Initialization completed.
    void initialized();
    //! Initialization completed online; \a timestamp is the service's time of the profile reply.
    void initialized(const QDateTime &timestamp);
    //! The profile of \a profId (as requested, e.g. "me") was stored.
    void profileUpdated(const QString &profId);
    //! The picture of \a profId was stored at \a location.
    void profilePictureUpdated(const QString &profId, Cv::PictureType pictureType,
                               const QString &location);
    //! The data of \a remoteUrl was stored at \a location.
    void dataRetrieved(const QUrl &remoteUrl, const QString &location);
    //! The data of \a remoteUrl, asked for as \a dataId, was stored at \a location.
    void dataRetrieved(const QUrl &remoteUrl, const QString &location, const QString &dataId);
    //! Something failed: the network, the service, the reply data or the cache.
    void error(const Cv::CvError &error);
    //! The friend list as the service sent it.
    void friendsUpdated(const Cv::CvUserRefs &friends);
    //! Friends \a added and \a removed since the cached list.
    void friendsSynchronized(const Cv::CvUserRefs &added, const Cv::CvUserRefs &removed);
    //! Friends with birthdays in upcoming order.
    void birthdaysOfFriendsUpdated(const Cv::CvUsers &friends);
    //! News feed posts as the service sent them (filtered by the request's post type).
    void newsFeedRetrieved(const Cv::CvPosts &posts);
    //! The news feed's cached posts brought in step: \a added, \a updated, \a removed.
    void newsFeedUpdated(const Cv::CvPosts &added, const Cv::CvPosts &updated,
                         const Cv::CvPosts &removed);
    //! Feed posts of \a id as the service sent them.
    void profileFeedRetrieved(const QString &id, const Cv::CvPosts &posts);
    //! The cached feed of \a id brought in step.
    void profileFeedUpdated(const QString &id, const Cv::CvPosts &added, const Cv::CvPosts &updated,
                            const Cv::CvPosts &removed);
    //! Status messages of \a id as the service sent them.
    void statusMessagesRetrieved(const QString &id, const Cv::CvPosts &posts);
    //! The cached status messages of \a id brought in step.
    void statusMessagesUpdated(const QString &id, const Cv::CvPosts &added,
                               const Cv::CvPosts &updated, const Cv::CvPosts &removed);
    //! The latest status of each of \a ids that answered, in the order of \a ids.
    void latestStatusMessageRetrieved(const QStringList &ids, const Cv::CvPosts &posts);
    //! Comments on \a id as the service sent them.
    void commentsRetrieved(const QString &id, const Cv::CvMessages &comments);
    //! The cached comments on \a id (a post or a photo, by \a ctarget) brought in step.
    void commentsUpdated(Cv::CommentTarget ctarget, const QString &id, const Cv::CvMessages &added,
                         const Cv::CvMessages &updated, const Cv::CvMessages &removed);
    //! The threads of \a folder as the service sent them.
    void threadsRetrieved(Cv::MessageBoxType folder, const Cv::CvThreads &threads);
    //! The cached threads of \a folder brought in step.
    void threadsUpdated(Cv::MessageBoxType folder, const Cv::CvThreads &added,
                        const Cv::CvThreads &updated, const Cv::CvThreads &removed);
    //! The messages of \a threadId as the service sent them; also when storing them failed
    //! (error() with CacheError comes first).
    void messagesUpdated(const QString &threadId, const Cv::CvMessages &messages);
    //! The attachments of \a threadId as the service sent them; also when storing them
    //! failed (error() with CacheError comes first).
    void threadAttachmentsUpdated(const QString &threadId, const Cv::CvAttachments &attachments);
    //! The events of \a id as the service listed them.
    void eventsRetrieved(const QString &id, const Cv::CvEvents &events);
    //! The cached events of \a id brought in step: \a removed only for a windowed request.
    void eventsUpdated(const QString &id, const Cv::CvEvents &added, const Cv::CvEvents &updated,
                       const Cv::CvEvents &removed);
    //! An event with the signed-in user's answer, as the service sent it.
    void eventDetailsRetrieved(const Cv::CvEvent &event);
    //! \a event is stored under the signed-in user.
    void eventDetailsUpdated(const Cv::CvEvent &event);
    //! The users who gave \a status to \a eventId (all invited users for RsvpInvited).
    void invitedUsersRetrieved(const QString &eventId, Cv::Corvana::EventRsvpStatus status,
                               const Cv::CvUserRefs &users);
    //! The answer \a status to event \a id was taken; a refusal arrives as error().
    void eventRsvpStatusSet(const QString &id, bool ok, Cv::Corvana::EventRsvpStatus status);
    //! The albums of \a id (the user's id where "me" was asked).
    void albumsRetrieved(const QString &id, const Cv::CvAlbums &albums);
    //! The photos of the user or album \a id; photos without an id or a source are left out.
    void photosRetrieved(const QString &id, const Cv::CvPhotos &photos);
    //! The album asked for as \a id.
    void albumRetrieved(const QString &id, const Cv::CvAlbum &album);
    //! The photo asked for as \a id.
    void photoRetrieved(const QString &id, const Cv::CvPhoto &photo);
    //! An album was created; \a id is the new album's id.
    void albumCreated(const QString &id);
    //! The videos \a id appears in.
    void videosRetrieved(const QString &id, const Cv::CvVideos &videos);
    //! The videos \a id uploaded.
    void uploadedVideosRetrieved(const QString &id, const Cv::CvVideos &videos);
    //! The video asked for as \a id.
    void videoRetrieved(const QString &id, const Cv::CvVideo &video);
    //! The users who like \a id, when the service sent only their ids and names.
    void likesRetrieved(const QString &id, const Cv::CvUserRefs &users);
    //! The users who like \a id, with the fields the service sent.
    void likesRetrieved(const QString &id, const Cv::CvUsers &users);
    //! Whether \a userId likes \a post.
    void ifUserLikesPostChecked(const QString &userId, bool yes, const Cv::CvPost &post);
    //! Whether \a userId likes the object \a post.
    void ifUserLikesObjectChecked(const QString &userId, bool yes, const Cv::CvObject &post);
    //! Events not answered yet.
    void eventInvitationsRetrieved(const Cv::CvEvents &events);
    //! The notifications asked for by retrieveNotifications().
    void notificationsRetrieved(const Cv::CvNotifications &notifications);
    //! The notification list asked for by retrieveNotificationList().
    void notificationListRetrieved(const Cv::CvNotificationList &notifications);
    //! The notifications \a ids were marked read (\a ok) or the service refused.
    void notificationsMarkedRead(const QStringList &ids, bool ok);
    //! How many threads of \a mboxType are unread; 0 when the service sent no count.
    void numberOfUnreadThreadsRetrieved(Cv::MessageBoxType mboxType, quint32 number);
    //! The answer to retrieveAllNotifications(): pending friend requests, unanswered event
    //! invitations, notifications and the number of unread inbox threads.
    void allNotificationsRetrieved(const Cv::CvUsers &friendRequests,
                                   const Cv::CvEvents &eventInvitations,
                                   const Cv::CvNotificationList &notifications,
                                   quint32 numberOfUnreadThreads);
    //! The people found by the search \a searchId, as references.
    void peopleSearchReady(const QString &searchId, const Cv::CvUserRefs &users);
    //! The people found by the search \a searchId, with the profile \a fields asked for.
    void peopleSearchReady(const QString &searchId, const QSet<QString> &fields,
                           const Cv::CvUsers &users);
    //! The pages found by the search \a searchId.
    void pageSearchReady(const QString &searchId, const Cv::CvPages &pages);
    //! The groups found by the search \a searchId.
    void groupSearchReady(const QString &searchId, const Cv::CvGroups &groups);
    //! The places found by the search \a searchId.
    void placeSearchReady(const QString &searchId, const Cv::CvPlaces &places);
    //! A wall post was written; \a id is the service's id of the new post.
    void wallWriteComplete(const QString &id);
    //! A comment was written; \a id is the service's id of the new comment.
    void commentWritten(const QString &id);
    //! The like \a lt of \a id was written.
    void likesWriteComplete(const QString &id, Cv::LikeType lt);
    //! A note was written; \a id is the service's id of the new note.
    void noteWritten(const QString &id);
    //! Marking thread \a id read or unread succeeded (\a ok) or not.
    void messageThreadStatusMarked(const QString &id, bool ok);
    //! A friend request to \a id was sent (\a ok) or refused.
    void friendRequestSent(const QString &id, bool ok);
    //! Whether a friend request to \a id is pending.
    void pendingFriendRequestChecked(const QString &id, bool yes);
    //! Whether \a id is a friend.
    void isFriendChecked(const QString &id, bool yes);
    //! The answer to the friend request of \a friendId was sent (\a ok) or refused.
    void friendRequestResponded(const QString &friendId, bool ok);
    //! The picture uploaded to \a id (a user's id, never "me") became the photo \a photoId.
    void photoUploaded(const QString &id, const QString &photoId);
    //! A new thread \a threadId was started.
    void messageSent(const QString &threadId);
    //! A message was added to \a threadId.
    void messageReplied(const QString &threadId);
    //! The tag of \a userId on \a photoId was made (\a ok) or refused.
    void photoTagCreated(const QString &photoId, const QString &userId, bool ok);
    //! The tag of \a userId on \a photoId was removed (\a ok) or not found.
    void photoTagDeleted(const QString &photoId, const QString &userId, bool ok);
    //! The object \a id was deleted.
    void objectDeleted(const QString &id);
    //! The check-ins of \a id as the service listed them.
    void checkinsRetrieved(const QString &id, const Cv::CvCheckins &checkins);
    //! The signed-in user's cached check-ins brought in step.
    void checkinsUpdated(const QString &id, const Cv::CvCheckins &added,
                         const Cv::CvCheckins &updated, const Cv::CvCheckins &removed);
    //! One check-in as the service sent it.
    void checkinRetrieved(const Cv::CvCheckin &checkin);
    //! A check-in reply was handled (stored when it was already cached).
    void checkinUpdated(const Cv::CvCheckin &checkin);
    //! Recent check-ins of the signed-in user and friends.
    void recentCheckinsRetrieved(const Cv::CvCheckins &checkins);
    //! A check-in was made; \a id names it.
    void placeCheckedInto(const QString &id);
    //! The pages user \a id likes.
    void likedPagesRetrieved(const QString &id, const Cv::CvPages &pages);
    //! The signed-in user became a fan of page \a id.
    void pageLiked(const QString &id);
    //! The pages the signed-in user administers.
    void myPagesRetrieved(const Cv::CvPages &pages);
    //! One page.
    void pageDetailsRetrieved(const Cv::CvPage &page);
    //! The groups of \a id as the service listed them.
    void groupsRetrieved(const QString &id, const Cv::CvGroups &groups);
    //! The signed-in user's cached groups brought in step.
    void groupsUpdated(const QString &id, const Cv::CvGroups &added, const Cv::CvGroups &updated,
                       const Cv::CvGroups &removed);
    //! One group as the service sent it.
    void groupDetailsRetrieved(const Cv::CvGroup &group);
    //! A group reply was handled (stored when it was already cached).
    void groupDetailsUpdated(const Cv::CvGroup &group);
    //! The members of group \a id.
    void membersRetrieved(const QString &id, const Cv::CvUsers &users);
    //! The objects asked for as \a ids; each knows its type and can be read as that kind.
    void objectsRetrieved(const QSet<QString> &ids, const Cv::CvObjects &objects);

private:
    Q_DISABLE_COPY_MOVE(Corvana)
    Q_DECLARE_PRIVATE(Corvana)
    std::unique_ptr<CorvanaPrivate> const d_ptr;
};

} // namespace Cv

#endif // CORVANA_H
