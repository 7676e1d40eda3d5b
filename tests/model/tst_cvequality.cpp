#include "qtcorvana.h"

#include <QtTest>

using namespace Cv;

namespace {

const QString text = QStringLiteral("x");
// Has milliseconds, so that the ISO rule can be told apart from the exact one.
const QDateTime when(QDate(2026, 5, 1), QTime(10, 20, 30, 400), Qt::UTC);
const CvUserRef ann(QStringLiteral("1"), QStringLiteral("Ann"));
const CvUserRef bob(QStringLiteral("2"), QStringLiteral("Bob"));
const CvUserRefs people {ann, bob};
const CvLinkInfo aLink(QStringLiteral("https://example.org/"), QString(), QString(), QString());
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

// Both operators are evaluated here; the test compares them with the expectation.
template<typename T>
void addPair(const QByteArray &name, const T &a, const T &b, bool equal)
{
    QTest::newRow(name.constData()) << (a == b) << (a != b) << equal;
}

// A copy of base with one field changed differs from base exactly when that field is compared.
template<typename T, typename Change>
void addChange(const QByteArray &name, const T &base, bool compared, Change change)
{
    T changed = base;
    change(changed);
    addPair(name, base, changed, !compared);
}

// Two copies of base with the time field set to when and to other.
template<typename T, typename Setter>
void addTimes(const char *name, T base, Setter set, const QDateTime &other, bool equal,
              const QDateTime &first = when)
{
    T changed = base;
    (base.*set)(first);
    (changed.*set)(other);
    addPair(name, base, changed, equal);
}

// One row per setter: each sets value on its own copy of base. The row is named after the setter.
template<typename T, typename V, typename... Setters>
void addSetters(const char *type, const char *setterNames, const T &base, const V &value,
                bool compared, Setters... setters)
{
    const QList<QByteArray> names = QByteArray(setterNames).split(',');
    qsizetype i = 0;
    const auto add = [&](auto setter) {
        const QByteArray name = names.at(i++);
        addChange(type + ("::" + name.mid(name.lastIndexOf(':') + 1)), base, compared,
                  [&](T &o) { (o.*setter)(value); });
    };
    (add(setters), ...);
}

} // namespace

