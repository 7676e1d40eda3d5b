#include "cvdataconverter.h"

#include <QFile>
#include <QJsonDocument>
#include <QtTest>

using namespace Cv;
using namespace Qt::StringLiterals;

namespace {

// Decodes a JSON fixture of tests/convert/data the way the Graph layer decodes replies.
QVariant fixture(const char *path)
{
    QFile file(QStringLiteral(CV_CONVERT_TEST_DATA "/") + QLatin1String(path));
    if (!file.open(QIODevice::ReadOnly))
        qWarning("cannot open fixture %s", path);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("fixture %s: %s", path, qPrintable(error.errorString()));
    return document.toVariant();
}

QVariantList dataOf(const char *path)
{
    return fixture(path).toMap().value(u"data"_s).toList();
}

QVariantMap decodeMap(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).toVariant().toMap();
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

// The texts expected of one object, separated by '|'.
QStringList texts(const QString &joined)
{
    return joined.split(u'|');
}

QStringList refIds(const CvUserRefs &refs)
{
    QStringList ids;
    for (const CvUserRef &ref : refs)
        ids.append(ref.id);
    return ids;
}

// Every member the conversions read as an object or a list, other than the ids and authors that
// keep objects valid.
const QStringList nestedKeys
    = u"to with_tags message_tags actions likes comments application place "
      "location hometown significant_other venue owner tags images media "
      "attachment attachments participants object_participants senders "
      "snippet_sender sender object_sender friend_requests group_invites "
      "event_invites messages pokes shares photo video data link href"_s.split(u' ');

} // namespace

class tst_CvDataConverter : public QObject
{
    Q_OBJECT

private slots:
    void people();
    void eventsGroupsPages();
    void checkinsAndObjects();
    void newsFeed();
    void postRules_data();
    void postRules();
    void commentsAndStatuses();
    void notifications();
    void threadsMessagesAttachments();
    void albumsPhotosVideos();
    void wrongKindOfMember_data();
    void wrongKindOfMember();
    void nothingUsable_data();
    void nothingUsable();
    void idTexts_data();
    void idTexts();
    void times_data();
    void times();
};

void tst_CvDataConverter::people()
{
    const CvUser user = CvDataConverter::toUser(fixture("graph/me.json").toMap());
    // Hometown and location are the names of place objects, not their ids.
    QCOMPARE(
        (QStringList {user.id(), user.name(), user.birthday(), user.hometown(), user.location(),
                      user.religion(), user.picture(), user.mobilePhone(), user.locale(),
                      user.significantOther().id, user.significantOther().name}),
        texts(u"100000123456789012|Zoë Ångström|07/14/1985|Göteborg, Sweden|"
              "Malmö, Sweden||https://img.corvana.net/p/100000123456789012_q.jpg|"
              "+46 40 123 45 67|sv_SE|100000555000111|Nils Ångström"_s));
    QCOMPARE(user.bio(), u"Line one\nLine two with \"quotes\""_s);
    QCOMPARE(user.timezone(), 1);
    QVERIFY(!user.isRef());
    const QVariantMap exported = CvDataConverter::toMap(user);
    QCOMPARE(exported.keys(), texts(u"id|link|name"_s));
    QCOMPARE(exported.value(u"link"_s).toString(), user.link());
    QCOMPARE(CvDataConverter::toList(CvUsers {user, user}).size(), 2);
    QCOMPARE(CvDataConverter::toList(CvUserRefs {user.toRef()}).first().toMap(),
             (QVariantMap {{u"id"_s, user.id()}, {u"name"_s, user.name()}}));
    QCOMPARE(CvDataConverter::toMap(CvAction(u"Like"_s, u"https://x/1"_s)),
             (QVariantMap {{u"name"_s, u"Like"_s}, {u"link"_s, u"https://x/1"_s}}));

    // A numeric id keeps its digits; an empty "id" falls back to "uid"; references keep
    // every element, also the one without id.
    const QVariantList friends = dataOf("graph/friends.json");
    const CvUsers users = CvDataConverter::toUsers(friends);
    QCOMPARE(refIds(CvUser::convert(users)), texts(u"66|77|88"_s));
    QVERIFY(users.at(0).isRef());
    QCOMPARE(CvDataConverter::toUserRefs(friends).size(), 4);

    const CvUsers rows = CvDataConverter::toUsers(fixture("cvql/users.json").toList());
    QCOMPARE(rows.size(), 2);
    QCOMPARE((QStringList {rows.at(0).id(), rows.at(0).birthday(), rows.at(0).picture(),
                           rows.at(1).birthday()}),
             texts(u"100000555000111|03/17/1983|https://img.corvana.net/p/100000555000111_q.jpg|"
                   "January 2, 1990"_s));
    QCOMPARE(rows.at(0).timezone(), 2);

    // The Graph names win over the query-language ones; a text hometown is no place object.
    const CvUser both = CvDataConverter::toUser(
        decodeMap(R"({"id": "1", "uid": "2", "hometown": "Oslo", "picture": "p",
                          "pic_square": "q", "birthday": "b", "birthday_date": "d"})"));
    QCOMPARE((QStringList {both.id(), both.hometown(), both.picture(), both.birthday()}),
             texts(u"1||p|b"_s));
}

