#include <gtest/gtest.h>

#include "support/World.h"

#include "app/PageFilling.h"
#include "base/OperationResult.h"

namespace {

class PageFillingTest : public WorldTest {
protected:
    PageFillingTest() : WorldTest(WorldSetup::Bare()) {}
};

std::string Html(const std::vector<ElementFilling>& fillings, const std::string& id) {
    for (const ElementFilling& filling : fillings) {
        if (filling.id == id) return filling.html;
    }
    return "<missing " + id + ">";
}

}  // namespace

TEST_F(PageFillingTest, MainPageShowsTheVersionAndThePanelOfTheHiddenState) {
    world.AddIdentity("{A}", "Main");
    std::vector<ElementFilling> fillings = GetPageFillings("index");
    ASSERT_EQ(2u, fillings.size());
    EXPECT_EQ("ver", fillings[0].id);
    EXPECT_EQ("v" + std::to_string(PROJECT_MAJOR) + "." + std::to_string(PROJECT_MINOR) + " (build " +
                  std::to_string(PROJECT_BUILD_NUMBER) + ")",
              fillings[0].html);
    EXPECT_EQ("act", fillings[1].id);
    EXPECT_NE(std::string::npos, fillings[1].html.find("#id2_02_Map"));
    EXPECT_EQ(LoadHtmlResource(HidePanelId), fillings[1].html);

    world.MarkHidden("{B}");
    fillings = GetPageFillings("index");
    EXPECT_NE(std::string::npos, Html(fillings, "act").find("#id3_02_Map"));
    EXPECT_EQ(LoadHtmlResource(RestorePanelId), Html(fillings, "act"));
}

TEST_F(PageFillingTest, ErrorPageTellsEveryResultCode) {
    const std::pair<int, const char*> cases[] = {
        {ResultCanceled, "Operation has been canceled"},
        {ResultRegistryError, "Registry error"},
        {ResultAlreadyHidden, "This identity is already hidden."},
        {ResultCopyError, "Copy error"},
        {ResultUnspecified, "Unspecified error"},
        {1, "Unspecified error"},
        {6, "Unspecified error"},
        {-1, "Unspecified error"},
    };
    for (const auto& [code, text] : cases) {
        world.SetLastResult(code);
        const std::vector<ElementFilling> fillings = GetPageFillings("error");
        ASSERT_EQ(1u, fillings.size());
        EXPECT_EQ("descr", fillings[0].id);
        EXPECT_EQ(text, fillings[0].html) << code;
    }
}

TEST_F(PageFillingTest, DonePageTellsTheStateThatHoldsNow) {
    std::vector<ElementFilling> fillings = GetPageFillings("done");
    ASSERT_EQ(2u, fillings.size());
    EXPECT_EQ("status", fillings[0].id);
    EXPECT_EQ("Identity is now restored. Now you can run Outlook Express and use it.", fillings[0].html);
    EXPECT_EQ("act", fillings[1].id);
    EXPECT_EQ("<a href=\"act://msimn\">Click here</a> to start Outlook Express now.", fillings[1].html);

    world.SetLastResult(ResultCopyError);  // a done page never tells a result code
    world.MarkHidden("{B}");
    fillings = GetPageFillings("done");
    EXPECT_EQ("Identity is now hidden. Use this program again when you need to restore the identity.",
              Html(fillings, "status"));
    EXPECT_EQ("", Html(fillings, "act"));
}
