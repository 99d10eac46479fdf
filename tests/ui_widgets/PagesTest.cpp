#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Shell.h"

namespace {

std::string Page(const std::string& name) {
    const platform::Resource res = platform::FindResource("HTML", name);
    return res ? std::string(reinterpret_cast<const char*>(res.data), res.size) : std::string();
}
std::string Panel(unsigned number) {
    const platform::Resource res = platform::FindResource("HTML", number);
    return res ? std::string(reinterpret_cast<const char*>(res.data), res.size) : std::string();
}
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const char kRightButtonAlert[] = "alert(\"Use left button to navigate\")";

struct ExpectedPage {
    const char* name;
    const char* title;
    std::vector<std::string> ids;
    std::vector<std::string> links;
};

const ExpectedPage kPages[] = {
    {"index.htm", "Veilbox", {"ver", "act"}, {"act://setup", "act://exit", "help.htm", "tour.htm", "support.htm"}},
    {"welcome.htm", "HIDE IDENTITY", {}, {"tour.htm", "act://setup", "index.htm"}},
    {"tour.htm", "Quick Tour", {}, {"act://endtour", "tour1.htm"}},
    {"tour1.htm", "Quick Tour", {}, {"tour.htm", "act://endtour", "tour2.htm", "act://setup"}},
    {"tour2.htm", "Quick Tour", {}, {"tour1.htm", "act://endtour"}},
    {"help.htm", "Help", {}, {"index.htm", "tour.htm", "act://email"}},
    {"support.htm", "Support information", {}, {"index.htm", "act://email"}},
    {"setup.htm", "Setup help", {}, {}},
    {"done.htm", "Done", {"status", "act"}, {"index.htm"}},
    {"error.htm", "Error", {"descr"}, {"index.htm"}},
};

}  // namespace

TEST(uiPages, EveryPageHasItsTitleElementsLinksAndLook) {
    for (const ExpectedPage& expected : kPages) {
        SCOPED_TRACE(expected.name);
        const std::string page = Page(expected.name);
        ASSERT_FALSE(page.empty());
        EXPECT_TRUE(Has(page, std::string("<title>") + expected.title + "</title>"));
        for (const std::string& id : expected.ids) EXPECT_TRUE(Has(page, "id=\"" + id + "\"")) << id;
        for (const std::string& link : expected.links) EXPECT_TRUE(Has(page, "href=\"" + link + "\"")) << link;
        EXPECT_TRUE(Has(page, "#FFFFF0"));
        // The setup help is loaded on its own, without the program's scheme: it must
        // carry the script itself; the others share the one the scheme serves.
        if (std::string(expected.name) == "setup.htm") {
            EXPECT_TRUE(Has(page, kRightButtonAlert));
        } else {
            EXPECT_TRUE(Has(page, "src=\"page.js\""));
            EXPECT_TRUE(Has(page, "href=\"page.css\""));
        }
        // The pages only fill and navigate: no command link may hide in a page that
        // is not meant to carry it.
        if (std::string(expected.name) == "setup.htm") EXPECT_FALSE(Has(page, "act://"));
    }
}

TEST(uiPages, TheSharedScriptAnswersTheRightButtonAndTheSharedLookIsIvory) {
    EXPECT_TRUE(Has(Page("page.js"), kRightButtonAlert));
    EXPECT_TRUE(Has(Page("page.css"), "background-color: #FFFFF0"));
}

TEST(uiPages, EveryImageAPageUsesIsEmbedded) {
    std::vector<std::string> pages;
    for (const ExpectedPage& expected : kPages) pages.push_back(Page(expected.name));
    pages.push_back(Panel(141));
    pages.push_back(Panel(142));
    for (const std::string& page : pages) {
        for (size_t at = page.find("src=\""); at != std::string::npos; at = page.find("src=\"", at + 1)) {
            const size_t start = at + 5;
            const std::string image = page.substr(start, page.find('"', start) - start);
            EXPECT_TRUE(platform::FindResource("HTML", image)) << image;
        }
        for (size_t at = page.find(".src='"); at != std::string::npos; at = page.find(".src='", at + 1)) {
            const size_t start = at + 6;
            const std::string image = page.substr(start, page.find('\'', start) - start);
            EXPECT_TRUE(platform::FindResource("HTML", image)) << image;
        }
    }
}

TEST(uiPages, PanelsUseTheMainPagesMapsForHideAndRestore) {
    const std::string hide = Panel(141), restore = Panel(142), index = Page("index.htm");
    EXPECT_TRUE(Has(hide, "usemap=\"#id2_02_Map\""));
    EXPECT_TRUE(Has(restore, "usemap=\"#id3_02_Map\""));
    EXPECT_TRUE(Has(hide, "width=\"580\""));
    const size_t hideMap = index.find("<map name=\"id2_02_Map\">");
    const size_t restoreMap = index.find("<map name=\"id3_02_Map\">");
    ASSERT_NE(std::string::npos, hideMap);
    ASSERT_NE(std::string::npos, restoreMap);
    EXPECT_TRUE(Has(index.substr(hideMap, index.find("</map>", hideMap) - hideMap), "href=\"act://hide\""));
    EXPECT_TRUE(Has(index.substr(restoreMap, index.find("</map>", restoreMap) - restoreMap),
                    "href=\"act://restore\""));
}
