// corvana-sync as a user runs it: against the emulator, twice, with bad input, and killed at
// random moments.

#include "emulatorprocess.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The summary row of a collection: added, updated, removed, same, pages, retries.
QList<int> summaryRow(const QString &out, const QString &collection)
{
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (!line.startsWith(collection + QLatin1Char(' ')))
            continue;
        const QStringList cells = line.mid(collection.size()).simplified().split(QLatin1Char(' '));
        if (cells.size() != 7)
            continue;
        QList<int> row;
        for (int i = 0; i < 6; ++i)
            row.append(cells.at(i).toInt());
        return row;
    }
    return {};
}

// Every row of every table, sorted, one text per table: two caches with the same content
// compare equal whatever order the rows were written in.
QMap<QString, QStringList> contents(const QString &path, QString *integrity)
{
    QMap<QString, QStringList> tables;
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("contents"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next())
                *integrity = query.value(0).toString();
            QStringList names;
            query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
            while (query.next())
                names.append(query.value(0).toString());
            for (const QString &name : std::as_const(names)) {
                QStringList rows;
                query.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(name));
                while (query.next()) {
                    QStringList cells;
                    for (int i = 0; i < query.record().count(); ++i)
                        cells.append(query.value(i).toString());
                    rows.append(cells.join(QLatin1Char('|')));
                }
                rows.sort();
                tables.insert(name, rows);
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("contents"));
    return tables;
}

} // namespace

class tst_CorvanaSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void twoRuns();
    void chosenCollections();
    void failedCollection();
    void killedAndResumed();
    void tokenSources_data();
    void tokenSources();
    void failures_data();
    void failures();

private:
    QStringList endpointArguments(const QString &cacheDir = QString()) const;

    Run sync(const QString &token, const QStringList &options = {});

    Run exec(const QStringList &arguments,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    EmulatorProcess m_emulator;
    QTemporaryDir m_dir;
};

QStringList tst_CorvanaSync::endpointArguments(const QString &cacheDir) const
{
    return {QStringLiteral("--graph-url"),
            m_emulator.graph,
            QStringLiteral("--rest-url"),
            m_emulator.rest,
            QStringLiteral("--ca-cert"),
            QStringLiteral(CV_EMULATOR_CA),
            QStringLiteral("--cache-dir"),
            cacheDir.isEmpty() ? m_dir.filePath(QStringLiteral("cache")) : cacheDir};
}

Run tst_CorvanaSync::sync(const QString &token, const QStringList &options)
{
    return exec(QStringList {QStringLiteral("--token"), token} + endpointArguments() + options);
}

// A repeated option takes its last value, so later arguments override the endpoints.
Run tst_CorvanaSync::exec(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CV_SYNC_PATH), arguments);
    Run run;
    if (!process.waitForFinished(90000)) {
        process.kill();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

void tst_CorvanaSync::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_emulator.start({QStringLiteral("--seed"), QStringLiteral("5")}, true));
}

