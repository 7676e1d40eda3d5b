#include "cachetestutil.h"

using namespace Cv;

using UserEdit = std::function<void(CvUser *)>;
Q_DECLARE_METATYPE(UserEdit)

namespace {

CvUser fullUser(const QString &id, const QString &name)
{
    CvUser u(id, name);
    u.setFirstName(name + s(" First"));
    u.setLastName(s("Last"));
    u.setLink(s("https://example.invalid/") + id);
    u.setAbout(s("about"));
    u.setBirthday(s("03/04/1981"));
    u.setEmail(id + s("@example.invalid"));
    u.setWebsite(s("https://site.invalid"));
    u.setHometown(s("Hometown"));
    u.setLocation(s("Location"));
    u.setBio(s("bio ✓"));
    u.setGender(s("female"));
    u.setInterestedIn(s("interests"));
    u.setMeetingFor(s("meeting"));
    u.setRelationshipStatus(s("Single"));
    u.setReligion(s("religion"));
    u.setPolitical(s("political"));
    u.setTimezone(-5);
    u.setPicture(s("https://pic.invalid/") + id);
    u.setMobilePhone(s("+1 555"));
    u.setLocale(s("en_GB"));
    return u;
}

// The user that fieldMerge writes over a stored fullUser(u1, Ann).
CvUser incomingUser()
{
    CvUser u = fullUser(s("u1"), s("Bob"));
    u.setEmail(s("new@example.invalid"));
    u.setTimezone(9);
    u.setSignificantOther(CvUserRef(s("p2"), s("Other")));
    return u;
}

} // namespace

class tst_CvCacheUsers : public CacheFixture
{
    Q_OBJECT

private slots:
    void init();
    void updateUserRoundTrip();
    void fieldMerge_data();
    void fieldMerge();
    void referenceKeepsDetails();
    void batchesRollBackWhole_data();
    void batchesRollBackWhole();
    void friendships();
    void cascades_data();
    void cascades();
    void busyDatabase();
    void friendsOrderPagingAndReopen();
    void birthdays_data();
    void birthdays();
};

void tst_CvCacheUsers::init()
{
    nextFiles();
    reopen();
}

void tst_CvCacheUsers::updateUserRoundTrip()
{
    CvUser user = fullUser(s("u1"), s("Ann"));
    user.setSignificantOther(CvUserRef(s("p1"), s("Partner")));
    QCOMPARE(m_cache->updateUser(user), CvCache::Inserted);
    // The lookups before the inserts leave their not-found record: the partner's is last.
    QCOMPARE(m_cache->lastError(), CvCache::ItemNotFound);
    QCOMPARE(m_cache->lastErrorDescription(),
             s("Item was not found by field [id] with value [p1]"));

    CvUser read;
    QVERIFY(m_cache->getUser(s("u1"), &read));
    QCOMPARE(read, user);
    QCOMPARE(read.significantOther().name, s("Partner"));
    QVERIFY(m_cache->getUser(s("u1@example.invalid"), &read, CvCache::ByEmail));
    QCOMPARE(read.id(), s("u1"));
    // A miss leaves the out-parameter alone and names the field.
    CvUser untouched(s("keep"), s("me"));
    QVERIFY(!m_cache->getUser(s("u1"), &untouched, CvCache::ByEmail));
    QCOMPARE(untouched.id(), s("keep"));
    QCOMPARE(m_cache->lastErrorDescription(),
             s("Item was not found by field [email] with value [u1]"));

    QCOMPARE(m_cache->updateUser(user), CvCache::NotChanged);
    user.setTimezone(2);
    user.setBirthday(QString());
    QCOMPARE(m_cache->updateUser(user), CvCache::Updated);
    QVERIFY(m_cache->getUser(s("u1"), &read));
    QCOMPARE(read, user);
    QCOMPARE(rows("users"), 2);
}

