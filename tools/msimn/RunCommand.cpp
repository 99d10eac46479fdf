// run: the client at work. Its window exists exactly while it holds its store.
#include <poll.h>

#include <chrono>
#include <iostream>

#include "ClientLayout.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "IdentityDirectory.h"
#include "MailWindow.h"
#include "StoreLock.h"
#include "StorePath.h"
#include "TerminationSignal.h"
#include "ToolError.h"
#include "X11Display.h"
#include "platform/Shell.h"

namespace msimn {

namespace {

ClientIdentity ChooseIdentity(const CommandLine& line) {
    ClientIdentity identity;
    if (line.Has("identity")) {
        if (!IdentityDirectory::Find(line.Value("identity"), identity)) {
            throw ToolError("no identity " + line.Value("identity") + " in the registry");
        }
    } else if (!IdentityDirectory::StartIdentity(identity)) {
        throw ToolError("the registry holds no identity to start with (msimn seed-demo makes two)");
    }
    return identity;
}

// Runs until the window is asked to close, a termination signal arrives or the time
// is up (seconds 0: no limit).
void EventLoop(Display* display, MailWindow& window, const TerminationSignal& signals, unsigned long long seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        if (window.HandleEvents() || signals.Arrived()) return;
        int timeout = -1;
        if (seconds > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return;
            timeout = static_cast<int>(left);
        }
        struct pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {signals.Fd(), POLLIN, 0}};
        poll(fds, 2, timeout);
    }
}

}  // namespace

int RunCommand(const CommandLine& line) {
    line.Accept({"identity", "for"}, 0);
    unsigned long long seconds = line.Number("for", 0);
    ClientIdentity identity = ChooseIdentity(line);

    X11Display display = X11Display::Open();
    if (!display) {
        std::cerr << "msimn: no X display to open the window on (DISPLAY=\""
                  << platform::GetEnvironmentVariable("DISPLAY") << "\")\n";
        return ExitNoDisplay;
    }

    std::string folder = StorePath::Expand(identity.storeRoot);
    StoreLock store(folder);
    std::vector<std::string> lines = {"Identity: " + identity.username, "Store: " + folder};
    for (const auto& file : store.Files()) {
        lines.push_back("  " + file.name + "  (" + std::to_string(file.size) + " bytes)");
    }
    if (store.Files().empty()) lines.push_back("  (no message store)");

    TerminationSignal signals;
    {
        MailWindow window(display.Get(), "Mail - " + identity.username, lines);
        window.Show();
        // One line for whoever waits on the client: the window is up and the store held.
        std::cout << window.Id() << std::endl;
        EventLoop(display.Get(), window, signals, seconds);
        // Let go of the store before the window goes: the product starts on the files
        // the moment it no longer finds the window.
        store.Release();
    }
    return ExitSuccess;
}

}  // namespace msimn
