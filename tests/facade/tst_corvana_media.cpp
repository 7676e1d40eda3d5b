// Photos, albums, videos, tags, deletion and search of the facade against the scripted service.

#include "corvana.h"
#include "cvdatafilter.h"
#include "facadefixture.h"

#include <QtTest>

#include <functional>

using namespace Cv;

using Operation = std::function<Corvana::ReturnCode(Corvana &)>;
Q_DECLARE_METATYPE(Operation)

namespace {

QString t(const char *text)
{
    return QString::fromUtf8(text);
}

CvTag tagAt(const char *user, int x, int y)
{
    CvTag tag(t(user));
    tag.setX(x);
    tag.setY(y);
    return tag;
}

// Every operation once, with arguments that the service would accept.
QList<QPair<const char *, Operation>> everyOperation(const QString &file)
{
    const QSet<QString> fields {t("name")};
    return {
        {"retrievePhotos(filter)",
         [](Corvana &c) { return c.retrievePhotos(CvDataFilter(t("me"))); }},
        {"retrievePhotos(id)", [](Corvana &c) { return c.retrievePhotos(t("me")); }},
        {"retrieveAlbums(filter)",
         [](Corvana &c) { return c.retrieveAlbums(CvDataFilter(t("me"))); }},
        {"retrieveAlbums(id)", [](Corvana &c) { return c.retrieveAlbums(t("me")); }},
        {"retrieveVideos(filter)",
         [](Corvana &c) { return c.retrieveVideos(CvDataFilter(t("me"))); }},
        {"retrieveVideos(id)", [](Corvana &c) { return c.retrieveVideos(t("me")); }},
        {"retrieveUploadedVideos(filter)",
         [](Corvana &c) { return c.retrieveUploadedVideos(CvDataFilter(t("me"))); }},
        {"retrieveUploadedVideos(id)",
         [](Corvana &c) { return c.retrieveUploadedVideos(t("me")); }},
        {"retrievePhoto", [](Corvana &c) { return c.retrievePhoto(t("1_2")); }},
        {"retrieveAlbum", [](Corvana &c) { return c.retrieveAlbum(t("a1")); }},
        {"retrieveVideo", [](Corvana &c) { return c.retrieveVideo(t("v1")); }},
        {"uploadPhoto", [file](Corvana &c) { return c.uploadPhoto(t("me"), file, t("hi")); }},
        {"createAlbum(privacy)",
         [](Corvana &c) { return c.createAlbum(t("me"), t("n"), t("m"), t("EVERYONE")); }},
        {"createAlbum", [](Corvana &c) { return c.createAlbum(t("me"), t("n"), t("m")); }},
        {"createPhotoTag", [](Corvana &c) { return c.createPhotoTag(t("p1"), t("u1"), 1, 2); }},
        {"createPhotoTags",
         [](Corvana &c) { return c.createPhotoTags(t("p1"), {tagAt("u1", 1, 2)}); }},
        {"deletePhotoTag", [](Corvana &c) { return c.deletePhotoTag(t("p1"), t("u1")); }},
        {"deleteObject", [](Corvana &c) { return c.deleteObject(t("p1")); }},
        {"retrieveObjects", [](Corvana &c) { return c.retrieveObjects({t("u1")}); }},
        {"searchPeople", [](Corvana &c) { return c.searchPeople(t("s"), t("a")); }},
        {"searchPeople(fields)",
         [fields](Corvana &c) { return c.searchPeople(t("s"), t("a"), fields); }},
        {"searchPage", [](Corvana &c) { return c.searchPage(t("s"), t("a")); }},
        {"searchGroup", [](Corvana &c) { return c.searchGroup(t("s"), t("a")); }},
    };
}

} // namespace

class tst_CorvanaMedia : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void requests_data();
    void requests();
    void photoTagBatch_data();
    void photoTagBatch();
    void refusals_data();
    void refusals();

private:
    QTemporaryDir m_files;
    QString m_picture;
    std::unique_ptr<FacadeFixture> m_fixture;
};

void tst_CorvanaMedia::initTestCase()
{
    QVERIFY(m_files.isValid());
    m_picture = m_files.filePath(t("picture.jpg"));
    QFile file(m_picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11));
}

