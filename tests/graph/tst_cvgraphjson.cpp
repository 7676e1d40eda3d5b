// The direct decoder against the QJsonDocument route it replaced: equal trees, node by node and
// type by type, apart from the deliberate corrections; the same refusals; the corrections.

#include "graph/cvgraphjson_p.h"
#include "jsontreediff.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QTest>

#include <charconv>
#include <cmath>
#include <cstring>

using namespace Cv;
using namespace Qt::StringLiterals;
using CvTest::jsonTreeDifference;

namespace {

// Decodes with both routes in both shapes; the roots must match and the shapes agree.
void compareRoutes(const QByteArray &json)
{
    QVariantMap map, referenceMap;
    QVariantList list, referenceList;
    QVERIFY(cvDecodeJsonWithQt(json, &referenceMap, &referenceList));
    QVERIFY(cvDecodeJson(json, &map, &list));
    QCOMPARE(jsonTreeDifference(map, referenceMap, u"map"_s), QString());
    QCOMPARE(jsonTreeDifference(list, referenceList, u"list"_s), QString());
}

QVariant decodeOne(const QByteArray &element)
{
    QVariantList list;
    if (!cvDecodeJson('[' + element + ']', nullptr, &list) || list.size() != 1)
        return u"refused"_s;
    return list.first();
}

// A random document: every value kind, names that recur, text with escapes and any code point.
class Generator
{
public:
    explicit Generator(quint32 seed)
        : m_random(seed)
    {
    }

    QByteArray value(int depth)
    {
        switch (m_random.bounded(depth > 6 ? 5 : 7)) {
        case 0:
            return string();
        case 1: {
            const qint64 magnitude = qint64(m_random.generate64() >> m_random.bounded(64));
            return QByteArray::number(m_random.bounded(2) ? -magnitude : magnitude);
        }
        case 2:
            return QByteArray::number(
                std::ldexp(m_random.generateDouble() - 0.5, int(m_random.bounded(-60, 60))), 'g',
                17);
        case 3:
            return m_random.bounded(2) ? "true" : "false";
        case 4:
            return "null";
        case 5: {
            QByteArray text = "[";
            for (int i = 0, n = int(m_random.bounded(5)); i < n; ++i)
                text += (i ? "," : "") + value(depth + 1);
            return text + ']';
        }
        default: {
            static const char *const names[]
                = {"\"id\"", "\"name\"", "\"data\"", "\"\\u00e9t\\u00e9\"", "\"\"", "\"a\\\"b\""};
            QByteArray text = "{";
            for (int i = 0, n = int(m_random.bounded(5)); i < n; ++i)
                text += (i ? ", " : " ") + QByteArray(names[m_random.bounded(6)]) + " : "
                    + value(depth + 1);
            return text + '}';
        }
        }
    }

private:
    QByteArray string()
    {
        QByteArray text = "\"";
        for (int i = 0, n = int(m_random.bounded(12)); i < n; ++i) {
            char32_t c = m_random.bounded(4) ? U'a' + m_random.bounded(26)
                                             : char32_t(m_random.bounded(0x110000));
            if (c >= 0xD800 && c < 0xE000)
                c = 0xFFFD;
            if (c < 0x20 || c == '"' || c == '\\' || m_random.bounded(8) == 0) {
                const QString utf16 = QString::fromUcs4(&c, 1);
                for (const QChar unit : utf16)
                    text += "\\u" + QByteArray::number(unit.unicode(), 16).rightJustified(4, '0');
            } else {
                text += QString::fromUcs4(&c, 1).toUtf8();
            }
        }
        return text + '"';
    }

    QRandomGenerator m_random;
};

QByteArray nested(int depth, const char *open, const char *inner, const char *close)
{
    return QByteArray(open).repeated(depth) + inner + QByteArray(close).repeated(depth);
}

} // namespace

class tst_CvGraphJson : public QObject
{
    Q_OBJECT

private slots:
    void replyFixtures_data();
    void replyFixtures();
    void generated_data();
    void generated();
    void randomDocuments();
    void numbersExact_data();
    void numbersExact();
    void corrections_data();
    void corrections();
    void refusedByBoth_data();
    void refusedByBoth();
    void strictOnly_data();
    void strictOnly();
    void recurringTextShared();
    void largePageTextIndependent();
};

