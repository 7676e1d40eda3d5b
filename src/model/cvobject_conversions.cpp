#include "cvobject.h"

#include "cvdataconverter.h"
#include "model/cvobject_p.h"

// The conversions live apart from the rest of CvObject because they pull in the converter;
// the rest of the data model does not depend on it.
namespace Cv {

CvVideo CvObject::toVideo() const
{
    return CvDataConverter::toVideo(d->data);
}

CvUser CvObject::toUser() const
{
    return CvDataConverter::toUser(d->data);
}

CvPost CvObject::toPost() const
{
    return CvDataConverter::toPost(d->data);
}

CvPlace CvObject::toPlace() const
{
    return CvDataConverter::toPlace(d->data);
}

CvPhoto CvObject::toPhoto() const
{
    return CvDataConverter::toPhoto(d->data);
}

CvPage CvObject::toPage() const
{
    return CvDataConverter::toPage(d->data);
}

CvMessage CvObject::toComment() const
{
    return CvDataConverter::toMessage(d->data);
}

CvGroup CvObject::toGroup() const
{
    return CvDataConverter::toGroup(d->data);
}

CvEvent CvObject::toEvent() const
{
    return CvDataConverter::toEvent(d->data);
}

CvCheckin CvObject::toCheckin() const
{
    return CvDataConverter::toCheckin(d->data);
}

CvAlbum CvObject::toAlbum() const
{
    return CvDataConverter::toAlbum(d->data);
}

} // namespace Cv
