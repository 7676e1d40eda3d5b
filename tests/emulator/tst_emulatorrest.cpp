#include "emulatorprocess.h"

#include <QSet>

using P = QList<QPair<QString, QString>>;

class tst_EmulatorRest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readMethods_data();
    void readMethods();
    void methodErrors_data();
    void methodErrors();
    void queryForms_data();
    void queryForms();
    void birthdayQueryMatchesFriendList();
    void threadQueryPaging();
    void queryErrors_data();
    void queryErrors();
    void friendRequestsRoundTrip();
    void mailboxRoundTrip();
    void photoLikesTagsAndAlbums();
    void batchRepliesPerSubRequest();
    void batchFollowsDependencies();
    void batchRejectsMalformedInput_data();
    void batchRejectsMalformedInput();

private:
    QString firstPhoto();
    EmulatorProcess emu;
};

static QString s(const char *text)
{
    return QString::fromUtf8(text);
}

static QSet<QString> column(const QJsonArray &rows, const QString &name)
{
    QSet<QString> out;
    for (const QJsonValue &r : rows)
        out.insert(r.toObject().value(name).toString());
    return out;
}

void tst_EmulatorRest::initTestCase()
{
    QVERIFY(emu.start({s("--users"), s("40"), s("--posts"), s("50"), s("--events"), s("10")}));
}

QString tst_EmulatorRest::firstPhoto()
{
    return emu.get(s("/me/photos"))
        .object()
        .value(s("data"))
        .toArray()
        .first()
        .toObject()
        .value(s("id"))
        .toString();
}

void tst_EmulatorRest::readMethods_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<P>("params");
    QTest::addColumn<bool>("isArray");
    QTest::addColumn<QString>("member");
    QTest::newRow("event invitations")
        << s("events.get") << P {{s("rsvp_status"), s("not_replied")}} << true << s("eid");
    QTest::newRow("notification counters")
        << s("notifications.get") << P() << false << s("friend_requests");
    QTest::newRow("notification list")
        << s("notifications.getList") << P {{s("include_read"), s("1")}} << false
        << s("notifications");
    QTest::newRow("threads in folder")
        << s("message.getThreadsInFolder") << P {{s("limit"), s("2")}} << true << s("thread_id");
    QTest::newRow("inbox") << s("corvana.mailbox.getInbox")
                           << P {{s("limit"), s("3")}, {s("start"), s("0")}} << true
                           << s("snippet");
    QTest::newRow("outbox") << s("corvana.mailbox.getOutbox") << P() << true << s("participants");
}

void tst_EmulatorRest::readMethods()
{
    QFETCH(QString, name);
    QFETCH(P, params);
    QFETCH(bool, isArray);
    QFETCH(QString, member);
    const Answer a = emu.method(name, params);
    QCOMPARE(a.status, 200);
    QVERIFY(a.isJson());
    if (isArray) {
        const QJsonArray rows = a.array();
        QVERIFY(!rows.isEmpty());
        for (const QJsonValue &r : rows)
            QVERIFY(r.toObject().contains(member));
        if (name == s("events.get")) {
            for (const QJsonValue &r : rows)
                QCOMPARE(r.toObject().value(s("rsvp_status")).toString(), s("not_replied"));
        }
        if (params.contains({s("limit"), s("2")}))
            QCOMPARE(rows.size(), 2);
    } else {
        QVERIFY(a.object().contains(member));
    }
}

void tst_EmulatorRest::methodErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<P>("params");
    QTest::addColumn<int>("code");
    QTest::newRow("unknown method") << s("corvana.nosuch.method") << P() << 3;
    QTest::newRow("missing thread id") << s("corvana.mailbox.getThread") << P() << 100;
    QTest::newRow("missing query") << s("cvql.query") << P() << 100;
    QTest::newRow("tag outside the photo")
        << s("photos.addTag") << P {{s("pid"), s("1")}, {s("tag_text"), s("x")}, {s("x"), s("-1")}}
        << 100;
}

