#include "UniqueFd.h"

#include <unistd.h>

#include <utility>

namespace msimn {

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) close(fd_);
}

UniqueFd::UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

}  // namespace msimn
