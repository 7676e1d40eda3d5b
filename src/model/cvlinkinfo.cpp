#include "cvlinkinfo.h"

namespace Cv {

CvLinkInfo::CvLinkInfo() = default;

CvLinkInfo::CvLinkInfo(const QString &link, const QString &name, const QString &caption,
                       const QString &description)
    : link(link)
    , name(name)
    , caption(caption)
    , description(description)
{
}

QMap<QString, QString> CvLinkInfo::toMap() const
{
    // The service rejects a link write without a link, so the other members alone mean nothing.
    QMap<QString, QString> map;
    if (link.isEmpty())
        return map;
    if (!caption.isEmpty())
        map.insert(QStringLiteral("caption"), caption);
    if (!description.isEmpty())
        map.insert(QStringLiteral("description"), description);
    if (!name.isEmpty())
        map.insert(QStringLiteral("name"), name);
    map.insert(QStringLiteral("link"), link);
    return map;
}

bool operator==(const CvLinkInfo &a, const CvLinkInfo &b)
{
    return a.caption == b.caption && a.description == b.description && a.name == b.name
        && a.link == b.link;
}

bool operator!=(const CvLinkInfo &a, const CvLinkInfo &b)
{
    return !(a == b);
}

} // namespace Cv
