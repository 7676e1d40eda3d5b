#ifndef CVGRAPHJSON_P_H
#define CVGRAPHJSON_P_H

#include "cvexport.h"

#include <QByteArray>
#include <QVariant>

namespace Cv {

/*
 * The one JSON decoder of the Graph layer. Accepts exactly one strict JSON value: an object
 * fills *map, an array fills *list, and a value of the other shape (or a scalar) leaves the
 * requested output empty and still succeeds. Text that is not strict JSON logs
 * "Not valid JSON data:\n<text>" and returns false with the outputs untouched. Pass nullptr for
 * the output not wanted.
 *
 * Exported (though not public) so that the decode benchmark times exactly this code.
 */
CV_EXPORT bool cvDecodeJson(const QByteArray &json, QVariantMap *map, QVariantList *list);
/*
 * The same decoding into one variant: a map, a list, or a null variant for a scalar; false (with
 * the same warning) for text that is not strict JSON.
 */
bool cvDecodeJson(const QByteArray &json, QVariant *value);

} // namespace Cv

#endif // CVGRAPHJSON_P_H
