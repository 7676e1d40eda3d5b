// Property: a file-store key never names anything outside the store. Fuzzed keys go through every
// file operation; each path handed back lies inside the store directory, and nothing beside the
// store (the database, a marker file) is created, changed or removed.
#include "fuzzcommon.h"

#include "cvcache.h"
#include "cvcacheconfiguration.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

namespace {

// root/ holds the database, a marker file and store/; store/ is the only place files may appear.
std::unique_ptr<QTemporaryDir> root;
std::unique_ptr<Cv::CvCacheConfiguration> configuration;
std::unique_ptr<Cv::CvCache> cache;
QString storePath;

// Everything below root except the store, with sizes, so a change outside is seen.
QStringList outsideStore()
{
    QStringList entries;
    QDirIterator it(root->path(),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path == storePath || path.startsWith(storePath + QLatin1Char('/')))
            continue;
        // The database's journal comes and goes with each write; it is the cache's own.
        if (path.contains(QLatin1String("cache.db")))
            continue;
        entries.append(path + QLatin1Char(' ') + QString::number(QFileInfo(path).size()));
    }
    entries.sort();
    return entries;
}

void checkInside(const QString &path, const QString &key)
{
    if (path.isEmpty())
        return;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    CV_FUZZ_CHECK(clean.startsWith(storePath + QLatin1Char('/')),
                  QStringLiteral("key [%1] gave the path %2").arg(key, path));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    CvFuzz::startApplication();
    root = std::make_unique<QTemporaryDir>();
    CV_FUZZ_CHECK(root->isValid(), "no temporary directory");
    storePath = QDir::cleanPath(root->filePath(QStringLiteral("a/store")));
    QDir(root->path()).mkpath(QStringLiteral("a/store"));
    QFile marker(root->filePath(QStringLiteral("a/marker")));
    CV_FUZZ_CHECK(marker.open(QIODevice::WriteOnly) && marker.write("outside") == 7, "no marker");
    marker.close();
    configuration = std::make_unique<Cv::CvCacheConfiguration>();
    configuration->setDatabaseName(root->filePath(QStringLiteral("cache.db")));
    configuration->setPath(storePath);
    cache = std::make_unique<Cv::CvCache>(*configuration);
    CV_FUZZ_CHECK(cache->init(), "the cache did not open");
    std::atexit([] {
        cache.reset();
        configuration.reset();
        root.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QStringList before = outsideStore();
    CvFuzz::Input input(data, size);
    while (!input.atEnd()) {
        const int operation = input.choice(6);
        const QString key = input.text();
        switch (operation) {
        case 0: {
            const QByteArray bytes = input.bytes();
            checkInside(cache->updateFile(key, bytes.isEmpty() ? QByteArray("x") : bytes), key);
            break;
        }
        case 1:
            checkInside(cache->getFilePath(key), key);
            break;
        case 2: {
            const QString found = cache->searchFile(key);
            CV_FUZZ_CHECK(!found.contains(QLatin1Char('/')),
                          QStringLiteral("searchFile(%1) named %2").arg(key, found));
            break;
        }
        case 3:
            cache->getFile(key);
            break;
        case 4:
            cache->fileExists(key);
            break;
        case 5:
            cache->removeFile(key);
            break;
        }
    }
    CV_FUZZ_CHECK(outsideStore() == before, "a file outside the store was touched");
    cache->clearDiskCache();
    QDir().mkpath(storePath);
    return 0;
}
