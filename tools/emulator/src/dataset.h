// The emulator's in-memory state: a deterministic data set generated from a seed and sizes, and
// the mutations that the service's write requests perform on it.
#ifndef EMUDATASET_H
#define EMUDATASET_H

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <random>

namespace Emu {

struct Sizes
{
    int users = 40;
    int posts = 200;
    int threads = 20;
    int events = 10;
    int groups = 5;
    int pages = 10;
    int places = 10;
    int albums = 3;
    int notifications = 15;
};

// The unified message table names a message by its number within its thread; the message table,
// the REST mailbox and write replies name it by the thread id, "_" and that number. Clients join
// the two forms by stripping the thread prefix, so both must stay derived from the same number.
struct ThreadMessage
{
    QString id; // number within the thread
    QString qualifiedId(const QString &threadId) const { return threadId + u'_' + id; }
    QString author;
    QString body;
    qint64 timestampMs = 0;
    QJsonObject attachment; // empty when the message has none
};

struct Thread
{
    QString id;
    QString subject;
    QStringList participants;
    QList<ThreadMessage> messages; // oldest first
    QHash<QString, QString> folder; // participant → "inbox", "other", "sent" or "spam"
    QHash<QString, int> unread; // participant → unread messages
    QSet<QString> deletedFor;
};

class DataSet
{
public:
    void generate(quint64 seed, const Sizes &sizes, const QString &baseUrl);

    QString baseUrl() const { return m_baseUrl; }
    QString mainUser() const { return m_users.value(0); }
    const QStringList &users() const { return m_users; }
    QString pictureUrl(const QString &id, const QString &type) const;

    // Objects of the Graph endpoint. Internal members start with "_" and never leave the emulator.
    bool exists(const QString &id) const { return m_objects.contains(id); }
    QString kindOf(const QString &id) const;
    QJsonObject raw(const QString &id) const { return m_objects.value(id); }
    QJsonObject ref(const QString &id) const;
    QJsonObject render(const QString &id, const QString &viewer, const QStringList &fields = {},
                       bool metadata = false) const;
    // Compact JSON of render(id, viewer), cached until the next write.
    QByteArray renderJson(const QString &id, const QString &viewer) const;
    QStringList connectionNames(const QString &kind) const;
    bool isPeopleConnection(const QString &owner, const QString &connectionName) const;
    // Ids of a connection, newest first; *known is false for a connection the object lacks.
    QStringList connection(const QString &id, const QString &name, bool *known) const;
    QJsonObject renderItem(const QString &id, const QString &connectionName, const QString &owner,
                           const QString &viewer, const QStringList &fields) const;

    bool areFriends(const QString &a, const QString &b) const;
    QStringList friendsOf(const QString &id) const;
    QList<QPair<QString, QString>> friendRequests() const { return m_friendRequests; }
    const QHash<QString, QHash<QString, QString>> &rsvp() const { return m_rsvp; }
    const QHash<QString, QStringList> &likes() const { return m_likes; }
    QList<Thread> &threads() { return m_threads; }
    const QList<Thread> &threads() const { return m_threads; }
    Thread *thread(const QString &id);
    QList<QJsonObject> &notifications() { return m_notifications; }
    QStringList search(const QString &type, const QString &query, const QString &viewer) const;
    QByteArray blob(const QString &id) const { return m_blobs.value(id); }

    // Writes. Each returns the new object's id, or an empty string when the target is unknown.
    QString addPost(const QString &owner, const QString &author, const QJsonObject &fields);
    QString addComment(const QString &object, const QString &author, const QString &message);
    QString addObject(const QString &kind, const QString &owner, QJsonObject object,
                      const QString &edge);
    bool like(const QString &object, const QString &user, bool on);
    bool setRsvp(const QString &event, const QString &user, const QString &status);
    bool remove(const QString &id);
    bool addPhotoTag(const QString &photo, const QString &user, const QString &text, int x, int y);
    bool removePhotoTag(const QString &photo, const QString &userOrText);
    void addFriendRequest(const QString &from, const QString &to);
    bool answerFriendRequest(const QString &from, const QString &to, bool confirm);
    QString addThread(const QString &author, const QStringList &to, const QString &subject,
                      const QString &body);
    QString addThreadMessage(const QString &threadId, const QString &author, const QString &body);
    void setField(const QString &id, const QString &key, const QJsonValue &value);
    void addEdge(const QString &key, const QString &id) { prependEdge(key, id); }
    void storeBlob(const QString &id, const QByteArray &bytes) { m_blobs.insert(id, bytes); }

    QString newId();
    qint64 nextTime(); // seconds; strictly increasing so new items sort first
    static QString isoTime(qint64 secs);

private:
    void generateUsers(int count);
    void generatePlacesAndPages(const Sizes &sizes);
    void generatePosts(int count);
    void generateMedia(int albums);
    void generateEvents(int count);
    void generateGroups(int count);
    void generateCheckins();
    void generateThreads(int count);
    void generateNotifications(int count);
    QString pick(const QStringList &list);
    int randomInt(int low, int high); // inclusive
    QString sentence();
    QString newChildId(const QString &parent);
    void prependEdge(const QString &key, const QString &id);

    std::mt19937_64 m_rng;
    QString m_baseUrl;
    qint64 m_clock = 0;
    bool m_generating = false;
    qint64 m_serial = 0;
    QStringList m_users;
    QStringList m_pages;
    QStringList m_places;
    QStringList m_events;
    QStringList m_groups;
    QStringList m_posts; // newest first
    QHash<QString, QJsonObject> m_objects;
    QHash<QString, QStringList> m_edges; // "id/connection" → ids, newest first
    QHash<QString, QSet<QString>> m_friends;
    QList<QPair<QString, QString>> m_friendRequests; // (from, to)
    QHash<QString, QHash<QString, QString>> m_rsvp; // event → user → status
    QHash<QString, QStringList> m_likes; // object → users
    QHash<QString, QStringList> m_comments; // object → comment ids, oldest first
    QHash<QString, int> m_childCounter;
    QList<Thread> m_threads;
    QList<QJsonObject> m_notifications;
    QHash<QString, QByteArray> m_blobs;
    mutable QHash<QString, QByteArray> m_renderCache; // "viewer|id" → JSON
};

} // namespace Emu

#endif
