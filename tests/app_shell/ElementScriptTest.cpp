#include <gtest/gtest.h>

#include "app/ElementScript.h"

TEST(ElementScript, PlainTextIsQuotedAsItIs) {
    EXPECT_EQ("\"v2.0 (build 384)\"", QuoteJsString("v2.0 (build 384)"));
    EXPECT_EQ("\"\"", QuoteJsString(""));
    EXPECT_EQ("\"<a href='act://msimn'>x<\\/a>\"", QuoteJsString("<a href='act://msimn'>x</a>"));
}

TEST(ElementScript, NothingInTheTextCanEndTheLiteral) {
    EXPECT_EQ("\"say \\\"hi\\\"\"", QuoteJsString("say \"hi\""));
    EXPECT_EQ("\"a\\\\\\\"b\"", QuoteJsString("a\\\"b"));
    EXPECT_EQ("\"one\\r\\ntwo\\tthree\"", QuoteJsString("one\r\ntwo\tthree"));
    EXPECT_EQ("\"<\\/script>\"", QuoteJsString("</script>"));
    EXPECT_EQ("\"\\x00\\x1B\\x7F\"", QuoteJsString(std::string("\0\x1b\x7f", 3)));
    EXPECT_EQ("\"a\\u2028b\\u2029c\"", QuoteJsString("a\xE2\x80\xA8" "b\xE2\x80\xA9" "c"));
    // Other UTF-8 passes through untouched, including a cut-off sequence at the end.
    EXPECT_EQ("\"\xC3\xA9\xE2\x82\xAC\xE2\x80\"", QuoteJsString("\xC3\xA9\xE2\x82\xAC\xE2\x80"));
}

TEST(ElementScript, ScriptQuotesBothTheIdAndTheHtml) {
    const std::string script = BuildSetElementHtmlScript("a\"b", "x\"y");
    EXPECT_NE(std::string::npos, script.find("document.getElementById(\"a\\\"b\")"));
    EXPECT_NE(std::string::npos, script.find("e.innerHTML = \"x\\\"y\""));
}
