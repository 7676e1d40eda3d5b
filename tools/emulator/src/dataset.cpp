#include "dataset.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTimeZone>

#include <algorithm>

namespace Emu {

using namespace Qt::StringLiterals;

namespace {

const QStringList firstNames = {
    u"Aino"_s, u"Bruno"_s, u"Chiara"_s, u"Dmitri"_s, u"Elif"_s, u"Farid"_s, u"Greta"_s,
    u"Hugo"_s, u"Ines"_s,  u"Jonas"_s,  u"Kaisa"_s,  u"Luca"_s, u"Maren"_s, u"Nils"_s,
    u"Olga"_s, u"Pavel"_s, u"Quinn"_s,  u"Rosa"_s,   u"Sami"_s, u"Tuuli"_s,
};
const QStringList lastNames = {
    u"Aalto"_s, u"Berg"_s,    u"Costa"_s,  u"Dahl"_s,  u"Eriksson"_s, u"Fischer"_s, u"Gruber"_s,
    u"Halme"_s, u"Ivanova"_s, u"Jensen"_s, u"Koski"_s, u"Lind"_s,     u"Moreau"_s,  u"Nieminen"_s,
};
const QStringList words = {
    u"coffee"_s,   u"harbour"_s, u"morning"_s, u"ferry"_s,   u"concert"_s, u"snow"_s,   u"sauna"_s,
    u"bicycle"_s,  u"library"_s, u"lake"_s,    u"weekend"_s, u"project"_s, u"garden"_s, u"train"_s,
    u"festival"_s, u"market"_s,  u"photo"_s,   u"island"_s,  u"recipe"_s,  u"match"_s,
};
const QStringList categories
    = {u"Local business"_s, u"Musician/band"_s, u"Cafe"_s, u"Museum"_s, u"Sports team"_s};
const QStringList rsvpStates = {u"attending"_s, u"unsure"_s, u"declined"_s, u"not_replied"_s};

qint64 baseTime()
{
    // A fixed instant keeps the generated data identical from run to run.
    return QDateTime(QDate(2026, 11, 1), QTime(12, 0), QTimeZone::utc()).toSecsSinceEpoch();
}

} // namespace

QString DataSet::isoTime(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs, QTimeZone::utc()).toString(Qt::ISODate);
}

QString DataSet::pick(const QStringList &list)
{
    return list.at(randomInt(0, int(list.size()) - 1));
}

int DataSet::randomInt(int low, int high)
{
    if (high <= low)
        return low;
    return low + int(m_rng() % quint64(high - low + 1));
}

QString DataSet::sentence()
{
    QStringList out;
    const int n = randomInt(3, 8);
    for (int i = 0; i < n; ++i)
        out.append(pick(words));
    QString s = out.join(u' ');
    s[0] = s.at(0).toUpper();
    return s + u'.';
}

QString DataSet::newId()
{
    return QString::number(500000000 + ++m_serial);
}

QString DataSet::newChildId(const QString &parent)
{
    return parent + u'_' + QString::number(++m_childCounter[parent]);
}

qint64 DataSet::nextTime()
{
    if (m_generating)
        return m_clock; // generated data must not depend on when the emulator was started
    m_clock = std::max(QDateTime::currentSecsSinceEpoch(), m_clock + 1);
    return m_clock;
}

void DataSet::prependEdge(const QString &key, const QString &id)
{
    m_edges[key].prepend(id);
}

QString DataSet::pictureUrl(const QString &id, const QString &type) const
{
    // The size letter after the last "_" tells clients which size the file is.
    static const QHash<QString, QString> letters = {
        {u"square"_s, u"q"_s}, {u"small"_s, u"t"_s}, {u"normal"_s, u"s"_s}, {u"large"_s, u"n"_s}};
    static const QHash<QString, QString> suffixes
        = {{u"q"_s, u".jpg"_s}, {u"t"_s, u".gif"_s}, {u"s"_s, u".png"_s}, {u"n"_s, u".jpg"_s}};
    const QString letter = letters.value(type, u"q"_s);
    return m_baseUrl + u"/_pictures/"_s + id + u'_' + letter + suffixes.value(letter);
}

void DataSet::generate(quint64 seed, const Sizes &sizes, const QString &baseUrl)
{
    m_rng.seed(seed);
    m_baseUrl = baseUrl;
    m_clock = baseTime();
    m_generating = true;
    generateUsers(std::max(2, sizes.users));
    generatePlacesAndPages(sizes);
    generatePosts(std::max(0, sizes.posts));
    generateMedia(std::max(0, sizes.albums));
    generateEvents(std::max(0, sizes.events));
    generateGroups(std::max(0, sizes.groups));
    generateCheckins();
    generateThreads(std::max(0, sizes.threads));
    generateNotifications(std::max(0, sizes.notifications));
    m_generating = false;
}

