#ifndef CVTHREAD_H
#define CVTHREAD_H

#include "cvexport.h"
#include "cvtypes.h"
#include "cvuserref.h"

#include <QDateTime>
#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvThreadPrivate;

//! A message thread of one folder.
class CV_EXPORT CvThread
{
public:
    //! An empty thread, invalid.
    CvThread();
    //! The thread \a id started by \a from.
    CvThread(const QString &id, const CvUserRef &from);
    //! A copy of \a other, sharing its data until one of them changes.
    CvThread(const CvThread &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvThread(CvThread &&other) noexcept;
    ~CvThread();
    //! Makes this a copy of \a other.
    CvThread &operator=(const CvThread &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvThread)
    //! Swaps this with \a other; never fails.
    void swap(CvThread &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! Thread id.
    QString id() const;
    //! Originator.
    CvUserRef from() const;
    //! Recipients.
    //!@{
    CvUserRefs to() const;
    void setTo(const CvUserRefs &to);
    //!@}
    //! Users who wrote in the thread.
    //!@{
    CvUserRefs senders() const;
    void setSenders(const CvUserRefs &senders);
    //!@}
    //! Subject.
    //!@{
    QString subject() const;
    void setSubject(const QString &subject);
    //!@}
    //! Text snippet of the latest message.
    //!@{
    QString snippet() const;
    void setSnippet(const QString &snippet);
    //!@}
    //! Number of messages.
    //!@{
    int messageCount() const;
    void setMessageCount(int messageCount);
    //!@}
    //! Number of unread messages; 0 means read.
    //!@{
    int unread() const;
    void setUnread(int unread);
    //!@}
    //! Time of the last activity.
    //!@{
    QDateTime updatedTime() const;
    void setUpdatedTime(const QDateTime &updatedTime);
    //!@}

private:
    QSharedDataPointer<CvThreadPrivate> d;
};

//! Compares id, from, to, senders, updatedTime, subject, snippet, messageCount, unread.
CV_EXPORT bool operator==(const CvThread &a, const CvThread &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvThread &a, const CvThread &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvThread)
Q_DECLARE_METATYPE(Cv::CvThread)
Q_DECLARE_METATYPE(Cv::CvThreads)

#endif // CVTHREAD_H
