#include "cvdataconverter.h"

#include "tst_cvdataconverter_fixture.h"

using namespace Cv;

namespace {

QStringList refIds(const CvUserRefs &refs)
{
    QStringList ids;
    for (const CvUserRef &ref : refs)
        ids.append(ref.id);
    return ids;
}

QVariantList dataOf(const char *fixture)
{
    return loadFixture(fixture).toMap().value(QStringLiteral("data")).toList();
}

} // namespace

class TestCvDataConverterContent : public QObject
{
    Q_OBJECT

private slots:
    void newsFeed()
    {
        const CvPosts posts = CvDataConverter::toPosts(dataOf("graph/feed.json"));
        // The post without author and the element that is not an object are dropped.
        QCOMPARE(posts.size(), 5);

        const CvPost status = posts.at(0);
        QCOMPARE(status.id(), QStringLiteral("100000123456789012_401"));
        QCOMPARE(status.from().id, QStringLiteral("100000123456789012"));
        QCOMPARE(status.message(), QStringLiteral("Första dagen på caféet! 🎉"));
        QCOMPARE(status.type(), QStringLiteral("status"));
        QCOMPARE(status.likes(), 12);
        QCOMPARE(status.commentCount(), 3);
        QCOMPARE(status.created(), utc(2012, 3, 4, 8, 0, 0));
        QCOMPARE(status.updated(), utc(2012, 3, 4, 9, 15, 42));
        QCOMPARE(status.actions().size(), 2);
        QCOMPARE(status.attribution(), QStringLiteral("Corvana for Phones"));
        QCOMPARE(status.application(),
                 qMakePair(QStringLiteral("2305272732"), QStringLiteral("Corvana for Phones")));

        const CvPost photo = posts.at(1);
        QCOMPARE(photo.type(), QStringLiteral("photo"));
        QCOMPARE(photo.albumId(), QStringLiteral("123"));
        QCOMPARE(photo.objectId(), QStringLiteral("9999402"));
        QCOMPARE(
            photo.linkInfo(),
            CvLinkInfo(QStringLiteral("https://www.corvana.com/photo.php?cvid=402&set=a.123.456"
                                      "&type=1"),
                       QStringLiteral("Mobile uploads"), QStringLiteral("Latte art"), QString()));

        const CvPost checkin = posts.at(2);
        QCOMPARE(checkin.objectId(), QStringLiteral("5005")); // from the id, not "object_id"
        QCOMPARE(checkin.place().name(), QStringLiteral("Kaffebaren"));
        QCOMPARE(checkin.place().location().latitude(), 55.6f);
        QVERIFY(checkin.place().isValid());
        QCOMPARE(checkin.story(), QStringLiteral("Zoë checked in at Kaffebaren."));

        // Mentioned addressees (2 of 3) and the users the author is with leave "to".
        const CvPost tagged = posts.at(3);
        QCOMPARE(refIds(tagged.to()), QStringList());
        QCOMPARE(refIds(tagged.withTags()),
                 QStringList({QStringLiteral("88"), QStringLiteral("99")}));
        QCOMPARE(tagged.subject(), QStringLiteral("Gratulerer"));
        QCOMPARE(tagged.source(), QStringLiteral("https://video.corvana.net/v/606.mp4"));
        QCOMPARE(tagged.albumId(), QString()); // "set" of the form b.1.2
        QCOMPARE(tagged.created(), utc(2012, 3, 1, 7, 6, 5)); // clock reading declared UTC
        QVERIFY(!tagged.updated().isValid());

        // As many mentions as addressees: nothing dropped.
        const CvPost numeric = posts.at(4);
        QCOMPARE(numeric.id(), QStringLiteral("123456789012345678"));
        QCOMPARE(numeric.from(), CvUserRef(QStringLiteral("42"), QStringLiteral("日本語の名前")));
        QCOMPARE(refIds(numeric.to()), QStringList({QStringLiteral("66")}));
        QCOMPARE(numeric.albumId(), QStringLiteral("9"));
    }

