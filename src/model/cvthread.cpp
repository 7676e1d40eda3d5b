#include "cvthread.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvThreadPrivate : public QSharedData
{
public:
    QString id;
    CvUserRef from;
    CvUserRefs to;
    CvUserRefs senders;
    QString subject;
    QString snippet;
    int messageCount = 0;
    int unread = 0;
    QDateTime updatedTime;
};

CvThread::CvThread()
    : d(new CvThreadPrivate)
{
}

CvThread::CvThread(const QString &id, const CvUserRef &from)
    : d(new CvThreadPrivate)
{
    d->id = id;
    d->from = from;
}

CvThread::CvThread(const CvThread &other) = default;

CvThread::CvThread(CvThread &&other) noexcept = default;

CvThread::~CvThread() = default;

CvThread &CvThread::operator=(const CvThread &other) = default;

bool CvThread::isValid() const
{
    return !d->id.isEmpty();
}

QString CvThread::id() const
{
    return d->id;
}

CvUserRef CvThread::from() const
{
    return d->from;
}

CvUserRefs CvThread::to() const
{
    return d->to;
}

void CvThread::setTo(const CvUserRefs &to)
{
    d->to = to;
}

CvUserRefs CvThread::senders() const
{
    return d->senders;
}

void CvThread::setSenders(const CvUserRefs &senders)
{
    d->senders = senders;
}

QString CvThread::subject() const
{
    return d->subject;
}

void CvThread::setSubject(const QString &subject)
{
    d->subject = subject;
}

QString CvThread::snippet() const
{
    return d->snippet;
}

void CvThread::setSnippet(const QString &snippet)
{
    d->snippet = snippet;
}

int CvThread::messageCount() const
{
    return d->messageCount;
}

void CvThread::setMessageCount(int messageCount)
{
    d->messageCount = messageCount;
}

int CvThread::unread() const
{
    return d->unread;
}

void CvThread::setUnread(int unread)
{
    d->unread = unread;
}

QDateTime CvThread::updatedTime() const
{
    return d->updatedTime;
}

void CvThread::setUpdatedTime(const QDateTime &updatedTime)
{
    d->updatedTime = updatedTime;
}

bool operator==(const CvThread &a, const CvThread &b)
{
    return a.id() == b.id() && a.from() == b.from() && a.to() == b.to()
        && a.senders() == b.senders() && isoDateEqual(a.updatedTime(), b.updatedTime())
        && a.subject() == b.subject() && a.snippet() == b.snippet()
        && a.messageCount() == b.messageCount() && a.unread() == b.unread();
}

bool operator!=(const CvThread &a, const CvThread &b)
{
    return !(a == b);
}

} // namespace Cv
