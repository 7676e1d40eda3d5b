#include "cvcache.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <atomic>

namespace Cv {

namespace {

// SQLite result codes that mean the file is not a usable database at all.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;

// A database that cannot be opened, or keeps an incompatible schema, is deleted and created again
// at most this many times per init(); a file that cannot be removed would otherwise loop forever.
constexpr int MaxRecreations = 1;

// Connection names are never reused within the process, so that statements or handles left from
// a closed connection can never be mistaken for those of a new one.
QString nextConnectionName()
{
    static std::atomic<int> counter {0};
    QString name;
    do {
        name = QStringLiteral("cvcache%1").arg(counter++);
    } while (QSqlDatabase::contains(name));
    return name;
}

int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : -1;
}

} // namespace

CvCachePrivate::CvCachePrivate(CvCache *q, CvCacheConfiguration *configuration)
    : q_ptr(q)
    , config(configuration)
    , queries(this)
{
}

CvCachePrivate::~CvCachePrivate()
{
    closeDb();
}

bool CvCachePrivate::initDb(CvCache::InitOptions options)
{
    CV_TRACE_FUNCTION;
    if (db.isValid())
        return false;
    initFailure = InitFailure::Unavailable;

    if (options & CvCache::ClearDiskCache)
        clearDiskCache();

    const QString databaseName = config->databaseName();
    connectionName = nextConnectionName();
    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(databaseName);

    if (options & CvCache::ClearDatabase)
        removeDatabaseFile();

    for (int recreations = 0;; ++recreations) {
        const bool mayRecreate = recreations < MaxRecreations;

        QSqlError openError;
        switch (openAndProbe(&openError)) {
        case OpenResult::Failed:
            return failInit();
        case OpenResult::Unusable:
            if (!mayRecreate || !QFile::exists(databaseName)) {
                recordError(openError);
                return failInit();
            }
            cvWarning(
                QStringLiteral("Failed to open the existing database file: %1").arg(databaseName));
            cvDebug(QStringLiteral(
                "Recreating the database: opening failed even the datebase exists."));
            removeDatabaseFile();
            continue;
        case OpenResult::Opened:
            break;
        }

        switch (readSchemaVersion()) {
        case SchemaState::Failed:
            return failInit();
        case SchemaState::Incompatible:
            cvDebug(QStringLiteral("The database schema version is not compatible."));
            if (!(options & CvCache::RecreateIncompatibleDatabase) || !mayRecreate) {
                initFailure = InitFailure::Incompatible;
                recordError(QStringLiteral("Incompatible database schema and init options prevent "
                                           "the recreation of the database"),
                            CvCache::DatabaseError);
                return failInit();
            }
            cvDebug(QStringLiteral("Recreating the database."));
            db.close();
            removeDatabaseFile();
            continue;
        case SchemaState::Compatible:
            break;
        }

        if (!createSchema())
            return failInit();
        native = nativeSqliteHandle(db);
        cvDebug(native ? QStringLiteral("Cache statements step on SQLite %1 directly")
                             .arg(QLatin1String(sqlite3_libversion()))
                       : QStringLiteral("Cache statements go through QtSql"));
        initFailure = InitFailure::None;
        return true;
    }
}

CvCachePrivate::OpenResult CvCachePrivate::openAndProbe(QSqlError *unusableError)
{
    // A file that could not even be opened (permissions, a directory in its place) is not known
    // to be broken, so it is never deleted.
    if (!db.open()) {
        recordError(db.lastError());
        return OpenResult::Failed;
    }

    // Opening an SQLite file does not read it; the probe does, so that a file that is not a
    // database is caught here rather than by the first table creation.
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("PRAGMA schema_version"))) {
            const QSqlError error = probe.lastError();
            const int code = sqliteCode(error);
            if (code != SqliteNotADatabase && code != SqliteCorrupt) {
                // Busy, locked, unreadable: the file may be fine, do not delete it.
                recordError(error);
                return OpenResult::Failed;
            }
            *unusableError = error;
            probe = QSqlQuery();
            db.close();
            return OpenResult::Unusable;
        }
    }

    QSqlQuery query(db);
    const QString settings[]
        = {QStringLiteral("PRAGMA synchronous = OFF"), QStringLiteral("PRAGMA foreign_keys = ON"),
           // Room for the feed index of a long feed (default 2 MiB).
           QStringLiteral("PRAGMA cache_size = -16384")};
    for (const QString &text : settings) {
        if (!query.exec(text)) {
            recordError(query);
            return OpenResult::Failed;
        }
    }
    return OpenResult::Opened;
}

