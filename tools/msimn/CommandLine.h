// The stand-in's command line: a command word, positional arguments and --options.
// With no command word the command is "run", because the product starts the mail
// client without arguments.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace msimn {

class CommandLine {
public:
    // flagsByCommand: per command word, the options that take no value (all others
    // take the next argument). Throws UsageError when a valued option has no value.
    CommandLine(int argc, const char* const* argv,
                const std::map<std::string, std::set<std::string>>& flagsByCommand);

    const std::string& Command() const { return command_; }
    const std::vector<std::string>& Positional() const { return positional_; }

    bool Has(const std::string& name) const;
    // The option's value, or fallback when absent.
    std::string Value(const std::string& name, const std::string& fallback = std::string()) const;
    // The option's value; UsageError when absent.
    std::string Require(const std::string& name) const;
    // The option as a non-negative integer; UsageError when it is not one.
    unsigned long long Number(const std::string& name, unsigned long long fallback) const;
    // UsageError for any option outside allowed, or more positional arguments than maxPositional.
    void Accept(const std::set<std::string>& allowed, size_t maxPositional) const;

private:
    std::string command_;
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
};

}  // namespace msimn
