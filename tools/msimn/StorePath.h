// Turns a "Store Root" text into a folder, and chooses where new stores go.
#pragma once

#include <string>

namespace msimn {

class StorePath {
public:
    // Replaces each %name% reference by that environment variable (looked up as
    // written, then in upper case, since Windows names ignore case). A reference to
    // an undefined variable is kept as it is, so the folder simply does not exist.
    static std::string Expand(const std::string& storeRoot);
    // ${XDG_DATA_HOME:-~/.local/share}/veilbox-demo: where stores go when no folder
    // is given.
    static std::string DefaultBase();
    // A new store folder below DefaultBase for an identity key name, in lower case as
    // the mail client names its own folders.
    static std::string DefaultFolder(const std::string& keyName);
    // Makes a plain path absolute; texts with %name% references are left alone.
    static std::string Absolute(const std::string& path);
};

}  // namespace msimn