void DataSet::generateUsers(int count)
{
    for (int i = 1; i <= count; ++i) {
        const QString id = QString::number(100000 + i);
        const QString first = pick(firstNames);
        const QString last = pick(lastNames);
        const QDate birthday(randomInt(1970, 1999), randomInt(1, 12), randomInt(1, 28));
        QJsonObject u {{u"id"_s, id},
                       {u"name"_s, QString(first + u' ' + last)},
                       {u"first_name"_s, first},
                       {u"last_name"_s, last},
                       {u"username"_s, QString(first.toLower() + u'.' + id)},
                       {u"link"_s, QString(m_baseUrl + u"/profile/"_s + id)},
                       {u"gender"_s, (i % 2) ? u"female"_s : u"male"_s},
                       {u"locale"_s, u"en_US"_s},
                       {u"timezone"_s, 2},
                       {u"birthday"_s, birthday.toString(u"MM/dd/yyyy"_s)},
                       {u"about"_s, sentence()},
                       {u"bio"_s, sentence()},
                       {u"email"_s, QString(first.toLower() + u'.' + id + u"@example.invalid"_s)},
                       {u"website"_s, QString(u"https://example.invalid/"_s + id)},
                       {u"relationship_status"_s, u"Single"_s},
                       {u"religion"_s, QString()},
                       {u"political"_s, QString()},
                       {u"interested_in"_s, QString()},
                       {u"meeting_for"_s, QString()},
                       {u"mobile_phone"_s, QString(u"+358 40 "_s + id)},
                       {u"picture"_s, pictureUrl(id, u"square"_s)},
                       {u"updated_time"_s, isoTime(m_clock - i * 3600)},
                       {u"_kind"_s, u"user"_s}};
        m_objects.insert(id, u);
        m_users.append(id);
    }
    // The first user knows most people; every fifth user is a stranger who may send a request.
    const QString me = m_users.first();
    for (int i = 1; i < count; ++i) {
        const QString other = m_users.at(i);
        if ((i + 1) % 5 != 0) {
            m_friends[me].insert(other);
            m_friends[other].insert(me);
        }
        for (int k = 0; k < 2; ++k) {
            const QString third = m_users.at(randomInt(1, count - 1));
            if (third != other) {
                m_friends[other].insert(third);
                m_friends[third].insert(other);
            }
        }
    }
    for (int i = 4; i < count; i += 10)
        m_friendRequests.append({m_users.at(i), me});
    if (count > 9)
        m_friendRequests.append({me, m_users.at(9)});
    for (const QString &id : std::as_const(m_users)) {
        const QJsonObject home {{u"id"_s, QString(u"110"_s + id.right(3))},
                                {u"name"_s, u"Helsinki"_s}};
        m_objects[id].insert(u"hometown"_s, home);
        m_objects[id].insert(u"location"_s, home);
    }
}

void DataSet::generatePlacesAndPages(const Sizes &sizes)
{
    auto location = [this](int i) {
        return QJsonObject {{u"street"_s, QString(u"Esplanadi "_s + QString::number(i))},
                            {u"city"_s, u"Helsinki"_s},
                            {u"state"_s, QString()},
                            {u"country"_s, u"Finland"_s},
                            {u"zip"_s, u"00130"_s},
                            {u"latitude"_s, 60.16 + 0.001 * randomInt(0, 40)},
                            {u"longitude"_s, 24.93 + 0.001 * randomInt(0, 40)}};
    };
    for (int i = 1; i <= std::max(0, sizes.places); ++i) {
        const QString id = QString::number(300000 + i);
        m_objects.insert(
            id,
            QJsonObject {{u"id"_s, id},
                         {u"name"_s, QString(pick(words) + u" place "_s + QString::number(i))},
                         {u"category"_s, pick(categories)},
                         {u"location"_s, location(i)},
                         {u"_kind"_s, u"place"_s}});
        m_places.append(id);
    }
    const QString me = mainUser();
    for (int i = 1; i <= std::max(0, sizes.pages); ++i) {
        const QString id = QString::number(200000 + i);
        const QString name = pick(words) + u" page "_s + QString::number(i);
        m_objects.insert(id,
                         QJsonObject {{u"id"_s, id},
                                      {u"name"_s, name},
                                      {u"category"_s, pick(categories)},
                                      {u"link"_s, QString(m_baseUrl + u"/pages/"_s + id)},
                                      {u"website"_s, QString(u"https://example.invalid/p"_s + id)},
                                      {u"username"_s, QString(u"page"_s + id)},
                                      {u"founded"_s, QString(QString::number(1990 + i))},
                                      {u"company_overview"_s, sentence()},
                                      {u"likes"_s, randomInt(10, 5000)},
                                      {u"checkins"_s, randomInt(0, 300)},
                                      {u"phone"_s, QString(u"+358 9 "_s + id)},
                                      {u"picture"_s, pictureUrl(id, u"square"_s)},
                                      {u"location"_s, location(i)},
                                      {u"_kind"_s, u"page"_s}});
        m_pages.append(id);
        if (i % 2) {
            m_likes[id].append(me);
            prependEdge(me + u"/likes"_s, id);
        }
        if (i <= 2)
            prependEdge(me + u"/accounts"_s, id);
    }
}