void tst_CorvanaSync::twoRuns()
{
    const Run first = sync(m_emulator.token);
    QVERIFY2(first.exitCode == 0, qPrintable(first.err));
    QVERIFY(first.out.contains(QStringLiteral("Signed in as")));
    QCOMPARE(summaryRow(first.out, QStringLiteral("profile")).value(0), 1);
    const QList<int> friends = summaryRow(first.out, QStringLiteral("friends"));
    QCOMPARE(friends.size(), 6);
    QVERIFY(friends.at(0) > 0);
    const QStringList collections {
        QStringLiteral("profile"),       QStringLiteral("friends"),
        QStringLiteral("birthdays"),     QStringLiteral("news feed"),
        QStringLiteral("profile feed"),  QStringLiteral("status messages"),
        QStringLiteral("comments"),      QStringLiteral("threads"),
        QStringLiteral("messages"),      QStringLiteral("attachments"),
        QStringLiteral("events"),        QStringLiteral("groups"),
        QStringLiteral("group members"), QStringLiteral("check-ins"),
        QStringLiteral("albums"),        QStringLiteral("photos"),
        QStringLiteral("notifications")};
    for (const QString &collection : collections)
        QVERIFY2(summaryRow(first.out, collection).size() == 6, qPrintable(collection));

    const Run second = sync(m_emulator.token, {QStringLiteral("--json")});
    QVERIFY2(second.exitCode == 0, qPrintable(second.err));
    const QJsonObject summary = QJsonDocument::fromJson(second.out.toUtf8()).object();
    QCOMPARE(summary.value(QStringLiteral("exit_status")).toInt(-1), 0);
    const QJsonArray rows = summary.value(QStringLiteral("collections")).toArray();
    QCOMPARE(rows.size(), collections.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject row = rows.at(i).toObject();
        QCOMPARE(row.value(QStringLiteral("collection")).toString(), collections.at(i));
        QCOMPARE(row.value(QStringLiteral("added")).toInt(-1), 0);
        QCOMPARE(row.value(QStringLiteral("removed")).toInt(-1), 0);
        QCOMPARE(row.value(QStringLiteral("unchanged")).toInt()
                     + row.value(QStringLiteral("updated")).toInt(),
                 summaryRow(first.out, collections.at(i)).at(0));
    }
}

