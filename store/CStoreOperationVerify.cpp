// The hide's check of its own work: the container it has just written is read back
// from the disk and checked exactly as a restore would check it, digests and all,
// before a single plain file is erased.
#include <algorithm>

#include "base/UserInterface.h"
#include "platform/Shell.h"
#include "store/CStoreOperation.h"
#include "store/Container.h"
#include "base/UserAbort.h"

bool CStoreOperation::VerifyContainer() {
    if (progress_) progress_->SetStatusText("Checking protected container");
    std::string fault;
    platform::InStorage storage;
    ContainerPlan written = std::move(plan_);
    plan_ = ContainerPlan();
    bool ok = platform::StorageSucceeded(storage.Open(containerPath_)) && LoadPlan(storage, plan_, fault);
    if (!ok && fault.empty()) fault = "it cannot be opened";
    if (ok && (plan_.indexBytes != written.indexBytes || plan_.seal.Serialize() != written.seal.Serialize() ||
               plan_.streams.size() != files_.size())) {
        ok = false;
        fault = "what was read back differs from what was written";
    }
    for (size_t k = 0; ok && k < plan_.streams.size(); ++k) {
        if (plan_.streams[k].targetPath != files_[k].file.Path()) {
            ok = false;
            fault = "a file would not be put back where it came from: " + files_[k].file.Path();
        }
    }
    if (ok && (!CheckKeys(plan_, KeyPolicy::CurrentPasswordOnly) || !IndexDigestMatches(plan_))) {
        ok = false;
        fault = "it does not match the password it was written under";
    }
    // Every digest, from the bytes on the disk.
    running_ = 0;
    try {
        for (size_t k = 0; ok && k < plan_.streams.size(); ++k) {
            StreamPlan& stream = plan_.streams[k];
            platform::InStream in;
            if (!platform::StorageSucceeded(storage.OpenStream(stream.name, in))) {
                ok = false;
                fault = "the stream of " + stream.targetPath + " cannot be read back";
                break;
            }
            uint8_t key[Poly1305::kKeySize];
            KeyStream(stream.header.salt, key);
            Poly1305 mac(key);
            platform::SecureZero(key, sizeof key);
            ::StartStreamDigest(mac, plan_.index.salt, static_cast<uint32_t>(k));
            uint64_t left = in.Size();
            while (left > 0) {
                size_t got = 0;
                const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kChunkSize));
                if (!platform::StorageSucceeded(in.Read(buffer_.get(), want, &got)) || got == 0) break;
                mac.Update(buffer_.get(), got);
                left -= got;
                running_ += got;
                ReportProgress(running_);
                CheckCancel();
            }
            uint8_t digest[Poly1305::kTagSize];
            mac.Final(digest);
            if (left != 0 || !SameDigest(digest, plan_.seal.streamDigests[k].bytes)) {
                ok = false;
                fault = "the copy of " + stream.targetPath + " does not read back as written";
            }
        }
    } catch (const UserAbort&) {
        ok = false;
        fault.clear();
    }
    storage.Release();
    if (ok) return true;

    DeleteContainer();
    if (!fault.empty()) {
        ShowMessageBox("The protected container did not pass its check after writing: " + fault +
                           ".\r\n\r\nNothing has been changed.",
                       MB_OK | MB_ICONSTOP);
    }
    return false;
}

