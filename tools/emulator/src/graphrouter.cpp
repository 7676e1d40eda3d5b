#include "graphrouter.h"

#include "dataset.h"
#include "images.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTimeZone>
#include <QUrl>
#include <QtMath>

namespace Emu {

using namespace Qt::StringLiterals;

namespace {

Reply unsupported(const Request &r)
{
    return Reply::graphError(
        u"GraphMethodException"_s,
        u"Unsupported %1 request."_s.arg(QString::fromLatin1(r.method).toLower()));
}

Reply missing(const QString &what)
{
    return Reply::graphError(u"OAuthException"_s,
                             u"(#100) Missing or invalid parameter: "_s + what);
}

Reply ok()
{
    return Reply::text("true");
}

Reply created(const QString &key, const QString &id)
{
    return Reply::json(QJsonObject {{key, id}});
}

// Accepts both forms clients send: ISO 8601 text and Unix seconds.
QDateTime parseTime(const QString &text)
{
    bool numeric = false;
    const qint64 secs = text.toLongLong(&numeric);
    if (numeric)
        return QDateTime::fromSecsSinceEpoch(secs, QTimeZone::utc());
    QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (t.isValid() && t.timeSpec() == Qt::LocalTime)
        t.setTimeZone(QTimeZone::utc());
    return t;
}

QStringList splitFields(const QString &text)
{
    return text.split(u',', Qt::SkipEmptyParts);
}

// The one file part of a photo upload.
struct FilePart
{
    QByteArray name;
    QByteArray fileName;
    QByteArray contentType;
    QByteArray bytes;
};

// A parameter of a header value such as form-data; name="image"; filename="a.png".
QByteArray headerParameter(const QByteArray &value, const QByteArray &key)
{
    for (const QByteArray &item : value.split(';')) {
        const QByteArray trimmed = item.trimmed();
        if (!trimmed.startsWith(QByteArray(key + '=')))
            continue;
        QByteArray v = trimmed.mid(key.size() + 1);
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.mid(1, v.size() - 2);
        return v;
    }
    return QByteArray();
}

// Reads the body of a photo upload: one form-data part holding a picture, framed by the
// boundary the Content-Type header names. Returns what is wrong, or an empty text.
QString readFilePart(const Request &r, FilePart *part)
{
    // "multipart/form-data, boundary=X" (clients of this service separate with a comma) or "; ".
    const QByteArray type = r.header("Content-Type");
    const qsizetype at = type.indexOf("boundary=");
    if (!type.startsWith("multipart/form-data") || at < 0)
        return u"a multipart/form-data body with a boundary"_s;
    QByteArray boundary = type.mid(at + 9);
    const qsizetype parameterEnd = boundary.indexOf(';');
    if (parameterEnd >= 0)
        boundary.truncate(parameterEnd);
    boundary = boundary.trimmed();
    if (boundary.size() >= 2 && boundary.startsWith('"') && boundary.endsWith('"'))
        boundary = boundary.mid(1, boundary.size() - 2);
    if (boundary.isEmpty() || boundary.size() > 70)
        return u"a boundary of 1 to 70 characters"_s;
    const QByteArray delimiter = "--" + boundary;
    if (!r.body.startsWith(QByteArray(delimiter + "\r\n")))
        return u"the body to open with the boundary"_s;
    const qsizetype headersBegin = delimiter.size() + 2;
    const qsizetype headersEnd = r.body.indexOf("\r\n\r\n", headersBegin);
    if (headersEnd < 0)
        return u"part headers ended by an empty line"_s;
    for (const QByteArray &line : r.body.mid(headersBegin, headersEnd - headersBegin).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-disposition" && value.startsWith("form-data")) {
            part->name = headerParameter(value, "name");
            part->fileName = headerParameter(value, "filename");
        } else if (name == "content-type") {
            part->contentType = value.toLower();
        }
    }
    if (part->name.isEmpty() || part->fileName.isEmpty())
        return u"a form-data part with a name and a file name"_s;
    const qsizetype close = r.body.indexOf(QByteArray("\r\n" + delimiter), headersEnd + 4);
    if (close < 0)
        return u"the part to end with the boundary"_s;
    const QByteArray rest = r.body.mid(close + 2 + delimiter.size());
    if (rest != "--" && rest != "--\r\n")
        return u"exactly one part, followed by the closing boundary"_s;
    part->bytes = r.body.mid(headersEnd + 4, close - headersEnd - 4);
    const QByteArray sniffed = imageMimeType(part->bytes);
    if (sniffed.isEmpty())
        return u"a GIF, JPEG or PNG picture"_s;
    if (part->contentType != sniffed)
        return u"the part's content type to be %1 for its bytes, not '%2'"_s.arg(
            QString::fromLatin1(sniffed), QString::fromLatin1(part->contentType));
    return QString();
}

double distanceMetres(double lat1, double lon1, double lat2, double lon2)
{
    const double r = 6371000.0;
    const double dLat = qDegreesToRadians(lat2 - lat1);
    const double dLon = qDegreesToRadians(lon2 - lon1);
    const double a = qSin(dLat / 2) * qSin(dLat / 2)
        + qCos(qDegreesToRadians(lat1)) * qCos(qDegreesToRadians(lat2)) * qSin(dLon / 2)
            * qSin(dLon / 2);
    return 2 * r * qAtan2(qSqrt(a), qSqrt(1 - a));
}

} // namespace

