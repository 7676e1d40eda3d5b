// corvana-emulator over HTTPS for the facade's end-to-end tests (test code only): the library's
// endpoints point at it, and each facade signs in on a cache file of its own.
#ifndef FACADEEMULATOR_H
#define FACADEEMULATOR_H

#include "corvana.h"
#include "corvanaconfiguration.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"
#include "emulatorprocess.h"

#include <QSignalSpy>
#include <QSslCertificate>
#include <QTemporaryDir>

#include <memory>

class FacadeEmulator
{
public:
    ~FacadeEmulator() { Cv::CvEndpoints::reset(); }

    //! Starts the emulator with \a arguments and trusts its certificate authority.
    bool start(const QStringList &arguments)
    {
        if (!m_dir.isValid() || !m_emulator.start(arguments, true)
            || !Cv::CvEndpoints::setGraphBaseUrl(QUrl(m_emulator.graph))
            || !Cv::CvEndpoints::setRestBaseUrl(QUrl(m_emulator.rest)))
            return false;
        Cv::CvEndpoints::setCaCertificates(
            QSslCertificate::fromPath(QStringLiteral(CV_EMULATOR_CA), QSsl::Pem));
        return true;
    }

    EmulatorProcess &emulator() { return m_emulator; }
    //! \a name in the test's temporary directory.
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString databasePath(const QString &name) const { return path(name + QStringLiteral(".db")); }

    //! A cache on the file \a name.db, its files in the directory \a name.
    std::unique_ptr<Cv::CvCache> cache(const QString &name) const
    {
        Cv::CvCacheConfiguration configuration;
        configuration.setDatabaseName(databasePath(name));
        configuration.setPath(path(name));
        return std::make_unique<Cv::CvCache>(configuration);
    }

    //! A facade for \a identity (the emulator's token when empty) on \a cache, initialized;
    //! null when initialization did not complete or reported an error.
    std::unique_ptr<Cv::Corvana> signIn(Cv::CvCache *cache, const QString &identity = QString(),
                                        Cv::CorvanaConfiguration::UserIdentityType type
                                        = Cv::CorvanaConfiguration::AccessToken)
    {
        Cv::CorvanaConfiguration configuration(identity.isEmpty() ? m_emulator.token : identity,
                                               type);
        configuration.setCache(cache);
        auto corvana = std::make_unique<Cv::Corvana>(configuration);
        QSignalSpy initialized(corvana.get(), qOverload<>(&Cv::Corvana::initialized));
        QSignalSpy errors(corvana.get(), &Cv::Corvana::error);
        corvana->init();
        if ((initialized.isEmpty() && !initialized.wait(20000)) || !errors.isEmpty())
            return nullptr;
        return corvana;
    }

private:
    EmulatorProcess m_emulator;
    QTemporaryDir m_dir;
};

#endif // FACADEEMULATOR_H
