// A text that is key material (the program password): its bytes are overwritten when
// it is replaced and when it dies, so no copy of an old password stays on the heap.
#pragma once

#include <string>

class SecretText {
public:
    SecretText() = default;
    ~SecretText() { Wipe(); }
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;

    void Assign(const std::string& text);
    // A copy; the caller owns it.
    std::string Get() const { return text_; }

private:
    void Wipe();

    std::string text_;
};
