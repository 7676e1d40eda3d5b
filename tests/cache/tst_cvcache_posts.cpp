#include "cachetestutil.h"

#include "cvaction.h"
#include "cvlinkinfo.h"
#include "cvlocation.h"
#include "cvplace.h"
#include "cvpost.h"

#include <QScopeGuard>

#include <ctime>

using namespace Cv;

namespace {

CvPlace place(const QString &id)
{
    CvPlace p(id);
    p.setName(s("Place ") + id);
    p.setCategory(s("park"));
    CvLocation l;
    l.setCity(s("City"));
    l.setZip(s("999"));
    l.setLatitude(10.5f);
    l.setLongitude(-20.25f);
    p.setLocation(l);
    return p;
}

CvPost fullPost(const QString &id, const QDateTime &created, const QString &type = s("status"))
{
    CvPost p(id, CvUserRef(s("sender"), s("Sam Sender")), created);
    p.setTo({CvUserRef(s("to1"), s("Tara")), CvUserRef(s("to2"), s("Tim"))});
    p.setMessage(s("Hello \"world\" ✓ ") + id);
    p.setPicture(s("https://pic.invalid/") + id);
    p.setLinkInfo(CvLinkInfo(s("https://l.invalid"), s("Link"), s("cap"), s("desc")));
    p.setSource(s("src"));
    p.setIcon(s("icon"));
    p.setAttribution(s("attr"));
    p.setApplication(qMakePair(s("app7"), s("Seven")));
    p.setLikes(3);
    p.setUpdated(created.isValid() ? created.addSecs(60) : day(1));
    p.setCommentCount(2);
    p.setType(type);
    p.setSubject(s("subj"));
    p.setAlbumId(s("alb"));
    p.setObjectId(s("obj"));
    p.setStory(s("story"));
    // Not in name order: the stored order must be the one given.
    p.setActions({CvAction(s("Like"), s("https://l.invalid/like")),
                  CvAction(s("Comment"), s("https://l.invalid/comment"))});
    return p;
}

CvMessage comment(const QString &id, const QDateTime &created, const QDateTime &updated,
                  const CvUserRef &from = CvUserRef(s("to1"), s("Tara")))
{
    CvMessage c(id, from);
    c.setContent(s("comment ") + id);
    c.setCreated(created);
    c.setUpdated(updated);
    c.setLikes(4);
    c.setUserLikes(true);
    return c;
}

// A post tagging the stored user tag1, at a place of its own.
CvPost taggedPost(const QString &id, const QDateTime &created)
{
    CvPost p = fullPost(id, created);
    p.setWithTags({CvUserRef(s("tag1"), s("Tag One"))});
    p.setPlace(place(s("pl-") + id));
    return p;
}

} // namespace

class tst_CvCachePosts : public CacheFixture
{
    Q_OBJECT

    // Files \a posts in the news feed of "me".
    bool toNews(const CvPosts &posts) const;

private slots:
    void init();
    void postRoundTripSurvivesReopen();
    void batchUpdatesInPlace();
    void actionsAreReplacedWhole();
    void batchRollsBack_data();
    void batchRollsBack();
    void likes();
    void feedWindow_data();
    void feedWindow();
    void feedMatchesPlainStatement_data();
    void feedMatchesPlainStatement();
    void olderFileGainsFeedIndex();
    void feedWindowInLocalTime();
    void pageLinks_data();
    void pageLinks();
    void boxes();
    void removalCascades();
    void expiry();
    void comments_data();
    void comments();
    void commentRemoval();
    void commentOutcomes_data();
    void commentOutcomes();
    void writtenTimes_data();
    void writtenTimes();
    void storedTimes_data();
    void storedTimes();
    void twentyThousandPostsIntact();
};

bool tst_CvCachePosts::toNews(const CvPosts &posts) const
{
    return m_cache->updatePosts(s("me"), CvCache::NewsFeed, posts);
}

// Every list belongs to a stored user; tagged users must be stored too. Each init closes the
// previous test's cache, the fixture the last one.
void tst_CvCachePosts::init()
{
    openWith(
        {CvUser(s("me"), s("Me")), CvUser(s("you"), s("You")), CvUser(s("tag1"), s("Tag One"))});
}

void tst_CvCachePosts::postRoundTripSurvivesReopen()
{
    const CvPost post = taggedPost(s("p1"), day(2));
    QCOMPARE(m_cache->updatePost(s("me"), CvCache::NewsFeed, post), CvCache::Inserted);
    reopen();
    CvPost read;
    QVERIFY(m_cache->getPost(s("p1"), &read));
    QCOMPARE(read, post);
    QCOMPARE(read.application(), qMakePair(s("app7"), s("Seven")));
    QCOMPARE(strings("SELECT parent_id FROM places"), QStringList {s("p1")});

    // Unchanged into a second feed: filed there, reported as new in that feed, once.
    QCOMPARE(m_cache->updatePost(s("me"), CvCache::ProfileFeed, post), CvCache::Inserted);
    QCOMPARE(m_cache->updatePost(s("me"), CvCache::ProfileFeed, post), CvCache::Inserted);
    QCOMPARE(rows("profile_feeds"), 1);
    QCOMPARE(rows("news_feeds"), 1);

    QVERIFY(!m_cache->getPost(s("nope"), &read));
    QCOMPARE(m_cache->lastError(), CvCache::ItemNotFound);
    QCOMPARE(read.id(), s("p1"));
}

