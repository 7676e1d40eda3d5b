#include "graph/cvgraphjson_p.h"

#include "convert/cvlog_p.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace Cv {

namespace {

// QJsonDocument accepts only an object or an array at the top. A single scalar is still one
// strict JSON value, so retry such text as the only element of an array: exactly one element
// means the text was one value and nothing else (a comma would give two, garbage fails).
bool isSingleScalar(const QByteArray &json)
{
    QByteArray wrapped;
    wrapped.reserve(json.size() + 2);
    wrapped.append('[').append(json).append(']');
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    return error.error == QJsonParseError::NoError && document.isArray()
        && document.array().size() == 1;
}

} // namespace

bool cvDecodeJson(const QByteArray &json, QVariant *value)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        if (error.error == QJsonParseError::IllegalValue && isSingleScalar(json)) {
            // The scalar's value is never used: a map or list reader sees an empty container.
            *value = QVariant();
            return true;
        }
        if (cvLogWarnings())
            CvLogger::logWarning(QLatin1String("Not valid JSON data:\n") + QString::fromUtf8(json));
        return false;
    }
    *value = document.toVariant();
    return true;
}

bool cvDecodeJson(const QByteArray &json, QVariantMap *map, QVariantList *list)
{
    QVariant value;
    if (!cvDecodeJson(json, &value))
        return false;
    // The containers are moved out of the one variant, never deep-copied.
    if (map) {
        if (value.metaType().id() == QMetaType::QVariantMap)
            *map = std::move(*static_cast<QVariantMap *>(value.data()));
        else
            map->clear();
    }
    if (list) {
        if (value.metaType().id() == QMetaType::QVariantList)
            *list = std::move(*static_cast<QVariantList *>(value.data()));
        else
            list->clear();
    }
    return true;
}

} // namespace Cv
