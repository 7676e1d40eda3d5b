#include "qtcorvana.h"

#include <QtTest>

using namespace Cv;

namespace {

const CvUserRef ann(QStringLiteral("1"), QStringLiteral("Ann"));
const CvUserRef bob(QStringLiteral("2"), QStringLiteral("Bob"));

// Copies of a shared object hand out the same field until one of them is written to; the
// write must leave the other copy as it was.
template<typename T, typename V, typename Field>
void checkShared(const T &original, Field field, void (T::*setter)(const V &), const V &value)
{
    const auto before = field(original);
    T copy = original;
    QVERIFY(&field(copy) == &field(original));
    (copy.*setter)(value);
    QVERIFY(&field(copy) != &field(original));
    QCOMPARE(field(copy), value);
    QCOMPARE(field(original), before);
}

// A copy, made by construction or by assignment, and changed afterwards differs from the
// original.
template<typename T, typename Change>
void checkIndependent(const T &original, Change change)
{
    T copy = original;
    T assigned;
    assigned = original;
    change(copy);
    change(assigned);
    QVERIFY(!(copy == original));
    QVERIFY(!(assigned == original));
}

// Self-assignment through a reference keeps every value.
template<typename T>
void checkSelfAssignment(T object)
{
    const T expected = object;
    const T &alias = object;
    object = alias;
    QCOMPARE(object, expected);
}

// Move assignment, then move construction, each keeps the value.
template<typename T>
void checkMove(T object)
{
    const T expected = object;
    T target;
    target = std::move(object);
    QCOMPARE(target, expected);
    const T constructed(std::move(target));
    QCOMPARE(constructed, expected);
}

// Containers move the shared values only when moving cannot throw.
template<typename... T>
constexpr bool nothrowMovable = (std::is_nothrow_move_constructible_v<T> && ...);
static_assert(
    nothrowMovable<CvAlbum, CvAttachment, CvCheckin, CvEvent, CvGroup, CvMedia, CvNotification,
                   CvObject, CvPage, CvPhoto, CvPlace, CvPost, CvTag, CvThread, CvUser, CvVideo>);

} // namespace

class tst_CvValueSemantics : public QObject
{
    Q_OBJECT

private slots:
    void sharedCopiesDetachOnWrite();
    void valueCopiesAreIndependent();
    void photoHasTwoSharedParts();
    void ownedCopiesAreDeep();
    void selfAssignmentAndMove();
    void virtualDispatchThroughMedia();
    void userReference();
    void objectConversions();
    void metaTypeNames();
};

void tst_CvValueSemantics::sharedCopiesDetachOnWrite()
{
    const auto owner = [](const auto &o) -> const CvUserRef & { return o.owner(); };
    const auto from = [](const auto &o) -> const CvUserRef & { return o.from(); };

    CvUser user(QStringLiteral("1"), QStringLiteral("Ann"));
    user.setSignificantOther(ann);
    checkShared(
        user, [](const CvUser &u) -> const CvUserRef & { return u.significantOther(); },
        &CvUser::setSignificantOther, bob);
    checkShared(CvGroup(QStringLiteral("g"), ann), owner, &CvGroup::setOwner, bob);
    checkShared(CvEvent(QStringLiteral("e"), ann), owner, &CvEvent::setOwner, bob);
    checkShared(CvPost(QStringLiteral("p"), ann), from, &CvPost::setFrom, bob);
    checkShared(CvNotification(QStringLiteral("n"), ann), from, &CvNotification::setFrom, bob);
    checkShared(CvAlbum(QStringLiteral("a")), from, &CvAlbum::setFrom, bob);
    checkShared(
        CvAttachment(QStringLiteral("t"), QStringLiteral("photo")),
        [](const CvAttachment &a) -> const CvPhoto & { return a.photo(); }, &CvAttachment::setPhoto,
        CvPhoto(QStringLiteral("ph")));
}

