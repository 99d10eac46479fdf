#include "app/ElementScript.h"

#include <cstdio>

std::string QuoteJsString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            // "</" would end a surrounding script element if the script were ever
            // embedded in a page; "<\/" means the same inside the literal.
            case '/': out += (i > 0 && text[i - 1] == '<') ? "\\/" : "/"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                    out += escaped;
                } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                           (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                            static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
                    out += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
                    i += 2;
                } else {
                    out.push_back(static_cast<char>(c));
                }
        }
    }
    return out + "\"";
}

std::string BuildSetElementHtmlScript(const std::string& id, const std::string& html) {
    return "(function () { var e = document.getElementById(" + QuoteJsString(id) +
           "); if (!e) return \"0\"; e.innerHTML = " + QuoteJsString(html) + "; return \"1\"; })()";
}
