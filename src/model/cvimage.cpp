#include "cvimage.h"

namespace Cv {

class CvImagePrivate
{
public:
    QString source;
    int height = 0;
    int width = 0;
};

CvImage::CvImage()
    : d(std::make_unique<CvImagePrivate>())
{
}

CvImage::CvImage(const CvImage &other)
    : d(std::make_unique<CvImagePrivate>(*other.d))
{
}

CvImage::~CvImage() = default;

CvImage &CvImage::operator=(const CvImage &other)
{
    if (this != &other)
        d = std::make_unique<CvImagePrivate>(*other.d);
    return *this;
}

bool CvImage::isValid() const
{
    return !d->source.isEmpty() && d->width != 0 && d->height != 0;
}

QString CvImage::source() const
{
    return d->source;
}

void CvImage::setSource(const QString &source)
{
    d->source = source;
}

int CvImage::height() const
{
    return d->height;
}

void CvImage::setHeight(int height)
{
    d->height = height;
}

int CvImage::width() const
{
    return d->width;
}

void CvImage::setWidth(int width)
{
    d->width = width;
}

bool operator==(const CvImage &a, const CvImage &b)
{
    return a.source() == b.source() && a.height() == b.height() && a.width() == b.width();
}

bool operator!=(const CvImage &a, const CvImage &b)
{
    return !(a == b);
}

} // namespace Cv
