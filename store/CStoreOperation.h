// The context of one hide or one restore run: the cipher state, the byte totals, the
// saved registry key, the open store files and the progress window. It owns all of
// them and lets go of them when the run ends: files are closed (last first), the
// progress window is destroyed, and the cipher state and the password are wiped.
//
// Nothing here may lose mail. The container is written under a temporary name and
// renamed into place only when complete and on stable storage; plain files are erased
// only after that; a restore checks every stream before it writes a single file, and
// writes each file under a temporary name that replaces the target only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ProgressWindow.h"
#include "identities/RegistryBackup.h"
#include "platform/CompoundFile.h"
#include "platform/File.h"
#include "store/Rc4.h"
#include "store/StreamHeader.h"

class CStoreOperation {
public:
    static constexpr size_t kChunkSize = 65536;
    // Sizes are kept in 32-bit header fields and progress arithmetic: a store of 2 GiB
    // or more is refused before anything changes.
    static constexpr uint64_t kMaxStoreBytes = 0x80000000u;
    // Paths of 260 characters or more do not fit the container's fields (and are not
    // usable on every platform the container travels to).
    static constexpr size_t kMaxPathLength = 260;
    // More file streams than "%05d" can name cannot come from a real store.
    static constexpr uint32_t kMaxFileCount = 100000;

    CStoreOperation();
    ~CStoreOperation();
    CStoreOperation(const CStoreOperation&) = delete;
    CStoreOperation& operator=(const CStoreOperation&) = delete;

    // Hide: back up the registry key, protect the store, remove the identity. On a
    // failure after the store is protected everything is put back from the container.
    bool RunHide(const std::string& storeRoot);
    bool ProtectStore(const std::string& storeRoot);
    // Opens every *.dbx file of the folder exclusively; true when at least one was
    // found and all were opened.
    bool FindStoreFiles(const std::string& folder);
    bool WriteContainer();
    // Erases the plain files (deletes them, overwriting first when asked), last first.
    // A file that cannot be erased does not stop the others; the user is told which
    // remain. True when all are gone.
    bool EraseStoreFiles(bool overwrite);

    // Restore: read the container back, rebuild the registry key, delete the container.
    bool RunRestore();
    bool ReadContainer();
    // Everything ReadContainer checks before it writes: the container's structure,
    // paths and registry backup, and the key of every stream (asking for the password
    // the store was hidden under when the current one does not fit). Writes nothing.
    bool CheckContainer();

    // Keys the cipher state for one stream from its salt and the run's password.
    void DeriveStoreKey(const uint8_t* salt, size_t saltLength);

    RegistryBackup& Backup() { return backup_; }
    size_t StoreFileCount() const { return files_.size(); }
    uint64_t TotalBytes() const { return totalBytes_; }

    // Called with every block the shredder writes (path, bytes, count). For tests,
    // which have no other way to see data that is deleted right after.
    // The name of the k-th file stream: "00000", "00001", ...
    static std::string StreamName(size_t index);

    using ShredObserver = std::function<void(const std::string&, const uint8_t*, size_t)>;
    static void SetShredObserver(ShredObserver observer);

private:
    struct StoreFile {
        platform::File file;
        uint64_t size = 0;
    };
    // One file stream of a container, checked and ready to be written back.
    struct StreamPlan {
        std::string name;
        StreamHeader header;
        std::string targetPath;
        uint64_t plainSize = 0;
    };

    static ShredObserver& ShredObserverSlot();

    void EncryptFileToStream(StoreFile& file, platform::OutStream& stream);
    void DecryptStreamToFile(platform::InStream& stream, const StreamPlan& plan);
    void EraseFile(StoreFile& file, bool overwrite);

    // Hide helpers.
    bool CheckHeaderTexts();
    bool CheckStoreLimits();
    bool WriteIndexStream(platform::OutStorage& storage);
    bool WriteFileStreams(platform::OutStorage& storage);
    bool UndoHide();

    // Restore helpers: everything is checked before anything is written.
    bool ReadIndexStream(platform::InStorage& storage);
    bool PlanFileStreams(platform::InStorage& storage);
    bool CheckStreamKeys();
    bool KeyMatches(const StreamPlan& plan);
    bool WriteBackFiles(platform::InStorage& storage);

    // Progress: the window may be missing; every call is safe without it.
    void OpenProgress(const std::string& status);
    void CloseProgress();
    void ReportProgress(uint64_t done);
    // Picks up a cancel request and asks whether to stop; throws UserAbort on Yes.
    void CheckCancel();
    void CloseStoreFiles();

    uint64_t running_ = 0;
    uint64_t totalBytes_ = 0;
    Rc4State cipher_;
    std::string password_;
    RegistryBackup backup_;
    std::vector<StoreFile> files_;
    std::vector<StreamPlan> plans_;
    uint32_t fileCount_ = 0;
    std::unique_ptr<ProgressWindow> progress_;
    int securityLevel_ = 0;
    // One buffer for every chunk of the run.
    std::unique_ptr<uint8_t[]> buffer_;
};