QString GraphRouter::resolve(const Request &r, const QString &id) const
{
    return id == u"me"_s ? r.viewer : id;
}

Reply GraphRouter::handle(const Request &r)
{
    const QStringList segments = r.path.split(u'/', Qt::SkipEmptyParts);
    if (r.method == "GET" || r.method == "HEAD")
        return read(r, segments);
    if (r.method == "POST")
        return write(r, segments);
    if (r.method == "DELETE" && !segments.isEmpty()) {
        Request del = r;
        del.method = "POST";
        del.params.append({u"method"_s, u"delete"_s});
        return write(del, segments);
    }
    return unsupported(r);
}

Reply GraphRouter::read(const Request &r, const QStringList &segments)
{
    if (segments.isEmpty()) {
        if (r.has(u"ids"_s))
            return objects(r);
        return missing(u"ids"_s);
    }
    if (segments.size() == 1 && segments.first() == u"search"_s)
        return search(r, r.param(u"type"_s));
    if (segments.size() == 1 && segments.first() == u"home"_s)
        return search(r, u"home"_s);
    const QString id = resolve(r, segments.first());
    if (segments.size() == 1)
        return object(r, id);
    const QString name = segments.mid(1).join(u'/');
    if (name == u"picture"_s) {
        if (!m_data.exists(id))
            return unsupported(r);
        Reply redirect = Reply::text(QByteArray(), 302);
        redirect.contentType = "image/jpeg";
        redirect.headers.append(
            {"Location", m_data.pictureUrl(id, r.param(u"type"_s, u"square"_s)).toUtf8()});
        return redirect;
    }
    return connection(r, id, name);
}

Reply GraphRouter::object(const Request &r, const QString &id)
{
    if (!m_data.exists(id))
        return unsupported(r);
    const bool metadata = r.param(u"metadata"_s) == u"1"_s;
    return Reply::json(m_data.render(id, r.viewer, splitFields(r.param(u"fields"_s)), metadata));
}

Reply GraphRouter::objects(const Request &r)
{
    const QStringList ids = r.param(u"ids"_s).split(u',', Qt::SkipEmptyParts);
    if (ids.isEmpty())
        return missing(u"ids"_s);
    if (ids.size() > 1000)
        return Reply::graphError(u"OAuthException"_s, u"(#100) Too many ids"_s);
    const QStringList fields = splitFields(r.param(u"fields"_s));
    const bool metadata = r.param(u"metadata"_s) == u"1"_s;
    QJsonObject out;
    QStringList unknown;
    for (const QString &given : ids) {
        const QString id = resolve(r, given);
        if (!m_data.exists(id))
            unknown.append(given);
        else
            out.insert(given, m_data.render(id, r.viewer, fields, metadata));
    }
    if (!unknown.isEmpty())
        return Reply::graphError(u"OAuthException"_s,
                                 u"(#803) Some of the aliases you requested do not exist: "_s
                                     + unknown.join(u','));
    return Reply::json(out);
}

