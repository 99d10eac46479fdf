// A user who answers from a script, handed to whatever asks the user. It records every
// message box and every progress call, answers message boxes and password requests
// from queues, and can press Cancel at a chosen moment. A prompt that the script did
// not expect fails the test (and is answered Cancel/No), so a workflow cannot ask
// something unnoticed; answers left over at the end fail the test too.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/UserInterface.h"

class ScriptedUserInterface : public UserInterface {
public:
    struct Message {
        std::string text;
        unsigned style;
    };

    ScriptedUserInterface() = default;
    ~ScriptedUserInterface() override;
    ScriptedUserInterface(const ScriptedUserInterface&) = delete;
    ScriptedUserInterface& operator=(const ScriptedUserInterface&) = delete;

    // The next message box gets this answer (MessageAnswer::Ok, MessageAnswer::Yes, ...).
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // The next password request gets this password; QueuePasswordDecline declines.
    void QueuePassword(const std::string& password) { passwords_.push_back(password); }
    void QueuePasswordDecline() { passwords_.push_back(std::nullopt); }
    // The n-th call (1-based, counted over the whole test) of TakeCancelRequest on any
    // progress window reports a cancel request.
    void CancelAtRequest(int n) { cancelAt_.push_back(n); }
    // Progress windows cannot be made (the work must go on without one).
    void FailProgressWindows() { failProgress_ = true; }
    // Called with every status text a progress window is given, when set.
    std::function<void(const std::string&)> onStatus;
    // Called with every message box's text before it is answered, when set.
    std::function<void(const std::string&)> onMessage;

    int ShowMessageBox(const std::string& text, unsigned style) override;
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    bool RequestPassword(const std::string& prompt, std::string& password) override;

    // What was shown, in order.
    std::vector<Message> messages;
    std::vector<std::string> passwordPrompts;
    // Every progress call as a short text: "create", "destroy", "status:<text>",
    // "range:<low>,<high>", "pos:<n>", "cancel?:<0|1>", "hidecancel".
    std::vector<std::string> progressLog;
    int openWindows = 0;
    int cancelRequestsTaken = 0;

    // Texts of the message boxes, in order.
    std::vector<std::string> MessageTexts() const;
    // How many progress log entries start with prefix.
    int CountProgress(const std::string& prefix) const;

private:
    class Window;
    friend class Window;

    std::deque<int> answers_;
    std::deque<std::optional<std::string>> passwords_;
    std::vector<int> cancelAt_;
    bool failProgress_ = false;
};