void tst_CvValueSemantics::valueCopiesAreIndependent()
{
    // Classes without a field handed out by reference: only the values can be observed.
    CvLocation oulu;
    oulu.setCity(QStringLiteral("Oulu"));
    checkIndependent(CvTag(QStringLiteral("1")), [](CvTag &t) { t.setX(20); });
    checkIndependent(CvObject(QStringLiteral("1"), QStringLiteral("n"), QStringLiteral("user")),
                     [](CvObject &o) { o.setId(QStringLiteral("2")); });
    checkIndependent(CvThread(QStringLiteral("t"), ann), [](CvThread &t) { t.setUnread(3); });
    checkIndependent(CvCheckin(QStringLiteral("c")), [](CvCheckin &c) { c.setTags({ann}); });
    checkIndependent(CvPage(QStringLiteral("pg")), [&](CvPage &p) { p.setLocation(oulu); });
    checkIndependent(CvPlace(QStringLiteral("pl")),
                     [](CvPlace &p) { p.setName(QStringLiteral("Cafe")); });
    // A video has a part of its own besides the media part, like a photo.
    checkIndependent(CvVideo(QStringLiteral("v")),
                     [](CvVideo &v) { v.setEmbeddedHtml(QStringLiteral("<embed/>")); });
    checkIndependent(CvVideo(QStringLiteral("v")),
                     [](CvVideo &v) { v.setSource(QStringLiteral("https://example.org/v")); });
}

void tst_CvValueSemantics::photoHasTwoSharedParts()
{
    CvPhoto photo(QStringLiteral("1"));
    photo.setFrom(ann);
    photo.setLink(QStringLiteral("https://example.org/1"));

    CvPhoto copy = photo;
    copy.setHeight(480);
    // Only the photo's own part detached; the media part is still shared.
    QVERIFY(&copy.from() == &photo.from());
    QCOMPARE(photo.height(), 0);
    QCOMPARE(copy.link(), photo.link());

    copy.setName(QStringLiteral("Beach"));
    QVERIFY(&copy.from() != &photo.from());
    QVERIFY(photo.name().isNull());
}

void tst_CvValueSemantics::ownedCopiesAreDeep()
{
    const CvMessage message(QStringLiteral("m"), ann);
    CvMessage copy = message;
    QVERIFY(&copy.from() != &message.from());
    QCOMPARE(copy.from(), ann);
    copy.setContent(QStringLiteral("changed"));
    QVERIFY(message.content().isNull());

    CvMessage assigned;
    assigned = message;
    QCOMPARE(assigned.id(), QStringLiteral("m"));
    QVERIFY(&assigned.from() != &message.from());
}

void tst_CvValueSemantics::selfAssignmentAndMove()
{
    CvImage image;
    image.setSource(QStringLiteral("https://example.org/i.jpg"));
    image.setWidth(64);
    image.setHeight(48);
    checkSelfAssignment(image);
    CvLocation location;
    location.setLatitude(65.0f);
    location.setStreet(QStringLiteral("Main St 1"));
    checkSelfAssignment(location);
    CvMessage message(QStringLiteral("m"), ann);
    message.setLikes(2);
    checkSelfAssignment(message);
    CvNotifications counters;
    counters.setFriendRequests({QStringLiteral("9")});
    counters.setMostRecentPoke(5);
    checkSelfAssignment(counters);

    checkMove(CvUser(QStringLiteral("1"), QStringLiteral("Ann")));
    checkMove(message);
    CvPhoto photo(QStringLiteral("p"));
    photo.setWidth(3);
    checkMove(photo);
}

