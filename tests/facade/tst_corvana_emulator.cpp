// The facade end to end against the emulator over HTTPS: sign-in, friends and birthdays,
// feeds, comments and writes, message threads.

#include "corvana.h"
#include "cvdatafilter.h"
#include "emulatorprocess.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace Cv;

class tst_CorvanaEmulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signInFriendsAndBirthdays();
    void feedsPostsAndComments();
    void invalidTokenIsReported();
    void messageThreads();

private:
    FacadeEmulator m_service;
};

void tst_CorvanaEmulator::initTestCase()
{
    QVERIFY(m_service.start({QStringLiteral("--seed"), QStringLiteral("3")}));
}

void tst_CorvanaEmulator::signInFriendsAndBirthdays()
{
    const QString database = m_service.databasePath(QStringLiteral("cache"));
    QString profileId;
    int friendCount = 0;
    {
        const auto cache = m_service.cache(QStringLiteral("cache"));
        CorvanaConfiguration configuration(m_service.emulator().token,
                                           CorvanaConfiguration::AccessToken);
        configuration.setCache(cache.get());
        Corvana corvana(configuration);
        QSignalSpy errors(&corvana, &Corvana::error);

        QSignalSpy initialized(&corvana, qOverload<const QDateTime &>(&Corvana::initialized));
        QSignalSpy picture(&corvana, &Corvana::profilePictureUpdated);
        corvana.init();
        QVERIFY(initialized.wait(20000));
        profileId = corvana.currentProfileId();
        QVERIFY(!profileId.isEmpty());
        // The service's clock, taken from the reply's Date header.
        QVERIFY(
            qAbs(initialized.first().first().toDateTime().secsTo(QDateTime::currentDateTimeUtc()))
            < 300);
        QVERIFY(picture.wait(20000));
        QVERIFY(QFileInfo::exists(picture.first().at(2).toString()));

        QSignalSpy synchronized(&corvana, &Corvana::friendsSynchronized);
        QCOMPARE(corvana.synchronizeFriends(), Corvana::Success);
        QVERIFY(synchronized.wait(20000));
        friendCount = synchronized.first().at(0).value<CvUserRefs>().size();
        QVERIFY(friendCount > 0);
        QVERIFY(synchronized.first().at(1).value<CvUserRefs>().isEmpty());

        // A second synchronization finds nothing new and nothing gone.
        QCOMPARE(corvana.synchronizeFriends(), Corvana::Success);
        QVERIFY(synchronized.wait(20000));
        QVERIFY(synchronized.at(1).at(0).value<CvUserRefs>().isEmpty());
        QVERIFY(synchronized.at(1).at(1).value<CvUserRefs>().isEmpty());

        QSignalSpy birthdays(&corvana, &Corvana::birthdaysOfFriendsUpdated);
        QCOMPARE(corvana.retrieveBirthdaysOfFriends(nullptr), Corvana::Success);
        QVERIFY(birthdays.wait(20000));
        const CvUsers upcoming = birthdays.first().first().value<CvUsers>();
        QVERIFY(!upcoming.isEmpty());
        for (const CvUser &user : upcoming)
            QVERIFY(!user.birthday().isEmpty());

        // The cache answers at once, in the same order, without asking the service.
        CvUsers cached;
        QCOMPARE(corvana.retrieveBirthdaysOfFriends(&cached, Corvana::CacheOnly), Corvana::Success);
        QCOMPARE(cached.size(), upcoming.size());
        for (int i = 0; i < cached.size(); ++i)
            QCOMPARE(cached.at(i).birthday().left(5), upcoming.at(i).birthday().left(5));
        QCOMPARE(errors.size(), 0);
    }

    // Afterwards the cache file holds the profile and every friendship.
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("inspect"));
        db.setDatabaseName(database);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(
            QStringLiteral("SELECT COUNT(*) FROM friendships WHERE user = '%1'").arg(profileId)));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), friendCount);
        QVERIFY(query.exec(
            QStringLiteral("SELECT COUNT(*) FROM users WHERE id = '%1'").arg(profileId)));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("inspect"));
}