void tst_EmulatorRest::methodErrors()
{
    QFETCH(QString, name);
    QFETCH(P, params);
    QFETCH(int, code);
    const Answer a = emu.method(name, params);
    QCOMPARE(a.status, 200); // the REST endpoint reports errors in the body
    QVERIFY(a.body.startsWith("{\"error_code\":"));
    QCOMPARE(a.object().value(s("error_code")).toInt(), code);
    QVERIFY(!a.object().value(s("error_msg")).toString().isEmpty());
    QVERIFY(!a.body.contains(emu.token.toUtf8()));
}

void tst_EmulatorRest::queryForms_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("expected"); // values of field, in order; "*" = any non-empty
    QTest::newRow("is friend") << s("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=100002")
                               << s("uid2") << QStringList {s("100002")};
    QTest::newRow("is not friend") << s("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=100010")
                                   << s("uid2") << QStringList();
    QTest::newRow("pending request")
        << s("SELECT uid_to FROM friend_request WHERE uid_from=me() AND uid_to=100010")
        << s("uid_to") << QStringList {s("100010")};
    QTest::newRow("friend requests")
        << s("SELECT uid, name, first_name, pic_square FROM user WHERE uid IN (SELECT uid_from "
             "FROM friend_request WHERE uid_to = me())")
        << s("uid") << QStringList {s("100005"), s("100015"), s("100025"), s("100035")};
    QTest::newRow("unread count") << s(
        "SELECT unread_count FROM unified_thread_count WHERE folder='inbox'")
                                  << s("unread_count") << QStringList {s("*")};
    QTest::newRow("not equal and OR")
        << s("SELECT uid FROM user WHERE (uid=100003 OR uid=100004) AND uid != 100003") << s("uid")
        << QStringList {s("100004")};
    QTest::newRow("comparisons and order")
        << s("SELECT uid FROM user WHERE uid > 100036 AND uid <= 100039 ORDER BY uid DESC")
        << s("uid") << QStringList {s("100039"), s("100038"), s("100037")};
    QTest::newRow("limit with offset")
        << s("SELECT uid FROM user WHERE uid >= 100001 ORDER BY uid LIMIT 2,3") << s("uid")
        << QStringList {s("100003"), s("100004"), s("100005")};
    QTest::newRow("limit alone") << s(
        "SELECT uid FROM user WHERE uid >= 100001 ORDER BY uid LIMIT 1")
                                 << s("uid") << QStringList {s("100001")};
    QTest::newRow("in list") << s("SELECT uid FROM user WHERE uid IN (100007, 100002) ORDER BY uid")
                             << s("uid") << QStringList {s("100002"), s("100007")};
}

void tst_EmulatorRest::queryForms()
{
    QFETCH(QString, statement);
    QFETCH(QString, field);
    QFETCH(QStringList, expected);
    const Answer a = emu.query(statement);
    QCOMPARE(a.status, 200);
    QVERIFY2(a.body.startsWith('['), a.body.constData());
    const QJsonArray rows = a.array();
    QCOMPARE(rows.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QJsonValue v = rows.at(i).toObject().value(field);
        const QString text = v.isString() ? v.toString() : QString::number(v.toInteger());
        if (expected.at(i) == s("*"))
            QVERIFY(v.isDouble() || !text.isEmpty());
        else
            QCOMPARE(text, expected.at(i));
    }
}

void tst_EmulatorRest::birthdayQueryMatchesFriendList()
{
    const QJsonArray friends = emu.query(s("SELECT uid, birthday_date FROM user WHERE uid IN "
                                           "(SELECT uid2 FROM friend WHERE uid1 = me())"))
                                   .array();
    QVERIFY(friends.size() > 20);
    QSet<QString> expected;
    for (const QJsonValue &f : friends) {
        const QString b = f.toObject().value(s("birthday_date")).toString();
        for (const QString &m : {s("11"), s("12"), s("01")}) {
            if (b.contains(m))
                expected.insert(f.toObject().value(s("uid")).toString());
        }
    }
    const QJsonArray rows
        = emu.query(s("SELECT uid, name, birthday_date FROM user WHERE uid IN (SELECT uid2 FROM "
                      "friend WHERE uid1 = me()) AND "
                      "(strpos(birthday_date,11) >= 0 OR strpos(birthday_date,12) >= 0 OR "
                      "strpos(birthday_date,01) >= 0) ORDER BY birthday_date"))
              .array();
    QCOMPARE(column(rows, s("uid")), expected);
    for (int i = 1; i < rows.size(); ++i)
        QVERIFY(rows.at(i - 1).toObject().value(s("birthday_date")).toString()
                <= rows.at(i).toObject().value(s("birthday_date")).toString());
    QCOMPARE(QStringList(rows.first().toObject().keys()),
             QStringList({s("birthday_date"), s("name"), s("uid")}));
}

