// corvana-sync as a user runs it: against the emulator, twice, and with bad input.

#include "emulatorprocess.h"

#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// The summary row of a collection: added, updated, removed, same.
QList<int> summaryRow(const QString &out, const QString &collection)
{
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        if (cells.size() == 5 && cells.first() == collection)
            return {cells[1].toInt(), cells[2].toInt(), cells[3].toInt(), cells[4].toInt()};
    }
    return {};
}

} // namespace

class TestCorvanaSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_emulator.start({QStringLiteral("--seed"), QStringLiteral("5")}, true));
    }

    void twoRuns()
    {
        const Run first = sync(m_emulator.token);
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        QVERIFY(first.out.contains(QStringLiteral("Signed in as")));
        QCOMPARE(summaryRow(first.out, QStringLiteral("profile")).value(0), 1);
        const QList<int> friends = summaryRow(first.out, QStringLiteral("friends"));
        QCOMPARE(friends.size(), 4);
        QVERIFY(friends.at(0) > 0);
        QVERIFY(summaryRow(first.out, QStringLiteral("birthdays")).value(0) > 0);

        const Run second = sync(m_emulator.token);
        QVERIFY2(second.exitCode == 0, qPrintable(second.err));
        for (const QString &collection :
             {QStringLiteral("profile"), QStringLiteral("friends"), QStringLiteral("birthdays")}) {
            const QList<int> row = summaryRow(second.out, collection);
            QCOMPARE(row.size(), 4);
            QCOMPARE(row.at(0), 0); // nothing added
            QCOMPARE(row.at(2), 0); // nothing removed
        }
        QCOMPARE(summaryRow(second.out, QStringLiteral("friends")).at(3), friends.at(0));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");

        QTest::newRow("rejected token")
            << QStringList {QStringLiteral("--token"), QStringLiteral("nope")}
            << QStringLiteral("access token was rejected");
        QTest::newRow("no token") << QStringList() << QStringLiteral("access token is required");
        QTest::newRow("plain http elsewhere")
            << QStringList {QStringLiteral("--token"), QStringLiteral("t"),
                            QStringLiteral("--graph-url"), QStringLiteral("http://example.com")}
            << QStringLiteral("not a usable Graph URL");
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run run = exec(endpointArguments() + arguments);
        QVERIFY(run.exitCode != 0);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    }

private:
    QStringList endpointArguments() const
    {
        return {QStringLiteral("--graph-url"), m_emulator.graph,
                QStringLiteral("--rest-url"),  m_emulator.rest,
                QStringLiteral("--ca-cert"),   QStringLiteral(CV_EMULATOR_CA),
                QStringLiteral("--cache-dir"), m_dir.filePath(QStringLiteral("cache"))};
    }

    Run sync(const QString &token)
    {
        return exec(QStringList {QStringLiteral("--token"), token} + endpointArguments());
    }

    // A repeated option takes its last value, so later arguments override the endpoints.
    Run exec(const QStringList &arguments)
    {
        QProcess process;
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

    EmulatorProcess m_emulator;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCorvanaSync)
#include "tst_corvanasync.moc"