    void postAddressees_data()
    {
        QTest::addColumn<QByteArray>("members");
        QTest::addColumn<QStringList>("to");

        QTest::newRow("one of two mentioned")
            << QByteArray(R"("to": {"data": [{"id": "1"}, {"id": "2"}]},
                             "message_tags": {"0": [{"id": "2"}]})")
            << QStringList {QStringLiteral("1")};
        QTest::newRow("only addressee mentioned")
            << QByteArray(R"("to": {"data": [{"id": "1"}]}, "message_tags": {"0": [{"id": "1"}]})")
            << QStringList {QStringLiteral("1")};
        QTest::newRow("addressed twice, mentioned once")
            << QByteArray(R"("to": {"data": [{"id": "1"}, {"id": "1"}, {"id": "3"}]},
                             "message_tags": {"5": [{"id": "1"}]})")
            << QStringList {QStringLiteral("1"), QStringLiteral("3")};
        QTest::newRow("with tag removes one occurrence")
            << QByteArray(R"("to": {"data": [{"id": "1"}, {"id": "1"}, {"id": "3"}]},
                             "with_tags": {"data": [{"id": "1"}]})")
            << QStringList {QStringLiteral("1"), QStringLiteral("3")};
        QTest::newRow("order kept")
            << QByteArray(R"("to": {"data": [{"id": "9"}, {"id": "2"}, {"id": "5"}]})")
            << QStringList {QStringLiteral("9"), QStringLiteral("2"), QStringLiteral("5")};
    }

    void postAddressees()
    {
        QFETCH(QByteArray, members);
        QFETCH(QStringList, to);
        const CvPost post = CvDataConverter::toPost(
            decodeMap("{\"id\": \"1_2\", \"from\": {\"id\": \"1\"}, " + members + '}'));
        QCOMPARE(refIds(post.to()), to);
    }

    void postObjectAndAlbum_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("objectId");
        QTest::addColumn<QString>("albumId");

