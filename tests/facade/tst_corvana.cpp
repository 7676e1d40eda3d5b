#include "corvana.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"
#include "cvgraph.h"
#include "testservice.h"

#include <QtTest>

using namespace Cv;

namespace {

const char *const profileJson = R"({"id":"100","name":"Ann Example","first_name":"Ann",
    "username":"ann","email":"ann@example.com"})";
const QByteArray serviceDate = "Mon, 07 Dec 2026 10:00:00 GMT";
const QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);

CvUser user(const QString &id, const QString &name, const QString &birthday = QString())
{
    CvUser u(id, name);
    u.setBirthday(birthday);
    return u;
}

QStringList ids(const CvUserRefs &refs)
{
    QStringList out;
    for (const CvUserRef &ref : refs)
        out.append(ref.id);
    return out;
}

QStringList ids(const CvUsers &users)
{
    QStringList out;
    for (const CvUser &u : users)
        out.append(u.id());
    return out;
}

} // namespace

class tst_Corvana : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void onlineInitialization();
    void offlineInitialization_data();
    void offlineInitialization();
    void ownedAndBorrowedCache();
    void returnCodes_data();
    void returnCodes();
    void friendSynchronization_data();
    void friendSynchronization();
    void birthdaysInUpcomingOrder();
    void birthdayConditionAcrossNewYear();
    void friendChecks_data();
    void friendChecks();
    void profileDetailsBatch();
    void storedDataAnsweredWithoutNetwork();
    void cacheFailureStillDeliversResult();

private:
    // Serves the signed-in user's profile, and a picture redirect for it.
    TestService::Reply answer(const TestService::Request &request);
    void initOnline(Corvana &corvana);
    std::unique_ptr<Corvana> onlineFacade();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestService> m_service;
    std::unique_ptr<CvCache> m_cache;
    QHash<QString, QByteArray> m_bodies; // path -> JSON body served for it
};

void tst_Corvana::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_service = std::make_unique<TestService>();
    QVERIFY(m_service->isListening());
    QVERIFY(CvEndpoints::setGraphBaseUrl(m_service->baseUrl()));
    QVERIFY(CvEndpoints::setRestBaseUrl(m_service->baseUrl()));
    m_bodies.clear();
    m_bodies.insert(QStringLiteral("/me"), profileJson);
    m_service->setHandler([this](const TestService::Request &r) { return answer(r); });

    CvCacheConfiguration configuration;
    configuration.setDatabaseName(m_dir->filePath(QStringLiteral("cache.db")));
    configuration.setPath(m_dir->filePath(QStringLiteral("files")));
    m_cache = std::make_unique<CvCache>(configuration);
}

void tst_Corvana::cleanup()
{
    m_cache.reset();
    m_service.reset();
    m_dir.reset();
    CvEndpoints::reset();
}

TestService::Reply tst_Corvana::answer(const TestService::Request &request)
{
    if (request.path == QLatin1String("/me/picture"))
        return TestService::Reply::redirect(m_service->baseUrl().toString().toUtf8()
                                            + "/files/ann_q.jpg");
    if (request.path == QLatin1String("/files/ann_q.jpg"))
        return TestService::Reply::text(jpeg);
    const auto body = m_bodies.constFind(request.path);
    if (body == m_bodies.constEnd())
        return TestService::Reply::json(R"({"data":[]})");
    return TestService::Reply::json(*body).header("Date", serviceDate);
}

// Signs in and waits for the profile picture that sign-in downloads, so that later requests
// are the only ones the service sees.
void tst_Corvana::initOnline(Corvana &corvana)
{
    QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
    QSignalSpy picture(&corvana, &Corvana::profilePictureUpdated);
    corvana.init();
    QVERIFY(initialized.wait(20000));
    QCOMPARE(corvana.currentProfileId(), QStringLiteral("100"));
    QVERIFY(picture.count() == 1 || picture.wait(20000));
}

std::unique_ptr<Corvana> tst_Corvana::onlineFacade()
{
    CorvanaConfiguration configuration(QStringLiteral("token-1234"),
                                       CorvanaConfiguration::AccessToken);
    configuration.setCache(m_cache.get());
    auto corvana = std::make_unique<Corvana>(configuration);
    initOnline(*corvana);
    return corvana;
}

