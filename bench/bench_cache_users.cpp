// Writes and reads back N users who are all friends of one user, through CvCache and through the
// sqlite3 C API (one prepared statement per table, one transaction), and prints rows per second
// of both and their ratio. Usage: bench_cache_users [N] (default 20000).

#include "cvcache.h"
#include "cvcacheconfiguration.h"
#include "cvuser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "rawsqlite.h"

#include <algorithm>
#include <cstdio>

using namespace Cv;

namespace {

constexpr int Repetitions = 3;

CvUser makeUser(int i)
{
    const QString n = QString::number(i);
    CvUser u(QStringLiteral("10000%1").arg(i),
             QStringLiteral("Friend %1").arg(i, 6, 10, QLatin1Char('0')));
    u.setFirstName(QStringLiteral("First") + n);
    u.setLastName(QStringLiteral("Last") + n);
    u.setLink(QStringLiteral("https://example.invalid/profile/") + n);
    u.setAbout(QStringLiteral("About text of user ") + n);
    u.setBirthday(QStringLiteral("%1/%2/19%3")
                      .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                      .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                      .arg(i % 90 + 10));
    u.setEmail(QStringLiteral("user%1@example.invalid").arg(i));
    u.setWebsite(QStringLiteral("https://site.invalid/") + n);
    u.setHometown(QStringLiteral("Hometown"));
    u.setLocation(QStringLiteral("Location"));
    u.setBio(QStringLiteral("Biography of user ") + n);
    u.setGender(i % 2 ? QStringLiteral("female") : QStringLiteral("male"));
    u.setInterestedIn(QStringLiteral("interests"));
    u.setMeetingFor(QStringLiteral("friendship"));
    u.setRelationshipStatus(QStringLiteral("Single"));
    u.setReligion(QStringLiteral("religion"));
    u.setPolitical(QStringLiteral("political"));
    u.setTimezone(i % 24 - 12);
    u.setPicture(QStringLiteral("https://pictures.invalid/") + n + QStringLiteral("_q.jpg"));
    u.setMobilePhone(QStringLiteral("+1 555 ") + n);
    u.setLocale(QStringLiteral("en_US"));
    return u;
}

struct Timing
{
    double write = 0; // seconds
    double read = 0;
    int rowsRead = 0;
};

// The raw baseline: the same schema of the two tables, the same pragmas, the same rows.
bool rawRun(const QString &file, const CvUser &me, const CvUsers &friends, Timing *t)
{
    sqlite3 *db = nullptr;
    if (!check(db, sqlite3_open(file.toUtf8().constData(), &db), "open"))
        return false;
    const char *setup[] = {
        "PRAGMA synchronous = OFF", "PRAGMA foreign_keys = ON",
        "CREATE TABLE users (id TEXT NOT NULL, first_name TEXT, last_name TEXT, name TEXT, "
        "link TEXT, about TEXT, birthday TEXT, email TEXT, website TEXT, hometown TEXT, "
        "location TEXT, bio TEXT, gender TEXT, interested_in TEXT, meeting_for TEXT, "
        "relationship_status TEXT, religion TEXT, political TEXT, significant_other TEXT, "
        "timezone INT, picture TEXT, mobile_phone TEXT, locale TEXT, PRIMARY KEY (id))",
        "CREATE TABLE friendships (user TEXT NOT NULL, friend TEXT NOT NULL, "
        "PRIMARY KEY (user, friend), CONSTRAINT fk_user FOREIGN KEY (user) REFERENCES users (id) "
        "ON DELETE CASCADE, CONSTRAINT fk_friend FOREIGN KEY (friend) REFERENCES users (id) "
        "ON DELETE CASCADE)"};
    for (const char *sql : setup) {
        if (!check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), "setup"))
            return false;
    }

    sqlite3_stmt *insertUser = nullptr;
    sqlite3_stmt *insertFriend = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO users VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, ?, ?, ?)",
                       -1, &insertUser, nullptr);
    sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO friendships VALUES (?, ?)", -1, &insertFriend,
                       nullptr);

    const auto bindText = [](sqlite3_stmt *s, int i, const QString &v) {
        if (v.isNull()) {
            sqlite3_bind_null(s, i);
        } else {
            const QByteArray b = v.toUtf8();
            sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
    };
    const auto insert = [&](const CvUser &u) {
        const QString texts[]
            = {u.id(),       u.firstName(),    u.lastName(),           u.name(),
               u.link(),     u.about(),        u.birthday(),           u.email(),
               u.website(),  u.hometown(),     u.location(),           u.bio(),
               u.gender(),   u.interestedIn(), u.meetingFor(),         u.relationshipStatus(),
               u.religion(), u.political(),    u.significantOther().id};
        int i = 1;
        for (const QString &v : texts)
            bindText(insertUser, i++, v);
        sqlite3_bind_int(insertUser, i++, u.timezone());
        bindText(insertUser, i++, u.picture());
        bindText(insertUser, i++, u.mobilePhone());
        bindText(insertUser, i++, u.locale());
        const bool ok = check(db, sqlite3_step(insertUser), "insert user");
        sqlite3_reset(insertUser);
        return ok;
    };
    const auto friendship = [&](const QString &a, const QString &b) {
        bindText(insertFriend, 1, a);
        bindText(insertFriend, 2, b);
        const bool ok = check(db, sqlite3_step(insertFriend), "insert friendship");
        sqlite3_reset(insertFriend);
        return ok;
    };

    bool ok = insert(me);
    QElapsedTimer timer;
    timer.start();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const CvUser &f : friends) {
        ok = ok && insert(f) && friendship(me.id(), f.id()) && friendship(f.id(), me.id());
    }
    ok = ok && check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    t->write = timer.nsecsElapsed() / 1e9;
    sqlite3_finalize(insertUser);
    sqlite3_finalize(insertFriend);

    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT * FROM users INNER JOIN (SELECT friend FROM friendships WHERE user "
                       "= ?) ON id = friend ORDER BY name ASC LIMIT ?, ?",
                       -1, &select, nullptr);
    timer.restart();
    bindText(select, 1, me.id());
    sqlite3_bind_int(select, 2, -1);
    sqlite3_bind_int(select, 3, -1);
    CvUsers read;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const auto text = [&](int c) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(select, c)),
                                     sqlite3_column_bytes(select, c));
        };
        CvUser u(text(0), text(3));
        u.setFirstName(text(1));
        u.setLastName(text(2));
        u.setLink(text(4));
        u.setAbout(text(5));
        u.setBirthday(text(6));
        u.setEmail(text(7));
        u.setWebsite(text(8));
        u.setHometown(text(9));
        u.setLocation(text(10));
        u.setBio(text(11));
        u.setGender(text(12));
        u.setInterestedIn(text(13));
        u.setMeetingFor(text(14));
        u.setRelationshipStatus(text(15));
        u.setReligion(text(16));
        u.setPolitical(text(17));
        u.setTimezone(sqlite3_column_int(select, 19));
        u.setPicture(text(20));
        u.setMobilePhone(text(21));
        u.setLocale(text(22));
        read.append(u);
    }
    t->read = timer.nsecsElapsed() / 1e9;
    t->rowsRead = int(read.size());
    sqlite3_finalize(select);
    sqlite3_close(db);
    return ok;
}

