#include "PasswordPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

PasswordPipe::PasswordPipe(const std::string& lines) {
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

PasswordPipe::~PasswordPipe() { ::close(readEnd_); }

std::vector<std::string> PasswordPipe::Option() const { return {"--password-fd", std::to_string(readEnd_)}; }
