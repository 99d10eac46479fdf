#include "app/PageCommand.h"

#include <cstddef>
#include <cstdio>

#include "platform/AsciiCase.h"

namespace {

// Only ASCII letters fold: the locale must not decide what a command is.
bool StartsWithFolded(const std::string& text, size_t at, const std::string& prefix) {
    if (text.size() < at || text.size() - at < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (platform::LowerAscii(text[at + i]) != platform::LowerAscii(prefix[i])) return false;
    }
    return true;
}

constexpr char kActScheme[] = "act://";

struct CommandName {
    const char* name;
    PageCommand command;
};

// The order in which an address is tested; no name is a prefix of another, so at
// most one can match.
constexpr CommandName kCommands[] = {
    {"setup", PageCommand::Setup},   {"email", PageCommand::Email},
    {"exit", PageCommand::Exit},     {"endtour", PageCommand::EndTour},
    {"hide", PageCommand::Hide},     {"restore", PageCommand::Restore},
    {"msimn", PageCommand::StartMailClient},
};

// The mailbox named on the support page; a reserved domain, it belongs to no one.
constexpr char kSupportMailbox[] = "support@veilbox.invalid";

}  // namespace

bool MatchActCommand(const std::string& url, const std::string& name) {
    const std::string scheme(kActScheme);
    return StartsWithFolded(url, 0, scheme) && StartsWithFolded(url, scheme.size(), name);
}

PageCommand FindPageCommand(const std::string& url) {
    for (const CommandName& entry : kCommands) {
        if (MatchActCommand(url, entry.name)) return entry.command;
    }
    return PageCommand::None;
}

bool IsWebAddress(const std::string& url) {
    return StartsWithFolded(url, 0, "http://") || StartsWithFolded(url, 0, "https://");
}

std::string NoMailProgramText() {
    return std::string("No mail program could be started. Please write to ") + kSupportMailbox + ".";
}

std::string BuildSupportMailUrl(unsigned buildNumber) {
    char subject[64];
    std::snprintf(subject, sizeof subject, "?subject=Hushpost build %u", buildNumber);
    return std::string("mailto:") + kSupportMailbox + subject;
}
