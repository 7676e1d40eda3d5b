// One session against the emulator that uses every kind of data the facade offers, then the
// same cache reopened offline by user name: each collection must come back from the cache alone,
// as it was synchronized.

#include "corvana.h"
#include "cvdatafilter.h"
#include "emulatorprocess.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <algorithm>

using namespace Cv;

namespace {

// Each item as id and one text the cache keeps, sorted by id: the cache's order is its own.
template<typename List, typename Text>
QStringList digest(const List &items, Text text)
{
    QStringList out;
    for (const auto &item : items)
        out.append(item.id() + QLatin1Char('|') + text(item));
    std::sort(out.begin(), out.end());
    return out;
}

QStringList postDigest(const CvPosts &posts)
{
    return digest(posts, [](const CvPost &post) { return post.message(); });
}

QStringList userDigest(const CvUsers &users)
{
    return digest(users, [](const CvUser &user) { return user.name(); });
}

QStringList messageDigest(const CvMessages &messages)
{
    return digest(messages, [](const CvMessage &message) { return message.content(); });
}

// The arguments of the one emission of \a spy that arrives; empty on time-out or a second one.
QVariantList one(QSignalSpy &spy)
{
    if (spy.isEmpty() && !spy.wait(20000))
        return {};
    QTest::qWait(20);
    return spy.size() == 1 ? spy.takeFirst() : QVariantList();
}

} // namespace

class tst_CorvanaSessionEmulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void onlineThenOffline();

private:
    FacadeEmulator m_service;
};

void tst_CorvanaSessionEmulator::initTestCase()
{
    QVERIFY(m_service.start({QStringLiteral("--seed"), QStringLiteral("7")}));
}