void tst_CvCachePosts::batchUpdatesInPlace()
{
    const CvPost original = fullPost(s("p1"), day(2));
    QVERIFY(toNews({original}));
    CvPost changed = fullPost(s("p1"), day(9));
    changed.setFrom(CvUserRef(s("other"), s("Other")));
    changed.setMessage(s("edited"));
    changed.setTo({CvUserRef(s("to3"), s("Tom"))});
    QVERIFY(toNews({changed}));

    CvPost read;
    QVERIFY(m_cache->getPost(s("p1"), &read));
    QCOMPARE(read.message(), s("edited"));
    QCOMPARE(read.from().id, s("sender"));
    QCOMPARE(read.created(), day(2));
    QCOMPARE(read.updated(), changed.updated());
    // Targets only grow.
    QCOMPARE(read.to().size(), 3);
    QCOMPARE(rows("posts"), 1);
    QCOMPARE(rows("news_feeds"), 1);
}

void tst_CvCachePosts::actionsAreReplacedWhole()
{
    CvPost post = fullPost(s("p1"), day(2));
    QVERIFY(toNews({post}));
    CvActions actions;
    QVERIFY(m_cache->getActions(s("p1"), &actions));
    QCOMPARE(actions.size(), 2);
    // Read back equal, so the same post again is only filed, not rewritten.
    QCOMPARE(m_cache->updatePost(s("you"), CvCache::NewsFeed, post), CvCache::Inserted);

    post.setActions({CvAction(s("Share"), s("https://l.invalid/share")),
                     CvAction(s("Like"), s("https://l.invalid/like2"))});
    QCOMPARE(m_cache->updatePost(s("me"), CvCache::NewsFeed, post), CvCache::Updated);
    CvPost read;
    QVERIFY(m_cache->getPost(s("p1"), &read));
    QCOMPARE(read.actions(), post.actions());

    post.setActions({});
    QVERIFY(toNews({post}));
    QCOMPARE(rows("post_actions"), 0);

    post.setActions({CvAction(s("Comment"), s("https://l.invalid/c"))});
    QVERIFY(m_cache->updatePost(post));
    QVERIFY(m_cache->getPost(s("p1"), &read));
    QCOMPARE(read, post);
}

void tst_CvCachePosts::batchRollsBack_data()
{
    QTest::addColumn<CacheCall>("call");
    for (int failing : {0, 2, 5}) {
        CvPosts posts;
        for (int i = 0; i < 6; ++i) {
            CvPost p = fullPost(s("p%1").arg(i), day(i + 1));
            p.setPlace(place(s("pl%1").arg(i)));
            posts << p;
        }
        // A tagged user who is not stored cannot be linked.
        posts[failing].setWithTags({CvUserRef(s("ghost"), s("Ghost"))});
        QTest::addRow("unknown tagged user at %d", failing) << CacheCall(
            [posts](CvCache &c) { return c.updatePosts(s("me"), CvCache::NewsFeed, posts); });
    }
    QTest::newRow("comment without a sender") << CacheCall([](CvCache &c) {
        return c.updateComments(PostComments, s("kept"),
                                {comment(s("c4"), day(1), day(1)), CvMessage(s("c5"), {})});
    });
}

void tst_CvCachePosts::batchRollsBack()
{
    QFETCH(CacheCall, call);
    QVERIFY(toNews({fullPost(s("kept"), day(1))}));
    expectRollback(call);
}

void tst_CvCachePosts::likes()
{
    CvPost post = fullPost(s("p1"), day(1));
    post.setLikes(0);
    QCOMPARE(m_cache->updatePost(s("me"), CvCache::NewsFeed, post), CvCache::Inserted);
    QVERIFY(m_cache->likePost(s("p1"), Unlike));
    CvPost read;
    QVERIFY(m_cache->getPost(s("p1"), &read));
    QCOMPARE(read.likes(), 0);
    QVERIFY(m_cache->likePost(s("p1"), Like));
    QVERIFY(m_cache->likePost(s("p1"), Like));
    QVERIFY(m_cache->likePost(s("p1"), Unlike));
    QVERIFY(m_cache->getPost(s("p1"), &read));
    QCOMPARE(read.likes(), 1);

    QVERIFY(!m_cache->likePost(s("missing"), Like));
    QCOMPARE(m_cache->lastError(), CvCache::ItemNotFound);
    QVERIFY(!m_cache->updatePost(fullPost(s("missing"), day(1))));
}

