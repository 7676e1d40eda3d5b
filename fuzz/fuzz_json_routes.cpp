// Property: the direct decoder gives the tree the QJsonDocument route gives, node by node and type
// by type, apart from its documented corrections (null, strictness, numbers). Whatever it accepts
// the Qt route accepts with an equal tree; and whatever the Qt route accepts, written back out by
// QJsonDocument as strict JSON, the direct decoder accepts with an equal tree, so a refusal of
// valid text cannot hide behind the Qt route's laxness. The one exception is a lone surrogate: the
// Qt route lets it into a string and writes it back as a \u escape, which the direct decoder
// refuses by design. Trees are not compared where a string holds U+FEFF written out.
#include "fuzzcommon.h"

#include "graph/cvgraphjson_p.h"
#include "jsontreediff.h"

#include <QJsonDocument>

#include <algorithm>

using CvTest::jsonTreeDifference;

namespace {

struct Decoded
{
    bool accepted = false;
    QVariantMap map;
    QVariantList list;
};

Decoded direct(const QByteArray &json)
{
    Decoded out;
    out.accepted = Cv::cvDecodeJson(json, &out.map, &out.list);
    return out;
}

Decoded reference(const QByteArray &json)
{
    Decoded out;
    out.accepted = Cv::cvDecodeJsonWithQt(json, &out.map, &out.list);
    return out;
}

bool hasLoneSurrogate(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return !value.toString().isValidUtf16();
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        return std::any_of(list.cbegin(), list.cend(), hasLoneSurrogate);
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (!it.key().isValidUtf16() || hasLoneSurrogate(it.value()))
                return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void checkEqual(const Decoded &got, const Decoded &expected, const QByteArray &json)
{
    // The Qt route drops U+FEFF at the start of an unescaped string; the direct decoder keeps it.
    if (json.contains("\xEF\xBB\xBF"))
        return;
    const QString d = jsonTreeDifference(got.map, expected.map, QStringLiteral("map"))
        + jsonTreeDifference(got.list, expected.list, QStringLiteral("list"));
    CV_FUZZ_CHECK(d.isEmpty(), d + QLatin1Char('\n') + QString::fromUtf8(json));
}

} // namespace

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    const Decoded got = direct(json);
    const Decoded expected = reference(json);
    if (got.accepted) {
        CV_FUZZ_CHECK(expected.accepted, "accepted only by the direct decoder");
        checkEqual(got, expected, json);
    }
    if (!expected.accepted)
        return 0;

    // QJsonDocument writes only objects and arrays; a scalar goes in as the only element.
    QJsonDocument document = QJsonDocument::fromJson(json);
    if (document.isNull())
        document = QJsonDocument::fromJson('[' + json + ']');
    CV_FUZZ_CHECK(!document.isNull(), "the Qt route accepted what QJsonDocument refuses");
    const QByteArray strict = document.toJson(QJsonDocument::Compact);
    const Decoded again = direct(strict);
    const Decoded strictReference = reference(strict);
    if (!again.accepted) {
        CV_FUZZ_CHECK(hasLoneSurrogate(strictReference.map)
                          || hasLoneSurrogate(strictReference.list),
                      QLatin1String("strict text refused:\n") + QString::fromUtf8(strict));
        return 0;
    }
    checkEqual(again, strictReference, strict);
    return 0;
}
