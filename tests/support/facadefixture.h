#ifndef FACADEFIXTURE_H
#define FACADEFIXTURE_H

#include "corvana.h"
#include "cvcache.h"
#include "testservice.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <functional>
#include <map>
#include <memory>

/*!
 * A Corvana facade signed in against a scripted TestService on 127.0.0.1 (test code only).
 *
 * Both endpoints point at the service. Replies are scripted by path (setPath), by query-language
 * statement (setQueryRows, for "/method/cvql.query") and for batches (setBatchResponder); any
 * other request is answered {"data":[]}. The cache lives in a temporary directory.
 *
 * Create one fixture per test function (in init(), destroyed in cleanup()).
 */
class FacadeFixture
{
public:
    //! One sub-reply of a batch answer: HTTP code and body as JSON text.
    using SubReply = QPair<int, QByteArray>;
    //! Answers a batch, given its sub-requests (maps with "method", "relative_url", ...).
    using BatchResponder = std::function<QList<SubReply>(const QVariantList &subRequests)>;

    FacadeFixture();
    ~FacadeFixture();

    //! False when the service could not listen or the endpoints refused it.
    bool isValid() const;
    TestService &service() { return *m_service; }
    Cv::CvCache &cache() { return *m_cache; }
    //! The cache's database file, for tests that reach into it with their own connection.
    QString databasePath() const { return m_dir->filePath(QStringLiteral("cache.db")); }
    //! The signed-in user's id.
    static QString profileId() { return QStringLiteral("100"); }

    //! Answers requests on \a path (decoded, e.g. "/100/home") with \a json and \a status.
    void setPath(const QString &path, const QByteArray &json, int status = 200);
    //! Answers the statement \a query (exact text) with the row list \a rows.
    void setQueryRows(const QString &query, const QByteArray &rows);
    //! Answers every batch with \a responder.
    void setBatchResponder(const BatchResponder &responder);

    //! A facade signed in as profileId(), with the sign-in requests (profile and picture) done,
    //! so that later requests are the test's own; null on failure. \a locale is the
    //! configuration's.
    std::unique_ptr<Cv::Corvana> signIn(const QString &locale = QString());
    //! Initializes \a corvana and waits for its sign-in requests; false on failure.
    static bool completeSignIn(Cv::Corvana &corvana);
    //! The profile picture the service serves for the signed-in user.
    static QByteArray profilePicture();
    //! A facade for the same cache, initialized offline (no access token).
    std::unique_ptr<Cv::Corvana> signInOffline();

    //! The requests received since the service had received \a count.
    QList<TestService::Request> requestsSince(int count) const;
    //! The sub-requests of the batch request \a request.
    static QVariantList batchRequests(const TestService::Request &request);

private:
    TestService::Reply answer(const TestService::Request &request);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestService> m_service;
    std::unique_ptr<Cv::CvCache> m_cache;
    QHash<QString, TestService::Reply> m_paths;
    QHash<QString, QByteArray> m_queries;
    BatchResponder m_batch;
    bool m_valid = false;
};

/*!
 * Records every signal of a Corvana, in the order of emission, with its arguments. A slot
 * connected to each signal lists the signatures, which the spies alone cannot order.
 */
class SignalRecorder : public QObject
{
    Q_OBJECT

public:
    explicit SignalRecorder(Cv::Corvana *corvana);

    int spyCount() const { return int(m_spies.size()); }
    bool spiesValid() const;
    //! The signatures emitted; a signal named without its parameters in \a expected (not
    //! overloaded) is listed by its name alone, so the two lists compare.
    QStringList emitted(const QStringList &expected) const;
    int count() const { return int(m_order.size()); }
    //! The arguments of the first emission.
    QVariantList firstArguments() const;

private slots:
    void record();

private:
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> m_spies;
    QStringList m_order;
};

#endif // FACADEFIXTURE_H
