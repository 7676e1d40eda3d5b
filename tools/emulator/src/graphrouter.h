// The Graph endpoint: objects, connections with paging, search, pictures and every Graph write.
#ifndef EMUGRAPHROUTER_H
#define EMUGRAPHROUTER_H

#include "emutypes.h"

namespace Emu {

class DataSet;

class GraphRouter
{
public:
    explicit GraphRouter(DataSet &data)
        : m_data(data)
    {
    }

    Reply handle(const Request &request);
    // A picture behind the redirect of "/<id>/picture" or the source of an uploaded photo.
    Reply picture(const Request &request) const;

    static constexpr int MaxLimit = 50000;

private:
    Reply read(const Request &r, const QStringList &segments);
    Reply write(const Request &r, const QStringList &segments);
    Reply object(const Request &r, const QString &id);
    Reply objects(const Request &r);
    Reply connection(const Request &r, const QString &id, const QString &name);
    Reply search(const Request &r, const QString &type);
    Reply page(const Request &r, QStringList ids, const QString &owner, const QString &name);
    Reply uploadPhoto(const Request &r, const QString &target);
    QString resolve(const Request &r, const QString &id) const;

    DataSet &m_data;
};

} // namespace Emu

#endif
