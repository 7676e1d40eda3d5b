#ifndef CVDATAFILTER_H
#define CVDATAFILTER_H

#include "cvexport.h"

#include <QDateTime>
#include <QMap>
#include <QMetaType>
#include <QSet>
#include <QString>

namespace Cv {

//! Which slice of a collection a read asks for: whose data, how many from where, which time
//! window, which fields, which locale and any further request parameters.
//! A plain record: members are public and copied member-wise.
class CV_EXPORT CvDataFilter
{
public:
    //! Every member unset.
    CvDataFilter();
    //! The data of \a id, with every other member unset.
    CvDataFilter(const QString &id);
    //! Members from the arguments; no extra parameters.
    CvDataFilter(const QString &id, int limit, int offset, const QDateTime &until,
                 const QDateTime &since, const QSet<QString> &fields, const QString &locale);

    //! Sets every member back to its unset value.
    void clear();
    //! True when every member is at its unset value.
    bool isEmpty() const;
    //! True when the id is set and each of until and since is null or a valid date-time.
    bool isValid() const;

    //! Id of the object whose data is asked for.
    QString id;
    //! Largest number of items wanted; negative means no limit.
    int limit = -1;
    //! Number of items to skip; negative means none.
    int offset = -1;
    //! Upper end of the time window; null means open.
    QDateTime until;
    //! Lower end of the time window; null means open.
    QDateTime since;
    //! Service field names wanted; empty means the service's default set.
    QSet<QString> fields;
    //! Locale for this request; when not empty it replaces the configured one.
    QString locale;
    //! Further query parameters, passed through verbatim.
    QMap<QString, QString> params;
};

//! Compares id, limit, offset, until and since (to the second, as ISO texts), fields, locale and
//! params.
CV_EXPORT bool operator==(const CvDataFilter &a, const CvDataFilter &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvDataFilter &a, const CvDataFilter &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvDataFilter)

#endif // CVDATAFILTER_H
