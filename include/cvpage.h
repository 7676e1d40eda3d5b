#ifndef CVPAGE_H
#define CVPAGE_H

#include "cvexport.h"
#include "cvlocation.h"
#include "cvtypes.h"

#include <QMetaType>
#include <QSharedDataPointer>
#include <QString>

namespace Cv {

class CvPagePrivate;

//! A page: a business, brand or public figure.
class CV_EXPORT CvPage
{
public:
    //! An empty page, invalid.
    CvPage();
    //! The page \a id.
    explicit CvPage(const QString &id);
    //! A copy of \a other, sharing its data until one of them changes.
    CvPage(const CvPage &other);
    //! Takes over the data of \a other, which may then only be assigned to or destroyed.
    CvPage(CvPage &&other) noexcept;
    ~CvPage();
    //! Makes this a copy of \a other.
    CvPage &operator=(const CvPage &other);
    QT_MOVE_ASSIGNMENT_OPERATOR_IMPL_VIA_PURE_SWAP(CvPage)
    //! Swaps this with \a other; never fails.
    void swap(CvPage &other) noexcept { d.swap(other.d); }

    //! True when the id is not empty.
    bool isValid() const;

    //! Page id.
    QString id() const;
    //! Page name.
    //!@{
    QString name() const;
    void setName(const QString &name);
    //!@}
    //! Picture URL.
    //!@{
    QString picture() const;
    void setPicture(const QString &picture);
    //!@}
    //! Page URL.
    //!@{
    QString link() const;
    void setLink(const QString &link);
    //!@}
    //! Category text.
    //!@{
    QString category() const;
    void setCategory(const QString &category);
    //!@}
    //! Web site.
    //!@{
    QString website() const;
    void setWebsite(const QString &website);
    //!@}
    //! User name of the page.
    //!@{
    QString username() const;
    void setUsername(const QString &username);
    //!@}
    //! Founding date, as text.
    //!@{
    QString founded() const;
    void setFounded(const QString &founded);
    //!@}
    //! Overview text.
    //!@{
    QString companyOverview() const;
    void setCompanyOverview(const QString &companyOverview);
    //!@}
    //! Phone number.
    //!@{
    QString phoneNumber() const;
    void setPhoneNumber(const QString &phoneNumber);
    //!@}
    //! Number of likes.
    //!@{
    int likes() const;
    void setLikes(int likes);
    //!@}
    //! Number of check-ins.
    //!@{
    int checkins() const;
    void setCheckins(int checkins);
    //!@}
    //! Address and coordinates.
    //!@{
    CvLocation location() const;
    void setLocation(const CvLocation &location);
    //!@}

private:
    QSharedDataPointer<CvPagePrivate> d;
};

//! Compares id, name, picture, link, category, website, username, founded, companyOverview, likes,
//! checkins, phoneNumber, location.
CV_EXPORT bool operator==(const CvPage &a, const CvPage &b);
//! True when operator==() is false.
CV_EXPORT bool operator!=(const CvPage &a, const CvPage &b);

} // namespace Cv

Q_DECLARE_SHARED(Cv::CvPage)
Q_DECLARE_METATYPE(Cv::CvPage)
Q_DECLARE_METATYPE(Cv::CvPages)

#endif // CVPAGE_H
