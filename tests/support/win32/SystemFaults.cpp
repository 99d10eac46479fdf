#include "support/SystemFaults.h"

bool CanRefuseRegistryValueWrites() { return false; }
bool CanMakePipes() { return false; }
bool CanMoveDocumentsFolder() { return false; }
bool MakePipe(const std::string&) { return false; }
bool NamesMayHoldControlCharacters() { return false; }
// Making one needs a privilege an ordinary Windows user lacks.
bool CanMakeLinks() { return false; }
bool RegistryNestsDeeperThanWindows() { return false; }
bool HeldFilesCanBeRenamed() { return false; }

bool RefuseRegistryValueWrites(const std::string&, bool) { return false; }
