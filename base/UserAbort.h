// Raised inside the container's copy loops when the user confirms a cancel request;
// caught where the stream is handled, which then fails the run.
#pragma once

#include <stdexcept>

class UserAbort : public std::runtime_error {
public:
    UserAbort() : std::runtime_error("canceled by the user") {}
};
