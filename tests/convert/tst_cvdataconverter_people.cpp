#include "cvdataconverter.h"

#include "tst_cvdataconverter_fixture.h"

using namespace Cv;

class TestCvDataConverterPeople : public QObject
{
    Q_OBJECT

private slots:
    void graphProfile()
    {
        const CvUser user = CvDataConverter::toUser(loadFixture("graph/me.json").toMap());
        QCOMPARE(user.id(), QStringLiteral("100000123456789012"));
        QCOMPARE(user.name(), QStringLiteral("Zoë Ångström"));
        QCOMPARE(user.birthday(), QStringLiteral("07/14/1985"));
        // The names of the place objects, not their ids (one of which is a number).
        QCOMPARE(user.hometown(), QStringLiteral("Göteborg, Sweden"));
        QCOMPARE(user.location(), QStringLiteral("Malmö, Sweden"));
        QCOMPARE(user.bio(), QStringLiteral("Line one\nLine two with \"quotes\""));
        QCOMPARE(user.religion(), QString());
        QCOMPARE(user.significantOther(),
                 CvUserRef(QStringLiteral("100000555000111"), QStringLiteral("Nils Ångström")));
        QCOMPARE(user.timezone(), 1);
        QCOMPARE(user.picture(),
                 QStringLiteral("https://img.corvana.net/p/100000123456789012_q.jpg"));
        QCOMPARE(user.mobilePhone(), QStringLiteral("+46 40 123 45 67"));
        QCOMPARE(user.locale(), QStringLiteral("sv_SE"));
        QVERIFY(!user.isRef());

        const QVariantMap exported = CvDataConverter::toMap(user);
        QCOMPARE(
            exported.keys(),
            QStringList({QStringLiteral("id"), QStringLiteral("link"), QStringLiteral("name")}));
        QCOMPARE(exported.value(QStringLiteral("link")).toString(), user.link());
        QCOMPARE(CvDataConverter::toList(CvUsers {user, user}).size(), 2);
        QCOMPARE(CvDataConverter::toMap(user.toRef()).value(QStringLiteral("id")).toString(),
                 user.id());
    }

    void friendsConnection()
    {
        const QVariantList data
            = loadFixture("graph/friends.json").toMap().value(QStringLiteral("data")).toList();
        const CvUsers users = CvDataConverter::toUsers(data);
        QCOMPARE(users.size(), 3);
        QCOMPARE(users.at(0).id(), QStringLiteral("66"));
        QVERIFY(users.at(0).isRef());
        QCOMPARE(users.at(1).id(), QStringLiteral("77"));
        QCOMPARE(users.at(2).id(), QStringLiteral("88")); // empty "id", "uid" taken
        // References keep every element, also the one without id.
        QCOMPARE(CvDataConverter::toUserRefs(data).size(), 4);
    }

    void queryLanguageUsers()
    {
        const CvUsers users = CvDataConverter::toUsers(loadFixture("cvql/users.json").toList());
        QCOMPARE(users.size(), 2);
        QCOMPARE(users.at(0).id(), QStringLiteral("100000555000111"));
        QCOMPARE(users.at(0).birthday(), QStringLiteral("03/17/1983"));
        QCOMPARE(users.at(0).picture(),
                 QStringLiteral("https://img.corvana.net/p/100000555000111_q.jpg"));
        QCOMPARE(users.at(0).timezone(), 2);
        QCOMPARE(users.at(1).birthday(), QStringLiteral("January 2, 1990"));
    }

    void userAlternativeKeys()
    {
        const CvUser both = CvDataConverter::toUser(
            decodeMap(R"({"id": "1", "uid": "2", "hometown": "Oslo", "picture": "p",
                          "pic_square": "q", "birthday": "b", "birthday_date": "d"})"));
        QCOMPARE(both.id(), QStringLiteral("1"));
        QCOMPARE(both.hometown(), QString());
        QCOMPARE(both.picture(), QStringLiteral("p"));
        QCOMPARE(both.birthday(), QStringLiteral("b"));
    }

    void events()
    {
        const QVariantList data
            = loadFixture("graph/events.json").toMap().value(QStringLiteral("data")).toList();
        const CvEvents events = CvDataConverter::toEvents(data);
        QCOMPARE(events.size(), 1);
        const CvEvent event = events.first();
        QCOMPARE(event.id(), QStringLiteral("331218348435"));
        QCOMPARE(event.name(), QStringLiteral("Vårfest på taket"));
        QCOMPARE(event.owner(), CvUserRef(QStringLiteral("55"), QStringLiteral("Ola Nordmann")));
        // Start and end keep the zone of their text; the update time is declared UTC.
        QCOMPARE(event.startTime().timeSpec(), Qt::LocalTime);
        QCOMPARE(event.startTime().time(), QTime(19, 0));
        QCOMPARE(event.endTime().timeSpec(), Qt::OffsetFromUTC);
        QCOMPARE(event.endTime().offsetFromUtc(), 7200);
        QCOMPARE(event.updatedTime(), utc(2012, 3, 1, 10, 0, 0));
        QCOMPARE(event.location(), QStringLiteral("Taket, Oslo"));
        QCOMPARE(event.rsvpStatus(), QStringLiteral("attending"));
        QCOMPARE(event.venue().city, QStringLiteral("Oslo"));
        QCOMPARE(event.venue().latitude, 59.9127f);
        QCOMPARE(event.venue().longitude, 10.7461f);
        QCOMPARE(event.picture(), QStringLiteral("https://img.corvana.net/e/331218348435.jpg"));
        QCOMPARE(CvDataConverter::toEvent(data.at(1).toMap()), CvEvent());
    }

