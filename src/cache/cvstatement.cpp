#include "cache/cvstatement_p.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlDriver>
#include <QTime>

#include <dlfcn.h>
#include <iterator>
#include <limits>
#include <sqlite3.h>

namespace Cv {

namespace {

// QtSql binds these as NULL: its driver asks the same of every value before binding it.
bool isNullValue(const QVariant &value)
{
    if (value.isNull())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString *>(value.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray *>(value.constData())->isNull();
    case QMetaType::QDateTime:
        return !static_cast<const QDateTime *>(value.constData())->isValid();
    case QMetaType::QDate:
        return !static_cast<const QDate *>(value.constData())->isValid();
    case QMetaType::QTime:
        return !static_cast<const QTime *>(value.constData())->isValid();
    default:
        return false;
    }
}

bool isAscii(const char *bytes, int size)
{
    unsigned char any = 0;
    for (int i = 0; i < size; ++i)
        any |= static_cast<unsigned char>(bytes[i]);
    return any < 0x80;
}

int bindText(sqlite3_stmt *stmt, int index, const QString &text, void (*lifetime)(void *))
{
    return sqlite3_bind_text16(stmt, index, text.utf16(), int(text.size() * sizeof(QChar)),
                               lifetime);
}

// True when the Qt driver of \a db reaches SQLite through the same loaded library as this code:
// the object file that holds the driver's class resolves sqlite3_sourceid to the function this
// library calls. A driver with its own copy of SQLite inside fails this even at the same version.
bool driverSharesLibrary(const QSqlDatabase &db)
{
    const void *vtable = *reinterpret_cast<void *const *>(db.driver());
    Dl_info info {};
    if (!dladdr(vtable, &info) || !info.dli_fname)
        return false;
    void *plugin = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!plugin)
        return false;
    const bool same
        = dlsym(plugin, "sqlite3_sourceid") == reinterpret_cast<void *>(&sqlite3_sourceid);
    dlclose(plugin);
    return same;
}

char16_t codeUnit(char c)
{
    return char16_t(static_cast<unsigned char>(c));
}

char16_t codeUnit(QChar c)
{
    return c.unicode();
}

// The shape a UTC QDateTime takes in Qt::ISODateWithMs, what the cache writes for one: digits
// where it has '0', its own character everywhere else. The fields, year to millisecond, each end
// at a separator.
constexpr char storedTimeShape[] = "0000-00-00T00:00:00.000Z";
constexpr qsizetype storedTimeLength = sizeof(storedTimeShape) - 1;

// The time that \a text of \a size characters names when it has exactly the stored shape with a
// valid date and time: the QDateTime that QVariant(text).toDateTime() gives for it. Empty for any
// other text, which the caller converts the general way.
template<typename Char>
std::optional<QDateTime> storedUtcTime(const Char *text, qsizetype size)
{
    if (size != storedTimeLength)
        return std::nullopt;
    int fields[7] = {};
    int field = 0;
    for (qsizetype i = 0; i < storedTimeLength; ++i) {
        const char16_t unit = codeUnit(text[i]);
        if (storedTimeShape[i] != '0') {
            if (unit != char16_t(storedTimeShape[i]))
                return std::nullopt;
            ++field;
        } else if (unit >= u'0' && unit <= u'9') {
            fields[field] = fields[field] * 10 + (unit - u'0');
        } else {
            return std::nullopt;
        }
    }
    // Hour 24, a 60th second or a day past the month's end take the general conversion, which
    // moves or refuses them.
    if (!QDate::isValid(fields[0], fields[1], fields[2]) || fields[3] > 23 || fields[4] > 59
        || fields[5] > 59)
        return std::nullopt;
    return QDateTime(QDate(fields[0], fields[1], fields[2]),
                     QTime(fields[3], fields[4], fields[5], fields[6]), Qt::UTC);
}

// Writes into \a out the stored shape's text of \a time, a UTC time of the years 1 to 9999: what
// QDateTime::toString(Qt::ISODateWithMs) gives for it, without the general formatter. False for
// any other time, which takes that formatter.
bool writeStoredUtcTime(const QDateTime &time, char *out)
{
    if (time.timeSpec() != Qt::UTC || !time.isValid())
        return false;
    const QDate date = time.date();
    const QTime clock = time.time();
    if (date.year() < 1 || date.year() > 9999)
        return false;
    const int fields[] = {date.year(),    date.month(),   date.day(),  clock.hour(),
                          clock.minute(), clock.second(), clock.msec()};
    size_t field = 0;
    for (qsizetype i = 0; i < storedTimeLength;) {
        if (storedTimeShape[i] != '0') {
            out[i] = storedTimeShape[i];
            ++i;
            continue;
        }
        // The shape ends in 'Z', so every run of digits ends inside it.
        qsizetype end = i;
        while (storedTimeShape[end] == '0')
            ++end;
        int value = fields[field++];
        for (qsizetype digit = end - 1; digit >= i; --digit, value /= 10)
            out[digit] = char('0' + value % 10);
        i = end;
    }
    return true;
}

} // namespace

