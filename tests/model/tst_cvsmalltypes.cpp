#include "cvlinkinfo.h"
#include "cvtypes.h"
#include "cvuser.h"
#include "cvuserref.h"
#include "cvwallpostinfo.h"

#include <QtTest>

using namespace Cv;

using StringMap = QMap<QString, QString>;

class tst_CvSmallTypes : public QObject
{
    Q_OBJECT

private slots:
    void linkInfoToMap_data();
    void linkInfoToMap();
    void wallPostToMap_data();
    void wallPostToMap();
    void pictureTypeStrings_data();
    void pictureTypeStrings();
    void pictureTypeUnknown();
    void pictureTypeFromUrl_data();
    void pictureTypeFromUrl();
    void enumValues();
    void userRef();
};

void tst_CvSmallTypes::linkInfoToMap_data()
{
    QTest::addColumn<CvLinkInfo>("info");
    QTest::addColumn<StringMap>("map");

    const QString link = QStringLiteral("https://example.org/a?b=c&d");
    QTest::newRow("empty") << CvLinkInfo() << StringMap();
    QTest::newRow("no link, the rest set")
        << CvLinkInfo(QString(), QStringLiteral("n"), QStringLiteral("c"), QStringLiteral("d"))
        << StringMap();
    QTest::newRow("link only") << CvLinkInfo(link, QString(), QString(), QString())
                               << StringMap {{QStringLiteral("link"), link}};
    QTest::newRow("all set") << CvLinkInfo(link, QStringLiteral("n"), QStringLiteral("c"),
                                           QStringLiteral("d"))
                             << StringMap {{QStringLiteral("link"), link},
                                           {QStringLiteral("name"), QStringLiteral("n")},
                                           {QStringLiteral("caption"), QStringLiteral("c")},
                                           {QStringLiteral("description"), QStringLiteral("d")}};
    QTest::newRow("caption only besides link")
        << CvLinkInfo(link, QString(), QStringLiteral("c"), QStringLiteral(""))
        << StringMap {{QStringLiteral("link"), link},
                      {QStringLiteral("caption"), QStringLiteral("c")}};
}

void tst_CvSmallTypes::linkInfoToMap()
{
    QFETCH(CvLinkInfo, info);
    QFETCH(StringMap, map);
    QCOMPARE(info.toMap(), map);
}

void tst_CvSmallTypes::wallPostToMap_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("source");
    QTest::addColumn<StringMap>("map");

    const QString m = QStringLiteral("hello");
    const QString l = QStringLiteral("https://example.org/");
    const QString p = QStringLiteral("https://example.org/p.jpg");
    const QString s = QStringLiteral("https://example.org/s.swf");
    QTest::newRow("nothing") << QString() << QString() << QString() << QString() << StringMap();
    QTest::newRow("no message, everything else") << QString() << l << p << s << StringMap();
    QTest::newRow("message only") << m << QString() << QString() << QString()
                                  << StringMap {{QStringLiteral("message"), m}};
    QTest::newRow("message and link")
        << m << l << QString() << QString()
        << StringMap {{QStringLiteral("message"), m}, {QStringLiteral("link"), l}};
    QTest::newRow("all") << m << l << p << s
                         << StringMap {{QStringLiteral("message"), m},
                                       {QStringLiteral("link"), l},
                                       {QStringLiteral("picture"), p},
                                       {QStringLiteral("source"), s}};
}

void tst_CvSmallTypes::wallPostToMap()
{
    QFETCH(QString, message);
    QFETCH(QString, link);
    QFETCH(QString, picture);
    QFETCH(QString, source);
    QFETCH(StringMap, map);

    CvWallPostInfo info;
    info.message = message;
    info.linkInfo.link = link;
    info.picture = picture;
    info.source = source;
    QCOMPARE(info.toMap(), map);
}

void tst_CvSmallTypes::pictureTypeStrings_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");

    QTest::newRow("square") << int(PictureSquare) << QStringLiteral("square");
    QTest::newRow("small") << int(PictureSmall) << QStringLiteral("small");
    QTest::newRow("normal") << int(PictureNormal) << QStringLiteral("normal");
    QTest::newRow("large") << int(PictureLarge) << QStringLiteral("large");
}

void tst_CvSmallTypes::pictureTypeStrings()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QCOMPARE(pictureTypeToString(PictureType(type)), text);
    QCOMPARE(int(pictureTypeFromString(text)), type);
}

void tst_CvSmallTypes::pictureTypeUnknown()
{
    QVERIFY(pictureTypeToString(PictureUnknown).isNull());
    QVERIFY(pictureTypeToString(PictureType(5)).isNull());
    for (const QString &text : {QStringLiteral("Large"), QString(), QStringLiteral("large ")})
        QCOMPARE(pictureTypeFromString(text), PictureUnknown);
}

void tst_CvSmallTypes::pictureTypeFromUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("type");

    QTest::newRow("no underscore")
        << QStringLiteral("https://p.example/pic.jpg") << int(PictureSquare);
    QTest::newRow("q") << QStringLiteral("https://p.example/1_2_q.jpg") << int(PictureSquare);
    QTest::newRow("t") << QStringLiteral("https://p.example/1_2_t.jpg") << int(PictureSmall);
    QTest::newRow("s") << QStringLiteral("https://p.example/1_2_s.jpg") << int(PictureNormal);
    QTest::newRow("n") << QStringLiteral("https://p.example/1_2_n.jpg") << int(PictureLarge);
    QTest::newRow("other letter") << QStringLiteral("https://p.example/1_2_x.jpg")
                                  << int(PictureSquare);
    QTest::newRow("upper-case N") << QStringLiteral("https://p.example/1_2_N.jpg")
                                  << int(PictureSquare);
    QTest::newRow("last underscore counts")
        << QStringLiteral("https://p.example/a_n/1_t.jpg") << int(PictureSmall);
    QTest::newRow("underscore at the end")
        << QStringLiteral("https://p.example/1_") << int(PictureSquare);
    QTest::newRow("empty") << QString() << int(PictureSquare);
}

void tst_CvSmallTypes::pictureTypeFromUrl()
{
    QFETCH(QString, url);
    QFETCH(int, type);
    QCOMPARE(int(Cv::pictureTypeFromUrl(url)), type);
}

void tst_CvSmallTypes::enumValues()
{
    // Stored in the cache and sent to the service as numbers: the values must not move.
    QCOMPARE(int(MessageBoxSpam), 3);
    QCOMPARE(int(MessageBoxSent), 2);
    QCOMPARE(int(PhotoComments), 1);
    QCOMPARE(int(Reject), 2);
    QCOMPARE(int(MarkUnread), 1);
    QCOMPARE(int(Unlike), 1);
}

void tst_CvSmallTypes::userRef()
{
    CvUser user(QStringLiteral("7"), QStringLiteral("Ann"));
    user.setEmail(QStringLiteral("ann@example.org"));
    const CvUserRef ref(user);
    QCOMPARE(ref, CvUserRef(QStringLiteral("7"), QStringLiteral("Ann")));
    QCOMPARE(user.toRef(), ref);
    // Back to a user: only the id and name come along (equality compares every field).
    QCOMPARE(CvUser(ref), CvUser(ref.id, ref.name));
}

QTEST_GUILESS_MAIN(tst_CvSmallTypes)
#include "tst_cvsmalltypes.moc"
