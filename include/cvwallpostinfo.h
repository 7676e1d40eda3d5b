#ifndef CVWALLPOSTINFO_H
#define CVWALLPOSTINFO_H

#include "cvexport.h"
#include "cvlinkinfo.h"

#include <QMap>
#include <QMetaType>
#include <QString>

namespace Cv {

//! What an application wants to post on a wall. A plain record without comparison.
class CV_EXPORT CvWallPostInfo
{
public:
    //! Every member empty.
    CvWallPostInfo();

    //! The parameters of a wall post: empty when there is no message; otherwise the link's
    //! parameters, "message", and "source" and "picture" when they are not empty.
    QMap<QString, QString> toMap() const;

    //! Text of the post.
    QString message;
    //! URL of a picture to show.
    QString picture;
    //! Link to attach.
    CvLinkInfo linkInfo;
    //! URL of a media source.
    QString source;
};

} // namespace Cv

Q_DECLARE_METATYPE(Cv::CvWallPostInfo)

#endif // CVWALLPOSTINFO_H
