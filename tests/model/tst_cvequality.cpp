#include "cvaction.h"
#include "cvalbum.h"
#include "cvattachment.h"
#include "cvcheckin.h"
#include "cvevent.h"
#include "cvgroup.h"
#include "cvimage.h"
#include "cvlinkinfo.h"
#include "cvlocation.h"
#include "cvmessage.h"
#include "cvnotification.h"
#include "cvnotifications.h"
#include "cvobject.h"
#include "cvpage.h"
#include "cvphoto.h"
#include "cvpost.h"
#include "cvtag.h"
#include "cvthread.h"
#include "cvuser.h"
#include "cvvideo.h"

#include <QtTest>

#include <functional>

using namespace Cv;

namespace {

struct Comparison
{
    std::function<bool()> equal;
    std::function<bool()> notEqual;
};

using Check = std::function<bool()>;

QString text()
{
    return QStringLiteral("x");
}
// Has milliseconds, so that the ISO rule can be told apart from the exact one.
QDateTime when()
{
    return QDateTime(QDate(2026, 5, 1), QTime(10, 20, 30, 400), Qt::UTC);
}
CvUserRef ann()
{
    return CvUserRef(QStringLiteral("1"), QStringLiteral("Ann"));
}
CvUserRef bob()
{
    return CvUserRef(QStringLiteral("2"), QStringLiteral("Bob"));
}
CvUserRefs people()
{
    return {ann(), bob()};
}
CvLocation somewhere()
{
    CvLocation location;
    location.setLatitude(65.0f);
    location.setLongitude(25.5f);
    return location;
}
CvPlace cafe()
{
    CvPlace place(QStringLiteral("pl"));
    place.setLocation(somewhere());
    return place;
}
CvLinkInfo aLink()
{
    return CvLinkInfo(QStringLiteral("https://example.org/"), QString(), QString(), QString());
}
CvImage anImage()
{
    CvImage image;
    image.setSource(QStringLiteral("https://example.org/i.jpg"));
    return image;
}
CvTag aTag()
{
    return CvTag(QStringLiteral("t"));
}

template<typename T>
void addPair(const QByteArray &name, const T &a, const T &b, bool equal)
{
    QTest::newRow(name.constData())
        << Comparison {[a, b] { return a == b; }, [a, b] { return a != b; }} << equal;
}

// A copy of base with one field changed differs from base exactly when that field is compared.
template<typename T, typename Change>
void addChange(const char *name, const T &base, bool compared, Change change)
{
    T changed = base;
    change(changed);
    addPair(name, base, changed, !compared);
}

void addValidity(const char *name, Check isValid, bool valid)
{
    QTest::newRow(name) << isValid << valid;
}

} // namespace

Q_DECLARE_METATYPE(Comparison)

