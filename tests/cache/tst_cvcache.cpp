#include "cachetestutil.h"

#include "cvattachment.h"
#include "cvcheckin.h"
#include "cvevent.h"
#include "cvgroup.h"
#include "cvlogger.h"
#include "cvmessage.h"
#include "cvpost.h"
#include "cvthread.h"

using namespace Cv;

namespace {

// Out-parameter of one type for the calls in closedCacheRefuses_data.
template<typename T>
T *out()
{
    static T value;
    return &value;
}

void row(const char *name, const CacheCall &call)
{
    QTest::newRow(name) << call;
}

const QByteArray jfif("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10);
const QByteArray png("\x89PNG\r\n\x1A\n\0", 9);

// The library's warnings and debug lines arrive quoted, as Qt's debug stream writes a string.
void expect(QtMsgType type, const QString &text)
{
    QTest::ignoreMessage(
        type, QRegularExpression(QLatin1String("^\"") + QRegularExpression::escape(text)));
}

} // namespace

class tst_CvCache : public CacheFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void configuration();
    void schemaOnNewFile();
    void incompatibleVersion_data();
    void incompatibleVersion();
    void unreadableFile_data();
    void unreadableFile();
    void openFailsWithoutFile();
    void initTwiceCloseAndReinit();
    void twoCachesInOneProcess();
    void initOptionsAndClear();
    void closedCacheRefuses_data();
    void closedCacheRefuses();
    void keyValue();
    void storeFile_data();
    void storeFile();
    void fileStoreEdges();
};

void tst_CvCache::init()
{
    nextFiles();
}

void tst_CvCache::cleanup()
{
    m_cache.reset();
}

void tst_CvCache::configuration()
{
    CvCacheConfiguration c;
    QCOMPARE(c.databaseName(), s("cvcache.db"));
    QCOMPARE(c.path(), s("./cvcache"));
    c.setDatabaseName(s("a.db"));
    c.setPath(s("/tmp/x"));
    std::unique_ptr<CvCacheConfiguration> copy(c.clone());
    c.setDatabaseName(s("b.db"));
    QCOMPARE(copy->databaseName(), s("a.db"));
    QCOMPARE(copy->path(), s("/tmp/x"));
}

void tst_CvCache::schemaOnNewFile()
{
    m_cache = std::make_unique<CvCache>(*config());
    QVERIFY(!m_cache->isInitialized());
    QVERIFY(m_cache->init());
    QVERIFY(m_cache->isInitialized());
    m_cache.reset();
    Inspector db(m_db);
    QCOMPARE(db.strings(s("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid")),
             words("cache_info users friendships posts post_actions post_targets post_tags "
                   "news_feeds profile_feeds inboxes outboxes comments post_comments "
                   "photo_comments events threads thread_participants thread_senders messages "
                   "attachments checkins checkin_tags places groups user_data"));
    QCOMPARE(db.strings(s("SELECT id || ':' || version FROM cache_info")), words("1:27"));
    QCOMPARE(db.strings(s("SELECT name FROM pragma_table_info('users')")),
             words("id first_name last_name name link about birthday email website hometown "
                   "location bio gender interested_in meeting_for relationship_status "
                   "religion political significant_other timezone picture mobile_phone "
                   "locale"));
    QCOMPARE(db.strings(s("SELECT name FROM pragma_table_info('places') WHERE pk > 0 ORDER BY pk")),
             words("id parent_id"));
    // Every foreign key cascades; attachments refer to messages by both key columns.
    QCOMPARE(db.strings(s("SELECT COUNT(*) FROM sqlite_master m, pragma_foreign_key_list(m.name) "
                          "f WHERE m.type = 'table' AND f.on_delete <> 'CASCADE'")),
             words("0"));
    QCOMPARE(db.strings(s("SELECT \"from\" || '>' || \"table\" || '.' || \"to\" FROM "
                          "pragma_foreign_key_list('attachments')")),
             words("mid>messages.id tid>messages.tid"));
    QCOMPARE(db.strings(s("SELECT sql FROM sqlite_master WHERE name = 'friendships'"))
                 .join(QString())
                 .count(s("CONSTRAINT fk_")),
             2);
    QCOMPARE(db.count(s("pragma_foreign_key_list('places')")), 0);

    // Opening it again passes the version check without another row.
    reopen();
    QCOMPARE(db.count(s("cache_info")), 1);
}

