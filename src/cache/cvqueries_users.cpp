#include "cache/cvqueries_p.h"

#include "cache/cvcache_p.h"
#include "cvdatafilter.h"

namespace Cv {

namespace {

// Column order of table users, shared by the full insert, the full update and parseUsers.
enum UserColumn {
    ColId,
    ColFirstName,
    ColLastName,
    ColName,
    ColLink,
    ColAbout,
    ColBirthday,
    ColEmail,
    ColWebsite,
    ColHometown,
    ColLocation,
    ColBio,
    ColGender,
    ColInterestedIn,
    ColMeetingFor,
    ColRelationshipStatus,
    ColReligion,
    ColPolitical,
    ColSignificantOther,
    ColTimezone,
    ColPicture,
    ColMobilePhone,
    ColLocale,
    UserColumnCount
};

// Binds the id of \a user at \a idPosition and columns 1 to 22 in table order from \a first on;
// the insert puts the id first, the update last. A null \a query stays null.
CvStatement *bindUser(CvStatement *query, int idPosition, int first, const CvUser &user)
{
    if (!query)
        return nullptr;
    const QVariant values[] = {user.firstName(),    user.lastName(),   user.name(),
                               user.link(),         user.about(),      user.birthday(),
                               user.email(),        user.website(),    user.hometown(),
                               user.location(),     user.bio(),        user.gender(),
                               user.interestedIn(), user.meetingFor(), user.relationshipStatus(),
                               user.religion(),     user.political(),  user.significantOther().id,
                               user.timezone(),     user.picture(),    user.mobilePhone(),
                               user.locale()};
    int position = first;
    for (const QVariant &value : values)
        query->bindValue(position++, value);
    query->bindValue(idPosition, user.id());
    return query;
}

} // namespace

CvStatement *CvQueries::prepareInsertUserQuery(const CvUser &user)
{
    return bindUser(
        keptStatement(QStringLiteral(
            "INSERT INTO users (id, first_name, last_name, name, link, about, birthday, email, "
            "website, hometown, location, bio, gender, interested_in, meeting_for, "
            "relationship_status, religion, political, significant_other, timezone, picture, "
            "mobile_phone, locale)VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, ?, ?)")),
        ColId, ColId + 1, user);
}

CvStatement *CvQueries::prepareUpdateUserQuery(const CvUser &user)
{
    return bindUser(
        keptStatement(QStringLiteral(
            "UPDATE users SET first_name = ?, last_name = ?, name = ?, link = ?, about = ?, "
            "birthday = ?, email = ?, website = ?, hometown = ?, location = ?, bio = ?, "
            "gender = ?, interested_in = ?, meeting_for = ?, relationship_status = ?, "
            "religion = ?, political = ?, significant_other = ?, timezone = ?, picture = ?, "
            "mobile_phone = ?, locale = ? WHERE id = ?")),
        UserColumnCount - 1, 0, user);
}

CvStatement *CvQueries::prepareInsertUserRefQuery(const CvUserRef &ref)
{
    return boundStatement(QStringLiteral("INSERT INTO users (id, name)VALUES (?, ?)"),
                          {ref.id, ref.name});
}

CvStatement *CvQueries::prepareUpdateUserNameQuery(const CvUserRef &ref)
{
    return boundStatement(QStringLiteral("UPDATE users SET name = ? WHERE id = ?"),
                          {ref.name, ref.id});
}

CvStatement *CvQueries::prepareSelectUserQuery(const QString &value, CvCache::UserSearchField field)
{
    // Any field other than the e-mail address searches by id.
    const QString text = field == CvCache::ByEmail
        ? QStringLiteral("SELECT * from users WHERE email = ?")
        : QStringLiteral("SELECT * from users WHERE id = ?");
    return boundStatement(text, {value});
}

CvStatement *CvQueries::prepareSelectUsersQuery()
{
    return keptStatement(QStringLiteral("SELECT * FROM users ORDER BY name ASC"));
}

CvStatement *CvQueries::prepareSelectUserNameQuery(const QString &id)
{
    return boundStatement(QStringLiteral("SELECT name FROM users WHERE id = ?"), {id});
}

CvStatement *CvQueries::prepareInsertFriendshipQuery(const QString &user, const QString &friendId)
{
    return boundStatement(
        QStringLiteral("INSERT OR IGNORE INTO friendships (user, friend) VALUES (?, ?)"),
        {user, friendId});
}

CvStatement *CvQueries::prepareSelectFriendshipQuery(const QString &user, const QString &friendId)
{
    return boundStatement(QStringLiteral("SELECT * from friendships WHERE user = ? AND friend = ?"),
                          {user, friendId});
}

CvStatement *CvQueries::prepareSelectFriendsQuery(const QString &userId, const CvDataFilter &filter)
{
    return boundStatement(
        QStringLiteral("SELECT * FROM users INNER JOIN (SELECT friend FROM friendships "
                       "WHERE user = ?) ON id = friend ORDER BY name ASC LIMIT ?, ?"),
        {userId, filter.offset, filter.limit});
}

CvStatement *CvQueries::prepareSelectFriendRefsQuery(const QString &userId,
                                                     const CvDataFilter &filter)
{
    return boundStatement(
        QStringLiteral("SELECT id, name FROM users INNER JOIN (SELECT friend FROM "
                       "friendships WHERE user = ?) ON id = friend ORDER BY name ASC "
                       "LIMIT ?, ?"),
        {userId, filter.offset, filter.limit});
}

CvUsers CvQueries::parseUsers(CvStatement *query)
{
    const NameMemo memo(this);
    CvUsers users;
    while (query->next()) {
        CvUser user(query->text(ColId), query->text(ColName));
        user.setFirstName(query->text(ColFirstName));
        user.setLastName(query->text(ColLastName));
        user.setLink(query->text(ColLink));
        user.setAbout(query->text(ColAbout));
        user.setBirthday(query->text(ColBirthday));
        user.setEmail(query->text(ColEmail));
        user.setWebsite(query->text(ColWebsite));
        user.setHometown(query->text(ColHometown));
        user.setLocation(query->text(ColLocation));
        user.setBio(query->text(ColBio));
        user.setGender(query->text(ColGender));
        user.setInterestedIn(query->text(ColInterestedIn));
        user.setMeetingFor(query->text(ColMeetingFor));
        user.setRelationshipStatus(query->text(ColRelationshipStatus));
        user.setReligion(query->text(ColReligion));
        user.setPolitical(query->text(ColPolitical));
        user.setTimezone(query->integer(ColTimezone));
        user.setPicture(query->text(ColPicture));
        user.setMobilePhone(query->text(ColMobilePhone));
        user.setLocale(query->text(ColLocale));
        const QString partner = query->text(ColSignificantOther);
        if (!partner.isEmpty()) {
            CvUserRef ref(partner, QString());
            getUserRef(partner, &ref);
            user.setSignificantOther(ref);
        }
        users.append(user);
    }
    return users;
}

CvUserRefs CvQueries::parseUserRefs(CvStatement *query)
{
    CvUserRefs refs;
    while (query->next())
        refs.append(CvUserRef(query->text(0), query->text(1)));
    return refs;
}

CvUsers CvQueries::parseBirthdays(CvStatement *query)
{
    CvUsers users;
    while (query->next()) {
        CvUser user(query->text(0), query->text(1));
        user.setBirthday(query->text(2));
        users.append(user);
    }
    return users;
}

bool CvQueries::getUserRef(const QString &id, CvUserRef *ref)
{
    if (m_names) {
        const auto known = m_names->constFind(id);
        if (known != m_names->constEnd()) {
            if (known->has_value())
                *ref = CvUserRef(id, **known);
            return !ref->id.isEmpty();
        }
    }
    CvStatement *query = prepareSelectUserNameQuery(id);
    const bool ran = query && d->exec(query);
    std::optional<QString> name;
    if (ran && query->next()) {
        name = query->text(0);
        *ref = CvUserRef(id, *name);
    }
    if (query)
        query->finish();
    // A failed lookup is not remembered: the next one records its error again.
    if (m_names && ran)
        m_names->insert(id, name);
    return !ref->id.isEmpty();
}

} // namespace Cv
