#include "platform/Shell.h"

namespace platform {

// On Windows the password record stays beside the program, where the program's
// installer puts it and its folder is the user's to write.
std::string UserDataFolder() { return std::string(); }

}  // namespace platform
