// Where the program's files are: its own file, files beside it, the user's own files
// of the program (auth.dat), and files in the user's documents folder (the container). Paths use the platform's separator.
#pragma once

#include <string>

// Full path of the running program file.
std::string GetModulePath();
// The folder of a program path, with a trailing separator; a build folder named
// debug or release (any case) is folded into its parent, one level only.
std::string GetProgramFolder(const std::string& programPath);
// The program folder followed directly by name.
std::string GetProgramFilePath(const std::string& name);
// The folder of the program's own files for this user, a separator, then name; beside
// the program when there is no such folder.
std::string GetUserDataFilePath(const std::string& name);
// A shell special folder by identifier (5 = the user's documents), created if
// missing, or the empty text.
std::string GetSpecialFolder(int folderId);
// The path without one trailing separator.
std::string StripTrailingBackslash(const std::string& path);
// The documents folder, a separator, then name.
std::string GetDocumentsFilePath(const std::string& name);

constexpr int CSIDL_PERSONAL = 5;
