// Failure injection: the next N requests (optionally only those whose path contains a text) fail
// in a chosen way. Driven by the command line and by the loopback-only control path.
#ifndef EMUFAULTS_H
#define EMUFAULTS_H

#include "emutypes.h"

namespace Emu {

struct Fault
{
    enum Mode {
        Status,
        FeedLimit,
        Permission,
        RestUnknown,
        RestPermission,
        Delay,
        Drop,
        NotJson,
        RepeatPage
    };
    Mode mode = Status;
    int status = 500;
    int delayMs = 1000;
    QString match; // only requests whose path contains this text
};

class Faults
{
public:
    // "count=N&mode=M&status=S&ms=D&match=T" as items; false with *error set when malformed.
    bool add(const QList<QPair<QString, QString>> &items, QString *error);
    bool addRule(const QString &rule, QString *error); // "count=2,mode=drop" for the command line
    void clear() { m_pending.clear(); }
    int pending() const { return int(m_pending.size()); }
    // Takes the first pending failure that applies to the path.
    bool take(const QString &path, Fault *fault);
    // True when the failure changes the normal reply (or the request) rather than replacing it.
    static bool wrapsReply(const Fault &fault);
    // The request as a failure makes the service read it: a repeated page forgets its offset.
    static Request rewrite(const Fault &fault, const Request &request);
    // The reply a failure produces; a delay wraps the normal reply instead.
    static Reply apply(const Fault &fault, const Request &request, Reply normal);
    static QStringList modeNames();

private:
    QList<Fault> m_pending;
};

} // namespace Emu

#endif
