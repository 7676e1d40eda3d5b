#include "cvuserref.h"

#include "cvuser.h"

namespace Cv {

CvUserRef::CvUserRef() = default;

CvUserRef::CvUserRef(const QString &id, const QString &name)
    : id(id)
    , name(name)
{
}

CvUserRef::CvUserRef(const CvUser &user)
    : id(user.id())
    , name(user.name())
{
}

bool operator==(const CvUserRef &a, const CvUserRef &b)
{
    return a.id == b.id && a.name == b.name;
}

bool operator!=(const CvUserRef &a, const CvUserRef &b)
{
    return !(a == b);
}

} // namespace Cv
