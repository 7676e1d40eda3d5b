#include "emulatorprocess.h"

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
    void threadQueries();
    void friendRequestsRoundTrip();
    void mailboxRoundTrip();
    void photoPageAndAlbumWrites();
    void batchRepliesPerSubRequest();
    void batchFollowsDependencies();
    void batchRejectsMalformedInput_data();
    void batchRejectsMalformedInput();

private:
    QString firstPhoto();
    EmulatorProcess emu;
};

QString tst_EmulatorRest::firstPhoto()
{
    return emu.get(s("/me/photos")).ids().value(0);
}

static QList<int> codes(const QJsonArray &replies)
{
    QList<int> out;
    for (const QJsonValue &r : replies)
        out << member(r, "code").toInt();
    return out;
}

void tst_EmulatorRest::initTestCase()
{
    QVERIFY(emu.start({s("--users"), s("40"), s("--posts"), s("50"), s("--events"), s("10")}));
}

void tst_EmulatorRest::readMethods_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<P>("params");
    QTest::addColumn<QString>("member"); // in the object, or in every row of an array
    QTest::addColumn<QString>("value"); // of that member in every row, if given
    QTest::addColumn<int>("rows"); // -1: an object; 0: a non-empty array
    const auto add = [](const char *row, const char *name, const P &params, const char *member,
                        int rows, const QString &value = {}) {
        QTest::newRow(row) << s(name) << params << s(member) << value << rows;
    };
    add("event invitations", "events.get", {{s("rsvp_status"), s("not_replied")}}, "rsvp_status", 0,
        s("not_replied"));
    add("notification counters", "notifications.get", {}, "friend_requests", -1);
    add("notification list", "notifications.getList", {{s("include_read"), s("1")}},
        "notifications", -1);
    add("threads in folder", "message.getThreadsInFolder", {{s("limit"), s("2")}}, "thread_id", 2);
    add("inbox", "corvana.mailbox.getInbox", {{s("limit"), s("3")}, {s("start"), s("0")}},
        "snippet", 0);
    add("outbox", "corvana.mailbox.getOutbox", {}, "participants", 0);
}

void tst_EmulatorRest::readMethods()
{
    QFETCH(QString, name);
    QFETCH(P, params);
    QFETCH(QString, member);
    QFETCH(QString, value);
    QFETCH(int, rows);
    const Answer a = emu.method(name, params);
    QCOMPARE(a.status, 200);
    QVERIFY(a.isJson());
    if (rows < 0) {
        QVERIFY(a.object().contains(member));
        return;
    }
    const QJsonArray array = a.array();
    QVERIFY(!array.isEmpty());
    if (rows > 0)
        QCOMPARE(array.size(), rows);
    for (const QJsonValue &r : array) {
        QVERIFY(r.toObject().contains(member));
        if (!value.isEmpty())
            QCOMPARE(r.toObject().value(member).toString(), value);
    }
}

void tst_EmulatorRest::methodErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<P>("params");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("unknown method") << s("corvana.nosuch.method") << P() << 3 << QString();
    QTest::newRow("missing thread id") << s("corvana.mailbox.getThread") << P() << 100 << QString();
    QTest::newRow("missing query") << s("cvql.query") << P() << 100 << QString();
    QTest::newRow("tag outside the photo")
        << s("photos.addTag") << P {{s("pid"), s("1")}, {s("tag_text"), s("x")}, {s("x"), s("-1")}}
        << 100 << QString();
    auto cvql = [](const char *row, const QString &statement) {
        QTest::newRow(row) << s("cvql.query") << P {{s("query"), statement}} << 601
                           << s("Parser error: ");
    };
    cvql("not a statement", s("DROP TABLE user"));
    cvql("unknown table", s("SELECT uid FROM nosuch WHERE uid=1"));
    cvql("unknown field", s("SELECT password FROM user WHERE uid=me()"));
    cvql("unterminated string", s("SELECT uid FROM user WHERE name='abc"));
    cvql("dangling operator", s("SELECT uid FROM user WHERE uid ="));
    cvql("unbalanced parenthesis", s("SELECT uid FROM user WHERE (uid=1"));
    cvql("trailing garbage", s("SELECT uid FROM user WHERE uid=1 ;"));
    cvql("deep nesting",
         s("SELECT uid FROM user WHERE ") + QString(5000, QLatin1Char('(')) + s("uid=1")
             + QString(5000, QLatin1Char(')')));
    cvql("unknown function", s("SELECT uid FROM user WHERE evil(uid)"));
    cvql("wrong arity", s("SELECT uid FROM user WHERE strpos(uid) >= 0"));
}

