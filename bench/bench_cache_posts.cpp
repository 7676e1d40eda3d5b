// Writes N posts (each with a sender, one addressee and two actions) into one news feed plus N
// comments, reads the feed back page by page (50 posts, each page ending where the last began) and
// expires it, through CvCache and through the sqlite3 C API (one prepared statement per table, one
// transaction, same schema file), printing rows per second (best of three runs) and the ratio.
// The raw side reads the pages twice with the cache's statements: stepping every row and column
// the cache reads without building anything, and building the same complete posts. Then times
// the read of one page of 50 posts from a feed of BIG posts. Usage: bench_cache_posts [N] [BIG]
// (defaults 20000 and 100000).

#include "cvaction.h"
#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvdatafilter.h"
#include "cvlinkinfo.h"
#include "cvmessage.h"
#include "cvpost.h"
#include "cvuser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "rawsqlite.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace Cv;

namespace {

constexpr int Senders = 97;
constexpr int PageSize = 50;
constexpr int CommentsPerTarget = 10;
constexpr int Repetitions = 3;
// Posts a page's link statements take at once: a page of 50 fits.
constexpr int LinkRows = 64;
const QDateTime Base(QDate(2011, 5, 1), QTime(0, 0), Qt::UTC);

QString me()
{
    return QStringLiteral("me");
}

CvUserRef sender(int i)
{
    return CvUserRef(QStringLiteral("2000%1").arg(i % Senders),
                     QStringLiteral("Sender %1").arg(i % Senders));
}

CvPost makePost(int i)
{
    CvPost p(QStringLiteral("post%1").arg(i, 7, 10, QLatin1Char('0')), sender(i),
             Base.addSecs(qint64(i) * 60));
    p.setTo({sender(i + 1)});
    p.setMessage(QStringLiteral("Status update number %1 with a little text to store").arg(i));
    p.setLinkInfo(CvLinkInfo(QStringLiteral("https://example.invalid/%1").arg(i),
                             QStringLiteral("Link"), QStringLiteral("caption"),
                             QStringLiteral("description")));
    p.setUpdated(Base.addSecs(qint64(i) * 60 + 5));
    p.setType(QStringLiteral("status"));
    p.setLikes(i % 13);
    p.setCommentCount(i % CommentsPerTarget == 0 ? CommentsPerTarget : 0);
    // What the service offers on nearly every post.
    p.setActions({CvAction(QStringLiteral("Comment"), p.linkInfo().link + QStringLiteral("/c")),
                  CvAction(QStringLiteral("Like"), p.linkInfo().link + QStringLiteral("/l"))});
    return p;
}

CvMessage makeComment(int post, int k)
{
    CvMessage c(QStringLiteral("post%1_c%2").arg(post, 7, 10, QLatin1Char('0')).arg(k),
                sender(post + k));
    c.setContent(QStringLiteral("Comment %1 on post %2").arg(k).arg(post));
    c.setCreated(Base.addSecs(qint64(post) * 60 + k));
    c.setUpdated(c.created());
    c.setLikes(k);
    return c;
}

struct Timing
{
    double posts = 0; // seconds
    double comments = 0;
    // Raw side: the pages' rows stepped, nothing built.
    double read = 0;
    // Raw side only: the same pages read into complete posts, as the cache returns them: each
    // post's columns, its sender's name, its addressees, tags and actions.
    double readComplete = 0;
    double expire = 0;
    int rowsRead = 0;