void DataSet::generatePosts(int count)
{
    const QString me = mainUser();
    QStringList circle = friendsOf(me);
    circle.prepend(me);
    const QStringList types = {u"status"_s, u"status"_s, u"status"_s, u"link"_s, u"photo"_s};
    // Oldest first, so that prepending leaves the newest at the front.
    for (int i = count - 1; i >= 0; --i) {
        const qint64 created = m_clock - qint64(i + 1) * 300;
        const QString author = pick(circle);
        const QString owner = (randomInt(0, 4) == 0) ? me : author;
        const QString type = pick(types);
        const QString id = owner + u'_' + newId();
        QJsonObject p {
            {u"id"_s, id},
            {u"from"_s, ref(author)},
            {u"message"_s, sentence()},
            {u"type"_s, type},
            {u"created_time"_s, isoTime(created)},
            {u"updated_time"_s, QString(isoTime(created + 60))},
            {u"icon"_s, QString(m_baseUrl + u"/_pictures/icon_"_s + type + u".gif"_s)},
            {u"application"_s,
             QJsonObject {{u"id"_s, u"7001"_s}, {u"name"_s, u"Corvana for Qt"_s}}},
            {u"actions"_s,
             QJsonArray {QJsonObject {{u"name"_s, u"Comment"_s},
                                      {u"link"_s, QString(m_baseUrl + u"/posts/"_s + id)}},
                         QJsonObject {{u"name"_s, u"Like"_s},
                                      {u"link"_s, QString(m_baseUrl + u"/posts/"_s + id)}}}},
            {u"_kind"_s, u"post"_s},
            {u"_owner"_s, owner},
            {u"_author"_s, author}};
        if (owner != author)
            p.insert(u"to"_s, QJsonObject {{u"data"_s, QJsonArray {ref(owner)}}});
        if (type == u"link"_s) {
            p.insert(u"link"_s,
                     QString(u"https://example.invalid/article/"_s + QString::number(i)));
            p.insert(u"name"_s, QString(pick(words) + u" news"_s));
            p.insert(u"caption"_s, u"example.invalid"_s);
            p.insert(u"description"_s, sentence());
        } else if (type == u"photo"_s) {
            p.insert(u"picture"_s, pictureUrl(author, u"normal"_s));
            p.insert(u"link"_s,
                     QString(m_baseUrl + u"/photo.php?set=a."_s + QString::number(700000 + i % 50)
                             + u'.' + author));
            p.insert(u"object_id"_s, QString(QString::number(800000 + i)));
        }
        m_objects.insert(id, p);
        m_posts.prepend(id);
        prependEdge(owner + u"/feed"_s, id);
        const int comments = randomInt(0, 3);
        for (int c = 0; c < comments; ++c) {
            const QString cid = newChildId(id);
            m_objects.insert(cid,
                             QJsonObject {{u"id"_s, cid},
                                          {u"from"_s, ref(pick(circle))},
                                          {u"message"_s, sentence()},
                                          {u"created_time"_s, QString(isoTime(created + 120 + c))},
                                          {u"_kind"_s, u"comment"_s},
                                          {u"_parent"_s, id}});
            m_comments[id].append(cid);
        }
        const int likes = randomInt(0, 4);
        for (int l = 0; l < likes; ++l) {
            const QString who = pick(circle);
            if (!m_likes[id].contains(who))
                m_likes[id].append(who);
        }
    }
}

void DataSet::generateMedia(int albums)
{
    const QString me = mainUser();
    const QStringList owners = {me, m_users.value(1), m_users.value(2)};
    for (const QString &owner : owners) {
        if (owner.isEmpty())
            continue;
        for (int a = 0; a < albums; ++a) {
            const QString created = isoTime(m_clock - 86400 * (a + 1));
            QJsonObject album {{u"from"_s, ref(owner)},
                               {u"name"_s, QString(pick(words) + u" album"_s)},
                               {u"description"_s, sentence()},
                               {u"location"_s, u"Helsinki"_s},
                               {u"privacy"_s, u"friends"_s},
                               {u"type"_s, u"normal"_s},
                               {u"count"_s, 3},
                               {u"created_time"_s, created},
                               {u"updated_time"_s, created}};
            const QString aid = addObject(u"album"_s, owner, album, u"albums"_s);
            m_objects[aid].insert(u"link"_s, QString(m_baseUrl + u"/album.php?set=a."_s + aid));
            for (int p = 0; p < 3; ++p) {
                const QString pid = newId();
                const QString src = pictureUrl(pid, u"normal"_s);
                QJsonObject photo {
                    {u"id"_s, pid},
                    {u"from"_s, ref(owner)},
                    {u"name"_s, sentence()},
                    {u"picture"_s, pictureUrl(pid, u"small"_s)},
                    {u"source"_s, src},
                    {u"icon"_s, QString(m_baseUrl + u"/_pictures/icon_photo.gif"_s)},
                    {u"height"_s, 8},
                    {u"width"_s, 8},
                    {u"position"_s, p + 1},
                    {u"link"_s,
                     QString(m_baseUrl + u"/photo.php?set=a."_s + aid + u"&cvid="_s + pid)},
                    {u"images"_s,
                     QJsonArray {
                         QJsonObject {{u"source"_s, src}, {u"height"_s, 8}, {u"width"_s, 8}}}},
                    {u"tags"_s, QJsonObject {{u"data"_s, QJsonArray()}}},
                    {u"created_time"_s, created},
                    {u"updated_time"_s, created},
                    {u"_kind"_s, u"photo"_s},
                    {u"_owner"_s, owner},
                    {u"_album"_s, aid}};
                m_objects.insert(pid, photo);
                m_edges[aid + u"/photos"_s].append(pid);
                m_edges[owner + u"/photos"_s].append(pid);
                if (p == 0 && owner != me)
                    addPhotoTag(pid, me, QString(), 40, 60);
            }
        }
        for (int v = 0; v < 2; ++v) {
            const QString created = isoTime(m_clock - 7200 * (v + 1));
            QJsonObject video {{u"from"_s, ref(owner)},
                               {u"name"_s, QString(pick(words) + u" video"_s)},
                               {u"picture"_s, pictureUrl(owner, u"small"_s)},
                               {u"embed_html"_s, u"<video src=\"clip.mp4\"></video>"_s},
                               {u"icon"_s, QString(m_baseUrl + u"/_pictures/icon_video.gif"_s)},
                               {u"tags"_s, QJsonObject {{u"data"_s, QJsonArray()}}},
                               {u"created_time"_s, created},
                               {u"updated_time"_s, created}};
            const QString vid = addObject(u"video"_s, owner, video, u"videos"_s);
            m_objects[vid].insert(u"source"_s,
                                  QString(m_baseUrl + u"/_videos/"_s + vid + u".mp4"_s));
            if (v == 0)
                prependEdge(owner + u"/videos/uploaded"_s, vid);
        }
    }
    for (int n = 0; n < 2; ++n) {
        const QString created = isoTime(m_clock - 50000 * (n + 1));
        addObject(u"note"_s, me,
                  QJsonObject {{u"from"_s, ref(me)},
                               {u"subject"_s, pick(words)},
                               {u"message"_s, sentence()},
                               {u"created_time"_s, created},
                               {u"updated_time"_s, created}},
                  u"notes"_s);
    }
}

