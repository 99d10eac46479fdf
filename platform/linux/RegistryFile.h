// Where the registry database lives by default, and how its file comes to be.
#pragma once

#include <string>

// $VEILBOX_REGISTRY, else $XDG_DATA_HOME/veilbox/registry.db, XDG_DATA_HOME
// defaulting to ~/.local/share.
std::string DefaultRegistryLocation();

// Makes sure the database file exists and is private to the user: missing folders
// above it are created 0700, a new file 0600, and group or other rights on an
// existing file of ours are taken away (SQLite gives its journal files the same
// mode). False when the file cannot be made or opened.
bool PrepareRegistryFile(const std::string& path);
