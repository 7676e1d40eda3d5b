#include "cvgroup.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvGroupPrivate : public QSharedData
{
public:
    QString id;
    int version = 0;
    CvUserRef owner;
    QString name;
    QString description;
    QString privacy;
    QString icon;
    QDateTime updatedTime;
    QString email;
    QString link;
    QString picture;
};

CvGroup::CvGroup()
    : d(new CvGroupPrivate)
{
}

CvGroup::CvGroup(const QString &id)
    : d(new CvGroupPrivate)
{
    d->id = id;
}

CvGroup::CvGroup(const QString &id, const CvUserRef &owner)
    : d(new CvGroupPrivate)
{
    d->id = id;
    d->owner = owner;
}

CvGroup::CvGroup(const CvGroup &other) = default;

CvGroup::CvGroup(CvGroup &&other) noexcept = default;

CvGroup::~CvGroup() = default;

CvGroup &CvGroup::operator=(const CvGroup &other) = default;

bool CvGroup::isValid() const
{
    return !d->id.isEmpty();
}

QString CvGroup::id() const
{
    return d->id;
}

int CvGroup::version() const
{
    return d->version;
}

void CvGroup::setVersion(int version)
{
    d->version = version;
}

const CvUserRef &CvGroup::owner() const
{
    return d->owner;
}

void CvGroup::setOwner(const CvUserRef &owner)
{
    d->owner = owner;
}

QString CvGroup::name() const
{
    return d->name;
}

void CvGroup::setName(const QString &name)
{
    d->name = name;
}

QString CvGroup::description() const
{
    return d->description;
}

void CvGroup::setDescription(const QString &description)
{
    d->description = description;
}

QString CvGroup::privacy() const
{
    return d->privacy;
}

void CvGroup::setPrivacy(const QString &privacy)
{
    d->privacy = privacy;
}

QString CvGroup::icon() const
{
    return d->icon;
}

void CvGroup::setIcon(const QString &icon)
{
    d->icon = icon;
}

QDateTime CvGroup::updatedTime() const
{
    return d->updatedTime;
}

void CvGroup::setUpdatedTime(const QDateTime &updatedTime)
{
    d->updatedTime = updatedTime;
}

QString CvGroup::email() const
{
    return d->email;
}

void CvGroup::setEmail(const QString &email)
{
    d->email = email;
}

QString CvGroup::link() const
{
    return d->link;
}

void CvGroup::setLink(const QString &link)
{
    d->link = link;
}

QString CvGroup::picture() const
{
    return d->picture;
}

void CvGroup::setPicture(const QString &picture)
{
    d->picture = picture;
}

bool operator==(const CvGroup &a, const CvGroup &b)
{
    return a.id() == b.id() && a.version() == b.version() && a.owner() == b.owner()
        && a.name() == b.name() && a.picture() == b.picture() && a.description() == b.description()
        && a.privacy() == b.privacy() && a.icon() == b.icon()
        && isoDateEqual(a.updatedTime(), b.updatedTime()) && a.email() == b.email()
        && a.link() == b.link();
}

bool operator!=(const CvGroup &a, const CvGroup &b)
{
    return !(a == b);
}

} // namespace Cv