void tst_CorvanaMedia::init()
{
    m_fixture = std::make_unique<FacadeFixture>();
    QVERIFY(m_fixture->isValid());
}

void tst_CorvanaMedia::cleanup()
{
    m_fixture.reset();
}

void tst_CorvanaMedia::requests_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("parameters"); // key=value, each sent; key alone: not sent
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QVariantList>("arguments"); // the signal's leading arguments

    const QByteArray photos = R"({"data":[{"id":"p1","source":"https://x/p1.jpg"}]})";
    const QByteArray none = R"({"data":[]})";
    const QVariantList me {t("100")};
    QTest::newRow("photos of me") << Operation([](Corvana &c) { return c.retrievePhotos(t("me")); })
                                  << QByteArray("GET") << t("/100/photos") << QStringList()
                                  << photos
                                  << QByteArray(SIGNAL(photosRetrieved(QString, Cv::CvPhotos)))
                                  << me;
    QTest::newRow("albums of me, one page")
        << Operation([](Corvana &c) {
               CvDataFilter filter(t("me"));
               filter.limit = 5;
               return c.retrieveAlbums(filter);
           })
        << QByteArray("GET") << t("/100/albums") << QStringList {t("limit=5")} << none
        << QByteArray(SIGNAL(albumsRetrieved(QString, Cv::CvAlbums))) << me;
    QTest::newRow("videos of another user")
        << Operation([](Corvana &c) { return c.retrieveVideos(t("u7")); }) << QByteArray("GET")
        << t("/u7/videos") << QStringList() << none
        << QByteArray(SIGNAL(videosRetrieved(QString, Cv::CvVideos))) << QVariantList {t("u7")};
    QTest::newRow("uploaded videos")
        << Operation([](Corvana &c) { return c.retrieveUploadedVideos(CvDataFilter(t("me"))); })
        << QByteArray("GET") << t("/100/videos/uploaded") << QStringList() << none
        << QByteArray(SIGNAL(uploadedVideosRetrieved(QString, Cv::CvVideos))) << me;
    QTest::newRow("photo by Graph id")
        << Operation([](Corvana &c) { return c.retrievePhoto(t("123")); }) << QByteArray("GET")
        << t("/123") << QStringList {t("pids")} << QByteArray(R"({"id":"123"})")
        << QByteArray(SIGNAL(photoRetrieved(QString, Cv::CvPhoto))) << QVariantList {t("123")};
    QTest::newRow("photo by legacy id")
        << Operation([](Corvana &c) { return c.retrievePhoto(t("123_456")); }) << QByteArray("GET")
        << t("/method/photos.get") << QStringList {t("pids=123_456"), t("format=json")}
        << QByteArray(R"([{"object_id":"456","src_big":"https://x/456.jpg"}])")
        << QByteArray(SIGNAL(photoRetrieved(QString, Cv::CvPhoto))) << QVariantList {t("123_456")};
    QTest::newRow("album") << Operation([](Corvana &c) { return c.retrieveAlbum(t("a1")); })
                           << QByteArray("GET") << t("/a1") << QStringList()
                           << QByteArray(R"({"id":"a1","name":"Trip"})")
                           << QByteArray(SIGNAL(albumRetrieved(QString, Cv::CvAlbum)))
                           << QVariantList {t("a1")};
    QTest::newRow("video") << Operation([](Corvana &c) { return c.retrieveVideo(t("v1")); })
                           << QByteArray("GET") << t("/v1") << QStringList()
                           << QByteArray(R"({"id":"v1"})")
                           << QByteArray(SIGNAL(videoRetrieved(QString, Cv::CvVideo)))
                           << QVariantList {t("v1")};
    const QString file = m_picture;
    QTest::newRow("upload to me") << Operation([file](Corvana &c) {
        return c.uploadPhoto(t("me"), file, t("hi"));
    }) << QByteArray("POST") << t("/100/photos")
                                  << QStringList {t("message=hi"), t("source=@") + file}
                                  << QByteArray(R"({"id":"p9"})")
                                  << QByteArray(SIGNAL(photoUploaded(QString, QString)))
                                  << QVariantList {t("100"), t("p9")};
    QTest::newRow("album with privacy")
        << Operation([](Corvana &c) {
               return c.createAlbum(t("me"), t("Trip"), t("sea"), t("EVERYONE"));
           })
        << QByteArray("POST") << t("/100/albums")
        << QStringList {t("name=Trip"), t("message=sea"), t(R"(privacy={"value":"EVERYONE"})")}
        << QByteArray(R"({"id":"a7"})") << QByteArray(SIGNAL(albumCreated(QString)))
        << QVariantList {t("a7")};
    QTest::newRow("album without privacy")
        << Operation([](Corvana &c) { return c.createAlbum(t("me"), t("Trip"), t("sea")); })
        << QByteArray("POST") << t("/100/albums")
        << QStringList {t("name=Trip"), t("message=sea"), t("privacy")}
        << QByteArray(R"({"id":"a8"})") << QByteArray(SIGNAL(albumCreated(QString)))
        << QVariantList {t("a8")};
    QTest::newRow("tag me") << Operation([](Corvana &c) {
        return c.createPhotoTag(t("p1"), t("me"), 10, 20.5);
    }) << QByteArray("POST") << t("/p1/tags")
                            << QStringList {t("to=100"), t("x=10"), t("y=20.5")}
                            << QByteArray("true")
                            << QByteArray(SIGNAL(photoTagCreated(QString, QString, bool)))
                            << QVariantList {t("p1"), t("100"), true};
    QTest::newRow("untag") << Operation(
        [](Corvana &c) { return c.deletePhotoTag(t("p1"), t("u2")); })
                           << QByteArray("POST") << t("/p1/tags/u2")
                           << QStringList {t("method=delete")} << QByteArray("false")
                           << QByteArray(SIGNAL(photoTagDeleted(QString, QString, bool)))
                           << QVariantList {t("p1"), t("u2"), false};
    QTest::newRow("delete") << Operation([](Corvana &c) { return c.deleteObject(t("p1")); })
                            << QByteArray("POST") << t("/p1") << QStringList {t("method=delete")}
                            << QByteArray("true") << QByteArray(SIGNAL(objectDeleted(QString)))
                            << QVariantList {t("p1")};
    const QSet<QString> ids {t("u1")};
    QTest::newRow("objects with their types")
        << Operation([ids](Corvana &c) { return c.retrieveObjects(ids); }) << QByteArray("GET")
        << t("/") << QStringList {t("ids=u1"), t("metadata=1")}
        << QByteArray(R"({"u1":{"id":"u1","name":"U","type":"user"}})")
        << QByteArray(SIGNAL(objectsRetrieved(QSet<QString>, Cv::CvObjects)))
        << QVariantList {QVariant::fromValue(ids)};
    QTest::newRow("people") << Operation([](Corvana &c) {
        return c.searchPeople(t("s1"), t("ann"));
    }) << QByteArray("GET") << t("/search")
                            << QStringList {t("q=ann"), t("type=user"), t("fields")} << none
                            << QByteArray(SIGNAL(peopleSearchReady(QString, Cv::CvUserRefs)))
                            << QVariantList {t("s1")};
    const QSet<QString> fields {t("gender")};
    QTest::newRow("people with fields")
        << Operation([fields](Corvana &c) { return c.searchPeople(t("s2"), t("ann"), fields); })
        << QByteArray("GET") << t("/search")
        << QStringList {t("q=ann"), t("type=user"), t("fields=gender")} << none
        << QByteArray(SIGNAL(peopleSearchReady(QString, QSet<QString>, Cv::CvUsers)))
        << QVariantList {t("s2"), QVariant::fromValue(fields)};
    QTest::newRow("pages") << Operation([](Corvana &c) { return c.searchPage(t("s3"), t("cafe")); })
                           << QByteArray("GET") << t("/search")
                           << QStringList {t("q=cafe"), t("type=page")} << none
                           << QByteArray(SIGNAL(pageSearchReady(QString, Cv::CvPages)))
                           << QVariantList {t("s3")};
    QTest::newRow("groups") << Operation([](Corvana &c) {
        return c.searchGroup(t("s4"), t("club"));
    }) << QByteArray("GET") << t("/search")
                            << QStringList {t("q=club"), t("type=group")} << none
                            << QByteArray(SIGNAL(groupSearchReady(QString, Cv::CvGroups)))
                            << QVariantList {t("s4")};
}

