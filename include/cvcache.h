#ifndef CVCACHE_H
#define CVCACHE_H

#include "cvexport.h"

#include <QByteArray>
#include <QFlags>
#include <QObject>
#include <QString>

#include <memory>

namespace Cv {

class CvCacheConfiguration;
class CvCachePrivate;

/*!
 * The local copy of a user's data: an SQLite database and a directory of downloaded files.
 * Call init() before anything else; every other operation returns false (or UpdateFailed, or an
 * empty value) while the cache is not initialised. Failures are kept in an error record read with
 * lastError() and lastErrorDescription(). All calls must come from the thread that created the
 * object; several caches on different database files can live in one process.
 */
class CV_EXPORT CvCache : public QObject
{
    Q_OBJECT

public:
    //! Options of init().
    enum InitOption {
        ClearDatabase = 0x1, //!< delete the database file first: start empty
        RecreateIncompatibleDatabase = 0x2, //!< recreate a database of another schema version
        ClearDiskCache = 0x4 //!< empty the file store before opening
    };
    Q_DECLARE_FLAGS(InitOptions, InitOption)
    Q_FLAG(InitOptions)

    //! Outcome of a single-item write.
    enum UpdateResult {
        UpdateFailed = 0, //!< the write failed, or the item was not valid
        NotChanged = 1, //!< an equal item was stored already; nothing written
        Updated = 2, //!< an existing row was updated
        Inserted = 3 //!< a new row was inserted
    };
    Q_ENUM(UpdateResult)

    //! Category of the last recorded error.
    enum ErrorType {
        DatabaseError = 0, //!< any database or cache error not listed below
        DatabaseBusy = 1, //!< the database was busy
        DatabaseLocked = 2, //!< a table was locked
        ItemNotFound = 3 //!< a single-item read found nothing
    };
    Q_ENUM(ErrorType)

    //! The list a post is filed under.
    enum PostType { NewsFeed = 0, ProfileFeed = 1, Inbox = 2, Outbox = 3 };
    Q_ENUM(PostType)

    //! Column that getUser() matches.
    enum UserSearchField { ById = 0, ByEmail = 1 };
    Q_ENUM(UserSearchField)

    //! A cache with the default configuration.
    explicit CvCache(QObject *parent = nullptr);
    //! A cache that keeps a clone of \a configuration.
    explicit CvCache(const CvCacheConfiguration &configuration, QObject *parent = nullptr);
    //! Closes the database.
    ~CvCache() override;

    //! Opens the database, creating it and its tables when needed. False when already
    //! initialised or when the database cannot be opened or has another schema version.
    bool init(InitOptions options = InitOptions());
    //! True between a successful init() and close().
    bool isInitialized() const;
    //! Closes the database; init() may be called again afterwards.
    void close();
    //! Removes the file-store directory with everything in it.
    void clearDiskCache();
    //! close(), clearDiskCache(), then deletes the database file.
    void clear();

    //! Category of the last recorded error.
    ErrorType lastError() const;
    //! Text of the last recorded error.
    QString lastErrorDescription() const;

    //! \name Key/value data
    //! @{
    //! Sets \a value to the text stored under \a key; false when there is none.
    bool getUserData(const QString &key, QString *value);
    //! Stores \a value under \a key, replacing an earlier value.
    bool updateUserData(const QString &key, const QString &value);
    //! Removes \a key; true also when it was not stored.
    bool removeUserData(const QString &key);
    //! @}

    //! \name File store
    //! A key names a file below the store directory and may contain "/" for subdirectories; a
    //! key without "." gets the suffix of its image type when stored.
    //! @{
    //! Stores \a data under \a key and returns the file's path, or an empty string.
    QString updateFile(const QString &key, const QByteArray &data);
    //! Name of a stored file whose name starts with the file name of \a key, or empty.
    QString searchFile(const QString &key);
    //! Content of the file stored under \a key, or an empty array.
    QByteArray getFile(const QString &key);
    //! Path of the file stored under \a key, or an empty string.
    QString getFilePath(const QString &key);
    //! Whether a file is stored under \a key.
    bool fileExists(const QString &key);
    //! Removes the file named by \a key itself.
    bool removeFile(const QString &key);
    //! @}

private:
    Q_DISABLE_COPY_MOVE(CvCache)
    Q_DECLARE_PRIVATE(CvCache)
    std::unique_ptr<CvCachePrivate> const d_ptr;
};

} // namespace Cv

Q_DECLARE_OPERATORS_FOR_FLAGS(Cv::CvCache::InitOptions)

#endif // CVCACHE_H
