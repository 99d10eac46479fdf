// Compound files (root storage with named streams). Every call reports a status; no
// call throws. Each status has the value of the HRESULT the system's storage gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/NonCopyable.h"

namespace platform {

enum class [[nodiscard]] StorageStatus : int32_t {
    Ok = 0,
    Failed = static_cast<int32_t>(0x80004005u),             // E_FAIL
    FileNotFound = static_cast<int32_t>(0x80030002u),       // STG_E_FILENOTFOUND
    AccessDenied = static_cast<int32_t>(0x80030005u),       // STG_E_ACCESSDENIED
    InvalidName = static_cast<int32_t>(0x800300FCu),        // STG_E_INVALIDNAME
    WriteFault = static_cast<int32_t>(0x8003001Du),         // STG_E_WRITEFAULT
    ReadFault = static_cast<int32_t>(0x8003001Eu),          // STG_E_READFAULT
    InvalidHeader = static_cast<int32_t>(0x800300FBu),      // STG_E_INVALIDHEADER
    Reverted = static_cast<int32_t>(0x80030102u),           // STG_E_REVERTED
    PathNotFound = static_cast<int32_t>(0x80030003u),       // STG_E_PATHNOTFOUND
    ShareViolation = static_cast<int32_t>(0x80030020u),     // STG_E_SHAREVIOLATION
    FileAlreadyExists = static_cast<int32_t>(0x80030050u),  // STG_E_FILEALREADYEXISTS
    MediumFull = static_cast<int32_t>(0x80030070u),         // STG_E_MEDIUMFULL
};
constexpr StorageStatus kStorageOk = StorageStatus::Ok;
constexpr StorageStatus kStorageFailed = StorageStatus::Failed;
constexpr StorageStatus kStorageFileNotFound = StorageStatus::FileNotFound;
constexpr StorageStatus kStorageAccessDenied = StorageStatus::AccessDenied;
constexpr StorageStatus kStorageInvalidName = StorageStatus::InvalidName;
constexpr StorageStatus kStorageWriteFault = StorageStatus::WriteFault;
constexpr StorageStatus kStorageReadFault = StorageStatus::ReadFault;
constexpr StorageStatus kStorageInvalidHeader = StorageStatus::InvalidHeader;
constexpr StorageStatus kStorageReverted = StorageStatus::Reverted;
constexpr StorageStatus kStoragePathNotFound = StorageStatus::PathNotFound;
constexpr StorageStatus kStorageShareViolation = StorageStatus::ShareViolation;
constexpr StorageStatus kStorageFileAlreadyExists = StorageStatus::FileAlreadyExists;
constexpr StorageStatus kStorageMediumFull = StorageStatus::MediumFull;

inline bool StorageSucceeded(StorageStatus s) { return static_cast<int32_t>(s) >= 0; }

class OutStream;
class InStream;

// A compound file being written. Streams are created one after the other; a stream
// must be committed or released before the next one is created (kStorageAccessDenied
// otherwise). Stream names are 1 to 31 characters without / \ : or ! and unique in
// the file. The file is held exclusively from Create until Commit or Release.
class OutStorage : NonCopyable {
public:
    OutStorage();
    ~OutStorage();
    OutStorage(OutStorage&&) noexcept;
    OutStorage& operator=(OutStorage&&) noexcept;

    // Creates the file, replacing an existing one. The file is readable by the user
    // only (it holds secrets), whether it is new or replaced. A symbolic link at path
    // is never followed, nor is anything but a regular file written: both give
    // kStorageAccessDenied (as Open does).
    StorageStatus Create(const std::string& path);
    // Creates a new file, readable by the user only; fails with
    // kStorageFileAlreadyExists when anything (a dangling link included) is at path.
    StorageStatus CreateNew(const std::string& path);
    // `stream` is released first, so handing in the stream just written ends it (what
    // it holds stays, and a failure in ending it is reported by Commit).
    StorageStatus CreateStream(const std::string& name, OutStream& stream);
    // Writes everything out, closes the file and forces it to stable storage. A
    // stream still open is committed first. Any write failure since Create, also one
    // that the file system reported late, makes this fail.
    StorageStatus Commit();
    // Lets go of the file without committing: what is on disk is not a complete
    // compound file (it is left empty), so it can never pass for a committed one.
    void Release();
    bool IsOpen() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

class OutStream : NonCopyable {
public:
    OutStream();
    ~OutStream();
    OutStream(OutStream&&) noexcept;
    OutStream& operator=(OutStream&&) noexcept;

    // *written gets the count written (0 on failure). A zero-byte write succeeds.
    StorageStatus Write(const void* data, size_t size, size_t* written);
    // Ends the stream; nothing more can be written to it (kStorageReverted).
    StorageStatus Commit();
    // Ends the stream if it is still open (what was written stays) and lets go of it.
    void Release();
    bool IsOpen() const;

    struct Impl;

private:
    friend class OutStorage;
    std::unique_ptr<Impl> impl_;
};

// A compound file opened for reading. Others may read it at the same time, nobody
// may write it until the storage and every stream opened from it are released. A file
// that is not a complete compound file fails to open or gives failure statuses on the
// way; it never crashes the reader.
class InStorage : NonCopyable {
public:
    InStorage();
    ~InStorage();
    InStorage(InStorage&&) noexcept;
    InStorage& operator=(InStorage&&) noexcept;

    StorageStatus Open(const std::string& path);
    // Stream names are compared without regard to case, as on Windows. Finding the
    // name does not depend on the number of entries (the names are indexed at Open).
    StorageStatus OpenStream(const std::string& name, InStream& stream);
    // Every entry of the root storage, in the file's directory order (the order of its
    // directory tree: for files written here, shorter names first, then by name
    // without regard to case). Empty when not open.
    struct Entry {
        std::string name;
        bool isStream;  // false for a storage
    };
    std::vector<Entry> Entries() const;
    void Release();
    bool IsOpen() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

class InStream : NonCopyable {
public:
    InStream();
    ~InStream();
    InStream(InStream&&) noexcept;
    InStream& operator=(InStream&&) noexcept;

    // *read gets the count read; 0 at the end of the stream. Data the file does not
    // hold (a truncated or damaged file) gives kStorageReadFault and *read 0.
    StorageStatus Read(void* data, size_t size, size_t* read);
    uint64_t Size() const;
    void Release();
    bool IsOpen() const;

    struct Impl;

private:
    friend class InStorage;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
