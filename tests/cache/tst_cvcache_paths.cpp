// The cache steps its frequent statements on SQLite's own handle when it can, and through QtSql
// otherwise (or when CV_CACHE_QTSQL is set). Both ways must leave the same rows, read the same
// values and record the same errors.

#include "cachetestutil.h"

#include "cvaction.h"
#include "cvlinkinfo.h"
#include "cvlogger.h"
#include "cvmessage.h"
#include "cvplace.h"
#include "cvpost.h"
#include "cvthread.h"

#include <QScopeGuard>

using namespace Cv;

namespace {

// Runs on a cache holding the users "me" and "bob"; appends what each step returned and read.
using Script = std::function<void(CvCache &, QStringList *)>;

CvPost post(const QString &id, const QDateTime &created)
{
    CvPost p(id, CvUserRef(s("sender"), s("Sam ✓")), created);
    p.setTo({CvUserRef(s("to1"), s("Tara"))});
    p.setMessage(s("Hello \"world\" ✓ ") + id);
    p.setLinkInfo(CvLinkInfo(s("https://l.invalid"), s("Link"), QString(), s("")));
    p.setLikes(7);
    p.setUpdated(created.isValid() ? created.addSecs(30) : QDateTime());
    p.setType(s("status"));
    p.setActions({CvAction(s("Like"), s("https://l.invalid/like"))});
    return p;
}

CvMessage message(const QString &id, const QString &author, const QDateTime &sent)
{
    CvMessage m(id, CvUserRef(author, QString()));
    m.setContent(s("body ✓ ") + id);
    m.setCreated(sent);
    m.setUpdated(sent);
    m.setLikes(2);
    m.setUserLikes(true);
    return m;
}

QString describe(const CvPost &p)
{
    return QStringList {p.id(),
                        p.from().id + p.from().name,
                        p.message(),
                        p.created().toString(Qt::ISODateWithMs),
                        p.updated().toString(Qt::ISODateWithMs),
                        QString::number(p.likes()),
                        p.type(),
                        ids(p.to()).join(QLatin1Char(',')),
                        p.linkInfo().link + p.linkInfo().caption,
                        QString::number(p.actions().size()),
                        p.place().id()}
        .join(QLatin1Char('|'));
}

QString describe(const CvMessage &m)
{
    return QStringList {m.id(),
                        m.from().id + m.from().name,
                        m.content(),
                        m.updated().toString(Qt::ISODateWithMs),
                        QString::number(m.likes()),
                        QString::number(m.userLikes())}
        .join(QLatin1Char('|'));
}

template<typename List>
QString describeAll(const List &items)
{
    QStringList lines;
    for (const auto &item : items)
        lines << describe(item);
    return lines.join(QLatin1Char('\n'));
}

// What a step returned and the error the cache holds after it.
void note(QStringList *out, const CvCache &cache, const char *step, bool ok)
{
    *out << s("%1: %2, error %3 %4")
                .arg(s(step), ok ? s("ok") : s("failed"))
                .arg(int(cache.lastError()))
                .arg(cache.lastErrorDescription());
}

} // namespace

Q_DECLARE_METATYPE(Script)

class tst_CvCachePaths : public CacheFixture
{
    Q_OBJECT

    // Runs \a script on a new cache, natively or through QtSql, and returns what it noted
    // followed by every row of the file.
    QStringList run(const Script &script, bool qtsql);

private slots:
    void sameResults_data();
    void sameResults();
};

QStringList tst_CvCachePaths::run(const Script &script, bool qtsql)
{
    if (qtsql)
        qputenv("CV_CACHE_QTSQL", "1");
    else
        qunsetenv("CV_CACHE_QTSQL");
    SetLoggingLevel(LogDebug);
    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(qtsql ? s("Cache statements go through QtSql")
                                                  : s("Cache statements step on SQLite")));
    openWith({CvUser(s("me"), s("Me")), CvUser(s("bob"), s("Bob"))});
    SetLoggingLevel(LogWarnings);
    QStringList out;
    script(*m_cache, &out);
    m_cache.reset();
    return out + Inspector(m_db).snapshot();
}

