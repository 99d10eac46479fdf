// The context of one hide or one restore run: the request it carries out, the cipher
// state, the chunk buffers, the saved registry key, the byte count and the progress
// window. It owns all of them and lets go of them when the run ends: the progress
// window is destroyed, and the cipher state, the buffers and the password are wiped.
// The steps of a run (ContainerWriter, ContainerReader, StoreEraser) work on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/ProgressWindow.h"
#include "base/UserInterface.h"
#include "crypto/Poly1305.h"
#include "crypto/Rc4.h"
#include "identities/RegistryBackup.h"
#include "store/ChunkPipeline.h"
#include "store/RunRequest.h"

class CStoreOperation {
public:
    static constexpr size_t kChunkSize = ChunkPipeline::kChunkSize;
    // Sizes are kept in 32-bit header fields and progress arithmetic: a store of 2 GiB
    // or more is refused before anything changes.
    static constexpr uint64_t kMaxStoreBytes = 0x80000000u;
    // Paths of 260 characters or more do not fit the container's fields (and are not
    // usable on every platform the container travels to).
    static constexpr size_t kMaxPathLength = 260;
    // More file streams than "%05d" can name cannot come from a real store.
    static constexpr uint32_t kMaxFileCount = 100000;
    // More than any registry key of a mail identity holds; a larger index is not read.
    static constexpr uint64_t kMaxIndexBytes = 64u << 20;

    // ui is the run's way to the user; it must outlive the run.
    CStoreOperation(RunRequest request, UserInterface& ui);
    ~CStoreOperation();
    CStoreOperation(const CStoreOperation&) = delete;
    CStoreOperation& operator=(const CStoreOperation&) = delete;

    UserInterface& User() { return ui_; }
    const std::string& IdentityKeyName() const { return request_.identityKeyName; }
    const std::string& StoreRoot() const { return request_.storeRoot; }
    int SecurityLevel() const { return request_.securityLevel; }
    const std::string& ContainerPath() const { return request_.containerPath; }
    // The password changes only when the user gives the one a store was hidden under.
    void ReplacePassword(std::string& candidate);

    RegistryBackup& Backup() { return backup_; }
    Rc4State& Cipher() { return cipher_; }
    // Keys the cipher for one salt under the run's password.
    void KeyCipher(const uint8_t* salt, size_t saltLength);
    // Keys the cipher for a stream and gives the one-time key of its digest.
    void KeyStream(const uint8_t (&salt)[16], uint8_t (&digestKey)[Poly1305::kKeySize]);
    // The second thread that reads and writes the chunks of the run's copies, with its
    // ring of chunk buffers.
    ChunkPipeline& Pipeline() { return pipeline_; }
    // One buffer for the shredder's blocks, and one for the file in place that a
    // restore compares its chunks with; kChunkSize bytes each.
    uint8_t* Buffer() { return buffer_.get(); }
    uint8_t* CompareBuffer() { return compareBuffer_.get(); }

    // Progress: the window may be missing; every call is safe without it.
    void OpenProgress(const std::string& status);
    void SetStatus(const std::string& status);
    void CloseProgress();
    // The bytes the progress bar stands for, and the count done so far.
    void StartCount(uint64_t totalBytes);
    uint64_t TotalBytes() const { return totalBytes_; }
    void Count(uint64_t bytes);
    // Picks up a cancel request and asks whether to stop; true when the user said Yes.
    [[nodiscard]] bool CancelConfirmed();
    // For a phase that cannot be canceled: the button goes, requests are discarded.
    void HideCancel();
    void DiscardCancel();

    // The name of the k-th file stream: "00000", "00001", ...
    static std::string StreamName(size_t index);

    void ShredBlockWritten(const std::string& path, const uint8_t* data, size_t size) const {
        if (request_.onShredBlock) request_.onShredBlock(path, data, size);
    }

private:
    RunRequest request_;
    UserInterface& ui_;
    Rc4State cipher_;
    RegistryBackup backup_;
    std::unique_ptr<ProgressWindow> progress_;
    uint64_t totalBytes_ = 0;
    uint64_t done_ = 0;
    std::unique_ptr<uint8_t[]> buffer_;
    std::unique_ptr<uint8_t[]> compareBuffer_;
    ChunkPipeline pipeline_;
};
