#include "CompoundFileReader.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "GsfSupport.h"
#include "PosixFiles.h"

namespace platform {

namespace {

constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr size_t kHeaderSize = 512;
constexpr size_t kHeaderFatSectors = 109;  // sector numbers of the first FAT sectors, in the header
constexpr size_t kEntrySize = 128;
constexpr unsigned kMiniShift = 6;
constexpr uint32_t kMaxSector = 0xFFFFFFFAu;
constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kNoEntry = 0xFFFFFFFFu;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint64_t Le64(const uint8_t* p) { return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32; }

// The first n links of a chain in table, starting at first; the chain must end right
// after them. A chain that comes round again never ends, so this also refuses cycles.
bool ChainOfLength(const std::vector<uint32_t>& table, uint32_t first, uint64_t n, std::vector<uint32_t>& chain) {
    chain.clear();
    if (n == 0) return true;  // writers disagree on the start of an empty stream
    if (n > table.size()) return false;
    chain.reserve(static_cast<size_t>(n));
    uint32_t at = first;
    for (uint64_t i = 0; i < n; ++i) {
        if (at >= table.size()) return false;
        chain.push_back(at);
        at = table[at];
    }
    return at == kEndOfChain;
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A directory name: UTF-16LE, its length in bytes including the terminating zero.
// A lone surrogate becomes U+FFFD.
std::string DecodeName(const uint8_t* entry) {
    const size_t units = std::min<size_t>(Le16(entry + 0x40), 64) / 2;
    std::string name;
    for (size_t i = 0; i < units; ++i) {
        uint32_t c = Le16(entry + 2 * i);
        if (c == 0) break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
            const uint32_t low = Le16(entry + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(name, c >= 0xD800 && c < 0xE000 ? 0xFFFD : c);
    }
    return name;
}

}  // namespace

// A window onto the allocation table: the run of its sectors that holds the entry
// asked for, read when the walk gets there. Chains written in one go are runs of
// consecutive sectors, so a walk reads each part of the table once.
class CompoundFileReader::FatWindow {
public:
    explicit FatWindow(const CompoundFileReader& file)
        : file_(file), perSector_((size_t(1) << file.sectorShift_) / 4) {}

    // The entry of sector at; false when at lies outside the table or the table
    // cannot be read there.
    bool Next(uint32_t at, uint32_t& next) {
        if (at >= file_.fatEntries_) return false;
        const size_t sector = at / perSector_;
        if ((sector < first_ || sector >= first_ + count_) && !Load(sector)) return false;
        next = Le32(&bytes_[((sector - first_) * perSector_ + at % perSector_) * 4]);
        return true;
    }

private:
    static constexpr size_t kBytes = 16384;

    bool Load(size_t sector) {
        const std::vector<uint32_t>& sectors = file_.fatSectors_;
        const size_t most = kBytes >> file_.sectorShift_;
        size_t count = 1;
        while (count < most && sector + count < sectors.size() &&
               sectors[sector + count] == sectors[sector + count - 1] + 1) {
            ++count;
        }
        count_ = 0;
        if (!file_.ReadAt(file_.SectorOffset(sectors[sector]), bytes_, count << file_.sectorShift_)) return false;
        first_ = sector;
        count_ = count;
        return true;
    }

    const CompoundFileReader& file_;
    const size_t perSector_;
    size_t first_ = 0;
    size_t count_ = 0;
    uint8_t bytes_[kBytes];
};

template <typename Visit>
bool CompoundFileReader::WalkFatChain(uint32_t first, uint64_t n, Visit visit) const {
    if (n == 0) return true;  // writers disagree on the start of an empty stream
    if (n > fatEntries_) return false;
    FatWindow fat(*this);
    uint32_t at = first;
    for (uint64_t i = 0; i < n; ++i) {
        if (at >= fatEntries_ || !visit(i, at) || !fat.Next(at, at)) return false;
    }
    return at == kEndOfChain;
}

StorageStatus CompoundFileReader::Open(UniqueFd fd, std::shared_ptr<const CompoundFileReader>& out) {
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0) return StorageStatusFromErrno(errno);
    if (!S_ISREG(st.st_mode)) return kStorageAccessDenied;
    std::shared_ptr<CompoundFileReader> reader(new CompoundFileReader());
    reader->fd_ = std::move(fd);
    reader->fileSize_ = static_cast<uint64_t>(st.st_size);
    StorageStatus status = reader->ReadHeaderAndTables();
    if (!StorageSucceeded(status)) return status;
    out = std::move(reader);
    return kStorageOk;
}

bool CompoundFileReader::ReadAt(uint64_t offset, void* data, size_t size) const {
    return ReadFullyAt(fd_.Get(), offset, data, size);
}

bool CompoundFileReader::IsWholeSector(uint32_t sector) const {
    return sector <= kMaxSector && SectorOffset(sector) + (uint64_t(1) << sectorShift_) <= fileSize_;
}

bool CompoundFileReader::ReadSector(uint32_t sector, void* data) const {
    return IsWholeSector(sector) && ReadAt(SectorOffset(sector), data, size_t(1) << sectorShift_);
}

StorageStatus CompoundFileReader::ReadHeaderAndTables() {
    uint8_t header[kHeaderSize];
    if (fileSize_ < kHeaderSize || !ReadAt(0, header, kHeaderSize)) return kStorageInvalidHeader;
    if (std::memcmp(header, kSignature, sizeof kSignature) != 0) return kStorageInvalidHeader;
    const uint16_t major = Le16(header + 0x1A);
    const uint16_t shift = Le16(header + 0x1E);
    if (Le16(header + 0x1C) != 0xFFFE || Le16(header + 0x20) != kMiniShift ||
        !((major == 3 && shift == 9) || (major == 4 && shift == 12))) {
        return kStorageInvalidHeader;
    }
    sectorShift_ = shift;
    miniCutoff_ = Le32(header + 0x38);

    std::vector<uint8_t> directory;
    std::vector<uint32_t> miniFatSectors;
    if (!ReadFatSectorList(header, Le32(header + 0x2C), Le32(header + 0x44), Le32(header + 0x48), fatSectors_)) {
        return kStorageInvalidHeader;
    }
    for (uint32_t sector : fatSectors_) {
        if (!IsWholeSector(sector)) return kStorageInvalidHeader;
    }
    fatEntries_ = fatSectors_.size() * ((size_t(1) << sectorShift_) / 4);
    if (!ReadDirectory(Le32(header + 0x30), directory)) return kStorageInvalidHeader;
    const uint32_t miniFatFirst = Le32(header + 0x3C);
    if (miniFatFirst != kEndOfChain &&
        (!FollowChain(miniFatFirst, WholeSectors(), miniFatSectors) || !ReadTable(miniFatSectors, miniFat_))) {
        return kStorageInvalidHeader;
    }

    // Entry 0 is the root; its own chain holds the mini sectors of all small streams.
    const uint8_t* root = directory.data();
    if (root[0x42] != static_cast<uint8_t>(EntryType::Root)) return kStorageInvalidHeader;
    miniStreamSize_ = major == 3 ? Le32(root + 0x78) : Le64(root + 0x78);
    const uint64_t miniStreamSectors =
        (miniStreamSize_ >> sectorShift_) + ((miniStreamSize_ & ((1u << sectorShift_) - 1)) != 0);
    miniStreamSectors_.clear();
    const bool chained = WalkFatChain(Le32(root + 0x74), miniStreamSectors, [this](uint64_t, uint32_t sector) {
        miniStreamSectors_.push_back(sector);
        return IsWholeSector(sector);
    });
    if (!chained) return kStorageInvalidHeader;
    return CollectRootEntries(directory, major) ? kStorageOk : kStorageInvalidHeader;
}

bool CompoundFileReader::ReadFatSectorList(const uint8_t* header, uint32_t count, uint32_t difatFirst,
                                           uint32_t difatCount, std::vector<uint32_t>& list) const {
    // Every FAT sector is a whole sector of the file, so a count beyond what the file
    // holds is damage, and the table never takes more memory than the file is long.
    if (count == 0 || count > WholeSectors()) return false;
    list.clear();
    list.reserve(count);
    for (size_t i = 0; i < kHeaderFatSectors && list.size() < count; ++i) {
        list.push_back(Le32(header + 0x4C + 4 * i));
    }
    // The rest are listed in a chain of their own: each sector holds sector numbers
    // and, last, the number of the next sector of the chain.
    const size_t perSector = (size_t(1) << sectorShift_) / 4 - 1;
    std::vector<uint8_t> buffer(size_t(1) << sectorShift_);
    uint32_t next = difatFirst;
    for (uint32_t read = 0; list.size() < count; ++read) {
        if (read >= difatCount || !ReadSector(next, buffer.data())) return false;
        for (size_t i = 0; i < perSector && list.size() < count; ++i) list.push_back(Le32(&buffer[4 * i]));
        next = Le32(&buffer[4 * perSector]);
    }
    return true;
}

bool CompoundFileReader::ReadTable(const std::vector<uint32_t>& sectors, std::vector<uint32_t>& table) const {
    const size_t perSector = (size_t(1) << sectorShift_) / 4;
    std::vector<uint8_t> buffer(size_t(1) << sectorShift_);
    table.clear();
    table.reserve(sectors.size() * perSector);
    for (uint32_t sector : sectors) {
        if (!ReadSector(sector, buffer.data())) return false;
        for (size_t i = 0; i < perSector; ++i) table.push_back(Le32(&buffer[4 * i]));
    }
    return true;
}

bool CompoundFileReader::FollowChain(uint32_t first, size_t limit, std::vector<uint32_t>& chain) const {
    chain.clear();
    FatWindow fat(*this);
    for (uint32_t at = first; at != kEndOfChain;) {
        if (chain.size() >= limit || at >= fatEntries_) return false;
        chain.push_back(at);
        if (!fat.Next(at, at)) return false;
    }
    return true;
}

bool CompoundFileReader::ReadDirectory(uint32_t first, std::vector<uint8_t>& directory) const {
    std::vector<uint32_t> sectors;
    if (!FollowChain(first, WholeSectors(), sectors) || sectors.empty()) return false;
    const size_t sectorSize = size_t(1) << sectorShift_;
    directory.resize(sectors.size() * sectorSize);
    for (size_t i = 0; i < sectors.size(); ++i) {
        if (!ReadSector(sectors[i], &directory[i * sectorSize])) return false;
    }
    return true;
}

bool CompoundFileReader::CollectRootEntries(const std::vector<uint8_t>& directory, uint16_t major) {
    const size_t count = directory.size() / kEntrySize;
    auto entryAt = [&](uint32_t id) { return &directory[id * kEntrySize]; };
    // The entries of a storage form a binary tree under its child link; walking it in
    // order (left, entry, right) gives the directory's order. Written by hand rather
    // than recursively: a tree may be one long branch.
    std::vector<uint8_t> seen(count, 0);
    std::vector<uint32_t> pending;
    uint32_t at = Le32(entryAt(0) + 0x4C);
    rootEntries_.clear();
    while (at != kNoEntry || !pending.empty()) {
        for (; at != kNoEntry; at = Le32(entryAt(at) + 0x44)) {
            if (at >= count || seen[at]) return false;
            seen[at] = 1;
            pending.push_back(at);
        }
        at = pending.back();
        pending.pop_back();
        const uint8_t* entry = entryAt(at);
        const uint8_t type = entry[0x42];
        if (type != static_cast<uint8_t>(EntryType::Storage) && type != static_cast<uint8_t>(EntryType::Stream)) {
            return false;
        }
        // Version 3 files may leave garbage in the upper half of the size.
        rootEntries_.push_back({DecodeName(entry), static_cast<EntryType>(type), Le32(entry + 0x74),
                                major == 3 ? Le32(entry + 0x78) : Le64(entry + 0x78)});
        at = Le32(entry + 0x48);
    }
    return true;
}

void CompoundFileReader::AddExtent(std::vector<Extent>& extents, uint64_t streamOffset, uint64_t fileOffset,
                                   uint64_t length) {
    if (!extents.empty() && extents.back().fileOffset + extents.back().length == fileOffset) {
        extents.back().length += length;
    } else {
        extents.push_back({streamOffset, fileOffset, length});
    }
}

StorageStatus CompoundFileReader::StreamExtents(const DirectoryEntry& entry, std::vector<Extent>& out) const {
    out.clear();
    std::vector<uint32_t> chain;
    if (entry.size < miniCutoff_) {
        // A small stream lives in mini sectors inside the root's chain.
        const uint64_t unit = uint64_t(1) << kMiniShift;
        if (!ChainOfLength(miniFat_, entry.start, (entry.size + unit - 1) >> kMiniShift, chain)) {
            return kStorageReadFault;
        }
        for (size_t i = 0; i < chain.size(); ++i) {
            const uint64_t inMiniStream = uint64_t(chain[i]) << kMiniShift;
            const uint64_t length = std::min(unit, entry.size - i * unit);
            if (inMiniStream + length > miniStreamSize_) return kStorageReadFault;
            const uint32_t sector = miniStreamSectors_[inMiniStream >> sectorShift_];
            const uint64_t within = inMiniStream & ((uint64_t(1) << sectorShift_) - 1);
            AddExtent(out, i * unit, SectorOffset(sector) + within, length);
        }
        return kStorageOk;
    }
    const uint64_t unit = uint64_t(1) << sectorShift_;
    const uint64_t sectors = (entry.size >> sectorShift_) + ((entry.size & (unit - 1)) != 0);
    const bool chained = WalkFatChain(entry.start, sectors, [&](uint64_t i, uint32_t sector) {
        if (!IsWholeSector(sector)) return false;
        AddExtent(out, i * unit, SectorOffset(sector), std::min(unit, entry.size - i * unit));
        return true;
    });
    if (!chained) out.clear();
    return chained ? kStorageOk : kStorageReadFault;
}

}  // namespace platform
