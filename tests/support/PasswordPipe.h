// Hands passwords to a program a test starts, the way a careful caller does: as lines in
// a pipe whose reading end the program inherits (veilbox-cli --password-fd N). The
// writing end is closed at once, so after the lines the program meets the end of input.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

class PasswordPipe {
public:
    explicit PasswordPipe(const std::string& lines) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        readEnd_ = ends[0];
        // Only the reading end goes on to the programs started while this lives.
        const bool written = ::write(ends[1], lines.data(), lines.size()) == static_cast<ssize_t>(lines.size());
        ::close(ends[1]);
        if (!written || ::fcntl(readEnd_, F_SETFD, 0) != 0) {
            ::close(readEnd_);
            throw std::runtime_error("password pipe not filled");
        }
    }
    ~PasswordPipe() { ::close(readEnd_); }
    PasswordPipe(const PasswordPipe&) = delete;
    PasswordPipe& operator=(const PasswordPipe&) = delete;

    // "--password-fd" and the reading end's number, for the program's command line.
    std::vector<std::string> Option() const { return {"--password-fd", std::to_string(readEnd_)}; }

private:
    int readEnd_ = -1;
};
