// The read operations of CvGraph, the names of connections and search targets, and the path and
// filter helpers the reads share with the writes.

#include "graph/cvgraph_p.h"

#include "convert/cvlog_p.h"

namespace Cv {

namespace {

const char *const connectionNames[] = {
    "",
    "accounts",
    "friends",
    "home",
    "feed",
    "likes",
    "movies",
    "books",
    "notes",
    "photos",
    "albums",
    "videos",
    "events",
    "groups",
    "members",
    "checkins",
    "comments",
    "inbox",
    "outbox",
    "updates",
    "noreply",
    "maybe",
    "attending",
    "declined",
    "videos/uploaded",
    "statuses",
    "invited",
    "threads",
    "events/not_replied",
};
constexpr int connectionCount = int(sizeof(connectionNames) / sizeof(connectionNames[0]));

const char *const searchTargetNames[]
    = {"post", "user", "page", "event", "group", "checkin", "place", "home"};
constexpr int searchTargetCount = int(sizeof(searchTargetNames) / sizeof(searchTargetNames[0]));

} // namespace

QString CvGraphPrivate::joined(const QSet<QString> &set)
{
    QString text;
    bool first = true;
    for (const QString &member : set) {
        if (!first)
            text += QLatin1Char(',');
        first = false;
        text += member;
    }
    return text;
}

QString CvGraphPrivate::objectPath(const QString &id)
{
    return id.startsWith(QLatin1Char('/')) ? id : QLatin1Char('/') + id;
}

QString CvGraphPrivate::pathJoin(const QString &id, const QString &connection)
{
    QString path = objectPath(id);
    if (!path.endsWith(QLatin1Char('/')))
        path
            += connection.startsWith(QLatin1Char('/')) ? connection : QLatin1Char('/') + connection;
    else
        path += connection.endsWith(QLatin1Char('/')) ? connection.chopped(1) : connection;
    return path;
}

QString CvGraphPrivate::applyFilter(const CvDataFilter &filter, CvGraphOp *op) const
{
    if (filter.limit > 0)
        op->addParameter(QStringLiteral("limit"), QString::number(filter.limit));
    if (filter.offset >= 0)
        op->addParameter(QStringLiteral("offset"), QString::number(filter.offset));
    if (filter.since.isValid())
        op->addParameter(QStringLiteral("since"), filter.since.toString(Qt::ISODate));
    if (filter.until.isValid())
        op->addParameter(QStringLiteral("until"), filter.until.toString(Qt::ISODate));
    if (!filter.fields.isEmpty())
        op->addParameter(QStringLiteral("fields"), joined(filter.fields));
    for (auto it = filter.params.cbegin(); it != filter.params.cend(); ++it)
        op->addParameter(it.key(), it.value());
    return filter.locale.isEmpty() ? locale : filter.locale;
}

void CvGraphPrivate::applyLocale(const QString &locale, CvGraphOp *op)
{
    if (!locale.isEmpty())
        op->setParameter(QStringLiteral("locale"), locale);
}
QString CvGraph::connectionTypeToString(ConnectionType type)
{
    if (type <= NoConnection || type >= connectionCount)
        return QString();
    return QString::fromLatin1(connectionNames[type]);
}

CvGraph::ConnectionType CvGraph::connectionTypeFromString(const QString &text)
{
    if (text.isEmpty())
        return NoConnection;
    for (int i = 1; i < connectionCount; ++i) {
        if (text == QLatin1String(connectionNames[i]))
            return ConnectionType(i);
    }
    return NoConnection;
}

QString CvGraph::searchTargetToString(SearchTarget target)
{
    if (target < SearchPost || target >= searchTargetCount)
        return QString();
    return QString::fromLatin1(searchTargetNames[target]);
}

CvGraph::SearchTarget CvGraph::searchTargetFromString(const QString &text)
{
    for (int i = 0; i < searchTargetCount; ++i) {
        if (text == QLatin1String(searchTargetNames[i]))
            return SearchTarget(i);
    }
    return SearchPost;
}
bool CvGraph::retrieveObject(const QString &id, const CvDataFilter &filter, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->objectPath(id)), CvGraphOp::RetrieveObject, id, name);
    d->applyLocale(d->applyFilter(filter, &op), &op);
    return d->runOp(op);
}

