// Times the Graph layer's reply decoding (the direct decoder every reply kind goes through)
// against QJsonDocument::fromJson + toVariant() in the same run: one generated 20,000-post feed
// page and small replies of 1 to 30 KB, with the peak memory each needs as a multiple of the
// text.

#include "graph/cvgraphjson_p.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QVariant>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

// Resident memory of this process in bytes, now ("VmRSS") or at its peak ("VmHWM").
long long residentBytes(const char *field)
{
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long long kilobytes = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':')
            kilobytes = std::atoll(line + length + 1);
    }
    std::fclose(status);
    return kilobytes * 1024;
}

} // namespace

namespace {

constexpr int pagePosts = 20000;
constexpr int rounds = 9;

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

QByteArray feedReply(int posts)
{
    quint32 state = 20240305;
    QByteArray json;
    json.reserve(posts * 1250 + 256);
    json += "{\"data\":[";
    for (int i = 0; i < posts; ++i) {
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

using Decoder = bool (*)(const QByteArray &, QVariantMap *, QVariantList *);

bool bareQt(const QByteArray &json, QVariantMap *map, QVariantList *)
{
    *map = QJsonDocument::fromJson(json).toVariant().toMap();
    return true;
}

struct Figures
{
    qint64 bestNs = std::numeric_limits<qint64>::max();
    double peak = 0; // resident bytes gained during one decode, per byte of text
};

// Best time per decode of `json`, decoded `times` times in a row with the result checked.
bool time(Decoder decode, const QByteArray &json, int posts, int times, Figures *figures)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < times; ++i) {
        QVariantMap map;
        if (!decode(json, &map, nullptr) || postsIn(map) != posts)
            return false;
    }
    figures->bestNs = std::min(figures->bestNs, timer.nsecsElapsed() / times);
    return true;
}

// Peak memory of one decode, in a child process forked before any decoding: the kernel's
// resident high-water mark is reset there, so the figure is what the decode (text excluded,
// tree alive at the end) made resident, unaffected by memory earlier rounds left in the heap.
double peakMemory(Decoder decode, const QByteArray &json)
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        FILE *clear = std::fopen("/proc/self/clear_refs", "w");
        long long gained = -1;
        if (clear && std::fputs("5", clear) >= 0 && std::fclose(clear) == 0) {
            const long long before = residentBytes("VmRSS");
            QVariantMap map;
            decode(json, &map, nullptr);
            gained = residentBytes("VmHWM") - before;
        }
        const ssize_t written = write(channel[1], &gained, sizeof gained);
        _exit(written == sizeof gained ? 0 : 1);
    }
    long long gained = -1;
    if (child < 0 || read(channel[0], &gained, sizeof gained) != sizeof gained)
        gained = -1;
    close(channel[0]);
    close(channel[1]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return double(gained) / double(json.size());
}

// Both decoders on one text, alternating which runs first so neither always meets a warm or a
// cold allocator. One untimed round of each comes first: the first decode of a large page in the
// process gets fresh memory, whose free is several times cheaper than in any later round, and
// a best-of figure would keep that one round for whichever decoder ran first.
bool compare(const char *label, const QByteArray &json, int posts, int times)
{
    Figures qt, direct;
    // Names the overload the benchmark compares: the map-or-list form.
    const Decoder directDecoder = Cv::cvDecodeJson;
    // A small reply changes the resident size by a few pages at most: no meaningful multiple.
    const bool large = json.size() > (1 << 20);
    if (large) {
        qt.peak = peakMemory(bareQt, json);
        direct.peak = peakMemory(directDecoder, json);
    }
    Figures warmUp;
    if (!time(bareQt, json, posts, times, &warmUp)
        || !time(directDecoder, json, posts, times, &warmUp)) {
        std::fprintf(stderr, "%s: a decoder lost data\n", label);
        return false;
    }
    for (int round = 0; round < rounds; ++round) {
        const bool qtFirst = round % 2 == 0;
        if (!time(qtFirst ? bareQt : directDecoder, json, posts, times, qtFirst ? &qt : &direct)
            || !time(qtFirst ? directDecoder : bareQt, json, posts, times,
                     qtFirst ? &direct : &qt)) {
            std::fprintf(stderr, "%s: a decoder lost data\n", label);
            return false;
        }
    }
    const double megabytes = double(json.size()) / 1e6;
    const auto rate = [&](const Figures &f) { return megabytes / (double(f.bestNs) / 1e9); };
    const auto peak = [&](const Figures &f) {
        return large ? QByteArray::number(f.peak, 'f', 1) + 'x' : QByteArray("-");
    };
    std::printf("%-20s %8.1f KB | Qt %6.1f MB/s, peak %5s | direct %6.1f MB/s, peak %5s "
                "| speed-up %.2fx\n",
                label, double(json.size()) / 1e3, rate(qt), peak(qt).constData(), rate(direct),
                peak(direct).constData(), rate(direct) / rate(qt));
    return true;
}

// Where a large page's time goes, after the figures above (which it leaves as they were):
// building the tree, and freeing it again. Both decoders free a tree of the same shape, the Qt
// route's with a block for every member name and every text where the direct decoder shares or
// packs them. Freeing is glibc's work, and how much of it depends on the heap the tree was
// built in: freeing a block of 64 KB or more (the page's list) first consolidates every small
// block freed before.
void breakdown(const QByteArray &page)
{
    const Decoder decoders[] = {bareQt, Cv::cvDecodeJson};
    qint64 building[2], freeing[2];
    std::fill(std::begin(building), std::end(building), std::numeric_limits<qint64>::max());
    std::fill(std::begin(freeing), std::end(freeing), std::numeric_limits<qint64>::max());
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (round + turn) % 2;
            QElapsedTimer timer;
            timer.start();
            qint64 built;
            {
                QVariantMap map;
                decoders[which](page, &map, nullptr);
                built = timer.nsecsElapsed();
            }
            building[which] = std::min(building[which], built);
            freeing[which] = std::min(freeing[which], timer.nsecsElapsed() - built);
        }
    }
    std::printf("%-20s building the tree: Qt %.0f ms, direct %.0f ms (%.2fx); freeing it: Qt "
                "%.0f ms, direct %.0f ms\n",
                "  of which", double(building[0]) / 1e6, double(building[1]) / 1e6,
                double(building[0]) / double(building[1]), double(freeing[0]) / 1e6,
                double(freeing[1]) / 1e6);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("best of %d rounds; peak = resident memory gained during one decode, as a "
                "multiple of the text\n",
                rounds);
    std::printf("Qt = QJsonDocument::fromJson + toVariant(), direct = Cv::cvDecodeJson\n");

    // Small replies are decoded many times per round, so a round lasts long enough to time.
    for (const int posts : {1, 4, 24}) {
        const QByteArray json = feedReply(posts);
        const QByteArray label = "reply of " + QByteArray::number(posts) + " posts";
        if (!compare(label.constData(), json, posts, 4000 / posts))
            return 1;
    }
    const QByteArray page = feedReply(pagePosts);
    if (!compare("page of 20000 posts", page, pagePosts, 1))
        return 1;
    breakdown(page);
    return 0;
}
