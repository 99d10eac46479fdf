// The restore side of a container: the whole container is planned and checked first;
// then every file is written under a private temporary name and proved against its
// digest; only when all of them are proved are they put in place. The hide uses the
// same checks on the container it has just written, before a single plain file is
// erased.
#pragma once

#include <string>
#include <vector>

#include "base/RunOutcome.h"
#include "platform/CompoundFile.h"
#include "store/CStoreOperation.h"
#include "store/ContainerPlan.h"
#include "store/StoreFile.h"

class ContainerReader {
public:
    explicit ContainerReader(CStoreOperation& run) : run_(run) {}

    // Everything a restore checks before it writes: the container's structure, paths,
    // registry backup and digests, and the key of every stream (asking for the password
    // the store was hidden under when the current one does not fit). Writes nothing.
    [[nodiscard]] RunOutcome Check();
    // Writes every file of the checked container under a private name and proves it.
    // `differing` names the first file in place that holds other bytes than the
    // container (newer mail, not damage); the copies are then left for the caller.
    [[nodiscard]] RunOutcome WriteParts(std::string& differing);
    // Puts every proved copy in place, durably; a copy that the file in place already
    // equals is dropped.
    [[nodiscard]] RunOutcome PlaceFiles();
    // Erases every copy not yet put in place.
    void RemoveParts();
    // Reads back the container the hide has just written and checks it as a restore
    // would, every digest from the bytes on the disk: it must hold `written` and give
    // every file back to where it came from.
    [[nodiscard]] RunOutcome Verify(const ContainerPlan& written, const std::vector<StoreFile>& files);

private:
    [[nodiscard]] RunOutcome WriteStream(platform::InStream& stream, size_t k, bool& differs);
    // Compares the next n bytes of the file in place with buffer; false on the first difference.
    [[nodiscard]] static bool SameAsInPlace(platform::File& existing, const uint8_t* buffer, size_t n,
                                            uint8_t* scratch);
    [[nodiscard]] RunOutcome FlushParts();
    [[nodiscard]] std::string VerifyStreams(platform::InStorage& storage, bool& canceled);

    CStoreOperation& run_;
    ContainerPlan plan_;
};
