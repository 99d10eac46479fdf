// One message-store file a hide has found and holds open until it is erased.
#pragma once

#include <cstdint>

#include "platform/File.h"

struct StoreFile {
    platform::File file;
    uint64_t size = 0;
    platform::FileStamp stamp;
};