void tst_CvCacheUsers::fieldMerge_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<UserEdit>("expect");
    QTest::newRow("email only") << QStringList {
        s("email")} << UserEdit([](CvUser *u) { u->setEmail(s("new@example.invalid")); });
    QTest::newRow("timezone and name")
        << QStringList {s("timezone"), s("name")} << UserEdit([](CvUser *u) {
               u->setTimezone(9);
               u->setName(s("Bob"));
           });
    QTest::newRow("first_name") << QStringList {s("first_name")}
                                << UserEdit([](CvUser *u) { u->setFirstName(s("Bob First")); });
    QTest::newRow("significant_other")
        << QStringList {s("significant_other")}
        << UserEdit([](CvUser *u) { u->setSignificantOther(CvUserRef(s("p2"), s("Other"))); });
    QTest::newRow("unknown and id are ignored")
        << QStringList {s("id"), s("nickname")} << UserEdit([](CvUser *) {});
    QTest::newRow("no fields: whole user")
        << QStringList() << UserEdit([](CvUser *u) { *u = incomingUser(); });
}

void tst_CvCacheUsers::fieldMerge()
{
    QFETCH(QStringList, fields);
    QFETCH(UserEdit, expect);
    const CvUser stored = fullUser(s("u1"), s("Ann"));
    QCOMPARE(m_cache->updateUser(stored), CvCache::Inserted);

    CvDataFilter filter;
    filter.fields = QSet<QString>(fields.begin(), fields.end());
    CvUser expected = stored;
    expect(&expected);
    QCOMPARE(m_cache->updateUser(incomingUser(), filter), CvCache::Updated);
    CvUser read;
    QVERIFY(m_cache->getUser(s("u1"), &read));
    QCOMPARE(read, expected);
    // The incoming partner reference is written whatever the fields.
    CvUser partner;
    QVERIFY(m_cache->getUser(s("p2"), &partner));
    QCOMPARE(partner.name(), s("Other"));
}

void tst_CvCacheUsers::referenceKeepsDetails()
{
    const CvUser stored = fullUser(s("u1"), s("Ann"));
    QVERIFY(m_cache->updateUsers({stored}));
    QVERIFY(m_cache->updateUsers({CvUser(s("u1"), s("Ann Renamed"))}));
    CvUser read;
    QVERIFY(m_cache->getUser(s("u1"), &read));
    QCOMPARE(read.name(), s("Ann Renamed"));
    QCOMPARE(read.email(), stored.email());
    QCOMPARE(read.timezone(), -5);

    QVERIFY(m_cache->addFriends(s("u1"), {CvUserRef(s("u2"), s("Two"))}));
    QVERIFY(m_cache->addFriends(s("u2"), {CvUserRef(s("u1"), s("Ann Again"))}));
    QVERIFY(m_cache->getUser(s("u1"), &read));
    QCOMPARE(read.name(), s("Ann Again"));
    QCOMPARE(read.bio(), stored.bio());
}

void tst_CvCacheUsers::batchesRollBackWhole_data()
{
    QTest::addColumn<CacheCall>("call");
    QTest::addColumn<QString>("error");
    const CvUser a = fullUser(s("a"), s("A"));
    QTest::newRow("updateUsers, user without id") << CacheCall([a](CvCache &c) {
        return c.updateUsers({a, CvUser()});
    }) << s("NOT NULL");
    QTest::newRow("updateFriends, unknown user")
        << CacheCall([a](CvCache &c) { return c.updateFriends(s("ghost"), {a}); })
        << s("FOREIGN KEY");
    QTest::newRow("addFriends, empty reference") << CacheCall([](CvCache &c) {
        return c.addFriends(s("me"), {CvUserRef(s("a"), s("A")), CvUserRef()});
    }) << s("Invalid user reference");
    QTest::newRow("addFriendships, unknown friend") << CacheCall([](CvCache &c) {
        return c.addFriendships(s("me"),
                                {CvUserRef(s("x"), QString()), CvUserRef(s("ghost"), QString())});
    }) << s("FOREIGN KEY");
    QTest::newRow("addFriendship, unknown friend")
        << CacheCall([](CvCache &c) { return c.addFriendship(s("me"), s("ghost")); })
        << s("FOREIGN KEY");
    QTest::newRow("removeFriends, empty reference") << CacheCall([](CvCache &c) {
        return c.removeFriends(s("me"), {CvUserRef(s("x"), QString()), CvUserRef()});
    }) << s("Invalid user reference");
}

