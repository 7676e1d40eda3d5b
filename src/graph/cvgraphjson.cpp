#include "graph/cvgraphjson_p.h"

#include "convert/cvlog_p.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <simdjson.h>

#include <charconv>
#include <string_view>

namespace Cv {

namespace {

namespace od = simdjson::ondemand;
using simdjson::error_code;
using simdjson::SUCCESS;

bool refuse(const QByteArray &json)
{
    if (cvLogWarnings())
        CvLogger::logWarning(QLatin1String("Not valid JSON data:\n") + QString::fromUtf8(json));
    return false;
}

// QString::fromUtf8 drops a byte-order mark at the start of its text, but inside a JSON string
// U+FEFF is data.
QString textOf(std::string_view utf8)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (utf8.substr(0, byteOrderMark.size()) != byteOrderMark)
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    return QChar(0xFEFF) + textOf(utf8.substr(byteOrderMark.size()));
}

// Moves the decoded root into the output of its shape and empties the other output.
bool deliver(QVariant &value, QVariantMap *map, QVariantList *list)
{
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

// Builds the variant tree while walking the document once. Member names are looked up in a
// table keyed by the parser's unescaped copy (alive until the next document), so a name that
// recurs in every element of a page is one shared QString instead of one per element.
class TreeBuilder
{
public:
    error_code value(od::value node, QVariant *out, int depth)
    {
        od::json_type type;
        if (const error_code e = node.type().get(type))
            return e;
        switch (type) {
        case od::json_type::object: {
            od::object object;
            if (const error_code e = node.get_object().get(object))
                return e;
            return members(object, out, depth + 1);
        }
        case od::json_type::array: {
            od::array array;
            if (const error_code e = node.get_array().get(array))
                return e;
            return elements(array, out, depth + 1);
        }
        case od::json_type::string: {
            std::string_view text;
            if (const error_code e = node.get_string().get(text))
                return e;
            *out = textOf(text);
            return SUCCESS;
        }
        case od::json_type::number:
            return number(node, out);
        case od::json_type::boolean: {
            bool flag;
            if (const error_code e = node.get_bool().get(flag))
                return e;
            *out = flag;
            return SUCCESS;
        }
        case od::json_type::null: {
            bool isNull;
            if (const error_code e = node.is_null().get(isNull))
                return e;
            return isNull ? SUCCESS : simdjson::N_ATOM_ERROR;
        }
        }
        return simdjson::TAPE_ERROR;
    }

    error_code members(od::object object, QVariant *out, int depth)
    {
        if (depth > cvJsonNestingLimit)
            return simdjson::DEPTH_ERROR;
        QVariantMap map;
        for (auto member : object) {
            od::field field;
            if (const error_code e = std::move(member).get(field))
                return e;
            std::string_view name;
            if (const error_code e = field.unescaped_key().get(name))
                return e;
            QVariant element;
            if (const error_code e = value(field.value(), &element, depth))
                return e;
            map.insert(key(name), std::move(element));
        }
        *out = std::move(map);
        return SUCCESS;
    }

    error_code elements(od::array array, QVariant *out, int depth)
    {
        if (depth > cvJsonNestingLimit)
            return simdjson::DEPTH_ERROR;
        QVariantList list;
        for (auto item : array) {
            od::value node;
            if (const error_code e = std::move(item).get(node))
                return e;
            list.append(QVariant());
            if (const error_code e = value(node, &list.last(), depth))
                return e;
        }
        *out = std::move(list);
        return SUCCESS;
    }

    // An integer that fits 64 bits is exact; anything written with a fraction or an exponent,
    // or too large for 64 bits, is a double (simdjson refuses such integers as int64).
    template<typename Node>
    static error_code number(Node &node, QVariant *out)
    {
        od::number_type kind;
        if (const error_code e = node.get_number_type().get(kind))
            return e;
        if (kind == od::number_type::signed_integer) {
            int64_t integer;
            if (node.get_int64().get(integer) == SUCCESS) {
                *out = qlonglong(integer);
                return SUCCESS;
            }
        }
        // simdjson checks the syntax, but its value is wrong for some long mantissas after "0."
        // (0.1234567890123456789012 comes out near 0.0017), so the token is converted again,
        // correctly rounded. Like the Qt route, a number beyond a double either way (1e400, or
        // a non-zero 1e-400) is refused.
        double real;
        if (const error_code e = node.get_double().get(real))
            return e;
        std::string_view token;
        using Token = simdjson::simdjson_result<std::string_view>;
        if (const error_code e = Token(node.raw_json_token()).get(token))
            return e;
        const char *end = token.data() + token.size();
        if (std::from_chars(token.data(), end, real).ec != std::errc())
            return simdjson::NUMBER_ERROR;
        *out = real;
        return SUCCESS;
    }

private:
    // Open addressing in a fixed table: no allocation per document, which matters for the many
    // small replies. Member names that are data (ids as names) stop being shared once the
    // table is three-quarters full.
    QString key(std::string_view name)
    {
        quint32 hash = 2166136261u;
        for (const char c : name)
            hash = (hash ^ quint8(c)) * 16777619u;
        for (quint32 i = hash;; ++i) {
            Slot &slot = m_slots[i % slotCount];
            if (!slot.taken) {
                QString text = textOf(name);
                if (m_used < slotCount * 3 / 4) {
                    ++m_used;
                    slot = {name, text, true};
                }
                return text;
            }
            if (slot.name == name)
                return slot.text;
        }
    }

    struct Slot
    {
        std::string_view name;
        QString text;
        bool taken = false;
    };
    static constexpr quint32 slotCount = 256;
    Slot m_slots[slotCount];
    quint32 m_used = 0;
};

// simdjson's root literal accessors look at the literal's own letters only, so "false2" passes
// as false: a literal at the top must be the whole text apart from JSON whitespace.
bool isWholeText(std::string_view text, std::string_view literal)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text == literal;
}

// Root scalars are parsed by the document's own root accessors, which refuse trailing content
// after strings and numbers.
error_code decodeRoot(od::document &document, std::string_view text, TreeBuilder &builder,
                      QVariant *out)
{
    od::json_type type;
    if (const error_code e = document.type().get(type))
        return e;
    error_code e = SUCCESS;
    switch (type) {
    case od::json_type::object: {
        od::object object;
        e = document.get_object().get(object);
        if (!e)
            e = builder.members(object, out, 1);
        break;
    }
    case od::json_type::array: {
        od::array array;
        e = document.get_array().get(array);
        if (!e)
            e = builder.elements(array, out, 1);
        break;
    }
    case od::json_type::string: {
        std::string_view text;
        e = document.get_string().get(text);
        break;
    }
    case od::json_type::number:
        e = TreeBuilder::number(document, out);
        break;
    case od::json_type::boolean: {
        bool flag;
        e = document.get_bool().get(flag);
        if (!e && !isWholeText(text, flag ? "true" : "false"))
            e = simdjson::T_ATOM_ERROR;
        break;
    }
    case od::json_type::null: {
        bool isNull;
        e = document.is_null().get(isNull);
        if (!e && (!isNull || !isWholeText(text, "null")))
            e = simdjson::N_ATOM_ERROR;
        break;
    }
    }
    if (e)
        return e;
    // On-Demand stops after the root value; anything left over is trailing content.
    const char *rest = nullptr;
    if (document.current_location().get(rest) != simdjson::OUT_OF_BOUNDS)
        return simdjson::TRAILING_CONTENT;
    return SUCCESS;
}

// Small replies reuse one parser per thread; a large page gets its own, so its buffers are
// released with it instead of staying with the thread.
constexpr qsizetype reusedParserCapacity = 1 << 20;

// A container is opened before its depth is checked against the limit, so the parser's own
// depth bookkeeping (asserted in unoptimized builds) must reach a little past it.
constexpr size_t parserDepth = size_t(cvJsonNestingLimit) + 8;

error_code parseWith(od::parser &parser, const QByteArray &json, QVariant *root)
{
    TreeBuilder builder;
    od::document document;
    const size_t size = size_t(json.size());
    if (parser.max_depth() < parserDepth) {
        if (const error_code e = parser.allocate(qMax<size_t>(size, 1), parserDepth))
            return e;
    }
    // simdjson reads up to SIMDJSON_PADDING bytes past the text; the reply buffer usually has
    // that much spare capacity, so a copy is only made when it does not.
    error_code e;
    simdjson::padded_string copy;
    if (size_t(json.capacity()) >= size + simdjson::SIMDJSON_PADDING) {
        e = parser.iterate(json.constData(), size, size_t(json.capacity())).get(document);
    } else {
        copy = simdjson::padded_string(json.constData(), size);
        e = parser.iterate(copy).get(document);
    }
    if (e)
        return e;
    return decodeRoot(document, std::string_view(json.constData(), size), builder, root);
}

// QJsonDocument accepts only an object or an array at the top. A single scalar is still one
// JSON value, so retry such text as the only element of an array: exactly one element means
// the text was one value and nothing else (a comma would give two, garbage fails).
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
    // A byte-order mark is not part of a JSON text exchanged between systems.
    if (json.startsWith("\xEF\xBB\xBF"))
        return refuse(json);

    QVariant root;
    error_code e;
    if (json.size() <= reusedParserCapacity) {
        thread_local od::parser parser;
        e = parseWith(parser, json, &root);
    } else {
        od::parser parser;
        e = parseWith(parser, json, &root);
    }
    if (e)
        return refuse(json);
    // The scalar's value is never used: a map or list reader sees an empty container.
    const int type = root.metaType().id();
    if (type != QMetaType::QVariantMap && type != QMetaType::QVariantList)
        root = QVariant();
    *value = std::move(root);
    return true;
}

bool cvDecodeJson(const QByteArray &json, QVariantMap *map, QVariantList *list)
{
    QVariant value;
    if (!cvDecodeJson(json, &value))
        return false;
    return deliver(value, map, list);
}

bool cvDecodeJsonWithQt(const QByteArray &json, QVariantMap *map, QVariantList *list)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        if (error.error == QJsonParseError::IllegalValue && isSingleScalar(json)) {
            QVariant none;
            return deliver(none, map, list);
        }
        return refuse(json);
    }
    QVariant value = document.toVariant();
    return deliver(value, map, list);
}

} // namespace Cv
