// run: the client at work. Its window exists exactly while it holds its store.
#include <iostream>

#include "ClientLayout.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "IdentityDirectory.h"
#include "StoreLock.h"
#include "StorePath.h"
#include "ToolError.h"
#include "platform/Shell.h"
#include "platform/ToolWindow.h"

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

}  // namespace

int RunCommand(const CommandLine& line) {
    line.Accept({"identity", "for"}, 0);
    unsigned long long seconds = line.Number("for", 0);
    ClientIdentity identity = ChooseIdentity(line);

    platform::ToolDesktop desktop = platform::ToolDesktop::Open();
    if (!desktop) {
        std::cerr << "msimn: no X display to open the window on (DISPLAY=\""
                  << platform::EnvironmentValue("DISPLAY") << "\")\n";
        return ExitNoDisplay;
    }

    std::string folder = StorePath::Expand(identity.storeRoot);
    StoreLock store(folder);
    std::vector<std::string> lines = {"Identity: " + identity.username, "Store: " + folder};
    for (const auto& file : store.Files()) {
        lines.push_back("  " + file.name + "  (" + std::to_string(file.size) + " bytes)");
    }
    if (store.Files().empty()) lines.push_back("  (no message store)");

    platform::TerminationRequests requests;
    if (!requests) throw ToolError("cannot catch termination signals");
    {
        platform::ToolWindow window(desktop, layout::kWindowClass, layout::kWindowInstance,
                                    "Mail - " + identity.username, lines);
        window.Show();
        // One line for whoever waits on the client: the window is up and the store held.
        std::cout << window.Id() << std::endl;
        // Runs until the window is asked to close, a termination signal arrives or the
        // time is up (seconds 0: no limit).
        window.Run(requests, seconds);
        // Let go of the store before the window goes: the product starts on the files
        // the moment it no longer finds the window.
        store.Release();
    }
    return ExitSuccess;
}

}  // namespace msimn
