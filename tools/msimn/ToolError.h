// A failure to report on stderr; main turns it into ExitFailure.
#pragma once

#include <stdexcept>

namespace msimn {

class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace msimn
