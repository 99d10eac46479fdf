#include "store/ChunkPipeline.h"

#include <system_error>

#include "platform/Shell.h"

namespace {

// A callback that throws (memory running out in a status text) fails its chunk; on
// the worker it would otherwise end the process.
template <typename Call>
bool Guarded(Call call) {
    try {
        return call();
    } catch (...) {
        return false;
    }
}

}  // namespace

ChunkPipeline::ChunkPipeline() : ring_(new uint8_t[kSlots * kChunkSize]) {}

ChunkPipeline::~ChunkPipeline() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    workerWake_.notify_all();
    if (worker_.joinable()) worker_.join();
    platform::SecureZero(ring_.get(), kSlots * kChunkSize);
}

void ChunkPipeline::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        workerWake_.wait(lock, [this] { return quit_ || !finished_; });
        if (quit_) return;
        lock.unlock();
        RunPass();
        lock.lock();
        finished_ = true;
        ended_ = true;
        callerWake_.notify_all();
    }
}

void ChunkPipeline::RunPass() {
    for (size_t chunk = 0;; ++chunk) {
        if (chunk >= kSlots && !WriteUpTo(chunk - kSlots + 1)) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
        }
        size_t size = kChunkSize;
        uint8_t* slot = Slot(chunk);
        const bool read = Guarded([&] { return (*reader_)(slot, size); });
        std::lock_guard<std::mutex> lock(mutex_);
        if (!read) failed_ = true;
        if (read && size > 0) {
            sizes_[chunk % kSlots] = size;
            read_ = chunk + 1;
        } else {
            ended_ = true;
        }
        callerWake_.notify_all();
        if (ended_) break;
    }
    size_t last;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_) return;
        last = read_;
    }
    (void)WriteUpTo(last);
}

bool ChunkPipeline::WriteUpTo(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        workerWake_.wait(lock, [&] { return stop_ || written_ >= count || handed_ > written_; });
        if (stop_) return false;
        if (written_ >= count) return true;
        const size_t chunk = written_;
        const size_t size = sizes_[chunk % kSlots];
        lock.unlock();
        const uint8_t* slot = Slot(chunk);
        const bool written = !*writer_ || Guarded([&] { return (*writer_)(slot, size); });
        lock.lock();
        if (!written) {
            failed_ = true;
            ended_ = true;
            callerWake_.notify_all();
            return false;
        }
        ++written_;
    }
}

ChunkPipeline::Pass::Pass(ChunkPipeline& pipeline, uint64_t expectedBytes, Reader read, Writer write)
    : pipeline_(pipeline), read_(std::move(read)), write_(std::move(write)), here_(expectedBytes <= kChunkSize) {
    if (here_) return;
    ChunkPipeline& p = pipeline_;
    std::lock_guard<std::mutex> lock(p.mutex_);
    if (!p.worker_.joinable()) {
        try {
            p.worker_ = std::thread(&ChunkPipeline::Work, &p);
        } catch (const std::system_error&) {
            here_ = true;  // no second thread to be had: the pass still runs, on this one
            return;
        }
    }
    p.reader_ = &read_;
    p.writer_ = &write_;
    p.stop_ = p.ended_ = p.failed_ = false;
    p.read_ = p.taken_ = p.handed_ = p.written_ = 0;
    p.finished_ = false;
    p.workerWake_.notify_all();
}

ChunkPipeline::Pass::~Pass() {
    if (!over_) Stop();
}

bool ChunkPipeline::Pass::Next(uint8_t*& data, size_t& size) {
    if (over_) return false;
    if (here_) {
        size_ = kChunkSize;
        if (!Guarded([&] { return read_(pipeline_.Slot(0), size_); })) failed_ = true;
        if (failed_ || size_ == 0) return false;
        data = pipeline_.Slot(0);
        size = size_;
        return true;
    }
    ChunkPipeline& p = pipeline_;
    std::unique_lock<std::mutex> lock(p.mutex_);
    p.callerWake_.wait(lock, [&p] { return p.read_ > p.taken_ || p.ended_; });
    if (p.failed_ || p.read_ == p.taken_) return false;
    const size_t chunk = p.taken_++;
    data = p.Slot(chunk);
    size = p.sizes_[chunk % kSlots];
    return true;
}

void ChunkPipeline::Pass::Done() {
    if (over_) return;
    if (here_) {
        if (write_ && !Guarded([&] { return write_(pipeline_.Slot(0), size_); })) failed_ = true;
        return;
    }
    ChunkPipeline& p = pipeline_;
    {
        std::lock_guard<std::mutex> lock(p.mutex_);
        ++p.handed_;
    }
    p.workerWake_.notify_all();
}

bool ChunkPipeline::Pass::Finish() {
    if (over_) return !failed_;
    if (here_) {
        over_ = true;
        return !failed_;
    }
    ChunkPipeline& p = pipeline_;
    std::unique_lock<std::mutex> lock(p.mutex_);
    // Every chunk read must have come back, or the worker would wait for it forever.
    if (!p.ended_ || p.taken_ != p.handed_ || p.taken_ != p.read_) {
        lock.unlock();
        Stop();
        return false;
    }
    p.callerWake_.wait(lock, [&p] { return p.finished_; });
    over_ = true;
    failed_ = p.failed_;
    return !failed_;
}

void ChunkPipeline::Pass::Stop() {
    over_ = true;
    failed_ = true;
    if (here_) return;
    ChunkPipeline& p = pipeline_;
    std::unique_lock<std::mutex> lock(p.mutex_);
    p.stop_ = true;
    p.workerWake_.notify_all();
    p.callerWake_.wait(lock, [&p] { return p.finished_; });
}
