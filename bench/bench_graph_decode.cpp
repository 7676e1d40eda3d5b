// Times the Graph layer's reply decoding (the same function every reply kind goes through)
// against bare QJsonDocument::fromJson + toVariant() on a generated 20,000-post feed reply.

#include "graph/cvgraphjson_p.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int postCount = 20000;
constexpr int rounds = 7;

// Deterministic pseudo-random numbers, so every run decodes the same bytes.
quint32 next(quint32 &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

QByteArray words(quint32 &state, int count)
{
    static const char *const vocabulary[] = {"lorem",
                                             "ipsum",
                                             "dolor",
                                             "sit",
                                             "amet",
                                             "consectetur",
                                             "adipiscing",
                                             "elit",
                                             "sed",
                                             "do",
                                             "tempor",
                                             "caf\u00e9",
                                             "na\u00efve",
                                             "\u00fcber",
                                             "\\\"quoted\\\"",
                                             "line\\nbreak",
                                             "emoji \\ud83d\\ude00",
                                             "tab\\there"};
    constexpr int size = int(sizeof(vocabulary) / sizeof(vocabulary[0]));
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        if (i)
            text += ' ';
        text += vocabulary[next(state) % size];
    }
    return text;
}

QByteArray user(quint32 &state)
{
    const QByteArray id = QByteArray::number(100000000000000LL + next(state));
    return "{\"name\":\"" + words(state, 2) + "\",\"id\":\"" + id + "\"}";
}

QByteArray feedReply()
{
    quint32 state = 20240305;
    QByteArray json;
    json.reserve(24 * 1024 * 1024);
    json += "{\"data\":[";
    for (int i = 0; i < postCount; ++i) {
        if (i)
            json += ',';
        const QByteArray id = "100000123456789_" + QByteArray::number(4000000000LL + i);
        const QByteArray time = "2024-03-" + QByteArray::number(10 + i % 18) + "T"
            + QByteArray::number(10 + i % 13) + ":0" + QByteArray::number(i % 10) + ":00+0000";
        json += "{\"id\":\"" + id + "\",\"from\":" + user(state) + ",\"to\":{\"data\":["
            + user(state) + "]},\"message\":\"" + words(state, 7)
            + "\",\"picture\":\"https://photos.example/p/" + id
            + "_s.jpg\",\"link\":\"https://www.example.com/story/" + QByteArray::number(i)
            + "\",\"name\":\"" + words(state, 5) + "\",\"caption\":\"www.example.com\","
            + "\"description\":\"" + words(state, 6) + "\",\"icon\":\"https://static.example/"
            + "icons/link.gif\",\"actions\":[{\"name\":\"Comment\",\"link\":\"https://www.example"
            + ".com/" + id + "\"},{\"name\":\"Like\",\"link\":\"https://www.example.com/" + id
            + "\"}],\"privacy\":{\"description\":\"Friends\",\"value\":\"ALL_FRIENDS\"},"
            + "\"type\":\"link\",\"created_time\":\"" + time + "\",\"updated_time\":\"" + time
            + "\",\"likes\":{\"data\":[" + user(state) + "," + user(state)
            + "],\"count\":" + QByteArray::number(next(state) % 500) + "},\"comments\":{\"count\":"
            + QByteArray::number(next(state) % 50) + ",\"data\":[{\"id\":\"" + id + "_1\",\"from\":"
            + user(state) + ",\"message\":\"" + words(state, 6) + "\",\"created_time\":\"" + time
            + "\",\"likes\":" + QByteArray::number(next(state) % 9)
            + ",\"score\":" + QByteArray::number(double(next(state) % 1000) / 7.0) + "}]}}";
    }
    json
        += "],\"paging\":{\"previous\":\"https://graph.example/me/feed?limit=25&since=1709999999\","
           "\"next\":\"https://graph.example/me/feed?limit=25&until=1709000000\"}}";
    return json;
}

int postsIn(const QVariantMap &map)
{
    return int(map.value(QStringLiteral("data")).toList().size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray json = feedReply();
    const double megabytes = double(json.size()) / (1024.0 * 1024.0);
    std::printf("payload: %d posts, %.1f MiB of JSON, best of %d rounds\n", postCount, megabytes,
                rounds);

    qint64 bestBare = std::numeric_limits<qint64>::max();
    qint64 bestLayer = std::numeric_limits<qint64>::max();
    // Alternate which decoder runs first, so neither always meets a warm or a cold allocator.
    for (int round = 0; round < rounds; ++round) {
        for (int pass = 0; pass < 2; ++pass) {
            QElapsedTimer timer;
            if ((round + pass) % 2 == 0) {
                timer.start();
                const QVariantMap map = QJsonDocument::fromJson(json).toVariant().toMap();
                bestBare = std::min(bestBare, timer.nsecsElapsed());
                if (postsIn(map) != postCount) {
                    std::fprintf(stderr, "bare decode lost data\n");
                    return 1;
                }
            } else {
                timer.start();
                QVariantMap map;
                const bool ok = Cv::cvDecodeJson(json, &map, nullptr);
                bestLayer = std::min(bestLayer, timer.nsecsElapsed());
                if (!ok || postsIn(map) != postCount) {
                    std::fprintf(stderr, "layer decode lost data\n");
                    return 1;
                }
            }
        }
    }

    const double bare = megabytes / (double(bestBare) / 1e9);
    const double layer = megabytes / (double(bestLayer) / 1e9);
    std::printf("QJsonDocument::fromJson + toVariant(): %8.1f MB/s (%.1f ms)\n", bare,
                double(bestBare) / 1e6);
    std::printf("Graph layer decode (cvDecodeJson):     %8.1f MB/s (%.1f ms)\n", layer,
                double(bestLayer) / 1e6);
    std::printf("ratio layer/bare: %.2fx (target >= 0.90x)\n", layer / bare);
    return 0;
}
