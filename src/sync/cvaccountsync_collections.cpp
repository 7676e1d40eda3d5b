// The collections of an account: how each is asked for, and how the facade's answers become
// the entries of a page.

#include "sync/cvaccountsync_p.h"

#include "cvcache.h"

#include <QCryptographicHash>

namespace Cv {

namespace {

using S = CvAccountSync;
using R = Corvana::ReturnCode;

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QString();
}

// A short, stable digest of the fields a user sees; a change in any of them is an update.
QString digest(std::initializer_list<QString> fields)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &field : fields) {
        hash.addData(field.toUtf8());
        hash.addData(QByteArrayView("\x1f", 1));
    }
    return QString::fromLatin1(hash.result().left(9).toBase64());
}

QString number(qint64 n)
{
    return QString::number(n);
}

QString fingerprint(const CvUser &u)
{
    return digest({u.name(), u.birthday(), u.email(), u.link(), u.location(), u.hometown(),
                   u.relationshipStatus(), u.about(), u.picture()});
}
QString fingerprint(const CvUserRef &u)
{
    return digest({u.name});
}
QString fingerprint(const CvPost &p)
{
    return digest({p.message(), timeText(p.created()), timeText(p.updated()), number(p.likes()),
                   number(p.commentCount()), p.type()});
}
QString fingerprint(const CvMessage &m)
{
    return digest({m.content(), m.subject(), timeText(m.created()), timeText(m.updated())});
}
QString fingerprint(const CvThread &t)
{
    return digest({t.subject(), t.snippet(), timeText(t.updatedTime()), number(t.messageCount()),
                   number(t.unread())});
}
QString fingerprint(const CvAttachment &a)
{
    return digest({a.type(), a.photo().id(), a.video().id(), a.linkInfo().link, a.linkInfo().name});
}
QString fingerprint(const CvEvent &e)
{
    return digest({e.name(), e.description(), e.location(), e.rsvpStatus(), e.privacy(),
                   timeText(e.startTime()), timeText(e.endTime()), timeText(e.updatedTime())});
}
QString fingerprint(const CvGroup &g)
{
    return digest({g.name(), g.description(), g.privacy(), g.link(), timeText(g.updatedTime())});
}
QString fingerprint(const CvCheckin &c)
{
    return digest({c.message(), timeText(c.createdTime())});
}
QString fingerprint(const CvAlbum &a)
{
    return digest({a.name(), a.description(), a.location(), a.privacy(), a.type(),
                   timeText(a.updatedTime()), number(a.count())});
}
QString fingerprint(const CvPhoto &p)
{
    return digest({p.name(), p.source(), p.link(), timeText(p.updatedTime()), number(p.width()),
                   number(p.height())});
}
QString fingerprint(const CvNotification &n)
{
    return digest({n.title(), n.body(), n.link(), number(n.unread()), timeText(n.updatedTime())});
}

template<typename T>
QString keyOf(const T &item)
{
    return item.id();
}
template<>
QString keyOf(const CvUserRef &item)
{
    return item.id;
}

// Entries keyed by item id; \a prefix keeps items of different parents apart.
template<typename List>
CvSyncEntries entriesOf(const List &items, const QString &prefix = QString())
{
    CvSyncEntries entries;
    entries.reserve(items.size());
    for (const auto &item : items) {
        const QString id = keyOf(item);
        if (!id.isEmpty())
            entries.append(
                {prefix.isEmpty() ? id : prefix + QLatin1Char('/') + id, fingerprint(item)});
    }
    return entries;
}

// The oldest creation time of \a posts, where the next page of a time-paged feed ends.
QDateTime oldestPost(const CvPosts &posts)
{
    QDateTime oldest;
    for (const CvPost &post : posts) {
        if (post.created().isValid() && (!oldest.isValid() || post.created() < oldest))
            oldest = post.created();
    }
    return oldest;
}

CvSyncChildren commentedPosts(const CvPosts &posts)
{
    CvSyncChildren children;
    for (const CvPost &post : posts) {
        if (post.commentCount() > 0 && !post.id().isEmpty())
            children.append({S::Comments, post.id(), post.id()});
    }
    return children;
}

