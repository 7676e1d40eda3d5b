// The emulated service as a whole: token check, failure injection, the control path and the
// routing between the Graph endpoint, the REST endpoint and batches. Independent of HTTP.
#ifndef EMUSERVICE_H
#define EMUSERVICE_H

#include "cvql.h"
#include "emutypes.h"
#include "faults.h"
#include "graphrouter.h"
#include "restmethods.h"

#include <QHash>

namespace Emu {

class DataSet;

class Service
{
public:
    explicit Service(DataSet &data);

    // Every user answers to "emulator-token-<user id>"; more tokens can be bound with this.
    void addToken(const QString &token, const QString &user);
    QString userForToken(const QString &token) const;
    static QString defaultToken(const QString &user);
    Faults &faults() { return m_faults; }

    Reply handle(const Request &request);
    // After the token check: also used for the sub-requests of a batch.
    Reply dispatch(const Request &request);

    static constexpr int MaxParameterLength = 65536;
    static constexpr int MaxBatchSize = 50;

private:
    Reply control(const Request &request);
    Reply batch(const Request &request);
    // One request of a batch, answered as an element of the batch's reply.
    QJsonValue batchItem(const Request &request, const QJsonObject &item);
    static QJsonObject batchReply(const Reply &reply);

    DataSet &m_data;
    Cvql m_cvql;
    GraphRouter m_graph;
    RestMethods m_rest;
    Faults m_faults;
    QHash<QString, QString> m_tokens;
    quint64 m_requests = 0;
};

// Parses "a=1&b=x%20y" (relative URLs and form bodies of batches); plusIsSpace for HTML forms.
QList<QPair<QString, QString>> parseQuery(const QByteArray &query, bool plusIsSpace);

} // namespace Emu

#endif