// Feeds, comments, a wall post and a like, then the cache file checked.
void tst_CorvanaEmulator::feedsPostsAndComments()
{
    const QString database = m_service.databasePath(QStringLiteral("feeds"));
    QString wallPost;
    {
        const auto cachePointer = m_service.cache(QStringLiteral("feeds"));
        CvCache &cache = *cachePointer;
        const auto signedIn = m_service.signIn(&cache);
        QVERIFY(signedIn);
        Corvana &corvana = *signedIn;
        QSignalSpy errors(&corvana, &Corvana::error);

        QSignalSpy news(&corvana, &Corvana::newsFeedRetrieved);
        QSignalSpy newsUpdated(&corvana, &Corvana::newsFeedUpdated);
        QCOMPARE(corvana.retrieveNewsFeed(nullptr), Corvana::Success);
        QVERIFY(newsUpdated.wait(20000));
        const CvPosts feed = news.first().first().value<CvPosts>();
        QVERIFY(!feed.isEmpty());
        QCOMPARE(newsUpdated.first().at(0).value<CvPosts>().size(), feed.size());
        CvPosts cached;
        QCOMPARE(corvana.retrieveNewsFeed(&cached, Corvana::CacheOnly), Corvana::Success);
        QCOMPARE(cached.size(), feed.size());

        QSignalSpy profile(&corvana, &Corvana::profileFeedRetrieved);
        QCOMPARE(corvana.retrieveProfileFeed(nullptr, QStringLiteral("me")), Corvana::Success);
        QVERIFY(profile.wait(20000));
        QCOMPARE(profile.first().first().toString(), corvana.currentProfileId());

        // Comments of the first post that has some, synchronized under the post.
        QString commented;
        for (const CvPost &post : feed) {
            if (post.commentCount() > 0) {
                commented = post.id();
                break;
            }
        }
        QVERIFY(!commented.isEmpty());
        QSignalSpy comments(&corvana, &Corvana::commentsUpdated);
        QCOMPARE(corvana.retrieveComments(nullptr, PostComments, commented), Corvana::Success);
        QVERIFY(comments.wait(20000));
        QCOMPARE(comments.first().at(1).toString(), commented);
        CvMessages storedComments;
        QVERIFY(cache.getComments(PostComments, commented, &storedComments));
        QCOMPARE(storedComments.size(), comments.first().at(2).value<CvMessages>().size());

        // A wall post shows up in the next news feed, and can be liked.
        QSignalSpy written(&corvana, &Corvana::wallWriteComplete);
        CvWallPostInfo info;
        info.message = QStringLiteral("Written by the end-to-end test");
        QCOMPARE(corvana.writeToWall(QStringLiteral("me"), info), Corvana::Success);
        QVERIFY(written.wait(20000));
        wallPost = written.first().first().toString();
        QVERIFY(wallPost.startsWith(corvana.currentProfileId() + QLatin1Char('_')));

        QCOMPARE(corvana.retrieveNewsFeed(nullptr), Corvana::Success);
        QVERIFY(newsUpdated.wait(20000));
        QCOMPARE(news.last().first().value<CvPosts>().first().id(), wallPost);
        QCOMPARE(newsUpdated.last().at(0).value<CvPosts>().first().id(), wallPost);

        QSignalSpy liked(&corvana, &Corvana::likesWriteComplete);
        QCOMPARE(corvana.writeToLikes(wallPost, Like), Corvana::Success);
        QVERIFY(liked.wait(20000));
        QSignalSpy likeChecked(&corvana, &Corvana::ifUserLikesPostChecked);
        QCOMPARE(corvana.checkIfUserLikesPost(QStringLiteral("me"), wallPost), Corvana::Success);
        QVERIFY(likeChecked.wait(20000));
        QVERIFY(likeChecked.first().at(1).toBool());
        QCOMPARE(likeChecked.first().at(2).value<CvPost>().likes(), 1);
        QCOMPARE(errors.size(), 0);
    }

    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("feeds"));
        db.setDatabaseName(database);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("PRAGMA integrity_check")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("ok"));
        QVERIFY(query.exec(
            QStringLiteral("SELECT message, likes FROM posts WHERE id = '%1'").arg(wallPost)));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("Written by the end-to-end test"));
        QCOMPARE(query.value(1).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("feeds"));
}

void tst_CorvanaEmulator::invalidTokenIsReported()
{
    const auto cache = m_service.cache(QStringLiteral("other"));
    CorvanaConfiguration configuration(QStringLiteral("not-a-token"),
                                       CorvanaConfiguration::AccessToken);
    configuration.setCache(cache.get());
    Corvana corvana(configuration);
    QSignalSpy errors(&corvana, &Corvana::error);
    QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
    corvana.init();
    QVERIFY(errors.wait(20000));
    QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::InvalidAccessToken);
    QCOMPARE(initialized.size(), 0);
    QVERIFY(!corvana.isInitialized());
}

