// Graph write operations: POSTs on a path below the Graph endpoint, parameters in the query.

#include "graph/cvgraph_p.h"

#include "convert/cvlog_p.h"
#include "cvutils.h"

#include <QFile>

namespace Cv {

namespace {

// Fixed, so that an upload body is reproducible byte for byte.
const char MultipartBoundary[] = "AaBbCcDdEeFfGgHhIi";

QString acknowledgementWord(CvGraph::EventAcknowledgement ack)
{
    switch (ack) {
    case CvGraph::AckAttending:
        return QStringLiteral("attending");
    case CvGraph::AckMaybe:
        return QStringLiteral("maybe");
    case CvGraph::AckDeclined:
        return QStringLiteral("declined");
    }
    return QString();
}

} // namespace

CvGraphOp CvGraphPrivate::pathOp(const QString &id, const QString &connection,
                                 CvGraphOp::Operation kind)
{
    return CvGraphOp(QUrl(pathJoin(id, connection)), kind, id, QString());
}

bool CvGraphPrivate::readUpload(const QString &fileName, QByteArray *data, QString *mimeType)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        cvWarning(QStringLiteral("The specified file [%1] does not exist").arg(fileName));
        return false;
    }
    *data = file.readAll();
    if (!CvUtils::getMimeType(*data, mimeType)) {
        cvWarning(QStringLiteral("Did not recognize the MIME type of file [%1]").arg(fileName));
        return false;
    }
    return true;
}

QByteArray CvGraphPrivate::multipartBody(const QString &fileName, const QString &mimeType,
                                         const QByteArray &data)
{
    const QString boundary = QLatin1String(MultipartBoundary);
    QByteArray body = QStringLiteral("--%1\r\nContent-Disposition: form-data; name=\"image\"; "
                                     "filename=\"%2\"\r\nContent-Type: %3\r\n\r\n")
                          .arg(boundary, fileName, mimeType)
                          .toLocal8Bit();
    body += data;
    body += QStringLiteral("\r\n--%1--\r\n").arg(boundary).toLocal8Bit();
    return body;
}

CvGraphOp::Headers CvGraphPrivate::multipartHeaders()
{
    CvGraphOp::Headers headers;
    headers.insert(
        QNetworkRequest::ContentTypeHeader,
        QStringLiteral("multipart/form-data, boundary=%1").arg(QLatin1String(MultipartBoundary)));
    return headers;
}

bool CvGraph::writeToWall(const QString &id, const CvWallPostInfo &info)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || info.message.isEmpty())
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("feed"), CvGraphOp::WriteToWall);
    op.setParameters(CvGraphOp::Parameters(info.toMap()));
    return d->runOp(op);
}

bool CvGraph::writeLink(const QString &id, const CvLinkInfo &link, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || link.link.isEmpty())
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("links"), CvGraphOp::WriteLink);
    op.setParameters(CvGraphOp::Parameters(link.toMap()));
    op.setParameter(QStringLiteral("message"), message);
    return d->runOp(op);
}

bool CvGraph::writeComment(const QString &id, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || message.isEmpty())
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("comments"), CvGraphOp::WriteComment);
    op.setParameter(QStringLiteral("message"), message);
    return d->runOp(op);
}

bool CvGraph::writeToLikes(const QString &id, LikeType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("likes"), CvGraphOp::WriteToLikes);
    // The reply reports the type back from the presence of this parameter.
    if (type == Unlike)
        op.setParameter(QStringLiteral("method"), QStringLiteral("delete"));
    return d->runOp(op);
}

bool CvGraph::writeNote(const QString &id, const QString &subject, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || (subject.isEmpty() && message.isEmpty()))
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("notes"), CvGraphOp::WriteNote);
    op.setParameter(QStringLiteral("subject"), subject);
    op.setParameter(QStringLiteral("message"), message);
    return d->runOp(op);
}

bool CvGraph::createAlbum(const QString &id, const QString &name, const QString &message,
                          const QString &privacy)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || name.isEmpty())
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("albums"), CvGraphOp::CreateAlbum);
    op.setParameter(QStringLiteral("name"), name);
    op.setParameter(QStringLiteral("message"), message);
    if (!privacy.isEmpty()) {
        op.setParameter(QStringLiteral("privacy"),
                        QStringLiteral("{\"value\":\"%1\"}").arg(privacy));
    }
    return d->runOp(op);
}

bool CvGraph::uploadPhoto(const QString &id, const QString &fileName, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    QByteArray data;
    QString mimeType;
    if (!d->readUpload(fileName, &data, &mimeType))
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("photos"), CvGraphOp::UploadPhoto);
    op.setParameter(QStringLiteral("message"), message);
    op.setParameter(QStringLiteral("source"), QLatin1Char('@') + fileName);
    op.setHeaders(d->multipartHeaders());
    op.setBody(d->multipartBody(fileName, mimeType, data));
    return d->runOp(op);
}

