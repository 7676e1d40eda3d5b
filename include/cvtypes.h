#ifndef CVTYPES_H
#define CVTYPES_H

#include "cvexport.h"

#include <QList>
#include <QMetaType>
#include <QString>

//! Everything the library exports: the facade, the Graph layer, the transport, the value
//! classes, the converter, the logger and the cache.
namespace Cv {

class CvAction;
class CvAlbum;
class CvAttachment;
class CvCheckin;
class CvEvent;
class CvGroup;
class CvMessage;
class CvNotification;
class CvObject;
class CvPage;
class CvPhoto;
class CvPlace;
class CvPost;
class CvTag;
class CvThread;
class CvUser;
class CvUserRef;
class CvVideo;

//! Sizes of a profile picture.
enum PictureType {
    PictureUnknown = 0, //!< No size, or an unrecognised one.
    PictureSquare = 1, //!< Small square crop.
    PictureSmall = 2, //!< Small.
    PictureNormal = 3, //!< Normal.
    PictureLarge = 4 //!< Large.
};

//! Whether to add or remove a like.
enum LikeType : int {
    Like = 0, //!< Add a like.
    Unlike = 1 //!< Remove a like.
};

//! How to mark a thread.
enum ReadType : int {
    MarkRead = 0, //!< Mark the thread read.
    MarkUnread = 1 //!< Mark the thread unread.
};

//! Answers to a friend request.
enum RespondType {
    Confirm = 0, //!< Accept the request.
    ConfirmLimited = 1, //!< Accept with limited access.
    Reject = 2 //!< Decline the request.
};

//! Folders of message threads.
enum MessageBoxType : int {
    MessageBoxInbox = 0, //!< Folder "inbox".
    MessageBoxOther = 1, //!< Folder "other".
    MessageBoxSent = 2, //!< Folder "sent".
    MessageBoxSpam = 3 //!< Folder "spam".
};

//! What a list of comments belongs to.
enum CommentTarget : int {
    PostComments = 0, //!< Comments on a post.
    PhotoComments = 1 //!< Comments on a photo.
};

//! A list of CvUser values.
typedef QList<CvUser> CvUsers;
//! A list of CvUserRef values.
typedef QList<CvUserRef> CvUserRefs;
//! A list of CvPost values.
typedef QList<CvPost> CvPosts;
//! A list of CvMessage values.
typedef QList<CvMessage> CvMessages;
//! Comments on a post or photo (messages).
typedef QList<CvMessage> CvComments;
//! A list of CvThread values.
typedef QList<CvThread> CvThreads;
//! A list of CvAttachment values.
typedef QList<CvAttachment> CvAttachments;
//! A list of CvEvent values.
typedef QList<CvEvent> CvEvents;
//! A list of CvGroup values.
typedef QList<CvGroup> CvGroups;
//! A list of CvCheckin values.
typedef QList<CvCheckin> CvCheckins;
//! A list of CvPage values.
typedef QList<CvPage> CvPages;
//! A list of CvPlace values.
typedef QList<CvPlace> CvPlaces;
//! A list of CvAlbum values.
typedef QList<CvAlbum> CvAlbums;
//! A list of CvPhoto values.
typedef QList<CvPhoto> CvPhotos;
//! A list of CvVideo values.
typedef QList<CvVideo> CvVideos;
//! A list of CvTag values.
typedef QList<CvTag> CvTags;
//! A list of CvAction values.
typedef QList<CvAction> CvActions;
//! A list of CvObject values.
typedef QList<CvObject> CvObjects;
//! A list of notifications, in the order the service sent them.
typedef QList<CvNotification> CvNotificationList;

//! The service's name of \a type ("square", "small", "normal", "large"); a null string for
//! PictureUnknown or any other value.
CV_EXPORT QString pictureTypeToString(PictureType type);
//! The picture type named \a text, case-sensitive; PictureUnknown for any other text.
CV_EXPORT PictureType pictureTypeFromString(const QString &text);
//! The size of the profile picture at \a url, read from the letter after its last "_";
//! PictureSquare when that letter is missing or unknown.
CV_EXPORT PictureType pictureTypeFromUrl(const QString &url);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::PictureType)
Q_DECLARE_METATYPE(Cv::LikeType)
Q_DECLARE_METATYPE(Cv::ReadType)
Q_DECLARE_METATYPE(Cv::RespondType)
Q_DECLARE_METATYPE(Cv::MessageBoxType)
Q_DECLARE_METATYPE(Cv::CommentTarget)

#endif // CVTYPES_H
