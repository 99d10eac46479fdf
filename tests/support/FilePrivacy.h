// Whether a file is the user's alone, as the system says who may open it: no permission
// bit for group or others on Linux; on Windows an access list whose entries let in the
// user and no other account than the system's own.
#pragma once

#include <string>

bool OnlyTheUserMayOpen(const std::string& path);
