#include "cvendpoints.h"

#include <QTest>

using Cv::CvEndpoints;

class tst_CvEndpoints : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void defaults();
    void baseUrlValidation_data();
    void baseUrlValidation();
    void limitsAndReset();
};

void tst_CvEndpoints::cleanup()
{
    CvEndpoints::reset();
}

void tst_CvEndpoints::defaults()
{
    QCOMPARE(CvEndpoints::graphBaseUrl(), QUrl(QStringLiteral("https://graph.corvana.com")));
    QCOMPARE(CvEndpoints::restBaseUrl(), QUrl(QStringLiteral("https://api.corvana.com")));
    QVERIFY(CvEndpoints::caCertificates().isEmpty());
    QCOMPARE(CvEndpoints::transferTimeout(), 60000);
    QCOMPARE(CvEndpoints::maxReplySize(), qint64(64) * 1024 * 1024);
    QCOMPARE(CvEndpoints::requestDeadline(), 300000);
    QVERIFY(!CvEndpoints::reportSilentReplies());
}

void tst_CvEndpoints::baseUrlValidation_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("https host") << "https://graph.example.org" << true;
    QTest::newRow("https host and port") << "https://graph.example.org:8443" << true;
    QTest::newRow("https loopback") << "https://127.0.0.1:4433" << true;
    QTest::newRow("http 127.0.0.1") << "http://127.0.0.1:8080" << true;
    QTest::newRow("http 127.1.2.3") << "http://127.1.2.3" << true;
    QTest::newRow("http ::1") << "http://[::1]:8080" << true;
    QTest::newRow("http localhost") << "http://localhost:8080" << true;
    QTest::newRow("http LOCALHOST") << "http://LOCALHOST" << true;

    QTest::newRow("http remote host") << "http://graph.example.org" << false;
    QTest::newRow("http private address") << "http://192.168.1.2" << false;
    QTest::newRow("http 128.0.0.1") << "http://128.0.0.1" << false;
    QTest::newRow("http loopback lookalike") << "http://127.0.0.1.example.org" << false;
    QTest::newRow("http localhost lookalike") << "http://localhost.example.org" << false;
    QTest::newRow("trailing slash") << "https://graph.example.org/" << false;
    QTest::newRow("path") << "https://graph.example.org/v2" << false;
    QTest::newRow("query") << "https://graph.example.org?a=b" << false;
    QTest::newRow("empty query") << "https://graph.example.org?" << false;
    QTest::newRow("fragment") << "https://graph.example.org#x" << false;
    QTest::newRow("user info") << "https://user:pw@graph.example.org" << false;
    QTest::newRow("user name") << "http://user@127.0.0.1" << false;
    QTest::newRow("ftp") << "ftp://127.0.0.1" << false;
    QTest::newRow("no scheme") << "graph.example.org" << false;
    QTest::newRow("no host") << "https://" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("file") << "file:///tmp/x" << false;
}

void tst_CvEndpoints::baseUrlValidation()
{
    QFETCH(QString, url);
    QFETCH(bool, accepted);
    const QUrl graphBefore = CvEndpoints::graphBaseUrl();
    const QUrl restBefore = CvEndpoints::restBaseUrl();
    if (!accepted) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused Graph")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused REST")));
    }

    QCOMPARE(CvEndpoints::setGraphBaseUrl(QUrl(url)), accepted);
    QCOMPARE(CvEndpoints::graphBaseUrl(), accepted ? QUrl(url) : graphBefore);
    QCOMPARE(CvEndpoints::setRestBaseUrl(QUrl(url)), accepted);
    QCOMPARE(CvEndpoints::restBaseUrl(), accepted ? QUrl(url) : restBefore);
}

void tst_CvEndpoints::limitsAndReset()
{
    CvEndpoints::setTransferTimeout(250);
    CvEndpoints::setTransferTimeout(-1);
    QCOMPARE(CvEndpoints::transferTimeout(), 250);
    CvEndpoints::setMaxReplySize(1000);
    CvEndpoints::setMaxReplySize(-5);
    QCOMPARE(CvEndpoints::maxReplySize(), qint64(1000));
    CvEndpoints::setRequestDeadline(500);
    CvEndpoints::setRequestDeadline(-1);
    QCOMPARE(CvEndpoints::requestDeadline(), 500);
    CvEndpoints::setReportSilentReplies(true);
    QVERIFY(CvEndpoints::setGraphBaseUrl(QUrl(QStringLiteral("http://127.0.0.1:1"))));
    CvEndpoints::setCaCertificates(QSslCertificate::fromData("not a certificate")
                                   + QList<QSslCertificate> {QSslCertificate()});
    QCOMPARE(CvEndpoints::caCertificates().size(), 1);

    CvEndpoints::reset();
    QCOMPARE(CvEndpoints::requestDeadline(), 300000);
    QVERIFY(!CvEndpoints::reportSilentReplies());
    QCOMPARE(CvEndpoints::transferTimeout(), 60000);
    QCOMPARE(CvEndpoints::maxReplySize(), qint64(64) * 1024 * 1024);
    QCOMPARE(CvEndpoints::graphBaseUrl(), QUrl(QStringLiteral("https://graph.corvana.com")));
    QVERIFY(CvEndpoints::caCertificates().isEmpty());
}

QTEST_GUILESS_MAIN(tst_CvEndpoints)
#include "tst_cvendpoints.moc"
