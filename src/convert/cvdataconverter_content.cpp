#include "cvdataconverter.h"

#include "convert/cvdataconverter_p.h"
#include "convert/cvlog_p.h"

#include <QPair>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Cv {

using namespace CvJson;

namespace {

// Drops each entry of \a entries whose "id" is in \a ids, consuming one occurrence of the id per
// dropped entry, so that a user addressed twice and tagged once stays addressed once.
void dropMatching(QVariantList &entries, QStringList ids)
{
    for (auto it = entries.begin(); it != entries.end() && !ids.isEmpty();) {
        const qsizetype at = ids.indexOf(text(object(*it), u"id"_s));
        if (at >= 0) {
            ids.removeAt(at);
            it = entries.erase(it);
        } else {
            ++it;
        }
    }
}

QStringList idsOf(const QVariantList &entries)
{
    QStringList ids;
    ids.reserve(entries.size());
    for (const QVariant &entry : entries)
        ids.append(text(object(entry), u"id"_s));
    return ids;
}

// The members a photo and a video of the Graph share.
void readMedia(CvMedia &media, const QVariantMap &data)
{
    readFields(media, data, field(u"from"_s, &CvMedia::setFrom),
               field(u"name"_s, &CvMedia::setName), field(u"picture"_s, &CvMedia::setPicture),
               field(u"icon"_s, &CvMedia::setIcon), field(u"source"_s, &CvMedia::setSource),
               field(u"created_time"_s, &CvMedia::setCreatedTime),
               field(u"updated_time"_s, &CvMedia::setUpdatedTime));
    media.setTags(CvDataConverter::toTags(wrappedArray(data, u"tags"_s)));
}

} // namespace

CvPost CvDataConverter::toPost(const QVariantMap &data)
{
    const QString id = text(data, u"id"_s);
    const QDateTime created = graphTime(data, u"created_time"_s);
    CvPost post(id, userRef(data, u"from"_s), created);

    // Users mentioned in the message are listed in "to" as well; they are not addressees unless
    // every addressee is also mentioned.
    QVariantList to = wrappedArray(data, u"to"_s);
    const QVariantMap messageTags = object(data, u"message_tags"_s);
    if (!messageTags.isEmpty()) {
        QStringList tagged;
        for (const QVariant &tags : messageTags)
            tagged += idsOf(array(tags));
        if (to.size() != tagged.size())
            dropMatching(to, tagged);
    }
    const QVariantList withTags = wrappedArray(data, u"with_tags"_s);
    post.setWithTags(toUserRefs(withTags));
    dropMatching(to, idsOf(withTags));
    post.setTo(toUserRefs(to));

    readFields(post, data, field(u"message"_s, &CvPost::setMessage),
               field(u"picture"_s, &CvPost::setPicture), field(u"source"_s, &CvPost::setSource),
               field(u"icon"_s, &CvPost::setIcon), field(u"subject"_s, &CvPost::setSubject),
               field(u"updated_time"_s, &CvPost::setUpdated), field(u"story"_s, &CvPost::setStory));
    const QString link = text(data, u"link"_s);
    post.setLinkInfo(CvLinkInfo(link, text(data, u"name"_s), text(data, u"caption"_s),
                                text(data, u"description"_s)));
    const QVariantMap application = object(data, u"application"_s);
    post.setAttribution(text(application, u"name"_s));
    post.setApplication(qMakePair(text(application, u"id"_s), text(application, u"name"_s)));
    post.setActions(toActions(array(data, u"actions"_s)));
    post.setLikes(integer(object(data, u"likes"_s), u"count"_s));
    post.setCreated(created);
    post.setCommentCount(integer(object(data, u"comments"_s), u"count"_s));
    QString type = text(data, u"type"_s);
    if (type.isEmpty())
        type = u"status"_s;
    post.setType(type);
    // Photo links name their album in the "set" item: "a.<album id>.<owner id>".
    post.setAlbumId(albumFromSet(queryItem(link, u"set"_s),
                                 [](QStringView first) { return first.startsWith(u'a'); }));
    // A check-in post's id is "<author id>_<check-in id>".
    const qsizetype underscore = id.indexOf(u'_');
    if (type == u"checkin"_s && underscore >= 0)
        post.setObjectId(id.mid(underscore + 1));
    else
        post.setObjectId(text(data, u"object_id"_s));
    post.setPlace(toPlace(object(data, u"place"_s)));
    return post;
}

CvPosts CvDataConverter::toPosts(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvPosts>(data, toPost);
}