bool CvGraph::retrieveObject(const QString &id, const QSet<QString> &fields, const QString &name)
{
    CV_TRACE_FUNCTION;
    CvDataFilter filter;
    filter.fields = fields;
    return retrieveObject(id, filter, name);
}

bool CvGraph::retrieveObject(const QString &id, const QString &name)
{
    CV_TRACE_FUNCTION;
    return retrieveObject(id, CvDataFilter(), name);
}

bool CvGraph::retrieveObjects(const QSet<QString> &ids, const CvDataFilter &filter,
                              const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (ids.isEmpty())
        return false;
    const QString list = d->joined(ids);
    CvGraphOp op(QUrl(), CvGraphOp::RetrieveObjects, list, name);
    op.addParameter(QStringLiteral("ids"), list);
    d->applyLocale(d->applyFilter(filter, &op), &op);
    return d->runOp(op);
}

bool CvGraph::retrieveConnectionTypes(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->objectPath(id)), CvGraphOp::RetrieveConnectionTypes, id, QString());
    op.setParameter(QStringLiteral("metadata"), QStringLiteral("1"));
    return d->runOp(op);
}

bool CvGraph::retrieveConnectionData(ConnectionType type, const QString &id)
{
    CV_TRACE_FUNCTION;
    if (type == NoConnection)
        return false;
    return retrieveConnectionData(connectionTypeToString(type), id);
}

bool CvGraph::retrieveConnectionData(const QString &connection, const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (connection.isEmpty() || id.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->pathJoin(id, connection)), CvGraphOp::RetrieveConnectionData, id,
                 connection);
    d->applyLocale(d->locale, &op);
    return d->runOp(op);
}

bool CvGraph::retrieveConnectionData(const QString &connection, const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (!filter.isValid() || connection.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->pathJoin(filter.id, connection)), CvGraphOp::RetrieveConnectionData,
                 filter.id, connection);
    d->applyLocale(d->applyFilter(filter, &op), &op);
    return d->runOp(op);
}

bool CvGraph::retrieveConnectionData(ConnectionType type, const CvDataFilter &filter)
{
    CV_TRACE_FUNCTION;
    if (type == NoConnection)
        return false;
    return retrieveConnectionData(connectionTypeToString(type), filter);
}

bool CvGraph::retrieveConnectionData(const QString &id, const QString &name, const QUrl &url)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || url.isEmpty() || !url.isValid())
        return false;
    CvGraphOp op(url, CvGraphOp::RetrieveConnectionPage, id, name);
    // Recorded so the reported filter matches; a paging link already carries its query.
    d->applyLocale(d->locale, &op);
    return d->runOp(op);
}

bool CvGraph::retrieveProfilePicture(const QString &id, PictureType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->pathJoin(id, QStringLiteral("picture"))),
                 CvGraphOp::RetrieveProfilePicture, id, QString());
    op.setParameter(QStringLiteral("type"), pictureTypeToString(type));
    return d->runOp(op);
}

bool CvGraph::search(const QString &searchId, QMap<QString, QString> &params, SearchTarget target)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    const QString targetText = searchTargetToString(target);
    if (target != SearchHome)
        params.insert(QStringLiteral("type"), targetText);
    const QString path = target == SearchHome ? QStringLiteral("/home") : QStringLiteral("/search");
    CvGraphOp op(QUrl(path), CvGraphOp::Search, searchId, targetText);
    op.setParameters(CvGraphOp::Parameters(params));
    d->applyLocale(d->locale, &op);
    return d->runOp(op);
}

bool CvGraph::search(const QString &searchId, const QString &query, SearchTarget target,
                     const QSet<QString> &fields)
{
    CV_TRACE_FUNCTION;
    QMap<QString, QString> params;
    if (!query.isEmpty())
        params.insert(QStringLiteral("q"), query);
    if (!fields.isEmpty())
        params.insert(QStringLiteral("fields"), CvGraphPrivate::joined(fields));
    return search(searchId, params, target);
}

bool CvGraph::search(const QString &searchId, const QString &query, SearchTarget target)
{
    CV_TRACE_FUNCTION;
    return search(searchId, query, target, QSet<QString>());
}

bool CvGraph::retrievePublicData(const QUrl &url, const QString &name)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (url.isEmpty() || !url.isValid() || url.isRelative())
        return false;
    return d->runOp(CvGraphOp(url, CvGraphOp::RetrievePublicData, url.toString(), name));
}
} // namespace Cv
