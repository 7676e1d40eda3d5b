// Property: redaction never lets a token through. A token shaped like a real one (letters,
// digits and the punctuation tokens carry) is placed into fuzzed text verbatim, percent-encoded
// and as an access_token query value; after redaction neither form of it is left, and every
// access_token value in the result is itself a redacted form.
#include "fuzzcommon.h"

#include "convert/cvredact_p.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

QString tokenFrom(CvFuzz::Input &input)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                                   "-._~|+/=";
    const int length = 8 + input.choice(40);
    QString token;
    for (int i = 0; i < length; ++i)
        token += QLatin1Char(alphabet[input.choice(int(sizeof(alphabet)) - 1)]);
    return token;
}

} // namespace

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CvFuzz::Input input(data, size);
    const QString token = tokenFrom(input);
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(token));
    const QString forms[] = {token, encoded, QLatin1String("access_token=") + token,
                             QLatin1String("access_token=") + encoded};
    QString text;
    while (!input.atEnd()) {
        text += input.text();
        text += forms[input.choice(4)];
    }

    const QString redacted = Cv::cvRedacted(text, token);
    CV_FUZZ_CHECK(!redacted.contains(token),
                  QStringLiteral("token %1 left in [%2]").arg(token, redacted));
    CV_FUZZ_CHECK(!redacted.contains(encoded),
                  QStringLiteral("encoded token %1 left in [%2]").arg(encoded, redacted));
    // Whatever token a URL carries, ours or not, only its redacted form is shown.
    static const QRegularExpression query(QStringLiteral("access_token=([^&#\\s\"'<>]*)"));
    auto it = query.globalMatch(redacted);
    while (it.hasNext()) {
        // At most four characters of a value, then the mark (or a character that ends a URL).
        const QString value = it.next().captured(1);
        const qsizetype mark = value.indexOf(QChar(0x2026));
        CV_FUZZ_CHECK(value.size() <= 4 || (mark >= 0 && mark <= 4),
                      QStringLiteral("access_token value [%1] shown in [%2]").arg(value, redacted));
    }
    return 0;
}