void tst_CvGraphJson::replyFixtures_data()
{
    QTest::addColumn<QString>("path");
    QDirIterator files(QStringLiteral(CV_REPLY_FIXTURES), {u"*.json"_s}, QDir::Files,
                       QDirIterator::Subdirectories);
    int count = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        QTest::newRow(qPrintable(path.section(u'/', -2))) << path;
        ++count;
    }
    QVERIFY(count > 10);
}

void tst_CvGraphJson::replyFixtures()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    compareRoutes(file.readAll());
}

void tst_CvGraphJson::generated_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("deepest arrays") << nested(cvJsonNestingLimit, "[", "", "]");
    QTest::newRow("deepest objects") << nested(cvJsonNestingLimit, "{\"a\":", "1", "}");
    QTest::newRow("long string") << "[\"" + QByteArray("x\\n\\u00e9\xe2\x82\xac").repeated(40000)
            + "\"]";
    QTest::newRow("every escape") << QByteArray(
        R"(["\"\\\/\b\f\n\r\t\u0000\u001f\u00e9\u20ac\uFFFF"])");
    QTest::newRow("surrogate pairs") << QByteArray(R"({"e":"\ud83d\ude00 \uD834\uDD1E"})");
    QTest::newRow("raw multi-byte text") << QByteArray("[\"caf\xc3\xa9 \xf0\x9f\x98\x80\"]");
    QTest::newRow("duplicate names") << QByteArray(R"({"a":1,"b":2,"a":[3]})");
    QTest::newRow("integers at the edges")
        << QByteArray("[-0, 0, 9223372036854775807, -9223372036854775808, 9223372036854775808, "
                      "18446744073709551615, 100000123456789012]");
    QTest::newRow("doubles") << QByteArray(
        "[0.1, -0.0, 1e308, -1e308, 2.5e-308, 1E-2, 3.14159, 1e-320, 0e-400, -0.000e-999]");
    QTest::newRow("long mantissas")
        << QByteArray("[0.1234567890123456789012, -0.1747370955164073709551616, "
                      "0.00000000012345678901234567890123e-5, 12345678901234567890123.5]");
    QTest::newRow("whitespace everywhere")
        << QByteArray(" \t\r\n{ \"a\" : [ 1 , { } , [ ] , true , false , null ] } \n");
    QByteArray manyNames = "{";
    for (int i = 0; i < 1000; ++i)
        manyNames
            += (i ? ",\"" : "\"") + QByteArray::number(i * 7919) + "\":" + QByteArray::number(i);
    QTest::newRow("names that are data") << manyNames + '}';
    // A page large enough for short values to be shared, with ids that keep replacing them.
    const QByteArray values[] = {"\"\"",
                                 "\"a\"",
                                 "\"\\u0061\"",
                                 "\"caf\xc3\xa9\"",
                                 '"' + QByteArray(32, 'x') + '"',
                                 '"' + QByteArray(33, 'x') + '"',
                                 "\"tab\\there\"",
                                 "\"\\ud83d\\ude00\"",
                                 "\"" + QByteArray("caf\xc3\xa9 \\n ").repeated(60) + '"',
                                 '"' + QByteArray(600, 'y') + '"'};
    QByteArray page = "[";
    for (int i = 0; page.size() < 1200000; ++i)
        page += QByteArray(i ? "," : "") + "{\"v\":" + values[i % std::size(values)] + ",\"id\":\""
            + QByteArray::number(i * 7) + "\"}";
    QTest::newRow("large page of recurring values") << page + ']';
    QTest::newRow("null members") << QByteArray(R"({"a":null,"b":[null]})");
    // Text without a backslash is read in the reply itself, text with one is unescaped first.
    QTest::newRow("strings with and without escapes")
        << "[ \"\" ,\"plain\" , \"\\\\\",\"a\\\"\", \"\\u0041b\", \"caf\xc3\xa9 \xf0\x9f\x98\x80\" "
           ", \""
            + QByteArray(300, 'x') + "\", \"" + QByteArray(300, 'y') + "\\n\"\n]";
    QTest::newRow("names with and without escapes")
        << QByteArray("{\"k\" : \"v\", \"k\\u0031\":1 ,\"\" :\"\", \"\\\"\":2, \"\xc3\xa9\"\t:3}");
    // Numbers on both sides of the exact short conversion: 18 or 19 digits, a mantissa up to
    // or past 2^53, a power of ten up to or past 10^22.
    QTest::newRow("numbers at the edges of the short path")
        << QByteArray("[999999999999999999, -999999999999999999, 1000000000000000000, -0, 10, "
                      "1.5, -0.0, 0.1, 123456789012345.6, 9007199254740992e0, "
                      "9007199254740993e0, 9007199254740992.5, 1e22, 4.5e22, 1e23, 1e-22, "
                      "0.0000000000000000000001, 0.00000000000000000000001, 123e-24, 1E+2, "
                      "1e-0, 5e-324, 2.2250738585072011e-308, 7.0e0 , 0e22 ]");
    for (const char *scalar : {"true", "false", "null", "\"s\"", "-12", "2.5", " 7 "})
        QTest::addRow("scalar %s", scalar) << QByteArray(scalar);
}

