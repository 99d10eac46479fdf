// A tool's window on the Windows API: a registered class, a top-level window, and a
// message loop that also wakes for the console's Ctrl+C and close events.
#include "platform/ToolWindow.h"

#include <chrono>

#include "platform/win32/Win32.h"

namespace platform {

namespace {

// Set by the console handler (another thread), read by the window's loop.
HANDLE gTermination = nullptr;

BOOL WINAPI ConsoleHandler(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        if (gTermination) ::SetEvent(gTermination);
        return TRUE;
    }
    return FALSE;
}

constexpr int kWidth = 520;
constexpr int kLineHeight = 16;
constexpr int kMargin = 12;

}  // namespace

struct TerminationRequests::State {
    HANDLE event = nullptr;
};

TerminationRequests::TerminationRequests() {
    HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event) return;
    gTermination = event;
    if (!::SetConsoleCtrlHandler(ConsoleHandler, TRUE)) {
        gTermination = nullptr;
        ::CloseHandle(event);
        return;
    }
    state_ = std::make_unique<State>();
    state_->event = event;
}

TerminationRequests::~TerminationRequests() {
    if (!state_) return;
    ::SetConsoleCtrlHandler(ConsoleHandler, FALSE);
    gTermination = nullptr;
    ::CloseHandle(state_->event);
}

TerminationRequests::operator bool() const { return state_ != nullptr; }

bool TerminationRequests::Arrived() const {
    return state_ && ::WaitForSingleObject(state_->event, 0) == WAIT_OBJECT_0;
}

// Windows always has a desktop to show windows on.
struct ToolDesktop::Connection {};

ToolDesktop::ToolDesktop() = default;
ToolDesktop::~ToolDesktop() = default;
ToolDesktop::ToolDesktop(ToolDesktop&& other) noexcept = default;
ToolDesktop& ToolDesktop::operator=(ToolDesktop&& other) noexcept = default;

ToolDesktop ToolDesktop::Open() {
    ToolDesktop desktop;
    desktop.connection_ = std::make_unique<Connection>();
    return desktop;
}

struct ToolWindow::Parts {
    std::string className;
    HWND window = nullptr;
    bool closeAsked = false;
    std::vector<std::string> lines;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* parts = reinterpret_cast<Parts*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_CLOSE && parts) {
            parts->closeAsked = true;
            return 0;
        }
        if (message == WM_PAINT && parts) {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(window, &paint);
            int y = kMargin;
            for (const std::string& line : parts->lines) {
                ::TextOutA(dc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
                y += kLineHeight;
            }
            ::EndPaint(window, &paint);
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
};

ToolWindow::ToolWindow(ToolDesktop&, const std::string& className, const std::string&, const std::string& title,
                       std::vector<std::string> lines)
    : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    p.className = className;
    p.lines = std::move(lines);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &Parts::Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = p.className.c_str();
    ::RegisterClassA(&windowClass);
    const int height = kMargin * 2 + kLineHeight * static_cast<int>(p.lines.size() + 2);
    p.window = ::CreateWindowExA(0, p.className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, kWidth, height,
                                 nullptr, nullptr, windowClass.hInstance, nullptr);
    if (p.window) ::SetWindowLongPtrA(p.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&p));
}

ToolWindow::~ToolWindow() {
    if (parts_->window) ::DestroyWindow(parts_->window);
    ::UnregisterClassA(parts_->className.c_str(), ::GetModuleHandleA(nullptr));
}

uint64_t ToolWindow::Id() const { return reinterpret_cast<uintptr_t>(parts_->window); }

void ToolWindow::Show() {
    if (!parts_->window) return;
    ::ShowWindow(parts_->window, SW_SHOWNORMAL);
    ::UpdateWindow(parts_->window);
}

ToolWindow::End ToolWindow::Run(const TerminationRequests& requests, unsigned long long seconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    HANDLE termination = requests.state_ ? requests.state_->event : nullptr;
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (parts_->closeAsked) return End::CloseAsked;
        if (requests.Arrived()) return End::TerminationRequested;
        DWORD timeout = INFINITE;
        if (seconds > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return End::TimeUp;
            timeout = static_cast<DWORD>(left);
        }
        ::MsgWaitForMultipleObjects(termination ? 1 : 0, termination ? &termination : nullptr, FALSE, timeout,
                                    QS_ALLINPUT);
    }
}

}  // namespace platform
