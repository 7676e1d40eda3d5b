// A batch answer as the Graph layer receives it: decoded as a list, each element filled into a
// CvGraphReply. Also every element body on its own, since the service writes the bodies of the
// sub-replies as text that is decoded a second time.
#include "fuzzcommon.h"

#include "cvgraphreply.h"
#include "graph/cvgraphjson_p.h"

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    QVariantList answer;
    if (Cv::cvDecodeJson(text, nullptr, &answer)) {
        for (const QVariant &element : std::as_const(answer)) {
            Cv::CvGraphReply reply;
            reply.setData(element);
        }
    }

    // The same text as the body of one element: the "data" member, a list or a single value.
    Cv::CvGraphReply single;
    const bool decoded = single.setData(QVariantMap {
        {QStringLiteral("code"), 200}, {QStringLiteral("body"), QString::fromUtf8(text)}});
    CV_FUZZ_CHECK(single.code() == 200, "the code of a sub-reply was lost");
    if (decoded && !text.startsWith("{\"data\":"))
        CV_FUZZ_CHECK(single.body().typeId() == QMetaType::QVariantList,
                      "a decoded sub-reply body that is not a data member must be a list");
    if (!decoded)
        CV_FUZZ_CHECK(!single.body().isValid() || text.startsWith("{\"data\":"),
                      "a body that failed to decode left a value behind");
    return 0;
}