void tst_CvDataConverter::eventsGroupsPages()
{
    const QVariantList data = dataOf("graph/events.json");
    const CvEvents events = CvDataConverter::toEvents(data);
    QCOMPARE(events.size(), 1);
    const CvEvent event = events.first();
    QCOMPARE(
        (QStringList {event.id(), event.name(), event.owner().id, event.owner().name,
                      event.location(), event.rsvpStatus(), event.venue().city, event.picture()}),
        texts(u"331218348435|Vårfest på taket|55|Ola Nordmann|Taket, Oslo|attending|"
              "Oslo|https://img.corvana.net/e/331218348435.jpg"_s));
    // Start and end keep the zone of their text; the update time is declared UTC.
    QCOMPARE(event.startTime().timeSpec(), Qt::LocalTime);
    QCOMPARE(event.startTime().time(), QTime(19, 0));
    QCOMPARE(event.endTime().timeSpec(), Qt::OffsetFromUTC);
    QCOMPARE(event.endTime().offsetFromUtc(), 7200);
    QCOMPARE(event.updatedTime(), utc(2012, 3, 1, 10, 0, 0));
    QCOMPARE(event.venue().latitude, 59.9127f);
    QCOMPARE(event.venue().longitude, 10.7461f);
    QCOMPARE(CvDataConverter::toEvent(data.at(1).toMap()), CvEvent());

    const QVariantList groupRows = dataOf("graph/groups.json");
    const CvGroups groups = CvDataConverter::toGroups(groupRows);
    QCOMPARE(groups.size(), 1);
    const CvGroup group = groups.first();
    QCOMPARE((QStringList {group.id(), group.name(), group.owner().id, group.email()}),
             texts(u"195466193802264|Kaffeklubben ☕|66|kaffeklubben@groups.corvana.com"_s));
    QCOMPARE(group.version(), 1);
    QCOMPARE(group.updatedTime(), utc(2012, 2, 28, 16, 45, 0));
    // Without an id a group is the default one, while a page keeps what it could read.
    QCOMPARE(CvDataConverter::toGroup(groupRows.at(1).toMap()), CvGroup());
    const CvPage idless = CvDataConverter::toPage(groupRows.at(1).toMap());
    QVERIFY(!idless.isValid());
    QCOMPARE(idless.name(), u"No id"_s);

    const CvPage page = CvDataConverter::toPage(fixture("graph/page.json").toMap());
    QCOMPARE((QStringList {page.id(), page.companyOverview(), page.phoneNumber(),
                           page.location().state(), page.location().zip()}),
             texts(u"20531316728|Små rosterier, stora smaker.|+46 40 11 22 33|Skåne|211 43"_s));
    QCOMPARE((QList<int> {page.likes(), page.checkins()}), (QList<int> {1523, 870}));
    QCOMPARE(page.location().latitude(), 55.6050f);
    QVERIFY(page.location().isValid());
}

