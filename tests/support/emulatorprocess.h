// corvana-emulator as a child process, for the tests and benchmarks that need the whole service
// (test code only): EmulatorProcess starts it and offers blocking HTTP helpers around
// QNetworkAccessManager; FacadeEmulator points the library at it and signs facades in.
// CV_EMULATOR_PATH and CV_EMULATOR_CA come from the build (cv_use_emulator).
#ifndef EMULATORPROCESS_H
#define EMULATORPROCESS_H

#include "corvana.h"
#include "corvanaconfiguration.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSet>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using P = QList<QPair<QString, QString>>;

inline QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// Follows a dotted path of object members, e.g. "error.message".
inline QJsonValue member(QJsonValue v, const char *path)
{
    for (const QByteArray &key : QByteArray(path).split('.'))
        v = v.toObject().value(QString::fromUtf8(key));
    return v;
}

inline QJsonValue parse(const QString &json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

inline QSet<QString> column(const QJsonArray &rows, const char *name)
{
    QSet<QString> out;
    for (const QJsonValue &r : rows)
        out.insert(r.toObject().value(s(name)).toString());
    return out;
}

struct Answer
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;
    QByteArray header(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return h.second;
        }
        return QByteArray();
    }
    QJsonObject object() const { return QJsonDocument::fromJson(body).object(); }
    QJsonArray array() const { return QJsonDocument::fromJson(body).array(); }
    bool isJson() const { return !QJsonDocument::fromJson(body).isNull(); }
    QJsonValue value(const char *path) const { return member(object(), path); }
    QString id() const { return value("id").toString(); }
    QJsonArray data() const { return value("data").toArray(); }
    QStringList ids() const
    {
        QStringList out;
        for (const QJsonValue &v : data())
            out << v.toObject().value(s("id")).toString();
        return out;
    }
};

class EmulatorProcess
{
public:
    ~EmulatorProcess() { stop(); }

    //! Starts the emulator with \a extraArgs, over HTTPS when \a https, and waits up to
    //! \a timeout ms for it to be ready (a large data set takes a while to build).
    bool start(const QStringList &extraArgs = {}, bool https = false, int timeout = 60000)
    {
        QStringList args = extraArgs;
        if (!https)
            args << s("--http");
        args << s("--port") << s("0");
        m_process.setProgram(s(CV_EMULATOR_PATH));
        m_process.setArguments(args);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        QElapsedTimer timer;
        timer.start();
        QByteArray output;
        while (!output.contains("ready\n") && timer.elapsed() < timeout) {
            if (!m_process.waitForReadyRead(1000) && m_process.state() != QProcess::Running)
                return false;
            output += m_process.readAllStandardOutput();
        }
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("graph: "))
                graph = QString::fromLatin1(line.mid(7));
            else if (line.startsWith("rest: "))
                rest = QString::fromLatin1(line.mid(6));
            else if (line.startsWith("token: ") && token.isEmpty())
                token = QString::fromLatin1(line.mid(7).split(' ').value(0));
        }
        if (https) {
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            QFile ca(s(CV_EMULATOR_CA));
            if (!ca.open(QIODevice::ReadOnly))
                return false;
            config.addCaCertificates(QSslCertificate::fromData(ca.readAll()));
            m_ssl = config;
        }
        return !graph.isEmpty() && !rest.isEmpty() && !token.isEmpty();
    }

    void stop()
    {
        if (m_process.state() == QProcess::Running) {
            m_process.terminate();
            m_process.waitForFinished(30000);
        }
    }

    QProcess &process() { return m_process; }

    QUrl url(const QString &path, const P &params = {}) const
    {
        QStringList items {s("access_token=") + token};
        for (const auto &p : params)
            items << p.first + QLatin1Char('=')
                    + QString::fromLatin1(QUrl::toPercentEncoding(p.second));
        QUrl u(graph + path);
        u.setQuery(items.join(QLatin1Char('&')), QUrl::StrictMode);
        return u;
    }

    // The path and query are sent as written, with this user's token appended.
    QUrl rawUrl(const QString &pathAndQuery) const
    {
        const QChar separator = pathAndQuery.contains(QLatin1Char('?')) ? u'&' : u'?';
        return QUrl(graph + pathAndQuery + separator + s("access_token=") + token);
    }

    Answer send(const QUrl &url, const QByteArray &verb = "GET", const QByteArray &body = {},
                const QByteArray &contentType = {}, int timeout = 20000)
    {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        if (!contentType.isEmpty())
            request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
        if (m_ssl)
            request.setSslConfiguration(*m_ssl);
        QNetworkReply *reply
            = (verb == "GET") ? m_nam.get(request) : m_nam.sendCustomRequest(request, verb, body);
        QSignalSpy finished(reply, &QNetworkReply::finished);
        Answer a;
        if (!finished.wait(timeout)) {
            a.error = QNetworkReply::TimeoutError;
            reply->abort();
        } else {
            a.error = reply->error();
        }
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.body = reply->readAll();
        a.headers = reply->rawHeaderPairs();
        reply->deleteLater();
        return a;
    }

    Answer get(const QString &path, const P &params = {}) { return send(url(path, params)); }
    Answer post(const QString &path, const P &params = {})
    {
        return send(url(path, params), "POST");
    }
    Answer method(const QString &name, P params = {})
    {
        params.prepend({s("format"), s("json")});
        return send(QUrl(rest + s("/method/") + name + QLatin1Char('?')
                         + url(QString(), params).query(QUrl::FullyEncoded)));
    }
    Answer query(const QString &statement)
    {
        return method(s("cvql.query"), {{s("query"), statement}});
    }
    // Writes answer a bare "true" on success.
    bool posted(const QString &path, const P &params = {})
    {
        return post(path, params).body == "true";
    }
    bool called(const QString &name, const P &params = {})
    {
        return method(name, params).body == "true";
    }
    QJsonArray rows(const QString &statement) { return query(statement).array(); }
    Answer batch(const QString &json) { return post(s("/"), {{s("batch"), json}}); }
    Answer control(const QString &action, const QString &query = {})
    {
        return send(QUrl(graph + s("/_emulator/") + action + QLatin1Char('?') + query), "POST");
    }
    int pendingFailures() { return control(s("status")).value("pending_failures").toInt(); }

    QString graph;
    QString rest;
    QString token;

