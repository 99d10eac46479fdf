#include "DialogWorld.h"

namespace {
WorldSetup DialogSetup() {
    WorldSetup setup;
    setup.mailClient = false;
    setup.scriptedUser = false;
    return setup;
}
}  // namespace

DialogWorld::DialogWorld() : world_(DialogSetup()) {}
