#include "cvgraph.h"
#include "cvgraphreply.h"
#include "cvgraphrequest.h"

#include "graphtestutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Cv;
using namespace GraphTest;

using Conditions = QMap<QString, QString>;
using Fields = QSet<QString>;

namespace {

QString joined(const Fields &fields)
{
    QStringList list;
    for (const QString &field : fields)
        list.append(field);
    return list.join(QLatin1Char(','));
}

} // namespace

class tst_CvGraphQuery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(fx.start()); }
    void cleanup() { fx.stop(); }

    void queryIdentifier_data();
    void queryIdentifier();
    void queryText();
    void builtQuery_data();
    void builtQuery();
    void refusedQuery_data();
    void refusedQuery();
    void queryReply();

    void requestText_data();
    void requestText();
    void escapedRequestTextIsValidJson();
    void batchRequest();
    void batchReplies();
    void batchRefusedAndFailures();

private:
    Fixture fx;
};

void tst_CvGraphQuery::queryIdentifier_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("plain");

    QTest::newRow("letters digits and marks") << text("aZ09_-.:") << true;
    QTest::newRow("long numeric id") << text("100000123456789012") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("space") << text("1 OR 1=1") << false;
    QTest::newRow("single quote") << text("x'") << false;
    QTest::newRow("double quote") << text("x\"") << false;
    QTest::newRow("semicolon") << text("a;b") << false;
    QTest::newRow("parenthesis") << text("me()") << false;
    QTest::newRow("percent") << text("%22") << false;
    QTest::newRow("comma") << text("a,b") << false;
    QTest::newRow("newline") << text("a\n") << false;
    QTest::newRow("non-ASCII letter") << text("é") << false;
}

void tst_CvGraphQuery::queryIdentifier()
{
    QFETCH(QString, text);
    QFETCH(bool, plain);
    QCOMPARE(CvGraph::isQueryIdentifier(text), plain);
}

void tst_CvGraphQuery::queryText()
{
    const QString query = text("SELECT uid FROM user WHERE uid=me()");
    fx.service->enqueue(TestService::Reply::json("[]"));
    fx.service->enqueue(TestService::Reply::json("[]"));
    QVERIFY(fx.graph->executeQuery(query, text("q")));
    fx.graph->setLocale(text("de_DE"));
    QVERIFY(fx.graph->executeQuery(query, text("q")));
    QVERIFY(fx.service->waitForRequests(2));

    const TestService::Request first = fx.service->requests().at(0);
    QCOMPARE(first.method, QByteArray("GET"));
    QCOMPARE(first.path, text("/method/cvql.query"));
    QCOMPARE(first.rawQuery,
             QByteArray("access_token=tok&format=json&query=SELECT%20uid%20FROM%20"
                        "user%20WHERE%20uid%3Dme%28%29"));
    QCOMPARE(fx.service->requests().at(1).queryKeys(),
             (QStringList {text("access_token"), text("format"), text("locale"), text("query")}));
    QCOMPARE(fx.service->requests().at(1).queryValue(text("locale")), text("de_DE"));
}

void tst_CvGraphQuery::builtQuery_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QString>("table");
    QTest::addColumn<Conditions>("conditions");
    QTest::addColumn<QString>("where");

    QTest::newRow("me()") << Fields {text("uid"), text("name")} << text("user")
                          << Conditions {{text("uid"), text("me()")}} << text("uid=me()");
    Conditions twoInReverse;
    twoInReverse.insert(text("b"), text("2"));
    twoInReverse.insert(text("a"), text("1"));
    QTest::newRow("conditions in key order")
        << Fields {text("x")} << text("t") << twoInReverse << text("a=1 AND b=2");
    QTest::newRow("quoted values")
        << Fields {text("unread_count")} << text("unified_thread_count")
        << Conditions {{text("folder"), text("'inbox'")}, {text("id"), text("\"1_2\"")}}
        << text("folder='inbox' AND id=\"1_2\"");
}