void tst_Corvana::onlineInitialization()
{
    CorvanaConfiguration configuration(QStringLiteral("token-1234"),
                                       CorvanaConfiguration::AccessToken);
    configuration.setCache(m_cache.get());
    Corvana corvana(configuration);
    QCOMPARE(corvana.retrieveFriends(nullptr), Corvana::NotInitialized);
    QVERIFY(!corvana.graph());

    QSignalSpy stamped(&corvana, qOverload<const QDateTime &>(&Corvana::initialized));
    QSignalSpy plain(&corvana, qOverload<>(&Corvana::initialized));
    QSignalSpy profile(&corvana, &Corvana::profileUpdated);
    QSignalSpy picture(&corvana, &Corvana::profilePictureUpdated);
    corvana.init();
    QVERIFY(profile.wait(20000));

    // The profile request: "me" with the profile field set, token first.
    const TestService::Request first = m_service->requests().first();
    QCOMPARE(first.path, QStringLiteral("/me"));
    QCOMPARE(first.queryKeys().first(), QStringLiteral("access_token"));
    QCOMPARE(first.queryValue(QStringLiteral("fields")).split(QLatin1Char(',')).size(), 24);

    QCOMPARE(stamped.size(), 1);
    QCOMPARE(plain.size(), 1);
    QCOMPARE(stamped.first().first().toDateTime(),
             QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC));
    QCOMPARE(profile.first().first().toString(), QStringLiteral("me"));
    QVERIFY(corvana.isInitialized());
    QCOMPARE(corvana.cache(), m_cache.get());

    CvUser stored;
    QVERIFY(m_cache->getUser(QStringLiteral("100"), &stored, CvCache::ById));
    QCOMPARE(stored.firstName(), QStringLiteral("Ann"));
    QString remembered;
    QVERIFY(m_cache->getUserData(QStringLiteral("ann"), &remembered));
    QCOMPARE(remembered, QStringLiteral("100"));

    // Without a picture URL in the profile the square picture is fetched into the file store.
    QVERIFY(picture.wait(20000));
    QCOMPARE(picture.first().at(0).toString(), QStringLiteral("100"));
    QCOMPARE(picture.first().at(1).value<PictureType>(), PictureSquare);
    QFile file(picture.first().at(2).toString());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), jpeg);

    // A second init() does nothing; graph() hands out one object the facade does not use.
    const int sent = m_service->requestCount();
    corvana.init();
    QTest::qWait(50);
    QCOMPARE(m_service->requestCount(), sent);
    QCOMPARE(plain.size(), 1);
    QVERIFY(corvana.graph());
    QCOMPARE(corvana.graph(), corvana.graph());
}

void tst_Corvana::offlineInitialization_data()
{
    QTest::addColumn<QString>("identity");
    QTest::addColumn<int>("initializedSignals");
    QTest::addColumn<QString>("profileId");

    QTest::newRow("known user name") << QStringLiteral("ann") << 1 << QStringLiteral("100");
    QTest::newRow("unknown user name") << QStringLiteral("bob") << 1 << QString();
    QTest::newRow("known e-mail") << QStringLiteral("ann@example.com") << 1
                                  << QStringLiteral("100");
    QTest::newRow("unknown e-mail") << QStringLiteral("bob@example.com") << 0 << QString();
}

void tst_Corvana::offlineInitialization()
{
    QFETCH(QString, identity);
    QFETCH(int, initializedSignals);
    QFETCH(QString, profileId);

    QVERIFY(m_cache->init());
    CvUser ann = user(QStringLiteral("100"), QStringLiteral("Ann"));
    ann.setEmail(QStringLiteral("ann@example.com"));
    QVERIFY(m_cache->updateUser(ann) != CvCache::UpdateFailed);
    QVERIFY(m_cache->updateUserData(QStringLiteral("ann"), QStringLiteral("100")));

    CorvanaConfiguration configuration(identity, CorvanaConfiguration::UserName);
    configuration.setCache(m_cache.get());
    Corvana corvana(configuration);
    QSignalSpy initialized(&corvana, qOverload<>(&Corvana::initialized));
    corvana.init();
    QCOMPARE(initialized.size(), initializedSignals);
    QCOMPARE(corvana.currentProfileId(), profileId);
    QCOMPARE(corvana.isInitialized(), !profileId.isEmpty());
    QCOMPARE(m_service->requestCount(), 0);
    if (corvana.isInitialized()) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("access token")));
        QVERIFY(!corvana.graph());
    }
}

