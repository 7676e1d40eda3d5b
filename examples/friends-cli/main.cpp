// friends-cli: signs in to Corvana, prints the user's friends and news feed, and exits.
// With --token it asks the service and keeps what it learns in a cache; with --user it works
// offline and prints what an earlier online run left in that cache.

#include <qtcorvana.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QMetaEnum>
#include <QSslCertificate>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

int fail(const QString &message)
{
    QTextStream(stderr) << "friends-cli: " << message << Qt::endl;
    return 1;
}

// The name of an enumerator, such as "InvalidAccessToken".
template<typename Enum>
QString keyOf(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(value));
}

void printFriends(const Cv::CvUserRefs &friends)
{
    out() << friends.size() << " friends" << Qt::endl;
    for (const Cv::CvUserRef &user : friends)
        out() << "  " << user.id << "  " << user.name << Qt::endl;
}

void printFeed(const Cv::CvPosts &posts)
{
    out() << posts.size() << " posts" << Qt::endl;
    for (const Cv::CvPost &post : posts) {
        const QString text = post.message().isEmpty() ? post.story() : post.message();
        out() << "  " << post.id() << "  " << post.from().name << ": " << text << Qt::endl;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("friends-cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the signed-in user's friends and news feed."));
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
    const QCommandLineOption cacheDir(QStringLiteral("cache-dir"),
                                      QStringLiteral("Cache directory (default: ./friends-cli)."),
                                      QStringLiteral("dir"), QStringLiteral("friends-cli"));
    parser.addOptions({token, user, graphUrl, restUrl, caCert, cacheDir});
    parser.process(app);
    const bool online = parser.isSet(token);
    if (online == parser.isSet(user))
        return fail(QStringLiteral("give either --token or --user"));

    // Where the service is. The endpoints are process-wide and refuse anything but an https
    // origin, or an http one on a loopback address such as the emulator's.
    if (parser.isSet(graphUrl) && !Cv::CvEndpoints::setGraphBaseUrl(QUrl(parser.value(graphUrl))))
        return fail(QStringLiteral("not a usable origin: ") + parser.value(graphUrl));
    if (parser.isSet(restUrl) && !Cv::CvEndpoints::setRestBaseUrl(QUrl(parser.value(restUrl))))
        return fail(QStringLiteral("not a usable origin: ") + parser.value(restUrl));
    if (parser.isSet(caCert)) {
        const auto certificates = QSslCertificate::fromPath(parser.value(caCert));
        if (certificates.isEmpty())
            return fail(QStringLiteral("no certificate in ") + parser.value(caCert));
        Cv::CvEndpoints::setCaCertificates(certificates);
    }

    // The cache: an SQLite file and a directory of downloaded files. The application owns it,
    // so it must outlive the facade.
    const QDir dir(parser.value(cacheDir));
    if (!QDir().mkpath(dir.path()))
        return fail(QStringLiteral("cannot create ") + dir.path());
    Cv::CvCacheConfiguration cacheConfiguration;
    cacheConfiguration.setDatabaseName(dir.filePath(QStringLiteral("cache.db")));
    cacheConfiguration.setPath(dir.filePath(QStringLiteral("files")));
    Cv::CvCache cache(cacheConfiguration);

    // The facade signs in with an access token, or offline with the user name of an earlier
    // online session.
    const QString identity = parser.value(online ? token : user);
    Cv::CorvanaConfiguration configuration(identity,
                                           online ? Cv::CorvanaConfiguration::AccessToken
                                                  : Cv::CorvanaConfiguration::UserName);
    configuration.setCache(&cache);
    Cv::Corvana corvana(configuration);

    // Every failure on the way arrives here, once per request.
    QObject::connect(&corvana, &Cv::Corvana::error, &app, [](const Cv::CvError &error) {
        const QString detail = !error.cacheErrorString().isEmpty() ? error.cacheErrorString()
            : !error.corvanaErrorString().isEmpty()                ? error.corvanaErrorString()
                                                                   : error.replyErrorString();
        fail(keyOf(error.errorType()) + QStringLiteral(": ") + detail);
        QCoreApplication::exit(1);
    });
    // Every operation answers at once; anything but Success means nothing was sent.
    auto check = [](Cv::Corvana::ReturnCode code) {
        if (code == Cv::Corvana::Success)
            return true;
        fail(keyOf(code));
        QCoreApplication::exit(1);
        return false;
    };

    if (!online) {
        // Offline, init() completes before it returns, and the answers come from the cache.
        corvana.init();
        if (!corvana.isInitialized())
            return fail(QStringLiteral("no earlier online run of ") + identity);
        out() << "Signed in as " << corvana.currentProfileId() << " (offline)" << Qt::endl;
        Cv::CvUsers friends;
        Cv::CvPosts feed;
        if (!check(corvana.retrieveFriends(&friends, Cv::Corvana::CacheOnly))
            || !check(corvana.retrieveNewsFeed(&feed, Cv::Corvana::CacheOnly)))
            return 1;
        printFriends(Cv::CvUser::convert(friends));
        printFeed(feed);
        return 0;
    }

    // Online, each answer arrives as a signal, and the facade keeps it in the cache for the
    // next offline run: the profile, then the friends, then the news feed.
    QObject::connect(&corvana, qOverload<>(&Cv::Corvana::initialized), &app, [&] {
        out() << "Signed in as " << corvana.currentProfileId() << Qt::endl;
        check(corvana.retrieveFriends(nullptr, Cv::Corvana::CacheAndNetwork));
    });
    QObject::connect(&corvana, &Cv::Corvana::friendsUpdated, &app,
                     [&](const Cv::CvUserRefs &friends) {
                         printFriends(friends);
                         check(corvana.retrieveNewsFeed(nullptr, Cv::Corvana::CacheAndNetwork));
                     });
    QObject::connect(&corvana, &Cv::Corvana::newsFeedRetrieved, &app, [](const Cv::CvPosts &posts) {
        printFeed(posts);
        QCoreApplication::quit();
    });
    corvana.init();
    return app.exec();
}
