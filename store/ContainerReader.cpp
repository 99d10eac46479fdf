#include "store/ContainerReader.h"

#include <algorithm>
#include <cstring>

#include "base/UserInterface.h"
#include "identities/Settings.h"
#include "platform/Shell.h"
#include "store/ContainerPlanner.h"
#include "store/ReadExact.h"
#include "store/SourcePath.h"
#include "store/StoreEraser.h"

namespace {

const char kKept[] =
    "\r\n\r\nNothing has been changed; the protected container is kept, so the restore can be "
    "run again.";

// A stream whose bytes are not those its digest proves.
RunOutcome Damaged(const std::string& path) {
    return RunOutcome::Failed(
        ResultUnspecified, path,
        "The protected container is damaged: the copy of\r\n" + path + "\r\ndoes not match its digest.");
}

RunOutcome NotWrittenBack(const platform::FileStatus& status) {
    return RunOutcome::Failed(ResultUnspecified, status.path(),
                              "The message store could not be written back:\r\n" + status.text());
}

// Shows why the restore stopped, as every failure after the first write does.
RunOutcome ReportKept(UserInterface& ui, RunOutcome outcome) {
    if (!outcome.reason().empty())
        ui.ShowMessageBox(outcome.reason() + kKept, MessageStyle::Ok | MessageStyle::IconStop);
    return outcome;
}

RunOutcome RefuseDamaged(UserInterface& ui, const std::string& path, const std::string& fault) {
    const std::string text =
        "The protected container is damaged and cannot be restored: " + fault + ".\r\n\r\nNothing has been changed.";
    ui.ShowMessageBox(text, MessageStyle::Ok | MessageStyle::IconStop);
    return RunOutcome::Failed(ResultUnspecified, path, text);
}

bool ErasesWithOverwrite(const ContainerPlan& plan) { return plan.index.securityLevel != SecurityMedium; }

}  // namespace

RunOutcome ContainerReader::Check() {
    const std::string& path = run_.ContainerPath();
    platform::InStorage storage;
    ContainerPlanner planner(run_);
    std::string fault = "it cannot be opened";
    if (path.empty() || !platform::StorageSucceeded(storage.Open(path)) || !planner.Load(storage, plan_, fault)) {
        return RefuseDamaged(run_.User(), path, fault);
    }
    if (!planner.CheckKeys(plan_, ContainerPlanner::KeyPolicy::AskForHideTimePassword)) {
        return RunOutcome::Failed(ResultUnspecified, path, "the password does not match the protected message store");
    }
    if (!planner.IndexDigestMatches(plan_))
        return RefuseDamaged(run_.User(), path, "its index does not match its digest");
    return RunOutcome::Done();
}

RunOutcome ContainerReader::WriteParts(std::string& differing) {
    differing.clear();
    platform::InStorage storage;
    if (!platform::StorageSucceeded(storage.Open(run_.ContainerPath()))) {
        return ReportKept(run_.User(), RunOutcome::Failed(ResultUnspecified, run_.ContainerPath(),
                                                          "The protected container cannot be opened."));
    }
    run_.StartCount(run_.TotalBytes());
    for (size_t k = 0; k < plan_.streams.size(); ++k) {
        platform::InStream stream;
        bool differs = false;
        RunOutcome outcome = platform::StorageSucceeded(storage.OpenStream(plan_.streams[k].name, stream))
                                 ? WriteStream(stream, k, differs)
                                 : Damaged(plan_.streams[k].targetPath);
        if (!outcome.succeeded()) {
            RemoveParts();
            return ReportKept(run_.User(), std::move(outcome));
        }
        if (differs && differing.empty()) differing = plan_.streams[k].targetPath;
    }
    return RunOutcome::Done();
}

bool ContainerReader::SameAsInPlace(platform::File& existing, const uint8_t* buffer, size_t n, uint8_t* scratch) {
    size_t got = 0;
    return existing.Read(scratch, n, got).ok() && got == n && std::memcmp(scratch, buffer, n) == 0;
}

