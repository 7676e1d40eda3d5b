#ifndef CVCHECKIN_H
#define CVCHECKIN_H

#include "cvexport.h"
#include "cvplace.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvCheckinPrivate;

//! A check-in of a user at a place.
class CV_EXPORT CvCheckin
{
public:
    //! An empty check-in, invalid.
    CvCheckin();
    //! The check-in \a id.
    explicit CvCheckin(const QString &id);
    //! The check-in \a id of \a from at \a place.
    CvCheckin(const QString &id, const CvUserRef &from, const CvPlace &place);
    //! A copy of \a other, sharing its data until one of them changes.
    CvCheckin(const CvCheckin &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvCheckin(CvCheckin &&other) noexcept;
    ~CvCheckin();
    //! Makes this a copy of \a other.
    CvCheckin &operator=(const CvCheckin &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvCheckin)
    //! Swaps this with \a other; never fails.
    void swap(CvCheckin &other) noexcept { d.swap(other.d); }

    //! True when the id and the user's id are set and the place is valid.
    bool isValid() const;

    //! Check-in id.
    QString id() const;
    //! User who checked in.
    //!@{
    CvUserRef from() const;
    void setFrom(const CvUserRef &from);
    //!@}
    //! Users tagged in the check-in.
    //!@{
    CvUserRefs tags() const;
    void setTags(const CvUserRefs &tags);
    //!@}
    //! Place of the check-in.
    //!@{
    CvPlace place() const;
    void setPlace(const CvPlace &place);
    //!@}
    //! Message text.
    //!@{
    QString message() const;
    void setMessage(const QString &message);
    //!@}
    //! Application used, its id and name.
    //!@{
    CvUserRef application() const;
    void setApplication(const CvUserRef &application);
    //!@}
    //! Time of the check-in.
    //!@{
    QDateTime createdTime() const;
    void setCreatedTime(const QDateTime &createdTime);
    //!@}

private:
    QSharedDataPointer<CvCheckinPrivate> d;
};

//! Compares id, from, tags, place, message, createdTime.
CV_EXPORT bool operator==(const CvCheckin &a, const CvCheckin &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvCheckin &a, const CvCheckin &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvCheckin)
Q_DECLARE_METATYPE(Cv::CvCheckin)
Q_DECLARE_METATYPE(Cv::CvCheckins)

#endif // CVCHECKIN_H
