// Events, groups, check-ins, pages and places end to end against the emulator over HTTPS.

#include "corvana.h"
#include "emulatorprocess.h"
#include "itemids.h"

#include <QtTest>

using namespace Cv;

namespace {

// The value of argument \a index of the last emission of \a spy.
template<typename T>
T lastArg(const QSignalSpy &spy, int index)
{
    return spy.last().at(index).value<T>();
}

} // namespace

class tst_CorvanaSocialEmulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void eventsDetailsAndRsvp();
    void groupsAndMembers();
    void checkinsAndPlaces();
    void pages();

private:
    FacadeEmulator m_service;
    std::unique_ptr<CvCache> m_cache;
    std::unique_ptr<Corvana> m_corvana;
    std::unique_ptr<QSignalSpy> m_errors;
};

void tst_CorvanaSocialEmulator::initTestCase()
{
    QVERIFY(m_service.start({QStringLiteral("--seed"), QStringLiteral("5")}));
}

// Each test signs in afresh on its own cache file.
void tst_CorvanaSocialEmulator::init()
{
    m_cache = m_service.cache(QString::fromLatin1(QTest::currentTestFunction()));
    m_corvana = m_service.signIn(m_cache.get());
    QVERIFY(m_corvana);
    m_errors = std::make_unique<QSignalSpy>(m_corvana.get(), &Corvana::error);
}

void tst_CorvanaSocialEmulator::cleanup()
{
    if (m_errors)
        QCOMPARE(m_errors->size(), 0);
    m_errors.reset();
    m_corvana.reset();
    m_cache.reset();
}

void tst_CorvanaSocialEmulator::eventsDetailsAndRsvp()
{
    Corvana &corvana = *m_corvana;
    const QString me = corvana.currentProfileId();
    QSignalSpy retrieved(&corvana, &Corvana::eventsRetrieved);
    QSignalSpy updated(&corvana, &Corvana::eventsUpdated);
    QCOMPARE(corvana.retrieveEvents(nullptr), Corvana::Success);
    QVERIFY(updated.wait(20000));
    const CvEvents events = lastArg<CvEvents>(retrieved, 1);
    QVERIFY(!events.isEmpty());
    QCOMPARE(lastArg<QString>(updated, 0), me);
    QCOMPARE(idsOf(lastArg<CvEvents>(updated, 1)), idsOf(events));

    CvEvents cached;
    QCOMPARE(corvana.retrieveEvents(&cached, Corvana::CacheOnly), Corvana::Success);
    QCOMPARE(cached.size(), events.size());

    // Details come with the user's answer; setting another one reads back the same.
    const QString eventId = events.first().id();
    QSignalSpy details(&corvana, &Corvana::eventDetailsRetrieved);
    QSignalSpy detailsStored(&corvana, &Corvana::eventDetailsUpdated);
    QCOMPARE(corvana.retrieveEventDetails(nullptr, eventId), Corvana::Success);
    QVERIFY(detailsStored.wait(20000));
    const CvEvent event = lastArg<CvEvent>(details, 0);
    QCOMPARE(event.id(), eventId);
    QVERIFY(!event.description().isEmpty());
    const Corvana::EventRsvpStatus before = Corvana::eventRsvpStatusFromString(event.rsvpStatus());
    const Corvana::EventRsvpStatus after
        = before == Corvana::RsvpDeclined ? Corvana::RsvpAttending : Corvana::RsvpDeclined;

    QSignalSpy rsvpSet(&corvana, &Corvana::eventRsvpStatusSet);
    QCOMPARE(corvana.setEventRsvpStatus(eventId, after), Corvana::Success);
    QVERIFY(rsvpSet.wait(20000));
    QCOMPARE(rsvpSet.last(), QVariantList({eventId, true, QVariant::fromValue(after)}));

    QCOMPARE(corvana.retrieveEventDetails(nullptr, eventId), Corvana::Success);
    QVERIFY(detailsStored.wait(20000));
    QCOMPARE(lastArg<CvEvent>(detailsStored, 0).rsvpStatus(),
             Corvana::eventRsvpStatusToString(after));
    CvEvent stored;
    QCOMPARE(corvana.retrieveEventDetails(&stored, eventId, Corvana::CacheOnly), Corvana::Success);
    QCOMPARE(stored.rsvpStatus(), Corvana::eventRsvpStatusToString(after));

    QSignalSpy invited(&corvana, &Corvana::invitedUsersRetrieved);
    QCOMPARE(corvana.retrieveInvitedUsers(eventId, after), Corvana::Success);
    QVERIFY(invited.wait(20000));
    QCOMPARE(lastArg<QString>(invited, 0), eventId);
    QCOMPARE(lastArg<Corvana::EventRsvpStatus>(invited, 1), after);
    QStringList answered;
    for (const CvUserRef &ref : lastArg<CvUserRefs>(invited, 2))
        answered.append(ref.id);
    QVERIFY(answered.contains(me));
}

