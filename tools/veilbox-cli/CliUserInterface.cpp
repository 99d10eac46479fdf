#include "CliUserInterface.h"

#include <cstdio>

namespace {

// Progress goes to standard error as a percentage, so a watcher can tell how far a
// run got; cancel requests never arise.
class CliProgressWindow final : public ProgressWindow {
public:
    void SetStatusText(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void SetRange(int low, int high) override {
        low_ = low;
        high_ = high;
    }
    int SetPos(int position) override {
        const int percent = high_ > low_ ? (position - low_) * 100 / (high_ - low_) : 0;
        if (percent != lastPercent_) std::fprintf(stderr, "%d%%\n", percent);
        lastPercent_ = percent;
        const int previous = position_;
        position_ = position;
        return previous;
    }
    bool TakeCancelRequest() override { return false; }
    void HideCancelButton() override {}

private:
    int low_ = 0;
    int high_ = 100;
    int position_ = 0;
    int lastPercent_ = -1;
};

}  // namespace

int CliUserInterface::ShowMessageBox(const std::string& text, unsigned style) {
    std::fprintf(stderr, "%s\n", text.c_str());
    switch (style & MessageStyle::TypeMask) {
        case MessageStyle::YesNo:
            // The only questions of a run are its confirmation (Yes) and the cancel
            // question, which cannot arise here.
            return MessageAnswer::Yes;
        case MessageStyle::RetryCancel:
        case MessageStyle::OkCancel:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Ok;
    }
}

std::unique_ptr<ProgressWindow> CliUserInterface::CreateProgressWindow() {
    return std::make_unique<CliProgressWindow>();
}

platform::SecretReadStatus CliUserInterface::ReadPassword(std::string& password) const {
    if (HasPasswordDescriptor()) return platform::ReadSecretLine(passwordFd_, kMaxPasswordLength, password);
    return platform::ReadSecretFromTerminal("Password: ", kMaxPasswordLength, password);
}

const char* CliUserInterface::DescribeFailure(platform::SecretReadStatus status) {
    switch (status) {
    case platform::SecretReadStatus::Read:
        return "";
    case platform::SecretReadStatus::EndOfInput:
        return "No further password was given.";
    case platform::SecretReadStatus::TooLong:
        return "The password given is too long.";
    case platform::SecretReadStatus::Failed:
        return "The password could not be read.";
    case platform::SecretReadStatus::NoTerminal:
        return "No password can be asked for here: give it with --password-fd N, or run at a terminal.";
    }
    return "";
}

bool CliUserInterface::RequestPassword(const std::string& prompt, std::string& password) {
    std::fprintf(stderr, "%s\n", prompt.c_str());
    const platform::SecretReadStatus status = ReadPassword(password);
    if (status == platform::SecretReadStatus::Read) return true;
    std::fprintf(stderr, "%s\n", DescribeFailure(status));
    return false;
}