void DataSet::generateEvents(int count)
{
    const QString me = mainUser();
    const QStringList friends = friendsOf(me);
    for (int i = 0; i < count; ++i) {
        const qint64 start = m_clock + qint64(i - count / 2) * 86400 * 3;
        const QString owner = friends.isEmpty() ? me : pick(friends);
        const QString place = m_places.isEmpty() ? QString() : pick(m_places);
        const QJsonObject loc = m_objects.value(place).value(u"location"_s).toObject();
        QJsonObject e {{u"owner"_s, ref(owner)},
                       {u"name"_s, QString(pick(words) + u" evening"_s)},
                       {u"description"_s, sentence()},
                       {u"start_time"_s, isoTime(start)},
                       {u"end_time"_s, QString(isoTime(start + 3 * 3600))},
                       {u"location"_s, m_objects.value(place).value(u"name"_s).toString()},
                       {u"venue"_s, loc},
                       {u"privacy"_s, u"OPEN"_s},
                       {u"updated_time"_s, isoTime(m_clock - 3600 * i)}};
        const QString id = addObject(u"event"_s, owner, e, QString());
        m_objects[id].insert(u"picture"_s, pictureUrl(id, u"square"_s));
        m_rsvp[id].insert(owner, u"attending"_s);
        m_rsvp[id].insert(me, rsvpStates.at(i % rsvpStates.size()));
        for (int k = 0; k < 4 && !friends.isEmpty(); ++k)
            m_rsvp[id].insert(pick(friends), pick(rsvpStates));
    }
}

void DataSet::generateGroups(int count)
{
    const QString me = mainUser();
    const QStringList friends = friendsOf(me);
    for (int i = 0; i < count; ++i) {
        const QString owner = friends.isEmpty() ? me : pick(friends);
        QJsonObject g {
            {u"version"_s, 1},
            {u"owner"_s, ref(owner)},
            {u"name"_s, QString(pick(words) + u" club"_s)},
            {u"description"_s, sentence()},
            {u"privacy"_s, (i % 2) ? u"CLOSED"_s : u"OPEN"_s},
            {u"icon"_s, QString(m_baseUrl + u"/_pictures/icon_group.gif"_s)},
            {u"updated_time"_s, isoTime(m_clock - 4000 * i)},
            {u"email"_s, QString(u"group"_s + QString::number(i) + u"@example.invalid"_s)}};
        const QString id = addObject(u"group"_s, owner, g, QString());
        m_objects[id].insert(u"link"_s, QString(m_baseUrl + u"/groups/"_s + id));
        m_objects[id].insert(u"picture"_s, pictureUrl(id, u"square"_s));
        m_groups.prepend(id);
        QStringList members = {me, owner};
        for (int k = 0; k < 5 && !friends.isEmpty(); ++k)
            members.append(pick(friends));
        members.removeDuplicates();
        for (const QString &m : std::as_const(members)) {
            m_edges[id + u"/members"_s].append(m);
            prependEdge(m + u"/groups"_s, id);
        }
    }
}

void DataSet::generateCheckins()
{
    if (m_places.isEmpty())
        return;
    const QString me = mainUser();
    QStringList who = friendsOf(me);
    who.prepend(me);
    const int count = std::max(3, int(m_users.size()) / 2);
    for (int i = count - 1; i >= 0; --i) {
        const QString user = who.at(i % who.size());
        const QString place = pick(m_places);
        const QJsonObject p = m_objects.value(place);
        QJsonObject c {{u"from"_s, ref(user)},
                       {u"place"_s,
                        QJsonObject {{u"id"_s, place},
                                     {u"name"_s, p.value(u"name"_s)},
                                     {u"location"_s, p.value(u"location"_s)}}},
                       {u"message"_s, sentence()},
                       {u"application"_s,
                        QJsonObject {{u"id"_s, u"7001"_s}, {u"name"_s, u"Corvana for Qt"_s}}},
                       {u"tags"_s, QJsonObject {{u"data"_s, QJsonArray()}}},
                       {u"created_time"_s, QString(isoTime(m_clock - 5400 * (i + 1)))}};
        addObject(u"checkin"_s, user, c, u"checkins"_s);
    }
}

