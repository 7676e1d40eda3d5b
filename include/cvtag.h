#ifndef CVTAG_H
#define CVTAG_H

#include "cvexport.h"
#include "cvtypes.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvTagPrivate;

//! A tag placed on a photo or video.
class CV_EXPORT CvTag
{
public:
    //! An empty tag, invalid.
    CvTag();
    //! A tag of the user \a id.
    explicit CvTag(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvTag(const CvTag &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvTag(CvTag &&other) noexcept;
    ~CvTag();
    //! Makes this a copy of \a other.
    CvTag &operator=(const CvTag &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvTag)
    //! Swaps this with \a other; never fails.
    void swap(CvTag &other) noexcept { d.swap(other.d); }

    //! True when the id or the name is not empty.
    bool isValid() const;

    //! Id of the tagged user; empty for a free-text tag.
    QString id() const;
    //! Name of the tagged user, or the tag text.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! Horizontal position, as sent by the service.
    //!@{
    int x() const;
    void setX(int x);
    //!@}
    //! Vertical position, as sent by the service.
    //!@{
    int y() const;
    void setY(int y);
    //!@}
    //! Time the tag was made.
    //!@{
    QDateTime createdTime() const;
    void setCreatedTime(const QDateTime &createdTime);
    //!@}

private:
    QSharedDataPointer<CvTagPrivate> d;
};

//! Compares id, name, x, y, createdTime.
CV_EXPORT bool operator==(const CvTag &a, const CvTag &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvTag &a, const CvTag &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvTag)
Q_DECLARE_METATYPE(Cv::CvTag)
Q_DECLARE_METATYPE(Cv::CvTags)

#endif // CVTAG_H
