#include "cvcache.h"

#include "cache/cvcache_p.h"
#include "convert/cvlog_p.h"

#include <QDateTime>

#include <optional>

namespace Cv {

namespace {

const QString &invalidReferenceText()
{
    static const QString text = QStringLiteral("Invalid user reference");
    return text;
}

// Runs \a step for each reference in one transaction; a reference without an id fails the batch.
template<typename Step>
bool runRefBatch(CvCachePrivate *d, const CvUserRefs &refs, Step step)
{
    return d->runBatch(refs, [&](const CvUserRef &ref) {
        if (ref.id.isEmpty()) {
            d->recordError(invalidReferenceText(), CvCache::DatabaseError);
            return false;
        }
        return step(ref);
    });
}

// The friends list of getFriends and getFriendRefs: statement and parser are what differ.
template<typename T>
bool readFriendList(CvCachePrivate *d, const QString &userId, const CvDataFilter &filter,
                    QList<T> *friends,
                    CvStatement *(CvQueries::*prepare)(const QString &, const CvDataFilter &),
                    QList<T> (CvQueries::*parse)(CvStatement *))
{
    if (!d->isOpen())
        return false;
    return d->readList((d->queries.*prepare)(userId, filter), friends,
                       [d, parse](CvStatement *q) { return (d->queries.*parse)(q); });
}

// What getUser() records when no user has \a value in the \a label column.
QString userNotFoundText(const QString &label, const QString &value)
{
    return QStringLiteral("Item was not found by field [%1] with value [%2]").arg(label, value);
}

} // namespace

// --- private steps ------------------------------------------------------------------------------

bool CvCachePrivate::getUser(const QString &value, CvUser *user, CvCache::UserSearchField field)
{
    if (!isOpen())
        return false;
    QString label;
    if (field == CvCache::ById)
        label = QStringLiteral("id");
    else if (field == CvCache::ByEmail)
        label = QStringLiteral("email");
    return readOne(
        queries.prepareSelectUserQuery(value, field), user,
        [this](CvStatement *q) { return queries.parseUsers(q); }, userNotFoundText(label, value));
}

bool CvCachePrivate::getUsers(CvUsers *users)
{
    if (!isOpen())
        return false;
    return readList(queries.prepareSelectUsersQuery(), users,
                    [this](CvStatement *q) { return queries.parseUsers(q); });
}

CvCache::UpdateResult CvCachePrivate::writeUserRef(const CvUserRef &ref)
{
    CvUser stored;
    if (getUser(ref.id, &stored, CvCache::ById) && stored.isValid()) {
        if (ref.name.isEmpty())
            return CvCache::NotChanged;
        CvStatement *query = queries.prepareUpdateUserNameQuery(ref);
        return query && execWrite(query) ? CvCache::Updated : CvCache::UpdateFailed;
    }
    CvStatement *query = queries.prepareInsertUserRefQuery(ref);
    return query && execWrite(query) ? CvCache::Inserted : CvCache::UpdateFailed;
}

CvCache::UpdateResult CvCachePrivate::writeUser(const CvUser &user)
{
    // A reference (the sender of a post or comment, mostly) is compared by its name alone, so
    // the name is all it reads: what getUser() would find and record, without the whole row.
    if (user.isRef()) {
        CvStatement *query = queries.prepareSelectUserNameQuery(user.id());
        const bool ran = query && exec(query);
        std::optional<QString> name;
        if (ran && query->next())
            name = query->text(0);
        if (query)
            query->finish();
        if (!name) {
            if (ran)
                recordNotFound(userNotFoundText(QStringLiteral("id"), user.id()));
            return insertUser(user) ? CvCache::Inserted : CvCache::UpdateFailed;
        }
        if (*name == user.name())
            return CvCache::NotChanged;
        CvStatement *update = queries.prepareUpdateUserNameQuery(user.toRef());
        return update && execWrite(update) ? CvCache::Updated : CvCache::UpdateFailed;
    }
    CvUser stored;
    if (!getUser(user.id(), &stored, CvCache::ById) || !stored.isValid())
        return insertUser(user) ? CvCache::Inserted : CvCache::UpdateFailed;

    if (stored == user)
        return CvCache::NotChanged;
    CvStatement *query = queries.prepareUpdateUserQuery(user);
    return query && execWrite(query) ? CvCache::Updated : CvCache::UpdateFailed;
}

bool CvCachePrivate::writeStoredUser(const CvUser &user)
{
    CvStatement *query = nullptr;
    if (user.isRef()) {
        if (user.name().isEmpty())
            return true;
        query = queries.prepareUpdateUserNameQuery(user.toRef());
    } else {
        query = queries.prepareUpdateUserQuery(user);
    }
    return query && execWrite(query);
}

bool CvCachePrivate::insertUser(const CvUser &user)
{
    CvStatement *query = queries.prepareInsertUserQuery(user);
    return query && execWrite(query);
}

bool CvCachePrivate::updateFriendships(const QString &a, const QString &b)
{
    CvStatement *query = queries.prepareInsertFriendshipQuery(a, b);
    if (!query || !execWrite(query))
        return false;
    query = queries.prepareInsertFriendshipQuery(b, a);
    return query && execWrite(query);
}

bool CvCachePrivate::removeUser(const QString &id)
{
    if (!isOpen())
        return false;
    return execPerCall(QStringLiteral("DELETE FROM users WHERE id = ?"), {id});
}

bool CvCachePrivate::removeFriendship(const QString &a, const QString &b)
{
    if (!isOpen())
        return false;
    return execPerCall(QStringLiteral("DELETE FROM friendships WHERE (user = ? AND friend = ?) "
                                      "OR(user = ? AND friend = ?)"),
                       {a, b, b, a});
}

bool CvCachePrivate::isFriend(const QString &a, const QString &b)
{
    if (!isOpen())
        return false;
    CvStatement *query = queries.prepareSelectFriendshipQuery(a, b);
    if (!query)
        return false;
    bool result = false;
    if (exec(query) && query->next())
        result = query->value(0).toString() == a && query->value(1).toString() == b;
    query->finish();
    return result;
}

void CvCachePrivate::mergeUserFields(const CvUser &newUser, CvUser *stored,
                                     const CvDataFilter &filter)
{
    if (filter.fields.isEmpty()) {
        *stored = newUser;
        return;
    }
    using Copy = void (*)(const CvUser &, CvUser *);
    static const QHash<QString, Copy> copies = {
        {QStringLiteral("name"), [](const CvUser &n, CvUser *s) { s->setName(n.name()); }},
        {QStringLiteral("first_name"),
         [](const CvUser &n, CvUser *s) { s->setFirstName(n.firstName()); }},
        {QStringLiteral("last_name"),
         [](const CvUser &n, CvUser *s) { s->setLastName(n.lastName()); }},
        {QStringLiteral("gender"), [](const CvUser &n, CvUser *s) { s->setGender(n.gender()); }},
        {QStringLiteral("locale"), [](const CvUser &n, CvUser *s) { s->setLocale(n.locale()); }},
        {QStringLiteral("link"), [](const CvUser &n, CvUser *s) { s->setLink(n.link()); }},
        {QStringLiteral("timezone"),
         [](const CvUser &n, CvUser *s) { s->setTimezone(n.timezone()); }},
        {QStringLiteral("about"), [](const CvUser &n, CvUser *s) { s->setAbout(n.about()); }},
        {QStringLiteral("bio"), [](const CvUser &n, CvUser *s) { s->setBio(n.bio()); }},
        {QStringLiteral("birthday"),
         [](const CvUser &n, CvUser *s) { s->setBirthday(n.birthday()); }},
        {QStringLiteral("email"), [](const CvUser &n, CvUser *s) { s->setEmail(n.email()); }},
        {QStringLiteral("hometown"),
         [](const CvUser &n, CvUser *s) { s->setHometown(n.hometown()); }},
        {QStringLiteral("interested_in"),
         [](const CvUser &n, CvUser *s) { s->setInterestedIn(n.interestedIn()); }},
        {QStringLiteral("location"),
         [](const CvUser &n, CvUser *s) { s->setLocation(n.location()); }},
        {QStringLiteral("meeting_for"),
         [](const CvUser &n, CvUser *s) { s->setMeetingFor(n.meetingFor()); }},
        {QStringLiteral("political"),
         [](const CvUser &n, CvUser *s) { s->setPolitical(n.political()); }},
        {QStringLiteral("relationship_status"),
         [](const CvUser &n, CvUser *s) { s->setRelationshipStatus(n.relationshipStatus()); }},
        {QStringLiteral("religion"),
         [](const CvUser &n, CvUser *s) { s->setReligion(n.religion()); }},
        {QStringLiteral("significant_other"),
         [](const CvUser &n, CvUser *s) { s->setSignificantOther(n.significantOther()); }},
        {QStringLiteral("website"), [](const CvUser &n, CvUser *s) { s->setWebsite(n.website()); }},
        {QStringLiteral("picture"), [](const CvUser &n, CvUser *s) { s->setPicture(n.picture()); }},
        {QStringLiteral("mobile_phone"),
         [](const CvUser &n, CvUser *s) { s->setMobilePhone(n.mobilePhone()); }},
    };
    for (const QString &field : filter.fields) {
        const Copy copy = copies.value(field);
        if (copy)
            copy(newUser, stored);
    }
}

CvCache::UpdateResult CvCachePrivate::updateUserStep(const CvUser &user, const CvDataFilter &filter)
{
    CvUser stored;
    CvCache::UpdateResult result;
    if (getUser(user.id(), &stored, CvCache::ById) && stored.isValid()) {
        if (stored == user)
            return CvCache::NotChanged;
        mergeUserFields(user, &stored, filter);
        if (!writeStoredUser(stored))
            return CvCache::UpdateFailed;
        result = CvCache::Updated;
    } else {
        if (!insertUser(user))
            return CvCache::UpdateFailed;
        result = CvCache::Inserted;
    }
    if (!user.significantOther().id.isEmpty()
        && writeUserRef(user.significantOther()) == CvCache::UpdateFailed)
        return CvCache::UpdateFailed;
    return result;
}

bool CvCachePrivate::updateUserList(const QString *friendOf, const CvUsers &users,
                                    const CvDataFilter &filter)
{
    if (!isOpen())
        return false;
    // One read of all stored users instead of one per incoming user. Ids are unique, so taking a
    // match out of the hash is the same as taking it out of the list.
    CvUsers storedList;
    if (!getUsers(&storedList))
        return false;
    QHash<QString, CvUser> stored;
    stored.reserve(storedList.size());
    for (const CvUser &user : std::as_const(storedList))
        stored.insert(user.id(), user);
    storedList.clear();

    return runBatch(users, [&](const CvUser &user) {
        bool equal = false;
        auto it = stored.find(user.id());
        if (it != stored.end()) {
            CvUser match = it.value();
            stored.erase(it);
            if (match == user) {
                equal = true;
            } else {
                mergeUserFields(user, &match, filter);
                if (!writeStoredUser(match))
                    return false;
            }
        } else if (!insertUser(user)) {
            return false;
        }
        if (friendOf)
            return updateFriendships(*friendOf, user.id());
        if (!equal && !user.significantOther().id.isEmpty())
            return writeUserRef(user.significantOther()) != CvCache::UpdateFailed;
        return true;
    });
}

// --- CvCache ------------------------------------------------------------------------------------

CvCache::UpdateResult CvCache::updateUser(const CvUser &user, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runSingle([&] { return d->updateUserStep(user, filter); });
}

bool CvCache::updateUsers(const CvUsers &users, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->updateUserList(nullptr, users, filter);
}

bool CvCache::updateFriends(const QString &userId, const CvUsers &friends,
                            const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->updateUserList(&userId, friends, filter);
}

bool CvCache::addFriends(const QString &userId, const CvUserRefs &friends)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return runRefBatch(d, friends, [&](const CvUserRef &ref) {
        return d->writeUser(CvUser(ref)) != UpdateFailed && d->updateFriendships(userId, ref.id);
    });
}

