#ifndef CVPHOTO_H
#define CVPHOTO_H

#include "cvexport.h"
#include "cvimage.h"
#include "cvmedia.h"
#include "cvtypes.h"

#include <QList>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvPhotoPrivate;

//! A photo.
class CV_EXPORT CvPhoto : public CvMedia
{
public:
    //! An empty photo, invalid.
    CvPhoto();
    //! The photo \a id.
    explicit CvPhoto(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvPhoto(const CvPhoto &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvPhoto(CvPhoto &&other) noexcept;
    ~CvPhoto();
    //! Makes this a copy of \a other.
    CvPhoto &operator=(const CvPhoto &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvPhoto)
    //! Swaps this with \a other; never fails.
    void swap(CvPhoto &other) noexcept
    {
        CvMedia::swap(other);
        dd.swap(other.dd);
    }

    //! True when the id and the source are set.
    bool isValid() const override;
    //! Photo page URL.
    virtual QString link() const;
    //! Height of the full image in pixels.
    virtual int height() const;
    //! Width of the full image in pixels.
    virtual int width() const;
    //! Available renditions.
    virtual QList<CvImage> images() const;
    //! Position of the photo in its album.
    virtual int position() const;
    //! Sets what the getter of the same name returns.
    //!@{
    virtual void setLink(const QString &link);
    virtual void setHeight(int height);
    virtual void setWidth(int width);
    virtual void setImages(const QList<CvImage> &images);
    virtual void setPosition(int position);
    //!@}

private:
    QSharedDataPointer<CvPhotoPrivate> dd;
};

//! Compares the CvMedia part, images, height, width, link, position.
CV_EXPORT bool operator==(const CvPhoto &a, const CvPhoto &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvPhoto &a, const CvPhoto &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvPhoto)
Q_DECLARE_METATYPE(Cv::CvPhotos)

#endif // CVPHOTO_H
