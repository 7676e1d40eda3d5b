#include "cvvideo.h"

namespace Cv {

class CvVideoPrivate : public QSharedData
{
public:
    QString embeddedHtml;
};

CvVideo::CvVideo()
    : CvMedia()
    , dd(new CvVideoPrivate)
{
}

CvVideo::CvVideo(const QString &id)
    : CvMedia(id)
    , dd(new CvVideoPrivate)
{
}

CvVideo::CvVideo(const CvVideo &other) = default;

CvVideo::CvVideo(CvVideo &&other) noexcept = default;

CvVideo::~CvVideo() = default;

CvVideo &CvVideo::operator=(const CvVideo &other) = default;

QString CvVideo::embeddedHtml() const
{
    return dd->embeddedHtml;
}

void CvVideo::setEmbeddedHtml(const QString &embeddedHtml)
{
    dd->embeddedHtml = embeddedHtml;
}

bool operator==(const CvVideo &a, const CvVideo &b)
{
    return static_cast<const CvMedia &>(a) == static_cast<const CvMedia &>(b)
        && a.embeddedHtml() == b.embeddedHtml();
}

bool operator!=(const CvVideo &a, const CvVideo &b)
{
    return !(a == b);
}

} // namespace Cv
