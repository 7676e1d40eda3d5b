// Replays fuzz inputs through a harness without libFuzzer: every file named on the command line,
// or every file below a directory named there, is fed to LLVMFuzzerTestOneInput once. A broken
// property or a sanitizer report aborts the program, so the test fails on the file it names.
#include "fuzzcommon.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo::exists(path))
            continue; // no reproducer kept yet
        if (!QFileInfo(path).isDir()) {
            files.append(path);
            continue;
        }
        QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
    }
    std::sort(files.begin(), files.end());
    int replayed = 0;
    for (const QString &name : std::as_const(files)) {
        if (name.endsWith(QLatin1String(".md")))
            continue;
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
            return 1;
        }
        const QByteArray input = file.readAll();
        std::fprintf(stderr, "replaying %s\n", qPrintable(name));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()),
                               size_t(input.size()));
        ++replayed;
    }
    std::printf("%d inputs replayed\n", replayed);
    // A corpus that vanished would turn this test into one that cannot fail.
    return replayed > 0 ? 0 : 1;
}
