// The driver that runs a hide or a restore in a process of its own, for tests that
// need to stop one mid-run: it works on the environment's registry and documents.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "WorkflowFixture.h"
#include "identities/Settings.h"
#include "store/Container.h"

namespace {

int RunDriver(const std::string& command) {
    const int status = std::system((VEILBOX_BINARY_DIR "/bin/veilbox-cli " + command + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(WorkflowTest, DriverHidesAndRestoresInAProcessOfItsOwn) {
    if (!std::filesystem::exists(VEILBOX_BINARY_DIR "/bin/veilbox-cli")) GTEST_SKIP() << "driver not built";
    SetPassword("driver pw");
    environment_.Set("VEILBOX_AUTH", home_.file("auth.dat"));
    environment_.Set("VEILBOX_PROGRAM_NAME", GetApplicationName());
    environment_.Set("VEILBOX_PASSWORD", "wrong");
    EXPECT_EQ(RunDriver("hide"), 2);  // a password that does not verify stops it
    EXPECT_FALSE(IsIdentityHidden());

    environment_.Set("VEILBOX_PASSWORD", "driver pw");
    EXPECT_EQ(RunDriver("restore"), 2);  // nothing hidden yet
    ASSERT_EQ(RunDriver("hide"), 0);
    EXPECT_TRUE(IsIdentityHidden());
    EXPECT_FALSE(IdentityListed());
    EXPECT_EQ(StoreFilesOnDisk().size(), 1u);

    // The container is sealed with the driver's password: the test process restores it.
    ASSERT_TRUE(Restore());
    EXPECT_EQ(Snapshot(), registryBefore_);
    EXPECT_EQ(MessageFilesOnDisk(), original_);

    ASSERT_EQ(RunDriver("hide"), 0);
    ASSERT_EQ(RunDriver("restore"), 0);
    EXPECT_FALSE(IsIdentityHidden());
    EXPECT_TRUE(IdentityListed());
}

}  // namespace