void tst_CvDataConverter::checkinsAndObjects()
{
    const QVariantList data = dataOf("graph/checkins.json");
    const CvCheckins checkins = CvDataConverter::toCheckins(data);
    QCOMPARE(checkins.size(), 1); // the second place has no coordinates
    const CvCheckin checkin = checkins.first();
    QCOMPARE((QStringList {checkin.id(), checkin.from().id, checkin.application().id,
                           checkin.place().name(), checkin.place().location().city()}),
             texts(u"10150414171543745|100000123456789012|6628568379|Kaffebaren|Malmö"_s));
    QCOMPARE(checkin.tags(), (CvUserRefs {{u"66"_s, u"Kari"_s}, {u"77"_s, u"Per"_s}}));
    QCOMPARE(checkin.createdTime(), utc(2012, 3, 2, 12, 0, 0));
    QCOMPARE(CvDataConverter::toCheckin(data.at(1).toMap()), CvCheckin());
    QVariantList places, locations;
    for (const QVariant &row : data) {
        places.append(row.toMap().value(u"place"_s));
        locations.append(places.last().toMap().value(u"location"_s));
    }
    QCOMPARE(CvDataConverter::toPlaces(places).size(), 1);
    QCOMPARE(CvDataConverter::toLocations(locations).size(), 1);

    const CvObjects objects = CvDataConverter::toObjects(fixture("graph/objects.json").toMap());
    QCOMPARE(objects.size(), 2);
    // The kept data converts later into the entity.
    QCOMPARE((QStringList {objects.at(0).id(), objects.at(0).type(), objects.at(1).id(),
                           objects.at(1).name(), objects.at(0).toUser().firstName(),
                           objects.at(1).toEvent().owner().name}),
             texts(u"100000123456789012|user|331218348435|Vårfest på taket|Zoë|"
                   "Ola Nordmann"_s));
    QVERIFY(!objects.at(1).toPost().isValid());
    QVERIFY(CvDataConverter::toObject(decodeMap(R"({"type": "page", "name": "n"})")).isValid());
    QCOMPARE(CvDataConverter::toObject(decodeMap(R"({"name": "n"})")), CvObject());
}

void tst_CvDataConverter::newsFeed()
{
    const CvPosts posts = CvDataConverter::toPosts(dataOf("graph/feed.json"));
    // The post without author and the element that is not an object are dropped.
    QCOMPARE(posts.size(), 5);

    const CvPost status = posts.at(0);
    QCOMPARE((QStringList {status.id(), status.from().id, status.message(), status.type(),
                           status.application().first, status.application().second,
                           status.attribution()}),
             texts(u"100000123456789012_401|100000123456789012|Första dagen på caféet! 🎉|"
                   "status|2305272732|Corvana for Phones|Corvana for Phones"_s));
    QCOMPARE((QList<int> {status.likes(), status.commentCount(), int(status.actions().size())}),
             (QList<int> {12, 3, 2}));
    QCOMPARE(status.created(), utc(2012, 3, 4, 8, 0, 0));
    QCOMPARE(status.updated(), utc(2012, 3, 4, 9, 15, 42));

    // The photo's album is in its link, the check-in's object in its id (not "object_id").
    const CvPost photo = posts.at(1), checkin = posts.at(2);
    QCOMPARE((QStringList {photo.type(), photo.albumId(), photo.objectId(), checkin.objectId(),
                           checkin.place().name(), checkin.story()}),
             texts(u"photo|123|9999402|5005|Kaffebaren|Zoë checked in at Kaffebaren."_s));
    QCOMPARE(photo.linkInfo(),
             CvLinkInfo(u"https://www.corvana.com/photo.php?cvid=402&set=a.123.456&type=1"_s,
                        u"Mobile uploads"_s, u"Latte art"_s, QString()));
    QCOMPARE(checkin.place().location().latitude(), 55.6f);
    QVERIFY(checkin.place().isValid());

    // Mentioned addressees (2 of 3) and the users the author is with leave "to"; a "set"
    // of the form b.1.2 names no album; the clock reading is declared UTC.
    const CvPost tagged = posts.at(3);
    QCOMPARE(refIds(tagged.to()), QStringList());
    QCOMPARE(refIds(tagged.withTags()), texts(u"88|99"_s));
    QCOMPARE((QStringList {tagged.subject(), tagged.source(), tagged.albumId()}),
             texts(u"Gratulerer|https://video.corvana.net/v/606.mp4|"_s));
    QCOMPARE(tagged.created(), utc(2012, 3, 1, 7, 6, 5));
    QVERIFY(!tagged.updated().isValid());

    // As many mentions as addressees: nothing dropped.
    const CvPost numeric = posts.at(4);
    QCOMPARE((QStringList {numeric.id(), numeric.from().id, numeric.from().name, numeric.albumId()}
              + refIds(numeric.to())),
             texts(u"123456789012345678|42|日本語の名前|9|66"_s));
}

