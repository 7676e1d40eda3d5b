#ifndef CVMEDIA_H
#define CVMEDIA_H

#include "cvexport.h"
#include "cvtag.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvMediaPrivate;

//! What photos and videos have in common. Accessors and setters are virtual; the destructor is
//! not, so never delete a CvPhoto or CvVideo through a CvMedia pointer.
class CV_EXPORT CvMedia
{
public:
    //! An empty media object, invalid.
    CvMedia();
    //! The media object \a id.
    explicit CvMedia(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvMedia(const CvMedia &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvMedia(CvMedia &&other) noexcept;
    ~CvMedia();
    //! Makes this a copy of \a other.
    CvMedia &operator=(const CvMedia &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvMedia)
    //! Swaps this with \a other; never fails.
    void swap(CvMedia &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    virtual bool isValid() const;
    //! Object id.
    virtual QString id() const;
    //! Title.
    virtual QString name() const;
    //! Creation time.
    virtual QDateTime createdTime() const;
    //! Owner.
    virtual const CvUserRef &from() const;
    //! Icon URL.
    virtual QString icon() const;
    //! URL of the full media.
    virtual QString source() const;
    //! Time of the last update.
    virtual QDateTime updatedTime() const;
    //! Tags on the media.
    virtual CvTags tags() const;
    //! Thumbnail URL.
    virtual QString picture() const;
    //! Sets what the getter of the same name returns.
    //!@{
    virtual void setFrom(const CvUserRef &from);
    virtual void setName(const QString &name);
    virtual void setIcon(const QString &icon);
    virtual void setSource(const QString &source);
    virtual void setCreatedTime(const QDateTime &createdTime);
    virtual void setUpdatedTime(const QDateTime &updatedTime);
    virtual void setTags(const CvTags &tags);
    virtual void setPicture(const QString &picture);
    //!@}

private:
    QSharedDataPointer<CvMediaPrivate> d;
};

//! Compares id, from, tags, name, icon, source, createdTime, updatedTime.
CV_EXPORT bool operator==(const CvMedia &a, const CvMedia &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvMedia &a, const CvMedia &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvMedia)

#endif // CVMEDIA_H