void tst_Corvana::ownedAndBorrowedCache()
{
    QPointer<CvCache> borrowed(m_cache.get());
    QPointer<CvCache> owned;
    {
        CorvanaConfiguration configuration(QStringLiteral("token-1234"),
                                           CorvanaConfiguration::AccessToken);
        configuration.setCache(m_cache.get());
        Corvana corvana(configuration);
        initOnline(corvana);
    }
    QVERIFY(borrowed);

    {
        // A facade without a cache of its own opens the default one in the working directory.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        CorvanaConfiguration configuration(QStringLiteral("ann"), CorvanaConfiguration::UserName);
        Corvana corvana(configuration);
        corvana.init();
        owned = corvana.cache();
        QDir::setCurrent(previous);
        QVERIFY(!owned); // not initialized: no profile id stored under "ann"
    }
}

void tst_Corvana::returnCodes_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("sends");

    QTest::newRow("profile without id")
        << "profile-empty" << true << int(Corvana::InvalidArgument) << false;
    QTest::newRow("friends online") << "friends" << true << int(Corvana::Success) << true;
    QTest::newRow("friends offline") << "friends" << false << int(Corvana::Success) << false;
    QTest::newRow("friend check offline")
        << "is-friend" << false << int(Corvana::NetworkUnavailable) << false;
    QTest::newRow("friend check without id")
        << "is-friend-empty" << true << int(Corvana::InvalidArgument) << false;
    QTest::newRow("friend check smuggling a statement")
        << "is-friend-quote" << true << int(Corvana::InvalidArgument) << false;
    QTest::newRow("friend request offline")
        << "request" << false << int(Corvana::NetworkUnavailable) << false;
    QTest::newRow("friend request online") << "request" << true << int(Corvana::Success) << true;
    QTest::newRow("data without host")
        << "data-no-host" << true << int(Corvana::InvalidArgument) << false;
    QTest::newRow("picture offline") << "picture" << false << int(Corvana::Success) << false;
    QTest::newRow("birthdays over 13 months")
        << "birthdays-long" << true << int(Corvana::InvalidArgument) << false;
}

void tst_Corvana::returnCodes()
{
    QFETCH(QString, operation);
    QFETCH(bool, online);
    QFETCH(int, expected);
    QFETCH(bool, sends);

    std::unique_ptr<Corvana> corvana;
    if (online) {
        corvana = onlineFacade();
    } else {
        QVERIFY(m_cache->init());
        QVERIFY(m_cache->updateUserData(QStringLiteral("ann"), QStringLiteral("100")));
        CorvanaConfiguration configuration(QStringLiteral("ann"), CorvanaConfiguration::UserName);
        configuration.setCache(m_cache.get());
        corvana = std::make_unique<Corvana>(configuration);
        corvana->init();
        QVERIFY(corvana->isInitialized());
    }
    const int before = m_service->requestCount();

    Corvana::ReturnCode code = Corvana::ReturnCode(-1);
    if (operation == QLatin1String("profile-empty"))
        code = corvana->retrieveProfile(nullptr, CvDataFilter());
    else if (operation == QLatin1String("friends"))
        code = corvana->retrieveFriends(nullptr);
    else if (operation == QLatin1String("is-friend"))
        code = corvana->checkIsFriend(QStringLiteral("42"));
    else if (operation == QLatin1String("is-friend-empty"))
        code = corvana->checkIsFriend(QString());
    else if (operation == QLatin1String("is-friend-quote"))
        code = corvana->checkIsFriend(QStringLiteral("42' OR uid2='1"));
    else if (operation == QLatin1String("request"))
        code = corvana->sendFriendRequest(QStringLiteral("42"));
    else if (operation == QLatin1String("data-no-host"))
        code = corvana->retrieveData(QUrl(QStringLiteral("/relative/file.png")));
    else if (operation == QLatin1String("picture"))
        code = corvana->retrieveProfilePicture(QStringLiteral("me"), PictureLarge);
    else if (operation == QLatin1String("birthdays-long")) {
        CvDataFilter filter(QStringLiteral("me"));
        filter.since = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
        filter.until = QDateTime(QDate(2027, 2, 1), QTime(0, 0), Qt::UTC);
        code = corvana->retrieveBirthdaysOfFriends(nullptr, filter);
    }
    QCOMPARE(int(code), expected);
    if (sends) {
        QVERIFY(m_service->waitForRequests(before + 1));
    } else {
        // Requests leave from the event loop: give a wrong one the chance to arrive.
        QTest::qWait(50);
        QCOMPARE(m_service->requestCount(), before);
    }
}

