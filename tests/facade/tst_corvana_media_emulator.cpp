// Photos, albums, tags and search end to end against the emulator over HTTPS.

#include "corvana.h"
#include "emulatorprocess.h"
#include "itemids.h"

#include <QImage>
#include <QtTest>

using namespace Cv;

namespace {

// The one emission of a spy that has caught exactly one, as the value of its argument.
template<typename T>
T only(QSignalSpy &spy, int argument)
{
    if (spy.size() != 1)
        return T();
    return spy.first().at(argument).value<T>();
}

} // namespace

class tst_CorvanaMediaEmulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void albumsAndTheirPhotos();
    void uploadTagAndDelete();
    void searchesAndObjects();

private:
    // Waits for one emission of the spy; false on time-out or an error signal.
    bool arrived(QSignalSpy &spy);
    CvPhoto photo(const QString &id);

    FacadeEmulator m_service;
    std::unique_ptr<CvCache> m_cache;
    std::unique_ptr<Corvana> m_corvana;
    std::unique_ptr<QSignalSpy> m_errors;
};

void tst_CorvanaMediaEmulator::initTestCase()
{
    QVERIFY(m_service.start({QStringLiteral("--seed"), QStringLiteral("5")}));
    m_cache = m_service.cache(QStringLiteral("cache"));
    m_corvana = m_service.signIn(m_cache.get());
    QVERIFY(m_corvana);
    m_errors = std::make_unique<QSignalSpy>(m_corvana.get(), &Corvana::error);
}

void tst_CorvanaMediaEmulator::cleanupTestCase()
{
    m_errors.reset();
    m_corvana.reset();
    m_cache.reset();
}

bool tst_CorvanaMediaEmulator::arrived(QSignalSpy &spy)
{
    const int before = int(spy.size());
    if (!spy.wait(20000) && spy.size() == before)
        return false;
    return m_errors->isEmpty();
}

CvPhoto tst_CorvanaMediaEmulator::photo(const QString &id)
{
    QSignalSpy retrieved(m_corvana.get(), &Corvana::photoRetrieved);
    if (m_corvana->retrievePhoto(id) != Corvana::Success || !arrived(retrieved))
        return CvPhoto();
    return only<CvPhoto>(retrieved, 1);
}

void tst_CorvanaMediaEmulator::albumsAndTheirPhotos()
{
    const QString me = m_corvana->currentProfileId();
    QSignalSpy albums(m_corvana.get(), &Corvana::albumsRetrieved);
    QCOMPARE(m_corvana->retrieveAlbums(QStringLiteral("me")), Corvana::Success);
    QVERIFY(arrived(albums));
    // The reply names the signed-in user by id, not as "me".
    QCOMPARE(only<QString>(albums, 0), me);
    const CvAlbums list = only<CvAlbums>(albums, 1);
    QCOMPARE(list.size(), 3);

    const CvAlbum first = list.first();
    QSignalSpy album(m_corvana.get(), &Corvana::albumRetrieved);
    QCOMPARE(m_corvana->retrieveAlbum(first.id()), Corvana::Success);
    QVERIFY(arrived(album));
    QCOMPARE(only<CvAlbum>(album, 1).name(), first.name());

    QSignalSpy photos(m_corvana.get(), &Corvana::photosRetrieved);
    QCOMPARE(m_corvana->retrievePhotos(first.id()), Corvana::Success);
    QVERIFY(arrived(photos));
    QCOMPARE(only<QString>(photos, 0), first.id());
    const CvPhotos inAlbum = only<CvPhotos>(photos, 1);
    QCOMPARE(inAlbum.size(), first.count());

    // The same photo through the legacy form of its id ("<owner>_<photo>").
    const CvPhoto legacy = photo(me + QLatin1Char('_') + inAlbum.first().id());
    QCOMPARE(legacy.id(), inAlbum.first().id());
    QCOMPARE(legacy.source(), inAlbum.first().source());

    QSignalSpy videos(m_corvana.get(), &Corvana::videosRetrieved);
    QSignalSpy uploaded(m_corvana.get(), &Corvana::uploadedVideosRetrieved);
    QCOMPARE(m_corvana->retrieveVideos(QStringLiteral("me")), Corvana::Success);
    QCOMPARE(m_corvana->retrieveUploadedVideos(CvDataFilter(QStringLiteral("me"))),
             Corvana::Success);
    QVERIFY(arrived(videos));
    QVERIFY(uploaded.size() == 1 || arrived(uploaded));
    const CvVideos all = only<CvVideos>(videos, 1);
    const CvVideos mine = only<CvVideos>(uploaded, 1);
    QCOMPARE(all.size(), 2);
    QCOMPARE(mine.size(), 1);
    QSignalSpy video(m_corvana.get(), &Corvana::videoRetrieved);
    QCOMPARE(m_corvana->retrieveVideo(mine.first().id()), Corvana::Success);
    QVERIFY(arrived(video));
    QCOMPARE(only<CvVideo>(video, 1).source(), mine.first().source());
}

