#include "graph/cvgraphjson_p.h"

#include "convert/cvlog_p.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringDecoder>

#include <simdjson.h>

#include <charconv>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

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

// Every value is decoded into a default-constructed QVariant, which owns nothing, so the
// result is constructed over it: an assignment would add two out-of-line QVariant calls per
// value (destroying the temporary and the old value).
template<typename T>
void put(QVariant *out, const T &value)
{
    Q_ASSERT(!out->isValid());
    new (out) QVariant(value);
}

// Gives *out an empty value of type T to be filled in place: assigning a finished container or
// string would copy it, one reference count up and another down.
template<typename T>
T *emplace(QVariant *out)
{
    put(out, T());
    return const_cast<T *>(static_cast<const T *>(out->constData()));
}

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A value's raw token runs up to the next structural character, so it may end in whitespace.
std::string_view trimmed(std::string_view token)
{
    while (!token.empty() && isJsonSpace(token.back()))
        token.remove_suffix(1);
    return token;
}

// Converts a number token that needs no rounding decision of its own: an integer of at most 18
// digits, or a decimal whose significant digits fit a double exactly (at most 2^53) scaled by a
// power of ten that is itself exact (at most 10^22), where one IEEE multiplication or division
// gives the correctly rounded value. Anything else, valid or not, is left to the full parser.
bool shortNumber(std::string_view token, QVariant *out)
{
    static constexpr double powersOfTen[]
        = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr int exactPowers = int(sizeof(powersOfTen) / sizeof(powersOfTen[0])) - 1;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const char *p = token.data();
    const char *const end = p + token.size();
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    if (p == end || !isDigit(*p) || (*p == '0' && p + 1 != end && isDigit(p[1])))
        return false;
    quint64 mantissa = 0;
    int significant = 0;
    const auto addDigit = [&](char c) {
        if (mantissa != 0 || c != '0') {
            mantissa = mantissa * 10 + quint64(c - '0');
            ++significant;
        }
    };
    for (; p != end && isDigit(*p) && significant < 19; ++p)
        addDigit(*p);
    int fractionDigits = 0;
    if (p != end && *p == '.') {
        const char *const first = ++p;
        for (; p != end && isDigit(*p) && significant < 19; ++p)
            addDigit(*p);
        fractionDigits = int(p - first);
        if (fractionDigits == 0)
            return false;
    }
    int exponent = 0;
    const bool hasExponent = p != end && (*p == 'e' || *p == 'E');
    if (hasExponent) {
        ++p;
        const bool negativeExponent = p != end && *p == '-';
        if (p != end && (*p == '-' || *p == '+'))
            ++p;
        const char *const first = p;
        for (; p != end && isDigit(*p) && p - first < 4; ++p)
            exponent = exponent * 10 + (*p - '0');
        if (p == first)
            return false;
        if (negativeExponent)
            exponent = -exponent;
    }
    // A digit left over means more digits than this path takes, or a malformed token.
    if (p != end)
        return false;
    if (fractionDigits == 0 && !hasExponent) {
        if (significant > 18)
            return false;
        put(out, negative ? -qlonglong(mantissa) : qlonglong(mantissa));
        return true;
    }
    const int scale = exponent - fractionDigits;
    if (mantissa > (quint64(1) << 53) || scale < -exactPowers || scale > exactPowers)
        return false;
    double real = double(mantissa);
    real = scale < 0 ? real / powersOfTen[-scale] : real * powersOfTen[scale];
    put(out, negative ? -real : real);
    return true;
}

// In a large page the values' text goes into shared blocks of 4 KB, each string holding one
// reference to its block, instead of one allocation per string: the tree has a quarter fewer
// small blocks, and freeing a page's tree is mostly glibc gathering and merging small blocks.
// A string that shares its block detaches before any change, as every shared QString does; one
// left alone in its block may only grow into space whose strings are gone. A string kept after
// its page keeps its block alive: ids, which callers keep in lists and indexes long after the
// page, go into blocks of their own, so that a kept id holds other ids, never the page's text.
// Long text gets its own allocation.
class TextBlocks
{
public:
    QString add(std::string_view utf8)
    {
        // UTF-8 never has fewer bytes than UTF-16 has code units, plus the terminator.
        const qsizetype room = qsizetype(utf8.size()) + 1;
        if (room > m_limit - m_end) {
            if (room > blockSize / 4)
                return textOf(utf8);
            auto [header, start] = QTypedArrayData<char16_t>::allocate(blockSize);
            m_block = QString::DataPointer(header, start, 0);
            m_end = start;
            m_limit = start + blockSize;
        }
        char16_t *const begin = m_end;
        char16_t *const end = reinterpret_cast<char16_t *>(m_utf8.appendToBuffer(
            reinterpret_cast<QChar *>(begin), QByteArrayView(utf8.data(), qsizetype(utf8.size()))));
        *end = u'\0';
        m_end = end + 1;
        m_block.d_ptr()->ref();
        return QString(QString::DataPointer(m_block.d_ptr(), begin, end - begin));
    }

private:
    static constexpr qsizetype blockSize = 2040; // UTF-16 code units: 4 KB a block
    QString::DataPointer m_block;
    char16_t *m_end = nullptr; // where the next text goes
    char16_t *m_limit = nullptr;
    // An initial U+FEFF in a JSON string is data, not a byte-order mark to drop.
    QStringDecoder m_utf8 {QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless
                               | QStringDecoder::Flag::ConvertInitialBom};
};

