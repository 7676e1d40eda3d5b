// Tiny but real pictures in the three formats the service serves, built in code.
#ifndef EMUIMAGES_H
#define EMUIMAGES_H

#include <QByteArray>

namespace Emu {

QByteArray gifImage();
QByteArray jpegImage(); // JFIF: begins with FF D8 FF E0
QByteArray pngImage();
// The picture for a file name by its extension, with its MIME type; empty for anything else.
QByteArray imageForName(const QString &fileName, QByteArray *mimeType);
// The MIME type the leading bytes of a picture identify ("image/gif", "image/jpeg",
// "image/png"), or empty when they are none of the three.
QByteArray imageMimeType(const QByteArray &bytes);

} // namespace Emu

#endif
