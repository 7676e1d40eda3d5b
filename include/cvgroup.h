#ifndef CVGROUP_H
#define CVGROUP_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvGroupPrivate;

//! A group of users.
class CV_EXPORT CvGroup
{
public:
    //! An empty group, invalid.
    CvGroup();
    //! The group \a id.
    explicit CvGroup(const QString &id);
    //! The group \a id owned by \a owner.
    CvGroup(const QString &id, const CvUserRef &owner);
    //! A copy of \a other, sharing its data until one of them changes.
    CvGroup(const CvGroup &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvGroup(CvGroup &&other) noexcept;
    ~CvGroup();
    //! Makes this a copy of \a other.
    CvGroup &operator=(const CvGroup &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvGroup)
    //! Swaps this with \a other; never fails.
    void swap(CvGroup &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! Group id.
    QString id() const;
    //! Group version number, as sent by the service.
    //!@{
    int version() const;
    void setVersion(int version);
    //!@}
    //! Owner.
    //!@{
    const CvUserRef &owner() const;
    void setOwner(const CvUserRef &owner);
    //!@}
    //! Group name.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! Description.
    //!@{
    QString description() const;
    void setDescription(const QString &description);
    //!@}
    //! Privacy text, as sent.
    //!@{
    QString privacy() const;
    void setPrivacy(const QString &privacy);
    //!@}
    //! Icon URL.
    //!@{
    QString icon() const;
    void setIcon(const QString &icon);
    //!@}
    //! Time of the last change.
    //!@{
    QDateTime updatedTime() const;
    void setUpdatedTime(const QDateTime &updatedTime);
    //!@}
    //! E-mail address of the group.
    //!@{
    QString email() const;
    void setEmail(const QString &email);
    //!@}
    //! Group URL.
    //!@{
    QString link() const;
    void setLink(const QString &link);
    //!@}
    //! Picture URL.
    //!@{
    QString picture() const;
    void setPicture(const QString &picture);
    //!@}

private:
    QSharedDataPointer<CvGroupPrivate> d;
};

//! Compares id, version, owner, name, picture, description, privacy, icon, updatedTime, email,
//! link.
CV_EXPORT bool operator==(const CvGroup &a, const CvGroup &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvGroup &a, const CvGroup &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvGroup)
Q_DECLARE_METATYPE(Cv::CvGroup)
Q_DECLARE_METATYPE(Cv::CvGroups)

#endif // CVGROUP_H
