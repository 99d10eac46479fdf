// msimn: a stand-in for the mail client whose identities Veilbox hides. It keeps the
// client's registry layout, window class and store files, so the product can be run
// and tested against it.
#include <iostream>
#include <map>
#include <string>

#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "ToolError.h"
#include "UsageError.h"
#include "platform/File.h"

namespace {

const char* const kUsage =
    "usage: msimn [run] [--identity KEYNAME] [--for SECONDS]\n"
    "       msimn create-identity --name NAME [--store DIR] [--files N] [--seed S] [--default]\n"
    "       msimn set-pointers [--default UID] [--last UID] [--last-name NAME] [--start UID]\n"
    "       msimn list\n"
    "       msimn stores [KEYNAME]\n"
    "       msimn checksum record|verify KEYNAME FILE\n"
    "       msimn seed-demo\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace msimn;
    const std::map<std::string, int (*)(const CommandLine&)> commands = {
        {"run", RunCommand},         {"create-identity", CreateIdentityCommand},
        {"set-pointers", SetPointersCommand}, {"list", ListCommand},
        {"stores", StoresCommand},   {"checksum", ChecksumCommand},
        {"seed-demo", SeedDemoCommand},
    };
    try {
        if (argc > 1 && (std::string(argv[1]) == "help" || std::string(argv[1]) == "--help")) {
            std::cout << kUsage;
            return ExitSuccess;
        }
        // create-identity --default is a switch; set-pointers --default takes a user id.
        CommandLine line(argc, argv, {{"create-identity", {"default"}}});
        auto command = commands.find(line.Command());
        if (command == commands.end()) throw UsageError("unknown command \"" + line.Command() + "\"");
        return command->second(line);
    } catch (const UsageError& error) {
        std::cerr << "msimn: " << error.what() << "\n" << kUsage;
        return ExitUsage;
    } catch (const ToolError& error) {
        std::cerr << "msimn: " << error.what() << "\n";
    } catch (const std::exception& error) {
        std::cerr << "msimn: unexpected failure: " << error.what() << "\n";
    }
    return ExitFailure;
}