void tst_CvCachePosts::feedWindow_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    // d2 (status), d4 (link), d6 (status), d8 (no type), nodate (status, no creation time).
    const int news = CvCache::NewsFeed;
    const int profile = CvCache::ProfileFeed;
    const QDateTime none;
    QTest::newRow("news all") << news << window(none, none) << s("%")
                              << QStringList {s("d8"), s("d6"), s("d4"), s("d2"), s("nodate")};
    QTest::newRow("profile drops untyped") << profile << window(none, none) << s("%")
                                           << QStringList {s("d6"), s("d4"), s("d2"), s("nodate")};
    QTest::newRow("bounds excluded")
        << news << window(day(2), day(6)) << s("%") << QStringList {s("d4"), s("nodate")};
    QTest::newRow("just outside bounds")
        << news << window(day(2).addSecs(-1), day(6).addSecs(1)) << s("%")
        << QStringList {s("d6"), s("d4"), s("d2"), s("nodate")};
    QTest::newRow("pattern") << profile << window(none, none) << s("sta%")
                             << QStringList {s("d6"), s("d2"), s("nodate")};
    QTest::newRow("news pattern keeps untyped")
        << news << window(none, none) << s("link") << QStringList {s("d8"), s("d4")};
    QTest::newRow("limit") << news << window(none, none, -1, 2) << s("%")
                           << QStringList {s("d8"), s("d6")};
}

void tst_CvCachePosts::feedWindow()
{
    QFETCH(int, type);
    QFETCH(CvDataFilter, filter);
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    CvPosts posts {fullPost(s("d4"), day(4), s("link")), fullPost(s("d2"), day(2)),
                   fullPost(s("d8"), day(8), QString()), fullPost(s("d6"), day(6)),
                   fullPost(s("nodate"), QDateTime())};
    const auto postType = CvCache::PostType(type);
    QVERIFY(m_cache->updatePosts(s("me"), postType, posts));
    QVERIFY(m_cache->updatePosts(s("you"), postType, {fullPost(s("x"), day(5))}));

    CvPosts read {fullPost(s("junk"), day(1))};
    QVERIFY(m_cache->getPosts(s("me"), postType, &read, filter, pattern));
    QCOMPARE(ids(read), expected);
}

// Creation times as other writers may have left them: the feed read gives the rows, in the
// order, that the plain windowed statement gives. Ties within equal (created, updated) have
// no defined order and are compared as sets.
void tst_CvCachePosts::feedMatchesPlainStatement_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("count");
    const int news = CvCache::NewsFeed;
    const int profile = CvCache::ProfileFeed;
    const QDateTime none;
    const auto at = [](const char *text) { return QDateTime::fromString(s(text), Qt::ISODate); };
    QTest::newRow("news all") << news << window(none, none) << s("%") << 18;
    QTest::newRow("profile all") << profile << window(none, none) << s("%") << 17;
    QTest::newRow("one hour, bounds excluded")
        << news << window(at("2011-05-02T10:00:00Z"), at("2011-05-02T11:00:00Z")) << s("%") << 6;
    QTest::newRow("until between offsets, limited")
        << news << window(none, at("2011-05-02T10:30:00Z"), -1, 4) << s("%") << 4;
    QTest::newRow("until a second after the ties")
        << news << window(none, at("2011-05-02T10:00:01Z")) << s("%") << 10;
    QTest::newRow("since the day before, limited")
        << news << window(at("2011-05-01T00:00:00Z"), none, -1, 5) << s("%") << 5;
    QTest::newRow("since late, ahead of a far offset")
        << news << window(at("2011-05-02T18:00:00Z"), none) << s("%") << 2;
    QTest::newRow("profile pattern, until the julian day")
        << profile << window(none, at("2011-05-02T12:00:00Z")) << s("sta%") << 15;
}

