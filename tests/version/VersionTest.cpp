// The version record each system keeps in a program file (an ELF section on Linux, the
// VERSIONINFO resource on Windows), made from one list, as the pages show it.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/VersionString.h"
#include "platform/Shell.h"

namespace {

// The fixture programs lie beside this one.
std::string fixture(const std::string& version) {
    const std::string self = platform::ProgramFilePath();
    return self.substr(0, self.find_last_of("\\/") + 1) + "version_fixture_" + version + FIXTURE_SUFFIX;
}

// The version as the pages show it, read from a program file's version record.
TEST(VersionString, FormsOfAVersion) {
    const std::tuple<std::string, int, const char*> cases[] = {
        {fixture("2_0_0_384"), 0, "v2.0 (build 384)"}, {fixture("2_0_0_384"), 1, "v2.0.384"}, {fixture("2_0_0_384"), 2, "v2.0"},
        {fixture("2_0_0_384"), 3, "v2.0"},
        {fixture("2_0_3_384"), 0, "v2.03 (build 384)"}, {fixture("2_0_3_384"), 1, "v2.03.384"},  // patch without separator
        {fixture("1_5_0_10"), 0, "v1.5"}, {fixture("1_5_0_10"), 1, "v1.5"},  // builds up to ten hidden
        {fixture("1_5_0_11"), 0, "v1.5 (build 11)"}, {fixture("1_5_0_11"), 1, "v1.5.11"},
        {fixture("plain"), 0, "v?.?"}, {fixture("plain"), 1, "v?.?"}, {fixture("missing"), 0, "v?.?"}};
    for (const auto& [program, form, text] : cases) EXPECT_EQ(FormatVersionString(program, form), text) << program << " " << form;
    EXPECT_EQ(std::make_tuple(GetBuildNumber(fixture("1_5_0_10")), GetBuildNumber(fixture("plain")), GetBuildNumber("")),
              std::make_tuple(10, 0, PROJECT_VERSION_TWEAK));  // the empty path means the running program
}

}  // namespace
