#include "cvdatafilter.h"
#include "cvendpoints.h"
#include "cverror.h"
#include "cvgraph.h"

#include "testservice.h"

#include <QMetaMethod>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

using namespace Cv;

using Call = std::function<bool(CvGraph &)>;
using Items = QList<QPair<QString, QString>>;
// A canned answer as a test data column.
struct Canned
{
    TestService::Reply reply;
};
Q_DECLARE_METATYPE(Call)
Q_DECLARE_METATYPE(Canned)

namespace {

const QString token = QStringLiteral("tok");

QPair<QString, QString> item(const char *key, const QString &value)
{
    return qMakePair(QString::fromLatin1(key), value);
}

QPair<QString, QString> item(const char *key, const char *value)
{
    return item(key, QString::fromUtf8(value));
}

// Records every signal of a CvGraph by its meta-object signature, to catch extra or missing ones.
class SignalLog : public QObject
{
public:
    explicit SignalLog(CvGraph *graph)
    {
        const QMetaObject *mo = graph->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod method = mo->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            auto spy = std::make_shared<QSignalSpy>(graph, method);
            spies.push_back({QString::fromLatin1(method.methodSignature()), spy});
        }
    }
    // All emitted signals (signature and arguments), grouped by signal, not in time order.
    QList<QPair<QString, QVariantList>> emitted() const
    {
        QList<QPair<QString, QVariantList>> out;
        for (const auto &entry : spies) {
            for (const QVariantList &args : *entry.second)
                out.append({entry.first, args});
        }
        return out;
    }
    int total() const
    {
        int n = 0;
        for (const auto &entry : spies)
            n += int(entry.second->count());
        return n;
    }

private:
    std::vector<std::pair<QString, std::shared_ptr<QSignalSpy>>> spies;
};

} // namespace

class tst_CvGraph : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void requests_data();
    void requests();
    void refusedRequests_data();
    void refusedRequests();
    void textForms();

    void replies_data();
    void replies();
    void connectionDataFilterForm_data();
    void connectionDataFilterForm();
    void pictureWithoutLocation();
    void serviceErrorInSuccessfulReply();
    void httpFailure();
    void invalidJson();
    void repliesMatchedById();
    void unknownReplyId();
    void newRequestFromResultSlot();

private:
    std::unique_ptr<TestService> service;
    std::unique_ptr<CvGraph> graph;
};

void tst_CvGraph::init()
{
    service = std::make_unique<TestService>();
    QVERIFY(service->isListening());
    QVERIFY(CvEndpoints::setGraphBaseUrl(service->baseUrl()));
    QVERIFY(CvEndpoints::setRestBaseUrl(service->baseUrl()));
    graph = std::make_unique<CvGraph>(token);
}

void tst_CvGraph::cleanup()
{
    graph.reset();
    service.reset();
    CvEndpoints::reset();
}