void tst_CorvanaSocialEmulator::groupsAndMembers()
{
    Corvana &corvana = *m_corvana;
    const QString me = corvana.currentProfileId();
    QSignalSpy updated(&corvana, &Corvana::groupsUpdated);
    QCOMPARE(corvana.retrieveGroups(nullptr), Corvana::Success);
    QVERIFY(updated.wait(20000));
    const CvGroups groups = lastArg<CvGroups>(updated, 1);
    QVERIFY(!groups.isEmpty());

    QSignalSpy members(&corvana, &Corvana::membersRetrieved);
    QCOMPARE(corvana.retrieveMembers(groups.first().id()), Corvana::Success);
    QVERIFY(members.wait(20000));
    QCOMPARE(lastArg<QString>(members, 0), groups.first().id());
    QVERIFY(idsOf(lastArg<CvUsers>(members, 1)).contains(me));

    QSignalSpy details(&corvana, &Corvana::groupDetailsUpdated);
    QCOMPARE(corvana.retrieveGroupDetails(nullptr, groups.first().id()), Corvana::Success);
    QVERIFY(details.wait(20000));
    CvGroup stored;
    QCOMPARE(corvana.retrieveGroupDetails(&stored, groups.first().id(), Corvana::CacheOnly),
             Corvana::Success);
    QCOMPARE(stored, lastArg<CvGroup>(details, 0));
}

void tst_CorvanaSocialEmulator::checkinsAndPlaces()
{
    Corvana &corvana = *m_corvana;
    QSignalSpy updated(&corvana, &Corvana::checkinsUpdated);
    QCOMPARE(corvana.retrieveCheckins(nullptr), Corvana::Success);
    QVERIFY(updated.wait(20000));
    const int before = lastArg<CvCheckins>(updated, 1).size();

    // Any place will do: search around the first check-in's place, then check in there.
    QSignalSpy recent(&corvana, &Corvana::recentCheckinsRetrieved);
    QCOMPARE(corvana.retrieveRecentCheckins(), Corvana::Success);
    QVERIFY(recent.wait(20000));
    const CvCheckins seen = lastArg<CvCheckins>(recent, 0);
    QVERIFY(!seen.isEmpty());
    const CvLocation around = seen.first().place().location();

    QSignalSpy places(&corvana, &Corvana::placeSearchReady);
    QCOMPARE(corvana.searchPlace(QStringLiteral("near"), QString(), around.latitude(),
                                 around.longitude(), 100),
             Corvana::Success);
    QVERIFY(places.wait(20000));
    QCOMPARE(lastArg<QString>(places, 0), QStringLiteral("near"));
    const CvPlaces found = lastArg<CvPlaces>(places, 1);
    QVERIFY(idsOf(found).contains(seen.first().place().id()));

    QSignalSpy checkedIn(&corvana, &Corvana::placeCheckedInto);
    QCOMPARE(corvana.checkIntoPlace(found.first(), QStringLiteral("Here again")), Corvana::Success);
    QVERIFY(checkedIn.wait(20000));

    QCOMPARE(corvana.retrieveCheckins(nullptr), Corvana::Success);
    QVERIFY(updated.wait(20000));
    const CvCheckins added = lastArg<CvCheckins>(updated, 1);
    QCOMPARE(added.size(), 1);
    QCOMPARE(added.first().message(), QStringLiteral("Here again"));
    QCOMPARE(added.first().place().id(), found.first().id());
    QCOMPARE(lastArg<CvCheckins>(updated, 2).size(), before);

    QSignalSpy single(&corvana, &Corvana::checkinUpdated);
    QCOMPARE(corvana.retrieveCheckin(nullptr, added.first().id()), Corvana::Success);
    QVERIFY(single.wait(20000));
    CvCheckin stored;
    QCOMPARE(corvana.retrieveCheckin(&stored, added.first().id()), Corvana::Success);
    QCOMPARE(stored.message(), QStringLiteral("Here again"));
}

void tst_CorvanaSocialEmulator::pages()
{
    Corvana &corvana = *m_corvana;
    const QString me = corvana.currentProfileId();
    QSignalSpy liked(&corvana, &Corvana::likedPagesRetrieved);
    QCOMPARE(corvana.retrieveLikedPages(), Corvana::Success);
    QVERIFY(liked.wait(20000));
    QCOMPARE(lastArg<QString>(liked, 0), me);
    const QStringList likedIds = idsOf(lastArg<CvPages>(liked, 1));

    QSignalSpy mine(&corvana, &Corvana::myPagesRetrieved);
    QCOMPARE(corvana.retrieveMyPages(), Corvana::Success);
    QVERIFY(mine.wait(20000));
    const CvPages administered = lastArg<CvPages>(mine, 0);
    QVERIFY(!administered.isEmpty());

    QSignalSpy details(&corvana, &Corvana::pageDetailsRetrieved);
    QCOMPARE(corvana.retrievePageDetails(administered.first().id()), Corvana::Success);
    QVERIFY(details.wait(20000));
    const CvPage page = lastArg<CvPage>(details, 0);
    QCOMPARE(page.id(), administered.first().id());
    QCOMPARE(page.name(), administered.first().name());
    QVERIFY(page.likes() > 0);

    // Liking a page not liked yet adds it to the liked pages (the seeded user administers one
    // page it does not like).
    QString other;
    for (const CvPage &p : administered) {
        if (!likedIds.contains(p.id()))
            other = p.id();
    }
    QVERIFY(!other.isEmpty());
    QSignalSpy pageLiked(&corvana, &Corvana::pageLiked);
    QCOMPARE(corvana.likePage(other), Corvana::Success);
    QVERIFY(pageLiked.wait(20000));
    QCOMPARE(lastArg<QString>(pageLiked, 0), other);
    QCOMPARE(corvana.retrieveLikedPages(), Corvana::Success);
    QVERIFY(liked.wait(20000));
    QVERIFY(idsOf(lastArg<CvPages>(liked, 1)).contains(other));
}

QTEST_GUILESS_MAIN(tst_CorvanaSocialEmulator)
#include "tst_corvana_social_emulator.moc"