void tst_EmulatorRest::methodErrors()
{
    QFETCH(QString, name);
    QFETCH(P, params);
    QFETCH(int, code);
    QFETCH(QString, messageStart);
    const Answer a = emu.method(name, params);
    QCOMPARE(a.status, 200); // the REST endpoint reports errors in the body
    QVERIFY(a.body.startsWith("{\"error_code\":"));
    QCOMPARE(a.value("error_code").toInt(), code);
    QVERIFY(!a.value("error_msg").toString().isEmpty());
    QVERIFY(a.value("error_msg").toString().startsWith(messageStart));
    QVERIFY(!a.body.contains(emu.token.toUtf8()));
    QCOMPARE(emu.get(s("/me")).status, 200); // still serving
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
        const QString b = member(f, "birthday_date").toString();
        if (b.contains(s("11")) || b.contains(s("12")) || b.contains(s("01")))
            expected.insert(member(f, "uid").toString());
    }
    const QJsonArray rows
        = emu.query(s("SELECT uid, name, birthday_date FROM user WHERE uid IN (SELECT uid2 FROM "
                      "friend WHERE uid1 = me()) AND "
                      "(strpos(birthday_date,11) >= 0 OR strpos(birthday_date,12) >= 0 OR "
                      "strpos(birthday_date,01) >= 0) ORDER BY birthday_date"))
              .array();
    QCOMPARE(column(rows, "uid"), expected);
    for (int i = 1; i < rows.size(); ++i)
        QVERIFY(member(rows.at(i - 1), "birthday_date").toString()
                <= member(rows.at(i), "birthday_date").toString());
    QCOMPARE(QStringList(rows.first().toObject().keys()),
             QStringList({s("birthday_date"), s("name"), s("uid")}));
}

void tst_EmulatorRest::threadQueries()
{
    const QString threads
        = s("SELECT thread_id,timestamp,subject,senders,participants,snippet,snippet_sender,"
            "num_messages,num_unread,object_participants FROM unified_thread WHERE "
            "has_tags('inbox') %1 ORDER BY timestamp DESC LIMIT 0,100");
    const QJsonArray all = emu.rows(threads.arg(QString()));
    QVERIFY(all.size() >= 4);
    QVERIFY(!member(all.first(), "snippet_sender.user_id").toString().isEmpty());
    const qint64 ts = qint64(member(all.at(1), "timestamp").toDouble());
    QCOMPARE(emu.rows(threads.arg(s("AND timestamp <= %1").arg(ts))).size(), all.size() - 1);

    const QString tid = member(all.first(), "thread_id").toString();
    const QString messages = s("SELECT message_id,thread_id,timestamp,subject,body,unread,sender,"
                               "recipients,object_sender,attachments FROM unified_message WHERE "
                               "thread_id='%1'  ORDER BY timestamp DESC LIMIT 0,10");
    QCOMPARE(emu.rows(messages.arg(tid)).size(), member(all.first(), "num_messages").toInt());

    // The message table names a message by its thread id, "_" and the unified message id, so a
    // client stripping the thread prefix from an attachment row finds the message it belongs to.
    int attachments = 0;
    for (const QJsonValue &thread : all) {
        const QString id = member(thread, "thread_id").toString();
        QSet<QString> unified, withAttachment;
        for (const QJsonValue &m : emu.rows(messages.arg(id))) {
            const QString qualified = id + QLatin1Char('_') + member(m, "message_id").toString();
            unified.insert(qualified);
            if (!member(m, "attachments").toArray().isEmpty())
                withAttachment.insert(qualified);
        }
        const QJsonArray rows = emu.rows(s("SELECT thread_id,message_id,attachment FROM message "
                                           "WHERE thread_id=%1 AND viewer_id=100001 ORDER BY "
                                           "message_id DESC")
                                             .arg(id));
        QCOMPARE(column(rows, "message_id"), unified);
        QSet<QString> attached;
        for (const QJsonValue &r : rows) {
            if (!member(r, "attachment.media").toArray().isEmpty())
                attached.insert(member(r, "message_id").toString());
        }
        QCOMPARE(attached, withAttachment);
        attachments += int(attached.size());
    }
    QVERIFY(attachments > 0);
}