// Threads, messages and their attachments stored together, a reply, read marks and the
// unread count.
void tst_CorvanaEmulator::messageThreads()
{
    const auto cachePointer = m_service.cache(QStringLiteral("threads"));
    CvCache &cache = *cachePointer;
    const auto signedIn = m_service.signIn(&cache);
    QVERIFY(signedIn);
    Corvana &corvana = *signedIn;
    QSignalSpy errors(&corvana, &Corvana::error);
    const QString me = corvana.currentProfileId();

    // The inbox: every thread is new to the cache, and the cache answers with them afterwards.
    CvDataFilter page(QStringLiteral("me"));
    page.limit = 50;
    QSignalSpy threadsSynced(&corvana, &Corvana::threadsUpdated);
    QCOMPARE(corvana.retrieveThreads(nullptr, MessageBoxInbox, page), Corvana::Success);
    QVERIFY(threadsSynced.wait(20000));
    const CvThreads inbox = threadsSynced.first().at(1).value<CvThreads>();
    QVERIFY(inbox.size() >= 2);
    CvThreads cachedThreads;
    QCOMPARE(corvana.retrieveThreads(&cachedThreads, MessageBoxInbox, page, Corvana::CacheOnly),
             Corvana::Success);
    QCOMPARE(cachedThreads.size(), inbox.size());

    // Messages of the threads until one carries an attachment.
    QSignalSpy messagesUpdated(&corvana, &Corvana::messagesUpdated);
    QString threadId;
    int attached = 0;
    CvUserRef other;
    for (const CvThread &thread : inbox) {
        messagesUpdated.clear();
        QCOMPARE(corvana.retrieveMessages(nullptr, thread.id()), Corvana::Success);
        QVERIFY(messagesUpdated.wait(20000));
        QCOMPARE(messagesUpdated.first().at(0).toString(), thread.id());
        const CvMessages messages = messagesUpdated.first().at(1).value<CvMessages>();
        QCOMPARE(messages.size(), thread.messageCount());
        for (const CvMessage &message : messages) {
            if (message.hasAttachment())
                ++attached;
            if (message.from().id != me)
                other = message.from();
        }
        if (attached > 0) {
            threadId = thread.id();
            break;
        }
    }
    QVERIFY2(!threadId.isEmpty(), "no inbox thread with an attachment");

    // Its attachments are stored against their messages and read back from the cache alone.
    QSignalSpy attachmentsUpdated(&corvana, &Corvana::threadAttachmentsUpdated);
    QCOMPARE(corvana.retrieveThreadAttachments(nullptr, threadId), Corvana::Success);
    QVERIFY(attachmentsUpdated.wait(20000));
    const CvAttachments attachments = attachmentsUpdated.first().at(1).value<CvAttachments>();
    QCOMPARE(attachments.size(), attached);
    QCOMPARE(errors.size(), 0);
    CvAttachments cachedAttachments;
    QCOMPARE(corvana.retrieveThreadAttachments(&cachedAttachments, threadId, Corvana::CacheOnly),
             Corvana::Success);
    QCOMPARE(cachedAttachments.size(), attached);
    for (int i = 0; i < attached; ++i) {
        QCOMPARE(cachedAttachments.at(i).id(), attachments.at(i).id());
        QCOMPARE(cachedAttachments.at(i).type(), attachments.at(i).type());
        CvMessage message;
        QVERIFY(cache.getMessage(threadId, cachedAttachments.at(i).id(), &message));
    }

    // A reply shows up in the thread.
    QSignalSpy replied(&corvana, &Corvana::messageReplied);
    const QString text = QStringLiteral("See you at eight");
    QCOMPARE(corvana.replyToMessage(threadId, text), Corvana::Success);
    QVERIFY(replied.wait(20000));
    QCOMPARE(replied.first().first().toString(), threadId);
    messagesUpdated.clear();
    QCOMPARE(corvana.retrieveMessages(nullptr, threadId), Corvana::Success);
    QVERIFY(messagesUpdated.wait(20000));
    const CvMessages after = messagesUpdated.first().at(1).value<CvMessages>();
    QCOMPARE(after.first().content(), text);
    QCOMPARE(after.first().from().id, me);
    CvMessages cachedMessages;
    QCOMPARE(corvana.retrieveMessages(&cachedMessages, threadId, Corvana::CacheOnly),
             Corvana::Success);
    QCOMPARE(cachedMessages.first().content(), text);

    // Marked unread the thread counts as unread; marked read, one fewer.
    QSignalSpy marked(&corvana, &Corvana::messageThreadStatusMarked);
    QSignalSpy counted(&corvana, &Corvana::numberOfUnreadThreadsRetrieved);
    const auto markAndCount = [&](ReadType type) -> quint32 {
        marked.clear();
        counted.clear();
        if (corvana.markMessageThreadStatus(threadId, type) != Corvana::Success
            || !marked.wait(20000) || marked.first().at(0).toString() != threadId
            || !marked.first().at(1).toBool())
            return quint32(-1);
        if (corvana.retrieveNumberOfUnreadThreads(MessageBoxInbox) != Corvana::Success
            || !counted.wait(20000)
            || counted.first().at(0).value<MessageBoxType>() != MessageBoxInbox)
            return quint32(-1);
        return counted.first().at(1).value<quint32>();
    };
    const quint32 unread = markAndCount(MarkUnread);
    QVERIFY(unread >= 1 && unread != quint32(-1));
    QCOMPARE(markAndCount(MarkRead), unread - 1);

    // A new thread to the other participant.
    QVERIFY(!other.id.isEmpty());
    QSignalSpy sent(&corvana, &Corvana::messageSent);
    QCOMPARE(corvana.sendMessage(QStringLiteral("Hello again"), {other.id}), Corvana::Success);
    QVERIFY(sent.wait(20000));
    const QString started = sent.first().first().toString();
    QVERIFY(!started.isEmpty() && started != threadId);
    QCOMPARE(errors.size(), 0);
}

QTEST_GUILESS_MAIN(tst_CorvanaEmulator)
#include "tst_corvana_emulator.moc"