void tst_EmulatorRest::threadQueryPaging()
{
    const QString threads
        = s("SELECT "
            "thread_id,timestamp,subject,senders,participants,snippet,snippet_sender,num_messages,"
            "num_unread,object_participants "
            "FROM unified_thread WHERE has_tags('inbox') %1 ORDER BY timestamp DESC LIMIT %2,%3");
    const QJsonArray all = emu.query(threads.arg(QString(), s("0"), s("100"))).array();
    QVERIFY(all.size() >= 4);
    for (int i = 1; i < all.size(); ++i)
        QVERIFY(all.at(i - 1).toObject().value(s("timestamp")).toDouble()
                >= all.at(i).toObject().value(s("timestamp")).toDouble());
    const QJsonArray page = emu.query(threads.arg(QString(), s("2"), s("2"))).array();
    QCOMPARE(page.size(), 2);
    QCOMPARE(page.at(0).toObject().value(s("thread_id")),
             all.at(2).toObject().value(s("thread_id")));
    const QJsonObject first = all.first().toObject();
    QVERIFY(!first.value(s("snippet_sender")).toObject().value(s("user_id")).toString().isEmpty());

    const qint64 ts = qint64(all.at(1).toObject().value(s("timestamp")).toDouble());
    const QJsonArray older
        = emu.query(threads.arg(s("AND timestamp <= %1").arg(ts), s("0"), s("100"))).array();
    QCOMPARE(older.size(), all.size() - 1);

    const QString tid = all.first().toObject().value(s("thread_id")).toString();
    const QJsonArray messages
        = emu.query(
                 s("SELECT "
                   "message_id,thread_id,timestamp,subject,body,unread,sender,recipients,object_"
                   "sender,attachments "
                   "FROM unified_message WHERE thread_id='%1'  ORDER BY timestamp DESC LIMIT 0,10")
                     .arg(tid))
              .array();
    QCOMPARE(messages.size(), first.value(s("num_messages")).toInt());
    QVERIFY(messages.first()
                .toObject()
                .value(s("message_id"))
                .toString()
                .startsWith(tid + QLatin1Char('_')));
    const QJsonArray attachments
        = emu.query(s("SELECT thread_id,message_id,attachment FROM message WHERE thread_id=%1 AND "
                      "viewer_id=100001 ORDER BY message_id DESC")
                        .arg(tid))
              .array();
    QCOMPARE(attachments.size(), messages.size());
}

void tst_EmulatorRest::queryErrors_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("not a statement") << s("DROP TABLE user");
    QTest::newRow("unknown table") << s("SELECT uid FROM nosuch WHERE uid=1");
    QTest::newRow("unknown field") << s("SELECT password FROM user WHERE uid=me()");
    QTest::newRow("unterminated string") << s("SELECT uid FROM user WHERE name='abc");
    QTest::newRow("dangling operator") << s("SELECT uid FROM user WHERE uid =");
    QTest::newRow("unbalanced parenthesis") << s("SELECT uid FROM user WHERE (uid=1");
    QTest::newRow("trailing garbage") << s("SELECT uid FROM user WHERE uid=1 ;");
    QTest::newRow("deep nesting") << s("SELECT uid FROM user WHERE ")
            + QString(5000, QLatin1Char('(')) + s("uid=1") + QString(5000, QLatin1Char(')'));
    QTest::newRow("unknown function") << s("SELECT uid FROM user WHERE evil(uid)");
    QTest::newRow("wrong arity") << s("SELECT uid FROM user WHERE strpos(uid) >= 0");
}

void tst_EmulatorRest::queryErrors()
{
    QFETCH(QString, statement);
    const Answer a = emu.query(statement);
    QCOMPARE(a.status, 200);
    QCOMPARE(a.object().value(s("error_code")).toInt(), 601);
    QVERIFY(a.object().value(s("error_msg")).toString().startsWith(s("Parser error: ")));
    QCOMPARE(emu.get(s("/me")).status, 200); // still serving
}

