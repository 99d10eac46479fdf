// seed-demo: a first profile of two identities, made once.
#include <gtest/gtest.h>

#include <map>

#include "MsimnFixture.h"
#include "RegistryTree.h"
#include "platform/File.h"

namespace {

using SeedDemoTest = MsimnFixture;

TEST_F(SeedDemoTest, MakesTwoIdentitiesWithStoresOnceAndOnlyOnce) {
    ChildProcess::Result seeded = Msimn({"seed-demo"});
    ASSERT_EQ(seeded.exitCode, 0) << seeded.err;
    auto rows = List();
    ASSERT_EQ(rows.size(), 2u);
    std::map<std::string, std::vector<std::string>> byName;
    for (const auto& row : rows) byName[row[2]] = row;
    ASSERT_TRUE(byName.count("Main Identity"));
    ASSERT_TRUE(byName.count("Private"));
    for (const auto& entry : byName) {
        const std::string& root = entry.second[3];
        EXPECT_EQ(root.rfind(data_.path() + "/veilbox-demo/", 0), 0u) << root;
        EXPECT_EQ(platform::FindFiles(root, "*.dbx").size(), 7u) << root;
    }
    EXPECT_NE(byName["Main Identity"][3], byName["Private"][3]);

    EXPECT_EQ(GetText("Identities", "Default User ID"), byName["Main Identity"][1]);
    EXPECT_EQ(GetText("Identities", "Start As"), byName["Main Identity"][1]);
    EXPECT_EQ(GetText("Identities", "Last Username"), "Main Identity");

    ChildProcess::Result again = Msimn({"seed-demo"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(List(), rows);
}

TEST_F(SeedDemoTest, LeavesARegistryWithIdentitiesAlone) {
    CreateIdentity({"--name", "Mine", "--store", data_.file("mine")});
    ChildProcess::Result seeded = Msimn({"seed-demo"});
    EXPECT_EQ(seeded.exitCode, 0);
    ASSERT_EQ(List().size(), 1u);
    EXPECT_FALSE(platform::FileExists(data_.file("veilbox-demo")));
}

}  // namespace