void tst_CvGraph::requests_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<Call>("call");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<Items>("query");

    const auto tok = item("access_token", token);
    const QDateTime since(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC);
    const QDateTime until(QDate(2024, 2, 3), QTime(4, 5, 6), Qt::UTC);

    QTest::newRow("object") << QString() << Call([](CvGraph &g) {
        return g.retrieveObject(QStringLiteral("me"), QStringLiteral("profile"));
    }) << QByteArray("GET") << "/me"
                            << Items {tok};
    QTest::newRow("object, leading slash, fields, locale")
        << "fr_FR" << Call([](CvGraph &g) {
               return g.retrieveObject(QStringLiteral("/123"),
                                       QSet<QString> {QStringLiteral("name")}, QStringLiteral("n"));
           })
        << QByteArray("GET") << "/123"
        << Items {tok, item("fields", "name"), item("locale", "fr_FR")};
    QTest::newRow("object, full filter, filter locale wins")
        << "fr_FR" << Call([since, until](CvGraph &g) {
               CvDataFilter f(QStringLiteral("ignored"), 5, 0, until, since, {QStringLiteral("id")},
                              QStringLiteral("de_DE"));
               f.params.insert(QStringLiteral("x"), QStringLiteral("a b&c"));
               return g.retrieveObject(QStringLiteral("me"), f, QString());
           })
        << QByteArray("GET") << "/me"
        << Items {tok,
                  item("fields", "id"),
                  item("limit", "5"),
                  item("locale", "de_DE"),
                  item("offset", "0"),
                  item("since", "2024-01-02T03:04:05Z"),
                  item("until", "2024-02-03T04:05:06Z"),
                  item("x", "a b&c")};
    QTest::newRow("object, limit 0 and offset 0") << QString() << Call([](CvGraph &g) {
        CvDataFilter f(QStringLiteral("me"));
        f.limit = 0;
        f.offset = 0;
        f.fields = {QStringLiteral("id")};
        return g.retrieveObject(QStringLiteral("me"), f, QString());
    }) << QByteArray("GET") << "/me" << Items {tok, item("fields", "id"), item("offset", "0")};
    QTest::newRow("objects") << QString() << Call([](CvGraph &g) {
        return g.retrieveObjects({QStringLiteral("42")}, CvDataFilter(), QStringLiteral("n"));
    }) << QByteArray("GET") << "/"
                             << Items {tok, item("ids", "42")};
    QTest::newRow("connection types") << "en_GB" << Call([](CvGraph &g) {
        return g.retrieveConnectionTypes(QStringLiteral("me"));
    }) << QByteArray("GET") << "/me" << Items {tok, item("metadata", "1")};
    QTest::newRow("connection by type") << "en_GB" << Call([](CvGraph &g) {
        return g.retrieveConnectionData(CvGraph::Friends, QStringLiteral("me"));
    }) << QByteArray("GET") << "/me/friends"
                                        << Items {tok, item("locale", "en_GB")};
    QTest::newRow("connection path join") << QString() << Call([](CvGraph &g) {
        return g.retrieveConnectionData(QStringLiteral("photos/"), QStringLiteral("/123/"));
    }) << QByteArray("GET") << "/123/photos"
                                          << Items {tok};
    QTest::newRow("connection two-level name") << QString() << Call([](CvGraph &g) {
        return g.retrieveConnectionData(CvGraph::NotRepliedEvents, QStringLiteral("me"));
    }) << QByteArray("GET") << "/me/events/not_replied"
                                               << Items {tok};
    QTest::newRow("connection with filter") << QString() << Call([](CvGraph &g) {
        CvDataFilter f(QStringLiteral("77"));
        f.limit = 25;
        return g.retrieveConnectionData(CvGraph::Feed, f);
    }) << QByteArray("GET") << "/77/feed" << Items {tok, item("limit", "25")};
    QTest::newRow("paging link, no token, locale not sent")
        << "en_GB" << Call([this](CvGraph &g) {
               QUrl url = service->baseUrl();
               url.setPath(QStringLiteral("/77/feed"));
               url.setQuery(QStringLiteral("limit=25&until=1700000000"));
               return g.retrieveConnectionData(QStringLiteral("77"), QStringLiteral("feed"), url);
           })
        << QByteArray("GET") << "/77/feed"
        << Items {item("limit", "25"), item("until", "1700000000")};
    QTest::newRow("profile picture") << "en_GB" << Call([](CvGraph &g) {
        return g.retrieveProfilePicture(QStringLiteral("me"), PictureLarge);
    }) << QByteArray("GET") << "/me/picture"
                                     << Items {tok, item("type", "large")};
    QTest::newRow("search user") << "en_GB" << Call([](CvGraph &g) {
        return g.search(QStringLiteral("s1"), QStringLiteral("ann é"), CvGraph::SearchUser);
    }) << QByteArray("GET") << "/search"
                                 << Items {tok, item("locale", "en_GB"), item("q", "ann é"),
                                           item("type", "user")};
    QTest::newRow("search home has no type") << QString() << Call([](CvGraph &g) {
        return g.search(QStringLiteral("s2"), QStringLiteral("x"), CvGraph::SearchHome);
    }) << QByteArray("GET") << "/home" << Items {tok, item("q", "x")};
    QTest::newRow("search with fields")
        << QString() << Call([](CvGraph &g) {
               return g.search(QStringLiteral("s3"), QString(), CvGraph::SearchPlace,
                               QSet<QString> {QStringLiteral("name")});
           })
        << QByteArray("GET") << "/search"
        << Items {tok, item("fields", "name"), item("type", "place")};
    QTest::newRow("public data, no token") << "en_GB" << Call([this](CvGraph &g) {
        QUrl url = service->baseUrl();
        url.setPath(QStringLiteral("/pics/1.jpg"));
        return g.retrievePublicData(url, QStringLiteral("pic"));
    }) << QByteArray("GET") << "/pics/1.jpg"
                                           << Items {};
    QTest::newRow("event invitations")
        << "en_GB"
        << Call([](CvGraph &g) { return g.retrieveEventInvitations(QStringLiteral("me")); })
        << QByteArray("GET") << "/method/events.get"
        << Items {tok, item("format", "json"), item("locale", "en_GB"),
                  item("rsvp_status", "not_replied")};
    QTest::newRow("notifications")
        << QString()
        << Call([](CvGraph &g) { return g.retrieveNotifications(QStringLiteral("me")); })
        << QByteArray("GET") << "/method/notifications.get" << Items {tok, item("format", "json")};
}

