// The user's home folder: $HOME, else the password database's entry; empty when
// neither gives one. And the folders the desktop's rules put below it.
#pragma once

#include <string>

namespace platform {

std::string HomeFolder();
// The XDG data folder: $XDG_DATA_HOME when it is absolute (relative values are invalid
// by the base-directory rules), else ~/.local/share; empty without a home.
std::string DataHome();
// The folder of the program's own files in it, not created.
std::string ProgramDataFolderPath();

}  // namespace platform
