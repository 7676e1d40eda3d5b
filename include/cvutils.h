#ifndef CVUTILS_H
#define CVUTILS_H

#include "cvexport.h"

#include <QByteArray>
#include <QString>

namespace Cv {

//! Recognises the image format of downloaded or uploaded bytes from their first bytes.
class CV_EXPORT CvUtils
{
public:
    //! Image formats the library recognises.
    enum DataType { DataUnknown = 0, DataGif = 1, DataJpeg = 2, DataPng = 3 };

    //! The format of \a data: GIF by its "gif" signature in any case, JPEG in its JFIF form only.
    static DataType getDataType(const QByteArray &data);
    //! Sets \a suffix to ".gif" or ".jpg" and returns true; any other format returns false.
    static bool getFileSuffix(const QByteArray &data, QString *suffix);
    //! Sets \a mimeType for GIF, JPEG and PNG data and returns true; otherwise returns false.
    static bool getMimeType(const QByteArray &data, QString *mimeType);
};

} // namespace Cv

#endif // CVUTILS_H
