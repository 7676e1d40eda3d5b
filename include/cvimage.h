#ifndef CVIMAGE_H
#define CVIMAGE_H

#include "cvexport.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QString>
#include <memory>

namespace Cv {

class CvImagePrivate;

//! One rendition of a photo. Copies are deep.
class CV_EXPORT CvImage
{
public:
    //! An empty image, invalid.
    CvImage();
    //! A deep copy of \a other.
    CvImage(const CvImage &other);
    ~CvImage();
    //! Makes this a copy of \a other.
    CvImage &operator=(const CvImage &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvImage)
    //! Swaps this with \a other; never fails.
    void swap(CvImage &other) noexcept { d.swap(other.d); }

    //! True when the source is set and neither dimension is 0.
    bool isValid() const;

    //! URL of the image file.
    //!@{
    QString source() const;
    void setSource(const QString &source);
    //!@}
    //! Height in pixels.
    //!@{
    int height() const;
    void setHeight(int height);
    //!@}
    //! Width in pixels.
    //!@{
    int width() const;
    void setWidth(int width);
    //!@}

private:
    std::unique_ptr<CvImagePrivate> d;
};

//! Compares source, height, width.
CV_EXPORT bool operator==(const CvImage &a, const CvImage &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvImage &a, const CvImage &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvImage)
Q_DECLARE_METATYPE(Cv::CvImage)
Q_DECLARE_METATYPE(QList<Cv::CvImage>)

#endif // CVIMAGE_H
