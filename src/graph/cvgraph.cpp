#include "graph/cvgraph_p.h"

#include "convert/cvlog_p.h"
#include "graph/cvgraphjson_p.h"

#include "cvendpoints.h"
#include "graph/cvgraphconnect_p.h"

#include <QLocale>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QPointer>
#include <QUrlQuery>

#include <algorithm>
#include <iterator>

namespace Cv {

namespace {

// How runOp sends a kind: GraphGet a GET on a path with the token, AbsoluteGet a GET of an
// absolute URL without parameters or token, GraphPost a POST on a path, RestGet a GET of an
// absolute URL with parameters and token (REST methods), GraphUpload a multipart POST on a path,
// RestUpload a multipart POST to an absolute URL (REST uploads).
enum class RequestClass {
    None,
    GraphGet,
    AbsoluteGet,
    GraphPost,
    RestGet,
    GraphUpload,
    RestUpload
};

// What the body is decoded into before the kind's signal: nothing, an object, or a list that must
// be one.
enum class ReplyShape { Other, Map, List };

// What is fixed for every operation of a kind. The row's own kind is stored so the order of the
// table is checked when compiling.
struct OperationFacts
{
    CvGraphOp::Operation kind;
    RequestClass request;
    ReplyShape reply;
    // Addresses the bare endpoint ("/" or no path): objects by ids, batches, compound deletion,
    // replies to a thread.
    bool bareEndpoint;
};

using Op = CvGraphOp;
using Rc = RequestClass;
using Rs = ReplyShape;

// One row per CvGraphOp::Operation, in the enumeration's order.
constexpr OperationFacts operationFacts[] = {
    {Op::NoOperation, Rc::None, Rs::Other, false},
    {Op::RetrieveObject, Rc::GraphGet, Rs::Map, false},
    {Op::RetrieveObjects, Rc::GraphGet, Rs::Map, true},
    {Op::RetrieveConnectionTypes, Rc::GraphGet, Rs::Map, false},
    {Op::RetrieveConnectionData, Rc::GraphGet, Rs::Map, false},
    {Op::RetrieveConnectionPage, Rc::AbsoluteGet, Rs::Map, false},
    {Op::RetrieveProfilePicture, Rc::GraphGet, Rs::Other, false},
    {Op::WriteToWall, Rc::GraphPost, Rs::Map, false},
    {Op::WriteComment, Rc::GraphPost, Rs::Map, false},
    {Op::WriteToLikes, Rc::GraphPost, Rs::Other, false},
    {Op::WriteNote, Rc::GraphPost, Rs::Map, false},
    {Op::WriteLink, Rc::GraphPost, Rs::Map, false},
    {Op::CheckIntoPlace, Rc::GraphPost, Rs::Map, false},
    {Op::CreateEvent, Rc::GraphPost, Rs::Map, false},
    {Op::AcknowledgeEvent, Rc::GraphPost, Rs::Other, false},
    {Op::CreateAlbum, Rc::GraphPost, Rs::Map, false},
    {Op::DeleteObject, Rc::GraphPost, Rs::Other, true},
    {Op::Search, Rc::GraphGet, Rs::Map, false},
    {Op::RetrieveEventInvitations, Rc::RestGet, Rs::List, false},
    {Op::MarkMessageThreadStatus, Rc::RestGet, Rs::Other, false},
    {Op::MarkThreadStatus, Rc::GraphPost, Rs::Other, false},
    {Op::RetrieveNotifications, Rc::RestGet, Rs::Map, false},
    {Op::RespondToFriendRequest, Rc::RestGet, Rs::Other, false},
    {Op::SendMessageRest, Rc::RestGet, Rs::Other, false},
    {Op::SendMessage, Rc::GraphPost, Rs::Map, false},
    {Op::ReplyToMessageRest, Rc::RestGet, Rs::Other, false},
    {Op::ReplyToMessage, Rc::GraphPost, Rs::Map, true},
    {Op::DeleteMessageThread, Rc::RestGet, Rs::Other, false},
    {Op::UploadPhoto, Rc::GraphUpload, Rs::Map, false},
    {Op::TagPhoto, Rc::RestGet, Rs::Other, false},
    {Op::UploadProfilePicture, Rc::RestUpload, Rs::Other, false},
    {Op::RetrieveMessageThreads, Rc::RestGet, Rs::List, false},
    {Op::DeleteAlbum, Rc::RestGet, Rs::Other, false},
    {Op::SendFriendRequest, Rc::RestGet, Rs::Other, false},
    {Op::RetrievePublicData, Rc::AbsoluteGet, Rs::Other, false},
    {Op::AddPhotoLike, Rc::RestGet, Rs::Other, false},
    {Op::RemovePhotoLike, Rc::RestGet, Rs::Other, false},
    {Op::ExecuteQuery, Rc::RestGet, Rs::List, false},
    {Op::RetrieveInbox, Rc::RestGet, Rs::List, false},
    {Op::RetrieveOutbox, Rc::RestGet, Rs::List, false},
    {Op::RetrieveThread, Rc::RestGet, Rs::Map, false},
    {Op::RetrieveThreadMessages, Rc::RestGet, Rs::List, false},
    {Op::RetrieveNotificationList, Rc::RestGet, Rs::Map, false},
    {Op::MarkNotificationsRead, Rc::RestGet, Rs::Other, false},
    {Op::DeleteUserTag, Rc::RestGet, Rs::Other, false},
    {Op::DeleteTextTag, Rc::RestGet, Rs::Other, false},
    {Op::CreatePhotoTag, Rc::GraphPost, Rs::Other, false},
    {Op::DeletePhotoTag, Rc::GraphPost, Rs::Other, false},
    {Op::ExecuteBatch, Rc::GraphPost, Rs::List, true},
    {Op::RetrievePhoto, Rc::RestGet, Rs::List, false},
    {Op::AddFanToPage, Rc::RestGet, Rs::Other, false},
};

// The last kind closes the table; the constructor checks in debug builds that it is the
// enumeration's last.
constexpr int operationCount = CvGraphOp::AddFanToPage + 1;
static_assert(std::size(operationFacts) == operationCount, "one row per operation kind");

constexpr bool rowsInEnumOrder()
{
    for (int i = 0; i < operationCount; ++i) {
        if (operationFacts[i].kind != i)
            return false;
    }
    return true;
}
static_assert(rowsInEnumOrder(), "rows in the order of CvGraphOp::Operation");

// A kind outside the enumeration is sent nowhere, like NoOperation.
const OperationFacts &factsOf(CvGraphOp::Operation kind)
{
    return kind > CvGraphOp::NoOperation && kind < operationCount
        ? operationFacts[kind]
        : operationFacts[CvGraphOp::NoOperation];
}

QSet<QString> fieldSet(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    return QSet<QString>(parts.cbegin(), parts.cend());
}

// The transport takes one value per key, so a key added twice is sent once, with the value
// added last (a multi-map lists that one first).
QMap<QString, QString> transportParameters(const CvGraphOp::Parameters &parameters)
{
    QMap<QString, QString> map;
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it) {
        if (!map.contains(it.key()))
            map.insert(it.key(), it.value());
    }
    return map;
}

// Latin-1 text of a body up to its first NUL.
QByteArray untilNul(const QByteArray &body)
{
    const qsizetype nul = body.indexOf('\0');
    return nul < 0 ? body : body.left(nul);
}

void registerMetaTypes()
{
    qRegisterMetaType<Cv::CvError>();
    qRegisterMetaType<Cv::CvDataFilter>();
    qRegisterMetaType<Cv::CvGraphReply>();
    qRegisterMetaType<QList<Cv::CvGraphReply>>();
    qRegisterMetaType<Cv::PictureType>();
    qRegisterMetaType<Cv::LikeType>();
    qRegisterMetaType<Cv::CvGraph::SearchTarget>();
    qRegisterMetaType<Cv::CvGraph::EventAcknowledgement>();
    qRegisterMetaType<QSet<QString>>();
}

} // namespace

