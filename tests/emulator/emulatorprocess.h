// Starts corvana-emulator for a test and offers blocking helpers around QNetworkAccessManager.
#ifndef EMULATORPROCESS_H
#define EMULATORPROCESS_H

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
#include <QTest>

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

    bool start(const QStringList &extraArgs = {}, bool https = false)
    {
        QStringList args = extraArgs;
        if (!https)
            args << s("--http");
        args << s("--port") << s("0");
        m_process.setProgram(s(CV_EMULATOR_PATH));
        m_process.setArguments(args);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        QElapsedTimer timer;
        timer.start();
        QByteArray output;
        while (!output.contains("ready\n") && timer.elapsed() < 60000) {
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

#endif