void tst_CvCache::incompatibleVersion_data()
{
    QTest::addColumn<bool>("recreate");
    QTest::newRow("refused") << false;
    QTest::newRow("recreated") << true;
}

void tst_CvCache::incompatibleVersion()
{
    QFETCH(bool, recreate);
    reopen();
    QVERIFY(m_cache->updateUserData(s("marker"), s("old")));
    m_cache.reset();
    QVERIFY(Inspector(m_db).exec(s("UPDATE cache_info SET version = 26")));

    CvCache cache(*config());
    SetLoggingLevel(LogDebug);
    expect(QtDebugMsg, s("The database schema version is not compatible."));
    if (recreate)
        expect(QtDebugMsg, s("Recreating the database."));
    else
        expect(QtWarningMsg, s("Incompatible database schema"));
    const bool ok
        = cache.init(recreate ? CvCache::RecreateIncompatibleDatabase : CvCache::InitOptions());
    SetLoggingLevel(LogWarnings);
    QCOMPARE(ok, recreate);
    QCOMPARE(cache.isInitialized(), recreate);
    if (!recreate) {
        QCOMPARE(cache.lastErrorDescription(),
                 s("Incompatible database schema and init options prevent the recreation of "
                   "the database"));
        QCOMPARE(cache.lastError(), CvCache::DatabaseError);
        QVERIFY(cacheConnections().isEmpty());
    }
    QCOMPARE(strings("SELECT version FROM cache_info"), words(recreate ? "27" : "26"));
    QCOMPARE(rows("user_data"), recreate ? 0 : 1);
}

void tst_CvCache::unreadableFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("garbage") << QByteArray(4096, '\x5A');
    QTest::newRow("truncated header")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(40, '\xFF');
}

void tst_CvCache::unreadableFile()
{
    QFETCH(QByteArray, content);
    QFile file(m_db);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    SetLoggingLevel(LogDebug);
    expect(QtWarningMsg, s("Failed to open the existing database file: ") + m_db);
    expect(QtDebugMsg, s("Recreating the database: opening failed even the datebase exists."));
    reopen();
    SetLoggingLevel(LogWarnings);
    QVERIFY(m_cache->updateUserData(s("k"), s("v")));
    QCOMPARE(rows("cache_info"), 1);
    QCOMPARE(rows("user_data"), 1);
}

void tst_CvCache::openFailsWithoutFile()
{
    m_db = m_dir.filePath(s("missing/dir/cache.db"));
    CvCache cache(*config());
    expect(QtWarningMsg, s("Cache error: "));
    QVERIFY(!cache.init());
    QVERIFY(!cache.isInitialized());
    QCOMPARE(cache.lastError(), CvCache::DatabaseError);
    QVERIFY(!cache.lastErrorDescription().isEmpty());
    QVERIFY(cacheConnections().isEmpty());
    QVERIFY(!QFile::exists(m_db));
}

void tst_CvCache::initTwiceCloseAndReinit()
{
    reopen();
    CvCache &cache = *m_cache;
    const QStringList first = cacheConnections();
    QCOMPARE(first.size(), 1);
    QVERIFY(cache.updateUserData(s("k"), s("v1")));

    QVERIFY(!cache.init());
    QVERIFY(cache.isInitialized());
    QCOMPARE(cacheConnections(), first);
    QCOMPARE(cache.lastErrorDescription(), QString());

    cache.close();
    QVERIFY(!cache.isInitialized());
    QVERIFY(cacheConnections().isEmpty());
    cache.close(); // closing twice is harmless

    QVERIFY(cache.init());
    const QStringList second = cacheConnections();
    QCOMPARE(second.size(), 1);
    QVERIFY(second.first() != first.first());
    QString value;
    QVERIFY(cache.getUserData(s("k"), &value));
    QCOMPARE(value, s("v1"));
}

