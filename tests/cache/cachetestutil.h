#ifndef CACHETESTUTIL_H
#define CACHETESTUTIL_H

#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvdatafilter.h"
#include "cvuser.h"
#include "cvuserref.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

#include <functional>
#include <memory>

using CacheCall = std::function<bool(Cv::CvCache &)>;
Q_DECLARE_METATYPE(CacheCall)

inline QString s(const char *text)
{
    return QString::fromUtf8(text);
}

inline QStringList words(const char *text)
{
    return s(text).split(QLatin1Char(' '));
}

// Noon UTC of day \a d, counted from 1 May 2011.
inline QDateTime day(int d)
{
    return QDateTime(QDate(2011, 5, 1), QTime(12, 0), Qt::UTC).addDays(d - 1);
}

template<typename List>
QStringList ids(const List &items)
{
    QStringList result;
    for (const auto &item : items)
        result << item.id();
    return result;
}

inline QStringList ids(const Cv::CvUserRefs &refs)
{
    QStringList result;
    for (const Cv::CvUserRef &ref : refs)
        result << ref.id;
    return result;
}

inline Cv::CvDataFilter window(const QDateTime &since, const QDateTime &until, int offset = -1,
                               int limit = -1)
{
    Cv::CvDataFilter filter;
    filter.since = since;
    filter.until = until;
    filter.offset = offset;
    filter.limit = limit;
    return filter;
}

// A second, independent connection to a cache's database file, to look at what the cache wrote.
class Inspector
{
public:
    explicit Inspector(const QString &file)
        : m_name(QStringLiteral("inspector%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        if (!db.open())
            qWarning("inspector: %s", qPrintable(db.lastError().text()));
        // Its writes are test set-up: not worth a disk sync each.
        exec(QStringLiteral("PRAGMA synchronous = OFF"));
    }
    ~Inspector()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    // All values of the first column of \a sql's rows, as text.
    QStringList strings(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        QStringList values;
        if (!query.exec(sql))
            qWarning("inspector: %s", qPrintable(query.lastError().text()));
        while (query.next())
            values << query.value(0).toString();
        return values;
    }
    int count(const QString &table) const
    {
        const QStringList values = strings(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
        return values.isEmpty() ? -1 : values.first().toInt();
    }
    // Every row of every table as text, sorted: equal snapshots mean nothing was written.
    QStringList snapshot() const
    {
        QStringList result;
        const QStringList tables
            = strings(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
        for (const QString &table : tables) {
            QSqlQuery query(QSqlDatabase::database(m_name, false));
            query.exec(QStringLiteral("SELECT * FROM %1").arg(table));
            while (query.next()) {
                QStringList values {table};
                for (int i = 0; i < query.record().count(); ++i)
                    values << query.value(i).toString();
                result << values.join(QLatin1Char('|'));
            }
        }
        result.sort();
        return result;
    }
    bool exec(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        const bool ok = query.exec(sql);
        if (!ok)
            qWarning("inspector: %s", qPrintable(query.lastError().text()));
        return ok;
    }

private:
    static inline int s_count = 0;
    QString m_name;
};

inline QStringList cacheConnections()
{
    return QSqlDatabase::connectionNames().filter(QRegularExpression(QStringLiteral("^cvcache")));
}

// Base of the cache tests: every test function gets its own database file and file store.
class CacheFixture : public QObject
{
protected:
    QTemporaryDir m_dir;
    int m_serial = 0;
    QString m_db;
    QString m_store;
    std::unique_ptr<Cv::CvCache> m_cache;

    std::unique_ptr<Cv::CvCacheConfiguration> config() const
    {
        auto c = std::make_unique<Cv::CvCacheConfiguration>();
        c->setDatabaseName(m_db);
        c->setPath(m_store);
        return c;
    }
    // New file names for the next test function; nothing is opened.
    void nextFiles()
    {
        ++m_serial;
        m_db = m_dir.filePath(QStringLiteral("cache%1.db").arg(m_serial));
        m_store = m_dir.filePath(QStringLiteral("store%1").arg(m_serial));
    }
    // Closes m_cache, if open, and opens a new cache object on the same files.
    void reopen()
    {
        m_cache.reset();
        m_cache = std::make_unique<Cv::CvCache>(*config());
        QVERIFY(m_cache->init());
    }
    // Opens a fresh database and stores \a users in it.
    void openWith(const Cv::CvUsers &users)
    {
        nextFiles();
        reopen();
        QVERIFY(m_cache->updateUsers(users));
    }
    // Runs \a call, a batch that must fail, and checks that it left every table as it was.
    void expectRollback(const CacheCall &call)
    {
        const QStringList before = Inspector(m_db).snapshot();
        QVERIFY(!before.isEmpty());
        QVERIFY(!call(*m_cache));
        QCOMPARE(Inspector(m_db).snapshot(), before);
        // An empty batch opens and commits a transaction: none was left open.
        QVERIFY(m_cache->updateUsers({}));
    }
    int rows(const char *table) const { return Inspector(m_db).count(s(table)); }
    QStringList strings(const char *sql) const { return Inspector(m_db).strings(s(sql)); }
};

#endif // CACHETESTUTIL_H
