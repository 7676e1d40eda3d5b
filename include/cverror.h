#ifndef CVERROR_H
#define CVERROR_H

#include "cvexport.h"

#include <QMetaType>
#include <QNetworkReply>
#include <QObject>
#include <QString>

#include <memory>

namespace Cv {

class CvErrorPrivate;

/*!
 * The one error value of the library: what failed (the network, the service, the reply data or
 * the local cache), the texts that describe it and the service object it concerned.
 *
 * A plain value: copies are deep and independent.
 */
class CV_EXPORT CvError
{
    Q_GADGET
public:
    //! Classification of a failure.
    enum ErrorType {
        GeneralError = 0, //!< no more precise class
        InvalidAccessToken = 1, //!< the service rejected the access token
        FeedActionRequestLimitReached = 2, //!< the service reports the feed action limit
        OperationFailed = 3, //!< the service answered, but the operation did not succeed
        UnknownMethod = 4, //!< a REST reply carries error_code 3
        PermissionDenied = 5, //!< a capability or an extended permission is missing
        CacheError = 6 //!< a local cache update failed; see cacheErrorString()
    };
    Q_ENUM(ErrorType)

    //! An empty error.
    CvError();
    //! A copy of \a other.
    CvError(const CvError &other);
    /*!
     * Builds the error of a failed or erroneous reply: its network error code and text, its
     * whole remaining body as the service error text (the body is consumed), its headers, and
     * the type that the service's error body gives, if it is JSON.
     */
    explicit CvError(QNetworkReply *reply);
    //! Makes this a copy of \a other.
    CvError &operator=(const CvError &other);
    ~CvError();

    //! Resets every field to its default.
    void clear();
    //! True when no field but the object id is set.
    bool isEmpty() const;

    /*!
     * True if \a reply failed, or if it succeeded but its body starts like a service error
     * (the word "error" within its first 8 bytes). The body is not consumed.
     */
    static bool isError(QNetworkReply *reply);

    //! The network layer's description of the failure.
    //!@{
    QString replyErrorString() const;
    void setReplyErrorString(const QString &text);
    //!@}

    //! The network error code; QNetworkReply::NoError if the network did not fail.
    //!@{
    QNetworkReply::NetworkError replyErrorCode() const;
    void setReplyErrorCode(QNetworkReply::NetworkError code);
    //!@}

    //! The service's error body as text.
    //!@{
    QString corvanaErrorString() const;
    void setCorvanaErrorString(const QString &text);
    //!@}

    //! The headers of the failed reply, one "Name: value" line each.
    //!@{
    QString corvanaErrorHeaders() const;
    void setCorvanaErrorHeaders(const QString &headers);
    //!@}

    //! The local cache's description of a failed update.
    //!@{
    QString cacheErrorString() const;
    void setCacheErrorString(const QString &text);
    //!@}

    //! Id of the service object that the failed request was about.
    //!@{
    QString objectId() const;
    void setObjectId(const QString &id);
    //!@}

    //! What failed: the network, the service, the reply data or the cache.
    //!@{
    ErrorType errorType() const;
    void setErrorType(Cv::CvError::ErrorType type);
    //!@}

private:
    std::unique_ptr<CvErrorPrivate> d;
};

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvError)

#endif // CVERROR_H
