// create-identity, set-pointers and list: the registry and store as the client lays them out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>

#include "MsimnFixture.h"
#include "RegistryTree.h"
#include "platform/File.h"

namespace {

const std::regex kGuid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

// Every value type below key, whether any value is empty, and how deep its keys go.
void Summarize(const TreeKey& key, std::set<DWORD>& types, bool& hasEmptyValue, int& depth, int level = 0) {
    depth = std::max(depth, level);
    for (const TreeValue& v : key.values) {
        types.insert(v.type);
        hasEmptyValue = hasEmptyValue || v.bytes.empty();
    }
    for (const auto& [name, sub] : key.subkeys) Summarize(sub, types, hasEmptyValue, depth, level + 1);
}

using IdentityTest = MsimnFixture;

TEST_F(IdentityTest, CreateIdentityWritesTheClientsKeyAndAStoreOfDbxFiles) {
    const std::string store = data_.file("ann");
    const std::string key = CreateIdentity({"--name", "Ann Smith", "--store", store, "--seed", "7"});
    EXPECT_TRUE(std::regex_match(key, kGuid)) << key;

    const std::string path = "Identities\\" + key;
    TreeKey tree;
    ASSERT_TRUE(ReadTree(path, tree));
    DWORD type = 0;
    std::string username;
    ASSERT_TRUE(GetValue(path, "Username", type, username));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(username, Sz("Ann Smith"));  // kept with its terminating zero
    auto userId = GetText(path, "User ID");
    ASSERT_TRUE(userId);
    EXPECT_TRUE(std::regex_match(*userId, kGuid)) << *userId;
    EXPECT_NE(*userId, key);

    // The product copies the key as an opaque tree: it must be a real one.
    std::set<DWORD> types;
    bool hasEmptyValue = false;
    int depth = 0;
    Summarize(tree, types, hasEmptyValue, depth);
    for (DWORD t : {REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY, REG_MULTI_SZ}) {
        EXPECT_TRUE(types.count(t)) << "no value of type " << t;
    }
    EXPECT_TRUE(hasEmptyValue);
    EXPECT_GE(depth, 4);

    const TreeKey& client = tree.subkeys["Software"].subkeys["Microsoft"].subkeys["Outlook Express"];
    ASSERT_FALSE(client.subkeys.empty());
    std::string storeRoot;
    ASSERT_TRUE(GetValue(path + "\\Software\\Microsoft\\Outlook Express\\" + client.subkeys.begin()->first,
                         "Store Root", type, storeRoot));
    EXPECT_EQ(storeRoot, Sz(store));

    std::vector<platform::FindEntry> files = platform::FindFiles(store, "*");
    ASSERT_EQ(files.size(), 7u);
    bool large = false, empty = false;
    for (const auto& file : files) {
        EXPECT_EQ(file.name.substr(file.name.size() - 4), ".dbx");
        large = large || file.size > 64 * 1024;
        empty = empty || file.size == 0;
    }
    EXPECT_TRUE(large);
    EXPECT_TRUE(empty);

    // The first identity becomes the one the client starts with.
    EXPECT_EQ(GetText("Identities", "Default User ID"), userId);
    EXPECT_EQ(GetText("Identities", "Last User ID"), userId);
    EXPECT_EQ(GetText("Identities", "Start As"), userId);
    EXPECT_EQ(GetText("Identities", "Last Username"), "Ann Smith");
}

TEST_F(IdentityTest, PointersMoveOnlyWhenAskedAndListShowsEveryIdentity) {
    const std::string first = CreateIdentity({"--name", "First", "--store", data_.file("1")});
    const std::string second = CreateIdentity({"--name", "Second", "--store", data_.file("2")});
    const std::string firstId = *GetText("Identities\\" + first, "User ID");
    EXPECT_EQ(GetText("Identities", "Default User ID"), firstId);

    const std::string third = CreateIdentity({"--name", "Third", "--store", data_.file("3"), "--default"});
    const std::string thirdId = *GetText("Identities\\" + third, "User ID");
    EXPECT_EQ(GetText("Identities", "Default User ID"), thirdId);
    EXPECT_EQ(GetText("Identities", "Last Username"), "Third");

    ASSERT_EQ(Msimn({"set-pointers", "--last", firstId, "--last-name", "First"}).exitCode, 0);
    EXPECT_EQ(GetText("Identities", "Last User ID"), firstId);
    EXPECT_EQ(GetText("Identities", "Last Username"), "First");
    EXPECT_EQ(GetText("Identities", "Default User ID"), thirdId);  // untouched
    EXPECT_EQ(GetText("Identities", "Start As"), thirdId);

    auto rows = List();
    ASSERT_EQ(rows.size(), 3u);
    std::map<std::string, std::vector<std::string>> byKey;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 4u);
        byKey[row[0]] = row;
    }
    EXPECT_EQ(byKey[first], (std::vector<std::string>{first, firstId, "First", data_.file("1")}));
    EXPECT_EQ(byKey[second][2], "Second");
    EXPECT_EQ(byKey[third][1], thirdId);
}

