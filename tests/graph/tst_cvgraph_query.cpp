#include "cvgraph.h"
#include "cvgraphreply.h"
#include "cvgraphrequest.h"

#include "graphtestutil.h"

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

private slots:
    void init();
    void cleanup();
    void builtQuery_data();
    void builtQuery();
    void requestText_data();
    void requestText();
    void escapedRequestTextIsValidJson();
    void batchRequest();
    void batchReplies();

private:
    Fixture fx;
};

void tst_CvGraphQuery::init()
{
    QVERIFY(fx.start());
}

void tst_CvGraphQuery::cleanup()
{
    fx.stop();
}

void tst_CvGraphQuery::builtQuery_data()
{
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<QString>("table");
    QTest::addColumn<Conditions>("conditions");
    QTest::addColumn<QString>("where"); // empty: refused, silently when parts are missing
    QTest::addColumn<bool>("warns"); // and loudly for unsafe texts

    const Fields uid {u"uid"_s};
    const Conditions me {{u"uid"_s, u"me()"_s}};
    auto value = [](const char *v) { return Conditions {{u"uid"_s, QString::fromUtf8(v)}}; };
    auto unsafe = [&](const char *name, const Fields &fields, const QString &table,
                      const Conditions &conditions) {
        QTest::newRow(name) << fields << table << conditions << QString() << true;
    };

    QTest::newRow("me()") << Fields {u"uid"_s, u"name"_s} << u"user"_s << me << u"uid=me()"_s
                          << false;
    Conditions twoInReverse;
    twoInReverse.insert(u"b"_s, u"2"_s);
    twoInReverse.insert(u"a"_s, u"1"_s);
    QTest::newRow("conditions in key order")
        << Fields {u"x"_s} << u"t"_s << twoInReverse << u"a=1 AND b=2"_s << false;
    QTest::newRow("identifier marks and long id")
        << uid << u"user"_s
        << Conditions {{u"a.b"_s, u"aZ09_-.:"_s}, {u"uid"_s, u"100000123456789012"_s}}
        << u"a.b=aZ09_-.: AND uid=100000123456789012"_s << false;
    QTest::newRow("quoted values")
        << Fields {u"unread_count"_s} << u"unified_thread_count"_s
        << Conditions {{u"folder"_s, u"'inbox'"_s}, {u"id"_s, u"\"1_2\""_s}}
        << u"folder='inbox' AND id=\"1_2\""_s << false;
    QTest::newRow("no fields") << Fields() << u"user"_s << me << QString() << false;
    QTest::newRow("no condition") << uid << u"user"_s << Conditions() << QString() << false;
    unsafe("no table", uid, QString(), me);
    unsafe("field with a space", Fields {u"uid FROM x"_s}, u"user"_s, me);
    unsafe("table with a semicolon", uid, u"user;"_s, me);
    unsafe("key with a space", uid, u"user"_s, Conditions {{u"1=1 OR uid"_s, u"1"_s}});
    unsafe("id holding a quote", uid, u"user"_s, value("1' OR uid='2"));
    unsafe("unbalanced quote", uid, u"user"_s, value("'abc"));
    unsafe("mixed quotes", uid, u"user"_s, value("'abc\""));
    unsafe("empty quotes", uid, u"user"_s, value("''"));
    unsafe("call with an argument", uid, u"user"_s, value("f(1)"));
    unsafe("call then more", uid, u"user"_s, value("me() OR 1"));
    unsafe("bare parentheses", uid, u"user"_s, value("()"));
    unsafe("encoded quote", uid, u"user"_s, value("%22x%22"));
    unsafe("empty value", uid, u"user"_s, value(""));
    unsafe("comma", uid, u"user"_s, value("a,b"));
    unsafe("newline", uid, u"user"_s, value("a\n"));
    unsafe("non-ASCII letter", uid, u"user"_s, value("\u00e9"));
}

void tst_CvGraphQuery::builtQuery()
{
    QFETCH(Fields, fields);
    QFETCH(QString, table);
    QFETCH(Conditions, conditions);
    QFETCH(QString, where);
    QFETCH(bool, warns);

    if (warns)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"not a plain identifier\" $"_s));
    QCOMPARE(fx.graph->executeQuery(fields, table, conditions, u"n"_s), !where.isEmpty());
    if (where.isEmpty())
        return fx.expectNothingSent();
    QVERIFY(fx.service->waitForRequests(1, 15000));
    QCOMPARE(fx.service->lastRequest().path, u"/method/cvql.query"_s);
    QCOMPARE(fx.service->lastRequest().queryValue(u"query"_s),
             u"SELECT %1 FROM %2 WHERE %3"_s.arg(joined(fields), table, where));
}

