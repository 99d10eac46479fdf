// Runs the built msimn against the test's own registry database and data folder.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "support/TempRegistry.h"

extern char** environ;

// One run of msimn: stdout comes through a pipe, stderr goes to a file. Environment
// changes over the test's own: a value sets, nullopt removes. A child still running
// when the holder dies is killed and reaped.
class Child {
public:
    using Environment = std::map<std::string, std::optional<std::string>>;
    struct Result {
        int exitCode = -1;  // -1 when it did not exit normally
        std::string out, err;
    };

    Child(std::vector<std::string> args, const Environment& changes, std::string errPath) : errPath_(std::move(errPath)) {
        // Everything the child needs is built before fork: after it only exec is safe.
        std::map<std::string, std::string> variables;
        for (char** entry = environ; *entry; ++entry) {
            const std::string text = *entry;
            variables[text.substr(0, text.find('='))] = text.substr(text.find('=') + 1);
        }
        for (const auto& [name, value] : changes) value ? void(variables[name] = *value) : void(variables.erase(name));
        std::vector<std::string> texts;
        for (const auto& [name, value] : variables) texts.push_back(name + "=" + value);
        std::vector<char*> argv{const_cast<char*>(MSIMN_PATH)}, envp;
        for (auto& arg : args) argv.push_back(arg.data());
        for (auto& text : texts) envp.push_back(text.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        int out[2];
        EXPECT_EQ(0, ::pipe2(out, O_CLOEXEC));
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            if (FILE* err = std::fopen(errPath_.c_str(), "w")) ::dup2(fileno(err), 2);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = ::fdopen(out[0], "r");
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_) std::fclose(out_);
    }
    // The next line of stdout without its newline; nullopt at its end.
    std::optional<std::string> ReadLine() {
        char* line = nullptr;
        size_t size = 0;
        const ssize_t n = ::getline(&line, &size, out_);
        std::optional<std::string> text;
        if (n > 0) text = std::string(line, line[n - 1] == '\n' ? n - 1 : n);
        std::free(line);
        return text;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    Result Wait() {
        Result result;
        for (int c; (c = std::fgetc(out_)) != EOF;) result.out += char(c);
        int status = 0;
        ::waitpid(std::exchange(pid_, -1), &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = ReadWholeFile(errPath_);
        return result;
    }

private:
    std::string errPath_;
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

class MsimnFixture : public ::testing::Test {
protected:
    // The child's environment: the test's (with VEILBOX_REGISTRY naming our database)
    // plus XDG_DATA_HOME in our temporary folder, plus extra.
    std::unique_ptr<Child> Start(const std::vector<std::string>& args, Child::Environment extra = {}) {
        extra.emplace("XDG_DATA_HOME", data_.path());
        return std::make_unique<Child>(args, extra, data_.file("stderr" + std::to_string(++runs_)));
    }
    Child::Result Msimn(const std::vector<std::string>& args, const Child::Environment& extra = {}) {
        return Start(args, extra)->Wait();
    }
    // create-identity with args; fails the test unless it succeeds; the new key name.
    std::string CreateIdentity(std::vector<std::string> args) {
        args.insert(args.begin(), "create-identity");
        const Child::Result result = Msimn(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out.substr(0, result.out.find('\n'));
    }
    // `msimn list` by key name: key, user id, username, store root.
    std::map<std::string, std::vector<std::string>> List() {
        const Child::Result result = Msimn({"list"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        std::map<std::string, std::vector<std::string>> rows;
        std::istringstream lines(result.out);
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
    int runs_ = 0;
};
