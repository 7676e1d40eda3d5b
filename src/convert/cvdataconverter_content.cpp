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

} // namespace

CvPost CvDataConverter::toPost(const QVariantMap &data)
{
    const QString id = text(data, u"id"_s);
    const QDateTime created = graphTime(data, u"created_time"_s);
    CvPost post(id, toUserRef(object(data, u"from"_s)), created);

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

    post.setMessage(text(data, u"message"_s));
    post.setPicture(text(data, u"picture"_s));
    const QString link = text(data, u"link"_s);
    post.setLinkInfo(CvLinkInfo(link, text(data, u"name"_s), text(data, u"caption"_s),
                                text(data, u"description"_s)));
    post.setSource(text(data, u"source"_s));
    post.setIcon(text(data, u"icon"_s));
    const QVariantMap application = object(data, u"application"_s);
    post.setAttribution(text(application, u"name"_s));
    post.setApplication(qMakePair(text(application, u"id"_s), text(application, u"name"_s)));
    post.setActions(toActions(array(data, u"actions"_s)));
    post.setLikes(integer(object(data, u"likes"_s), u"count"_s));
    post.setCreated(created);
    post.setUpdated(graphTime(data, u"updated_time"_s));
    post.setCommentCount(integer(object(data, u"comments"_s), u"count"_s));
    QString type = text(data, u"type"_s);
    if (type.isEmpty())
        type = u"status"_s;
    post.setType(type);
    post.setSubject(text(data, u"subject"_s));
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
    post.setStory(text(data, u"story"_s));
    return post;
}

CvPosts CvDataConverter::toPosts(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvPosts>(data, toPost);
}

CvPost CvDataConverter::toStatusMessage(const QVariantMap &data)
{
    const CvUserRef from = toUserRef(object(data, u"from"_s));
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
    CvMessage message(text(data, u"id"_s), toUserRef(object(data, u"from"_s)));
    if (!message.isValid())
        return message;
    message.setContent(text(data, u"message"_s));
    message.setCreated(graphTime(data, u"created_time"_s));
    message.setUpdated(graphTime(data, u"updated_time"_s));
    message.setSubject(text(data, u"subject"_s));
    message.setLikes(integer(data, u"likes"_s));
    message.setUserLikes(boolean(data, u"user_likes"_s));
    return message;
}

CvMessages CvDataConverter::toMessages(const QVariantList &data)
{
    CV_TRACE_FUNCTION;
    return validOnly<CvMessages>(data, toMessage);
}

CvMessage CvDataConverter::toStatusComment(const QString &statusId, const QVariantMap &data)
{
    CvMessage comment(statusId + u'_' + text(data, u"id"_s), toUserRef(object(data, u"from"_s)));
    if (comment.isValid()) {
        comment.setContent(text(data, u"message"_s));
        comment.setCreated(graphTime(data, u"created_time"_s));
    }
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
    thread.setSubject(text(data, u"subject"_s));
    thread.setSnippet(text(data, u"snippet"_s));
    thread.setMessageCount(integer(data, u"num_messages"_s));
    thread.setUnread(integer(data, u"num_unread"_s));
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
    notification.setTitle(text(data, u"title_text"_s));
    notification.setTitleHtml(text(data, u"title_html"_s));
    notification.setBody(text(data, u"body_text"_s));
    notification.setBodyHtml(text(data, u"body_html"_s));
    const QString href = text(data, u"href"_s);
    notification.setLink(href);
    notification.setApplicationId(text(data, u"app_id"_s));
    notification.setUnread(boolean(data, u"is_unread"_s));
    notification.setHidden(boolean(data, u"is_hidden"_s));
    notification.setObjectId(text(data, u"object_id"_s));
    const QString objectType = text(data, u"object_type"_s);
    notification.setObjectType(objectType);
    notification.setIcon(text(data, u"icon_url"_s));

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
    const QVariantMap messages = object(data, u"messages"_s);
    notifications.setMostRecentMessage(integer(messages, u"most_recent"_s));
    notifications.setNumberOfUnreadMessages(integer(messages, u"unread"_s));
    const QVariantMap pokes = object(data, u"pokes"_s);
    notifications.setMostRecentPoke(integer(pokes, u"most_recent"_s));
    notifications.setNumberOfUnreadPokes(integer(pokes, u"unread"_s));
    const QVariantMap shares = object(data, u"shares"_s);
    notifications.setMostRecentShare(integer(shares, u"most_recent"_s));
    notifications.setNumberOfUnreadShares(integer(shares, u"unread"_s));
    return notifications;
}

