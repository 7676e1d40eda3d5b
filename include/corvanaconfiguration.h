#ifndef CORVANACONFIGURATION_H
#define CORVANACONFIGURATION_H

#include "cvcache.h"
#include "cvexport.h"

#include <QString>

#include <memory>

namespace Cv {

class CorvanaConfigurationPrivate;

/*!
 * What a Cv::Corvana facade is built from: the user's identity (an access token, or offline a
 * user name or e-mail address), the locale of requests, and the cache with its init options.
 * The facade keeps its own clone(); a derived configuration overrides clone().
 */
class CV_EXPORT CorvanaConfiguration
{
public:
    //! What userIdentity() holds.
    enum UserIdentityType {
        AccessToken = 0, //!< an access token: the network is available
        UserName = 1 //!< a user name or an e-mail address (with "@"): the cache only
    };

    //! A configuration for \a userIdentity of \a type; every other field at its default.
    CorvanaConfiguration(const QString &userIdentity, UserIdentityType type);
    virtual ~CorvanaConfiguration();

    //! A new configuration with the same fields as this one.
    virtual CorvanaConfiguration *clone() const;

    //! The cache to use, or null to let the facade create its own. Becomes null when the cache
    //! object is destroyed.
    CvCache *cache() const;
    //! Sets the cache to use; the application keeps ownership.
    void setCache(CvCache *cache);

    //! The access token, user name or e-mail address.
    QString userIdentity() const;
    //! What userIdentity() holds.
    UserIdentityType userIdentityType() const;
    //! Sets the identity and its type together.
    void setUserIdentity(const QString &userIdentity, UserIdentityType type);

    //! Stored and copied only; the library does not read it.
    //!@{
    bool realTimeUpdatesEnabled() const;
    void setRealTimeUpdates(bool enabled);
    //!@}

    //! Options for opening the cache; RecreateIncompatibleDatabase by default.
    //!@{
    CvCache::InitOptions cacheInitOptions() const;
    void setCacheInitOptions(CvCache::InitOptions options);
    //!@}

    //! Locale of requests that take one; empty for the service's default.
    //!@{
    QString locale() const;
    void setLocale(const QString &locale);
    //!@}

protected:
    //! Replaces \a target's fields by a copy of this configuration's fields.
    void doClone(CorvanaConfiguration *target) const;

private:
    Q_DISABLE_COPY_MOVE(CorvanaConfiguration)
    std::unique_ptr<CorvanaConfigurationPrivate> d;
};

} // namespace Cv

#endif // CORVANACONFIGURATION_H
