#include "cvql.h"

#include "dataset.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <memory>

namespace Emu {

using namespace Qt::StringLiterals;

namespace {

struct Token
{
    enum Kind { End, Ident, Number, String, Op, Punct } kind = End;
    QString text;
    int pos = 0;
};

struct ParseError
{
    QString message;
};

QList<Token> tokenize(const QString &s)
{
    QList<Token> out;
    int i = 0;
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = i;
        if (c.isLetter() || c == u'_') {
            int j = i + 1;
            while (j < n && (s.at(j).isLetterOrNumber() || s.at(j) == u'_' || s.at(j) == u'.'))
                ++j;
            t.kind = Token::Ident;
            t.text = s.mid(i, j - i);
            i = j;
        } else if (c.isDigit() || (c == u'-' && i + 1 < n && s.at(i + 1).isDigit())) {
            int j = i + 1;
            while (j < n && (s.at(j).isDigit() || s.at(j) == u'.'))
                ++j;
            t.kind = Token::Number;
            t.text = s.mid(i, j - i); // kept as written: "01" must stay "01" for strpos
            i = j;
        } else if (c == u'\'' || c == u'"' || s.mid(i, 3) == u"%22"_s) {
            // A double quote may arrive still percent-encoded when the statement travelled
            // inside a batch's relative URL.
            const QString quote = (c == u'%') ? u"%22"_s : QString(c);
            int j = i + int(quote.size());
            QString value;
            while (j < n && s.mid(j, quote.size()) != quote) {
                if (s.at(j) == u'\\' && j + 1 < n)
                    ++j;
                value += s.at(j++);
            }
            if (j >= n)
                throw ParseError {u"unterminated string starting at position %1"_s.arg(i)};
            t.kind = Token::String;
            t.text = value;
            i = j + int(quote.size());
        } else if (QStringLiteral("=<>!").contains(c)) {
            int j = i + 1;
            if (j < n && QStringLiteral("=<>").contains(s.at(j)))
                ++j;
            t.kind = Token::Op;
            t.text = s.mid(i, j - i);
            static const QSet<QString> ops
                = {u"="_s, u"=="_s, u"!="_s, u"<>"_s, u"<"_s, u"<="_s, u">"_s, u">="_s};
            if (!ops.contains(t.text))
                throw ParseError {u"unexpected '%1' at position %2"_s.arg(t.text).arg(i)};
            i = j;
        } else if (c == u'(' || c == u')' || c == u',' || c == u'*') {
            t.kind = Token::Punct;
            t.text = c;
            ++i;
        } else {
            throw ParseError {u"unexpected '%1' at position %2"_s.arg(c).arg(i)};
        }
        out.append(t);
    }
    Token end;
    end.pos = n;
    out.append(end);
    return out;
}

struct Statement;

struct Node
{
    enum Kind { Or, And, Not, Compare, In, Field, Literal, Call } kind = Literal;
    QString text; // operator, field name, literal text or function name
    QList<std::shared_ptr<Node>> args;
    std::shared_ptr<Statement> subquery;
    mutable std::unique_ptr<QSet<QString>> subqueryValues; // evaluated once per statement
};

struct Statement
{
    QStringList fields; // empty for "*"
    QString table;
    std::shared_ptr<Node> where;
    QList<QPair<QString, bool>> order; // field, descending
    int offset = 0;
    int limit = -1;
};

class Parser
{
public:
    explicit Parser(const QList<Token> &tokens)
        : m_t(tokens)
    {
    }

    std::shared_ptr<Statement> statement()
    {
        auto st = std::make_shared<Statement>();
        expectKeyword("SELECT");
        if (peekPunct(u'*')) {
            ++m_i;
        } else {
            do {
                st->fields.append(expectIdent());
            } while (acceptPunct(u','));
        }
        expectKeyword("FROM");
        st->table = expectIdent();
        if (acceptKeyword("WHERE"))
            st->where = orExpr();
        if (acceptKeyword("ORDER")) {
            expectKeyword("BY");
            do {
                const QString f = expectIdent();
                bool desc = false;
                if (acceptKeyword("DESC"))
                    desc = true;
                else
                    acceptKeyword("ASC");
                st->order.append({f, desc});
            } while (acceptPunct(u','));
        }
        if (acceptKeyword("LIMIT")) {
            const int first = expectNumber();
            if (acceptPunct(u',')) {
                st->offset = first;
                st->limit = expectNumber();
            } else {
                st->limit = first;
            }
        }
        return st;
    }

