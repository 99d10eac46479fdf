#include "store/ExpandStorePath.h"

#include "platform/Shell.h"

namespace {

struct Reference {
    const char* text;      // as it appears after lower-casing
    const char* variable;  // the environment variable, in its own case
};

// The order matters: a value inserted by an earlier row is searched by the later ones.
constexpr Reference kReferences[] = {
    {"%allusersprofile%", "ALLUSERSPROFILE"},
    {"%appdata%", "APPDATA"},
    {"%commonprogramfiles%", "CommonProgramFiles"},
    {"%homedrive%", "HOMEDRIVE"},
    {"%homepath%", "HOMEPATH"},
    {"%programfiles%", "ProgramFiles"},
    {"%systemdrive%", "SystemDrive"},
    {"%systemroot%", "SystemRoot"},
    {"%temp%", "TEMP"},
    {"%tmp%", "TMP"},
    {"%userprofile%", "USERPROFILE"},
    {"%windir%", "windir"},
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    size_t at = 0;
    while ((at = text.find(from, at)) != std::string::npos) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

}  // namespace

std::string ExpandStorePath(const std::string& storeRoot) {
    std::string text = storeRoot;
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (const Reference& r : kReferences) {
        ReplaceAll(text, r.text, platform::GetEnvironmentVariable(r.variable));
    }
    return text;
}
