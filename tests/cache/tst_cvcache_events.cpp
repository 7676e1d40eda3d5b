#include "cachetestutil.h"

#include "cvcheckin.h"
#include "cvevent.h"
#include "cvgroup.h"
#include "cvlocation.h"
#include "cvplace.h"

using namespace Cv;

namespace {

CvEvent fullEvent(const QString &id, const QDateTime &start)
{
    CvEvent e(id, CvUserRef(s("owner"), s("Olga Owner")));
    e.setName(s("Party ") + id);
    e.setDescription(s("Bring ✓ snacks"));
    e.setStartTime(start);
    e.setEndTime(start.isValid() ? start.addSecs(3600) : QDateTime());
    e.setLocation(s("Hall"));
    e.setPrivacy(s("OPEN"));
    e.setUpdatedTime(day(1));
    e.setRsvpStatus(s("attending"));
    CvEvent::CvVenue venue;
    venue.street = s("Main St 1");
    venue.city = s("Town");
    venue.state = s("ST");
    venue.country = s("Land");
    venue.latitude = 51.5f;
    venue.longitude = -0.25f;
    e.setVenue(venue);
    e.setPicture(s("https://pic.invalid/") + id);
    return e;
}

CvCheckin checkin(const QString &id, const CvUserRefs &tags = {})
{
    CvPlace p(s("p-") + id);
    p.setName(s("Cafe ") + id);
    p.setCategory(s("food"));
    CvLocation l;
    l.setStreet(s("High St"));
    l.setCity(s("City"));
    l.setState(s("CS"));
    l.setCountry(s("Country"));
    l.setZip(s("12345"));
    l.setLatitude(48.25f);
    l.setLongitude(11.5f);
    p.setLocation(l);
    CvCheckin c(id, CvUserRef(s("me"), s("Me")), p);
    c.setTags(tags);
    c.setMessage(s("here"));
    c.setApplication(CvUserRef(s("app1"), s("App")));
    c.setCreatedTime(day(3));
    return c;
}

} // namespace

class tst_CvCacheEvents : public CacheFixture
{
    Q_OBJECT

private slots:
    void init();
    void eventWritesSurviveReopen();
    void eventsWindow_data();
    void eventsWindow();
    void batchRollsBack_data();
    void batchRollsBack();
    void eventRemoval();
    void groups();
    void checkinWritesAndTags();
    void checkinListAndRemoval();
};

// Every list belongs to a stored user.
void tst_CvCacheEvents::init()
{
    openWith({CvUser(s("me"), s("Me")), CvUser(s("you"), s("You"))});
}

void tst_CvCacheEvents::eventWritesSurviveReopen()
{
    CvEvent stored = fullEvent(s("e1"), day(10));
    stored.setUpdatedTime(day(5));
    QCOMPARE(m_cache->updateEvent(s("me"), stored), CvCache::Inserted);
    QCOMPARE(m_cache->updateEvent(s("me"), stored), CvCache::NotChanged);
    reopen();
    CvEvent read;
    QVERIFY(m_cache->getEvent(s("me"), s("e1"), &read));
    QCOMPARE(read, stored);
    QCOMPARE(read.owner().name, s("Olga Owner"));
    // Scoped by user: another user's list does not hold it.
    QVERIFY(!m_cache->getEvent(s("other"), s("e1"), &read));
    QCOMPARE(m_cache->lastError(), CvCache::ItemNotFound);
    QCOMPARE(m_cache->lastErrorDescription(), s("Item was not found"));

    // An older update is ignored whole.
    CvEvent older = stored;
    older.setName(s("stale"));
    older.setUpdatedTime(day(4));
    QCOMPARE(m_cache->updateEvent(s("me"), older), CvCache::NotChanged);
    QVERIFY(m_cache->getEvent(s("me"), s("e1"), &read));
    QCOMPARE(read, stored);

    // No time and no RSVP status: both kept, the rest written.
    CvEvent partial = stored;
    partial.setName(s("renamed"));
    partial.setRsvpStatus(QString());
    partial.setUpdatedTime(QDateTime());
    QCOMPARE(m_cache->updateEvent(s("me"), partial), CvCache::Updated);
    QVERIFY(m_cache->getEvent(s("me"), s("e1"), &read));
    QCOMPARE(read.name(), s("renamed"));
    QCOMPARE(read.rsvpStatus(), s("attending"));
    QCOMPARE(read.updatedTime(), day(5));
}

