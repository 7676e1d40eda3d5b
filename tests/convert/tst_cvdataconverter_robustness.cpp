#include "cvdataconverter.h"

#include "tst_cvdataconverter_fixture.h"

using namespace Cv;

namespace {

// Every member the conversions read, other than the ids and authors that keep objects valid.
const char *const memberKeys[] = {"to",
                                  "with_tags",
                                  "message_tags",
                                  "actions",
                                  "likes",
                                  "comments",
                                  "application",
                                  "place",
                                  "location",
                                  "hometown",
                                  "significant_other",
                                  "venue",
                                  "owner",
                                  "tags",
                                  "images",
                                  "media",
                                  "attachment",
                                  "attachments",
                                  "participants",
                                  "object_participants",
                                  "senders",
                                  "snippet_sender",
                                  "sender",
                                  "object_sender",
                                  "friend_requests",
                                  "group_invites",
                                  "event_invites",
                                  "messages",
                                  "pokes",
                                  "shares",
                                  "photo",
                                  "video",
                                  "data",
                                  "link",
                                  "href"};

QVariantMap withEveryMember(const QVariant &bad)
{
    QVariantMap map {
        {QStringLiteral("id"), QStringLiteral("1_2")},
        {QStringLiteral("message_id"), QStringLiteral("9_3")},
        {QStringLiteral("thread_id"), QStringLiteral("9")},
        {QStringLiteral("notification_id"), QStringLiteral("5")},
        {QStringLiteral("sender_id"), QStringLiteral("7")},
        {QStringLiteral("from"), QVariantMap {{QStringLiteral("id"), QStringLiteral("1")}}}};
    for (const char *key : memberKeys)
        map.insert(QLatin1String(key), bad);
    return map;
}

} // namespace

class TestCvDataConverterRobustness : public QObject
{
    Q_OBJECT

private slots:
    // A member of the wrong kind reads as empty; in particular a string never becomes a list
    // of its characters.
    void wrongKindOfMember_data()
    {
        QTest::addColumn<QVariant>("bad");
        QTest::newRow("string") << QVariant(QStringLiteral("abc"));
        QTest::newRow("number") << QVariant(17LL);
        QTest::newRow("bool") << QVariant(true);
        QTest::newRow("null") << QVariant::fromValue(nullptr);
        QTest::newRow("object with string data")
            << QVariant(QVariantMap {{QStringLiteral("data"), QStringLiteral("abc")}});
    }

    void wrongKindOfMember()
    {
        QFETCH(QVariant, bad);
        const QVariantMap data = withEveryMember(bad);

        const CvPost post = CvDataConverter::toPost(data);
        QVERIFY(post.isValid());
        QVERIFY(post.to().isEmpty());
        QVERIFY(post.withTags().isEmpty());
        QVERIFY(post.actions().isEmpty());
        QCOMPARE(post.likes(), 0);
        QCOMPARE(post.commentCount(), 0);
        QCOMPARE(post.application(), qMakePair(QString(), QString()));
        QVERIFY(!post.place().isValid());
        QCOMPARE(post.albumId(), QString());

        const CvPost status = CvDataConverter::toStatusMessage(data);
        QCOMPARE(status.likes(), 0);
        QCOMPARE(status.commentCount(), 0);

        const CvUser user = CvDataConverter::toUser(data);
        QCOMPARE(user.hometown(), QString());
        QCOMPARE(user.location(), QString());
        QCOMPARE(user.significantOther(), CvUserRef());

        const CvEvent event = CvDataConverter::toEvent(data);
        QCOMPARE(event.owner(), CvUserRef());
        QCOMPARE(event.venue().latitude, 0.0f);

        const CvThread thread = CvDataConverter::toThread(data);
        QVERIFY(thread.isValid());
        QVERIFY(thread.to().isEmpty());
        QVERIFY(thread.senders().isEmpty());
        const CvMessage message = CvDataConverter::toThreadMessage(data);
        QCOMPARE(message.from(), CvUserRef());
        QVERIFY(!message.hasAttachment());
        QVERIFY(!CvDataConverter::toAttachment(data).isValid());

        const CvNotifications counters = CvDataConverter::toNotifications(data);
        QVERIFY(counters.friendRequests().isEmpty());
        QVERIFY(counters.eventInvites().isEmpty());
        QCOMPARE(counters.numberOfUnreadMessages(), 0);

        const CvPhoto photo = CvDataConverter::toPhoto(data);
        QVERIFY(photo.tags().isEmpty());
        QVERIFY(photo.images().isEmpty());
        QVERIFY(CvDataConverter::toCheckin(data) == CvCheckin());
        QVERIFY(CvDataConverter::toPage(data).location() == CvLocation());

        // Lists given where an element or a wrapper should be are empty as well.
        QVERIFY(CvDataConverter::toPosts(QVariantList {bad}).isEmpty());
        QVERIFY(CvDataConverter::toUsers(QVariantList {bad, bad}).isEmpty());
    }