// --- private part -------------------------------------------------------------------------------

CvGraphPrivate::CvGraphPrivate(CvGraph *q, const QString &accessToken)
    : q_ptr(q)
    , transport(accessToken)
{
    transport.init();
}

bool CvGraphPrivate::runOp(const CvGraphOp &op)
{
    CV_TRACE_FUNCTION;
    int id = -1;
    const OperationFacts &facts = factsOf(op.kind());
    const RequestClass how = facts.request;
    const bool onGraphPath = how == RequestClass::GraphGet || how == RequestClass::GraphPost
        || how == RequestClass::GraphUpload;
    if (onGraphPath && !isPlainPath(op.url(), facts.bareEndpoint)) {
        cvWarning(QStringLiteral("Refused an id or connection that is not a plain path segment"));
        return false;
    }
    switch (how) {
    case RequestClass::GraphGet:
        id = transport.get(op.url().toString(), transportParameters(op.parameters()));
        break;
    case RequestClass::AbsoluteGet:
        id = transport.get(op.url());
        break;
    case RequestClass::GraphPost:
        id = transport.post(op.url().toString(), transportParameters(op.parameters()), nullptr);
        break;
    case RequestClass::RestGet:
        id = transport.get(op.url(), transportParameters(op.parameters()));
        break;
    case RequestClass::GraphUpload:
    case RequestClass::RestUpload: {
        const QByteArray body = op.body();
        const QMap<QString, QString> parameters = transportParameters(op.parameters());
        id = how == RequestClass::GraphUpload
            ? transport.post(op.url().toString(), op.headers(), parameters, &body)
            : transport.post(op.url(), op.headers(), parameters, &body);
        break;
    }
    case RequestClass::None:
        break;
    }
    if (id >= 0) {
        operations.insert(id, op);
        if (followPages)
            chains.insert(id, PageChain());
        else
            chains.remove(id);
        return true;
    }
    cvWarning(QStringLiteral("Failed to dispatch an operation"));
    return false;
}

