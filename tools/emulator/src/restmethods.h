// The REST endpoint: "/method/<name>" calls, including the query language method.
#ifndef EMURESTMETHODS_H
#define EMURESTMETHODS_H

#include "emutypes.h"

#include <QHash>
#include <functional>

namespace Emu {

class DataSet;
class Cvql;

class RestMethods
{
public:
    RestMethods(DataSet &data, Cvql &cvql);

    // The reply of one method call; unknown methods get error_code 3.
    Reply handle(const Request &request);
    static QStringList methodNames();

private:
    using Method = std::function<Reply(const Request &)>;
    Reply threadList(const Request &r, const QString &folder, const QString &startKey);
    QJsonObject threadObject(const QString &id, const QString &viewer) const;

    DataSet &m_data;
    Cvql &m_cvql;
    QHash<QString, Method> m_methods;
};

} // namespace Emu

#endif
