#include "facadefixture.h"

#include "corvana.h"
#include "cverror.h"

#include <QSignalSpy>
#include <QTest>

using Cv::Corvana;

namespace {

const QString unreadQuery
    = QStringLiteral("SELECT unread_count FROM unified_thread_count WHERE folder='inbox'");
const QString friendRequestsQuery = QStringLiteral(
    "SELECT uid, name, first_name, pic_square FROM user WHERE uid IN (SELECT uid_from FROM "
    "friend_request WHERE uid_to = me())");
const QString notificationsQuery = QStringLiteral(
    "SELECT notification_id, sender_id, object_id, object_type, created_time, updated_time, "
    "title_html, title_text, body_html, body_text, href, app_id, is_unread, is_hidden FROM "
    "notification WHERE recipient_id=me()");

using SubReplies = QList<FacadeFixture::SubReply>;

const QByteArray unreadRows = R"({"data":[{"unread_count":"3"}]})";
const QByteArray invitations
    = R"({"data":[{"id":"e1","name":"Picnic","start_time":"2026-12-24T12:00:00+0000"}]})";
const QByteArray requesters = R"({"data":[{"uid":"7","name":"Bo"},{"uid":"8","name":"Cy"}]})";
const QByteArray notificationRows
    = R"({"data":[{"notification_id":"n1","sender_id":"7","title_text":"Bo liked"},
                  {"notification_id":"n2","sender_id":"8","title_text":"Cy wrote"}]})";

} // namespace

class tst_CorvanaNotifications : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void allNotificationsBatch_data();
    void allNotificationsBatch();
    void allNotificationsReply_data();
    void allNotificationsReply();
    void markReadAcknowledged();

private:
    std::unique_ptr<FacadeFixture> m_fixture;
};

void tst_CorvanaNotifications::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
}

void tst_CorvanaNotifications::cleanup()
{
    m_fixture.reset();
}

void tst_CorvanaNotifications::allNotificationsBatch_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("no locale") << QString();
    QTest::newRow("locale") << QStringLiteral("sv_SE");
}

void tst_CorvanaNotifications::allNotificationsBatch()
{
    QFETCH(QString, locale);
    const auto corvana = m_fixture->signIn(locale);
    QVERIFY(corvana);
    const int before = m_fixture->service().requestCount();

    QCOMPARE(corvana->retrieveAllNotifications(), Corvana::Success);
    QVERIFY(m_fixture->service().waitForRequests(before + 1));
    const QList<TestService::Request> sent = m_fixture->requestsSince(before);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().method, QByteArray("POST"));

    const QVariantList subRequests = FacadeFixture::batchRequests(sent.first());
    const QString cvql = QStringLiteral("method/cvql.query?query=");
    const QStringList expected {
        QStringLiteral("POST ") + cvql + unreadQuery,
        QStringLiteral("GET me/events/not_replied?fields=id,name,start_time,end_time,owner,"
                       "picture&limit=100"),
        QStringLiteral("POST ") + cvql + friendRequestsQuery,
        QStringLiteral("POST ") + cvql + notificationsQuery + QStringLiteral("&locale=") + locale,
    };
    QStringList actual;
    for (const QVariant &sub : subRequests) {
        const QVariantMap map = sub.toMap();
        actual << map.value(QStringLiteral("method")).toString() + QLatin1Char(' ')
                + map.value(QStringLiteral("relative_url")).toString();
    }
    QCOMPARE(actual, expected);
}

