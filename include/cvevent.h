#ifndef CVEVENT_H
#define CVEVENT_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvEventPrivate;

//! An event the user is invited to or takes part in.
class CV_EXPORT CvEvent
{
public:
    //! Where an event takes place.
    class CvVenue
    {
    public:
        //! Street and number.
        QString street;
        //! City.
        QString city;
        //! State or region.
        QString state;
        //! Country.
        QString country;
        //! Latitude in degrees.
        float latitude = 0.0f;
        //! Longitude in degrees.
        float longitude = 0.0f;
    };

    //! An empty event, invalid.
    CvEvent();
    //! The event \a id.
    explicit CvEvent(const QString &id);
    //! The event \a id organised by \a owner.
    CvEvent(const QString &id, const CvUserRef &owner);
    //! A copy of \a other, sharing its data until one of them changes.
    CvEvent(const CvEvent &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvEvent(CvEvent &&other) noexcept;
    ~CvEvent();
    //! Makes this a copy of \a other.
    CvEvent &operator=(const CvEvent &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvEvent)
    //! Swaps this with \a other; never fails.
    void swap(CvEvent &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! Event id.
    QString id() const;
    //! Title.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! Picture URL.
    //!@{
    QString picture() const;
    void setPicture(const QString &picture);
    //!@}
    //! Start time.
    //!@{
    QDateTime startTime() const;
    void setStartTime(const QDateTime &startTime);
    //!@}
    //! End time.
    //!@{
    QDateTime endTime() const;
    void setEndTime(const QDateTime &endTime);
    //!@}
    //! Location text.
    //!@{
    QString location() const;
    void setLocation(const QString &location);
    //!@}
    //! Answer of the user, as sent by the service, such as "attending".
    //!@{
    QString rsvpStatus() const;
    void setRsvpStatus(const QString &rsvpStatus);
    //!@}
    //! Organiser.
    //!@{
    const CvUserRef &owner() const;
    void setOwner(const CvUserRef &owner);
    //!@}
    //! Description.
    //!@{
    QString description() const;
    void setDescription(const QString &description);
    //!@}
    //! Privacy text.
    //!@{
    QString privacy() const;
    void setPrivacy(const QString &privacy);
    //!@}
    //! Time of the last change.
    //!@{
    QDateTime updatedTime() const;
    void setUpdatedTime(const QDateTime &updatedTime);
    //!@}
    //! Venue of the event.
    //!@{
    CvEvent::CvVenue venue() const;
    void setVenue(const CvEvent::CvVenue &venue);
    //!@}

private:
    QSharedDataPointer<CvEventPrivate> d;
};

//! Compares id, startTime, name, endTime, location, rsvpStatus, owner, description, privacy,
//! updatedTime, venue, picture.
CV_EXPORT bool operator==(const CvEvent &a, const CvEvent &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvEvent &a, const CvEvent &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvEvent)
Q_DECLARE_METATYPE(Cv::CvEvent)
Q_DECLARE_METATYPE(Cv::CvEvents)
Q_DECLARE_METATYPE(Cv::CvEvent::CvVenue)

#endif // CVEVENT_H