CvCachePrivate::SchemaState CvCachePrivate::readSchemaVersion()
{
    QSqlQuery query(db);
    if (!query.exec(CvQueries::createTableTexts().first())
        || !query.exec(QStringLiteral("SELECT version FROM cache_info"))) {
        recordError(query);
        return SchemaState::Failed;
    }
    if (query.next()) {
        const bool compatible = query.value(0).toInt() == SchemaVersion;
        return compatible ? SchemaState::Compatible : SchemaState::Incompatible;
    }
    query.finish();

    // A new file: stamp it with this schema. A failed stamp is reported, but the tables can
    // still be created and used for this session.
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO cache_info (id, version) VALUES (1, ?)"))) {
        recordError(insert);
        return SchemaState::Compatible;
    }
    insert.bindValue(0, SchemaVersion);
    if (!insert.exec())
        recordError(insert);
    return SchemaState::Compatible;
}

bool CvCachePrivate::createSchema()
{
    QSqlQuery query(db);
    const QStringList &tables = CvQueries::createTableTexts();
    // The first table (cache_info) exists already: readSchemaVersion() needs it.
    for (qsizetype i = 1; i < tables.size(); ++i) {
        if (!query.exec(tables.at(i))) {
            recordError(query);
            return false;
        }
    }
    for (const QString &index : CvQueries::createIndexTexts()) {
        if (!query.exec(index)) {
            recordError(query);
            return false;
        }
    }
    return true;
}

bool CvCachePrivate::failInit()
{
    closeDb();
    return false;
}

void CvCachePrivate::closeDb()
{
    // Statements first: a connection can only be removed once nothing refers to it.
    queries.clear();
    native = nullptr;
    if (db.isValid() && db.isOpen())
        db.close();
    db = QSqlDatabase();
    if (!connectionName.isEmpty()) {
        QSqlDatabase::removeDatabase(connectionName);
        connectionName.clear();
    }
}

void CvCachePrivate::clearDiskCache()
{
    const QDir dir(config->path());
    if (!dir.exists())
        return;
    const QString path = dir.absolutePath();
    if (!removeDirectory(path))
        cvWarning(QStringLiteral("Failed to clear disk cache: %1").arg(path));
    fileIndex.clear();
}

void CvCachePrivate::removeDatabaseFile()
{
    const QString name = config->databaseName();
    if (QFile::exists(name) && !QFile::remove(name))
        cvWarning(QStringLiteral("Failed to remove the database file: %1").arg(name));
}

bool CvCachePrivate::removeDirectory(const QString &path)
{
    QDir dir(path);
    if (!dir.exists())
        return true;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::AllDirs | QDir::Hidden
                                                        | QDir::System | QDir::NoDotAndDotDot,
                                                    QDir::DirsFirst);
    for (const QFileInfo &entry : entries) {
        // A link is removed as a link: never follow it out of the store.
        const bool removed = entry.isDir() && !entry.isSymLink()
            ? removeDirectory(entry.absoluteFilePath())
            : QFile::remove(entry.absoluteFilePath());
        if (!removed)
            return false;
    }
    return dir.rmdir(dir.absolutePath());
}

void CvCachePrivate::recordError(const QSqlError &error)
{
    lastSqlError = error;
    lastErrorDescription = error.text();
    const int code = sqliteCode(error);
    if (code == SqliteCorrupt || code == SqliteNotADatabase)
        initFailure = InitFailure::Unusable;
    switch (code) {
    case SqliteBusy:
        lastErrorType = CvCache::DatabaseBusy;
        break;
    case SqliteLocked:
        lastErrorType = CvCache::DatabaseLocked;
        break;
    default:
        lastErrorType = CvCache::DatabaseError;
        break;
    }
    cvWarning(QStringLiteral("Cache error: %1").arg(lastErrorDescription));
}

