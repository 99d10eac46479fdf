#include "base/UserInterface.h"

namespace {

// Stands in when nothing is installed: declines everything, shows nothing.
class SilentInterface final : public UserInterface {
public:
    int ShowMessageBox(const std::string&, unsigned style) override {
        return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
    }
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override { return nullptr; }
    bool RequestPassword(const std::string&, std::string&) override { return false; }
};

SilentInterface silent;
UserInterface* installed = nullptr;

}  // namespace

void UserInterface::Install(UserInterface* ui) { installed = ui; }

UserInterface& UserInterface::Current() { return installed ? *installed : silent; }

int ShowMessageBox(const std::string& text, unsigned style) {
    return UserInterface::Current().ShowMessageBox(text, style);
}
