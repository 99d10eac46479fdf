#include <gtest/gtest.h>

#include "app/UninstallRequest.h"

namespace {
bool Request(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return IsUninstallRequest(static_cast<int>(args.size()), argv.data());
}
}  // namespace

TEST(UninstallRequest, OnlyTheSwitchAloneInAnyCase) {
    EXPECT_TRUE(Request({"veilbox", "/uninstall"}));
    EXPECT_TRUE(Request({"veilbox", "/UNINSTALL"}));
    EXPECT_TRUE(Request({"veilbox", "/UnInstall"}));
}

TEST(UninstallRequest, AnyOtherCommandLineIsAnOrdinaryStart) {
    EXPECT_FALSE(Request({"veilbox"}));
    EXPECT_FALSE(Request({"veilbox", "/uninstall", "now"}));
    EXPECT_FALSE(Request({"veilbox", "now", "/uninstall"}));
    EXPECT_FALSE(Request({"veilbox", "uninstall"}));
    EXPECT_FALSE(Request({"veilbox", "-uninstall"}));
    EXPECT_FALSE(Request({"veilbox", "/uninstal"}));
    EXPECT_FALSE(Request({"veilbox", "/uninstalls"}));
    EXPECT_FALSE(Request({"veilbox", ""}));
    EXPECT_FALSE(IsUninstallRequest(2, nullptr));
}