void tst_EmulatorRest::friendRequestsRoundTrip()
{
    QCOMPARE(emu.method(s("corvana.friends.add"), {{s("uid"), s("100020")}}).body,
             QByteArray("true"));
    QCOMPARE(emu.query(s("SELECT uid_to FROM friend_request WHERE uid_from=me() AND uid_to=100020"))
                 .array()
                 .size(),
             1);

    QCOMPARE(
        emu.method(s("corvana.friends.confirm"), {{s("uid"), s("100005")}, {s("confirm"), s("1")}})
            .body,
        QByteArray("true"));
    QCOMPARE(emu.query(s("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=100005")).array().size(),
             1);
    QVERIFY(!column(emu.query(s("SELECT uid FROM user WHERE uid IN (SELECT uid_from FROM "
                                "friend_request WHERE uid_to = me())"))
                        .array(),
                    s("uid"))
                 .contains(s("100005")));
    QVERIFY(
        column(
            emu.get(s("/me/friends"), {{s("limit"), s("100")}}).object().value(s("data")).toArray(),
            s("id"))
            .contains(s("100005")));

    QCOMPARE(
        emu.method(s("corvana.friends.confirm"), {{s("uid"), s("100015")}, {s("confirm"), s("0")}})
            .body,
        QByteArray("true"));
    QCOMPARE(emu.query(s("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=100015")).array().size(),
             0);
    QCOMPARE(
        emu.method(s("corvana.friends.confirm"), {{s("uid"), s("100015")}, {s("confirm"), s("1")}})
            .body,
        QByteArray("false"));
}

void tst_EmulatorRest::mailboxRoundTrip()
{
    const Answer sent = emu.method(
        s("corvana.mailbox.send"),
        {{s("to"), s("100002,100003")}, {s("subject"), s("Plans")}, {s("body"), s("Dinner?")}});
    const QString tid = QString::fromLatin1(sent.body);
    QVERIFY2(!tid.isEmpty() && tid.toLongLong() > 0, sent.body.constData());
    QCOMPARE(
        emu.method(s("corvana.mailbox.reply"), {{s("tid"), tid}, {s("body"), s("At eight")}}).body,
        tid.toLatin1());
    const QJsonArray messages
        = emu.method(s("corvana.mailbox.getThreadMessages"), {{s("tid"), tid}}).array();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.at(1).toObject().value(s("body")).toString(), s("At eight"));

    QCOMPARE(emu.method(s("corvana.mailbox.markUnread"), {{s("tid"), tid}}).body,
             QByteArray("true"));
    QCOMPARE(emu.method(s("corvana.mailbox.getThread"), {{s("tid"), tid}})
                 .object()
                 .value(s("num_unread"))
                 .toInt(),
             1);
    QCOMPARE(emu.method(s("corvana.mailbox.markRead"), {{s("tid"), tid}}).body, QByteArray("true"));
    QCOMPARE(emu.method(s("corvana.mailbox.getThread"), {{s("tid"), tid}})
                 .object()
                 .value(s("num_unread"))
                 .toInt(),
             0);

    // Through the Graph interface: a reply lands in the same thread, and the thread is listed as
    // sent.
    const Answer graphReply = emu.post(
        s("/"), {{s("method"), s("POST")}, {s("message"), s("Or nine")}, {s("id"), tid}});
    QVERIFY(graphReply.object().value(s("id")).toString().startsWith(tid + QLatin1Char('_')));
    QCOMPARE(emu.query(s("SELECT message_id FROM unified_message WHERE thread_id='%1'").arg(tid))
                 .array()
                 .size(),
             3);
    QVERIFY(
        column(emu.method(s("corvana.mailbox.getOutbox")).array(), s("thread_id")).contains(tid));
    const QString graphThread
        = emu.post(s("/threads"),
                   {{s("method"), s("POST")}, {s("message"), s("hi")}, {s("to"), s("[100004]")}})
              .object()
              .value(s("tid"))
              .toString();
    QVERIFY(!graphThread.isEmpty());

    QCOMPARE(emu.method(s("corvana.mailbox.deleteThread"), {{s("tid"), tid}, {s("folder"), s("2")}})
                 .body,
             QByteArray("true"));
    QVERIFY(
        !column(emu.method(s("corvana.mailbox.getOutbox")).array(), s("thread_id")).contains(tid));
    QCOMPARE(emu.method(s("corvana.mailbox.deleteThread"), {{s("tid"), tid}, {s("folder"), s("2")}})
                 .body,
             QByteArray("false"));
}

