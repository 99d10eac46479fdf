// The start-up prompt's count of wrong entries: three per start of the program, after
// which the program ends.
#pragma once

#include <string>

class PasswordAttempts {
public:
    static constexpr int MaxRejections = 3;

    enum class Outcome {
        Accepted,    // the entry is the password; it is now the CurrentPassword
        Rejected,    // wrong; the user may try again
        OutOfTries,  // wrong for the last time; the program has to end
    };

    Outcome Submit(const std::string& entered);
    int Rejections() const { return rejections_; }

private:
    int rejections_ = 0;
};
