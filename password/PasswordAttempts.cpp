#include "password/PasswordAttempts.h"

#include "password/PasswordRecord.h"

PasswordAttempts::Outcome PasswordAttempts::Submit(const std::string& entered) {
    if (VerifyPassword(entered)) return Outcome::Accepted;
    ++rejections_;
    return rejections_ >= MaxRejections ? Outcome::OutOfTries : Outcome::Rejected;
}
