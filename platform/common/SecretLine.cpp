#include "platform/common/SecretLine.h"

#include "platform/Shell.h"

namespace platform {

void WipeSecret(std::string& secret) {
    SecureZero(secret.data(), secret.size());
    secret.clear();
}

SecretReadStatus ReadSecretBytes(size_t maxLength, std::string& secret, const std::function<ByteStep(char&)>& next) {
    WipeSecret(secret);
    // Room for the longest line and its '\r': the buffer never moves.
    secret.reserve(maxLength + 1);
    SecretReadStatus status = SecretReadStatus::Read;
    bool any = false;
    char byte = 0;
    for (;;) {
        const ByteStep step = next(byte);
        if (step == ByteStep::Failed) {
            status = SecretReadStatus::Failed;
            break;
        }
        if (step == ByteStep::End) {
            if (!any) status = SecretReadStatus::EndOfInput;
            break;
        }
        any = true;
        if (byte == '\n') break;
        if (secret.size() > maxLength) {
            // Not read any further: the caller gives up on this input.
            status = SecretReadStatus::TooLong;
            break;
        }
        secret.push_back(byte);
    }
    SecureZero(&byte, sizeof byte);
    if (status == SecretReadStatus::Read && !secret.empty() && secret.back() == '\r') secret.pop_back();
    if (status == SecretReadStatus::Read && secret.size() > maxLength) status = SecretReadStatus::TooLong;
    if (status != SecretReadStatus::Read) WipeSecret(secret);
    return status;
}

}  // namespace platform
