#ifndef CACHETESTUTIL_H
#define CACHETESTUTIL_H

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QtTest>

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
    }
    ~Inspector()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }

    // All values of the first column of \a sql's rows.
    QVariantList column(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        QVariantList values;
        if (!query.exec(sql)) {
            qWarning("inspector: %s", qPrintable(query.lastError().text()));
            return values;
        }
        while (query.next())
            values << query.value(0);
        return values;
    }
    QStringList strings(const QString &sql) const
    {
        QStringList result;
        for (const QVariant &value : column(sql))
            result << value.toString();
        return result;
    }
    int count(const QString &table) const
    {
        const QVariantList values = column(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
        return values.isEmpty() ? -1 : values.first().toInt();
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
    QStringList names = QSqlDatabase::connectionNames();
    names.erase(
        std::remove_if(names.begin(), names.end(),
                       [](const QString &n) { return !n.startsWith(QLatin1String("cvcache")); }),
        names.end());
    return names;
}

#endif // CACHETESTUTIL_H
