// A command line that cannot be carried out; main prints it with the usage and
// turns it into ExitUsage.
#pragma once

#include <stdexcept>

namespace msimn {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace msimn