void tst_CvGraph::requests()
{
    QFETCH(QString, locale);
    QFETCH(Call, call);
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(Items, query);

    graph->setLocale(locale);
    service->setHandler(
        [](const TestService::Request &) { return TestService::Reply::json("{}"); });
    QVERIFY(call(*graph));
    QVERIFY(service->waitForRequests(1));
    const TestService::Request request = service->lastRequest();
    QCOMPARE(request.method, method);
    QCOMPARE(request.path, path);
    QCOMPARE(request.queryItems, query);
    QCOMPARE(service->requestCount(), 1);
    QTRY_COMPARE(graph->operationsInFlight(), 0);
}

void tst_CvGraph::refusedRequests_data()
{
    QTest::addColumn<Call>("call");
    const QString me = QStringLiteral("me");
    QTest::newRow("object, empty id")
        << Call([](CvGraph &g) { return g.retrieveObject(QString(), QString()); });
    QTest::newRow("objects, empty set") << Call([](CvGraph &g) {
        return g.retrieveObjects({}, CvDataFilter(QStringLiteral("me")), QString());
    });
    QTest::newRow("connection types, empty id")
        << Call([](CvGraph &g) { return g.retrieveConnectionTypes(QString()); });
    QTest::newRow("connection, NoConnection")
        << Call([me](CvGraph &g) { return g.retrieveConnectionData(CvGraph::NoConnection, me); });
    QTest::newRow("connection, empty name")
        << Call([me](CvGraph &g) { return g.retrieveConnectionData(QString(), me); });
    QTest::newRow("connection, filter without id") << Call([](CvGraph &g) {
        return g.retrieveConnectionData(QStringLiteral("feed"), CvDataFilter());
    });
    QTest::newRow("connection, filter with invalid date") << Call([me](CvGraph &g) {
        CvDataFilter f(me);
        f.until = QDateTime(QDate(2024, 13, 40), QTime(0, 0));
        return g.retrieveConnectionData(CvGraph::Feed, f);
    });
    QTest::newRow("paging, empty url") << Call(
        [me](CvGraph &g) { return g.retrieveConnectionData(me, QStringLiteral("feed"), QUrl()); });
    QTest::newRow("picture, empty id")
        << Call([](CvGraph &g) { return g.retrieveProfilePicture(QString(), PictureSmall); });
    QTest::newRow("public data, relative") << Call([](CvGraph &g) {
        return g.retrievePublicData(QUrl(QStringLiteral("/pics/1.jpg")), QString());
    });
    QTest::newRow("public data, empty")
        << Call([](CvGraph &g) { return g.retrievePublicData(QUrl(), QString()); });
    QTest::newRow("public data, invalid") << Call([](CvGraph &g) {
        return g.retrievePublicData(QUrl(QStringLiteral("http://[::1")), QString());
    });
    QTest::newRow("invitations, empty id")
        << Call([](CvGraph &g) { return g.retrieveEventInvitations(QString()); });
    QTest::newRow("notifications, empty id")
        << Call([](CvGraph &g) { return g.retrieveNotifications(QString()); });
}