Reply GraphRouter::connection(const Request &r, const QString &id, const QString &name)
{
    if (!m_data.exists(id))
        return unsupported(r);
    bool known = false;
    QStringList ids = m_data.connection(id, name, &known);
    if (!known)
        return Reply::graphError(u"OAuthException"_s,
                                 u"(#100) Unknown connection '%1' for this object"_s.arg(name));
    return page(r, ids, id, name);
}

Reply GraphRouter::search(const Request &r, const QString &type)
{
    static const QStringList types = {u"post"_s,  u"user"_s,    u"page"_s,  u"event"_s,
                                      u"group"_s, u"checkin"_s, u"place"_s, u"home"_s};
    if (!types.contains(type))
        return missing(u"type"_s);
    const QString q = r.param(u"q"_s);
    if (q.isEmpty() && type != u"checkin"_s && type != u"home"_s && type != u"place"_s)
        return missing(u"q"_s);
    QStringList ids = m_data.search(type == u"home"_s ? u"post"_s : type, q, r.viewer);
    if (type == u"place"_s && r.has(u"center"_s)) {
        const QStringList c = r.param(u"center"_s).split(u',');
        const double lat = c.value(0).toDouble();
        const double lon = c.value(1).toDouble();
        const double limit = r.param(u"distance"_s, u"1000"_s).toDouble();
        QStringList near;
        for (const QString &id : std::as_const(ids)) {
            const QJsonObject loc = m_data.raw(id).value(u"location"_s).toObject();
            if (distanceMetres(lat, lon, loc.value(u"latitude"_s).toDouble(),
                               loc.value(u"longitude"_s).toDouble())
                <= limit)
                near.append(id);
        }
        ids = near;
    }
    // People found without explicit fields come back as bare references.
    return page(r, ids, QString(), type == u"user"_s ? u"friends"_s : type);
}

Reply GraphRouter::page(const Request &r, QStringList ids, const QString &owner,
                        const QString &name)
{
    bool okLimit = true;
    bool okOffset = true;
    const int limit = r.has(u"limit"_s) ? r.param(u"limit"_s).toInt(&okLimit) : 25;
    const int offset = r.has(u"offset"_s) ? r.param(u"offset"_s).toInt(&okOffset) : 0;
    if (!okLimit || !okOffset || limit < 0 || offset < 0)
        return missing(u"limit/offset"_s);
    const int effectiveLimit = (limit == 0) ? 25 : std::min(limit, MaxLimit);
    const QDateTime since = r.has(u"since"_s) ? parseTime(r.param(u"since"_s)) : QDateTime();
    const QDateTime until = r.has(u"until"_s) ? parseTime(r.param(u"until"_s)) : QDateTime();
    if ((r.has(u"since"_s) && !since.isValid()) || (r.has(u"until"_s) && !until.isValid()))
        return missing(u"since/until"_s);
    if (since.isValid() || until.isValid()) {
        const QString sinceText
            = since.isValid() ? DataSet::isoTime(since.toSecsSinceEpoch()) : QString();
        const QString untilText
            = until.isValid() ? DataSet::isoTime(until.toSecsSinceEpoch()) : QString();
        QStringList kept;
        for (const QString &id : std::as_const(ids)) {
            const QJsonObject o = m_data.raw(id);
            QString t = o.value(u"created_time"_s).toString();
            if (t.isEmpty())
                t = o.value(u"start_time"_s).toString();
            // The canonical text form sorts like the instants it names.
            if (!t.isEmpty()
                && ((!sinceText.isEmpty() && t < sinceText)
                    || (!untilText.isEmpty() && t > untilText)))
                continue;
            kept.append(id);
        }
        ids = kept;
    }
    const QStringList fields = splitFields(r.param(u"fields"_s));
    const qsizetype end = std::min<qsizetype>(ids.size(), qsizetype(offset) + effectiveLimit);
    // The page is assembled from per-item JSON so that cached items are only copied.
    const bool cached = fields.isEmpty() && !m_data.isPeopleConnection(owner, name);
    QByteArray body = "{\"data\":[";
    for (qsizetype i = offset; i < end; ++i) {
        if (i > offset)
            body += ',';
        body += cached ? m_data.renderJson(ids.at(i), r.viewer)
                       : QJsonDocument(m_data.renderItem(ids.at(i), name, owner, r.viewer, fields))
                             .toJson(QJsonDocument::Compact);
    }
    body += ']';

    auto link = [&r](int newOffset, int newLimit) -> QString {
        QStringList items;
        for (const auto &p : r.params) {
            if (p.first == u"offset"_s || p.first == u"limit"_s)
                continue;
            items.append(QString::fromLatin1(QUrl::toPercentEncoding(p.first)) + u'='
                         + QString::fromLatin1(QUrl::toPercentEncoding(p.second)));
        }
        items.append(u"limit="_s + QString::number(newLimit));
        items.append(u"offset="_s + QString::number(newOffset));
        return r.baseUrl + QString::fromLatin1(QUrl::toPercentEncoding(r.path, "/")) + u'?'
            + items.join(u'&');
    };
    QJsonObject paging;
    if (offset > 0)
        paging.insert(u"previous"_s, link(std::max(0, offset - effectiveLimit), effectiveLimit));
    if (end < ids.size())
        paging.insert(u"next"_s, link(int(end), effectiveLimit));
    if (!paging.isEmpty())
        body += ",\"paging\":" + QJsonDocument(paging).toJson(QJsonDocument::Compact);
    body += '}';
    return Reply::text(body);
}

