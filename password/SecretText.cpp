#include "password/SecretText.h"

#include "platform/Shell.h"

void SecretText::Assign(const std::string& text) {
    // Wiped before the assignment: a longer text moves to a new buffer and frees the
    // old one, a shorter one would leave the old tail behind.
    Wipe();
    text_.assign(text);
}

void SecretText::Wipe() {
    if (!text_.empty()) platform::SecureZero(&text_[0], text_.size());
    text_.clear();
}