void DataSet::generateThreads(int count)
{
    const QString me = mainUser();
    const QStringList friends = friendsOf(me);
    if (friends.isEmpty())
        return;
    const QStringList folders = {u"inbox"_s, u"inbox"_s, u"inbox"_s, u"other"_s, u"spam"_s};
    for (int i = 0; i < count; ++i) {
        Thread t;
        t.id = newId();
        t.subject = pick(words) + u" plans"_s;
        t.participants = {me, pick(friends)};
        if (i % 4 == 3)
            t.participants.append(pick(friends));
        t.participants.removeDuplicates();
        const bool started = (i % 3 == 0);
        const int messages = randomInt(2, 5);
        const qint64 start = (m_clock - qint64(count - i) * 20000) * 1000;
        for (int m = 0; m < messages; ++m) {
            ThreadMessage msg;
            msg.id = QString::number(m + 1);
            msg.author = (m % 2 == 0) == started ? me : t.participants.at(1);
            msg.body = sentence();
            msg.timestampMs = start + m * 600000;
            if (m == 1 && i % 2 == 0) {
                const QString kind = (i % 3 == 0) ? u"photo"_s
                    : (i % 3 == 1)                ? u"link"_s
                                                  : u"video"_s;
                QJsonObject media {{u"type"_s, kind}, {u"src"_s, pictureUrl(t.id, u"small"_s)}};
                if (kind == u"photo"_s)
                    media.insert(u"photo"_s,
                                 QJsonObject {{u"cvid"_s, QString::number(900000 + i)}});
                if (kind == u"video"_s)
                    media.insert(
                        u"video"_s,
                        QJsonObject {{u"source_url"_s,
                                      QString(m_baseUrl + u"/_videos/"_s + t.id + u".mp4"_s)}});
                msg.attachment
                    = QJsonObject {{u"media"_s, QJsonArray {media}},
                                   {u"name"_s, pick(words)},
                                   {u"caption"_s, u"example.invalid"_s},
                                   {u"description"_s, sentence()},
                                   {u"href"_s, u"https://example.invalid/a"_s},
                                   {u"cv_object_id"_s, QString(QString::number(910000 + i))}};
            }
            t.messages.append(msg);
        }
        for (const QString &p : std::as_const(t.participants)) {
            t.folder.insert(p, (p == me && started) ? u"sent"_s : folders.at(i % folders.size()));
            t.unread.insert(p, (p == me && !started && i % 2) ? 1 : 0);
        }
        m_threads.append(t);
    }
}

void DataSet::generateNotifications(int count)
{
    const QString me = mainUser();
    const QStringList friends = friendsOf(me);
    if (friends.isEmpty())
        return;
    const QStringList types = {u"stream"_s, u"photo"_s, u"album"_s, u"event"_s};
    for (int i = 0; i < count; ++i) {
        const QString type = types.at(i % types.size());
        const QString sender = pick(friends);
        const qint64 time = m_clock - 1800 * qint64(i + 1);
        QString object;
        QString href;
        if (type == u"stream"_s && !m_posts.isEmpty()) {
            object = m_posts.at(i % m_posts.size());
            href = m_baseUrl + u"/permalink.php?story_cvid="_s + object + u"&set=a.0.0"_s;
        } else if (type == u"photo"_s || type == u"album"_s) {
            const QStringList photos = m_edges.value(me + u"/photos"_s);
            object = photos.value(i % std::max<qsizetype>(1, photos.size()));
            const QString album = m_objects.value(object).value(u"_album"_s).toString();
            href = (type == u"photo"_s)
                ? QString(m_baseUrl + u"/photo.php?cvid="_s + object + u"&set=a."_s + album
                          + u".0"_s)
                : QString(m_baseUrl + u"/album.php?cvid="_s + album + u"&id="_s + me);
        } else {
            object = m_events.value(0);
            href = m_baseUrl + u"/events/"_s + object;
        }
        const QString title = ref(sender).value(u"name"_s).toString() + u" mentioned you"_s;
        m_notifications.append(QJsonObject {
            {u"notification_id"_s, QString(QString::number(600000 + i))},
            {u"recipient_id"_s, me},
            {u"sender_id"_s, sender},
            {u"object_id"_s, object},
            {u"object_type"_s, type},
            {u"created_time"_s, time},
            {u"updated_time"_s, time + 30},
            {u"title_html"_s, QString(u"<b>"_s + title + u"</b>"_s)},
            {u"title_text"_s, title},
            {u"body_html"_s, QString()},
            {u"body_text"_s, QString()},
            {u"href"_s, href},
            {u"app_id"_s, u"7001"_s},
            {u"is_unread"_s, (i % 3) ? 1 : 0},
            {u"is_hidden"_s, 0},
            {u"icon_url"_s, QString(m_baseUrl + u"/_pictures/icon_"_s + type + u".gif"_s)}});
    }
}

QString DataSet::kindOf(const QString &id) const
{
    return m_objects.value(id).value(u"_kind"_s).toString();
}

QJsonObject DataSet::ref(const QString &id) const
{
    const auto it = m_objects.constFind(id);
    if (it == m_objects.constEnd())
        return QJsonObject {{u"id"_s, id}};
    return QJsonObject {{u"id"_s, id}, {u"name"_s, it->value(u"name"_s)}};
}

