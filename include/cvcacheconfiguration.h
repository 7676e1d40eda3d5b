#ifndef CVCACHECONFIGURATION_H
#define CVCACHECONFIGURATION_H

#include "cvexport.h"

#include <QString>

#include <memory>

namespace Cv {

class CvCacheConfigurationPrivate;

//! Where a CvCache keeps its SQLite database file and its file store.
//! Copies are made with clone(); a subclass that adds fields overrides clone().
class CV_EXPORT CvCacheConfiguration
{
public:
    //! Database "cvcache.db", file store "./cvcache".
    CvCacheConfiguration();
    virtual ~CvCacheConfiguration();

    //! File name of the SQLite database, used as it is (a relative name is relative to the
    //! working directory, not to path()).
    //!@{
    QString databaseName() const;
    void setDatabaseName(const QString &databaseName);
    //!@}

    //! Directory of the file store.
    //!@{
    QString path() const;
    void setPath(const QString &path);
    //!@}

    //! A new configuration with the same values; the caller owns it.
    virtual CvCacheConfiguration *clone() const;

protected:
    //! Gives \a target a fresh copy of this configuration's values.
    void doClone(CvCacheConfiguration *target) const;

private:
    Q_DISABLE_COPY_MOVE(CvCacheConfiguration)
    std::unique_ptr<CvCacheConfigurationPrivate> d;
};

} // namespace Cv

#endif // CVCACHECONFIGURATION_H
