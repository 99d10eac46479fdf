// How the writing side behaves around its rules: stream order, names, exclusive
// access, giving up without commit, and write failures that must not pass as success.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CompoundFileHelpers.h"
#include "platform/File.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

TEST(CompoundFileContract, OneStreamAtATimeWithValidUniqueNames) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    OutStorage storage;
    ASSERT_EQ(kStorageOk, storage.Create(path));
    OutStream first, second;
    ASSERT_EQ(kStorageOk, storage.CreateStream("index", first));
    EXPECT_EQ(kStorageAccessDenied, storage.CreateStream("00000", second));

    size_t written = 9;
    EXPECT_EQ(kStorageOk, first.Write(nullptr, 0, &written));
    EXPECT_EQ(0u, written);
    EXPECT_EQ(kStorageOk, first.Write("head", 4, &written));
    EXPECT_EQ(4u, written);
    EXPECT_EQ(kStorageOk, first.Commit());
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(kStorageReverted, first.Write("more", 4, &written));
    EXPECT_EQ(0u, written);

    EXPECT_EQ(kStorageFileAlreadyExists, storage.CreateStream("INDEX", second));
    EXPECT_EQ(kStorageInvalidName, storage.CreateStream("", second));
    EXPECT_EQ(kStorageInvalidName, storage.CreateStream("a/b", second));
    EXPECT_EQ(kStorageInvalidName, storage.CreateStream(std::string(32, 'n'), second));
    ASSERT_EQ(kStorageOk, storage.CreateStream(std::string(31, 'n'), second));
    EXPECT_EQ(kStorageOk, second.Write("tail", 4, &written));
    // Committing the storage ends the open stream first.
    ASSERT_EQ(kStorageOk, storage.Commit());
    EXPECT_FALSE(storage.IsOpen());
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(kStorageReverted, storage.Commit());

    OlefileListing listing = ReadWithOlefile(path);
    ASSERT_EQ(0, listing.exitCode);
    EXPECT_EQ("head", listing.streams["index"].second);
    EXPECT_EQ("tail", listing.streams[std::string(31, 'n')].second);
}

TEST(CompoundFileContract, FilesAreHeldWhileWrittenAndShareableWhileRead) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    {
        OutStorage writer;
        ASSERT_EQ(kStorageOk, writer.Create(path));
        File file;
        FileException error(FileException::Generic, "");
        EXPECT_FALSE(File::TryOpen(path, File::Mode::Read, file, &error));
        EXPECT_EQ(FileException::SharingViolation, error.cause());
        OutStorage second;
        EXPECT_EQ(kStorageShareViolation, second.Create(path));
        InStorage reader;
        EXPECT_EQ(kStorageShareViolation, reader.Open(path));
        OutStream stream;
        ASSERT_EQ(kStorageOk, writer.CreateStream("index", stream));
        size_t written;
        ASSERT_EQ(kStorageOk, stream.Write("x", 1, &written));
        stream.Release();
        ASSERT_EQ(kStorageOk, writer.Commit());
    }
    InStorage a, b;
    ASSERT_EQ(kStorageOk, a.Open(path));
    EXPECT_EQ(kStorageOk, b.Open(path));
    OutStorage writer;
    EXPECT_EQ(kStorageShareViolation, writer.Create(path));
    File file;
    EXPECT_FALSE(File::TryOpen(path, File::Mode::ReadWrite, file));

    // A stream keeps working, and keeps the file, after its storage is let go.
    InStream stream;
    ASSERT_EQ(kStorageOk, a.OpenStream("index", stream));
    a.Release();
    b.Release();
    char byte = 0;
    size_t read = 0;
    EXPECT_EQ(kStorageOk, stream.Read(&byte, 1, &read));
    EXPECT_EQ(1u, read);
    EXPECT_EQ('x', byte);
    EXPECT_EQ(kStorageOk, stream.Read(&byte, 1, &read));
    EXPECT_EQ(0u, read);
    EXPECT_EQ(kStorageShareViolation, writer.Create(path));
    stream.Release();
    EXPECT_EQ(kStorageOk, writer.Create(path));
}

