#ifndef CVATTACHMENT_H
#define CVATTACHMENT_H

#include "cvexport.h"
#include "cvlinkinfo.h"
#include "cvphoto.h"
#include "cvtypes.h"
#include "cvvideo.h"

#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvAttachmentPrivate;

//! One attachment of a thread message: a photo, a link or a video.
class CV_EXPORT CvAttachment
{
public:
    //! An empty attachment, invalid.
    CvAttachment();
    //! The attachment \a id of kind \a type.
    CvAttachment(const QString &id, const QString &type);
    //! A copy of \a other, sharing its data until one of them changes.
    CvAttachment(const CvAttachment &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvAttachment(CvAttachment &&other) noexcept;
    ~CvAttachment();
    //! Makes this a copy of \a other.
    CvAttachment &operator=(const CvAttachment &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvAttachment)
    //! Swaps this with \a other; never fails.
    void swap(CvAttachment &other) noexcept { d.swap(other.d); }

    //! True when the id and the type are set.
    bool isValid() const;

    //! Attachment id.
    QString id() const;
    //! Kind of attachment: "photo", "link" or "video".
    QString type() const;
    //! Link part.
    //!@{
    const CvLinkInfo &linkInfo() const;
    void setLinkInfo(const CvLinkInfo &linkInfo);
    //!@}
    //! Photo part.
    //!@{
    const CvPhoto &photo() const;
    void setPhoto(const CvPhoto &photo);
    //!@}
    //! Video part.
    //!@{
    const CvVideo &video() const;
    void setVideo(const CvVideo &video);
    //!@}

private:
    QSharedDataPointer<CvAttachmentPrivate> d;
};

//! Compares id, linkInfo, photo, type.
CV_EXPORT bool operator==(const CvAttachment &a, const CvAttachment &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvAttachment &a, const CvAttachment &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvAttachment)
Q_DECLARE_METATYPE(Cv::CvAttachment)
Q_DECLARE_METATYPE(Cv::CvAttachments)

#endif // CVATTACHMENT_H