bool CvCache::addFriendships(const QString &userId, const CvUserRefs &friends)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return runRefBatch(d, friends,
                       [&](const CvUserRef &ref) { return d->updateFriendships(userId, ref.id); });
}

bool CvCache::addFriendship(const QString &userId, const QString &friendId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->runBatch(QStringList {friendId},
                       [&](const QString &id) { return d->updateFriendships(userId, id); });
}

bool CvCache::removeFriends(const QString &userId, const CvUserRefs &friends)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return runRefBatch(d, friends, [&](const CvUserRef &ref) {
        return d->removeUser(ref.id) && d->removeFriendship(userId, ref.id);
    });
}

bool CvCache::removeFriendship(const QString &a, const QString &b)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->removeFriendship(a, b);
}

bool CvCache::removeUser(const QString &id)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->removeUser(id);
}

bool CvCache::isFriend(const QString &userId, const QString &friendId)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->isFriend(userId, friendId);
}

bool CvCache::getUser(const QString &value, CvUser *user, UserSearchField field)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getUser(value, user, field);
}

bool CvCache::getUsers(CvUsers *users)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return d->getUsers(users);
}

bool CvCache::getFriends(const QString &userId, CvUsers *friends, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return readFriendList(d, userId, filter, friends, &CvQueries::prepareSelectFriendsQuery,
                          &CvQueries::parseUsers);
}

