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

    // "/" + id, then connection, with one slash between them and none at the end.
    static QString pathJoin(const QString &id, const QString &connection);
    // Adds the filter's limit, offset, dates, fields and params to op; returns the locale the
    // request is to use (the filter's own, else the graph's).
    QString applyFilter(const CvDataFilter &filter, CvGraphOp *op) const;
    static void applyLocale(const QString &locale, CvGraphOp *op);

private:
    // Emits the result signal of op's kind; false if the receiver destroyed the graph.
    bool emitResult(const CvGraphOp &op, QNetworkReply *reply);
    void emitConnectionData(const CvGraphOp &op, const QVariantMap &data);
};

} // namespace Cv

#endif // CVGRAPH_P_H
