#ifndef CVNOTIFICATIONS_H
#define CVNOTIFICATIONS_H

#include "cvexport.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QStringList>
#include <memory>

namespace Cv {

class CvNotificationsPrivate;

//! The user's unread counters and pending invitations. Copies are deep.
class CV_EXPORT CvNotifications
{
public:
    //! All counters 0 and no invitations.
    CvNotifications();
    //! A deep copy of \a other.
    CvNotifications(const CvNotifications &other);
    ~CvNotifications();
    //! Makes this a copy of \a other.
    CvNotifications &operator=(const CvNotifications &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvNotifications)
    //! Swaps this with \a other; never fails.
    void swap(CvNotifications &other) noexcept { d.swap(other.d); }

    //! Number of unread messages.
    //!@{
    int numberOfUnreadMessages() const;
    void setNumberOfUnreadMessages(int numberOfUnreadMessages);
    //!@}
    //! Value the service gives for the newest message.
    //!@{
    int mostRecentMessage() const;
    void setMostRecentMessage(int mostRecentMessage);
    //!@}
    //! Number of unread pokes.
    //!@{
    int numberOfUnreadPokes() const;
    void setNumberOfUnreadPokes(int numberOfUnreadPokes);
    //!@}
    //! Value the service gives for the newest poke.
    //!@{
    int mostRecentPoke() const;
    void setMostRecentPoke(int mostRecentPoke);
    //!@}
    //! Number of unread shares.
    //!@{
    int numberOfUnreadShares() const;
    void setNumberOfUnreadShares(int numberOfUnreadShares);
    //!@}
    //! Value the service gives for the newest share.
    //!@{
    int mostRecentShare() const;
    void setMostRecentShare(int mostRecentShare);
    //!@}
    //! Ids of the users asking for friendship.
    //!@{
    QStringList friendRequests() const;
    void setFriendRequests(const QStringList &friendRequests);
    //!@}
    //! Ids of the groups the user is invited to.
    //!@{
    QStringList groupInvites() const;
    void setGroupInvites(const QStringList &groupInvites);
    //!@}
    //! Ids of the events the user is invited to.
    //!@{
    QStringList eventInvites() const;
    void setEventInvites(const QStringList &eventInvites);
    //!@}

private:
    std::unique_ptr<CvNotificationsPrivate> d;
};

//! Compares friendRequests, groupInvites, eventInvites, numberOfUnreadMessages,
//! numberOfUnreadPokes, numberOfUnreadShares, mostRecentMessage, mostRecentPoke, mostRecentShare.
CV_EXPORT bool operator==(const CvNotifications &a, const CvNotifications &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvNotifications &a, const CvNotifications &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvNotifications)
Q_DECLARE_METATYPE(Cv::CvNotifications)

#endif // CVNOTIFICATIONS_H
