#include "cvpost.h"

#include "model/cvvalue_p.h"

namespace Cv {

class CvPostPrivate : public QSharedData
{
public:
    QString id;
    CvUserRef from;
    CvUserRefs to;
    CvUserRefs withTags;
    QString message;
    QString picture;
    CvLinkInfo linkInfo;
    QString source;
    QString icon;
    QString attribution;
    QPair<QString, QString> application;
    CvActions actions;
    int likes = 0;
    QDateTime created;
    QDateTime updated;
    int commentCount = 0;
    QString type;
    QString subject;
    QString albumId;
    QString objectId;
    CvPlace place;
    QString story;
};

CvPost::CvPost()
    : d(new CvPostPrivate)
{
}

CvPost::CvPost(const QString &id, const CvUserRef &from)
    : d(new CvPostPrivate)
{
    d->id = id;
    d->from = from;
}

CvPost::CvPost(const QString &id, const CvUserRef &from, const QDateTime &created)
    : d(new CvPostPrivate)
{
    d->id = id;
    d->from = from;
    d->created = created;
}

CvPost::CvPost(const CvPost &other) = default;

CvPost::CvPost(CvPost &&other) noexcept = default;

CvPost::~CvPost() = default;

CvPost &CvPost::operator=(const CvPost &other) = default;

bool CvPost::isValid() const
{
    return !d->id.isEmpty() && !d->from.id.isEmpty();
}

QString CvPost::id() const
{
    return d->id;
}

const CvUserRef &CvPost::from() const
{
    return d->from;
}

void CvPost::setFrom(const CvUserRef &from)
{
    d->from = from;
}

CvUserRefs CvPost::to() const
{
    return d->to;
}

void CvPost::setTo(const CvUserRefs &to)
{
    d->to = to;
}

CvUserRefs CvPost::withTags() const
{
    return d->withTags;
}

void CvPost::setWithTags(const CvUserRefs &withTags)
{
    d->withTags = withTags;
}

QString CvPost::message() const
{
    return d->message;
}

void CvPost::setMessage(const QString &message)
{
    d->message = message;
}

QString CvPost::picture() const
{
    return d->picture;
}

void CvPost::setPicture(const QString &picture)
{
    d->picture = picture;
}

const CvLinkInfo &CvPost::linkInfo() const
{
    return d->linkInfo;
}

void CvPost::setLinkInfo(const CvLinkInfo &linkInfo)
{
    d->linkInfo = linkInfo;
}

QString CvPost::source() const
{
    return d->source;
}

void CvPost::setSource(const QString &source)
{
    d->source = source;
}

QString CvPost::icon() const
{
    return d->icon;
}

void CvPost::setIcon(const QString &icon)
{
    d->icon = icon;
}

QString CvPost::attribution() const
{
    return d->attribution;
}

void CvPost::setAttribution(const QString &attribution)
{
    d->attribution = attribution;
}

QPair<QString, QString> CvPost::application() const
{
    return d->application;
}

void CvPost::setApplication(const QPair<QString, QString> &application)
{
    d->application = application;
}

CvActions CvPost::actions() const
{
    return d->actions;
}

void CvPost::setActions(const CvActions &actions)
{
    d->actions = actions;
}

int CvPost::likes() const
{
    return d->likes;
}

void CvPost::setLikes(int likes)
{
    d->likes = likes;
}

QDateTime CvPost::created() const
{
    return d->created;
}

void CvPost::setCreated(const QDateTime &created)
{
    d->created = created;
}

QDateTime CvPost::updated() const
{
    return d->updated;
}

void CvPost::setUpdated(const QDateTime &updated)
{
    d->updated = updated;
}

int CvPost::commentCount() const
{
    return d->commentCount;
}

void CvPost::setCommentCount(int commentCount)
{
    d->commentCount = commentCount;
}

QString CvPost::type() const
{
    return d->type;
}

void CvPost::setType(const QString &type)
{
    d->type = type;
}

QString CvPost::subject() const
{
    return d->subject;
}

void CvPost::setSubject(const QString &subject)
{
    d->subject = subject;
}

QString CvPost::albumId() const
{
    return d->albumId;
}

void CvPost::setAlbumId(const QString &albumId)
{
    d->albumId = albumId;
}

QString CvPost::objectId() const
{
    return d->objectId;
}

void CvPost::setObjectId(const QString &objectId)
{
    d->objectId = objectId;
}

CvPlace CvPost::place() const
{
    return d->place;
}

void CvPost::setPlace(const CvPlace &place)
{
    d->place = place;
}

QString CvPost::story() const
{
    return d->story;
}

void CvPost::setStory(const QString &story)
{
    d->story = story;
}

bool operator==(const CvPost &a, const CvPost &b)
{
    return a.actions() == b.actions() && a.attribution() == b.attribution()
        && a.application() == b.application() && isoDateEqual(a.created(), b.created())
        && a.from() == b.from() && a.icon() == b.icon() && a.id() == b.id()
        && a.likes() == b.likes() && a.linkInfo() == b.linkInfo() && a.message() == b.message()
        && a.picture() == b.picture() && a.source() == b.source() && a.to() == b.to()
        && isoDateEqual(a.updated(), b.updated()) && a.type() == b.type()
        && a.subject() == b.subject() && a.commentCount() == b.commentCount()
        && a.albumId() == b.albumId() && a.objectId() == b.objectId() && a.place() == b.place()
        && a.story() == b.story() && a.withTags() == b.withTags();
}

bool operator!=(const CvPost &a, const CvPost &b)
{
    return !(a == b);
}

} // namespace Cv
