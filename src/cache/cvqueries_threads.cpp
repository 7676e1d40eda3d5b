#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"
#include "cvlinkinfo.h"
#include "cvphoto.h"

#include <QDateTime>

namespace Cv {

QString CvQueries::threadKey(const QString &threadId, MessageBoxType box)
{
    return threadId + QLatin1Char('_') + QString::number(int(box));
}

CvStatement *CvQueries::prepareInsertThreadQuery(const QString &viewerId, MessageBoxType box,
                                                 const CvThread &thread)
{
    return boundStatement(
        QStringLiteral("INSERT INTO threads (id, snippet_sender, subject, snippet, "
                       "msg_count, unread_count, last_update, viewer_id, "
                       "folder_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {threadKey(thread.id(), box), thread.from().id, thread.subject(), thread.snippet(),
         thread.messageCount(), thread.unread(), thread.updatedTime(), viewerId, int(box)});
}

CvStatement *CvQueries::prepareUpdateThreadQuery(const QString &viewerId, MessageBoxType box,
                                                 const CvThread &thread)
{
    return boundStatement(QStringLiteral("UPDATE threads SET snippet_sender = ?, subject = ?, "
                                         "snippet = ?, msg_count = ?, unread_count = ?, "
                                         "last_update = ? WHERE id = ? AND viewer_id =?"),
                          {thread.from().id, thread.subject(), thread.snippet(),
                           thread.messageCount(), thread.unread(), thread.updatedTime(),
                           threadKey(thread.id(), box), viewerId});
}

CvStatement *CvQueries::prepareSelectThreadQuery(const QString &viewerId, const QString &key)
{
    return boundStatement(QStringLiteral("SELECT * from threads WHERE viewer_id = ? AND id = ?"),
                          {viewerId, key});
}

CvStatement *CvQueries::prepareSelectThreadsQuery(const QString &viewerId, MessageBoxType box,
                                                  const CvDataFilter &filter)
{
    return boundStatement(
        QStringLiteral("SELECT * FROM threads WHERE viewer_id = ? AND folder_id = ? AND "
                       "(last_update IS NULL OR (datetime(last_update) >= datetime(?) AND  "
                       "datetime(last_update) <= datetime(?))) ORDER BY last_update DESC "
                       "LIMIT ?, ?"),
        {viewerId, int(box), lowerBound(filter), upperBound(filter), filter.offset, filter.limit});
}

CvStatement *CvQueries::prepareInsertMessageQuery(const QString &threadId, const CvMessage &message)
{
    return boundStatement(QStringLiteral("INSERT INTO messages (id, tid, author, time_sent, body, "
                                         "has_attachment) VALUES (?, ?, ?, ?, ?, ?)"),
                          {message.id(), threadId, message.from().id, message.updated(),
                           message.content(), message.hasAttachment()});
}

CvStatement *CvQueries::prepareUpdateMessageQuery(const QString &threadId, const CvMessage &message)
{
    return boundStatement(QStringLiteral("UPDATE messages SET author = ?, time_sent = ?, body = ?, "
                                         "has_attachment = ? WHERE id = ? AND tid = ?"),
                          {message.from().id, message.updated(), message.content(),
                           message.hasAttachment(), message.id(), threadId});
}

CvStatement *CvQueries::prepareSelectMessageQuery(const QString &threadId, const QString &messageId)
{
    return boundStatement(QStringLiteral("SELECT * from messages WHERE tid = ? AND id = ?"),
                          {threadId, messageId});
}

CvStatement *CvQueries::prepareSelectMessagesQuery(const QString &threadId,
                                                   const CvDataFilter &filter)
{
    return boundStatement(
        QStringLiteral("SELECT * FROM messages WHERE tid = ? AND (datetime(time_sent) >= "
                       "datetime(?) AND  datetime(time_sent) <= datetime(?)) ORDER BY "
                       "time_sent DESC LIMIT ?,?"),
        {threadId, lowerBound(filter), upperBound(filter), filter.offset, filter.limit});
}

CvStatement *CvQueries::prepareInsertAttachmentQuery(const QString &threadId,
                                                     const CvAttachment &attachment)
{
    const QString type = attachment.type();
    // NOT NULL columns get empty text rather than a null string.
    QString url = QLatin1String(""), name = QLatin1String(""), caption = QLatin1String(""),
            description = QLatin1String(""), objectId = QLatin1String("");
    if (type == QLatin1String("link")) {
        const CvLinkInfo &link = attachment.linkInfo();
        url = link.link;
        name = link.name;
        caption = link.caption;
        description = link.description;
    } else if (type == QLatin1String("photo") || type == QLatin1String("video")) {
        const CvPhoto &photo = attachment.photo();
        url = photo.picture();
        name = photo.name();
        objectId = photo.id();
    }
    if (url.isNull())
        url = QLatin1String("");
    return boundStatement(
        QStringLiteral("INSERT INTO attachments (mid, tid, type, url, name, "
                       "caption, description, object_id) VALUES (?, ?, ?, ?, ?, "
                       "?, ?, ?)"),
        {attachment.id(), threadId, type, url, name, caption, description, objectId});
}

CvStatement *CvQueries::prepareSelectAttachmentQuery(const QString &threadId,
                                                     const QString &messageId)
{
    return boundStatement(QStringLiteral("SELECT * from attachments WHERE tid = ? AND mid = ?"),
                          {threadId, messageId});
}

CvStatement *CvQueries::prepareSelectAttachmentsQuery(const QString &threadId)
{
    return boundStatement(
        QStringLiteral("SELECT * FROM attachments WHERE tid = ? ORDER BY mid DESC"), {threadId});
}

CvThreads CvQueries::parseThreads(CvStatement *query, MessageBoxType box)
{
    const NameMemo memo(this);
    CvThreads threads;
    while (query->next()) {
        const QString key = query->text(0);
        const int cut = key.lastIndexOf(QLatin1Char('_'));
        const QString id = cut < 0 ? key : key.left(cut);
        const QString fromId = query->text(1);
        CvUserRef from(fromId, QString());
        if (!fromId.isEmpty())
            getUserRef(fromId, &from);
        CvThread thread(id, from);
        if (!thread.isValid())
            continue;
        thread.setSubject(query->text(2));
        thread.setSnippet(query->text(3));
        thread.setMessageCount(query->integer(4));
        thread.setUnread(query->integer(5));
        thread.setUpdatedTime(query->dateTime(6));
        const QString storedKey = threadKey(id, box);
        thread.setTo(readUserRefs(boundStatement(
            QStringLiteral("SELECT user_id FROM thread_participants WHERE thread_id = ?"),
            {storedKey})));
        thread.setSenders(readUserRefs(
            boundStatement(QStringLiteral("SELECT user_id FROM thread_senders WHERE thread_id = ?"),
                           {storedKey})));
        threads << thread;
    }
    return threads;
}

CvMessages CvQueries::parseMessages(CvStatement *query)
{
    const NameMemo memo(this);
    CvMessages messages;
    while (query->next()) {
        const QString authorId = query->text(2);
        CvUserRef from(authorId, QString());
        if (!authorId.isEmpty())
            getUserRef(authorId, &from);
        CvMessage message(query->text(0), from);
        if (!message.isValid())
            continue;
        const QDateTime sent = query->dateTime(3);
        message.setCreated(sent);
        message.setUpdated(sent);
        message.setContent(query->text(4));
        messages << message;
    }
    return messages;
}

CvAttachments CvQueries::parseAttachments(CvStatement *query)
{
    CvAttachments attachments;
    while (query->next()) {
        const QString type = query->text(2);
        CvAttachment attachment(query->text(0), type);
        if (!attachment.isValid())
            continue;
        if (type == QLatin1String("link")) {
            attachment.setLinkInfo(
                CvLinkInfo(query->text(3), query->text(4), query->text(5), query->text(6)));
        } else if (type == QLatin1String("photo")) {
            CvPhoto photo(query->text(7));
            photo.setPicture(query->text(3));
            photo.setName(query->text(4));
            attachment.setPhoto(photo);
        }
        attachments << attachment;
    }
    return attachments;
}

} // namespace Cv
