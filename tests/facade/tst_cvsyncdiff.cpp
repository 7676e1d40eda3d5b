#include "cvpost.h"
#include "cvuserref.h"
#include "facade/cvsyncdiff_p.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Cv;

namespace {

// The front-to-back search-and-remove walk that the hash-based diff must reproduce exactly.
template<typename T>
CvSyncDiff<T> referenceDiff(QList<T> fresh, QList<T> cached)
{
    CvSyncDiff<T> diff;
    const QList<T> snapshot = fresh;
    for (const T &item : snapshot) {
        if (searchAndRemove(cached, cvItemId(item))) {
            searchAndRemove(fresh, cvItemId(item));
            diff.updated.append(item);
        }
    }
    diff.added = fresh;
    diff.removed = cached;
    return diff;
}

// Refs carry their position in the name, so a wrong occurrence of a duplicate id shows.
CvUserRefs refs(const QString &idList)
{
    CvUserRefs out;
    int position = 0;
    for (const QString &id : idList.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append(CvUserRef(id, QString::number(position++)));
    return out;
}

QString text(const CvUserRefs &list)
{
    QStringList parts;
    for (const CvUserRef &ref : list)
        parts.append(ref.id + QLatin1Char('#') + ref.name);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class tst_CvSyncDiff : public QObject
{
    Q_OBJECT

private slots:
    void table_data();
    void table();
    void matchesReferenceWalk();
    void worksForPosts();
    void synchronize_data();
    void synchronize();
};

void tst_CvSyncDiff::table_data()
{
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("cached");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("updated");
    QTest::addColumn<QString>("removed");

    QTest::newRow("both empty") << ""
                                << ""
                                << ""
                                << ""
                                << "";
    QTest::newRow("friends X Y vs Y Z") << "Y Z"
                                        << "X Y"
                                        << "Z#1"
                                        << "Y#0"
                                        << "X#0";
    QTest::newRow("service empty") << ""
                                   << "X Y"
                                   << ""
                                   << ""
                                   << "X#0 Y#1";
    QTest::newRow("cache empty") << "A B"
                                 << ""
                                 << "A#0 B#1"
                                 << ""
                                 << "";
    QTest::newRow("order of fresh kept") << "C A B"
                                         << "B C"
                                         << "A#1"
                                         << "C#0 B#2"
                                         << "";
    QTest::newRow("duplicate fresh, one cached") << "A A"
                                                 << "A"
                                                 << "A#1"
                                                 << "A#0"
                                                 << "";
    QTest::newRow("one fresh, duplicate cached") << "A"
                                                 << "A A"
                                                 << ""
                                                 << "A#0"
                                                 << "A#1";
    QTest::newRow("duplicates both sides") << "A B A"
                                           << "A A B"
                                           << ""
                                           << "A#0 B#1 A#2"
                                           << "";
}

void tst_CvSyncDiff::table()
{
    QFETCH(QString, fresh);
    QFETCH(QString, cached);
    const CvSyncDiff<CvUserRef> diff = cvSyncDiff(refs(fresh), refs(cached));
    QTEST(text(diff.added), "added");
    QTEST(text(diff.updated), "updated");
    QTEST(text(diff.removed), "removed");
}

// Random lists with many repeated ids: the fast diff equals the reference walk exactly.
void tst_CvSyncDiff::matchesReferenceWalk()
{
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        const auto randomList = [&random] {
            QStringList ids;
            const int size = random.bounded(12);
            for (int i = 0; i < size; ++i)
                ids.append(QString(QChar(u'a' + random.bounded(5))));
            return refs(ids.join(QLatin1Char(' ')));
        };
        const CvUserRefs fresh = randomList();
        const CvUserRefs cached = randomList();
        const CvSyncDiff<CvUserRef> fast = cvSyncDiff(fresh, cached);
        const CvSyncDiff<CvUserRef> slow = referenceDiff(fresh, cached);
        QCOMPARE(text(fast.added), text(slow.added));
        QCOMPARE(text(fast.updated), text(slow.updated));
        QCOMPARE(text(fast.removed), text(slow.removed));
    }
}

// The same template serves value classes with an id() accessor.
void tst_CvSyncDiff::worksForPosts()
{
    const CvPosts fresh
        = {CvPost(QStringLiteral("p2"), CvUserRef()), CvPost(QStringLiteral("p3"), CvUserRef())};
    const CvPosts cached
        = {CvPost(QStringLiteral("p1"), CvUserRef()), CvPost(QStringLiteral("p2"), CvUserRef())};
    const CvSyncDiff<CvPost> diff = cvSyncDiff(fresh, cached);
    QCOMPARE(diff.added.size(), 1);
    QCOMPARE(diff.added.first().id(), QStringLiteral("p3"));
    QCOMPARE(diff.updated.first().id(), QStringLiteral("p2"));
    QCOMPARE(diff.removed.first().id(), QStringLiteral("p1"));
}

// Cached X, Y; the service lists Y, Z. The log shows the cache calls and the signal in order.
void tst_CvSyncDiff::synchronize_data()
{
    QTest::addColumn<bool>("always");
    QTest::addColumn<bool>("windowed");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("log");

    const QString all = QStringLiteral("write:Z write:Y remove:X emit:Z|Y|X");
    const QString kept = QStringLiteral("write:Z write:Y emit:Z|Y|");
    QTest::newRow("window") << false << true << true << QString() << true << all;
    QTest::newRow("no window") << false << false << true << QString() << true << kept;
    QTest::newRow("always") << true << false << true << QString() << true << all;
    QTest::newRow("page left") << true << true << false << QString() << true << kept;
    QTest::newRow("unreadable cache")
        << true << true << true << "read" << true << QStringLiteral("emit:Y Z||");
    QTest::newRow("write fails") << true << true << true << "write" << false
                                 << QStringLiteral("write:Z write:Y remove:X");
    QTest::newRow("removal fails")
        << true << true << true << "remove" << false << QStringLiteral("write:Z write:Y remove:X");
}

void tst_CvSyncDiff::synchronize()
{
    QFETCH(bool, always);
    QFETCH(bool, windowed);
    QFETCH(bool, complete);
    QFETCH(QString, failing);

    CvDataFilter filter;
    if (windowed)
        filter.until = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC);
    const auto names = [](const CvUserRefs &list) {
        QStringList out;
        for (const CvUserRef &ref : list)
            out.append(ref.id);
        return out.join(QLatin1Char(' '));
    };
    QStringList log;
    const CvSyncSteps<CvUserRef> steps {
        [&](CvUserRefs *cached) {
            *cached = refs(QStringLiteral("X Y"));
            return failing != QLatin1String("read");
        },
        [&](const CvUserRefs &items) {
            log.append(QStringLiteral("write:") + names(items));
            return failing != QLatin1String("write");
        },
        [&](const CvUserRefs &items) {
            log.append(QStringLiteral("remove:") + names(items));
            return failing != QLatin1String("remove");
        },
        [&](const CvUserRefs &added, const CvUserRefs &updated, const CvUserRefs &removed) {
            log.append(
                QStringLiteral("emit:%1|%2|%3").arg(names(added), names(updated), names(removed)));
        }};
    const bool mayRemove
        = cvMayRemove(always ? CvRemovalRule::Always : CvRemovalRule::Windowed, filter, complete);
    QTEST(cvSynchronize(refs(QStringLiteral("Y Z")), mayRemove, steps), "result");
    QTEST(log.join(QLatin1Char(' ')), "log");
}

QTEST_GUILESS_MAIN(tst_CvSyncDiff)
#include "tst_cvsyncdiff.moc"
