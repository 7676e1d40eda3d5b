// A reply delivered to the Graph layer for every kind of request it sends: the request is made
// (it never leaves the process, no event loop runs), then the transport reports a reply with
// fuzzed body, status, network error and headers under the request's id. Whatever the reply, the
// operation must leave the table, and a successful reply may end in at most one signal.
#include "fuzzcommon.h"

#include "cvendpoints.h"
#include "cvgraph.h"
#include "cvgraphconnect.h"
#include "cvgraphrequest.h"

#include <QMetaMethod>

#include <functional>
#include <memory>

using Cv::CvGraph;

namespace {

using Request = std::function<bool(CvGraph &)>;

QString s(const char *text)
{
    return QString::fromLatin1(text);
}

// One request per operation kind that is sent; the ids are plain so that none is refused.
const QList<Request> &requests()
{
    static const QList<Request> all = {
        [](CvGraph &g) { return g.retrieveObject(s("100001"), s("profile")); },
        [](CvGraph &g) {
            return g.retrieveObjects({s("1"), s("2")}, Cv::CvDataFilter(), s("n"));
        },
        [](CvGraph &g) { return g.retrieveConnectionTypes(s("100001")); },
        [](CvGraph &g) {
            Cv::CvDataFilter filter(s("100001"));
            filter.limit = 5;
            filter.fields = {s("id"), s("name")};
            return g.retrieveConnectionData(CvGraph::Friends, filter);
        },
        [](CvGraph &g) {
            return g.retrieveConnectionData(s("100001"), s("feed"),
                                            QUrl(s("http://127.0.0.1:9/100001/feed?limit=2")));
        },
        [](CvGraph &g) { return g.retrieveProfilePicture(s("100001"), Cv::PictureLarge); },
        [](CvGraph &g) { return g.search(s("s"), s("q"), CvGraph::SearchUser, {s("id")}); },
        [](CvGraph &g) { return g.search(s("s"), s("q"), CvGraph::SearchPlace); },
        [](CvGraph &g) {
            return g.retrievePublicData(QUrl(s("http://127.0.0.1:9/p.png")), s("d"));
        },
        [](CvGraph &g) { return g.retrieveEventInvitations(s("300001")); },
        [](CvGraph &g) { return g.retrieveNotifications(s("100001")); },
        [](CvGraph &g) { return g.writeComment(s("200001"), s("hello")); },
        [](CvGraph &g) { return g.writeToLikes(s("200001"), Cv::Like); },
        [](CvGraph &g) { return g.writeToLikes(s("200001"), Cv::Unlike); },
        [](CvGraph &g) { return g.writeNote(s("100001"), s("subject"), s("text")); },
        [](CvGraph &g) {
            return g.writeLink(s("100001"),
                               Cv::CvLinkInfo(s("https://127.0.0.1/"), s("n"), s("c"), s("d")),
                               s("m"));
        },
        [](CvGraph &g) {
            Cv::CvWallPostInfo post;
            post.message = s("m");
            return g.writeToWall(s("100001"), post);
        },
        [](CvGraph &g) { return g.createAlbum(s("100001"), s("a"), s("m"), QString()); },
        [](CvGraph &g) {
            const QDateTime start(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC);
            return g.createEvent(s("100001"), s("e"), start, start.addSecs(3600));
        },
        [](CvGraph &g) { return g.acknowledgeEvent(s("300001"), CvGraph::AckMaybe); },
        [](CvGraph &g) { return g.checkIntoPlace(s("400001"), 1.5f, 2.5f, s("m"), {}); },
        [](CvGraph &g) { return g.createPhotoTag(s("500001"), s("100002"), 10, 20); },
        [](CvGraph &g) { return g.deletePhotoTag(s("500001"), s("100002")); },
        [](CvGraph &g) { return g.deleteObject(s("200001")); },
        [](CvGraph &g) { return g.sendMessage(s("hi"), QStringList {s("100002")}); },
        [](CvGraph &g) { return g.replyToMessage(s("600001"), s("hi")); },
        [](CvGraph &g) { return g.markThreadStatus(s("600001"), Cv::MarkRead); },
        [](CvGraph &g) { return g.markMessageThreadStatus(s("600001"), Cv::MarkUnread); },
        [](CvGraph &g) { return g.respondToFriendRequest(s("100003"), Cv::Confirm); },
        [](CvGraph &g) { return g.sendMessage(s("b"), s("s"), {s("100002")}, QStringList()); },
        [](CvGraph &g) { return g.replyToMessage(s("600001"), s("b"), QString()); },
        [](CvGraph &g) { return g.deleteMessageThread(s("600001"), 1); },
        [](CvGraph &g) { return g.retrieveMessageThreads(s("100001"), 0, 10, 0); },
        [](CvGraph &g) { return g.retrieveInbox(s("100001"), 0, 10, s("inbox")); },
        [](CvGraph &g) { return g.retrieveOutbox(s("100001"), 0, 10, s("outbox")); },
        [](CvGraph &g) { return g.retrieveThread(s("600001")); },
        [](CvGraph &g) { return g.retrieveThreadMessages(s("600001"), 0, 10, s("m")); },
        [](CvGraph &g) { return g.retrieveNotificationList(s("100001"), true, QDateTime()); },
        [](CvGraph &g) {
            return g.markNotificationsRead({s("1"), QString(), s("3")});
        },
        [](CvGraph &g) { return g.sendFriendRequest(s("100004")); },
        [](CvGraph &g) { return g.addPhotoLike(s("500001")); },
        [](CvGraph &g) { return g.removePhotoLike(s("500001")); },
        [](CvGraph &g) { return g.deleteAlbum(s("700001")); },
        [](CvGraph &g) { return g.retrievePhoto(s("500001")); },
        [](CvGraph &g) { return g.addFanToPage(s("800001")); },
        [](CvGraph &g) { return g.tagPhotoWithId(s("500001"), s("100002"), 1, 2, QString()); },
        [](CvGraph &g) { return g.tagPhotoWithText(s("500001"), s("t"), 1, 2, QString()); },
        [](CvGraph &g) { return g.deleteUserTag(s("500001"), s("100002")); },
        [](CvGraph &g) { return g.deleteTextTag(s("500001"), s("t")); },
        [](CvGraph &g) { return g.executeQuery(s("SELECT uid FROM user WHERE uid=me()"), s("q")); },
        [](CvGraph &g) {
            Cv::CvGraphRequest first(s("GET"), s("me"));
            first.setName(s("a"));
            Cv::CvGraphRequest second(s("GET"), s("me/friends"));
            second.setDependsOn(s("a"));
            return g.executeBatch({first, second}, s("profile_details: id=1"));
        },
    };
    return all;
}

const QNetworkReply::NetworkError networkErrors[] = {
    QNetworkReply::NoError,
    QNetworkReply::NoError,
    QNetworkReply::NoError,
    QNetworkReply::RemoteHostClosedError,
    QNetworkReply::OperationCanceledError,
    QNetworkReply::ContentAccessDenied,
    QNetworkReply::InternalServerError,
    QNetworkReply::ProtocolInvalidOperationError,
};
const int statuses[] = {200, 200, 204, 302, 400, 403, 500, 502, 503};

// Counts every signal of the graph except the string form of connectionDataRetrieved, which
// always comes as a pair with the filter form.
class SignalCounter : public QObject
{
    Q_OBJECT
public:
    explicit SignalCounter(CvGraph *graph)
    {
        const QMetaObject *meta = graph->metaObject();
        const QMetaMethod any = metaObject()->method(metaObject()->indexOfSlot("count()"));
        const QMetaMethod failure = metaObject()->method(metaObject()->indexOfSlot("countError()"));
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            if (method.methodType() != QMetaMethod::Signal
                || method.methodSignature()
                    == "connectionDataRetrieved(QString,QString,QVariantMap)")
                continue;
            connect(graph, method, this, method.name() == "error" ? failure : any);
        }
    }
    int emitted = 0;
    int errors = 0;

public Q_SLOTS:
    void count() { ++emitted; }
    void countError()
    {
        ++emitted;
        ++errors;
    }
};

