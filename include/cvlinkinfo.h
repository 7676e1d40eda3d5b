#ifndef CVLINKINFO_H
#define CVLINKINFO_H

#include "cvexport.h"

#include <QMap>
#include <QMetaType>
#include <QString>

namespace Cv {

//! A link shared in a post, an attachment or a wall post. A plain record.
class CV_EXPORT CvLinkInfo
{
public:
    //! Every member empty.
    CvLinkInfo();
    //! Members from the arguments, in member order.
    CvLinkInfo(const QString &link, const QString &name, const QString &caption,
               const QString &description);

    //! The parameters of a link write: empty when there is no link; otherwise "link" and
    //! whichever of "caption", "description" and "name" are not empty.
    QMap<QString, QString> toMap() const;

    //! The URL.
    QString link;
    //! Title of the link.
    QString name;
    //! Caption text.
    QString caption;
    //! Description text.
    QString description;
};

//! Compares caption, description, name, link.
CV_EXPORT bool operator==(const CvLinkInfo &a, const CvLinkInfo &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvLinkInfo &a, const CvLinkInfo &b);

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvLinkInfo)

#endif // CVLINKINFO_H