void tst_CvCacheEvents::eventsWindow_data()
{
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QStringList>("expected");
    // Starts: d2 day 2, d4 day 4, d6 day 6, d8 day 8; none has no start (sorts last).
    const QDateTime none;
    QTest::newRow("all") << window(none, none)
                         << QStringList {s("d8"), s("d6"), s("d4"), s("d2"), s("none")};
    QTest::newRow("bounds included")
        << window(day(4), day(6)) << QStringList {s("d6"), s("d4"), s("none")};
    QTest::newRow("just inside misses")
        << window(day(4).addSecs(1), day(6).addSecs(-1)) << QStringList {s("none")};
    QTest::newRow("since only") << window(day(6), none)
                                << QStringList {s("d8"), s("d6"), s("none")};
    QTest::newRow("page 2 of 2") << window(none, none, 2, 2) << QStringList {s("d4"), s("d2")};
    QTest::newRow("offset past end") << window(none, none, 9, 2) << QStringList();
}

void tst_CvCacheEvents::eventsWindow()
{
    QFETCH(CvDataFilter, filter);
    QFETCH(QStringList, expected);
    CvEvents events;
    for (int d : {4, 8, 2, 6})
        events << fullEvent(s("d") + QString::number(d), day(d));
    events << fullEvent(s("none"), QDateTime());
    QVERIFY(m_cache->updateEvents(s("me"), events));
    // Another user's events never show.
    QCOMPARE(m_cache->updateEvent(s("you"), fullEvent(s("x5"), day(5))), CvCache::Inserted);

    CvEvents read {fullEvent(s("junk"), day(1))};
    QVERIFY(m_cache->getEvents(s("me"), &read, filter));
    QCOMPARE(ids(read), expected);
}

void tst_CvCacheEvents::batchRollsBack_data()
{
    QTest::addColumn<CacheCall>("call");
    for (int failing : {0, 2, 4}) {
        // The key is the id alone: "shared" is stored for another user and cannot be written.
        for (const CvEvent &bad : {fullEvent(s("shared"), day(1)), CvEvent()}) {
            CvEvents events;
            for (int i = 0; i < 5; ++i)
                events << (i == failing ? bad : fullEvent(s("n%1").arg(i), day(i + 1)));
            QTest::addRow("%s at %d", bad.isValid() ? "stored id" : "invalid event", failing)
                << CacheCall([events](CvCache &c) { return c.updateEvents(s("me"), events); });
        }
    }
    const CvCheckin noPlace(s("c9"), CvUserRef(s("me"), s("Me")), CvPlace(s("nowhere")));
    QTest::newRow("check-in without a valid place") << CacheCall([noPlace](CvCache &c) {
        return c.updateCheckins(s("me"), {checkin(s("c2"), {CvUserRef(s("t9"), {})}), noPlace});
    });
    QTest::newRow("single check-in") << CacheCall([noPlace](CvCache &c) {
        return c.updateCheckin(s("me"), noPlace) != CvCache::UpdateFailed;
    });
}

void tst_CvCacheEvents::batchRollsBack()
{
    QFETCH(CacheCall, call);
    QCOMPARE(m_cache->updateEvent(s("you"), fullEvent(s("shared"), day(1))), CvCache::Inserted);
    QVERIFY(m_cache->updateCheckins(s("me"), {checkin(s("c1"))}));
    expectRollback(call);
}

void tst_CvCacheEvents::eventRemoval()
{
    CvEvent fresh = fullEvent(s("fresh"), day(1));
    fresh.setUpdatedTime(day(20));
    CvEvent old = fullEvent(s("old"), day(1));
    old.setUpdatedTime(day(2));
    CvEvent never = fullEvent(s("never"), day(1));
    never.setUpdatedTime(QDateTime());
    QVERIFY(m_cache->updateEvents(s("me"), {fresh, old, never, fullEvent(s("gone"), day(1))}));

    QVERIFY(m_cache->removeEvents(s("me"), {fullEvent(s("gone"), day(1))}));
    QVERIFY(!m_cache->removeEvents(QDateTime()));
    QVERIFY(m_cache->removeEvents(day(10)));
    CvEvents read;
    QVERIFY(m_cache->getEvents(s("me"), &read));
    QCOMPARE(ids(read), QStringList {s("fresh")});
}