void tst_EmulatorRest::friendRequestsRoundTrip()
{
    QVERIFY(emu.called(s("corvana.friends.add"), {{s("uid"), s("100020")}}));
    QCOMPARE(emu.rows(s("SELECT uid_to FROM friend_request WHERE uid_from=me() AND uid_to=100020"))
                 .size(),
             1);

    QVERIFY(emu.called(s("corvana.friends.confirm"),
                       {{s("uid"), s("100005")}, {s("confirm"), s("1")}}));
    QCOMPARE(emu.rows(s("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=100005")).size(), 1);
    QVERIFY(
        !column(emu.rows(s("SELECT uid FROM user WHERE uid IN (SELECT uid_from FROM friend_request "
                           "WHERE uid_to = me())")),
                "uid")
             .contains(s("100005")));
    QVERIFY(emu.get(s("/me/friends"), {{s("limit"), s("100")}}).ids().contains(s("100005")));

    const P refuse {{s("uid"), s("100015")}, {s("confirm"), s("0")}};
    QVERIFY(emu.called(s("corvana.friends.confirm"), refuse));
    QCOMPARE(emu.rows(s("SELECT uid2 FROM friend WHERE uid1=me() AND uid2=100015")).size(), 0);
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
    QVERIFY2(tid.toLongLong() > 0, sent.body.constData());
    const P thread {{s("tid"), tid}};
    QCOMPARE(emu.method(s("corvana.mailbox.reply"), thread + P {{s("body"), s("At eight")}}).body,
             tid.toLatin1());
    const QJsonArray messages = emu.method(s("corvana.mailbox.getThreadMessages"), thread).array();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(member(messages.at(1), "body").toString(), s("At eight"));

    auto unread
        = [&] { return emu.method(s("corvana.mailbox.getThread"), thread).value("num_unread"); };
    QVERIFY(emu.called(s("corvana.mailbox.markUnread"), thread));
    QCOMPARE(unread().toInt(), 1);
    QVERIFY(emu.called(s("corvana.mailbox.markRead"), thread));
    QCOMPARE(unread().toInt(), 0);

    // Through the Graph interface: a reply lands in the same thread, which is listed as sent.
    QVERIFY(
        emu.post(s("/"), {{s("method"), s("POST")}, {s("message"), s("Or nine")}, {s("id"), tid}})
            .id()
            .startsWith(tid + QLatin1Char('_')));
    QCOMPARE(
        emu.rows(s("SELECT message_id FROM unified_message WHERE thread_id='%1'").arg(tid)).size(),
        3);
    auto outbox = [this] {
        return column(emu.method(s("corvana.mailbox.getOutbox")).array(), "thread_id");
    };
    QVERIFY(outbox().contains(tid));
    const QString started
        = emu.post(s("/threads"),
                   {{s("method"), s("POST")}, {s("message"), s("hi")}, {s("to"), s("[100004]")}})
              .value("tid")
              .toString();
    QVERIFY(!started.isEmpty() && started != tid);
    QVERIFY(outbox().contains(started));

    const P inSent = thread + P {{s("folder"), s("2")}};
    QVERIFY(emu.called(s("corvana.mailbox.deleteThread"), inSent));
    QVERIFY(!outbox().contains(tid));
    QCOMPARE(emu.method(s("corvana.mailbox.deleteThread"), inSent).body, QByteArray("false"));
}