QJsonObject DataSet::render(const QString &id, const QString &viewer, const QStringList &fields,
                            bool metadata) const
{
    const auto it = m_objects.constFind(id);
    if (it == m_objects.constEnd())
        return QJsonObject();
    // A shared copy minus the internal members is far cheaper than rebuilding the object.
    QJsonObject out = *it;
    for (const QString &internal :
         {u"_kind"_s, u"_owner"_s, u"_author"_s, u"_parent"_s, u"_album"_s})
        out.remove(internal);
    const QString kind = it->value(u"_kind"_s).toString();
    if (kind == u"post"_s || kind == u"photo"_s || kind == u"video"_s || kind == u"checkin"_s) {
        QJsonArray likers;
        for (const QString &u : m_likes.value(id))
            likers.append(ref(u));
        out.insert(u"likes"_s, QJsonObject {{u"count"_s, likers.size()}, {u"data"_s, likers}});
        QJsonArray comments;
        for (const QString &c : m_comments.value(id))
            comments.append(render(c, viewer));
        out.insert(u"comments"_s,
                   QJsonObject {{u"count"_s, comments.size()}, {u"data"_s, comments}});
    } else if (kind == u"comment"_s) {
        const QStringList likers = m_likes.value(id);
        out.insert(u"likes"_s, likers.size());
        out.insert(u"user_likes"_s, likers.contains(viewer));
    } else if (kind == u"event"_s) {
        const QString status = m_rsvp.value(id).value(viewer);
        if (!status.isEmpty())
            out.insert(u"rsvp_status"_s, status);
    }
    if (!fields.isEmpty()) {
        QJsonObject picked {{u"id"_s, id}};
        for (const QString &f : fields) {
            if (out.contains(f))
                picked.insert(f, out.value(f));
        }
        out = picked;
    }
    if (metadata) {
        QJsonObject connections;
        for (const QString &c : connectionNames(kind))
            connections.insert(c, QString(m_baseUrl + u'/' + id + u'/' + c));
        out.insert(u"metadata"_s, QJsonObject {{u"connections"_s, connections}, {u"type"_s, kind}});
        if (!out.contains(u"type"_s))
            out.insert(u"type"_s, kind);
    }
    return out;
}

QByteArray DataSet::renderJson(const QString &id, const QString &viewer) const
{
    const QString key = viewer + u'|' + id;
    const auto it = m_renderCache.constFind(key);
    if (it != m_renderCache.constEnd())
        return it.value();
    const QByteArray json = QJsonDocument(render(id, viewer)).toJson(QJsonDocument::Compact);
    m_renderCache.insert(key, json);
    return json;
}

QStringList DataSet::connectionNames(const QString &kind) const
{
    if (kind == u"user"_s)
        return {u"accounts"_s, u"albums"_s,         u"books"_s,
                u"checkins"_s, u"events"_s,         u"events/not_replied"_s,
                u"feed"_s,     u"friends"_s,        u"groups"_s,
                u"home"_s,     u"inbox"_s,          u"likes"_s,
                u"links"_s,    u"movies"_s,         u"notes"_s,
                u"outbox"_s,   u"photos"_s,         u"picture"_s,
                u"statuses"_s, u"threads"_s,        u"updates"_s,
                u"videos"_s,   u"videos/uploaded"_s};
    if (kind == u"post"_s || kind == u"video"_s || kind == u"checkin"_s || kind == u"note"_s)
        return {u"comments"_s, u"likes"_s};
    if (kind == u"photo"_s)
        return {u"comments"_s, u"likes"_s, u"picture"_s, u"tags"_s};
    if (kind == u"album"_s)
        return {u"comments"_s, u"likes"_s, u"photos"_s, u"picture"_s};
    if (kind == u"event"_s)
        return {u"attending"_s, u"declined"_s, u"feed"_s,   u"invited"_s,
                u"maybe"_s,     u"noreply"_s,  u"picture"_s};
    if (kind == u"group"_s)
        return {u"feed"_s, u"members"_s, u"picture"_s};
    if (kind == u"page"_s)
        return {u"albums"_s, u"events"_s, u"feed"_s, u"likes"_s, u"photos"_s, u"picture"_s};
    if (kind == u"comment"_s)
        return {u"likes"_s};
    return {};
}

