#include "emulatorprocess.h"

class tst_EmulatorFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void injectedFailures_data();
    void injectedFailures();
    void countAndMatchLimitFailures();
    void delayedAndDroppedReplies();
    void controlRejectsBadSettings();
    void commandLineFailures();
    void badInput_data();
    void badInput();
    void hugeRequestLine();
    void terminatesCleanly();

private:
    EmulatorProcess emu;
};

void tst_EmulatorFaults::initTestCase()
{
    QVERIFY(emu.start({s("--users"), s("10"), s("--posts"), s("20")}));
}

void tst_EmulatorFaults::init()
{
    QCOMPARE(emu.control(s("clear")).value("pending_failures").toInt(), 0);
}

void tst_EmulatorFaults::injectedFailures_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("bodyStart");
    QTest::addColumn<QString>("text"); // in the body
    QTest::newRow("status 503") << s("mode=status&status=503") << s("/me") << 503
                                << QByteArray("{\"error\":") << s("503");
    QTest::newRow("feed action limit")
        << s("mode=feed-limit") << s("/me/feed") << 403 << QByteArray("{\"error\":")
        << s("(#341) Feed action request limit reached");
    QTest::newRow("missing permission")
        << s("mode=permission&status=400") << s("/me/home") << 400 << QByteArray("{\"error\":")
        << s("(#200) Requires extended permission");
    QTest::newRow("REST unknown method")
        << s("mode=rest-unknown") << s("/method/notifications.get") << 200
        << QByteArray("{\"error_code\":3,") << s("Unknown method");
    QTest::newRow("REST permission")
        << s("mode=rest-permission") << s("/method/notifications.get") << 200
        << QByteArray("{\"error_code\":200,") << s("Permissions error");
    QTest::newRow("not JSON") << s("mode=not-json&status=502") << s("/me") << 502
                              << QByteArray("<html>") << s("unavailable");
}

void tst_EmulatorFaults::injectedFailures()
{
    QFETCH(QString, setting);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QByteArray, bodyStart);
    QFETCH(QString, text);
    QCOMPARE(emu.control(s("fail"), s("count=1&") + setting).value("pending_failures").toInt(), 1);
    const Answer failed = emu.get(path);
    QCOMPARE(failed.status, status);
    QVERIFY2(failed.body.startsWith(bodyStart), failed.body.constData());
    QVERIFY(QString::fromUtf8(failed.body).contains(text));
    QVERIFY(!failed.header("Date").isEmpty());
    const Answer next = emu.get(path);
    QCOMPARE(next.status, 200);
    QVERIFY(next.isJson());
    QVERIFY(!next.body.startsWith("{\"error"));
}

void tst_EmulatorFaults::countAndMatchLimitFailures()
{
    emu.control(s("fail"), s("count=3&mode=status&status=500"));
    QList<int> statuses;
    for (int i = 0; i < 4; ++i)
        statuses << emu.get(s("/me")).status;
    QCOMPARE(statuses, QList<int>({500, 500, 500, 200}));
    QCOMPARE(emu.pendingFailures(), 0);

    emu.control(s("fail"), s("count=1&mode=status&status=500&match=/method/"));
    QCOMPARE(emu.get(s("/me")).status, 200);
    QCOMPARE(emu.method(s("notifications.get")).status, 500);
    QCOMPARE(emu.method(s("notifications.get")).status, 200);
}

void tst_EmulatorFaults::delayedAndDroppedReplies()
{
    emu.control(s("fail"), s("count=1&mode=delay&ms=700"));
    QElapsedTimer timer;
    timer.start();
    const Answer slow = emu.get(s("/me"));
    QVERIFY(timer.elapsed() >= 650);
    QCOMPARE(slow.id(), s("100001"));

    emu.control(s("fail"), s("count=1&mode=drop"));
    const Answer dropped = emu.get(s("/me/home"));
    QVERIFY(dropped.error != QNetworkReply::NoError);
    QVERIFY(dropped.error != QNetworkReply::TimeoutError);
    QCOMPARE(emu.get(s("/me/home")).status, 200);
}