void tst_EmulatorRest::photoPageAndAlbumWrites()
{
    const QString pid = firstPhoto();
    QVERIFY(!pid.isEmpty());
    const P photo {{s("pid"), pid}};
    QVERIFY(emu.called(s("corvana.photos.addLike"), photo));
    QCOMPARE(emu.get(s("/") + pid).value("likes.count").toInt(), 1);
    QVERIFY(emu.called(s("corvana.photos.removeLike"), photo));
    QCOMPARE(emu.get(s("/") + pid).value("likes.count").toInt(), 0);

    const P tag = photo + P {{s("tag_text"), s("the tree")}};
    QVERIFY(emu.called(s("photos.addTag"), tag + P {{s("x"), s("10.5")}, {s("y"), s("20")}}));
    auto tagNames
        = [&] { return column(emu.get(s("/") + pid).value("tags.data").toArray(), "name"); };
    QVERIFY(tagNames().contains(s("the tree")));
    QVERIFY(emu.called(s("corvana.photos.deleteTag"), tag));
    QVERIFY(!tagNames().contains(s("the tree")));

    const QJsonArray rows = emu.method(s("photos.get"), {{s("pids"), s("100001_") + pid}}).array();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(member(rows.first(), "object_id").toString(), pid);
    QCOMPARE(member(rows.first(), "owner").toString(), s("100001"));

    QVERIFY(emu.called(s("corvana.pages.addFan"), {{s("page_id"), s("200002")}}));
    QVERIFY(emu.get(s("/me/likes")).ids().contains(s("200002")));

    const QString album = emu.post(s("/me/albums"),
                                   {{s("name"), s("Trip")},
                                    {s("message"), s("m")},
                                    {s("privacy"), s("{\"value\":\"EVERYONE\"}")}})
                              .id();
    QCOMPARE(emu.get(s("/") + album).value("privacy").toString(), s("EVERYONE"));
    QVERIFY(emu.called(s("corvana.photos.deleteAlbum"), {{s("aid"), album}}));
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
    const Answer a = emu.batch(batch);
    QCOMPARE(a.status, 200);
    const QJsonArray replies = a.array();
    QCOMPARE(codes(replies), QList<int>({200, 200, 200, 400, 200, 200}));
    QStringList bodies;
    for (const QJsonValue &r : replies) {
        QVERIFY(member(r, "headers").isArray());
        QVERIFY(member(r, "body").isString());
        bodies << member(r, "body").toString();
    }
    QVERIFY(bodies.at(0).startsWith(s("{\"data\":[{\"unread_count\":")));
    const QJsonArray invitations = member(parse(bodies.at(1)), "data").toArray();
    QVERIFY(!invitations.isEmpty());
    QCOMPARE(QStringList(invitations.first().toObject().keys()),
             QStringList(
                 {s("end_time"), s("id"), s("name"), s("owner"), s("picture"), s("start_time")}));
    QCOMPARE(member(parse(bodies.at(2)), "name"), emu.get(s("/100002")).value("name"));
    QVERIFY(bodies.at(3).startsWith(s("{\"error\":")));
    QCOMPARE(bodies.at(4), s("{\"data\":[]}"));
    QCOMPARE(bodies.at(5), s("true"));
    QVERIFY(column(emu.get(s("/") + pid).value("tags.data").toArray(), "id").contains(s("100003")));
}

void tst_EmulatorRest::batchFollowsDependencies()
{
    // The read names a write listed after it, so it must see that write's post.
    const QJsonArray replies
        = emu.batch(
                 s("[{\"method\": \"GET\", \"name\": \"bad\", \"relative_url\": \"nosuchobject\"},"
                   "{\"method\": \"GET\", \"depends_on\": \"bad\", \"relative_url\": \"me\"},"
                   "{\"method\": \"GET\", \"depends_on\": \"post\", \"relative_url\": "
                   "\"me/feed?limit=1\"},"
                   "{\"method\": \"POST\", \"name\": \"post\", \"relative_url\": \"me/feed\", "
                   "\"body\": \"message=written first\"},"
                   "{\"method\": \"GET\", \"depends_on\": \"nobody\", \"relative_url\": \"me\"}]"))
              .array();
    QCOMPARE(codes(replies), QList<int>({400, 400, 200, 200, 400}));
    const QJsonArray feed
        = member(parse(member(replies.at(2), "body").toString()), "data").toArray();
    QCOMPARE(feed.size(), 1);
    QCOMPARE(member(feed.first(), "message").toString(), s("written first"));
}

void tst_EmulatorRest::batchRejectsMalformedInput_data()
{
    QTest::addColumn<QString>("batch");
    QTest::newRow("not JSON") << s("[{\"method\": \"GET\",");
    QTest::newRow("object, not array") << s("{\"method\": \"GET\", \"relative_url\": \"me\"}");
    QTest::newRow("empty") << s("[]");
    QStringList many(51, s("{\"method\": \"GET\", \"relative_url\": \"me\"}"));
    QTest::newRow("too many") << s("[") + many.join(QLatin1Char(',')) + s("]");
}

void tst_EmulatorRest::batchRejectsMalformedInput()
{
    QFETCH(QString, batch);
    const Answer a = emu.batch(batch);
    QCOMPARE(a.status, 400);
    QCOMPARE(a.value("error.type").toString(), s("OAuthException"));
}

QTEST_GUILESS_MAIN(tst_EmulatorRest)
#include "tst_emulatorrest.moc"
