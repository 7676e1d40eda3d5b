#include "cvtag.h"

namespace Cv {

class CvTagPrivate : public QSharedData
{
public:
    QString id;
    QString name;
    int x = 0;
    int y = 0;
    QDateTime createdTime;
};

CvTag::CvTag()
    : d(new CvTagPrivate)
{
}

CvTag::CvTag(const QString &id)
    : d(new CvTagPrivate)
{
    d->id = id;
}

CvTag::CvTag(const CvTag &other) = default;

CvTag::CvTag(CvTag &&other) noexcept = default;

CvTag::~CvTag() = default;

CvTag &CvTag::operator=(const CvTag &other) = default;

bool CvTag::isValid() const
{
    return !d->id.isEmpty() || !d->name.isEmpty();
}

QString CvTag::id() const
{
    return d->id;
}

QString CvTag::name() const
{
    return d->name;
}

void CvTag::setName(const QString &name)
{
    d->name = name;
}

int CvTag::x() const
{
    return d->x;
}

void CvTag::setX(int x)
{
    d->x = x;
}

int CvTag::y() const
{
    return d->y;
}

void CvTag::setY(int y)
{
    d->y = y;
}

QDateTime CvTag::createdTime() const
{
    return d->createdTime;
}

void CvTag::setCreatedTime(const QDateTime &createdTime)
{
    d->createdTime = createdTime;
}

bool operator==(const CvTag &a, const CvTag &b)
{
    return a.id() == b.id() && a.name() == b.name() && a.x() == b.x() && a.y() == b.y()
        && a.createdTime() == b.createdTime();
}

bool operator!=(const CvTag &a, const CvTag &b)
{
    return !(a == b);
}

} // namespace Cv