void tst_CvGraphJson::generated()
{
    QFETCH(QByteArray, json);
    compareRoutes(json);
}

void tst_CvGraphJson::randomDocuments()
{
    for (quint32 seed = 1; seed <= 300; ++seed) {
        Generator generator(seed);
        const QByteArray json = generator.value(0);
        QVariantList list, referenceList;
        QVERIFY2(cvDecodeJsonWithQt('[' + json + ']', nullptr, &referenceList), json.constData());
        QVERIFY2(cvDecodeJson('[' + json + ']', nullptr, &list), json.constData());
        const QString d = jsonTreeDifference(list, referenceList, QString::number(seed));
        QVERIFY2(d.isEmpty(), qPrintable(d + u'\n' + QString::fromUtf8(json)));
    }

    // As one page large enough to be decoded the way large pages are.
    Generator generator(301);
    QByteArray page = "[";
    while (page.size() < 1500000)
        page += (page.size() > 1 ? "," : "") + generator.value(0);
    compareRoutes(page + ']');
}

void tst_CvGraphJson::numbersExact_data()
{
    QTest::addColumn<int>("maxIntegerDigits");
    QTest::addColumn<int>("maxFractionDigits");
    QTest::addColumn<int>("maxExponent");

    QTest::newRow("integers") << 20 << 0 << 0;
    QTest::newRow("decimals") << 10 << 12 << 0;
    QTest::newRow("leading zeros after the point") << 1 << 25 << 0;
    QTest::newRow("exponents") << 17 << 0 << 30;
    QTest::newRow("fractions and exponents") << 9 << 9 << 30;
}

// Every number, whichever way the decoder converts it, is the integer or the correctly rounded
// double that std::from_chars gives for the same token, bit for bit.
void tst_CvGraphJson::numbersExact()
{
    QFETCH(int, maxIntegerDigits);
    QFETCH(int, maxFractionDigits);
    QFETCH(int, maxExponent);
    QRandomGenerator random(uint(maxIntegerDigits * 10000 + maxFractionDigits * 100 + maxExponent));
    const auto digits = [&random](int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += char('0' + random.bounded(10));
        return text;
    };
    QList<QByteArray> tokens;
    for (int i = 0; i < 4000; ++i) {
        QByteArray token = random.bounded(2) ? "-" : "";
        QByteArray integer = digits(1 + int(random.bounded(maxIntegerDigits)));
        while (integer.size() > 1 && integer.startsWith('0'))
            integer.remove(0, 1);
        token += integer;
        if (maxFractionDigits)
            token += '.' + digits(1 + int(random.bounded(maxFractionDigits)));
        if (maxExponent)
            token += (random.bounded(2) ? "e" : "E")
                + QByteArray::number(random.bounded(-maxExponent, maxExponent + 1));
        tokens += token;
    }
    QVariantList list;
    QVERIFY(cvDecodeJson('[' + tokens.join(',') + ']', nullptr, &list));
    QCOMPARE(list.size(), tokens.size());
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QByteArray &token = tokens[i];
        const char *const end = token.constData() + token.size();
        qint64 integer = 0;
        const bool isInteger = !token.contains('.') && !token.contains('e') && !token.contains('E')
            && std::from_chars(token.constData(), end, integer).ec == std::errc();
        if (isInteger) {
            QVERIFY2(list[i].metaType() == QMetaType::fromType<qlonglong>(), token.constData());
            QVERIFY2(list[i].toLongLong() == integer, token.constData());
            continue;
        }
        double real = 0;
        QVERIFY(std::from_chars(token.constData(), end, real).ptr == end);
        QVERIFY2(list[i].metaType() == QMetaType::fromType<double>(), token.constData());
        const double got = list[i].toDouble();
        QVERIFY2(std::memcmp(&got, &real, sizeof real) == 0,
                 QByteArray(token + " became " + QByteArray::number(got, 'g', 17)).constData());
    }
}

