#include "store/RunRequest.h"

#include "platform/Shell.h"

RunRequest::~RunRequest() {
    if (!password.empty()) platform::SecureZero(&password[0], password.size());
}
