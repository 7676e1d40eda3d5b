#ifndef CVMESSAGE_H
#define CVMESSAGE_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <memory>

namespace Cv {

class CvMessagePrivate;

//! A comment on a post or photo, or one message of a thread. Copies are deep.
class CV_EXPORT CvMessage
{
public:
    //! An empty message, invalid.
    CvMessage();
    //! The message \a id by \a from.
    CvMessage(const QString &id, const CvUserRef &from);
    //! A deep copy of \a other.
    CvMessage(const CvMessage &other);
    ~CvMessage();
    //! Makes this a copy of \a other.
    CvMessage &operator=(const CvMessage &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvMessage)
    //! Swaps this with \a other; never fails.
    void swap(CvMessage &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! Comment or message id.
    QString id() const;
    //! Author.
    const CvUserRef &from() const;
    //! Text.
    //!@{
    QString content() const;
    void setContent(const QString &content);
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
    //! Subject, for thread messages.
    //!@{
    QString subject() const;
    void setSubject(const QString &subject);
    //!@}
    //! Whether the message has attachments.
    //!@{
    bool hasAttachment() const;
    void setHasAttachment(bool hasAttachment);
    //!@}
    //! Number of likes.
    //!@{
    int likes() const;
    void setLikes(int likes);
    //!@}
    //! Whether the current user likes it.
    //!@{
    bool userLikes() const;
    void setUserLikes(bool userLikes);
    //!@}

private:
    std::unique_ptr<CvMessagePrivate> d;
};

//! Compares id, from, content, subject, updated, created, likes, userLikes.
CV_EXPORT bool operator==(const CvMessage &a, const CvMessage &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvMessage &a, const CvMessage &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvMessage)
Q_DECLARE_METATYPE(Cv::CvMessage)
Q_DECLARE_METATYPE(Cv::CvMessages)

#endif // CVMESSAGE_H
