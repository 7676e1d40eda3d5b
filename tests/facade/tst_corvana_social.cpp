// Events, groups, check-ins, pages and places of the facade against the scripted service.

#include "corvana.h"
#include "cvcache.h"
#include "cvdataconverter.h"
#include "cvdatafilter.h"
#include "facadefixture.h"
#include "itemids.h"

#include <QJsonDocument>
#include <QtTest>

#include <functional>

using namespace Cv;
using namespace Qt::StringLiterals;

namespace {

const QString me = FacadeFixture::profileId();

// One item of each kind as the service sends it; "tag" makes its name and message differ.
QByteArray itemJson(const QString &kind, const QString &id, const QString &tag = QString())
{
    const QString name = id.toUpper() + tag;
    QString json;
    if (kind == QLatin1String("events"))
        json = QStringLiteral(R"({"id":"%1","name":"%2","start_time":"2026-03-01T10:00:00+0000",
            "updated_time":"2026-02-01T10:00:00+0000"})")
                   .arg(id, name);
    else if (kind == QLatin1String("groups"))
        json
            = QStringLiteral(R"({"id":"%1","name":"%2","updated_time":"2026-02-01T10:00:00+0000"})")
                  .arg(id, name);
    else
        json = QStringLiteral(R"({"id":"%1","from":{"id":"100","name":"Ann"},"message":"%2",
            "place":{"id":"p1","name":"Cafe","location":{"latitude":60.1,"longitude":24.9}},
            "created_time":"2026-02-01T10:00:00+0000"})")
                   .arg(id, name);
    return json.toUtf8();
}

QByteArray listJson(const QByteArrayList &items, const QByteArray &extra = QByteArray())
{
    return "{\"data\":[" + items.join(',') + ']' + extra + '}';
}

QVariantList parsedList(const QByteArrayList &items)
{
    return QJsonDocument::fromJson('[' + items.join(',') + ']').toVariant().toList();
}

// Stores the items under \a owner as the facade would.
bool store(CvCache &cache, const QString &kind, const QString &owner, const QByteArrayList &items)
{
    const QVariantList list = parsedList(items);
    if (kind == QLatin1String("events"))
        return cache.updateEvents(owner, CvDataConverter::toEvents(list));
    if (kind == QLatin1String("groups"))
        return cache.updateGroups(owner, CvDataConverter::toGroups(list));
    return cache.updateCheckins(owner, CvDataConverter::toCheckins(list));
}

// The ids of a list of any of the three kinds carried in a signal argument.
QStringList idsIn(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<CvEvents>())
        return idsOf(value.value<CvEvents>());
    if (value.metaType() == QMetaType::fromType<CvGroups>())
        return idsOf(value.value<CvGroups>());
    return idsOf(value.value<CvCheckins>());
}

QStringList cachedIds(CvCache &cache, const QString &kind, const QString &owner)
{
    QStringList ids;
    if (kind == QLatin1String("events")) {
        CvEvents events;
        cache.getEvents(owner, &events);
        ids = idsOf(events);
    } else if (kind == QLatin1String("groups")) {
        CvGroups groups;
        cache.getGroups(owner, &groups);
        ids = idsOf(groups);
    } else {
        CvCheckins checkins;
        cache.getCheckins(owner, &checkins);
        ids = idsOf(checkins);
    }
    ids.sort();
    return ids;
}

using Operation = std::function<Corvana::ReturnCode(Corvana &)>;

} // namespace

Q_DECLARE_METATYPE(Operation)

class tst_CorvanaSocial : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void synchronization_data();
    void synchronization();
    void eventDetailsBatch_data();
    void eventDetailsBatch();
    void rsvpStatusConnections_data();
    void rsvpStatusConnections();
    void placeSearch_data();
    void placeSearch();
    void eventOfAnotherUserIsRefusedByTheCache();
    void singleObjectsRefreshOnlyWhatIsCached_data();
    void singleObjectsRefreshOnlyWhatIsCached();

private:
    std::unique_ptr<FacadeFixture> m_fixture;
};

void tst_CorvanaSocial::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
}

void tst_CorvanaSocial::cleanup()
{
    m_fixture.reset();
}

