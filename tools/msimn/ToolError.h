// A failure to report on stderr; main turns it into ExitFailure.
#pragma once

#include <stdexcept>

#include "platform/FileStatus.h"

namespace msimn {

class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file layer reports; this tool stops at the first failure with its text.
inline void Require(const platform::FileStatus& status) {
    if (!status.ok()) throw ToolError(status.text());
}

}  // namespace msimn
