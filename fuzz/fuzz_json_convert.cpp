// A reply body through the Graph layer's JSON decoder and then through every converter: each
// map converter gets the decoded object and every object inside the decoded list or the object's
// "data" member, each list converter gets both lists, and every converted object is turned into
// each value class it can stand for and back into maps.
#include "fuzzcommon.h"

#include "cvdataconverter.h"
#include "graph/cvgraphjson_p.h"

using Cv::CvDataConverter;

namespace {

void convertMap(const QVariantMap &map)
{
    using C = CvDataConverter;
    CvDataConverter::toMap(C::toUserRef(map));
    CvDataConverter::toMap(C::toUser(map));
    C::toPage(map);
    C::toGroup(map);
    CvDataConverter::toMap(C::toEvent(map));
    C::toLocation(map);
    C::toPlace(map);
    C::toCheckin(map);
    CvDataConverter::toMap(C::toPost(map));
    C::toStatusMessage(map);
    CvDataConverter::toMap(C::toMessage(map));
    C::toStatusComment(map.value(QStringLiteral("id")).toString(), map);
    C::toThreadMessage(map);
    C::toThread(map);
    C::toAttachment(map);
    C::toNotification(map);
    C::toNotifications(map);
    C::toAlbum(map);
    C::toPhoto(map);
    C::toPhotoRESTAPI(map);
    C::toVideo(map);
    C::toImage(map);
    C::toTag(map);
    CvDataConverter::toMap(C::toAction(map));

    const Cv::CvObject object = C::toObject(map);
    object.toVideo();
    object.toUser();
    object.toPost();
    object.toPlace();
    object.toPhoto();
    object.toPage();
    object.toComment();
    object.toGroup();
    object.toEvent();
    object.toCheckin();
    object.toAlbum();
    C::toObjects(map);
}

void convertList(const QVariantList &list)
{
    using C = CvDataConverter;
    C::toList(C::toUserRefs(list));
    C::toList(C::toUsers(list));
    C::toPages(list);
    C::toGroups(list);
    C::toList(C::toEvents(list));
    C::toLocations(list);
    C::toPlaces(list);
    C::toCheckins(list);
    C::toList(C::toPosts(list));
    C::toStatusMessages(list);
    C::toList(C::toMessages(list));
    C::toStatusComments(QStringLiteral("1"), list);
    C::toThreadMessages(list);
    C::toThreads(list);
    C::toAttachments(list);
    C::toNotificationList(list);
    C::toAlbums(list);
    C::toPhotos(list);
    C::toVideos(list);
    C::toImages(list);
    C::toTags(list);
    C::toList(C::toActions(list));
    for (const QVariant &element : list) {
        if (element.typeId() == QMetaType::QVariantMap)
            convertMap(element.toMap());
    }
}

} // namespace

CV_FUZZ_APPLICATION_ONLY

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    QVariantMap map;
    QVariantList list;
    if (!Cv::cvDecodeJson(body, &map, &list))
        return 0;
    // Exactly one shape at most: the decoder fills the output that matches the value.
    CV_FUZZ_CHECK(map.isEmpty() || list.isEmpty(), "a value decoded as both map and list");
    convertMap(map);
    convertList(list);
    const QVariant inner = map.value(QStringLiteral("data"));
    if (inner.typeId() == QMetaType::QVariantList)
        convertList(inner.toList());
    return 0;
}
