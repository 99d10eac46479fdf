// The stand-in mail client: the registry and store it lays out, the checksums that prove
// a store came back byte for byte, and its window, which exists exactly while it holds
// its store.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

#include "Msimn.h"
#include "RegistryTree.h"
#include "platform/File.h"
#include "platform/Shell.h"

// Last: Xlib defines macros (None, Bool, Status) that clash with names in gtest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

TEST_F(MsimnTest, CreateIdentityWritesTheClientsKeyAndAStoreOfDbxFilesOnce) {
    const std::string store = data_.file("ann"), key = CreateIdentity({"--name", "Ann Smith", "--store", store, "--seed", "7"});
    EXPECT_TRUE(std::regex_match(key, kGuid)) << key;
    const std::string path = "Identities\\" + key, userId = GetText(path, "User ID").value_or("");
    EXPECT_TRUE(std::regex_match(userId, kGuid)) << userId;
    EXPECT_NE(userId, key);
    EXPECT_EQ(List()[key], (std::vector<std::string>{key, userId, "Ann Smith", store}));
    // The product copies the key as an opaque tree: it must be a real one.
    TreeKey tree;
    ASSERT_TRUE(ReadTree(path, tree));
    std::set<DWORD> types;
    bool hasEmptyValue = false;
    int depth = 0;
    Summarize(tree, types, hasEmptyValue, depth);
    for (DWORD t : {REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY, REG_MULTI_SZ}) EXPECT_TRUE(types.count(t)) << t;
    EXPECT_TRUE(hasEmptyValue);
    EXPECT_GE(depth, 4);
    const std::vector<platform::FindEntry> files = platform::FindFiles(store, "*");
    ASSERT_EQ(files.size(), 7u);
    EXPECT_TRUE(std::all_of(files.begin(), files.end(), [](auto& f) { return f.name.substr(f.name.size() - 4) == ".dbx"; }));
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](auto& f) { return f.size > 64 * 1024; }));
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](auto& f) { return f.size == 0; }));
    // The first identity becomes the one the client starts with.
    for (const char* pointer : {"Default User ID", "Last User ID", "Start As"}) EXPECT_EQ(GetText("Identities", pointer), userId) << pointer;
    EXPECT_EQ(GetText("Identities", "Last Username"), "Ann Smith");

    // An existing store is never overwritten, and nothing half-made stays in the registry.
    const std::string inbox = ReadWholeFile(store + "/Inbox.dbx");
    const Result again = Msimn({"create-identity", "--name", "Intruder", "--store", store, "--seed", "2"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find(store), std::string::npos) << again.err;
    EXPECT_EQ(ReadWholeFile(store + "/Inbox.dbx"), inbox);
    EXPECT_EQ(List().size(), 1u);
    // seed-demo leaves a registry with identities alone.
    EXPECT_EQ(Msimn({"seed-demo"}).exitCode, 0);
    EXPECT_EQ(List().size(), 1u);
    EXPECT_FALSE(platform::FileExists(data_.file("veilbox-demo")));
}

TEST_F(MsimnTest, SeedDemoMakesTwoIdentitiesOnceAndOnlyOnce) {
    ASSERT_EQ(Msimn({"seed-demo"}).exitCode, 0);
    const auto rows = List();
    std::map<std::string, std::vector<std::string>> byName;
    for (const auto& [key, row] : rows) byName[row[2]] = row;
    ASSERT_EQ(byName.count("Main Identity") + byName.count("Private"), 2u);
    for (const auto& [name, row] : byName) {
        EXPECT_EQ(row[3].rfind(data_.path() + "/veilbox-demo/", 0), 0u) << row[3];
        EXPECT_EQ(platform::FindFiles(row[3], "*.dbx").size(), 7u) << row[3];
    }
    EXPECT_NE(byName["Main Identity"][3], byName["Private"][3]);
    EXPECT_EQ(GetText("Identities", "Start As"), byName["Main Identity"][1]);
    EXPECT_EQ(GetText("Identities", "Last Username"), "Main Identity");
    EXPECT_EQ(Msimn({"seed-demo"}).out, "");
    EXPECT_EQ(List(), rows);
}