bool CvCache::getFriendRefs(const QString &userId, CvUserRefs *friends, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    return readFriendList(d, userId, filter, friends, &CvQueries::prepareSelectFriendRefsQuery,
                          &CvQueries::parseUserRefs);
}

bool CvCache::getBirthdays(const QString &userId, CvUsers *friends, const CvDataFilter &filter)
{
    Q_D(CvCache);
    CV_TRACE_FUNCTION;
    if (!d->isOpen())
        return false;
    const QString format = QStringLiteral("MM/dd");
    const QString start = filter.since.toString(format);
    const QString end = filter.until.toString(format);
    CvStatement query(d->db);
    bool prepared;
    // A window that ends in a later year runs to the end of the year and on from its start.
    if (filter.since.date().year() < filter.until.date().year()) {
        prepared = d->queries.preparePerCall(
            &query,
            QStringLiteral("SELECT id, name, birthday FROM users INNER JOIN (SELECT friend "
                           "FROM friendships WHERE user = ?) ON id = friend WHERE birthday "
                           "BETWEEN ? AND ? OR birthday BETWEEN ? AND ? ORDER BY birthday"),
            {userId, start, QStringLiteral("12/31"), QStringLiteral("01/01"), end});
    } else {
        prepared = d->queries.preparePerCall(
            &query,
            QStringLiteral("SELECT id, name, birthday FROM users INNER JOIN (SELECT friend "
                           "FROM friendships WHERE user = ?) ON id = friend WHERE birthday "
                           "BETWEEN ? AND ? ORDER BY birthday"),
            {userId, start, end});
    }
    if (!prepared)
        return false;
    return d->readList(&query, friends,
                       [d](CvStatement *q) { return d->queries.parseBirthdays(q); });
}

} // namespace Cv
