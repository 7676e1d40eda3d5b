#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"

#include <QDateTime>

#include <algorithm>
#include <iterator>

namespace Cv {

CvQueries::CvQueries(CvCachePrivate *d)
    : d(d)
{
}

CvQueries::~CvQueries()
{
    clear();
}

CvStatement *CvQueries::keptStatement(const QString &text)
{
    // A literal's text lives as long as the program, so its address names it.
    const bool literal = !text.data_ptr().isMutable();
    if (literal) {
        const auto found = m_literals.find(text.constData());
        if (found != m_literals.end())
            return found->second;
    }
    auto it = m_kept.find(text);
    if (it == m_kept.end()) {
        auto query = std::make_unique<CvStatement>(d->db, d->native);
        query->setForwardOnly(true);
        if (!query->prepare(text)) {
            d->recordError(*query);
            return nullptr;
        }
        it = m_kept.emplace(text, std::move(query)).first;
    }
    if (literal)
        m_literals.emplace(text.constData(), it->second.get());
    return it->second.get();
}

CvStatement *CvQueries::boundStatement(const QString &text, std::initializer_list<QVariant> values)
{
    CvStatement *query = keptStatement(text);
    if (!query)
        return nullptr;
    int position = 0;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
    return query;
}

bool CvQueries::preparePerCall(CvStatement *query, const QString &text,
                               std::initializer_list<QVariant> values)
{
    query->setForwardOnly(true);
    if (!query->prepare(text)) {
        d->recordError(*query);
        return false;
    }
    int position = 0;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
    return true;
}

void CvQueries::readByIds(const QString &pattern, const QStringList &ids,
                          const std::function<void(qsizetype index, const CvStatement &)> &row)
{
    // Chunk lengths, shortest first: one item, a short list, a page of the feed.
    static constexpr int lengths[] = {1, 4, 16, 64};
    constexpr int longest = lengths[std::size(lengths) - 1];
    static const auto values = [](int length) {
        QStringList rows;
        for (int i = 0; i < length; ++i)
            rows << QStringLiteral("(%1, ?)").arg(i);
        return rows.join(u", ");
    };
    static const QString lists[]
        = {values(lengths[0]), values(lengths[1]), values(lengths[2]), values(lengths[3])};
    static_assert(std::size(lists) == std::size(lengths));
    for (qsizetype first = 0; first < ids.size(); first += longest) {
        const qsizetype count = std::min<qsizetype>(ids.size() - first, longest);
        size_t length = 0;
        while (lengths[length] < count)
            ++length;
        CvStatement *query = keptStatement(pattern.arg(lists[length]));
        if (!query)
            continue;
        for (int i = 0; i < lengths[length]; ++i)
            query->bindValue(i, i < count ? QVariant(ids.at(first + i)) : QVariant());
        if (d->exec(query)) {
            while (query->next())
                row(first + query->integer(0), *query);
        }
        query->finish();
    }
}

UpdateTableTargetQuery *CvQueries::tableTargetQuery(const QString &table,
                                                    const QString &firstColumn,
                                                    const QString &secondColumn)
{
    for (const auto &entry : m_tableTargets) {
        if (entry->table == table && entry->firstColumn == firstColumn
            && entry->secondColumn == secondColumn)
            return entry.get();
    }
    auto entry = std::make_unique<UpdateTableTargetQuery>(d->db, d->native, table, firstColumn,
                                                          secondColumn);
    entry->insert.setForwardOnly(true);
    // A table name that does not exist, or a pair that is not its key, fails here; keep nothing so
    // that the error is reported now and the statement is prepared again next time.
    if (!entry->insert.prepare(
            QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?) ON CONFLICT (%2, %3) DO NOTHING")
                .arg(table, firstColumn, secondColumn))) {
        d->recordError(entry->insert);
        return nullptr;
    }
    m_tableTargets.push_back(std::move(entry));
    return m_tableTargets.back().get();
}

void CvQueries::clear()
{
    m_literals.clear();
    m_kept.clear();
    m_tableTargets.clear();
}