void tst_CvGraphQuery::requestText_data()
{
    QTest::addColumn<CvGraphRequest>("request");
    QTest::addColumn<QString>("expected");

    QTest::newRow("method and relative url only")
        << CvGraphRequest(u"GET"_s, u"me"_s)
        << u"{\"method\": \"GET\", \"relative_url\": \"me\"}"_s;

    CvGraphRequest named(u"GET"_s, u"me/friends"_s);
    named.setName(u"f"_s);
    CvDataFilter limit;
    limit.limit = 5;
    named.setFilter(limit);
    QTest::newRow("named, limit")
        << named
        << QString::fromUtf8(
               "{\"method\": \"GET\", \"omit_response_on_success\": false, \"name\": \"f\", "
               "\"relative_url\": \"me/friends?limit=5\"}");

    CvGraphRequest dependent(u"POST"_s, u"me/feed"_s);
    dependent.setDependsOn(u"f"_s);
    dependent.setBody(u"message=hi"_s);
    QTest::newRow("depends on, body")
        << dependent
        << QString::fromUtf8(
               "{\"method\": \"POST\", \"depends_on\": \"f\", \"relative_url\": \"me/feed\", "
               "\"body\": \"message=hi\"}");

    CvGraphRequest filtered(u"GET"_s, u"me/feed"_s);
    CvDataFilter full(u"me"_s, 10, 0, QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6), Qt::UTC),
                      QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::UTC), {u"id"_s}, u"fr_FR"_s);
    full.params.insert(u"b"_s, u"2"_s);
    full.params.insert(u"a"_s, u"1"_s);
    filtered.setFilter(full);
    QTest::newRow("every filter member in order")
        << filtered
        << QString::fromUtf8(
               "{\"method\": \"GET\", \"relative_url\": \"me/feed?locale=fr_FR&offset=0&"
               "limit=10&since=2024-01-02T03:04:05Z&until=2024-02-03T04:05:06Z&fields=id&a=1&"
               "b=2\"}");

    CvGraphRequest idOnly(u"GET"_s, u"me"_s);
    idOnly.setFilter(CvDataFilter(u"me"_s));
    QTest::newRow("filter with only an id adds nothing")
        << idOnly << u"{\"method\": \"GET\", \"relative_url\": \"me\"}"_s;

    CvGraphRequest query(u"POST"_s, u"method/cvql.query?query=SELECT a FROM b WHERE c=1"_s);
    CvDataFilter locale;
    locale.locale = u"en_GB"_s;
    query.setFilter(locale);
    QTest::newRow("relative url with a query continues it")
        << query
        << QString::fromUtf8(
               "{\"method\": \"POST\", \"relative_url\": \"method/cvql.query?query=SELECT a "
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
    CvGraphRequest request(u"GE\"T"_s, u"me/feed?q=a\\\"b"_s);
    request.setName(u"n\tx\x01"_s);
    request.setDependsOn(u"\"},{\"method\": \"DELETE"_s);
    request.setBody(u"line1\nline2\r\\é\b\f"_s);

    const QString json = request.toString();
    QVERIFY(json.contains(u"\"name\": \"n\\tx\\u0001\""_s));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject object = doc.object();
    QCOMPARE(object.keys().size(), 6);
    QCOMPARE(object.value(u"method"_s).toString(), request.method());
    QCOMPARE(object.value(u"name"_s).toString(), request.name());
    QCOMPARE(object.value(u"depends_on"_s).toString(), request.dependsOn());
    QCOMPARE(object.value(u"relative_url"_s).toString(), request.relativeUrl());
    QCOMPARE(object.value(u"body"_s).toString(), request.body());
}

void tst_CvGraphQuery::batchRequest()
{
    CvGraphRequest first(u"GET"_s, u"me"_s);
    CvGraphRequest second(u"POST"_s, u"method/cvql.query?query=SELECT uid2 FROM friend"_s);
    second.setName(u"q\"uote"_s);
    fx.service->enqueue(TestService::Reply::json("[]"));
    fx.graph->setLocale(u"fr_FR"_s); // a batch carries no locale of its own
    QVERIFY(fx.graph->executeBatch({first, second}, u"profile_details: id=1"_s));
    QVERIFY(fx.service->waitForRequests(1, 15000));

    const TestService::Request request = fx.service->lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, u"/"_s);
    QCOMPARE(request.body, QByteArray());
    const QString batch = u"["_s + first.toString() + u","_s + second.toString() + u"]"_s;
    QCOMPARE(request.rawQuery, "access_token=tok&batch=" + QUrl::toPercentEncoding(batch));
}

void tst_CvGraphQuery::batchReplies()
{
    QSignalSpy batches(fx.graph.get(), &CvGraph::batchExecuted);
    SignalLog log(fx.graph.get());
    const QByteArray answer
        = "[{\"code\":200,\"headers\":[{\"name\":\"Content-Type\",\"value\":\"text/javascript\"}],"
          "\"body\":\"{\\\"data\\\":[{\\\"uid2\\\":\\\"7\\\"}]}\"},"
          "{\"code\":400,\"headers\":[],\"body\":\"{\\\"error\\\":{\\\"message\\\":\\\"bad\\\"}}\"}"
          "]";
    fx.service->enqueue(TestService::Reply::json(answer));
    QVERIFY(fx.graph->executeBatch({CvGraphRequest(u"GET"_s, u"a"_s)}, u"b"_s));
    QTRY_COMPARE_WITH_TIMEOUT(log.total(), 1, 15000);
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.constFirst().at(0).toString(), u"b"_s);

    const auto replies = batches.constFirst().at(1).value<QList<CvGraphReply>>();
    QCOMPARE(replies.size(), 2);
    QCOMPARE(replies.at(0).code(), 200);
    QCOMPARE(replies.at(0).body(), QVariant(QVariantList {QVariantMap {{u"uid2"_s, u"7"_s}}}));
    QCOMPARE(replies.at(1).code(), 400);
    const QVariantMap errorBody {{u"error"_s, QVariantMap {{u"message"_s, u"bad"_s}}}};
    QCOMPARE(replies.at(1).body(), QVariant(QVariantList {errorBody}));
    QCOMPARE(fx.graph->operationsInFlight(), 0);
}

QTEST_GUILESS_MAIN(tst_CvGraphQuery)

#include "tst_cvgraph_query.moc"
