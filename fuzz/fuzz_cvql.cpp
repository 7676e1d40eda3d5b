// The emulator's query-language engine on fuzzed statements, against a small seeded data set. A
// statement either runs or is refused with the service's error code; it never does both.
#include "fuzzcommon.h"

#include "cvql.h"
#include "dataset.h"

#include <memory>

namespace {

std::unique_ptr<Emu::DataSet> data;
std::unique_ptr<Emu::Cvql> engine;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    CvFuzz::startApplication();
    Emu::Sizes sizes;
    sizes.users = 8;
    sizes.posts = 12;
    sizes.threads = 3;
    sizes.events = 3;
    sizes.groups = 2;
    sizes.pages = 2;
    sizes.places = 2;
    sizes.albums = 1;
    sizes.notifications = 3;
    data = std::make_unique<Emu::DataSet>();
    data->generate(1, sizes, QStringLiteral("http://127.0.0.1:9"));
    engine = std::make_unique<Emu::Cvql>(*data);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QString statement
        = QString::fromUtf8(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const Emu::CvqlResult result = engine->execute(statement, data->mainUser());
    if (result.ok)
        CV_FUZZ_CHECK(result.errorCode == 0 && result.error.isEmpty(), "a result with an error");
    else
        CV_FUZZ_CHECK(result.errorCode != 0 && !result.error.isEmpty() && result.rows.isEmpty(),
                      "a refusal without its error code and text");
    return 0;
}