CvAlbum CvDataConverter::toAlbum(const QVariantMap &data)
{
    CvAlbum album(text(data, u"id"_s));
    album.setFrom(toUserRef(object(data, u"from"_s)));
    album.setName(text(data, u"name"_s));
    album.setPicture(text(data, u"picture"_s));
    album.setDescription(text(data, u"description"_s));
    album.setLocation(text(data, u"location"_s));
    album.setLink(text(data, u"link"_s));
    album.setPrivacy(text(data, u"privacy"_s));
    album.setCount(integer(data, u"count"_s));
    album.setCreatedTime(graphTime(data, u"created_time"_s));
    album.setUpdatedTime(graphTime(data, u"updated_time"_s));
    album.setType(text(data, u"type"_s));
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
    photo.setFrom(toUserRef(object(data, u"from"_s)));
    photo.setTags(toTags(wrappedArray(data, u"tags"_s)));
    photo.setImages(toImages(array(data, u"images"_s)));
    photo.setName(text(data, u"name"_s));
    photo.setPicture(text(data, u"picture"_s));
    photo.setIcon(text(data, u"icon"_s));
    photo.setSource(text(data, u"source"_s));
    photo.setHeight(integer(data, u"height"_s));
    photo.setWidth(integer(data, u"width"_s));
    photo.setLink(text(data, u"link"_s));
    photo.setCreatedTime(graphTime(data, u"created_time"_s));
    photo.setUpdatedTime(graphTime(data, u"updated_time"_s));
    photo.setPosition(integer(data, u"position"_s));
    return photo;
}

CvPhoto CvDataConverter::toPhotoRESTAPI(const QVariantMap &data)
{
    CvPhoto photo(text(data, u"object_id"_s));
    photo.setFrom(CvUserRef(text(data, u"owner"_s), QString()));
    photo.setImages(toImages(array(data, u"images"_s)));
    photo.setName(text(data, u"caption"_s));
    photo.setPicture(text(data, u"src"_s));
    photo.setSource(text(data, u"src_big"_s));
    photo.setHeight(integer(data, u"src_big_height"_s));
    photo.setWidth(integer(data, u"src_big_width"_s));
    photo.setLink(text(data, u"link"_s));
    photo.setCreatedTime(secondsTime(data, u"updated_time"_s));
    photo.setUpdatedTime(secondsTime(data, u"modified"_s));
    photo.setPosition(integer(data, u"position"_s));
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
    video.setFrom(toUserRef(object(data, u"from"_s)));
    video.setTags(toTags(wrappedArray(data, u"tags"_s)));
    video.setName(text(data, u"name"_s));
    video.setPicture(text(data, u"picture"_s));
    video.setEmbeddedHtml(text(data, u"embed_html"_s));
    video.setIcon(text(data, u"icon"_s));
    video.setSource(text(data, u"source"_s));
    video.setCreatedTime(graphTime(data, u"created_time"_s));
    video.setUpdatedTime(graphTime(data, u"updated_time"_s));
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
    image.setSource(text(data, u"source"_s));
    image.setHeight(integer(data, u"height"_s));
    image.setWidth(integer(data, u"width"_s));
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
    tag.setName(text(data, u"name"_s));
    tag.setX(integer(data, u"x"_s));
    tag.setY(integer(data, u"y"_s));
    tag.setCreatedTime(graphTime(data, u"created_time"_s));
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
    QVariantMap map;
    map.insert(u"name"_s, action.name);
    map.insert(u"link"_s, action.link);
    return map;
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
