#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Shell.h"

namespace {

template <typename Name> std::string Html(Name name) {
    const platform::Resource res = platform::FindResource("HTML", name);
    return res ? std::string(reinterpret_cast<const char*>(res.data), res.size) : std::string();
}
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const char kRightButtonAlert[] = "alert(\"Use left button to navigate\")";

const struct {
    const char* name;
    const char* title;
    std::vector<std::string> marks;  // ids the program fills and link targets
} kPages[] = {
    {"index.htm", "Veilbox", {"ver", "act", "act://setup", "act://exit", "help.htm", "tour.htm", "support.htm"}},
    {"welcome.htm", "HIDE IDENTITY", {"tour.htm", "act://setup", "index.htm"}},
    {"tour.htm", "Quick Tour", {"act://endtour", "tour1.htm"}},
    {"tour1.htm", "Quick Tour", {"tour.htm", "act://endtour", "tour2.htm", "act://setup"}},
    {"tour2.htm", "Quick Tour", {"tour1.htm", "act://endtour"}},
    {"help.htm", "Help", {"index.htm", "tour.htm", "act://email"}},
    {"support.htm", "Support information", {"index.htm", "act://email"}},
    {"setup.htm", "Setup help", {}},
    {"done.htm", "Done", {"status", "act", "index.htm"}},
    {"error.htm", "Error", {"descr", "index.htm"}},
};

}  // namespace

TEST(uiPages, EveryPageHasItsTitleFilledElementsLinksLookAndOnlyEmbeddedImages) {
    std::vector<std::string> pages = {Html(141u), Html(142u)};
    for (const auto& expected : kPages) {
        SCOPED_TRACE(expected.name);
        const std::string page = Html(expected.name);
        pages.push_back(page);
        EXPECT_TRUE(Has(page, std::string("<title>") + expected.title + "</title>"));
        for (const std::string& mark : expected.marks) {
            EXPECT_TRUE(Has(page, "id=\"" + mark + "\"") || Has(page, "href=\"" + mark + "\"")) << mark;
        }
        EXPECT_TRUE(Has(page, "#FFFFF0"));
        // The setup help is loaded on its own, without the program's scheme: it carries
        // its script itself and no command; the others share the script the scheme serves.
        const bool alone = std::string(expected.name) == "setup.htm";
        EXPECT_EQ(alone, Has(page, kRightButtonAlert));
        EXPECT_EQ(!alone, Has(page, "src=\"page.js\"") && Has(page, "href=\"page.css\""));
        EXPECT_FALSE(alone && Has(page, "act://"));
    }
    EXPECT_TRUE(Has(Html("page.js"), kRightButtonAlert));
    EXPECT_TRUE(Has(Html("page.css"), "background-color: #FFFFF0"));
    const std::regex image(R"((?:src="|\.src=')([^"']+))");
    for (const std::string& page : pages) {
        for (std::sregex_iterator it(page.begin(), page.end(), image), end; it != end; ++it) {
            EXPECT_TRUE(platform::FindResource("HTML", (*it)[1].str())) << (*it)[1];
        }
    }
}

TEST(uiPages, PanelsUseTheMainPagesMapsForHideAndRestore) {
    const std::string index = Html("index.htm");
    for (const auto& [panel, map, command] : {std::tuple{141u, "id2_02_Map", "act://hide"}, {142u, "id3_02_Map", "act://restore"}}) {
        EXPECT_TRUE(Has(Html(panel), std::string("usemap=\"#") + map + "\""));
        const size_t at = index.find(std::string("<map name=\"") + map + "\">");
        ASSERT_NE(std::string::npos, at) << map;
        EXPECT_TRUE(Has(index.substr(at, index.find("</map>", at) - at), std::string("href=\"") + command + "\""));
    }
    EXPECT_TRUE(Has(Html(141u), "width=\"580\""));
}
