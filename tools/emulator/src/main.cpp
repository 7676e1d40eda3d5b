// corvana-emulator: a local, stateful stand-in for the Corvana service.
#include "dataset.h"
#include "httpserver.h"
#include "service.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTcpServer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &c, 1);
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void out(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "corvana-emulator: %s\n", message.toLocal8Bit().constData());
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"corvana-emulator"_s);

    QCommandLineParser p;
    p.setApplicationDescription(
        u"Local stand-in for the Corvana service (Graph and REST endpoints) with seeded data.\n"
        "Prints \"graph: URL\", \"rest: URL\" and \"token: TOKEN USERID\" lines, then \"ready\"."_s);
    p.addHelpOption();
    const QCommandLineOption port(u"port"_s, u"TCP port, 0 for any free one (default 0)."_s,
                                  u"port"_s, u"0"_s);
    const QCommandLineOption host(u"host"_s, u"Address to listen on (default 127.0.0.1)."_s,
                                  u"address"_s, u"127.0.0.1"_s);
    const QCommandLineOption http(u"http"_s, u"Serve plain HTTP (loopback addresses only)."_s);
    const QCommandLineOption cert(
        u"cert"_s, u"Server certificate (PEM); default: the development one."_s, u"file"_s);
    const QCommandLineOption key(
        u"key"_s, u"Server private key (PEM); default: the development one."_s, u"file"_s);
    const QCommandLineOption printCa(u"print-ca"_s,
                                     u"Print the development CA certificate and exit."_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the generated data (default 1)."_s, u"n"_s,
                                  u"1"_s);
    const QCommandLineOption token(u"token"_s, u"Bind TOKEN to a user id (repeatable)."_s,
                                   u"TOKEN=USERID"_s);
    const QCommandLineOption failure(
        u"fail"_s,
        u"Inject failures, e.g. count=2,mode=drop[,status=N,ms=N,match=TEXT] "
        "(modes: status feed-limit permission rest-unknown rest-permission delay drop not-json "
        "repeat-page)."_s,
        u"rule"_s);
    const QCommandLineOption large(
        u"large-account"_s,
        u"Sizes of a large account: about 5,000 friends, 20,000 news feed posts, 2,000 threads "
        "and hundreds of events, groups and albums (a size option given as well wins)."_s);
    p.addOptions({port, host, http, cert, key, printCa, seed, token, failure, large});
    Emu::Sizes sizes;
    struct SizeOption
    {
        const char16_t *name;
        int *value;
        int large; // with --large-account
    };
    // The first user is friends with four in five others.
    const SizeOption sizeOptions[] = {
        {u"users", &sizes.users, 6250},
        {u"posts", &sizes.posts, 20000},
        {u"threads", &sizes.threads, 2000},
        {u"events", &sizes.events, 500},
        {u"groups", &sizes.groups, 200},
        {u"pages", &sizes.pages, 100},
        {u"places", &sizes.places, 100},
        {u"albums", &sizes.albums, 200},
        {u"notifications", &sizes.notifications, 500},
    };
    for (const SizeOption &s : sizeOptions) {
        p.addOption(QCommandLineOption(
            QString::fromUtf16(s.name),
            u"Number of generated %1 (default %2)."_s.arg(QString::fromUtf16(s.name)).arg(*s.value),
            u"n"_s, QString::number(*s.value)));
    }
    p.process(app);

    if (p.isSet(printCa)) {
        std::fputs(readFile(u":/certs/ca.pem"_s).constData(), stdout);
        return 0;
    }
    for (const SizeOption &s : sizeOptions) {
        bool ok = true;
        const QString name = QString::fromUtf16(s.name);
        *s.value = p.isSet(large) && !p.isSet(name) ? s.large : p.value(name).toInt(&ok);
        if (!ok || *s.value < 0 || *s.value > 1000000)
            return fail(u"invalid --%1"_s.arg(QString::fromUtf16(s.name)));
    }
    bool ok = false;
    const quint64 seedValue = p.value(seed).toULongLong(&ok);
    if (!ok)
        return fail(u"invalid --seed"_s);
    const quint16 portValue = quint16(p.value(port).toUInt(&ok));
    if (!ok || p.value(port).toUInt() > 65535)
        return fail(u"invalid --port"_s);
    const QHostAddress address(p.value(host));
    if (address.isNull())
        return fail(u"invalid --host"_s);
    const bool tls = !p.isSet(http);
    if (!tls && !address.isLoopback())
        return fail(u"plain HTTP is only served on a loopback address"_s);

    Emu::DataSet data;
    Emu::Service service(data);
    for (const QString &rule : p.values(failure)) {
        QString error;
        if (!service.faults().addRule(rule, &error))
            return fail(error);
    }

    Emu::HttpServer server(service, tls);
    if (tls) {
        const QByteArray certPem
            = readFile(p.isSet(cert) ? p.value(cert) : u":/certs/server.pem"_s);
        const QByteArray keyPem = readFile(p.isSet(key) ? p.value(key) : u":/certs/server.key"_s);
        const QSslCertificate certificate(certPem, QSsl::Pem);
        const QSslKey privateKey(keyPem, QSsl::Rsa, QSsl::Pem);
        if (certificate.isNull() || privateKey.isNull())
            return fail(u"cannot load the server certificate or key"_s);
        server.sslSetup(certificate, privateKey);
    }
    const quint16 actual = server.listen(address, portValue);
    if (actual == 0)
        return fail(u"cannot listen on %1 port %2"_s.arg(address.toString()).arg(portValue));

    const QString hostText = address.protocol() == QAbstractSocket::IPv6Protocol
        ? u'[' + address.toString() + u']'
        : address.toString();
    const QString base
        = (tls ? u"https://"_s : u"http://"_s) + hostText + u':' + QString::number(actual);
    data.generate(seedValue, sizes, base);

    for (const QString &binding : p.values(token)) {
        const QString t = binding.section(u'=', 0, 0);
        const QString user = binding.section(u'=', 1);
        if (t.isEmpty() || data.kindOf(user) != u"user"_s)
            return fail(u"invalid --token %1 (the user id must exist)"_s.arg(binding));
        service.addToken(t, user);
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return fail(u"cannot create the signal pipe"_s);
    QSocketNotifier notifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app,
                     [] { QCoreApplication::quit(); });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    out(u"graph: "_s + base);
    out(u"rest: "_s + base);
    for (qsizetype i = 0; i < std::min<qsizetype>(3, data.users().size()); ++i) {
        const QString user = data.users().at(i);
        out(u"token: "_s + Emu::Service::defaultToken(user) + u' ' + user);
    }
    for (const QString &binding : p.values(token))
        out(u"token: "_s + binding.section(u'=', 0, 0) + u' ' + binding.section(u'=', 1));
    out(u"ready"_s);

    const int rc = app.exec();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    return rc;
}
