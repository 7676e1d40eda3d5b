#include "cvwallpostinfo.h"

namespace Cv {

CvWallPostInfo::CvWallPostInfo() = default;

QMap<QString, QString> CvWallPostInfo::toMap() const
{
    // A wall post is its message; a link, picture or source without one is not posted.
    if (message.isEmpty())
        return QMap<QString, QString>();
    QMap<QString, QString> map = linkInfo.toMap();
    map.insert(QStringLiteral("message"), message);
    if (!source.isEmpty())
        map.insert(QStringLiteral("source"), source);
    if (!picture.isEmpty())
        map.insert(QStringLiteral("picture"), picture);
    return map;
}

} // namespace Cv