    // Input with nothing usable: every conversion gives its invalid or default object.
    void nothingUsable_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("empty object") << QByteArray("{}");
        QTest::newRow("reply without data") << QByteArray(R"({"paging": {"next": "x"}})");
        QTest::newRow("null members")
            << QByteArray(R"({"id": null, "from": null, "uid": null, "thread_id": null,
                              "message_id": null, "notification_id": null, "sender_id": null})");
        QTest::newRow("lists where objects belong")
            << QByteArray(R"({"id": ["1"], "from": [{"id": "1"}], "place": [], "media": [],
                              "snippet_sender": [{"user_id": "1"}], "sender": ["1"]})");
        QTest::newRow("empty texts")
            << QByteArray(R"({"id": "", "from": {"id": ""}, "uid": "", "thread_id": "",
                              "message_id": "", "object_id": "", "notification_id": ""})");
    }

    void nothingUsable()
    {
        QFETCH(QByteArray, json);
        const QVariant decoded = QJsonDocument::fromJson(json).toVariant();
        QVERIFY(decoded.isValid());
        const QVariantMap data = decoded.toMap();

        QVERIFY(!CvDataConverter::toUser(data).isValid());
        QVERIFY(!CvDataConverter::toPage(data).isValid());
        QCOMPARE(CvDataConverter::toGroup(data), CvGroup());
        QCOMPARE(CvDataConverter::toEvent(data), CvEvent());
        QVERIFY(!CvDataConverter::toPlace(data).isValid());
        QVERIFY(!CvDataConverter::toLocation(data).isValid());
        QCOMPARE(CvDataConverter::toCheckin(data), CvCheckin());
        QCOMPARE(CvDataConverter::toObject(data), CvObject());
        QVERIFY(!CvDataConverter::toPost(data).isValid());
        QVERIFY(!CvDataConverter::toStatusMessage(data).isValid());
        QVERIFY(!CvDataConverter::toMessage(data).isValid());
        QVERIFY(!CvDataConverter::toThreadMessage(data).isValid());
        QCOMPARE(CvDataConverter::toThread(data), CvThread());
        QCOMPARE(CvDataConverter::toAttachment(data), CvAttachment());
        QVERIFY(!CvDataConverter::toNotification(data).isValid());
        QVERIFY(!CvDataConverter::toAlbum(data).isValid());
        QVERIFY(!CvDataConverter::toPhoto(data).isValid());
        QVERIFY(!CvDataConverter::toPhotoRESTAPI(data).isValid());
        QVERIFY(!CvDataConverter::toVideo(data).isValid());
        QVERIFY(!CvDataConverter::toTag(data).isValid());
        QVERIFY(!CvDataConverter::toImage(data).isValid());
        QVERIFY(CvDataConverter::toObjects(data).isEmpty());

        // The "data" member of a reply, whatever it holds, yields no items.
        const QVariantList items = data.value(QStringLiteral("data")).toList();
        QVERIFY(CvDataConverter::toPosts(items).isEmpty());
        QVERIFY(CvDataConverter::toThreads(items).isEmpty());
        QVERIFY(CvDataConverter::toNotificationList(QVariantList {data}).isEmpty());
        QVERIFY(CvDataConverter::toAttachments(QVariantList {data, data}).isEmpty());
        QVERIFY(CvDataConverter::toPhotos(QVariantList {data}).isEmpty());
        QVERIFY(CvDataConverter::toImages(QVariantList {data}).isEmpty());
        QCOMPARE(CvDataConverter::toActions(QVariantList {data}).size(), 1);
    }

    // Ids arrive as texts or numbers; a number keeps all its digits.
    void idTexts_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("id");
        QTest::newRow("text") << QByteArray(R"("abc_123")") << QStringLiteral("abc_123");
        QTest::newRow("18 digits")
            << QByteArray("100000123456789012") << QStringLiteral("100000123456789012");
        QTest::newRow("int64 max")
            << QByteArray("9223372036854775807") << QStringLiteral("9223372036854775807");
        QTest::newRow("negative") << QByteArray("-42") << QStringLiteral("-42");
        QTest::newRow("exponent form")
            << QByteArray("1e17") << QStringLiteral("100000000000000000");
        QTest::newRow("whole fraction") << QByteArray("12.0") << QStringLiteral("12");
        QTest::newRow("big id with fraction")
            << QByteArray("100000000000000000.0") << QStringLiteral("100000000000000000");
        QTest::newRow("fraction") << QByteArray("12.5") << QStringLiteral("12.5");
        QTest::newRow("object") << QByteArray(R"({"id": "1"})") << QString();
        QTest::newRow("list") << QByteArray(R"(["1"])") << QString();
        QTest::newRow("null") << QByteArray("null") << QString();
    }

    void idTexts()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, id);
        const QVariantMap data = decodeMap("{\"id\": " + json + ", \"name\": \"n\"}");
        QCOMPARE(CvDataConverter::toUserRef(data).id, id);
        QCOMPARE(CvDataConverter::toUser(data).id(), id);
        QCOMPARE(CvDataConverter::toPage(data).id(), id);
        QCOMPARE(CvDataConverter::toUser(decodeMap("{\"uid\": " + json + '}')).id(), id);
    }

    // The three time encodings, read through the conversions that use them.
    void times_data()
    {
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QDateTime>("expected");

        const QString graph = QStringLiteral("graph");
        const QString seconds = QStringLiteral("seconds");
        const QString msecs = QStringLiteral("msecs");
        QTest::newRow("graph +0000")
            << graph << QByteArray(R"("2012-03-04T10:20:30+0000")") << utc(2012, 3, 4, 10, 20, 30);
        QTest::newRow("graph offset kept as clock reading")
            << graph << QByteArray(R"("2012-03-04T10:20:30+02:00")") << utc(2012, 3, 4, 10, 20, 30);
        QTest::newRow("graph without zone")
            << graph << QByteArray(R"("2012-03-04T10:20:30")") << utc(2012, 3, 4, 10, 20, 30);
        QTest::newRow("graph milliseconds") << graph << QByteArray(R"("2012-03-04T10:20:30.250Z")")
                                            << utc(2012, 3, 4, 10, 20, 30, 250);
        QTest::newRow("graph garbage") << graph << QByteArray(R"("yesterday")") << QDateTime();
        QTest::newRow("graph month 13")
            << graph << QByteArray(R"("2012-13-04T10:20:30")") << QDateTime();
        QTest::newRow("graph number") << graph << QByteArray("1330856430") << QDateTime();
        QTest::newRow("graph object") << graph << QByteArray(R"({"t": 1})") << QDateTime();
        QTest::newRow("seconds number")
            << seconds << QByteArray("1330856430") << utc(2012, 3, 4, 10, 20, 30);
        QTest::newRow("seconds text")
            << seconds << QByteArray(R"("1330856430")") << utc(2012, 3, 4, 10, 20, 30);
        QTest::newRow("seconds zero is the epoch")
            << seconds << QByteArray("0") << utc(1970, 1, 1, 0, 0, 0);
        QTest::newRow("seconds garbage is the epoch")
            << seconds << QByteArray(R"("soon")") << utc(1970, 1, 1, 0, 0, 0);
        QTest::newRow("seconds after 2038")
            << seconds << QByteArray("4102444800") << utc(2100, 1, 1, 0, 0, 0);
        QTest::newRow("msecs number")
            << msecs << QByteArray("1330856430250") << utc(2012, 3, 4, 10, 20, 30, 250);
        QTest::newRow("msecs text")
            << msecs << QByteArray(R"("1330856430250")") << utc(2012, 3, 4, 10, 20, 30, 250);
        QTest::newRow("msecs null is the epoch")
            << msecs << QByteArray("null") << utc(1970, 1, 1, 0, 0, 0);
    }

    void times()
    {
        QFETCH(QString, encoding);
        QFETCH(QByteArray, json);
        QFETCH(QDateTime, expected);

        QDateTime actual;
        if (encoding == QLatin1String("graph")) {
            actual
                = CvDataConverter::toPost(decodeMap("{\"created_time\": " + json + '}')).created();
        } else if (encoding == QLatin1String("seconds")) {
            actual = CvDataConverter::toNotification(
                         decodeMap("{\"notification_id\": \"1\", \"sender_id\": \"2\", "
                                   "\"created_time\": "
                                   + json + '}'))
                         .createdTime();
        } else {
            actual = CvDataConverter::toThread(
                         decodeMap("{\"thread_id\": \"1\", \"timestamp\": " + json + '}'))
                         .updatedTime();
        }
        QCOMPARE(actual.isValid(), expected.isValid());
        if (expected.isValid()) {
            QCOMPARE(actual, expected);
            QCOMPARE(actual.timeSpec(), Qt::UTC);
        }
    }
};

QTEST_GUILESS_MAIN(TestCvDataConverterRobustness)
#include "tst_cvdataconverter_robustness.moc"