Reply GraphRouter::write(const Request &r, const QStringList &segments)
{
    const QString method = r.param(u"method"_s).toLower();
    const QString viewer = r.viewer;
    if (segments.isEmpty()) {
        // Root path: deletion of ids that cannot be a path, and replies to message threads.
        if (method == u"delete"_s && r.has(u"id"_s))
            return m_data.remove(resolve(r, r.param(u"id"_s))) ? ok() : unsupported(r);
        if (method == u"post"_s && r.has(u"id"_s)) {
            if (r.param(u"message"_s).isEmpty())
                return missing(u"message"_s);
            const QString mid
                = m_data.addThreadMessage(r.param(u"id"_s), viewer, r.param(u"message"_s));
            if (mid.isEmpty())
                return unsupported(r);
            return created(u"id"_s, mid);
        }
        return unsupported(r);
    }
    if (segments.size() == 1 && segments.first() == u"threads"_s) {
        QString to = r.param(u"to"_s);
        if (to.startsWith(u'[') && to.endsWith(u']'))
            to = to.mid(1, to.size() - 2);
        QStringList recipients;
        for (const QString &id : to.split(u',', Qt::SkipEmptyParts)) {
            const QString rid = resolve(r, id.trimmed());
            if (m_data.kindOf(rid) != u"user"_s)
                return missing(u"to"_s);
            recipients.append(rid);
        }
        if (recipients.isEmpty() || r.param(u"message"_s).isEmpty())
            return missing(recipients.isEmpty() ? u"to"_s : u"message"_s);
        return created(u"tid"_s,
                       m_data.addThread(viewer, recipients, QString(), r.param(u"message"_s)));
    }
    if (segments.size() == 1 && segments.first() == u"tags"_s) {
        Thread *t = m_data.thread(r.param(u"id"_s));
        if (!t || !t->participants.contains(viewer) || r.param(u"name"_s) != u"read"_s)
            return unsupported(r);
        t->unread[viewer] = (method == u"delete"_s) ? std::max(1, t->unread.value(viewer)) : 0;
        return ok();
    }
    const QString id = resolve(r, segments.first());
    if (!m_data.exists(id))
        return unsupported(r);
    if (segments.size() == 1) {
        if (method == u"delete"_s)
            return m_data.remove(id) ? ok() : unsupported(r);
        return unsupported(r);
    }
    const QString name = segments.at(1);
    if (segments.size() == 3 && name == u"tags"_s && method == u"delete"_s)
        return Reply::text(m_data.removePhotoTag(id, resolve(r, segments.at(2))) ? "true"
                                                                                 : "false");
    if (segments.size() != 2)
        return unsupported(r);

    const QString message = r.param(u"message"_s);
    if (name == u"feed"_s || name == u"links"_s) {
        QJsonObject fields;
        for (const char16_t *key :
             {u"message", u"link", u"name", u"caption", u"description", u"picture", u"source"}) {
            const QString k = QString::fromUtf16(key);
            if (r.has(k))
                fields.insert(k, r.param(k));
        }
        if (name == u"feed"_s && message.isEmpty())
            return missing(u"message"_s);
        if (name == u"links"_s && r.param(u"link"_s).isEmpty())
            return missing(u"link"_s);
        const QString pid = m_data.addPost(id, viewer, fields);
        return pid.isEmpty() ? unsupported(r) : created(u"id"_s, pid);
    }
    if (name == u"comments"_s) {
        if (message.isEmpty())
            return missing(u"message"_s);
        const QString cid = m_data.addComment(id, viewer, message);
        return cid.isEmpty() ? unsupported(r) : created(u"id"_s, cid);
    }
    if (name == u"likes"_s)
        return m_data.like(id, viewer, method != u"delete"_s) ? ok() : unsupported(r);
    if (name == u"notes"_s) {
        if (message.isEmpty() && r.param(u"subject"_s).isEmpty())
            return missing(u"subject"_s);
        return created(u"id"_s,
                       m_data.addObject(u"note"_s, id,
                                        QJsonObject {{u"from"_s, m_data.ref(viewer)},
                                                     {u"subject"_s, r.param(u"subject"_s)},
                                                     {u"message"_s, message}},
                                        u"notes"_s));
    }
    if (name == u"albums"_s) {
        if (r.param(u"name"_s).isEmpty())
            return missing(u"name"_s);
        const QJsonObject privacy
            = QJsonDocument::fromJson(r.param(u"privacy"_s).toUtf8()).object();
        return created(
            u"id"_s,
            m_data.addObject(
                u"album"_s, id,
                QJsonObject {{u"from"_s, m_data.ref(viewer)},
                             {u"name"_s, r.param(u"name"_s)},
                             {u"description"_s, message},
                             {u"privacy"_s, privacy.value(u"value"_s).toString(u"friends"_s)},
                             {u"type"_s, u"normal"_s},
                             {u"count"_s, 0}},
                u"albums"_s));
    }
    if (name == u"photos"_s)
        return uploadPhoto(r, id);
    if (name == u"events"_s) {
        const QDateTime start = parseTime(r.param(u"start_time"_s));
        const QDateTime end = parseTime(r.param(u"end_time"_s));
        if (r.param(u"name"_s).isEmpty() || !start.isValid())
            return missing(r.param(u"name"_s).isEmpty() ? u"name"_s : u"start_time"_s);
        QJsonObject e {{u"owner"_s, m_data.ref(viewer)},
                       {u"name"_s, r.param(u"name"_s)},
                       {u"start_time"_s, DataSet::isoTime(start.toSecsSinceEpoch())},
                       {u"privacy"_s, u"OPEN"_s},
                       {u"updated_time"_s, DataSet::isoTime(m_data.nextTime())}};
        if (end.isValid())
            e.insert(u"end_time"_s, DataSet::isoTime(end.toSecsSinceEpoch()));
        return created(u"id"_s, m_data.addObject(u"event"_s, viewer, e, QString()));
    }
    static const QHash<QString, QString> answers = {{u"attending"_s, u"attending"_s},
                                                    {u"maybe"_s, u"unsure"_s},
                                                    {u"declined"_s, u"declined"_s}};
    if (answers.contains(name))
        return m_data.setRsvp(id, viewer, answers.value(name)) ? ok() : unsupported(r);
    if (name == u"checkins"_s) {
        const QString place = r.param(u"place"_s);
        const QJsonObject coords
            = QJsonDocument::fromJson(r.param(u"coordinates"_s).toUtf8()).object();
        if (m_data.kindOf(place) != u"place"_s)
            return missing(u"place"_s);
        if (coords.isEmpty())
            return missing(u"coordinates"_s);
        const QJsonObject p = m_data.raw(place);
        QJsonArray tags;
        for (const QString &t : r.param(u"tags"_s).split(u',', Qt::SkipEmptyParts))
            tags.append(m_data.ref(t));
        QJsonObject c {{u"from"_s, m_data.ref(viewer)},
                       {u"place"_s,
                        QJsonObject {{u"id"_s, place},
                                     {u"name"_s, p.value(u"name"_s)},
                                     {u"location"_s, p.value(u"location"_s)}}},
                       {u"message"_s, message},
                       {u"tags"_s, QJsonObject {{u"data"_s, tags}}},
                       {u"application"_s,
                        QJsonObject {{u"id"_s, u"7001"_s}, {u"name"_s, u"Corvana for Qt"_s}}}};
        return created(u"id"_s, m_data.addObject(u"checkin"_s, id, c, u"checkins"_s));
    }
    if (name == u"tags"_s) {
        const QString to = resolve(r, r.param(u"to"_s));
        if (to.isEmpty())
            return missing(u"to"_s);
        const bool isUser = m_data.kindOf(to) == u"user"_s;
        return m_data.addPhotoTag(id, isUser ? to : QString(), isUser ? QString() : to,
                                  qRound(r.param(u"x"_s).toDouble()),
                                  qRound(r.param(u"y"_s).toDouble()))
            ? ok()
            : unsupported(r);
    }
    return unsupported(r);
}

