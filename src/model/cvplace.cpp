#include "cvplace.h"

namespace Cv {

class CvPlacePrivate : public QSharedData
{
public:
    QString id;
    QString name;
    QString category;
    CvLocation location;
};

CvPlace::CvPlace()
    : d(new CvPlacePrivate)
{
}

CvPlace::CvPlace(const QString &id)
    : d(new CvPlacePrivate)
{
    d->id = id;
}

CvPlace::CvPlace(const CvPlace &other) = default;

CvPlace::CvPlace(CvPlace &&other) noexcept = default;

CvPlace::~CvPlace() = default;

CvPlace &CvPlace::operator=(const CvPlace &other) = default;

bool CvPlace::isValid() const
{
    return !id().isEmpty() && location().isValid();
}

QString CvPlace::id() const
{
    return d->id;
}

QString CvPlace::name() const
{
    return d->name;
}

QString CvPlace::category() const
{
    return d->category;
}

CvLocation CvPlace::location() const
{
    return d->location;
}

void CvPlace::setName(const QString &name)
{
    d->name = name;
}

void CvPlace::setCategory(const QString &category)
{
    d->category = category;
}

void CvPlace::setLocation(const CvLocation &location)
{
    d->location = location;
}

bool operator==(const CvPlace &a, const CvPlace &b)
{
    return a.id() == b.id() && a.name() == b.name() && a.category() == b.category()
        && a.location() == b.location();
}

bool operator!=(const CvPlace &a, const CvPlace &b)
{
    return !(a == b);
}

} // namespace Cv