// Options choose the collections, the page size and the since bound.
void tst_CorvanaSync::chosenCollections()
{
    const Run run = sync(m_emulator.token,
                         {QStringLiteral("--collections"), QStringLiteral("friends,news-feed"),
                          QStringLiteral("--page-size"), QStringLiteral("3"),
                          QStringLiteral("--since"), QStringLiteral("2000-01-01")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(summaryRow(run.out, QStringLiteral("profile")).isEmpty());
    const QList<int> friends = summaryRow(run.out, QStringLiteral("friends"));
    QCOMPARE(friends.size(), 6);
    const int total = friends.at(0) + friends.at(1) + friends.at(3);
    QCOMPARE(friends.at(4), total / 3 + 1); // pages of three
    QCOMPARE(summaryRow(run.out, QStringLiteral("news feed")).size(), 6);
}

// A failed collection is reported when it fails, and the run does not exit 0.
void tst_CorvanaSync::failedCollection()
{
    QCOMPARE(m_emulator
                 .control(QStringLiteral("fail"),
                          QStringLiteral("count=1&mode=permission&match=/groups"))
                 .status,
             200);
    const Run run = sync(m_emulator.token,
                         {QStringLiteral("--collections"), QStringLiteral("groups,events")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("error: groups: permission denied")),
             qPrintable(run.err));
    QVERIFY(run.out.contains(QStringLiteral("failed")));
    QCOMPARE(summaryRow(run.out, QStringLiteral("events")).size(), 6);
}

// SIGKILL at random moments leaves a sound cache; a final run reaches the same content as
// a run that was never interrupted.
void tst_CorvanaSync::killedAndResumed()
{
    QTemporaryDir whole;
    QTemporaryDir killed;
    QVERIFY(whole.isValid() && killed.isValid());
    const QStringList options {QStringLiteral("--page-size"), QStringLiteral("4")};
    QElapsedTimer timer;
    timer.start();
    const Run reference = exec(QStringList {QStringLiteral("--token"), m_emulator.token}
                               + endpointArguments(whole.path()) + options);
    const qint64 duration = timer.elapsed();
    QVERIFY2(reference.exitCode == 0, qPrintable(reference.err));
    const QString database = QStringLiteral("/cvcache.db");

    for (int round = 0; round < 4; ++round) {
        QProcess process;
        process.start(QStringLiteral(CV_SYNC_PATH),
                      QStringList {QStringLiteral("--token"), m_emulator.token}
                          + endpointArguments(killed.path()) + options);
        QVERIFY(process.waitForStarted());
        const int at
            = int(duration / 10
                  + QRandomGenerator::global()->bounded(qMax<qint64>(1, duration * 8 / 10)));
        QTest::qWait(at);
        process.kill(); // SIGKILL; a run that ended already is simply over
        process.waitForFinished(10000);
        QCOMPARE(process.state(), QProcess::NotRunning);
        QString integrity;
        contents(killed.path() + database, &integrity);
        if (QFileInfo::exists(killed.path() + database))
            QVERIFY2(integrity == QStringLiteral("ok"),
                     qPrintable(QStringLiteral("after %1 ms: %2").arg(at).arg(integrity)));
    }
    const Run resumed = exec(QStringList {QStringLiteral("--token"), m_emulator.token}
                             + endpointArguments(killed.path()) + options);
    QVERIFY2(resumed.exitCode == 0, qPrintable(resumed.err));
    QString integrity;
    const auto expected = contents(whole.path() + database, &integrity);
    QCOMPARE(integrity, QStringLiteral("ok"));
    const auto actual = contents(killed.path() + database, &integrity);
    QCOMPARE(integrity, QStringLiteral("ok"));
    QCOMPARE(actual.keys(), expected.keys());
    qsizetype rows = 0;
    for (const QStringList &table : expected)
        rows += table.size();
    QVERIFY(rows > 100);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(actual.value(it.key()) == it.value(), qPrintable(it.key()));
}

// The token need not appear on the command line, where the process list shows it.
void tst_CorvanaSync::tokenSources_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("file") << QStringLiteral("file");
    QTest::newRow("environment") << QStringLiteral("environment");
}

void tst_CorvanaSync::tokenSources()
{
    QFETCH(QString, source);
    QStringList arguments = endpointArguments();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("CORVANA_TOKEN"));
    if (source == QLatin1String("file")) {
        QFile file(m_dir.filePath(QStringLiteral("token")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(m_emulator.token.toUtf8() + "\n");
        file.close();
        arguments << QStringLiteral("--token-file") << file.fileName();
    } else {
        environment.insert(QStringLiteral("CORVANA_TOKEN"), m_emulator.token);
    }
    const Run run = exec(arguments, environment);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(run.out.contains(QStringLiteral("Signed in as")));
    QVERIFY(!run.out.contains(m_emulator.token) && !run.err.contains(m_emulator.token));
}

void tst_CorvanaSync::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("rejected token")
        << QStringList {QStringLiteral("--token"), QStringLiteral("nope")}
        << QStringLiteral("sign-in failed: the access token was rejected");
    QTest::newRow("no token") << QStringList() << QStringLiteral("access token is required");
    QTest::newRow("unreadable token file")
        << QStringList {QStringLiteral("--token-file"), QStringLiteral("/nonexistent/token")}
        << QStringLiteral("cannot read the token file");
    QTest::newRow("plain http elsewhere")
        << QStringList {QStringLiteral("--token"), QStringLiteral("t"),
                        QStringLiteral("--graph-url"), QStringLiteral("http://example.com")}
        << QStringLiteral("not a usable Graph URL");
    QTest::newRow("unknown collection")
        << QStringList {QStringLiteral("--token"), QStringLiteral("t"),
                        QStringLiteral("--collections"), QStringLiteral("friends,pets")}
        << QStringLiteral("unknown collection: pets");
    QTest::newRow("bad since") << QStringList {QStringLiteral("--token"), QStringLiteral("t"),
                                               QStringLiteral("--since"),
                                               QStringLiteral("last week")}
                               << QStringLiteral("--since takes");
    QTest::newRow("bad page size")
        << QStringList {QStringLiteral("--token"), QStringLiteral("t"),
                        QStringLiteral("--page-size"), QStringLiteral("0")}
        << QStringLiteral("--page-size takes");
}

void tst_CorvanaSync::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = exec(endpointArguments() + arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!run.out.contains(QStringLiteral("Summary")));
}

QTEST_GUILESS_MAIN(tst_CorvanaSync)
#include "tst_corvanasync.moc"
