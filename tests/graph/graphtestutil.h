#ifndef GRAPHTESTUTIL_H
#define GRAPHTESTUTIL_H

// Helpers shared by the request/reply tests of CvGraph's writes, REST methods and queries.

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

inline const QString token()
{
    return QStringLiteral("tok");
}

// The library's warnings reach the message handler quoted and followed by a space.
inline void expectWarning(const QString &message)
{
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QLatin1Char('"') + message + QLatin1String("\" ")));
}

// Records every signal of a CvGraph by its meta-object signature.
class SignalLog
{
public:
    explicit SignalLog(Cv::CvGraph *graph)
    {
        const QMetaObject *mo = graph->metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod method = mo->method(i);
            if (method.methodType() != QMetaMethod::Signal)
                continue;
            spies.push_back({QString::fromLatin1(method.methodSignature()),
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
    // The signature and arguments of the only signal emitted so far; empty when none or several.
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

// A graph talking to a fresh TestService on both endpoints.
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
        graph = std::make_unique<Cv::CvGraph>(token());
        return true;
    }
    void stop()
    {
        graph.reset();
        service.reset();
        Cv::CvEndpoints::reset();
    }
    // Sends a request that needs no argument check; the service must see it as its next one.
    bool probe()
    {
        QUrl url = service->baseUrl();
        url.setPath(QStringLiteral("/probe"));
        return graph->retrievePublicData(url, QStringLiteral("probe"));
    }
};

} // namespace GraphTest

#endif // GRAPHTESTUTIL_H