void tst_CorvanaSocial::synchronization_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("owner"); // the id asked for
    QTest::addColumn<bool>("windowed");
    QTest::addColumn<QByteArray>("paging"); // appended to the reply; "-": no list at all
    QTest::addColumn<QStringList>("removed"); // reported and deleted
    QTest::addColumn<bool>("synchronized"); // whether an update signal and cache writes follow

    const QStringList x = {QStringLiteral("x")};
    const QByteArray next = R"(,"paging":{"next":"https://127.0.0.1/100/groups?offset=2"})";
    const QByteArray none;
    QTest::newRow("events in a window") << u"events"_s << u"me"_s << true << none << x << true;
    QTest::newRow("events without window")
        << u"events"_s << u"me"_s << false << none << QStringList() << true;
    QTest::newRow("groups") << u"groups"_s << u"me"_s << false << none << x << true;
    QTest::newRow("check-ins") << u"checkins"_s << u"100"_s << false << none << x << true;
    QTest::newRow("groups with pages left")
        << u"groups"_s << u"me"_s << false << next << QStringList() << true;
    QTest::newRow("check-ins without a list")
        << u"checkins"_s << u"me"_s << false << QByteArray("-") << QStringList() << false;
    QTest::newRow("groups of another user")
        << u"groups"_s << u"200"_s << false << none << QStringList() << false;
    QTest::newRow("check-ins of another user")
        << u"checkins"_s << u"200"_s << false << none << QStringList() << false;
}

void tst_CorvanaSocial::synchronization()
{
    QFETCH(QString, kind);
    QFETCH(QString, owner);
    QFETCH(bool, windowed);
    QFETCH(QByteArray, paging);
    QFETCH(QStringList, removed);
    QFETCH(bool, synchronized);

    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    const QString resolved = owner == QLatin1String("me") ? me : owner;
    QVERIFY(store(m_fixture->cache(), kind, me, {itemJson(kind, u"x"_s), itemJson(kind, u"y"_s)}));
    const bool malformed = paging == "-";
    m_fixture->setPath(
        QLatin1Char('/') + resolved + QLatin1Char('/') + kind,
        malformed ? R"({"summary":{"total_count":2}})"
                  : listJson({itemJson(kind, u"y"_s, u"2"_s), itemJson(kind, u"z"_s)}, paging));

    CvDataFilter filter(owner);
    if (windowed)
        filter.since = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    const std::map<QString, std::pair<const char *, const char *>> signalsOf
        = {{u"events"_s,
            {SIGNAL(eventsRetrieved(QString, Cv::CvEvents)),
             SIGNAL(eventsUpdated(QString, Cv::CvEvents, Cv::CvEvents, Cv::CvEvents))}},
           {u"groups"_s,
            {SIGNAL(groupsRetrieved(QString, Cv::CvGroups)),
             SIGNAL(groupsUpdated(QString, Cv::CvGroups, Cv::CvGroups, Cv::CvGroups))}},
           {u"checkins"_s,
            {SIGNAL(checkinsRetrieved(QString, Cv::CvCheckins)),
             SIGNAL(checkinsUpdated(QString, Cv::CvCheckins, Cv::CvCheckins, Cv::CvCheckins))}}};
    QSignalSpy retrieved(corvana.get(), signalsOf.at(kind).first);
    QSignalSpy updated(corvana.get(), signalsOf.at(kind).second);
    QSignalSpy errors(corvana.get(), &Corvana::error);
    SignalRecorder recorder(corvana.get());
    const int sent = m_fixture->service().requestCount();
    const Corvana::ReturnCode code = kind == QLatin1String("events")
        ? corvana->retrieveEvents(nullptr, filter)
        : kind == QLatin1String("groups") ? corvana->retrieveGroups(nullptr, filter)
                                          : corvana->retrieveCheckins(nullptr, filter);
    QCOMPARE(code, Corvana::Success);
    QTRY_VERIFY_WITH_TIMEOUT(retrieved.size() + errors.size() > 0, 20000);
    QTest::qWait(50);

    // The request names the signed-in user by id, so the reply is filed under that id.
    QCOMPARE(m_fixture->requestsSince(sent).size(), 1);
    const TestService::Request request = m_fixture->requestsSince(sent).value(0);
    QCOMPARE(request.path, QLatin1Char('/') + resolved + QLatin1Char('/') + kind);
    QCOMPARE(!request.queryValue(u"since"_s).isNull(), windowed);
    if (malformed) {
        // A reply without its list is a failure, never an empty list that removes everything.
        QCOMPARE(retrieved.size(), 0);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::OperationFailed);
    } else {
        QCOMPARE(retrieved.first().at(0).toString(), resolved);
        QCOMPARE(idsIn(retrieved.first().at(1)), QStringList({u"y"_s, u"z"_s}));
        QCOMPARE(errors.size(), 0);
    }

    // Nothing else is emitted: no update after a failure or a reply that is not the user's own.
    const QStringList emitted = malformed ? QStringList {u"error"_s}
        : synchronized                    ? QStringList {kind + u"Retrieved"_s, kind + u"Updated"_s}
                                          : QStringList {kind + u"Retrieved"_s};
    QCOMPARE(recorder.emitted(emitted), emitted);

    QStringList expectedCache = {QStringLiteral("x"), QStringLiteral("y")};
    if (synchronized) {
        QCOMPARE(updated.size(), 1);
        const QVariantList args = updated.first();
        QCOMPARE(args.at(0).toString(), me);
        QCOMPARE(idsIn(args.at(1)), QStringList({u"z"_s}));
        QCOMPARE(idsIn(args.at(2)), QStringList({u"y"_s}));
        QCOMPARE(idsIn(args.at(3)), removed);
        expectedCache = QStringList({u"x"_s, u"y"_s, u"z"_s});
        for (const QString &gone : removed)
            expectedCache.removeOne(gone);
    } else {
        QCOMPARE(updated.size(), 0);
    }
    QCOMPARE(cachedIds(m_fixture->cache(), kind, me), expectedCache);
}