// Builds the variant tree while walking the document once. Member names are looked up in a
// table keyed by their text (in the reply itself, or the parser's unescaped copy when the name
// has escapes; both alive until the next document), so a name that recurs in every element of
// a page is one shared QString instead of one per element. Lists are collected on a scratch
// stack first so that each gets one allocation of its exact size.
class TreeBuilder
{
public:
    TreeBuilder(std::vector<QVariant> *stack, bool largePage)
        : m_stack(stack)
        , m_largePage(largePage)
    {
    }
    TreeBuilder(const TreeBuilder &) = delete;
    TreeBuilder &operator=(const TreeBuilder &) = delete;
    ~TreeBuilder()
    {
        forEachTaken(m_taken, [this](quint32 i) { slot(i)->~Slot(); });
        forEachTaken(m_valueTaken, [this](quint32 i) {
            (reinterpret_cast<ValueSlot *>(m_valueSlots) + i)->~ValueSlot();
        });
    }

    // \a isId: the value of a member "id" (see TextBlocks).
    error_code value(od::value node, QVariant *out, int depth, bool isId = false)
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
        case od::json_type::string:
            return string(node, out, isId);
        case od::json_type::number:
            // The token is validated here, and the iterator steps over a number left unread
            // exactly as it does over one that was read.
            if (shortNumber(trimmed(node.raw_json_token()), out))
                return SUCCESS;
            return number(node, out);
        case od::json_type::boolean: {
            bool flag;
            if (const error_code e = node.get_bool().get(flag))
                return e;
            put(out, flag);
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
        // Filled as a std::map and handed over whole: QMap::insert would copy the new value in
        // and destroy its argument, two more out-of-line QVariant calls per member.
        std::map<QString, QVariant> map;
        for (auto member : object) {
            od::field field;
            if (const error_code e = std::move(member).get(field))
                return e;
            const QString *name;
            if (const error_code e = key(field, &name))
                return e;
            const auto [entry, isNew] = map.try_emplace(*name);
            // Of repeated names the last one wins, as with QMap::insert.
            if (!isNew)
                entry->second = QVariant();
            if (const error_code e
                = value(field.value(), &entry->second, depth, QStringView(*name) == u"id"))
                return e;
        }
        QVariantMap *const target = emplace<QVariantMap>(out);
        if (!map.empty())
            *target = QVariantMap(std::move(map));
        return SUCCESS;
    }

    error_code elements(od::array array, QVariant *out, int depth)
    {
        if (depth > cvJsonNestingLimit)
            return simdjson::DEPTH_ERROR;
        const size_t base = m_stack->size();
        for (auto item : array) {
            od::value node;
            if (const error_code e = std::move(item).get(node))
                return e;
            // Not decoded on the stack itself: a nested list may move the stack's storage.
            QVariant element;
            if (const error_code e = value(node, &element, depth))
                return e;
            m_stack->push_back(std::move(element));
        }
        QVariantList &list = *emplace<QVariantList>(out);
        list.reserve(qsizetype(m_stack->size() - base));
        for (auto i = m_stack->begin() + qptrdiff(base); i != m_stack->end(); ++i)
            list.append(std::move(*i));
        m_stack->resize(base);
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
                put(out, qlonglong(integer));
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
        put(out, real);
        return SUCCESS;
    }

private:
    // Text without a backslash is the same escaped or not, so it is read in the reply itself
    // rather than copied out first; the reply's UTF-8 and control characters were checked
    // when the document was indexed.
    error_code string(od::value node, QVariant *out, bool isId)
    {
        const std::string_view token = trimmed(node.raw_json_token());
        std::string_view text;
        if (token.size() >= 2 && token.back() == '"'
            && !std::memchr(token.data() + 1, '\\', token.size() - 2)) {
            od::raw_json_string raw;
            if (const error_code e = node.get_raw_json_string().get(raw))
                return e;
            text = token.substr(1, token.size() - 2);
        } else if (const error_code e = node.get_string().get(text)) {
            return e;
        }
        QString *const target = emplace<QString>(out);
        if (!m_largePage)
            *target = textOf(text);
        else if (isId)
            *target = m_ids.add(text);
        else if (text.size() <= sharedValueLength)
            *target = sharedValue(text);
        else
            *target = m_text.add(text);
        return SUCCESS;
    }