void tst_CvGraph::refusedRequests()
{
    QFETCH(Call, call);
    QVERIFY(!call(*graph));
    QCOMPARE(graph->operationsInFlight(), 0);
    // A request that was refused and one that goes out afterwards: only the second arrives.
    QVERIFY(graph->retrieveObject(QStringLiteral("probe"), QString()));
    QVERIFY(service->waitForRequests(1));
    QCOMPARE(service->requestCount(), 1);
    QCOMPARE(service->lastRequest().path, QStringLiteral("/probe"));
}

void tst_CvGraph::textForms()
{
    QCOMPARE(CvGraph::connectionTypeToString(CvGraph::UploadedVideos),
             QStringLiteral("videos/uploaded"));
    QCOMPARE(CvGraph::connectionTypeToString(CvGraph::NoConnection), QString());
    QCOMPARE(CvGraph::connectionTypeToString(CvGraph::ConnectionType(29)), QString());
    for (int i = 1; i <= 28; ++i) {
        const auto type = CvGraph::ConnectionType(i);
        QCOMPARE(CvGraph::connectionTypeFromString(CvGraph::connectionTypeToString(type)), type);
    }
    QCOMPARE(CvGraph::connectionTypeFromString(QStringLiteral("Friends")), CvGraph::NoConnection);
    QCOMPARE(CvGraph::connectionTypeFromString(QString()), CvGraph::NoConnection);
    QCOMPARE(CvGraph::searchTargetToString(CvGraph::SearchCheckin), QStringLiteral("checkin"));
    QCOMPARE(CvGraph::searchTargetToString(CvGraph::SearchTarget(8)), QString());
    QCOMPARE(CvGraph::searchTargetFromString(QStringLiteral("home")), CvGraph::SearchHome);
    QCOMPARE(CvGraph::searchTargetFromString(QStringLiteral("User")), CvGraph::SearchPost);
}

