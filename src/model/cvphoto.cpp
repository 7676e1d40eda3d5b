#include "cvphoto.h"

namespace Cv {

class CvPhotoPrivate : public QSharedData
{
public:
    int height = 0;
    int width = 0;
    QString link;
    QList<CvImage> images;
    int position = 0;
};

CvPhoto::CvPhoto()
    : CvMedia()
    , dd(new CvPhotoPrivate)
{
}

CvPhoto::CvPhoto(const QString &id)
    : CvMedia(id)
    , dd(new CvPhotoPrivate)
{
}

CvPhoto::CvPhoto(const CvPhoto &other) = default;

CvPhoto::CvPhoto(CvPhoto &&other) noexcept = default;

CvPhoto::~CvPhoto() = default;

CvPhoto &CvPhoto::operator=(const CvPhoto &other) = default;

bool CvPhoto::isValid() const
{
    return !id().isEmpty() && !source().isEmpty();
}

QString CvPhoto::link() const
{
    return dd->link;
}

int CvPhoto::height() const
{
    return dd->height;
}

int CvPhoto::width() const
{
    return dd->width;
}

QList<CvImage> CvPhoto::images() const
{
    return dd->images;
}

int CvPhoto::position() const
{
    return dd->position;
}

void CvPhoto::setLink(const QString &link)
{
    dd->link = link;
}

void CvPhoto::setHeight(int height)
{
    dd->height = height;
}

void CvPhoto::setWidth(int width)
{
    dd->width = width;
}

void CvPhoto::setImages(const QList<CvImage> &images)
{
    dd->images = images;
}

void CvPhoto::setPosition(int position)
{
    dd->position = position;
}

bool operator==(const CvPhoto &a, const CvPhoto &b)
{
    return static_cast<const CvMedia &>(a) == static_cast<const CvMedia &>(b)
        && a.images() == b.images() && a.height() == b.height() && a.width() == b.width()
        && a.link() == b.link() && a.position() == b.position();
}

bool operator!=(const CvPhoto &a, const CvPhoto &b)
{
    return !(a == b);
}

} // namespace Cv
