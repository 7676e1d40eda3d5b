#include "cvtypes.h"

namespace Cv {

QString pictureTypeToString(PictureType type)
{
    switch (type) {
    case PictureSquare:
        return QStringLiteral("square");
    case PictureSmall:
        return QStringLiteral("small");
    case PictureNormal:
        return QStringLiteral("normal");
    case PictureLarge:
        return QStringLiteral("large");
    case PictureUnknown:
        break;
    }
    return QString();
}

PictureType pictureTypeFromString(const QString &text)
{
    if (text == QLatin1String("square"))
        return PictureSquare;
    if (text == QLatin1String("small"))
        return PictureSmall;
    if (text == QLatin1String("normal"))
        return PictureNormal;
    if (text == QLatin1String("large"))
        return PictureLarge;
    return PictureUnknown;
}

PictureType pictureTypeFromUrl(const QString &url)
{
    // Profile picture files are named like "123_456_n.jpg": the letter after the last "_"
    // gives the size. Anything unexpected falls back to the square crop, the service's default.
    const qsizetype underscore = url.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0 || underscore + 1 >= url.size())
        return PictureSquare;
    switch (url.at(underscore + 1).unicode()) {
    case 't':
        return PictureSmall;
    case 's':
        return PictureNormal;
    case 'n':
        return PictureLarge;
    case 'q':
    default:
        return PictureSquare;
    }
}

} // namespace Cv