const QStringList &CvQueries::createTableTexts()
{
    static const QStringList texts = {
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS cache_info (id INT NOT NULL, version INT NOT NULL, "
            "PRIMARY KEY (id))"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS users (id TEXT NOT NULL, first_name TEXT, last_name TEXT, "
            "name TEXT, link TEXT, about TEXT, birthday TEXT, email TEXT, website TEXT, "
            "hometown TEXT, location TEXT, bio TEXT, gender TEXT, interested_in TEXT, "
            "meeting_for TEXT, relationship_status TEXT, religion TEXT, political TEXT, "
            "significant_other TEXT, timezone INT, picture TEXT, mobile_phone TEXT, "
            "locale TEXT, PRIMARY KEY (id))"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS friendships (user TEXT NOT NULL, friend TEXT NOT NULL, "
            "PRIMARY KEY (user, friend), "
            "CONSTRAINT fk_user FOREIGN KEY (user) REFERENCES users (id) ON DELETE CASCADE, "
            "CONSTRAINT fk_friend FOREIGN KEY (friend) REFERENCES users (id) "
            "ON DELETE CASCADE)"),
        QStringLiteral(
            "CREATE TABLE IF NOT EXISTS posts (id TEXT NOT NULL, sender TEXT NOT NULL, "
            "message TEXT, picture TEXT, link TEXT, name TEXT, caption TEXT, description TEXT, "
            "source TEXT, icon TEXT, attribution TEXT, likes TEXT, created_time TEXT, "
            "updated_time TEXT, comment_count INTEGER, type TEXT, subject TEXT, album_id TEXT, "
            "object_id TEXT, application TEXT, applicationId TEXT, place_id TEXT, story TEXT, "
            "PRIMARY KEY (id), "
            "FOREIGN KEY (sender) REFERENCES users (id) ON DELETE CASCADE)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS post_actions (post_id TEXT NOT NULL, "
                       "name TEXT NOT NULL, link TEXT NOT NULL, PRIMARY KEY (post_id, name), "
                       "FOREIGN KEY (post_id) REFERENCES posts (id) ON DELETE CASCADE)"),
    };
    // The post link tables share one shape.
    static const QStringList all = [] {
        QStringList result = texts;
        const QString postLink = QStringLiteral(
            "CREATE TABLE IF NOT EXISTS %1 (post_id TEXT NOT NULL, user_id TEXT NOT NULL, "
            "PRIMARY KEY (post_id, user_id), "
            "FOREIGN KEY (user_id) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (post_id) REFERENCES posts (id) ON DELETE CASCADE)");
        for (const char *table :
             {"post_targets", "post_tags", "news_feeds", "profile_feeds", "inboxes", "outboxes"})
            result << postLink.arg(QLatin1String(table));
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS comments (id TEXT NOT NULL, sender TEXT NOT NULL, "
            "message TEXT, created_time TEXT, updated_time TEXT, likes INTEGER, "
            "user_likes BOOLEAN, PRIMARY KEY (id), "
            "FOREIGN KEY (sender) REFERENCES users (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS post_comments (comment_id TEXT NOT NULL, "
            "target_id TEXT NOT NULL, PRIMARY KEY (comment_id, target_id), "
            "FOREIGN KEY (comment_id) REFERENCES comments (id) ON DELETE CASCADE, "
            "FOREIGN KEY (target_id) REFERENCES posts (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS photo_comments (comment_id TEXT NOT NULL, "
            "target_id TEXT NOT NULL, PRIMARY KEY (comment_id, target_id), "
            "FOREIGN KEY (comment_id) REFERENCES comments (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS events (id TEXT NOT NULL, name TEXT, owner_id TEXT, "
            "description TEXT, start_time TEXT, end_time TEXT, location TEXT, privacy TEXT, "
            "updated_time TEXT, rsvp_status TEXT, street TEXT, city TEXT, state TEXT, "
            "country TEXT, latitude FLOAT, longitude FLOAT, picture TEXT, "
            "user_id TEXT NOT NULL, PRIMARY KEY (id), "
            "FOREIGN KEY (owner_id) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (user_id) REFERENCES users (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS threads (id TEXT NOT NULL, snippet_sender TEXT, "
            "subject TEXT, snippet TEXT, msg_count INTEGER, unread_count INTEGER, "
            "last_update TEXT, viewer_id TEXT NOT NULL, folder_id INTEGER NOT NULL, "
            "PRIMARY KEY (id), "
            "FOREIGN KEY (snippet_sender) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (viewer_id) REFERENCES users (id) ON DELETE CASCADE)");
        const QString threadLink = QStringLiteral(
            "CREATE TABLE IF NOT EXISTS %1 (thread_id TEXT NOT NULL, user_id TEXT NOT NULL, "
            "PRIMARY KEY (thread_id, user_id), "
            "FOREIGN KEY (user_id) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (thread_id) REFERENCES threads (id) ON DELETE CASCADE)");
        result << threadLink.arg(QLatin1String("thread_participants"))
               << threadLink.arg(QLatin1String("thread_senders"));
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS messages (id TEXT NOT NULL, tid TEXT NOT NULL, "
            "author TEXT, time_sent TEXT, body TEXT, has_attachment BOOLEAN, "
            "PRIMARY KEY (id, tid), "
            "FOREIGN KEY (author) REFERENCES users (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS attachments (mid TEXT NOT NULL, tid TEXT NOT NULL, "
            "type TEXT NOT NULL, url TEXT NOT NULL, name TEXT, caption TEXT, "
            "description TEXT, object_id TEXT, PRIMARY KEY (mid, tid), "
            "FOREIGN KEY (mid, tid) REFERENCES messages (id, tid) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS checkins (id TEXT NOT NULL, from_id TEXT, "
            "place_id TEXT, message TEXT, app_id TEXT, app_name TEXT, created_time TEXT, "
            "user_id TEXT NOT NULL, PRIMARY KEY (id), "
            "FOREIGN KEY (from_id) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (user_id) REFERENCES users (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS checkin_tags (checkin_id TEXT NOT NULL, "
            "user_id TEXT NOT NULL, PRIMARY KEY (checkin_id, user_id), "
            "FOREIGN KEY (user_id) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (checkin_id) REFERENCES checkins (id) ON DELETE CASCADE)");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS places (id TEXT NOT NULL, name TEXT, category TEXT, "
            "street TEXT, city TEXT, state TEXT, country TEXT, zip TEXT, "
            "latitude FLOAT NOT NULL, longitude FLOAT NOT NULL, parent_id TEXT NOT NULL, "
            "PRIMARY KEY (id, parent_id))");
        result << QStringLiteral(
            "CREATE TABLE IF NOT EXISTS groups (id TEXT NOT NULL, version INTEGER, "
            "owner_id TEXT, name TEXT, description TEXT, privacy TEXT, icon TEXT, "
            "updated_time TEXT, email TEXT, link TEXT, picture TEXT, user_id TEXT NOT NULL, "
            "PRIMARY KEY (id), "
            "FOREIGN KEY (owner_id) REFERENCES users (id) ON DELETE CASCADE, "
            "FOREIGN KEY (user_id) REFERENCES users (id) ON DELETE CASCADE)");
        result << QStringLiteral("CREATE TABLE IF NOT EXISTS user_data (key TEXT NOT NULL, "
                                 "value TEXT NOT NULL, PRIMARY KEY (key))");
        return result;
    }();
    return all;
}

QString CvQueries::lowerBound(const CvDataFilter &filter)
{
    // Stored times are UTC; a bound in the caller's local time would shift the window.
    const QString text = filter.since.toUTC().toString(Qt::ISODate);
    return text.isEmpty() ? QStringLiteral("1970-01-01T00:00:00") : text;
}

QString CvQueries::upperBound(const CvDataFilter &filter)
{
    const QString text = filter.until.toUTC().toString(Qt::ISODate);
    return text.isEmpty() ? QDateTime::currentDateTimeUtc().addYears(1000).toString(Qt::ISODate)
                          : text;
}

QString CvQueries::postTypeTable(CvCache::PostType type)
{
    switch (type) {
    case CvCache::NewsFeed:
        return QStringLiteral("news_feeds");
    case CvCache::ProfileFeed:
        return QStringLiteral("profile_feeds");
    case CvCache::Inbox:
        return QStringLiteral("inboxes");
    case CvCache::Outbox:
        return QStringLiteral("outboxes");
    }
    // A value cast from a number outside the enumeration.
    return QString();
}

} // namespace Cv