void tst_CvCacheUsers::batchesRollBackWhole()
{
    QFETCH(CacheCall, call);
    QFETCH(QString, error);
    QVERIFY(m_cache->updateUsers({fullUser(s("me"), s("Me")), CvUser(s("x"), s("X"))}));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(error)));
    expectRollback(call);
    QCOMPARE(m_cache->lastError(), CvCache::DatabaseError);
    QVERIFY2(m_cache->lastErrorDescription().contains(error),
             qPrintable(m_cache->lastErrorDescription()));
}

void tst_CvCacheUsers::friendships()
{
    const CvUser me = fullUser(s("me"), s("Me"));
    const CvUser f1 = fullUser(s("f1"), s("One"));
    QVERIFY(m_cache->updateFriends(s("me"), {}));
    QVERIFY(m_cache->updateUser(me));
    QCOMPARE(m_cache->updateUser(f1), CvCache::Inserted);
    // An unchanged, already stored friend still gets both friendship rows.
    QVERIFY(m_cache->updateFriends(s("me"), {f1}));
    QCOMPARE(rows("friendships"), 2);
    QVERIFY(m_cache->isFriend(s("me"), s("f1")));
    QVERIFY(m_cache->isFriend(s("f1"), s("me")));
    QVERIFY(!m_cache->isFriend(s("me"), s("me")));
    QVERIFY(!m_cache->isFriend(s("me"), s("nobody")));

    QVERIFY(m_cache->addFriendship(s("me"), s("f1")));
    QCOMPARE(rows("friendships"), 2);

    QVERIFY(m_cache->removeFriendship(s("f1"), s("me")));
    QCOMPARE(rows("friendships"), 0);
    QCOMPARE(rows("users"), 2);
    QVERIFY(m_cache->removeFriendship(s("f1"), s("me")));

    QVERIFY(m_cache->addFriends(s("me"),
                                {CvUserRef(s("f2"), s("Two")), CvUserRef(s("f3"), s("Three"))}));
    CvUserRefs refs;
    QVERIFY(m_cache->getFriendRefs(s("me"), &refs));
    QCOMPARE(refs, (CvUserRefs {CvUserRef(s("f3"), s("Three")), CvUserRef(s("f2"), s("Two"))}));
    QVERIFY(m_cache->addFriendships(s("f1"), refs));
    QVERIFY(m_cache->getFriendRefs(s("f3"), &refs));
    QCOMPARE(ids(refs), (QStringList {s("me"), s("f1")}));
}

void tst_CvCacheUsers::cascades_data()
{
    QTest::addColumn<bool>("throughRemoveFriends");
    QTest::newRow("removeUser") << false;
    QTest::newRow("removeFriends") << true;
}

