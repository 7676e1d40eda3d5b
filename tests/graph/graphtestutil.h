#ifndef GRAPHTESTUTIL_H
#define GRAPHTESTUTIL_H

// Helpers shared by the tests that drive CvGraph against a scripted TestService.

#include "cvendpoints.h"
#include "cvgraph.h"

#include "testservice.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

using GraphCall = std::function<bool(Cv::CvGraph &)>;
Q_DECLARE_METATYPE(GraphCall)

// A call of one CvGraph operation as a test data value: CALL(writeComment(u"1"_s, u"m"_s)).
#define CALL(expr) GraphCall([=](Cv::CvGraph &g) { return g.expr; })

using namespace Qt::StringLiterals;

// A canned answer as a test data column.
struct CannedReply
{
    TestService::Reply reply;
};
Q_DECLARE_METATYPE(CannedReply)

namespace GraphTest {

// The library's warnings reach the message handler quoted and followed by a space.
inline void expectWarning(const QString &message)
{
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QLatin1Char('"') + message + QLatin1String("\" ")));
}

// Records every signal of a CvGraph by its name, to catch a missing or extra one.
class SignalLog
{
public:
    explicit SignalLog(Cv::CvGraph *graph)
    {
        const QMetaObject *mo = graph->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod method = mo->method(i);
            if (method.methodType() == QMetaMethod::Signal)
                spies.push_back({QString::fromLatin1(method.name()),
                                 std::make_shared<QSignalSpy>(graph, method)});
        }
    }
    int total() const
    {
        int n = 0;
        for (const auto &entry : spies)
            n += int(entry.second->count());
        return n;
    }
    // The name and arguments of the only signal emitted so far; empty when none or several.
    QPair<QString, QVariantList> only() const
    {
        if (total() != 1)
            return {};
        for (const auto &entry : spies) {
            if (!entry.second->isEmpty())
                return {entry.first, entry.second->constFirst()};
        }
        return {};
    }

private:
    std::vector<std::pair<QString, std::shared_ptr<QSignalSpy>>> spies;
};

// A graph with the token "tok" talking to a fresh TestService on both endpoints.
struct Fixture
{
    std::unique_ptr<TestService> service;
    std::unique_ptr<Cv::CvGraph> graph;

    bool start()
    {
        service = std::make_unique<TestService>();
        if (!service->isListening() || !Cv::CvEndpoints::setGraphBaseUrl(service->baseUrl())
            || !Cv::CvEndpoints::setRestBaseUrl(service->baseUrl()))
            return false;
        graph = std::make_unique<Cv::CvGraph>(QStringLiteral("tok"));
        return true;
    }
    void stop()
    {
        graph.reset();
        service.reset();
        Cv::CvEndpoints::reset();
    }
    QUrl url(const QString &path) const
    {
        QUrl url = service->baseUrl();
        url.setPath(path);
        return url;
    }
    // After a call that must have been refused: nothing went out, so a request that needs no
    // argument check is the first and only one the service sees.
    void expectNothingSent()
    {
        QCOMPARE(graph->operationsInFlight(), 0);
        QVERIFY(graph->retrievePublicData(url(QStringLiteral("/probe")), QString()));
        QVERIFY(service->waitForRequests(1, 15000));
        QCOMPARE(service->requests().constFirst().path, QStringLiteral("/probe"));
        QTRY_COMPARE_WITH_TIMEOUT(graph->operationsInFlight(), 0, 15000);
        QCOMPARE(service->requestCount(), 1);
    }
};

} // namespace GraphTest

#endif // GRAPHTESTUTIL_H
