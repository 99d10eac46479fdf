// Commands that read: list, stores, checksum.
#include <iostream>

#include "ChecksumList.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "IdentityDirectory.h"
#include "StoreFiles.h"
#include "StorePath.h"
#include "ToolError.h"
#include "UsageError.h"
#include "platform/File.h"

namespace msimn {

namespace {

ClientIdentity RequireIdentity(const std::string& keyName) {
    ClientIdentity identity;
    if (!IdentityDirectory::Find(keyName, identity)) throw ToolError("no identity " + keyName + " in the registry");
    return identity;
}

}  // namespace

int ListCommand(const CommandLine& line) {
    line.Accept({}, 0);
    for (const auto& identity : IdentityDirectory::List()) {
        std::cout << identity.keyName << "\t" << identity.userId << "\t" << identity.username << "\t"
                  << identity.storeRoot << "\n";
    }
    return ExitSuccess;
}

int StoresCommand(const CommandLine& line) {
    line.Accept({}, 1);
    std::vector<ClientIdentity> identities;
    if (line.Positional().empty()) {
        identities = IdentityDirectory::List();
    } else {
        identities.push_back(RequireIdentity(line.Positional()[0]));
    }
    int result = ExitSuccess;
    for (const auto& identity : identities) {
        std::string folder = StorePath::Expand(identity.storeRoot);
        if (!platform::IsDirectory(folder)) {
            std::cerr << "msimn: the store folder \"" << folder << "\" of " << identity.keyName << " does not exist\n";
            result = ExitFailure;
            continue;
        }
        for (const auto& file : StoreFiles::List(folder)) {
            std::cout << identity.keyName << "\t" << file.name << "\t" << file.size << "\n";
        }
    }
    return result;
}

int ChecksumCommand(const CommandLine& line) {
    line.Accept({}, 3);
    const auto& args = line.Positional();
    if (args.size() != 3 || (args[0] != "record" && args[0] != "verify")) {
        throw UsageError("checksum needs: record|verify KEYNAME FILE");
    }
    std::string folder = StorePath::Expand(RequireIdentity(args[1]).storeRoot);
    if (args[0] == "record") {
        if (!platform::IsDirectory(folder)) throw ToolError("the store folder \"" + folder + "\" does not exist");
        ChecksumList::OfFolder(folder).Save(args[2]);
        return ExitSuccess;
    }
    // A missing folder is not an error here: every recorded file is then reported missing.
    std::vector<std::string> differences = ChecksumList::Load(args[2]).Compare(ChecksumList::OfFolder(folder));
    for (const auto& difference : differences) std::cout << difference << "\n";
    return differences.empty() ? ExitSuccess : ExitFailure;
}

}  // namespace msimn