void tst_EmulatorFaults::controlRejectsBadSettings()
{
    QCOMPARE(emu.control(s("fail"), s("mode=explode")).status, 400);
    QCOMPARE(emu.control(s("fail"), s("count=-1")).status, 400);
    QCOMPARE(emu.control(s("fail"), s("mode=status&status=99")).status, 400);
    QCOMPARE(emu.control(s("nosuch")).status, 404);
    QCOMPARE(emu.pendingFailures(), 0);
}

void tst_EmulatorFaults::commandLineFailures()
{
    EmulatorProcess other;
    QVERIFY(
        other.start({s("--users"), s("3"), s("--fail"), s("count=2,mode=feed-limit,match=/feed")}));
    QCOMPARE(other.get(s("/me")).status, 200);
    QList<int> statuses;
    for (int i = 0; i < 3; ++i)
        statuses << other.post(s("/me/feed"), {{s("message"), s("x")}}).status;
    QCOMPARE(statuses, QList<int>({403, 403, 200}));

    EmulatorProcess refused;
    QVERIFY(!refused.start({s("--fail"), s("mode=nonsense")}));
    QVERIFY(!refused.start({s("--host"), s("0.0.0.0")})); // plain HTTP only on loopback
}

void tst_EmulatorFaults::badInput_data()
{
    QTest::addColumn<QString>("rawPathAndQuery");
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<int>("status");
    const QByteArray get("GET"), post("POST");
    QTest::newRow("unknown path") << s("/no/such/thing/here") << get << 400;
    QTest::newRow("unknown connection") << s("/me/nonsense") << get << 400;
    QTest::newRow("malformed query") << s("/me/home?limit=abc&&=&%zz=%") << get << 400;
    QTest::newRow("negative offset") << s("/me/home?offset=-5") << get << 400;
    QTest::newRow("bad since") << s("/me/home?since=yesterday") << get << 400;
    QTest::newRow("huge parameter")
        << s("/me?fields=") + QString(70000, QLatin1Char('a')) << get << 400;
    QTest::newRow("unsupported verb") << s("/me") << QByteArray("PUT") << 400;
    QTest::newRow("post to unknown object") << s("/nosuch/feed?message=x") << post << 400;
    QTest::newRow("upload without body") << s("/me/photos?message=x") << post << 400;
    QTest::newRow("missing picture") << s("/_pictures/thing.bmp") << get << 404;
}

void tst_EmulatorFaults::badInput()
{
    QFETCH(QString, rawPathAndQuery);
    QFETCH(QByteArray, verb);
    QFETCH(int, status);
    const Answer a = emu.send(emu.rawUrl(rawPathAndQuery), verb);
    QCOMPARE(a.status, status);
    QVERIFY(a.body.startsWith("{\"error\":"));
    QVERIFY(a.value("error.message").isString());
    QCOMPARE(emu.get(s("/me")).status, 200);
}

void tst_EmulatorFaults::hugeRequestLine()
{
    // Beyond what the HTTP parser accepts the connection is closed; the server itself goes on.
    const Answer a = emu.send(emu.rawUrl(s("/me?fields=") + QString(200000, QLatin1Char('b'))));
    QVERIFY(a.status == 400 || a.error != QNetworkReply::NoError);
    QCOMPARE(emu.get(s("/me")).status, 200);
    QCOMPARE(emu.process().state(), QProcess::Running);
}

void tst_EmulatorFaults::terminatesCleanly()
{
    EmulatorProcess other;
    QVERIFY(other.start({s("--users"), s("3")}));
    other.process().terminate();
    QVERIFY(other.process().waitForFinished(20000));
    QCOMPARE(other.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(other.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_EmulatorFaults)
#include "tst_emulatorfaults.moc"