void tst_CorvanaMediaEmulator::uploadTagAndDelete()
{
    QSignalSpy created(m_corvana.get(), &Corvana::albumCreated);
    QCOMPARE(m_corvana->createAlbum(QStringLiteral("me"), QStringLiteral("Trip"),
                                    QStringLiteral("by the sea"), QStringLiteral("EVERYONE")),
             Corvana::Success);
    QVERIFY(arrived(created));
    const QString album = only<QString>(created, 0);
    QVERIFY(!album.isEmpty());

    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(0x33, 0x99, 0xcc));
    const QString file = m_service.path(QStringLiteral("holiday picture.png"));
    QVERIFY(image.save(file, "PNG"));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();

    QSignalSpy uploaded(m_corvana.get(), &Corvana::photoUploaded);
    QCOMPARE(m_corvana->uploadPhoto(album, file, QStringLiteral("sunset")), Corvana::Success);
    QVERIFY(arrived(uploaded));
    QCOMPARE(only<QString>(uploaded, 0), album);
    const QString id = only<QString>(uploaded, 1);

    QSignalSpy photos(m_corvana.get(), &Corvana::photosRetrieved);
    QCOMPARE(m_corvana->retrievePhotos(album), Corvana::Success);
    QVERIFY(arrived(photos));
    QCOMPARE(idsOf(only<CvPhotos>(photos, 1)), QStringList {id});
    // The service hands back the very picture that was sent.
    const CvPhoto stored = photo(id);
    QCOMPARE(stored.name(), QStringLiteral("sunset"));
    const Answer served = m_service.emulator().send(QUrl(stored.source()));
    QCOMPARE(served.body, bytes);
    QCOMPARE(served.header("Content-Type"), QByteArray("image/png"));
    QCOMPARE(QImage::fromData(served.body).size(), image.size());

    const QStringList friends
        = {QStringLiteral("100002"), QStringLiteral("100003"), QStringLiteral("100004")};
    QSignalSpy tagged(m_corvana.get(), &Corvana::photoTagCreated);
    QCOMPARE(m_corvana->createPhotoTag(id, friends.at(0), 10, 20), Corvana::Success);
    QVERIFY(arrived(tagged));
    CvTag second(friends.at(1));
    second.setX(30);
    second.setY(40);
    CvTag third(friends.at(2));
    third.setX(50);
    third.setY(60);
    QCOMPARE(m_corvana->createPhotoTags(id, {second, third}), Corvana::Success);
    QTRY_COMPARE_WITH_TIMEOUT(tagged.size(), 3, 20000);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(tagged.at(i), QVariantList({id, friends.at(i), true}));
    const CvTags tags = photo(id).tags();
    QCOMPARE(idsOf(photo(id).tags()), friends);
    QCOMPARE(tags.at(1).x(), 30);
    QCOMPARE(tags.at(2).y(), 60);

    QSignalSpy untagged(m_corvana.get(), &Corvana::photoTagDeleted);
    QCOMPARE(m_corvana->deletePhotoTag(id, friends.at(1)), Corvana::Success);
    QVERIFY(arrived(untagged));
    QCOMPARE(untagged.first(), QVariantList({id, friends.at(1), true}));
    QCOMPARE(idsOf(photo(id).tags()), QStringList({friends.at(0), friends.at(2)}));

    QSignalSpy deleted(m_corvana.get(), &Corvana::objectDeleted);
    QCOMPARE(m_corvana->deleteObject(id), Corvana::Success);
    QVERIFY(arrived(deleted));
    QCOMPARE(only<QString>(deleted, 0), id);
    QCOMPARE(m_corvana->retrievePhotos(album), Corvana::Success);
    QVERIFY(arrived(photos));
    QVERIFY(photos.last().at(1).value<CvPhotos>().isEmpty());
    QCOMPARE(m_service.emulator().send(QUrl(stored.source())).status, 404);
}

