#ifndef CVGRAPH_H
#define CVGRAPH_H

#include "cvexport.h"

#include "cvdatafilter.h"
#include "cverror.h"
#include "cvgraphreply.h"
#include "cvtypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>

#include <memory>

QT_BEGIN_NAMESPACE
class QNetworkReply;
QT_END_NAMESPACE

namespace Cv {

class CvGraphConnect;
class CvGraphPrivate;

/*!
 * The service-facing half of the library. Each request operation sends one request to the
 * service and returns at once: false when its arguments were refused (nothing is sent), true
 * otherwise. The answer arrives later as exactly one signal: the operation's result signal, or
 * error(). A reply that is not valid JSON ends in a warning and no signal.
 *
 * Signals may be handled by slots that issue new requests on the same object.
 */
class CV_EXPORT CvGraph : public QObject
{
    Q_OBJECT
public:
    //! A connection of a service object; the text form is the path element on the service.
    enum ConnectionType {
        NoConnection = 0,
        Accounts = 1,
        Friends = 2,
        Home = 3,
        Feed = 4,
        Likes = 5,
        Movies = 6,
        Books = 7,
        Notes = 8,
        Photos = 9,
        Albums = 10,
        Videos = 11,
        Events = 12,
        Groups = 13,
        Members = 14,
        Checkins = 15,
        Comments = 16,
        Inbox = 17,
        Outbox = 18,
        Updates = 19,
        NoReply = 20,
        Maybe = 21,
        Attending = 22,
        Declined = 23,
        UploadedVideos = 24,
        Statuses = 25,
        Invited = 26,
        Threads = 27,
        NotRepliedEvents = 28
    };
    Q_ENUM(ConnectionType)

    //! What a search looks for.
    enum SearchTarget {
        SearchPost = 0,
        SearchUser = 1,
        SearchPage = 2,
        SearchEvent = 3,
        SearchGroup = 4,
        SearchCheckin = 5,
        SearchPlace = 6,
        SearchHome = 7 //!< the user's news feed, searched through its own path
    };
    Q_ENUM(SearchTarget)

    //! An answer to an event invitation.
    enum EventAcknowledgement { AckAttending = 0, AckMaybe = 1, AckDeclined = 2 };
    Q_ENUM(EventAcknowledgement)

    //! A Graph layer that authenticates its requests with \a accessToken.
    explicit CvGraph(const QString &accessToken, QObject *parent = nullptr);
    //! Operations still in flight are dropped without signals.
    ~CvGraph() override;

    //! The path text of \a type; empty for NoConnection and unknown values.
    static QString connectionTypeToString(ConnectionType type);
    //! The connection named exactly \a text (case-sensitive); NoConnection for anything else.
    static ConnectionType connectionTypeFromString(const QString &text);
    //! The text of \a target ("post", "user", ...); empty for unknown values.
    static QString searchTargetToString(SearchTarget target);
    //! The target named exactly \a text; SearchPost for anything else.
    static SearchTarget searchTargetFromString(const QString &text);

    //! The locale sent with the requests that take one; empty (not sent) by default.
    QString locale() const;
    void setLocale(const QString &locale);

    //! The transport this object sends through (for its lastError()).
    CvGraphConnect *graphConnect() const;
    //! The service's time of the latest reply (its Date header, UTC); invalid if it had none.
    QDateTime lastReplyTimeStamp() const;
    //! Number of operations sent whose reply has not been handled yet.
    int operationsInFlight() const;

    //! Reads the object \a id; answered by objectDataRetrieved(id, name, data).
    bool retrieveObject(const QString &id, const Cv::CvDataFilter &filter, const QString &name);
    //! Reads the given \a fields of the object \a id.
    bool retrieveObject(const QString &id, const QSet<QString> &fields, const QString &name);
    //! Reads the object \a id with the service's default fields.
    bool retrieveObject(const QString &id, const QString &name);
    //! Reads several objects at once; answered by objectsDataRetrieved(ids, name, data).
    bool retrieveObjects(const QSet<QString> &ids, const Cv::CvDataFilter &filter,
                         const QString &name);
    //! Asks which connections the object \a id has; answered by connectionTypesRetrieved().
    bool retrieveConnectionTypes(const QString &id);

    /*!
     * Reads a connection of the object \a id. Every connection read is answered by
     * connectionDataRetrieved(id, connection, data) followed by
     * connectionDataRetrieved(filter, connection, data), the filter rebuilt from the request.
     */
    bool retrieveConnectionData(Cv::CvGraph::ConnectionType type, const QString &id);
    //! Reads the connection named \a connection of the object \a id.
    bool retrieveConnectionData(const QString &connection, const QString &id);
    //! Reads a connection of the filter's id, sending its limit, offset, dates and fields.
    bool retrieveConnectionData(const QString &connection, const Cv::CvDataFilter &filter);
    //! As above with the connection given by its type.
    bool retrieveConnectionData(Cv::CvGraph::ConnectionType type, const Cv::CvDataFilter &filter);
    //! Follows a paging link \a url returned by the service; id and name label the answer.
    bool retrieveConnectionData(const QString &id, const QString &name, const QUrl &url);

    //! Asks where the picture of \a id is; answered by profilePictureReceived().
    bool retrieveProfilePicture(const QString &id, Cv::PictureType type);

