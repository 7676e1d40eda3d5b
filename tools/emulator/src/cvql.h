// The query language engine: parses a statement and evaluates it against tables derived from the
// data set for the signed-in user.
#ifndef EMUCVQL_H
#define EMUCVQL_H

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace Emu {

class DataSet;

struct CvqlResult
{
    bool ok = false;
    int errorCode = 0; // the REST error code the service uses (601: parser error)
    QString error;
    QJsonArray rows;
};

class Cvql
{
public:
    explicit Cvql(DataSet &data)
        : m_data(data)
    {
    }

    CvqlResult execute(const QString &statement, const QString &viewer) const;

    static QStringList tableNames();
    static QStringList columns(const QString &table);
    // Every row of a table as the viewer sees it; internal members start with "_".
    QList<QJsonObject> rows(const QString &table, const QString &viewer) const;

private:
    DataSet &m_data;
};

} // namespace Emu

#endif
