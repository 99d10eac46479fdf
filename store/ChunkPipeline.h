// Moves the file side of a chunked copy to a second thread, so that reading and
// writing overlap the work the caller's thread does on each chunk (the cipher, the
// progress window and the questions to the user stay on the caller's thread).
//
// A pass reads chunks ahead into a fixed ring of kSlots buffers and writes each chunk
// back once the caller hands it over. The worker keeps one fixed order whatever the
// timing: it reads chunks 0 .. kSlots-1, then writes chunk k before it reads chunk
// k + kSlots, and writes the rest at the end. So the order of a run's file calls, and
// what a run killed at any of them leaves behind, is the same on every run.
//
// A pass that is short enough to fit one chunk runs on the caller's thread: there is
// nothing to overlap, and a handover would only cost.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/NonCopyable.h"

class ChunkPipeline : platform::NonCopyable {
public:
    static constexpr size_t kChunkSize = 65536;
    static constexpr size_t kSlots = 4;

    // Reads the next chunk into buffer (kChunkSize bytes); size is set to the bytes
    // read, 0 at the end. False on a failure, whose cause the callback keeps.
    using Reader = std::function<bool(uint8_t* buffer, size_t& size)>;
    // Writes one chunk the caller has handed back. False on a failure, as above.
    using Writer = std::function<bool(const uint8_t* buffer, size_t size)>;

    ChunkPipeline();
    // Wipes the ring, which holds plain text.
    ~ChunkPipeline();

    class Pass;

private:
    void Work();
    void RunPass();
    [[nodiscard]] bool WriteUpTo(size_t count);
    uint8_t* Slot(size_t chunk) { return ring_.get() + (chunk % kSlots) * kChunkSize; }

    std::unique_ptr<uint8_t[]> ring_;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable workerWake_;
    std::condition_variable callerWake_;
    // The pass under way; everything below is guarded by mutex_.
    const Reader* reader_ = nullptr;
    const Writer* writer_ = nullptr;
    bool quit_ = false;
    bool stop_ = false;      // the caller gave the pass up
    bool ended_ = false;     // no chunk will be read after the last one counted in read_
    bool failed_ = false;    // a read or a write failed
    bool finished_ = true;   // the worker is done with the pass
    size_t read_ = 0;        // chunks read
    size_t taken_ = 0;       // chunks given to the caller
    size_t handed_ = 0;      // chunks the caller handed back
    size_t written_ = 0;     // chunks written
    size_t sizes_[kSlots] = {};
};

// One pass over one file or stream. The caller takes the chunks in order with Next,
// hands each back with Done, and ends with Finish; a pass left before Finish (a cancel,
// a failure of the caller's own) stops the worker before the callbacks' state goes.
class ChunkPipeline::Pass : platform::NonCopyable {
public:
    // expectedBytes is what the caller believes the pass will read; up to one chunk,
    // the pass runs on the caller's thread. write may be empty: nothing is written.
    Pass(ChunkPipeline& pipeline, uint64_t expectedBytes, Reader read, Writer write);
    ~Pass();

    // The next chunk in order; false at the end or when a read or a write failed.
    [[nodiscard]] bool Next(uint8_t*& data, size_t& size);
    // Hands back the chunk Next gave last, to be written.
    void Done();
    // Waits until every chunk handed back is written; false when a read or a write failed.
    [[nodiscard]] bool Finish();

private:
    void Stop();

    ChunkPipeline& pipeline_;
    Reader read_;
    Writer write_;
    bool here_;  // runs on the caller's thread
    bool over_ = false;
    bool failed_ = false;
    size_t size_ = 0;  // of the chunk on the caller's thread
};
