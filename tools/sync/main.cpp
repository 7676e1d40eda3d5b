// corvana-sync: signs in with an access token and synchronizes the user's account into a local
// cache, printing what was added, updated and removed per collection.

#include "syncjob.h"

#include <qtcorvana.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSslCertificate>

#include <cstdio>

namespace {

int usageError(const QString &message)
{
    std::fprintf(stderr, "corvana-sync: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvana-sync"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Synchronizes a Corvana account into a local cache."));
    parser.addHelpOption();
    const QCommandLineOption token(
        QStringLiteral("token"),
        QStringLiteral("Access token of the account; visible in the process list, so prefer "
                       "--token-file or the CORVANA_TOKEN environment variable."),
        QStringLiteral("token"));
    const QCommandLineOption tokenFile(
        QStringLiteral("token-file"),
        QStringLiteral("Read the access token from the first line of this file."),
        QStringLiteral("file"));
    const QCommandLineOption graphUrl(QStringLiteral("graph-url"),
                                      QStringLiteral("Graph endpoint base URL."),
                                      QStringLiteral("url"));
    const QCommandLineOption restUrl(QStringLiteral("rest-url"),
                                     QStringLiteral("REST endpoint base URL."),
                                     QStringLiteral("url"));
    const QCommandLineOption caFile(QStringLiteral("ca-cert"),
                                    QStringLiteral("Extra CA certificate(s) to trust (PEM)."),
                                    QStringLiteral("file"));
    const QCommandLineOption cacheDir(QStringLiteral("cache-dir"),
                                      QStringLiteral("Directory of the cache (default ./cvcache)."),
                                      QStringLiteral("dir"), QStringLiteral("cvcache"));
    const QCommandLineOption timeout(
        QStringLiteral("timeout"), QStringLiteral("Seconds to wait for the service (default 60)."),
        QStringLiteral("seconds"), QStringLiteral("60"));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Show the library's warnings and requests."));
    parser.addOptions({token, tokenFile, graphUrl, restUrl, caFile, cacheDir, timeout, verbose});
    SyncJob::addOptions(&parser);
    parser.process(app);
    // The tool reports failures itself; the library's own lines are for --verbose.
    Cv::SetLoggingLevel(parser.isSet(verbose) ? Cv::LogDebug : Cv::LogErrors);

    QString accessToken;
    if (parser.isSet(tokenFile)) {
        QFile file(parser.value(tokenFile));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return usageError(QStringLiteral("cannot read the token file %1: %2")
                                  .arg(parser.value(tokenFile), file.errorString()));
        accessToken = QString::fromUtf8(file.readLine()).trimmed();
    } else if (parser.isSet(token)) {
        accessToken = parser.value(token);
    } else {
        accessToken = qEnvironmentVariable("CORVANA_TOKEN").trimmed();
    }
    if (accessToken.isEmpty())
        return usageError(
            QStringLiteral("an access token is required (--token-file, CORVANA_TOKEN or --token)"));
    if (parser.isSet(graphUrl)
        && !Cv::CvEndpoints::setGraphBaseUrl(QUrl(parser.value(graphUrl), QUrl::StrictMode)))
        return usageError(QStringLiteral("not a usable Graph URL: %1").arg(parser.value(graphUrl)));
    if (parser.isSet(restUrl)
        && !Cv::CvEndpoints::setRestBaseUrl(QUrl(parser.value(restUrl), QUrl::StrictMode)))
        return usageError(QStringLiteral("not a usable REST URL: %1").arg(parser.value(restUrl)));
    if (parser.isSet(caFile)) {
        const QList<QSslCertificate> certificates
            = QSslCertificate::fromPath(parser.value(caFile), QSsl::Pem);
        if (certificates.isEmpty())
            return usageError(QStringLiteral("no certificate in %1").arg(parser.value(caFile)));
        Cv::CvEndpoints::setCaCertificates(certificates);
    }
    bool secondsOk = false;
    const int seconds = parser.value(timeout).toInt(&secondsOk);
    if (!secondsOk || seconds <= 0)
        return usageError(QStringLiteral("--timeout takes a positive number of seconds"));

    const QDir dir(parser.value(cacheDir));
    if (!QDir().mkpath(dir.path()))
        return usageError(QStringLiteral("cannot create %1").arg(dir.path()));
    Cv::CvCacheConfiguration cacheConfiguration;
    cacheConfiguration.setDatabaseName(dir.filePath(QStringLiteral("cvcache.db")));
    cacheConfiguration.setPath(dir.filePath(QStringLiteral("files")));
    Cv::CvCache cache(cacheConfiguration);

    SyncJob job(accessToken, &cache, seconds * 1000);
    QString optionError;
    if (!job.configure(parser, &optionError))
        return usageError(optionError);
    QObject::connect(&job, &SyncJob::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    job.start();
    return app.exec();
}
