#include "cvutils.h"

#include <QtTest>

using namespace Cv;

class tst_CvUtils : public QObject
{
    Q_OBJECT

private slots:
    void dataType_data();
    void dataType();
};

void tst_CvUtils::dataType_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("mime");

    const QByteArray png("\x89PNG\r\n\x1A\n", 8);
    QTest::newRow("empty") << QByteArray() << int(CvUtils::DataUnknown) << QString() << QString();
    QTest::newRow("GIF89a") << QByteArray("GIF89a\x01\x00", 8) << int(CvUtils::DataGif)
                            << QStringLiteral(".gif") << QStringLiteral("image/gif");
    QTest::newRow("gIf mixed case") << QByteArray("gIf") << int(CvUtils::DataGif)
                                    << QStringLiteral(".gif") << QStringLiteral("image/gif");
    QTest::newRow("gi only") << QByteArray("gi") << int(CvUtils::DataUnknown) << QString()
                             << QString();
    QTest::newRow("jfif") << QByteArray("\xFF\xD8\xFF\xE0\x00\x10", 6) << int(CvUtils::DataJpeg)
                          << QStringLiteral(".jpg") << QStringLiteral("image/jpeg");
    QTest::newRow("jfif too short") << QByteArray("\xFF\xD8\xFF\xE0\x00", 5)
                                    << int(CvUtils::DataUnknown) << QString() << QString();
    QTest::newRow("exif jpeg") << QByteArray("\xFF\xD8\xFF\xE1\x00\x10", 6)
                               << int(CvUtils::DataUnknown) << QString() << QString();
    QTest::newRow("png signature alone")
        << png << int(CvUtils::DataUnknown) << QString() << QString();
    QTest::newRow("png") << png + '\0' << int(CvUtils::DataPng) << QString()
                         << QStringLiteral("image/png");
    QTest::newRow("text") << QByteArray("{\"error\":1}") << int(CvUtils::DataUnknown) << QString()
                          << QString();
}

void tst_CvUtils::dataType()
{
    QFETCH(QByteArray, data);
    QFETCH(int, type);
    QFETCH(QString, suffix);
    QFETCH(QString, mime);

    QCOMPARE(int(CvUtils::getDataType(data)), type);

    // Unrecognised data must leave the caller's strings untouched.
    QString gotSuffix = QStringLiteral("untouched");
    QCOMPARE(CvUtils::getFileSuffix(data, &gotSuffix), !suffix.isNull());
    QCOMPARE(gotSuffix, suffix.isNull() ? QStringLiteral("untouched") : suffix);

    QString gotMime = QStringLiteral("untouched");
    QCOMPARE(CvUtils::getMimeType(data, &gotMime), !mime.isNull());
    QCOMPARE(gotMime, mime.isNull() ? QStringLiteral("untouched") : mime);
}

QTEST_GUILESS_MAIN(tst_CvUtils)
#include "tst_cvutils.moc"
