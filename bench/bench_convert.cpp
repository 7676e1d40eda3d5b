// Times CvDataConverter::toPosts over a decoded news feed of 20,000 posts and prints posts per
// second. The feed is generated in memory from a fixed pattern, so every run converts the same
// data; decoding happens once, outside the timed part.

#include "cvdataconverter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace Cv;

namespace {

const int postCount = 20000;
const int defaultRepetitions = 7;

QJsonObject userRef(qint64 id, const QString &name)
{
    return QJsonObject {{QStringLiteral("id"), QString::number(id)},
                        {QStringLiteral("name"), name}};
}

QJsonObject makePost(int i)
{
    static const QString types[] = {QString(),
                                    QStringLiteral("status"),
                                    QStringLiteral("photo"),
                                    QStringLiteral("link"),
                                    QStringLiteral("checkin"),
                                    QStringLiteral("video")};
    const qint64 author = 100000000000000LL + i % 97;
    const QDateTime created = QDateTime(QDate(2012, 3, 4), QTime(8, 0), Qt::UTC).addSecs(-60LL * i);
    QJsonObject post {
        {QStringLiteral("id"), QStringLiteral("%1_%2").arg(author).arg(1000000 + i)},
        {QStringLiteral("from"), userRef(author, QStringLiteral("Zoë Ångström %1").arg(i % 97))},
        {QStringLiteral("message"),
         QStringLiteral("Post %1: första dagen på caféet, ☕ och 🎉 för alla!").arg(i)},
        {QStringLiteral("created_time"), created.toString(Qt::ISODate)},
        {QStringLiteral("updated_time"), created.addSecs(90).toString(Qt::ISODate)},
        {QStringLiteral("likes"), QJsonObject {{QStringLiteral("count"), i % 23}}},
        {QStringLiteral("comments"), QJsonObject {{QStringLiteral("count"), i % 7}}},
        {QStringLiteral("actions"),
         QJsonArray {
             QJsonObject {
                 {QStringLiteral("name"), QStringLiteral("Comment")},
                 {QStringLiteral("link"),
                  QStringLiteral("https://www.corvana.com/%1/posts/%2").arg(author).arg(i)}},
             QJsonObject {
                 {QStringLiteral("name"), QStringLiteral("Like")},
                 {QStringLiteral("link"),
                  QStringLiteral("https://www.corvana.com/%1/posts/%2").arg(author).arg(i)}}}},
        {QStringLiteral("application"),
         QJsonObject {{QStringLiteral("id"), 2305272732LL},
                      {QStringLiteral("name"), QStringLiteral("Corvana for Phones")}}},
    };
    const QString type = types[i % 6];
    if (!type.isEmpty())
        post.insert(QStringLiteral("type"), type);
    if (type == QLatin1String("photo")) {
        post.insert(QStringLiteral("link"),
                    QStringLiteral("https://www.corvana.com/photo.php?cvid=%1&set=a.%2.%3&type=1")
                        .arg(9000000 + i)
                        .arg(123 + i % 11)
                        .arg(author));
        post.insert(QStringLiteral("picture"),
                    QStringLiteral("https://img.corvana.net/photos/%1_s.jpg").arg(i));
        post.insert(QStringLiteral("object_id"), QString::number(9000000 + i));
    }
    if (i % 3 == 0) {
        post.insert(QStringLiteral("to"),
                    QJsonObject {{QStringLiteral("data"),
                                  QJsonArray {userRef(author + 1, QStringLiteral("Kari")),
                                              userRef(author + 2, QStringLiteral("Per"))}}});
        post.insert(QStringLiteral("message_tags"),
                    QJsonObject {{QStringLiteral("9"),
                                  QJsonArray {userRef(author + 1, QStringLiteral("Kari"))}}});
    }
    if (type == QLatin1String("checkin")) {
        post.insert(
            QStringLiteral("place"),
            QJsonObject {{QStringLiteral("id"), QString::number(20531316728LL + i % 50)},
                         {QStringLiteral("name"), QStringLiteral("Kaffebaren")},
                         {QStringLiteral("location"),
                          QJsonObject {{QStringLiteral("city"), QStringLiteral("Malmö")},
                                       {QStringLiteral("latitude"), 55.605 + (i % 50) * 0.001},
                                       {QStringLiteral("longitude"), 13.0038}}}});
    }
    return post;
}

QVariantList decodedFeed()
{
    QJsonArray data;
    for (int i = 0; i < postCount; ++i)
        data.append(makePost(i));
    const QByteArray json = QJsonDocument(QJsonObject {{QStringLiteral("data"), data}})
                                .toJson(QJsonDocument::Compact);
    return QJsonDocument::fromJson(json).toVariant().toMap().value(QStringLiteral("data")).toList();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    // An optional first argument sets the number of timed repetitions.
    const int repetitions
        = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : defaultRepetitions;

    const QVariantList feed = decodedFeed();
    std::vector<double> rates;
    qsizetype converted = 0;
    for (int run = 0; run < repetitions; ++run) {
        QElapsedTimer timer;
        timer.start();
        const CvPosts posts = CvDataConverter::toPosts(feed);
        const qint64 nsecs = timer.nsecsElapsed();
        converted = posts.size();
        rates.push_back(double(posts.size()) * 1e9 / double(std::max<qint64>(nsecs, 1)));
    }
    if (converted != postCount) {
        out << "converted " << converted << " posts, expected " << postCount << Qt::endl;
        return 1;
    }
    std::sort(rates.begin(), rates.end());
    out << "bench_convert: toPosts over " << postCount << " posts, " << repetitions
        << " repetitions" << Qt::endl;
    out << "  best:   " << qRound64(rates.back()) << " posts/s" << Qt::endl;
    out << "  median: " << qRound64(rates[rates.size() / 2]) << " posts/s" << Qt::endl;
    out << "  worst:  " << qRound64(rates.front()) << " posts/s" << Qt::endl;
    return 0;
}
