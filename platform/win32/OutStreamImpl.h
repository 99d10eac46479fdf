// The state behind an OutStream: its session and its ole32 stream (owned by the session).
#pragma once

#include "platform/win32/OleOutput.h"

namespace platform {

struct OutStream::Impl {
    std::shared_ptr<OleOutput> session;
    IStream* stream = nullptr;
};

}  // namespace platform