TEST(CompoundFileContract, GivingUpWithoutCommitLeavesNothingReadable) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    ASSERT_EQ(kStorageOk, WriteCompound(path, {{"index", "old container"}}));
    {
        OutStorage storage;
        ASSERT_EQ(kStorageOk, storage.Create(path));
        OutStream stream;
        ASSERT_EQ(kStorageOk, storage.CreateStream("index", stream));
        std::string big = PatternBytes(100000, 9);
        size_t written;
        ASSERT_EQ(kStorageOk, stream.Write(big.data(), big.size(), &written));
        // The storage goes first, the stream after it, as a failing writer may do.
        storage.Release();
        EXPECT_FALSE(stream.IsOpen());
        EXPECT_EQ(kStorageReverted, stream.Write("x", 1, &written));
    }
    EXPECT_EQ(0u, ReadWholeFile(path).size());
    InStorage reader;
    EXPECT_FALSE(StorageSucceeded(reader.Open(path)));

    OutStorage unusable;
    OutStream stream;
    EXPECT_EQ(kStorageReverted, unusable.CreateStream("index", stream));
    EXPECT_EQ(kStorageReverted, unusable.Commit());
    EXPECT_EQ(kStorageFileNotFound, unusable.Create(dir.file("no folder/c.dat")));
    EXPECT_FALSE(unusable.IsOpen());
}

// No open follows a link at the path: it could send a container's secrets, or take
// one, wherever it points. CreateNew takes only a free name, and a pipe at the path
// makes no open wait for the other end.
TEST(CompoundFileContract, LinksAndTakenNamesAreRefused) {
    TempDir dir;
    const std::string container = dir.file("real.dat");
    ASSERT_EQ(kStorageOk, WriteCompound(container, {{"index", "kept"}}));
    const std::string before = ReadWholeFile(container);
    ASSERT_EQ(0, ::symlink(container.c_str(), dir.file("link.dat").c_str()));
    ASSERT_EQ(0, ::symlink(dir.file("target.dat").c_str(), dir.file("dangling.dat").c_str()));
    ASSERT_EQ(0, ::mkfifo(dir.file("pipe.dat").c_str(), 0600));
    enum Call { Open, Create, CreateNew };
    const struct {
        Call call;
        const char* name;
        StorageStatus expected;
    } cases[] = {
        {Open, "link.dat", kStorageAccessDenied},          {Open, "pipe.dat", kStorageAccessDenied},
        {Create, "link.dat", kStorageAccessDenied},        {Create, "dangling.dat", kStorageAccessDenied},
        {Create, "pipe.dat", kStorageAccessDenied},        {CreateNew, "real.dat", kStorageFileAlreadyExists},
        {CreateNew, "link.dat", kStorageFileAlreadyExists}, {CreateNew, "dangling.dat", kStorageFileAlreadyExists},
        {CreateNew, "pipe.dat", kStorageFileAlreadyExists},
    };
    for (const auto& c : cases) {
        InStorage reader;
        OutStorage writer;
        const std::string path = dir.file(c.name);
        StorageStatus status = c.call == Open     ? reader.Open(path)
                               : c.call == Create ? writer.Create(path)
                                                  : writer.CreateNew(path);
        EXPECT_EQ(c.expected, status) << c.call << " " << c.name;
        EXPECT_FALSE(reader.IsOpen() || writer.IsOpen()) << c.call << " " << c.name;
    }
    EXPECT_EQ(before, ReadWholeFile(container));
    EXPECT_NE(0, ::access(dir.file("target.dat").c_str(), F_OK));
}

// A store folder of thousands of files: every stream opens by name and reads back.
// Finding a name does not depend on how many there are, so this stays quick.
TEST(CompoundFileContract, EveryStreamOfABigContainerOpens) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    std::vector<SampleStream> streams;
    for (unsigned k = 0; k < 4000; ++k) {
        char name[8];
        std::snprintf(name, sizeof name, "%05u", k);
        streams.push_back({name, PatternBytes(k % 500 == 7 ? 5000 : k % 97 * 11, k)});
    }
    ASSERT_EQ(kStorageOk, WriteCompound(path, streams));
    InStorage storage;
    ASSERT_EQ(kStorageOk, storage.Open(path));
    EXPECT_EQ(streams.size(), storage.Entries().size());
    for (const SampleStream& sample : streams) {
        std::string bytes;
        ASSERT_EQ(kStorageOk, ReadWholeStream(storage, sample.name, bytes)) << sample.name;
        ASSERT_TRUE(sample.bytes == bytes) << sample.name;
    }
}

// A file-size limit makes the file system refuse the data part way, as a full disk
// does; the failure must reach the caller, at the latest when the storage commits.
TEST(CompoundFileContract, AFullDiskFailsTheWriteOrTheCommit) {
    TempDir dir;
    const std::string path = dir.file("c.dat");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64 * 1024, 64 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(10);
        StorageStatus status = WriteCompound(path, {{"index", PatternBytes(560, 1)},
                                                    {"00000", PatternBytes(200000, 2)}});
        ::_exit(status == kStorageMediumFull ? 0 : StorageSucceeded(status) ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "1: reported success, 2: another failure status";
}

}  // namespace