// Addressees that are mentioned or tagged as "with" leave "to"; the object of a check-in
// is in its id, the album of a photo in the "set" item of its link.
void tst_CvDataConverter::postRules_data()
{
    QTest::addColumn<QByteArray>("members");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("objectAndAlbum");

    const QString none = u"777|"_s; // "object_id" and no album
    QTest::newRow("one of two mentioned") << QByteArray(R"("to": {"data": [{"id": "1"},
            {"id": "2"}]}, "message_tags": {"0": [{"id": "2"}]})")
                                          << u"1"_s << none;
    QTest::newRow("only addressee mentioned") << QByteArray(R"("to": {"data": [{"id": "1"}]},
            "message_tags": {"0": [{"id": "1"}]})")
                                              << u"1"_s << none;
    QTest::newRow("addressed twice, mentioned once") << QByteArray(R"("to": {"data":
            [{"id": "1"}, {"id": "1"}, {"id": "3"}]}, "message_tags": {"5": [{"id": "1"}]})")
                                                     << u"1|3"_s << none;
    QTest::newRow("with tag removes one occurrence") << QByteArray(R"("to": {"data":
            [{"id": "1"}, {"id": "1"}, {"id": "3"}]}, "with_tags": {"data": [{"id": "1"}]})")
                                                     << u"1|3"_s << none;
    QTest::newRow("order kept") << QByteArray(
        R"("to": {"data": [{"id": "9"}, {"id": "2"}, {"id": "5"}]})")
                                << u"9|2|5"_s << none;
    const auto photo = [](const char *set) {
        return QByteArray("\"type\": \"photo\", \"link\": \"https://x/p?set=")
            .append(set)
            .append('"');
    };
    QTest::newRow("photo set a.123.456") << photo("a.123.456") << QString() << u"777|123"_s;
    QTest::newRow("first part not a") << photo("b.123.456") << QString() << none;
    QTest::newRow("one part") << photo("a123") << QString() << none;
    QTest::newRow("checkin id") << QByteArray(R"("type": "checkin", "id": "11_22_33")") << QString()
                                << u"22_33|"_s;
    QTest::newRow("checkin without _")
        << QByteArray(R"("type": "checkin", "id": "1122")") << QString() << none;
}

void tst_CvDataConverter::postRules()
{
    QFETCH(QByteArray, members);
    QFETCH(QString, to);
    QFETCH(QString, objectAndAlbum);
    QVariantMap data = decodeMap(R"({"id": "1_2", "from": {"id": "1"}, "object_id": 777})");
    data.insert(decodeMap('{' + members + '}'));
    const CvPost post = CvDataConverter::toPost(data);
    QCOMPARE(refIds(post.to()), to.isEmpty() ? QStringList() : texts(to));
    QCOMPARE((QStringList {post.objectId(), post.albumId()}), texts(objectAndAlbum));
}

void tst_CvDataConverter::commentsAndStatuses()
{
    const CvMessages comments = CvDataConverter::toMessages(dataOf("graph/comments.json"));
    QCOMPARE(comments.size(), 2);
    QCOMPARE((QStringList {comments.at(0).content(), comments.at(1).from().id,
                           comments.at(1).subject()}),
             texts(u"Lykke til! 👍|77|Re: Første dag"_s));
    QCOMPARE((QList<int> {comments.at(0).likes(), comments.at(1).likes()}), (QList<int> {4, 0}));
    QVERIFY(comments.at(0).userLikes() && !comments.at(1).userLikes());
    QCOMPARE(comments.at(1).created(), utc(2012, 3, 4, 8, 6, 0, 123));
    QCOMPARE(comments.at(1).updated(), utc(2012, 3, 4, 8, 7, 0));

    // Status ids get the "<author id>_" prefix of feed posts unless they have it already.
    const QVariantList rows = fixture("rest/statuses.json").toList();
    const CvPosts statuses = CvDataConverter::toStatusMessages(rows);
    QCOMPARE(statuses.size(), 2);
    const QString statusId = u"100000123456789012_10150394826135745"_s;
    QCOMPARE((QStringList {statuses.at(0).id(), statuses.at(0).type(), statuses.at(1).id()}),
             (QStringList {statusId, u"status"_s, u"55_10150394826135999"_s}));
    QCOMPARE((QList<int> {statuses.at(0).likes(), statuses.at(0).commentCount()}),
             (QList<int> {2, 3}));
    QCOMPARE(statuses.at(0).created(), utc(2012, 3, 5, 7, 30, 0));
    QCOMPARE(statuses.at(0).updated(), statuses.at(0).created());

    const CvMessages statusComments = CvDataConverter::toStatusComments(
        statusId, rows.at(0).toMap().value(u"comments"_s).toMap().value(u"data"_s).toList());
    QCOMPARE(statusComments.size(), 3);
    QCOMPARE(statusComments.at(0).id(), statusId + u"_1"_s);
    QCOMPARE(statusComments.at(0).content(), u"Heja!"_s);
    QCOMPARE(statusComments.at(1).created(), utc(2012, 3, 5, 7, 32, 0));
}

