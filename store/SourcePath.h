// The recorded path of a message-store file, read back from a container. A container
// is a file anybody can hand us, so the path is trusted only when it can name nothing
// but a message-store file: absolute, without any ".." part, and a *.dbx name.
#pragma once

#include <string>

bool IsSafeSourcePath(const std::string& path);
// True when the name (after the last separator) ends in ".dbx", in any case.
bool HasStoreFileName(const std::string& path);
