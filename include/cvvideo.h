#ifndef CVVIDEO_H
#define CVVIDEO_H

#include "cvexport.h"
#include "cvmedia.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvVideoPrivate;

//! A video. Valid as a CvMedia is: a video without source is still valid.
class CV_EXPORT CvVideo : public CvMedia
{
public:
    //! An empty video, invalid.
    CvVideo();
    //! The video \a id.
    explicit CvVideo(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvVideo(const CvVideo &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvVideo(CvVideo &&other) noexcept;
    ~CvVideo();
    //! Makes this a copy of \a other.
    CvVideo &operator=(const CvVideo &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvVideo)
    //! Swaps this with \a other; never fails.
    void swap(CvVideo &other) noexcept
    {
        CvMedia::swap(other);
        dd.swap(other.dd);
    }

    //! HTML snippet that embeds the video player.
    //!@{
    virtual QString embeddedHtml() const;
    virtual void setEmbeddedHtml(const QString &embeddedHtml);
    //!@}

private:
    QSharedDataPointer<CvVideoPrivate> dd;
};

//! Compares the CvMedia part, embeddedHtml.
CV_EXPORT bool operator==(const CvVideo &a, const CvVideo &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvVideo &a, const CvVideo &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvVideo)
Q_DECLARE_METATYPE(Cv::CvVideos)

#endif // CVVIDEO_H