void tst_CorvanaNotifications::allNotificationsReply_data()
{
    QTest::addColumn<SubReplies>("replies");
    QTest::addColumn<int>("unread"); // -1: an error instead of the signal
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QStringList>("requesters");
    QTest::addColumn<QStringList>("notifications");
    QTest::addColumn<QString>("errorHeaders");

    QTest::newRow("all answered") << SubReplies {{200, unreadRows},
                                                 {200, invitations},
                                                 {200, requesters},
                                                 {200, notificationRows}}
                                  << 3 << QStringList {QStringLiteral("e1")}
                                  << QStringList {QStringLiteral("7"), QStringLiteral("8")}
                                  << QStringList {QStringLiteral("n1"), QStringLiteral("n2")}
                                  << QString();
    QTest::newRow("all empty") << SubReplies {{200, "[]"}, {200, "[]"}, {200, "[]"}, {200, "[]"}}
                               << 0 << QStringList() << QStringList() << QStringList() << QString();
    QTest::newRow("third failed") << SubReplies {{200, unreadRows},
                                                 {200, invitations},
                                                 {500, R"({"error":{"message":"boom"}})"},
                                                 {200, notificationRows}}
                                  << -1 << QStringList() << QStringList() << QStringList()
                                  << QStringLiteral(R"({"unread_count":"3"})");
    QTest::newRow("first failed, no body")
        << SubReplies {{503, "[]"}, {200, invitations}, {200, requesters}, {200, notificationRows}}
        << -1 << QStringList() << QStringList() << QStringList() << QString();
    QTest::newRow("a sub-reply missing")
        << SubReplies {{200, unreadRows}, {200, invitations}, {200, requesters}} << -1
        << QStringList() << QStringList() << QStringList()
        << QStringLiteral(R"({"unread_count":"3"})");
}

void tst_CorvanaNotifications::allNotificationsReply()
{
    QFETCH(SubReplies, replies);
    QFETCH(int, unread);
    QFETCH(QStringList, events);
    QFETCH(QStringList, requesters);
    QFETCH(QStringList, notifications);
    QFETCH(QString, errorHeaders);

    m_fixture->setBatchResponder([replies](const QVariantList &) { return replies; });
    const auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QSignalSpy retrieved(corvana.get(), &Corvana::allNotificationsRetrieved);
    QSignalSpy errors(corvana.get(), &Corvana::error);

    QCOMPARE(corvana->retrieveAllNotifications(), Corvana::Success);
    QSignalSpy &expected = unread < 0 ? errors : retrieved;
    QVERIFY(expected.wait(20000));
    QTest::qWait(50); // nothing else may follow

    if (unread < 0) {
        QCOMPARE(retrieved.size(), 0);
        QCOMPARE(errors.size(), 1);
        const auto error = errors.first().first().value<Cv::CvError>();
        QCOMPARE(error.errorType(), Cv::CvError::GeneralError);
        QCOMPARE(error.objectId(), FacadeFixture::profileId());
        QCOMPARE(error.corvanaErrorHeaders(), errorHeaders);
        return;
    }
    QCOMPARE(errors.size(), 0);
    QCOMPARE(retrieved.size(), 1);
    const QVariantList args = retrieved.first();
    QStringList actual;
    for (const Cv::CvUser &user : args.at(0).value<Cv::CvUsers>())
        actual << user.id();
    QCOMPARE(actual, requesters);
    actual.clear();
    for (const Cv::CvEvent &event : args.at(1).value<Cv::CvEvents>())
        actual << event.id();
    QCOMPARE(actual, events);
    actual.clear();
    for (const Cv::CvNotification &notification : args.at(2).value<Cv::CvNotificationList>())
        actual << notification.id();
    QCOMPARE(actual, notifications);
    QCOMPARE(args.at(3).value<quint32>(), quint32(unread));
}

void tst_CorvanaNotifications::markReadAcknowledged()
{
    m_fixture->setPath(QStringLiteral("/method/notifications.markRead"), "true");
    const auto corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QSignalSpy marked(corvana.get(), &Corvana::notificationsMarkedRead);
    const QStringList ids {QStringLiteral("n1"), QStringLiteral("n2")};
    const int before = m_fixture->service().requestCount();

    QCOMPARE(corvana->markNotificationsRead(ids), Corvana::Success);
    QVERIFY(marked.wait(20000));
    QCOMPARE(marked.size(), 1);
    QCOMPARE(marked.first().at(0).toStringList(), ids);
    QCOMPARE(marked.first().at(1).toBool(), true);
    const TestService::Request sent = m_fixture->requestsSince(before).first();
    QCOMPARE(sent.queryValue(QStringLiteral("notification_ids")), QStringLiteral("n1,n2"));
}

QTEST_GUILESS_MAIN(tst_CorvanaNotifications)
#include "tst_corvana_notifications.moc"
