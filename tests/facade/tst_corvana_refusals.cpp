// Return codes the facade decides before it sends anything: first by its state (not
// initialized, then offline), then by the arguments. A refused operation answers at once and
// sends nothing.

#include "corvana.h"
#include "cvdatafilter.h"
#include "cvwallpostinfo.h"
#include "facadefixture.h"

#include <QtTest>

#include <functional>

using namespace Cv;
using namespace Qt::StringLiterals;

using Operation = std::function<Corvana::ReturnCode(Corvana &)>;
Q_DECLARE_METATYPE(Operation)

namespace {

enum State { Uninitialized, Offline, SignedIn };

CvTag tagAt(const QString &user)
{
    CvTag tag(user);
    tag.setX(1);
    tag.setY(2);
    return tag;
}

// Every operation that needs the service, with arguments it would accept: only the state
// refuses these.
QList<QPair<const char *, Operation>> serviceOperations(const QString &file)
{
    const QSet<QString> fields {u"name"_s};
    return {
        {"retrievePhotos(filter)",
         [](Corvana &c) { return c.retrievePhotos(CvDataFilter(u"me"_s)); }},
        {"retrievePhotos(id)", [](Corvana &c) { return c.retrievePhotos(u"me"_s); }},
        {"retrieveAlbums(filter)",
         [](Corvana &c) { return c.retrieveAlbums(CvDataFilter(u"me"_s)); }},
        {"retrieveAlbums(id)", [](Corvana &c) { return c.retrieveAlbums(u"me"_s); }},
        {"retrieveVideos(filter)",
         [](Corvana &c) { return c.retrieveVideos(CvDataFilter(u"me"_s)); }},
        {"retrieveVideos(id)", [](Corvana &c) { return c.retrieveVideos(u"me"_s); }},
        {"retrieveUploadedVideos(filter)",
         [](Corvana &c) { return c.retrieveUploadedVideos(CvDataFilter(u"me"_s)); }},
        {"retrieveUploadedVideos(id)",
         [](Corvana &c) { return c.retrieveUploadedVideos(u"me"_s); }},
        {"retrievePhoto", [](Corvana &c) { return c.retrievePhoto(u"1_2"_s); }},
        {"retrieveAlbum", [](Corvana &c) { return c.retrieveAlbum(u"a1"_s); }},
        {"retrieveVideo", [](Corvana &c) { return c.retrieveVideo(u"v1"_s); }},
        {"uploadPhoto", [file](Corvana &c) { return c.uploadPhoto(u"me"_s, file, u"hi"_s); }},
        {"createAlbum(privacy)",
         [](Corvana &c) { return c.createAlbum(u"me"_s, u"n"_s, u"m"_s, u"EVERYONE"_s); }},
        {"createAlbum", [](Corvana &c) { return c.createAlbum(u"me"_s, u"n"_s, u"m"_s); }},
        {"createPhotoTag", [](Corvana &c) { return c.createPhotoTag(u"p1"_s, u"u1"_s, 1, 2); }},
        {"createPhotoTags",
         [](Corvana &c) { return c.createPhotoTags(u"p1"_s, {tagAt(u"u1"_s)}); }},
        {"deletePhotoTag", [](Corvana &c) { return c.deletePhotoTag(u"p1"_s, u"u1"_s); }},
        {"deleteObject", [](Corvana &c) { return c.deleteObject(u"p1"_s); }},
        {"retrieveObjects", [](Corvana &c) { return c.retrieveObjects({u"u1"_s}); }},
        {"searchPeople", [](Corvana &c) { return c.searchPeople(u"s"_s, u"a"_s); }},
        {"searchPeople(fields)",
         [fields](Corvana &c) { return c.searchPeople(u"s"_s, u"a"_s, fields); }},
        {"searchPage", [](Corvana &c) { return c.searchPage(u"s"_s, u"a"_s); }},
        {"searchGroup", [](Corvana &c) { return c.searchGroup(u"s"_s, u"a"_s); }},
        {"retrieveNotifications", [](Corvana &c) { return c.retrieveNotifications(); }},
        {"retrieveNotificationList",
         [](Corvana &c) { return c.retrieveNotificationList(true, QDateTime()); }},
        {"markNotificationsRead", [](Corvana &c) { return c.markNotificationsRead({u"n1"_s}); }},
        {"retrieveAllNotifications", [](Corvana &c) { return c.retrieveAllNotifications(); }},
    };
}

} // namespace