void tst_CvCacheEvents::groups()
{
    CvGroups groups;
    for (int i = 1; i <= 4; ++i) {
        CvGroup g(s("g") + QString::number(i), CvUserRef(s("boss"), s("Boss")));
        g.setVersion(i);
        g.setName(s("Group ") + QString::number(i));
        g.setDescription(s("desc"));
        g.setPrivacy(s("CLOSED"));
        g.setIcon(s("icon"));
        g.setUpdatedTime(day(i * 2 % 7 + 1));
        g.setEmail(s("g@example.invalid"));
        g.setLink(s("https://g.invalid"));
        g.setPicture(s("pic"));
        groups << g;
    }
    QVERIFY(m_cache->updateGroups(s("me"), groups));
    QCOMPARE(m_cache->updateGroup(s("me"), groups.at(0)), CvCache::NotChanged);
    CvGroup changed = groups.at(0);
    changed.setName(s("changed"));
    QCOMPARE(m_cache->updateGroup(s("me"), changed), CvCache::Updated);

    reopen();
    CvGroup read;
    QVERIFY(m_cache->getGroup(s("g1"), &read, s("me")));
    QCOMPARE(read, changed);
    QVERIFY(!m_cache->getGroup(s("g1"), &read, s("you")));

    // Latest update first: g3 day 7, g2 day 5, g1 day 3, g4 day 2.
    CvGroups list;
    QVERIFY(m_cache->getGroups(s("me"), &list));
    QCOMPARE(ids(list), (QStringList {s("g3"), s("g2"), s("g1"), s("g4")}));
    QVERIFY(m_cache->getGroups(s("me"), &list, window({}, {}, 1, 2)));
    QCOMPARE(ids(list), (QStringList {s("g2"), s("g1")}));

    QVERIFY(m_cache->removeGroups(s("me"), {groups.at(1), groups.at(2)}));
    QVERIFY(m_cache->getGroups(s("me"), &list));
    QCOMPARE(ids(list), (QStringList {s("g1"), s("g4")}));
}

void tst_CvCacheEvents::checkinWritesAndTags()
{
    const CvCheckin first
        = checkin(s("c1"), {CvUserRef(s("t1"), s("Tina")), CvUserRef(s("t2"), s("Tom"))});
    QCOMPARE(m_cache->updateCheckin(s("me"), first), CvCache::Inserted);
    reopen();
    CvCheckin read;
    QVERIFY(m_cache->getCheckin(s("c1"), &read, s("me")));
    QCOMPARE(read, first);

    // A second write changes the message only; tags of both writes stay.
    CvCheckin second = checkin(s("c1"), {CvUserRef(s("t3"), s("Tess"))});
    second.setMessage(s("still here"));
    second.setCreatedTime(day(9));
    QCOMPARE(m_cache->updateCheckin(s("me"), second), CvCache::Updated);
    QVERIFY(m_cache->getCheckin(s("c1"), &read, s("me")));
    QCOMPARE(read.message(), s("still here"));
    QCOMPARE(read.createdTime(), day(3));
    QStringList tags = ids(read.tags());
    tags.sort();
    QCOMPARE(tags, (QStringList {s("t1"), s("t2"), s("t3")}));
}

void tst_CvCacheEvents::checkinListAndRemoval()
{
    CvCheckins list;
    for (int d : {3, 9, 6}) {
        CvCheckin c = checkin(s("c") + QString::number(d), {CvUserRef(s("t1"), s("Tina"))});
        c.setCreatedTime(day(d));
        list << c;
    }
    QVERIFY(m_cache->updateCheckins(s("me"), list));
    CvCheckins read;
    QVERIFY(m_cache->getCheckins(s("me"), &read, window({}, {}, 0, 2)));
    QCOMPARE(ids(read), (QStringList {s("c9"), s("c6")}));
    QCOMPARE(rows("places"), 3);
    QCOMPARE(rows("checkin_tags"), 3);

    // Without a place id the place row of that check-in stays.
    const CvCheckin noPlace(s("c6"), CvUserRef(s("me"), QString()), CvPlace());
    QVERIFY(m_cache->removeCheckins(s("me"), {list.at(0), noPlace}));
    QVERIFY(m_cache->getCheckins(s("me"), &read));
    QCOMPARE(ids(read), QStringList {s("c9")});
    QCOMPARE(strings("SELECT parent_id FROM places ORDER BY parent_id"),
             (QStringList {s("c6"), s("c9")}));
    QCOMPARE(rows("checkin_tags"), 1);
}

QTEST_GUILESS_MAIN(tst_CvCacheEvents)
#include "tst_cvcache_events.moc"