private:
    QProcess m_process;
    QNetworkAccessManager m_nam;
    std::optional<QSslConfiguration> m_ssl;
};

//! corvana-emulator over HTTPS for the facade's end-to-end tests: the library's endpoints point
//! at it, and each facade signs in on a cache file of its own.
class FacadeEmulator
{
public:
    ~FacadeEmulator() { Cv::CvEndpoints::reset(); }

    //! Starts the emulator with \a arguments and trusts its certificate authority.
    bool start(const QStringList &arguments)
    {
        if (!m_dir.isValid() || !m_emulator.start(arguments, true)
            || !Cv::CvEndpoints::setGraphBaseUrl(QUrl(m_emulator.graph))
            || !Cv::CvEndpoints::setRestBaseUrl(QUrl(m_emulator.rest)))
            return false;
        Cv::CvEndpoints::setCaCertificates(
            QSslCertificate::fromPath(QStringLiteral(CV_EMULATOR_CA), QSsl::Pem));
        return true;
    }

    EmulatorProcess &emulator() { return m_emulator; }
    //! \a name in the test's temporary directory.
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString databasePath(const QString &name) const { return path(name + QStringLiteral(".db")); }

    //! A cache on the file \a name.db, its files in the directory \a name.
    std::unique_ptr<Cv::CvCache> cache(const QString &name) const
    {
        Cv::CvCacheConfiguration configuration;
        configuration.setDatabaseName(databasePath(name));
        configuration.setPath(path(name));
        return std::make_unique<Cv::CvCache>(configuration);
    }

    //! A facade for \a identity (the emulator's token when empty) on \a cache, initialized;
    //! null when initialization did not complete or reported an error.
    std::unique_ptr<Cv::Corvana> signIn(Cv::CvCache *cache, const QString &identity = QString(),
                                        Cv::CorvanaConfiguration::UserIdentityType type
                                        = Cv::CorvanaConfiguration::AccessToken)
    {
        Cv::CorvanaConfiguration configuration(identity.isEmpty() ? m_emulator.token : identity,
                                               type);
        configuration.setCache(cache);
        auto corvana = std::make_unique<Cv::Corvana>(configuration);
        QSignalSpy initialized(corvana.get(), qOverload<>(&Cv::Corvana::initialized));
        QSignalSpy errors(corvana.get(), &Cv::Corvana::error);
        corvana->init();
        if ((initialized.isEmpty() && !initialized.wait(20000)) || !errors.isEmpty())
            return nullptr;
        return corvana;
    }

private:
    EmulatorProcess m_emulator;
    QTemporaryDir m_dir;
};

#endif // EMULATORPROCESS_H
