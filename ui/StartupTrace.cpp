#include "ui/StartupTrace.h"

#include <chrono>
#include <cstdio>

#include "platform/Shell.h"

namespace {

struct TraceState {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    bool reported = false;
};

TraceState& State() {
    static TraceState state;
    return state;
}

}  // namespace

void MarkProgramStart() {
    State().start = std::chrono::steady_clock::now();
    State().reported = false;
}

void ReportPageLoaded(const std::string& pageName) {
    TraceState& state = State();
    if (state.reported) return;
    state.reported = true;
    if (platform::EnvironmentValue("VEILBOX_TRACE_STARTUP") != "1") return;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - state.start);
    std::fprintf(stderr, "veilbox: first page \"%s\" loaded after %lld ms\n", pageName.c_str(),
                 static_cast<long long>(elapsed.count()));
}
