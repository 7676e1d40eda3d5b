#ifndef CVACTION_H
#define CVACTION_H

#include "cvexport.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QString>

namespace Cv {

//! An action offered on a post, such as commenting on it. A plain record.
class CV_EXPORT CvAction
{
public:
    //! Empty name and link.
    CvAction();
    //! The action \a name at \a link.
    CvAction(const QString &name, const QString &link);

    //! Label of the action, as sent by the service.
    QString name;
    //! URL of the action.
    QString link;
};

//! Compares link, then name.
CV_EXPORT bool operator==(const CvAction &a, const CvAction &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvAction &a, const CvAction &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvAction)
Q_DECLARE_METATYPE(Cv::CvActions)

#endif // CVACTION_H