    // Keeps the shorter time of each step: the run least disturbed by the rest of the machine.
    void keepBest(const Timing &run)
    {
        for (auto step : {&Timing::posts, &Timing::comments, &Timing::read, &Timing::readComplete,
                          &Timing::expire})
            this->*step = this->*step > 0 ? std::min(this->*step, run.*step) : run.*step;
    }
};

// A cache on \a file, emptied, holding the feed's owner; null when that fails.
std::unique_ptr<CvCache> openCache(const QString &file)
{
    CvCacheConfiguration config;
    config.setDatabaseName(file);
    auto cache = std::make_unique<CvCache>(config);
    if (!cache->init(CvCache::ClearDatabase)
        || !cache->updateUser(CvUser(me(), QStringLiteral("Me"))))
        return nullptr;
    return cache;
}

// Creates the cache's schema in \a file, so that the raw run works on the same tables and indexes.
bool createSchema(const QString &file)
{
    return openCache(file) != nullptr;
}

bool rawRun(const QString &file, const CvPosts &posts, Timing *t)
{
    if (!createSchema(file))
        return false;
    sqlite3 *db = nullptr;
    if (!check(db, sqlite3_open(file.toUtf8().constData(), &db), "open"))
        return false;
    sqlite3_exec(db, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    bool ok = true;
    {
        Statement user(db, "INSERT OR IGNORE INTO users (id, name) VALUES (?, ?)");
        Statement post(db,
                       "INSERT INTO posts (id, sender, message, picture, link, name, caption, "
                       "description, source, icon, attribution, likes, created_time, "
                       "updated_time, comment_count, type, subject, album_id, object_id, "
                       "application, applicationId, place_id, story) VALUES (?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        Statement target(db, "INSERT INTO post_targets (post_id, user_id) VALUES (?, ?)");
        Statement feed(db, "INSERT INTO news_feeds (post_id, user_id) VALUES (?, ?)");
        Statement action(db, "INSERT INTO post_actions (post_id, name, link) VALUES (?, ?, ?)");
        Statement comment(db,
                          "INSERT INTO comments (id, sender, message, created_time, "
                          "updated_time, likes, user_likes) VALUES (?, ?, ?, ?, ?, ?, ?)");
        Statement link(db, "INSERT INTO post_comments (comment_id, target_id) VALUES (?, ?)");

        QElapsedTimer timer;
        timer.start();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        user.text(1, me());
        user.text(2, QStringLiteral("Me"));
        ok = ok && user.run();
        for (int i = 0; i < Senders; ++i) {
            user.text(1, sender(i).id);
            user.text(2, sender(i).name);
            ok = ok && user.run();
        }
        for (const CvPost &p : posts) {
            post.text(1, p.id());
            post.text(2, p.from().id);
            post.text(3, p.message());
            post.text(4, p.picture());
            post.text(5, p.linkInfo().link);
            post.text(6, p.linkInfo().name);
            post.text(7, p.linkInfo().caption);
            post.text(8, p.linkInfo().description);
            post.text(9, p.source());
            post.text(10, p.icon());
            post.text(11, p.attribution());
            post.integer(12, p.likes());
            post.time(13, p.created());
            post.time(14, p.updated());
            post.integer(15, p.commentCount());
            post.text(16, p.type());
            for (int c = 17; c <= 23; ++c)
                post.text(c, QString());
            ok = ok && post.run();
            target.text(1, p.id());
            target.text(2, p.to().first().id);
            ok = ok && target.run();
            for (const CvAction &a : p.actions()) {
                action.text(1, p.id());
                action.text(2, a.name);
                action.text(3, a.link);
                ok = ok && action.run();
            }
            feed.text(1, p.id());
            feed.text(2, me());
            ok = ok && feed.run();
        }
        ok = ok && check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
        t->posts = timer.nsecsElapsed() / 1e9;

        timer.restart();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < posts.size(); i += CommentsPerTarget) {
            for (int k = 0; k < CommentsPerTarget; ++k) {
                const CvMessage c = makeComment(i, k);
                comment.text(1, c.id());
                comment.text(2, c.from().id);
                comment.text(3, c.content());
                comment.time(4, c.created());
                comment.time(5, c.updated());
                comment.integer(6, c.likes());
                comment.integer(7, c.userLikes());
                ok = ok && comment.run();
                link.text(1, c.id());
                link.text(2, posts.at(i).id());
                ok = ok && link.run();
            }
        }
        ok = ok && check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
        t->comments = timer.nsecsElapsed() / 1e9;

        // The cache's own feed statement (the seeking form), paged the same way.
        Statement page(
            db,
            "SELECT * FROM posts INNER JOIN (SELECT * FROM news_feeds WHERE user_id = ?1) ON "
            "post_id = id WHERE NOT (created_time IS NULL OR created_time NOT GLOB "
            "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9]*' OR "
            "created_time GLOB '*+*') AND created_time > date(?2, '-7 days') AND created_time < "
            "strftime('%Y-%m-%dT%H:%M:%S', ?3) AND datetime(created_time) > datetime(?2) AND "
            "datetime(created_time) < datetime(?3) AND (type IS NULL OR type LIKE (?4 || '')) "
            "UNION ALL "
            "SELECT * FROM posts INNER JOIN (SELECT * FROM news_feeds WHERE user_id = ?1) ON "
            "post_id = id WHERE (created_time IS NULL OR created_time NOT GLOB "
            "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9]*' OR "
            "created_time GLOB '*+*') AND (created_time IS NULL OR (datetime(created_time) > "
            "datetime(?2) AND datetime(created_time) < datetime(?3))) AND (type IS NULL OR type "
            "LIKE (?4 || '')) ORDER BY created_time DESC, updated_time DESC LIMIT ?5");
        // One page of the feed, newest first, ending before \a until.
        const auto bindPage = [&](const QString &until) {
            page.text(1, me());
            page.text(2, QStringLiteral("1970-01-01T00:00:00"));
            page.text(3, until);
            page.text(4, QStringLiteral("%"));
            page.integer(5, PageSize);
        };
        // The link rows of a whole page at once, as the cache reads them: one VALUES row per
        // post (its position and id, unused rows NULL), each post's rows in the cache's order.
        QByteArray values;
        for (int i = 0; i < LinkRows; ++i)
            values += (i ? ", (" : "(") + QByteArray::number(i) + ", ?)";
        const auto people = [&](const char *table) -> QByteArray {
            return "SELECT k.column1, t.user_id, u.name FROM (VALUES " + values + ") AS k JOIN "
                + table
                + " AS t ON t.post_id = k.column2 LEFT JOIN users AS u ON u.id = t.user_id "
                  "ORDER BY k.column1, t.user_id";
        };
        Statement targets(db, people("post_targets").constData());
        Statement tags(db, people("post_tags").constData());
        const QByteArray actionsText = "SELECT k.column1, a.name, a.link FROM (VALUES " + values
            + ") AS k JOIN post_actions AS a ON a.post_id = k.column2 ORDER BY k.column1, a.rowid";
        const QByteArray namesText = "SELECT k.column1, u.name FROM (VALUES " + values
            + ") AS k JOIN users AS u ON u.id = k.column2";
        Statement actions(db, actionsText.constData());
        Statement names(db, namesText.constData());
        const auto column = [](sqlite3_stmt *st, int c) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                                     sqlite3_column_bytes(st, c));
        };
        const auto bytes = [](sqlite3_stmt *st, int c) {
            return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, c)),
                              sqlite3_column_bytes(st, c));
        };
        // Steps \a query bound to \a ids, handing each row to \a row with its post's position.
        const auto eachRow = [&](Statement &query, const QList<QByteArray> &ids, auto row) {
            for (int i = 0; i < LinkRows; ++i) {
                if (i < ids.size())
                    sqlite3_bind_text(query.get(), i + 1, ids.at(i).constData(),
                                      int(ids.at(i).size()), SQLITE_TRANSIENT);
                else
                    sqlite3_bind_null(query.get(), i + 1);
            }
            while (sqlite3_step(query.get()) == SQLITE_ROW)
                row(sqlite3_column_int(query.get(), 0), query.get());
            sqlite3_reset(query.get());
        };
        // Every row and column the cache reads for a page, stepped without building anything.
        const auto stepColumns = [](int, sqlite3_stmt *st) {
            for (int c = 0, n = sqlite3_column_count(st); c < n; ++c)
                sqlite3_column_text(st, c);
        };
        timer.restart();
        QString until = Base.addYears(1000).toString(Qt::ISODateWithMs);
        for (;;) {
            bindPage(until);
            QList<QByteArray> ids;
            QList<QByteArray> senders;
            while (sqlite3_step(page.get()) == SQLITE_ROW) {
                stepColumns(0, page.get());
                ids << bytes(page.get(), 0);
                senders << bytes(page.get(), 1);
                until = column(page.get(), 12);
            }
            sqlite3_reset(page.get());
            for (Statement *links : {&targets, &tags, &actions})
                eachRow(*links, ids, stepColumns);
            eachRow(names, senders, stepColumns);
            t->rowsRead += int(ids.size());
            if (ids.size() < PageSize)
                break;
        }
        t->read = timer.nsecsElapsed() / 1e9;

        timer.restart();
        until = Base.addYears(1000).toString(Qt::ISODateWithMs);
        int complete = 0;
        for (;;) {
            bindPage(until);
            CvPosts read;
            QList<QByteArray> ids;
            QList<QByteArray> senders;
            while (sqlite3_step(page.get()) == SQLITE_ROW) {
                sqlite3_stmt *st = page.get();
                CvPost p(column(st, 0), CvUserRef(column(st, 1), QString()));
                p.setMessage(column(st, 2));
                p.setPicture(column(st, 3));
                p.setLinkInfo(
                    CvLinkInfo(column(st, 4), column(st, 5), column(st, 6), column(st, 7)));
                p.setSource(column(st, 8));
                p.setIcon(column(st, 9));
                p.setAttribution(column(st, 10));
                p.setLikes(sqlite3_column_int(st, 11));
                p.setCreated(QDateTime::fromString(column(st, 12), Qt::ISODate));
                p.setUpdated(QDateTime::fromString(column(st, 13), Qt::ISODate));
                p.setCommentCount(sqlite3_column_int(st, 14));
                p.setType(column(st, 15));
                p.setSubject(column(st, 16));
                p.setAlbumId(column(st, 17));
                p.setObjectId(column(st, 18));
                p.setApplication(qMakePair(column(st, 20), column(st, 19)));
                p.setStory(column(st, 22));
                until = column(st, 12);
                ids << bytes(st, 0);
                senders << bytes(st, 1);
                read << p;
            }
            sqlite3_reset(page.get());
            std::vector<CvUserRefs> to(size_t(read.size()));
            std::vector<CvUserRefs> withTags(size_t(read.size()));
            std::vector<CvActions> postActions(size_t(read.size()));
            eachRow(targets, ids, [&](int i, sqlite3_stmt *st) {
                to[size_t(i)] << CvUserRef(column(st, 1), column(st, 2));
            });
            eachRow(tags, ids, [&](int i, sqlite3_stmt *st) {
                withTags[size_t(i)] << CvUserRef(column(st, 1), column(st, 2));
            });
            eachRow(actions, ids, [&](int i, sqlite3_stmt *st) {
                postActions[size_t(i)] << CvAction(column(st, 1), column(st, 2));
            });
            eachRow(names, senders, [&](int i, sqlite3_stmt *st) {
                read[i].setFrom(CvUserRef(read[i].from().id, column(st, 1)));
            });
            for (qsizetype i = 0; i < read.size(); ++i) {
                read[i].setTo(to[size_t(i)]);
                read[i].setWithTags(withTags[size_t(i)]);
                read[i].setActions(postActions[size_t(i)]);
            }
            complete += int(read.size());
            if (read.size() < PageSize)
                break;
        }
        t->readComplete = timer.nsecsElapsed() / 1e9;
        ok = ok && complete == t->rowsRead;

        timer.restart();
        const QString cutoff = Base.addYears(1).toString(Qt::ISODate);
        Statement places(db,
                         "DELETE from places WHERE parent_id IN (SELECT id FROM posts WHERE "
                         "updated_time is NULL OR datetime(updated_time) < datetime(?))");
        Statement expire(db,
                         "DELETE from posts WHERE updated_time IS NULL OR "
                         "datetime(updated_time) < datetime(?)");
        places.text(1, cutoff);
        expire.text(1, cutoff);
        ok = ok && places.run() && expire.run();
        t->expire = timer.nsecsElapsed() / 1e9;
    }
    sqlite3_close(db);
    return ok;
}

