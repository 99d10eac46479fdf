// How embedded files make themselves known: each generated resource source holds one
// static ResourceRegistration, which adds its bytes to the table that FindEmbeddedResource
// searches. Registration happens before main, so lookups never race with it.
#pragma once

#include <cstddef>

namespace platform {

class ResourceRegistration {
public:
    // type and name must outlive the program (they are string literals); size does not
    // count the zero byte that follows data.
    ResourceRegistration(const char* type, const char* name, const unsigned char* data,
                         size_t size);
    ResourceRegistration(const ResourceRegistration&) = delete;
    ResourceRegistration& operator=(const ResourceRegistration&) = delete;
};

}  // namespace platform
