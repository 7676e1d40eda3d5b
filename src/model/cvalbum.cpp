#include "cvalbum.h"

namespace Cv {

class CvAlbumPrivate : public QSharedData
{
public:
    QString id;
    CvUserRef from;
    QString name;
    QString picture;
    QString description;
    QString location;
    QString link;
    QString privacy;
    int count = 0;
    QDateTime createdTime;
    QDateTime updatedTime;
    QString type;
};

CvAlbum::CvAlbum()
    : d(new CvAlbumPrivate)
{
}

CvAlbum::CvAlbum(const QString &id)
    : d(new CvAlbumPrivate)
{
    d->id = id;
}

CvAlbum::CvAlbum(const CvAlbum &other) = default;

CvAlbum::CvAlbum(CvAlbum &&other) noexcept = default;

CvAlbum::~CvAlbum() = default;

CvAlbum &CvAlbum::operator=(const CvAlbum &other) = default;

bool CvAlbum::isValid() const
{
    return !d->id.isEmpty();
}

QString CvAlbum::id() const
{
    return d->id;
}

const CvUserRef &CvAlbum::from() const
{
    return d->from;
}

void CvAlbum::setFrom(const CvUserRef &from)
{
    d->from = from;
}

QString CvAlbum::name() const
{
    return d->name;
}

void CvAlbum::setName(const QString &name)
{
    d->name = name;
}

QString CvAlbum::picture() const
{
    return d->picture;
}

void CvAlbum::setPicture(const QString &picture)
{
    d->picture = picture;
}

QString CvAlbum::description() const
{
    return d->description;
}

void CvAlbum::setDescription(const QString &description)
{
    d->description = description;
}

QString CvAlbum::location() const
{
    return d->location;
}

void CvAlbum::setLocation(const QString &location)
{
    d->location = location;
}

QString CvAlbum::link() const
{
    return d->link;
}

void CvAlbum::setLink(const QString &link)
{
    d->link = link;
}

QString CvAlbum::privacy() const
{
    return d->privacy;
}

void CvAlbum::setPrivacy(const QString &privacy)
{
    d->privacy = privacy;
}

int CvAlbum::count() const
{
    return d->count;
}

void CvAlbum::setCount(int count)
{
    d->count = count;
}

QDateTime CvAlbum::createdTime() const
{
    return d->createdTime;
}

void CvAlbum::setCreatedTime(const QDateTime &createdTime)
{
    d->createdTime = createdTime;
}

QDateTime CvAlbum::updatedTime() const
{
    return d->updatedTime;
}

void CvAlbum::setUpdatedTime(const QDateTime &updatedTime)
{
    d->updatedTime = updatedTime;
}

QString CvAlbum::type() const
{
    return d->type;
}

void CvAlbum::setType(const QString &type)
{
    d->type = type;
}

bool operator==(const CvAlbum &a, const CvAlbum &b)
{
    return a.id() == b.id() && a.name() == b.name() && a.from() == b.from()
        && a.picture() == b.picture() && a.description() == b.description()
        && a.location() == b.location() && a.link() == b.link() && a.privacy() == b.privacy()
        && a.count() == b.count() && a.createdTime() == b.createdTime()
        && a.updatedTime() == b.updatedTime() && a.type() == b.type();
}

bool operator!=(const CvAlbum &a, const CvAlbum &b)
{
    return !(a == b);
}

} // namespace Cv