    void expectEnd()
    {
        if (cur().kind != Token::End)
            fail();
    }

    const Token &cur() const { return m_t.at(m_i); }

private:
    [[noreturn]] void fail() const
    {
        const Token &t = cur();
        if (t.kind == Token::End)
            throw ParseError {u"unexpected end of statement"_s};
        throw ParseError {u"unexpected '%1' at position %2"_s.arg(t.text).arg(t.pos)};
    }
    bool isKeyword(const char *k) const
    {
        return cur().kind == Token::Ident
            && cur().text.compare(QLatin1String(k), Qt::CaseInsensitive) == 0;
    }
    bool acceptKeyword(const char *k)
    {
        if (!isKeyword(k))
            return false;
        ++m_i;
        return true;
    }
    void expectKeyword(const char *k)
    {
        if (!acceptKeyword(k))
            fail();
    }
    bool peekPunct(QChar c) const { return cur().kind == Token::Punct && cur().text == c; }
    bool acceptPunct(QChar c)
    {
        if (!peekPunct(c))
            return false;
        ++m_i;
        return true;
    }
    void expectPunct(QChar c)
    {
        if (!acceptPunct(c))
            fail();
    }
    QString expectIdent()
    {
        static const QStringList reserved
            = {u"SELECT"_s, u"FROM"_s, u"WHERE"_s, u"AND"_s, u"OR"_s,
               u"NOT"_s,    u"IN"_s,   u"ORDER"_s, u"BY"_s,  u"LIMIT"_s};
        if (cur().kind != Token::Ident || reserved.contains(cur().text.toUpper()))
            fail();
        return m_t.at(m_i++).text;
    }
    int expectNumber()
    {
        bool ok = false;
        const int v = cur().text.toInt(&ok);
        if (cur().kind != Token::Number || !ok || v < 0)
            fail();
        ++m_i;
        return v;
    }

    std::shared_ptr<Node> orExpr()
    {
        auto left = andExpr();
        while (acceptKeyword("OR")) {
            auto n = std::make_shared<Node>();
            n->kind = Node::Or;
            n->args = {left, andExpr()};
            left = n;
        }
        return left;
    }
    std::shared_ptr<Node> andExpr()
    {
        auto left = notExpr();
        while (acceptKeyword("AND")) {
            auto n = std::make_shared<Node>();
            n->kind = Node::And;
            n->args = {left, notExpr()};
            left = n;
        }
        return left;
    }
    std::shared_ptr<Node> notExpr()
    {
        if (acceptKeyword("NOT")) {
            if (++m_depth > 256)
                throw ParseError {u"statement nested too deeply"_s};
            auto n = std::make_shared<Node>();
            n->kind = Node::Not;
            n->args = {notExpr()};
            return n;
        }
        return predicate();
    }
    std::shared_ptr<Node> predicate()
    {
        if (peekPunct(u'(')) {
            // Deeply nested input must end in an error reply, not in a stack overflow.
            if (++m_depth > 64)
                throw ParseError {u"statement nested too deeply"_s};
            ++m_i;
            auto inner = orExpr();
            expectPunct(u')');
            --m_depth;
            return inner;
        }
        auto left = operand();
        if (cur().kind == Token::Op) {
            auto n = std::make_shared<Node>();
            n->kind = Node::Compare;
            n->text = m_t.at(m_i++).text;
            n->args = {left, operand()};
            return n;
        }
        if (acceptKeyword("IN")) {
            auto n = std::make_shared<Node>();
            n->kind = Node::In;
            n->args = {left};
            expectPunct(u'(');
            if (isKeyword("SELECT")) {
                if (++m_depth > 64)
                    throw ParseError {u"statement nested too deeply"_s};
                n->subquery = statement();
                --m_depth;
                if (n->subquery->fields.size() != 1)
                    throw ParseError {u"a sub-select must name exactly one field"_s};
            } else {
                do {
                    n->args.append(operand());
                } while (acceptPunct(u','));
            }
            expectPunct(u')');
            return n;
        }
        if (left->kind == Node::Call)
            return left; // a function used as a condition, such as has_tags('inbox')
        fail();
    }
    std::shared_ptr<Node> operand()
    {
        auto n = std::make_shared<Node>();
        const Token &t = cur();
        if (t.kind == Token::Number || t.kind == Token::String) {
            n->kind = Node::Literal;
            n->text = t.text;
            ++m_i;
            return n;
        }
        if (t.kind != Token::Ident)
            fail();
        n->text = expectIdent();
        if (acceptPunct(u'(')) {
            if (++m_depth > 64)
                throw ParseError {u"statement nested too deeply"_s};
            n->kind = Node::Call;
            if (!acceptPunct(u')')) {
                do {
                    n->args.append(operand());
                } while (acceptPunct(u','));
                expectPunct(u')');
            }
            --m_depth;
            return n;
        }
        n->kind = Node::Field;
        return n;
    }

