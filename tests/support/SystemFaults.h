// Faults a test provokes through the system under the program. The registry stand-in can
// be told to refuse writes; the real Windows registry cannot, so there the calls say so
// and the tests that need the fault are left to the Linux build.
#pragma once

#include <string>

bool CanRefuseRegistryValueWrites();
// A named pipe at path, where the system has them.
bool CanMakePipes();
bool MakePipe(const std::string& path);
// Whether a test may put the documents folder elsewhere (the desktop's user-dirs
// file); Windows takes it from the shell.
bool CanMoveDocumentsFolder();
// Whether file names may hold control characters (a newline) and files may be links.
bool NamesMayHoldControlCharacters();
bool CanMakeLinks();
// Whether registry keys may nest deeper than the 512 levels Windows allows.
bool RegistryNestsDeeperThanWindows();
// Whether a file another program holds open can still be renamed (not on Windows).
bool HeldFilesCanBeRenamed();
// Makes every value write to the registry at registryLocation fail, as a full disk
// would, or work again; false when it could not.
bool RefuseRegistryValueWrites(const std::string& registryLocation, bool refuse);