    /*!
     * Searches with the query parameters \a params. Unless \a target is SearchHome, the entry
     * "type" is set in \a params itself first. Answered by searchReady().
     */
    bool search(const QString &searchId, QMap<QString, QString> &params,
                Cv::CvGraph::SearchTarget target);
    //! Searches for \a query, asking for \a fields when not empty.
    bool search(const QString &searchId, const QString &query, Cv::CvGraph::SearchTarget target,
                const QSet<QString> &fields);
    //! Searches for \a query.
    bool search(const QString &searchId, const QString &query, Cv::CvGraph::SearchTarget target);

    //! Fetches the absolute \a url without credentials; answered by publicDataRetrieved().
    bool retrievePublicData(const QUrl &url, const QString &name);
    //! Reads the invitations not yet answered; \a id only labels the answer.
    bool retrieveEventInvitations(const QString &id);
    //! Reads the notifications; \a id only labels the answer.
    bool retrieveNotifications(const QString &id);

Q_SIGNALS:
    //! A request failed; err's object id is the id of the operation concerned.
    void error(const Cv::CvError &err);
    //! The object asked for by retrieveObject(), decoded from the service's JSON.
    void objectDataRetrieved(const QString &id, const QString &name, const QVariantMap &objectData);
    //! The objects asked for by retrieveObjects(), keyed by id in \a objectsData.
    void objectsDataRetrieved(const QSet<QString> &ids, const QString &name,
                              const QVariantMap &objectsData);
    //! A connection read, labelled with the object id and the connection name.
    void connectionDataRetrieved(const QString &profileId, const QString &connectionName,
                                 const QVariantMap &connectionData);
    //! The same read again, right after, with the window the request asked for.
    void connectionDataRetrieved(const Cv::CvDataFilter &args, const QString &connectionName,
                                 const QVariantMap &connectionData);
    //! Where the picture of \a profileId is (the service's redirect target).
    void profilePictureReceived(const QString &profileId, Cv::PictureType pt, const QUrl &location);
    //! Search results when no fields were asked for.
    void searchReady(const QString &searchId, Cv::CvGraph::SearchTarget st,
                     const QVariantMap &data);
    //! Search results with the fields asked for in \a filter.
    void searchReady(const QString &searchId, Cv::CvGraph::SearchTarget st,
                     const QSet<QString> &filter, const QVariantMap &data);
    //! The connection URLs the object lists, in ascending order of their names.
    void connectionTypesRetrieved(const QStringList &connectionTypes);
    // Answers of the write, REST method, query and batch operations; ok is true when the
    // service confirmed the change, an id is the new object's.
    void wallWriteComplete(const QString &id);
    void objectDeleted(const QString &id);
    void commentWritten(const QString &id);
    void likesWriteComplete(const QString &id, Cv::LikeType lt);
    void noteWritten(const QString &id);
    void linkWritten(const QString &id);
    void placeCheckedInto(const QString &id);
    //! The invitations not yet answered (retrieveEventInvitations()).
    void eventInvitationsRetrieved(const QString &id, const QVariantList &list);
    void messageThreadStatusMarked(const QString &id, bool ok);
    //! The notifications (retrieveNotifications()).
    void notificationsRetrieved(const QString &id, const QVariantMap &data);
    void notificationListRetrieved(const QString &id, const QVariantMap &data);
    void notificationsMarkedRead(const QStringList &ids, bool ok);
    void friendRequestResponded(const QString &friendId, bool ok);
    void eventCreated(const QString &id);
    void eventAcknowledged(const QString &id, bool ok, Cv::CvGraph::EventAcknowledgement ack);
    void albumCreated(const QString &id);
    void messageSent(const QString &threadId);
    void messageReplied(const QString &threadId);
    void messageThreadDeleted(const QString &id, int folder, bool ok);
    void fanToPageAdded(const QString &pageId, bool ok);
    void photoUploaded(const QString &id, const QString &photoId);
    void photoTagged(const QString &pid);
    void userTagDeleted(const QString &pid, const QString &userId, bool ok);
    void textTagDeleted(const QString &pid, const QString &text, bool ok);
    void profilePictureUploaded(const QString &id, bool ok);
    void messageThreadsRetrieved(const QString &id, int folder, const QVariantList &list);
    void albumDeleted(const QString &id, bool ok);
    void friendRequestSent(const QString &id, bool ok);
    void photoLikeAdded(const QString &id, bool ok);
    void photoLikeRemoved(const QString &id, bool ok);
    //! The raw bytes found at \a location (retrievePublicData()).
    void publicDataRetrieved(const QString &name, const QUrl &location, const QByteArray &data);
    void queryExecuted(const QString &name, const QVariantList &data);
    void inboxRetrieved(const QString &id, const QString &name, const QVariantList &list);
    void outboxRetrieved(const QString &id, const QString &name, const QVariantList &list);
    void threadRetrieved(const QString &id, const QVariantMap &data);
    void threadMessagesRetrieved(const QString &id, const QString &name, const QVariantList &list);
    void photoTagCreated(const QString &photoId, const QString &to, bool ok);
    void photoTagDeleted(const QString &photoId, const QString &to, bool ok);
    void batchExecuted(const QString &name, QList<Cv::CvGraphReply> replies);
    void photoRetrieved(const QString &pid, const QVariantMap &data);

private:
    Q_DISABLE_COPY_MOVE(CvGraph)
    Q_DECLARE_PRIVATE(CvGraph)
    // Implemented by the private part, so that &CvGraph::error names the signal alone.
    Q_PRIVATE_SLOT(d_func(), void error(const Cv::CvError &err, int id))
    Q_PRIVATE_SLOT(d_func(), void response(QNetworkReply *reply, int id))
    std::unique_ptr<CvGraphPrivate> const d_ptr;
};

} // namespace Cv

#endif // CVGRAPH_H