void tst_CvCachePaths::sameResults_data()
{
    QTest::addColumn<Script>("script");
    QTest::newRow("posts, feeds, round trip") << Script([](CvCache &c, QStringList *out) {
        CvPost placed = post(s("p2"), day(2));
        CvPlace where(s("pl1"));
        where.setName(s("Park"));
        placed.setPlace(where);
        const CvPosts posts {post(s("p1"), day(1)), placed, post(s("p3"), QDateTime())};
        note(out, c, "batch", c.updatePosts(s("me"), CvCache::NewsFeed, posts));
        CvPost changed = posts.at(0);
        changed.setMessage(s("changed"));
        note(out, c, "batch over stored", c.updatePosts(s("me"), CvCache::NewsFeed, {changed}));
        *out << QString::number(c.updatePost(s("me"), CvCache::ProfileFeed, placed));
        *out << QString::number(c.updatePost(s("me"), CvCache::NewsFeed, post(s("p4"), day(4))));
        note(out, c, "like", c.likePost(s("p2"), Like));
        CvPosts read;
        note(out, c, "feed", c.getPosts(s("me"), CvCache::NewsFeed, &read));
        *out << describeAll(read);
        note(out, c, "page",
             c.getPosts(s("me"), CvCache::NewsFeed, &read, window(day(1), day(3), -1, 1),
                        s("sta%")));
        *out << describeAll(read);
        CvPost one;
        note(out, c, "missing post", c.getPost(s("nope"), &one));
    });
    QTest::newRow("post batch failing on a tag") << Script([](CvCache &c, QStringList *out) {
        CvPost tagged = post(s("p2"), day(2));
        tagged.setWithTags({CvUserRef(s("ghost"), s("Ghost"))});
        note(out, c, "batch",
             c.updatePosts(s("me"), CvCache::NewsFeed, {post(s("p1"), day(1)), tagged}));
    });
    QTest::newRow("comments") << Script([](CvCache &c, QStringList *out) {
        note(out, c, "post", c.updatePosts(s("me"), CvCache::NewsFeed, {post(s("p1"), day(1))}));
        CvComments comments {message(s("c1"), s("bob"), day(2)),
                             message(s("c2"), s("new"), day(3))};
        note(out, c, "batch", c.updateComments(PostComments, s("p1"), comments));
        comments[0].setContent(s("edited"));
        note(out, c, "again", c.updateComments(PostComments, s("p1"), comments));
        CvComments read;
        note(out, c, "read", c.getComments(PostComments, s("p1"), &read, CvDataFilter()));
        *out << describeAll(read);
        note(out, c, "unknown target table",
             c.getComments(CommentTarget(7), s("p1"), &read, CvDataFilter()));
        note(out, c, "no sender",
             c.updateComments(PostComments, s("p1"), {CvMessage(s("c3"), {})}));
    });
    QTest::newRow("users and friends") << Script([](CvCache &c, QStringList *out) {
        CvUser full(s("u1"), s("Ann ✓"));
        full.setEmail(s("ann@example.invalid"));
        full.setTimezone(-5);
        note(out, c, "users", c.updateUsers({full, CvUser(s("u2"), s("Ben"))}));
        note(out, c, "friends",
             c.updateFriends(s("me"), {full, CvUser(s("u3"), QString())}, CvDataFilter()));
        CvUsers read;
        note(out, c, "read", c.getFriends(s("me"), &read, CvDataFilter()));
        for (const CvUser &u : read)
            *out << u.id() + u.name() + u.email() + QString::number(u.timezone());
        CvUser one;
        note(out, c, "by mail", c.getUser(s("ann@example.invalid"), &one, CvCache::ByEmail));
        note(out, c, "missing", c.getUser(s("nobody"), &one));
    });
    QTest::newRow("threads and messages") << Script([](CvCache &c, QStringList *out) {
        CvThread t(s("t1"), CvUserRef(s("bob"), s("Bob")));
        t.setTo({CvUserRef(s("bob"), s("Bob")), CvUserRef(s("cy"), s("Cy"))});
        t.setSenders({CvUserRef(s("bob"), s("Bob"))});
        t.setSubject(s("Hi ✓"));
        t.setUpdatedTime(day(3));
        note(out, c, "threads", c.updateThreads(s("me"), MessageBoxInbox, {t}));
        note(out, c, "messages",
             c.updateMessages(
                 s("t1"), {message(s("m1"), s("bob"), day(1)), message(s("m2"), s("me"), day(2))}));
        CvThreads threads;
        note(out, c, "thread page",
             c.getThreads(s("me"), MessageBoxInbox, &threads, window({}, {}, 0, 10)));
        for (const CvThread &read : threads)
            *out << read.id() + read.subject() + ids(read.to()).join(QLatin1Char(','));
        CvMessages messages;
        note(out, c, "message page", c.getMessages(s("t1"), &messages, window({}, {}, 0, 1)));
        *out << describeAll(messages);
        note(out, c, "unknown author",
             c.updateMessages(s("t1"), {message(s("m3"), s("ghost"), day(4))}));
    });
}

void tst_CvCachePaths::sameResults()
{
    QFETCH(Script, script);
    const QByteArray previous = qgetenv("CV_CACHE_QTSQL");
    const auto restore = qScopeGuard([&] {
        if (previous.isNull())
            qunsetenv("CV_CACHE_QTSQL");
        else
            qputenv("CV_CACHE_QTSQL", previous);
    });
    const QStringList native = run(script, false);
    const QStringList qtsql = run(script, true);
    QVERIFY(!native.isEmpty());
    QCOMPARE(native, qtsql);
}

QTEST_GUILESS_MAIN(tst_CvCachePaths)
#include "tst_cvcache_paths.moc"
