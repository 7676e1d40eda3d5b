// Shared by the fuzz harnesses: a reader that turns the fuzzer's bytes into choices and texts, the
// application object Qt needs, and a network reply that plays back given bytes.
//
// Every harness defines LLVMFuzzerInitialize and LLVMFuzzerTestOneInput. Built with clang and
// -fsanitize=fuzzer they are libFuzzer targets; built with any compiler together with replay.cpp
// they replay a corpus as an ordinary test. A harness reports a broken property with
// CV_FUZZ_CHECK, which aborts so that both the fuzzer and the test runner see the failure.
#ifndef FUZZCOMMON_H
#define FUZZCOMMON_H

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QNetworkReply>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define CV_FUZZ_CHECK(condition, what)                                                             \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__,               \
                         CvFuzz::describe(what).constData());                                      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The LLVMFuzzerInitialize of a harness that needs nothing but the application.
#define CV_FUZZ_APPLICATION_ONLY                                                                   \
    extern "C" int LLVMFuzzerInitialize(int *, char ***)                                           \
    {                                                                                              \
        CvFuzz::startApplication();                                                                \
        return 0;                                                                                  \
    }

namespace CvFuzz {

inline QByteArray describe(const char *text)
{
    return QByteArray(text);
}
inline QByteArray describe(const QString &text)
{
    return text.toLocal8Bit();
}

// The one QCoreApplication of the process, created on first use; library warnings are silenced
// unless keepLogging is set, since most fuzz inputs are deliberately broken.
void startApplication(bool keepLogging = false);

// Harnesses keep their objects in globals. Release them with std::atexit at the end of
// LLVMFuzzerInitialize: handlers run in reverse order, so they go before the Qt objects (SQL
// connections, the application) that were created while the harness set itself up.

// Deletes the objects whose deleteLater() ran: harnesses never enter an event loop.
void flushDeferredDeletes();

// Reads the fuzzer's bytes front to back. Past the end every read gives zero or empty.
class Input
{
public:
    Input(const uint8_t *data, size_t size)
        : m_data(reinterpret_cast<const char *>(data))
        , m_size(size)
    {
    }

    bool atEnd() const { return m_pos >= m_size; }
    quint8 byte() { return atEnd() ? 0 : quint8(m_data[m_pos++]); }
    int choice(int count) { return count > 0 ? byte() % count : 0; }
    bool flag() { return byte() & 1; }
    // A piece whose length is given by the byte before it (at most 255 bytes).
    QByteArray bytes()
    {
        const size_t length = qMin<size_t>(byte(), m_size - qMin(m_pos, m_size));
        const QByteArray piece(m_data + m_pos, qsizetype(length));
        m_pos += length;
        return piece;
    }
    QString text() { return QString::fromUtf8(bytes()); }
    // Everything not read yet.
    QByteArray rest()
    {
        const QByteArray out
            = atEnd() ? QByteArray() : QByteArray(m_data + m_pos, qsizetype(m_size - m_pos));
        m_pos = m_size;
        return out;
    }

private:
    const char *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A finished reply whose body, status, error and headers are given: what the transport hands the
// Graph layer, without a network in between.
class BufferReply : public QNetworkReply
{
public:
    BufferReply(const QByteArray &body, int status, NetworkError error,
                const QList<RawHeaderPair> &headers, QObject *parent = nullptr);

    void abort() override { }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;

private:
    QByteArray m_body;
    qint64 m_offset = 0;
};

// Raw headers taken from the input: a few names a service sends, with fuzzed values.
QList<QNetworkReply::RawHeaderPair> headersFrom(Input &input);

} // namespace CvFuzz

#endif // FUZZCOMMON_H
