// Reading a container stream when every byte asked for must be there.
#pragma once

#include <cstddef>

#include "platform/CompoundFile.h"

// Fills all size bytes or fails: a stream that ends early, or a read the storage
// refuses, means the container is damaged.
[[nodiscard]] bool ReadExact(platform::InStream& stream, void* data, size_t size);
