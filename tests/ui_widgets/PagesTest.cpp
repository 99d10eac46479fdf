#include <regex>

#include <gtest/gtest.h>

#include "app/PageCommand.h"
#include "platform/Shell.h"

// Every link and image of a page or panel leads to an embedded resource, a command of
// the window or the web. The setup help is loaded without the program's scheme, so it
// carries its script itself and no command; the others share the ivory style and the
// script that refuses the right button.
TEST(uiPages, EveryLinkLeadsSomewhereAndEveryPageHasTheSharedLook) {
    const auto html = [](auto name) {
        const platform::Resource res = platform::FindEmbeddedResource("HTML", name);
        return res ? std::string(reinterpret_cast<const char*>(res.data), res.size) : std::string();
    };
    const auto has = [](const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; };
    const char alert[] = "alert(\"Use left button to navigate\")";
    EXPECT_TRUE(has(html("page.js"), alert));
    EXPECT_TRUE(has(html("page.css"), "background-color: #FFFFF0"));
    const std::regex target(R"((?:src="|href="|\.src=')([^"']+))");
    for (const std::string name : {"141", "142", "index.htm", "welcome.htm", "tour.htm", "tour1.htm", "tour2.htm", "help.htm",
                                   "support.htm", "setup.htm", "done.htm", "error.htm"}) {
        SCOPED_TRACE(name);
        const bool panel = isdigit(name[0]), alone = name == "setup.htm";
        const std::string page = panel ? html(static_cast<unsigned>(std::stoi(name))) : html(name);
        ASSERT_FALSE(page.empty());
        for (std::sregex_iterator it(page.begin(), page.end(), target), end; it != end; ++it) {
            const std::string to = (*it)[1];
            if (to.rfind("act://", 0) == 0) {
                EXPECT_NE(PageCommand::None, FindPageCommand(to)) << to;
            } else if (to.rfind("http://", 0) != 0) {
                EXPECT_TRUE(platform::FindEmbeddedResource("HTML", to)) << to;
            }
        }
        EXPECT_TRUE(panel || has(page, "#FFFFF0"));
        EXPECT_EQ(alone, has(page, alert));
        EXPECT_EQ(!alone && !panel, has(page, "src=\"page.js\"") && has(page, "href=\"page.css\""));
        EXPECT_FALSE(alone && has(page, "act://"));
    }
}