bool cacheRun(const QString &dir, const CvUser &me, const CvUsers &friends, Timing *t,
              Timing *unchanged)
{
    CvCacheConfiguration config;
    config.setDatabaseName(dir + QStringLiteral("/cache.db"));
    config.setPath(dir + QStringLiteral("/files"));
    CvCache cache(config);
    if (!cache.init() || cache.updateUser(me) == CvCache::UpdateFailed)
        return false;
    QElapsedTimer timer;
    timer.start();
    if (!cache.updateFriends(me.id(), friends))
        return false;
    t->write = timer.nsecsElapsed() / 1e9;

    CvUsers read;
    timer.restart();
    if (!cache.getFriends(me.id(), &read))
        return false;
    t->read = timer.nsecsElapsed() / 1e9;
    t->rowsRead = int(read.size());

    // The same batch again: every user matches unchanged, only the friendship inserts run.
    timer.restart();
    if (!cache.updateFriends(me.id(), friends))
        return false;
    unchanged->write = timer.nsecsElapsed() / 1e9;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20000;

    const CvUser me(QStringLiteral("1"), QStringLiteral("Me"));
    CvUsers friends;
    friends.reserve(n);
    for (int i = 0; i < n; ++i)
        friends.append(makeUser(i));

    // Rows written per run: the users and both directions of each friendship.
    const double rowsWritten = 3.0 * n;
    Timing bestRaw {1e9, 1e9, 0}, bestCache {1e9, 1e9, 0}, bestUnchanged {1e9, 1e9, 0};
    for (int rep = 0; rep < Repetitions; ++rep) {
        QTemporaryDir dir;
        Timing raw, cache, unchanged;
        if (!rawRun(dir.filePath(QStringLiteral("raw.db")), me, friends, &raw)
            || !cacheRun(dir.path(), me, friends, &cache, &unchanged)) {
            std::fprintf(stderr, "run %d failed\n", rep);
            return 1;
        }
        if (raw.rowsRead != n || cache.rowsRead != n) {
            std::fprintf(stderr, "read back %d (raw) and %d (cache) of %d users\n", raw.rowsRead,
                         cache.rowsRead, n);
            return 1;
        }
        bestRaw.write = std::min(bestRaw.write, raw.write);
        bestRaw.read = std::min(bestRaw.read, raw.read);
        bestCache.write = std::min(bestCache.write, cache.write);
        bestCache.read = std::min(bestCache.read, cache.read);
        bestUnchanged.write = std::min(bestUnchanged.write, unchanged.write);
    }

    std::printf("bench_cache_users: %d users, %d friendship rows, best of %d runs\n", n, 2 * n,
                Repetitions);
    std::printf("  write  raw sqlite3   %10.0f rows/s  (%.3f s)\n", rowsWritten / bestRaw.write,
                bestRaw.write);
    std::printf("  write  CvCache       %10.0f rows/s  (%.3f s)  ratio %.2fx raw\n",
                rowsWritten / bestCache.write, bestCache.write, bestRaw.write / bestCache.write);
    std::printf("  rewrite unchanged    %10.0f rows/s  (%.3f s)  ratio %.2fx raw write\n",
                rowsWritten / bestUnchanged.write, bestUnchanged.write,
                bestRaw.write / bestUnchanged.write);
    std::printf("  read   raw sqlite3   %10.0f rows/s  (%.3f s)\n", n / bestRaw.read, bestRaw.read);
    std::printf("  read   CvCache       %10.0f rows/s  (%.3f s)  ratio %.2fx raw\n",
                n / bestCache.read, bestCache.read, bestRaw.read / bestCache.read);
    return 0;
}
