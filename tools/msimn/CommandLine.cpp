#include "CommandLine.h"

#include "UsageError.h"

namespace msimn {

namespace {
bool IsOption(const std::string& argument) { return argument.size() > 2 && argument.compare(0, 2, "--") == 0; }
}  // namespace

CommandLine::CommandLine(int argc, const char* const* argv,
                         const std::map<std::string, std::set<std::string>>& flagsByCommand) {
    int i = 1;
    if (i < argc && !IsOption(argv[i])) {
        command_ = argv[i++];
    } else {
        command_ = "run";
    }
    auto flags = flagsByCommand.find(command_);
    static const std::set<std::string> kNone;
    const std::set<std::string>& flagNames = flags == flagsByCommand.end() ? kNone : flags->second;
    for (; i < argc; ++i) {
        std::string argument = argv[i];
        if (!IsOption(argument)) {
            positional_.push_back(argument);
            continue;
        }
        std::string name = argument.substr(2);
        if (flagNames.count(name)) {
            values_[name] = std::string();
            continue;
        }
        if (i + 1 >= argc) throw UsageError("option --" + name + " needs a value");
        values_[name] = argv[++i];
    }
}

bool CommandLine::Has(const std::string& name) const { return values_.count(name) != 0; }

std::string CommandLine::Value(const std::string& name, const std::string& fallback) const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

std::string CommandLine::Require(const std::string& name) const {
    auto it = values_.find(name);
    if (it == values_.end()) throw UsageError(command_ + " needs --" + name);
    return it->second;
}

unsigned long long CommandLine::Number(const std::string& name, unsigned long long fallback) const {
    auto it = values_.find(name);
    if (it == values_.end()) return fallback;
    const std::string& text = it->second;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) {
        throw UsageError("--" + name + " needs a whole number, not \"" + text + "\"");
    }
    return std::stoull(text);
}

void CommandLine::Accept(const std::set<std::string>& allowed, size_t maxPositional) const {
    for (const auto& entry : values_) {
        if (!allowed.count(entry.first)) throw UsageError(command_ + " does not take --" + entry.first);
    }
    if (positional_.size() > maxPositional) {
        throw UsageError(command_ + ": unexpected argument \"" + positional_[maxPositional] + "\"");
    }
}

}  // namespace msimn
