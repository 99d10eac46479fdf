#include "app/PageAddress.h"

#include <cctype>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The browser hands back addresses with unsafe characters escaped (a space in the
// program's folder comes back as %20); the program path is compared unescaped.
std::string PercentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

// The part of url after the program's own address, or npos when it is not there.
// The comparison is made on the lower-cased address, as the browser may fold the
// case of what it hands back.
size_t FindAfterProgramAddress(const std::string& decodedUrl, const std::string& programPath) {
    const std::string own = Lower(BuildPageAddress(programPath, std::string()));
    if (programPath.empty() || Lower(decodedUrl).compare(0, own.size(), own) != 0) return std::string::npos;
    return own.size();
}

}  // namespace

std::string BuildPageAddress(const std::string& programPath, const std::string& page) {
    return "res://" + programPath + "/" + page;
}

std::string GetResourceNameFromAddress(const std::string& url, const std::string& programPath) {
    std::string rest = url.substr(0, url.find_first_of("?#"));
    rest = PercentDecode(rest);
    const size_t at = FindAfterProgramAddress(rest, programPath);
    return at == std::string::npos ? std::string() : rest.substr(at);
}

std::string GetPageName(const std::string& url, const std::string& programPath) {
    const std::string name = Lower(GetResourceNameFromAddress(url, programPath));
    return name.substr(0, name.find('.'));
}
