// Runs the built msimn against the test's own registry database and data folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChildProcess.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

class MsimnFixture : public ::testing::Test {
protected:
    // The child's environment: the test's (with VEILBOX_REGISTRY naming our database)
    // plus XDG_DATA_HOME in our temporary folder, plus extra.
    ChildProcess::Environment Environment(const ChildProcess::Environment& extra = {}) const;
    ChildProcess::Result Msimn(const std::vector<std::string>& args, const ChildProcess::Environment& extra = {});
    // argv for a ChildProcess that runs msimn with args.
    static std::vector<std::string> Argv(const std::vector<std::string>& args);

    // create-identity with args; fails the test unless it succeeds; the new key name.
    std::string CreateIdentity(const std::vector<std::string>& args);
    // `msimn list`, one row of fields per identity.
    std::vector<std::vector<std::string>> List();
    // The "Store Root" of an identity as `list` shows it.
    std::string StoreRootOf(const std::string& keyName);

    TempRegistry registry_;
    TempDir data_;
};
