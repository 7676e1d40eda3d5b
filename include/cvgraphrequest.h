#ifndef CVGRAPHREQUEST_H
#define CVGRAPHREQUEST_H

#include "cvexport.h"

#include "cvdatafilter.h"

#include <QMetaType>
#include <QString>

namespace Cv {

/*!
 * One request of a batch (CvGraph::executeBatch): an HTTP verb and a path below the Graph
 * endpoint, optionally named so that later requests of the same batch can refer to it, with an
 * optional body and a filter whose members become query items of the path.
 * A plain copyable value.
 */
class CV_EXPORT CvGraphRequest
{
public:
    //! Every member empty, default filter.
    CvGraphRequest();
    //! A request with \a method (e.g. "GET" or "POST") on \a relativeUrl.
    CvGraphRequest(const QString &method, const QString &relativeUrl);

    //! The name other requests of the batch may refer to; empty for none.
    //!@{
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    //!@}
    //! The name of the request of the same batch this one waits for; empty for none.
    //!@{
    QString dependsOn() const { return m_dependsOn; }
    void setDependsOn(const QString &dependsOn) { m_dependsOn = dependsOn; }
    //!@}
    //! The HTTP verb text, e.g. "GET" or "POST".
    //!@{
    QString method() const { return m_method; }
    void setMethod(const QString &method) { m_method = method; }
    //!@}
    //! The path below the Graph endpoint, without a leading slash, e.g. "me/friends".
    //!@{
    QString relativeUrl() const { return m_relativeUrl; }
    void setRelativeUrl(const QString &relativeUrl) { m_relativeUrl = relativeUrl; }
    //!@}
    //! The request body (form-encoded text), empty for none.
    //!@{
    QString body() const { return m_body; }
    void setBody(const QString &body) { m_body = body; }
    //!@}
    //! Locale, offset, limit, dates, fields and extra parameters added to the relative URL.
    //!@{
    CvDataFilter filter() const { return m_filter; }
    void setFilter(const Cv::CvDataFilter &filter) { m_filter = filter; }
    //!@}

    /*!
     * The request as one JSON object text, members in the order method,
     * omit_response_on_success and name (only with a name), depends_on (only when set),
     * relative_url, body (only when set), e.g.
     * {"method": "GET", "omit_response_on_success": false, "name": "f", "relative_url":
     * "me/friends?limit=5"}
     *
     * The filter's members are appended to the relative URL as query items (locale, offset,
     * limit, since, until, fields, then the extra parameters in ascending key order), the first
     * after a "?", or after a "&" when the relative URL already has a query. Values are neither
     * percent-encoded nor otherwise changed; quotes, backslashes and control characters are
     * escaped so that the text is always valid JSON.
     */
    QString toString() const;

private:
    QString m_name;
    QString m_dependsOn;
    QString m_method;
    QString m_relativeUrl;
    QString m_body;
    CvDataFilter m_filter;
};

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvGraphRequest)

#endif // CVGRAPHREQUEST_H
