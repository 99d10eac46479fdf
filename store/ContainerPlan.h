// Everything a container promises, read and checked before anything is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/ContainerSeal.h"
#include "store/IndexHeader.h"
#include "store/StreamHeader.h"

// One file stream of a container, checked and ready to be written back.
struct StreamPlan {
    std::string name;
    StreamHeader header;
    uint8_t headerBytes[StreamHeader::kSize] = {};
    std::string targetPath;
    uint64_t plainSize = 0;
    std::string partPath;  // the private name it is written under, once created
    bool inPlace = false;  // the file in place already holds exactly these bytes
};

struct ContainerPlan {
    IndexHeader index;
    std::vector<uint8_t> indexBytes;
    bool sealed = false;
    ContainerSeal seal;
    std::string storeFolder;
    // Set when the other system wrote the container: the store folder as that system
    // named it, in which its files were recorded.
    std::string recordedFolder;
    std::vector<StreamPlan> streams;
};