// Status messages are asked for with the fields that carry their likes and comments.
CvDataFilter statusFilter(CvDataFilter filter)
{
    filter.fields = {QStringLiteral("id"),           QStringLiteral("from"),
                     QStringLiteral("message"),      QStringLiteral("updated_time"),
                     QStringLiteral("created_time"), QStringLiteral("likes"),
                     QStringLiteral("comments")};
    return filter;
}

constexpr S::Collection none = S::Collection(0);

} // namespace

const std::vector<CvSyncCollectionInfo> &cvSyncCollections()
{
    // The order is the order of a run: parents come before the collections they list.
    static const std::vector<CvSyncCollectionInfo> table {
        {S::Profile, "profile", none, CvSyncPaging::None, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &) {
             c->refreshProfile();
             return Corvana::Success;
         }},
        {S::Friends, "friends", none, CvSyncPaging::Offset, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveFriends(nullptr, f);
         }},
        {S::Birthdays, "birthdays", none, CvSyncPaging::None, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &) {
             return c->retrieveBirthdaysOfFriends(nullptr);
         }},
        {S::NewsFeed, "news feed", none, CvSyncPaging::Until, true, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveNewsFeed(nullptr, f);
         }},
        {S::ProfileFeed, "profile feed", none, CvSyncPaging::Until, true, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveProfileFeed(nullptr, f);
         }},
        {S::StatusMessages, "status messages", none, CvSyncPaging::Until, true, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveStatusMessages(nullptr, statusFilter(f));
         }},
        {S::Comments, "comments", S::NewsFeed, CvSyncPaging::Offset, false, true,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveComments(nullptr, PostComments, f);
         }},
        {S::Threads, "threads", none, CvSyncPaging::Offset, true, false,
         [](Corvana *c, const QString &target, const CvDataFilter &f) {
             CvDataFilter filter = f;
             filter.id = QStringLiteral("me");
             return c->retrieveThreads(nullptr, MessageBoxType(target.toInt()), filter);
         }},
        {S::Messages, "messages", S::Threads, CvSyncPaging::Offset, false, true,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveMessages(nullptr, f);
         }},
        {S::Attachments, "attachments", S::Threads, CvSyncPaging::None, false, true,
         [](Corvana *c, const QString &target, const CvDataFilter &) {
             return c->retrieveThreadAttachments(nullptr, target);
         }},
        {S::Events, "events", none, CvSyncPaging::Widening, true, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveEvents(nullptr, f);
         }},
        {S::Groups, "groups", none, CvSyncPaging::Widening, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveGroups(nullptr, f);
         }},
        {S::GroupMembers, "group members", S::Groups, CvSyncPaging::Offset, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) { return c->retrieveMembers(f); }},
        {S::Checkins, "check-ins", none, CvSyncPaging::Widening, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveCheckins(nullptr, f);
         }},
        {S::Albums, "albums", none, CvSyncPaging::Offset, false, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) { return c->retrieveAlbums(f); }},
        {S::Photos, "photos", S::Albums, CvSyncPaging::Offset, false, true,
         [](Corvana *c, const QString &, const CvDataFilter &f) { return c->retrievePhotos(f); }},
        {S::Notifications, "notifications", none, CvSyncPaging::None, true, false,
         [](Corvana *c, const QString &, const CvDataFilter &f) {
             return c->retrieveNotificationList(true, f.since);
         }},
    };
    return table;
}