void CvGraphPrivate::error(const CvError &err, int id)
{
    CV_TRACE_FUNCTION;
    Q_Q(CvGraph);
    CvError reported(err);
    reported.setObjectId(operations.value(id).id());
    operations.remove(id);
    chains.remove(id);
    Q_EMIT q->error(reported);
}

void CvGraphPrivate::response(QNetworkReply *reply, int id)
{
    CV_TRACE_FUNCTION;
    Q_Q(CvGraph);

    const QDateTime date
        = QLocale::c().toDateTime(QString::fromLatin1(reply->rawHeader("Date")),
                                  QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'G''M''T'"));
    lastReplyTimeStamp
        = date.isValid() ? QDateTime(date.date(), date.time(), Qt::UTC) : QDateTime();

    const auto found = operations.constFind(id);
    if (found == operations.cend() || found->kind() == CvGraphOp::NoOperation) {
        cvWarning(
            QStringLiteral("Received response that does not map to any active CvGraph operation"));
        return;
    }
    // A copy: receivers may start requests, which insert into the table.
    const CvGraphOp op = *found;
    if (op.id().isEmpty() && op.parameters().isEmpty()) {
        // Nothing identifies the answer to a receiver; drop the record rather than leave it
        // until the id is reused.
        operations.remove(id);
        return;
    }

    if (CvError::isError(reply)) {
        CvError err(reply);
        err.setObjectId(op.id());
        operations.remove(id);
        chains.remove(id);
        Q_EMIT q->error(err);
        return;
    }

    QPointer<CvGraph> alive(q);
    const auto chain = chains.find(id);
    if (chain != chains.end()) {
        PageChain pages = std::move(*chain);
        chains.erase(chain);
        continuePages(op, reply, id, std::move(pages));
        return;
    }
    emitResult(op, reply);
    if (alive)
        operations.remove(id);
}

bool CvGraphPrivate::decodeReply(const CvGraphOp &op, QNetworkReply *reply, QVariantMap *map,
                                 QVariantList *list)
{
    Q_Q(CvGraph);
    const QByteArray body = reply->readAll();
    QVariant value;
    if (!cvDecodeJson(body, &value)) {
        if (CvEndpoints::reportSilentReplies())
            failOperation(
                op,
                QStringLiteral("Reply with HTTP status %1 is not valid JSON")
                    .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return false;
    }
    const bool isMap = value.typeId() == QMetaType::QVariantMap;
    const bool isList = value.typeId() == QMetaType::QVariantList;
    // The first bytes of a service error may be anything (white space, another member first),
    // so a decoded object is checked as a whole.
    if (isMap && isServiceError(*static_cast<const QVariantMap *>(value.constData()))) {
        CvError err = cvReplyError(reply, body);
        err.setObjectId(op.id());
        Q_EMIT q->error(err);
        return false;
    }
    if (list && !isList) {
        // Rows and batch replies feed synchronizations: an object or a scalar read as "no rows"
        // would remove cached data.
        failOperation(op, QStringLiteral("Reply is not a list"));
        return false;
    }
    if (map)
        *map = isMap ? std::move(*static_cast<QVariantMap *>(value.data())) : QVariantMap();
    if (list)
        *list = std::move(*static_cast<QVariantList *>(value.data()));
    return true;
}

bool CvGraphPrivate::isServiceError(const QVariantMap &top)
{
    const auto error = top.constFind(QStringLiteral("error"));
    if (error != top.cend() && error->typeId() == QMetaType::QVariantMap)
        return true;
    const auto code = top.constFind(QStringLiteral("error_code"));
    return code != top.cend() && code->typeId() == QMetaType::LongLong;
}

void CvGraphPrivate::failOperation(const CvGraphOp &op, const QString &reason)
{
    Q_Q(CvGraph);
    cvWarning(reason);
    CvError err;
    err.setErrorType(CvError::OperationFailed);
    err.setReplyErrorString(reason);
    err.setObjectId(op.id());
    Q_EMIT q->error(err);
}

void CvGraphPrivate::continuePages(const CvGraphOp &op, QNetworkReply *reply, int id,
                                   PageChain chain)
{
    Q_Q(CvGraph);
    QPointer<CvGraph> alive(q);
    QVariantMap page;
    const bool decoded = decodeReply(op, reply, &page, nullptr);
    if (!alive)
        return;
    operations.remove(id);
    if (!decoded)
        return;

    const auto data = page.find(QStringLiteral("data"));
    if (data == page.end() || data->typeId() != QMetaType::QVariantList) {
        failOperation(op, QStringLiteral("Collection page %1 has no data list").arg(chain.pages));
        return;
    }
    chain.items.append(data->toList());

    const QString next
        = page.value(QStringLiteral("paging")).toMap().value(QStringLiteral("next")).toString();
    if (next.isEmpty()) {
        *data = std::move(chain.items);
        page.remove(QStringLiteral("paging"));
        emitMapResult(op, page);
        return;
    }

    // Links come from the reply: they are followed only to the Graph endpoint the token
    // belongs to, and never in a circle.
    const QUrl link(next, QUrl::StrictMode);
    QString refusal;
    if (!cvIsSameOrigin(link, CvEndpoints::graphBaseUrl()))
        refusal = QStringLiteral("Next page outside the Graph endpoint refused");
    else if (chain.seen.contains(link))
        refusal = QStringLiteral("Next page link repeats an earlier page");
    else if (chain.pages >= MaxPages)
        refusal = QStringLiteral("Collection longer than %1 pages").arg(MaxPages);
    if (!refusal.isEmpty()) {
        failOperation(op, refusal);
        return;
    }
    chain.seen.insert(link);
    ++chain.pages;

    // The link's own token, if any, is replaced by this graph's.
    QUrl request = link;
    QUrlQuery query(request);
    query.removeAllQueryItems(QStringLiteral("access_token"));
    request.setQuery(query);
    const int nextId = transport.get(request, QMap<QString, QString>());
    if (nextId < 0) {
        failOperation(op, QStringLiteral("Failed to request collection page %1").arg(chain.pages));
        return;
    }
    operations.insert(nextId, op);
    chains.insert(nextId, std::move(chain));
}

void CvGraphPrivate::emitMapResult(const CvGraphOp &op, const QVariantMap &map)
{
    Q_Q(CvGraph);
    if (op.kind() == CvGraphOp::RetrieveObject)
        Q_EMIT q->objectDataRetrieved(op.id(), op.name(), map);
    else
        emitConnectionData(op, map);
}

bool CvGraphPrivate::allPages(const std::function<bool()> &request)
{
    followPages = true;
    const bool sent = request();
    followPages = false;
    return sent;
}

bool CvGraphPrivate::emitResult(const CvGraphOp &op, QNetworkReply *reply)
{
    Q_Q(CvGraph);
    QVariantMap map;
    QVariantList list;
    switch (factsOf(op.kind()).reply) {
    case ReplyShape::Map:
        if (!decodeReply(op, reply, &map, nullptr))
            return false;
        break;
    case ReplyShape::List:
        if (!decodeReply(op, reply, nullptr, &list))
            return false;
        break;
    case ReplyShape::Other:
        break;
    }

    const QString &id = op.id();
    const QString &name = op.name();
    const QString mapId = map.value(QStringLiteral("id")).toString();
    switch (op.kind()) {
    case CvGraphOp::RetrieveObject:
        Q_EMIT q->objectDataRetrieved(id, name, map);
        break;
    case CvGraphOp::RetrieveObjects: {
        const QStringList ids = id.split(QLatin1Char(','), Qt::KeepEmptyParts);
        Q_EMIT q->objectsDataRetrieved(QSet<QString>(ids.cbegin(), ids.cend()), name, map);
        break;
    }
    case CvGraphOp::RetrieveConnectionTypes:
        processConnectionNames(map);
        break;
    case CvGraphOp::RetrieveConnectionData:
    case CvGraphOp::RetrieveConnectionPage:
        emitConnectionData(op, map);
        break;
    case CvGraphOp::RetrieveProfilePicture: {
        const QVariant location = reply->header(QNetworkRequest::LocationHeader);
        if (!location.isNull() && location.isValid()) {
            const QString type = op.parameters().value(QStringLiteral("type"));
            Q_EMIT q->profilePictureReceived(id, pictureTypeFromString(type), location.toUrl());
        } else if (CvEndpoints::reportSilentReplies()) {
            failOperation(op, QStringLiteral("Picture reply without a Location header"));
        }
        break;
    }
    case CvGraphOp::WriteToWall:
        Q_EMIT q->wallWriteComplete(mapId);
        break;
    case CvGraphOp::WriteComment:
        Q_EMIT q->commentWritten(mapId);
        break;
    case CvGraphOp::WriteToLikes:
        Q_EMIT q->likesWriteComplete(id, op.parameters().isEmpty() ? Like : Unlike);
        break;
    case CvGraphOp::WriteNote:
        Q_EMIT q->noteWritten(mapId);
        break;
    case CvGraphOp::WriteLink:
        Q_EMIT q->linkWritten(mapId);
        break;
    case CvGraphOp::CheckIntoPlace:
        Q_EMIT q->placeCheckedInto(mapId);
        break;
    case CvGraphOp::CreateEvent:
        Q_EMIT q->eventCreated(mapId);
        break;
    case CvGraphOp::AcknowledgeEvent: {
        const CvGraph::EventAcknowledgement ack = name == QLatin1String("attending")
            ? CvGraph::AckAttending
            : name == QLatin1String("maybe") ? CvGraph::AckMaybe
                                             : CvGraph::AckDeclined;
        Q_EMIT q->eventAcknowledged(id, result(reply), ack);
        break;
    }
    case CvGraphOp::CreateAlbum:
        Q_EMIT q->albumCreated(mapId);
        break;
    case CvGraphOp::DeleteObject:
        Q_EMIT q->objectDeleted(id);
        break;
    case CvGraphOp::Search: {
        const CvGraph::SearchTarget target = CvGraph::searchTargetFromString(name);
        const QSet<QString> fields = op.parameters().isEmpty()
            ? QSet<QString>()
            : fieldSet(op.parameters().value(QStringLiteral("fields")));
        if (fields.isEmpty())
            Q_EMIT q->searchReady(id, target, map);
        else
            Q_EMIT q->searchReady(id, target, fields, map);
        break;
    }
    case CvGraphOp::RetrieveEventInvitations:
        Q_EMIT q->eventInvitationsRetrieved(id, list);
        break;
    case CvGraphOp::MarkMessageThreadStatus:
        Q_EMIT q->messageThreadStatusMarked(id, result(reply));
        break;
    case CvGraphOp::MarkThreadStatus: {
        const QByteArray body = reply->readAll();
        QVariantMap status;
        const bool ok = body == "true"
            || (getJsonData(body, &status)
                && status.value(QStringLiteral("name")).toString() == QLatin1String("read"));
        Q_EMIT q->messageThreadStatusMarked(id, ok);
        break;
    }
    case CvGraphOp::RetrieveNotifications:
        Q_EMIT q->notificationsRetrieved(id, map);
        break;
    case CvGraphOp::RespondToFriendRequest:
        Q_EMIT q->friendRequestResponded(id, result(reply));
        break;
    case CvGraphOp::SendMessageRest:
        Q_EMIT q->messageSent(QString::fromLatin1(reply->readAll()));
        break;
    case CvGraphOp::SendMessage:
        Q_EMIT q->messageSent(map.value(QStringLiteral("tid")).toString());
        break;
    case CvGraphOp::ReplyToMessageRest:
        Q_EMIT q->messageReplied(QString::fromLatin1(reply->readAll()));
        break;
    case CvGraphOp::ReplyToMessage:
        if (!mapId.isEmpty())
            Q_EMIT q->messageReplied(id);
        break;
    case CvGraphOp::DeleteMessageThread:
        Q_EMIT q->messageThreadDeleted(id, name.toInt(), result(reply));
        break;
    case CvGraphOp::UploadPhoto:
        Q_EMIT q->photoUploaded(id, mapId);
        break;
    case CvGraphOp::TagPhoto:
        Q_EMIT q->photoTagged(id);
        break;
    case CvGraphOp::UploadProfilePicture:
        Q_EMIT q->profilePictureUploaded(
            id, QString::fromLatin1(reply->readAll()) == QLatin1String("1"));
        break;
    case CvGraphOp::RetrieveMessageThreads:
        Q_EMIT q->messageThreadsRetrieved(id, name.toInt(), list);
        break;
    case CvGraphOp::DeleteAlbum:
        Q_EMIT q->albumDeleted(id, result(reply));
        break;
    case CvGraphOp::SendFriendRequest:
        Q_EMIT q->friendRequestSent(id, result(reply));
        break;
    case CvGraphOp::RetrievePublicData:
        Q_EMIT q->publicDataRetrieved(name, op.url(), reply->readAll());
        break;
    case CvGraphOp::AddPhotoLike:
        Q_EMIT q->photoLikeAdded(id, result(reply));
        break;
    case CvGraphOp::RemovePhotoLike:
        Q_EMIT q->photoLikeRemoved(id, result(reply));
        break;
    case CvGraphOp::ExecuteQuery:
        Q_EMIT q->queryExecuted(name, list);
        break;
    case CvGraphOp::RetrieveInbox:
        Q_EMIT q->inboxRetrieved(id, name, list);
        break;
    case CvGraphOp::RetrieveOutbox:
        Q_EMIT q->outboxRetrieved(id, name, list);
        break;
    case CvGraphOp::RetrieveThread:
        Q_EMIT q->threadRetrieved(id, map);
        break;
    case CvGraphOp::RetrieveThreadMessages:
        Q_EMIT q->threadMessagesRetrieved(id, name, list);
        break;
    case CvGraphOp::RetrieveNotificationList:
        Q_EMIT q->notificationListRetrieved(id, map);
        break;
    case CvGraphOp::MarkNotificationsRead:
        Q_EMIT q->notificationsMarkedRead(id.split(QLatin1Char(','), Qt::KeepEmptyParts),
                                          result(reply));
        break;
    case CvGraphOp::DeleteUserTag:
        Q_EMIT q->userTagDeleted(id, name, result(reply));
        break;
    case CvGraphOp::DeleteTextTag:
        Q_EMIT q->textTagDeleted(id, name, result(reply));
        break;
    case CvGraphOp::CreatePhotoTag:
        Q_EMIT q->photoTagCreated(id, name, result(reply));
        break;
    case CvGraphOp::DeletePhotoTag:
        Q_EMIT q->photoTagDeleted(id, name, result(reply));
        break;
    case CvGraphOp::ExecuteBatch: {
        QList<CvGraphReply> replies;
        replies.reserve(list.size());
        for (const QVariant &element : std::as_const(list)) {
            CvGraphReply graphReply;
            graphReply.setData(element);
            replies.append(graphReply);
        }
        Q_EMIT q->batchExecuted(name, replies);
        break;
    }
    case CvGraphOp::RetrievePhoto:
        // An empty answer still ends the request with its one signal.
        Q_EMIT q->photoRetrieved(id, list.isEmpty() ? QVariantMap() : list.constFirst().toMap());
        break;
    case CvGraphOp::AddFanToPage:
        Q_EMIT q->fanToPageAdded(id, result(reply));
        break;
    default:
        break;
    }
    return true;
}

void CvGraphPrivate::emitConnectionData(const CvGraphOp &op, const QVariantMap &data)
{
    Q_Q(CvGraph);
    QPointer<CvGraph> alive(q);
    Q_EMIT q->connectionDataRetrieved(op.id(), op.name(), data);
    if (!alive)
        return;

    // The filter form reports the window actually asked for, read back from the request.
    CvDataFilter filter(op.id());
    const CvGraphOp::Parameters &parameters = op.parameters();
    if (!parameters.isEmpty()) {
        filter.limit = parameters.value(QStringLiteral("limit"), QStringLiteral("-1")).toInt();
        filter.offset = parameters.value(QStringLiteral("offset"), QStringLiteral("-1")).toInt();
        filter.since
            = QDateTime::fromString(parameters.value(QStringLiteral("since")), Qt::ISODate);
        filter.until
            = QDateTime::fromString(parameters.value(QStringLiteral("until")), Qt::ISODate);
        filter.fields = fieldSet(parameters.value(QStringLiteral("fields")));
    }
    Q_EMIT q->connectionDataRetrieved(filter, op.name(), data);
}

bool CvGraphPrivate::getJsonData(const QByteArray &data, QVariantMap *map)
{
    return cvDecodeJson(data, map, nullptr);
}

bool CvGraphPrivate::getJsonData(QNetworkReply *reply, QVariantMap *map)
{
    return cvDecodeJson(reply->readAll(), map, nullptr);
}

bool CvGraphPrivate::getJsonData(QNetworkReply *reply, QVariantList *list)
{
    return cvDecodeJson(reply->readAll(), nullptr, list);
}

bool CvGraphPrivate::result(QNetworkReply *reply)
{
    return untilNul(reply->readAll()) == "true";
}

void CvGraphPrivate::processConnectionNames(const QVariantMap &map)
{
    Q_Q(CvGraph);
    const QVariantMap metadata = map.value(QStringLiteral("metadata")).toMap();
    if (metadata.isEmpty())
        return;
    const QVariantMap connections = metadata.value(QStringLiteral("connections")).toMap();
    QStringList names;
    for (auto it = connections.cbegin(); it != connections.cend(); ++it) {
        if (it->canConvert<QString>())
            names.append(it->toString());
    }
    Q_EMIT q->connectionTypesRetrieved(names);
}

bool CvGraphPrivate::isPlainPath(const QUrl &path, bool bareAllowed)
{
    // Whatever an id held that is not a plain segment shows here: "?" as a query, "#" as a
    // fragment, "%" and control characters still percent-encoded.
    if (path.isEmpty())
        return bareAllowed;
    if (!path.isValid() || path.hasQuery() || path.hasFragment() || !path.isRelative()
        || !path.authority().isEmpty())
        return false;
    const QString text = path.path(QUrl::PrettyDecoded);
    if (text.isEmpty() || text == QLatin1String("/"))
        return bareAllowed;
    if (!text.startsWith(QLatin1Char('/')) || text.contains(QLatin1Char('%')))
        return false;
    // One trailing slash (an event answer without a word) adds nothing to the request.
    QStringView inner = QStringView(text).mid(1);
    if (inner.endsWith(QLatin1Char('/')))
        inner.chop(1);
    const QList<QStringView> segments = inner.split(QLatin1Char('/'));
    return std::none_of(segments.cbegin(), segments.cend(), [](QStringView segment) {
        return segment.isEmpty() || segment == u"." || segment == u"..";
    });
}

// --- public class -------------------------------------------------------------------------------

CvGraph::CvGraph(const QString &accessToken, QObject *parent)
    : QObject(parent)
    , d_ptr(new CvGraphPrivate(this, accessToken))
{
    Q_D(CvGraph);
    Q_ASSERT_X(QMetaEnum::fromType<CvGraphOp::Operation>().keyCount() == operationCount, "CvGraph",
               "operationFacts lacks a row for a new CvGraphOp::Operation");
    registerMetaTypes();
    connect(&d->transport, SIGNAL(error(Cv::CvError, int)), this, SLOT(error(Cv::CvError, int)));
    connect(&d->transport, SIGNAL(response(QNetworkReply *, int)), this,
            SLOT(response(QNetworkReply *, int)));
}

CvGraph::~CvGraph()
{
    Q_D(CvGraph);
    // Replies torn down with the transport must not reach a half-destroyed object.
    d->transport.disconnect(this);
}

QString CvGraph::locale() const
{
    Q_D(const CvGraph);
    return d->locale;
}

void CvGraph::setLocale(const QString &locale)
{
    Q_D(CvGraph);
    d->locale = locale;
}

CvGraphConnect *CvGraph::graphConnect() const
{
    Q_D(const CvGraph);
    return const_cast<CvGraphConnect *>(&d->transport);
}

QDateTime CvGraph::lastReplyTimeStamp() const
{
    Q_D(const CvGraph);
    return d->lastReplyTimeStamp;
}

int CvGraph::operationsInFlight() const
{
    Q_D(const CvGraph);
    return int(d->operations.size());
}

} // namespace Cv

#include "moc_cvgraph.cpp"