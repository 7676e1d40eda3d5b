// The cache's row parsers on a database file the fuzzer writes: every table of the cache schema
// is filled with fuzzed rows through a second connection (foreign keys off, as a damaged or
// foreign file could be) holding NULLs, integers, reals, texts and blobs in any column, and
// ids from a small set so rows meet in joins. Then every read of the cache runs over them.
#include "fuzzcommon.h"

#include "cvcache.h"
#include "cvcacheconfiguration.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

using Cv::CvCache;

namespace {

struct Table
{
    QString name;
    QStringList columns;
};

std::unique_ptr<QTemporaryDir> directory;
std::unique_ptr<Cv::CvCacheConfiguration> configuration;
std::unique_ptr<CvCache> cache;
QList<Table> tables;
const QString writer = QStringLiteral("cv-fuzz-writer");

const QString ids[]
    = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("")};

QVariant valueFrom(CvFuzz::Input &input)
{
    switch (input.choice(8)) {
    case 0:
        return QVariant();
    case 1:
    case 2:
        return ids[input.choice(int(std::size(ids)))];
    case 3: {
        qint64 number = 0;
        for (int i = 0; i < 8; ++i)
            number = (number << 8) | input.byte();
        return number;
    }
    case 4:
        return double(qint8(input.byte())) / (1 + input.byte());
    case 5:
        return input.bytes(); // a blob
    default:
        return input.text();
    }
}

void fill(CvFuzz::Input &input)
{
    QSqlDatabase db = QSqlDatabase::database(writer);
    QSqlQuery query(db);
    db.transaction();
    for (const Table &table : std::as_const(tables))
        query.exec(QStringLiteral("DELETE FROM ") + table.name);
    while (!input.atEnd()) {
        const Table &table = tables.at(input.choice(int(tables.size())));
        QStringList marks;
        for (int i = 0; i < table.columns.size(); ++i)
            marks << QStringLiteral("?");
        query.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                          .arg(table.name, table.columns.join(QLatin1Char(',')),
                               marks.join(QLatin1Char(','))));
        for (int i = 0; i < table.columns.size(); ++i)
            query.bindValue(i, valueFrom(input));
        query.exec(); // a row the constraints refuse is simply not there
    }
    db.commit();
}

void readEverything()
{
    Cv::CvDataFilter window;
    window.limit = 10;
    for (const QString &id : ids) {
        Cv::CvUser user;
        cache->getUser(id, &user);
        cache->getUser(id, &user, CvCache::ByEmail);
        Cv::CvUsers users;
        cache->getFriends(id, &users);
        cache->getFriends(id, &users, window);
        Cv::CvUserRefs refs;
        cache->getFriendRefs(id, &refs);
        cache->getBirthdays(id, &users, window);
        Cv::CvEvent event;
        cache->getEvent(id, ids[0], &event);
        Cv::CvEvents events;
        cache->getEvents(id, &events);
        Cv::CvGroup group;
        cache->getGroup(ids[0], &group, id);
        Cv::CvGroups groups;
        cache->getGroups(id, &groups);
        Cv::CvCheckin checkin;
        cache->getCheckin(ids[0], &checkin, id);
        Cv::CvCheckins checkins;
        cache->getCheckins(id, &checkins);
        Cv::CvPost post;
        cache->getPost(id, &post);
        for (const CvCache::PostType type :
             {CvCache::NewsFeed, CvCache::ProfileFeed, CvCache::Inbox, CvCache::Outbox}) {
            Cv::CvPosts posts;
            cache->getPosts(id, type, &posts, window);
        }
        Cv::CvActions actions;
        cache->getActions(id, &actions);
        Cv::CvMessage message;
        cache->getComment(id, &message);
        Cv::CvComments comments;
        cache->getComments(Cv::PostComments, id, &comments);
        cache->getComments(Cv::PhotoComments, id, &comments, window);
        for (const Cv::MessageBoxType box :
             {Cv::MessageBoxInbox, Cv::MessageBoxOther, Cv::MessageBoxSent, Cv::MessageBoxSpam}) {
            Cv::CvThread thread;
            cache->getThread(id, ids[0], box, &thread);
            Cv::CvThreads threads;
            cache->getThreads(id, box, &threads, window);
        }
        cache->getMessage(id, ids[0], &message);
        Cv::CvMessages messages;
        cache->getMessages(id, &messages, window);
        Cv::CvAttachment attachment;
        cache->getAttachment(id, ids[0], &attachment);
        Cv::CvAttachments attachments;
        cache->getAttachments(id, &attachments);
        QString value;
        cache->getUserData(id, &value);
    }
    Cv::CvUsers all;
    cache->getUsers(&all);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    CvFuzz::startApplication();
    directory = std::make_unique<QTemporaryDir>();
    configuration = std::make_unique<Cv::CvCacheConfiguration>();
    configuration->setDatabaseName(directory->filePath(QStringLiteral("cache.db")));
    configuration->setPath(directory->filePath(QStringLiteral("files")));
    cache = std::make_unique<CvCache>(*configuration);
    CV_FUZZ_CHECK(cache->init(), "the cache did not open");

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), writer);
    db.setDatabaseName(configuration->databaseName());
    CV_FUZZ_CHECK(db.open(), "the database file did not open");
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    query.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    query.exec(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
        "AND name != 'cache_info' ORDER BY name"));
    while (query.next())
        tables.append({query.value(0).toString(), {}});
    for (Table &table : tables) {
        QSqlQuery columns(db);
        columns.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table.name));
        while (columns.next())
            table.columns.append(columns.value(1).toString());
    }
    CV_FUZZ_CHECK(tables.size() > 10, "the cache schema was not found");
    std::atexit([] {
        QSqlDatabase::removeDatabase(writer);
        cache.reset();
        configuration.reset();
        directory.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CvFuzz::Input input(data, size);
    fill(input);
    readEverything();
    return 0;
}
