#include "cvcache.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"
#include "cvutils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Cv {

// --- key/value data -----------------------------------------------------------------------------
// Failures of these three are reported by their result only; the error record stays untouched.

bool CvCache::getUserData(const QString &key, QString *value)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    CvStatement query(d->db);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT value from user_data WHERE key = ?"))) {
        cvWarning(QStringLiteral("Cache error: %1").arg(query.lastError().text()));
        return false;
    }
    query.bindValue(0, key);
    if (!query.exec()) {
        cvWarning(QStringLiteral("Cache error: %1").arg(query.lastError().text()));
        return false;
    }
    if (!query.next())
        return false;
    *value = query.value(0).toString();
    return true;
}

bool CvCache::updateUserData(const QString &key, const QString &value)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    CvStatement query(d->db);
    if (!query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO user_data (key, value) VALUES (?, ?)"))) {
        cvWarning(QStringLiteral("Cache error: %1").arg(query.lastError().text()));
        return false;
    }
    query.bindValue(0, key);
    query.bindValue(1, value);
    if (!query.exec()) {
        cvWarning(QStringLiteral("Cache error: %1").arg(query.lastError().text()));
        return false;
    }
    return true;
}

bool CvCache::removeUserData(const QString &key)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    CvStatement query(d->db);
    if (!query.prepare(QStringLiteral("DELETE from user_data WHERE key = ?"))) {
        cvWarning(QStringLiteral("Cache error: %1").arg(query.lastError().text()));
        return false;
    }
    query.bindValue(0, key);
    if (!query.exec()) {
        cvWarning(QStringLiteral("Cache error: %1").arg(query.lastError().text()));
        return false;
    }
    return true;
}

// --- file store ---------------------------------------------------------------------------------

// Keys come from callers and from service data; one that could name a file outside the store
// (absolute, or climbing with "..") is refused by every file operation.
bool CvCachePrivate::isSafeKey(const QString &key)
{
    if (key.isEmpty() || key.startsWith(QLatin1Char('/')) || key.contains(QLatin1Char('\\')))
        return false;
    const QStringList parts = key.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool CvCachePrivate::getFilePath(const QString &key, QString *path)
{
    const QString directory = config->path();
    if (!QDir(directory).exists()) {
        cvDebug(QStringLiteral("Cache is empty"));
        return false;
    }

    auto it = fileIndex.find(key);
    if (it != fileIndex.end()) {
        const QString indexed = QStringLiteral("%1/%2").arg(directory, it.value());
        if (QFileInfo::exists(indexed)) {
            *path = indexed;
            return true;
        }
        fileIndex.erase(it);
    }

    const QString plain = QStringLiteral("%1/%2").arg(directory, key);
    if (QFileInfo(plain).isFile()) {
        fileIndex.insert(key, key);
        *path = plain;
        return true;
    }
    return false;
}

QString CvCache::updateFile(const QString &key, const QByteArray &data)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen() || !CvCachePrivate::isSafeKey(key) || data.isEmpty())
        return QString();

    QString fileName = key;
    QString suffix;
    if (!key.contains(QLatin1Char('.')) && CvUtils::getFileSuffix(data, &suffix))
        fileName += suffix;

    const QString path = QStringLiteral("%1/%2").arg(d->config->path(), fileName);
    const QDir directory = QFileInfo(path).dir();
    if (!directory.exists() && !QDir().mkpath(directory.path())) {
        cvWarning(QStringLiteral("Could not create directory [%1]").arg(directory.absolutePath()));
        return QString();
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        cvWarning(QStringLiteral("Failed to open file [%1]: %2").arg(path, file.errorString()));
        return QString();
    }
    if (file.write(data) != data.size()) {
        cvWarning(QStringLiteral("Failed to write to [%1]").arg(path));
        return QString();
    }
    d->fileIndex.insert(key, fileName);
    return path;
}

QString CvCache::searchFile(const QString &key)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen() || !CvCachePrivate::isSafeKey(key))
        return QString();
    const QString store = d->config->path();
    if (!QDir(store).exists()) {
        cvDebug(QStringLiteral("Cache is empty"));
        return QString();
    }

    const int slash = key.lastIndexOf(QLatin1Char('/'));
    const QString fileName = slash < 0 ? key : key.mid(slash + 1);
    const QString subdirectory = slash < 0 ? QStringLiteral(".") : key.left(slash);
    const QDir dir(QStringLiteral("%1/%2").arg(store, subdirectory));
    const QStringList entries = dir.entryList({fileName + QLatin1Char('*')});
    for (const QString &entry : entries) {
        if (entry.startsWith(fileName))
            return entry;
    }
    return QString();
}

QByteArray CvCache::getFile(const QString &key)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    QString path;
    if (!d->isOpen() || !CvCachePrivate::isSafeKey(key) || !d->getFilePath(key, &path))
        return QByteArray();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cvDebug(QStringLiteral("Failed to open file [%1]").arg(path));
        return QByteArray();
    }
    return file.readAll();
}

QString CvCache::getFilePath(const QString &key)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    QString path;
    if (!d->isOpen() || !CvCachePrivate::isSafeKey(key) || !d->getFilePath(key, &path))
        return QString();
    return path;
}

bool CvCache::fileExists(const QString &key)
{
    Q_D(CvCache);
    QString path;
    return d->isOpen() && CvCachePrivate::isSafeKey(key) && d->getFilePath(key, &path);
}

bool CvCache::removeFile(const QString &key)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen() || !CvCachePrivate::isSafeKey(key))
        return false;
    QDir dir(d->config->path());
    if (!dir.exists()) {
        cvDebug(QStringLiteral("Cache is empty"));
        return false;
    }
    d->fileIndex.remove(key);
    return dir.remove(key);
}

} // namespace Cv