        const QString object = QStringLiteral("777");
        QTest::newRow("photo set a.123.456")
            << QStringLiteral("1_2") << QStringLiteral("photo")
            << QStringLiteral("https://x/p?set=a.123.456") << object << QStringLiteral("123");
        QTest::newRow("first part not a")
            << QStringLiteral("1_2") << QStringLiteral("photo")
            << QStringLiteral("https://x/p?set=b.123.456") << object << QString();
        QTest::newRow("one part") << QStringLiteral("1_2") << QStringLiteral("photo")
                                  << QStringLiteral("https://x/p?set=a123") << object << QString();
        QTest::newRow("checkin id") << QStringLiteral("11_22_33") << QStringLiteral("checkin")
                                    << QString() << QStringLiteral("22_33") << QString();
        QTest::newRow("checkin without _") << QStringLiteral("1122") << QStringLiteral("checkin")
                                           << QString() << object << QString();
    }

    void postObjectAndAlbum()
    {
        QFETCH(QString, id);
        QFETCH(QString, type);
        QFETCH(QString, link);
        QFETCH(QString, objectId);
        QFETCH(QString, albumId);
        QVariantMap data {{QStringLiteral("id"), id},
                          {QStringLiteral("type"), type},
                          {QStringLiteral("object_id"), 777LL},
                          {QStringLiteral("link"), link}};
        const CvPost post = CvDataConverter::toPost(data);
        QCOMPARE(post.objectId(), objectId);
        QCOMPARE(post.albumId(), albumId);
    }

    void commentsAndStatuses()
    {
        const CvMessages comments = CvDataConverter::toMessages(dataOf("graph/comments.json"));
        QCOMPARE(comments.size(), 2);
        QCOMPARE(comments.at(0).content(), QStringLiteral("Lykke til! 👍"));
        QCOMPARE(comments.at(0).likes(), 4);
        QVERIFY(comments.at(0).userLikes());
        QCOMPARE(comments.at(1).from().id, QStringLiteral("77"));
        QCOMPARE(comments.at(1).created(), utc(2012, 3, 4, 8, 6, 0, 123));
        QCOMPARE(comments.at(1).updated(), utc(2012, 3, 4, 8, 7, 0));
        QCOMPARE(comments.at(1).subject(), QStringLiteral("Re: Første dag"));
        QCOMPARE(comments.at(1).likes(), 0);
        QVERIFY(!comments.at(1).userLikes());

        const QVariantList rows = loadFixture("rest/statuses.json").toList();
        const CvPosts statuses = CvDataConverter::toStatusMessages(rows);
        QCOMPARE(statuses.size(), 2);
        const QString statusId = QStringLiteral("100000123456789012_10150394826135745");
        QCOMPARE(statuses.at(0).id(), statusId);
        QCOMPARE(statuses.at(0).likes(), 2);
        QCOMPARE(statuses.at(0).commentCount(), 3);
        QCOMPARE(statuses.at(0).created(), utc(2012, 3, 5, 7, 30, 0));
        QCOMPARE(statuses.at(0).updated(), statuses.at(0).created());
        QCOMPARE(statuses.at(0).type(), QStringLiteral("status"));
        QCOMPARE(statuses.at(1).id(), QStringLiteral("55_10150394826135999"));

        const QVariantList commentRows = rows.at(0)
                                             .toMap()
                                             .value(QStringLiteral("comments"))
                                             .toMap()
                                             .value(QStringLiteral("data"))
                                             .toList();
        const CvMessages statusComments = CvDataConverter::toStatusComments(statusId, commentRows);
        QCOMPARE(statusComments.size(), 3);
        QCOMPARE(statusComments.at(0).id(), statusId + QStringLiteral("_1"));
        QCOMPARE(statusComments.at(0).content(), QStringLiteral("Heja!"));
        QCOMPARE(statusComments.at(1).created(), utc(2012, 3, 5, 7, 32, 0));
    }

    void notificationCounters()
    {
        const CvNotifications counters
            = CvDataConverter::toNotifications(loadFixture("rest/notifications_get.json").toMap());
        QCOMPARE(counters.numberOfUnreadMessages(), 3);
        QCOMPARE(counters.mostRecentMessage(), 1330848000);
        QCOMPARE(counters.numberOfUnreadPokes(), 1);
        QCOMPARE(counters.mostRecentPoke(), 1330761600);
        QCOMPARE(counters.numberOfUnreadShares(), 0);
        QCOMPARE(counters.friendRequests(),
                 QList<QString>({QStringLiteral("100000555000111"), QStringLiteral("66")}));
        QVERIFY(counters.groupInvites().isEmpty());
        QCOMPARE(counters.eventInvites(), QList<QString>({QStringLiteral("331218348435")}));
    }

    void threadsAndMessages()
    {
        const CvThreads threads
            = CvDataConverter::toThreads(loadFixture("cvql/threads.json").toList());
        QCOMPARE(threads.size(), 2);
        const CvThread thread = threads.at(0);
        QCOMPARE(thread.id(), QStringLiteral("1230000000001"));
        QCOMPARE(thread.from(), CvUserRef(QStringLiteral("66"), QStringLiteral("Kari Nordmann")));
        QCOMPARE(refIds(thread.to()),
                 QStringList({QStringLiteral("100000123456789012"), QStringLiteral("66"),
                              QStringLiteral("20531316728")}));
        QCOMPARE(thread.to().last().name, QString());
        QCOMPARE(refIds(thread.senders()), QStringList({QStringLiteral("66")}));
        QCOMPARE(thread.snippet(), QStringLiteral("Ses vi på lördag? 😊"));
        QCOMPARE(thread.messageCount(), 14);
        QCOMPARE(thread.unread(), 2);
        QCOMPARE(thread.updatedTime(), utc(2012, 3, 4, 8, 0, 0, 123));
        QVERIFY(threads.at(1).to().isEmpty());
        QCOMPARE(threads.at(1).updatedTime(), utc(2012, 3, 3, 8, 0, 0));

        const CvMessages messages
            = CvDataConverter::toThreadMessages(loadFixture("cvql/messages.json").toList());
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.at(0).id(), QStringLiteral("1230000000001_14"));
        QCOMPARE(messages.at(0).from(),
                 CvUserRef(QStringLiteral("66"), QStringLiteral("Kari Nordmann")));
        QCOMPARE(messages.at(0).content(), QStringLiteral("Ses vi på lördag? 😊\nKl. 10"));
        QCOMPARE(messages.at(0).created(), utc(2012, 3, 4, 8, 0, 0, 123));
        QCOMPARE(messages.at(0).updated(), messages.at(0).created());
        QVERIFY(!messages.at(0).hasAttachment());
        QCOMPARE(messages.at(1).from(),
                 CvUserRef(QStringLiteral("20531316728"), QStringLiteral("Kaffebaren")));
        QVERIFY(messages.at(1).hasAttachment());
    }

    void attachments()
    {
        const QVariantList rows = loadFixture("cvql/attachments.json").toList();
        const CvAttachments attachments = CvDataConverter::toAttachments(rows);
        QCOMPARE(attachments.size(), 4); // unknown media type and empty media are dropped

        QCOMPARE(attachments.at(0).id(), QStringLiteral("12"));
        QCOMPARE(attachments.at(0).type(), QStringLiteral("photo"));
        QCOMPARE(attachments.at(0).photo().id(), QStringLiteral("9999402"));
        QCOMPARE(attachments.at(0).photo().source(),
                 QStringLiteral("https://img.corvana.net/photos/9999402_s.jpg"));
        QCOMPARE(attachments.at(0).photo().name(), QStringLiteral("Latte art ❤"));

        QCOMPARE(attachments.at(1).type(), QStringLiteral("link"));
        QCOMPARE(attachments.at(1).linkInfo(),
                 CvLinkInfo(QStringLiteral("example.org"), QStringLiteral("Kaffe och hälsa"),
                            QStringLiteral("example.org"), QStringLiteral("En studie om kaffe")));

        QCOMPARE(attachments.at(2).id(), QStringLiteral("99_10")); // not prefixed by its thread
        QCOMPARE(attachments.at(2).video().id(), QStringLiteral("10150385271298745"));
        QCOMPARE(attachments.at(2).video().source(),
                 QStringLiteral("https://video.corvana.net/r.mp4"));
        QCOMPARE(attachments.at(2).video().name(), QStringLiteral("Rostning"));

        QCOMPARE(attachments.at(3).type(), QStringLiteral("photo"));
        QVERIFY(!attachments.at(3).photo().isValid());
        QVERIFY(!CvDataConverter::toAttachment(rows.at(3).toMap()).isValid());
    }

    void notifications()
    {
        const CvNotificationList list
            = CvDataConverter::toNotificationList(loadFixture("cvql/notifications.json").toList());
        QCOMPARE(list.size(), 3);

        const CvNotification photo = list.at(0);
        QCOMPARE(photo.from().id, QStringLiteral("66"));
        QCOMPARE(photo.createdTime(), QDateTime::fromSecsSinceEpoch(1330848000, Qt::UTC));
        QCOMPARE(photo.updatedTime(), QDateTime::fromSecsSinceEpoch(1330848060, Qt::UTC));
        QCOMPARE(photo.updatedTime().timeSpec(), Qt::UTC);
        QCOMPARE(photo.title(), QStringLiteral("Kari kommenterade ditt foto."));
        QCOMPARE(photo.applicationId(), QStringLiteral("2347471856"));
        QVERIFY(photo.unread());
        QVERIFY(!photo.hidden());
        QCOMPARE(photo.objectId(), QStringLiteral("9999402"));
        QCOMPARE(photo.albumId(), QStringLiteral("7"));

        const CvNotification stream = list.at(1);
        QCOMPARE(stream.objectId(), QStringLiteral("55_606"));
        QCOMPARE(stream.albumId(), QStringLiteral("7"));
        QVERIFY(!stream.unread());
        QCOMPARE(stream.createdTime(), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));

        QCOMPARE(list.at(2).albumId(), QStringLiteral("123"));
        QCOMPARE(list.at(2).objectId(), QStringLiteral("456"));
    }

    void albumsPhotosVideos()
    {
        const CvAlbum album = CvDataConverter::toAlbum(loadFixture("graph/album.json").toMap());
        QCOMPARE(album.id(), QStringLiteral("123"));
        QCOMPARE(album.from().name, QStringLiteral("Zoë Ångström"));
        QCOMPARE(album.count(), 42);
        QCOMPARE(album.createdTime(), utc(2012, 3, 1, 10, 0, 0));
        QCOMPARE(album.createdTime().timeSpec(), Qt::UTC);

        const CvPhotos photos = CvDataConverter::toPhotos(dataOf("graph/photos.json"));
        QCOMPARE(photos.size(), 1);
        const CvPhoto photo = photos.first();
        QCOMPARE(photo.name(), QStringLiteral("Latte art ❤"));
        QCOMPARE(photo.height(), 720);
        QCOMPARE(photo.width(), 960);
        QCOMPARE(photo.position(), 7);
        QCOMPARE(photo.images().size(), 2);
        QCOMPARE(photo.images().at(1).width(), 173);
        QCOMPARE(photo.tags().size(), 2); // the tag with neither id nor name is dropped
        QCOMPARE(photo.tags().at(0).x(), 45);
        QCOMPARE(photo.tags().at(0).createdTime(), utc(2012, 3, 3, 18, 31, 0));
        QCOMPARE(photo.updatedTime(), utc(2012, 3, 3, 18, 35, 0));

        const CvPhoto rest
            = CvDataConverter::toPhotoRESTAPI(loadFixture("rest/photo.json").toMap());
        QCOMPARE(rest.id(), QStringLiteral("9999402"));
        QCOMPARE(rest.from(), CvUserRef(QStringLiteral("100000123456789012"), QString()));
        QCOMPARE(rest.picture(), QStringLiteral("https://img.corvana.net/photos/9999402_s.jpg"));
        QCOMPARE(rest.source(), QStringLiteral("https://img.corvana.net/photos/9999402_n.jpg"));
        QCOMPARE(rest.height(), 720);
        QCOMPARE(rest.createdTime(), QDateTime::fromSecsSinceEpoch(1330799400, Qt::UTC));
        QCOMPARE(rest.updatedTime(), QDateTime::fromSecsSinceEpoch(1330799700, Qt::UTC));
        QVERIFY(rest.isValid());

        const CvVideos videos = CvDataConverter::toVideos(dataOf("graph/videos.json"));
        QCOMPARE(videos.size(), 2);
        QCOMPARE(videos.at(0).embeddedHtml(),
                 QStringLiteral("<iframe src=\"https://www.corvana.com/v/10150385271298745\">"
                                "</iframe>"));
        QCOMPARE(videos.at(0).tags().size(), 1);
        QCOMPARE(videos.at(1).source(), QString());
    }

    void reverseDirection()
    {
        const CvAction action(QStringLiteral("Like"), QStringLiteral("https://x/1"));
        const QVariantMap map = CvDataConverter::toMap(action);
        QCOMPARE(map.size(), 2);
        QCOMPARE(map.value(QStringLiteral("link")).toString(), action.link);
        QVERIFY(CvDataConverter::toList(CvActions {action}).isEmpty());
        QVERIFY(CvDataConverter::toMap(CvPost(QStringLiteral("1"), CvUserRef())).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCvDataConverterContent)
#include "tst_cvdataconverter_content.moc"
