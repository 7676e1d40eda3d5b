#include "corvana.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace Cv;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// A connection of its own, as another process would hold one on the same file.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &file)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(s("QSQLITE"), m_name);
        db.setDatabaseName(file);
        m_open = db.open();
    }
    ~RawDatabase() { QSqlDatabase::removeDatabase(m_name); }
    bool exec(const QString &statement)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return m_open && query.exec(statement);
    }
    int count(const QString &table)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!m_open || !query.exec(s("SELECT COUNT(*) FROM ") + table) || !query.next())
            return -1;
        return query.value(0).toInt();
    }

private:
    QString m_name = s("raw");
    bool m_open = false;
};

} // namespace

class TestCorvanaDataSafety : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cacheKeptWhenItCannotBeOpened_data();
    void cacheKeptWhenItCannotBeOpened();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CvCache> m_cache;
    QString m_db;
};

void TestCorvanaDataSafety::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = m_dir->filePath(s("cache.db"));
    CvCacheConfiguration configuration;
    configuration.setDatabaseName(m_db);
    configuration.setPath(m_dir->filePath(s("files")));
    m_cache = std::make_unique<CvCache>(configuration);
}

void TestCorvanaDataSafety::cleanup()
{
    m_cache.reset();
    m_dir.reset();
    CvEndpoints::reset();
}

void TestCorvanaDataSafety::cacheKeptWhenItCannotBeOpened_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<int>("options");
    QTest::newRow("locked by another connection")
        << s("BEGIN EXCLUSIVE") << int(CvCache::RecreateIncompatibleDatabase);
    QTest::newRow("schema version the options protect")
        << s("UPDATE cache_info SET version = 26") << 0;
}

void TestCorvanaDataSafety::cacheKeptWhenItCannotBeOpened()
{
    QFETCH(QString, obstacle);
    QFETCH(int, options);

    QVERIFY(m_cache->init());
    CvUsers users;
    for (int i = 0; i < 26; ++i)
        users.append(CvUser(QString::number(100 + i), s("User %1").arg(i)));
    QVERIFY(m_cache->updateUsers(users));
    QVERIFY(m_cache->updateUserData(s("ann"), s("100")));
    m_cache->close();

    RawDatabase other(m_db);
    QVERIFY(other.exec(obstacle));

    CorvanaConfiguration configuration(s("ann"), CorvanaConfiguration::UserName);
    configuration.setCache(m_cache.get());
    configuration.setCacheInitOptions(CvCache::InitOptions(options));
    Corvana corvana(configuration);
    QSignalSpy errors(&corvana, &Corvana::error);
    QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache error|Incompatible")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache init failed: ")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache error|Incompatible")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(s("Cache init failed\\(2\\): ")));
    corvana.init();

    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::CacheError);
    QVERIFY(!errors.first().first().value<CvError>().cacheErrorString().isEmpty());
    QCOMPARE(initialized.size(), 0);
    QVERIFY(!corvana.isInitialized());

    // Once the obstacle is gone, everything stored before is still there.
    other.exec(s("ROLLBACK"));
    QCOMPARE(other.count(s("users")), 26);
    QCOMPARE(other.count(s("user_data")), 1);
}

QTEST_GUILESS_MAIN(TestCorvanaDataSafety)
#include "tst_corvana_datasafety.moc"