#define SETTERS(T, base, value, compared, ...)                                                     \
    addSetters<T>(#T, #__VA_ARGS__, base, value, compared, __VA_ARGS__)
#define MEMBER(T, base, member, value)                                                             \
    addChange<T>(#T "." #member, base, true, [](T &o) { o.member = value; })
#define VENUE(member, value)                                                                       \
    addChange<CvEvent>("CvEvent venue." #member, event, true, [](CvEvent &e) {                     \
        CvEvent::CvVenue venue = e.venue();                                                        \
        venue.member = value;                                                                      \
        e.setVenue(venue);                                                                         \
    })

class tst_CvEquality : public QObject
{
    Q_OBJECT

private slots:
    void equality_data();
    void equality();
    void validity_data();
    void validity();
};

void tst_CvEquality::equality_data()
{
    QTest::addColumn<bool>("equal");
    QTest::addColumn<bool>("notEqual");
    QTest::addColumn<bool>("expected");

    const CvUserRef ref = ann;
    MEMBER(CvUserRef, ref, id, text);
    MEMBER(CvUserRef, ref, name, text);
    const CvAction action;
    MEMBER(CvAction, action, name, text);
    MEMBER(CvAction, action, link, text);
    const CvLinkInfo link;
    MEMBER(CvLinkInfo, link, link, text);
    MEMBER(CvLinkInfo, link, name, text);
    MEMBER(CvLinkInfo, link, caption, text);
    MEMBER(CvLinkInfo, link, description, text);

    const CvLocation location;
    SETTERS(CvLocation, location, text, true, &CvLocation::setStreet, &CvLocation::setCity,
            &CvLocation::setState, &CvLocation::setCountry, &CvLocation::setZip);
    SETTERS(CvLocation, location, 1.0f, true, &CvLocation::setLatitude, &CvLocation::setLongitude);
    const CvImage image;
    SETTERS(CvImage, image, text, true, &CvImage::setSource);
    SETTERS(CvImage, image, 1, true, &CvImage::setHeight, &CvImage::setWidth);
    const CvTag tag(QStringLiteral("t"));
    addPair("CvTag id", tag, CvTag(QStringLiteral("u")), false);
    SETTERS(CvTag, tag, text, true, &CvTag::setName);
    SETTERS(CvTag, tag, 1, true, &CvTag::setX, &CvTag::setY);
    SETTERS(CvTag, tag, when, true, &CvTag::setCreatedTime);
    const CvObject object(QStringLiteral("o"), QString(), QStringLiteral("user"));
    SETTERS(CvObject, object, text, true, &CvObject::setId, &CvObject::setName, &CvObject::setType);
    SETTERS(CvObject, object, (QVariantMap {{text, 1}}), false, &CvObject::setData);

    const CvUser user(QStringLiteral("u"), QStringLiteral("Ann"));
    addPair("CvUser id", user, CvUser(QStringLiteral("v"), QStringLiteral("Ann")), false);
    SETTERS(CvUser, user, text, true, &CvUser::setName, &CvUser::setFirstName, &CvUser::setLastName,
            &CvUser::setLink, &CvUser::setAbout, &CvUser::setBirthday, &CvUser::setEmail,
            &CvUser::setWebsite, &CvUser::setHometown, &CvUser::setLocation, &CvUser::setBio,
            &CvUser::setGender, &CvUser::setInterestedIn, &CvUser::setMeetingFor,
            &CvUser::setRelationshipStatus, &CvUser::setReligion, &CvUser::setPolitical,
            &CvUser::setPicture, &CvUser::setMobilePhone, &CvUser::setLocale);
    SETTERS(CvUser, user, bob, true, &CvUser::setSignificantOther);
    SETTERS(CvUser, user, 2, true, &CvUser::setTimezone);

    const CvPage page(QStringLiteral("p"));
    addPair("CvPage id", page, CvPage(QStringLiteral("q")), false);
    SETTERS(CvPage, page, text, true, &CvPage::setName, &CvPage::setPicture, &CvPage::setLink,
            &CvPage::setCategory, &CvPage::setWebsite, &CvPage::setUsername, &CvPage::setFounded,
            &CvPage::setCompanyOverview, &CvPage::setPhoneNumber);
    SETTERS(CvPage, page, 1, true, &CvPage::setLikes, &CvPage::setCheckins);
    SETTERS(CvPage, page, somewhere(), true, &CvPage::setLocation);

    const CvGroup group(QStringLiteral("g"));
    addPair("CvGroup id", group, CvGroup(QStringLiteral("h")), false);
    SETTERS(CvGroup, group, 1, true, &CvGroup::setVersion);
    SETTERS(CvGroup, group, ann, true, &CvGroup::setOwner);
    SETTERS(CvGroup, group, text, true, &CvGroup::setName, &CvGroup::setDescription,
            &CvGroup::setPrivacy, &CvGroup::setIcon, &CvGroup::setEmail, &CvGroup::setLink,
            &CvGroup::setPicture);
    SETTERS(CvGroup, group, when, true, &CvGroup::setUpdatedTime);

    const CvEvent event(QStringLiteral("e"));
    addPair("CvEvent id", event, CvEvent(QStringLiteral("f")), false);
    SETTERS(CvEvent, event, text, true, &CvEvent::setName, &CvEvent::setPicture,
            &CvEvent::setLocation, &CvEvent::setRsvpStatus, &CvEvent::setDescription,
            &CvEvent::setPrivacy);
    SETTERS(CvEvent, event, when, true, &CvEvent::setStartTime, &CvEvent::setEndTime,
            &CvEvent::setUpdatedTime);
    SETTERS(CvEvent, event, ann, true, &CvEvent::setOwner);
    VENUE(street, text);
    VENUE(city, text);
    VENUE(state, text);
    VENUE(country, text);
    VENUE(latitude, 0.5f);
    VENUE(longitude, 0.5f);

    const CvPlace place(QStringLiteral("pl"));
    addPair("CvPlace id", place, CvPlace(QStringLiteral("pm")), false);
    SETTERS(CvPlace, place, text, true, &CvPlace::setName, &CvPlace::setCategory);
    SETTERS(CvPlace, place, somewhere(), true, &CvPlace::setLocation);

    const CvCheckin checkin(QStringLiteral("c"));
    addPair("CvCheckin id", checkin, CvCheckin(QStringLiteral("d")), false);
    SETTERS(CvCheckin, checkin, ann, true, &CvCheckin::setFrom);
    SETTERS(CvCheckin, checkin, people, true, &CvCheckin::setTags);
    SETTERS(CvCheckin, checkin, cafe(), true, &CvCheckin::setPlace);
    SETTERS(CvCheckin, checkin, text, true, &CvCheckin::setMessage);
    SETTERS(CvCheckin, checkin, ann, false, &CvCheckin::setApplication);
    SETTERS(CvCheckin, checkin, when, true, &CvCheckin::setCreatedTime);

    const CvPost post(QStringLiteral("p"), ann);
    addPair("CvPost id", post, CvPost(QStringLiteral("q"), ann), false);
    SETTERS(CvPost, post, bob, true, &CvPost::setFrom);
    SETTERS(CvPost, post, people, true, &CvPost::setTo, &CvPost::setWithTags);
    SETTERS(CvPost, post, text, true, &CvPost::setMessage, &CvPost::setPicture, &CvPost::setSource,
            &CvPost::setIcon, &CvPost::setAttribution, &CvPost::setType, &CvPost::setSubject,
            &CvPost::setAlbumId, &CvPost::setObjectId, &CvPost::setStory);
    SETTERS(CvPost, post, aLink, true, &CvPost::setLinkInfo);
    SETTERS(CvPost, post, qMakePair(QString(), text), true, &CvPost::setApplication);
    SETTERS(CvPost, post, CvActions {CvAction()}, true, &CvPost::setActions);
    SETTERS(CvPost, post, 1, true, &CvPost::setLikes, &CvPost::setCommentCount);
    SETTERS(CvPost, post, when, true, &CvPost::setCreated, &CvPost::setUpdated);
    SETTERS(CvPost, post, cafe(), true, &CvPost::setPlace);

    const CvMessage message(QStringLiteral("m"), ann);
    addPair("CvMessage id", message, CvMessage(QStringLiteral("n"), ann), false);
    addPair("CvMessage from", message, CvMessage(QStringLiteral("m"), bob), false);
    SETTERS(CvMessage, message, text, true, &CvMessage::setContent, &CvMessage::setSubject);
    SETTERS(CvMessage, message, when, true, &CvMessage::setCreated, &CvMessage::setUpdated);
    SETTERS(CvMessage, message, true, false, &CvMessage::setHasAttachment);
    SETTERS(CvMessage, message, 1, true, &CvMessage::setLikes);
    SETTERS(CvMessage, message, true, true, &CvMessage::setUserLikes);

    const CvThread thread(QStringLiteral("t"), ann);
    addPair("CvThread id", thread, CvThread(QStringLiteral("u"), ann), false);
    addPair("CvThread from", thread, CvThread(QStringLiteral("t"), bob), false);
    SETTERS(CvThread, thread, people, true, &CvThread::setTo, &CvThread::setSenders);
    SETTERS(CvThread, thread, text, true, &CvThread::setSubject, &CvThread::setSnippet);
    SETTERS(CvThread, thread, 1, true, &CvThread::setMessageCount, &CvThread::setUnread);
    SETTERS(CvThread, thread, when, true, &CvThread::setUpdatedTime);

    const CvAttachment attachment(QStringLiteral("a"), QStringLiteral("photo"));
    addPair("CvAttachment id", attachment,
            CvAttachment(QStringLiteral("b"), QStringLiteral("photo")), false);
    addPair("CvAttachment type", attachment,
            CvAttachment(QStringLiteral("a"), QStringLiteral("link")), false);
    SETTERS(CvAttachment, attachment, aLink, true, &CvAttachment::setLinkInfo);
    SETTERS(CvAttachment, attachment, CvPhoto(text), true, &CvAttachment::setPhoto);
    SETTERS(CvAttachment, attachment, CvVideo(text), false, &CvAttachment::setVideo);

    const CvNotification notification(QStringLiteral("n"), ann);
    addPair("CvNotification id", notification, CvNotification(QStringLiteral("o"), ann), false);
    SETTERS(CvNotification, notification, bob, true, &CvNotification::setFrom);
    SETTERS(CvNotification, notification, when, true, &CvNotification::setCreatedTime,
            &CvNotification::setUpdatedTime);
    SETTERS(CvNotification, notification, text, true, &CvNotification::setTitle,
            &CvNotification::setTitleHtml, &CvNotification::setBody, &CvNotification::setBodyHtml,
            &CvNotification::setLink, &CvNotification::setApplicationId,
            &CvNotification::setObjectId, &CvNotification::setObjectType, &CvNotification::setIcon,
            &CvNotification::setAlbumId);
    SETTERS(CvNotification, notification, true, true, &CvNotification::setUnread,
            &CvNotification::setHidden);

    const CvNotifications counters;
    SETTERS(CvNotifications, counters, 1, true, &CvNotifications::setNumberOfUnreadMessages,
            &CvNotifications::setMostRecentMessage, &CvNotifications::setNumberOfUnreadPokes,
            &CvNotifications::setMostRecentPoke, &CvNotifications::setNumberOfUnreadShares,
            &CvNotifications::setMostRecentShare);
    SETTERS(CvNotifications, counters, QStringList {text}, true,
            &CvNotifications::setFriendRequests, &CvNotifications::setGroupInvites,
            &CvNotifications::setEventInvites);

    const CvAlbum album(QStringLiteral("a"));
    addPair("CvAlbum id", album, CvAlbum(QStringLiteral("b")), false);
    SETTERS(CvAlbum, album, ann, true, &CvAlbum::setFrom);
    SETTERS(CvAlbum, album, text, true, &CvAlbum::setName, &CvAlbum::setPicture,
            &CvAlbum::setDescription, &CvAlbum::setLocation, &CvAlbum::setLink,
            &CvAlbum::setPrivacy, &CvAlbum::setType);
    SETTERS(CvAlbum, album, 1, true, &CvAlbum::setCount);
    SETTERS(CvAlbum, album, when, true, &CvAlbum::setCreatedTime, &CvAlbum::setUpdatedTime);

    const CvMedia media(QStringLiteral("m"));
    addPair("CvMedia id", media, CvMedia(QStringLiteral("n")), false);
    SETTERS(CvMedia, media, ann, true, &CvMedia::setFrom);
    SETTERS(CvMedia, media, CvTags {CvTag(QStringLiteral("t"))}, true, &CvMedia::setTags);
    SETTERS(CvMedia, media, text, false, &CvMedia::setPicture);
    SETTERS(CvMedia, media, text, true, &CvMedia::setName, &CvMedia::setIcon, &CvMedia::setSource);
    SETTERS(CvMedia, media, when, true, &CvMedia::setCreatedTime, &CvMedia::setUpdatedTime);

    const CvPhoto photo(QStringLiteral("ph"));
    CvImage withSource;
    withSource.setSource(text);
    addPair("CvPhoto id", photo, CvPhoto(QStringLiteral("pi")), false);
    SETTERS(CvPhoto, photo, text, true, &CvPhoto::setName, &CvPhoto::setLink);
    SETTERS(CvPhoto, photo, text, false, &CvPhoto::setPicture);
    SETTERS(CvPhoto, photo, 1, true, &CvPhoto::setHeight, &CvPhoto::setWidth,
            &CvPhoto::setPosition);
    SETTERS(CvPhoto, photo, QList<CvImage> {withSource}, true, &CvPhoto::setImages);

    const CvVideo video(QStringLiteral("v"));
    addPair("CvVideo id", video, CvVideo(QStringLiteral("w")), false);
    SETTERS(CvVideo, video, text, true, &CvVideo::setSource, &CvVideo::setEmbeddedHtml);
    SETTERS(CvVideo, video, text, false, &CvVideo::setPicture);

    // Dates: ISO fields ignore milliseconds and treat null and invalid alike.
    const QDateTime later = when.addMSecs(1);
    addTimes("CvMessage created +1 ms", CvMessage(QStringLiteral("m"), ann), &CvMessage::setCreated,
             later, true);
    addTimes("CvThread updatedTime +1 ms", CvThread(QStringLiteral("t"), ann),
             &CvThread::setUpdatedTime, later, true);
    addTimes("CvGroup updatedTime -5 ms", CvGroup(QStringLiteral("g")), &CvGroup::setUpdatedTime,
             when.addMSecs(-5), true);
    addTimes("CvPost created null vs invalid", CvPost(QStringLiteral("p"), ann),
             &CvPost::setCreated, QDateTime(QDate(2026, 2, 30), QTime(1, 0)), true, QDateTime());
    addTimes("CvTag createdTime +1 ms", CvTag(QStringLiteral("t")), &CvTag::setCreatedTime, later,
             false);
    addTimes("CvAlbum createdTime +1 ms", CvAlbum(QStringLiteral("a")), &CvAlbum::setCreatedTime,
             later, false);
    addTimes("CvPhoto updatedTime +1 ms", CvPhoto(QStringLiteral("p")), &CvPhoto::setUpdatedTime,
             later, false);

    // Strings: null equals empty.
    CvUser u1(QStringLiteral("u"), QString()), u2(QStringLiteral("u"), QStringLiteral(""));
    u2.setAbout(QStringLiteral(""));
    addPair("CvUser null vs empty texts", u1, u2, true);
    addPair("CvUserRef null vs empty", CvUserRef(),
            CvUserRef(QStringLiteral(""), QStringLiteral("")), true);

    // Lists compare in order.
    CvPost to1(QStringLiteral("p"), ann), to2 = to1;
    to1.setTo({ann, bob});
    to2.setTo({bob, ann});
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
    CvPhoto tall(QStringLiteral("1"));
    CvVideo embedded(QStringLiteral("1"));
    tall.setHeight(10);
    embedded.setEmbeddedHtml(text);
    addPair<CvMedia>("CvPhoto as CvMedia vs CvVideo", tall, embedded, true);
}

void tst_CvEquality::equality()
{
    QFETCH(bool, equal);
    QFETCH(bool, notEqual);
    QFETCH(bool, expected);
    QCOMPARE(equal, expected);
    QCOMPARE(notEqual, !expected);
}

void tst_CvEquality::validity_data()
{
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("expected");

    const QString id = QStringLiteral("1");
    QTest::newRow("CvUser default") << CvUser().isValid() << false;
    QTest::newRow("CvUser id") << CvUser(id, QString()).isValid() << true;
    QTest::newRow("CvPage id") << CvPage(id).isValid() << true;
    QTest::newRow("CvGroup default") << CvGroup().isValid() << false;
    QTest::newRow("CvEvent id") << CvEvent(id).isValid() << true;
    QTest::newRow("CvAlbum default") << CvAlbum().isValid() << false;
    QTest::newRow("CvThread id") << CvThread(id, CvUserRef()).isValid() << true;
    QTest::newRow("CvMessage id") << CvMessage(id, CvUserRef()).isValid() << true;
    QTest::newRow("CvMessage default") << CvMessage().isValid() << false;
    QTest::newRow("CvPost id, author without id")
        << CvPost(id, CvUserRef(QString(), QStringLiteral("Ann"))).isValid() << false;
    QTest::newRow("CvPost id and author") << CvPost(id, ann).isValid() << true;
    QTest::newRow("CvNotification id, author without id")
        << CvNotification(id, CvUserRef()).isValid() << false;
    QTest::newRow("CvNotification id and author") << CvNotification(id, ann).isValid() << true;
    QTest::newRow("CvAttachment without type") << CvAttachment(id, QString()).isValid() << false;
    QTest::newRow("CvAttachment without id")
        << CvAttachment(QString(), QStringLiteral("link")).isValid() << false;
    QTest::newRow("CvAttachment id and type")
        << CvAttachment(id, QStringLiteral("link")).isValid() << true;
    QTest::newRow("CvPlace id, no coordinates") << CvPlace(id).isValid() << false;
    QTest::newRow("CvPlace with coordinates") << cafe().isValid() << true;
    QTest::newRow("CvCheckin place at (0, 0)")
        << CvCheckin(id, ann, CvPlace(QStringLiteral("p"))).isValid() << false;
    QTest::newRow("CvCheckin author without id")
        << CvCheckin(id, CvUserRef(), cafe()).isValid() << false;
    QTest::newRow("CvCheckin complete") << CvCheckin(id, ann, cafe()).isValid() << true;
    QTest::newRow("CvMedia id") << CvMedia(id).isValid() << true;
    QTest::newRow("CvPhoto id without source") << CvPhoto(id).isValid() << false;
    CvPhoto photo(id);
    photo.setSource(QStringLiteral("https://example.org/p.jpg"));
    QTest::newRow("CvPhoto id and source") << photo.isValid() << true;
    QTest::newRow("CvVideo id without source") << CvVideo(id).isValid() << true;
    QTest::newRow("CvObject type only")
        << CvObject(QString(), QString(), QStringLiteral("page")).isValid() << true;
    QTest::newRow("CvObject name only")
        << CvObject(QString(), QStringLiteral("n"), QString()).isValid() << false;
    CvTag tag;
    tag.setName(QStringLiteral("beach"));
    QTest::newRow("CvTag name only") << tag.isValid() << true;
    QTest::newRow("CvTag default") << CvTag().isValid() << false;

    CvLocation location = somewhere();
    QTest::newRow("CvLocation both coordinates") << location.isValid() << true;
    location.setLongitude(0.0f);
    QTest::newRow("CvLocation longitude 0") << location.isValid() << false;
    location = somewhere();
    location.setStreet(QStringLiteral("Main St 1"));
    location.setCity(QStringLiteral("Oulu"));
    location.setLatitude(0.0f);
    QTest::newRow("CvLocation full address, latitude 0") << location.isValid() << false;

    CvImage image;
    image.setSource(QStringLiteral("https://example.org/i.jpg"));
    image.setHeight(10);
    QTest::newRow("CvImage width 0") << image.isValid() << false;
    image.setWidth(10);
    QTest::newRow("CvImage source and size") << image.isValid() << true;
    image.setSource(QString());
    QTest::newRow("CvImage no source") << image.isValid() << false;
}

void tst_CvEquality::validity()
{
    QFETCH(bool, valid);
    QFETCH(bool, expected);
    QCOMPARE(valid, expected);
}

QTEST_GUILESS_MAIN(tst_CvEquality)
#include "tst_cvequality.moc"
