// The viewer's command line, which says who signs in and where the service and the cache are,
// and the facade built from it.
#ifndef SESSION_H
#define SESSION_H

#include <qtcorvana.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSslCertificate>

#include <memory>

class Session
{
public:
    // Parses the command line of \a app (--help prints \a description and exits).
    Session(const QCoreApplication &app, const QString &description)
    {
        QCommandLineParser parser;
        parser.setApplicationDescription(description);
        parser.addHelpOption();
        const QCommandLineOption token(QStringLiteral("token"), QStringLiteral("Access token."),
                                       QStringLiteral("token"));
        const QCommandLineOption user(
            QStringLiteral("user"),
            QStringLiteral("Work offline, from the cache of an earlier run of this user name."),
            QStringLiteral("name"));
        const QCommandLineOption graphUrl(QStringLiteral("graph-url"),
                                          QStringLiteral("Base URL of the Graph endpoint."),
                                          QStringLiteral("url"));
        const QCommandLineOption restUrl(QStringLiteral("rest-url"),
                                         QStringLiteral("Base URL of the REST endpoint."),
                                         QStringLiteral("url"));
        const QCommandLineOption caCert(QStringLiteral("ca-cert"),
                                        QStringLiteral("Also trust this CA certificate (PEM)."),
                                        QStringLiteral("file"));
        const QCommandLineOption cacheDir(
            QStringLiteral("cache-dir"), QStringLiteral("Cache directory (default: ./%1)."),
            QStringLiteral("dir"), QCoreApplication::applicationName());
        parser.addOptions({token, user, graphUrl, restUrl, caCert, cacheDir});
        parser.process(app);

        online = parser.isSet(token);
        if (online == parser.isSet(user)) {
            error = QStringLiteral("give either --token or --user");
            return;
        }
        // Endpoints are process-wide and refuse anything but an https (or loopback http) origin.
        if (parser.isSet(graphUrl)
            && !Cv::CvEndpoints::setGraphBaseUrl(QUrl(parser.value(graphUrl)))) {
            error = QStringLiteral("not a usable origin: ") + parser.value(graphUrl);
            return;
        }
        if (parser.isSet(restUrl)
            && !Cv::CvEndpoints::setRestBaseUrl(QUrl(parser.value(restUrl)))) {
            error = QStringLiteral("not a usable origin: ") + parser.value(restUrl);
            return;
        }
        if (parser.isSet(caCert)) {
            const auto certificates = QSslCertificate::fromPath(parser.value(caCert), QSsl::Pem);
            if (certificates.isEmpty()) {
                error = QStringLiteral("no certificate in ") + parser.value(caCert);
                return;
            }
            Cv::CvEndpoints::setCaCertificates(certificates);
        }

        // The cache: one SQLite file and a directory of downloaded files.
        const QDir dir(parser.value(cacheDir));
        if (!QDir().mkpath(dir.path())) {
            error = QStringLiteral("cannot create ") + dir.path();
            return;
        }
        Cv::CvCacheConfiguration cacheConfiguration;
        cacheConfiguration.setDatabaseName(dir.filePath(QStringLiteral("cache.db")));
        cacheConfiguration.setPath(dir.filePath(QStringLiteral("files")));
        cache = std::make_unique<Cv::CvCache>(cacheConfiguration);

        identity = online ? parser.value(token) : parser.value(user);
        Cv::CorvanaConfiguration configuration(identity,
                                               online ? Cv::CorvanaConfiguration::AccessToken
                                                      : Cv::CorvanaConfiguration::UserName);
        configuration.setCache(cache.get());
        corvana = std::make_unique<Cv::Corvana>(configuration);
    }

    bool online = false;
    QString identity;
    QString error; // empty when the facade is ready for init()
    // The facade borrows the cache, so it is declared last and destroyed first.
    std::unique_ptr<Cv::CvCache> cache;
    std::unique_ptr<Cv::Corvana> corvana;
};

#endif // SESSION_H