void tst_CorvanaSocial::eventDetailsBatch_data()
{
    QTest::addColumn<int>("rsvpCode");
    QTest::addColumn<QByteArray>("rsvpBody");
    QTest::addColumn<QString>("rsvpStatus"); // stored with the event; empty: the batch failed

    QTest::newRow("both answered")
        << 200 << QByteArray(R"({"data":[{"rsvp_status":"unsure"}]})") << u"unsure"_s;
    QTest::newRow("no answer row") << 200 << QByteArray(R"({"data":[]})") << u""_s;
    QTest::newRow("status query failed")
        << 500 << QByteArray(R"({"error":{"message":"Query failed","type":"Exception"}})")
        << QString();
}

void tst_CorvanaSocial::eventDetailsBatch()
{
    QFETCH(int, rsvpCode);
    QFETCH(QByteArray, rsvpBody);
    QFETCH(QString, rsvpStatus);

    const QByteArray event = R"({"id":"e1","name":"Launch","owner":{"id":"7","name":"Bo"},
        "start_time":"2026-03-01T10:00:00+0000","updated_time":"2026-02-01T10:00:00+0000"})";
    QVariantList subRequests;
    m_fixture->setBatchResponder([&](const QVariantList &requests) {
        subRequests = requests;
        return QList<FacadeFixture::SubReply>({{200, event}, {rsvpCode, rsvpBody}});
    });
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QSignalSpy retrieved(corvana.get(), &Corvana::eventDetailsRetrieved);
    QSignalSpy updated(corvana.get(), &Corvana::eventDetailsUpdated);
    QSignalSpy errors(corvana.get(), &Corvana::error);
    SignalRecorder recorder(corvana.get());
    const int sent = m_fixture->service().requestCount();
    QCOMPARE(corvana->retrieveEventDetails(nullptr, u"e1"_s), Corvana::Success);
    QTRY_VERIFY_WITH_TIMEOUT(retrieved.size() + errors.size() > 0, 20000);
    QTest::qWait(50);

    // One batch: the event with the details field set, then the user's answer as a statement.
    QCOMPARE(m_fixture->requestsSince(sent).size(), 1);
    QCOMPARE(subRequests.size(), 2);
    const QVariantMap object = subRequests.at(0).toMap();
    QCOMPARE(object.value(u"method"_s).toString(), u"GET"_s);
    const QUrl objectUrl(object.value(u"relative_url"_s).toString());
    QCOMPARE(objectUrl.path(), u"e1"_s);
    const QStringList fields
        = QUrlQuery(objectUrl).queryItemValue(u"fields"_s).split(QLatin1Char(','));
    QCOMPARE(
        QSet<QString>(fields.cbegin(), fields.cend()),
        QSet<QString>({u"id"_s, u"owner"_s, u"name"_s, u"description"_s, u"start_time"_s,
                       u"end_time"_s, u"location"_s, u"venue"_s, u"privacy"_s, u"updated_time"_s}));
    QCOMPARE(subRequests.at(1).toMap().value(u"method"_s).toString(), u"POST"_s);
    QCOMPARE(subRequests.at(1).toMap().value(u"relative_url"_s).toString(),
             u"method/cvql.query?query=SELECT rsvp_status FROM event_member WHERE uid=me() AND "
             "eid=e1"_s);

    const QStringList emitted = rsvpStatus.isNull()
        ? QStringList {u"error"_s}
        : QStringList {u"eventDetailsRetrieved"_s, u"eventDetailsUpdated"_s};
    QCOMPARE(recorder.emitted(emitted), emitted);
    if (rsvpStatus.isNull()) {
        // The error carries the event's id and, as headers, the first element of the first
        // sub-reply's body in compact form.
        QCOMPARE(retrieved.size(), 0);
        QCOMPARE(errors.size(), 1);
        const CvError error = errors.first().first().value<CvError>();
        QCOMPARE(error.errorType(), CvError::GeneralError);
        QCOMPARE(error.objectId(), u"e1"_s);
        QCOMPARE(error.corvanaErrorHeaders().toUtf8(),
                 QJsonDocument::fromJson(event).toJson(QJsonDocument::Compact));
        CvEvent stored;
        QVERIFY(!m_fixture->cache().getEvent(me, u"e1"_s, &stored));
        return;
    }
    QCOMPARE(errors.size(), 0);
    QCOMPARE(retrieved.size(), 1);
    QCOMPARE(updated.size(), 1);
    const CvEvent got = retrieved.first().first().value<CvEvent>();
    QCOMPARE(got.name(), u"Launch"_s);
    QCOMPARE(got.rsvpStatus(), rsvpStatus);
    QCOMPARE(updated.first().first().value<CvEvent>(), got);
    // Filed under the signed-in user.
    CvEvent stored;
    QCOMPARE(corvana->retrieveEventDetails(&stored, u"e1"_s, Corvana::CacheOnly), Corvana::Success);
    QCOMPARE(stored, got);
}

