#ifndef CVNOTIFICATION_H
#define CVNOTIFICATION_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvNotificationPrivate;

//! A notification sent to the user.
class CV_EXPORT CvNotification
{
public:
    //! An empty notification, invalid.
    CvNotification();
    //! The notification \a id from \a from.
    CvNotification(const QString &id, const CvUserRef &from);
    //! The notification \a id from \a from made at \a createdTime.
    CvNotification(const QString &id, const CvUserRef &from, const QDateTime &createdTime);
    //! A copy of \a other, sharing its data until one of them changes.
    CvNotification(const CvNotification &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvNotification(CvNotification &&other) noexcept;
    ~CvNotification();
    //! Makes this a copy of \a other.
    CvNotification &operator=(const CvNotification &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvNotification)
    //! Swaps this with \a other; never fails.
    void swap(CvNotification &other) noexcept { d.swap(other.d); }

    //! True when the id and the sender's id are set.
    bool isValid() const;

    //! Notification id.
    QString id() const;
    //! Sender.
    //!@{
    const CvUserRef &from() const;
    void setFrom(const CvUserRef &from);
    //!@}
    //! Creation time.
    //!@{
    QDateTime createdTime() const;
    void setCreatedTime(const QDateTime &createdTime);
    //!@}
    //! Time of the last update.
    //!@{
    QDateTime updatedTime() const;
    void setUpdatedTime(const QDateTime &updatedTime);
    //!@}
    //! Title as plain text.
    //!@{
    QString title() const;
    void setTitle(const QString &title);
    //!@}
    //! Title as HTML.
    //!@{
    QString titleHtml() const;
    void setTitleHtml(const QString &titleHtml);
    //!@}
    //! Body as plain text.
    //!@{
    QString body() const;
    void setBody(const QString &body);
    //!@}
    //! Body as HTML.
    //!@{
    QString bodyHtml() const;
    void setBodyHtml(const QString &bodyHtml);
    //!@}
    //! URL the notification points to.
    //!@{
    QString link() const;
    void setLink(const QString &link);
    //!@}
    //! Id of the application that sent it.
    //!@{
    QString applicationId() const;
    void setApplicationId(const QString &applicationId);
    //!@}
    //! Whether it is not yet read.
    //!@{
    bool unread() const;
    void setUnread(bool unread);
    //!@}
    //! Whether the user has hidden it.
    //!@{
    bool hidden() const;
    void setHidden(bool hidden);
    //!@}
    //! Id of the object concerned.
    //!@{
    QString objectId() const;
    void setObjectId(const QString &objectId);
    //!@}
    //! Type of that object, as sent.
    //!@{
    QString objectType() const;
    void setObjectType(const QString &objectType);
    //!@}
    //! Icon URL.
    //!@{
    QString icon() const;
    void setIcon(const QString &icon);
    //!@}
    //! Album id, for photo notifications.
    //!@{
    QString albumId() const;
    void setAlbumId(const QString &albumId);
    //!@}

private:
    QSharedDataPointer<CvNotificationPrivate> d;
};

//! Compares id, from, createdTime, updatedTime, title, titleHtml, body, bodyHtml, link,
//! applicationId, unread, hidden, objectId, objectType, icon, albumId.
CV_EXPORT bool operator==(const CvNotification &a, const CvNotification &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvNotification &a, const CvNotification &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvNotification)
Q_DECLARE_METATYPE(Cv::CvNotification)
Q_DECLARE_METATYPE(Cv::CvNotificationList)

#endif // CVNOTIFICATION_H
