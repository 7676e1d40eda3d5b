#include "cachetestutil.h"

#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvlogger.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Cv;

using CacheCall = std::function<bool(CvCache &)>;
Q_DECLARE_METATYPE(CacheCall)

class TestCvCache : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;
    QString m_db;
    QString m_store;

    std::unique_ptr<CvCacheConfiguration> config() const
    {
        auto c = std::make_unique<CvCacheConfiguration>();
        c->setDatabaseName(m_db);
        c->setPath(m_store);
        return c;
    }
    static QStringList words(const char *text)
    {
        return QString::fromLatin1(text).split(QLatin1Char(' '));
    }
    // The library's warnings and debug lines arrive quoted, as Qt's debug stream writes a string.
    static void expect(QtMsgType type, const QString &text)
    {
        QTest::ignoreMessage(
            type, QRegularExpression(QLatin1String("^\"") + QRegularExpression::escape(text)));
    }
    static QByteArray jfif() { return QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10); }
    static QByteArray png() { return QByteArray("\x89PNG\r\n\x1A\n\0", 9); }

private slots:
    void init()
    {
        // A fresh database file and file store for every test function.
        ++m_serial;
        m_db = m_dir.filePath(QStringLiteral("cache%1.db").arg(m_serial));
        m_store = m_dir.filePath(QStringLiteral("store%1").arg(m_serial));
    }

    void configuration()
    {
        CvCacheConfiguration c;
        QCOMPARE(c.databaseName(), QStringLiteral("cvcache.db"));
        QCOMPARE(c.path(), QStringLiteral("./cvcache"));
        c.setDatabaseName(QStringLiteral("a.db"));
        c.setPath(QStringLiteral("/tmp/x"));
        std::unique_ptr<CvCacheConfiguration> copy(c.clone());
        c.setDatabaseName(QStringLiteral("b.db"));
        QCOMPARE(copy->databaseName(), QStringLiteral("a.db"));
        QCOMPARE(copy->path(), QStringLiteral("/tmp/x"));
    }

    void schemaOnNewFile()
    {
        {
            CvCache cache(*config());
            QVERIFY(!cache.isInitialized());
            QVERIFY(cache.init());
            QVERIFY(cache.isInitialized());
        }
        Inspector db(m_db);
        const QStringList expected = words(
            "cache_info users friendships posts post_actions post_targets post_tags "
            "news_feeds profile_feeds inboxes outboxes comments post_comments photo_comments "
            "events threads thread_participants thread_senders messages attachments checkins "
            "checkin_tags places groups user_data");
        QCOMPARE(db.strings(QStringLiteral(
                     "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid")),
                 expected);
        QCOMPARE(db.strings(QStringLiteral("SELECT id || ':' || version FROM cache_info")),
                 QStringList {QStringLiteral("1:27")});
        QCOMPARE(db.strings(QStringLiteral("SELECT name FROM pragma_table_info('users')")),
                 QString::fromLatin1("id first_name last_name name link about birthday email "
                                     "website hometown location bio gender interested_in "
                                     "meeting_for relationship_status religion political "
                                     "significant_other timezone picture mobile_phone locale")
                     .split(QLatin1Char(' ')));
        QCOMPARE(db.strings(QStringLiteral("SELECT name FROM pragma_table_info('places') "
                                           "WHERE pk > 0 ORDER BY pk")),
                 words("id parent_id"));
        // Every foreign key cascades; attachments refer to messages by both key columns.
        QCOMPARE(db.strings(QStringLiteral(
                     "SELECT COUNT(*) FROM sqlite_master m, pragma_foreign_key_list(m.name) f "
                     "WHERE m.type = 'table' AND f.on_delete <> 'CASCADE'")),
                 QStringList {QStringLiteral("0")});
        QCOMPARE(db.strings(QStringLiteral("SELECT \"from\" || '>' || \"table\" || '.' || \"to\" "
                                           "FROM pragma_foreign_key_list('attachments')")),
                 words("mid>messages.id tid>messages.tid"));
        QCOMPARE(db.strings(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = "
                                           "'friendships'"))
                     .join(QString())
                     .count(QStringLiteral("CONSTRAINT fk_")),
                 2);
        QCOMPARE(db.count(QStringLiteral("pragma_foreign_key_list('places')")), 0);

        // Opening it again passes the version check without another row.
        CvCache again(*config());
        QVERIFY(again.init());
        QCOMPARE(db.count(QStringLiteral("cache_info")), 1);
    }

    void incompatibleVersion_data()
    {
        QTest::addColumn<bool>("recreate");
        QTest::newRow("refused") << false;
        QTest::newRow("recreated") << true;
    }
    void incompatibleVersion()
    {
        QFETCH(bool, recreate);
        {
            CvCache cache(*config());
            QVERIFY(cache.init());
            QVERIFY(cache.updateUserData(QStringLiteral("marker"), QStringLiteral("old")));
        }
        {
            Inspector db(m_db);
            QVERIFY(db.exec(QStringLiteral("UPDATE cache_info SET version = 26")));
        }
        CvCache cache(*config());
        SetLoggingLevel(LogDebug);
        expect(QtDebugMsg, QStringLiteral("The database schema version is not compatible."));
        if (recreate)
            expect(QtDebugMsg, QStringLiteral("Recreating the database."));
        else
            expect(QtWarningMsg, QStringLiteral("Incompatible database schema"));
        const bool ok
            = cache.init(recreate ? CvCache::RecreateIncompatibleDatabase : CvCache::InitOptions());
        SetLoggingLevel(LogWarnings);
        QCOMPARE(ok, recreate);
        QCOMPARE(cache.isInitialized(), recreate);
        if (!recreate) {
            QCOMPARE(cache.lastErrorDescription(),
                     QStringLiteral("Incompatible database schema and init options prevent the "
                                    "recreation of the database"));
            QCOMPARE(cache.lastError(), CvCache::DatabaseError);
            QVERIFY(cacheConnections().isEmpty());
        }
        Inspector db(m_db);
        QCOMPARE(db.strings(QStringLiteral("SELECT version FROM cache_info")),
                 QStringList {recreate ? QStringLiteral("27") : QStringLiteral("26")});
        QCOMPARE(db.count(QStringLiteral("user_data")), recreate ? 0 : 1);
    }

    void unreadableFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("garbage") << QByteArray(4096, '\x5A');
        QTest::newRow("text") << QByteArray("this is not a database\n");
        QByteArray header("SQLite format 3\0", 16);
        QTest::newRow("truncated header") << header + QByteArray(40, '\xFF');
    }
    void unreadableFile()
    {
        QFETCH(QByteArray, content);
        QFile file(m_db);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();

        CvCache cache(*config());
        SetLoggingLevel(LogDebug);
        expect(QtWarningMsg, QStringLiteral("Failed to open the existing database file: ") + m_db);
        expect(QtDebugMsg,
               QStringLiteral("Recreating the database: opening failed even the datebase exists."));
        QVERIFY(cache.init());
        SetLoggingLevel(LogWarnings);
        QVERIFY(cache.updateUserData(QStringLiteral("k"), QStringLiteral("v")));
        Inspector db(m_db);
        QCOMPARE(db.count(QStringLiteral("cache_info")), 1);
        QCOMPARE(db.count(QStringLiteral("user_data")), 1);
    }

    void openFailsWithoutFile()
    {
        auto c = config();
        c->setDatabaseName(m_dir.filePath(QStringLiteral("missing/dir/cache.db")));
        CvCache cache(*c);
        expect(QtWarningMsg, QStringLiteral("Cache error: "));
        QVERIFY(!cache.init());
        QVERIFY(!cache.isInitialized());
        QCOMPARE(cache.lastError(), CvCache::DatabaseError);
        QVERIFY(!cache.lastErrorDescription().isEmpty());
        QVERIFY(cacheConnections().isEmpty());
        QVERIFY(!QFile::exists(c->databaseName()));
    }

    void initTwiceCloseAndReinit()
    {
        CvCache cache(*config());
        QVERIFY(cache.init());
        const QStringList first = cacheConnections();
        QCOMPARE(first.size(), 1);
        QVERIFY(cache.updateUserData(QStringLiteral("k"), QStringLiteral("v1")));

        QVERIFY(!cache.init());
        QVERIFY(cache.isInitialized());
        QCOMPARE(cacheConnections(), first);
        QCOMPARE(cache.lastErrorDescription(), QString());

        cache.close();
        QVERIFY(!cache.isInitialized());
        QVERIFY(cacheConnections().isEmpty());
        QString value;
        QVERIFY(!cache.getUserData(QStringLiteral("k"), &value));
        cache.close(); // closing twice is harmless

        QVERIFY(cache.init());
        const QStringList second = cacheConnections();
        QCOMPARE(second.size(), 1);
        QVERIFY(second.first() != first.first());
        QVERIFY(cache.getUserData(QStringLiteral("k"), &value));
        QCOMPARE(value, QStringLiteral("v1"));
        QVERIFY(cache.updateUserData(QStringLiteral("k"), QStringLiteral("v2")));
        QVERIFY(cache.getUserData(QStringLiteral("k"), &value));
        QCOMPARE(value, QStringLiteral("v2"));
    }

    void twoCachesInOneProcess()
    {
        auto other = config();
        other->setDatabaseName(m_db + QStringLiteral(".other"));
        other->setPath(m_store + QStringLiteral(".other"));
        CvCache a(*config());
        CvCache b(*other);
        QVERIFY(a.init());
        QVERIFY(b.init());
        QCOMPARE(cacheConnections().size(), 2);
        QVERIFY(a.updateUserData(QStringLiteral("who"), QStringLiteral("a")));
        QVERIFY(b.updateUserData(QStringLiteral("who"), QStringLiteral("b")));
        QVERIFY(!a.updateFile(QStringLiteral("f"), "A").isEmpty());
        a.close();
        QString value;
        QVERIFY(b.getUserData(QStringLiteral("who"), &value));
        QCOMPARE(value, QStringLiteral("b"));
        QVERIFY(!b.fileExists(QStringLiteral("f")));
        QVERIFY(a.init());
        QVERIFY(a.getUserData(QStringLiteral("who"), &value));
        QCOMPARE(value, QStringLiteral("a"));
    }

    void initOptions()
    {
        {
            CvCache cache(*config());
            QVERIFY(cache.init());
            QVERIFY(cache.updateUserData(QStringLiteral("k"), QStringLiteral("v")));
            QVERIFY(!cache.updateFile(QStringLiteral("sub/pic"), jfif()).isEmpty());
        }
        QVERIFY(QDir(m_store).exists());
        {
            CvCache cache(*config());
            QVERIFY(cache.init(CvCache::ClearDiskCache));
            QVERIFY(!QDir(m_store).exists());
            QString value;
            QVERIFY(cache.getUserData(QStringLiteral("k"), &value));
        }
        {
            CvCache cache(*config());
            QVERIFY(cache.init(CvCache::ClearDatabase));
            QString value;
            QVERIFY(!cache.getUserData(QStringLiteral("k"), &value));
        }
    }

    void clear()
    {
        CvCache cache(*config());
        QVERIFY(cache.init());
        QVERIFY(!cache.updateFile(QStringLiteral("pic"), jfif()).isEmpty());
        cache.clear();
        QVERIFY(!cache.isInitialized());
        QVERIFY(!QFile::exists(m_db));
        QVERIFY(!QDir(m_store).exists());
        QVERIFY(cacheConnections().isEmpty());
        QVERIFY(cache.init());
        QVERIFY(!cache.fileExists(QStringLiteral("pic")));
    }

    void uninitialised_data()
    {
        QTest::addColumn<CacheCall>("call");
        const QString k = QStringLiteral("key");
        QTest::newRow("getUserData") << CacheCall([k](CvCache &c) {
            QString v;
            return c.getUserData(k, &v);
        });
        QTest::newRow("updateUserData")
            << CacheCall([k](CvCache &c) { return c.updateUserData(k, k); });
        QTest::newRow("removeUserData")
            << CacheCall([k](CvCache &c) { return c.removeUserData(k); });
        QTest::newRow("updateFile")
            << CacheCall([k](CvCache &c) { return !c.updateFile(k, "data").isEmpty(); });
        QTest::newRow("searchFile")
            << CacheCall([k](CvCache &c) { return !c.searchFile(k).isEmpty(); });
        QTest::newRow("getFile") << CacheCall([k](CvCache &c) { return !c.getFile(k).isEmpty(); });
        QTest::newRow("getFilePath")
            << CacheCall([k](CvCache &c) { return !c.getFilePath(k).isEmpty(); });
        QTest::newRow("fileExists") << CacheCall([k](CvCache &c) { return c.fileExists(k); });
        QTest::newRow("removeFile") << CacheCall([k](CvCache &c) { return c.removeFile(k); });
    }
    void uninitialised()
    {
        QFETCH(CacheCall, call);
        CvCache cache(*config());
        // Data written while open must not be reachable once closed.
        QVERIFY(cache.init());
        QVERIFY(cache.updateUserData(QStringLiteral("key"), QStringLiteral("value")));
        QVERIFY(!cache.updateFile(QStringLiteral("key"), "data").isEmpty());
        cache.close();
        QVERIFY(!call(cache));
        QCOMPARE(cache.lastErrorDescription(), QString());
        QVERIFY(cache.init());
        QVERIFY(call(cache));
    }

    void keyValue()
    {
        CvCache cache(*config());
        QVERIFY(cache.init());
        QString value = QStringLiteral("untouched");
        QVERIFY(!cache.getUserData(QStringLiteral("missing"), &value));
        QCOMPARE(value, QStringLiteral("untouched"));
        QVERIFY(cache.updateUserData(QStringLiteral("k"), QStringLiteral("first")));
        QVERIFY(cache.updateUserData(QStringLiteral("k"), QStringLiteral("ümlaut ✓")));
        QVERIFY(cache.getUserData(QStringLiteral("k"), &value));
        QCOMPARE(value, QStringLiteral("ümlaut ✓"));
        QVERIFY(cache.removeUserData(QStringLiteral("k")));
        QVERIFY(!cache.getUserData(QStringLiteral("k"), &value));
        QVERIFY(cache.removeUserData(QStringLiteral("k")));
        cache.close();
        Inspector db(m_db);
        QCOMPARE(db.count(QStringLiteral("user_data")), 0);
    }

    void storeFile_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("stored");
        QTest::newRow("jpeg gets suffix")
            << QStringLiteral("pic123") << jfif() << QStringLiteral("pic123.jpg");
        QTest::newRow("gif gets suffix")
            << QStringLiteral("anim") << QByteArray("GIF89a..") << QStringLiteral("anim.gif");
        QTest::newRow("png has none")
            << QStringLiteral("pic123") << png() << QStringLiteral("pic123");
        QTest::newRow("key with dot kept")
            << QStringLiteral("x.dat") << jfif() << QStringLiteral("x.dat");
        QTest::newRow("subdirectory")
            << QStringLiteral("a/b.jpg") << jfif() << QStringLiteral("a/b.jpg");
        QTest::newRow("deep subdirectory")
            << QStringLiteral("a/b/c") << jfif() << QStringLiteral("a/b/c.jpg");
    }
    void storeFile()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, data);
        QFETCH(QString, stored);
        CvCache cache(*config());
        QVERIFY(cache.init());
        const QString path = m_store + QLatin1Char('/') + stored;
        QCOMPARE(cache.updateFile(key, data), path);
        QVERIFY(QFile::exists(path));
        QCOMPARE(cache.getFilePath(key), path);
        QVERIFY(cache.fileExists(key));
        QCOMPARE(cache.getFile(key), data);
        QCOMPARE(cache.searchFile(key), stored.mid(stored.lastIndexOf(QLatin1Char('/')) + 1));

        // A shorter rewrite truncates the file.
        QCOMPARE(cache.updateFile(key, data.left(data.size() - 1)), path);
        QCOMPARE(cache.getFile(key), data.left(data.size() - 1));
    }

    void fileStoreEdges()
    {
        CvCache cache(*config());
        QVERIFY(cache.init());
        QVERIFY(cache.getFilePath(QStringLiteral("pic")).isEmpty()); // no directory yet
        QCOMPARE(cache.updateFile(QStringLiteral("pic"), QByteArray()), QString());
        QVERIFY(!QDir(m_store).exists());

        const QString jpg = cache.updateFile(QStringLiteral("pic"), jfif());
        QVERIFY(jpg.endsWith(QLatin1String("/pic.jpg")));
        // The index is memory only: a new cache object looks for the bare key, searchFile finds it.
        {
            CvCache other(*config());
            QVERIFY(other.init());
            QVERIFY(!other.fileExists(QStringLiteral("pic")));
            QCOMPARE(other.searchFile(QStringLiteral("pic")), QStringLiteral("pic.jpg"));
            QCOMPARE(other.searchFile(QStringLiteral("pi")), QStringLiteral("pic.jpg"));
            QCOMPARE(other.searchFile(QStringLiteral("zz")), QString());
        }
        // Removal names the key alone: the suffixed file stays, its index entry goes.
        QVERIFY(!cache.removeFile(QStringLiteral("pic")));
        QVERIFY(QFile::exists(jpg));
        QVERIFY(!cache.fileExists(QStringLiteral("pic")));

        QVERIFY(!cache.updateFile(QStringLiteral("plain"), png()).isEmpty());
        QVERIFY(cache.removeFile(QStringLiteral("plain")));
        QVERIFY(!cache.fileExists(QStringLiteral("plain")));

        // Keys never reach outside the store.
        QCOMPARE(cache.updateFile(QStringLiteral("../escape"), jfif()), QString());
        QCOMPARE(cache.updateFile(QStringLiteral("/tmp/escape"), jfif()), QString());
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("escape.jpg"))));

        cache.clearDiskCache();
        QVERIFY(!QDir(m_store).exists());
        QCOMPARE(cache.getFilePath(QStringLiteral("pic")), QString());
        QCOMPARE(cache.searchFile(QStringLiteral("pic")), QString());
        cache.clearDiskCache(); // a missing directory is fine
    }

    void clearDiskCacheKeepsLinkTargets()
    {
        const QString outside = m_dir.filePath(QStringLiteral("outside%1").arg(m_serial));
        QVERIFY(QDir().mkpath(outside));
        QFile keep(outside + QStringLiteral("/keep"));
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.close();
        CvCache cache(*config());
        QVERIFY(cache.init());
        QVERIFY(!cache.updateFile(QStringLiteral("pic"), jfif()).isEmpty());
        QVERIFY(QFile::link(outside, m_store + QStringLiteral("/link")));
        cache.clearDiskCache();
        QVERIFY(!QDir(m_store).exists());
        QVERIFY(QFile::exists(keep.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestCvCache)
#include "tst_cvcache.moc"
