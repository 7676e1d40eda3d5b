#ifndef CVPLACE_H
#define CVPLACE_H

#include "cvexport.h"
#include "cvlocation.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvPlacePrivate;

//! A place users can check in at. Accessors and setters are virtual; the destructor is not, so
//! never delete a derived object through a CvPlace pointer.
class CV_EXPORT CvPlace
{
public:
    //! An empty place, invalid.
    CvPlace();
    //! The place \a id.
    explicit CvPlace(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvPlace(const CvPlace &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvPlace(CvPlace &&other) noexcept;
    ~CvPlace();
    //! Makes this a copy of \a other.
    CvPlace &operator=(const CvPlace &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvPlace)
    //! Swaps this with \a other; never fails.
    void swap(CvPlace &other) noexcept { d.swap(other.d); }

    //! True when the id is set and the location has both coordinates.
    virtual bool isValid() const;
    //! Place id.
    virtual QString id() const;
    //! Place name.
    virtual QString name() const;
    //! Category text.
    virtual QString category() const;
    //! Address and coordinates.
    virtual CvLocation location() const;
    //! Sets what the getter of the same name returns.
    //!@{
    virtual void setName(const QString &name);
    virtual void setCategory(const QString &category);
    virtual void setLocation(const CvLocation &location);
    //!@}

private:
    QSharedDataPointer<CvPlacePrivate> d;
};

//! Compares id, name, category, location.
CV_EXPORT bool operator==(const CvPlace &a, const CvPlace &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvPlace &a, const CvPlace &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvPlace)
Q_DECLARE_METATYPE(Cv::CvPlaces)

#endif // CVPLACE_H
