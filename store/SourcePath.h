// Names and paths of the files a run creates or touches. A container is a file anybody
// can hand us, and a key name is text anybody can put in the registry, so a name is
// trusted only when it can name nothing but one entry of one folder.
#pragma once

#include <string>

// One entry of a folder on every system the container travels to: not empty, not "."
// or "..", no separator, no control character and none of : * ? " < > |.
bool IsPlainFileName(const std::string& name);
// True when the name (after the last separator) ends in ".dbx", in any case.
bool HasStoreFileName(const std::string& path);
// A plain name of a message-store file.
bool IsStoreFileName(const std::string& name);
// A recorded path that can name nothing but a message-store file: absolute, without
// any ".." part, and a *.dbx name.
bool IsSafeSourcePath(const std::string& path);
// The entry of `folder` that `path` names directly, or the empty text when it names
// anything else (a file of another folder, a subfolder's file, not a plain name). The
// folder is compared without regard to case where the file system ignores it.
std::string NameInFolder(const std::string& path, const std::string& folder);
// The same for a path of a system whose separator is `separator` and which, with
// ignoreCase, takes the folder's letters without regard to case.
std::string NameInFolder(const std::string& path, const std::string& folder, char separator, bool ignoreCase);

// Temporary names: the final name, a dot, eight random hexadecimal digits and a
// suffix, created exclusively, so no two runs and no planted file share one.
std::string NewTemporaryPath(const std::string& finalPath, const char* suffix);
// True for a name NewTemporaryPath made from `finalName` (or, with an empty
// finalName, from any message-store file name) with that suffix.
bool IsTemporaryName(const std::string& name, const std::string& finalName, const char* suffix);