bool CvGraph::createEvent(const QString &id, const QString &name, const QDateTime &start,
                          const QDateTime &end)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty() || name.isEmpty() || !start.isValid() || !end.isValid())
        return false;
    CvGraphOp op = d->pathOp(id, QStringLiteral("events"), CvGraphOp::CreateEvent);
    op.setParameter(QStringLiteral("name"), name);
    op.setParameter(QStringLiteral("start_time"), start.toString(Qt::ISODate));
    op.setParameter(QStringLiteral("end_time"), end.toString(Qt::ISODate));
    return d->runOp(op);
}

bool CvGraph::acknowledgeEvent(const QString &eventId, EventAcknowledgement ack)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (eventId.isEmpty())
        return false;
    const QString word = acknowledgementWord(ack);
    return d->runOp(
        CvGraphOp(QUrl(d->pathJoin(eventId, word)), CvGraphOp::AcknowledgeEvent, eventId, word));
}

bool CvGraph::checkIntoPlace(const QString &placeId, float latitude, float longitude,
                             const QString &message, const QStringList &tags)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (placeId.isEmpty())
        return false;
    // No id: the reply is recognized by the parameters, which are never empty here.
    CvGraphOp op(QUrl(d->pathJoin(QStringLiteral("me"), QStringLiteral("checkins"))),
                 CvGraphOp::CheckIntoPlace);
    op.setParameter(QStringLiteral("place"), placeId);
    op.setParameter(QStringLiteral("coordinates"),
                    QStringLiteral("{\"latitude\":\"%1\",\"longitude\":\"%2\"}")
                        .arg(double(latitude), 0, 'g', -1)
                        .arg(double(longitude), 0, 'g', -1));
    if (!message.isEmpty())
        op.setParameter(QStringLiteral("message"), message);
    if (!tags.isEmpty())
        op.setParameter(QStringLiteral("tags"), tags.join(QLatin1Char(',')));
    return d->runOp(op);
}

bool CvGraph::createPhotoTag(const QString &photoId, const QString &to, float x, float y)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (photoId.isEmpty() || to.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->pathJoin(photoId, QStringLiteral("tags"))), CvGraphOp::CreatePhotoTag,
                 photoId, to);
    op.setParameter(QStringLiteral("to"), to);
    op.setParameter(QStringLiteral("x"), QString::number(double(x), 'g', 6));
    op.setParameter(QStringLiteral("y"), QString::number(double(y), 'g', 6));
    return d->runOp(op);
}

bool CvGraph::deletePhotoTag(const QString &photoId, const QString &to)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (photoId.isEmpty() || to.isEmpty())
        return false;
    CvGraphOp op(QUrl(d->objectPath(photoId + QLatin1String("/tags/") + to)),
                 CvGraphOp::DeletePhotoTag, photoId, to);
    op.setParameter(QStringLiteral("method"), QStringLiteral("delete"));
    return d->runOp(op);
}

bool CvGraph::deleteObject(const QString &id)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (id.isEmpty())
        return false;
    // An id that is not one path element goes as a parameter of the root path instead.
    const bool compound = id.contains(QLatin1Char('/')) || id.contains(QLatin1Char('+'));
    CvGraphOp op(QUrl(compound ? QStringLiteral("/") : d->objectPath(id)), CvGraphOp::DeleteObject,
                 id, QString());
    op.setParameter(QStringLiteral("method"), QStringLiteral("delete"));
    if (compound)
        op.setParameter(QStringLiteral("id"), id);
    return d->runOp(op);
}

bool CvGraph::sendMessage(const QString &message, const QStringList &recipients)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (message.isEmpty() || recipients.isEmpty())
        return false;
    CvGraphOp op(QUrl(QStringLiteral("/threads")), CvGraphOp::SendMessage);
    op.setParameter(QStringLiteral("method"), QStringLiteral("POST"));
    op.setParameter(QStringLiteral("message"), message);
    op.setParameter(QStringLiteral("to"),
                    QLatin1Char('[') + recipients.join(QLatin1Char(',')) + QLatin1Char(']'));
    return d->runOp(op);
}

bool CvGraph::replyToMessage(const QString &threadId, const QString &message)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty() || message.isEmpty())
        return false;
    CvGraphOp op(QUrl(QStringLiteral("/")), CvGraphOp::ReplyToMessage, threadId, QString());
    op.setParameter(QStringLiteral("method"), QStringLiteral("POST"));
    op.setParameter(QStringLiteral("message"), message);
    op.setParameter(QStringLiteral("id"), threadId);
    return d->runOp(op);
}

bool CvGraph::markThreadStatus(const QString &threadId, ReadType type)
{
    CV_TRACE_FUNCTION;
    Q_D(CvGraph);
    if (threadId.isEmpty())
        return false;
    CvGraphOp op(QUrl(QStringLiteral("/tags")), CvGraphOp::MarkThreadStatus, threadId, QString());
    op.setParameter(QStringLiteral("name"), QStringLiteral("read"));
    op.setParameter(QStringLiteral("id"), threadId);
    op.setParameter(QStringLiteral("method"),
                    type == MarkRead ? QStringLiteral("POST") : QStringLiteral("DELETE"));
    return d->runOp(op);
}

} // namespace Cv