void tst_CvDataConverter::notifications()
{
    const CvNotifications counters
        = CvDataConverter::toNotifications(fixture("rest/notifications_get.json").toMap());
    QCOMPARE((QList<int> {counters.numberOfUnreadMessages(), counters.mostRecentMessage(),
                          counters.numberOfUnreadPokes(), counters.mostRecentPoke(),
                          counters.numberOfUnreadShares()}),
             (QList<int> {3, 1330848000, 1, 1330761600, 0}));
    QCOMPARE(counters.friendRequests(), texts(u"100000555000111|66"_s));
    QVERIFY(counters.groupInvites().isEmpty());
    QCOMPARE(counters.eventInvites(), texts(u"331218348435"_s));

    // Query-language times are Unix seconds; the album and object come from the link.
    const CvNotificationList list
        = CvDataConverter::toNotificationList(fixture("cvql/notifications.json").toList());
    QCOMPARE(list.size(), 3);
    const CvNotification photo = list.at(0), stream = list.at(1);
    QCOMPARE((QStringList {photo.from().id, photo.title(), photo.applicationId(), photo.objectId(),
                           photo.albumId(), stream.objectId(), stream.albumId(),
                           list.at(2).objectId(), list.at(2).albumId()}),
             texts(u"66|Kari kommenterade ditt foto.|2347471856|9999402|7|55_606|7|456|123"_s));
    QCOMPARE(photo.createdTime(), QDateTime::fromSecsSinceEpoch(1330848000, Qt::UTC));
    QCOMPARE(photo.updatedTime(), QDateTime::fromSecsSinceEpoch(1330848060, Qt::UTC));
    QCOMPARE(photo.updatedTime().timeSpec(), Qt::UTC);
    QCOMPARE(stream.createdTime(), QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    QVERIFY(photo.unread() && !photo.hidden() && !stream.unread());
}

void tst_CvDataConverter::threadsMessagesAttachments()
{
    // Query-language thread and message times are Unix milliseconds.
    const CvThreads threads = CvDataConverter::toThreads(fixture("cvql/threads.json").toList());
    QCOMPARE(threads.size(), 2);
    const CvThread thread = threads.at(0);
    QCOMPARE((QStringList {thread.id(), thread.from().id, thread.from().name, thread.snippet()}),
             texts(u"1230000000001|66|Kari Nordmann|Ses vi på lördag? 😊"_s));
    QCOMPARE(refIds(thread.to()), texts(u"100000123456789012|66|20531316728"_s));
    QCOMPARE(thread.to().last().name, QString());
    QCOMPARE(refIds(thread.senders()), texts(u"66"_s));
    QCOMPARE((QList<int> {thread.messageCount(), thread.unread()}), (QList<int> {14, 2}));
    QCOMPARE(thread.updatedTime(), utc(2012, 3, 4, 8, 0, 0, 123));
    QVERIFY(threads.at(1).to().isEmpty());
    QCOMPARE(threads.at(1).updatedTime(), utc(2012, 3, 3, 8, 0, 0));

    const CvMessages messages
        = CvDataConverter::toThreadMessages(fixture("cvql/messages.json").toList());
    QCOMPARE(messages.size(), 2);
    QCOMPARE(
        (QStringList {messages.at(0).id(), messages.at(0).from().id, messages.at(0).from().name,
                      messages.at(1).from().id, messages.at(1).from().name}),
        texts(u"1230000000001_14|66|Kari Nordmann|20531316728|Kaffebaren"_s));
    QCOMPARE(messages.at(0).content(), u"Ses vi på lördag? 😊\nKl. 10"_s);
    QCOMPARE(messages.at(0).created(), utc(2012, 3, 4, 8, 0, 0, 123));
    QCOMPARE(messages.at(0).updated(), messages.at(0).created());
    QVERIFY(!messages.at(0).hasAttachment() && messages.at(1).hasAttachment());

    // Unknown media type and empty media are dropped; an id not prefixed by its thread
    // stays as it is.
    const QVariantList rows = fixture("cvql/attachments.json").toList();
    const CvAttachments attachments = CvDataConverter::toAttachments(rows);
    QCOMPARE(attachments.size(), 4);
    const CvPhoto photo = attachments.at(0).photo();
    const CvVideo video = attachments.at(2).video();
    QCOMPARE(
        (QStringList {attachments.at(0).id(), attachments.at(0).type(), photo.id(), photo.source(),
                      photo.name(), attachments.at(1).type(), attachments.at(2).id(), video.id(),
                      video.source(), video.name(), attachments.at(3).type()}),
        texts(u"12|photo|9999402|https://img.corvana.net/photos/9999402_s.jpg|"
              "Latte art ❤|link|99_10|10150385271298745|https://video.corvana.net/r.mp4|"
              "Rostning|photo"_s));
    QCOMPARE(attachments.at(1).linkInfo(),
             CvLinkInfo(u"example.org"_s, u"Kaffe och hälsa"_s, u"example.org"_s,
                        u"En studie om kaffe"_s));
    QVERIFY(!attachments.at(3).photo().isValid());
    QVERIFY(!CvDataConverter::toAttachment(rows.at(3).toMap()).isValid());
}

void tst_CvDataConverter::albumsPhotosVideos()
{
    const CvAlbum album = CvDataConverter::toAlbum(fixture("graph/album.json").toMap());
    QCOMPARE((QStringList {album.id(), album.from().name}), texts(u"123|Zoë Ångström"_s));
    QCOMPARE(album.count(), 42);
    QCOMPARE(album.createdTime(), utc(2012, 3, 1, 10, 0, 0));
    QCOMPARE(album.createdTime().timeSpec(), Qt::UTC);

    // The tag with neither id nor name is dropped.
    const CvPhotos photos = CvDataConverter::toPhotos(dataOf("graph/photos.json"));
    QCOMPARE(photos.size(), 1);
    const CvPhoto photo = photos.first();
    QCOMPARE(photo.name(), u"Latte art ❤"_s);
    QCOMPARE((QList<int> {photo.height(), photo.width(), photo.position(),
                          int(photo.images().size()), photo.images().at(1).width(),
                          int(photo.tags().size()), photo.tags().at(0).x()}),
             (QList<int> {720, 960, 7, 2, 173, 2, 45}));
    QCOMPARE(photo.tags().at(0).createdTime(), utc(2012, 3, 3, 18, 31, 0));
    QCOMPARE(photo.updatedTime(), utc(2012, 3, 3, 18, 35, 0));

    // The query-language photo row: Unix seconds, other member names.
    const CvPhoto rest = CvDataConverter::toPhotoRESTAPI(fixture("rest/photo.json").toMap());
    QCOMPARE(
        (QStringList {rest.id(), rest.from().id, rest.from().name, rest.picture(), rest.source()}),
        texts(u"9999402|100000123456789012||https://img.corvana.net/photos/9999402_s.jpg|"
              "https://img.corvana.net/photos/9999402_n.jpg"_s));
    QCOMPARE(rest.height(), 720);
    QCOMPARE(rest.createdTime(), QDateTime::fromSecsSinceEpoch(1330799400, Qt::UTC));
    QCOMPARE(rest.updatedTime(), QDateTime::fromSecsSinceEpoch(1330799700, Qt::UTC));
    QVERIFY(rest.isValid());

    const CvVideos videos = CvDataConverter::toVideos(dataOf("graph/videos.json"));
    QCOMPARE(videos.size(), 2);
    QCOMPARE(videos.at(0).embeddedHtml(),
             u"<iframe src=\"https://www.corvana.com/v/10150385271298745\"></iframe>"_s);
    QCOMPARE(videos.at(0).tags().size(), 1);
    QCOMPARE(videos.at(1).source(), QString());
}

// A member of the wrong kind reads as empty; in particular a string never becomes a list
// of its characters.
void tst_CvDataConverter::wrongKindOfMember_data()
{
    QTest::addColumn<QVariant>("bad");
    QTest::newRow("string") << QVariant(u"abc"_s);
    QTest::newRow("number") << QVariant(17LL);
    QTest::newRow("bool") << QVariant(true);
    QTest::newRow("null") << QVariant::fromValue(nullptr);
    QTest::newRow("object with string data") << QVariant(QVariantMap {{u"data"_s, u"abc"_s}});
}

void tst_CvDataConverter::wrongKindOfMember()
{
    QFETCH(QVariant, bad);
    QVariantMap data {{u"id"_s, u"1_2"_s},      {u"message_id"_s, u"9_3"_s},
                      {u"thread_id"_s, u"9"_s}, {u"notification_id"_s, u"5"_s},
                      {u"sender_id"_s, u"7"_s}, {u"from"_s, QVariantMap {{u"id"_s, u"1"_s}}}};
    for (const QString &key : nestedKeys)
        data.insert(key, bad);

    const CvPost post = CvDataConverter::toPost(data);
    QVERIFY(post.isValid());
    QVERIFY(post.to().isEmpty() && post.withTags().isEmpty() && post.actions().isEmpty());
    QVERIFY(post.likes() == 0 && post.commentCount() == 0);
    QCOMPARE(post.application(), qMakePair(QString(), QString()));
    QVERIFY(!post.place().isValid());
    QCOMPARE(post.albumId(), QString());
    const CvPost status = CvDataConverter::toStatusMessage(data);
    QVERIFY(status.likes() == 0 && status.commentCount() == 0);

    const CvUser user = CvDataConverter::toUser(data);
    QVERIFY(user.hometown().isEmpty() && user.location().isEmpty());
    QCOMPARE(user.significantOther(), CvUserRef());
    const CvEvent event = CvDataConverter::toEvent(data);
    QCOMPARE(event.owner(), CvUserRef());
    QCOMPARE(event.venue().latitude, 0.0f);

    const CvThread thread = CvDataConverter::toThread(data);
    QVERIFY(thread.isValid());
    QVERIFY(thread.to().isEmpty() && thread.senders().isEmpty());
    const CvMessage message = CvDataConverter::toThreadMessage(data);
    QCOMPARE(message.from(), CvUserRef());
    QVERIFY(!message.hasAttachment());
    QVERIFY(!CvDataConverter::toAttachment(data).isValid());

    const CvNotifications counters = CvDataConverter::toNotifications(data);
    QVERIFY(counters.friendRequests().isEmpty() && counters.eventInvites().isEmpty());
    QCOMPARE(counters.numberOfUnreadMessages(), 0);
    const CvPhoto photo = CvDataConverter::toPhoto(data);
    QVERIFY(photo.tags().isEmpty() && photo.images().isEmpty());
    QCOMPARE(CvDataConverter::toCheckin(data), CvCheckin());
    QCOMPARE(CvDataConverter::toPage(data).location(), CvLocation());

    // Lists given where an element or a wrapper should be are empty as well.
    QVERIFY(CvDataConverter::toPosts(QVariantList {bad}).isEmpty());
    QVERIFY(CvDataConverter::toUsers(QVariantList {bad, bad}).isEmpty());
}

// Input with nothing usable: every conversion gives its invalid or default object.
void tst_CvDataConverter::nothingUsable_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("empty object") << QByteArray("{}");
    QTest::newRow("reply without data") << QByteArray(R"({"paging": {"next": "x"}})");
    QTest::newRow("null members") << QByteArray(
        R"({"id": null, "from": null, "uid": null, "thread_id": null,
                              "message_id": null, "notification_id": null, "sender_id": null})");
    QTest::newRow("lists where objects belong")
        << QByteArray(R"({"id": ["1"], "from": [{"id": "1"}], "place": [], "media": [],
                              "snippet_sender": [{"user_id": "1"}], "sender": ["1"]})");
    QTest::newRow("empty texts") << QByteArray(
        R"({"id": "", "from": {"id": ""}, "uid": "", "thread_id": "",
                              "message_id": "", "object_id": "", "notification_id": ""})");
}