void tst_CvCachePosts::feedMatchesPlainStatement()
{
    QFETCH(int, type);
    QFETCH(CvDataFilter, filter);
    QFETCH(QString, pattern);
    QFETCH(int, count);
    // id, created_time (SQL), updated_time, type (SQL)
    const char *const rows[][4] = {
        {"z1", "'2011-05-02T10:00:00.000Z'", "2011-05-02T11:00:00.000Z", "'status'"},
        {"z2", "'2011-05-02T10:00:00.000Z'", "2011-05-02T12:00:00.000Z", "'status'"},
        {"z3", "'2011-05-02T10:00:00.000Z'", "2011-05-02T12:00:00.000Z", "'status'"},
        {"ms", "'2011-05-02T10:00:00.999Z'", "2011-05-02T10:00:00.999Z", "'status'"},
        {"plus2", "'2011-05-02T12:30:00+02:00'", "2011-05-02T13:00:00Z", "'status'"},
        {"plus14", "'2011-05-03T09:00:00+14:00'", "2011-05-03T09:00:00Z", "'status'"},
        {"minus5", "'2011-05-02T06:00:00-05:00'", "2011-05-02T06:00:00Z", "'status'"},
        {"minus1459", "'2011-05-01T20:00:00-14:59'", "2011-05-01T20:00:00Z", "'status'"},
        {"local", "'2011-05-02T10:15:00'", "2011-05-02T10:15:00", "'status'"},
        {"lowerz", "'2011-05-02T09:00:00z'", "2011-05-02T09:00:00z", "'status'"},
        {"space", "'2011-05-02 10:45:00'", "2011-05-02 10:45:00", "'status'"},
        {"nosecs", "'2011-05-02T10:50'", "2011-05-02T10:50", "'status'"},
        {"hour24", "'2011-05-01T24:30:00'", "2011-05-01T24:30:00", "'status'"},
        {"apr31", "'2011-04-31T10:00:00'", "2011-04-31T10:00:00", "'status'"},
        {"julian", "'2455684.0'", "2011-05-02T12:00:00", "'status'"},
        {"timeonly", "'10:20:00'", "2000-01-01T10:20:00", "'status'"},
        {"untyped", "'2011-05-02T08:00:00.000Z'", "2011-05-02T08:00:00.000Z", "NULL"},
        {"nodate", "NULL", "2011-05-02T00:00:00Z", "'status'"},
        {"empty", "''", "2011-05-02T00:00:00Z", "'status'"},
        {"garbage", "'soon'", "2011-05-02T00:00:00Z", "'status'"},
    };
    const QString feed = type == CvCache::NewsFeed ? s("news_feeds") : s("profile_feeds");
    {
        Inspector db(m_db);
        for (const auto &row : rows) {
            QVERIFY(db.exec(s("INSERT INTO posts (id, sender, created_time, updated_time, "
                              "type) VALUES ('%1', 'me', %2, '%3', %4)")
                                .arg(s(row[0]), s(row[1]), s(row[2]), s(row[3]))));
            QVERIFY(db.exec(s("INSERT INTO %1 VALUES ('%2', 'me')").arg(feed, s(row[0]))));
        }
    }
    QHash<QString, QString> order;
    for (const auto &row : rows)
        order.insert(s(row[0]), s(row[1]) + s(row[2]));
    // Runs of equal sort keys sorted by id.
    const auto normalized = [&](QStringList list) {
        for (qsizetype i = 0; i < list.size();) {
            qsizetype j = i + 1;
            while (j < list.size() && order.value(list.at(j)) == order.value(list.at(i)))
                ++j;
            std::sort(list.begin() + i, list.begin() + j);
            i = j;
        }
        return list;
    };

    const QString since = filter.since.isValid() ? filter.since.toUTC().toString(Qt::ISODate)
                                                 : s("1970-01-01T00:00:00");
    const QString until = filter.until.isValid() ? filter.until.toUTC().toString(Qt::ISODate)
                                                 : s("3000-01-01T00:00:00");
    const QString typeTest
        = type == CvCache::NewsFeed ? s("(type IS NULL OR type LIKE '%1')") : s("(type LIKE '%1')");
    const QStringList plain = Inspector(m_db).strings(
        s("SELECT * FROM posts INNER JOIN (SELECT * FROM %1 WHERE user_id = 'me') ON "
          "post_id = id WHERE (created_time IS NULL OR (datetime(created_time) > "
          "datetime('%2') AND datetime(created_time) < datetime('%3'))) AND %4 "
          "ORDER BY created_time DESC, updated_time DESC LIMIT %5")
            .arg(feed, since, until, typeTest.arg(pattern))
            .arg(filter.limit));
    QCOMPARE(plain.size(), count);

    CvPosts read;
    QVERIFY(m_cache->getPosts(s("me"), CvCache::PostType(type), &read, filter, pattern));
    QCOMPARE(normalized(ids(read)), normalized(plain));
}

// A file written before the feed read's partial index existed gains it on its next open,
// keeps its posts, and reads them in the same order.
void tst_CvCachePosts::olderFileGainsFeedIndex()
{
    QVERIFY(toNews({fullPost(s("a"), day(2)), fullPost(s("b"), day(3))}));
    const QString index = s("SELECT name FROM sqlite_master WHERE name = "
                            "'posts_created_unordered'");
    m_cache.reset();
    QVERIFY(Inspector(m_db).exec(s("DROP INDEX posts_created_unordered")));
    QVERIFY(Inspector(m_db).strings(index).isEmpty());
    reopen();
    QCOMPARE(Inspector(m_db).strings(index).size(), 1);
    CvPosts read;
    QVERIFY(m_cache->getPosts(s("me"), CvCache::NewsFeed, &read));
    QCOMPARE(ids(read), (QStringList {s("b"), s("a")}));
}