void tst_Corvana::friendSynchronization_data()
{
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("removed");
    // Stored before: X and Y.
    QTest::newRow("X,Y then Y,Z") << QByteArray(R"({"data":[{"id":"Y","name":"Yan"},)"
                                                R"({"id":"Z","name":"Zed"}]})")
                                  << QStringList {QStringLiteral("Z")}
                                  << QStringList {QStringLiteral("X")};
    QTest::newRow("empty list") << QByteArray(R"({"data":[]})") << QStringList()
                                << QStringList {QStringLiteral("X"), QStringLiteral("Y")};
}

void tst_Corvana::friendSynchronization()
{
    QFETCH(QByteArray, served);
    QFETCH(QStringList, added);
    QFETCH(QStringList, removed);
    auto corvana = onlineFacade();
    QVERIFY(m_cache->addFriends(QStringLiteral("100"),
                                {CvUserRef(QStringLiteral("X"), QStringLiteral("Xena")),
                                 CvUserRef(QStringLiteral("Y"), QStringLiteral("Yan"))}));
    m_bodies.insert(QStringLiteral("/100/friends"), served);

    QSignalSpy synchronized(corvana.get(), &Corvana::friendsSynchronized);
    QCOMPARE(corvana->synchronizeFriends(), Corvana::Success);
    QVERIFY(synchronized.wait(20000));
    QCOMPARE(synchronized.size(), 1);
    QCOMPARE(m_service->lastRequest()
                 .queryValue(QStringLiteral("fields"))
                 .split(QLatin1Char(','))
                 .size(),
             2);
    QStringList reportedRemoved = ids(synchronized.first().at(1).value<CvUserRefs>());
    reportedRemoved.sort();
    QCOMPARE(ids(synchronized.first().at(0).value<CvUserRefs>()), added);
    QCOMPARE(reportedRemoved, removed);

    // What is cached afterwards is exactly the service's list.
    CvUserRefs cached;
    QVERIFY(m_cache->getFriendRefs(QStringLiteral("100"), &cached, CvDataFilter()));
    QStringList cachedIds = ids(cached);
    cachedIds.sort();
    QStringList expected = {QStringLiteral("X"), QStringLiteral("Y")};
    expected += added;
    for (const QString &id : std::as_const(removed))
        expected.removeAll(id);
    expected.sort();
    QCOMPARE(cachedIds, expected);
}