CvPost CvDataConverter::toStatusMessage(const QVariantMap &data)
{
    const CvUserRef from = userRef(data, u"from"_s);
    QString id = text(data, u"id"_s);
    // Give the status the "<author id>_<id>" form of feed post ids.
    if (!id.contains(u'_'))
        id = from.id + u'_' + id;
    CvPost post(id, from);
    post.setMessage(text(data, u"message"_s));
    post.setLikes(int(wrappedArray(data, u"likes"_s).size()));
    post.setCommentCount(int(wrappedArray(data, u"comments"_s).size()));
    const QDateTime updated = graphTime(data, u"updated_time"_s);
    post.setUpdated(updated);
    post.setCreated(updated);
    post.setType(u"status"_s);
    return post;
}

CvPosts CvDataConverter::toStatusMessages(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvPosts>(data, toStatusMessage);
}

CvMessage CvDataConverter::toMessage(const QVariantMap &data)
{
    CvMessage message(text(data, u"id"_s), userRef(data, u"from"_s));
    if (message.isValid())
        readFields(message, data, field(u"message"_s, &CvMessage::setContent),
                   field(u"created_time"_s, &CvMessage::setCreated),
                   field(u"updated_time"_s, &CvMessage::setUpdated),
                   field(u"subject"_s, &CvMessage::setSubject),
                   field(u"likes"_s, &CvMessage::setLikes),
                   field(u"user_likes"_s, &CvMessage::setUserLikes));
    return message;
}

CvMessages CvDataConverter::toMessages(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvMessages>(data, toMessage);
}

CvMessage CvDataConverter::toStatusComment(const QString &statusId, const QVariantMap &data)
{
    CvMessage comment(statusId + u'_' + text(data, u"id"_s), userRef(data, u"from"_s));
    if (comment.isValid())
        readFields(comment, data, field(u"message"_s, &CvMessage::setContent),
                   field(u"created_time"_s, &CvMessage::setCreated));
    return comment;
}

CvMessages CvDataConverter::toStatusComments(const QString &statusId, const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvMessages>(
        data, [&statusId](const QVariantMap &row) { return toStatusComment(statusId, row); });
}

CvMessage CvDataConverter::toThreadMessage(const QVariantMap &data)
{
    const QVariantMap sender = object(data, u"sender"_s);
    QString authorId = text(sender, u"user_id"_s);
    // Pages write as objects: their id is in "object_sender".
    if (authorId.isEmpty())
        authorId = text(object(data, u"object_sender"_s), u"id"_s);
    CvMessage message(text(data, u"message_id"_s), CvUserRef(authorId, text(sender, u"name"_s)));
    if (!message.isValid())
        return message;
    const QDateTime timestamp = msecsTime(data, u"timestamp"_s);
    message.setCreated(timestamp);
    message.setUpdated(timestamp);
    message.setSubject(text(data, u"subject"_s));
    message.setContent(text(data, u"body"_s));
    message.setHasAttachment(!array(data, u"attachments"_s).isEmpty());
    return message;
}

CvMessages CvDataConverter::toThreadMessages(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvMessages>(data, toThreadMessage);
}

CvThread CvDataConverter::toThread(const QVariantMap &data)
{
    const QVariantMap snippetSender = object(data, u"snippet_sender"_s);
    CvThread thread(text(data, u"thread_id"_s),
                    CvUserRef(text(snippetSender, u"user_id"_s), text(snippetSender, u"name"_s)));
    if (!thread.isValid())
        return CvThread();

    const auto participant = [](const QVariantMap &row) {
        return CvUserRef(text(row, u"user_id"_s), text(row, u"name"_s));
    };
    CvUserRefs to = every<CvUserRefs>(array(data, u"participants"_s), participant);
    to += every<CvUserRefs>(array(data, u"object_participants"_s), [](const QVariantMap &row) {
        return CvUserRef(text(row, u"id"_s), QString());
    });
    thread.setTo(to);
    thread.setSenders(every<CvUserRefs>(array(data, u"senders"_s), participant));
    readFields(thread, data, field(u"subject"_s, &CvThread::setSubject),
               field(u"snippet"_s, &CvThread::setSnippet),
               field(u"num_messages"_s, &CvThread::setMessageCount),
               field(u"num_unread"_s, &CvThread::setUnread));
    thread.setUpdatedTime(msecsTime(data, u"timestamp"_s));
    return thread;
}

CvThreads CvDataConverter::toThreads(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvThreads>(data, toThread);
}