sqlite3 *nativeSqliteHandle(const QSqlDatabase &db)
{
    if (qEnvironmentVariableIsSet("CV_CACHE_QTSQL") || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    sqlite3 *native = *static_cast<sqlite3 *const *>(handle.constData());
    if (!native)
        return nullptr;
    // The library the driver runs names itself through SQL.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT sqlite_source_id()")) || !query.next()
        || query.value(0).toString() != QLatin1String(sqlite3_sourceid()))
        return nullptr;
    return driverSharesLibrary(db) ? native : nullptr;
}

CvStatement::CvStatement(const QSqlDatabase &db, sqlite3 *native)
    : m_native(native)
{
    if (!native)
        m_query.emplace(db);
}

CvStatement::~CvStatement()
{
    sqlite3_finalize(m_stmt);
}

void CvStatement::setForwardOnly(bool forward)
{
    if (m_query)
        m_query->setForwardOnly(forward);
}

bool CvStatement::prepare(const QString &text)
{
    m_text = text;
    if (m_query)
        return m_query->prepare(text);
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
    m_bound.clear();
    m_ascii.clear();
    m_stepped = m_pendingRow = m_onRow = false;
    m_error.reset();
    const void *tail = nullptr;
    const int rc = sqlite3_prepare16_v3(m_native, text.utf16(), int(text.size() * sizeof(QChar)),
                                        SQLITE_PREPARE_PERSISTENT, &m_stmt, &tail);
    if (rc != SQLITE_OK) {
        fail("Unable to execute statement", QSqlError::StatementError, rc);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return false;
    }
    if (tail && !QString(static_cast<const QChar *>(tail)).trimmed().isEmpty()) {
        fail("Unable to execute multiple statements at a time", QSqlError::StatementError,
             SQLITE_MISUSE);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return false;
    }
    m_bound.resize(size_t(sqlite3_bind_parameter_count(m_stmt)));
    m_ascii.resize(m_bound.size());
    return true;
}

void CvStatement::bindValue(int position, const QVariant &value)
{
    if (m_query) {
        m_query->bindValue(position, value);
        return;
    }
    if (!m_stmt || position < 0)
        return;
    if (size_t(position) >= m_bound.size()) {
        m_bound.resize(size_t(position) + 1);
        m_ascii.resize(size_t(position) + 1);
    }
    // Rebinding needs a statement that is not running.
    if (m_stepped)
        reset();
    m_bound[size_t(position)] = value;
    const QVariant &kept = m_bound[size_t(position)];
    const int index = position + 1;
    // The same representation QtSql binds for each type.
    if (isNullValue(kept)) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    switch (kept.typeId()) {
    case QMetaType::QByteArray: {
        const auto *bytes = static_cast<const QByteArray *>(kept.constData());
        sqlite3_bind_blob(m_stmt, index, bytes->constData(), int(bytes->size()), SQLITE_STATIC);
        break;
    }
    case QMetaType::Int:
    case QMetaType::Bool:
        sqlite3_bind_int(m_stmt, index, kept.toInt());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(m_stmt, index, kept.toDouble());
        break;
    case QMetaType::UInt:
    case QMetaType::LongLong:
        sqlite3_bind_int64(m_stmt, index, kept.toLongLong());
        break;
    case QMetaType::QDateTime: {
        // Kept as ASCII beside the variant, like a text.
        const auto *time = static_cast<const QDateTime *>(kept.constData());
        QByteArray &ascii = m_ascii[size_t(position)];
        ascii.resize(storedTimeLength);
        if (writeStoredUtcTime(*time, ascii.data()))
            sqlite3_bind_text(m_stmt, index, ascii.constData(), int(storedTimeLength),
                              SQLITE_STATIC);
        else
            bindText(m_stmt, index, time->toString(Qt::ISODateWithMs), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QTime:
        bindText(m_stmt, index, kept.toTime().toString(QStringLiteral("hh:mm:ss.zzz")),
                 SQLITE_TRANSIENT);
        break;
    case QMetaType::QString: {
        // The kept variant holds the text until it is bound again. ASCII goes as the UTF-8
        // SQLite stores, saving it the conversion.
        const auto *text = static_cast<const QString *>(kept.constData());
        QByteArray &ascii = m_ascii[size_t(position)];
        const qsizetype size = text->size();
        ascii.resize(size);
        const QChar *from = text->constData();
        char *to = ascii.data();
        char16_t any = 0;
        for (qsizetype i = 0; i < size; ++i) {
            any |= from[i].unicode();
            to[i] = char(from[i].unicode());
        }
        if (any < 0x80)
            sqlite3_bind_text(m_stmt, index, ascii.constData(), int(size), SQLITE_STATIC);
        else
            bindText(m_stmt, index, *text, SQLITE_STATIC);
        break;
    }
    default:
        bindText(m_stmt, index, kept.toString(), SQLITE_TRANSIENT);
        break;
    }
}

bool CvStatement::exec()
{
    if (m_query)
        return m_query->exec();
    m_error.reset();
    m_onRow = m_pendingRow = m_active = false;
    if (!m_stmt) {
        // QSqlQuery reports a statement that was never prepared in the same words.
        m_error = QSqlError(QCoreApplication::translate("QSqlQuery", "query not prepared"),
                            QString(), QSqlError::ConnectionError);
        return false;
    }
    if (m_stepped)
        reset();
    if (int(m_bound.size()) != sqlite3_bind_parameter_count(m_stmt)) {
        m_error
            = QSqlError(QCoreApplication::translate("QSQLiteResult", "Parameter count mismatch"),
                        QString(), QSqlError::StatementError);
        return false;
    }
    m_stepped = true;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_pendingRow = m_active = true;
        return true;
    }
    if (rc == SQLITE_DONE) {
        m_active = true;
        reset();
        return true;
    }
    fail("Unable to fetch row", QSqlError::ConnectionError, rc);
    return false;
}

bool CvStatement::next()
{
    if (m_query)
        return m_query->next();
    if (m_pendingRow) {
        m_pendingRow = false;
        m_onRow = true;
        return true;
    }
    if (!m_onRow)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    m_onRow = false;
    if (rc == SQLITE_DONE)
        reset();
    else
        fail("Unable to fetch row", QSqlError::ConnectionError, rc);
    return false;
}

QVariant CvStatement::value(int column) const
{
    if (m_query)
        return m_query->value(column);
    if (!m_onRow || column < 0 || column >= sqlite3_column_count(m_stmt))
        return QVariant();
    // The variant types QtSql's driver gives for each storage class.
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    default: {
        const auto *text = static_cast<const QChar *>(sqlite3_column_text16(m_stmt, column));
        return QString(text, sqlite3_column_bytes16(m_stmt, column) / int(sizeof(QChar)));
    }
    }
}