#define SET(T, base, setter, value, compared)                                                      \
    addChange<T>(#T "::" #setter, base, compared, [](T &o) { o.setter(value); })
#define MEMBER(T, base, member, value, compared)                                                   \
    addChange<T>(#T "." #member, base, compared, [](T &o) { o.member = value; })
#define VENUE(member, value)                                                                       \
    addChange<CvEvent>("CvEvent venue." #member, event, true, [](CvEvent &e) {                     \
        CvEvent::CvVenue venue = e.venue();                                                        \
        venue.member = value;                                                                      \
        e.setVenue(venue);                                                                         \
    })

class TestCvEquality : public QObject
{
    Q_OBJECT

private slots:
    void fields_data()
    {
        QTest::addColumn<Comparison>("comparison");
        QTest::addColumn<bool>("equal");

        const CvUserRef ref = ann();
        MEMBER(CvUserRef, ref, id, text(), true);
        MEMBER(CvUserRef, ref, name, text(), true);
        const CvAction action;
        MEMBER(CvAction, action, name, text(), true);
        MEMBER(CvAction, action, link, text(), true);
        const CvLinkInfo link;
        MEMBER(CvLinkInfo, link, link, text(), true);
        MEMBER(CvLinkInfo, link, name, text(), true);
        MEMBER(CvLinkInfo, link, caption, text(), true);
        MEMBER(CvLinkInfo, link, description, text(), true);

        const CvLocation location;
        SET(CvLocation, location, setStreet, text(), true);
        SET(CvLocation, location, setCity, text(), true);
        SET(CvLocation, location, setState, text(), true);
        SET(CvLocation, location, setCountry, text(), true);
        SET(CvLocation, location, setZip, text(), true);
        SET(CvLocation, location, setLatitude, 1.0f, true);
        SET(CvLocation, location, setLongitude, 1.0f, true);
        const CvImage image;
        SET(CvImage, image, setSource, text(), true);
        SET(CvImage, image, setHeight, 1, true);
        SET(CvImage, image, setWidth, 1, true);
        const CvTag tag(QStringLiteral("t"));
        addPair("CvTag id", tag, CvTag(QStringLiteral("u")), false);
        SET(CvTag, tag, setName, text(), true);
        SET(CvTag, tag, setX, 1, true);
        SET(CvTag, tag, setY, 1, true);
        SET(CvTag, tag, setCreatedTime, when(), true);
        const CvObject object(QStringLiteral("o"), QString(), QStringLiteral("user"));
        SET(CvObject, object, setId, text(), true);
        SET(CvObject, object, setName, text(), true);
        SET(CvObject, object, setType, text(), true);
        SET(CvObject, object, setData, (QVariantMap {{text(), 1}}), false);

        const CvUser user(QStringLiteral("u"), QStringLiteral("Ann"));
        addPair("CvUser id", user, CvUser(QStringLiteral("v"), QStringLiteral("Ann")), false);
        SET(CvUser, user, setName, text(), true);
        SET(CvUser, user, setFirstName, text(), true);
        SET(CvUser, user, setLastName, text(), true);
        SET(CvUser, user, setLink, text(), true);
        SET(CvUser, user, setAbout, text(), true);
        SET(CvUser, user, setBirthday, text(), true);
        SET(CvUser, user, setEmail, text(), true);
        SET(CvUser, user, setWebsite, text(), true);
        SET(CvUser, user, setHometown, text(), true);
        SET(CvUser, user, setLocation, text(), true);
        SET(CvUser, user, setBio, text(), true);
        SET(CvUser, user, setGender, text(), true);
        SET(CvUser, user, setInterestedIn, text(), true);
        SET(CvUser, user, setMeetingFor, text(), true);
        SET(CvUser, user, setRelationshipStatus, text(), true);
        SET(CvUser, user, setReligion, text(), true);
        SET(CvUser, user, setPolitical, text(), true);
        SET(CvUser, user, setSignificantOther, bob(), true);
        SET(CvUser, user, setTimezone, 2, true);
        SET(CvUser, user, setPicture, text(), true);
        SET(CvUser, user, setMobilePhone, text(), true);
        SET(CvUser, user, setLocale, text(), true);

        const CvPage page(QStringLiteral("p"));
        addPair("CvPage id", page, CvPage(QStringLiteral("q")), false);
        SET(CvPage, page, setName, text(), true);
        SET(CvPage, page, setPicture, text(), true);
        SET(CvPage, page, setLink, text(), true);
        SET(CvPage, page, setCategory, text(), true);
        SET(CvPage, page, setWebsite, text(), true);
        SET(CvPage, page, setUsername, text(), true);
        SET(CvPage, page, setFounded, text(), true);
        SET(CvPage, page, setCompanyOverview, text(), true);
        SET(CvPage, page, setPhoneNumber, text(), true);
        SET(CvPage, page, setLikes, 1, true);
        SET(CvPage, page, setCheckins, 1, true);
        SET(CvPage, page, setLocation, somewhere(), true);

        const CvGroup group(QStringLiteral("g"));
        addPair("CvGroup id", group, CvGroup(QStringLiteral("h")), false);
        SET(CvGroup, group, setVersion, 1, true);
        SET(CvGroup, group, setOwner, ann(), true);
        SET(CvGroup, group, setName, text(), true);
        SET(CvGroup, group, setDescription, text(), true);
        SET(CvGroup, group, setPrivacy, text(), true);
        SET(CvGroup, group, setIcon, text(), true);
        SET(CvGroup, group, setUpdatedTime, when(), true);
        SET(CvGroup, group, setEmail, text(), true);
        SET(CvGroup, group, setLink, text(), true);
        SET(CvGroup, group, setPicture, text(), true);

        const CvEvent event(QStringLiteral("e"));
        addPair("CvEvent id", event, CvEvent(QStringLiteral("f")), false);
        SET(CvEvent, event, setName, text(), true);
        SET(CvEvent, event, setPicture, text(), true);
        SET(CvEvent, event, setStartTime, when(), true);
        SET(CvEvent, event, setEndTime, when(), true);
        SET(CvEvent, event, setLocation, text(), true);
        SET(CvEvent, event, setRsvpStatus, text(), true);
        SET(CvEvent, event, setOwner, ann(), true);
        SET(CvEvent, event, setDescription, text(), true);
        SET(CvEvent, event, setPrivacy, text(), true);
        SET(CvEvent, event, setUpdatedTime, when(), true);
        VENUE(street, text());
        VENUE(city, text());
        VENUE(state, text());
        VENUE(country, text());
        VENUE(latitude, 0.5f);
        VENUE(longitude, 0.5f);

        const CvPlace place(QStringLiteral("pl"));
        addPair("CvPlace id", place, CvPlace(QStringLiteral("pm")), false);
        SET(CvPlace, place, setName, text(), true);
        SET(CvPlace, place, setCategory, text(), true);
        SET(CvPlace, place, setLocation, somewhere(), true);

        const CvCheckin checkin(QStringLiteral("c"));
        addPair("CvCheckin id", checkin, CvCheckin(QStringLiteral("d")), false);
        SET(CvCheckin, checkin, setFrom, ann(), true);
        SET(CvCheckin, checkin, setTags, people(), true);
        SET(CvCheckin, checkin, setPlace, cafe(), true);
        SET(CvCheckin, checkin, setMessage, text(), true);
        SET(CvCheckin, checkin, setApplication, ann(), false);
        SET(CvCheckin, checkin, setCreatedTime, when(), true);

        const CvPost post(QStringLiteral("p"), ann());
        addPair("CvPost id", post, CvPost(QStringLiteral("q"), ann()), false);
        SET(CvPost, post, setFrom, bob(), true);
        SET(CvPost, post, setTo, people(), true);
        SET(CvPost, post, setWithTags, people(), true);
        SET(CvPost, post, setMessage, text(), true);
        SET(CvPost, post, setPicture, text(), true);
        SET(CvPost, post, setLinkInfo, aLink(), true);
        SET(CvPost, post, setSource, text(), true);
        SET(CvPost, post, setIcon, text(), true);
        SET(CvPost, post, setAttribution, text(), true);
        SET(CvPost, post, setApplication, qMakePair(QString(), text()), true);
        SET(CvPost, post, setActions, CvActions {CvAction()}, true);
        SET(CvPost, post, setLikes, 1, true);
        SET(CvPost, post, setCreated, when(), true);
        SET(CvPost, post, setUpdated, when(), true);
        SET(CvPost, post, setCommentCount, 1, true);
        SET(CvPost, post, setType, text(), true);
        SET(CvPost, post, setSubject, text(), true);
        SET(CvPost, post, setAlbumId, text(), true);
        SET(CvPost, post, setObjectId, text(), true);
        SET(CvPost, post, setPlace, cafe(), true);
        SET(CvPost, post, setStory, text(), true);

        const CvMessage message(QStringLiteral("m"), ann());
        addPair("CvMessage id", message, CvMessage(QStringLiteral("n"), ann()), false);
        addPair("CvMessage from", message, CvMessage(QStringLiteral("m"), bob()), false);
        SET(CvMessage, message, setContent, text(), true);
        SET(CvMessage, message, setCreated, when(), true);
        SET(CvMessage, message, setUpdated, when(), true);
        SET(CvMessage, message, setSubject, text(), true);
        SET(CvMessage, message, setHasAttachment, true, false);
        SET(CvMessage, message, setLikes, 1, true);
        SET(CvMessage, message, setUserLikes, true, true);

        const CvThread thread(QStringLiteral("t"), ann());
        addPair("CvThread id", thread, CvThread(QStringLiteral("u"), ann()), false);
        addPair("CvThread from", thread, CvThread(QStringLiteral("t"), bob()), false);
        SET(CvThread, thread, setTo, people(), true);
        SET(CvThread, thread, setSenders, people(), true);
        SET(CvThread, thread, setSubject, text(), true);
        SET(CvThread, thread, setSnippet, text(), true);
        SET(CvThread, thread, setMessageCount, 1, true);
        SET(CvThread, thread, setUnread, 1, true);
        SET(CvThread, thread, setUpdatedTime, when(), true);

        const CvAttachment attachment(QStringLiteral("a"), QStringLiteral("photo"));
        addPair("CvAttachment id", attachment,
                CvAttachment(QStringLiteral("b"), QStringLiteral("photo")), false);
        addPair("CvAttachment type", attachment,
                CvAttachment(QStringLiteral("a"), QStringLiteral("link")), false);
        SET(CvAttachment, attachment, setLinkInfo, aLink(), true);
        SET(CvAttachment, attachment, setPhoto, CvPhoto(text()), true);
        SET(CvAttachment, attachment, setVideo, CvVideo(text()), false);

        const CvNotification notification(QStringLiteral("n"), ann());
        addPair("CvNotification id", notification, CvNotification(QStringLiteral("o"), ann()),
                false);
        SET(CvNotification, notification, setFrom, bob(), true);
        SET(CvNotification, notification, setCreatedTime, when(), true);
        SET(CvNotification, notification, setUpdatedTime, when(), true);
        SET(CvNotification, notification, setTitle, text(), true);
        SET(CvNotification, notification, setTitleHtml, text(), true);
        SET(CvNotification, notification, setBody, text(), true);
        SET(CvNotification, notification, setBodyHtml, text(), true);
        SET(CvNotification, notification, setLink, text(), true);
        SET(CvNotification, notification, setApplicationId, text(), true);
        SET(CvNotification, notification, setUnread, true, true);
        SET(CvNotification, notification, setHidden, true, true);
        SET(CvNotification, notification, setObjectId, text(), true);
        SET(CvNotification, notification, setObjectType, text(), true);
        SET(CvNotification, notification, setIcon, text(), true);
        SET(CvNotification, notification, setAlbumId, text(), true);

        const CvNotifications counters;
        SET(CvNotifications, counters, setNumberOfUnreadMessages, 1, true);
        SET(CvNotifications, counters, setMostRecentMessage, 1, true);
        SET(CvNotifications, counters, setNumberOfUnreadPokes, 1, true);
        SET(CvNotifications, counters, setMostRecentPoke, 1, true);
        SET(CvNotifications, counters, setNumberOfUnreadShares, 1, true);
        SET(CvNotifications, counters, setMostRecentShare, 1, true);
        SET(CvNotifications, counters, setFriendRequests, QStringList {text()}, true);
        SET(CvNotifications, counters, setGroupInvites, QStringList {text()}, true);
        SET(CvNotifications, counters, setEventInvites, QStringList {text()}, true);

        const CvAlbum album(QStringLiteral("a"));
        addPair("CvAlbum id", album, CvAlbum(QStringLiteral("b")), false);
        SET(CvAlbum, album, setFrom, ann(), true);
        SET(CvAlbum, album, setName, text(), true);
        SET(CvAlbum, album, setPicture, text(), true);
        SET(CvAlbum, album, setDescription, text(), true);
        SET(CvAlbum, album, setLocation, text(), true);
        SET(CvAlbum, album, setLink, text(), true);
        SET(CvAlbum, album, setPrivacy, text(), true);
        SET(CvAlbum, album, setCount, 1, true);
        SET(CvAlbum, album, setCreatedTime, when(), true);
        SET(CvAlbum, album, setUpdatedTime, when(), true);
        SET(CvAlbum, album, setType, text(), true);

        const CvMedia media(QStringLiteral("m"));
        addPair("CvMedia id", media, CvMedia(QStringLiteral("n")), false);
        SET(CvMedia, media, setFrom, ann(), true);
        SET(CvMedia, media, setTags, CvTags {aTag()}, true);
        SET(CvMedia, media, setPicture, text(), false);
        SET(CvMedia, media, setName, text(), true);
        SET(CvMedia, media, setIcon, text(), true);
        SET(CvMedia, media, setSource, text(), true);
        SET(CvMedia, media, setCreatedTime, when(), true);
        SET(CvMedia, media, setUpdatedTime, when(), true);

        const CvPhoto photo(QStringLiteral("ph"));
        addPair("CvPhoto id", photo, CvPhoto(QStringLiteral("pi")), false);
        SET(CvPhoto, photo, setName, text(), true);
        SET(CvPhoto, photo, setPicture, text(), false);
        SET(CvPhoto, photo, setHeight, 1, true);
        SET(CvPhoto, photo, setWidth, 1, true);
        SET(CvPhoto, photo, setLink, text(), true);
        SET(CvPhoto, photo, setImages, QList<CvImage> {anImage()}, true);
        SET(CvPhoto, photo, setPosition, 1, true);

        const CvVideo video(QStringLiteral("v"));
        addPair("CvVideo id", video, CvVideo(QStringLiteral("w")), false);
        SET(CvVideo, video, setSource, text(), true);
        SET(CvVideo, video, setPicture, text(), false);
        SET(CvVideo, video, setEmbeddedHtml, text(), true);
    }

    void fields()
    {
        QFETCH(Comparison, comparison);
        QFETCH(bool, equal);
        QCOMPARE(comparison.equal(), equal);
        QCOMPARE(comparison.notEqual(), !equal);
    }

    void rules_data()
    {
        QTest::addColumn<Comparison>("comparison");
        QTest::addColumn<bool>("equal");

        // Dates: ISO fields ignore milliseconds and treat null and invalid alike.
        const QDateTime later = when().addMSecs(1);
        CvMessage m1(QStringLiteral("m"), ann()), m2 = m1;
        m1.setCreated(when());
        m2.setCreated(later);
        addPair("CvMessage created +1 ms", m1, m2, true);
        CvThread t1(QStringLiteral("t"), ann()), t2 = t1;
        t1.setUpdatedTime(when());
        t2.setUpdatedTime(later);
        addPair("CvThread updatedTime +1 ms", t1, t2, true);
        CvGroup g1(QStringLiteral("g")), g2 = g1;
        g1.setUpdatedTime(when());
        g2.setUpdatedTime(when().addMSecs(-5));
        addPair("CvGroup updatedTime -5 ms", g1, g2, true);
        CvPost p1(QStringLiteral("p"), ann()), p2 = p1;
        p2.setCreated(QDateTime(QDate(2026, 2, 30), QTime(1, 0)));
        addPair("CvPost created null vs invalid", p1, p2, true);
        CvTag tag1(QStringLiteral("t")), tag2 = tag1;
        tag1.setCreatedTime(when());
        tag2.setCreatedTime(later);
        addPair("CvTag createdTime +1 ms", tag1, tag2, false);
        CvAlbum a1(QStringLiteral("a")), a2 = a1;
        a1.setCreatedTime(when());
        a2.setCreatedTime(later);
        addPair("CvAlbum createdTime +1 ms", a1, a2, false);
        CvPhoto ph1(QStringLiteral("p")), ph2 = ph1;
        ph1.setUpdatedTime(when());
        ph2.setUpdatedTime(later);
        addPair("CvPhoto updatedTime +1 ms", ph1, ph2, false);

        // Strings: null equals empty.
        CvUser u1(QStringLiteral("u"), QString()), u2(QStringLiteral("u"), QStringLiteral(""));
        u2.setAbout(QStringLiteral(""));
        addPair("CvUser null vs empty texts", u1, u2, true);
        addPair("CvUserRef null vs empty", CvUserRef(),
                CvUserRef(QStringLiteral(""), QStringLiteral("")), true);

        // Lists compare in order.
        CvPost to1(QStringLiteral("p"), ann()), to2 = to1;
        to1.setTo({ann(), bob()});
        to2.setTo({bob(), ann()});
        addPair("CvPost to reordered", to1, to2, false);
        CvNotifications n1, n2;
        n1.setEventInvites({QStringLiteral("1"), QStringLiteral("2")});
        n2.setEventInvites({QStringLiteral("1")});
        addPair("CvNotifications shorter list", n1, n2, false);

        // Floats compare exactly.
        CvLocation l1 = somewhere(), l2 = somewhere();
        l2.setLatitude(std::nextafter(l1.latitude(), 100.0f));
        addPair("CvLocation latitude next float", l1, l2, false);

        // A photo and a video compare by their media parts when seen as CvMedia.
        CvPhoto photo(QStringLiteral("1"));
        CvVideo video(QStringLiteral("1"));
        photo.setHeight(10);
        video.setEmbeddedHtml(text());
        addPair<CvMedia>("CvPhoto as CvMedia vs CvVideo", photo, video, true);
    }

    void rules() { fields(); }

    void validity_data()
    {
        QTest::addColumn<Check>("isValid");
        QTest::addColumn<bool>("valid");

        const QString id = QStringLiteral("1");
        addValidity(
            "CvUser default", [] { return CvUser().isValid(); }, false);
        addValidity(
            "CvUser id", [id] { return CvUser(id, QString()).isValid(); }, true);
        addValidity(
            "CvPage id", [id] { return CvPage(id).isValid(); }, true);
        addValidity(
            "CvGroup default", [] { return CvGroup().isValid(); }, false);
        addValidity(
            "CvEvent id", [id] { return CvEvent(id).isValid(); }, true);
        addValidity(
            "CvAlbum default", [] { return CvAlbum().isValid(); }, false);
        addValidity(
            "CvThread id", [id] { return CvThread(id, CvUserRef()).isValid(); }, true);
        addValidity(
            "CvMessage id", [id] { return CvMessage(id, CvUserRef()).isValid(); }, true);
        addValidity(
            "CvMessage default", [] { return CvMessage().isValid(); }, false);
        addValidity(
            "CvPost id, author without id",
            [id] { return CvPost(id, CvUserRef(QString(), QStringLiteral("Ann"))).isValid(); },
            false);
        addValidity(
            "CvPost id and author", [id] { return CvPost(id, ann()).isValid(); }, true);
        addValidity(
            "CvNotification id, author without id",
            [id] { return CvNotification(id, CvUserRef()).isValid(); }, false);
        addValidity(
            "CvNotification id and author", [id] { return CvNotification(id, ann()).isValid(); },
            true);
        addValidity(
            "CvAttachment without type", [id] { return CvAttachment(id, QString()).isValid(); },
            false);
        addValidity(
            "CvAttachment without id",
            [] { return CvAttachment(QString(), QStringLiteral("link")).isValid(); }, false);
        addValidity(
            "CvAttachment id and type",
            [id] { return CvAttachment(id, QStringLiteral("link")).isValid(); }, true);
        addValidity(
            "CvPlace id, no coordinates", [id] { return CvPlace(id).isValid(); }, false);
        addValidity(
            "CvPlace with coordinates", [] { return cafe().isValid(); }, true);
        addValidity(
            "CvCheckin place at (0, 0)",
            [id] { return CvCheckin(id, ann(), CvPlace(QStringLiteral("p"))).isValid(); }, false);
        addValidity(
            "CvCheckin author without id",
            [id] { return CvCheckin(id, CvUserRef(), cafe()).isValid(); }, false);
        addValidity(
            "CvCheckin complete", [id] { return CvCheckin(id, ann(), cafe()).isValid(); }, true);
        addValidity(
            "CvMedia id", [id] { return CvMedia(id).isValid(); }, true);
        addValidity(
            "CvPhoto id without source", [id] { return CvPhoto(id).isValid(); }, false);
        addValidity(
            "CvPhoto id and source",
            [id] {
                CvPhoto photo(id);
                photo.setSource(QStringLiteral("https://example.org/p.jpg"));
                return photo.isValid();
            },
            true);
        addValidity(
            "CvVideo id without source", [id] { return CvVideo(id).isValid(); }, true);
        addValidity(
            "CvObject type only",
            [] { return CvObject(QString(), QString(), QStringLiteral("page")).isValid(); }, true);
        addValidity(
            "CvObject name only",
            [] { return CvObject(QString(), QStringLiteral("n"), QString()).isValid(); }, false);
        addValidity(
            "CvTag name only",
            [] {
                CvTag tag;
                tag.setName(QStringLiteral("beach"));
                return tag.isValid();
            },
            true);
        addValidity(
            "CvTag default", [] { return CvTag().isValid(); }, false);
        addValidity(
            "CvLocation both coordinates", [] { return somewhere().isValid(); }, true);
        addValidity(
            "CvLocation full address, latitude 0",
            [] {
                CvLocation location = somewhere();
                location.setStreet(QStringLiteral("Main St 1"));
                location.setCity(QStringLiteral("Oulu"));
                location.setLatitude(0.0f);
                return location.isValid();
            },
            false);
        addValidity(
            "CvLocation longitude 0",
            [] {
                CvLocation location = somewhere();
                location.setLongitude(0.0f);
                return location.isValid();
            },
            false);
        addValidity(
            "CvImage source and size",
            [] {
                CvImage image = anImage();
                image.setWidth(10);
                image.setHeight(10);
                return image.isValid();
            },
            true);
        addValidity(
            "CvImage width 0",
            [] {
                CvImage image = anImage();
                image.setHeight(10);
                return image.isValid();
            },
            false);
        addValidity(
            "CvImage no source",
            [] {
                CvImage image;
                image.setWidth(10);
                image.setHeight(10);
                return image.isValid();
            },
            false);
    }

    void validity()
    {
        QFETCH(Check, isValid);
        QFETCH(bool, valid);
        QCOMPARE(isValid(), valid);
    }
};

QTEST_GUILESS_MAIN(TestCvEquality)
#include "tst_cvequality.moc"