void tst_EmulatorRest::photoLikesTagsAndAlbums()
{
    const QString pid = firstPhoto();
    QVERIFY(!pid.isEmpty());
    QCOMPARE(emu.method(s("corvana.photos.addLike"), {{s("pid"), pid}}).body, QByteArray("true"));
    QCOMPARE(emu.get(s("/") + pid).object().value(s("likes")).toObject().value(s("count")).toInt(),
             1);
    QCOMPARE(emu.method(s("corvana.photos.removeLike"), {{s("pid"), pid}}).body,
             QByteArray("true"));
    QCOMPARE(emu.get(s("/") + pid).object().value(s("likes")).toObject().value(s("count")).toInt(),
             0);

    QCOMPARE(emu.method(s("photos.addTag"),
                        {{s("pid"), pid},
                         {s("tag_text"), s("the tree")},
                         {s("x"), s("10.5")},
                         {s("y"), s("20")}})
                 .body,
             QByteArray("true"));
    auto tagNames = [this, &pid] {
        return column(
            emu.get(s("/") + pid).object().value(s("tags")).toObject().value(s("data")).toArray(),
            s("name"));
    };
    QVERIFY(tagNames().contains(s("the tree")));
    QCOMPARE(
        emu.method(s("corvana.photos.deleteTag"), {{s("pid"), pid}, {s("tag_text"), s("the tree")}})
            .body,
        QByteArray("true"));
    QVERIFY(!tagNames().contains(s("the tree")));

    const QJsonArray rows = emu.method(s("photos.get"), {{s("pids"), s("100001_") + pid}}).array();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().toObject().value(s("object_id")).toString(), pid);
    QCOMPARE(rows.first().toObject().value(s("owner")).toString(), s("100001"));

    QCOMPARE(emu.method(s("corvana.pages.addFan"), {{s("page_id"), s("200002")}}).body,
             QByteArray("true"));
    QVERIFY(column(emu.get(s("/me/likes")).object().value(s("data")).toArray(), s("id"))
                .contains(s("200002")));

    const QString album = emu.post(s("/me/albums"),
                                   {{s("name"), s("Trip")},
                                    {s("message"), s("m")},
                                    {s("privacy"), s("{\"value\":\"EVERYONE\"}")}})
                              .object()
                              .value(s("id"))
                              .toString();
    QCOMPARE(emu.get(s("/") + album).object().value(s("privacy")).toString(), s("EVERYONE"));
    QCOMPARE(emu.method(s("corvana.photos.deleteAlbum"), {{s("aid"), album}}).body,
             QByteArray("true"));
    QCOMPARE(emu.get(s("/") + album).status, 400);
}