void tst_CvGraph::replies_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<Canned>("canned");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QVariantList>("arguments");

    const QVariantMap person {{QStringLiteral("id"), 100000123456789012LL},
                              {QStringLiteral("name"), QStringLiteral("Ann")}};
    const QByteArray personJson = "{\"id\":100000123456789012,\"name\":\"Ann\"}";
    const QString me = QStringLiteral("me");

    QTest::newRow("object") << Call([me](CvGraph &g) {
        return g.retrieveObject(me, QStringLiteral("profile"));
    }) << Canned {TestService::Reply::json(personJson)}
                            << "objectDataRetrieved(QString,QString,QVariantMap)"
                            << QVariantList {me, QStringLiteral("profile"), person};
    QTest::newRow("object, array body gives empty map")
        << Call([me](CvGraph &g) { return g.retrieveObject(me, QString()); })
        << Canned {TestService::Reply::json("[1,2]")}
        << "objectDataRetrieved(QString,QString,QVariantMap)"
        << QVariantList {me, QString(), QVariantMap()};
    QTest::newRow("object, scalar body gives empty map")
        << Call([me](CvGraph &g) { return g.retrieveObject(me, QString()); })
        << Canned {TestService::Reply::json(" true ")}
        << "objectDataRetrieved(QString,QString,QVariantMap)"
        << QVariantList {me, QString(), QVariantMap()};
    QTest::newRow("objects, ids as a set")
        << Call([](CvGraph &g) {
               return g.retrieveObjects({QStringLiteral("1"), QString(), QStringLiteral("2")},
                                        CvDataFilter(), QStringLiteral("n"));
           })
        << Canned {TestService::Reply::json(personJson)}
        << "objectsDataRetrieved(QSet<QString>,QString,QVariantMap)"
        << QVariantList {QVariant::fromValue(
                             QSet<QString> {QStringLiteral("1"), QString(), QStringLiteral("2")}),
                         QStringLiteral("n"), person};
    QTest::newRow("connection names in key order, strings only")
        << Call([me](CvGraph &g) { return g.retrieveConnectionTypes(me); })
        << Canned {TestService::Reply::json(
               "{\"metadata\":{\"connections\":{\"photos\":\"http://x/p\","
               "\"feed\":\"http://x/f\",\"odd\":{\"a\":1}}}}")}
        << "connectionTypesRetrieved(QStringList)"
        << QVariantList {QStringList {QStringLiteral("http://x/f"), QStringLiteral("http://x/p")}};
    QTest::newRow("profile picture location")
        << Call([me](CvGraph &g) { return g.retrieveProfilePicture(me, PictureSquare); })
        << Canned {TestService::Reply::redirect("http://127.0.0.1:1/p/me_q.jpg")}
        << "profilePictureReceived(QString,Cv::PictureType,QUrl)"
        << QVariantList {me, QVariant::fromValue(PictureSquare),
                         QUrl(QStringLiteral("http://127.0.0.1:1/p/me_q.jpg"))};
    QTest::newRow("search without fields")
        << Call([](CvGraph &g) {
               return g.search(QStringLiteral("s"), QStringLiteral("a"), CvGraph::SearchPage);
           })
        << Canned {TestService::Reply::json(personJson)}
        << "searchReady(QString,Cv::CvGraph::SearchTarget,QVariantMap)"
        << QVariantList {QStringLiteral("s"), QVariant::fromValue(CvGraph::SearchPage), person};
    QTest::newRow("search with fields") << Call([](CvGraph &g) {
        QMap<QString, QString> params {{QStringLiteral("fields"), QStringLiteral("id,,name")}};
        return g.search(QStringLiteral("s"), params, CvGraph::SearchHome);
    }) << Canned {TestService::Reply::json(personJson)}
                                        << "searchReady(QString,Cv::CvGraph::SearchTarget,QSet<"
                                           "QString>,QVariantMap)"
                                        << QVariantList {
                                               QStringLiteral("s"),
                                               QVariant::fromValue(CvGraph::SearchHome),
                                               QVariant::fromValue(QSet<QString> {
                                                   QStringLiteral("id"), QStringLiteral("name")}),
                                               person};
    QTest::newRow("event invitations")
        << Call([me](CvGraph &g) { return g.retrieveEventInvitations(me); })
        << Canned {TestService::Reply::json("[{\"eid\":7}]")}
        << "eventInvitationsRetrieved(QString,QVariantList)"
        << QVariantList {me, QVariantList {QVariantMap {{QStringLiteral("eid"), 7LL}}}};
    QTest::newRow("event invitations, object gives empty list")
        << Call([me](CvGraph &g) { return g.retrieveEventInvitations(me); })
        << Canned {TestService::Reply::json("{\"eid\":7}")}
        << "eventInvitationsRetrieved(QString,QVariantList)" << QVariantList {me, QVariantList()};
    QTest::newRow("notifications")
        << Call([me](CvGraph &g) { return g.retrieveNotifications(me); })
        << Canned {TestService::Reply::json(personJson)}
        << "notificationsRetrieved(QString,QVariantMap)" << QVariantList {me, person};
    const QByteArray raw("\x89PNG\r\n\x00\xff", 8);
    QTest::newRow("public data, raw bytes")
        << Call([this](CvGraph &g) {
               QUrl url = service->baseUrl();
               url.setPath(QStringLiteral("/pics/1.png"));
               return g.retrievePublicData(url, QStringLiteral("pic"));
           })
        << Canned {TestService::Reply::text(raw)} << "publicDataRetrieved(QString,QUrl,QByteArray)"
        << QVariantList {QStringLiteral("pic"), QStringLiteral("/pics/1.png"), raw};
}

