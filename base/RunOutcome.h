// How one hide or restore ended: done, or the result code the result page explains,
// with the cause (the file concerned and the system's reason) for messages and logs.
#pragma once

#include <string>
#include <utility>

#include "base/OperationResult.h"

class [[nodiscard]] RunOutcome {
public:
    static RunOutcome Done() { return RunOutcome(true, ResultUnspecified, {}, {}); }
    static RunOutcome Failed(OperationResultCode code, std::string file = {}, std::string reason = {}) {
        return RunOutcome(false, code, std::move(file), std::move(reason));
    }

    bool succeeded() const { return succeeded_; }
    // ResultUnspecified for a run that was done.
    OperationResultCode code() const { return code_; }
    const std::string& file() const { return file_; }
    const std::string& reason() const { return reason_; }

private:
    RunOutcome(bool succeeded, OperationResultCode code, std::string file, std::string reason)
        : succeeded_(succeeded), code_(code), file_(std::move(file)), reason_(std::move(reason)) {}

    bool succeeded_;
    OperationResultCode code_;
    std::string file_;
    std::string reason_;
};