void tst_CorvanaSocial::rsvpStatusConnections_data()
{
    QTest::addColumn<Corvana::EventRsvpStatus>("status");
    QTest::addColumn<QString>("connection"); // lists the users with that answer
    QTest::addColumn<QString>("answer"); // the path element that gives it; empty: none

    QTest::newRow("attending") << Corvana::RsvpAttending << u"attending"_s << u"attending"_s;
    QTest::newRow("unsure") << Corvana::RsvpUnsure << u"maybe"_s << u"maybe"_s;
    QTest::newRow("declined") << Corvana::RsvpDeclined << u"declined"_s << u"declined"_s;
    QTest::newRow("not replied") << Corvana::RsvpNotReplied << u"noreply"_s << QString();
    QTest::newRow("invited") << Corvana::RsvpInvited << u"invited"_s << QString();
}

void tst_CorvanaSocial::rsvpStatusConnections()
{
    QFETCH(Corvana::EventRsvpStatus, status);
    QFETCH(QString, connection);
    QFETCH(QString, answer);

    m_fixture->setPath(u"/e1/"_s + connection, R"({"data":[{"id":"7","name":"Bo"}]})");
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QSignalSpy invited(corvana.get(), &Corvana::invitedUsersRetrieved);
    SignalRecorder recorder(corvana.get());
    const int sent = m_fixture->service().requestCount();
    QCOMPARE(corvana->retrieveInvitedUsers(u"e1"_s, status), Corvana::Success);
    QVERIFY(invited.wait(20000));
    QTest::qWait(50);
    QCOMPARE(recorder.emitted({u"invitedUsersRetrieved"_s}),
             QStringList {u"invitedUsersRetrieved"_s});
    QCOMPARE(m_fixture->requestsSince(sent).size(), 1);
    QCOMPARE(m_fixture->service().lastRequest().path, u"/e1/"_s + connection);
    QCOMPARE(invited.first().at(0).toString(), u"e1"_s);
    QCOMPARE(invited.first().at(1).value<Corvana::EventRsvpStatus>(), status);
    const CvUserRefs users = invited.first().at(2).value<CvUserRefs>();
    QCOMPARE(users.size(), 1);
    QCOMPARE(users.first().name, u"Bo"_s);

    if (answer.isEmpty())
        return;
    m_fixture->setPath(u"/e1/"_s + answer, "true");
    QSignalSpy set(corvana.get(), &Corvana::eventRsvpStatusSet);
    QCOMPARE(corvana->setEventRsvpStatus(u"e1"_s, status), Corvana::Success);
    QVERIFY(set.wait(20000));
    QTest::qWait(50);
    const QStringList emitted {u"invitedUsersRetrieved"_s, u"eventRsvpStatusSet"_s};
    QCOMPARE(recorder.emitted(emitted), emitted);
    const TestService::Request request = m_fixture->service().lastRequest();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, u"/e1/"_s + answer);
    QCOMPARE(set.first(), QVariantList({u"e1"_s, true, QVariant::fromValue(status)}));
}