CvAttachment CvDataConverter::toAttachment(const QVariantMap &data)
{
    QString id = text(data, u"message_id"_s);
    if (id.startsWith(text(data, u"thread_id"_s) + u'_'))
        id = id.mid(id.indexOf(u'_') + 1);

    const QVariantMap attachment = object(data, u"attachment"_s);
    CvPhoto photo;
    CvLinkInfo link;
    CvVideo video;
    QString type;
    for (const QVariant &entry : array(attachment, u"media"_s)) {
        const QVariantMap media = object(entry);
        type = text(media, u"type"_s);
        if (type == u"photo"_s) {
            const QString src = text(media, u"src"_s);
            photo = CvPhoto(text(object(media, u"photo"_s), u"cvid"_s));
            photo.setPicture(src);
            photo.setSource(src);
            photo.setName(text(attachment, u"caption"_s));
        } else if (type == u"link"_s) {
            // The service gives no usable URL here; the caption stands in for it.
            const QString caption = text(attachment, u"caption"_s);
            link = CvLinkInfo(caption, text(attachment, u"name"_s), caption,
                              text(attachment, u"description"_s));
        } else if (type == u"video"_s) {
            video = CvVideo(text(attachment, u"cv_object_id"_s));
            video.setSource(text(object(media, u"video"_s), u"source_url"_s));
            video.setName(text(attachment, u"name"_s));
        } else {
            return CvAttachment();
        }
    }

    CvAttachment result(id, type);
    if (!result.isValid())
        return CvAttachment();
    if (type == u"link"_s)
        result.setLinkInfo(link);
    else if (type == u"photo"_s && photo.isValid())
        result.setPhoto(photo);
    else if (type == u"video"_s && video.isValid())
        result.setVideo(video);
    return result;
}

CvAttachments CvDataConverter::toAttachments(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvAttachments>(data, toAttachment);
}

CvNotification CvDataConverter::toNotification(const QVariantMap &data)
{
    CvNotification notification(text(data, u"notification_id"_s),
                                CvUserRef(text(data, u"sender_id"_s), QString()));
    notification.setCreatedTime(secondsTime(data, u"created_time"_s));
    notification.setUpdatedTime(secondsTime(data, u"updated_time"_s));
    readFields(notification, data, field(u"title_text"_s, &CvNotification::setTitle),
               field(u"title_html"_s, &CvNotification::setTitleHtml),
               field(u"body_text"_s, &CvNotification::setBody),
               field(u"body_html"_s, &CvNotification::setBodyHtml),
               field(u"app_id"_s, &CvNotification::setApplicationId),
               field(u"is_unread"_s, &CvNotification::setUnread),
               field(u"is_hidden"_s, &CvNotification::setHidden),
               field(u"object_id"_s, &CvNotification::setObjectId),
               field(u"icon_url"_s, &CvNotification::setIcon));
    const QString href = text(data, u"href"_s);
    notification.setLink(href);
    const QString objectType = text(data, u"object_type"_s);
    notification.setObjectType(objectType);

    // The row's object id is not always the photo or album itself; the link names them.
    const auto albumRule = [&notification, &href] {
        const QString album = albumFromSet(queryItem(href, u"set"_s),
                                           [](QStringView first) { return first == u"a"; });
        if (!album.isEmpty())
            notification.setAlbumId(album);
    };
    if (objectType == u"album"_s) {
        notification.setAlbumId(queryItem(href, u"cvid"_s));
        notification.setObjectId(queryItem(href, u"id"_s));
    } else if (objectType == u"photo"_s) {
        const QString cvid = queryItem(href, u"cvid"_s);
        if (!cvid.isEmpty())
            notification.setObjectId(cvid);
        albumRule();
    } else if (objectType == u"stream"_s) {
        albumRule();
    }
    return notification;
}

CvNotificationList CvDataConverter::toNotificationList(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvNotificationList>(data, toNotification);
}

CvNotifications CvDataConverter::toNotifications(const QVariantMap &data)
{
    CV_TRACE_FUNCTION;
    const auto texts = [&data](const QString &key) {
        QList<QString> result;
        for (const QVariant &value : array(data, key))
            result.append(text(value));
        return result;
    };
    CvNotifications notifications;
    notifications.setFriendRequests(texts(u"friend_requests"_s));
    notifications.setEventInvites(texts(u"event_invites"_s));
    notifications.setGroupInvites(texts(u"group_invites"_s));
    // Each counter object holds the time of the latest one and the number of unread ones.
    const auto counters = [&](const QString &key, void (CvNotifications::*setMostRecent)(int),
                              void (CvNotifications::*setUnread)(int)) {
        readFields(notifications, object(data, key), field(u"most_recent"_s, setMostRecent),
                   field(u"unread"_s, setUnread));
    };
    counters(u"messages"_s, &CvNotifications::setMostRecentMessage,
             &CvNotifications::setNumberOfUnreadMessages);
    counters(u"pokes"_s, &CvNotifications::setMostRecentPoke,
             &CvNotifications::setNumberOfUnreadPokes);
    counters(u"shares"_s, &CvNotifications::setMostRecentShare,
             &CvNotifications::setNumberOfUnreadShares);
    return notifications;
}