void tst_CvCacheUsers::cascades()
{
    QFETCH(bool, throughRemoveFriends);
    QVERIFY(m_cache->updateUsers({fullUser(s("me"), s("Me")), fullUser(s("f"), s("F"))}));
    QVERIFY(m_cache->addFriendship(s("me"), s("f")));
    // Rows of every kind that refer to f, and one post of me that f is linked to.
    const char *inserts[] = {
        "posts (id, sender) VALUES ('pf', 'f'), ('pm', 'me')",
        "post_targets VALUES ('pm', 'f')",
        "post_tags VALUES ('pm', 'f')",
        "news_feeds VALUES ('pf', 'me')",
        "profile_feeds VALUES ('pm', 'f')",
        "inboxes VALUES ('pm', 'f')",
        "outboxes VALUES ('pm', 'f')",
        "post_actions VALUES ('pf', 'Like', 'l')",
        "comments (id, sender) VALUES ('cf', 'f'), ('cm', 'me')",
        "post_comments VALUES ('cm', 'pf')",
        "photo_comments VALUES ('cf', 'photo')",
        "events (id, owner_id, user_id) VALUES ('e1', 'f', 'me'), ('e2', 'me', 'f')",
        "threads (id, snippet_sender, viewer_id, folder_id) "
        "VALUES ('t1_0', 'f', 'me', 0), ('t2_0', 'me', 'f', 0), ('t3_0', 'me', 'me', 0)",
        "thread_participants VALUES ('t3_0', 'f')",
        "thread_senders VALUES ('t3_0', 'f')",
        "messages (id, tid, author) VALUES ('m1', 't3', 'f'), ('m2', 't3', 'me')",
        "attachments (mid, tid, type, url) VALUES ('m1', 't3', 'link', 'u')",
        "checkins (id, from_id, user_id) VALUES ('c1', 'f', 'me'), ('c2', 'me', 'me')",
        "checkin_tags VALUES ('c2', 'f')",
        "groups (id, owner_id, user_id) VALUES ('g1', 'f', 'me'), ('g2', 'me', 'f')",
    };
    for (const char *sql : inserts)
        QVERIFY(Inspector(m_db).exec(s("INSERT INTO ") + s(sql)));
    if (throughRemoveFriends)
        QVERIFY(m_cache->removeFriends(s("me"), {CvUserRef(s("f"), s("F"))}));
    else
        QVERIFY(m_cache->removeUser(s("f")));

    QCOMPARE(strings("SELECT id FROM users"), QStringList {s("me")});
    // Table and rows left of it.
    const QStringList remaining = words(
        "friendships 0 posts 1 post_targets 0 post_tags 0 news_feeds 0 profile_feeds 0 "
        "inboxes 0 outboxes 0 post_actions 0 comments 1 post_comments 0 photo_comments 0 "
        "events 0 threads 1 thread_participants 0 thread_senders 0 messages 1 attachments 0 "
        "checkins 1 checkin_tags 0 groups 0");
    for (int i = 0; i < remaining.size(); i += 2) {
        QVERIFY2(rows(qPrintable(remaining.at(i))) == remaining.at(i + 1).toInt(),
                 qPrintable(remaining.at(i)));
    }
}

void tst_CvCacheUsers::busyDatabase()
{
    QVERIFY(m_cache->updateUsers({CvUser(s("me"), s("Me"))}));
    // The driver waits five seconds for a lock by default; a short wait shows the same.
    QVERIFY(QSqlQuery(QSqlDatabase::database(cacheConnections().value(0), false))
                .exec(s("PRAGMA busy_timeout = 100")));
    Inspector other(m_db);
    QVERIFY(other.exec(s("BEGIN EXCLUSIVE")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("^\"Cache error: ")));
    QVERIFY(!m_cache->removeUser(s("me")));
    QCOMPARE(m_cache->lastError(), CvCache::DatabaseBusy);
    QVERIFY(!m_cache->lastErrorDescription().isEmpty());
    QVERIFY(other.exec(s("ROLLBACK")));
    QVERIFY(m_cache->removeUser(s("me")));
    QCOMPARE(rows("users"), 0);
}