// A window given in the caller's local time covers the same instants as in UTC.
void tst_CvCachePosts::feedWindowInLocalTime()
{
    const QByteArray previous = qgetenv("TZ");
    const auto restore = qScopeGuard([&] {
        if (previous.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", previous);
        tzset();
    });
    qputenv("TZ", "IST-5:30");
    tzset();
    const QDateTime since = day(2).addSecs(-1).toLocalTime();
    QCOMPARE(since.offsetFromUtc(), 5 * 3600 + 1800);

    QVERIFY(
        toNews({fullPost(s("d2"), day(2)), fullPost(s("d6"), day(6)), fullPost(s("d7"), day(7))}));
    CvPosts read;
    QVERIFY(m_cache->getPosts(s("me"), CvCache::NewsFeed, &read,
                              window(since, day(6).addSecs(1).toLocalTime())));
    QCOMPARE(ids(read), (QStringList {s("d6"), s("d2")}));
}

// A page's addressees, tags and actions are read for the whole page at once: each post still gets
// its own, in the order of its own statement (the key's order for people, the written order for
// actions), with the stored names, whatever the page's length.
void tst_CvCachePosts::pageLinks_data()
{
    QTest::addColumn<int>("limit");
    for (int limit : {1, 3, 16, 17, 64, 65, -1})
        QTest::addRow("limit %d", limit) << limit;
}

void tst_CvCachePosts::pageLinks()
{
    QFETCH(int, limit);
    const CvUserRefs people {
        CvUserRef(s("zed"), s("Zed")), CvUserRef(s("amy"), s("Amy")), CvUserRef(s("Bob"), s("Bob")),
        CvUserRef(s("\u00e9mile"), s("\u00c9mile")), CvUserRef(s("tag1"), s("Tag One"))};
    QVERIFY(m_cache->updateUsers({CvUser(s("amy"), s("Amy"))}));
    const CvActions actions {CvAction(s("Share"), s("https://l.invalid/s")),
                             CvAction(s("Like"), s("https://l.invalid/l")),
                             CvAction(s("Comment"), s("https://l.invalid/c"))};
    CvPosts posts;
    for (int i = 0; i < 70; ++i) {
        CvPost p(s("p%1").arg(i, 2, 10, QLatin1Char('0')), people.at(i % 3),
                 day(1).addSecs(i * 60));
        // Every post its own people and actions, none in the order the key keeps.
        p.setTo(i % 4 == 0 ? CvUserRefs() : people.mid(i % 3, 3));
        p.setWithTags(i % 2 ? people.mid(3 - i % 3, 2) : CvUserRefs());
        p.setActions(actions.mid(i % 3));
        posts << p;
    }
    QVERIFY(toNews(posts));

    CvPosts read;
    QVERIFY(m_cache->getPosts(s("me"), CvCache::NewsFeed, &read, window({}, {}, -1, limit)));
    QCOMPARE(read.size(), limit < 0 ? posts.size() : limit);
    const Inspector db(m_db);
    for (const CvPost &post : std::as_const(read)) {
        const CvPost &written = posts.at(post.id().mid(1).toInt());
        QCOMPARE(post.from(), written.from());
        QCOMPARE(post.actions(), written.actions());
        for (const char *table : {"post_targets", "post_tags"}) {
            const CvUserRefs refs = qstrcmp(table, "post_tags") ? post.to() : post.withTags();
            QCOMPARE(
                ids(refs),
                db.strings(
                    s("SELECT user_id FROM %1 WHERE post_id = '%2'").arg(s(table), post.id())));
            for (const CvUserRef &ref : refs)
                QCOMPARE(ref.name, people.at(ids(people).indexOf(ref.id)).name);
        }
    }
    CvPost one;
    QVERIFY(m_cache->getPost(s("p13"), &one));
    QCOMPARE(ids(one.to()), (QStringList {s("Bob"), s("amy"), s("\u00e9mile")}));
    QCOMPARE(one.actions(), actions.mid(1));
}

void tst_CvCachePosts::boxes()
{
    CvPost older = fullPost(s("a"), day(5));
    older.setUpdated(day(6));
    CvPost newer = fullPost(s("b"), day(1));
    newer.setUpdated(day(9));
    QVERIFY(m_cache->updatePosts(s("me"), CvCache::Inbox, {older, newer}));
    QVERIFY(m_cache->updatePosts(s("me"), CvCache::Outbox, {older}));
    CvPosts read;
    QVERIFY(m_cache->getPosts(s("me"), CvCache::Inbox, &read));
    QCOMPARE(ids(read), (QStringList {s("b"), s("a")}));
    QVERIFY(m_cache->getPosts(s("me"), CvCache::Outbox, &read));
    QCOMPARE(ids(read), QStringList {s("a")});
    QCOMPARE(rows("posts"), 2);
}

void tst_CvCachePosts::removalCascades()
{
    const CvPost post = taggedPost(s("p1"), day(1));
    QCOMPARE(m_cache->updatePost(s("me"), CvCache::NewsFeed, post), CvCache::Inserted);
    QVERIFY(toNews({fullPost(s("p2"), day(2))}));
    QVERIFY(m_cache->updateComments(PostComments, s("p1"), {comment(s("c1"), day(1), day(1))}));

    QVERIFY(m_cache->removePosts(s("me"), CvCache::NewsFeed, {post}));
    for (const char *table : {"news_feeds", "post_targets", "post_actions"})
        QCOMPARE(Inspector(m_db).strings(s("SELECT DISTINCT post_id FROM %1").arg(s(table))),
                 QStringList {s("p2")});
    for (const char *table : {"post_tags", "post_comments", "places"})
        QVERIFY2(rows(table) == 0, table);
    // The comment itself stays.
    QCOMPARE(rows("comments"), 1);
}

void tst_CvCachePosts::expiry()
{
    CvPost old = fullPost(s("old"), day(1));
    old.setUpdated(day(2));
    old.setPlace(place(s("pl-old")));
    CvPost never = fullPost(s("never"), day(1));
    never.setUpdated(QDateTime());
    never.setPlace(place(s("pl-never")));
    CvPost fresh = fullPost(s("fresh"), day(1));
    fresh.setUpdated(day(20));
    fresh.setPlace(place(s("pl-fresh")));
    QVERIFY(toNews({old, never, fresh}));

    QVERIFY(!m_cache->removePosts(QDateTime()));
    QCOMPARE(rows("posts"), 3);
    QVERIFY(m_cache->removePosts(day(10)));
    QCOMPARE(strings("SELECT id FROM posts"), QStringList {s("fresh")});
    QCOMPARE(strings("SELECT id FROM places"), QStringList {s("pl-fresh")});
    QCOMPARE(rows("news_feeds"), 1);
}

void tst_CvCachePosts::comments_data()
{
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QStringList>("expected");
    // c1 created day 1 updated day 9, c2 day 2/day 3, c3 day 3/day 5, cn no creation (day 7).
    const QDateTime none;
    QTest::newRow("all, oldest update first")
        << window(none, none) << QStringList {s("c2"), s("c3"), s("cn"), s("c1")};
    QTest::newRow("bounds excluded") << window(day(1), day(3)) << QStringList {s("c2"), s("cn")};
    QTest::newRow("limit") << window(none, none, -1, 1) << QStringList {s("c2")};
}

void tst_CvCachePosts::comments()
{
    QFETCH(CvDataFilter, filter);
    QFETCH(QStringList, expected);
    QVERIFY(toNews({fullPost(s("p1"), day(1))}));
    const CvComments list {comment(s("c1"), day(1), day(9)), comment(s("c2"), day(2), day(3)),
                           comment(s("c3"), day(3), day(5)), comment(s("cn"), QDateTime(), day(7))};
    QVERIFY(m_cache->updateComments(PostComments, s("p1"), list));
    QVERIFY(
        m_cache->updateComments(PhotoComments, s("photo1"), {comment(s("c9"), day(2), day(2))}));

    CvComments read;
    QVERIFY(m_cache->getComments(PostComments, s("p1"), &read, filter));
    QCOMPARE(ids(read), expected);
}

// Removing a target's comments removes them whole, also one that another target links too.
void tst_CvCachePosts::commentRemoval()
{
    QVERIFY(toNews({fullPost(s("p1"), day(1)), fullPost(s("p2"), day(1))}));
    const CvMessage c = comment(s("c1"), day(1), day(1));
    QCOMPARE(m_cache->updateComment(PostComments, s("p1"), c), CvCache::Inserted);
    QCOMPARE(m_cache->updateComment(PostComments, s("p2"), c), CvCache::NotChanged);
    QVERIFY(m_cache->updateComments(PostComments, s("p2"), {comment(s("c5"), day(1), day(1))}));
    QCOMPARE(rows("post_comments"), 3);
    QVERIFY(m_cache->removeComments(PostComments, s("p2")));
    QCOMPARE(rows("comments"), 0);
}

// A comment's times are stored as the text Qt gives them, Qt::ISODateWithMs, or NULL when invalid;
// by the insert (created_time) and by the update of a stored comment (updated_time).
void tst_CvCachePosts::writtenTimes_data()
{
    QTest::addColumn<QDateTime>("time");
    const QDate date(2011, 5, 1);
    const QTime clock(10, 20, 30, 123);
    QTest::newRow("utc") << QDateTime(date, clock, Qt::UTC);
    QTest::newRow("utc, whole second") << QDateTime(date, QTime(9, 5, 7), Qt::UTC);
    QTest::newRow("leap day, last millisecond")
        << QDateTime(QDate(2012, 2, 29), QTime(23, 59, 59, 999), Qt::UTC);
    QTest::newRow("first year") << QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    QTest::newRow("last four-digit year")
        << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC);
    QTest::newRow("five-digit year") << QDateTime(QDate(12345, 6, 7), clock, Qt::UTC);
    QTest::newRow("before the common era") << QDateTime(QDate(-44, 3, 15), clock, Qt::UTC);
    QTest::newRow("local time") << QDateTime(date, clock, Qt::LocalTime);
    QTest::newRow("offset") << QDateTime(date, clock, Qt::OffsetFromUTC, 7200);
    QTest::newRow("zero offset") << QDateTime(date, clock, Qt::OffsetFromUTC, 0);
    QTest::newRow("invalid") << QDateTime();
}

