#include "corvanaconfiguration.h"

#include <QPointer>

namespace Cv {

class CorvanaConfigurationPrivate
{
public:
    QPointer<CvCache> cache;
    QString userIdentity;
    CorvanaConfiguration::UserIdentityType userIdentityType = CorvanaConfiguration::AccessToken;
    bool realTimeUpdates = false;
    CvCache::InitOptions cacheInitOptions = CvCache::RecreateIncompatibleDatabase;
    QString locale;
};

CorvanaConfiguration::CorvanaConfiguration(const QString &userIdentity, UserIdentityType type)
    : d(std::make_unique<CorvanaConfigurationPrivate>())
{
    d->userIdentity = userIdentity;
    d->userIdentityType = type;
}

CorvanaConfiguration::~CorvanaConfiguration() = default;

CorvanaConfiguration *CorvanaConfiguration::clone() const
{
    auto *copy = new CorvanaConfiguration(userIdentity(), userIdentityType());
    doClone(copy);
    return copy;
}

void CorvanaConfiguration::doClone(CorvanaConfiguration *target) const
{
    target->d = std::make_unique<CorvanaConfigurationPrivate>(*d);
}

CvCache *CorvanaConfiguration::cache() const
{
    return d->cache;
}

void CorvanaConfiguration::setCache(CvCache *cache)
{
    d->cache = cache;
}

QString CorvanaConfiguration::userIdentity() const
{
    return d->userIdentity;
}

CorvanaConfiguration::UserIdentityType CorvanaConfiguration::userIdentityType() const
{
    return d->userIdentityType;
}

void CorvanaConfiguration::setUserIdentity(const QString &userIdentity, UserIdentityType type)
{
    d->userIdentity = userIdentity;
    d->userIdentityType = type;
}

bool CorvanaConfiguration::realTimeUpdatesEnabled() const
{
    return d->realTimeUpdates;
}

void CorvanaConfiguration::setRealTimeUpdates(bool enabled)
{
    d->realTimeUpdates = enabled;
}

CvCache::InitOptions CorvanaConfiguration::cacheInitOptions() const
{
    return d->cacheInitOptions;
}

void CorvanaConfiguration::setCacheInitOptions(CvCache::InitOptions options)
{
    d->cacheInitOptions = options;
}

QString CorvanaConfiguration::locale() const
{
    return d->locale;
}

void CorvanaConfiguration::setLocale(const QString &locale)
{
    d->locale = locale;
}

} // namespace Cv
