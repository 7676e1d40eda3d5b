#include "cvutils.h"

namespace Cv {

CvUtils::DataType CvUtils::getDataType(const QByteArray &data)
{
    static const char jfif[] = "\xFF\xD8\xFF\xE0\x00";
    static const char png[] = "\x89PNG\r\n\x1A\n";

    if (data.left(3).toLower() == "gif")
        return DataGif;
    if (data.size() >= 6 && data.startsWith(QByteArray::fromRawData(jfif, 5)))
        return DataJpeg;
    if (data.size() >= 9 && data.startsWith(QByteArray::fromRawData(png, 8)))
        return DataPng;
    return DataUnknown;
}

bool CvUtils::getFileSuffix(const QByteArray &data, QString *suffix)
{
    switch (getDataType(data)) {
    case DataGif:
        *suffix = QStringLiteral(".gif");
        return true;
    case DataJpeg:
        *suffix = QStringLiteral(".jpg");
        return true;
    default:
        return false;
    }
}

bool CvUtils::getMimeType(const QByteArray &data, QString *mimeType)
{
    switch (getDataType(data)) {
    case DataGif:
        *mimeType = QStringLiteral("image/gif");
        return true;
    case DataJpeg:
        *mimeType = QStringLiteral("image/jpeg");
        return true;
    case DataPng:
        *mimeType = QStringLiteral("image/png");
        return true;
    default:
        return false;
    }
}

} // namespace Cv
