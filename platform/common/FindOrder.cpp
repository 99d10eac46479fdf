#include "platform/common/FindOrder.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace platform {

namespace {

std::string Folded(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool LessIgnoringCase(const FindEntry& a, const FindEntry& b) {
    std::string foldedA = Folded(a.name), foldedB = Folded(b.name);
    return foldedA != foldedB ? foldedA < foldedB : a.name < b.name;
}

}  // namespace

void SortByNameIgnoringCase(std::vector<FindEntry>& entries) {
    std::sort(entries.begin(), entries.end(), LessIgnoringCase);
}

}  // namespace platform
