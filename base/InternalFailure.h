// The registry walk's internal failure: a state the walk cannot continue from. It ends
// the hide or restore run and is caught at the page command, which shows an
// unspecified error; the text is "!!!" or "oblom!!!" and is never shown to the user.
#pragma once

#include <stdexcept>
#include <string>

class InternalFailure : public std::runtime_error {
public:
    explicit InternalFailure(const std::string& text) : std::runtime_error(text) {}
};

// Texts of the two internal failures.
constexpr const char kWalkFailure[] = "!!!";
constexpr const char kSubkeyCreateFailure[] = "oblom!!!";
