// Query-language statements (REST method cvql.query) and Graph batch requests.

#include "graph/cvgraph_p.h"

#include "convert/cvlog_p.h"

namespace Cv {

namespace {

constexpr CvGraphPrivate::RestMethod Query {"cvql.query", CvGraphOp::ExecuteQuery, "query", true};

// A condition value: an identifier, the same in single or double quotes, or a call without
// arguments such as me(). Anything else could end the condition and start another statement.
bool isQueryValue(const QString &value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('\'') || first == QLatin1Char('"')) && value.back() == first)
            return CvGraph::isQueryIdentifier(value.mid(1, value.size() - 2));
        if (value.endsWith(QLatin1String("()")))
            return CvGraph::isQueryIdentifier(value.chopped(2));
    }
    return CvGraph::isQueryIdentifier(value);
}

} // namespace

bool CvGraph::isQueryIdentifier(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')
            || (u >= '0' && u <= '9') || u == '_' || u == '-' || u == '.' || u == ':';
        if (!plain)
            return false;
    }
    return true;
}

bool CvGraph::executeQuery(const QString &query, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (query.isEmpty())
        return false;
    return d->runOp(d->restOp(Query, query, name));
}

bool CvGraph::executeQuery(const QSet<QString> &fields, const QString &table,
                           const QMap<QString, QString> &conditions, const QString &name)
{
    CV_TRACE_FUNCTION;
    // The statement needs a field list and a WHERE part; nothing is escaped into it.
    if (fields.isEmpty() || conditions.isEmpty())
        return false;
    bool plain = isQueryIdentifier(table);
    QString select;
    for (const QString &field : fields) {
        plain = plain && isQueryIdentifier(field);
        if (!select.isEmpty())
            select += QLatin1Char(',');
        select += field;
    }
    QString where;
    for (auto it = conditions.cbegin(); it != conditions.cend(); ++it) {
        plain = plain && isQueryIdentifier(it.key()) && isQueryValue(it.value());
        if (!where.isEmpty())
            where += QLatin1String(" AND ");
        where += it.key() + QLatin1Char('=') + it.value();
    }
    if (!plain) {
        cvWarning(QStringLiteral("Refused a query holding a text that is not a plain identifier"));
        return false;
    }

    return executeQuery(QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(select, table, where),
                        name);
}

bool CvGraph::executeBatch(const QList<CvGraphRequest> &requests, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (requests.isEmpty())
        return false;
    QString batch = QStringLiteral("[");
    for (const CvGraphRequest &request : requests) {
        if (batch.size() > 1)
            batch += QLatin1Char(',');
        batch += request.toString();
    }
    batch += QLatin1Char(']');
    // No id: the reply is recognized by the batch parameter.
    CvGraphOp op(QUrl(), CvGraphOp::ExecuteBatch, QString(), name);
    op.setParameter(QStringLiteral("batch"), batch);
    return d->runOp(op);
}

} // namespace Cv
