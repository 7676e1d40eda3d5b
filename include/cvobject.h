#ifndef CVOBJECT_H
#define CVOBJECT_H

#include "cvalbum.h"
#include "cvcheckin.h"
#include "cvevent.h"
#include "cvexport.h"
#include "cvgroup.h"
#include "cvmessage.h"
#include "cvpage.h"
#include "cvphoto.h"
#include "cvplace.h"
#include "cvpost.h"
#include "cvtypes.h"
#include "cvuser.h"
#include "cvvideo.h"

#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>
#include <QVariantMap>

namespace Cv {

class CvObjectPrivate;

//! An object of any kind from a by-id retrieval, kept with its decoded data so that it can
//! be turned into the right entity later.
class CV_EXPORT CvObject
{
public:
    //! An empty object, invalid.
    CvObject();
    //! An object with \a id, \a name and \a type.
    CvObject(const QString &id, const QString &name, const QString &type);
    //! A copy of \a other, sharing its data until one of them changes.
    CvObject(const CvObject &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvObject(CvObject &&other) noexcept;
    ~CvObject();
    //! Makes this a copy of \a other.
    CvObject &operator=(const CvObject &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvObject)
    //! Swaps this with \a other; never fails.
    void swap(CvObject &other) noexcept { d.swap(other.d); }

    //! True when the id or the type is not empty.
    bool isValid() const;

    //! Service id.
    //!@{
    QString id() const;
    void setId(const QString &id);
    //!@}
    //! Display name.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! Type tag, as the service sent it.
    //!@{
    QString type() const;
    void setType(const QString &type);
    //!@}
    //! Sets the decoded data of the whole object.
    void setData(const QVariantMap &data);

    // Each conversion reads the stored data as that kind of object, whatever type() says;
    // the wrong one yields what that conversion makes of the data, often an invalid object.
    //! The stored data as a video.
    CvVideo toVideo() const;
    //! The stored data as a user.
    CvUser toUser() const;
    //! The stored data as a post.
    CvPost toPost() const;
    //! The stored data as a place.
    CvPlace toPlace() const;
    //! The stored data as a photo.
    CvPhoto toPhoto() const;
    //! The stored data as a page.
    CvPage toPage() const;
    //! The stored data as a comment.
    CvMessage toComment() const;
    //! The stored data as a group.
    CvGroup toGroup() const;
    //! The stored data as an event.
    CvEvent toEvent() const;
    //! The stored data as a check-in.
    CvCheckin toCheckin() const;
    //! The stored data as an album.
    CvAlbum toAlbum() const;

private:
    QSharedDataPointer<CvObjectPrivate> d;
};

//! Compares id, name, type.
CV_EXPORT bool operator==(const CvObject &a, const CvObject &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvObject &a, const CvObject &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvObject)
Q_DECLARE_METATYPE(Cv::CvObject)
Q_DECLARE_METATYPE(Cv::CvObjects)

#endif // CVOBJECT_H
