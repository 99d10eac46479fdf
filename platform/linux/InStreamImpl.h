// The state behind an InStream: where its bytes lie in the file, and a share of the
// open file itself, so a stream may outlive its storage (and keeps the file's lock).
#pragma once

#include <memory>
#include <vector>

#include "CompoundFileReader.h"
#include "platform/CompoundFile.h"

namespace platform {

struct InStream::Impl {
    std::shared_ptr<const CompoundFileReader> file;
    std::vector<CompoundFileReader::Extent> extents;  // in stream order, covering size
    uint64_t size = 0;
    uint64_t position = 0;
};

}  // namespace platform