void tst_CvDataConverter::nothingUsable()
{
    QFETCH(QByteArray, json);
    const QVariant decoded = QJsonDocument::fromJson(json).toVariant();
    QVERIFY(decoded.isValid());
    const QVariantMap data = decoded.toMap();

    using C = CvDataConverter;
    // In declaration order of the converter; the index of a failure names the conversion.
    const QList<bool> valid {C::toUser(data).isValid(),         C::toPage(data).isValid(),
                             C::toGroup(data).isValid(),        C::toEvent(data).isValid(),
                             C::toPlace(data).isValid(),        C::toLocation(data).isValid(),
                             C::toCheckin(data).isValid(),      C::toObject(data).isValid(),
                             C::toPost(data).isValid(),         C::toStatusMessage(data).isValid(),
                             C::toMessage(data).isValid(),      C::toThreadMessage(data).isValid(),
                             C::toThread(data).isValid(),       C::toAttachment(data).isValid(),
                             C::toNotification(data).isValid(), C::toAlbum(data).isValid(),
                             C::toPhoto(data).isValid(),        C::toPhotoRESTAPI(data).isValid(),
                             C::toVideo(data).isValid(),        C::toTag(data).isValid(),
                             C::toImage(data).isValid()};
    QCOMPARE(valid, QList<bool>(valid.size(), false));
    QCOMPARE(C::toThread(data), CvThread());
    QCOMPARE(C::toAttachment(data), CvAttachment());
    QVERIFY(C::toObjects(data).isEmpty());

    // The "data" member of a reply, whatever it holds, yields no items.
    const QVariantList items = data.value(u"data"_s).toList();
    QVERIFY(C::toPosts(items).isEmpty() && C::toThreads(items).isEmpty());
    QVERIFY(C::toNotificationList(QVariantList {data}).isEmpty());
    QVERIFY(C::toAttachments(QVariantList {data, data}).isEmpty());
    QVERIFY(C::toPhotos(QVariantList {data}).isEmpty());
    QVERIFY(C::toImages(QVariantList {data}).isEmpty());
    QCOMPARE(C::toActions(QVariantList {data}).size(), 1);
}