CvAlbum CvDataConverter::toAlbum(const QVariantMap &data)
{
    CvAlbum album(text(data, u"id"_s));
    readFields(album, data, field(u"from"_s, &CvAlbum::setFrom),
               field(u"name"_s, &CvAlbum::setName), field(u"picture"_s, &CvAlbum::setPicture),
               field(u"description"_s, &CvAlbum::setDescription),
               field(u"location"_s, &CvAlbum::setLocation), field(u"link"_s, &CvAlbum::setLink),
               field(u"privacy"_s, &CvAlbum::setPrivacy), field(u"count"_s, &CvAlbum::setCount),
               field(u"created_time"_s, &CvAlbum::setCreatedTime),
               field(u"updated_time"_s, &CvAlbum::setUpdatedTime),
               field(u"type"_s, &CvAlbum::setType));
    return album;
}

CvAlbums CvDataConverter::toAlbums(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvAlbums>(data, toAlbum);
}

CvPhoto CvDataConverter::toPhoto(const QVariantMap &data)
{
    CvPhoto photo(text(data, u"id"_s));
    readMedia(photo, data);
    photo.setImages(toImages(array(data, u"images"_s)));
    readFields(photo, data, field(u"height"_s, &CvPhoto::setHeight),
               field(u"width"_s, &CvPhoto::setWidth), field(u"link"_s, &CvPhoto::setLink),
               field(u"position"_s, &CvPhoto::setPosition));
    return photo;
}

CvPhoto CvDataConverter::toPhotoRESTAPI(const QVariantMap &data)
{
    CvPhoto photo(text(data, u"object_id"_s));
    photo.setFrom(CvUserRef(text(data, u"owner"_s), QString()));
    photo.setImages(toImages(array(data, u"images"_s)));
    readFields(photo, data, field(u"caption"_s, &CvPhoto::setName),
               field(u"src"_s, &CvPhoto::setPicture), field(u"src_big"_s, &CvPhoto::setSource),
               field(u"src_big_height"_s, &CvPhoto::setHeight),
               field(u"src_big_width"_s, &CvPhoto::setWidth), field(u"link"_s, &CvPhoto::setLink),
               field(u"position"_s, &CvPhoto::setPosition));
    // Query-language rows give Unix seconds.
    photo.setCreatedTime(secondsTime(data, u"updated_time"_s));
    photo.setUpdatedTime(secondsTime(data, u"modified"_s));
    return photo;
}

CvPhotos CvDataConverter::toPhotos(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvPhotos>(data, toPhoto);
}

CvVideo CvDataConverter::toVideo(const QVariantMap &data)
{
    CvVideo video(text(data, u"id"_s));
    readMedia(video, data);
    video.setEmbeddedHtml(text(data, u"embed_html"_s));
    return video;
}

CvVideos CvDataConverter::toVideos(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvVideos>(data, toVideo);
}

CvImage CvDataConverter::toImage(const QVariantMap &data)
{
    CvImage image;
    readFields(image, data, field(u"source"_s, &CvImage::setSource),
               field(u"height"_s, &CvImage::setHeight), field(u"width"_s, &CvImage::setWidth));
    return image;
}

QList<CvImage> CvDataConverter::toImages(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    QList<CvImage> images;
    for (const QVariant &element : data) {
        const CvImage image = toImage(object(element));
        if (!image.source().isEmpty())
            images.append(image);
    }
    return images;
}

CvTag CvDataConverter::toTag(const QVariantMap &data)
{
    CvTag tag(text(data, u"id"_s));
    readFields(tag, data, field(u"name"_s, &CvTag::setName), field(u"x"_s, &CvTag::setX),
               field(u"y"_s, &CvTag::setY), field(u"created_time"_s, &CvTag::setCreatedTime));
    return tag;
}

CvTags CvDataConverter::toTags(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvTags>(data, toTag);
}

CvAction CvDataConverter::toAction(const QVariantMap &data)
{
    return CvAction(text(data, u"name"_s), text(data, u"link"_s));
}

CvActions CvDataConverter::toActions(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return every<CvActions>(data, toAction);
}

QVariantMap CvDataConverter::toMap(const CvAction &action)
{
    return QVariantMap {{u"name"_s, action.name}, {u"link"_s, action.link}};
}

QVariantMap CvDataConverter::toMap(const CvPost &)
{
    return QVariantMap();
}

QVariantMap CvDataConverter::toMap(const CvMessage &)
{
    return QVariantMap();
}

QVariantMap CvDataConverter::toMap(const CvEvent &)
{
    return QVariantMap();
}

QVariantList CvDataConverter::toList(const CvPosts &)
{
    return QVariantList();
}

QVariantList CvDataConverter::toList(const CvMessages &)
{
    return QVariantList();
}

QVariantList CvDataConverter::toList(const CvActions &)
{
    return QVariantList();
}

QVariantList CvDataConverter::toList(const CvEvents &)
{
    return QVariantList();
}

} // namespace Cv