QStringList DataSet::connection(const QString &id, const QString &name, bool *known) const
{
    const QString kind = kindOf(id);
    *known = connectionNames(kind).contains(name) && name != u"picture"_s;
    if (!*known)
        return {};
    QStringList ids;
    if (name == u"home"_s) {
        QSet<QString> circle = m_friends.value(id);
        circle.insert(id);
        for (const QString &p : m_posts) {
            const auto it = m_objects.constFind(p);
            if (it == m_objects.constEnd())
                continue;
            if (circle.contains(it->value(u"_owner"_s).toString())
                || circle.contains(it->value(u"_author"_s).toString()))
                ids.append(p);
        }
        return ids;
    }
    if (name == u"statuses"_s) {
        for (const QString &p : m_edges.value(id + u"/feed"_s)) {
            const QJsonObject post = m_objects.value(p);
            if (post.value(u"type"_s).toString() == u"status"_s
                && post.value(u"_author"_s).toString() == id)
                ids.append(p);
        }
        return ids;
    }
    if (name == u"friends"_s)
        return friendsOf(id);
    if (name == u"likes"_s) {
        ids = (kind == u"user"_s) ? m_edges.value(id + u"/likes"_s) : m_likes.value(id);
    } else if (name == u"comments"_s) {
        ids = m_comments.value(id);
    } else if (kind == u"event"_s && name != u"feed"_s) {
        static const QHash<QString, QString> states = {{u"attending"_s, u"attending"_s},
                                                       {u"maybe"_s, u"unsure"_s},
                                                       {u"declined"_s, u"declined"_s},
                                                       {u"noreply"_s, u"not_replied"_s}};
        const QHash<QString, QString> answers = m_rsvp.value(id);
        for (auto it = answers.constBegin(); it != answers.constEnd(); ++it) {
            if (name == u"invited"_s || states.value(name) == it.value())
                ids.append(it.key());
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    } else if (kind == u"user"_s && (name == u"events"_s || name == u"events/not_replied"_s)) {
        for (const QString &e : m_events) {
            const QString status = m_rsvp.value(e).value(id);
            if (m_objects.contains(e) && !status.isEmpty()
                && (name == u"events"_s || status == u"not_replied"_s))
                ids.append(e);
        }
        return ids;
    } else {
        ids = m_edges.value(id + u'/' + name);
    }
    ids.erase(std::remove_if(ids.begin(), ids.end(),
                             [this](const QString &i) { return !m_objects.contains(i); }),
              ids.end());
    return ids;
}

bool DataSet::isPeopleConnection(const QString &owner, const QString &connectionName) const
{
    static const QSet<QString> people = {u"friends"_s,  u"members"_s, u"attending"_s, u"maybe"_s,
                                         u"declined"_s, u"noreply"_s, u"invited"_s};
    return people.contains(connectionName)
        || (connectionName == u"likes"_s && kindOf(owner) != u"user"_s);
}

QJsonObject DataSet::renderItem(const QString &id, const QString &connectionName,
                                const QString &owner, const QString &viewer,
                                const QStringList &fields) const
{
    static const QSet<QString> people = {u"friends"_s,  u"members"_s, u"attending"_s, u"maybe"_s,
                                         u"declined"_s, u"noreply"_s, u"invited"_s};
    const bool isPeople = people.contains(connectionName)
        || (connectionName == u"likes"_s && kindOf(owner) != u"user"_s);
    if (!isPeople)
        return render(id, viewer, fields);
    QJsonObject item = fields.isEmpty() ? ref(id) : render(id, viewer, fields);
    if (kindOf(owner) == u"event"_s)
        item.insert(u"rsvp_status"_s, m_rsvp.value(owner).value(id));
    return item;
}

bool DataSet::areFriends(const QString &a, const QString &b) const
{
    return m_friends.value(a).contains(b);
}

QStringList DataSet::friendsOf(const QString &id) const
{
    QStringList out = m_friends.value(id).values();
    std::sort(out.begin(), out.end());
    return out;
}

Thread *DataSet::thread(const QString &id)
{
    for (Thread &t : m_threads) {
        if (t.id == id)
            return &t;
    }
    return nullptr;
}

QStringList DataSet::search(const QString &type, const QString &query, const QString &viewer) const
{
    const QString q = (query == u"*"_s) ? QString() : query;
    auto matches = [&q](const QJsonObject &o, const char16_t *key) {
        return q.isEmpty()
            || o.value(QString::fromUtf16(key)).toString().contains(q, Qt::CaseInsensitive);
    };
    QStringList out;
    const QHash<QString, QString> kinds = {{u"user"_s, u"user"_s},
                                           {u"page"_s, u"page"_s},
                                           {u"group"_s, u"group"_s},
                                           {u"place"_s, u"place"_s},
                                           {u"event"_s, u"event"_s}};
    if (kinds.contains(type)) {
        const QString kind = kinds.value(type);
        for (auto it = m_objects.constBegin(); it != m_objects.constEnd(); ++it) {
            if (it->value(u"_kind"_s).toString() == kind && matches(*it, u"name"))
                out.append(it.key());
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    if (type == u"checkin"_s) {
        QStringList circle = friendsOf(viewer);
        circle.prepend(viewer);
        for (const QString &u : std::as_const(circle))
            out += m_edges.value(u + u"/checkins"_s);
        std::sort(out.begin(), out.end(), [this](const QString &a, const QString &b) {
            return m_objects.value(a).value(u"created_time"_s).toString()
                > m_objects.value(b).value(u"created_time"_s).toString();
        });
        return out;
    }
    bool known = false;
    for (const QString &p : connection(viewer, u"home"_s, &known)) {
        if (matches(m_objects.value(p), u"message"))
            out.append(p);
    }
    return out;
}

QString DataSet::addPost(const QString &owner, const QString &author, const QJsonObject &fields)
{
    m_renderCache.clear();
    const QString kind = kindOf(owner);
    if (kind != u"user"_s && kind != u"page"_s && kind != u"group"_s && kind != u"event"_s)
        return QString();
    const QString id = owner + u'_' + newId();
    const QString created = isoTime(nextTime());
    QJsonObject p = fields;
    p.insert(u"id"_s, id);
    p.insert(u"from"_s, ref(author));
    if (!p.contains(u"type"_s))
        p.insert(u"type"_s, p.contains(u"link"_s) ? u"link"_s : u"status"_s);
    p.insert(u"created_time"_s, created);
    p.insert(u"updated_time"_s, created);
    if (owner != author)
        p.insert(u"to"_s, QJsonObject {{u"data"_s, QJsonArray {ref(owner)}}});
    p.insert(u"_kind"_s, u"post"_s);
    p.insert(u"_owner"_s, owner);
    p.insert(u"_author"_s, author);
    m_objects.insert(id, p);
    m_posts.prepend(id);
    prependEdge(owner + u"/feed"_s, id);
    return id;
}

QString DataSet::addComment(const QString &object, const QString &author, const QString &message)
{
    m_renderCache.clear();
    if (!exists(object) || connectionNames(kindOf(object)).indexOf(u"comments"_s) < 0)
        return QString();
    const QString id = newChildId(object);
    m_objects.insert(id,
                     QJsonObject {{u"id"_s, id},
                                  {u"from"_s, ref(author)},
                                  {u"message"_s, message},
                                  {u"created_time"_s, isoTime(nextTime())},
                                  {u"_kind"_s, u"comment"_s},
                                  {u"_parent"_s, object}});
    m_comments[object].append(id);
    return id;
}

QString DataSet::addObject(const QString &kind, const QString &owner, QJsonObject object,
                           const QString &edge)
{
    m_renderCache.clear();
    const QString id = newId();
    object.insert(u"id"_s, id);
    object.insert(u"_kind"_s, kind);
    object.insert(u"_owner"_s, owner);
    if (!object.contains(u"created_time"_s) && kind != u"event"_s && kind != u"group"_s)
        object.insert(u"created_time"_s, isoTime(nextTime()));
    m_objects.insert(id, object);
    if (!edge.isEmpty())
        prependEdge(owner + u'/' + edge, id);
    if (kind == u"event"_s && !m_events.contains(id)) {
        m_events.prepend(id);
        m_rsvp[id].insert(owner, u"attending"_s);
    }
    return id;
}

void DataSet::setField(const QString &id, const QString &key, const QJsonValue &value)
{
    m_renderCache.clear();
    const auto it = m_objects.find(id);
    if (it != m_objects.end())
        it->insert(key, value);
}

bool DataSet::like(const QString &object, const QString &user, bool on)
{
    m_renderCache.clear();
    if (!exists(object))
        return false;
    QStringList &likers = m_likes[object];
    if (on && !likers.contains(user))
        likers.append(user);
    if (!on)
        likers.removeAll(user);
    if (kindOf(object) == u"page"_s) {
        QStringList &liked = m_edges[user + u"/likes"_s];
        liked.removeAll(object);
        if (on)
            liked.prepend(object);
    }
    return true;
}

bool DataSet::setRsvp(const QString &event, const QString &user, const QString &status)
{
    m_renderCache.clear();
    if (kindOf(event) != u"event"_s)
        return false;
    m_rsvp[event].insert(user, status);
    return true;
}

bool DataSet::remove(const QString &id)
{
    m_renderCache.clear();
    const auto it = m_objects.find(id);
    if (it == m_objects.end())
        return false;
    const QString parent = it->value(u"_parent"_s).toString();
    if (!parent.isEmpty())
        m_comments[parent].removeAll(id);
    // An album counts the photos it still holds.
    const auto album = m_objects.find(it->value(u"_album"_s).toString());
    if (album != m_objects.end())
        album->insert(u"count"_s, std::max(0, album->value(u"count"_s).toInt() - 1));
    m_objects.erase(m_objects.find(id));
    m_blobs.remove(id);
    return true;
}

bool DataSet::addPhotoTag(const QString &photo, const QString &user, const QString &text, int x,
                          int y)
{
    m_renderCache.clear();
    if (kindOf(photo) != u"photo"_s)
        return false;
    QJsonObject &p = m_objects[photo];
    QJsonArray tags = p.value(u"tags"_s).toObject().value(u"data"_s).toArray();
    QJsonObject tag {{u"id"_s, user},
                     {u"name"_s, user.isEmpty() ? text : ref(user).value(u"name"_s).toString()},
                     {u"x"_s, x},
                     {u"y"_s, y},
                     {u"created_time"_s, isoTime(nextTime())}};
    tags.append(tag);
    p.insert(u"tags"_s, QJsonObject {{u"data"_s, tags}});
    return true;
}

bool DataSet::removePhotoTag(const QString &photo, const QString &userOrText)
{
    m_renderCache.clear();
    if (kindOf(photo) != u"photo"_s)
        return false;
    QJsonObject &p = m_objects[photo];
    const QJsonArray tags = p.value(u"tags"_s).toObject().value(u"data"_s).toArray();
    QJsonArray kept;
    bool found = false;
    for (const QJsonValue &t : tags) {
        const QJsonObject o = t.toObject();
        if (o.value(u"id"_s).toString() == userOrText
            || (o.value(u"id"_s).toString().isEmpty()
                && o.value(u"name"_s).toString() == userOrText))
            found = true;
        else
            kept.append(o);
    }
    p.insert(u"tags"_s, QJsonObject {{u"data"_s, kept}});
    return found;
}

void DataSet::addFriendRequest(const QString &from, const QString &to)
{
    if (!m_friendRequests.contains({from, to}) && !areFriends(from, to))
        m_friendRequests.append({from, to});
}

bool DataSet::answerFriendRequest(const QString &from, const QString &to, bool confirm)
{
    m_renderCache.clear();
    if (!m_friendRequests.removeOne({from, to}))
        return false;
    if (confirm) {
        m_friends[from].insert(to);
        m_friends[to].insert(from);
    }
    return true;
}

QString DataSet::addThread(const QString &author, const QStringList &to, const QString &subject,
                           const QString &body)
{
    Thread t;
    t.id = newId();
    t.subject = subject;
    t.participants = QStringList {author} + to;
    t.participants.removeDuplicates();
    for (const QString &p : std::as_const(t.participants)) {
        t.folder.insert(p, p == author ? u"sent"_s : u"inbox"_s);
        t.unread.insert(p, 0);
    }
    m_threads.append(t);
    addThreadMessage(t.id, author, body);
    return t.id;
}

QString DataSet::addThreadMessage(const QString &threadId, const QString &author,
                                  const QString &body)
{
    Thread *t = thread(threadId);
    if (!t || !t->participants.contains(author))
        return QString();
    ThreadMessage m;
    m.id = QString::number(t->messages.size() + 1);
    m.author = author;
    m.body = body;
    m.timestampMs = nextTime() * 1000;
    t->messages.append(m);
    for (const QString &p : std::as_const(t->participants)) {
        t->deletedFor.remove(p);
        if (p != author)
            t->unread[p] += 1;
    }
    return m.qualifiedId(t->id);
}

} // namespace Emu
