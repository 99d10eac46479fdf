// The user's home folder: $HOME, else the password database's entry; empty when
// neither gives one.
#pragma once

#include <string>

namespace platform {

std::string HomeFolder();

}  // namespace platform