    QList<Token> m_t;
    int m_i = 0;
    int m_depth = 0;
};

QString textOf(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Double: {
        const double d = v.toDouble();
        if (d == double(qint64(d)))
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QJsonValue::Bool:
        return v.toBool() ? u"1"_s : u"0"_s;
    default:
        return QString();
    }
}

int compareValues(const QString &a, const QString &b)
{
    bool okA = false;
    bool okB = false;
    const double da = a.toDouble(&okA);
    const double db = b.toDouble(&okB);
    if (okA && okB)
        return da < db ? -1 : (da > db ? 1 : 0);
    return a.compare(b);
}

class Evaluator
{
public:
    Evaluator(const Cvql &engine, const QString &viewer)
        : m_engine(engine)
        , m_viewer(viewer)
    {
    }

    QJsonArray run(const Statement &st) const
    {
        if (!Cvql::tableNames().contains(st.table))
            throw ParseError {u"unknown table '%1'"_s.arg(st.table)};
        const QStringList cols = Cvql::columns(st.table);
        for (const QString &f : st.fields) {
            if (!cols.contains(f))
                throw ParseError {u"%1 is not a member of the %2 table"_s.arg(f, st.table)};
        }
        for (const auto &o : st.order) {
            if (!cols.contains(o.first))
                throw ParseError {u"%1 is not a member of the %2 table"_s.arg(o.first, st.table)};
        }
        if (st.where)
            checkFields(*st.where, st.table, cols);
        QList<QJsonObject> rows = m_engine.rows(st.table, m_viewer);
        QList<QJsonObject> kept;
        for (const QJsonObject &row : std::as_const(rows)) {
            if (!st.where || truth(eval(*st.where, row)))
                kept.append(row);
        }
        if (!st.order.isEmpty()) {
            std::stable_sort(
                kept.begin(), kept.end(), [&st](const QJsonObject &a, const QJsonObject &b) {
                    for (const auto &o : st.order) {
                        const int c
                            = compareValues(textOf(a.value(o.first)), textOf(b.value(o.first)));
                        if (c != 0)
                            return o.second ? c > 0 : c < 0;
                    }
                    return false;
                });
        }
        QJsonArray out;
        const qsizetype end = st.limit < 0
            ? kept.size()
            : std::min<qsizetype>(kept.size(), qsizetype(st.offset) + st.limit);
        for (qsizetype i = st.offset; i < end; ++i) {
            const QJsonObject &row = kept.at(i);
            QJsonObject picked;
            const QStringList &fields = st.fields.isEmpty() ? cols : st.fields;
            for (const QString &f : fields)
                picked.insert(f, row.contains(f) ? row.value(f) : QJsonValue(QJsonValue::Null));
            out.append(picked);
        }
        return out;
    }

private:
    void checkFields(const Node &n, const QString &table, const QStringList &cols) const
    {
        if (n.kind == Node::Field && !cols.contains(n.text))
            throw ParseError {u"%1 is not a member of the %2 table"_s.arg(n.text, table)};
        if (n.kind == Node::Call) {
            static const QStringList known = {u"me"_s,    u"now"_s,   u"strpos"_s, u"has_tags"_s,
                                              u"lower"_s, u"upper"_s, u"strlen"_s};
            if (!known.contains(n.text.toLower()))
                throw ParseError {u"unknown function '%1'"_s.arg(n.text)};
        }
        for (const auto &a : n.args)
            checkFields(*a, table, cols);
    }