void tst_Corvana::birthdaysInUpcomingOrder()
{
    auto corvana = onlineFacade();
    const QDate today = QDate::currentDate();
    const auto day = [&](int offset, const QString &year) -> QString {
        return today.addDays(offset).toString(QStringLiteral("MM/dd")) + year;
    };
    const CvUsers friends
        = {user(QStringLiteral("yesterday"), QStringLiteral("A"), day(-1, {})),
           user(QStringLiteral("none"), QStringLiteral("B")),
           user(QStringLiteral("later"), QStringLiteral("C"), day(40, QStringLiteral("/1990"))),
           user(QStringLiteral("today"), QStringLiteral("D"), day(0, QStringLiteral("/1980"))),
           user(QStringLiteral("tomorrow"), QStringLiteral("E"), day(1, {}))};
    QVERIFY(m_cache->updateUsers(friends));
    QVERIFY(m_cache->addFriends(QStringLiteral("100"), CvUser::convert(friends)));

    CvUsers sorted;
    QCOMPARE(corvana->retrieveBirthdaysOfFriends(&sorted, Corvana::CacheOnly), Corvana::Success);
    QCOMPARE(ids(sorted),
             (QStringList {QStringLiteral("today"), QStringLiteral("tomorrow"),
                           QStringLiteral("later"), QStringLiteral("yesterday")}));

    // The service's answer is stored and comes back in the same order.
    m_bodies.insert(QStringLiteral("/100/friends"),
                    QStringLiteral(R"({"data":[{"id":"p","name":"P","birthday":"%1"},
                                    {"id":"q","name":"Q","birthday":"%2"}]})")
                        .arg(day(-2, {}), day(2, QStringLiteral("/2001")))
                        .toUtf8());
    QSignalSpy updated(corvana.get(), &Corvana::birthdaysOfFriendsUpdated);
    QCOMPARE(corvana->retrieveBirthdaysOfFriends(nullptr), Corvana::Success);
    QVERIFY(updated.wait(20000));
    QCOMPARE(ids(updated.first().first().value<CvUsers>()),
             (QStringList {QStringLiteral("q"), QStringLiteral("p")}));
    QVERIFY(m_cache->isFriend(QStringLiteral("100"), QStringLiteral("p")));
}

void tst_Corvana::birthdayConditionAcrossNewYear()
{
    auto corvana = onlineFacade();
    CvDataFilter filter(QStringLiteral("me"));
    filter.since = QDateTime(QDate(2026, 11, 20), QTime(0, 0), Qt::UTC);
    filter.until = QDateTime(QDate(2027, 2, 10), QTime(0, 0), Qt::UTC);
    const int before = m_service->requestCount();
    QCOMPARE(corvana->retrieveBirthdaysOfFriends(nullptr, filter), Corvana::Success);
    QVERIFY(m_service->waitForRequests(before + 1));

    const TestService::Request request = m_service->lastRequest();
    QCOMPARE(request.path, QStringLiteral("/method/cvql.query"));
    QCOMPARE(request.queryValue(QStringLiteral("query")),
             QStringLiteral("SELECT uid, name, birthday_date FROM user WHERE uid IN (SELECT uid2 "
                            "FROM friend WHERE uid1 = me()) AND (strpos(birthday_date,11) >= 0 OR "
                            "strpos(birthday_date,12) >= 0 OR strpos(birthday_date,01) >= 0 OR "
                            "strpos(birthday_date,02) >= 0) ORDER BY birthday_date"));
}

void tst_Corvana::friendChecks_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<bool>("yes");

    // A reply without rows (false) is part of the routing walk (tst_corvana_routing).
    QTest::newRow("friend") << false << QByteArray(R"([{"uid2":"42"}])") << true;
    QTest::newRow("other friend") << false << QByteArray(R"([{"uid2":"43"}])") << false;
    QTest::newRow("pending") << true << QByteArray(R"([{"uid_to":"42"}])") << true;
}

void tst_Corvana::friendChecks()
{
    QFETCH(bool, pending);
    QFETCH(QByteArray, rows);
    QFETCH(bool, yes);

    auto corvana = onlineFacade();
    m_bodies.insert(QStringLiteral("/method/cvql.query"), rows);
    QSignalSpy checked(corvana.get(),
                       pending ? &Corvana::pendingFriendRequestChecked : &Corvana::isFriendChecked);
    QCOMPARE(pending ? corvana->checkPendingFriendRequest(QStringLiteral("42"))
                     : corvana->checkIsFriend(QStringLiteral("42")),
             Corvana::Success);
    QVERIFY(checked.wait(20000));
    QCOMPARE(checked.size(), 1);
    QCOMPARE(checked.first().at(0).toString(), QStringLiteral("42"));
    QCOMPARE(checked.first().at(1).toBool(), yes);
    QCOMPARE(m_service->lastRequest().queryValue(QStringLiteral("query")),
             pending ? QStringLiteral("SELECT uid_to FROM friend_request WHERE uid_from=me() AND "
                                      "uid_to=42")
                     : QStringLiteral("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=42"));
}