void tst_CvCachePosts::writtenTimes()
{
    QFETCH(QDateTime, time);
    const QString text
        = time.isValid() ? s("'%1'").arg(time.toString(Qt::ISODateWithMs)) : s("NULL");
    QVERIFY(toNews({fullPost(s("p1"), day(1))}));
    CvMessage c = comment(s("c1"), time, day(1));
    QCOMPARE(m_cache->updateComment(PostComments, s("p1"), c), CvCache::Inserted);
    c.setContent(s("edited"));
    c.setUpdated(time);
    QVERIFY(m_cache->updateComments(PostComments, s("p1"), {c}));
    QCOMPARE(strings("SELECT quote(created_time) || ' ' || quote(updated_time) FROM comments"),
             QStringList {text + QLatin1Char(' ') + text});
}

// Times as the cache or another writer left them read back as Qt converts the stored text: the
// same instant, time zone, offset and milliseconds, or the same invalid time.
void tst_CvCachePosts::storedTimes_data()
{
    QTest::addColumn<QString>("text");
    const char *const texts[][2] = {
        {"utc with milliseconds", "2011-05-01T10:20:30.123Z"},
        {"utc without milliseconds", "2011-05-01T10:20:30Z"},
        {"leap day, last millisecond", "2012-02-29T23:59:59.999Z"},
        {"first year", "0001-01-01T00:00:00.000Z"},
        {"last year", "9999-12-31T23:59:59.999Z"},
        {"local time", "2011-05-01T10:20:30.123"},
        {"offset", "2011-05-01T10:20:30.123+02:00"},
        {"zero offset", "2011-05-01T10:20:30.123+00:00"},
        {"negative offset", "2011-05-01T10:20:30.123-05:30"},
        {"lower-case z", "2011-05-01T10:20:30.123z"},
        {"space for T", "2011-05-01 10:20:30.123Z"},
        {"comma for point", "2011-05-01T10:20:30,123Z"},
        {"four fraction digits", "2011-05-01T10:20:30.1234Z"},
        {"hour 24", "2011-05-01T24:00:00.000Z"},
        {"second 60", "2011-05-01T10:20:60.000Z"},
        {"day past the month", "2011-02-29T10:20:30.123Z"},
        {"year zero", "0000-05-01T10:20:30.123Z"},
        {"arabic-indic digit", "\u0662011-05-01T10:20:30.123Z"},
        {"trailing space", "2011-05-01T10:20:30.123Z "},
        {"date only", "2011-05-01"},
        {"garbage of the same length", "2011-05-01T10:20:30.123Y"},
        {"empty", ""},
    };
    for (const auto &row : texts)
        QTest::newRow(row[0]) << s(row[1]);
    QTest::newRow("NULL") << QString();
}