RunOutcome ContainerReader::WriteStream(platform::InStream& stream, size_t k, bool& differs) {
    StreamPlan& plan = plan_.streams[k];
    uint8_t header[StreamHeader::kSize];
    if (!ReadExact(stream, header, sizeof header) || std::memcmp(header, plan.headerBytes, sizeof header) != 0) {
        return Damaged(plan.targetPath);
    }
    uint8_t key[Poly1305::kKeySize];
    run_.KeyStream(plan.header.salt, key);
    Poly1305 mac(key);
    platform::SecureZero(key, sizeof key);
    StartStreamDigest(mac, plan_.index.salt, static_cast<uint32_t>(k));
    mac.Update(header, sizeof header);

    // What is in place now, compared as we go: a restore never replaces other content.
    platform::File existing;
    differs = false;
    if (platform::FileExists(plan.targetPath)) {
        const platform::FileStatus opened = platform::File::Open(plan.targetPath, platform::File::Mode::Read, existing);
        if (!opened.ok()) {
            if (opened.cause() != platform::FileStatus::LinkRefused &&
                opened.cause() != platform::FileStatus::NotAFile) {
                return NotWrittenBack(opened);
            }
            differs = true;
        }
    }

    const std::string partPath = NewTemporaryPath(plan.targetPath, ".part");
    platform::File out;
    const platform::FileStatus created =
        platform::File::Open(partPath, platform::File::Mode::CreateNew, out, platform::File::OwnerOnly);
    if (!created.ok()) return NotWrittenBack(created);
    plan.partPath = partPath;  // from now on it is ours to erase
    // The worker reads and digests the enciphered chunks ahead, and compares each
    // deciphered chunk with the file in place and writes it; the cipher, the progress
    // and the question to cancel stay here, between chunks.
    uint64_t left = plan.plainSize;
    bool damaged = false;
    platform::FileStatus written;
    ChunkPipeline::Pass pass(
        run_.Pipeline(), plan.plainSize,
        [&](uint8_t* buffer, size_t& size) {
            size = static_cast<size_t>(std::min<uint64_t>(left, size));
            if (size > 0 && !ReadExact(stream, buffer, size)) {
                damaged = true;
                return false;
            }
            mac.Update(buffer, size);
            left -= size;
            return true;
        },
        [&](const uint8_t* buffer, size_t size) {
            if (existing.IsOpen() && !differs) differs = !SameAsInPlace(existing, buffer, size, run_.CompareBuffer());
            written = out.Write(buffer, size);
            return written.ok();
        });
    uint8_t* chunk = nullptr;
    for (size_t n = 0; pass.Next(chunk, n);) {
        Rc4Crypt(chunk, n, run_.Cipher());
        run_.Count(n);
        if (run_.CancelConfirmed()) return RunOutcome::Failed(ResultUnspecified);
        pass.Done();
    }
    const bool finished = pass.Finish();
    if (damaged) return Damaged(plan.targetPath);
    if (!written.ok()) return NotWrittenBack(written);
    if (!finished) return NotWrittenBack(platform::FileStatus(platform::FileStatus::HardIO, partPath));
    if (existing.IsOpen() && !differs) {
        uint8_t more;
        size_t got = 0;
        differs = !existing.Read(&more, 1, got).ok() || got != 0;
    }
    plan.inPlace = existing.IsOpen() && !differs;
    (void)existing.Close();  // only read

    uint8_t digest[Poly1305::kTagSize];
    mac.Final(digest);
    if (plan_.sealed && !SameDigest(digest, plan_.seal.streamDigests[k].bytes)) return Damaged(plan.targetPath);

    if (plan.header.stamped) {
        platform::FileStamp stamp;
        stamp.mode = plan.header.mode != 0 ? plan.header.mode : 0600;
        stamp.modifiedSeconds = plan.header.modifiedSeconds;
        stamp.modifiedNanoseconds = plan.header.modifiedNanoseconds;
        if (const platform::FileStatus stamped = out.SetStamp(stamp); !stamped.ok()) return NotWrittenBack(stamped);
    }
    // Where the whole file system cannot be flushed at once, the part is flushed while
    // the handle may still write it (afterwards it may be read-only).
    if (!platform::CanFlushFileSystem()) {
        if (const platform::FileStatus flushed = out.Flush(); !flushed.ok()) return NotWrittenBack(flushed);
    }
    if (const platform::FileStatus closed = out.Close(); !closed.ok()) return NotWrittenBack(closed);
    return RunOutcome::Done();
}

RunOutcome ContainerReader::FlushParts() {
    if (plan_.streams.empty() || !platform::CanFlushFileSystem() || platform::FlushFileSystemOf(plan_.storeFolder)) {
        return RunOutcome::Done();  // each part was flushed as it was written, or all at once here
    }
    for (const StreamPlan& plan : plan_.streams) {
        platform::File part;
        platform::FileStatus status = platform::File::Open(plan.partPath, platform::File::Mode::Read, part);
        if (status.ok()) status = part.Flush();
        if (!status.ok()) {
            RemoveParts();
            return ReportKept(run_.User(), NotWrittenBack(status));
        }
    }
    return RunOutcome::Done();
}

