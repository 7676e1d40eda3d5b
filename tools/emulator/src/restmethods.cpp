#include "restmethods.h"

#include "cvql.h"
#include "dataset.h"

#include <QDateTime>

namespace Emu {

using namespace Qt::StringLiterals;

namespace {

Reply boolean(bool value)
{
    return Reply::text(value ? "true" : "false");
}

QJsonObject messageRow(const DataSet &d, const Thread &t, const ThreadMessage &m)
{
    return QJsonObject {
        {u"message_id"_s, m.qualifiedId(t.id)},
        {u"thread_id"_s, t.id},
        {u"author_id"_s, m.author},
        {u"sender"_s,
         QJsonObject {{u"user_id"_s, m.author}, {u"name"_s, d.ref(m.author).value(u"name"_s)}}},
        {u"body"_s, m.body},
        {u"timestamp"_s, double(m.timestampMs)},
        {u"created_time"_s, double(m.timestampMs / 1000)},
        {u"attachment"_s, m.attachment}};
}

} // namespace

QStringList RestMethods::methodNames()
{
    return {u"events.get"_s,
            u"notifications.get"_s,
            u"notifications.getList"_s,
            u"notifications.markRead"_s,
            u"corvana.mailbox.markRead"_s,
            u"corvana.mailbox.markUnread"_s,
            u"corvana.friends.confirm"_s,
            u"corvana.friends.add"_s,
            u"corvana.mailbox.send"_s,
            u"corvana.mailbox.reply"_s,
            u"corvana.mailbox.deleteThread"_s,
            u"message.getThreadsInFolder"_s,
            u"corvana.mailbox.getInbox"_s,
            u"corvana.mailbox.getOutbox"_s,
            u"corvana.mailbox.getThread"_s,
            u"corvana.mailbox.getThreadMessages"_s,
            u"corvana.photos.addLike"_s,
            u"corvana.photos.removeLike"_s,
            u"corvana.photos.deleteAlbum"_s,
            u"photos.get"_s,
            u"corvana.pages.addFan"_s,
            u"photos.addTag"_s,
            u"corvana.photos.deleteTag"_s,
            u"corvana.photos.uploadProfilePic"_s,
            u"cvql.query"_s};
}

RestMethods::RestMethods(DataSet &data, Cvql &cvql)
    : m_data(data)
    , m_cvql(cvql)
{
    DataSet &d = m_data;
    auto need
        = [](const Request &r, std::initializer_list<const char16_t *> keys, QString *missing) {
              for (const char16_t *k : keys) {
                  if (r.param(QString::fromUtf16(k)).isEmpty()) {
                      *missing = QString::fromUtf16(k);
                      return false;
                  }
              }
              return true;
          };
    auto invalid = [](const Request &r, const QString &what) {
        return Reply::restError(100, u"Invalid parameter: "_s + what, r);
    };
#define CV_NEED(...)                                                                               \
    do {                                                                                           \
        QString missing_;                                                                          \
        if (!need(r, {__VA_ARGS__}, &missing_))                                                    \
            return invalid(r, missing_);                                                           \
    } while (0)

    m_methods.insert(u"events.get"_s, [&d](const Request &r) {
        const QString status = r.param(u"rsvp_status"_s);
        QJsonArray out;
        bool known = false;
        for (const QString &e : d.connection(r.viewer, u"events"_s, &known)) {
            const QString mine = d.rsvp().value(e).value(r.viewer);
            if (!status.isEmpty() && mine != status)
                continue;
            QJsonObject ev = d.render(e, r.viewer);
            ev.insert(u"eid"_s, e);
            ev.insert(u"rsvp_status"_s, mine);
            out.append(ev);
        }
        return Reply::json(out);
    });
    m_methods.insert(u"notifications.get"_s, [&d](const Request &r) {
        int unreadThreads = 0;
        qint64 recent = 0;
        for (const Thread &t : d.threads()) {
            if (!t.participants.contains(r.viewer) || t.deletedFor.contains(r.viewer))
                continue;
            if (t.unread.value(r.viewer) > 0)
                ++unreadThreads;
            if (!t.messages.isEmpty())
                recent = std::max(recent, t.messages.last().timestampMs / 1000);
        }
        QJsonArray requests;
        for (const auto &fr : d.friendRequests()) {
            if (fr.second == r.viewer)
                requests.append(fr.first);
        }
        QJsonArray invites;
        bool known = false;
        for (const QString &e : d.connection(r.viewer, u"events/not_replied"_s, &known))
            invites.append(e);
        auto counter = [](int unread, qint64 mostRecent) {
            return QJsonObject {{u"unread"_s, unread}, {u"most_recent"_s, double(mostRecent)}};
        };
        return Reply::json(QJsonObject {{u"messages"_s, counter(unreadThreads, recent)},
                                        {u"pokes"_s, counter(0, 0)},
                                        {u"shares"_s, counter(0, 0)},
                                        {u"friend_requests"_s, requests},
                                        {u"group_invites"_s, QJsonArray()},
                                        {u"event_invites"_s, invites}});
    });
    m_methods.insert(u"notifications.getList"_s, [&d](const Request &r) {
        const bool includeRead = r.param(u"include_read"_s) == u"1"_s;
        const qint64 start = r.param(u"start_time"_s).toLongLong();
        QJsonArray list;
        for (const QJsonObject &n : d.notifications()) {
            if (n.value(u"recipient_id"_s).toString() != r.viewer)
                continue;
            if (!includeRead && n.value(u"is_unread"_s).toInt() == 0)
                continue;
            if (start > 0 && qint64(n.value(u"updated_time"_s).toDouble()) < start)
                continue;
            list.append(n);
        }
        return Reply::json(QJsonObject {{u"notifications"_s, list}, {u"apps"_s, QJsonArray()}});
    });
    m_methods.insert(u"notifications.markRead"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"notification_ids");
        const QStringList ids = r.param(u"notification_ids"_s).split(u',', Qt::SkipEmptyParts);
        bool all = true;
        for (const QString &id : ids) {
            bool found = false;
            for (QJsonObject &n : d.notifications()) {
                if (n.value(u"notification_id"_s).toString() == id
                    && n.value(u"recipient_id"_s).toString() == r.viewer) {
                    n.insert(u"is_unread"_s, 0);
                    found = true;
                }
            }
            all = all && found;
        }
        return boolean(all);
    });
    for (const bool read : {true, false}) {
        m_methods.insert(read ? u"corvana.mailbox.markRead"_s : u"corvana.mailbox.markUnread"_s,
                         [&d, need, invalid, read](const Request &r) {
                             CV_NEED(u"tid");
                             Thread *t = d.thread(r.param(u"tid"_s));
                             if (!t || !t->participants.contains(r.viewer))
                                 return boolean(false);
                             t->unread[r.viewer]
                                 = read ? 0 : std::max(1, t->unread.value(r.viewer));
                             return boolean(true);
                         });
    }
    m_methods.insert(u"corvana.friends.confirm"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"uid", u"confirm");
        return boolean(
            d.answerFriendRequest(r.param(u"uid"_s), r.viewer, r.param(u"confirm"_s) == u"1"_s));
    });
    m_methods.insert(u"corvana.friends.add"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"uid");
        const QString uid = r.param(u"uid"_s);
        if (d.kindOf(uid) != u"user"_s || uid == r.viewer || d.areFriends(uid, r.viewer))
            return boolean(false);
        d.addFriendRequest(r.viewer, uid);
        return boolean(true);
    });
    m_methods.insert(u"corvana.mailbox.send"_s, [&d, invalid](const Request &r) {
        QStringList to = r.param(u"to"_s).split(u',', Qt::SkipEmptyParts);
        for (const QString &u : std::as_const(to)) {
            if (d.kindOf(u) != u"user"_s)
                return invalid(r, u"to"_s);
        }
        if (to.isEmpty() && r.param(u"emails"_s).isEmpty())
            return invalid(r, u"to"_s);
        if (r.param(u"body"_s).isEmpty() && r.param(u"subject"_s).isEmpty())
            return invalid(r, u"body"_s);
        // Recipients known only by e-mail address are accepted but not modelled.
        return Reply::text(
            d.addThread(r.viewer, to, r.param(u"subject"_s), r.param(u"body"_s)).toLatin1());
    });
    m_methods.insert(u"corvana.mailbox.reply"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"tid", u"body");
        const QString mid = d.addThreadMessage(r.param(u"tid"_s), r.viewer, r.param(u"body"_s));
        if (mid.isEmpty())
            return invalid(r, u"tid"_s);
        return Reply::text(r.param(u"tid"_s).toLatin1());
    });
    m_methods.insert(u"corvana.mailbox.deleteThread"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"tid");
        Thread *t = d.thread(r.param(u"tid"_s));
        if (!t || !t->participants.contains(r.viewer) || t->deletedFor.contains(r.viewer))
            return boolean(false);
        t->deletedFor.insert(r.viewer);
        return boolean(true);
    });
    m_methods.insert(u"message.getThreadsInFolder"_s,
                     [this](const Request &r) { return threadList(r, u"inbox"_s, u"offset"_s); });
    m_methods.insert(u"corvana.mailbox.getInbox"_s,
                     [this](const Request &r) { return threadList(r, u"inbox"_s, u"start"_s); });
    m_methods.insert(u"corvana.mailbox.getOutbox"_s,
                     [this](const Request &r) { return threadList(r, u"sent"_s, u"start"_s); });
    m_methods.insert(u"corvana.mailbox.getThread"_s, [this, need, invalid](const Request &r) {
        CV_NEED(u"tid");
        const QJsonObject t = threadObject(r.param(u"tid"_s), r.viewer);
        if (t.isEmpty())
            return invalid(r, u"tid"_s);
        return Reply::json(t);
    });
    m_methods.insert(u"corvana.mailbox.getThreadMessages"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"tid");
        Thread *t = d.thread(r.param(u"tid"_s));
        if (!t || !t->participants.contains(r.viewer))
            return invalid(r, u"tid"_s);
        const int start = std::max(0, r.param(u"start"_s, u"0"_s).toInt());
        const int limit = r.has(u"limit"_s) ? r.param(u"limit"_s).toInt() : int(t->messages.size());
        QJsonArray out;
        for (qsizetype i = start; i < t->messages.size() && out.size() < limit; ++i)
            out.append(messageRow(d, *t, t->messages.at(i)));
        return Reply::json(out);
    });
    for (const bool add : {true, false}) {
        m_methods.insert(add ? u"corvana.photos.addLike"_s : u"corvana.photos.removeLike"_s,
                         [&d, need, invalid, add](const Request &r) {
                             CV_NEED(u"pid");
                             const QString pid = r.param(u"pid"_s);
                             if (d.kindOf(pid) != u"photo"_s)
                                 return boolean(false);
                             return boolean(d.like(pid, r.viewer, add));
                         });
    }
    m_methods.insert(u"corvana.photos.deleteAlbum"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"aid");
        const QString aid = r.param(u"aid"_s);
        if (d.kindOf(aid) != u"album"_s || d.raw(aid).value(u"_owner"_s).toString() != r.viewer)
            return boolean(false);
        return boolean(d.remove(aid));
    });
    m_methods.insert(u"photos.get"_s, [&d](const Request &r) {
        QJsonArray out;
        for (const QString &given : r.param(u"pids"_s).split(u',', Qt::SkipEmptyParts)) {
            // Legacy photo ids are "<owner>_<photo>"; the object id is the part after the owner.
            const QString pid = given.contains(u'_') ? given.section(u'_', 1) : given;
            if (d.kindOf(pid) != u"photo"_s)
                continue;
            const QJsonObject p = d.raw(pid);
            const qint64 created
                = QDateTime::fromString(p.value(u"created_time"_s).toString(), Qt::ISODate)
                      .toSecsSinceEpoch();
            const qint64 updated
                = QDateTime::fromString(p.value(u"updated_time"_s).toString(), Qt::ISODate)
                      .toSecsSinceEpoch();
            out.append(QJsonObject {{u"pid"_s, given},
                                    {u"object_id"_s, pid},
                                    {u"aid"_s, p.value(u"_album"_s)},
                                    {u"owner"_s, p.value(u"_owner"_s)},
                                    {u"caption"_s, p.value(u"name"_s)},
                                    {u"src"_s, p.value(u"picture"_s)},
                                    {u"src_big"_s, p.value(u"source"_s)},
                                    {u"src_big_height"_s, p.value(u"height"_s)},
                                    {u"src_big_width"_s, p.value(u"width"_s)},
                                    {u"link"_s, p.value(u"link"_s)},
                                    {u"images"_s, p.value(u"images"_s)},
                                    {u"position"_s, p.value(u"position"_s)},
                                    {u"created"_s, double(created)},
                                    {u"updated_time"_s, double(created)},
                                    {u"modified"_s, double(updated)}});
        }
        return Reply::json(out);
    });
    m_methods.insert(u"corvana.pages.addFan"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"page_id");
        const QString page = r.param(u"page_id"_s);
        if (d.kindOf(page) != u"page"_s)
            return boolean(false);
        return boolean(d.like(page, r.viewer, true));
    });
    m_methods.insert(u"photos.addTag"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"pid");
        const QString user = r.param(u"tag_uid"_s);
        const QString text = r.param(u"tag_text"_s);
        if (user.isEmpty() && text.isEmpty())
            return invalid(r, u"tag_uid"_s);
        const double x = r.param(u"x"_s, u"0"_s).toDouble();
        const double y = r.param(u"y"_s, u"0"_s).toDouble();
        if (x < 0 || y < 0 || x > 100 || y > 100)
            return invalid(r, u"x"_s);
        return boolean(d.addPhotoTag(r.param(u"pid"_s), user, text, qRound(x), qRound(y)));
    });
    m_methods.insert(u"corvana.photos.deleteTag"_s, [&d, need, invalid](const Request &r) {
        CV_NEED(u"pid");
        const QString key = r.has(u"tag_uid"_s) ? r.param(u"tag_uid"_s) : r.param(u"tag_text"_s);
        if (key.isEmpty())
            return invalid(r, u"tag_uid"_s);
        return boolean(d.removePhotoTag(r.param(u"pid"_s), key));
    });
    m_methods.insert(u"corvana.photos.uploadProfilePic"_s, [&d](const Request &r) {
        const QString id = r.param(u"profile_id"_s, r.viewer);
        if (d.kindOf(id) != u"user"_s || r.body.isEmpty())
            return Reply::text("0");
        d.storeBlob(id, r.body);
        return Reply::text("1");
    });
    m_methods.insert(u"cvql.query"_s, [this, need, invalid](const Request &r) {
        CV_NEED(u"query");
        const CvqlResult result = m_cvql.execute(r.param(u"query"_s), r.viewer);
        if (!result.ok)
            return Reply::restError(result.errorCode, result.error, r);
        return Reply::json(result.rows);
    });
