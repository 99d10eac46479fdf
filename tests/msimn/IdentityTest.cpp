// create-identity, seed-demo and checksum: the registry and store as the client lays
// them out, and the proof that a store came back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "MsimnFixture.h"
#include "support/RegistryTree.h"
#include "platform/File.h"

namespace {

const std::regex kGuid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");

// Every value type below key, whether any value is empty, and how deep its keys go.
void Summarize(const TreeKey& key, std::set<DWORD>& types, bool& hasEmptyValue, int& depth, int level = 0) {
    depth = std::max(depth, level);
    for (const TreeValue& v : key.values) {
        types.insert(v.type);
        hasEmptyValue = hasEmptyValue || v.bytes.empty();
    }
    for (const auto& [name, sub] : key.subkeys) Summarize(sub, types, hasEmptyValue, depth, level + 1);
}

using MsimnTest = MsimnFixture;

TEST_F(MsimnTest, CreateIdentityWritesTheClientsKeyAndAStoreOfDbxFiles) {
    const std::string store = data_.file("ann");
    const std::string key = CreateIdentity({"--name", "Ann Smith", "--store", store, "--seed", "7"});
    EXPECT_TRUE(std::regex_match(key, kGuid)) << key;
    const std::string path = "Identities\\" + key;
    TreeKey tree;
    ASSERT_TRUE(ReadTree(path, tree));
    DWORD type = 0;
    std::string username;
    ASSERT_TRUE(GetValue(path, "Username", type, username));
    EXPECT_EQ(std::make_pair(type, username), std::make_pair(DWORD(REG_SZ), std::string("Ann Smith", 10)));
    const std::string userId = GetText(path, "User ID").value_or("");
    EXPECT_TRUE(std::regex_match(userId, kGuid)) << userId;
    EXPECT_NE(userId, key);

    // The product copies the key as an opaque tree: it must be a real one.
    std::set<DWORD> types;
    bool hasEmptyValue = false;
    int depth = 0;
    Summarize(tree, types, hasEmptyValue, depth);
    for (DWORD t : {REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY, REG_MULTI_SZ}) EXPECT_TRUE(types.count(t)) << t;
    EXPECT_TRUE(hasEmptyValue);
    EXPECT_GE(depth, 4);
    EXPECT_EQ(List()[key], (std::vector<std::string>{key, userId, "Ann Smith", store}));

    const std::vector<platform::FindEntry> files = platform::FindFiles(store, "*");
    ASSERT_EQ(files.size(), 7u);
    EXPECT_TRUE(std::all_of(files.begin(), files.end(), [](auto& f) { return f.name.substr(f.name.size() - 4) == ".dbx"; }));
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](auto& f) { return f.size > 64 * 1024; }));
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](auto& f) { return f.size == 0; }));

    // The first identity becomes the one the client starts with.
    for (const char* pointer : {"Default User ID", "Last User ID", "Start As"})
        EXPECT_EQ(GetText("Identities", pointer), userId) << pointer;
    EXPECT_EQ(GetText("Identities", "Last Username"), "Ann Smith");

    // An existing store is never overwritten, and nothing half-made stays in the registry.
    const std::string inbox = ReadWholeFile(store + "/Inbox.dbx");
    const Child::Result again = Msimn({"create-identity", "--name", "Intruder", "--store", store, "--seed", "2"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find(store), std::string::npos) << again.err;
    EXPECT_EQ(ReadWholeFile(store + "/Inbox.dbx"), inbox);
    EXPECT_EQ(List().size(), 1u);
}

TEST_F(MsimnTest, SeedDemoMakesTwoIdentitiesOnceAndOnlyOnce) {
    ASSERT_EQ(Msimn({"seed-demo"}).exitCode, 0);
    const auto rows = List();
    std::map<std::string, std::vector<std::string>> byName;
    for (const auto& [key, row] : rows) byName[row[2]] = row;
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(byName.count("Main Identity") + byName.count("Private"), 2u);
    for (const auto& [name, row] : byName) {
        EXPECT_EQ(row[3].rfind(data_.path() + "/veilbox-demo/", 0), 0u) << row[3];
        EXPECT_EQ(platform::FindFiles(row[3], "*.dbx").size(), 7u) << row[3];
    }
    EXPECT_NE(byName["Main Identity"][3], byName["Private"][3]);
    EXPECT_EQ(GetText("Identities", "Default User ID"), byName["Main Identity"][1]);
    EXPECT_EQ(GetText("Identities", "Start As"), byName["Main Identity"][1]);
    EXPECT_EQ(GetText("Identities", "Last Username"), "Main Identity");
    const Child::Result again = Msimn({"seed-demo"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(List(), rows);
}

TEST_F(MsimnTest, SeedDemoLeavesARegistryWithIdentitiesAlone) {
    CreateIdentity({"--name", "Mine", "--store", data_.file("mine")});
    EXPECT_EQ(Msimn({"seed-demo"}).exitCode, 0);
    EXPECT_EQ(List().size(), 1u);
    EXPECT_FALSE(platform::FileExists(data_.file("veilbox-demo")));
}

TEST_F(MsimnTest, ChecksumsFindEveryChangeToAStore) {
    const std::string key = CreateIdentity({"--name", "Sums", "--store", data_.file("store"), "--seed", "3"});
    const std::string list = data_.file("sums.txt"), inboxPath = data_.file("store/Inbox.dbx");
    ASSERT_EQ(Msimn({"checksum", "record", key, list}).exitCode, 0);
    const auto verify = [&] { return Msimn({"checksum", "verify", key, list}); };
    WriteWholeFile(data_.file("store/notes.txt"), "not mail");  // not part of the store
    EXPECT_EQ(verify().exitCode, 0);
    EXPECT_EQ(verify().out, "");

    const std::string inbox = ReadWholeFile(inboxPath);
    ASSERT_GT(inbox.size(), 100000u);
    for (size_t offset : {size_t(0), inbox.size() / 2, inbox.size() - 1, inbox.size()}) {
        std::string changed = inbox.substr(0, offset == inbox.size() ? offset - 1 : inbox.size());  // or one byte short
        if (offset < inbox.size()) changed[offset] ^= 1;
        WriteWholeFile(inboxPath, changed);
        const Child::Result result = verify();
        EXPECT_EQ(result.exitCode, 1) << offset;
        EXPECT_EQ(result.out, "changed Inbox.dbx\n") << offset;
    }
    WriteWholeFile(inboxPath, inbox);
    ASSERT_EQ(std::remove(data_.file("store/Deleted Items.dbx").c_str()), 0);  // an empty file counts too
    WriteWholeFile(data_.file("store/Stray.dbx"), "x");
    EXPECT_EQ(verify().out, "missing Deleted Items.dbx\nextra Stray.dbx\n");

    ASSERT_EQ(std::rename(data_.file("store").c_str(), data_.file("elsewhere").c_str()), 0);
    const Child::Result gone = verify();
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(std::count(gone.out.begin(), gone.out.end(), '\n'), 7) << "reported file by file";
    EXPECT_EQ(Msimn({"checksum", "record", key, data_.file("other.txt")}).exitCode, 1) << "recording needs a store";

    WriteWholeFile(list, "hello\n");
    EXPECT_NE(verify().err.find("not a store checksum list"), std::string::npos);
    const Child::Result unknown = Msimn({"checksum", "verify", "{NOT-THERE}", list});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("{NOT-THERE}"), std::string::npos) << unknown.err;
}

}  // namespace