TEST_F(MsimnTest, ChecksumsFindEveryChangeToAStore) {
    const std::string key = CreateIdentity({"--name", "Sums", "--store", data_.file("store"), "--seed", "3"});
    const std::string list = data_.file("sums.txt"), inboxPath = data_.file("store/Inbox.dbx");
    ASSERT_EQ(Msimn({"checksum", "record", key, list}).exitCode, 0);
    const auto verify = [&] { return Msimn({"checksum", "verify", key, list}); };
    WriteWholeFile(data_.file("store/notes.txt"), "not mail");  // not part of the store
    EXPECT_EQ(std::make_pair(verify().exitCode, verify().out), std::make_pair(0, std::string()));
    const std::string inbox = ReadWholeFile(inboxPath);
    ASSERT_GT(inbox.size(), 100000u);
    for (size_t offset : {size_t(0), inbox.size() / 2, inbox.size() - 1, inbox.size()}) {
        std::string changed = inbox.substr(0, offset == inbox.size() ? offset - 1 : inbox.size());  // or one byte short
        if (offset < inbox.size()) changed[offset] ^= 1;
        WriteWholeFile(inboxPath, changed);
        const Result result = verify();
        EXPECT_EQ(std::make_pair(result.exitCode, result.out), std::make_pair(1, std::string("changed Inbox.dbx\n"))) << offset;
    }
    WriteWholeFile(inboxPath, inbox);
    ASSERT_EQ(std::remove(data_.file("store/Deleted Items.dbx").c_str()), 0);  // an empty file counts too
    WriteWholeFile(data_.file("store/Stray.dbx"), "x");
    EXPECT_EQ(verify().out, "missing Deleted Items.dbx\nextra Stray.dbx\n");
    ASSERT_EQ(std::rename(data_.file("store").c_str(), data_.file("elsewhere").c_str()), 0);
    const Result gone = verify();
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(std::count(gone.out.begin(), gone.out.end(), '\n'), 7) << "reported file by file";
    EXPECT_EQ(Msimn({"checksum", "record", key, data_.file("other.txt")}).exitCode, 1) << "recording needs a store";
    WriteWholeFile(list, "hello\n");
    EXPECT_NE(verify().err.find("not a store checksum list"), std::string::npos);
    const Result unknown = Msimn({"checksum", "verify", "{NOT-THERE}", list});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("{NOT-THERE}"), std::string::npos) << unknown.err;
}

const char* const kClientClass = "Outlook Express Browser Class";

// Whether someone else holds the file: our own exclusive open fails with a sharing violation.
bool Held(const std::string& path) {
    platform::File file;
    const platform::FileStatus status = platform::File::Open(path, platform::File::Mode::Read, file);
    EXPECT_TRUE(status.ok() || status.cause() == platform::FileStatus::SharingViolation) << status.text();
    return !status.ok();
}

// The product's own window search is what it waits on before it touches a store.
void ExpectStopped(Running& client, int signal, const std::string& inbox) {
    EXPECT_EQ(client.Stop(signal), 0);
    EXPECT_FALSE(platform::FindTopLevelWindow(kClientClass));
    EXPECT_FALSE(Held(inbox));
}

TEST_F(MsimnTest, RunHoldsTheStoreExactlyWhileItsWindowIsUp) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "no X display";
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    CreateIdentity({"--name", "Main", "--store", data_.file("main")});
    const std::string key = CreateIdentity({"--name", "Ann", "--store", data_.file("ann")}), inbox = data_.file("ann/Inbox.dbx");
    auto client = Start({"run", "--identity", key, "--for", "120"});
    Window window = std::stoul("0" + client->Line());
    ASSERT_NE(window, 0u);
    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(display, window, &hint));
    EXPECT_EQ(std::make_pair(std::string(hint.res_class), std::string(hint.res_name)), std::make_pair(std::string(kClientClass), std::string("msimn")));
    XFree(hint.res_name);
    XFree(hint.res_class);
    char* title = nullptr;
    ASSERT_TRUE(XFetchName(display, window, &title));
    EXPECT_STREQ(title, "Mail - Ann");
    XFree(title);
    EXPECT_TRUE(platform::FindTopLevelWindow(kClientClass));
    for (const auto& file : platform::FindFiles(data_.file("ann"), "*.dbx")) EXPECT_TRUE(Held(data_.file("ann/" + file.name))) << file.name;
    EXPECT_FALSE(Held(data_.file("main/Inbox.dbx")));
    ExpectStopped(*client, SIGTERM, inbox);

    // Closing the window, as a window manager asks when the user clicks the close box.
    client = Start({"run"});  // without an identity it starts as the pointers say
    window = std::stoul("0" + client->Line());
    ASSERT_NE(window, 0u);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    EXPECT_TRUE(Held(data_.file("main/Inbox.dbx")));
    ExpectStopped(*client, 0, data_.file("main/Inbox.dbx"));

    ASSERT_EQ(Msimn({"set-pointers", "--start", List()[key][1]}).exitCode, 0);
    client = Start({"run", "--for", "1"});
    EXPECT_NE(client->Line(), "");
    EXPECT_TRUE(Held(inbox));
    ExpectStopped(*client, 0, inbox);  // time is up

    // A store held elsewhere keeps it from starting; what it took before is let go.
    platform::File holder;
    ASSERT_TRUE(platform::File::Open(data_.file("ann/Sent Items.dbx"), platform::File::Mode::Read, holder).ok());
    const Result refused = Msimn({"run", "--identity", key, "--for", "30"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("Sent Items.dbx"), std::string::npos) << refused.err;
    EXPECT_FALSE(platform::FindTopLevelWindow(kClientClass));
    EXPECT_FALSE(Held(inbox));
    XCloseDisplay(display);
}

}  // namespace