    // Short values recur as member names do (types, states, dates, the names of the same
    // people), so in a large page they share one QString too: there, freeing a million small
    // blocks costs more than building the tree, while in a small reply allocation is cheap and
    // hashing would cost more than it saves. The table is a cache indexed by the text's hash:
    // a recurrence is usually close by, and a collision just replaces the older text.
    const QString &sharedValue(std::string_view text)
    {
        quint64 hash = text.size();
        for (size_t i = 0; i < text.size(); i += 8) {
            quint64 word = 0;
            std::memcpy(&word, text.data() + i, qMin<size_t>(8, text.size() - i));
            hash = (hash ^ word) * 0x9E3779B97F4A7C15u;
            hash ^= hash >> 32;
        }
        const quint32 index = quint32(hash % valueSlotCount);
        ValueSlot *const slot = reinterpret_cast<ValueSlot *>(m_valueSlots) + index;
        const quint64 bit = quint64(1) << (index % 64);
        if (!(m_valueTaken[index / 64] & bit)) {
            m_valueTaken[index / 64] |= bit;
            return (new (slot) ValueSlot {text, m_text.add(text)})->value;
        }
        if (slot->text != text) {
            slot->text = text;
            slot->value = m_text.add(text);
        }
        return slot->value;
    }

    // The member name's text, read in place up to its closing quote unless it has escapes.
    error_code key(od::field &field, const QString **out)
    {
        const char *const begin = field.key().raw();
        quint32 hash = 2166136261u;
        const char *p = begin;
        for (; *p != '"' && *p != '\\'; ++p)
            hash = (hash ^ quint8(*p)) * 16777619u;
        std::string_view name(begin, size_t(p - begin));
        if (*p == '\\') {
            if (const error_code e = field.unescaped_key().get(name))
                return e;
            hash = 2166136261u;
            for (const char c : name)
                hash = (hash ^ quint8(c)) * 16777619u;
        }
        *out = &shared(name, hash);
        return SUCCESS;
    }

    // Open addressing in a fixed table whose slots are only constructed when taken: no
    // allocation and next to no set-up per document, which matters for the many small replies.
    // Member names that are data (ids as names) stop being shared once the table is
    // three-quarters full. The text returned lives until the next call at least.
    const QString &shared(std::string_view name, quint32 hash)
    {
        for (quint32 i = hash;; ++i) {
            const quint32 index = i % slotCount;
            if (!isTaken(index)) {
                if (m_used == slotCount * 3 / 4) {
                    m_unshared = textOf(name);
                    return m_unshared;
                }
                ++m_used;
                m_taken[index / 64] |= quint64(1) << (index % 64);
                return (new (slot(index)) Slot {name, hash, textOf(name)})->text;
            }
            const Slot *const candidate = slot(index);
            if (candidate->hash == hash && candidate->name == name)
                return candidate->text;
        }
    }

    struct Slot
    {
        std::string_view name;
        quint32 hash;
        QString text;
    };
    static constexpr quint32 slotCount = 256;

    bool isTaken(quint32 index) const { return m_taken[index / 64] >> (index % 64) & 1; }
    template<size_t words, typename Function>
    static void forEachTaken(const quint64 (&taken)[words], Function function)
    {
        for (size_t word = 0; word < words; ++word) {
            for (quint64 bits = taken[word]; bits; bits &= bits - 1)
                function(quint32(word * 64 + size_t(qCountTrailingZeroBits(bits))));
        }
    }
    Slot *slot(quint32 index) { return reinterpret_cast<Slot *>(m_slots) + index; }

    std::vector<QVariant> *m_stack;
    const bool m_largePage;
    QString m_unshared;
    quint64 m_taken[slotCount / 64] = {};
    quint32 m_used = 0;
    alignas(Slot) unsigned char m_slots[slotCount * sizeof(Slot)];

    struct ValueSlot
    {
        std::string_view text;
        QString value;
    };
    static constexpr quint32 valueSlotCount = 512;
    static constexpr size_t sharedValueLength = 32;
    quint64 m_valueTaken[valueSlotCount / 64] = {};
    alignas(ValueSlot) unsigned char m_valueSlots[valueSlotCount * sizeof(ValueSlot)];

    TextBlocks m_text;
    TextBlocks m_ids;
};

// simdjson's root literal accessors look at the literal's own letters only, so "false2" passes
// as false: a literal at the top must be the whole text apart from JSON whitespace.
bool isWholeText(std::string_view text, std::string_view literal)
{
    while (!text.empty() && isJsonSpace(text.front()))
        text.remove_prefix(1);
    return trimmed(text) == literal;
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
    // The stack keeps its storage between small replies; a large page's is released with it.
    thread_local std::vector<QVariant> reusedStack;
    std::vector<QVariant> ownStack;
    const bool large = json.size() > reusedParserCapacity;
    TreeBuilder builder(large ? &ownStack : &reusedStack, large);
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
    e = decodeRoot(document, std::string_view(json.constData(), size), builder, root);
    // A refused document leaves its partial elements behind, and a reply with a long list
    // should not keep its storage.
    reusedStack.clear();
    if (reusedStack.capacity() > 4096)
        std::vector<QVariant>().swap(reusedStack);
    return e;
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
