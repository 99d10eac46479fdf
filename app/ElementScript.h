// The page host sets an element's inner HTML by running a script in the page. Any text
// put into that script travels as a JavaScript string literal, so nothing a text holds
// (quotes, backslashes, line breaks, "</script>") can end the literal early or run.
#pragma once

#include <string>

// text as a double-quoted JavaScript string literal. Non-ASCII bytes pass unchanged
// (the script is UTF-8) except the two line separators U+2028 and U+2029, which end
// a line in older script engines.
std::string QuoteJsString(const std::string& text);

// A script that sets the inner HTML of the element with this id and evaluates to
// "1" when the element was found, "0" when the page has no such element.
std::string BuildSetElementHtmlScript(const std::string& id, const std::string& html);