void tst_CvCacheUsers::friendsOrderPagingAndReopen()
{
    QVERIFY(m_cache->updateUsers({CvUser(s("me"), s("Me")), CvUser(s("other"), s("Other"))}));
    CvUsers friends;
    for (int i : {7, 3, 19, 0, 12, 5, 16, 1, 9, 14, 2, 18, 11, 6, 4, 15, 10, 8, 17, 13})
        friends << fullUser(s("id%1").arg(i), s("Friend %1").arg(i, 2, 10, QLatin1Char('0')));
    QVERIFY(m_cache->updateFriends(s("me"), friends));
    QVERIFY(m_cache->updateFriends(s("other"), {CvUser(s("zz"), s("A first"))}));
    std::sort(friends.begin(), friends.end(),
              [](const CvUser &a, const CvUser &b) { return a.name() < b.name(); });
    const QStringList all = ids(friends);

    CvUsers read;
    QVERIFY(m_cache->getFriends(s("me"), &read));
    QCOMPARE(read, friends);
    const CvDataFilter page = window({}, {}, 10, 5);
    QVERIFY(m_cache->getFriends(s("me"), &read, page));
    QCOMPARE(ids(read), all.mid(10, 5));
    CvUserRefs refs;
    QVERIFY(m_cache->getFriendRefs(s("me"), &refs, page));
    QCOMPARE(ids(refs), all.mid(10, 5));
    QCOMPARE(refs.first().name, s("Friend 10"));
    QVERIFY(m_cache->getFriendRefs(s("me"), &refs, window({}, {}, -1, 3)));
    QCOMPARE(ids(refs), all.mid(0, 3));
    QVERIFY(m_cache->getUsers(&read));
    QCOMPARE(read.size(), 23);
    QCOMPARE(read.first().id(), s("zz"));

    reopen();
    QVERIFY(m_cache->getFriends(s("me"), &read));
    QCOMPARE(read, friends);
    // A second identical batch changes nothing and keeps the friendships single.
    QVERIFY(m_cache->updateFriends(s("me"), friends));
    QCOMPARE(rows("friendships"), 42);
}

void tst_CvCacheUsers::birthdays_data()
{
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QStringList>("expected");
    const auto at = [](int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(12, 0)); };
    QTest::newRow("across the new year") << window(at(2011, 12, 20), at(2012, 1, 10))
                                         << QStringList {s("b4"), s("b5"), s("b2"), s("b3")};
    QTest::newRow("within a year")
        << window(at(2012, 6, 1), at(2012, 6, 30)) << QStringList {s("b7")};
    QTest::newRow("since after until, same year")
        << window(at(2012, 12, 20), at(2012, 1, 10)) << QStringList();
    QTest::newRow("whole year") << window(at(2012, 1, 1), at(2012, 12, 31))
                                << QStringList {s("b4"), s("b5"), s("b6"), s("b7"),
                                                s("b1"), s("b2"), s("b3")};
    QTest::newRow("one day, bounds included")
        << window(at(2012, 12, 31), at(2012, 12, 31)) << QStringList {s("b3")};
}

void tst_CvCacheUsers::birthdays()
{
    QFETCH(CvDataFilter, filter);
    QFETCH(QStringList, expected);
    // Id and birthday pairs.
    const QStringList people = words("b1 12/19 b2 12/20/1985 b3 12/31 b4 01/01/1990 b5 01/10 "
                                     "b6 01/10/1980 b7 06/15");
    CvUsers friends;
    for (int i = 0; i < people.size(); i += 2) {
        CvUser u = fullUser(people.at(i), people.at(i).toUpper());
        u.setBirthday(people.at(i + 1));
        friends << u;
    }
    QVERIFY(m_cache->updateUsers({CvUser(s("me"), s("Me"))}));
    QVERIFY(m_cache->updateFriends(s("me"), friends));
    CvUser stranger = fullUser(s("stranger"), s("S"));
    stranger.setBirthday(s("06/15"));
    QVERIFY(m_cache->updateUser(stranger));

    CvUsers read;
    QVERIFY(m_cache->getBirthdays(s("me"), &read, filter));
    QCOMPARE(ids(read), expected);
    for (const CvUser &u : std::as_const(read)) {
        QCOMPARE(u.name(), u.id().toUpper());
        QVERIFY(!u.birthday().isEmpty());
        QVERIFY(u.email().isEmpty());
    }
}

QTEST_GUILESS_MAIN(tst_CvCacheUsers)
#include "tst_cvcache_users.moc"
