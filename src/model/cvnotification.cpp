#include "cvnotification.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvNotificationPrivate : public QSharedData
{
public:
    QString id;
    CvUserRef from;
    QDateTime createdTime;
    QDateTime updatedTime;
    QString title;
    QString titleHtml;
    QString body;
    QString bodyHtml;
    QString link;
    QString applicationId;
    bool unread = false;
    bool hidden = false;
    QString objectId;
    QString objectType;
    QString icon;
    QString albumId;
};

CvNotification::CvNotification()
    : d(new CvNotificationPrivate)
{
}

CvNotification::CvNotification(const QString &id, const CvUserRef &from)
    : d(new CvNotificationPrivate)
{
    d->id = id;
    d->from = from;
}

CvNotification::CvNotification(const QString &id, const CvUserRef &from,
                               const QDateTime &createdTime)
    : d(new CvNotificationPrivate)
{
    d->id = id;
    d->from = from;
    d->createdTime = createdTime;
}

CvNotification::CvNotification(const CvNotification &other) = default;

CvNotification::CvNotification(CvNotification &&other) noexcept = default;

CvNotification::~CvNotification() = default;

CvNotification &CvNotification::operator=(const CvNotification &other) = default;

bool CvNotification::isValid() const
{
    return !d->id.isEmpty() && !d->from.id.isEmpty();
}

QString CvNotification::id() const
{
    return d->id;
}

const CvUserRef &CvNotification::from() const
{
    return d->from;
}

void CvNotification::setFrom(const CvUserRef &from)
{
    d->from = from;
}

QDateTime CvNotification::createdTime() const
{
    return d->createdTime;
}

void CvNotification::setCreatedTime(const QDateTime &createdTime)
{
    d->createdTime = createdTime;
}

QDateTime CvNotification::updatedTime() const
{
    return d->updatedTime;
}

void CvNotification::setUpdatedTime(const QDateTime &updatedTime)
{
    d->updatedTime = updatedTime;
}

QString CvNotification::title() const
{
    return d->title;
}

void CvNotification::setTitle(const QString &title)
{
    d->title = title;
}

QString CvNotification::titleHtml() const
{
    return d->titleHtml;
}

void CvNotification::setTitleHtml(const QString &titleHtml)
{
    d->titleHtml = titleHtml;
}

QString CvNotification::body() const
{
    return d->body;
}

void CvNotification::setBody(const QString &body)
{
    d->body = body;
}

QString CvNotification::bodyHtml() const
{
    return d->bodyHtml;
}

void CvNotification::setBodyHtml(const QString &bodyHtml)
{
    d->bodyHtml = bodyHtml;
}

QString CvNotification::link() const
{
    return d->link;
}

void CvNotification::setLink(const QString &link)
{
    d->link = link;
}

QString CvNotification::applicationId() const
{
    return d->applicationId;
}

void CvNotification::setApplicationId(const QString &applicationId)
{
    d->applicationId = applicationId;
}

bool CvNotification::unread() const
{
    return d->unread;
}

void CvNotification::setUnread(bool unread)
{
    d->unread = unread;
}

bool CvNotification::hidden() const
{
    return d->hidden;
}

void CvNotification::setHidden(bool hidden)
{
    d->hidden = hidden;
}

QString CvNotification::objectId() const
{
    return d->objectId;
}

void CvNotification::setObjectId(const QString &objectId)
{
    d->objectId = objectId;
}

QString CvNotification::objectType() const
{
    return d->objectType;
}

void CvNotification::setObjectType(const QString &objectType)
{
    d->objectType = objectType;
}

QString CvNotification::icon() const
{
    return d->icon;
}

void CvNotification::setIcon(const QString &icon)
{
    d->icon = icon;
}

QString CvNotification::albumId() const
{
    return d->albumId;
}

void CvNotification::setAlbumId(const QString &albumId)
{
    d->albumId = albumId;
}

bool operator==(const CvNotification &a, const CvNotification &b)
{
    return a.id() == b.id() && a.from() == b.from()
        && isoDateEqual(a.createdTime(), b.createdTime())
        && isoDateEqual(a.updatedTime(), b.updatedTime()) && a.title() == b.title()
        && a.titleHtml() == b.titleHtml() && a.body() == b.body() && a.bodyHtml() == b.bodyHtml()
        && a.link() == b.link() && a.applicationId() == b.applicationId()
        && a.unread() == b.unread() && a.hidden() == b.hidden() && a.objectId() == b.objectId()
        && a.objectType() == b.objectType() && a.icon() == b.icon() && a.albumId() == b.albumId();
}

bool operator!=(const CvNotification &a, const CvNotification &b)
{
    return !(a == b);
}

} // namespace Cv