void tst_CvGraph::replies()
{
    QFETCH(Call, call);
    QFETCH(Canned, canned);
    TestService::Reply reply = canned.reply;
    QFETCH(QString, signal);
    QFETCH(QVariantList, arguments);

    reply.header("Date", "Tue, 05 Mar 2024 17:08:09 GMT");
    service->enqueue(reply);
    SignalLog log(graph.get());
    QVERIFY(call(*graph));
    QTRY_COMPARE(log.total(), 1);
    const auto emitted = log.emitted().constFirst();
    QCOMPARE(emitted.first, signal);
    QCOMPARE(emitted.second.size(), arguments.size());
    for (int i = 0; i < arguments.size(); ++i) {
        QVariant expected = arguments.at(i);
        // The URL of a public data request depends on the port.
        if (signal.startsWith(QLatin1String("publicData")) && i == 1) {
            QUrl url = service->baseUrl();
            url.setPath(expected.toString());
            expected = url;
        }
        QCOMPARE(emitted.second.at(i), expected);
    }
    QCOMPARE(graph->operationsInFlight(), 0);
    QCOMPARE(graph->lastReplyTimeStamp(), QDateTime(QDate(2024, 3, 5), QTime(17, 8, 9), Qt::UTC));
    QCOMPARE(graph->lastReplyTimeStamp().timeSpec(), Qt::UTC);
}

void tst_CvGraph::connectionDataFilterForm_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<CvDataFilter>("expected");

    const QString me = QStringLiteral("me");
    QTest::newRow("no parameters")
        << Call([me](CvGraph &g) { return g.retrieveConnectionData(CvGraph::Friends, me); })
        << CvDataFilter(me);

    const QDateTime since(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC);
    CvDataFilter full(QStringLiteral("55"), 10, 20, QDateTime(), since,
                      {QStringLiteral("id"), QStringLiteral("message")}, QString());
    QTest::newRow("window read back") << Call([full](CvGraph &g) {
        CvDataFilter sent = full;
        sent.locale = QStringLiteral("de_DE"); // sent, but not part of the reported window
        return g.retrieveConnectionData(QStringLiteral("feed"), sent);
    }) << full;

    CvDataFilter localeOnly(me);
    QTest::newRow("paging link") << Call([this](CvGraph &g) {
        g.setLocale(QStringLiteral("en_GB"));
        QUrl url = service->baseUrl();
        url.setPath(QStringLiteral("/me/feed"));
        return g.retrieveConnectionData(QStringLiteral("me"), QStringLiteral("feed"), url);
    }) << localeOnly;
}

