#include "cvcheckin.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvCheckinPrivate : public QSharedData
{
public:
    QString id;
    CvUserRef from;
    CvUserRefs tags;
    CvPlace place;
    QString message;
    CvUserRef application;
    QDateTime createdTime;
};

CvCheckin::CvCheckin()
    : d(new CvCheckinPrivate)
{
}

CvCheckin::CvCheckin(const QString &id)
    : d(new CvCheckinPrivate)
{
    d->id = id;
}

CvCheckin::CvCheckin(const QString &id, const CvUserRef &from, const CvPlace &place)
    : d(new CvCheckinPrivate)
{
    d->id = id;
    d->from = from;
    d->place = place;
}

CvCheckin::CvCheckin(const CvCheckin &other) = default;

CvCheckin::CvCheckin(CvCheckin &&other) noexcept = default;

CvCheckin::~CvCheckin() = default;

CvCheckin &CvCheckin::operator=(const CvCheckin &other) = default;

bool CvCheckin::isValid() const
{
    return !d->id.isEmpty() && !d->from.id.isEmpty() && d->place.isValid();
}

QString CvCheckin::id() const
{
    return d->id;
}

CvUserRef CvCheckin::from() const
{
    return d->from;
}

void CvCheckin::setFrom(const CvUserRef &from)
{
    d->from = from;
}

CvUserRefs CvCheckin::tags() const
{
    return d->tags;
}

void CvCheckin::setTags(const CvUserRefs &tags)
{
    d->tags = tags;
}

CvPlace CvCheckin::place() const
{
    return d->place;
}

void CvCheckin::setPlace(const CvPlace &place)
{
    d->place = place;
}

QString CvCheckin::message() const
{
    return d->message;
}

void CvCheckin::setMessage(const QString &message)
{
    d->message = message;
}

CvUserRef CvCheckin::application() const
{
    return d->application;
}

void CvCheckin::setApplication(const CvUserRef &application)
{
    d->application = application;
}

QDateTime CvCheckin::createdTime() const
{
    return d->createdTime;
}

void CvCheckin::setCreatedTime(const QDateTime &createdTime)
{
    d->createdTime = createdTime;
}

bool operator==(const CvCheckin &a, const CvCheckin &b)
{
    return a.id() == b.id() && a.from() == b.from() && a.tags() == b.tags()
        && a.place() == b.place() && a.message() == b.message()
        && isoDateEqual(a.createdTime(), b.createdTime());
}

bool operator!=(const CvCheckin &a, const CvCheckin &b)
{
    return !(a == b);
}

} // namespace Cv
