// Finding the message-store files a hide takes, and the limits they must keep so that
// a restore can put every one of them back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/RunOutcome.h"
#include "base/UserInterface.h"
#include "store/StoreFile.h"

// Tells the user why a hide cannot go on before anything changed.
RunOutcome RefuseUnchanged(UserInterface& ui, OperationResultCode code, const std::string& file,
                           const std::string& text);

// Opens every "*.dbx" file directly in folder, exclusively, for the whole run;
// totalBytes gets their sum. Anything but a regular file there refuses the hide.
[[nodiscard]] RunOutcome FindStoreFiles(UserInterface& ui, const std::string& folder, std::vector<StoreFile>& files,
                                        uint64_t& totalBytes);
// What a restore would refuse to put back must not be taken away: sizes, counts,
// names and path lengths.
[[nodiscard]] RunOutcome CheckStoreLimits(UserInterface& ui, const std::string& folder,
                                          const std::vector<StoreFile>& files, uint64_t totalBytes);
