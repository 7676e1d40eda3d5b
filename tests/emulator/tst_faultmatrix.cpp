// Every request kind of the Graph layer against the emulator's failure rules, 200 requests in
// flight at once: each request ends in exactly one result or error, none in two, none in nothing.
#include "emulatorprocess.h"

#include <cvendpoints.h>
#include <cvgraph.h>
#include <cvgraphrequest.h>
#include <cvlogger.h>

#include <functional>
#include <memory>

using Cv::CvGraph;

namespace {

// Where a result signal names its request: its first argument, or the id of its filter.
enum class Key { FirstArgument, FilterId };

// The texts the result and the error of one request carry.
using Keys = QPair<QString, QString>;

struct Kind
{
    const char *name;
    QMetaMethod signal; // the result signal
    Key key;
    bool decoded; // the reply is decoded as JSON, so a body that is not JSON ends silently
    // Sends request i.
    std::function<Keys(CvGraph &, int, const EmulatorProcess &)> send;
};

constexpr int RequestsPerKind = 25;

// Distinct user ids: the emulator numbers its users from 100001.
QString user(int i)
{
    return QString::number(100001 + i);
}

// The filter form of connectionDataRetrieved; the string form always comes with it.
QMetaMethod filterForm()
{
    return QMetaMethod::fromSignal(
        qOverload<const Cv::CvDataFilter &, const QString &, const QVariantMap &>(
            &CvGraph::connectionDataRetrieved));
}

const QList<Kind> &kinds()
{
    static const QList<Kind> all = {
        {"object", QMetaMethod::fromSignal(&CvGraph::objectDataRetrieved), Key::FirstArgument, true,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             g.retrieveObject(user(i), s("o"));
             return Keys(user(i), user(i));
         }},
        {"connection", filterForm(), Key::FilterId, true,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             Cv::CvDataFilter filter(user(i));
             filter.limit = 5;
             g.retrieveConnectionData(CvGraph::Friends, filter);
             return Keys(user(i), user(i));
         }},
        {"page", filterForm(), Key::FilterId, true,
         [](CvGraph &g, int i, const EmulatorProcess &emu) {
             g.retrieveConnectionData(
                 user(i), s("feed"),
                 emu.url(QLatin1Char('/') + user(i) + s("/feed"), {{s("limit"), s("3")}}));
             return Keys(user(i), user(i));
         }},
        {"write", QMetaMethod::fromSignal(&CvGraph::likesWriteComplete), Key::FirstArgument, false,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             g.writeToLikes(user(i), Cv::Like);
             return Keys(user(i), user(i));
         }},
        // A batch has no id: its errors carry an empty one.
        {"batch", QMetaMethod::fromSignal(&CvGraph::batchExecuted), Key::FirstArgument, true,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             g.executeBatch({Cv::CvGraphRequest(s("GET"), user(i))}, s("b") + user(i));
             return Keys(s("b") + user(i), QString());
         }},
        {"query", QMetaMethod::fromSignal(&CvGraph::queryExecuted), Key::FirstArgument, true,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             const QString query = s("SELECT name FROM user WHERE uid=") + user(i);
             g.executeQuery(query, s("q") + user(i));
             return Keys(s("q") + user(i), query);
         }},
        {"rest bool", QMetaMethod::fromSignal(&CvGraph::friendRequestSent), Key::FirstArgument,
         false,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             g.sendFriendRequest(user(i));
             return Keys(user(i), user(i));
         }},
        {"rest map", QMetaMethod::fromSignal(&CvGraph::notificationListRetrieved),
         Key::FirstArgument, true,
         [](CvGraph &g, int i, const EmulatorProcess &) {
             g.retrieveNotificationList(user(i), true, QDateTime());
             return Keys(user(i), user(i));
         }},
    };
    return all;
}

// One graph per kind, so that every signal is known to belong to its kind.
struct Lane
{
    const Kind *kind;
    std::unique_ptr<CvGraph> graph;
    std::unique_ptr<QSignalSpy> results;
    std::unique_ptr<QSignalSpy> errors;
    QList<Keys> sent; // what each request's signals carry, in order of sending

    int ended() const { return int(results->size() + errors->size()); }
};

QString keyOf(const Lane &lane, const QList<QVariant> &arguments)
{
    return lane.kind->key == Key::FilterId ? arguments.value(0).value<Cv::CvDataFilter>().id
                                           : arguments.value(0).toString();
}

} // namespace

class tst_FaultMatrix : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void everyRequestEndsOnce_data();
    void everyRequestEndsOnce();

private:
    EmulatorProcess emu;
};

void tst_FaultMatrix::initTestCase()
{
    QVERIFY(emu.start({s("--users"), s("40"), s("--posts"), s("40"), s("--threads"), s("3")}));
    QVERIFY(Cv::CvEndpoints::setGraphBaseUrl(QUrl(emu.graph)));
    QVERIFY(Cv::CvEndpoints::setRestBaseUrl(QUrl(emu.rest)));
    // Hundreds of failures are expected here; their warnings would drown the test's output.
    Cv::SetLoggingLevel(Cv::LogErrors);
}

void tst_FaultMatrix::init()
{
    QCOMPARE(emu.control(s("clear")).value("pending_failures").toInt(), 0);
    Cv::CvEndpoints::setTransferTimeout(20000);
}

