// Runs the built msimn through the shell against the test's own registry database and
// data folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/CommandOutput.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

class MsimnTest : public ::testing::Test {
protected:
    MsimnTest() { environment_.Set("XDG_DATA_HOME", data_.path()); }
    // The shell command for msimn with args; its standard error goes to Err().
    std::string Command(const std::vector<std::string>& args) const {
        std::string command = MSIMN_PATH;
        for (const std::string& arg : args) command += " '" + arg + "'";
        return command + " 2>" + data_.file("err");
    }
    int Msimn(const std::vector<std::string>& args, std::string* out = nullptr) const {
        int exitCode = -1;
        const std::string text = CommandOutput(Command(args), &exitCode);
        if (out) *out = text;
        return exitCode;
    }
    std::string Err() const { return ReadWholeFile(data_.file("err")); }
    // A new identity with its store in the data folder; its key name.
    std::string CreateIdentity(const std::string& name, const std::string& store) const {
        std::string out;
        EXPECT_EQ(Msimn({"create-identity", "--name", name, "--store", data_.file(store)}, &out), 0) << Err();
        return out.substr(0, out.find('\n'));
    }

    TempRegistry registry_;
    TempDir data_;
    ScopedEnvironment environment_;
};