// One request as described, and its reply as exactly one signal with the expected ids.
void tst_CorvanaMedia::requests()
{
    QFETCH(Operation, operation);
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QStringList, parameters);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, signal);
    QFETCH(QVariantList, arguments);

    const std::unique_ptr<Corvana> corvana = m_fixture->signIn();
    QVERIFY(corvana);
    m_fixture->setPath(path, reply);
    QSignalSpy errors(corvana.get(), &Corvana::error);
    QSignalSpy result(corvana.get(), signal.constData());
    QVERIFY(result.isValid());
    const int before = m_fixture->service().requestCount();

    QCOMPARE(operation(*corvana), Corvana::Success);
    QVERIFY(result.wait(20000));
    QTest::qWait(20); // a second request or signal would show up here
    const QList<TestService::Request> sent = m_fixture->requestsSince(before);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().method, method);
    QCOMPARE(sent.first().path, path);
    for (const QString &parameter : std::as_const(parameters)) {
        const QString key = parameter.section(QLatin1Char('='), 0, 0);
        if (parameter.contains(QLatin1Char('=')))
            QCOMPARE(sent.first().queryValue(key), parameter.section(QLatin1Char('='), 1));
        else
            QVERIFY2(!sent.first().queryKeys().contains(key), qPrintable(key));
    }
    QCOMPARE(errors.size(), 0);
    QCOMPARE(result.size(), 1);
    QCOMPARE(result.first().mid(0, arguments.size()), arguments);
}

