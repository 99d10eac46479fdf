// Hands passwords to a program a test starts, the way a careful caller does: as lines in
// a pipe whose reading end the program inherits (veilbox-cli --password-fd N). The
// writing end is closed at once, so after the lines the program meets the end of input.
#pragma once

#include <string>
#include <vector>

class PasswordPipe {
public:
    explicit PasswordPipe(const std::string& lines);
    ~PasswordPipe();
    PasswordPipe(const PasswordPipe&) = delete;
    PasswordPipe& operator=(const PasswordPipe&) = delete;

    // "--password-fd" and the reading end's number, for the program's command line.
    std::vector<std::string> Option() const;

private:
    int readEnd_ = -1;
};
