// Property: a batch request text is always one valid JSON object, whatever its members hold, and
// the members read back from it are the texts that went in. The batch parameter, the texts joined
// in brackets, is then one JSON array of as many objects.
#include "fuzzcommon.h"

#include "cvgraphrequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

Cv::CvGraphRequest requestFrom(CvFuzz::Input &input)
{
    Cv::CvGraphRequest request(input.text(), input.text());
    request.setName(input.text());
    request.setDependsOn(input.text());
    request.setBody(input.text());
    if (input.flag()) {
        Cv::CvDataFilter filter(input.text());
        filter.locale = input.text();
        filter.limit = input.choice(3) - 1;
        filter.offset = input.choice(3) - 1;
        filter.fields = {input.text(), input.text()};
        filter.params.insert(input.text(), input.text());
        request.setFilter(filter);
    }
    return request;
}

void checkMember(const QJsonObject &object, const char *name, const QString &expected)
{
    const QString key = QString::fromLatin1(name);
    if (expected.isEmpty() && QLatin1String(name) != QLatin1String("method"))
        return;
    CV_FUZZ_CHECK(object.value(key).toString() == expected,
                  QStringLiteral("%1 read back as [%2], sent [%3]")
                      .arg(key, object.value(key).toString(), expected));
}

} // namespace

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CvFuzz::Input input(data, size);
    QStringList texts;
    while (!input.atEnd() && texts.size() < 50) {
        const Cv::CvGraphRequest request = requestFrom(input);
        const QString text = request.toString();
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
        CV_FUZZ_CHECK(
            error.error == QJsonParseError::NoError && document.isObject(),
            QStringLiteral("not one JSON object: %1 (%2)").arg(text, error.errorString()));
        const QJsonObject object = document.object();
        checkMember(object, "method", request.method());
        checkMember(object, "name", request.name());
        checkMember(object, "depends_on", request.dependsOn());
        checkMember(object, "body", request.body());
        CV_FUZZ_CHECK(object.value(QStringLiteral("relative_url"))
                          .toString()
                          .startsWith(request.relativeUrl()),
                      "the relative URL lost its path");
        texts.append(text);
    }
    const QString batch = QLatin1Char('[') + texts.join(QLatin1Char(',')) + QLatin1Char(']');
    const QJsonDocument whole = QJsonDocument::fromJson(batch.toUtf8());
    CV_FUZZ_CHECK(whole.isArray() && whole.array().size() == texts.size(),
                  "the batch parameter is not one array of its requests");
    return 0;
}
