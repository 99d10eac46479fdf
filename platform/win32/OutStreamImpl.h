// The state behind an OutStream: its session and its ole32 stream (owned by the session).
#pragma once

#include "platform/win32/OutputSession.h"

namespace platform {

struct OutStream::Impl {
    std::shared_ptr<OutputSession> session;
    BorrowedStream child;
};

}  // namespace platform
