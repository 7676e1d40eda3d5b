#include "cvlocation.h"

namespace Cv {

class CvLocationPrivate
{
public:
    QString street;
    QString city;
    QString state;
    QString country;
    QString zip;
    float latitude = 0.0f;
    float longitude = 0.0f;
};

CvLocation::CvLocation()
    : d(std::make_unique<CvLocationPrivate>())
{
}

CvLocation::CvLocation(const CvLocation &other)
    : d(std::make_unique<CvLocationPrivate>(*other.d))
{
}

CvLocation::~CvLocation() = default;

CvLocation &CvLocation::operator=(const CvLocation &other)
{
    if (this != &other)
        d = std::make_unique<CvLocationPrivate>(*other.d);
    return *this;
}

bool CvLocation::isValid() const
{
    return d->latitude != 0.0f && d->longitude != 0.0f;
}

QString CvLocation::street() const
{
    return d->street;
}

void CvLocation::setStreet(const QString &street)
{
    d->street = street;
}

QString CvLocation::city() const
{
    return d->city;
}

void CvLocation::setCity(const QString &city)
{
    d->city = city;
}

QString CvLocation::state() const
{
    return d->state;
}

void CvLocation::setState(const QString &state)
{
    d->state = state;
}

QString CvLocation::country() const
{
    return d->country;
}

void CvLocation::setCountry(const QString &country)
{
    d->country = country;
}

QString CvLocation::zip() const
{
    return d->zip;
}

void CvLocation::setZip(const QString &zip)
{
    d->zip = zip;
}

float CvLocation::latitude() const
{
    return d->latitude;
}

void CvLocation::setLatitude(float latitude)
{
    d->latitude = latitude;
}

float CvLocation::longitude() const
{
    return d->longitude;
}

void CvLocation::setLongitude(float longitude)
{
    d->longitude = longitude;
}

bool operator==(const CvLocation &a, const CvLocation &b)
{
    return a.street() == b.street() && a.city() == b.city() && a.state() == b.state()
        && a.country() == b.country() && a.zip() == b.zip() && a.latitude() == b.latitude()
        && a.longitude() == b.longitude();
}

bool operator!=(const CvLocation &a, const CvLocation &b)
{
    return !(a == b);
}

} // namespace Cv