void tst_CvGraphJson::corrections_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("null is invalid") << QByteArray("null") << QVariant();
    QTest::newRow("fraction") << QByteArray("1.0") << QVariant(1.0);
    QTest::newRow("exponent") << QByteArray("1e2") << QVariant(100.0);
    QTest::newRow("plain integer")
        << QByteArray("100000123456789012") << QVariant(100000123456789012LL);
    QTest::newRow("above 64 bits")
        << QByteArray("18446744073709551616") << QVariant(18446744073709551616.0);
    QTest::newRow("below 64 bits")
        << QByteArray("-9223372036854775809") << QVariant(-9223372036854775809.0);
    QTest::newRow("unsigned range")
        << QByteArray("9223372036854775808") << QVariant(9223372036854775808.0);
    // The Qt route drops U+FEFF at the start of a string written without escapes.
    QTest::newRow("leading U+FEFF kept") << QByteArray("\"\xEF\xBB\xBF\xEF\xBB\xBF"
                                                       "a\\n\"")
                                         << QVariant(u"\uFEFF\uFEFFa\n"_s);
    QTest::newRow("long text, leading U+FEFF kept")
        << "\"\xEF\xBB\xBF" + QByteArray(40, 'a') + '"' << QVariant(u'\uFEFF' + QString(40, u'a'));
}

void tst_CvGraphJson::corrections()
{
    QFETCH(QByteArray, element);
    QFETCH(QVariant, expected);
    const QVariant got = decodeOne(element);
    QCOMPARE(got.metaType(), expected.metaType());
    QCOMPARE(got, expected);

    // The same at the start of a page large enough to be decoded differently.
    QVariantList page;
    QVERIFY(cvDecodeJson('[' + element + QByteArray(",0").repeated(600000) + ']', nullptr, &page));
    QCOMPARE(page.first().metaType(), expected.metaType());
    QCOMPARE(page.first(), expected);
}

void tst_CvGraphJson::refusedByBoth_data()
{
    QTest::addColumn<QByteArray>("json");

    for (const char *text : {"",
                             " ",
                             "{'a':1}",
                             "{\"a\":1} x",
                             "[1] [2]",
                             "[1,]",
                             "1,2",
                             "[1 2]",
                             "{\"a\" 1}",
                             "{\"a\":1,}",
                             "{a:1}",
                             "[1,2}",
                             "{\"a\":1]",
                             "[",
                             "]",
                             "{\"a\":}",
                             "[\"abc]",
                             "01",
                             "[-]",
                             "+1",
                             "[NaN]",
                             "[Infinity]",
                             "[tru]",
                             "[nul]",
                             "[truex]",
                             "[1e400]",
                             "[\"\xff\"]",
                             "[\"\xc3\"]",
                             "[\"\xed\xa0\x80\"]"})
        QTest::addRow("%s", text) << QByteArray(text);
    // A literal at the top with more after it, and numbers beyond a double either way.
    for (const char *text : {"false2", "truex", "null0", " true\"x\"", "12a", "[1e-400]",
                             "[-4.5e-72035274]", "1e-99999999999"})
        QTest::addRow("%s", text) << QByteArray(text);
    // Values the decoder converts without simdjson's getters must still end where JSON says.
    for (const char *text :
         {"[\"a\":1]", "{\"a\":\"b\":1}", "[1:2]", "{\"a\":1.5:2}", "[1.5 2]", "[\"a\" \"b\"]",
          "[\"a\"b]", "[1e]", "[1e+]", "[-01]", "[1.5e+-3]", "[2.5x]", "[0x10]", "[1e5.5]"})
        QTest::addRow("%s", text) << QByteArray(text);
    QTest::newRow("NUL after the value") << QByteArray("[1]\0", 4);
    QTest::newRow("arrays too deep") << nested(cvJsonNestingLimit + 1, "[", "", "]");
    QTest::newRow("objects too deep") << nested(cvJsonNestingLimit + 1, "{\"a\":", "1", "}");
}

void tst_CvGraphJson::refusedByBoth()
{
    QFETCH(QByteArray, json);
    const QVariantMap untouched {{u"kept"_s, 1}};
    QVariantMap map = untouched, referenceMap = untouched;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^\"Not valid JSON data:\n"_s));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^\"Not valid JSON data:\n"_s));
    QVERIFY(!cvDecodeJsonWithQt(json, &referenceMap, nullptr));
    QVERIFY(!cvDecodeJson(json, &map, nullptr));
    QCOMPARE(map, untouched);
}

