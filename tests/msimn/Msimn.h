// Runs the built msimn through the shell against the test's own registry database and
// data folder.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/CommandOutput.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

struct Result {
    int exitCode = -1;
    std::string out, err;
};

// A msimn that keeps running: the shell prints its own id, then becomes msimn.
struct Running {
    FILE* out = nullptr;
    pid_t pid = 0;
    // The next line of stdout without its newline; empty at its end.
    std::string Line() {
        char line[256] = "";
        return std::fgets(line, sizeof line, out) ? std::string(line, std::strcspn(line, "\n")) : std::string();
    }
    int Stop(int signal) {  // msimn's exit code; -1 when it did not exit normally
        if (signal) ::kill(pid, signal);
        const int status = ::pclose(std::exchange(out, nullptr));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ~Running() {
        if (out) Stop(SIGKILL);
    }
};

class MsimnTest : public ::testing::Test {
protected:
    MsimnTest() { environment_.Set("XDG_DATA_HOME", data_.path()); }
    std::string Command(const std::vector<std::string>& args) const {
        std::string command = MSIMN_PATH;
        for (const std::string& arg : args) {
            command += " '";
            for (char c : arg) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
            command += "'";
        }
        return command + " 2>" + data_.file("err");
    }
    Result Msimn(const std::vector<std::string>& args) const {
        Result result;
        result.out = CommandOutput(Command(args), &result.exitCode);
        result.err = ReadWholeFile(data_.file("err"));
        return result;
    }
    std::unique_ptr<Running> Start(const std::vector<std::string>& args) const {
        auto running = std::make_unique<Running>();
        running->out = ::popen(("echo $$; exec " + Command(args)).c_str(), "r");
        running->pid = std::stoi(running->Line());
        return running;
    }
    // create-identity with args; fails the test unless it succeeds; the new key name.
    std::string CreateIdentity(std::vector<std::string> args) const {
        args.insert(args.begin(), "create-identity");
        const Result result = Msimn(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out.substr(0, result.out.find('\n'));
    }
    // `msimn list` by key name: key, user id, username, store root.
    std::map<std::string, std::vector<std::string>> List() const {
        std::map<std::string, std::vector<std::string>> rows;
        std::istringstream lines(Msimn({"list"}).out);
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> fields;
            std::istringstream row(line);
            for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
            EXPECT_EQ(fields.size(), 4u) << line;
            rows[fields[0]] = fields;
        }
        return rows;
    }

    TempRegistry registry_;
    TempDir data_;
    ScopedEnvironment environment_;
};