void tst_CvCache::twoCachesInOneProcess()
{
    auto other = config();
    other->setDatabaseName(m_db + s(".other"));
    other->setPath(m_store + s(".other"));
    CvCache a(*config());
    CvCache b(*other);
    QVERIFY(a.init());
    QVERIFY(b.init());
    QCOMPARE(cacheConnections().size(), 2);
    QVERIFY(a.updateUserData(s("who"), s("a")));
    QVERIFY(b.updateUserData(s("who"), s("b")));
    QVERIFY(!a.updateFile(s("f"), "A").isEmpty());
    a.close();
    QString value;
    QVERIFY(b.getUserData(s("who"), &value));
    QCOMPARE(value, s("b"));
    QVERIFY(!b.fileExists(s("f")));
}

void tst_CvCache::initOptionsAndClear()
{
    reopen();
    QVERIFY(m_cache->updateUserData(s("k"), s("v")));
    QVERIFY(!m_cache->updateFile(s("sub/pic"), jfif).isEmpty());
    QString value;
    m_cache = std::make_unique<CvCache>(*config());
    QVERIFY(m_cache->init(CvCache::ClearDiskCache));
    QVERIFY(!QDir(m_store).exists());
    QVERIFY(m_cache->getUserData(s("k"), &value));

    m_cache = std::make_unique<CvCache>(*config());
    QVERIFY(m_cache->init(CvCache::ClearDatabase));
    QVERIFY(!m_cache->getUserData(s("k"), &value));

    QVERIFY(!m_cache->updateFile(s("pic"), jfif).isEmpty());
    m_cache->clear();
    QVERIFY(!m_cache->isInitialized());
    QVERIFY(!QFile::exists(m_db));
    QVERIFY(!QDir(m_store).exists());
    QVERIFY(cacheConnections().isEmpty());
    QVERIFY(m_cache->init());
    QVERIFY(!m_cache->fileExists(s("pic")));
}

