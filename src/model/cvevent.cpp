#include "cvevent.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvEventPrivate : public QSharedData
{
public:
    QString id;
    QString name;
    QString picture;
    QDateTime startTime;
    QDateTime endTime;
    QString location;
    QString rsvpStatus;
    CvUserRef owner;
    QString description;
    QString privacy;
    QDateTime updatedTime;
    CvEvent::CvVenue venue;
};

// Coordinates compare exactly: they are stored as received, never computed.
static bool venueEqual(const CvEvent::CvVenue &a, const CvEvent::CvVenue &b)
{
    return a.city == b.city && a.country == b.country && a.latitude == b.latitude
        && a.longitude == b.longitude && a.state == b.state && a.street == b.street;
}

CvEvent::CvEvent()
    : d(new CvEventPrivate)
{
}

CvEvent::CvEvent(const QString &id)
    : d(new CvEventPrivate)
{
    d->id = id;
}

CvEvent::CvEvent(const QString &id, const CvUserRef &owner)
    : d(new CvEventPrivate)
{
    d->id = id;
    d->owner = owner;
}

CvEvent::CvEvent(const CvEvent &other) = default;

CvEvent::CvEvent(CvEvent &&other) noexcept = default;

CvEvent::~CvEvent() = default;

CvEvent &CvEvent::operator=(const CvEvent &other) = default;

bool CvEvent::isValid() const
{
    return !d->id.isEmpty();
}

QString CvEvent::id() const
{
    return d->id;
}

QString CvEvent::name() const
{
    return d->name;
}

void CvEvent::setName(const QString &name)
{
    d->name = name;
}

QString CvEvent::picture() const
{
    return d->picture;
}

void CvEvent::setPicture(const QString &picture)
{
    d->picture = picture;
}

QDateTime CvEvent::startTime() const
{
    return d->startTime;
}

void CvEvent::setStartTime(const QDateTime &startTime)
{
    d->startTime = startTime;
}

QDateTime CvEvent::endTime() const
{
    return d->endTime;
}

void CvEvent::setEndTime(const QDateTime &endTime)
{
    d->endTime = endTime;
}

QString CvEvent::location() const
{
    return d->location;
}

void CvEvent::setLocation(const QString &location)
{
    d->location = location;
}

QString CvEvent::rsvpStatus() const
{
    return d->rsvpStatus;
}

void CvEvent::setRsvpStatus(const QString &rsvpStatus)
{
    d->rsvpStatus = rsvpStatus;
}

const CvUserRef &CvEvent::owner() const
{
    return d->owner;
}

void CvEvent::setOwner(const CvUserRef &owner)
{
    d->owner = owner;
}

QString CvEvent::description() const
{
    return d->description;
}

void CvEvent::setDescription(const QString &description)
{
    d->description = description;
}

QString CvEvent::privacy() const
{
    return d->privacy;
}

void CvEvent::setPrivacy(const QString &privacy)
{
    d->privacy = privacy;
}

QDateTime CvEvent::updatedTime() const
{
    return d->updatedTime;
}

void CvEvent::setUpdatedTime(const QDateTime &updatedTime)
{
    d->updatedTime = updatedTime;
}

CvEvent::CvVenue CvEvent::venue() const
{
    return d->venue;
}

void CvEvent::setVenue(const CvEvent::CvVenue &venue)
{
    d->venue = venue;
}

bool operator==(const CvEvent &a, const CvEvent &b)
{
    return a.id() == b.id() && isoDateEqual(a.startTime(), b.startTime()) && a.name() == b.name()
        && isoDateEqual(a.endTime(), b.endTime()) && a.location() == b.location()
        && a.rsvpStatus() == b.rsvpStatus() && a.owner() == b.owner()
        && a.description() == b.description() && a.privacy() == b.privacy()
        && isoDateEqual(a.updatedTime(), b.updatedTime()) && venueEqual(a.venue(), b.venue())
        && a.picture() == b.picture();
}

bool operator!=(const CvEvent &a, const CvEvent &b)
{
    return !(a == b);
}

} // namespace Cv