    void groupsAndPages()
    {
        const QVariantList data
            = loadFixture("graph/groups.json").toMap().value(QStringLiteral("data")).toList();
        const CvGroups groups = CvDataConverter::toGroups(data);
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().id(), QStringLiteral("195466193802264"));
        QCOMPARE(groups.first().version(), 1);
        QCOMPARE(groups.first().name(), QStringLiteral("Kaffeklubben ☕"));
        QCOMPARE(groups.first().owner().id, QStringLiteral("66"));
        QCOMPARE(groups.first().updatedTime(), utc(2012, 2, 28, 16, 45, 0));
        QCOMPARE(groups.first().email(), QStringLiteral("kaffeklubben@groups.corvana.com"));

        // Without an id a group is the default one, while a page keeps what it could read.
        const QVariantMap noId = data.at(1).toMap();
        const CvGroup group = CvDataConverter::toGroup(noId);
        QCOMPARE(group, CvGroup());
        QCOMPARE(group.privacy(), QString());
        const CvPage idless = CvDataConverter::toPage(noId);
        QVERIFY(!idless.isValid());
        QCOMPARE(idless.name(), QStringLiteral("No id"));

        const CvPage page = CvDataConverter::toPage(loadFixture("graph/page.json").toMap());
        QCOMPARE(page.id(), QStringLiteral("20531316728"));
        QCOMPARE(page.companyOverview(), QStringLiteral("Små rosterier, stora smaker."));
        QCOMPARE(page.likes(), 1523);
        QCOMPARE(page.checkins(), 870);
        QCOMPARE(page.phoneNumber(), QStringLiteral("+46 40 11 22 33"));
        QCOMPARE(page.location().state(), QStringLiteral("Skåne"));
        QCOMPARE(page.location().zip(), QStringLiteral("211 43"));
        QCOMPARE(page.location().latitude(), 55.6050f);
        QVERIFY(page.location().isValid());
    }

    void checkinsAndPlaces()
    {
        const QVariantList data
            = loadFixture("graph/checkins.json").toMap().value(QStringLiteral("data")).toList();
        const CvCheckins checkins = CvDataConverter::toCheckins(data);
        QCOMPARE(checkins.size(), 1); // the second place has no coordinates
        const CvCheckin checkin = checkins.first();
        QCOMPARE(checkin.id(), QStringLiteral("10150414171543745"));
        QCOMPARE(checkin.from().id, QStringLiteral("100000123456789012"));
        QCOMPARE(checkin.tags().size(), 2);
        QCOMPARE(checkin.tags().at(1), CvUserRef(QStringLiteral("77"), QStringLiteral("Per")));
        QCOMPARE(checkin.application().id, QStringLiteral("6628568379"));
        QCOMPARE(checkin.createdTime(), utc(2012, 3, 2, 12, 0, 0));
        QCOMPARE(checkin.place().name(), QStringLiteral("Kaffebaren"));
        QCOMPARE(checkin.place().location().city(), QStringLiteral("Malmö"));
        QCOMPARE(CvDataConverter::toCheckin(data.at(1).toMap()), CvCheckin());

        QVariantList places;
        for (const QVariant &row : data)
            places.append(row.toMap().value(QStringLiteral("place")));
        QCOMPARE(CvDataConverter::toPlaces(places).size(), 1);
        QVariantList locations;
        for (const QVariant &place : places)
            locations.append(place.toMap().value(QStringLiteral("location")));
        QCOMPARE(CvDataConverter::toLocations(locations).size(), 1);
    }

    void objectsById()
    {
        const CvObjects objects
            = CvDataConverter::toObjects(loadFixture("graph/objects.json").toMap());
        QCOMPARE(objects.size(), 2);
        QCOMPARE(objects.at(0).id(), QStringLiteral("100000123456789012"));
        QCOMPARE(objects.at(0).type(), QStringLiteral("user"));
        QCOMPARE(objects.at(1).id(), QStringLiteral("331218348435"));
        QCOMPARE(objects.at(1).name(), QStringLiteral("Vårfest på taket"));
        // The kept data converts later into the entity.
        QCOMPARE(objects.at(0).toUser().firstName(), QStringLiteral("Zoë"));
        QCOMPARE(objects.at(1).toEvent().owner().name, QStringLiteral("Ola Nordmann"));
        QVERIFY(!objects.at(1).toPost().isValid());

        const CvObject typeOnly
            = CvDataConverter::toObject(decodeMap(R"({"type": "page", "name": "n"})"));
        QVERIFY(typeOnly.isValid());
        QCOMPARE(CvDataConverter::toObject(decodeMap(R"({"name": "n"})")), CvObject());
    }
};

QTEST_GUILESS_MAIN(TestCvDataConverterPeople)
#include "tst_cvdataconverter_people.moc"
