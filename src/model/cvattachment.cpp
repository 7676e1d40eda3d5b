#include "cvattachment.h"

namespace Cv {

class CvAttachmentPrivate : public QSharedData
{
public:
    QString id;
    QString type;
    CvLinkInfo linkInfo;
    CvPhoto photo;
    CvVideo video;
};

CvAttachment::CvAttachment()
    : d(new CvAttachmentPrivate)
{
}

CvAttachment::CvAttachment(const QString &id, const QString &type)
    : d(new CvAttachmentPrivate)
{
    d->id = id;
    d->type = type;
}

CvAttachment::CvAttachment(const CvAttachment &other) = default;

CvAttachment::CvAttachment(CvAttachment &&other) noexcept = default;

CvAttachment::~CvAttachment() = default;

CvAttachment &CvAttachment::operator=(const CvAttachment &other) = default;

bool CvAttachment::isValid() const
{
    return !d->id.isEmpty() && !d->type.isEmpty();
}

QString CvAttachment::id() const
{
    return d->id;
}

QString CvAttachment::type() const
{
    return d->type;
}

const CvLinkInfo &CvAttachment::linkInfo() const
{
    return d->linkInfo;
}

void CvAttachment::setLinkInfo(const CvLinkInfo &linkInfo)
{
    d->linkInfo = linkInfo;
}

const CvPhoto &CvAttachment::photo() const
{
    return d->photo;
}

void CvAttachment::setPhoto(const CvPhoto &photo)
{
    d->photo = photo;
}

const CvVideo &CvAttachment::video() const
{
    return d->video;
}

void CvAttachment::setVideo(const CvVideo &video)
{
    d->video = video;
}

bool operator==(const CvAttachment &a, const CvAttachment &b)
{
    return a.id() == b.id() && a.linkInfo() == b.linkInfo() && a.photo() == b.photo()
        && a.type() == b.type();
}

bool operator!=(const CvAttachment &a, const CvAttachment &b)
{
    return !(a == b);
}

} // namespace Cv