void tst_CvCache::closedCacheRefuses_data()
{
    QTest::addColumn<CacheCall>("call");
    const QString k = s("key");
    const QString me = s("me");
    const CvUser a(s("a"), s("A"));
    row("getUserData", [=](CvCache &c) { return c.getUserData(k, out<QString>()); });
    row("updateUserData", [=](CvCache &c) { return c.updateUserData(k, k); });
    row("removeUserData", [=](CvCache &c) { return c.removeUserData(k); });
    row("updateFile", [=](CvCache &c) { return !c.updateFile(k, "data").isEmpty(); });
    row("searchFile", [=](CvCache &c) { return !c.searchFile(k).isEmpty(); });
    row("getFile", [=](CvCache &c) { return !c.getFile(k).isEmpty(); });
    row("getFilePath", [=](CvCache &c) { return !c.getFilePath(k).isEmpty(); });
    row("fileExists", [=](CvCache &c) { return c.fileExists(k); });
    row("removeFile", [=](CvCache &c) { return c.removeFile(k); });
    row("updateUser", [=](CvCache &c) { return c.updateUser(a) != CvCache::UpdateFailed; });
    row("updateUsers", [=](CvCache &c) { return c.updateUsers({a}); });
    row("updateFriends", [=](CvCache &c) { return c.updateFriends(me, {a}); });
    row("addFriends", [=](CvCache &c) { return c.addFriends(me, {a.toRef()}); });
    row("addFriendships", [=](CvCache &c) { return c.addFriendships(me, {a.toRef()}); });
    row("addFriendship", [=](CvCache &c) { return c.addFriendship(me, a.id()); });
    row("isFriend", [=](CvCache &c) { return c.isFriend(me, s("f")); });
    row("getUser", [=](CvCache &c) { return c.getUser(s("f"), out<CvUser>()); });
    row("getUsers", [=](CvCache &c) { return c.getUsers(out<CvUsers>()); });
    row("getFriends", [=](CvCache &c) { return c.getFriends(me, out<CvUsers>()); });
    row("getFriendRefs", [=](CvCache &c) { return c.getFriendRefs(me, out<CvUserRefs>()); });
    row("getBirthdays",
        [=](CvCache &c) { return c.getBirthdays(me, out<CvUsers>(), window(day(1), day(300))); });
    row("removeFriendship", [=](CvCache &c) { return c.removeFriendship(me, s("f")); });
    row("removeFriends", [=](CvCache &c) { return c.removeFriends(me, {CvUserRef(s("f"), {})}); });
    row("removeUser", [=](CvCache &c) { return c.removeUser(s("f")); });
    row("updateEvents", [=](CvCache &c) { return c.updateEvents(me, {}); });
    row("getEvents", [=](CvCache &c) { return c.getEvents(me, out<CvEvents>()); });
    row("removeEvents", [=](CvCache &c) { return c.removeEvents(day(30)); });
    row("getGroups", [=](CvCache &c) { return c.getGroups(me, out<CvGroups>()); });
    row("getCheckins", [=](CvCache &c) { return c.getCheckins(me, out<CvCheckins>()); });
    row("updatePosts", [=](CvCache &c) { return c.updatePosts(me, CvCache::NewsFeed, {}); });
    row("getPosts", [=](CvCache &c) { return c.getPosts(me, CvCache::NewsFeed, out<CvPosts>()); });
    row("removePosts", [=](CvCache &c) { return c.removePosts(day(30)); });
    row("getComments",
        [=](CvCache &c) { return c.getComments(PostComments, k, out<CvComments>()); });
    row("getThreads",
        [=](CvCache &c) { return c.getThreads(me, MessageBoxInbox, out<CvThreads>()); });
    row("removeThreads", [=](CvCache &c) { return c.removeThreads(day(30)); });
    row("updateMessages", [=](CvCache &c) { return c.updateMessages(k, {}); });
    row("getMessages", [=](CvCache &c) { return c.getMessages(k, out<CvMessages>()); });
    row("getAttachments", [=](CvCache &c) { return c.getAttachments(k, out<CvAttachments>()); });
}

void tst_CvCache::closedCacheRefuses()
{
    QFETCH(CacheCall, call);
    // Data written while open must not be reachable once closed.
    reopen();
    CvUser f(s("f"), s("F"));
    f.setBirthday(s("05/05"));
    QVERIFY(m_cache->updateUsers({CvUser(s("me"), s("Me")), CvUser(s("a"), s("A"))}));
    QVERIFY(m_cache->updateFriends(s("me"), {f}));
    QVERIFY(m_cache->updateUserData(s("key"), s("value")));
    QVERIFY(!m_cache->updateFile(s("key"), "data").isEmpty());
    m_cache->close();
    const QString before = m_cache->lastErrorDescription();
    const CvCache::ErrorType type = m_cache->lastError();
    QVERIFY(!call(*m_cache));
    QCOMPARE(m_cache->lastErrorDescription(), before);
    QCOMPARE(m_cache->lastError(), type);
    // The same call succeeds on the reopened cache, with statements prepared anew.
    QVERIFY(m_cache->init());
    QVERIFY(call(*m_cache));
}

void tst_CvCache::keyValue()
{
    reopen();
    QString value = s("untouched");
    QVERIFY(!m_cache->getUserData(s("missing"), &value));
    QCOMPARE(value, s("untouched"));
    QVERIFY(m_cache->updateUserData(s("k"), s("first")));
    QVERIFY(m_cache->updateUserData(s("k"), s("ümlaut ✓")));
    QVERIFY(m_cache->getUserData(s("k"), &value));
    QCOMPARE(value, s("ümlaut ✓"));
    QVERIFY(m_cache->removeUserData(s("k")));
    QVERIFY(!m_cache->getUserData(s("k"), &value));
    QVERIFY(m_cache->removeUserData(s("k")));
    QCOMPARE(rows("user_data"), 0);
}

