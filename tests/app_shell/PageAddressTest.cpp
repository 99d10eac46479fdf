#include <gtest/gtest.h>

#include "app/PageAddress.h"

namespace {
const std::string kProgram = "/opt/Veilbox/bin/veilbox";
}

TEST(PageAddress, PagesLiveUnderTheProgramsOwnAddress) {
    EXPECT_EQ("res:///opt/Veilbox/bin/veilbox/index.htm", BuildPageAddress(kProgram, "index.htm"));
}

TEST(PageAddress, PageNameIsTheLowerCasedNameBeforeItsFirstDot) {
    EXPECT_EQ("index", GetPageName(BuildPageAddress(kProgram, "index.htm"), kProgram));
    EXPECT_EQ("done", GetPageName(BuildPageAddress(kProgram, "DONE.HTM"), kProgram));
    EXPECT_EQ("tour1", GetPageName(BuildPageAddress(kProgram, "tour1.htm"), kProgram));
    EXPECT_EQ("error", GetPageName(BuildPageAddress(kProgram, "error.htm#top"), kProgram));
    EXPECT_EQ("index", GetPageName(BuildPageAddress(kProgram, "index"), kProgram));
    // The browser may hand the address back in another case.
    EXPECT_EQ("index", GetPageName("RES:///OPT/VEILBOX/BIN/VEILBOX/Index.htm", kProgram));
}

TEST(PageAddress, AddressesOutsideTheProgramHaveNoPageName) {
    EXPECT_EQ("", GetPageName("res:///opt/Veilbox/bin/veilbox2/index.htm", kProgram));
    EXPECT_EQ("", GetPageName("res:///other/index.htm", kProgram));
    EXPECT_EQ("", GetPageName("https://example.invalid/opt/Veilbox/bin/veilbox/index.htm", kProgram));
    EXPECT_EQ("", GetPageName("about:blank", kProgram));
    EXPECT_EQ("", GetPageName("act://hide", kProgram));
    EXPECT_EQ("", GetPageName("res:///opt/Veilbox/bin/veilbox", kProgram));
    EXPECT_EQ("", GetPageName("res://" + kProgram + "/index.htm", ""));
}

TEST(PageAddress, EscapedCharactersOfTheProgramPathAreRecognised) {
    const std::string spaced = "/home/ann/My Programs/veilbox";
    EXPECT_EQ("welcome", GetPageName("res:///home/ann/My%20Programs/veilbox/welcome.htm", spaced));
    EXPECT_EQ("header.jpg", GetResourceNameFromAddress("res:///home/ann/My%20Programs/veilbox/header.jpg", spaced));
    // A stray or short escape is taken as it stands.
    EXPECT_EQ("a%zz.htm", GetResourceNameFromAddress(BuildPageAddress(kProgram, "a%zz.htm"), kProgram));
    EXPECT_EQ("a%2", GetResourceNameFromAddress(BuildPageAddress(kProgram, "a%2"), kProgram));
}

TEST(PageAddress, ResourceNameDropsQueryAndFragmentAndKeepsFolders) {
    EXPECT_EQ("img/logo.png", GetResourceNameFromAddress(BuildPageAddress(kProgram, "img/logo.png?x=1"), kProgram));
    EXPECT_EQ("help.htm", GetResourceNameFromAddress(BuildPageAddress(kProgram, "help.htm#contact"), kProgram));
    EXPECT_EQ("", GetResourceNameFromAddress("res:///etc/passwd", kProgram));
}