std::unique_ptr<CvGraph> graph;
std::unique_ptr<SignalCounter> counter;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    CvFuzz::startApplication();
    // A port nothing listens on; no event loop runs, so no request is ever sent there.
    Cv::CvEndpoints::setGraphBaseUrl(QUrl(s("http://127.0.0.1:9")));
    Cv::CvEndpoints::setRestBaseUrl(QUrl(s("http://127.0.0.1:9")));
    graph = std::make_unique<CvGraph>(s("fuzz-token-0123456789"));
    counter = std::make_unique<SignalCounter>(graph.get());
    std::atexit([] {
        counter.reset();
        graph.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CvFuzz::Input input(data, size);
    const int which = input.choice(int(requests().size()));
    const Request &request = requests().at(which);
    const int status = statuses[input.choice(int(std::size(statuses)))];
    const QNetworkReply::NetworkError error
        = networkErrors[input.choice(int(std::size(networkErrors)))];
    const QList<QNetworkReply::RawHeaderPair> headers = CvFuzz::headersFrom(input);
    const QByteArray body = input.rest();

    CV_FUZZ_CHECK(request(*graph), QStringLiteral("request %1 was refused").arg(which));
    CV_FUZZ_CHECK(graph->operationsInFlight() == 1, "the request was not filed");

    counter->emitted = 0;
    counter->errors = 0;
    auto *reply = new CvFuzz::BufferReply(body, status, error, headers);
    if (error == QNetworkReply::NoError)
        Q_EMIT graph->graphConnect()->response(reply, 0);
    else
        Q_EMIT graph->graphConnect()->error(Cv::CvError(reply), 0);
    delete reply;

    CV_FUZZ_CHECK(graph->operationsInFlight() == 0, "a finished operation stayed in the table");
    CV_FUZZ_CHECK(counter->emitted <= 1,
                  QStringLiteral("%1 signals for one reply").arg(counter->emitted));
    if (error != QNetworkReply::NoError)
        CV_FUZZ_CHECK(counter->errors == 1, "a failed reply did not end in one error");

    // The real request never left: abort it (its error reaches no operation) and free its slot.
    graph->graphConnect()->deinit();
    CvFuzz::flushDeferredDeletes();
    return 0;
}

#include "fuzz_graph_reply.moc"
