#ifndef CVGRAPHOP_H
#define CVGRAPHOP_H

#include "cvexport.h"

#include <QByteArray>
#include <QMap>
#include <QMetaType>
#include <QMultiMap>
#include <QNetworkRequest>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>

namespace Cv {

/*!
 * One request of the Graph layer in flight: what was asked (its kind), the identifiers its answer
 * will carry, and what is sent. The kind decides which request is made and how the reply is
 * decoded and reported. A plain value; copies share nothing beyond Qt's own containers.
 */
class CV_EXPORT CvGraphOp
{
    Q_GADGET
public:
    //! What an operation asks for; the values are fixed.
    enum Operation {
        NoOperation = 0,
        RetrieveObject = 1,
        RetrieveObjects = 2,
        RetrieveConnectionTypes = 3,
        RetrieveConnectionData = 4,
        RetrieveConnectionPage = 5,
        RetrieveProfilePicture = 6,
        WriteToWall = 7,
        WriteComment = 8,
        WriteToLikes = 9,
        WriteNote = 10,
        WriteLink = 11,
        CheckIntoPlace = 12,
        CreateEvent = 13,
        AcknowledgeEvent = 14,
        CreateAlbum = 15,
        DeleteObject = 16,
        Search = 17,
        RetrieveEventInvitations = 18,
        MarkMessageThreadStatus = 19,
        MarkThreadStatus = 20,
        RetrieveNotifications = 21,
        RespondToFriendRequest = 22,
        SendMessageRest = 23,
        SendMessage = 24,
        ReplyToMessageRest = 25,
        ReplyToMessage = 26,
        DeleteMessageThread = 27,
        UploadPhoto = 28,
        TagPhoto = 29,
        UploadProfilePicture = 30,
        RetrieveMessageThreads = 31,
        DeleteAlbum = 32,
        SendFriendRequest = 33,
        RetrievePublicData = 34,
        AddPhotoLike = 35,
        RemovePhotoLike = 36,
        ExecuteQuery = 37,
        RetrieveInbox = 38,
        RetrieveOutbox = 39,
        RetrieveThread = 40,
        RetrieveThreadMessages = 41,
        RetrieveNotificationList = 42,
        MarkNotificationsRead = 43,
        DeleteUserTag = 44,
        DeleteTextTag = 45,
        CreatePhotoTag = 46,
        DeletePhotoTag = 47,
        ExecuteBatch = 48,
        RetrievePhoto = 49,
        AddFanToPage = 50
    };
    Q_ENUM(Operation)

    //! Query parameters; a key may carry several values, each sent as its own query item.
    using Parameters = QMultiMap<QString, QString>;
    //! Request headers, only used by multipart uploads.
    using Headers = QMap<QNetworkRequest::KnownHeaders, QVariant>;

    //! An empty record of kind NoOperation.
    CvGraphOp();
    //! An operation of \a kind with no identifiers.
    explicit CvGraphOp(Operation kind);
    //! An operation of \a kind whose name is \a name (the id stays empty).
    CvGraphOp(Operation kind, const QString &name);
    //! An operation of \a kind with \a id and \a name.
    CvGraphOp(Operation kind, const QString &id, const QString &name);
    //! An operation of \a kind on \a url.
    CvGraphOp(const QUrl &url, Operation kind);
    //! An operation of \a kind on \a url with \a id.
    CvGraphOp(const QUrl &url, Operation kind, const QString &id);
    //! An operation of \a kind on \a url with \a id and \a name.
    CvGraphOp(const QUrl &url, Operation kind, const QString &id, const QString &name);

    //! What is asked.
    //!@{
    Operation kind() const { return m_kind; }
    void setKind(Operation kind) { m_kind = kind; }
    //!@}
    //! The primary identifier, echoed in the result signal.
    //!@{
    QString id() const { return m_id; }
    void setId(const QString &id) { m_id = id; }
    //!@}
    //! A second identifier or the caller's label.
    //!@{
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    //!@}
    //! A path below the Graph endpoint (with its own query) or an absolute URL.
    //!@{
    QUrl url() const { return m_url; }
    void setUrl(const QUrl &url) { m_url = url; }
    //!@}
    //! Query parameters sent with the request and read again when the reply arrives.
    //!@{
    Parameters parameters() const { return m_parameters; }
    void setParameters(const Parameters &parameters) { m_parameters = parameters; }
    //!@}
    //! Sets \a key to \a value alone, replacing every earlier value of \a key.
    void setParameter(const QString &key, const QString &value);
    //! Adds \a value for \a key, keeping any earlier value of \a key.
    void addParameter(const QString &key, const QString &value);
    //! The request body (multipart uploads only).
    //!@{
    QByteArray body() const { return m_body; }
    void setBody(const QByteArray &body) { m_body = body; }
    //!@}
    //! The request headers (multipart uploads only).
    //!@{
    Headers headers() const { return m_headers; }
    void setHeaders(const Headers &headers) { m_headers = headers; }
    //!@}

private:
    Operation m_kind = NoOperation;
    QString m_id;
    QString m_name;
    QUrl m_url;
    Parameters m_parameters;
    QByteArray m_body;
    Headers m_headers;
};

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvGraphOp)

#endif // CVGRAPHOP_H
