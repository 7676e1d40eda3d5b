#include "cvdatafilter.h"

#include <QtTest>

using namespace Cv;

class TestCvDataFilter : public QObject
{
    Q_OBJECT

private:
    static CvDataFilter fullFilter()
    {
        const QDateTime t(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
        CvDataFilter f(QStringLiteral("42"), 10, 20, t, t.addDays(-1),
                       {QStringLiteral("first_name")}, QStringLiteral("de_DE"));
        f.params.insert(QStringLiteral("type"), QStringLiteral("large"));
        return f;
    }

private slots:
    void constructors()
    {
        const CvDataFilter def;
        QVERIFY(def.isEmpty());
        QVERIFY(!def.isValid());
        QCOMPARE(def.limit, -1);
        QCOMPARE(def.offset, -1);
        QVERIFY(def.until.isNull());
        QVERIFY(def.locale.isNull());

        const CvDataFilter me(QStringLiteral("me"));
        QVERIFY(!me.isEmpty());
        QVERIFY(me.isValid());
        QCOMPARE(me.limit, -1);

        const CvDataFilter f = fullFilter();
        QCOMPARE(f.limit, 10);
        QCOMPARE(f.offset, 20);
        QCOMPARE(f.since, QDateTime(QDate(2026, 2, 28), QTime(12, 0), Qt::UTC));
        QCOMPARE(f.locale, QStringLiteral("de_DE"));
    }

    void clear()
    {
        CvDataFilter f = fullFilter();
        f.clear();
        QVERIFY(f.isEmpty());
        QCOMPARE(f, CvDataFilter());
        QVERIFY(f.id.isNull());
        QVERIFY(f.locale.isNull());
        QVERIFY(f.params.isEmpty());
        QVERIFY(f.until.isNull() && f.since.isNull());
    }

    void isEmpty_data()
    {
        QTest::addColumn<CvDataFilter>("filter");
        QTest::addColumn<bool>("empty");

        CvDataFilter f;
        QTest::newRow("default") << f << true;
        f.limit = -5;
        f.offset = -2;
        QTest::newRow("negative limit and offset") << f << true;
        f = CvDataFilter();
        f.limit = 0;
        QTest::newRow("limit 0") << f << false;
        f = CvDataFilter();
        f.offset = 0;
        QTest::newRow("offset 0") << f << false;
        f = CvDataFilter();
        f.until = QDateTime::currentDateTimeUtc();
        QTest::newRow("until") << f << false;
        f = CvDataFilter();
        f.since = QDateTime::currentDateTimeUtc();
        QTest::newRow("since") << f << false;
        f = CvDataFilter();
        f.fields.insert(QStringLiteral("id"));
        QTest::newRow("fields") << f << false;
        f = CvDataFilter();
        f.locale = QStringLiteral("");
        QTest::newRow("empty locale") << f << true;
        f.locale = QStringLiteral("fi");
        QTest::newRow("locale") << f << false;
        f = CvDataFilter();
        f.params.insert(QStringLiteral("a"), QString());
        QTest::newRow("only params") << f << false;
    }

    void isEmpty()
    {
        QFETCH(CvDataFilter, filter);
        QFETCH(bool, empty);
        QCOMPARE(filter.isEmpty(), empty);
    }

    void isValid_data()
    {
        QTest::addColumn<CvDataFilter>("filter");
        QTest::addColumn<bool>("valid");

        const QDateTime invalid(QDate(2026, 2, 30), QTime(1, 0));
        QVERIFY(!invalid.isNull() && !invalid.isValid());

        CvDataFilter f = fullFilter();
        QTest::newRow("full") << f << true;
        f.id.clear();
        QTest::newRow("full without id") << f << false;
        f = CvDataFilter(QStringLiteral("me"));
        f.until = invalid;
        QTest::newRow("invalid until") << f << false;
        f = CvDataFilter(QStringLiteral("me"));
        f.since = invalid;
        QTest::newRow("invalid since") << f << false;
        f = CvDataFilter(QStringLiteral("me"), -7, -3, QDateTime(), QDateTime(), {}, QString());
        QTest::newRow("id, negative numbers") << f << true;
    }

    void isValid()
    {
        QFETCH(CvDataFilter, filter);
        QFETCH(bool, valid);
        QCOMPARE(filter.isValid(), valid);
    }

    void equality_data()
    {
        QTest::addColumn<CvDataFilter>("a");
        QTest::addColumn<CvDataFilter>("b");
        QTest::addColumn<bool>("equal");

        const CvDataFilter base = fullFilter();
        CvDataFilter f = base;
        QTest::newRow("copy") << base << f << true;
        f.since = base.since.addMSecs(500);
        QTest::newRow("since +500 ms") << base << f << true;
        f = base;
        f.until = base.until.addSecs(1);
        QTest::newRow("until +1 s") << base << f << false;
        f = base;
        f.params.insert(QStringLiteral("extra"), QStringLiteral("1"));
        QTest::newRow("extra param") << base << f << false;
        f = base;
        f.params[QStringLiteral("type")] = QStringLiteral("small");
        QTest::newRow("param value") << base << f << false;
        f = base;
        f.fields.insert(QStringLiteral("last_name"));
        QTest::newRow("fields") << base << f << false;
        f = base;
        f.limit = 11;
        QTest::newRow("limit") << base << f << false;
        f = base;
        f.offset = 0;
        QTest::newRow("offset") << base << f << false;
        f = base;
        f.locale = QStringLiteral("de_AT");
        QTest::newRow("locale") << base << f << false;
        f = base;
        f.id = QStringLiteral("43");
        QTest::newRow("id") << base << f << false;

        CvDataFilter nullStrings;
        CvDataFilter emptyStrings;
        emptyStrings.id = QStringLiteral("");
        emptyStrings.locale = QStringLiteral("");
        QTest::newRow("null vs empty strings") << nullStrings << emptyStrings << true;
        CvDataFilter invalidDate;
        invalidDate.until = QDateTime(QDate(2026, 2, 30), QTime(1, 0));
        QTest::newRow("null vs invalid date") << nullStrings << invalidDate << true;
    }

    void equality()
    {
        QFETCH(CvDataFilter, a);
        QFETCH(CvDataFilter, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
        QCOMPARE(b == a, equal);
        QCOMPARE(a != b, !equal);
    }

    void metaType()
    {
        const QVariant v = QVariant::fromValue(fullFilter());
        QCOMPARE(v.value<CvDataFilter>(), fullFilter());
    }
};

QTEST_GUILESS_MAIN(TestCvDataFilter)
#include "tst_cvdatafilter.moc"
