#include "cvpage.h"

namespace Cv {

class CvPagePrivate : public QSharedData
{
public:
    QString id;
    QString name;
    QString picture;
    QString link;
    QString category;
    QString website;
    QString username;
    QString founded;
    QString companyOverview;
    QString phoneNumber;
    int likes = 0;
    int checkins = 0;
    CvLocation location;
};

CvPage::CvPage()
    : d(new CvPagePrivate)
{
}

CvPage::CvPage(const QString &id)
    : d(new CvPagePrivate)
{
    d->id = id;
}

CvPage::CvPage(const CvPage &other) = default;

CvPage::CvPage(CvPage &&other) noexcept = default;

CvPage::~CvPage() = default;

CvPage &CvPage::operator=(const CvPage &other) = default;

bool CvPage::isValid() const
{
    return !d->id.isEmpty();
}

QString CvPage::id() const
{
    return d->id;
}

QString CvPage::name() const
{
    return d->name;
}

void CvPage::setName(const QString &name)
{
    d->name = name;
}

QString CvPage::picture() const
{
    return d->picture;
}

void CvPage::setPicture(const QString &picture)
{
    d->picture = picture;
}

QString CvPage::link() const
{
    return d->link;
}

void CvPage::setLink(const QString &link)
{
    d->link = link;
}

QString CvPage::category() const
{
    return d->category;
}

void CvPage::setCategory(const QString &category)
{
    d->category = category;
}

QString CvPage::website() const
{
    return d->website;
}

void CvPage::setWebsite(const QString &website)
{
    d->website = website;
}

QString CvPage::username() const
{
    return d->username;
}

void CvPage::setUsername(const QString &username)
{
    d->username = username;
}

QString CvPage::founded() const
{
    return d->founded;
}

void CvPage::setFounded(const QString &founded)
{
    d->founded = founded;
}

QString CvPage::companyOverview() const
{
    return d->companyOverview;
}

void CvPage::setCompanyOverview(const QString &companyOverview)
{
    d->companyOverview = companyOverview;
}

QString CvPage::phoneNumber() const
{
    return d->phoneNumber;
}

void CvPage::setPhoneNumber(const QString &phoneNumber)
{
    d->phoneNumber = phoneNumber;
}

int CvPage::likes() const
{
    return d->likes;
}

void CvPage::setLikes(int likes)
{
    d->likes = likes;
}

int CvPage::checkins() const
{
    return d->checkins;
}

void CvPage::setCheckins(int checkins)
{
    d->checkins = checkins;
}

CvLocation CvPage::location() const
{
    return d->location;
}

void CvPage::setLocation(const CvLocation &location)
{
    d->location = location;
}

bool operator==(const CvPage &a, const CvPage &b)
{
    return a.id() == b.id() && a.name() == b.name() && a.picture() == b.picture()
        && a.link() == b.link() && a.category() == b.category() && a.website() == b.website()
        && a.username() == b.username() && a.founded() == b.founded()
        && a.companyOverview() == b.companyOverview() && a.likes() == b.likes()
        && a.checkins() == b.checkins() && a.phoneNumber() == b.phoneNumber()
        && a.location() == b.location();
}

bool operator!=(const CvPage &a, const CvPage &b)
{
    return !(a == b);
}

} // namespace Cv
