#include "cvmessage.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvMessagePrivate
{
public:
    QString id;
    CvUserRef from;
    QString content;
    QDateTime created;
    QDateTime updated;
    QString subject;
    bool hasAttachment = false;
    int likes = 0;
    bool userLikes = false;
};

CvMessage::CvMessage()
    : d(std::make_unique<CvMessagePrivate>())
{
}

CvMessage::CvMessage(const QString &id, const CvUserRef &from)
    : d(std::make_unique<CvMessagePrivate>())
{
    d->id = id;
    d->from = from;
}

CvMessage::CvMessage(const CvMessage &other)
    : d(std::make_unique<CvMessagePrivate>(*other.d))
{
}

CvMessage::~CvMessage() = default;

CvMessage &CvMessage::operator=(const CvMessage &other)
{
    if (this != &other)
        d = std::make_unique<CvMessagePrivate>(*other.d);
    return *this;
}

bool CvMessage::isValid() const
{
    return !d->id.isEmpty();
}

QString CvMessage::id() const
{
    return d->id;
}

const CvUserRef &CvMessage::from() const
{
    return d->from;
}

QString CvMessage::content() const
{
    return d->content;
}

void CvMessage::setContent(const QString &content)
{
    d->content = content;
}

QDateTime CvMessage::created() const
{
    return d->created;
}

void CvMessage::setCreated(const QDateTime &created)
{
    d->created = created;
}

QDateTime CvMessage::updated() const
{
    return d->updated;
}

void CvMessage::setUpdated(const QDateTime &updated)
{
    d->updated = updated;
}

QString CvMessage::subject() const
{
    return d->subject;
}

void CvMessage::setSubject(const QString &subject)
{
    d->subject = subject;
}

bool CvMessage::hasAttachment() const
{
    return d->hasAttachment;
}

void CvMessage::setHasAttachment(bool hasAttachment)
{
    d->hasAttachment = hasAttachment;
}

int CvMessage::likes() const
{
    return d->likes;
}

void CvMessage::setLikes(int likes)
{
    d->likes = likes;
}

bool CvMessage::userLikes() const
{
    return d->userLikes;
}

void CvMessage::setUserLikes(bool userLikes)
{
    d->userLikes = userLikes;
}

bool operator==(const CvMessage &a, const CvMessage &b)
{
    return a.id() == b.id() && a.from() == b.from() && a.content() == b.content()
        && a.subject() == b.subject() && isoDateEqual(a.updated(), b.updated())
        && isoDateEqual(a.created(), b.created()) && a.likes() == b.likes()
        && a.userLikes() == b.userLikes();
}

bool operator!=(const CvMessage &a, const CvMessage &b)
{
    return !(a == b);
}

} // namespace Cv
