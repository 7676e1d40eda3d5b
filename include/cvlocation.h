#ifndef CVLOCATION_H
#define CVLOCATION_H

#include "cvexport.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QString>
#include <memory>

namespace Cv {

class CvLocationPrivate;

//! A postal address with coordinates. Copies are deep.
class CV_EXPORT CvLocation
{
public:
    //! An empty location, invalid.
    CvLocation();
    //! A deep copy of \a other.
    CvLocation(const CvLocation &other);
    ~CvLocation();
    //! Makes this a copy of \a other.
    CvLocation &operator=(const CvLocation &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvLocation)
    //! Swaps this with \a other; never fails.
    void swap(CvLocation &other) noexcept { d.swap(other.d); }

    //! True when both coordinates are non-zero; the address does not count.
    bool isValid() const;

    //! Street and number.
    //!@{
    QString street() const;
    void setStreet(const QString &street);
    //!@}
    //! City.
    //!@{
    QString city() const;
    void setCity(const QString &city);
    //!@}
    //! State or region.
    //!@{
    QString state() const;
    void setState(const QString &state);
    //!@}
    //! Country.
    //!@{
    QString country() const;
    void setCountry(const QString &country);
    //!@}
    //! Postal code.
    //!@{
    QString zip() const;
    void setZip(const QString &zip);
    //!@}
    //! Latitude in degrees.
    //!@{
    float latitude() const;
    void setLatitude(float latitude);
    //!@}
    //! Longitude in degrees.
    //!@{
    float longitude() const;
    void setLongitude(float longitude);
    //!@}

private:
    std::unique_ptr<CvLocationPrivate> d;
};

//! Compares street, city, state, country, zip, latitude, longitude.
CV_EXPORT bool operator==(const CvLocation &a, const CvLocation &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvLocation &a, const CvLocation &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvLocation)
Q_DECLARE_METATYPE(Cv::CvLocation)
Q_DECLARE_METATYPE(QList<Cv::CvLocation>)

#endif // CVLOCATION_H
