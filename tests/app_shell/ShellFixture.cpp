#include "ShellFixture.h"

namespace {
WorldSetup ShellSetup() {
    WorldSetup setup;
    setup.mailClient = false;
    setup.applicationName = "Veilbox";
    return setup;
}
}  // namespace

ShellFixture::ShellFixture() : world_(ShellSetup()) {}
