// The stand-in mail client: the registry and store it lays out, the checksums that prove
// a store came back byte for byte, and its window, which exists exactly while it holds
// its store.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <regex>

#include "RegistryTree.h"
#include "platform/File.h"
#include "platform/Shell.h"
#include "support/CommandOutput.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

// Last: Xlib defines macros (None, Bool, Status) that clash with names in gtest.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// Runs the built msimn through the shell against the test's own registry and data folder.
class MsimnTest : public ::testing::Test {
protected:
    MsimnTest() { environment_.Set("XDG_DATA_HOME", data_.path()); }
    // The shell command for msimn with args; its standard error goes to Err().
    std::string Command(const std::vector<std::string>& args) const {
        std::string command = MSIMN_PATH;
        for (const std::string& arg : args) command += " '" + arg + "'";
        return command + " 2>" + data_.file("err");
    }
    int Msimn(const std::vector<std::string>& args, std::string* out = nullptr) const {
        int exitCode = -1;
        const std::string text = CommandOutput(Command(args), &exitCode);
        return out ? (*out = text, exitCode) : exitCode;
    }
    std::string Err() const { return ReadWholeFile(data_.file("err")); }
    // A new identity with its store in the data folder; its key name.
    std::string CreateIdentity(const std::string& name, const std::string& store) const {
        std::string out;
        EXPECT_EQ(Msimn({"create-identity", "--name", name, "--store", data_.file(store)}, &out), 0) << Err();
        return out.substr(0, out.find('\n'));
    }
    TempRegistry registry_;
    TempDir data_;
    ScopedEnvironment environment_;
};

TEST_F(MsimnTest, CreateIdentityWritesTheClientsKeyAndAStoreOnce) {
    const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    const std::string key = CreateIdentity("Ann Smith", "ann"), path = "Identities\\" + key;
    const std::string userId = GetText(path, "User ID").value_or("");
    EXPECT_TRUE(std::regex_match(key, guid) && std::regex_match(userId, guid) && userId != key) << key << " " << userId;
    EXPECT_EQ(GetText(path, "Username"), "Ann Smith");
    EXPECT_EQ(GetText(path + "\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root"), data_.file("ann"));
    const std::vector<platform::FindEntry> files = platform::FindFiles(data_.file("ann"), "*");
    ASSERT_EQ(files.size(), 7u);
    EXPECT_TRUE(std::all_of(files.begin(), files.end(), [](auto& f) { return f.name.substr(f.name.size() - 4) == ".dbx"; }) &&
                std::any_of(files.begin(), files.end(), [](auto& f) { return f.size > 64 * 1024; }) &&
                std::any_of(files.begin(), files.end(), [](auto& f) { return f.size == 0; }));
    // The first identity becomes the one the client starts with.
    for (const char* pointer : {"Default User ID", "Last User ID", "Start As"}) EXPECT_EQ(GetText("Identities", pointer), userId) << pointer;
    EXPECT_EQ(GetText("Identities", "Last Username"), "Ann Smith");
    // An existing store is never overwritten, and nothing half-made stays in the registry.
    TreeKey before, after;
    ASSERT_TRUE(ReadTree("Identities", before));
    const std::string inbox = ReadWholeFile(data_.file("ann/Inbox.dbx"));
    EXPECT_EQ(Msimn({"create-identity", "--name", "Intruder", "--store", data_.file("ann"), "--seed", "2"}), 1);
    EXPECT_NE(Err().find(data_.file("ann")), std::string::npos) << Err();
    EXPECT_EQ(ReadWholeFile(data_.file("ann/Inbox.dbx")), inbox);
    ASSERT_TRUE(ReadTree("Identities", after));
    EXPECT_EQ(before, after);
}

