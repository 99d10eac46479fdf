#pragma once

#include <string>

// How often this program called `call` ("fsync" or "syncfs") on a descriptor of path.
int Syncs(const std::string& call, const std::string& path);
