// The user of a run without windows: confirms the hide or restore question, never
// cancels, and reports every message on standard error. Passwords come from the
// descriptor the caller named, one per line, or else from the terminal, typed with
// echo off; a run that has neither gives none.
#pragma once

#include <cstddef>
#include <string>

#include "base/UserInterface.h"
#include "platform/SecretInput.h"

class CliUserInterface : public UserInterface {
public:
    // A longer line is refused rather than cut down to some other password.
    static constexpr size_t kMaxPasswordLength = 1024;

    // passwordFd: where the passwords are read from; -1 for the terminal.
    explicit CliUserInterface(int passwordFd) : passwordFd_(passwordFd) {}

    bool HasPasswordDescriptor() const { return passwordFd_ >= 0; }
    // The next password: the descriptor's next line, or asked for at the terminal.
    platform::SecretReadStatus ReadPassword(std::string& password) const;
    // Why ReadPassword gave no password, for the user.
    static const char* DescribeFailure(platform::SecretReadStatus status);

    int ShowMessageBox(const std::string& text, unsigned style) override;
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    bool RequestPassword(const std::string& prompt, std::string& password) override;

private:
    int passwordFd_;
};