void tst_CorvanaMediaEmulator::searchesAndObjects()
{
    QSignalSpy refs(m_corvana.get(),
                    qOverload<const QString &, const CvUserRefs &>(&Corvana::peopleSearchReady));
    QSignalSpy users(m_corvana.get(),
                     qOverload<const QString &, const QSet<QString> &, const CvUsers &>(
                         &Corvana::peopleSearchReady));
    QCOMPARE(m_corvana->searchPeople(QStringLiteral("s1"), QStringLiteral("a")), Corvana::Success);
    const QSet<QString> fields = {QStringLiteral("name"), QStringLiteral("gender")};
    QCOMPARE(m_corvana->searchPeople(QStringLiteral("s2"), QStringLiteral("a"), fields),
             Corvana::Success);
    QVERIFY(arrived(refs));
    QVERIFY(users.size() == 1 || arrived(users));
    QCOMPARE(only<QString>(refs, 0), QStringLiteral("s1"));
    const CvUserRefs found = only<CvUserRefs>(refs, 1);
    QVERIFY(!found.isEmpty());
    for (const CvUserRef &ref : found)
        QVERIFY2(ref.name.contains(QLatin1Char('a'), Qt::CaseInsensitive), qPrintable(ref.name));
    QCOMPARE(only<QString>(users, 0), QStringLiteral("s2"));
    QCOMPARE(only<QSet<QString>>(users, 1), fields);
    const CvUsers full = only<CvUsers>(users, 2);
    QCOMPARE(full.size(), found.size());
    QVERIFY(!full.first().gender().isEmpty());

    QSignalSpy pages(m_corvana.get(), &Corvana::pageSearchReady);
    QSignalSpy groups(m_corvana.get(), &Corvana::groupSearchReady);
    QCOMPARE(m_corvana->searchPage(QStringLiteral("p"), QStringLiteral("page")), Corvana::Success);
    QCOMPARE(m_corvana->searchGroup(QStringLiteral("g"), QStringLiteral("club")), Corvana::Success);
    QVERIFY(arrived(pages));
    QVERIFY(groups.size() == 1 || arrived(groups));
    QVERIFY(!only<CvPages>(pages, 1).isEmpty());
    QVERIFY(!only<CvGroups>(groups, 1).isEmpty());

    const QSet<QString> ids = {QStringLiteral("100002"), QStringLiteral("100003")};
    QSignalSpy objects(m_corvana.get(), &Corvana::objectsRetrieved);
    QCOMPARE(m_corvana->retrieveObjects(ids), Corvana::Success);
    QVERIFY(arrived(objects));
    QCOMPARE(only<QSet<QString>>(objects, 0), ids);
    QSet<QString> returned;
    for (const CvObject &object : only<CvObjects>(objects, 1)) {
        QCOMPARE(object.type(), QStringLiteral("user"));
        returned.insert(object.id());
    }
    QCOMPARE(returned, ids);
}

QTEST_GUILESS_MAIN(tst_CorvanaMediaEmulator)
#include "tst_corvana_media_emulator.moc"
