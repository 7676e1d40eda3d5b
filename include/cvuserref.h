#ifndef CVUSERREF_H
#define CVUSERREF_H

#include "cvexport.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QString>

namespace Cv {

//! A user, or an application, reduced to its id and display name. A plain record.
class CV_EXPORT CvUserRef
{
public:
    //! Empty id and name.
    CvUserRef();
    //! The user \a id called \a name.
    CvUserRef(const QString &id, const QString &name);
    //! The id and name of \a user.
    CvUserRef(const CvUser &user);

    //! Service id of the user or application.
    QString id;
    //! Display name.
    QString name;
};

//! Compares id, then name.
CV_EXPORT bool operator==(const CvUserRef &a, const CvUserRef &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvUserRef &a, const CvUserRef &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvUserRef)
Q_DECLARE_METATYPE(Cv::CvUserRefs)

#endif // CVUSERREF_H
