// What reaches stable storage before what is destroyed, read off the system calls of
// a whole hide and a whole restore: the container and its folder are flushed before
// the first plain file changes, every shredded file is flushed before it goes, every
// restored file is on stable storage before any of them gets its name, and the store
// folder holds those names on disk before the container is deleted.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "KillPointTracer.h"
#include "support/World.h"

namespace {

using Points = std::vector<KillPoint>;

size_t Find(const Points& points, const std::string& operation, const std::string& place, size_t from = 0) {
    for (size_t n = from; n < points.size(); ++n) {
        if (points[n].operation == operation && points[n].place == place) return n;
    }
    return points.size();
}

std::string Listing(const Points& points) {
    std::string text;
    for (size_t n = 0; n < points.size(); ++n) text += std::to_string(n) + " " + points[n].Label() + "\n";
    return text;
}

TEST(FlushOrderTest, NothingIsDestroyedBeforeWhatReplacesItIsOnStableStorage) {
    World world(KillWorld(SecurityHigh));

    const TracedRun hide = TraceCli(world, "hide", 0);
    ASSERT_EQ(hide.exitCode, 0) << TakeLog(world);
    const Points& h = hide.points;
    SCOPED_TRACE("hide:\n" + Listing(h));
    // The first change to a plain file: shredding starts by moving it aside.
    size_t firstErase = h.size();
    for (const char* op : {"rename", "write", "delete", "truncate"}) firstErase = std::min(firstErase, Find(h, op, "store"));
    ASSERT_LT(firstErase, h.size());
    const size_t containerFlush = Find(h, "flush", "container temp");
    const size_t published = Find(h, "rename", "container");
    const size_t folderFlush = Find(h, "flush", "documents folder", published);
    EXPECT_LT(containerFlush, published);
    EXPECT_LT(published, folderFlush);
    EXPECT_LT(folderFlush, firstErase);
    // Every overwrite reaches the disk before its file is deleted.
    for (size_t n = firstErase; n < h.size(); ++n) {
        if (h[n].operation != "delete" || h[n].place != "store") continue;
        size_t lastWrite = n;
        while (lastWrite > firstErase && !(h[lastWrite].operation == "write" && h[lastWrite].place == "store")) --lastWrite;
        ASSERT_EQ(h[lastWrite].operation, "write") << n;
        const size_t flush = Find(h, "flush", "store", lastWrite);
        EXPECT_LT(flush, n) << "shredded file deleted at point " << n << " before its flush";
    }

    const TracedRun restore = TraceCli(world, "restore", 0);
    ASSERT_EQ(restore.exitCode, 0) << TakeLog(world);
    const Points& r = restore.points;
    SCOPED_TRACE("restore:\n" + Listing(r));
    const size_t files = world.original().size();
    const size_t firstRename = Find(r, "rename", "store");
    ASSERT_LT(firstRename, r.size());
    // Every restored file is proved and on stable storage before any of them gets its
    // name: each one flushed, or their whole file system at once after the last of them.
    size_t flushedParts = 0, lastPartChange = 0;
    for (size_t n = 0; n < firstRename; ++n) {
        if (r[n].place != "store temp") continue;
        if (r[n].operation == "flush") ++flushedParts;
        else lastPartChange = n;
    }
    const size_t wholeFlush = Find(r, "flush", "store folder", lastPartChange);
    EXPECT_TRUE(flushedParts == files || wholeFlush < firstRename);
    size_t renamed = 0, lastRename = 0;
    for (size_t n = 0; n < r.size(); ++n) {
        if (r[n].operation == "rename" && r[n].place == "store") {
            ++renamed;
            lastRename = n;
        }
    }
    EXPECT_EQ(renamed, files);
    const size_t storeFlush = Find(r, "flush", "store folder", lastRename);
    const size_t deleted = Find(r, "delete", "container");
    ASSERT_LT(deleted, r.size());
    EXPECT_LT(lastRename, storeFlush);
    EXPECT_LT(storeFlush, deleted);
}

}  // namespace
