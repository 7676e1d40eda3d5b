#include "cachetestutil.h"

#include "cvattachment.h"
#include "cvlinkinfo.h"
#include "cvmessage.h"
#include "cvphoto.h"
#include "cvthread.h"

using namespace Cv;

namespace {

CvThread makeThread(const QString &id, const QDateTime &updated)
{
    CvThread t(id, CvUserRef(s("ann"), s("Ann")));
    t.setTo({CvUserRef(s("ann"), s("Ann")), CvUserRef(s("bob"), s("Bob"))});
    t.setSenders({CvUserRef(s("bob"), s("Bob"))});
    t.setSubject(s("Subject ") + id);
    t.setSnippet(s("snip ✓"));
    t.setMessageCount(4);
    t.setUnread(1);
    t.setUpdatedTime(updated);
    return t;
}

CvMessage message(const QString &id, const QDateTime &sent)
{
    CvMessage m(id, CvUserRef(s("bob"), s("Bob")));
    m.setContent(s("body ") + id);
    m.setCreated(sent);
    m.setUpdated(sent);
    return m;
}

// The link attachment stored on m1.
CvAttachment link()
{
    CvAttachment a(s("m1"), s("link"));
    a.setLinkInfo(CvLinkInfo(s("https://l.invalid/x"), s("Name"), s("Cap"), s("Desc")));
    return a;
}

} // namespace

class tst_CvCacheThreads : public CacheFixture
{
    Q_OBJECT

private slots:
    void init();
    void threadInTwoBoxes();
    void threadUpdateKeepsLinks();
    void threadsWindow_data();
    void threadsWindow();
    void threadExpiryAndBatchRemoval();
    void batchRollsBack_data();
    void batchRollsBack();
    void messages_data();
    void messages();
    void messageWritesAndRemoval();
    void attachments();
};

// Threads link their senders, messages their authors: both must be stored.
void tst_CvCacheThreads::init()
{
    openWith({CvUser(s("me"), s("Me")), CvUser(s("bob"), s("Bob"))});
}

void tst_CvCacheThreads::threadInTwoBoxes()
{
    const CvThread t = makeThread(s("a_b"), day(3));
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxInbox, {t}));
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxSent, {t}));
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxSent, {t}));
    QCOMPARE(strings("SELECT id FROM threads ORDER BY id"), (QStringList {s("a_b_0"), s("a_b_2")}));
    reopen();
    CvThread read;
    QVERIFY(m_cache->getThread(s("me"), s("a_b"), MessageBoxSent, &read));
    QCOMPARE(read, t);
    QVERIFY(!m_cache->getThread(s("me"), s("a_b"), MessageBoxSpam, &read));
    QCOMPARE(m_cache->lastError(), CvCache::ItemNotFound);
    QVERIFY(!m_cache->getThread(s("you"), s("a_b"), MessageBoxInbox, &read));

    // The messages go with the last box that holds the thread.
    QVERIFY(m_cache->updateMessages(s("a_b"), {message(s("m1"), day(1))}));
    QVERIFY(m_cache->removeThread(s("me"), s("a_b"), MessageBoxInbox));
    QCOMPARE(rows("messages"), 1);
    QVERIFY(m_cache->removeThread(s("me"), s("a_b"), MessageBoxSent));
    for (const char *table : {"messages", "threads", "thread_participants", "thread_senders"})
        QVERIFY2(rows(table) == 0, table);
}

void tst_CvCacheThreads::threadUpdateKeepsLinks()
{
    CvThread t = makeThread(s("t1"), day(3));
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxInbox, {t}));
    t.setSnippet(s("new"));
    t.setTo({CvUserRef(s("cid"), s("Cid"))});
    t.setSenders({});
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxInbox, {t}));
    CvThread read;
    QVERIFY(m_cache->getThread(s("me"), s("t1"), MessageBoxInbox, &read));
    QCOMPARE(read.snippet(), s("new"));
    QStringList to = ids(read.to());
    to.sort();
    QCOMPARE(to, (QStringList {s("ann"), s("bob"), s("cid")}));
    QCOMPARE(read.senders(), (CvUserRefs {CvUserRef(s("bob"), s("Bob"))}));
}

