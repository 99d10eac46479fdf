// The hide side of a container: the index (header and saved registry key), one
// enciphered stream per store file and the seal with every digest. The container is
// written under a private temporary name and renamed into place only when complete and
// on stable storage.
#pragma once

#include <vector>

#include "base/RunOutcome.h"
#include "platform/CompoundFile.h"
#include "platform/FileStatus.h"
#include "store/CStoreOperation.h"
#include "store/ContainerPlan.h"
#include "store/StoreFile.h"

class ContainerWriter {
public:
    explicit ContainerWriter(CStoreOperation& run) : run_(run) {}

    // Whether the key name and the backup's four texts fit the index header's fields.
    [[nodiscard]] bool HeaderTextsFit() const;
    // Writes the container of these files (already open, read from the start). A
    // failure removes what was written and tells the user, unless the user canceled.
    [[nodiscard]] RunOutcome Write(std::vector<StoreFile>& files);
    // What was written: the index bytes, the seal and the stream count, for the check
    // of the container read back.
    const ContainerPlan& Written() const { return written_; }

private:
    [[nodiscard]] bool PutHeaderTexts(IndexHeader& h) const;
    [[nodiscard]] platform::FileStatus WriteAll(platform::OutStorage& storage, std::vector<StoreFile>& files,
                                                const std::string& temp);
    [[nodiscard]] platform::FileStatus WriteIndexStream(platform::OutStorage& storage, uint32_t fileCount);
    [[nodiscard]] platform::FileStatus EncryptFileToStream(size_t k, StoreFile& store, platform::OutStream& stream);
    [[nodiscard]] platform::FileStatus WriteSealStream(platform::OutStorage& storage);

    CStoreOperation& run_;
    ContainerPlan written_;
    bool canceled_ = false;
};