void tst_CvGraphQuery::builtQuery()
{
    QFETCH(Fields, fields);
    QFETCH(QString, table);
    QFETCH(Conditions, conditions);
    QFETCH(QString, where);

    SignalLog log(fx.graph.get());
    fx.service->enqueue(TestService::Reply::json("[{\"uid\":1}]"));
    QVERIFY(fx.graph->executeQuery(fields, table, conditions, text("built")));
    QVERIFY(fx.service->waitForRequests(1));
    const QString query = text("SELECT %1 FROM %2 WHERE %3").arg(joined(fields), table, where);
    QCOMPARE(fx.service->lastRequest().path, text("/method/cvql.query"));
    QCOMPARE(fx.service->lastRequest().queryValue(text("query")), query);
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().second,
             (QVariantList {text("built"), QVariantList {QVariantMap {{text("uid"), 1LL}}}}));
}

void tst_CvGraphQuery::refusedQuery_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QString>("table");
    QTest::addColumn<Conditions>("conditions");
    QTest::addColumn<bool>("warns"); // missing parts are refused silently, unsafe texts loudly

    const Fields uid {text("uid")};
    const Conditions me {{text("uid"), text("me()")}};
    auto value = [](const char *v) { return Conditions {{text("uid"), text(v)}}; };

    QTest::newRow("no fields") << Fields() << text("user") << me << false;
    QTest::newRow("no table") << uid << QString() << me << true;
    QTest::newRow("no condition") << uid << text("user") << Conditions() << false;
    QTest::newRow("all empty") << Fields() << QString() << Conditions() << false;
    QTest::newRow("field with a space")
        << Fields {text("uid FROM x")} << text("user") << me << true;
    QTest::newRow("table with a semicolon") << uid << text("user;") << me << true;
    QTest::newRow("key with a space")
        << uid << text("user") << Conditions {{text("1=1 OR uid"), text("1")}} << true;
    QTest::newRow("id holding a quote") << uid << text("user") << value("1' OR uid='2") << true;
    QTest::newRow("id holding a space") << uid << text("user") << value("1 OR 1=1") << true;
    QTest::newRow("unbalanced quote") << uid << text("user") << value("'abc") << true;
    QTest::newRow("mixed quotes") << uid << text("user") << value("'abc\"") << true;
    QTest::newRow("empty quotes") << uid << text("user") << value("''") << true;
    QTest::newRow("call with an argument") << uid << text("user") << value("f(1)") << true;
    QTest::newRow("call then more") << uid << text("user") << value("me() OR 1") << true;
    QTest::newRow("bare parentheses") << uid << text("user") << value("()") << true;
    QTest::newRow("encoded quote") << uid << text("user") << value("%22x%22") << true;
    QTest::newRow("empty value") << uid << text("user") << value("") << true;
}

void tst_CvGraphQuery::refusedQuery()
{
    QFETCH(Fields, fields);
    QFETCH(QString, table);
    QFETCH(Conditions, conditions);
    QFETCH(bool, warns);

    if (warns)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(text("not a plain identifier\" $")));
    QVERIFY(!fx.graph->executeQuery(fields, table, conditions, text("n")));
    QVERIFY(!fx.graph->executeQuery(QString(), text("n")));
    QVERIFY(fx.probe());
    QVERIFY(fx.service->waitForRequests(1));
    QCOMPARE(fx.service->requests().constFirst().path, text("/probe"));
}

void tst_CvGraphQuery::queryReply()
{
    SignalLog log(fx.graph.get());
    const QString query = text("SELECT a FROM b WHERE c=1");
    fx.service->enqueue(TestService::Reply::json("{\"a\":1}"));
    QVERIFY(fx.graph->executeQuery(query, query));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, text("queryExecuted(QString,QVariantList)"));
    QCOMPARE(log.only().second, (QVariantList {query, QVariantList()}));

    QSignalSpy errors(fx.graph.get(), &CvGraph::error);
    fx.service->enqueue(TestService::Reply::json("{\"error_code\":200,\"error_msg\":\"x\"}"));
    QVERIFY(fx.graph->executeQuery(query, query));
    QVERIFY(errors.wait());
    const CvError err = errors.constFirst().constFirst().value<CvError>();
    QCOMPARE(err.objectId(), query);
    QCOMPARE(err.errorType(), CvError::PermissionDenied);
}