class tst_CorvanaRefusals : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void returnCodes_data();
    void returnCodes();

private:
    std::unique_ptr<FacadeFixture> m_fixture;
};

void tst_CorvanaRefusals::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
}

void tst_CorvanaRefusals::cleanup()
{
    m_fixture.reset();
}

void tst_CorvanaRefusals::returnCodes_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<Corvana::ReturnCode>("expected");
    QTest::addColumn<bool>("sends"); // a request leaves after all

    // Any existing file will do: the upload is refused before it is read.
    const QString file = QCoreApplication::applicationFilePath();
    for (const auto &op : serviceOperations(file)) {
        QTest::addRow("not initialized: %s", op.first)
            << int(Uninitialized) << op.second << Corvana::NotInitialized << false;
        QTest::addRow("offline: %s", op.first)
            << int(Offline) << op.second << Corvana::NetworkUnavailable << false;
    }

    using C = Corvana;
    const auto row
        = [](const char *name, State state, Operation op, C::ReturnCode code, bool sends = false) {
              QTest::newRow(name) << int(state) << op << code << sends;
          };
    const auto outside = C::EventRsvpStatus(9);
    const QSet<QString> noFields;
    CvDataFilter thirteenMonths(u"me"_s);
    thirteenMonths.since = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    thirteenMonths.until = QDateTime(QDate(2027, 2, 1), QTime(0, 0), Qt::UTC);

    // Profile, friends and data.
    row(
        "profile without id", SignedIn,
        [](C &c) { return c.retrieveProfile(nullptr, CvDataFilter()); }, C::InvalidArgument);
    row(
        "friends online", SignedIn, [](C &c) { return c.retrieveFriends(nullptr); }, C::Success,
        true);
    row(
        "friends offline", Offline, [](C &c) { return c.retrieveFriends(nullptr); }, C::Success);
    row(
        "friend check offline", Offline, [](C &c) { return c.checkIsFriend(u"42"_s); },
        C::NetworkUnavailable);
    row(
        "friend check without id", SignedIn, [](C &c) { return c.checkIsFriend(QString()); },
        C::InvalidArgument);
    row(
        "friend check smuggling a statement", SignedIn,
        [](C &c) { return c.checkIsFriend(u"42' OR uid2='1"_s); }, C::InvalidArgument);
    row(
        "friend request offline", Offline, [](C &c) { return c.sendFriendRequest(u"42"_s); },
        C::NetworkUnavailable);
    row(
        "friend request online", SignedIn, [](C &c) { return c.sendFriendRequest(u"42"_s); },
        C::Success, true);
    row(
        "data without host", SignedIn,
        [](C &c) { return c.retrieveData(QUrl(u"/relative/file.png"_s)); }, C::InvalidArgument);
    row(
        "picture offline", Offline,
        [](C &c) { return c.retrieveProfilePicture(u"me"_s, PictureLarge); }, C::Success);
    row(
        "birthdays over 13 months", SignedIn,
        [thirteenMonths](C &c) { return c.retrieveBirthdaysOfFriends(nullptr, thirteenMonths); },
        C::InvalidArgument);

    // Feeds, walls and notes.
    row(
        "news feed of another user", SignedIn,
        [](C &c) { return c.retrieveNewsFeed(nullptr, CvDataFilter(u"42"_s)); },
        C::InvalidArgument);
    row(
        "comments without cache offline", Offline,
        [](C &c) { return c.retrieveComments(u"100_5"_s); }, C::Success);
    row(
        "like check with a statement", SignedIn,
        [](C &c) { return c.checkIfUserLikesPost(u"42"_s, u"1_2%22 OR 1=1"_s); },
        C::InvalidArgument);
    row(
        "wall offline, empty message", Offline,
        [](C &c) { return c.writeToWall(u"me"_s, CvWallPostInfo()); }, C::NetworkUnavailable);
    row(
        "wall, empty message", SignedIn,
        [](C &c) { return c.writeToWall(u"me"_s, CvWallPostInfo()); }, C::InvalidArgument);
    row(
        "note offline, nothing to say", Offline,
        [](C &c) { return c.writeNote(u"me"_s, QString(), QString()); }, C::InvalidArgument);
    row(
        "note offline", Offline, [](C &c) { return c.writeNote(u"me"_s, u"s"_s, QString()); },
        C::NetworkUnavailable);
    row(
        "like without id", SignedIn, [](C &c) { return c.writeToLikes(QString(), Like); },
        C::InvalidArgument);

    // Threads and messages.
    row(
        "threads of another user", SignedIn,
        [](C &c) { return c.retrieveThreads(nullptr, MessageBoxInbox, CvDataFilter(u"200"_s)); },
        C::InvalidArgument);
    row(
        "messages without thread", SignedIn,
        [](C &c) { return c.retrieveMessages(nullptr, QString()); }, C::InvalidArgument);
    row(
        "messages of a hostile thread id", SignedIn,
        [](C &c) { return c.retrieveMessages(nullptr, u"t1' OR '1'='1"_s); }, C::InvalidArgument);
    row(
        "attachments of a hostile thread id", SignedIn,
        [](C &c) { return c.retrieveThreadAttachments(nullptr, u"1 OR 1=1"_s); },
        C::InvalidArgument);
    row(
        "sending without recipients", SignedIn, [](C &c) { return c.sendMessage(u"hi"_s, {}); },
        C::RequestFailed);
    row(
        "replying without message", SignedIn,
        [](C &c) { return c.replyToMessage(u"t1"_s, QString()); }, C::InvalidArgument);
    row(
        "marking without thread", SignedIn,
        [](C &c) { return c.markMessageThreadStatus(QString(), MarkRead); }, C::InvalidArgument);

    // Media, tags and searches.
    row(
        "upload without id", SignedIn,
        [](C &c) { return c.uploadPhoto(QString(), u"f"_s, u"m"_s); }, C::InvalidArgument);
    row(
        "upload without file name", SignedIn,
        [](C &c) { return c.uploadPhoto(u"me"_s, QString(), u"m"_s); }, C::InvalidArgument);
    row(
        "upload of a missing file", SignedIn,
        [](C &c) { return c.uploadPhoto(u"me"_s, u"/nonexistent/x.jpg"_s, u"m"_s); },
        C::RequestFailed);
    row(
        "tags without photo", SignedIn,
        [](C &c) { return c.createPhotoTags(QString(), {tagAt(u"u1"_s)}); }, C::InvalidArgument);
    row(
        "no tags", SignedIn, [](C &c) { return c.createPhotoTags(u"p1"_s, {}); },
        C::InvalidArgument);
    row(
        "tag id with a comma", SignedIn,
        [](C &c) { return c.createPhotoTags(u"p1"_s, {tagAt(u"u1,u2"_s)}); }, C::InvalidArgument);
    row(
        "tag id with a space", SignedIn,
        [](C &c) {
            return c.createPhotoTags(u"p1"_s, {tagAt(u"u1"_s), tagAt(u"u 2"_s)});
        },
        C::InvalidArgument);
    row(
        "photo id with a space", SignedIn,
        [](C &c) { return c.createPhotoTags(u"p 1"_s, {tagAt(u"u1"_s)}); }, C::InvalidArgument);
    row(
        "tag without user", SignedIn,
        [](C &c) { return c.createPhotoTag(u"p1"_s, QString(), 1, 2); }, C::InvalidArgument);
    row(
        "untag without photo", SignedIn, [](C &c) { return c.deletePhotoTag(QString(), u"u1"_s); },
        C::InvalidArgument);
    row(
        "no objects", SignedIn, [](C &c) { return c.retrieveObjects({}); }, C::InvalidArgument);
    row(
        "people without query", SignedIn, [](C &c) { return c.searchPeople(u"s"_s, QString()); },
        C::InvalidArgument);
    row(
        "people with an empty field set", SignedIn,
        [noFields](C &c) { return c.searchPeople(u"s"_s, u"ann"_s, noFields); },
        C::InvalidArgument);
    row(
        "pages without query", SignedIn, [](C &c) { return c.searchPage(u"s"_s, QString()); },
        C::InvalidArgument);
    row(
        "groups without query", SignedIn, [](C &c) { return c.searchGroup(u"s"_s, QString()); },
        C::InvalidArgument);
    row(
        "photos without id", SignedIn, [](C &c) { return c.retrievePhotos(QString()); },
        C::RequestFailed);
    row(
        "photo without id", SignedIn, [](C &c) { return c.retrievePhoto(QString()); },
        C::RequestFailed);
    row(
        "album without name", SignedIn,
        [](C &c) { return c.createAlbum(u"me"_s, QString(), u"m"_s); }, C::RequestFailed);
    row(
        "delete without id", SignedIn, [](C &c) { return c.deleteObject(QString()); },
        C::RequestFailed);

    // Events, groups, pages and places.
    row(
        "page like refused", SignedIn, [](C &c) { return c.likePage(QString()); },
        C::InvalidArgument);
    row(
        "status outside the enumeration", SignedIn,
        [outside](C &c) { return c.setEventRsvpStatus(u"e1"_s, outside); }, C::InvalidArgument);
    row(
        "event id unfit for a statement", SignedIn,
        [](C &c) { return c.retrieveEventDetails(nullptr, u"e 1"_s); }, C::InvalidArgument);
    row(
        "place search without query", SignedIn,
        [](C &c) { return c.searchPlace(u"s"_s, QString()); }, C::InvalidArgument);
    row(
        "invited users of no status", SignedIn,
        [outside](C &c) { return c.retrieveInvitedUsers(u"e1"_s, outside); }, C::RequestFailed);
    row(
        "check-in without place", SignedIn,
        [](C &c) { return c.checkIntoPlace(CvPlace(), u"Hi"_s); }, C::RequestFailed);
    row(
        "members of no group", SignedIn, [](C &c) { return c.retrieveMembers(QString()); },
        C::RequestFailed);
    row(
        "answer to no event", SignedIn,
        [](C &c) { return c.setEventRsvpStatus(QString(), C::RsvpUnsure); }, C::RequestFailed);
    row(
        "offline place search", Offline, [](C &c) { return c.searchPlace(u"s"_s, u"cafe"_s); },
        C::NetworkUnavailable);
    row(
        "offline page like", Offline, [](C &c) { return c.likePage(u"p1"_s); },
        C::NetworkUnavailable);
    row(
        "offline recent check-ins", Offline, [](C &c) { return c.retrieveRecentCheckins(); },
        C::Success);
    row(
        "offline page details", Offline, [](C &c) { return c.retrievePageDetails(u"p1"_s); },
        C::Success);
}

void tst_CorvanaRefusals::returnCodes()
{
    QFETCH(int, state);
    QFETCH(Operation, operation);
    QFETCH(Corvana::ReturnCode, expected);
    QFETCH(bool, sends);

    std::unique_ptr<Corvana> corvana;
    if (state == Uninitialized) {
        CorvanaConfiguration configuration(u"token-1234"_s, CorvanaConfiguration::AccessToken);
        configuration.setCache(&m_fixture->cache());
        corvana = std::make_unique<Corvana>(configuration);
    } else {
        corvana = state == Offline ? m_fixture->signInOffline() : m_fixture->signIn();
    }
    QVERIFY(corvana);
    const int before = m_fixture->service().requestCount();
    QCOMPARE(operation(*corvana), expected);
    if (sends) {
        QVERIFY(m_fixture->service().waitForRequests(before + 1));
    } else {
        // Requests leave from the event loop: give a wrong one the chance to arrive.
        QTest::qWait(50);
        QCOMPARE(m_fixture->service().requestCount(), before);
    }
}

QTEST_GUILESS_MAIN(tst_CorvanaRefusals)
#include "tst_corvana_refusals.moc"
