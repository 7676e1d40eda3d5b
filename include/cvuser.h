#ifndef CVUSER_H
#define CVUSER_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvUserPrivate;

//! A user profile, with its texts as the service sent them.
class CV_EXPORT CvUser
{
public:
    //! An empty user, invalid.
    CvUser();
    //! The user \a id called \a name.
    CvUser(const QString &id, const QString &name);
    //! The user that \a ref names.
    explicit CvUser(const CvUserRef &ref);
    //! A copy of \a other, sharing its data until one of them changes.
    CvUser(const CvUser &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvUser(CvUser &&other) noexcept;
    ~CvUser();
    //! Makes this a copy of \a other.
    CvUser &operator=(const CvUser &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvUser)
    //! Swaps this with \a other; never fails.
    void swap(CvUser &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! User id.
    QString id() const;
    //! Display name.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! First name.
    //!@{
    QString firstName() const;
    void setFirstName(const QString &firstName);
    //!@}
    //! Last name.
    //!@{
    QString lastName() const;
    void setLastName(const QString &lastName);
    //!@}
    //! Profile URL.
    //!@{
    QString link() const;
    void setLink(const QString &link);
    //!@}
    //! About text.
    //!@{
    QString about() const;
    void setAbout(const QString &about);
    //!@}
    //! Birthday, as text in the form the service or the cache delivered.
    //!@{
    QString birthday() const;
    void setBirthday(const QString &birthday);
    //!@}
    //! E-mail address.
    //!@{
    QString email() const;
    void setEmail(const QString &email);
    //!@}
    //! Web site.
    //!@{
    QString website() const;
    void setWebsite(const QString &website);
    //!@}
    //! Name of the home town.
    //!@{
    QString hometown() const;
    void setHometown(const QString &hometown);
    //!@}
    //! Name of the current location.
    //!@{
    QString location() const;
    void setLocation(const QString &location);
    //!@}
    //! Biography.
    //!@{
    QString bio() const;
    void setBio(const QString &bio);
    //!@}
    //! Gender.
    //!@{
    QString gender() const;
    void setGender(const QString &gender);
    //!@}
    //! Interested-in text.
    //!@{
    QString interestedIn() const;
    void setInterestedIn(const QString &interestedIn);
    //!@}
    //! Meeting-for text.
    //!@{
    QString meetingFor() const;
    void setMeetingFor(const QString &meetingFor);
    //!@}
    //! Relationship status.
    //!@{
    QString relationshipStatus() const;
    void setRelationshipStatus(const QString &relationshipStatus);
    //!@}
    //! Religion.
    //!@{
    QString religion() const;
    void setReligion(const QString &religion);
    //!@}
    //! Political view.
    //!@{
    QString political() const;
    void setPolitical(const QString &political);
    //!@}
    //! Partner.
    //!@{
    const CvUserRef &significantOther() const;
    void setSignificantOther(const CvUserRef &significantOther);
    //!@}
    //! Time-zone offset, as the service sends it.
    //!@{
    int timezone() const;
    void setTimezone(int timezone);
    //!@}
    //! URL of the profile picture.
    //!@{
    QString picture() const;
    void setPicture(const QString &picture);
    //!@}
    //! Mobile phone number.
    //!@{
    QString mobilePhone() const;
    void setMobilePhone(const QString &mobilePhone);
    //!@}
    //! Locale of the user.
    //!@{
    QString locale() const;
    void setLocale(const QString &locale);
    //!@}

    //! The id and name of this user.
    CvUserRef toRef() const;
    //! True when id and name are set and nothing else is: the user is no more than a reference.
    bool isRef() const;
    //! toRef() of each user, in order.
    static CvUserRefs convert(const CvUsers &users);

private:
    QSharedDataPointer<CvUserPrivate> d;
};

//! Compares about, bio, birthday, email, firstName, gender, hometown, id, lastName, link, name,
//! political, picture, religion, mobilePhone, website, location, interestedIn, meetingFor,
//! relationshipStatus, significantOther, timezone, locale.
CV_EXPORT bool operator==(const CvUser &a, const CvUser &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvUser &a, const CvUser &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvUser)
Q_DECLARE_METATYPE(Cv::CvUser)
Q_DECLARE_METATYPE(Cv::CvUsers)

#endif // CVUSER_H
