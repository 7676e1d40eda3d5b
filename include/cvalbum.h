#ifndef CVALBUM_H
#define CVALBUM_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvAlbumPrivate;

//! A photo album.
class CV_EXPORT CvAlbum
{
public:
    //! An empty album, invalid.
    CvAlbum();
    //! The album \a id.
    explicit CvAlbum(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvAlbum(const CvAlbum &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvAlbum(CvAlbum &&other) noexcept;
    ~CvAlbum();
    //! Makes this a copy of \a other.
    CvAlbum &operator=(const CvAlbum &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvAlbum)
    //! Swaps this with \a other; never fails.
    void swap(CvAlbum &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! Album id.
    QString id() const;
    //! Owner.
    //!@{
    const CvUserRef &from() const;
    void setFrom(const CvUserRef &from);
    //!@}
    //! Album name.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! Cover picture URL.
    //!@{
    QString picture() const;
    void setPicture(const QString &picture);
    //!@}
    //! Description.
    //!@{
    QString description() const;
    void setDescription(const QString &description);
    //!@}
    //! Location text.
    //!@{
    QString location() const;
    void setLocation(const QString &location);
    //!@}
    //! Album URL.
    //!@{
    QString link() const;
    void setLink(const QString &link);
    //!@}
    //! Privacy text.
    //!@{
    QString privacy() const;
    void setPrivacy(const QString &privacy);
    //!@}
    //! Number of photos.
    //!@{
    int count() const;
    void setCount(int count);
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
    //! Album type text, as sent.
    //!@{
    QString type() const;
    void setType(const QString &type);
    //!@}

private:
    QSharedDataPointer<CvAlbumPrivate> d;
};

//! Compares id, name, from, picture, description, location, link, privacy, count, createdTime,
//! updatedTime, type.
CV_EXPORT bool operator==(const CvAlbum &a, const CvAlbum &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvAlbum &a, const CvAlbum &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvAlbum)
Q_DECLARE_METATYPE(Cv::CvAlbum)
Q_DECLARE_METATYPE(Cv::CvAlbums)

#endif // CVALBUM_H
