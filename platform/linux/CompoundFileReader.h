// Reads a compound file straight from its descriptor: the header, the directory and
// the small tables are read once, at Open. The main allocation table, 4 bytes for every
// 512 of the file, is not held: a chain is followed through a small window of it, read
// as it is needed, so memory stays flat at any container size. Finding the bytes of a
// stream costs in proportion to that stream's length only. libgsf's reader keeps
// the entries of a storage in a sorted linked list that every lookup walks from its
// head, so opening all N streams of a container cost N^2 and more; that is why the
// reading side does not go through libgsf (the writing side still does).
//
// Every number taken from the file is checked before it is used: a damaged or
// truncated file gives a failure status, never a read outside the tables or a
// success with bytes the file does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "UniqueFd.h"
#include "platform/CompoundFile.h"

namespace platform {

class CompoundFileReader {
public:
    enum class EntryType : uint8_t { Storage = 1, Stream = 2, Root = 5 };

    struct DirectoryEntry {
        std::string name;  // UTF-8
        EntryType type;
        uint32_t start;    // first sector (or mini sector) of a stream
        uint64_t size;
    };

    // A run of a stream's bytes that lies in one piece in the file.
    struct Extent {
        uint64_t streamOffset;
        uint64_t fileOffset;
        uint64_t length;
    };

    // Reads the tables of the compound file open at fd (which it keeps, with its
    // lock, for as long as the reader lives). kStorageInvalidHeader for anything
    // that is not a complete compound file as far as the tables go.
    static StorageStatus Open(UniqueFd fd, std::shared_ptr<const CompoundFileReader>& out);

    CompoundFileReader(const CompoundFileReader&) = delete;
    CompoundFileReader& operator=(const CompoundFileReader&) = delete;

    // The entries of the root storage, in the order of the directory tree.
    const std::vector<DirectoryEntry>& RootEntries() const { return rootEntries_; }

    // Where the bytes of a stream entry lie, in stream order, covering exactly its
    // size. kStorageReadFault when its chain of sectors is broken or leaves the file.
    StorageStatus StreamExtents(const DirectoryEntry& entry, std::vector<Extent>& out) const;

    // Reads exactly size bytes at offset; false on any shortfall.
    bool ReadAt(uint64_t offset, void* data, size_t size) const;

private:
    CompoundFileReader() = default;

    StorageStatus ReadHeaderAndTables();
    bool ReadSector(uint32_t sector, void* data) const;
    uint64_t SectorOffset(uint32_t sector) const { return (uint64_t(sector) + 1) << sectorShift_; }
    // No chain of the file is longer than this, nor can it have more FAT sectors.
    size_t WholeSectors() const { return static_cast<size_t>(fileSize_ >> sectorShift_); }
    // True for a sector number that names a whole sector inside the file.
    bool IsWholeSector(uint32_t sector) const;
    class FatWindow;
    // Follows a chain of the allocation table from first until its end; false when it
    // leaves the table, comes round again or runs over limit sectors.
    bool FollowChain(uint32_t first, size_t limit, std::vector<uint32_t>& chain) const;
    // Calls visit(index, sector) for the n links of the chain that starts at first, which
    // must end right after them; false when it does not or leaves the table or the file.
    template <typename Visit>
    bool WalkFatChain(uint32_t first, uint64_t n, Visit visit) const;
    bool ReadFatSectorList(const uint8_t* header, uint32_t fatSectors, uint32_t difatFirst,
                           uint32_t difatSectors, std::vector<uint32_t>& list) const;
    bool ReadTable(const std::vector<uint32_t>& sectors, std::vector<uint32_t>& table) const;
    // The directory's bytes: whole entries, the root first.
    bool ReadDirectory(uint32_t first, std::vector<uint8_t>& directory) const;
    bool CollectRootEntries(const std::vector<uint8_t>& directory, uint16_t major);
    // Appends length bytes at fileOffset to extents, joining them to the last run when
    // they follow it in the file.
    static void AddExtent(std::vector<Extent>& extents, uint64_t streamOffset, uint64_t fileOffset,
                          uint64_t length);

    UniqueFd fd_;
    uint64_t fileSize_ = 0;
    unsigned sectorShift_ = 9;
    uint32_t miniCutoff_ = 4096;
    std::vector<uint32_t> fatSectors_;  // where the allocation table's sectors lie
    size_t fatEntries_ = 0;
    std::vector<uint32_t> miniFat_;
    std::vector<uint32_t> miniStreamSectors_;  // the root entry's chain: the mini sectors live there
    uint64_t miniStreamSize_ = 0;
    std::vector<DirectoryEntry> rootEntries_;
};

}  // namespace platform