void tst_CorvanaSocial::placeSearch_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("searchId");
    QTest::addColumn<QString>("query"); // the "q" sent
    QTest::addColumn<QString>("center"); // null: not sent
    QTest::addColumn<QString>("distance");

    QTest::newRow("around a point, no query") << Operation(
        [](Corvana &c) { return c.searchPlace(u"s1"_s, QString(), 60.17f, 24.94f, 1000); })
                                              << u"s1"_s << u"*"_s << u"60.17,24.94"_s << u"1000"_s;
    QTest::newRow("around a point, six digits") << Operation([](Corvana &c) {
        return c.searchPlace(u"s2"_s, u"cafe"_s, -33.868820f, 151.209296f, 50);
    }) << u"s2"_s << u"cafe"_s << u"-33.8688,151.209"_s
                                                << u"50"_s;
    QTest::newRow("query only") << Operation(
        [](Corvana &c) { return c.searchPlace(u"s3"_s, u"cafe"_s); })
                                << u"s3"_s << u"cafe"_s << QString() << QString();
}

void tst_CorvanaSocial::placeSearch()
{
    QFETCH(Operation, operation);
    QFETCH(QString, searchId);
    QFETCH(QString, query);
    QFETCH(QString, center);
    QFETCH(QString, distance);

    m_fixture->setPath(u"/search"_s, R"({"data":[{"id":"p1","name":"Cafe",
        "location":{"latitude":60.1,"longitude":24.9}},{"name":"no id"}]})");
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QSignalSpy ready(corvana.get(), &Corvana::placeSearchReady);
    SignalRecorder recorder(corvana.get());
    const int sent = m_fixture->service().requestCount();
    QCOMPARE(operation(*corvana), Corvana::Success);
    QVERIFY(ready.wait(20000));
    QTest::qWait(50);
    QCOMPARE(recorder.emitted({u"placeSearchReady"_s}), QStringList {u"placeSearchReady"_s});

    QCOMPARE(m_fixture->requestsSince(sent).size(), 1);
    const TestService::Request request = m_fixture->service().lastRequest();
    QCOMPARE(request.path, u"/search"_s);
    QCOMPARE(request.queryValue(u"type"_s), u"place"_s);
    QCOMPARE(request.queryValue(u"q"_s), query);
    QCOMPARE(request.queryValue(u"center"_s), center);
    QCOMPARE(request.queryValue(u"distance"_s), distance);
    QCOMPARE(ready.first().at(0).toString(), searchId);
    QCOMPARE(idsOf(ready.first().at(1).value<CvPlaces>()), QStringList({u"p1"_s}));
}