void tst_CvCacheThreads::threadsWindow_data()
{
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QStringList>("expected");
    // t1..t12 updated on day 1..12, tn never.
    QStringList all;
    for (int d = 12; d >= 1; --d)
        all << s("t%1").arg(d);
    const QDateTime none;
    QTest::newRow("all, untimed last") << window(none, none) << (all + QStringList {s("tn")});
    QTest::newRow("first ten") << window(none, none, 0, 10) << all.mid(0, 10);
    QTest::newRow("rest") << window(none, none, 10, 10) << QStringList {s("t2"), s("t1"), s("tn")};
    QTest::newRow("bounds included")
        << window(day(3), day(5)) << QStringList {s("t5"), s("t4"), s("t3"), s("tn")};
    QTest::newRow("bounds just missed")
        << window(day(3).addSecs(1), day(5).addSecs(-1)) << QStringList {s("t4"), s("tn")};
}

void tst_CvCacheThreads::threadsWindow()
{
    QFETCH(CvDataFilter, filter);
    QFETCH(QStringList, expected);
    CvThreads threads;
    for (int d : {5, 1, 12, 3, 8, 2, 10, 4, 6, 11, 7, 9})
        threads << makeThread(s("t%1").arg(d), day(d));
    threads << makeThread(s("tn"), QDateTime());
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxInbox, threads));
    QVERIFY(m_cache->updateThreads(s("me"), MessageBoxSent, {makeThread(s("s1"), day(4))}));

    CvThreads read {makeThread(s("junk"), day(1))};
    QVERIFY(m_cache->getThreads(s("me"), MessageBoxInbox, &read, filter));
    QCOMPARE(ids(read), expected);
}

void tst_CvCacheThreads::threadExpiryAndBatchRemoval()
{
    QVERIFY(
        m_cache->updateThreads(s("me"), MessageBoxInbox,
                               {makeThread(s("old"), day(1)), makeThread(s("new"), day(9)),
                                makeThread(s("never"), QDateTime()), makeThread(s("x"), day(9))}));
    QVERIFY(m_cache->updateMessages(s("old"), {message(s("m1"), day(1))}));
    QVERIFY(!m_cache->removeThreads(QDateTime()));
    QVERIFY(m_cache->removeThreads(day(5)));
    QVERIFY(m_cache->removeThreads(s("me"), MessageBoxInbox, {makeThread(s("x"), day(9))}));
    CvThreads read;
    QVERIFY(m_cache->getThreads(s("me"), MessageBoxInbox, &read));
    QCOMPARE(ids(read), QStringList {s("new")});
    QCOMPARE(strings("SELECT DISTINCT thread_id FROM thread_participants"),
             QStringList {s("new_0")});
    QCOMPARE(rows("messages"), 1);
}

void tst_CvCacheThreads::batchRollsBack_data()
{
    QTest::addColumn<CacheCall>("call");
    CvThreads threads {makeThread(s("t1"), day(1)), makeThread(s("t2"), day(2)),
                       makeThread(s("t3"), day(3))};
    // A sender is linked, not written: one that is not stored fails the batch.
    threads[1].setSenders({CvUserRef(s("stranger"), s("S"))});
    QTest::newRow("thread sender not stored") << CacheCall(
        [threads](CvCache &c) { return c.updateThreads(s("me"), MessageBoxInbox, threads); });
    QTest::newRow("message author not stored") << CacheCall([](CvCache &c) {
        return c.updateMessages(
            s("t1"), {message(s("m5"), day(5)), CvMessage(s("m6"), CvUserRef(s("nobody"), {}))});
    });
    // The first item would replace the stored attachment of m1.
    QTest::newRow("attachment without its message") << CacheCall([](CvCache &c) {
        return c.updateAttachments(
            s("t1"), {CvAttachment(s("m1"), s("video")), CvAttachment(s("m9"), s("video"))});
    });
}

