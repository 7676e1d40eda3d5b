#ifndef CVGRAPH_P_H
#define CVGRAPH_P_H

#include "cvgraph.h"
#include "cvgraphconnect.h"
#include "cvgraphop.h"

#include <QDateTime>
#include <QHash>

namespace Cv {

class CvGraphPrivate
{
    Q_DECLARE_PUBLIC(CvGraph)
public:
    CvGraphPrivate(CvGraph *q, const QString &accessToken);

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
    void emitConnectionData(const CvGraphOp &op, const QVariantMap &data);
};

} // namespace Cv

#endif // CVGRAPH_P_H
