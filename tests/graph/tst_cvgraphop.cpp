#include "cvgraphop.h"
#include "cvgraphreply.h"

#include <QRegularExpression>
#include <QTest>

using namespace Cv;

class tst_CvGraphOp : public QObject
{
    Q_OBJECT

private slots:
    void constructorsAndParameters();
    void batchReply_data();
    void batchReply();
};

void tst_CvGraphOp::constructorsAndParameters()
{
    // The two-argument form takes a name, not an id.
    const CvGraphOp named(CvGraphOp::ExecuteBatch, QStringLiteral("n"));
    QCOMPARE(named.id(), QString());
    QCOMPARE(named.name(), QStringLiteral("n"));

    CvGraphOp op(CvGraphOp::RetrieveObject);
    op.addParameter(QStringLiteral("k"), QStringLiteral("1"));
    op.addParameter(QStringLiteral("k"), QStringLiteral("2"));
    QCOMPARE(op.parameters().values(QStringLiteral("k")).size(), 2);
    op.setParameter(QStringLiteral("k"), QStringLiteral("3"));
    QCOMPARE(op.parameters().values(QStringLiteral("k")), QStringList {QStringLiteral("3")});
}

void tst_CvGraphOp::batchReply_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVariant>("expected");

    const QVariantMap one {{QStringLiteral("a"), 1LL}};
    QTest::newRow("data member taken out")
        << "{\"data\":[{\"a\":1}],\"paging\":{}}" << true << QVariant(QVariantList {one});
    QTest::newRow("data member absent") << "{\"data\":" << false << QVariant();
    QTest::newRow("other object becomes a one-element list")
        << "{\"a\":1}" << true << QVariant(QVariantList {one});
    QTest::newRow("true becomes a list") << "true" << true << QVariant(QVariantList {true});
    QTest::newRow("array stays") << "[1,\"x\"]" << true
                                 << QVariant(QVariantList {1LL, QStringLiteral("x")});
    QTest::newRow("not JSON") << "{a:1}" << false << QVariant();
}

void tst_CvGraphOp::batchReply()
{
    QFETCH(QString, body);
    QFETCH(bool, ok);
    QFETCH(QVariant, expected);

    const QVariantMap headers {{QStringLiteral("name"), QStringLiteral("Content-Type")}};
    const QVariantMap element {{QStringLiteral("code"), 200LL},
                               {QStringLiteral("headers"), QVariantList {headers}},
                               {QStringLiteral("body"), body}};
    if (!ok)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("Not valid JSON data")));
    CvGraphReply reply;
    QCOMPARE(reply.setData(element), ok);
    QCOMPARE(reply.code(), 200);
    QCOMPARE(reply.headers(), QVariant(QVariantList {headers}));
    QCOMPARE(reply.body(), expected);
}

QTEST_GUILESS_MAIN(tst_CvGraphOp)
#include "tst_cvgraphop.moc"
