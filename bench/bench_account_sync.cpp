// Synchronizes a large account from corvana-emulator with CvAccountSync and prints the wall
// time, peak RSS and requests of a full sync, its ratio to a transfer-only pass (the same
// requests, replies read and discarded) and the ratio of a no-change second sync to the first.
// Usage: bench_account_sync [page size] [-- emulator options...] (default: --large-account)

#include <qtcorvana.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

#include "emulatorprocess.h"

namespace {

QStringList g_requests; // URLs the library sent, token redacted
QtMessageHandler g_previous = nullptr;

void captureRequests(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    // The library's lines arrive quoted, with the space the debug stream adds after them.
    static const QLatin1String prefix("\"Sending request: ");
    if (text.startsWith(prefix)) {
        QString url = text.mid(prefix.size()).trimmed();
        if (url.endsWith(QLatin1Char('"')))
            url.chop(1);
        g_requests.append(url);
        return;
    }
    if (type != QtDebugMsg && g_previous)
        g_previous(type, context, text);
}

double peakRssMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

struct SyncRun
{
    double seconds = 0;
    int requests = 0;
    int items = 0;
    int added = 0;
    int removed = 0;
    int failed = 0;
};

SyncRun synchronize(const QString &token, const QString &dir, int pageSize)
{
    Cv::CvCacheConfiguration cacheConfiguration;
    cacheConfiguration.setDatabaseName(dir + QStringLiteral("/cache.db"));
    cacheConfiguration.setPath(dir + QStringLiteral("/files"));
    Cv::CvCache cache(cacheConfiguration);
    Cv::CorvanaConfiguration configuration(token, Cv::CorvanaConfiguration::AccessToken);
    configuration.setCache(&cache);
    Cv::Corvana corvana(configuration);
    Cv::CvAccountSync sync(&corvana);
    sync.setPageSize(pageSize);
    QSignalSpy finished(&sync, &Cv::CvAccountSync::finished);

    QElapsedTimer timer;
    timer.start();
    sync.start();
    finished.wait(3600 * 1000);
    SyncRun run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.requests = sync.requestCount();
    for (const Cv::CvAccountSync::Summary &s : sync.summaries()) {
        run.items += s.added + s.updated + s.unchanged;
        run.added += s.added;
        run.removed += s.removed;
        if (!s.complete) {
            ++run.failed;
            std::fprintf(stderr, "  %s: %s\n",
                         qPrintable(Cv::CvAccountSync::collectionName(s.collection)),
                         qPrintable(s.error));
        }
    }
    return run;
}

// The requests of a sync again, one at a time as the sync sends them, replies read and dropped.
double transferOnly(const QStringList &urls, const QString &token, qint64 *bytes)
{
    static const QRegularExpression redacted(QStringLiteral("access_token=[^&]*"));
    QNetworkAccessManager nam;
    QElapsedTimer timer;
    timer.start();
    for (QString text : urls) {
        text.replace(redacted, QStringLiteral("access_token=") + token);
        QNetworkRequest request {QUrl(text)};
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply *reply = nam.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        *bytes += reply->readAll().size();
        reply->deleteLater();
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Each figure as soon as it is known, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QStringList arguments = app.arguments().mid(1);
    int pageSize = 100;
    if (!arguments.isEmpty() && arguments.first() != QLatin1String("--"))
        pageSize = arguments.takeFirst().toInt();
    QStringList emulatorOptions {QStringLiteral("--large-account")};
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--"))
        emulatorOptions = arguments.mid(1);

    QElapsedTimer startup;
    startup.start();
    EmulatorProcess emulator;
    emulator.process().setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!emulator.start(emulatorOptions, false, 3600000)) {
        std::fprintf(stderr, "emulator did not start\n");
        return 1;
    }
    const QString graph = emulator.graph;
    const QString token = emulator.token;
    Cv::CvEndpoints::setGraphBaseUrl(QUrl(graph));
    Cv::CvEndpoints::setRestBaseUrl(QUrl(graph));
    Cv::SetLoggingLevel(Cv::LogErrors);
    std::printf("emulator (%s) ready in %.1f s; page size %d\n",
                qPrintable(emulatorOptions.join(QLatin1Char(' '))), startup.elapsed() / 1000.0,
                pageSize);

    QTemporaryDir dir;
    const SyncRun first = synchronize(token, dir.path(), pageSize);
    const double rssAfterFirst = peakRssMb();
    std::printf("full sync:      %8.2f s  %7d requests  %8d items  peak RSS %.0f MB%s\n",
                first.seconds, first.requests, first.items, rssAfterFirst,
                first.failed ? "  (some collections failed)" : "");

    const SyncRun second = synchronize(token, dir.path(), pageSize);
    std::printf("second sync:    %8.2f s  %7d requests  %8d items  %d added, %d removed\n",
                second.seconds, second.requests, second.items, second.added, second.removed);

    // The requests are taken from a third, untimed run: request logging costs time of its own.
    Cv::SetLoggingLevel(Cv::LogDebug);
    g_previous = qInstallMessageHandler(captureRequests);
    QTemporaryDir captureDir;
    synchronize(token, captureDir.path(), pageSize);
    qInstallMessageHandler(g_previous);
    Cv::SetLoggingLevel(Cv::LogErrors);
    qint64 bytes = 0;
    const double transfer = transferOnly(g_requests, token, &bytes);
    std::printf("transfer only:  %8.2f s  %7lld requests  %8.1f MB of replies\n", transfer,
                qint64(g_requests.size()), bytes / 1048576.0);

    std::printf("\nfull sync / transfer only: %.2f (target <= 3)\n", first.seconds / transfer);
    std::printf("peak RSS:                  %.0f MB (target < 300)\n", peakRssMb());
    std::printf("second / first sync:       %.2f (target <= 0.5)\n",
                second.seconds / first.seconds);

    return first.failed || second.failed ? 1 : 0;
}
