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
    QTest::addColumn<QString>("signal"); // named alone unless overloaded
    QTest::addColumn<QVariantList>("arguments"); // the signal's leading arguments

    const QByteArray photos = R"({"data":[{"id":"p1","source":"https://x/p1.jpg"}]})";
    const QByteArray none = R"({"data":[]})";
    const QVariantList me {t("100")};
    QTest::newRow("photos of me") << Operation([](Corvana &c) { return c.retrievePhotos(t("me")); })
                                  << QByteArray("GET") << t("/100/photos") << QStringList()
                                  << photos << QStringLiteral("photosRetrieved") << me;
    QTest::newRow("albums of me, one page") << Operation([](Corvana &c) {
        CvDataFilter filter(t("me"));
        filter.limit = 5;
        return c.retrieveAlbums(filter);
    }) << QByteArray("GET") << t("/100/albums")
                                            << QStringList {t("limit=5")} << none
                                            << QStringLiteral("albumsRetrieved") << me;
    QTest::newRow("videos of another user")
        << Operation([](Corvana &c) { return c.retrieveVideos(t("u7")); }) << QByteArray("GET")
        << t("/u7/videos") << QStringList() << none << QStringLiteral("videosRetrieved")
        << QVariantList {t("u7")};
    QTest::newRow("uploaded videos")
        << Operation([](Corvana &c) { return c.retrieveUploadedVideos(CvDataFilter(t("me"))); })
        << QByteArray("GET") << t("/100/videos/uploaded") << QStringList() << none
        << QStringLiteral("uploadedVideosRetrieved") << me;
    QTest::newRow("photo by Graph id")
        << Operation([](Corvana &c) { return c.retrievePhoto(t("123")); }) << QByteArray("GET")
        << t("/123") << QStringList {t("pids")} << QByteArray(R"({"id":"123"})")
        << QStringLiteral("photoRetrieved") << QVariantList {t("123")};
    QTest::newRow("photo by legacy id")
        << Operation([](Corvana &c) { return c.retrievePhoto(t("123_456")); }) << QByteArray("GET")
        << t("/method/photos.get") << QStringList {t("pids=123_456"), t("format=json")}
        << QByteArray(R"([{"object_id":"456","src_big":"https://x/456.jpg"}])")
        << QStringLiteral("photoRetrieved") << QVariantList {t("123_456")};
    QTest::newRow("album") << Operation([](Corvana &c) { return c.retrieveAlbum(t("a1")); })
                           << QByteArray("GET") << t("/a1") << QStringList()
                           << QByteArray(R"({"id":"a1","name":"Trip"})")
                           << QStringLiteral("albumRetrieved") << QVariantList {t("a1")};
    QTest::newRow("video") << Operation([](Corvana &c) { return c.retrieveVideo(t("v1")); })
                           << QByteArray("GET") << t("/v1") << QStringList()
                           << QByteArray(R"({"id":"v1"})") << QStringLiteral("videoRetrieved")
                           << QVariantList {t("v1")};
    const QString file = m_picture;
    QTest::newRow("upload to me") << Operation([file](Corvana &c) {
        return c.uploadPhoto(t("me"), file, t("hi"));
    }) << QByteArray("POST") << t("/100/photos")
                                  << QStringList {t("message=hi"), t("source=@") + file}
                                  << QByteArray(R"({"id":"p9"})") << QStringLiteral("photoUploaded")
                                  << QVariantList {t("100"), t("p9")};
    QTest::newRow("album with privacy")
        << Operation([](Corvana &c) {
               return c.createAlbum(t("me"), t("Trip"), t("sea"), t("EVERYONE"));
           })
        << QByteArray("POST") << t("/100/albums")
        << QStringList {t("name=Trip"), t("message=sea"), t(R"(privacy={"value":"EVERYONE"})")}
        << QByteArray(R"({"id":"a7"})") << QStringLiteral("albumCreated") << QVariantList {t("a7")};
    QTest::newRow("album without privacy")
        << Operation([](Corvana &c) { return c.createAlbum(t("me"), t("Trip"), t("sea")); })
        << QByteArray("POST") << t("/100/albums")
        << QStringList {t("name=Trip"), t("message=sea"), t("privacy")}
        << QByteArray(R"({"id":"a8"})") << QStringLiteral("albumCreated") << QVariantList {t("a8")};
    QTest::newRow("tag me") << Operation([](Corvana &c) {
        return c.createPhotoTag(t("p1"), t("me"), 10, 20.5);
    }) << QByteArray("POST") << t("/p1/tags")
                            << QStringList {t("to=100"), t("x=10"), t("y=20.5")}
                            << QByteArray("true") << QStringLiteral("photoTagCreated")
                            << QVariantList {t("p1"), t("100"), true};
    QTest::newRow("untag") << Operation([](Corvana &c) {
        return c.deletePhotoTag(t("p1"), t("u2"));
    }) << QByteArray("POST")
                           << t("/p1/tags/u2") << QStringList {t("method=delete")}
                           << QByteArray("false") << QStringLiteral("photoTagDeleted")
                           << QVariantList {t("p1"), t("u2"), false};
    QTest::newRow("delete") << Operation([](Corvana &c) { return c.deleteObject(t("p1")); })
                            << QByteArray("POST") << t("/p1") << QStringList {t("method=delete")}
                            << QByteArray("true") << QStringLiteral("objectDeleted")
                            << QVariantList {t("p1")};
    const QSet<QString> ids {t("u1")};
    QTest::newRow("objects with their types")
        << Operation([ids](Corvana &c) { return c.retrieveObjects(ids); }) << QByteArray("GET")
        << t("/") << QStringList {t("ids=u1"), t("metadata=1")}
        << QByteArray(R"({"u1":{"id":"u1","name":"U","type":"user"}})")
        << QStringLiteral("objectsRetrieved") << QVariantList {QVariant::fromValue(ids)};
    QTest::newRow("people") << Operation([](Corvana &c) {
        return c.searchPeople(t("s1"), t("ann"));
    }) << QByteArray("GET") << t("/search")
                            << QStringList {t("q=ann"), t("type=user"), t("fields")} << none
                            << QStringLiteral("peopleSearchReady(QString,Cv::CvUserRefs)")
                            << QVariantList {t("s1")};
    const QSet<QString> fields {t("gender")};
    QTest::newRow("people with fields")
        << Operation([fields](Corvana &c) { return c.searchPeople(t("s2"), t("ann"), fields); })
        << QByteArray("GET") << t("/search")
        << QStringList {t("q=ann"), t("type=user"), t("fields=gender")} << none
        << QStringLiteral("peopleSearchReady(QString,QSet<QString>,Cv::CvUsers)")
        << QVariantList {t("s2"), QVariant::fromValue(fields)};
    QTest::newRow("pages") << Operation([](Corvana &c) { return c.searchPage(t("s3"), t("cafe")); })
                           << QByteArray("GET") << t("/search")
                           << QStringList {t("q=cafe"), t("type=page")} << none
                           << QStringLiteral("pageSearchReady") << QVariantList {t("s3")};
    QTest::newRow("groups") << Operation([](Corvana &c) {
        return c.searchGroup(t("s4"), t("club"));
    }) << QByteArray("GET") << t("/search")
                            << QStringList {t("q=club"), t("type=group")} << none
                            << QStringLiteral("groupSearchReady") << QVariantList {t("s4")};
}

// One request as described, and its reply as exactly one signal with the expected ids, and no
// other signal.
void tst_CorvanaMedia::requests()
{
    QFETCH(Operation, operation);
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QStringList, parameters);
    QFETCH(QByteArray, reply);
    QFETCH(QString, signal);
    QFETCH(QVariantList, arguments);

    const std::unique_ptr<Corvana> corvana = m_fixture->signIn();
    QVERIFY(corvana);
    m_fixture->setPath(path, reply);
    SignalRecorder recorder(corvana.get());
    const int before = m_fixture->service().requestCount();

    QCOMPARE(operation(*corvana), Corvana::Success);
    QTRY_VERIFY_WITH_TIMEOUT(recorder.count() > 0, 20000);
    QTest::qWait(50); // a second request or signal would show up here
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
    QCOMPARE(recorder.emitted({signal}), QStringList {signal});
    QCOMPARE(recorder.firstArguments().mid(0, arguments.size()), arguments);
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

QTEST_GUILESS_MAIN(tst_CorvanaMedia)
#include "tst_corvana_media.moc"