TEST_F(IdentityTest, StoreContentsFollowTheSeedAlone) {
    CreateIdentity({"--name", "A", "--store", data_.file("a"), "--seed", "5"});
    CreateIdentity({"--name", "B", "--store", data_.file("b"), "--seed", "5"});
    CreateIdentity({"--name", "C", "--store", data_.file("c"), "--seed", "6"});
    for (const auto& file : platform::FindFiles(data_.file("a"), "*.dbx")) {
        const std::string a = ReadWholeFile(data_.file("a/" + file.name));
        EXPECT_EQ(a, ReadWholeFile(data_.file("b/" + file.name))) << file.name;
        if (!a.empty()) {
            EXPECT_NE(a, ReadWholeFile(data_.file("c/" + file.name))) << file.name;
        }
    }

    CreateIdentity({"--name", "Many", "--store", data_.file("many"), "--files", "11"});
    EXPECT_EQ(platform::FindFiles(data_.file("many"), "*.dbx").size(), 11u);
    CreateIdentity({"--name", "None", "--store", data_.file("none"), "--files", "0"});
    EXPECT_TRUE(platform::IsDirectory(data_.file("none")));
    EXPECT_TRUE(platform::FindFiles(data_.file("none"), "*").empty());
}

TEST_F(IdentityTest, AnExistingStoreIsNeverOverwritten) {
    const std::string store = data_.file("shared");
    CreateIdentity({"--name", "Owner", "--store", store, "--seed", "1"});
    const std::string inbox = ReadWholeFile(store + "/Inbox.dbx");

    ChildProcess::Result again = Msimn({"create-identity", "--name", "Intruder", "--store", store, "--seed", "2"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find(store), std::string::npos) << again.err;
    EXPECT_EQ(ReadWholeFile(store + "/Inbox.dbx"), inbox);
    EXPECT_EQ(List().size(), 1u);  // nothing half-made in the registry
}

TEST_F(IdentityTest, DefaultStoreGoesBelowTheDataFolderWithALowerCaseName) {
    const std::string key = CreateIdentity({"--name", "Plain"});
    const std::string root = StoreRootOf(key);
    std::string lower = key;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(root, data_.path() + "/veilbox-demo/" + lower);
    EXPECT_EQ(platform::FindFiles(root, "*.dbx").size(), 7u);
}

TEST_F(IdentityTest, StoreRootKeepsEnvironmentReferencesAndStoresListsTheFiles) {
    const ChildProcess::Environment base = {{"MSIMN_TEST_BASE", data_.path()}};
    ChildProcess::Result created = Msimn(
        {"create-identity", "--name", "Ref", "--store", "%MSIMN_TEST_BASE%/ref", "--files", "3"}, base);
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_EQ(created.err, "");
    const std::string key = created.out.substr(0, created.out.find('\n'));
    EXPECT_EQ(StoreRootOf(key), "%MSIMN_TEST_BASE%/ref");

    ChildProcess::Result stores = Msimn({"stores", key}, base);
    ASSERT_EQ(stores.exitCode, 0) << stores.err;
    std::string expected;
    for (const auto& file : platform::FindFiles(data_.file("ref"), "*.dbx")) {
        expected += key + "\t" + file.name + "\t" + std::to_string(file.size) + "\n";
    }
    EXPECT_EQ(stores.out, expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 3);

    // Without the variable the folder cannot be found, and stores says so.
    ChildProcess::Result unresolved = Msimn({"stores", key});
    EXPECT_EQ(unresolved.exitCode, 1);
    EXPECT_TRUE(unresolved.out.empty());
}

TEST_F(IdentityTest, WrongCommandLinesAreRefusedWithUsage) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"create-identity"},
             {"create-identity", "--name"},
             {"create-identity", "--name", "X", "--files", "many"},
             {"create-identity", "--name", "X", "--colour", "red"},
             {"set-pointers"},
             {"checksum", "record"},
             {"checksum", "weigh", "{K}", "f"},
             {"no-such-command"},
         }) {
        ChildProcess::Result result = Msimn(args);
        EXPECT_EQ(result.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(result.err.find("usage"), std::string::npos);
    }
    EXPECT_TRUE(List().empty());
}

}  // namespace
