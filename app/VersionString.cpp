#include "app/VersionString.h"

#include <cstdio>

#include "base/FileLocations.h"
#include "platform/Shell.h"

namespace {

bool ReadRecordOf(const std::string& path, platform::VersionRecord& record) {
    return platform::ReadVersionRecord(path.empty() ? GetModulePath() : path, record);
}

}  // namespace

std::string FormatVersionString(const std::string& path, int form) {
    platform::VersionRecord record;
    if (!ReadRecordOf(path, record)) return "v?.?";
    unsigned major = record.fileVersionMS >> 16;
    unsigned minor = record.fileVersionMS & 0xFFFF;
    unsigned patch = record.fileVersionLS >> 16;
    unsigned build = record.fileVersionLS & 0xFFFF;

    char text[64];
    std::snprintf(text, sizeof text, "v%u.%u", major, minor);
    std::string result = text;
    // The patch follows the minor number without a separator: 2.0.3 reads "v2.03".
    if (patch != 0) result += std::to_string(patch);
    // Build numbers of 10 and below are left out of the text.
    if (build > 10 && form < 2) {
        std::snprintf(text, sizeof text, form == 0 ? " (build %u)" : ".%u", build);
        result += text;
    }
    return result;
}

uint16_t GetBuildNumber(const std::string& path) {
    platform::VersionRecord record;
    if (!ReadRecordOf(path, record)) return 0;
    return static_cast<uint16_t>(record.fileVersionLS & 0xFFFF);
}
