#ifndef TESTSERVICE_H
#define TESTSERVICE_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class TestServicePrivate;

/*!
 * A scripted HTTP/1.1 server on 127.0.0.1 for network tests (test code only).
 *
 * It listens on a free loopback port, records every request it receives and answers each one
 * with the next canned Reply queued by the test; when the queue is empty it asks the handler
 * (setHandler), and without a handler it answers 404. Connections are kept alive, so a client
 * that reuses its connection sends several requests on one; Request::connection tells them apart.
 *
 * In Tls mode it speaks HTTPS with a test-only certificate for 127.0.0.1/::1/localhost, signed
 * by the test CA returned by caCertificates(); a client trusts it only if it is given that CA.
 *
 * Everything runs in the thread's event loop: drive it with QSignalSpy::wait, QTRY_COMPARE or
 * waitForRequests().
 */
class TestService : public QObject
{
    Q_OBJECT
public:
    using RawPair = QPair<QByteArray, QByteArray>;
    using Pair = QPair<QString, QString>;

    //! One request as received.
    struct Request
    {
        int connection = 0; //!< serial number of the TCP connection, 1 for the first accepted
        QByteArray method; //!< "GET", "POST", ...
        QByteArray target; //!< the request target exactly as sent, e.g. "/me?access_token=x"
        QString path; //!< the path part of target, percent-decoded
        QByteArray rawPath; //!< the path part of target, as sent
        QByteArray rawQuery; //!< the text after '?', as sent (empty if none)
        QList<RawPair> rawQueryItems; //!< query split at '&' and the first '=', as sent, in order
        QList<Pair> queryItems; //!< the same items percent-decoded as UTF-8 ('+' stays '+')
        QList<RawPair> headers; //!< header lines in order, names as sent
        QByteArray body;

        //! The first header named \a name (ignoring case), or a null array.
        QByteArray header(const QByteArray &name) const;
        bool hasHeader(const QByteArray &name) const;
        //! The decoded value of the first query item named \a key, or a null string.
        QString queryValue(const QString &key) const;
        //! The decoded keys of the query items, in order.
        QStringList queryKeys() const;
    };

    //! One canned answer.
    struct Reply
    {
        int status = 200;
        QByteArray reason; //!< empty: the usual phrase for the status
        QList<RawPair> headers; //!< sent in this order, e.g. Location, Date, Content-Type
        QByteArray body;
        //! -1: a Content-Length header with the body's size is added; -2: no Content-Length, the
        //! connection is closed after the body; 0 or more: this value is sent as Content-Length
        //! (a value above the body's size makes the reply incomplete, see stallAfter); -3:
        //! body holds the raw bytes of the whole answer, sent verbatim (used by dropped()).
        qint64 contentLength = -1;
        int delayMs = 0; //!< wait this long before sending anything
        //! Close the connection after sending the answer (cut short by stallAfter), for a
        //! connection reset in the middle of a reply.
        bool drop = false;
        //! >= 0: send only this many bytes of the whole response (status line, headers and
        //! body) and then nothing more, keeping the connection open.
        qint64 stallAfter = -1;
        int chunkSize = 0; //!< > 0: send the response in pieces of this size ...
        int chunkIntervalMs = 0; //!< ... one every chunkIntervalMs

        Reply &header(const QByteArray &name, const QByteArray &value)
        {
            headers.append(qMakePair(name, value));
            return *this;
        }

        //! A reply with \a status and \a body, typed application/json.
        static Reply json(const QByteArray &body, int status = 200);
        //! A plain text reply.
        static Reply text(const QByteArray &body, int status = 200);
        //! A 302 redirect to \a location with an empty body.
        static Reply redirect(const QByteArray &location, int status = 302);
        //! The connection is closed after sending the raw bytes \a partial (none by default).
        //! Note: QNetworkAccessManager resends a request once when the connection closes before
        //! the header block of the answer is complete. Such a resend takes the next queued reply,
        //! so to fail a request for good either answer it from a handler that always drops, or
        //! drop after a complete header block, e.g.
        //! dropped("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc").
        static Reply dropped(const QByteArray &partial = QByteArray());
        //! Nothing is ever sent; the connection stays open.
        static Reply stalled();
    };

    using Handler = std::function<Reply(const Request &)>;

    enum Mode { Http, Tls };

    //! Starts listening on 127.0.0.1 at once; check isListening().
    explicit TestService(Mode mode = Http, QObject *parent = nullptr);
    ~TestService() override;

    bool isListening() const;
    quint16 port() const;
    //! "http://127.0.0.1:<port>" or "https://127.0.0.1:<port>", no trailing slash.
    QUrl baseUrl() const;

    //! Queues one answer; queued answers are used in order, one per request.
    void enqueue(const Reply &reply);
    //! Answers requests when the queue is empty (replaces any earlier handler).
    void setHandler(const Handler &handler);
    int pendingReplies() const;

    //! Every request received so far, in order of arrival.
    QList<Request> requests() const;
    int requestCount() const;
    Request lastRequest() const;
    //! Forgets the recorded requests (not the queue).
    void clearRequests();
    //! Runs the event loop until at least \a count requests have arrived; false on time-out.
    bool waitForRequests(int count, int timeoutMs = 5000);
    //! Number of TCP connections accepted so far.
    int connectionCount() const;
    //! Number of connections open now (a client that drops its idle connections brings it to 0).
    int openConnectionCount() const;
    //! Closes every open connection at once.
    void closeConnections();

    //! The test CA that signed the Tls mode certificate (TEST ONLY).
    static QList<QSslCertificate> caCertificates();
    //! Directory with the test certificates and keys.
    static QString certificateDirectory();

Q_SIGNALS:
    void requestReceived(const TestService::Request &request);

private:
    Q_DECLARE_PRIVATE(TestService)
    std::unique_ptr<TestServicePrivate> const d_ptr;
    friend class TestServiceServer;
};

Q_DECLARE_METATYPE(TestService::Request)

#endif // TESTSERVICE_H
