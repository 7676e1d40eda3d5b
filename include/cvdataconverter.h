#ifndef CVDATACONVERTER_H
#define CVDATACONVERTER_H

#include "cvexport.h"

#include "cvaction.h"
#include "cvalbum.h"
#include "cvattachment.h"
#include "cvcheckin.h"
#include "cvevent.h"
#include "cvgroup.h"
#include "cvimage.h"
#include "cvlocation.h"
#include "cvmessage.h"
#include "cvnotification.h"
#include "cvnotifications.h"
#include "cvobject.h"
#include "cvpage.h"
#include "cvphoto.h"
#include "cvplace.h"
#include "cvpost.h"
#include "cvtag.h"
#include "cvthread.h"
#include "cvtypes.h"
#include "cvuser.h"
#include "cvuserref.h"
#include "cvvideo.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace Cv {

//! Builds the library's value objects from decoded service data (the maps and lists that
//! QJsonDocument::toVariant() gives) of the Graph interface, the REST methods and the query
//! language.
//!
//! Every conversion is total: an absent member, a member of the wrong kind or an unparseable
//! time leaves the field at its empty value; nothing is thrown. Single conversions return the
//! object even when it is invalid unless noted; list conversions keep only valid objects.
//! Ids sent as numbers become their exact decimal text. Graph times are ISO 8601 texts whose
//! clock reading is declared UTC; REST and query rows carry Unix seconds, thread and message
//! "timestamp" members Unix milliseconds.
class CV_EXPORT CvDataConverter
{
public:
    CvDataConverter();
    ~CvDataConverter();

    // People and social entities

    //! A user reference from the "id" and "name" members.
    static CvUserRef toUserRef(const QVariantMap &data);
    //! Every element as a user reference, none dropped.
    static CvUserRefs toUserRefs(const QVariantList &data);
    //! A Graph user object or a query-language user row ("uid", "birthday_date", "pic_square").
    static CvUser toUser(const QVariantMap &data);
    //! The valid users of \a data.
    static CvUsers toUsers(const QVariantList &data);
    //! A Graph page object.
    static CvPage toPage(const QVariantMap &data);
    //! The valid pages of \a data.
    static CvPages toPages(const QVariantList &data);
    //! A Graph group object; a default group when it has no id.
    static CvGroup toGroup(const QVariantMap &data);
    //! The valid groups of \a data.
    static CvGroups toGroups(const QVariantList &data);
    //! A Graph event object; a default event when it has no id. Start and end keep the time
    //! zone their text gives.
    static CvEvent toEvent(const QVariantMap &data);
    //! The valid events of \a data.
    static CvEvents toEvents(const QVariantList &data);
    //! An address with coordinates.
    static CvLocation toLocation(const QVariantMap &data);
    //! The valid locations (both coordinates non-zero) of \a data.
    static QList<CvLocation> toLocations(const QVariantList &data);
    //! A Graph place object.
    static CvPlace toPlace(const QVariantMap &data);
    //! The valid places of \a data.
    static CvPlaces toPlaces(const QVariantList &data);
    //! A Graph check-in; a default check-in when it lacks an id, an author or a valid place.
    static CvCheckin toCheckin(const QVariantMap &data);
    //! The valid check-ins of \a data.
    static CvCheckins toCheckins(const QVariantList &data);
    //! An object of any kind, keeping \a data for a later conversion; a default object when it
    //! has neither id nor type.
    static CvObject toObject(const QVariantMap &data);
    //! The valid objects among the values of \a data (a reply keyed by id), in key order.
    static CvObjects toObjects(const QVariantMap &data);

    //! "id", "name" and "link" of \a user.
    static QVariantMap toMap(const CvUser &user);
    //! toMap() of each user.
    static QVariantList toList(const CvUsers &users);
    //! "id" and "name" of \a ref.
    static QVariantMap toMap(const CvUserRef &ref);
    //! toMap() of each reference.
    static QVariantList toList(const CvUserRefs &refs);