    static bool truth(const QJsonValue &v)
    {
        if (v.isBool())
            return v.toBool();
        const QString t = textOf(v);
        return !t.isEmpty() && t != u"0"_s;
    }

    QJsonValue eval(const Node &n, const QJsonObject &row) const
    {
        switch (n.kind) {
        case Node::Or:
            return truth(eval(*n.args.at(0), row)) || truth(eval(*n.args.at(1), row));
        case Node::And:
            return truth(eval(*n.args.at(0), row)) && truth(eval(*n.args.at(1), row));
        case Node::Not:
            return !truth(eval(*n.args.at(0), row));
        case Node::Field:
            return row.value(n.text);
        case Node::Literal:
            return n.text;
        case Node::Compare: {
            const int c
                = compareValues(textOf(eval(*n.args.at(0), row)), textOf(eval(*n.args.at(1), row)));
            if (n.text == u"="_s || n.text == u"=="_s)
                return c == 0;
            if (n.text == u"!="_s || n.text == u"<>"_s)
                return c != 0;
            if (n.text == u"<"_s)
                return c < 0;
            if (n.text == u"<="_s)
                return c <= 0;
            if (n.text == u">"_s)
                return c > 0;
            return c >= 0;
        }
        case Node::In: {
            const QString value = textOf(eval(*n.args.at(0), row));
            if (n.subquery) {
                if (!n.subqueryValues) {
                    auto values = std::make_unique<QSet<QString>>();
                    const QJsonArray sub = run(*n.subquery);
                    for (const QJsonValue &r : sub)
                        values->insert(textOf(r.toObject().value(n.subquery->fields.first())));
                    n.subqueryValues = std::move(values);
                }
                return n.subqueryValues->contains(value);
            }
            for (qsizetype i = 1; i < n.args.size(); ++i) {
                if (compareValues(value, textOf(eval(*n.args.at(i), row))) == 0)
                    return true;
            }
            return false;
        }
        case Node::Call:
            return call(n, row);
        }
        return QJsonValue();
    }

    QJsonValue call(const Node &n, const QJsonObject &row) const
    {
        const QString name = n.text.toLower();
        auto arg = [&](int i) {
            return i < n.args.size() ? textOf(eval(*n.args.at(i), row)) : QString();
        };
        auto needArgs = [&](int count) {
            if (n.args.size() != count)
                throw ParseError {u"%1() takes %2 argument(s)"_s.arg(n.text).arg(count)};
        };
        if (name == u"me"_s) {
            needArgs(0);
            return m_viewer;
        }
        if (name == u"now"_s) {
            needArgs(0);
            return double(QDateTime::currentSecsSinceEpoch());
        }
        if (name == u"strpos"_s) {
            needArgs(2);
            return double(arg(0).indexOf(arg(1)));
        }
        if (name == u"strlen"_s) {
            needArgs(1);
            return double(arg(0).size());
        }
        if (name == u"lower"_s || name == u"upper"_s) {
            needArgs(1);
            return name == u"lower"_s ? arg(0).toLower() : arg(0).toUpper();
        }
        needArgs(1); // has_tags
        const QString tag = arg(0);
        for (const QJsonValue &t : row.value(u"_tags"_s).toArray()) {
            if (t.toString() == tag)
                return true;
        }
        return false;
    }

    const Cvql &m_engine;
    QString m_viewer;
};

QJsonObject userRef(const DataSet &data, const QString &id)
{
    return QJsonObject {{u"user_id"_s, id}, {u"name"_s, data.ref(id).value(u"name"_s)}};
}

} // namespace

QStringList Cvql::tableNames()
{
    return {u"user"_s,           u"friend"_s,
            u"friend_request"_s, u"notification"_s,
            u"event_member"_s,   u"like"_s,
            u"unified_thread"_s, u"unified_message"_s,
            u"message"_s,        u"unified_thread_count"_s};
}