void tst_CvGraph::connectionDataFilterForm()
{
    QFETCH(Call, call);
    QFETCH(CvDataFilter, expected);

    service->enqueue(TestService::Reply::json("{\"data\":[{\"id\":\"1\"}]}"));
    SignalLog log(graph.get());
    QSignalSpy byFilter(graph.get(),
                        qOverload<const CvDataFilter &, const QString &, const QVariantMap &>(
                            &CvGraph::connectionDataRetrieved));
    QSignalSpy byId(graph.get(),
                    qOverload<const QString &, const QString &, const QVariantMap &>(
                        &CvGraph::connectionDataRetrieved));
    // The string form must arrive before the filter form.
    bool filterFormFirst = false;
    connect(graph.get(),
            qOverload<const CvDataFilter &, const QString &, const QVariantMap &>(
                &CvGraph::connectionDataRetrieved),
            this, [&] { filterFormFirst = byId.isEmpty(); });
    QVERIFY(call(*graph));
    QVERIFY(byFilter.wait());
    QCOMPARE(log.total(), 2);
    QCOMPARE(byId.count(), 1);
    QVERIFY(!filterFormFirst);
    const CvDataFilter reported = byFilter.at(0).at(0).value<CvDataFilter>();
    QCOMPARE(reported.id, expected.id);
    QCOMPARE(reported.limit, expected.limit);
    QCOMPARE(reported.offset, expected.offset);
    QCOMPARE(reported.since, expected.since);
    QCOMPARE(reported.until.isValid(), false);
    QCOMPARE(reported.fields, expected.fields);
    QCOMPARE(byFilter.at(0).at(2), byId.at(0).at(2));
}

void tst_CvGraph::pictureWithoutLocation()
{
    service->enqueue(TestService::Reply::json("{}"));
    SignalLog log(graph.get());
    QVERIFY(graph->retrieveProfilePicture(QStringLiteral("me"), PictureNormal));
    QCOMPARE(graph->operationsInFlight(), 1);
    QTRY_COMPARE(graph->operationsInFlight(), 0);
    QTest::qWait(0);
    QCOMPARE(log.total(), 0);
}

void tst_CvGraph::serviceErrorInSuccessfulReply()
{
    service->enqueue(TestService::Reply::json(
        "{\"error\":{\"type\":\"OAuthException\",\"message\":\"Error validating access token\"}}"));
    SignalLog log(graph.get());
    QSignalSpy errors(graph.get(), &CvGraph::error);
    QVERIFY(graph->retrieveObject(QStringLiteral("123"), QStringLiteral("profile")));
    QVERIFY(errors.wait());
    QCOMPARE(log.total(), 1);
    const CvError err = errors.at(0).at(0).value<CvError>();
    QCOMPARE(err.objectId(), QStringLiteral("123"));
    QCOMPARE(err.errorType(), CvError::InvalidAccessToken);
    QCOMPARE(graph->operationsInFlight(), 0);

    // A REST error body is detected the same way.
    service->enqueue(
        TestService::Reply::json("{\"error_code\":3,\"error_msg\":\"Unknown method\"}"));
    QVERIFY(graph->retrieveNotifications(QStringLiteral("me")));
    QVERIFY(errors.wait());
    QCOMPARE(log.total(), 2);
    QCOMPARE(errors.at(1).at(0).value<CvError>().objectId(), QStringLiteral("me"));
    QCOMPARE(errors.at(1).at(0).value<CvError>().errorType(), CvError::UnknownMethod);
}

void tst_CvGraph::httpFailure()
{
    service->enqueue(TestService::Reply::json("{\"data\":[]}", 500));
    SignalLog log(graph.get());
    QSignalSpy errors(graph.get(), &CvGraph::error);
    QVERIFY(graph->retrieveConnectionData(CvGraph::Feed, QStringLiteral("9")));
    QVERIFY(errors.wait());
    QCOMPARE(log.total(), 1);
    QCOMPARE(errors.at(0).at(0).value<CvError>().objectId(), QStringLiteral("9"));
    QCOMPARE(graph->operationsInFlight(), 0);
}

void tst_CvGraph::invalidJson()
{
    const QList<QByteArray> bodies {"", "{'a':1}", "{\"a\":1} x", "[1,]", "1,2"};
    SignalLog log(graph.get());
    for (const QByteArray &body : bodies) {
        service->enqueue(TestService::Reply::json(body));
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QLatin1String("^\"Not valid JSON data:\n")
                               + QRegularExpression::escape(QString::fromUtf8(body))
                               + QLatin1String("\" $")));
        QVERIFY(graph->retrieveObject(QStringLiteral("me"), QString()));
        QTRY_COMPARE(graph->operationsInFlight(), 0);
    }
    service->enqueue(TestService::Reply::json("[{]"));
    QVERIFY(graph->retrieveEventInvitations(QStringLiteral("me"))); // a list kind
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("Not valid JSON data:\n\\[\\{\\]")));
    QTRY_COMPARE(graph->operationsInFlight(), 0);
    QTest::qWait(0);
    QCOMPARE(log.total(), 0);
}

