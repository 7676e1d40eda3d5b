// Starts corvana-emulator for a benchmark: plain HTTP on a free loopback port.
#ifndef BENCHEMULATOR_H
#define BENCHEMULATOR_H

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>

// Starts \a emulator with \a options and waits for "ready"; \a graph gets the Graph URL and
// \a token the first user's token. False (with a line on stderr) when it did not start.
inline bool startBenchEmulator(QProcess *emulator, const QStringList &options, QString *graph,
                               QString *token)
{
    emulator->start(
        QStringLiteral(CV_EMULATOR_PATH),
        QStringList {QStringLiteral("--http"), QStringLiteral("--port"), QStringLiteral("0")}
            + options);
    QByteArray output;
    while (!output.contains("ready\n")) {
        if (!emulator->waitForReadyRead(120000)) {
            std::fprintf(stderr, "emulator did not start\n");
            return false;
        }
        output += emulator->readAllStandardOutput();
    }
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("graph: "))
            *graph = QString::fromLatin1(line.mid(7));
        if (line.startsWith("token: ") && token->isEmpty())
            *token = QString::fromLatin1(line.mid(7).split(' ').value(0));
    }
    return true;
}

#endif // BENCHEMULATOR_H