QStringList Cvql::columns(const QString &table)
{
    static const QHash<QString, QStringList> cols = {
        {u"user"_s,
         {u"uid"_s, u"name"_s, u"first_name"_s, u"last_name"_s, u"birthday_date"_s, u"pic_square"_s,
          u"sex"_s, u"locale"_s, u"profile_url"_s, u"username"_s}},
        {u"friend"_s, {u"uid1"_s, u"uid2"_s}},
        {u"friend_request"_s, {u"uid_from"_s, u"uid_to"_s}},
        {u"notification"_s,
         {u"notification_id"_s, u"recipient_id"_s, u"sender_id"_s, u"object_id"_s, u"object_type"_s,
          u"created_time"_s, u"updated_time"_s, u"title_html"_s, u"title_text"_s, u"body_html"_s,
          u"body_text"_s, u"href"_s, u"app_id"_s, u"is_unread"_s, u"is_hidden"_s, u"icon_url"_s}},
        {u"event_member"_s, {u"uid"_s, u"eid"_s, u"rsvp_status"_s}},
        {u"like"_s, {u"user_id"_s, u"post_id"_s, u"object_id"_s, u"object_type"_s}},
        {u"unified_thread"_s,
         {u"thread_id"_s, u"timestamp"_s, u"subject"_s, u"senders"_s, u"participants"_s,
          u"snippet"_s, u"snippet_sender"_s, u"num_messages"_s, u"num_unread"_s,
          u"object_participants"_s, u"folder"_s}},
        {u"unified_message"_s,
         {u"message_id"_s, u"thread_id"_s, u"timestamp"_s, u"subject"_s, u"body"_s, u"unread"_s,
          u"sender"_s, u"recipients"_s, u"object_sender"_s, u"attachments"_s}},
        {u"message"_s,
         {u"thread_id"_s, u"message_id"_s, u"viewer_id"_s, u"author_id"_s, u"body"_s,
          u"created_time"_s, u"attachment"_s}},
        {u"unified_thread_count"_s, {u"folder"_s, u"unread_count"_s, u"total_count"_s}},
    };
    return cols.value(table);
}

