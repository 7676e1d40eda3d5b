#include "cvaction.h"

namespace Cv {

CvAction::CvAction() = default;

CvAction::CvAction(const QString &name, const QString &link)
    : name(name)
    , link(link)
{
}

bool operator==(const CvAction &a, const CvAction &b)
{
    return a.link == b.link && a.name == b.name;
}

bool operator!=(const CvAction &a, const CvAction &b)
{
    return !(a == b);
}

} // namespace Cv