bool cacheRun(const QString &file, const CvPosts &posts, Timing *t)
{
    const std::unique_ptr<CvCache> opened = openCache(file);
    if (!opened)
        return false;
    CvCache &cache = *opened;

    QElapsedTimer timer;
    timer.start();
    if (!cache.updatePosts(me(), CvCache::NewsFeed, posts))
        return false;
    t->posts = timer.nsecsElapsed() / 1e9;

    timer.restart();
    for (int i = 0; i < posts.size(); i += CommentsPerTarget) {
        CvComments comments;
        for (int k = 0; k < CommentsPerTarget; ++k)
            comments << makeComment(i, k);
        if (!cache.updateComments(PostComments, posts.at(i).id(), comments))
            return false;
    }
    t->comments = timer.nsecsElapsed() / 1e9;

    timer.restart();
    CvDataFilter filter;
    filter.limit = PageSize;
    for (;;) {
        CvPosts page;
        if (!cache.getPosts(me(), CvCache::NewsFeed, &page, filter))
            return false;
        t->rowsRead += page.size();
        if (page.size() < PageSize)
            break;
        filter.until = page.last().created();
    }
    t->read = timer.nsecsElapsed() / 1e9;

    timer.restart();
    if (!cache.removePosts(Base.addYears(1)))
        return false;
    t->expire = timer.nsecsElapsed() / 1e9;
    return true;
}

