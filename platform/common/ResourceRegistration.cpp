// The table of embedded resources and the lookups over it.
#include "platform/ResourceRegistration.h"

#include <cctype>
#include <vector>

#include "platform/Shell.h"

namespace platform {

namespace {

struct Entry {
    const char* type;
    const char* name;
    const unsigned char* data;
    size_t size;
    long number;  // -1 when the name does not start with a number
};

// Built on first use: registrations run during static initialisation, in no fixed order.
std::vector<Entry>& Table() {
    static std::vector<Entry> table;
    return table;
}

bool SameIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    }
    return *a == *b;
}

// "141.png" and "141" are number 141; "logo.png" and "141a.png" have none.
long NumberOfName(const char* name) {
    long number = 0;
    const char* p = name;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        number = number * 10 + (*p - '0');
        if (number > 0xFFFF) return -1;  // numbered resources are 16-bit
    }
    if (p == name || (*p != '\0' && *p != '.')) return -1;
    return number;
}

}  // namespace

ResourceRegistration::ResourceRegistration(const char* type, const char* name, const unsigned char* data, size_t size) {
    Table().push_back({type, name, data, size, NumberOfName(name)});
}

// Types and names are matched without regard to case: page addresses and the names
// written in pages may arrive in any case.
Resource FindEmbeddedResource(const std::string& type, const std::string& name) {
    for (const Entry& entry : Table()) {
        if (SameIgnoringCase(entry.type, type.c_str()) && SameIgnoringCase(entry.name, name.c_str()))
            return Resource{entry.data, entry.size};
    }
    return Resource{};
}

Resource FindEmbeddedResource(const std::string& type, unsigned number) {
    for (const Entry& entry : Table()) {
        if (entry.number >= 0 && static_cast<unsigned long>(entry.number) == number &&
            SameIgnoringCase(entry.type, type.c_str()))
            return Resource{entry.data, entry.size};
    }
    return Resource{};
}

}  // namespace platform