void tst_CvCachePosts::storedTimes()
{
    QFETCH(QString, text);
    const QString value = text.isNull() ? s("NULL") : s("'%1'").arg(text);
    QVERIFY(Inspector(m_db).exec(
        s("INSERT INTO posts (id, sender, created_time, updated_time) VALUES ('p', 'me', %1, "
          "'2011-05-01T00:00:00.000Z')")
            .arg(value)));
    QVERIFY(Inspector(m_db).exec(s("INSERT INTO comments (id, sender, created_time, "
                                   "updated_time) VALUES ('c', 'me', '2011-05-01', %1)")
                                     .arg(value)));
    CvPost post;
    QVERIFY(m_cache->getPost(s("p"), &post));
    CvMessage comment;
    QVERIFY(m_cache->getComment(s("c"), &comment));

    const QDateTime expected = text.isNull() ? QDateTime() : QVariant(text).toDateTime();
    for (const QDateTime &read : {post.created(), comment.updated()}) {
        QCOMPARE(read.isValid(), expected.isValid());
        QCOMPARE(read.timeSpec(), expected.timeSpec());
        QCOMPARE(read.offsetFromUtc(), expected.offsetFromUtc());
        QCOMPARE(read.date(), expected.date());
        QCOMPARE(read.time(), expected.time());
        if (expected.isValid())
            QCOMPARE(read.toMSecsSinceEpoch(), expected.toMSecsSinceEpoch());
    }
    QCOMPARE(post.updated(), QDateTime(QDate(2011, 5, 1), QTime(0, 0), Qt::UTC));
}

