// The second thread of hide and restore: every byte comes through in order, the file
// calls keep one order whatever the timing (a killed run must leave the same states on
// every run), and a failure or an early end never leaves the worker waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/ChunkPipeline.h"

namespace {

constexpr size_t kChunk = ChunkPipeline::kChunkSize;

struct Case {
    const char* name;
    size_t bytes;
    long failReadAt;   // chunk whose read fails, or -1
    long failWriteAt;  // chunk whose write fails, or -1
    long leaveAt;      // chunk at which the caller stops without Finish, or -1
};

TEST(ChunkPipelineTest, ChunksArriveInOrderWithOneFixedOrderOfCallsAndEveryEndingStopsTheWorker) {
    const Case cases[] = {
        {"empty", 0, -1, -1, -1},
        {"one chunk, on the caller's thread", kChunk, -1, -1, -1},
        {"one byte over a chunk", kChunk + 1, -1, -1, -1},
        {"many chunks, the ring reused", 11 * kChunk + 5, -1, -1, -1},
        {"a read fails", 9 * kChunk, 6, -1, -1},
        {"a write fails", 9 * kChunk, -1, 2, -1},
        {"the caller leaves", 9 * kChunk, -1, -1, 5},
    };
    ChunkPipeline pipeline;  // one worker for every pass, as in a run
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source(c.bytes, '\0');
        for (size_t k = 0; k < source.size(); ++k) source[k] = char(k * 7 + k / kChunk);
        std::string sink;
        std::vector<std::string> calls;
        size_t offset = 0;
        long reads = 0, writes = 0;
        bool finished = false;
        {
            ChunkPipeline::Pass pass(
                pipeline, c.bytes,
                [&](uint8_t* buffer, size_t& size) {
                    calls.push_back("r" + std::to_string(reads));
                    if (reads++ == c.failReadAt) return false;
                    size = std::min(size, source.size() - offset);
                    source.copy(reinterpret_cast<char*>(buffer), size, offset);
                    offset += size;
                    return true;
                },
                [&](const uint8_t* buffer, size_t size) {
                    calls.push_back("w" + std::to_string(writes));
                    if (writes++ == c.failWriteAt) return false;
                    sink.append(reinterpret_cast<const char*>(buffer), size);
                    return true;
                });
            uint8_t* data = nullptr;
            long taken = 0;
            for (size_t n = 0; pass.Next(data, n); ++taken) {
                if (taken == c.leaveAt) break;
                for (size_t k = 0; k < n; ++k) data[k] ^= 0x5a;  // the caller's own work on the chunk
                pass.Done();
            }
            if (c.leaveAt < 0) finished = pass.Finish();
        }
        std::string expected = source;
        for (char& ch : expected) ch ^= 0x5a;
        const bool fails = c.failReadAt >= 0 || c.failWriteAt >= 0;
        EXPECT_EQ(finished, !fails && c.leaveAt < 0);
        // What was written is the caller's bytes in order; all of them on success.
        const bool whole = fails || c.leaveAt >= 0 || sink.size() == expected.size();
        EXPECT_TRUE(whole && expected.compare(0, sink.size(), sink) == 0) << "written bytes differ";

        // Reads run ahead by the ring's size and no further: chunk k is written before
        // chunk k + kSlots is read, and nothing is read after a failure.
        std::vector<std::string> order;
        const long chunks = long((c.bytes + kChunk - 1) / kChunk);
        if (c.bytes > kChunk && !fails && c.leaveAt < 0) {
            for (long k = 0; k <= chunks; ++k) {
                if (k >= long(ChunkPipeline::kSlots)) order.push_back("w" + std::to_string(k - ChunkPipeline::kSlots));
                order.push_back("r" + std::to_string(k));
            }
            for (long k = std::max(0L, chunks + 1 - long(ChunkPipeline::kSlots)); k < chunks; ++k) {
                order.push_back("w" + std::to_string(k));
            }
            EXPECT_EQ(calls, order);
        }
        if (c.failReadAt >= 0) {
            EXPECT_EQ(reads, c.failReadAt + 1);
        }
        if (c.failWriteAt >= 0) {
            EXPECT_EQ(reads, c.failWriteAt + long(ChunkPipeline::kSlots));
        }
    }
}

}  // namespace