void tst_CvGraphJson::strictOnly_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("trailing dot") << QByteArray("[1.]");
    QTest::newRow("leading dot") << QByteArray("[.5]");
    QTest::newRow("unknown escape") << QByteArray(R"(["\x"])");
    QTest::newRow("raw control character") << QByteArray("[\"a\x01\"]");
    QTest::newRow("raw line feed") << QByteArray("[\"a\nb\"]");
    QTest::newRow("lone high surrogate") << QByteArray(R"(["\ud800"])");
    QTest::newRow("lone low surrogate") << QByteArray(R"(["\udc00 "])");
    QTest::newRow("swapped surrogates") << QByteArray(R"(["\ude00\ud83d"])");
    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbf{}");
}

void tst_CvGraphJson::strictOnly()
{
    QFETCH(QByteArray, json);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^\"Not valid JSON data:\n"_s));
    QVariantList list {1};
    QVERIFY(!cvDecodeJson(json, nullptr, &list));
    QCOMPARE(list, QVariantList {1});
}

void tst_CvGraphJson::recurringTextShared()
{
    QVariantList list;
    QVERIFY(cvDecodeJson(R"([{"name":"a"},{"n\u0061me":"b"}])", nullptr, &list));
    QCOMPARE(list.size(), 2);
    const QString first = list[0].toMap().firstKey();
    const QString second = list[1].toMap().firstKey();
    QCOMPARE(second, u"name"_s);
    QCOMPARE(first.constData(), second.constData());

    // In a large page, short values are shared the same way.
    QByteArray page = R"([{"v":"abc"})";
    while (page.size() < 1200000)
        page += R"(,{"v":"ab\u0063"})";
    QVERIFY(cvDecodeJson(page + ']', nullptr, &list));
    const QString value = list.first().toMap().value(u"v"_s).toString();
    QCOMPARE(value, u"abc"_s);
    QCOMPARE(list.last().toMap().value(u"v"_s).toString().constData(), value.constData());
}

// Text in a large page shares its storage with its neighbours; each string must still behave as
// one of its own: terminated, changed without touching the others, alive after the page.
void tst_CvGraphJson::largePageTextIndependent()
{
    const auto text = [](int i) -> QString {
        return QString::number(i).repeated(3) + u'-' + QString(40, QChar(u'a' + i % 26));
    };
    QByteArray page = "[";
    int count = 0;
    for (; page.size() < 1200000; ++count)
        page += (count ? ",\"" : "\"") + text(count).toUtf8() + '"';
    QVariantList list;
    QVERIFY(cvDecodeJson(page + ']', nullptr, &list));
    QCOMPARE(list.size(), count);
    QString first = list.at(0).toString();
    QString second = list.at(1).toString();
    const QString last = list.last().toString();
    for (const QString &value : {first, second, last})
        QCOMPARE(value.utf16()[value.size()], u'\0');

    first += u"!!"_s;
    first.prepend(u'<');
    QCOMPARE(first, u'<' + text(0) + u"!!"_s);
    QCOMPARE(second, text(1));
    QCOMPARE(list.at(1).toString(), text(1));

    // Alone in its storage now, the string may grow over its former neighbours.
    list.clear();
    second.append(QString(100, u'z'));
    second.prepend(u'>');
    QCOMPARE(second, u'>' + text(1) + QString(100, u'z'));
    QCOMPARE(last, text(count - 1));

    // Ids are what callers keep after a page: they may keep other ids alive, never its text.
    QByteArray objects = "[";
    for (int i = 0; objects.size() < 1200000; ++i)
        objects += (i ? ",{\"id\":\"" : "{\"id\":\"") + text(i).toUtf8() + "\",\"v\":\""
            + text(i + 1).toUtf8() + "\"}";
    QVERIFY(cvDecodeJson(objects + ']', nullptr, &list));
    const auto storage = [&list](int item, const QString &name) {
        return list.at(item).toMap().value(name).toString().data_ptr().d_ptr();
    };
    QCOMPARE(storage(0, u"v"_s), storage(1, u"v"_s));
    QCOMPARE(storage(0, u"id"_s), storage(1, u"id"_s));
    QVERIFY(storage(0, u"id"_s) != storage(0, u"v"_s));
}

QTEST_GUILESS_MAIN(tst_CvGraphJson)
#include "tst_cvgraphjson.moc"
