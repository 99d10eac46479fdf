// The user's commands on the pages are links of the form act://<name>. This is the
// recognition of those links, kept apart from the window so that it can be tested
// without one.
#pragma once

#include <string>

// True when url starts with "act://" and the text after it begins with name; both
// compared without regard to the case of ASCII letters. Whatever follows the name
// is ignored, so "act://hide/" and "act://HIDE?x" are the hide command.
bool MatchActCommand(const std::string& url, const std::string& name);

enum class PageCommand {
    None,  // not a command: the browser navigates as usual
    Setup,
    Email,
    Exit,
    EndTour,
    Hide,
    Restore,
    StartMailClient,
};

// The command a navigation address asks for. An act:// address with an unknown name
// is not a command either.
PageCommand FindPageCommand(const std::string& url);

// True for an http: or https: address (scheme in any case): a page from the network,
// which the user's browser shows, never the program's own window.
bool IsWebAddress(const std::string& url);

// The support mail: a new message to the support mailbox whose subject carries the
// build number.
std::string BuildSupportMailUrl(unsigned buildNumber);
// What the user is told when no mail program takes the support mail.
std::string NoMailProgramText();