void CvCachePrivate::recordError(const QSqlQuery &query)
{
    recordError(query.lastError());
    cvDebug(QStringLiteral("Failed statement: %1").arg(query.lastQuery()));
}

void CvCachePrivate::recordError(const CvStatement &query)
{
    recordError(query.lastError());
    cvDebug(QStringLiteral("Failed statement: %1").arg(query.lastQuery()));
}

void CvCachePrivate::recordDatabaseError()
{
    recordError(db.lastError());
}

void CvCachePrivate::recordError(const QString &text, CvCache::ErrorType type)
{
    lastSqlError = QSqlError();
    lastErrorDescription = text;
    lastErrorType = type;
    cvWarning(text);
}

void CvCachePrivate::recordNotFound(const QString &text)
{
    lastSqlError = QSqlError();
    lastErrorDescription = text.isEmpty() ? QStringLiteral("Item was not found") : text;
    lastErrorType = CvCache::ItemNotFound;
}

bool CvCachePrivate::exec(CvStatement *query)
{
    if (query->exec())
        return true;
    recordError(*query);
    return false;
}

bool CvCachePrivate::execWrite(CvStatement *query)
{
    const bool ok = exec(query);
    query->finish();
    return ok;
}

bool CvCachePrivate::execPerCall(const QString &text, std::initializer_list<QVariant> values)
{
    CvStatement query(db);
    if (!queries.preparePerCall(&query, text, values))
        return false;
    return execWrite(&query);
}

bool CvCachePrivate::beginTransaction()
{
    if (db.transaction())
        return true;
    recordDatabaseError();
    return false;
}

bool CvCachePrivate::commitTransaction()
{
    if (db.commit())
        return true;
    recordDatabaseError();
    // A commit that failed (busy, for one) leaves the transaction open; end it.
    db.rollback();
    return false;
}

void CvCachePrivate::rollbackTransaction()
{
    if (!db.rollback())
        cvWarning(QStringLiteral("Cache rollback failed: %1").arg(db.lastError().text()));
}

bool CvCachePrivate::updateTableTarget(const QString &table, const QPair<QString, QString> &first,
                                       const QPair<QString, QString> &second)
{
    UpdateTableTargetQuery *statements = queries.tableTargetQuery(table, first.first, second.first);
    if (!statements)
        return false;
    CvStatement *insert = &statements->insert;
    insert->bindValue(0, first.second);
    insert->bindValue(1, second.second);
    return execWrite(insert);
}

bool CvCachePrivate::removeOlderThan(const QString &table, const QString &column,
                                     const QDateTime &olderThan)
{
    if (!isOpen() || !olderThan.isValid())
        return false;
    return execPerCall(
        QStringLiteral("DELETE from %1 WHERE %2 IS NULL OR datetime(%2) < datetime(?)")
            .arg(table, column),
        {olderThan.toUTC().toString(Qt::ISODate)});
}

// --- CvCache ------------------------------------------------------------------------------------

CvCache::CvCache(QObject *parent)
    : QObject(parent)
    , d_ptr(new CvCachePrivate(this, new CvCacheConfiguration))
{
}

CvCache::CvCache(const CvCacheConfiguration &configuration, QObject *parent)
    : QObject(parent)
    , d_ptr(new CvCachePrivate(this, configuration.clone()))
{
}

CvCache::~CvCache() = default;

bool CvCache::init(InitOptions options)
{
    Q_D(CvCache);
    return d->initDb(options);
}

bool CvCache::isInitialized() const
{
    Q_D(const CvCache);
    return d->isOpen();
}

void CvCache::close()
{
    Q_D(CvCache);
    d->closeDb();
}

void CvCache::clearDiskCache()
{
    Q_D(CvCache);
    d->clearDiskCache();
}

void CvCache::clear()
{
    Q_D(CvCache);
    d->closeDb();
    d->clearDiskCache();
    d->removeDatabaseFile();
}

CvCache::ErrorType CvCache::lastError() const
{
    Q_D(const CvCache);
    return d->lastErrorType;
}

QString CvCache::lastErrorDescription() const
{
    Q_D(const CvCache);
    return d->lastErrorDescription;
}

} // namespace Cv
