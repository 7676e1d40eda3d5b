#include "cvgraphop.h"

namespace Cv {

CvGraphOp::CvGraphOp() = default;

CvGraphOp::CvGraphOp(Operation kind)
    : m_kind(kind)
{
}

CvGraphOp::CvGraphOp(Operation kind, const QString &name)
    : m_kind(kind)
    , m_name(name)
{
}

CvGraphOp::CvGraphOp(Operation kind, const QString &id, const QString &name)
    : m_kind(kind)
    , m_id(id)
    , m_name(name)
{
}

CvGraphOp::CvGraphOp(const QUrl &url, Operation kind)
    : m_kind(kind)
    , m_url(url)
{
}

CvGraphOp::CvGraphOp(const QUrl &url, Operation kind, const QString &id)
    : m_kind(kind)
    , m_id(id)
    , m_url(url)
{
}

CvGraphOp::CvGraphOp(const QUrl &url, Operation kind, const QString &id, const QString &name)
    : m_kind(kind)
    , m_id(id)
    , m_name(name)
    , m_url(url)
{
}

void CvGraphOp::setParameter(const QString &key, const QString &value)
{
    m_parameters.remove(key);
    m_parameters.insert(key, value);
}

void CvGraphOp::addParameter(const QString &key, const QString &value)
{
    m_parameters.insert(key, value);
}

} // namespace Cv
