#include "cvlogger.h"

#include <QtTest>

using namespace Cv;

namespace {

struct Captured
{
    QtMsgType type;
    QString category;
    QString text;
};

QList<Captured> s_captured;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    s_captured.append({type, QString::fromLatin1(context.category), text});
}

} // namespace

class tst_CvLogger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void defaultLevelIsWarnings();
    void entryTracing_data();
    void entryTracing();
    void formatAndSeverity();
    void categoryRulesFilterOutput();

private:
    QtMessageHandler m_previous = nullptr;
};

void tst_CvLogger::init()
{
    s_captured.clear();
    m_previous = qInstallMessageHandler(capture);
}

void tst_CvLogger::cleanup()
{
    qInstallMessageHandler(m_previous);
    SetLoggingLevel(LogWarnings);
}

void tst_CvLogger::defaultLevelIsWarnings()
{
    QCOMPARE(CvLogger::s_logLevel, 3);
}

void tst_CvLogger::entryTracing_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("traced");
    QTest::newRow("default") << 3 << false;
    QTest::newRow("debug") << 5 << false;
    QTest::newRow("trace") << 6 << true;
    QTest::newRow("out of range") << 7 << false;
}

void tst_CvLogger::entryTracing()
{
    QFETCH(int, level);
    QFETCH(bool, traced);
    SetLoggingLevel(CvLogLevel(level));
    const char *signature = "bool Cv::CvGraph::retrieveObject(const QString&)";
    {
        CvLogger logger(signature);
    }
    QCOMPARE(s_captured.size(), traced ? 1 : 0);
    if (traced) {
        QCOMPARE(s_captured.first().type, QtDebugMsg);
        QCOMPARE(s_captured.first().text,
                 QStringLiteral("\"Entering bool Cv::CvGraph::retrieveObject(const QString&)\" "));
    }
}

void tst_CvLogger::formatAndSeverity()
{
    CvLogger::logWarning(QStringLiteral("Network error InvalidAccessToken"));
    CvLogger::logDebug(QStringLiteral("R\u00e9ply"));
    QCOMPARE(s_captured.size(), 2);
    QCOMPARE(s_captured.at(0).type, QtWarningMsg);
    QCOMPARE(s_captured.at(0).text, QStringLiteral("\"Network error InvalidAccessToken\" "));
    QCOMPARE(s_captured.at(1).type, QtDebugMsg);
    QCOMPARE(s_captured.at(1).text, QStringLiteral("\"R\u00e9ply\" "));
    QCOMPARE(s_captured.at(0).category, QStringLiteral("corvana"));
}

void tst_CvLogger::categoryRulesFilterOutput()
{
    QLoggingCategory::setFilterRules(QStringLiteral("corvana.debug=false"));
    CvLogger::logDebug(QStringLiteral("hidden"));
    CvLogger::logWarning(QStringLiteral("shown"));
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(s_captured.size(), 1);
    QCOMPARE(s_captured.first().text, QStringLiteral("\"shown\" "));
}

QTEST_GUILESS_MAIN(tst_CvLogger)
#include "tst_cvlogger.moc"
