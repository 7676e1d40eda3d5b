// Image-type sniffing of downloaded bytes: the type, the file suffix and the MIME type must agree
// (PNG data has a MIME type but, as documented, no suffix).
#include "fuzzcommon.h"

#include "cvutils.h"

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Cv::CvUtils::DataType type = Cv::CvUtils::getDataType(bytes);
    QString suffix;
    QString mimeType;
    const bool hasSuffix = Cv::CvUtils::getFileSuffix(bytes, &suffix);
    const bool hasMimeType = Cv::CvUtils::getMimeType(bytes, &mimeType);
    const bool known = type != Cv::CvUtils::DataUnknown;
    CV_FUZZ_CHECK(hasMimeType == known && (!hasSuffix || known)
                      && hasSuffix == (known && type != Cv::CvUtils::DataPng),
                  "suffix, MIME type and type disagree on whether the data is an image");
    if (known)
        CV_FUZZ_CHECK(mimeType.startsWith(QLatin1String("image/"))
                          && (type == Cv::CvUtils::DataPng || suffix.startsWith(QLatin1Char('.'))),
                      QStringLiteral("type %1 gave suffix %2 and MIME type %3")
                          .arg(int(type))
                          .arg(suffix, mimeType));
    return 0;
}
