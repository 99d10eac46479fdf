// What the pages' addresses, links and scripts and the command line mean to the shell.
#include <gtest/gtest.h>

#include <utility>

#include "app/ElementScript.h"
#include "app/PageAddress.h"
#include "app/PageCommand.h"
#include "app/UninstallRequest.h"

namespace {

const std::string kProgram = "/opt/Veilbox/bin/veilbox";

TEST(ElementScript, NothingInTheTextCanEndTheLiteral) {
    const std::pair<std::string, std::string> cases[] = {
        {"v2.0 (build 384)", "\"v2.0 (build 384)\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"one\r\ntwo\tthree", "\"one\\r\\ntwo\\tthree\""},
        {"</script>", "\"<\\/script>\""},
        {std::string("\0\x1b\x7f", 3), "\"\\x00\\x1B\\x7F\""},
        {"a\xE2\x80\xA8" "b\xE2\x80\xA9" "c", "\"a\\u2028b\\u2029c\""},
        // Other UTF-8 passes through untouched, including a cut-off sequence at the end.
        {"\xC3\xA9\xE2\x82\xAC\xE2\x80", "\"\xC3\xA9\xE2\x82\xAC\xE2\x80\""},
    };
    for (const auto& [text, quoted] : cases) EXPECT_EQ(QuoteJsString(text), quoted) << text;
    const std::string script = BuildSetElementHtmlScript("a\"b", "x\"y");
    EXPECT_NE(std::string::npos, script.find("document.getElementById(\"a\\\"b\")"));
    EXPECT_NE(std::string::npos, script.find("e.innerHTML = \"x\\\"y\""));
}

TEST(PageAddress, PageAndResourceNamesComeOnlyFromTheProgramsOwnAddress) {
    EXPECT_EQ("res:///opt/Veilbox/bin/veilbox/index.htm", BuildPageAddress(kProgram, "index.htm"));
    const std::pair<std::string, std::string> pages[] = {
        {BuildPageAddress(kProgram, "DONE.HTM"), "done"},
        {BuildPageAddress(kProgram, "tour1.htm"), "tour1"},
        {BuildPageAddress(kProgram, "error.htm#top"), "error"},
        {BuildPageAddress(kProgram, "index"), "index"},
        {"RES:///OPT/VEILBOX/BIN/VEILBOX/Index.htm", "index"},  // handed back in another case
        {"res:///opt/Veilbox/bin/veilbox2/index.htm", ""},
        {"res:///other/index.htm", ""},
        {"https://example.invalid/opt/Veilbox/bin/veilbox/index.htm", ""},
        {"about:blank", ""},
        {"act://hide", ""},
        {"res:///opt/Veilbox/bin/veilbox", ""},
    };
    for (const auto& [address, page] : pages) EXPECT_EQ(page, GetPageName(address, kProgram)) << address;
    EXPECT_EQ("", GetPageName("res://" + kProgram + "/index.htm", ""));

    const std::string spaced = "/home/ann/My Programs/veilbox";
    EXPECT_EQ("welcome", GetPageName("res:///home/ann/My%20Programs/veilbox/welcome.htm", spaced));
    EXPECT_EQ("header.jpg", GetResourceNameFromAddress("res:///home/ann/My%20Programs/veilbox/header.jpg", spaced));
    const std::pair<std::string, std::string> resources[] = {
        {"a%zz.htm", "a%zz.htm"},  // a stray or short escape is taken as it stands
        {"a%2", "a%2"},
        {"img/logo.png?x=1", "img/logo.png"},
        {"help.htm#contact", "help.htm"},
    };
    for (const auto& [name, resource] : resources) {
        EXPECT_EQ(resource, GetResourceNameFromAddress(BuildPageAddress(kProgram, name), kProgram)) << name;
    }
    EXPECT_EQ("", GetResourceNameFromAddress("res:///etc/passwd", kProgram));
}

TEST(PageCommand, EveryLinkFindsItsCommandAndNothingElseDoes) {
    const std::pair<const char*, PageCommand> links[] = {
        {"act://setup", PageCommand::Setup},    {"act://email", PageCommand::Email},
        {"act://Exit", PageCommand::Exit},      {"ACT://EXITNOW", PageCommand::Exit},
        {"act://endtour", PageCommand::EndTour}, {"act://HIDE?x", PageCommand::Hide},
        {"act://restore/", PageCommand::Restore}, {"act://msimn", PageCommand::StartMailClient},
        {"act://exi", PageCommand::None},       {"act:/exit", PageCommand::None},
        {"act:exit", PageCommand::None},        {"xact://exit", PageCommand::None},
        {"act:// exit", PageCommand::None},     {"res:///p/act://exit", PageCommand::None},
        {"", PageCommand::None},                {"act://unknown", PageCommand::None},
        {"act://", PageCommand::None},          {"index.htm", PageCommand::None},
        {"mailto:support@veilbox.invalid", PageCommand::None},
        // Folding is ASCII only: a byte of another script is never taken for a letter.
        {"act://\xC3\x89xit", PageCommand::None},
    };
    for (const auto& [link, command] : links) EXPECT_EQ(command, FindPageCommand(link)) << link;
    EXPECT_EQ("mailto:support@veilbox.invalid?subject=Hushpost build 384", BuildSupportMailUrl(384));
    for (const char* web : {"http://a.invalid/", "HTTPS://a.invalid/x"}) EXPECT_TRUE(IsWebAddress(web)) << web;
    for (const char* other : {"act://hide", "res:///p/index.htm", "mailto:a@b", "httpx://a", "about:blank"})
        EXPECT_FALSE(IsWebAddress(other)) << other;
}

TEST(UninstallRequest, OnlyTheSwitchAloneInAnyCase) {
    const std::pair<std::vector<const char*>, bool> cases[] = {
        {{"veilbox", "/uninstall"}, true},       {{"veilbox", "/UnInstall"}, true},
        {{"veilbox"}, false},                    {{"veilbox", "/uninstall", "now"}, false},
        {{"veilbox", "now", "/uninstall"}, false}, {{"veilbox", "uninstall"}, false},
        {{"veilbox", "-uninstall"}, false},      {{"veilbox", "/uninstal"}, false},
        {{"veilbox", "/uninstalls"}, false},     {{"veilbox", ""}, false},
    };
    for (auto [args, expected] : cases) {
        const int argc = static_cast<int>(args.size());
        args.push_back(nullptr);
        EXPECT_EQ(expected, IsUninstallRequest(argc, args.data())) << args[argc - 1];
    }
    EXPECT_FALSE(IsUninstallRequest(2, nullptr));
}

}  // namespace