TEST_F(MsimnTest, ChecksumsFindEveryChangeToAStore) {
    using Verdict = std::pair<int, std::string>;  // exit code and output
    const std::string key = CreateIdentity("Sums", "store"), list = data_.file("sums.txt"), inboxPath = data_.file("store/Inbox.dbx");
    ASSERT_EQ(Msimn({"checksum", "record", key, list}), 0);
    const auto verify = [&] { Verdict v; v.first = Msimn({"checksum", "verify", key, list}, &v.second); return v; };
    WriteWholeFile(data_.file("store/notes.txt"), "not mail");  // not part of the store
    EXPECT_EQ(verify(), Verdict(0, ""));
    const std::string inbox = ReadWholeFile(inboxPath);
    for (size_t offset : {size_t(0), inbox.size() / 2, inbox.size() - 1, inbox.size()}) {
        std::string changed = inbox.substr(0, offset == inbox.size() ? offset - 1 : inbox.size());  // or one byte short
        if (offset < inbox.size()) changed[offset] ^= 1;
        WriteWholeFile(inboxPath, changed);
        EXPECT_EQ(verify(), Verdict(1, "changed Inbox.dbx\n")) << offset;
    }
    WriteWholeFile(inboxPath, inbox);
    ASSERT_EQ(std::remove(data_.file("store/Deleted Items.dbx").c_str()), 0);  // an empty file counts too
    WriteWholeFile(data_.file("store/Stray.dbx"), "x");
    EXPECT_EQ(verify(), Verdict(1, "missing Deleted Items.dbx\nextra Stray.dbx\n"));
    ASSERT_EQ(std::rename(data_.file("store").c_str(), data_.file("elsewhere").c_str()), 0);
    const Verdict gone = verify();
    EXPECT_EQ(std::make_pair(gone.first, std::count(gone.second.begin(), gone.second.end(), '\n')), std::make_pair(1, 7L)) << "file by file";
    WriteWholeFile(list, "hello\n");
    EXPECT_EQ(verify().first, 1) << "not a checksum list";
}

// Whether someone else holds the file: our own exclusive open fails with a sharing violation.
bool Held(const std::string& path) {
    platform::File file;
    const platform::FileStatus status = platform::File::Open(path, platform::File::Mode::Read, file);
    EXPECT_TRUE(status.ok() || status.cause() == platform::FileStatus::SharingViolation) << status.text();
    return !status.ok();
}

TEST_F(MsimnTest, RunHoldsTheStoreExactlyWhileItsWindowIsUp) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) GTEST_SKIP() << "no X display";
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const char* const kClass = "Outlook Express Browser Class";  // what the product looks for
    CreateIdentity("Main", "main");
    const std::string ann = CreateIdentity("Ann", "ann");
    // The shell prints its id and becomes msimn, which prints its window once it is up.
    FILE* out = nullptr;
    pid_t pid = 0;
    Window window = 0;
    const auto start = [&](const std::vector<std::string>& args) {
        out = ::popen(("echo $$; exec " + Command(args)).c_str(), "r");
        ASSERT_EQ(std::fscanf(out, "%d %lu", &pid, &window), 2);
    };
    // It stops cleanly, lets its store go, and the product's window search sees it gone.
    const auto stop = [&](int signal, const std::string& store) {
        if (signal) ::kill(pid, signal);
        EXPECT_EQ(::pclose(out), 0);
        EXPECT_FALSE(platform::FindTopLevelWindow(kClass));
        EXPECT_FALSE(Held(data_.file(store + "/Inbox.dbx")));
    };
    start({"run", "--identity", ann, "--for", "120"});
    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(display, window, &hint));
    EXPECT_EQ(std::string(hint.res_class) + "/" + hint.res_name, std::string(kClass) + "/msimn");
    XFree(hint.res_name), XFree(hint.res_class);
    EXPECT_TRUE(platform::FindTopLevelWindow(kClass));
    for (const auto& file : platform::FindFiles(data_.file("ann"), "*.dbx")) EXPECT_TRUE(Held(data_.file("ann/" + file.name))) << file.name;
    EXPECT_FALSE(Held(data_.file("main/Inbox.dbx")));
    stop(SIGTERM, "ann");

    // Without an identity it starts as the pointers say, and stops when its time is up.
    start({"run"});
    EXPECT_TRUE(Held(data_.file("main/Inbox.dbx")));
    stop(SIGTERM, "main");
    ASSERT_EQ(Msimn({"set-pointers", "--start", GetText("Identities\\" + ann, "User ID").value_or("")}), 0);
    start({"run", "--for", "1"});
    EXPECT_TRUE(Held(data_.file("ann/Inbox.dbx")));
    stop(0, "ann");

    // A store held elsewhere keeps it from starting; what it took before is let go.
    platform::File holder;
    ASSERT_TRUE(platform::File::Open(data_.file("ann/Sent Items.dbx"), platform::File::Mode::Read, holder).ok());
    EXPECT_EQ(Msimn({"run", "--identity", ann, "--for", "30"}), 1);
    EXPECT_NE(Err().find("Sent Items.dbx"), std::string::npos) << Err();
    EXPECT_FALSE(platform::FindTopLevelWindow(kClass));
    EXPECT_FALSE(Held(data_.file("ann/Inbox.dbx")));
    XCloseDisplay(display);
}

}  // namespace
