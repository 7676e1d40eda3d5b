// The raw SQLite side of the cache benchmarks: the baseline the library is measured against.
#ifndef RAWSQLITE_H
#define RAWSQLITE_H

#include <QDateTime>
#include <QString>

#include <sqlite3.h>

#include <cstdio>

inline bool check(sqlite3 *db, int rc, const char *what)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
        return true;
    std::fprintf(stderr, "sqlite3 %s: %s\n", what, sqlite3_errmsg(db));
    return false;
}

// A prepared statement bound by position (from 1) and reset after each step.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql)
        : m_db(db)
    {
        check(db, sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr), sql);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    void text(int i, const QString &value)
    {
        const QByteArray bytes = value.toUtf8();
        sqlite3_bind_text(m_stmt, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    void time(int i, const QDateTime &value) { text(i, value.toString(Qt::ISODateWithMs)); }
    void integer(int i, int value) { sqlite3_bind_int(m_stmt, i, value); }
    bool run()
    {
        const int rc = sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        return check(m_db, rc, "step");
    }
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

#endif // RAWSQLITE_H