// Ids arrive as texts or numbers; a number keeps all its digits.
void tst_CvDataConverter::idTexts_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("id");
    QTest::newRow("text") << QByteArray(R"("abc_123")") << u"abc_123"_s;
    QTest::newRow("18 digits") << QByteArray("100000123456789012") << u"100000123456789012"_s;
    QTest::newRow("int64 max") << QByteArray("9223372036854775807") << u"9223372036854775807"_s;
    QTest::newRow("negative") << QByteArray("-42") << u"-42"_s;
    QTest::newRow("exponent form") << QByteArray("1e17") << u"100000000000000000"_s;
    QTest::newRow("whole fraction") << QByteArray("12.0") << u"12"_s;
    QTest::newRow("big id with fraction")
        << QByteArray("100000000000000000.0") << u"100000000000000000"_s;
    QTest::newRow("fraction") << QByteArray("12.5") << u"12.5"_s;
    QTest::newRow("object") << QByteArray(R"({"id": "1"})") << QString();
    QTest::newRow("list") << QByteArray(R"(["1"])") << QString();
    QTest::newRow("null") << QByteArray("null") << QString();
}

void tst_CvDataConverter::idTexts()
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
void tst_CvDataConverter::times_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QDateTime>("expected");

    const QString graph = u"graph"_s, seconds = u"seconds"_s, msecs = u"msecs"_s;
    const QDateTime at = utc(2012, 3, 4, 10, 20, 30), epoch = utc(1970, 1, 1, 0, 0, 0);
    QTest::newRow("graph +0000") << graph << QByteArray(R"("2012-03-04T10:20:30+0000")") << at;
    QTest::newRow("graph offset kept as clock reading")
        << graph << QByteArray(R"("2012-03-04T10:20:30+02:00")") << at;
    QTest::newRow("graph without zone") << graph << QByteArray(R"("2012-03-04T10:20:30")") << at;
    QTest::newRow("graph milliseconds")
        << graph << QByteArray(R"("2012-03-04T10:20:30.250Z")") << at.addMSecs(250);
    QTest::newRow("graph garbage") << graph << QByteArray(R"("yesterday")") << QDateTime();
    QTest::newRow("graph month 13")
        << graph << QByteArray(R"("2012-13-04T10:20:30")") << QDateTime();
    QTest::newRow("graph number") << graph << QByteArray("1330856430") << QDateTime();
    QTest::newRow("graph object") << graph << QByteArray(R"({"t": 1})") << QDateTime();
    QTest::newRow("seconds number") << seconds << QByteArray("1330856430") << at;
    QTest::newRow("seconds text") << seconds << QByteArray(R"("1330856430")") << at;
    QTest::newRow("seconds zero is the epoch") << seconds << QByteArray("0") << epoch;
    QTest::newRow("seconds garbage is the epoch") << seconds << QByteArray(R"("soon")") << epoch;
    QTest::newRow("seconds after 2038")
        << seconds << QByteArray("4102444800") << utc(2100, 1, 1, 0, 0, 0);
    QTest::newRow("msecs number") << msecs << QByteArray("1330856430250") << at.addMSecs(250);
    QTest::newRow("msecs text") << msecs << QByteArray(R"("1330856430250")") << at.addMSecs(250);
    QTest::newRow("msecs null is the epoch") << msecs << QByteArray("null") << epoch;
}

void tst_CvDataConverter::times()
{
    QFETCH(QString, encoding);
    QFETCH(QByteArray, json);
    QFETCH(QDateTime, expected);

    QDateTime actual;
    if (encoding == u"graph"_s)
        actual = CvDataConverter::toPost(decodeMap("{\"created_time\": " + json + '}')).created();
    else if (encoding == u"seconds"_s)
        actual = CvDataConverter::toNotification(
                     decodeMap(R"({"notification_id": "1", "sender_id": "2", "created_time": )"
                               + json + '}'))
                     .createdTime();
    else
        actual = CvDataConverter::toThread(
                     decodeMap("{\"thread_id\": \"1\", \"timestamp\": " + json + '}'))
                     .updatedTime();
    QCOMPARE(actual.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(actual, expected);
        QCOMPARE(actual.timeSpec(), Qt::UTC);
    }
}

QTEST_GUILESS_MAIN(tst_CvDataConverter)
#include "tst_cvdataconverter.moc"