    // Content entities

    //! A Graph feed item.
    static CvPost toPost(const QVariantMap &data);
    //! The valid posts of \a data.
    static CvPosts toPosts(const QVariantList &data);
    //! A status message of the REST interface; an id without "_" is prefixed with the author's.
    static CvPost toStatusMessage(const QVariantMap &data);
    //! The valid status messages of \a data.
    static CvPosts toStatusMessages(const QVariantList &data);
    //! A Graph comment.
    static CvMessage toMessage(const QVariantMap &data);
    //! The valid comments of \a data.
    static CvMessages toMessages(const QVariantList &data);
    //! A comment on the status \a statusId; its id becomes \a statusId, "_" and its own id.
    static CvMessage toStatusComment(const QString &statusId, const QVariantMap &data);
    //! The valid comments on the status \a statusId.
    static CvMessages toStatusComments(const QString &statusId, const QVariantList &data);
    //! A query-language message row.
    static CvMessage toThreadMessage(const QVariantMap &data);
    //! The valid message rows of \a data.
    static CvMessages toThreadMessages(const QVariantList &data);
    //! A query-language thread row; a default thread when it has no id.
    static CvThread toThread(const QVariantMap &data);
    //! The valid thread rows of \a data.
    static CvThreads toThreads(const QVariantList &data);
    //! The attachment of a query-language message row; a default attachment when the row has
    //! no media or media of an unknown type.
    static CvAttachment toAttachment(const QVariantMap &data);
    //! The valid attachments of \a data.
    static CvAttachments toAttachments(const QVariantList &data);
    //! A query-language notification row.
    static CvNotification toNotification(const QVariantMap &data);
    //! The valid notification rows of \a data.
    static CvNotificationList toNotificationList(const QVariantList &data);
    //! The reply of the REST notification counters method.
    static CvNotifications toNotifications(const QVariantMap &data);
    //! A Graph album.
    static CvAlbum toAlbum(const QVariantMap &data);
    //! The valid albums of \a data.
    static CvAlbums toAlbums(const QVariantList &data);
    //! A Graph photo.
    static CvPhoto toPhoto(const QVariantMap &data);
    //! A photo row of the REST interface.
    static CvPhoto toPhotoRESTAPI(const QVariantMap &data);
    //! The valid photos (id and source set) of \a data.
    static CvPhotos toPhotos(const QVariantList &data);
    //! A Graph video.
    static CvVideo toVideo(const QVariantMap &data);
    //! The valid videos of \a data.
    static CvVideos toVideos(const QVariantList &data);
    //! One rendition of a photo.
    static CvImage toImage(const QVariantMap &data);
    //! The renditions of \a data that have a source.
    static QList<CvImage> toImages(const QVariantList &data);
    //! A tag on a photo or video.
    static CvTag toTag(const QVariantMap &data);
    //! The valid tags of \a data.
    static CvTags toTags(const QVariantList &data);
    //! An action offered on a post.
    static CvAction toAction(const QVariantMap &data);
    //! Every element as an action, none dropped.
    static CvActions toActions(const QVariantList &data);

    //! "name" and "link" of \a action.
    static QVariantMap toMap(const CvAction &action);
    //! Posts are not exported: an empty map.
    static QVariantMap toMap(const CvPost &post);
    //! Messages are not exported: an empty map.
    static QVariantMap toMap(const CvMessage &message);
    //! Events are not exported: an empty map.
    static QVariantMap toMap(const CvEvent &event);
    //! Posts are not exported: an empty list.
    static QVariantList toList(const CvPosts &posts);
    //! Messages are not exported: an empty list.
    static QVariantList toList(const CvMessages &messages);
    //! Action lists are not exported: an empty list.
    static QVariantList toList(const CvActions &actions);
    //! Events are not exported: an empty list.
    static QVariantList toList(const CvEvents &events);
};

} // namespace Cv

#endif // CVDATACONVERTER_H
