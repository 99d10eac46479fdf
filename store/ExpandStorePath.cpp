#include "store/ExpandStorePath.h"

#include "platform/AsciiCase.h"
#include "platform/File.h"
#include "platform/Shell.h"

namespace {

struct Reference {
    const char* text;      // in lower case; matched without regard to case
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


// Position of the lower-case reference in text, ignoring the case of ASCII letters.
size_t FindReference(const std::string& text, const std::string& reference, size_t from) {
    for (size_t at = from; at + reference.size() <= text.size(); ++at) {
        size_t k = 0;
        while (k < reference.size() && platform::LowerAscii(text[at + k]) == reference[k]) ++k;
        if (k == reference.size()) return at;
    }
    return std::string::npos;
}

void ReplaceAll(std::string& text, const std::string& reference, const std::string& value) {
    size_t at = 0;
    while ((at = FindReference(text, reference, at)) != std::string::npos) {
        text.replace(at, reference.size(), value);
        at += value.size();
    }
}

}  // namespace

std::string ExpandStorePath(const std::string& storeRoot, bool lowerCase) {
    std::string text = storeRoot;
    if (lowerCase) {
        text = platform::LowerAsciiText(text);
    }
    for (const Reference& r : kReferences) {
        ReplaceAll(text, r.text, platform::EnvironmentValue(r.variable));
    }
    return text;
}

std::string StoreRootHere(const std::string& storeRoot) {
    return platform::IsOtherSystemPath(storeRoot) ? platform::FolderFromOtherSystem(storeRoot) : storeRoot;
}