RunOutcome ContainerReader::PlaceFiles() {
    // Nothing gets a store file's name before every copy is on stable storage.
    if (RunOutcome flushed = FlushParts(); !flushed.succeeded()) return flushed;
    for (StreamPlan& plan : plan_.streams) {
        // What an interrupted restore already put in place stays as it is (a read-only
        // file could not be replaced anyway); its spare copy goes.
        if (plan.inPlace) {
            StoreEraser(run_).EraseLeftover(plan.partPath, ErasesWithOverwrite(plan_));
            plan.partPath.clear();
            continue;
        }
        if (const platform::FileStatus renamed = platform::RenameFileDeferred(plan.partPath, plan.targetPath);
            !renamed.ok()) {
            // The files put in place so far hold exactly the container's bytes, so a
            // second restore finds them as its own and goes on.
            RemoveParts();
            return ReportKept(run_.User(), NotWrittenBack(renamed));
        }
        plan.partPath.clear();
    }
    if (!plan_.streams.empty() && !platform::FlushFolder(plan_.storeFolder)) {
        return ReportKept(
            run_.User(),
            RunOutcome::Failed(ResultUnspecified, plan_.storeFolder,
                               "The message store folder could not be written to the disk:\r\n" + plan_.storeFolder));
    }
    return RunOutcome::Done();
}

void ContainerReader::RemoveParts() {
    StoreEraser eraser(run_);
    for (StreamPlan& plan : plan_.streams) {
        if (plan.partPath.empty()) continue;
        eraser.EraseLeftover(plan.partPath, ErasesWithOverwrite(plan_));
        plan.partPath.clear();
    }
}

RunOutcome ContainerReader::Verify(const ContainerPlan& written, const std::vector<StoreFile>& files) {
    run_.SetStatus("Checking protected container");
    std::string fault;
    platform::InStorage storage;
    ContainerPlanner planner(run_);
    bool ok = platform::StorageSucceeded(storage.Open(run_.ContainerPath())) && planner.Load(storage, plan_, fault);
    if (!ok && fault.empty()) fault = "it cannot be opened";
    if (ok && (plan_.indexBytes != written.indexBytes || plan_.seal.Serialize() != written.seal.Serialize() ||
               plan_.streams.size() != files.size())) {
        ok = false;
        fault = "what was read back differs from what was written";
    }
    for (size_t k = 0; ok && k < plan_.streams.size(); ++k) {
        if (plan_.streams[k].targetPath != files[k].file.Path()) {
            ok = false;
            fault = "a file would not be put back where it came from: " + files[k].file.Path();
        }
    }
    if (ok && (!planner.CheckKeys(plan_, ContainerPlanner::KeyPolicy::CurrentPasswordOnly) ||
               !planner.IndexDigestMatches(plan_))) {
        ok = false;
        fault = "it does not match the password it was written under";
    }
    bool canceled = false;
    if (ok) fault = VerifyStreams(storage, canceled);
    if (ok && fault.empty() && !canceled) return RunOutcome::Done();
    return RunOutcome::Failed(ResultCopyError, run_.ContainerPath(), canceled ? std::string() : fault);
}

std::string ContainerReader::VerifyStreams(platform::InStorage& storage, bool& canceled) {
    run_.StartCount(run_.TotalBytes());
    for (size_t k = 0; k < plan_.streams.size(); ++k) {
        const StreamPlan& stream = plan_.streams[k];
        platform::InStream in;
        if (!platform::StorageSucceeded(storage.OpenStream(stream.name, in))) {
            return "the stream of " + stream.targetPath + " cannot be read back";
        }
        uint8_t key[Poly1305::kKeySize];
        run_.KeyStream(stream.header.salt, key);
        Poly1305 mac(key);
        platform::SecureZero(key, sizeof key);
        StartStreamDigest(mac, plan_.index.salt, static_cast<uint32_t>(k));
        // The worker reads the stream ahead; the digest, the progress and the question
        // to cancel are here.
        uint64_t left = in.Size();
        ChunkPipeline::Pass pass(
            run_.Pipeline(), left,
            [&](uint8_t* buffer, size_t& size) {
                size_t got = 0;
                const size_t want = static_cast<size_t>(std::min<uint64_t>(left, size));
                // A stream that reads short leaves bytes unread, which fails the check below.
                if (want > 0 && platform::StorageSucceeded(in.Read(buffer, want, &got))) left -= got;
                size = got;
                return true;
            },
            {});
        uint8_t* chunk = nullptr;
        for (size_t n = 0; pass.Next(chunk, n);) {
            mac.Update(chunk, n);
            run_.Count(n);
            if (run_.CancelConfirmed()) {
                canceled = true;
                return std::string();
            }
            pass.Done();
        }
        if (!pass.Finish()) left = 1;
        uint8_t digest[Poly1305::kTagSize];
        mac.Final(digest);
        if (left != 0 || !SameDigest(digest, plan_.seal.streamDigests[k].bytes)) {
            return "the copy of " + stream.targetPath + " does not read back as written";
        }
    }
    return std::string();
}
