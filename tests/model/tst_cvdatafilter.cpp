#include "cvdatafilter.h"

#include <QtTest>

using namespace Cv;

namespace {

// A copy of base changed by change.
template<typename Change>
CvDataFilter changed(Change change, CvDataFilter base = CvDataFilter())
{
    change(base);
    return base;
}

} // namespace

class tst_CvDataFilter : public QObject
{
    Q_OBJECT

private:
    static CvDataFilter fullFilter();

private slots:
    void constructorsAndClear();
    void emptyAndValid_data();
    void emptyAndValid();
    void equality_data();
    void equality();
};

CvDataFilter tst_CvDataFilter::fullFilter()
{
    const QDateTime t(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    CvDataFilter f(QStringLiteral("42"), 10, 20, t, t.addDays(-1), {QStringLiteral("first_name")},
                   QStringLiteral("de_DE"));
    f.params.insert(QStringLiteral("type"), QStringLiteral("large"));
    return f;
}

void tst_CvDataFilter::constructorsAndClear()
{
    const CvDataFilter def;
    QCOMPARE((QList<int> {def.limit, def.offset}), (QList<int> {-1, -1}));
    QVERIFY(def.until.isNull() && def.locale.isNull());
    QCOMPARE(CvDataFilter(QStringLiteral("me")).limit, -1);

    CvDataFilter f = fullFilter();
    QCOMPARE((QList<int> {f.limit, f.offset}), (QList<int> {10, 20}));
    QCOMPARE(f.since, QDateTime(QDate(2026, 2, 28), QTime(12, 0), Qt::UTC));
    QCOMPARE(f.locale, QStringLiteral("de_DE"));

    f.clear();
    QCOMPARE(f, CvDataFilter());
    QVERIFY(f.id.isNull() && f.locale.isNull() && f.params.isEmpty());
    QVERIFY(f.until.isNull() && f.since.isNull());
}

void tst_CvDataFilter::emptyAndValid_data()
{
    QTest::addColumn<CvDataFilter>("filter");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<bool>("valid");

    // Without an id no filter is valid.
    using F = CvDataFilter &;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime invalid(QDate(2026, 2, 30), QTime(1, 0));
    QVERIFY(!invalid.isNull() && !invalid.isValid());
    QTest::newRow("default") << CvDataFilter() << true << false;
    QTest::newRow("negative limit and offset")
        << changed([](F f) { f.limit = -5, f.offset = -2; }) << true << false;
    QTest::newRow("limit 0") << changed([](F f) { f.limit = 0; }) << false << false;
    QTest::newRow("offset 0") << changed([](F f) { f.offset = 0; }) << false << false;
    QTest::newRow("until") << changed([&](F f) { f.until = now; }) << false << false;
    QTest::newRow("since") << changed([&](F f) { f.since = now; }) << false << false;
    QTest::newRow("fields") << changed([](F f) { f.fields.insert(QStringLiteral("id")); }) << false
                            << false;
    QTest::newRow("empty locale") << changed([](F f) { f.locale = QStringLiteral(""); }) << true
                                  << false;
    QTest::newRow("locale") << changed([](F f) { f.locale = QStringLiteral("fi"); }) << false
                            << false;
    QTest::newRow("only params") << changed([](F f) {
        f.params.insert(QStringLiteral("a"), QString());
    }) << false << false;
    QTest::newRow("full") << fullFilter() << false << true;
    QTest::newRow("full without id")
        << changed([](F f) { f.id.clear(); }, fullFilter()) << false << false;
    const CvDataFilter me(QStringLiteral("me"));
    QTest::newRow("id only") << me << false << true;
    QTest::newRow("invalid until")
        << changed([&](F f) { f.until = invalid; }, me) << false << false;
    QTest::newRow("invalid since")
        << changed([&](F f) { f.since = invalid; }, me) << false << false;
    QTest::newRow("id, negative numbers")
        << CvDataFilter(QStringLiteral("me"), -7, -3, QDateTime(), QDateTime(), {}, QString())
        << false << true;
}

void tst_CvDataFilter::emptyAndValid()
{
    QFETCH(CvDataFilter, filter);
    QFETCH(bool, empty);
    QFETCH(bool, valid);
    QCOMPARE(filter.isEmpty(), empty);
    QCOMPARE(filter.isValid(), valid);
}

void tst_CvDataFilter::equality_data()
{
    QTest::addColumn<CvDataFilter>("a");
    QTest::addColumn<CvDataFilter>("b");
    QTest::addColumn<bool>("equal");

    using F = CvDataFilter &;
    const CvDataFilter base = fullFilter();
    const auto row = [&base](const char *name, bool equal, auto change) {
        QTest::newRow(name) << base << changed(change, base) << equal;
    };
    row("copy", true, [](F) {});
    row("since +500 ms", true, [](F f) { f.since = f.since.addMSecs(500); });
    row("until +1 s", false, [](F f) { f.until = f.until.addSecs(1); });
    row("extra param", false, [](F f) { f.params.insert(QStringLiteral("x"), QString()); });
    row("param value", false, [](F f) { f.params[QStringLiteral("type")] = QString(); });
    row("fields", false, [](F f) { f.fields.insert(QStringLiteral("last_name")); });
    row("limit", false, [](F f) { f.limit = 11; });
    row("offset", false, [](F f) { f.offset = 0; });
    row("locale", false, [](F f) { f.locale = QStringLiteral("de_AT"); });
    row("id", false, [](F f) { f.id = QStringLiteral("43"); });

    QTest::newRow("null vs empty strings")
        << CvDataFilter() << changed([](F f) { f.id = f.locale = QStringLiteral(""); }) << true;
    QTest::newRow("null vs invalid date")
        << CvDataFilter()
        << changed([](F f) { f.until = QDateTime(QDate(2026, 2, 30), QTime(1, 0)); }) << true;
}

void tst_CvDataFilter::equality()
{
    QFETCH(CvDataFilter, a);
    QFETCH(CvDataFilter, b);
    QFETCH(bool, equal);
    QCOMPARE(a == b, equal);
    QCOMPARE(b == a, equal);
    QCOMPARE(a != b, !equal);
}

QTEST_GUILESS_MAIN(tst_CvDataFilter)
#include "tst_cvdatafilter.moc"