void tst_CvGraph::repliesMatchedById()
{
    // The first request is answered last.
    TestService::Reply slow = TestService::Reply::json("{\"data\":[{\"id\":\"slow\"}]}");
    slow.delayMs = 300;
    service->enqueue(slow);
    service->enqueue(TestService::Reply::json("{\"data\":[{\"id\":\"fast\"}]}"));

    QSignalSpy spy(graph.get(),
                   qOverload<const QString &, const QString &, const QVariantMap &>(
                       &CvGraph::connectionDataRetrieved));
    QVERIFY(graph->retrieveConnectionData(CvGraph::Friends, QStringLiteral("a")));
    QVERIFY(service->waitForRequests(1));
    QVERIFY(graph->retrieveConnectionData(CvGraph::Photos, QStringLiteral("b")));
    QCOMPARE(graph->operationsInFlight(), 2);
    QTRY_COMPARE(spy.count(), 2);
    const auto firstId = [&](int i) {
        return spy.at(i)
            .at(2)
            .toMap()
            .value(QStringLiteral("data"))
            .toList()
            .at(0)
            .toMap()
            .value(QStringLiteral("id"));
    };
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("b"));
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("photos"));
    QCOMPARE(firstId(0), QVariant(QStringLiteral("fast")));
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("a"));
    QCOMPARE(spy.at(1).at(1).toString(), QStringLiteral("friends"));
    QCOMPARE(firstId(1), QVariant(QStringLiteral("slow")));
}

void tst_CvGraph::unknownReplyId()
{
    // A reply the graph never asked for, handed to its reply slot under an unused id.
    service->enqueue(
        TestService::Reply::json("{}").header("Date", "Wed, 06 Mar 2024 01:02:03 GMT"));
    QNetworkAccessManager manager;
    QUrl url = service->baseUrl();
    url.setPath(QStringLiteral("/stray"));
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    QVERIFY(finished.wait());

    SignalLog log(graph.get());
    QTest::ignoreMessage(
        QtWarningMsg,
        QRegularExpression(
            QStringLiteral("Received response that does not map to any active CvGraph operation")));
    QVERIFY(QMetaObject::invokeMethod(graph.get(), "response", Qt::DirectConnection,
                                      Q_ARG(QNetworkReply *, reply.get()), Q_ARG(int, 7)));
    QCOMPARE(log.total(), 0);
    QCOMPARE(graph->lastReplyTimeStamp(), QDateTime(QDate(2024, 3, 6), QTime(1, 2, 3), Qt::UTC));
}

void tst_CvGraph::newRequestFromResultSlot()
{
    service->setHandler([](const TestService::Request &request) {
        return TestService::Reply::json("{\"id\":\"" + request.rawPath.mid(1) + "\"}");
    });
    QStringList seen;
    connect(graph.get(), &CvGraph::objectDataRetrieved, this,
            [&](const QString &id, const QString &, const QVariantMap &data) {
                seen.append(data.value(QStringLiteral("id")).toString());
                if (id == QLatin1String("first"))
                    QVERIFY(graph->retrieveObject(QStringLiteral("second"), QString()));
            });
    QVERIFY(graph->retrieveObject(QStringLiteral("first"), QString()));
    QTRY_COMPARE(seen.size(), 2);
    QCOMPARE(seen, (QStringList {QStringLiteral("first"), QStringLiteral("second")}));
    QCOMPARE(graph->operationsInFlight(), 0);
}

QTEST_GUILESS_MAIN(tst_CvGraph)
#include "tst_cvgraph.moc"