void tst_CvGraphQuery::requestText_data()
{
    QTest::addColumn<CvGraphRequest>("request");
    QTest::addColumn<QString>("expected");

    QTest::newRow("method and relative url only")
        << CvGraphRequest(text("GET"), text("me"))
        << text("{\"method\": \"GET\", \"relative_url\": \"me\"}");

    CvGraphRequest named(text("GET"), text("me/friends"));
    named.setName(text("f"));
    CvDataFilter limit;
    limit.limit = 5;
    named.setFilter(limit);
    QTest::newRow("named, limit")
        << named
        << text("{\"method\": \"GET\", \"omit_response_on_success\": false, \"name\": \"f\", "
                "\"relative_url\": \"me/friends?limit=5\"}");

    CvGraphRequest dependent(text("POST"), text("me/feed"));
    dependent.setDependsOn(text("f"));
    dependent.setBody(text("message=hi"));
    QTest::newRow("depends on, body")
        << dependent
        << text("{\"method\": \"POST\", \"depends_on\": \"f\", \"relative_url\": \"me/feed\", "
                "\"body\": \"message=hi\"}");

    CvGraphRequest filtered(text("GET"), text("me/feed"));
    CvDataFilter full(text("me"), 10, 0, QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6), Qt::UTC),
                      QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC), {text("id")},
                      text("fr_FR"));
    full.params.insert(text("b"), text("2"));
    full.params.insert(text("a"), text("1"));
    filtered.setFilter(full);
    QTest::newRow("every filter member in order")
        << filtered
        << text("{\"method\": \"GET\", \"relative_url\": \"me/feed?locale=fr_FR&offset=0&"
                "limit=10&since=2024-01-02T03:04:05Z&until=2024-02-03T04:05:06Z&fields=id&a=1&"
                "b=2\"}");

    CvGraphRequest idOnly(text("GET"), text("me"));
    idOnly.setFilter(CvDataFilter(text("me")));
    QTest::newRow("filter with only an id adds nothing")
        << idOnly << text("{\"method\": \"GET\", \"relative_url\": \"me\"}");

    CvGraphRequest query(text("POST"), text("method/cvql.query?query=SELECT a FROM b WHERE c=1"));
    CvDataFilter locale;
    locale.locale = text("en_GB");
    query.setFilter(locale);
    QTest::newRow("relative url with a query continues it")
        << query
        << text("{\"method\": \"POST\", \"relative_url\": \"method/cvql.query?query=SELECT a "
                "FROM b WHERE c=1&locale=en_GB\"}");
}

void tst_CvGraphQuery::requestText()
{
    QFETCH(CvGraphRequest, request);
    QFETCH(QString, expected);
    QCOMPARE(request.toString(), expected);
    QJsonParseError error;
    QJsonDocument::fromJson(expected.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
}

void tst_CvGraphQuery::escapedRequestTextIsValidJson()
{
    CvGraphRequest request(text("GE\"T"), text("me/feed?q=a\\\"b"));
    request.setName(text("n\tx\x01"));
    request.setDependsOn(text("\"},{\"method\": \"DELETE"));
    request.setBody(text("line1\nline2\r\\é\b\f"));

    const QString json = request.toString();
    QVERIFY(json.contains(text("\"name\": \"n\\tx\\u0001\"")));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject object = doc.object();
    QCOMPARE(object.keys().size(), 6);
    QCOMPARE(object.value(text("method")).toString(), request.method());
    QCOMPARE(object.value(text("name")).toString(), request.name());
    QCOMPARE(object.value(text("depends_on")).toString(), request.dependsOn());
    QCOMPARE(object.value(text("relative_url")).toString(), request.relativeUrl());
    QCOMPARE(object.value(text("body")).toString(), request.body());
}

void tst_CvGraphQuery::batchRequest()
{
    CvGraphRequest first(text("GET"), text("me"));
    CvGraphRequest second(text("POST"), text("method/cvql.query?query=SELECT uid2 FROM friend"));
    second.setName(text("q\"uote"));
    fx.service->enqueue(TestService::Reply::json("[]"));
    fx.graph->setLocale(text("fr_FR")); // a batch carries no locale of its own
    QVERIFY(fx.graph->executeBatch({first, second}, text("profile_details: id=1")));
    QVERIFY(fx.service->waitForRequests(1));

    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, text("/"));
    QCOMPARE(request.body, QByteArray());
    QCOMPARE(request.queryKeys(), (QStringList {text("access_token"), text("batch")}));
    const QString batch = text("[") + first.toString() + text(",") + second.toString() + text("]");
    QCOMPARE(request.queryValue(text("batch")), batch);
    QCOMPARE(request.rawQuery, "access_token=tok&batch=" + QUrl::toPercentEncoding(batch));
    const QJsonArray array = QJsonDocument::fromJson(batch.toUtf8()).array();
    QCOMPARE(array.size(), 2);
    QCOMPARE(array.at(1).toObject().value(text("name")).toString(), text("q\"uote"));
}

