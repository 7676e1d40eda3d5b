#include "images.h"

#include <QString>
#include <QtEndian>

namespace Emu {

QByteArray gifImage()
{
    // A 1x1 GIF89a with a two-colour table and a graphic control extension.
    static const unsigned char bytes[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0x33, 0x66,
        0xcc, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b,
    };
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof(bytes));
}

QByteArray jpegImage()
{
    // An 8x8 baseline greyscale JFIF whose single block holds only a zero DC difference: the
    // one-code Huffman tables make the entropy-coded segment a single byte.
    QByteArray j;
    auto add = [&j](std::initializer_list<int> b) {
        for (int v : b)
            j.append(char(v));
    };
    add({0xff, 0xd8});
    add({0xff, 0xe0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
         0x00, 0x00});
    add({0xff, 0xdb, 0x00, 0x43, 0x00});
    j.append(QByteArray(64, char(1)));
    add({0xff, 0xc0, 0x00, 0x0b, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00});
    for (int table : {0x00, 0x10}) {
        add({0xff, 0xc4, 0x00, 0x14, table, 0x01});
        j.append(QByteArray(15, char(0)));
        add({0x00});
    }
    add({0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00});
    add({0x3f, 0xff, 0xd9});
    return j;
}

namespace {

quint32 crc32(const QByteArray &data)
{
    static quint32 table[256];
    static bool ready = false;
    if (!ready) {
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    quint32 c = 0xffffffffu;
    for (char ch : data)
        c = table[(c ^ quint8(ch)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

QByteArray be32(quint32 v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToBigEndian(v, b.data());
    return b;
}

QByteArray chunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return be32(quint32(data.size())) + body + be32(crc32(body));
}

} // namespace

QByteArray pngImage()
{
    const int size = 8;
    QByteArray raw;
    for (int y = 0; y < size; ++y) {
        raw.append(char(0)); // filter: none
        for (int x = 0; x < size; ++x)
            raw.append(char(0x33)).append(char(0xcc)).append(char(0x66));
    }
    // zlib stream with one stored (uncompressed) deflate block.
    QByteArray z;
    z.append(char(0x78)).append(char(0x01)).append(char(0x01));
    const quint16 len = quint16(raw.size());
    z.append(char(len & 0xff)).append(char(len >> 8));
    z.append(char(~len & 0xff)).append(char((~len >> 8) & 0xff));
    z.append(raw);
    quint32 a = 1, b = 0;
    for (char ch : std::as_const(raw)) {
        a = (a + quint8(ch)) % 65521;
        b = (b + a) % 65521;
    }
    z.append(be32((b << 16) | a));

    QByteArray header = be32(size) + be32(size);
    header.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", z)
        + chunk("IEND", QByteArray());
}

QByteArray imageForName(const QString &fileName, QByteArray *mimeType)
{
    if (fileName.endsWith(QLatin1String(".gif"))) {
        *mimeType = "image/gif";
        return gifImage();
    }
    if (fileName.endsWith(QLatin1String(".png"))) {
        *mimeType = "image/png";
        return pngImage();
    }
    if (fileName.endsWith(QLatin1String(".jpg")) || fileName.endsWith(QLatin1String(".jpeg"))) {
        *mimeType = "image/jpeg";
        return jpegImage();
    }
    return QByteArray();
}

QByteArray imageMimeType(const QByteArray &bytes)
{
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return "image/gif";
    if (bytes.startsWith("\xff\xd8\xff"))
        return "image/jpeg";
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return "image/png";
    return QByteArray();
}

} // namespace Emu