// Events are keyed by id alone: an event already stored for another user cannot be stored for
// the signed-in one. That failure is reported once per reply and leaves the cache as it was.
void tst_CorvanaSocial::eventOfAnotherUserIsRefusedByTheCache()
{
    const QByteArray event = itemJson(u"events"_s, u"e1"_s, u" moved"_s);
    m_fixture->setBatchResponder([&](const QVariantList &) {
        return QList<FacadeFixture::SubReply>({{200, event}, {200, R"({"data":[]})"}});
    });
    m_fixture->setPath(u"/100/events"_s, listJson({event}));
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QCOMPARE(m_fixture->cache().updateUser(CvUser(u"200"_s, u"Cy"_s)), CvCache::Inserted);
    QVERIFY(store(m_fixture->cache(), u"events"_s, u"200"_s, {itemJson(u"events"_s, u"e1"_s)}));

    QSignalSpy details(corvana.get(), &Corvana::eventDetailsRetrieved);
    QSignalSpy detailsStored(corvana.get(), &Corvana::eventDetailsUpdated);
    QSignalSpy listed(corvana.get(), &Corvana::eventsRetrieved);
    QSignalSpy listStored(corvana.get(), &Corvana::eventsUpdated);
    QSignalSpy errors(corvana.get(), &Corvana::error);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Cache update failed: "_s));
    QCOMPARE(corvana->retrieveEventDetails(nullptr, u"e1"_s), Corvana::Success);
    QVERIFY(details.wait(20000));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Events sync failed: "_s));
    QCOMPARE(corvana->retrieveEvents(nullptr), Corvana::Success);
    QVERIFY(listed.wait(20000));
    QTest::qWait(50);

    QCOMPARE(detailsStored.size(), 0);
    QCOMPARE(listStored.size(), 0);
    QCOMPARE(errors.size(), 2);
    for (const QVariantList &args : std::as_const(errors))
        QCOMPARE(args.first().value<CvError>().errorType(), CvError::CacheError);
    CvEvent stored;
    QVERIFY(m_fixture->cache().getEvent(u"200"_s, u"e1"_s, &stored));
    QCOMPARE(stored.name(), u"E1"_s);
    QVERIFY(!m_fixture->cache().getEvent(me, u"e1"_s, &stored));
}

void tst_CorvanaSocial::singleObjectsRefreshOnlyWhatIsCached_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("cached");

    QTest::newRow("group in the list") << u"groups"_s << true;
    QTest::newRow("group not in the list") << u"groups"_s << false;
    QTest::newRow("check-in in the list") << u"checkins"_s << true;
    QTest::newRow("check-in not in the list") << u"checkins"_s << false;
}

void tst_CorvanaSocial::singleObjectsRefreshOnlyWhatIsCached()
{
    QFETCH(QString, kind);
    QFETCH(bool, cached);

    m_fixture->setPath(u"/x"_s, itemJson(kind, u"x"_s, u" renamed"_s));
    auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    if (cached)
        QVERIFY(store(m_fixture->cache(), kind, me, {itemJson(kind, u"x"_s)}));

    const bool group = kind == QLatin1String("groups");
    QSignalSpy retrieved(corvana.get(),
                         group ? SIGNAL(groupDetailsRetrieved(Cv::CvGroup))
                               : SIGNAL(checkinRetrieved(Cv::CvCheckin)));
    QSignalSpy updated(corvana.get(),
                       group ? SIGNAL(groupDetailsUpdated(Cv::CvGroup))
                             : SIGNAL(checkinUpdated(Cv::CvCheckin)));
    SignalRecorder recorder(corvana.get());
    const int sent = m_fixture->service().requestCount();
    QCOMPARE(group ? corvana->retrieveGroupDetails(nullptr, u"x"_s)
                   : corvana->retrieveCheckin(nullptr, u"x"_s),
             Corvana::Success);
    QVERIFY(updated.wait(20000));
    QTest::qWait(50);
    const QStringList emitted = group
        ? QStringList {u"groupDetailsRetrieved"_s, u"groupDetailsUpdated"_s}
        : QStringList {u"checkinRetrieved"_s, u"checkinUpdated"_s};
    QCOMPARE(recorder.emitted(emitted), emitted);
    QCOMPARE(retrieved.size(), 1);
    QCOMPARE(updated.size(), 1);
    QCOMPARE(m_fixture->requestsSince(sent).size(), 1);
    QCOMPARE(m_fixture->service().lastRequest().path, u"/x"_s);

    // The reply refreshes a stored item and never adds one.
    CvGroup storedGroup;
    CvCheckin storedCheckin;
    const bool found = group ? m_fixture->cache().getGroup(u"x"_s, &storedGroup, me)
                             : m_fixture->cache().getCheckin(u"x"_s, &storedCheckin, me);
    QCOMPARE(found, cached);
    if (cached)
        QCOMPARE(group ? storedGroup.name() : storedCheckin.message(), u"X renamed"_s);
}

QTEST_GUILESS_MAIN(tst_CorvanaSocial)
#include "tst_corvana_social.moc"
