#ifndef CVQUERIES_P_H
#define CVQUERIES_P_H

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <vector>

namespace Cv {

class CvCachePrivate;
class CvDataFilter;

// The select and insert statements of one link table and column pair, prepared once.
struct UpdateTableTargetQuery
{
    QString selectText;
    QString insertText;
    std::unique_ptr<QSqlQuery> select;
    std::unique_ptr<QSqlQuery> insert;
};

// Statement cache and schema texts of a cache. Statements are prepared on first use on the cache's
// current connection and rebound for every later use; clear() drops them all, which must happen
// before the connection goes away.
class CvQueries
{
public:
    explicit CvQueries(CvCachePrivate *d);
    ~CvQueries();

    // The kept statement for \a text, prepared (forward only) on first use. Null when preparing
    // fails; the failure is recorded and the statement is prepared again on the next call.
    QSqlQuery *kept(const QString &text);
    // The kept statement for \a text with \a values bound by position, or null as kept().
    QSqlQuery *keptBound(const QString &text, std::initializer_list<QVariant> values);
    // Prepares \a text on the caller's own \a query and binds \a values; records a failure.
    bool preparePerCall(QSqlQuery *query, const QString &text,
                        std::initializer_list<QVariant> values = {});

    // The link-table statements for (table, firstColumn, secondColumn), created on first use.
    UpdateTableTargetQuery *tableTargetQuery(const QString &table, const QString &firstColumn,
                                             const QString &secondColumn);

    // Drops every kept statement.
    void clear();

    // "CREATE TABLE IF NOT EXISTS" texts of the 25 tables, in creation order.
    static const QStringList &createTableTexts();
    // Lower and upper time bounds of a windowed read as ISO 8601 text: the filter's since, or the
    // epoch; the filter's until, or a thousand years from now.
    static QString lowerBound(const CvDataFilter &filter);
    static QString upperBound(const CvDataFilter &filter);
    // Link table of a CvCache::PostType value, or an empty name outside 0 to 3.
    static QString postTypeTable(int type);

private:
    CvCachePrivate *const d;
    QHash<QString, QSqlQuery *> m_kept;
    std::vector<std::unique_ptr<UpdateTableTargetQuery>> m_tableTargets;
};

} // namespace Cv

#endif // CVQUERIES_P_H