// Median time of reading the newest page and a page from the middle of a feed of \a big posts.
bool pageTimes(const QString &file, int big, double *newest, double *middle)
{
    const std::unique_ptr<CvCache> opened = openCache(file);
    if (!opened)
        return false;
    CvCache &cache = *opened;
    CvPosts posts;
    posts.reserve(big);
    for (int i = 0; i < big; ++i)
        posts << makePost(i);
    if (!cache.updatePosts(me(), CvCache::NewsFeed, posts))
        return false;

    auto median = [&](const QDateTime &until, double *result) {
        CvDataFilter filter;
        filter.limit = PageSize;
        filter.until = until;
        std::vector<double> times;
        for (int rep = 0; rep < 41; ++rep) {
            CvPosts page;
            QElapsedTimer timer;
            timer.start();
            if (!cache.getPosts(me(), CvCache::NewsFeed, &page, filter) || page.size() != PageSize)
                return false;
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        *result = times[times.size() / 2];
        return true;
    };
    return median(QDateTime(), newest) && median(posts.at(big / 2).created(), middle);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(PageSize, std::atoi(argv[1])) : 20000;
    const int big = argc > 2 ? std::max(PageSize, std::atoi(argv[2])) : 100000;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    CvPosts posts;
    posts.reserve(n);
    for (int i = 0; i < n; ++i)
        posts << makePost(i);

    Timing raw;
    Timing cached;
    for (int rep = 0; rep < Repetitions; ++rep) {
        Timing rawRep;
        Timing cachedRep;
        if (!rawRun(dir.filePath(QStringLiteral("raw%1.db").arg(rep)), posts, &rawRep)
            || !cacheRun(dir.filePath(QStringLiteral("cache%1.db").arg(rep)), posts, &cachedRep)) {
            std::fprintf(stderr, "run %d failed\n", rep);
            return 1;
        }
        if (rawRep.rowsRead != n || cachedRep.rowsRead != n) {
            std::fprintf(stderr, "read back %d (raw) and %d (cache) of %d posts\n", rawRep.rowsRead,
                         cachedRep.rowsRead, n);
            return 1;
        }
        raw.keepBest(rawRep);
        cached.keepBest(cachedRep);
    }

    // Rows written per post: the post, its addressee link and its feed link (users are few).
    const double postRows = 3.0 * n + Senders + 1;
    const double commentRows = 2.0 * (n / CommentsPerTarget) * CommentsPerTarget;
    std::printf("bench_cache_posts: %d posts in one feed, %.0f comments, best of %d runs\n", n,
                commentRows / 2, Repetitions);
    std::printf("  write posts     raw %10.0f rows/s (%.3f s)  CvCache %10.0f rows/s (%.3f s)"
                "  ratio %.2fx raw\n",
                postRows / raw.posts, raw.posts, postRows / cached.posts, cached.posts,
                raw.posts / cached.posts);
    std::printf("  write comments  raw %10.0f rows/s (%.3f s)  CvCache %10.0f rows/s (%.3f s)"
                "  ratio %.2fx raw (one transaction per post)\n",
                commentRows / raw.comments, raw.comments, commentRows / cached.comments,
                cached.comments, raw.comments / cached.comments);
    std::printf("  paged read      raw %10.0f rows/s (%.3f s)  CvCache %10.0f rows/s (%.3f s)"
                "  ratio %.2fx raw (raw builds nothing)\n",
                n / raw.read, raw.read, n / cached.read, cached.read, raw.read / cached.read);
    std::printf("  paged read, complete posts  raw %10.0f rows/s (%.3f s)  ratio %.2fx raw\n",
                n / raw.readComplete, raw.readComplete, raw.readComplete / cached.read);
    std::printf("  expire          raw %10.0f rows/s (%.3f s)  CvCache %10.0f rows/s (%.3f s)"
                "  ratio %.2fx raw\n",
                n / raw.expire, raw.expire, n / cached.expire, cached.expire,
                raw.expire / cached.expire);

    double newest = 0;
    double middle = 0;
    if (!pageTimes(dir.filePath(QStringLiteral("big.db")), big, &newest, &middle)) {
        std::fprintf(stderr, "page timing failed\n");
        return 1;
    }
    std::printf("  one page of %d from a feed of %d: newest %.3f ms, middle %.3f ms (median of "
                "41; target < 2 ms)\n",
                PageSize, big, newest, middle);
    return 0;
}
