#ifndef CVOBJECT_P_H
#define CVOBJECT_P_H

#include "cvobject.h"

#include <QSharedData>
#include <QVariantMap>

namespace Cv {

class CvObjectPrivate : public QSharedData
{
public:
    QString id;
    QString name;
    QString type;
    QVariantMap data;
};

} // namespace Cv

#endif // CVOBJECT_P_H
