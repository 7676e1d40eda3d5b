#include "cvdatafilter.h"

#include "model/cvvalue_p.h"

namespace Cv {

CvDataFilter::CvDataFilter() = default;

CvDataFilter::CvDataFilter(const QString &id)
    : id(id)
{
}

CvDataFilter::CvDataFilter(const QString &id, int limit, int offset, const QDateTime &until,
                           const QDateTime &since, const QSet<QString> &fields,
                           const QString &locale)
    : id(id)
    , limit(limit)
    , offset(offset)
    , until(until)
    , since(since)
    , fields(fields)
    , locale(locale)
{
}

void CvDataFilter::clear()
{
    *this = CvDataFilter();
}

bool CvDataFilter::isEmpty() const
{
    return id.isEmpty() && limit < 0 && offset < 0 && until.isNull() && since.isNull()
        && fields.isEmpty() && locale.isEmpty() && params.isEmpty();
}

bool CvDataFilter::isValid() const
{
    // A null bound means "open"; only a bound that was set to something unusable is an error.
    const auto usable = [](const QDateTime &dt) { return dt.isNull() || dt.isValid(); };
    return !id.isEmpty() && usable(until) && usable(since);
}

bool operator==(const CvDataFilter &a, const CvDataFilter &b)
{
    return a.id == b.id && a.limit == b.limit && a.offset == b.offset
        && isoDateEqual(a.until, b.until) && isoDateEqual(a.since, b.since) && a.fields == b.fields
        && a.locale == b.locale && a.params == b.params;
}

bool operator!=(const CvDataFilter &a, const CvDataFilter &b)
{
    return !(a == b);
}

} // namespace Cv
