#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <algorithm>

class ScriptedUserInterface::Window final : public ProgressWindow {
public:
    explicit Window(ScriptedUserInterface& owner) : owner_(owner) {
        ++owner_.openWindows;
        Log("create");
    }
    ~Window() override {
        --owner_.openWindows;
        Log("destroy");
    }
    void SetStatusText(const std::string& text) override {
        Log("status:" + text);
        if (owner_.onStatus) owner_.onStatus(text);
    }
    void SetRange(int low, int high) override { Log("range:" + std::to_string(low) + "," + std::to_string(high)); }
    int SetPos(int position) override {
        Log("pos:" + std::to_string(position));
        return std::exchange(position_, position);
    }
    bool TakeCancelRequest() override {
        const auto& at = owner_.cancelAt_;
        const bool cancel = std::find(at.begin(), at.end(), ++owner_.cancelRequestsTaken) != at.end();
        Log(cancel ? "cancel?:1" : "cancel?:0");
        return cancel;
    }
    void HideCancelButton() override { Log("hidecancel"); }

private:
    void Log(const std::string& entry) { owner_.progressLog.push_back(entry); }
    ScriptedUserInterface& owner_;
    int position_ = 0;
};

ScriptedUserInterface::~ScriptedUserInterface() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted message box answer(s) never used";
    EXPECT_TRUE(passwords_.empty()) << passwords_.size() << " scripted password(s) never used";
    EXPECT_EQ(openWindows, 0) << "a progress window outlived the test";
}

int ScriptedUserInterface::ShowMessageBox(const std::string& text, unsigned style) {
    int answer = (style & MessageStyle::TypeMask) == MessageStyle::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: " << text;
    } else {
        answer = answers_.front();
        answers_.pop_front();
    }
    messages.push_back({text, style});
    if (onMessage) onMessage(text);
    return answer;
}

std::unique_ptr<ProgressWindow> ScriptedUserInterface::CreateProgressWindow() {
    return failProgress_ ? nullptr : std::make_unique<Window>(*this);
}

bool ScriptedUserInterface::RequestPassword(const std::string& prompt, std::string& password) {
    passwordPrompts.push_back(prompt);
    if (passwords_.empty()) {
        ADD_FAILURE() << "unexpected password request: " << prompt;
        return false;
    }
    const std::optional<std::string> next = passwords_.front();
    passwords_.pop_front();
    if (next) password = *next;
    return next.has_value();
}

std::vector<std::string> ScriptedUserInterface::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

int ScriptedUserInterface::CountProgress(const std::string& prefix) const {
    return static_cast<int>(std::count_if(progressLog.begin(), progressLog.end(), [&](const std::string& e) {
        return e.compare(0, prefix.size(), prefix) == 0;
    }));
}