void tst_Corvana::profileDetailsBatch()
{
    auto corvana = onlineFacade();
    m_bodies.insert(QStringLiteral("/"),
                    R"([{"code":200,"headers":[],"body":"{\"id\":\"42\",\"name\":\"Bo\"}"},
                        {"code":200,"headers":[],"body":"[{\"uid2\":\"42\"}]"}])");
    QSignalSpy updated(corvana.get(), &Corvana::profileUpdated);
    CvUser cached;
    QCOMPARE(corvana->retrieveProfile(&cached, QStringLiteral("42")), Corvana::Success);
    QVERIFY(!cached.isValid()); // nothing stored yet
    QVERIFY(updated.wait(20000));
    QCOMPARE(updated.first().first().toString(), QStringLiteral("42"));

    const TestService::Request batch = m_service->lastRequest();
    QCOMPARE(batch.method, QByteArray("POST"));
    QVERIFY(batch.queryValue(QStringLiteral("batch")).contains(QStringLiteral("uid2=42")));
    QVERIFY(m_cache->getUser(QStringLiteral("42"), &cached, CvCache::ById));
    QCOMPARE(cached.name(), QStringLiteral("Bo"));
    QVERIFY(m_cache->isFriend(QStringLiteral("100"), QStringLiteral("42")));

    // A failed sub-request ends in one error carrying the service's message.
    m_bodies.insert(QStringLiteral("/"),
                    R"([{"code":400,"headers":[],"body":"{\"error\":{\"message\":\"nope\"}}"},
                        {"code":200,"headers":[],"body":"[]"}])");
    QSignalSpy errors(corvana.get(), &Corvana::error);
    QCOMPARE(corvana->retrieveProfile(nullptr, QStringLiteral("43")), Corvana::Success);
    QVERIFY(errors.wait(20000));
    const CvError err = errors.first().first().value<CvError>();
    QCOMPARE(err.errorType(), CvError::GeneralError);
    QCOMPARE(err.objectId(), QStringLiteral("43"));
    QCOMPARE(err.corvanaErrorString(), QStringLiteral("nope"));
}

void tst_Corvana::storedDataAnsweredWithoutNetwork()
{
    auto corvana = onlineFacade();
    const QUrl url(m_service->baseUrl().toString() + QStringLiteral("/files/report.png?v=2"));
    const QString stored = m_cache->updateFile(QStringLiteral("files/report.pngv=2"), jpeg);
    QVERIFY(!stored.isEmpty());

    QSignalSpy retrieved(corvana.get(),
                         qOverload<const QUrl &, const QString &>(&Corvana::dataRetrieved));
    const int before = m_service->requestCount();
    QString path;
    QCOMPARE(corvana->retrieveData(&path, url), Corvana::Success);
    QCOMPARE(path, stored);
    QTest::qWait(50);
    QCOMPARE(m_service->requestCount(), before);
    QCOMPARE(retrieved.size(), 0);

    // Data not yet stored is downloaded into the file store.
    const QUrl other(m_service->baseUrl().toString() + QStringLiteral("/files/ann_q.jpg"));
    QCOMPARE(corvana->retrieveData(&path, other), Corvana::Success);
    QVERIFY(retrieved.wait(20000));
    QCOMPARE(retrieved.first().at(0).toUrl(), other);
    QCOMPARE(m_cache->getFile(QStringLiteral("files/ann_q.jpg")), jpeg);
}

void tst_Corvana::cacheFailureStillDeliversResult()
{
    auto corvana = onlineFacade();
    m_bodies.insert(QStringLiteral("/100/friends"), R"({"data":[{"id":"Y","name":"Yan"}]})");
    m_cache->close();

    QSignalSpy errors(corvana.get(), &Corvana::error);
    QSignalSpy friends(corvana.get(), &Corvana::friendsUpdated);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cache update failed")));
    QCOMPARE(corvana->retrieveFriends(nullptr, CvDataFilter(QStringLiteral("100"))),
             Corvana::Success);
    QVERIFY(friends.wait(20000));
    QCOMPARE(ids(friends.first().first().value<CvUserRefs>()), QStringList {QStringLiteral("Y")});
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<CvError>().errorType(), CvError::CacheError);
    QVERIFY(!errors.first().first().value<CvError>().cacheErrorString().isEmpty());
}

QTEST_GUILESS_MAIN(tst_Corvana)
#include "tst_corvana.moc"
