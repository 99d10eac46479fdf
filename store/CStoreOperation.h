// The context of one hide or one restore run: the cipher state, the byte totals, the
// saved registry key, the open store files and the progress window. It owns all of
// them and lets go of them when the run ends: files are closed (last first), the
// progress window is destroyed, and the cipher state and the password are wiped.
//
// Nothing here may lose mail. The container is written under a private temporary name
// and renamed into place only when complete and on stable storage; the hide then reads
// it back and checks it as a restore would before a single plain file is erased. A
// restore plans and checks the whole container before it writes anything, writes every
// file under a private temporary name, proves every byte against the container's
// digests, and only then puts the files in place, rebuilds the registry key and deletes
// the container. A container that would replace something newer is kept aside instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/ProgressWindow.h"
#include "identities/RegistryBackup.h"
#include "platform/CompoundFile.h"
#include "platform/File.h"
#include "store/ContainerSeal.h"
#include "store/IndexHeader.h"
#include "crypto/Rc4.h"
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
    // More than any registry key of a mail identity holds; a larger index is not read.
    static constexpr uint64_t kMaxIndexBytes = 64u << 20;

    CStoreOperation();
    ~CStoreOperation();
    CStoreOperation(const CStoreOperation&) = delete;
    CStoreOperation& operator=(const CStoreOperation&) = delete;

    // Hide: back up the registry key, protect the store, remove the identity. On a
    // failure after the store is protected everything is put back from the container.
    bool RunHide(const std::string& storeRoot);
    // Restore: check the container whole, write the files back, rebuild the registry
    // key, delete the container.
    bool RunRestore();
    // Removes what a run that died left behind: a container written halfway, and files
    // a restore had not yet put in place (erased as the container's level erases).
    void CleanLeftovers();
    // Everything a restore checks before it writes: the container's structure, paths,
    // registry backup and digests, and the key of every stream (asking for the password
    // the store was hidden under when the current one does not fit). Writes nothing.
    bool CheckContainer();

    RegistryBackup& Backup() { return backup_; }
    uint64_t TotalBytes() const { return totalBytes_; }

    // The name of the k-th file stream: "00000", "00001", ...
    static std::string StreamName(size_t index);

    // Called with every block the shredder writes (path, bytes, count). For tests,
    // which have no other way to see data that is deleted right after.
    using ShredObserver = std::function<void(const std::string&, const uint8_t*, size_t)>;
    static void SetShredObserver(ShredObserver observer);

private:
    struct StoreFile {
        platform::File file;
        uint64_t size = 0;
        platform::FileStamp stamp;
    };
    // One file stream of a container, checked and ready to be written back.
    struct StreamPlan {
        std::string name;
        StreamHeader header;
        uint8_t headerBytes[StreamHeader::kSize] = {};
        std::string targetPath;
        uint64_t plainSize = 0;
        std::string partPath;  // the private name it is written under, once created
        bool inPlace = false;  // the file in place already holds exactly these bytes
    };
    // Everything a container promises, read and checked before anything is written.
    struct ContainerPlan {
        IndexHeader index;
        std::vector<uint8_t> indexBytes;
        bool sealed = false;
        ContainerSeal seal;
        std::string storeFolder;
        std::vector<StreamPlan> streams;
    };
    enum class KeyPolicy { AskForHideTimePassword, CurrentPasswordOnly };

    static ShredObserver& ShredObserverSlot();

    // Keys the cipher state for one stream from its salt and the run's password.
    void DeriveStoreKey(const uint8_t* salt, size_t saltLength);

    // Hide.
    // Puts guardid and the backup's four texts in their fields; false when one does not fit.
    bool PutHeaderTexts(IndexHeader& h) const;
    bool CheckHeaderTexts();
    bool ProtectStore(const std::string& storeRoot);
    bool FindStoreFiles(const std::string& folder);
    bool CheckStoreLimits(const std::string& folder);
    bool WriteContainer();
    // The writer's steps throw the file layer's report (or UserAbort) on failure.
    void WriteIndexStream(platform::OutStorage& storage);
    void EncryptFileToStream(size_t k, platform::OutStream& stream);
    void WriteSealStream(platform::OutStorage& storage);
    bool VerifyContainer();
    bool EraseStoreFiles(bool overwrite);
    void EraseFile(StoreFile& file, bool overwrite);
    bool UndoHide();

    // Both: the plan of a container and its checks. `fault` names the first one found.
    bool LoadPlan(platform::InStorage& storage, ContainerPlan& plan, std::string& fault);
    bool ReadIndex(platform::InStorage& storage, ContainerPlan& plan, std::string& fault);
    bool PlanStreams(platform::InStorage& storage, ContainerPlan& plan, std::string& fault);
    bool CheckKeys(ContainerPlan& plan, KeyPolicy policy);
    bool KeysMatch(const ContainerPlan& plan);
    bool IndexDigestMatches(const ContainerPlan& plan);
    // Keys the cipher for a stream and gives the one-time key of its digest.
    void KeyStream(const uint8_t (&salt)[16], uint8_t (&digestKey)[Poly1305::kKeySize]);

    // Restore.
    bool ReadContainer();
    bool CheckNothingNewer(std::string& reason);
    bool WriteBackFiles(platform::InStorage& storage);
    void DecryptStreamToFile(platform::InStream& stream, size_t k, bool& sameAsTarget);
    // Every part file on stable storage: the whole file system at once where it can,
    // each file otherwise.
    bool FlushParts();
    bool PlaceFiles();
    void RemoveParts();
    bool FinishRestore();
    bool KeepStaleContainer(const std::string& reason);
    // Renames the container to "<name>.kept-<date>-<time>.dat" beside it, never
    // replacing anything; `kept` gets the new path.
    bool MoveContainerAside(std::string& kept);
    // Erases one plain file a restore wrote but did not put in place.
    void EraseLeftoverPart(const std::string& path, bool overwrite);

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
    std::string guardId_;
    std::string containerPath_;
    RegistryBackup backup_;
    std::vector<StoreFile> files_;
    ContainerPlan plan_;
    std::unique_ptr<ProgressWindow> progress_;
    int securityLevel_ = 0;
    // One buffer for every chunk of the run, and one for the file in place that a
    // restore compares its chunks with.
    std::unique_ptr<uint8_t[]> buffer_;
    std::unique_ptr<uint8_t[]> compareBuffer_;
};
