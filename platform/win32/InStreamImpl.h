// The state behind an InStream: the ole32 stream and a share of its storage, so a
// stream may outlive its storage object (ole32 reverts the streams of a released one).
#pragma once

#include "platform/win32/OutputSession.h"

namespace platform {

struct InStream::Impl {
    ComRef<IStorage> storage;
    ComRef<IStream> stream;
    uint64_t size = 0;
};

}  // namespace platform