void tst_CvGraphQuery::batchReplies()
{
    QSignalSpy batches(fx.graph.get(), &CvGraph::batchExecuted);
    SignalLog log(fx.graph.get());
    const QByteArray answer
        = "[{\"code\":200,\"headers\":[{\"name\":\"Content-Type\",\"value\":\"text/javascript\"}],"
          "\"body\":\"{\\\"data\\\":[{\\\"uid2\\\":\\\"7\\\"}]}\"},"
          "{\"code\":400,\"headers\":[],\"body\":\"{\\\"error\\\":{\\\"message\\\":\\\"bad\\\"}}\"}"
          ","
          "{\"code\":200,\"body\":\"true\"},"
          "{\"code\":200,\"body\":\"[1,2]\"}]";
    fx.service->enqueue(TestService::Reply::json(answer));
    QVERIFY(fx.graph->executeBatch({CvGraphRequest(text("GET"), text("a"))}, text("b")));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.constFirst().at(0).toString(), text("b"));

    const auto replies = batches.constFirst().at(1).value<QList<CvGraphReply>>();
    QCOMPARE(replies.size(), 4);
    QCOMPARE(replies.at(0).code(), 200);
    QCOMPARE(replies.at(0).headers().toList().size(), 1);
    QCOMPARE(replies.at(0).body(),
             QVariant(QVariantList {QVariantMap {{text("uid2"), text("7")}}}));
    QCOMPARE(replies.at(1).code(), 400);
    const QVariantMap errorBody {{text("error"), QVariantMap {{text("message"), text("bad")}}}};
    QCOMPARE(replies.at(1).body(), QVariant(QVariantList {errorBody}));
    QCOMPARE(replies.at(2).body(), QVariant(QVariantList {true}));
    QCOMPARE(replies.at(3).body(), QVariant(QVariantList {1LL, 2LL}));
    QCOMPARE(fx.graph->operationsInFlight(), 0);
}

void tst_CvGraphQuery::batchRefusedAndFailures()
{
    QVERIFY(!fx.graph->executeBatch({}, text("b")));

    SignalLog log(fx.graph.get());
    // Not JSON: a warning, no signal.
    fx.service->enqueue(TestService::Reply::json("[{\"code\":200,"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(text("^\"Not valid JSON data")));
    QVERIFY(fx.graph->executeBatch({CvGraphRequest(text("GET"), text("a"))}, text("b")));
    QTRY_COMPARE(fx.graph->operationsInFlight(), 0);
    QCOMPARE(fx.service->requestCount(), 1); // the empty batch sent nothing
    QCOMPARE(log.total(), 0);

    // A service error for the whole batch: error with an empty object id.
    fx.service->enqueue(TestService::Reply::json(
        "{\"error\":{\"type\":\"OAuthException\",\"message\":\"Invalid OAuth access token\"}}",
        400));
    QVERIFY(fx.graph->executeBatch({CvGraphRequest(text("GET"), text("a"))}, text("b")));
    QTRY_COMPARE(log.total(), 1);
    QCOMPARE(log.only().first, text("error(Cv::CvError)"));
    const CvError err = log.only().second.constFirst().value<CvError>();
    QCOMPARE(err.objectId(), QString());
    QCOMPARE(err.errorType(), CvError::InvalidAccessToken);
}

QTEST_GUILESS_MAIN(tst_CvGraphQuery)

#include "tst_cvgraph_query.moc"
