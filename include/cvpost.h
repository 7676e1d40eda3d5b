#ifndef CVPOST_H
#define CVPOST_H

#include "cvaction.h"
#include "cvexport.h"
#include "cvlinkinfo.h"
#include "cvplace.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QPair>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvPostPrivate;

//! An item of a feed: a status, link, photo, video or check-in post.
class CV_EXPORT CvPost
{
public:
    //! An empty post, invalid.
    CvPost();
    //! The post \a id by \a from.
    CvPost(const QString &id, const CvUserRef &from);
    //! The post \a id by \a from made at \a created.
    CvPost(const QString &id, const CvUserRef &from, const QDateTime &created);
    //! A copy of \a other, sharing its data until one of them changes.
    CvPost(const CvPost &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvPost(CvPost &&other) noexcept;
    ~CvPost();
    //! Makes this a copy of \a other.
    CvPost &operator=(const CvPost &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvPost)
    //! Swaps this with \a other; never fails.
    void swap(CvPost &other) noexcept { d.swap(other.d); }

    //! True when the id and the author's id are set.
    bool isValid() const;

    //! Post id.
    QString id() const;
    //! Author.
    //!@{
    const CvUserRef &from() const;
    void setFrom(const CvUserRef &from);
    //!@}
    //! Addressees.
    //!@{
    CvUserRefs to() const;
    void setTo(const CvUserRefs &to);
    //!@}
    //! Users tagged as being with the author.
    //!@{
    CvUserRefs withTags() const;
    void setWithTags(const CvUserRefs &withTags);
    //!@}
    //! Text.
    //!@{
    QString message() const;
    void setMessage(const QString &message);
    //!@}
    //! Picture URL.
    //!@{
    QString picture() const;
    void setPicture(const QString &picture);
    //!@}
    //! Shared link.
    //!@{
    const CvLinkInfo &linkInfo() const;
    void setLinkInfo(const CvLinkInfo &linkInfo);
    //!@}
    //! Media source URL.
    //!@{
    QString source() const;
    void setSource(const QString &source);
    //!@}
    //! Icon URL.
    //!@{
    QString icon() const;
    void setIcon(const QString &icon);
    //!@}
    //! Attribution text.
    //!@{
    QString attribution() const;
    void setAttribution(const QString &attribution);
    //!@}
    //! Application that made the post: its id, then its name.
    //!@{
    QPair<QString, QString> application() const;
    void setApplication(const QPair<QString, QString> &application);
    //!@}
    //! Actions offered on the post.
    //!@{
    CvActions actions() const;
    void setActions(const CvActions &actions);
    //!@}
    //! Number of likes.
    //!@{
    int likes() const;
    void setLikes(int likes);
    //!@}
    //! Creation time.
    //!@{
    QDateTime created() const;
    void setCreated(const QDateTime &created);
    //!@}
    //! Time of the last update.
    //!@{
    QDateTime updated() const;
    void setUpdated(const QDateTime &updated);
    //!@}
    //! Number of comments.
    //!@{
    int commentCount() const;
    void setCommentCount(int commentCount);
    //!@}
    //! Post type text, as sent by the service.
    //!@{
    QString type() const;
    void setType(const QString &type);
    //!@}
    //! Subject.
    //!@{
    QString subject() const;
    void setSubject(const QString &subject);
    //!@}
    //! Id of the album a photo post refers to.
    //!@{
    QString albumId() const;
    void setAlbumId(const QString &albumId);
    //!@}
    //! Id of the object the post refers to.
    //!@{
    QString objectId() const;
    void setObjectId(const QString &objectId);
    //!@}
    //! Place of the post.
    //!@{
    CvPlace place() const;
    void setPlace(const CvPlace &place);
    //!@}
    //! Story text.
    //!@{
    QString story() const;
    void setStory(const QString &story);
    //!@}

private:
    QSharedDataPointer<CvPostPrivate> d;
};

//! Compares actions, attribution, application, created, from, icon, id, likes, linkInfo, message,
//! picture, source, to, updated, type, subject, commentCount, albumId, objectId, place, story,
//! withTags.
CV_EXPORT bool operator==(const CvPost &a, const CvPost &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvPost &a, const CvPost &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvPost)
Q_DECLARE_METATYPE(Cv::CvPost)
Q_DECLARE_METATYPE(Cv::CvPosts)

#endif // CVPOST_H
