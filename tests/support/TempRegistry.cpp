#include "TempRegistry.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/Registry.h"

namespace {
constexpr const char* kVariable = "VEILBOX_REGISTRY";
}

TempRegistry::TempRegistry() : path_(dir_.file("registry.db")) {
    const char* previous = std::getenv(kVariable);
    hadVariable_ = previous != nullptr;
    if (previous) previousVariable_ = previous;
    previousLocation_ = platform::RegistryLocation();
    if (!platform::RedirectRegistry(path_)) {
        throw std::runtime_error("cannot open a test registry at " + path_);
    }
    setenv(kVariable, path_.c_str(), 1);
}

TempRegistry::~TempRegistry() {
    if (hadVariable_) {
        setenv(kVariable, previousVariable_.c_str(), 1);
    } else {
        unsetenv(kVariable);
    }
    // Going back to the default first means the default place is not opened (and so
    // not created) unless a test had explicitly redirected somewhere before.
    platform::RedirectRegistry("");
    if (platform::RegistryLocation() != previousLocation_) {
        platform::RedirectRegistry(previousLocation_);
    }
}
