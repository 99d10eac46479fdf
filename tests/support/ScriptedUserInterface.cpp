#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <algorithm>

class ScriptedUserInterface::Window final : public ProgressWindow {
public:
    explicit Window(ScriptedUserInterface& owner) : owner_(owner) {
        ++owner_.openWindows;
        owner_.progressLog.push_back("create");
    }
    ~Window() override {
        --owner_.openWindows;
        owner_.progressLog.push_back("destroy");
    }
    void SetStatusText(const std::string& text) override {
        owner_.progressLog.push_back("status:" + text);
        if (owner_.onStatus) owner_.onStatus(text);
    }
    void SetRange(int low, int high) override {
        owner_.progressLog.push_back("range:" + std::to_string(low) + "," + std::to_string(high));
    }
    int SetPos(int position) override {
        owner_.progressLog.push_back("pos:" + std::to_string(position));
        owner_.positions.push_back(position);
        return std::exchange(position_, position);
    }
    bool TakeCancelRequest() override {
        int n = ++owner_.cancelRequestsTaken;
        auto& at = owner_.cancelAt_;
        bool cancel = std::find(at.begin(), at.end(), n) != at.end();
        owner_.progressLog.push_back(cancel ? "cancel?:1" : "cancel?:0");
        return cancel;
    }
    void HideCancelButton() override { owner_.progressLog.push_back("hidecancel"); }

private:
    ScriptedUserInterface& owner_;
    int position_ = 0;
};

ScriptedUserInterface::~ScriptedUserInterface() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted message box answer(s) never used";
    EXPECT_TRUE(passwords_.empty()) << passwords_.size() << " scripted password(s) never used";
    EXPECT_EQ(openWindows, 0) << "a progress window outlived the test";
}

void ScriptedUserInterface::QueueAnswer(int answer) { answers_.push_back(answer); }
void ScriptedUserInterface::QueuePassword(const std::string& password) { passwords_.push_back(password); }
void ScriptedUserInterface::QueuePasswordDecline() { passwords_.push_back(std::nullopt); }
void ScriptedUserInterface::CancelAtRequest(int n) { cancelAt_.push_back(n); }

void ScriptedUserInterface::ForgetAnswers() {
    answers_.clear();
    passwords_.clear();
}

int ScriptedUserInterface::ShowMessageBox(const std::string& text, unsigned style) {
    int answer;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: " << text;
        answer = (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
    } else {
        answer = answers_.front();
        answers_.pop_front();
    }
    messages.push_back({text, style, answer});
    return answer;
}

std::unique_ptr<ProgressWindow> ScriptedUserInterface::CreateProgressWindow() {
    if (failProgress_) return nullptr;
    return std::make_unique<Window>(*this);
}

bool ScriptedUserInterface::RequestPassword(const std::string& prompt, std::string& password) {
    passwordPrompts.push_back(prompt);
    if (passwords_.empty()) {
        ADD_FAILURE() << "unexpected password request: " << prompt;
        return false;
    }
    std::optional<std::string> next = passwords_.front();
    passwords_.pop_front();
    if (!next) return false;
    password = *next;
    return true;
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
