#include "cvuser.h"

#include <algorithm>
#include <iterator>

namespace Cv {

class CvUserPrivate : public QSharedData
{
public:
    QString id;
    QString name;
    QString firstName;
    QString lastName;
    QString link;
    QString about;
    QString birthday;
    QString email;
    QString website;
    QString hometown;
    QString location;
    QString bio;
    QString gender;
    QString interestedIn;
    QString meetingFor;
    QString relationshipStatus;
    QString religion;
    QString political;
    CvUserRef significantOther;
    int timezone = 0;
    QString picture;
    QString mobilePhone;
    QString locale;
};

CvUser::CvUser()
    : d(new CvUserPrivate)
{
}

CvUser::CvUser(const QString &id, const QString &name)
    : d(new CvUserPrivate)
{
    d->id = id;
    d->name = name;
}

CvUser::CvUser(const CvUserRef &ref)
    : d(new CvUserPrivate)
{
    d->id = ref.id;
    d->name = ref.name;
}

CvUser::CvUser(const CvUser &other) = default;

CvUser::CvUser(CvUser &&other) noexcept = default;

CvUser::~CvUser() = default;

CvUser &CvUser::operator=(const CvUser &other) = default;

bool CvUser::isValid() const
{
    return !d->id.isEmpty();
}

QString CvUser::id() const
{
    return d->id;
}

QString CvUser::name() const
{
    return d->name;
}

void CvUser::setName(const QString &name)
{
    d->name = name;
}

QString CvUser::firstName() const
{
    return d->firstName;
}

void CvUser::setFirstName(const QString &firstName)
{
    d->firstName = firstName;
}

QString CvUser::lastName() const
{
    return d->lastName;
}

void CvUser::setLastName(const QString &lastName)
{
    d->lastName = lastName;
}

QString CvUser::link() const
{
    return d->link;
}

void CvUser::setLink(const QString &link)
{
    d->link = link;
}

QString CvUser::about() const
{
    return d->about;
}

void CvUser::setAbout(const QString &about)
{
    d->about = about;
}

QString CvUser::birthday() const
{
    return d->birthday;
}

void CvUser::setBirthday(const QString &birthday)
{
    d->birthday = birthday;
}

QString CvUser::email() const
{
    return d->email;
}

void CvUser::setEmail(const QString &email)
{
    d->email = email;
}

QString CvUser::website() const
{
    return d->website;
}

void CvUser::setWebsite(const QString &website)
{
    d->website = website;
}

QString CvUser::hometown() const
{
    return d->hometown;
}

void CvUser::setHometown(const QString &hometown)
{
    d->hometown = hometown;
}

QString CvUser::location() const
{
    return d->location;
}

void CvUser::setLocation(const QString &location)
{
    d->location = location;
}

QString CvUser::bio() const
{
    return d->bio;
}

void CvUser::setBio(const QString &bio)
{
    d->bio = bio;
}

QString CvUser::gender() const
{
    return d->gender;
}

void CvUser::setGender(const QString &gender)
{
    d->gender = gender;
}

QString CvUser::interestedIn() const
{
    return d->interestedIn;
}

void CvUser::setInterestedIn(const QString &interestedIn)
{
    d->interestedIn = interestedIn;
}

QString CvUser::meetingFor() const
{
    return d->meetingFor;
}

void CvUser::setMeetingFor(const QString &meetingFor)
{
    d->meetingFor = meetingFor;
}

QString CvUser::relationshipStatus() const
{
    return d->relationshipStatus;
}

void CvUser::setRelationshipStatus(const QString &relationshipStatus)
{
    d->relationshipStatus = relationshipStatus;
}

QString CvUser::religion() const
{
    return d->religion;
}

void CvUser::setReligion(const QString &religion)
{
    d->religion = religion;
}

QString CvUser::political() const
{
    return d->political;
}

void CvUser::setPolitical(const QString &political)
{
    d->political = political;
}

const CvUserRef &CvUser::significantOther() const
{
    return d->significantOther;
}

void CvUser::setSignificantOther(const CvUserRef &significantOther)
{
    d->significantOther = significantOther;
}

int CvUser::timezone() const
{
    return d->timezone;
}

void CvUser::setTimezone(int timezone)
{
    d->timezone = timezone;
}

QString CvUser::picture() const
{
    return d->picture;
}

void CvUser::setPicture(const QString &picture)
{
    d->picture = picture;
}

QString CvUser::mobilePhone() const
{
    return d->mobilePhone;
}

void CvUser::setMobilePhone(const QString &mobilePhone)
{
    d->mobilePhone = mobilePhone;
}

QString CvUser::locale() const
{
    return d->locale;
}

void CvUser::setLocale(const QString &locale)
{
    d->locale = locale;
}

CvUserRef CvUser::toRef() const
{
    return CvUserRef(d->id, d->name);
}

bool CvUser::isRef() const
{
    if (d->id.isEmpty() || d->name.isEmpty() || !d->significantOther.id.isEmpty()
        || d->timezone != 0)
        return false;
    // clang-format off
    const QString *const profileTexts[] = {
        &d->firstName, &d->lastName, &d->link, &d->about, &d->birthday, &d->email, &d->website,
        &d->hometown, &d->location, &d->bio, &d->gender, &d->interestedIn, &d->meetingFor,
        &d->relationshipStatus, &d->religion, &d->political, &d->picture, &d->mobilePhone,
        &d->locale,
    };
    // clang-format on
    return std::all_of(std::begin(profileTexts), std::end(profileTexts),
                       [](const QString *text) { return text->isEmpty(); });
}

CvUserRefs CvUser::convert(const CvUsers &users)
{
    CvUserRefs refs;
    refs.reserve(users.size());
    for (const CvUser &user : users)
        refs.append(user.toRef());
    return refs;
}

bool operator==(const CvUser &a, const CvUser &b)
{
    return a.about() == b.about() && a.bio() == b.bio() && a.birthday() == b.birthday()
        && a.email() == b.email() && a.firstName() == b.firstName() && a.gender() == b.gender()
        && a.hometown() == b.hometown() && a.id() == b.id() && a.lastName() == b.lastName()
        && a.link() == b.link() && a.name() == b.name() && a.political() == b.political()
        && a.picture() == b.picture() && a.religion() == b.religion()
        && a.mobilePhone() == b.mobilePhone() && a.website() == b.website()
        && a.location() == b.location() && a.interestedIn() == b.interestedIn()
        && a.meetingFor() == b.meetingFor() && a.relationshipStatus() == b.relationshipStatus()
        && a.significantOther() == b.significantOther() && a.timezone() == b.timezone()
        && a.locale() == b.locale();
}

bool operator!=(const CvUser &a, const CvUser &b)
{
    return !(a == b);
}

} // namespace Cv
