// Hands arbitrary bytes to the container reader as the protected identity's container,
// in a private home and registry. The reader checks everything before it writes, so
// besides the sanitizers this checks that a container it accepts is only ever one
// whose every stream and path passed those checks: it must never report success for
// a file that is not even a compound file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "identities/Settings.h"
#include "support/World.h"
#include "store/Container.h"

namespace {
const char kGuardId[] = "{F0220000-0000-0000-0000-000000000002}";
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    World::ProcessWide();
    if (!SetGuardId(kGuardId)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    WriteWholeFile(GetContainerPath(), std::string(reinterpret_cast<const char*>(input), size));
    // Nobody answers: every question is declined, so no password is given and nothing
    // is ever written; only the checks run.
    const bool accepted = World::CheckContainer();
    if (accepted && (size < 8 || std::string(reinterpret_cast<const char*>(input), 4) != "\xD0\xCF\x11\xE0")) {
        std::abort();  // success reported for something that is not a compound file
    }
    return 0;
}