QList<QJsonObject> Cvql::rows(const QString &table, const QString &viewer) const
{
    QList<QJsonObject> out;
    const DataSet &d = m_data;
    if (table == u"user"_s) {
        for (const QString &id : d.users()) {
            const QJsonObject u = d.raw(id);
            out.append(QJsonObject {{u"uid"_s, id},
                                    {u"name"_s, u.value(u"name"_s)},
                                    {u"first_name"_s, u.value(u"first_name"_s)},
                                    {u"last_name"_s, u.value(u"last_name"_s)},
                                    {u"birthday_date"_s, u.value(u"birthday"_s)},
                                    {u"pic_square"_s, u.value(u"picture"_s)},
                                    {u"sex"_s, u.value(u"gender"_s)},
                                    {u"locale"_s, u.value(u"locale"_s)},
                                    {u"profile_url"_s, u.value(u"link"_s)},
                                    {u"username"_s, u.value(u"username"_s)}});
        }
    } else if (table == u"friend"_s) {
        for (const QString &id : d.users()) {
            for (const QString &f : d.friendsOf(id))
                out.append(QJsonObject {{u"uid1"_s, id}, {u"uid2"_s, f}});
        }
    } else if (table == u"friend_request"_s) {
        for (const auto &r : d.friendRequests())
            out.append(QJsonObject {{u"uid_from"_s, r.first}, {u"uid_to"_s, r.second}});
    } else if (table == u"notification"_s) {
        for (const QJsonObject &n : m_data.notifications())
            out.append(n);
    } else if (table == u"event_member"_s) {
        for (auto e = d.rsvp().constBegin(); e != d.rsvp().constEnd(); ++e) {
            if (!d.exists(e.key()))
                continue;
            for (auto u = e->constBegin(); u != e->constEnd(); ++u)
                out.append(QJsonObject {
                    {u"uid"_s, u.key()}, {u"eid"_s, e.key()}, {u"rsvp_status"_s, u.value()}});
        }
    } else if (table == u"like"_s) {
        for (auto l = d.likes().constBegin(); l != d.likes().constEnd(); ++l) {
            const QString kind = d.kindOf(l.key());
            if (kind.isEmpty())
                continue;
            for (const QString &u : l.value()) {
                out.append(QJsonObject {{u"user_id"_s, u},
                                        {u"post_id"_s, kind == u"post"_s ? l.key() : QString()},
                                        {u"object_id"_s, l.key()},
                                        {u"object_type"_s, kind}});
            }
        }
    } else if (table == u"unified_thread_count"_s) {
        QHash<QString, QPair<int, int>> counts;
        for (const QString &f : {u"inbox"_s, u"other"_s, u"sent"_s, u"spam"_s})
            counts.insert(f, {0, 0});
        for (const Thread &t : d.threads()) {
            if (!t.participants.contains(viewer) || t.deletedFor.contains(viewer))
                continue;
            auto &c = counts[t.folder.value(viewer)];
            c.second += 1;
            if (t.unread.value(viewer) > 0)
                c.first += 1;
        }
        for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
            out.append(QJsonObject {{u"folder"_s, it.key()},
                                    {u"unread_count"_s, it->first},
                                    {u"total_count"_s, it->second}});
    } else {
        // Thread tables: only the viewer's own threads are visible.
        for (const Thread &t : d.threads()) {
            if (!t.participants.contains(viewer) || t.deletedFor.contains(viewer)
                || t.messages.isEmpty())
                continue;
            const int unread = t.unread.value(viewer);
            if (table == u"unified_thread"_s) {
                QJsonArray participants;
                for (const QString &p : t.participants)
                    participants.append(userRef(d, p));
                QJsonArray senders;
                QStringList seen;
                for (const ThreadMessage &m : t.messages) {
                    if (!seen.contains(m.author)) {
                        seen.append(m.author);
                        senders.append(userRef(d, m.author));
                    }
                }
                const ThreadMessage &last = t.messages.last();
                QJsonArray tags {t.folder.value(viewer)};
                if (unread > 0)
                    tags.append(u"unread"_s);
                out.append(QJsonObject {{u"thread_id"_s, t.id},
                                        {u"timestamp"_s, double(last.timestampMs)},
                                        {u"subject"_s, t.subject},
                                        {u"senders"_s, senders},
                                        {u"participants"_s, participants},
                                        {u"snippet"_s, last.body.left(100)},
                                        {u"snippet_sender"_s, userRef(d, last.author)},
                                        {u"num_messages"_s, t.messages.size()},
                                        {u"num_unread"_s, unread},
                                        {u"object_participants"_s, QJsonArray()},
                                        {u"folder"_s, t.folder.value(viewer)},
                                        {u"_tags"_s, tags}});
                continue;
            }
            for (qsizetype i = 0; i < t.messages.size(); ++i) {
                const ThreadMessage &m = t.messages.at(i);
                if (table == u"unified_message"_s) {
                    QJsonArray recipients;
                    for (const QString &p : t.participants) {
                        if (p != m.author)
                            recipients.append(userRef(d, p));
                    }
                    QJsonArray attachments;
                    if (!m.attachment.isEmpty())
                        attachments.append(m.attachment);
                    out.append(QJsonObject {{u"message_id"_s, m.id},
                                            {u"thread_id"_s, t.id},
                                            {u"timestamp"_s, double(m.timestampMs)},
                                            {u"subject"_s, t.subject},
                                            {u"body"_s, m.body},
                                            {u"unread"_s, i >= t.messages.size() - unread},
                                            {u"sender"_s, userRef(d, m.author)},
                                            {u"recipients"_s, recipients},
                                            {u"object_sender"_s, QJsonValue(QJsonValue::Null)},
                                            {u"attachments"_s, attachments}});
                } else {
                    out.append(QJsonObject {{u"thread_id"_s, t.id},
                                            {u"message_id"_s, m.qualifiedId(t.id)},
                                            {u"viewer_id"_s, viewer},
                                            {u"author_id"_s, m.author},
                                            {u"body"_s, m.body},
                                            {u"created_time"_s, double(m.timestampMs / 1000)},
                                            {u"attachment"_s, m.attachment}});
                }
            }
        }
    }
    return out;
}

CvqlResult Cvql::execute(const QString &statement, const QString &viewer) const
{
    CvqlResult result;
    try {
        Parser parser(tokenize(statement));
        std::shared_ptr<Statement> st = parser.statement();
        parser.expectEnd();
        result.rows = Evaluator(*this, viewer).run(*st);
        result.ok = true;
    } catch (const ParseError &e) {
        result.errorCode = 601;
        result.error = u"Parser error: "_s + e.message + u'.';
    }
    return result;
}

} // namespace Emu
