#include <gtest/gtest.h>

#include "app/PageCommand.h"

TEST(PageCommand, NameMatchesAsAPrefixInAnyAsciiCase) {
    EXPECT_TRUE(MatchActCommand("act://exit", "exit"));
    EXPECT_TRUE(MatchActCommand("act://Exit", "exit"));
    EXPECT_TRUE(MatchActCommand("ACT://EXIT", "exit"));
    EXPECT_TRUE(MatchActCommand("act://exitnow", "exit"));
    EXPECT_TRUE(MatchActCommand("act://hide/", "hide"));
    EXPECT_TRUE(MatchActCommand("act://HIDE?x", "hide"));
}

TEST(PageCommand, AnythingElseIsNotTheCommand) {
    EXPECT_FALSE(MatchActCommand("act://exi", "exit"));        // shorter than the name
    EXPECT_FALSE(MatchActCommand("act:/exit", "exit"));        // not the scheme
    EXPECT_FALSE(MatchActCommand("act:exit", "exit"));
    EXPECT_FALSE(MatchActCommand("xact://exit", "exit"));
    EXPECT_FALSE(MatchActCommand("act:// exit", "exit"));
    EXPECT_FALSE(MatchActCommand("res:///p/act://exit", "exit"));
    EXPECT_FALSE(MatchActCommand("", "exit"));
    // Folding is ASCII only: a byte of another script is never taken for a letter.
    EXPECT_FALSE(MatchActCommand("act://\xC3\x89xit", "exit"));
}

TEST(PageCommand, EveryLinkOfThePagesFindsItsCommand) {
    EXPECT_EQ(PageCommand::Setup, FindPageCommand("act://setup"));
    EXPECT_EQ(PageCommand::Email, FindPageCommand("act://email"));
    EXPECT_EQ(PageCommand::Exit, FindPageCommand("act://Exit"));
    EXPECT_EQ(PageCommand::Exit, FindPageCommand("act://exitnow"));
    EXPECT_EQ(PageCommand::EndTour, FindPageCommand("act://endtour"));
    EXPECT_EQ(PageCommand::Hide, FindPageCommand("act://hide"));
    EXPECT_EQ(PageCommand::Restore, FindPageCommand("act://restore/"));
    EXPECT_EQ(PageCommand::StartMailClient, FindPageCommand("act://msimn"));
}

TEST(PageCommand, UnknownCommandsAndOrdinaryLinksAreLeftToTheBrowser) {
    EXPECT_EQ(PageCommand::None, FindPageCommand("act://unknown"));
    EXPECT_EQ(PageCommand::None, FindPageCommand("act://"));
    EXPECT_EQ(PageCommand::None, FindPageCommand("index.htm"));
    EXPECT_EQ(PageCommand::None, FindPageCommand("res:///usr/bin/veilbox/tour.htm"));
    EXPECT_EQ(PageCommand::None, FindPageCommand("mailto:support@veilbox.invalid"));
}

TEST(PageCommand, SupportMailCarriesTheBuildNumber) {
    EXPECT_EQ("mailto:support@veilbox.invalid?subject=Hushpost build 384", BuildSupportMailUrl(384));
    EXPECT_EQ("mailto:support@veilbox.invalid?subject=Hushpost build 0", BuildSupportMailUrl(0));
}
