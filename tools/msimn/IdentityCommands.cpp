// Commands that write identities: create-identity, set-pointers, seed-demo.
#include <iostream>
#include <random>

#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "IdentityDirectory.h"
#include "IdentityFactory.h"
#include "IdentityPointers.h"
#include "UsageError.h"

namespace msimn {

namespace {

constexpr unsigned kUsualFileCount = 7;
constexpr unsigned kMaxFiles = 1000;

}  // namespace

int CreateIdentityCommand(const CommandLine& line) {
    line.Accept({"name", "store", "files", "seed", "default"}, 0);
    std::string name = line.Require("name");
    unsigned long long files = line.Number("files", kUsualFileCount);
    if (files > kMaxFiles) throw UsageError("--files takes at most " + std::to_string(kMaxFiles));
    std::random_device source;
    uint64_t seed = line.Number("seed", (static_cast<uint64_t>(source()) << 32) | source());
    ClientIdentity identity =
        IdentityFactory::Create(name, line.Value("store"), static_cast<unsigned>(files), seed, line.Has("default"));
    std::cout << identity.keyName << "\n";
    return ExitSuccess;
}

int SetPointersCommand(const CommandLine& line) {
    line.Accept({"default", "last", "last-name", "start"}, 0);
    IdentityPointers pointers;
    if (line.Has("default")) pointers.defaultUserId = line.Value("default");
    if (line.Has("last")) pointers.lastUserId = line.Value("last");
    if (line.Has("last-name")) pointers.lastUsername = line.Value("last-name");
    if (line.Has("start")) pointers.startAs = line.Value("start");
    if (!pointers.defaultUserId && !pointers.lastUserId && !pointers.lastUsername && !pointers.startAs) {
        throw UsageError("set-pointers needs at least one of --default, --last, --last-name, --start");
    }
    pointers.Write();
    return ExitSuccess;
}

int SeedDemoCommand(const CommandLine& line) {
    line.Accept({}, 0);
    if (!IdentityDirectory::List().empty()) {
        std::cerr << "msimn: the registry already holds identities; the demo profile is left alone\n";
        return ExitSuccess;
    }
    // Fixed seeds: every demo profile has the same mail, which makes a demo repeatable.
    ClientIdentity main = IdentityFactory::Create("Main Identity", std::string(), kUsualFileCount, 1, true);
    ClientIdentity secret = IdentityFactory::Create("Private", std::string(), kUsualFileCount, 2, false);
    std::cout << main.keyName << "\t" << main.username << "\n" << secret.keyName << "\t" << secret.username << "\n";
    return ExitSuccess;
}

}  // namespace msimn