void tst_CvValueSemantics::virtualDispatchThroughMedia()
{
    // A photo needs a source to be valid, a video does not, also when seen as CvMedia.
    CvPhoto photo(QStringLiteral("1"));
    const CvVideo video(QStringLiteral("1"));
    const CvMedia &photoAsMedia = photo;
    QVERIFY(!photoAsMedia.isValid());
    QVERIFY(static_cast<const CvMedia &>(video).isValid());
    photo.setSource(QStringLiteral("https://example.org/1.jpg"));
    QVERIFY(photoAsMedia.isValid());
    QVERIFY(photoAsMedia != video);
}

void tst_CvValueSemantics::userReference()
{
    CvUser user(QStringLiteral("1"), QStringLiteral("Ann"));
    QVERIFY(user.isRef());
    user.setTimezone(-3);
    QVERIFY(!user.isRef());
    user.setTimezone(0);
    user.setSignificantOther(bob);
    QVERIFY(!user.isRef());
    user.setSignificantOther(CvUserRef(QString(), QStringLiteral("Bob")));
    QVERIFY(user.isRef());
    user.setLocale(QStringLiteral("fi_FI"));
    QVERIFY(!user.isRef());

    // Any one profile text makes the user more than a reference.
    using TextSetter = void (CvUser::*)(const QString &);
    const TextSetter texts[] = {
        &CvUser::setFirstName,  &CvUser::setLastName,
        &CvUser::setLink,       &CvUser::setAbout,
        &CvUser::setBirthday,   &CvUser::setEmail,
        &CvUser::setWebsite,    &CvUser::setHometown,
        &CvUser::setLocation,   &CvUser::setBio,
        &CvUser::setGender,     &CvUser::setInterestedIn,
        &CvUser::setMeetingFor, &CvUser::setRelationshipStatus,
        &CvUser::setReligion,   &CvUser::setPolitical,
        &CvUser::setPicture,    &CvUser::setMobilePhone,
    };
    for (TextSetter setText : texts) {
        CvUser withText(QStringLiteral("1"), QStringLiteral("Ann"));
        (withText.*setText)(QStringLiteral("x"));
        QVERIFY(!withText.isRef());
    }

    QVERIFY(!CvUser(QStringLiteral("1"), QString()).isRef());
    QVERIFY(!CvUser(QString(), QStringLiteral("Ann")).isRef());

    QVERIFY(CvUser::convert(CvUsers()).isEmpty());
    const CvUsers users {CvUser(QStringLiteral("1"), QStringLiteral("Ann")),
                         CvUser(QStringLiteral("2"), QStringLiteral("Bob"))};
    QCOMPARE(CvUser::convert(users), (CvUserRefs {ann, bob}));
}

void tst_CvValueSemantics::objectConversions()
{
    // The type tag does not choose the conversion: each one reads the same stored data.
    CvObject object(QStringLiteral("5"), QStringLiteral("Ann"), QStringLiteral("page"));
    object.setData(
        {{QStringLiteral("id"), QStringLiteral("5")},
         {QStringLiteral("name"), QStringLiteral("Ann")},
         {QStringLiteral("message"), QStringLiteral("hi")},
         {QStringLiteral("from"), QVariantMap {{QStringLiteral("id"), QStringLiteral("1")}}}});
    QCOMPARE(object.toUser().name(), QStringLiteral("Ann"));
    QCOMPARE(object.toPage().id(), QStringLiteral("5"));
    QCOMPARE(object.toComment().content(), QStringLiteral("hi"));
    QCOMPARE(object.toPost().from().id, QStringLiteral("1"));
    QCOMPARE(object.toAlbum().name(), QStringLiteral("Ann"));
    QVERIFY(!object.toPlace().isValid());
    QVERIFY(!CvObject().toUser().isValid());
}

// String-based connections look list types up by their typedef name.
void tst_CvValueSemantics::metaTypeNames()
{
    const int usersId = qMetaTypeId<CvUsers>();
    QCOMPARE(QMetaType::fromName("Cv::CvUsers").id(), usersId);
}

QTEST_GUILESS_MAIN(tst_CvValueSemantics)
#include "tst_cvvaluesemantics.moc"