void tst_EmulatorRest::batchRepliesPerSubRequest()
{
    const QString pid = firstPhoto();
    const QString batch
        = s("[{\"method\": \"POST\", \"relative_url\": \"method/cvql.query?query=SELECT "
            "unread_count FROM unified_thread_count WHERE folder='inbox'\"},"
            "{\"method\": \"GET\", \"relative_url\": "
            "\"me/events/not_replied?fields=id,name,start_time,end_time,owner,picture&limit=100\"},"
            "{\"method\": \"GET\", \"omit_response_on_success\": false, \"name\": \"p\", "
            "\"relative_url\": \"100002?fields=name\"},"
            "{\"method\": \"GET\", \"relative_url\": \"nosuchobject\"},"
            "{\"method\": \"POST\", \"relative_url\": \"method/cvql.query?query=SELECT user_id, "
            "post_id FROM like WHERE post_id=%22nosuch%22 AND user_id=100001\"},"
            "{\"method\": \"POST\", \"relative_url\": \"%1/tags\", \"body\": \"to=100003&x=10&y= "
            "20\"}]")
              .arg(pid);
    const Answer a = emu.post(s("/"), {{s("batch"), batch}});
    QCOMPARE(a.status, 200);
    const QJsonArray replies = a.array();
    QCOMPARE(replies.size(), 6);
    const QList<int> codes = {200, 200, 200, 400, 200, 200};
    for (int i = 0; i < replies.size(); ++i) {
        const QJsonObject r = replies.at(i).toObject();
        QCOMPARE(r.value(s("code")).toInt(), codes.at(i));
        QVERIFY(r.value(s("headers")).isArray());
        QVERIFY(r.value(s("body")).isString());
    }
    auto body = [&replies](int i) { return replies.at(i).toObject().value(s("body")).toString(); };
    QVERIFY(body(0).startsWith(s("{\"data\":[{\"unread_count\":")));
    const QJsonArray invitations
        = QJsonDocument::fromJson(body(1).toUtf8()).object().value(s("data")).toArray();
    QVERIFY(!invitations.isEmpty());
    QCOMPARE(QStringList(invitations.first().toObject().keys()),
             QStringList(
                 {s("end_time"), s("id"), s("name"), s("owner"), s("picture"), s("start_time")}));
    QCOMPARE(QJsonDocument::fromJson(body(2).toUtf8()).object().value(s("name")).toString(),
             emu.get(s("/100002")).object().value(s("name")).toString());
    QVERIFY(body(3).startsWith(s("{\"error\":")));
    QCOMPARE(body(4), s("{\"data\":[]}"));
    QCOMPARE(body(5), s("true"));
    QVERIFY(
        column(
            emu.get(s("/") + pid).object().value(s("tags")).toObject().value(s("data")).toArray(),
            s("id"))
            .contains(s("100003")));
}

void tst_EmulatorRest::batchFollowsDependencies()
{
    // The read names a write listed after it, so it must see that write's post.
    const QString batch
        = s("[{\"method\": \"GET\", \"name\": \"bad\", \"relative_url\": \"nosuchobject\"},"
            "{\"method\": \"GET\", \"depends_on\": \"bad\", \"relative_url\": \"me\"},"
            "{\"method\": \"GET\", \"depends_on\": \"post\", \"relative_url\": "
            "\"me/feed?limit=1\"},"
            "{\"method\": \"POST\", \"name\": \"post\", \"relative_url\": \"me/feed\", "
            "\"body\": \"message=written first\"},"
            "{\"method\": \"GET\", \"depends_on\": \"nobody\", \"relative_url\": \"me\"}]");
    const Answer a = emu.post(s("/"), {{s("batch"), batch}});
    QCOMPARE(a.status, 200);
    const QJsonArray replies = a.array();
    QCOMPARE(replies.size(), 5);
    QList<int> codes;
    for (const QJsonValue &r : replies)
        codes << r.toObject().value(s("code")).toInt();
    QCOMPARE(codes, QList<int>({400, 400, 200, 200, 400}));
    const QJsonArray feed
        = QJsonDocument::fromJson(replies.at(2).toObject().value(s("body")).toString().toUtf8())
              .object()
              .value(s("data"))
              .toArray();
    QCOMPARE(feed.size(), 1);
    QCOMPARE(feed.first().toObject().value(s("message")).toString(), s("written first"));
}

void tst_EmulatorRest::batchRejectsMalformedInput_data()
{
    QTest::addColumn<QString>("batch");
    QTest::newRow("not JSON") << s("[{\"method\": \"GET\",");
    QTest::newRow("object, not array") << s("{\"method\": \"GET\", \"relative_url\": \"me\"}");
    QTest::newRow("empty") << s("[]");
    QString many = s("[");
    for (int i = 0; i < 51; ++i)
        many += s("{\"method\": \"GET\", \"relative_url\": \"me\"},");
    many.chop(1);
    QTest::newRow("too many") << many + s("]");
}

void tst_EmulatorRest::batchRejectsMalformedInput()
{
    QFETCH(QString, batch);
    const Answer a = emu.post(s("/"), {{s("batch"), batch}});
    QCOMPARE(a.status, 400);
    QCOMPARE(a.object().value(s("error")).toObject().value(s("type")).toString(),
             s("OAuthException"));
}

QTEST_GUILESS_MAIN(tst_EmulatorRest)
#include "tst_emulatorrest.moc"