// Each outcome of a comment write, alone and in a batch: what it returns, the rows it leaves and
// the error it records. c1 (by Tara) is stored on p1; a DatabaseError is on record before the
// write.
void tst_CvCachePosts::commentOutcomes_data()
{
    QTest::addColumn<bool>("batch");
    QTest::addColumn<CvMessage>("written");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("note");
    const int inserted = CvCache::Inserted;
    // What the read of a missing comment or user records; the record is kept otherwise.
    const QString notFound = s("Item was not found");
    const QString kept;
    const CvMessage c1 = comment(s("c1"), day(1), day(1));
    CvMessage edited = c1;
    edited.setContent(s("edited"));
    edited.setLikes(0);
    const CvMessage renamed = comment(s("c1"), day(1), day(1), CvUserRef(s("to1"), s("Tara B.")));
    const auto by = [](const QString &id, const QString &name) {
        return comment(s("c2"), day(2), day(3), CvUserRef(id, name));
    };
    for (bool batch : {false, true}) {
        const char *way = batch ? "batch" : "single";
        QTest::addRow("%s: new", way) << batch << by(s("to1"), s("Tara")) << s("p2") << inserted
                                      << QStringList {s("p2")} << s("Tara") << notFound;
        QTest::addRow("%s: new by someone new", way)
            << batch << by(s("newbie"), s("Newbie")) << s("p2") << inserted << QStringList {s("p2")}
            << s("Newbie") << s("Item was not found by field [id] with value [newbie]");
        QTest::addRow("%s: new by a renamed sender", way)
            << batch << by(s("to1"), s("Tara B.")) << s("p2") << inserted << QStringList {s("p2")}
            << s("Tara B.") << notFound;
        QTest::addRow("%s: equal on its target", way)
            << batch << c1 << s("p1") << int(CvCache::NotChanged) << QStringList {s("p1")}
            << s("Tara") << kept;
        QTest::addRow("%s: equal on another target", way)
            << batch << c1 << s("p2") << int(CvCache::NotChanged) << QStringList {s("p1"), s("p2")}
            << s("Tara") << kept;
        // A changed comment is not linked to a new target.
        QTest::addRow("%s: changed on another target", way)
            << batch << edited << s("p2") << int(CvCache::Updated) << QStringList {s("p1")}
            << s("Tara") << kept;
        QTest::addRow("%s: sender renamed", way)
            << batch << renamed << s("p1") << int(CvCache::Updated) << QStringList {s("p1")}
            << s("Tara B.") << kept;
        QTest::addRow("%s: no sender", way)
            << batch << CvMessage(s("c2"), {}) << s("p2") << int(CvCache::UpdateFailed)
            << QStringList() << s("Tara") << kept;
    }
}

void tst_CvCachePosts::commentOutcomes()
{
    QFETCH(bool, batch);
    QFETCH(CvMessage, written);
    QFETCH(QString, target);
    QFETCH(int, result);
    QFETCH(QStringList, links);
    QFETCH(QString, sender);
    QFETCH(QString, note);
    QVERIFY(toNews({fullPost(s("p1"), day(1)), fullPost(s("p2"), day(1))}));
    QCOMPARE(m_cache->updateComment(PostComments, s("p1"), comment(s("c1"), day(1), day(1))),
             CvCache::Inserted);
    CvComments none;
    QVERIFY(!m_cache->getComments(CommentTarget(7), s("p1"), &none, CvDataFilter()));
    const QString before = m_cache->lastErrorDescription();

    if (batch)
        QCOMPARE(m_cache->updateComments(PostComments, target, {written}),
                 result != CvCache::UpdateFailed);
    else
        QCOMPARE(int(m_cache->updateComment(PostComments, target, written)), result);
    QCOMPARE(strings(qPrintable(
                 s("SELECT target_id FROM post_comments WHERE comment_id = '%1' ORDER BY 1")
                     .arg(written.id()))),
             links);
    QCOMPARE(
        strings(qPrintable(s("SELECT name FROM users WHERE id = '%1'")
                               .arg(written.from().id.isEmpty() ? s("to1") : written.from().id))),
        QStringList {sender});
    if (result == CvCache::UpdateFailed) {
        QCOMPARE(m_cache->lastError(), CvCache::DatabaseError);
        QVERIFY(m_cache->lastErrorDescription() != before);
        QCOMPARE(rows("comments"), 1);
        return;
    }
    QCOMPARE(m_cache->lastError(), note.isEmpty() ? CvCache::DatabaseError : CvCache::ItemNotFound);
    QCOMPARE(m_cache->lastErrorDescription(), note.isEmpty() ? before : note);
    CvMessage read;
    QVERIFY(m_cache->getComment(written.id(), &read));
    QCOMPARE(read, written);
}

void tst_CvCachePosts::twentyThousandPostsIntact()
{
    constexpr int count = 20000;
    CvPosts posts;
    posts.reserve(count);
    const QDateTime base = day(1);
    for (int i = 0; i < count; ++i) {
        CvPost p(s("post%1").arg(i, 5, 10, QLatin1Char('0')),
                 CvUserRef(s("u%1").arg(i % 97), s("User %1").arg(i % 97)), base.addSecs(i * 60));
        p.setTo({CvUserRef(s("u%1").arg((i + 1) % 97), s("User %1").arg((i + 1) % 97))});
        p.setMessage(s("message %1 ✓").arg(i));
        p.setUpdated(base.addSecs(i * 60 + 5));
        p.setType(s("status"));
        p.setLikes(i % 13);
        posts << p;
    }
    QVERIFY(toNews(posts));
    reopen();
    CvPosts read;
    QVERIFY(m_cache->getPosts(s("me"), CvCache::NewsFeed, &read));
    QCOMPARE(read.size(), count);
    for (int i = 0; i < count; ++i) {
        if (read.at(i) != posts.at(count - 1 - i))
            QFAIL(qPrintable(s("post %1 differs").arg(i)));
    }
    QCOMPARE(rows("users"), 3 + 97);
}

QTEST_GUILESS_MAIN(tst_CvCachePosts)
#include "tst_cvcache_posts.moc"
