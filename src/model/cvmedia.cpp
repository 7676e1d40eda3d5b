#include "cvmedia.h"

namespace Cv {

class CvMediaPrivate : public QSharedData
{
public:
    QString id;
    CvUserRef from;
    CvTags tags;
    QString picture;
    QString name;
    QString icon;
    QString source;
    QDateTime createdTime;
    QDateTime updatedTime;
};

CvMedia::CvMedia()
    : d(new CvMediaPrivate)
{
}

CvMedia::CvMedia(const QString &id)
    : d(new CvMediaPrivate)
{
    d->id = id;
}

CvMedia::CvMedia(const CvMedia &other) = default;

CvMedia::CvMedia(CvMedia &&other) noexcept = default;

CvMedia::~CvMedia() = default;

CvMedia &CvMedia::operator=(const CvMedia &other) = default;

bool CvMedia::isValid() const
{
    return !id().isEmpty();
}

QString CvMedia::id() const
{
    return d->id;
}

QString CvMedia::name() const
{
    return d->name;
}

QDateTime CvMedia::createdTime() const
{
    return d->createdTime;
}

const CvUserRef &CvMedia::from() const
{
    return d->from;
}

QString CvMedia::icon() const
{
    return d->icon;
}

QString CvMedia::source() const
{
    return d->source;
}

QDateTime CvMedia::updatedTime() const
{
    return d->updatedTime;
}

CvTags CvMedia::tags() const
{
    return d->tags;
}

QString CvMedia::picture() const
{
    return d->picture;
}

void CvMedia::setFrom(const CvUserRef &from)
{
    d->from = from;
}

void CvMedia::setName(const QString &name)
{
    d->name = name;
}

void CvMedia::setIcon(const QString &icon)
{
    d->icon = icon;
}

void CvMedia::setSource(const QString &source)
{
    d->source = source;
}

void CvMedia::setCreatedTime(const QDateTime &createdTime)
{
    d->createdTime = createdTime;
}

void CvMedia::setUpdatedTime(const QDateTime &updatedTime)
{
    d->updatedTime = updatedTime;
}

void CvMedia::setTags(const CvTags &tags)
{
    d->tags = tags;
}

void CvMedia::setPicture(const QString &picture)
{
    d->picture = picture;
}

bool operator==(const CvMedia &a, const CvMedia &b)
{
    return a.id() == b.id() && a.from() == b.from() && a.tags() == b.tags() && a.name() == b.name()
        && a.icon() == b.icon() && a.source() == b.source() && a.createdTime() == b.createdTime()
        && a.updatedTime() == b.updatedTime();
}

bool operator!=(const CvMedia &a, const CvMedia &b)
{
    return !(a == b);
}

} // namespace Cv