#undef CV_NEED
}

Reply RestMethods::threadList(const Request &r, const QString &folder, const QString &startKey)
{
    QList<const Thread *> list;
    for (const Thread &t : m_data.threads()) {
        if (t.participants.contains(r.viewer) && !t.deletedFor.contains(r.viewer)
            && t.folder.value(r.viewer) == folder && !t.messages.isEmpty())
            list.append(&t);
    }
    std::stable_sort(list.begin(), list.end(), [](const Thread *a, const Thread *b) {
        return a->messages.last().timestampMs > b->messages.last().timestampMs;
    });
    const int start = std::max(0, r.param(startKey, u"0"_s).toInt());
    const int limit
        = r.has(u"limit"_s) ? std::max(0, r.param(u"limit"_s).toInt()) : int(list.size());
    QJsonArray out;
    for (qsizetype i = start; i < list.size() && out.size() < limit; ++i)
        out.append(threadObject(list.at(i)->id, r.viewer));
    return Reply::json(out);
}

QJsonObject RestMethods::threadObject(const QString &id, const QString &viewer) const
{
    const Thread *t = m_data.thread(id);
    if (!t || !t->participants.contains(viewer) || t->messages.isEmpty())
        return QJsonObject();
    QJsonArray participants;
    for (const QString &p : t->participants)
        participants.append(
            QJsonObject {{u"user_id"_s, p}, {u"name"_s, m_data.ref(p).value(u"name"_s)}});
    QJsonArray messages;
    for (const ThreadMessage &m : t->messages)
        messages.append(messageRow(m_data, *t, m));
    const ThreadMessage &last = t->messages.last();
    return QJsonObject {{u"thread_id"_s, t->id},
                        {u"subject"_s, t->subject},
                        {u"participants"_s, participants},
                        {u"snippet"_s, last.body.left(100)},
                        {u"snippet_sender"_s,
                         QJsonObject {{u"user_id"_s, last.author},
                                      {u"name"_s, m_data.ref(last.author).value(u"name"_s)}}},
                        {u"num_messages"_s, t->messages.size()},
                        {u"num_unread"_s, t->unread.value(viewer)},
                        {u"unread"_s, t->unread.value(viewer)},
                        {u"timestamp"_s, double(last.timestampMs)},
                        {u"updated_time"_s, double(last.timestampMs / 1000)},
                        {u"folder_id"_s, t->folder.value(viewer)},
                        {u"messages"_s, QJsonObject {{u"data"_s, messages}}}};
}

Reply RestMethods::handle(const Request &request)
{
    const QString name = request.path.mid(int(qstrlen("/method/")));
    const auto it = m_methods.constFind(name);
    if (it == m_methods.constEnd())
        return Reply::restError(3, u"Unknown method"_s, request);
    return (*it)(request);
}

} // namespace Emu