QString CvStatement::text(int column) const
{
    if (m_query)
        return m_query->value(column).toString();
    if (!m_onRow || column < 0 || column >= sqlite3_column_count(m_stmt))
        return QString();
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_TEXT: {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        const int size = sqlite3_column_bytes(m_stmt, column);
        // Anything else takes SQLite's own UTF-16 conversion, as QtSql's driver does.
        if (isAscii(bytes, size))
            return QString::fromLatin1(bytes, size);
        break;
    }
    case SQLITE_NULL:
        return QString();
    default:
        break;
    }
    return value(column).toString();
}

int CvStatement::integer(int column) const
{
    if (m_query)
        return m_query->value(column).toInt();
    if (m_onRow && column >= 0 && column < sqlite3_column_count(m_stmt)
        && sqlite3_column_type(m_stmt, column) == SQLITE_INTEGER) {
        const sqlite3_int64 number = sqlite3_column_int64(m_stmt, column);
        if (number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max())
            return int(number);
    }
    return value(column).toInt();
}

QDateTime CvStatement::dateTime(int column) const
{
    if (m_query) {
        const QVariant stored = m_query->value(column);
        if (stored.typeId() == QMetaType::QString) {
            const auto *text = static_cast<const QString *>(stored.constData());
            if (const std::optional<QDateTime> time
                = storedUtcTime(text->constData(), text->size()))
                return *time;
        }
        return stored.toDateTime();
    }
    if (m_onRow && column >= 0 && column < sqlite3_column_count(m_stmt)
        && sqlite3_column_type(m_stmt, column) == SQLITE_TEXT) {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        if (const std::optional<QDateTime> time
            = storedUtcTime(bytes, sqlite3_column_bytes(m_stmt, column)))
            return *time;
    }
    return value(column).toDateTime();
}

void CvStatement::finish()
{
    if (m_query) {
        m_query->finish();
        return;
    }
    // As QSqlQuery: a statement that ran forgets its error; one whose execution failed keeps it.
    if (m_active)
        m_error.reset();
    m_active = false;
    reset();
}

int CvStatement::numRowsAffected() const
{
    return m_query ? m_query->numRowsAffected() : sqlite3_changes(m_native);
}

QSqlError CvStatement::lastError() const
{
    return m_query ? m_query->lastError() : m_error.value_or(QSqlError());
}

QString CvStatement::lastQuery() const
{
    return m_query ? m_query->lastQuery() : m_text;
}

void CvStatement::fail(const char *driverText, QSqlError::ErrorType type, int code)
{
    // QtSql's driver asks the connection for the message after the reset of a plain error or
    // constraint code, and before it otherwise; reset() keeps the message either way.
    if (code == SQLITE_ERROR || code == SQLITE_CONSTRAINT) {
        if (m_stmt)
            code = sqlite3_reset(m_stmt);
        m_stepped = false;
    }
    const auto *message = static_cast<const QChar *>(sqlite3_errmsg16(m_native));
    m_error = QSqlError(QCoreApplication::translate("QSQLiteResult", driverText), QString(message),
                        type, QString::number(code));
    reset();
}

void CvStatement::reset()
{
    m_pendingRow = m_onRow = false;
    if (m_stepped && m_stmt)
        sqlite3_reset(m_stmt);
    m_stepped = false;
}

} // namespace Cv