void tst_CvCache::storeFile_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("stored");
    QTest::newRow("jpeg gets suffix") << s("pic123") << jfif << s("pic123.jpg");
    QTest::newRow("gif gets suffix") << s("anim") << QByteArray("GIF89a..") << s("anim.gif");
    QTest::newRow("png has none") << s("pic123") << png << s("pic123");
    QTest::newRow("key with dot kept") << s("x.dat") << jfif << s("x.dat");
    QTest::newRow("subdirectory") << s("a/b.jpg") << jfif << s("a/b.jpg");
    QTest::newRow("deep subdirectory") << s("a/b/c") << jfif << s("a/b/c.jpg");
}

void tst_CvCache::storeFile()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, data);
    QFETCH(QString, stored);
    reopen();
    const QString path = m_store + QLatin1Char('/') + stored;
    QCOMPARE(m_cache->updateFile(key, data), path);
    QVERIFY(QFile::exists(path));
    QCOMPARE(m_cache->getFilePath(key), path);
    QVERIFY(m_cache->fileExists(key));
    QCOMPARE(m_cache->getFile(key), data);
    QCOMPARE(m_cache->searchFile(key), stored.mid(stored.lastIndexOf(QLatin1Char('/')) + 1));

    // A shorter rewrite truncates the file.
    QCOMPARE(m_cache->updateFile(key, data.left(data.size() - 1)), path);
    QCOMPARE(m_cache->getFile(key), data.left(data.size() - 1));
}

void tst_CvCache::fileStoreEdges()
{
    reopen();
    CvCache &cache = *m_cache;
    QVERIFY(cache.getFilePath(s("pic")).isEmpty()); // no directory yet
    QCOMPARE(cache.updateFile(s("pic"), QByteArray()), QString());
    QVERIFY(!QDir(m_store).exists());

    const QString jpg = cache.updateFile(s("pic"), jfif);
    QVERIFY(jpg.endsWith(QLatin1String("/pic.jpg")));
    // The index is memory only: a new cache object looks for the bare key, searchFile finds it.
    {
        CvCache other(*config());
        QVERIFY(other.init());
        QVERIFY(!other.fileExists(s("pic")));
        QCOMPARE(other.searchFile(s("pic")), s("pic.jpg"));
        QCOMPARE(other.searchFile(s("pi")), s("pic.jpg"));
        QCOMPARE(other.searchFile(s("zz")), QString());
    }
    // Removal names the key alone: the suffixed file stays, its index entry goes.
    QVERIFY(!cache.removeFile(s("pic")));
    QVERIFY(QFile::exists(jpg));
    QVERIFY(!cache.fileExists(s("pic")));

    QVERIFY(!cache.updateFile(s("plain"), png).isEmpty());
    QVERIFY(cache.removeFile(s("plain")));
    QVERIFY(!cache.fileExists(s("plain")));

    // Keys never reach outside the store.
    QCOMPARE(cache.updateFile(s("../escape"), jfif), QString());
    QCOMPARE(cache.updateFile(s("/tmp/escape"), jfif), QString());
    QVERIFY(!QFile::exists(m_dir.filePath(s("escape.jpg"))));

    // Clearing follows no link out of the store.
    const QString outside = m_dir.filePath(s("outside%1").arg(m_serial));
    QVERIFY(QDir().mkpath(outside));
    QFile keep(outside + s("/keep"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    QVERIFY(QFile::link(outside, m_store + s("/link")));
    cache.clearDiskCache();
    QVERIFY(!QDir(m_store).exists());
    QVERIFY(QFile::exists(keep.fileName()));
    QCOMPARE(cache.getFilePath(s("pic")), QString());
    QCOMPARE(cache.searchFile(s("pic")), QString());
    cache.clearDiskCache(); // a missing directory is fine
}

QTEST_GUILESS_MAIN(tst_CvCache)
#include "tst_cvcache.moc"
