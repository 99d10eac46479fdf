#include "MsimnFixture.h"

#include <sstream>

ChildProcess::Environment MsimnFixture::Environment(const ChildProcess::Environment& extra) const {
    ChildProcess::Environment environment = extra;
    environment.emplace("XDG_DATA_HOME", data_.path());
    return environment;
}

std::vector<std::string> MsimnFixture::Argv(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {MSIMN_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

ChildProcess::Result MsimnFixture::Msimn(const std::vector<std::string>& args, const ChildProcess::Environment& extra) {
    return ChildProcess::Run(Argv(args), Environment(extra));
}

std::string MsimnFixture::CreateIdentity(const std::vector<std::string>& args) {
    std::vector<std::string> full = {"create-identity"};
    full.insert(full.end(), args.begin(), args.end());
    ChildProcess::Result result = Msimn(full);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::string key = result.out;
    if (!key.empty() && key.back() == '\n') key.pop_back();
    return key;
}

std::vector<std::vector<std::string>> MsimnFixture::List() {
    ChildProcess::Result result = Msimn({"list"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
            fields.push_back(line.substr(start, tab - start));
        }
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

std::string MsimnFixture::StoreRootOf(const std::string& keyName) {
    for (const auto& row : List()) {
        if (row.size() == 4 && row[0] == keyName) return row[3];
    }
    ADD_FAILURE() << "no identity " << keyName << " in the list";
    return std::string();
}
