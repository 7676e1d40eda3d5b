#ifndef CVGRAPH_P_H
#define CVGRAPH_P_H

#include "cvgraph.h"
#include "cvgraphconnect.h"
#include "cvgraphop.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <functional>

namespace Cv {

class CvGraphPrivate
{
    Q_DECLARE_PUBLIC(CvGraph)
public:
    CvGraphPrivate(CvGraph *q, const QString &accessToken);

    // Library-internal access for the facade (e.g. allPages()).
    static CvGraphPrivate *get(CvGraph *graph) { return graph->d_func(); }

    /*!
     * Runs \a request, a call of one CvGraph operation whose reply is a collection object
     * (retrieveObject() or retrieveConnectionData() with a filter), so that its reply is read
     * whole: the "paging"/"next" links are followed, to the Graph endpoint only, at most MaxPages
     * pages and never to a link seen before, and the one result signal carries every page's
     * "data" items in order, without "paging". A page that fails, has no "data" list, or links
     * elsewhere ends the request with one error() instead (OperationFailed for the last three),
     * so a receiver never mistakes a partial list for the whole. Returns what \a request
     * returned.
     */
    bool allPages(const std::function<bool()> &request);
    static constexpr int MaxPages = 1000;

    CvGraph *const q_ptr;
    QHash<int, CvGraphOp> operations; // keyed by the transport's reply id
    CvGraphConnect transport;
    QString locale;
    QDateTime lastReplyTimeStamp;

    // Sends op by the request class of its kind and files it under the reply id.
    bool runOp(const CvGraphOp &op);

    // Slots for the transport's two signals (private slots of CvGraph).
    void error(const CvError &err, int id);
    void response(QNetworkReply *reply, int id);

    static bool getJsonData(const QByteArray &data, QVariantMap *map);
    static bool getJsonData(QNetworkReply *reply, QVariantMap *map);
    static bool getJsonData(QNetworkReply *reply, QVariantList *list);
    static bool result(QNetworkReply *reply);
    void processConnectionNames(const QVariantMap &map);

    // Members joined with "," in the set's iteration order.
    static QString joined(const QSet<QString> &set);
    // A Graph path built from ids and connections: "/" followed by plain segments joined by "/"
    // (no "?", "#", "%", control character, empty, "." or ".." segment; one trailing "/" is
    // allowed), or, if \a bareAllowed, empty or "/" for the bare endpoint.
    static bool isPlainPath(const QUrl &path, bool bareAllowed);
    // id with a leading "/" unless it has one.
    static QString objectPath(const QString &id);
    // "/" + id, then connection, with one slash between them and none at the end.
    static QString pathJoin(const QString &id, const QString &connection);
    // Adds the filter's limit, offset, dates, fields and params to op; returns the locale the
    // request is to use (the filter's own, else the graph's).
    QString applyFilter(const CvDataFilter &filter, CvGraphOp *op) const;
    static void applyLocale(const QString &locale, CvGraphOp *op);

    // Writes
    // An operation of kind on id's connection, reporting id.
    static CvGraphOp pathOp(const QString &id, const QString &connection,
                            CvGraphOp::Operation kind);
    // Reads an upload's file and recognizes its image type; false (with the warning) if either
    // fails.
    static bool readUpload(const QString &fileName, QByteArray *data, QString *mimeType);
    // A one-part multipart/form-data body for an upload and its content type header.
    static QByteArray multipartBody(const QString &fileName, const QString &mimeType,
                                    const QByteArray &data);
    static CvGraphOp::Headers multipartHeaders();

    // REST methods
    // How a REST method is called: its name, the kind its reply is filed under, the parameter
    // that carries the operation's id (none if null) and whether the graph's locale goes along.
    struct RestMethod
    {
        const char *name;
        CvGraphOp::Operation kind;
        const char *idKey;
        bool localized;
    };
    // An operation calling method on the REST endpoint (read at request time) with format=json,
    // id under the method's id key and, if it is localized, the graph's locale.
    CvGraphOp restOp(const RestMethod &method, const QString &id, const QString &name) const;
    // Sends restOp(method, id) when there is an id; false otherwise.
    bool runRest(const RestMethod &method, const QString &id);

private:
    // Emits the result signal of op's kind; false if the receiver destroyed the graph.
    bool emitResult(const CvGraphOp &op, QNetworkReply *reply);
    // Reads and decodes the body into *map or *list; false when there is nothing to deliver:
    // after error() for a service error object or (OperationFailed) for a list kind's reply that
    // is not a list, silently for text that is not JSON.
    bool decodeReply(const CvGraphOp &op, QNetworkReply *reply, QVariantMap *map,
                     QVariantList *list);
    // A decoded top-level object that is the service's error: an "error" object or a REST
    // "error_code".
    static bool isServiceError(const QVariantMap &top);
    // Ends op with one OperationFailed error carrying reason.
    void failOperation(const CvGraphOp &op, const QString &reason);

    // A collection read whole (allPages()): the items so far and the links already followed.
    struct PageChain
    {
        QVariantList items;
        QSet<QUrl> seen;
        int pages = 1;
    };
    QHash<int, PageChain> chains; // keyed by reply id, beside operations
    bool followPages = false;
    void continuePages(const CvGraphOp &op, QNetworkReply *reply, int id, PageChain chain);
    void emitMapResult(const CvGraphOp &op, const QVariantMap &map);
    void emitConnectionData(const CvGraphOp &op, const QVariantMap &data);
};

} // namespace Cv

#endif // CVGRAPH_P_H
