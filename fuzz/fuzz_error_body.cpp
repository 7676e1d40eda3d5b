// A failed or error-carrying reply turned into a CvError: body, status, network error and headers
// are fuzzed. The error keeps the body and the headers it was built from, and an error type is
// only given to a body that is JSON.
#include "fuzzcommon.h"

#include "cverror.h"

#include <QJsonDocument>

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CvFuzz::Input input(data, size);
    const bool failed = input.flag();
    const QList<QNetworkReply::RawHeaderPair> headers = CvFuzz::headersFrom(input);
    const QByteArray body = input.rest();

    CvFuzz::BufferReply reply(body, failed ? 500 : 200,
                              failed ? QNetworkReply::InternalServerError : QNetworkReply::NoError,
                              headers);
    const bool isError = Cv::CvError::isError(&reply);
    CV_FUZZ_CHECK(!failed || isError, "a failed reply was not an error");
    const Cv::CvError error(&reply);
    // A body naming a token is shown redacted; any other is kept as it came.
    if (!body.contains("access_token"))
        CV_FUZZ_CHECK(error.corvanaErrorString() == QString::fromUtf8(body),
                      "the service's error text is not the body");
    CV_FUZZ_CHECK(error.corvanaErrorHeaders().count(QLatin1Char('\n'))
                      >= qsizetype(reply.rawHeaderPairs().size()) - 1,
                  "a header line is missing");
    if (QJsonDocument::fromJson(body).isNull())
        CV_FUZZ_CHECK(error.errorType() == Cv::CvError::GeneralError,
                      "a body that is not JSON was given an error type");

    Cv::CvError copy(error);
    CV_FUZZ_CHECK(copy.errorType() == error.errorType()
                      && copy.corvanaErrorString() == error.corvanaErrorString(),
                  "a copy differs");
    copy.clear();
    CV_FUZZ_CHECK(copy.isEmpty(), "a cleared error is not empty");
    return 0;
}