void tst_CorvanaSessionEmulator::onlineThenOffline()
{
    // What the online session synchronized, to be asked again offline.
    QString me;
    QString userName;
    CvUser profile;
    CvUsers friends;
    CvPosts newsFeed;
    CvPosts profileFeed;
    QString commented;
    CvMessages comments;
    CvThreads threads;
    QString threadId;
    CvMessages messages;
    CvEvents events;
    CvGroups groups;
    CvCheckins checkins;

    auto cache = m_service.cache(QStringLiteral("session"));
    {
        const auto corvana = m_service.signIn(cache.get());
        QVERIFY(corvana);
        Corvana &c = *corvana;
        QSignalSpy errors(&c, &Corvana::error);
        me = c.currentProfileId();
        userName = m_service.emulator().get(QStringLiteral("/me")).value("username").toString();
        QVERIFY(!userName.isEmpty());

        // Profile and friends.
        QSignalSpy profileUpdated(&c, &Corvana::profileUpdated);
        QCOMPARE(c.retrieveProfile(nullptr, QStringLiteral("me")), Corvana::Success);
        QCOMPARE(one(profileUpdated).value(0).toString(), me);
        QVERIFY(cache->getUser(me, &profile));
        QVERIFY(!profile.name().isEmpty());
        QSignalSpy synchronized(&c, &Corvana::friendsSynchronized);
        QCOMPARE(c.synchronizeFriends(), Corvana::Success);
        QVERIFY(!one(synchronized).isEmpty());
        QSignalSpy friendsUpdated(&c, &Corvana::friendsUpdated);
        QCOMPARE(c.retrieveFriends(nullptr), Corvana::Success);
        QVERIFY(!one(friendsUpdated).isEmpty());
        QVERIFY(cache->getFriends(me, &friends));
        QVERIFY(!friends.isEmpty());

        // The news feed, the user's own feed and the comments of a commented post.
        QSignalSpy news(&c, &Corvana::newsFeedRetrieved);
        QSignalSpy newsStored(&c, &Corvana::newsFeedUpdated);
        QCOMPARE(c.retrieveNewsFeed(nullptr), Corvana::Success);
        newsFeed = one(news).value(0).value<CvPosts>();
        QVERIFY(!one(newsStored).isEmpty());
        QVERIFY(!newsFeed.isEmpty());
        QSignalSpy feed(&c, &Corvana::profileFeedRetrieved);
        QSignalSpy feedStored(&c, &Corvana::profileFeedUpdated);
        QCOMPARE(c.retrieveProfileFeed(nullptr, QStringLiteral("me")), Corvana::Success);
        profileFeed = one(feed).value(1).value<CvPosts>();
        QVERIFY(!profileFeed.isEmpty());
        QVERIFY(!one(feedStored).isEmpty());
        const auto withComments
            = std::find_if(newsFeed.cbegin(), newsFeed.cend(),
                           [](const CvPost &p) { return p.commentCount() > 0; });
        QVERIFY(withComments != newsFeed.cend());
        commented = withComments->id();
        QSignalSpy commentsStored(&c, &Corvana::commentsUpdated);
        QCOMPARE(c.retrieveComments(nullptr, PostComments, commented), Corvana::Success);
        comments = one(commentsStored).value(2).value<CvMessages>();
        QVERIFY(!comments.isEmpty());

        // The inbox and the messages of its first thread.
        CvDataFilter page(QStringLiteral("me"));
        page.limit = 50;
        QSignalSpy threadsRetrieved(&c, &Corvana::threadsRetrieved);
        QSignalSpy threadsStored(&c, &Corvana::threadsUpdated);
        QCOMPARE(c.retrieveThreads(nullptr, MessageBoxInbox, page), Corvana::Success);
        threads = one(threadsRetrieved).value(1).value<CvThreads>();
        QVERIFY(!one(threadsStored).isEmpty());
        QVERIFY(!threads.isEmpty());
        threadId = threads.first().id();
        QSignalSpy messagesStored(&c, &Corvana::messagesUpdated);
        QCOMPARE(c.retrieveMessages(nullptr, threadId), Corvana::Success);
        messages = one(messagesStored).value(1).value<CvMessages>();
        QVERIFY(!messages.isEmpty());

        // Events, groups and check-ins, each stored under the user.
        QSignalSpy eventsRetrieved(&c, &Corvana::eventsRetrieved);
        QSignalSpy eventsStored(&c, &Corvana::eventsUpdated);
        QCOMPARE(c.retrieveEvents(nullptr), Corvana::Success);
        events = one(eventsRetrieved).value(1).value<CvEvents>();
        QVERIFY(!one(eventsStored).isEmpty());
        QSignalSpy groupsRetrieved(&c, &Corvana::groupsRetrieved);
        QSignalSpy groupsStored(&c, &Corvana::groupsUpdated);
        QCOMPARE(c.retrieveGroups(nullptr), Corvana::Success);
        groups = one(groupsRetrieved).value(1).value<CvGroups>();
        QVERIFY(!one(groupsStored).isEmpty());
        QSignalSpy checkinsRetrieved(&c, &Corvana::checkinsRetrieved);
        QSignalSpy checkinsStored(&c, &Corvana::checkinsUpdated);
        QCOMPARE(c.retrieveCheckins(nullptr), Corvana::Success);
        checkins = one(checkinsRetrieved).value(1).value<CvCheckins>();
        QVERIFY(!one(checkinsStored).isEmpty());
        QVERIFY(!events.isEmpty() && !groups.isEmpty() && !checkins.isEmpty());

        // Photos are asked from the service only: an album's photos, one of them by id.
        QSignalSpy albumsRetrieved(&c, &Corvana::albumsRetrieved);
        QCOMPARE(c.retrieveAlbums(QStringLiteral("me")), Corvana::Success);
        const CvAlbums albums = one(albumsRetrieved).value(1).value<CvAlbums>();
        QVERIFY(!albums.isEmpty());
        QSignalSpy photosRetrieved(&c, &Corvana::photosRetrieved);
        QCOMPARE(c.retrievePhotos(albums.first().id()), Corvana::Success);
        const CvPhotos photos = one(photosRetrieved).value(1).value<CvPhotos>();
        QVERIFY(!photos.isEmpty());
        QSignalSpy photoRetrieved(&c, &Corvana::photoRetrieved);
        QCOMPARE(c.retrievePhoto(photos.first().id()), Corvana::Success);
        QCOMPARE(one(photoRetrieved).value(1).value<CvPhoto>().source(), photos.first().source());

        // Notifications: the combined batch, the list, and one marked read.
        QSignalSpy all(&c, &Corvana::allNotificationsRetrieved);
        QCOMPARE(c.retrieveAllNotifications(), Corvana::Success);
        const QVariantList allArgs = one(all);
        QCOMPARE(allArgs.size(), 4);
        const CvNotificationList notifications = allArgs.at(2).value<CvNotificationList>();
        const auto unread = std::find_if(notifications.cbegin(), notifications.cend(),
                                         [](const CvNotification &n) { return n.unread(); });
        QVERIFY(unread != notifications.cend());
        QSignalSpy listed(&c, &Corvana::notificationListRetrieved);
        QCOMPARE(c.retrieveNotificationList(true, QDateTime()), Corvana::Success);
        QCOMPARE(one(listed).value(0).value<CvNotificationList>().size(), notifications.size());
        QSignalSpy marked(&c, &Corvana::notificationsMarkedRead);
        const QStringList read {unread->id()};
        QCOMPARE(c.markNotificationsRead(read), Corvana::Success);
        QCOMPARE(one(marked), QVariantList({read, true}));
        QCOMPARE(c.retrieveAllNotifications(), Corvana::Success);
        const CvNotificationList after = one(all).value(2).value<CvNotificationList>();
        const auto same = std::find_if(after.cbegin(), after.cend(), [&](const CvNotification &n) {
            return n.id() == read.first();
        });
        QVERIFY(same != after.cend());
        QVERIFY(!same->unread());

        QCOMPARE(errors.size(), 0);
    }
    cache.reset();

    // Offline, by user name: no token, so nothing can be sent and everything comes from the file.
    cache = m_service.cache(QStringLiteral("session"));
    auto offline = m_service.signIn(cache.get(), userName, CorvanaConfiguration::UserName);
    QVERIFY(offline);
    Corvana &c = *offline;
    QSignalSpy errors(&c, &Corvana::error);
    QCOMPARE(c.currentProfileId(), me);

    CvUser user;
    QCOMPARE(c.retrieveProfile(&user, QStringLiteral("me")), Corvana::Success);
    QCOMPARE(user.id(), me);
    QCOMPARE(user.name(), profile.name());
    CvUsers cachedFriends;
    QCOMPARE(c.retrieveFriends(&cachedFriends), Corvana::Success);
    QCOMPARE(userDigest(cachedFriends), userDigest(friends));

    CvPosts posts;
    QCOMPARE(c.retrieveNewsFeed(&posts), Corvana::Success);
    QCOMPARE(postDigest(posts), postDigest(newsFeed));
    posts.clear();
    QCOMPARE(c.retrieveProfileFeed(&posts, QStringLiteral("me")), Corvana::Success);
    QCOMPARE(postDigest(posts), postDigest(profileFeed));
    CvMessages cachedComments;
    QCOMPARE(c.retrieveComments(&cachedComments, PostComments, commented), Corvana::Success);
    QCOMPARE(messageDigest(cachedComments), messageDigest(comments));

    CvDataFilter page(QStringLiteral("me"));
    page.limit = 50;
    CvThreads cachedThreads;
    QCOMPARE(c.retrieveThreads(&cachedThreads, MessageBoxInbox, page), Corvana::Success);
    QCOMPARE(digest(cachedThreads, [](const CvThread &t) { return t.subject(); }),
             digest(threads, [](const CvThread &t) { return t.subject(); }));
    CvMessages cachedMessages;
    QCOMPARE(c.retrieveMessages(&cachedMessages, threadId), Corvana::Success);
    QCOMPARE(messageDigest(cachedMessages), messageDigest(messages));

    CvEvents cachedEvents;
    QCOMPARE(c.retrieveEvents(&cachedEvents), Corvana::Success);
    QCOMPARE(digest(cachedEvents, [](const CvEvent &e) { return e.name(); }),
             digest(events, [](const CvEvent &e) { return e.name(); }));
    CvGroups cachedGroups;
    QCOMPARE(c.retrieveGroups(&cachedGroups), Corvana::Success);
    QCOMPARE(digest(cachedGroups, [](const CvGroup &g) { return g.name(); }),
             digest(groups, [](const CvGroup &g) { return g.name(); }));
    CvCheckins cachedCheckins;
    QCOMPARE(c.retrieveCheckins(&cachedCheckins), Corvana::Success);
    QCOMPARE(digest(cachedCheckins, [](const CvCheckin &k) { return k.message(); }),
             digest(checkins, [](const CvCheckin &k) { return k.message(); }));

    // What only the service holds is refused, not answered from an empty cache.
    QCOMPARE(c.retrievePhotos(QStringLiteral("me")), Corvana::NetworkUnavailable);
    QCOMPARE(c.retrieveAllNotifications(), Corvana::NetworkUnavailable);
    QCOMPARE(errors.size(), 0);

    offline.reset();
    cache.reset();
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("integrity"));
        db.setDatabaseName(m_service.databasePath(QStringLiteral("session")));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA integrity_check")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("integrity"));
}

QTEST_GUILESS_MAIN(tst_CorvanaSessionEmulator)
#include "tst_corvana_session_emulator.moc"
