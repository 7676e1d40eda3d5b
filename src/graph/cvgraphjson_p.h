#ifndef CVGRAPHJSON_P_H
#define CVGRAPHJSON_P_H

#include "cvautotest_p.h"

#include <QByteArray>
#include <QVariant>

namespace Cv {

/*
 * The one JSON decoder of the Graph layer. Accepts exactly one strict JSON value (RFC 8259, no
 * byte-order mark, nesting at most cvJsonNestingLimit deep): an object fills *map, an array
 * fills *list, and a value of the other shape (or a scalar) leaves the requested output empty
 * and still succeeds. Text that is not strict JSON logs "Not valid JSON data:\n<text>" and
 * returns false with the outputs untouched. Pass nullptr for the output not wanted.
 *
 * In the tree, null is an invalid QVariant(), an integer written without fraction or exponent
 * that fits 64 bits is a qlonglong, every other number a double, and the QString of a member
 * name that recurs in one document is shared.
 *
 * Exported in a developer build so that the decode benchmark times exactly this code.
 */
CV_AUTOTEST_EXPORT bool cvDecodeJson(const QByteArray &json, QVariantMap *map, QVariantList *list);
/*
 * The same decoding into one variant: a map, a list, or a null variant for a scalar; false (with
 * the same warning) for text that is not strict JSON.
 */
bool cvDecodeJson(const QByteArray &json, QVariant *value);

/*
 * The same contract through QJsonDocument, kept as the reference the direct decoder is checked
 * and timed against. It differs where QJsonDocument does: null is QVariant(nullptr), integral
 * numbers written with a fraction become qlonglong, integers beyond 64 bits are clamped, and
 * some non-strict text ("1.", "\x", raw control characters, lone surrogates, a leading
 * byte-order mark) is accepted. Never used by the library itself.
 */
CV_AUTOTEST_EXPORT bool cvDecodeJsonWithQt(const QByteArray &json, QVariantMap *map,
                                           QVariantList *list);

//! Deepest nesting of arrays and objects either decoder accepts (QJsonDocument's own limit).
constexpr int cvJsonNestingLimit = 1024;

} // namespace Cv

#endif // CVGRAPHJSON_P_H
