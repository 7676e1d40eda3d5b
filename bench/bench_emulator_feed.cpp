// Starts corvana-emulator with a 20,000-post feed and fetches it as one page, several times,
// printing the time and throughput of each fetch. Usage: bench_emulator_feed [posts] [rounds]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <algorithm>
#include <cstdio>

#include "emulatorprocess.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int posts = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    const int rounds = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    QElapsedTimer startup;
    startup.start();
    EmulatorProcess emulator;
    if (!emulator.start({QStringLiteral("--posts"), QString::number(posts)}, false, 600000)) {
        std::fprintf(stderr, "emulator did not start\n");
        return 1;
    }
    const QString graph = emulator.graph;
    const QString token = emulator.token;
    std::printf("emulator with %d posts ready in %lld ms\n", posts, qint64(startup.elapsed()));

    QNetworkAccessManager nam;
    const QUrl url(graph + QStringLiteral("/me/home?access_token=") + token
                   + QStringLiteral("&limit=") + QString::number(posts));
    QList<double> millis;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        QNetworkReply *reply = nam.get(QNetworkRequest(url));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QByteArray body = reply->readAll();
        const double ms = timer.nsecsElapsed() / 1e6;
        const qsizetype items
            = QJsonDocument::fromJson(body).object().value(QLatin1String("data")).toArray().size();
        if (reply->error() != QNetworkReply::NoError || items != posts) {
            std::fprintf(stderr, "fetch failed: %s (%lld items)\n",
                         qPrintable(reply->errorString()), qint64(items));
            return 1;
        }
        millis << ms;
        std::printf("round %d: %lld posts, %.1f MB in %.1f ms (%.1f MB/s)\n", i + 1, qint64(items),
                    body.size() / 1e6, ms, body.size() / 1e6 / (ms / 1000.0));
        if (i == rounds - 1) {
            std::sort(millis.begin(), millis.end());
            std::printf("median fetch of one %d-post page: %.1f ms, %.1f MB/s\n", posts,
                        millis.at(millis.size() / 2),
                        body.size() / 1e6 / (millis.at(millis.size() / 2) / 1000.0));
        }
        delete reply;
    }
    return 0;
}
