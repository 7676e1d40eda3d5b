#ifndef CVSTATEMENT_P_H
#define CVSTATEMENT_P_H

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace Cv {

// The native connection behind \a db when the SQLite library this cache is linked with is the
// very one the Qt driver uses (same source id, same loaded copy), so that statements can be bound
// and stepped without QtSql's per-value bookkeeping. Null otherwise, and when the environment
// variable CV_CACHE_QTSQL is set (to compare both ways).
sqlite3 *nativeSqliteHandle(const QSqlDatabase &db);

// One statement of the cache, with the part of QSqlQuery's interface the cache uses. Given a
// native connection it binds and steps an sqlite3 statement itself; otherwise it is a QSqlQuery.
// Either way the values read back, the results and the errors are QSqlQuery's: the same variant
// types, NULL and invalid values bound as NULL, and QSqlError with the driver's texts and codes.
class CvStatement
{
public:
    explicit CvStatement(const QSqlDatabase &db, sqlite3 *native = nullptr);
    ~CvStatement();
    CvStatement(const CvStatement &) = delete;
    CvStatement &operator=(const CvStatement &) = delete;

    bool isNative() const { return m_native != nullptr; }
    void setForwardOnly(bool forward);
    bool prepare(const QString &text);
    void bindValue(int position, const QVariant &value);
    bool exec();
    bool next();
    QVariant value(int column) const;
    // value(column).toString() and value(column).toInt(), without a variant in between for the
    // common storage classes.
    QString text(int column) const;
    int integer(int column) const;
    // value(column).toDateTime(), reading the text the cache writes for a UTC time
    // ("2011-05-01T10:20:30.123Z") without the general ISO 8601 parser.
    QDateTime dateTime(int column) const;
    void finish();
    int numRowsAffected() const;
    QSqlError lastError() const;
    QString lastQuery() const;

private:
    void fail(const char *driverText, QSqlError::ErrorType type, int code);
    void reset();

    std::optional<QSqlQuery> m_query;
    sqlite3 *m_native = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_text;
    // The bound values, kept alive for SQLite to read without a copy.
    std::vector<QVariant> m_bound;
    // ASCII texts among them, bound as UTF-8 (the same bytes SQLite would store).
    std::vector<QByteArray> m_ascii;
    // Only a failure makes one: a QSqlError allocates even when empty.
    std::optional<QSqlError> m_error;
    // Stepped since the last reset; a row fetched by exec() and not yet handed out by next().
    bool m_stepped = false;
    bool m_pendingRow = false;
    bool m_onRow = false;
    // The last execution succeeded (QSqlQuery's active state).
    bool m_active = false;
};

} // namespace Cv

#endif // CVSTATEMENT_P_H
