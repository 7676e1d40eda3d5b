// The facade's reply routing: a decoded reply is delivered by the facade's Graph object under a
// request name, the way the Graph layer delivers real replies, and the facade converts it, diffs
// it against its cache and stores it. Names are the facade's batch names and query texts, the
// connection names, or fuzzed text (the dictionary holds the object names); every result signal
// of the Graph layer is used, whether the facade listens to it or not.
#include "fuzzcommon.h"

#include "corvana.h"
#include "corvanaconfiguration.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"
#include "cvgraphconnect.h"
#include "facade/corvana_p.h"
#include "graph/cvgraphjson_p.h"

#include <QTemporaryDir>

#include <memory>

using Cv::CvGraph;

namespace {

std::unique_ptr<QTemporaryDir> directory;
std::unique_ptr<Cv::CvCacheConfiguration> cacheConfiguration;
std::unique_ptr<Cv::CvCache> cache;
std::unique_ptr<Cv::Corvana> corvana;
Cv::CorvanaPrivate *facade = nullptr;
QStringList knownNames;

const QString profileId = QStringLiteral("100001");

// The private part is the facade's one child of its class (found by name: its meta-object is
// internal to the library).
Cv::CorvanaPrivate *privatePart(Cv::Corvana *object)
{
    for (QObject *child : object->children()) {
        if (qstrcmp(child->metaObject()->className(), "Cv::CorvanaPrivate") == 0)
            return static_cast<Cv::CorvanaPrivate *>(child);
    }
    return nullptr;
}

QStringList names()
{
    using namespace Cv;
    const QString one = QStringLiteral("1");
    QStringList all = {
        RequestName::BatchNamePhotoTags.arg(one),
        RequestName::BatchNameLatestStatusMessage.arg(one),
        RequestName::BatchNameAllNotifications,
        RequestName::BatchNameEventDetails.arg(one),
        RequestName::BatchNameProfileDetails.arg(one),
        RequestName::BatchNameIfUserLikes.arg(one, QStringLiteral("post_id"), one),
        Query::QueryThreadAttachments.arg(one, profileId),
        Query::QueryUnreadThreadCount.arg(QStringLiteral("inbox")),
        Query::QueryPendingFriendRequest.arg(one),
        Query::QueryIsFriend.arg(one),
        Query::QueryBirthdaysOfFriends.arg(QStringLiteral("1")),
        Query::QueryFriendRequests,
        Query::QueryNotifications,
        Query::QueryEventRsvpStatus.arg(one),
        Query::QueryPostLike.arg(one, profileId),
        Query::QueryObjectLike.arg(one, profileId),
        Query::QueryThreads.arg(QStringLiteral("inbox"), QString(), QStringLiteral("0"),
                                QStringLiteral("10")),
        Query::QueryThreadMessages.arg(one, QString(), QStringLiteral("0"), QStringLiteral("10"))};
    for (int type = CvGraph::NoConnection + 1;
         !CvGraph::connectionTypeToString(CvGraph::ConnectionType(type)).isEmpty(); ++type)
        all.append(CvGraph::connectionTypeToString(CvGraph::ConnectionType(type)));
    return all;
}

QList<Cv::CvGraphReply> batchReplies(const QVariantList &list)
{
    QList<Cv::CvGraphReply> replies;
    for (const QVariant &element : list) {
        Cv::CvGraphReply reply;
        reply.setData(element);
        replies.append(reply);
    }
    return replies;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    CvFuzz::startApplication();
    Cv::CvEndpoints::setGraphBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:9")));
    Cv::CvEndpoints::setRestBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:9")));
    directory = std::make_unique<QTemporaryDir>();
    cacheConfiguration = std::make_unique<Cv::CvCacheConfiguration>();
    cacheConfiguration->setDatabaseName(directory->filePath(QStringLiteral("cache.db")));
    cacheConfiguration->setPath(directory->filePath(QStringLiteral("files")));
    cache = std::make_unique<Cv::CvCache>(*cacheConfiguration);
    Cv::CorvanaConfiguration configuration(QStringLiteral("fuzz-token-0123456789"),
                                           Cv::CorvanaConfiguration::AccessToken);
    configuration.setCache(cache.get());
    corvana = std::make_unique<Cv::Corvana>(configuration);
    corvana->init();
    facade = privatePart(corvana.get());
    CV_FUZZ_CHECK(facade && facade->graph, "the facade's private part was not found");
    // The profile reply that completes init(), as the service would send it.
    Q_EMIT facade->graph->objectDataRetrieved(
        QStringLiteral("me"), QStringLiteral("profile"),
        QVariantMap {{QStringLiteral("id"), profileId},
                     {QStringLiteral("name"), QStringLiteral("A")}});
    CV_FUZZ_CHECK(corvana->isInitialized(), "the facade did not take the profile");
    knownNames = names();
    std::atexit([] {
        facade = nullptr;
        corvana.reset();
        cache.reset();
        cacheConfiguration.reset();
        directory.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CvFuzz::Input input(data, size);
    const int signal = input.choice(24);
    const int nameChoice = input.byte();
    QString name = input.text();
    if (nameChoice < knownNames.size())
        name = knownNames.at(nameChoice);
    QString id = input.text();
    if (id.isEmpty())
        id = profileId;
    const QByteArray body = input.rest();
    QVariantMap map;
    QVariantList list;
    if (!Cv::cvDecodeJson(body, &map, &list))
        return 0;

    CvGraph *g = facade->graph.get();
    Cv::CvDataFilter filter(id);
    filter.limit = 25;
    const QStringList split = id.split(QLatin1Char(','));
    switch (signal) {
    case 0:
        Q_EMIT g->objectDataRetrieved(id, name, map);
        break;
    case 1:
        Q_EMIT g->objectsDataRetrieved(QSet<QString>(split.cbegin(), split.cend()), name, map);
        break;
    case 2:
        Q_EMIT g->connectionDataRetrieved(id, name, map);
        Q_EMIT g->connectionDataRetrieved(filter, name, map);
        break;
    case 3:
        Q_EMIT g->searchReady(id, CvGraph::searchTargetFromString(name), map);
        break;
    case 4:
        Q_EMIT g->searchReady(id, CvGraph::searchTargetFromString(name), {QStringLiteral("id")},
                              map);
        break;
    case 5:
        Q_EMIT g->notificationsRetrieved(id, map);
        break;
    case 6:
        Q_EMIT g->notificationListRetrieved(id, map);
        break;
    case 7:
        Q_EMIT g->queryExecuted(name, list);
        break;
    case 8:
        Q_EMIT g->batchExecuted(name, batchReplies(list));
        break;
    case 9:
        Q_EMIT g->photoRetrieved(id, map);
        break;
    case 10:
        Q_EMIT g->publicDataRetrieved(name, QUrl(QStringLiteral("https://127.0.0.1/") + id), body);
        break;
    case 11:
        Q_EMIT g->profilePictureReceived(id, Cv::PictureSquare,
                                         QUrl(QStringLiteral("https://127.0.0.1/p/") + name));
        break;
    case 12:
        Q_EMIT g->eventInvitationsRetrieved(id, list);
        break;
    case 13:
        Q_EMIT g->messageThreadsRetrieved(id, int(name.size()), list);
        break;
    case 14:
        Q_EMIT g->inboxRetrieved(id, name, list);
        break;
    case 15:
        Q_EMIT g->outboxRetrieved(id, name, list);
        break;
    case 16:
        Q_EMIT g->threadRetrieved(id, map);
        break;
    case 17:
        Q_EMIT g->threadMessagesRetrieved(id, name, list);
        break;
    case 18:
        Q_EMIT g->notificationsMarkedRead(split, map.isEmpty());
        break;
    case 19:
        Q_EMIT g->eventAcknowledged(id, list.isEmpty(), CvGraph::AckAttending);
        break;
    case 20:
        Q_EMIT g->photoTagCreated(id, name, map.isEmpty());
        break;
    case 21:
        Q_EMIT g->wallWriteComplete(id);
        break;
    case 22:
        Q_EMIT g->connectionTypesRetrieved(split);
        break;
    default:
        Q_EMIT g->likesWriteComplete(id, list.isEmpty() ? Cv::Like : Cv::Unlike);
        break;
    }

    // Requests the routing started never leave: abort them and free their slots.
    g->graphConnect()->deinit();
    CvFuzz::flushDeferredDeletes();
    return 0;
}