void CvAccountSyncPrivate::connectFacade()
{
    using C = Corvana;
    Corvana *c = corvana;
    connect(c, qOverload<>(&C::initialized), this, [this] {
        if (signingIn) {
            signingIn = false;
            watchdog.stop();
            begin();
        }
    });
    connect(c, &C::error, this, &CvAccountSyncPrivate::failed);
    connect(c, &C::profileUpdated, this, [this](const QString &id) {
        if (!matches(S::Profile, id))
            return;
        CvUser user;
        CvCache *cache = corvana->cache();
        if (!cache || !cache->getUser(owner, &user, CvCache::ById) || !user.isValid()) {
            pageError = QStringLiteral("the profile was not stored");
            user = CvUser();
        }
        pageArrived(S::Profile, id, user.isValid() ? entriesOf(CvUsers {user}) : CvSyncEntries());
    });
    connect(c, &C::friendsUpdated, this, [this](const CvUserRefs &friends) {
        pageArrived(S::Friends, QString(), entriesOf(friends));
    });
    connect(c, &C::birthdaysOfFriendsUpdated, this, [this](const CvUsers &users) {
        CvSyncEntries entries;
        for (const CvUser &user : users)
            entries.append({user.id(), digest({user.birthday()})});
        pageArrived(S::Birthdays, QString(), entries);
    });
    connect(c, &C::newsFeedRetrieved, this, [this](const CvPosts &posts) {
        pageArrived(S::NewsFeed, QString(), entriesOf(posts), commentedPosts(posts),
                    oldestPost(posts));
    });
    connect(c, &C::profileFeedRetrieved, this, [this](const QString &id, const CvPosts &posts) {
        pageArrived(S::ProfileFeed, id, entriesOf(posts), commentedPosts(posts), oldestPost(posts));
    });
    connect(c, &C::statusMessagesRetrieved, this, [this](const QString &id, const CvPosts &posts) {
        pageArrived(S::StatusMessages, id, entriesOf(posts), commentedPosts(posts),
                    oldestPost(posts));
    });
    connect(c, &C::commentsRetrieved, this, [this](const QString &id, const CvMessages &list) {
        pageArrived(S::Comments, id, entriesOf(list, id));
    });
    connect(c, &C::threadsRetrieved, this, [this](MessageBoxType folder, const CvThreads &list) {
        const QString target = QString::number(int(folder));
        CvSyncChildren children;
        for (const CvThread &thread : list) {
            const QString key = target + QLatin1Char('/') + thread.id();
            children.append({S::Messages, thread.id(), key});
            children.append({S::Attachments, thread.id(), key});
        }
        pageArrived(S::Threads, target, entriesOf(list, target), children);
    });
    connect(c, &C::messagesUpdated, this, [this](const QString &id, const CvMessages &list) {
        pageArrived(S::Messages, id, entriesOf(list, id));
    });
    connect(c, &C::threadAttachmentsUpdated, this,
            [this](const QString &id, const CvAttachments &list) {
                pageArrived(S::Attachments, id, entriesOf(list, id));
            });
    connect(c, &C::eventsRetrieved, this, [this](const QString &id, const CvEvents &list) {
        pageArrived(S::Events, id, entriesOf(list));
    });
    connect(c, &C::groupsRetrieved, this, [this](const QString &id, const CvGroups &list) {
        CvSyncChildren children;
        for (const CvGroup &group : list)
            children.append({S::GroupMembers, group.id(), group.id()});
        pageArrived(S::Groups, id, entriesOf(list), children);
    });
    connect(c, &C::membersRetrieved, this, [this](const QString &id, const CvUsers &list) {
        pageArrived(S::GroupMembers, id, entriesOf(list, id));
    });
    connect(c, &C::checkinsRetrieved, this, [this](const QString &id, const CvCheckins &list) {
        pageArrived(S::Checkins, id, entriesOf(list));
    });
    connect(c, &C::albumsRetrieved, this, [this](const QString &id, const CvAlbums &list) {
        CvSyncChildren children;
        for (const CvAlbum &album : list)
            children.append({S::Photos, album.id(), album.id()});
        pageArrived(S::Albums, id, entriesOf(list), children);
    });
    connect(c, &C::photosRetrieved, this, [this](const QString &id, const CvPhotos &list) {
        pageArrived(S::Photos, id, entriesOf(list, id));
    });
    connect(c, &C::notificationListRetrieved, this, [this](const CvNotificationList &list) {
        pageArrived(S::Notifications, QString(), entriesOf(list));
    });
}

} // namespace Cv
