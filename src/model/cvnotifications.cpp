#include "cvnotifications.h"

namespace Cv {

class CvNotificationsPrivate
{
public:
    int numberOfUnreadMessages = 0;
    int mostRecentMessage = 0;
    int numberOfUnreadPokes = 0;
    int mostRecentPoke = 0;
    int numberOfUnreadShares = 0;
    int mostRecentShare = 0;
    QStringList friendRequests;
    QStringList groupInvites;
    QStringList eventInvites;
};

CvNotifications::CvNotifications()
    : d(std::make_unique<CvNotificationsPrivate>())
{
}

CvNotifications::CvNotifications(const CvNotifications &other)
    : d(std::make_unique<CvNotificationsPrivate>(*other.d))
{
}

CvNotifications::~CvNotifications() = default;

CvNotifications &CvNotifications::operator=(const CvNotifications &other)
{
    if (this != &other)
        d = std::make_unique<CvNotificationsPrivate>(*other.d);
    return *this;
}

int CvNotifications::numberOfUnreadMessages() const
{
    return d->numberOfUnreadMessages;
}

void CvNotifications::setNumberOfUnreadMessages(int numberOfUnreadMessages)
{
    d->numberOfUnreadMessages = numberOfUnreadMessages;
}

int CvNotifications::mostRecentMessage() const
{
    return d->mostRecentMessage;
}

void CvNotifications::setMostRecentMessage(int mostRecentMessage)
{
    d->mostRecentMessage = mostRecentMessage;
}

int CvNotifications::numberOfUnreadPokes() const
{
    return d->numberOfUnreadPokes;
}

void CvNotifications::setNumberOfUnreadPokes(int numberOfUnreadPokes)
{
    d->numberOfUnreadPokes = numberOfUnreadPokes;
}

int CvNotifications::mostRecentPoke() const
{
    return d->mostRecentPoke;
}

void CvNotifications::setMostRecentPoke(int mostRecentPoke)
{
    d->mostRecentPoke = mostRecentPoke;
}

int CvNotifications::numberOfUnreadShares() const
{
    return d->numberOfUnreadShares;
}

void CvNotifications::setNumberOfUnreadShares(int numberOfUnreadShares)
{
    d->numberOfUnreadShares = numberOfUnreadShares;
}

int CvNotifications::mostRecentShare() const
{
    return d->mostRecentShare;
}

void CvNotifications::setMostRecentShare(int mostRecentShare)
{
    d->mostRecentShare = mostRecentShare;
}

QStringList CvNotifications::friendRequests() const
{
    return d->friendRequests;
}

void CvNotifications::setFriendRequests(const QStringList &friendRequests)
{
    d->friendRequests = friendRequests;
}

QStringList CvNotifications::groupInvites() const
{
    return d->groupInvites;
}

void CvNotifications::setGroupInvites(const QStringList &groupInvites)
{
    d->groupInvites = groupInvites;
}

QStringList CvNotifications::eventInvites() const
{
    return d->eventInvites;
}

void CvNotifications::setEventInvites(const QStringList &eventInvites)
{
    d->eventInvites = eventInvites;
}

bool operator==(const CvNotifications &a, const CvNotifications &b)
{
    return a.friendRequests() == b.friendRequests() && a.groupInvites() == b.groupInvites()
        && a.eventInvites() == b.eventInvites()
        && a.numberOfUnreadMessages() == b.numberOfUnreadMessages()
        && a.numberOfUnreadPokes() == b.numberOfUnreadPokes()
        && a.numberOfUnreadShares() == b.numberOfUnreadShares()
        && a.mostRecentMessage() == b.mostRecentMessage()
        && a.mostRecentPoke() == b.mostRecentPoke() && a.mostRecentShare() == b.mostRecentShare();
}

bool operator!=(const CvNotifications &a, const CvNotifications &b)
{
    return !(a == b);
}

} // namespace Cv