void tst_CorvanaMedia::photoTagBatch_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QStringList>("tagged");
    QTest::addColumn<int>("errors");
    QTest::newRow("both made") << QList<int> {200, 200} << QStringList {t("u1"), t("u2")} << 0;
    QTest::newRow("second refused") << QList<int> {200, 400} << QStringList {t("u1")} << 1;
    QTest::newRow("first refused") << QList<int> {400, 200} << QStringList {t("u2")} << 1;
}

void tst_CorvanaMedia::photoTagBatch()
{
    QFETCH(QList<int>, codes);
    QFETCH(QStringList, tagged);
    QFETCH(int, errors);

    const QByteArray refusal = R"({"error":{"message":"(#100) Bad tag","type":"OAuthException"}})";
    m_fixture->setBatchResponder([&](const QVariantList &) {
        QList<FacadeFixture::SubReply> replies;
        for (int code : std::as_const(codes))
            replies.append({code, code == 200 ? QByteArray("true") : refusal});
        return replies;
    });
    const std::unique_ptr<Corvana> corvana = m_fixture->signIn();
    QVERIFY(corvana);
    QSignalSpy created(corvana.get(), &Corvana::photoTagCreated);
    QSignalSpy failed(corvana.get(), &Corvana::error);
    const int before = m_fixture->service().requestCount();

    QCOMPARE(corvana->createPhotoTags(t("p1"), {tagAt("u1", 10, 20), tagAt("u2", 30, 40)}),
             Corvana::Success);
    QTRY_COMPARE_WITH_TIMEOUT(created.size() + failed.size(), 2, 20000);
    const QList<TestService::Request> sent = m_fixture->requestsSince(before);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first().method, QByteArray("POST"));
    QCOMPARE(sent.first().queryValue(t("batch")),
             t(R"([{"method": "POST", "relative_url": "p1/tags", "body": "to=u1&x=10&y= 20"},)"
               R"({"method": "POST", "relative_url": "p1/tags", "body": "to=u2&x=30&y= 40"}])"));

    QCOMPARE(created.size(), tagged.size());
    for (int i = 0; i < tagged.size(); ++i)
        QCOMPARE(created.at(i), QVariantList({t("p1"), tagged.at(i), true}));
    QCOMPARE(failed.size(), errors);
    if (errors) {
        const CvError error = failed.first().first().value<CvError>();
        QCOMPARE(error.errorType(), CvError::GeneralError);
        QCOMPARE(error.objectId(), t("p1"));
        QCOMPARE(error.corvanaErrorHeaders(), QString::fromUtf8(refusal));
    }
}