Reply GraphRouter::uploadPhoto(const Request &r, const QString &target)
{
    FilePart part;
    const QString problem = readFilePart(r, &part);
    if (!problem.isEmpty())
        return Reply::graphError(u"OAuthException"_s, u"(#324) Requires upload file: "_s + problem);
    const QString kind = m_data.kindOf(target);
    if (kind != u"user"_s && kind != u"album"_s && kind != u"page"_s)
        return unsupported(r);
    const QString owner
        = kind == u"album"_s ? m_data.raw(target).value(u"_owner"_s).toString() : target;
    const QString now = DataSet::isoTime(m_data.nextTime());
    QJsonObject photo {{u"from"_s, m_data.ref(r.viewer)},
                       {u"name"_s, r.param(u"message"_s)},
                       {u"icon"_s, QString(m_data.baseUrl() + u"/_pictures/icon_photo.gif"_s)},
                       {u"tags"_s, QJsonObject {{u"data"_s, QJsonArray()}}},
                       {u"created_time"_s, now},
                       {u"updated_time"_s, now}};
    if (kind == u"album"_s) {
        const int count = m_data.raw(target).value(u"count"_s).toInt() + 1;
        photo.insert(u"_album"_s, target);
        photo.insert(u"position"_s, count);
        m_data.setField(target, u"count"_s, count);
        m_data.setField(target, u"updated_time"_s, now);
    }
    const QString id = m_data.addObject(u"photo"_s, owner, photo, u"photos"_s);
    static const QHash<QByteArray, QString> suffixes
        = {{"image/gif", u".gif"_s}, {"image/png", u".png"_s}, {"image/jpeg", u".jpg"_s}};
    const QString source
        = m_data.baseUrl() + u"/_pictures/upload_"_s + id + suffixes.value(part.contentType);
    m_data.setField(id, u"source"_s, source);
    m_data.setField(id, u"picture"_s, source);
    m_data.setField(id, u"images"_s, QJsonArray {QJsonObject {{u"source"_s, source}}});
    m_data.setField(id, u"link"_s,
                    QString(m_data.baseUrl() + u"/photo.php?set=a."_s
                            + photo.value(u"_album"_s).toString() + u"&cvid="_s + id));
    m_data.storeBlob(id, part.bytes);
    if (kind == u"album"_s)
        m_data.addEdge(target + u"/photos"_s, id);
    return created(u"id"_s, id);
}

Reply GraphRouter::picture(const Request &r) const
{
    const QString name = r.path.section(u'/', -1);
    QByteArray mime;
    QByteArray bytes;
    if (name.startsWith(u"upload_"_s)) {
        // Uploads were checked to be pictures of the type they declared.
        bytes = m_data.blob(name.mid(7).section(u'.', 0, 0));
        mime = imageMimeType(bytes);
    } else {
        bytes = imageForName(name, &mime);
    }
    if (bytes.isEmpty())
        return Reply::graphError(u"GraphMethodException"_s, u"No such picture."_s, 404);
    Reply reply = Reply::text(bytes);
    reply.contentType = mime;
    return reply;
}

} // namespace Emu
