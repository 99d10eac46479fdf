#include "TempRegistry.h"

#include <stdexcept>

#include "platform/Registry.h"

TempRegistry::TempRegistry()
    : path_(dir_.file("registry.db")), previousLocation_(platform::RegistryLocation()) {
    if (!platform::RedirectRegistry(path_)) {
        throw std::runtime_error("cannot open a test registry at " + path_);
    }
    environment_.emplace();
    environment_->Set("VEILBOX_REGISTRY", path_);
}

TempRegistry::~TempRegistry() {
    environment_.reset();
    // Going back to the default first means the default place is not opened (and so
    // not created) unless a test had explicitly redirected somewhere before.
    platform::RedirectRegistry("");
    if (platform::RegistryLocation() != previousLocation_) {
        platform::RedirectRegistry(previousLocation_);
    }
}