void tst_CorvanaMedia::refusals_data()
{
    QTest::addColumn<int>("state"); // 0 not initialized, 1 offline, 2 signed in
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<Corvana::ReturnCode>("expected");

    // Not being signed in, then having no token, is decided before any argument check.
    for (const auto &op : everyOperation(m_picture)) {
        QTest::addRow("not initialized: %s", op.first) << 0 << op.second << Corvana::NotInitialized;
        QTest::addRow("offline: %s", op.first) << 1 << op.second << Corvana::NetworkUnavailable;
    }
    const auto row = [](const char *name, Operation op, Corvana::ReturnCode code) {
        QTest::newRow(name) << 2 << op << code;
    };
    using C = Corvana;
    const QSet<QString> noFields;
    row(
        "upload without id", [](C &c) { return c.uploadPhoto(QString(), t("f"), t("m")); },
        C::InvalidArgument);
    row(
        "upload without file name", [](C &c) { return c.uploadPhoto(t("me"), QString(), t("m")); },
        C::InvalidArgument);
    row(
        "upload of a missing file",
        [](C &c) { return c.uploadPhoto(t("me"), t("/nonexistent/x.jpg"), t("m")); },
        C::RequestFailed);
    row(
        "tags without photo",
        [](C &c) { return c.createPhotoTags(QString(), {tagAt("u1", 1, 2)}); }, C::InvalidArgument);
    row(
        "no tags", [](C &c) { return c.createPhotoTags(t("p1"), {}); }, C::InvalidArgument);
    row(
        "tag id with a comma",
        [](C &c) { return c.createPhotoTags(t("p1"), {tagAt("u1,u2", 1, 2)}); },
        C::InvalidArgument);
    row(
        "tag id with a space",
        [](C &c) {
            return c.createPhotoTags(t("p1"), {tagAt("u1", 1, 2), tagAt("u 2", 1, 2)});
        },
        C::InvalidArgument);
    row(
        "photo id with a space",
        [](C &c) { return c.createPhotoTags(t("p 1"), {tagAt("u1", 1, 2)}); }, C::InvalidArgument);
    row(
        "tag without user", [](C &c) { return c.createPhotoTag(t("p1"), QString(), 1, 2); },
        C::InvalidArgument);
    row(
        "untag without photo", [](C &c) { return c.deletePhotoTag(QString(), t("u1")); },
        C::InvalidArgument);
    row(
        "no objects", [](C &c) { return c.retrieveObjects({}); }, C::InvalidArgument);
    row(
        "people without query", [](C &c) { return c.searchPeople(t("s"), QString()); },
        C::InvalidArgument);
    row(
        "people with an empty field set",
        [noFields](C &c) { return c.searchPeople(t("s"), t("ann"), noFields); },
        C::InvalidArgument);
    row(
        "pages without query", [](C &c) { return c.searchPage(t("s"), QString()); },
        C::InvalidArgument);
    row(
        "groups without query", [](C &c) { return c.searchGroup(t("s"), QString()); },
        C::InvalidArgument);
    row(
        "photos without id", [](C &c) { return c.retrievePhotos(QString()); }, C::RequestFailed);
    row(
        "photo without id", [](C &c) { return c.retrievePhoto(QString()); }, C::RequestFailed);
    row(
        "album without name", [](C &c) { return c.createAlbum(t("me"), QString(), t("m")); },
        C::RequestFailed);
    row(
        "delete without id", [](C &c) { return c.deleteObject(QString()); }, C::RequestFailed);
}

// A refused operation answers at once and sends nothing.
void tst_CorvanaMedia::refusals()
{
    QFETCH(int, state);
    QFETCH(Operation, operation);
    QFETCH(Corvana::ReturnCode, expected);

    std::unique_ptr<Corvana> corvana;
    if (state == 0) {
        CorvanaConfiguration configuration(t("token-1234"), CorvanaConfiguration::AccessToken);
        configuration.setCache(&m_fixture->cache());
        corvana = std::make_unique<Corvana>(configuration);
    } else {
        corvana = state == 1 ? m_fixture->signInOffline() : m_fixture->signIn();
    }
    QVERIFY(corvana);
    const int before = m_fixture->service().requestCount();
    QCOMPARE(operation(*corvana), expected);
    QTest::qWait(20);
    QCOMPARE(m_fixture->service().requestCount(), before);
}

QTEST_GUILESS_MAIN(tst_CorvanaMedia)
#include "tst_corvana_media.moc"
