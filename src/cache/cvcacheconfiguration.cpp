#include "cvcacheconfiguration.h"

namespace Cv {

class CvCacheConfigurationPrivate
{
public:
    QString databaseName = QStringLiteral("cvcache.db");
    QString path = QStringLiteral("./cvcache");
};

CvCacheConfiguration::CvCacheConfiguration()
    : d(new CvCacheConfigurationPrivate)
{
}

CvCacheConfiguration::~CvCacheConfiguration() = default;

QString CvCacheConfiguration::databaseName() const
{
    return d->databaseName;
}

void CvCacheConfiguration::setDatabaseName(const QString &databaseName)
{
    d->databaseName = databaseName;
}

QString CvCacheConfiguration::path() const
{
    return d->path;
}

void CvCacheConfiguration::setPath(const QString &path)
{
    d->path = path;
}

CvCacheConfiguration *CvCacheConfiguration::clone() const
{
    auto *copy = new CvCacheConfiguration;
    doClone(copy);
    return copy;
}

void CvCacheConfiguration::doClone(CvCacheConfiguration *target) const
{
    target->d.reset(new CvCacheConfigurationPrivate(*d));
}

} // namespace Cv