void tst_CvCacheThreads::batchRollsBack()
{
    QFETCH(CacheCall, call);
    QVERIFY(m_cache->updateMessages(s("t1"), {message(s("m1"), day(1))}));
    QVERIFY(m_cache->updateAttachments(s("t1"), {link()}));
    expectRollback(call);
}

void tst_CvCacheThreads::messages_data()
{
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<QStringList>("expected");
    const QDateTime none;
    QTest::newRow("all newest first, untimed never")
        << window(none, none) << QStringList {s("m4"), s("m3"), s("m2"), s("m1")};
    QTest::newRow("bounds included") << window(day(2), day(3)) << QStringList {s("m3"), s("m2")};
    QTest::newRow("paged") << window(none, none, 1, 2) << QStringList {s("m3"), s("m2")};
}

void tst_CvCacheThreads::messages()
{
    QFETCH(CvDataFilter, filter);
    QFETCH(QStringList, expected);
    CvMessages list;
    for (int d : {3, 1, 4, 2})
        list << message(s("m%1").arg(d), day(d));
    list << message(s("mx"), QDateTime());
    QVERIFY(m_cache->updateMessages(s("t1"), list));
    QVERIFY(m_cache->updateMessages(s("t2"), {message(s("m9"), day(2))}));

    CvMessages read;
    QVERIFY(m_cache->getMessages(s("t1"), &read, filter));
    QCOMPARE(ids(read), expected);
}

void tst_CvCacheThreads::messageWritesAndRemoval()
{
    CvMessages list {message(s("m1"), day(1)), message(s("m2"), day(2)),
                     message(s("mx"), QDateTime())};
    QVERIFY(m_cache->updateMessages(s("t1"), list));
    list[0].setContent(s("edited"));
    QVERIFY(m_cache->updateMessages(s("t1"), list));
    CvMessage read;
    QVERIFY(m_cache->getMessage(s("t1"), s("m1"), &read));
    QCOMPARE(read, list.at(0));

    QVERIFY(m_cache->updateAttachments(s("t1"), {CvAttachment(s("m2"), s("video"))}));
    QVERIFY(m_cache->removeMessage(s("t1"), s("m1")));
    QVERIFY(m_cache->removeMessages(s("t1")));
    // Only the message without a time survives; the attachment went with its message.
    QCOMPARE(strings("SELECT id FROM messages"), QStringList {s("mx")});
    QCOMPARE(rows("attachments"), 0);
}

void tst_CvCacheThreads::attachments()
{
    QVERIFY(m_cache->updateMessages(
        s("t1"), {message(s("m1"), day(1)), message(s("m2"), day(2)), message(s("m3"), day(3))}));
    CvPhoto video(s("v1"));
    video.setPicture(s("https://pic.invalid/v1"));
    CvAttachment clip(s("m2"), s("video"));
    clip.setPhoto(video);
    CvPhoto picture(s("ph1"));
    picture.setPicture(s("https://pic.invalid/ph1"));
    picture.setName(s("Photo"));
    CvAttachment photo(s("m3"), s("photo"));
    photo.setPhoto(picture);
    QVERIFY(m_cache->updateAttachments(s("t1"), {link(), clip, photo}));
    reopen();

    // A video keeps no picture.
    CvAttachments read;
    QVERIFY(m_cache->getAttachments(s("t1"), &read));
    QCOMPARE(read, (CvAttachments {photo, CvAttachment(s("m2"), s("video")), link()}));

    // A different attachment replaces the stored one of its message.
    CvAttachment other(s("m1"), s("link"));
    other.setLinkInfo(CvLinkInfo(s("https://l.invalid/y"), s("Y"), {}, {}));
    QVERIFY(m_cache->updateAttachments(s("t1"), {other}));
    CvAttachment one;
    QVERIFY(m_cache->getAttachment(s("t1"), s("m1"), &one));
    QCOMPARE(one, other);
    QVERIFY(!m_cache->getAttachment(s("t1"), s("m9"), &one));
    QCOMPARE(m_cache->lastError(), CvCache::ItemNotFound);
}

QTEST_GUILESS_MAIN(tst_CvCacheThreads)
#include "tst_cvcache_threads.moc"
