#ifndef CVGRAPHREPLY_H
#define CVGRAPHREPLY_H

#include "cvexport.h"

#include <QList>
#include <QMetaType>
#include <QVariant>

namespace Cv {

/*!
 * The answer to one request of a batch: its HTTP status code, its headers and its decoded body.
 * A plain copyable value.
 */
class CV_EXPORT CvGraphReply
{
public:
    //! Code 0, invalid headers and body.
    CvGraphReply();

    //! The HTTP status code of the sub-request, 0 when unknown.
    int code() const { return m_code; }
    //! The sub-reply's headers as the service listed them.
    QVariant headers() const { return m_headers; }
    /*!
     * The decoded body: the "data" member of a body that begins with it, otherwise the body
     * decoded as a JSON list (a single value becomes a one-element list).
     */
    QVariant body() const { return m_body; }

    //! Fills the reply from one element of a batch answer; false when its body did not decode.
    bool setData(const QVariant &data);

private:
    int m_code = 0;
    QVariant m_headers;
    QVariant m_body;
};

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvGraphReply)

#endif // CVGRAPHREPLY_H
