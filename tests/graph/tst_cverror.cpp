#include "cverror.h"
#include "testservice.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using Cv::CvError;

class tst_CvError : public QObject
{
    Q_OBJECT

private:
    TestService m_service;
    QNetworkAccessManager m_nam;

    std::unique_ptr<QNetworkReply> fetch(const TestService::Reply &canned);

private slots:
    void classification_data();
    void classification();
    void isError_data();
    void isError();
    void valueSemantics();
};

// A real reply from the test service, finished and unread.
std::unique_ptr<QNetworkReply> tst_CvError::fetch(const TestService::Reply &canned)
{
    m_service.enqueue(canned);
    QNetworkRequest request(
        QUrl(m_service.baseUrl().toString() + QStringLiteral("/me?access_token=SECRETTOKEN")));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(m_nam.get(request));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(10000);
    return reply;
}

void tst_CvError::classification_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("type");

    const auto oauth = [](const char *type, const char *message) -> QByteArray {
        return QByteArray("{\"error\":{\"type\":\"") + type + "\",\"message\":\"" + message
            + "\"}}";
    };
    QTest::newRow("invalid token")
        << 400 << oauth("OAuthException", "Error validating access token: expired")
        << int(CvError::InvalidAccessToken);
    QTest::newRow("invalid token, any case")
        << 400 << oauth("oauthexception", "x ERROR VALIDATING ACCESS TOKEN y")
        << int(CvError::InvalidAccessToken);
    QTest::newRow("invalid oauth token")
        << 400 << oauth("OAuthException", "Invalid OAuth access token.")
        << int(CvError::InvalidAccessToken);
    QTest::newRow("feed limit") << 400
                                << oauth("OAuthException",
                                         "(#341) Feed action request limit reached")
                                << int(CvError::FeedActionRequestLimitReached);
    QTest::newRow("capability")
        << 403
        << oauth("OAuthException",
                 "(#3) Application does not have the capability to make this API call.")
        << int(CvError::PermissionDenied);
    QTest::newRow("extended permission")
        << 403 << oauth("OAuthException", "(#200) requires EXTENDED permission: publish")
        << int(CvError::PermissionDenied);
    QTest::newRow("other oauth message")
        << 400 << oauth("OAuthException", "Something else") << int(CvError::GeneralError);
    QTest::newRow("message of another type")
        << 400 << oauth("GraphMethodException", "Error validating access token")
        << int(CvError::GeneralError);
    QTest::newRow("rest unknown method")
        << 200 << QByteArray("{\"error_code\":3,\"error_msg\":\"Unknown method\"}")
        << int(CvError::UnknownMethod);
    QTest::newRow("rest permission")
        << 200 << QByteArray("{\"error_code\":200,\"error_msg\":\"x\"}")
        << int(CvError::PermissionDenied);
    QTest::newRow("rest other code")
        << 200 << QByteArray("{\"error_code\":100}") << int(CvError::GeneralError);
    QTest::newRow("error_code 3 overrides oauth")
        << 400
        << QByteArray("{\"error\":{\"type\":\"OAuthException\",\"message\":\"Invalid OAuth "
                      "access token\"},\"error_code\":3}")
        << int(CvError::UnknownMethod);
    QTest::newRow("error_code 200 overrides oauth")
        << 400
        << QByteArray("{\"error\":{\"type\":\"OAuthException\",\"message\":\"(#341) Feed "
                      "action request limit reached\"},\"error_code\":200}")
        << int(CvError::PermissionDenied);
    QTest::newRow("html error page")
        << 500 << QByteArray("<html><body>error_code 3 Error validating access token</body></html>")
        << int(CvError::GeneralError);
    QTest::newRow("empty body") << 500 << QByteArray() << int(CvError::GeneralError);
    QTest::newRow("json array") << 200 << QByteArray("[{\"error_code\":3}]")
                                << int(CvError::GeneralError);
    QTest::newRow("error is a string")
        << 400 << QByteArray("{\"error\":\"OAuthException\"}") << int(CvError::GeneralError);
    QTest::newRow("trailing garbage")
        << 200 << QByteArray("{\"error_code\":3} x") << int(CvError::GeneralError);
}

void tst_CvError::classification()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, type);
    // The token rule warns even when error_code then overrides the type.
    if (body.contains("\"OAuthException\",\"message\":\"Invalid OAuth")
        || type == CvError::InvalidAccessToken)
        QTest::ignoreMessage(QtWarningMsg, "\"Network error InvalidAccessToken\" ");

    auto reply = fetch(TestService::Reply::json(body, status).header("X-Trace", "t1"));
    const CvError err(reply.get());
    QCOMPARE(int(err.errorType()), type);
    QCOMPARE(err.corvanaErrorString(), QString::fromUtf8(body));
    QCOMPARE(err.replyErrorCode(), reply->error());
    QCOMPARE(status >= 400, err.replyErrorCode() != QNetworkReply::NoError);
    // One "Name: value" line per header, no trailing newline.
    QVERIFY(err.corvanaErrorHeaders().contains(QLatin1String("\nX-Trace: t1\n")));
    QVERIFY(!err.corvanaErrorHeaders().endsWith(QLatin1Char('\n')));
    // Qt names the URL in its text; the token must not travel on in the error.
    QVERIFY(!err.replyErrorString().contains(QLatin1String("SECRETTOKEN")));
    if (status >= 400)
        QVERIFY(err.replyErrorString().contains(QStringLiteral("access_token=SECR\u2026")));
}

void tst_CvError::isError_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("expected");

    QTest::newRow("graph error body") << 200 << QByteArray("{\"error\":{}}") << true;
    QTest::newRow("rest error body") << 200 << QByteArray("{\"error_code\":1}") << true;
    QTest::newRow("error after 8 bytes") << 200 << QByteArray("{\"data\":\"error\"}") << false;
    QTest::newRow("capitalised") << 200 << QByteArray("{\"Error\":1}") << false;
    QTest::newRow("nul before error") << 200 << QByteArray("{\0error\"", 8) << false;
    QTest::newRow("plain data") << 200 << QByteArray("{\"id\":\"1\"}") << false;
    QTest::newRow("empty") << 200 << QByteArray() << false;
    QTest::newRow("http failure") << 500 << QByteArray("{\"id\":\"1\"}") << true;
}

void tst_CvError::isError()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, expected);
    auto reply = fetch(TestService::Reply::json(body, status));
    QCOMPARE(CvError::isError(reply.get()), expected);
    QCOMPARE(reply->readAll(), body); // peeked, not consumed
}

void tst_CvError::valueSemantics()
{
    CvError a;
    a.setObjectId(QStringLiteral("123"));
    QVERIFY(a.isEmpty()); // the object id does not count
    a.setCacheErrorString(QStringLiteral("c"));
    QVERIFY(!a.isEmpty());
    CvError copy = a;
    a.setCacheErrorString(QStringLiteral("changed"));
    QCOMPARE(copy.cacheErrorString(), QStringLiteral("c"));
    copy.clear();
    QVERIFY(copy.isEmpty());
    QVERIFY(copy.objectId().isEmpty());
}

QTEST_GUILESS_MAIN(tst_CvError)
#include "tst_cverror.moc"