void tst_FaultMatrix::cleanupTestCase()
{
    Cv::SetLoggingLevel(Cv::LogWarnings);
    Cv::CvEndpoints::reset();
}

void tst_FaultMatrix::everyRequestEndsOnce_data()
{
    QTest::addColumn<QString>("fault"); // emulator failure setting, empty for none
    QTest::addColumn<int>("errorType"); // every request ends in this error; -1: results, -2: any
    QTest::newRow("no failure") << QString() << -1;
    QTest::newRow("drop") << s("mode=drop") << int(Cv::CvError::GeneralError);
    QTest::newRow("delay past the time-out")
        << s("mode=delay&ms=3000") << int(Cv::CvError::GeneralError);
    QTest::newRow("500") << s("mode=status&status=500") << int(Cv::CvError::GeneralError);
    QTest::newRow("503") << s("mode=status&status=503") << int(Cv::CvError::GeneralError);
    QTest::newRow("HTML with 502")
        << s("mode=not-json&status=502") << int(Cv::CvError::GeneralError);
    QTest::newRow("permission") << s("mode=permission") << int(Cv::CvError::PermissionDenied);
    QTest::newRow("request limit")
        << s("mode=feed-limit") << int(Cv::CvError::FeedActionRequestLimitReached);
    QTest::newRow("unknown method") << s("mode=rest-unknown") << int(Cv::CvError::UnknownMethod);
    QTest::newRow("not JSON") << s("mode=not-json") << -2;
}

void tst_FaultMatrix::everyRequestEndsOnce()
{
    QFETCH(QString, fault);
    QFETCH(int, errorType);
    if (fault.contains(s("delay")))
        Cv::CvEndpoints::setTransferTimeout(500);
    if (!fault.isEmpty()) {
        // More failures than requests: every request of the row fails, a retried one too.
        QCOMPARE(emu.control(s("fail"), s("count=1000&") + fault).status, 200);
    }

    std::vector<Lane> lanes;
    for (const Kind &kind : kinds()) {
        Lane lane;
        lane.kind = &kind;
        lane.graph = std::make_unique<CvGraph>(emu.token);
        QVERIFY2(kind.signal.isValid(), kind.name);
        // "2" marks a signal in the text form that SIGNAL() gives.
        const QByteArray signal = "2" + kind.signal.methodSignature();
        lane.results = std::make_unique<QSignalSpy>(lane.graph.get(), signal.constData());
        lane.errors = std::make_unique<QSignalSpy>(lane.graph.get(), &CvGraph::error);
        lanes.push_back(std::move(lane));
    }
    // All 200 requests are sent before any reply is read.
    for (int i = 0; i < RequestsPerKind; ++i) {
        for (Lane &lane : lanes)
            lane.sent.append(lane.kind->send(*lane.graph, i, emu));
    }
    const int inFlight = [&] {
        int n = 0;
        for (const Lane &lane : lanes)
            n += lane.graph->operationsInFlight();
        return n;
    }();
    QCOMPARE(inFlight, RequestsPerKind * int(kinds().size()));

    // A not-JSON body ends a decoded request silently (the documented default): it must still
    // leave the table, and nothing else may arrive for it.
    const bool silentDecoded = errorType == -2;
    auto settled = [&] {
        for (const Lane &lane : lanes) {
            if (lane.graph->operationsInFlight() != 0)
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), 40000);
    QTest::qWait(200); // a duplicate would arrive right behind the first signal

    for (const Lane &lane : lanes) {
        const QByteArray what = QByteArray(lane.kind->name) + " under " + fault.toLatin1();
        const int expected = silentDecoded && lane.kind->decoded ? 0 : RequestsPerKind;
        const QByteArray count = what + ": " + QByteArray::number(lane.ended()) + " signals";
        QVERIFY2(lane.ended() == expected, count.constData());
        if (errorType >= 0) {
            QVERIFY2(lane.results->isEmpty(), what.constData());
            for (const QList<QVariant> &arguments : *lane.errors) {
                const auto err = arguments.at(0).value<Cv::CvError>();
                QVERIFY2(int(err.errorType()) == errorType, what.constData());
            }
        } else if (errorType == -1) {
            QVERIFY2(lane.errors->isEmpty() || !lane.kind->decoded, what.constData());
        }
        // No request ends twice: a text shows up at most as often as requests carry it.
        QHash<QString, int> possible;
        for (const Keys &keys : lane.sent) {
            ++possible[s("result ") + keys.first];
            ++possible[s("error ") + keys.second];
        }
        QHash<QString, int> seen;
        for (const QList<QVariant> &arguments : *lane.results)
            ++seen[s("result ") + keyOf(lane, arguments)];
        for (const QList<QVariant> &arguments : *lane.errors)
            ++seen[s("error ") + arguments.at(0).value<Cv::CvError>().objectId()];
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            QVERIFY2(
                it.value() <= possible.value(it.key()),
                QByteArray(what + ": " + it.key().toUtf8() + " x" + QByteArray::number(it.value()))
                    .constData());
    }
}

QTEST_GUILESS_MAIN(tst_FaultMatrix)
#include "tst_faultmatrix.moc"
