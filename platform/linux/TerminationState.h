// The Linux side of TerminationRequests, shared with the tool window's wait: SIGTERM
// and SIGINT become a readable pipe (the self-pipe trick), so that one poll() waits on
// the X connection and the signals together.
#pragma once

#include <csignal>

#include "platform/ToolWindow.h"
#include "platform/linux/UniqueFd.h"

namespace platform {

struct TerminationRequests::State {
    UniqueFd readEnd;  // readable once a signal has arrived
    UniqueFd writeEnd;
    struct sigaction oldTerm {};
    struct sigaction oldInt {};
};

}  // namespace platform
