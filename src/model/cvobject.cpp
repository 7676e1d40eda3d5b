#include "cvobject.h"

#include "model/cvobject_p.h"

namespace Cv {

CvObject::CvObject()
    : d(new CvObjectPrivate)
{
}

CvObject::CvObject(const QString &id, const QString &name, const QString &type)
    : d(new CvObjectPrivate)
{
    d->id = id;
    d->name = name;
    d->type = type;
}

CvObject::CvObject(const CvObject &other) = default;

CvObject::CvObject(CvObject &&other) noexcept = default;

CvObject::~CvObject() = default;

CvObject &CvObject::operator=(const CvObject &other) = default;

bool CvObject::isValid() const
{
    return !d->id.isEmpty() || !d->type.isEmpty();
}

QString CvObject::id() const
{
    return d->id;
}

void CvObject::setId(const QString &id)
{
    d->id = id;
}

QString CvObject::name() const
{
    return d->name;
}

void CvObject::setName(const QString &name)
{
    d->name = name;
}

QString CvObject::type() const
{
    return d->type;
}

void CvObject::setType(const QString &type)
{
    d->type = type;
}

void CvObject::setData(const QVariantMap &data)
{
    d->data = data;
}

bool operator==(const CvObject &a, const CvObject &b)
{
    return a.id() == b.id() && a.name() == b.name() && a.type() == b.type();
}

bool operator!=(const CvObject &a, const CvObject &b)
{
    return !(a == b);
}

} // namespace Cv
