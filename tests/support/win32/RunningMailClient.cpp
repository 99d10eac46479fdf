#include "support/RunningMailClient.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace {

const char kClient[] = VEILBOX_BINARY_DIR "/bin/msimn.exe";

}  // namespace

bool RunningMailClient::CanRun() { return std::filesystem::exists(kClient); }

RunningMailClient::RunningMailClient(const std::string& identity) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::string commandLine = std::string("\"") + kClient + "\" run --identity " + identity;
    PROCESS_INFORMATION started{};
    const bool created = ::CreateProcessA(kClient, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &started) != 0;
    ::CloseHandle(writeEnd);
    if (created) {
        ::CloseHandle(started.hThread);
        process_ = reinterpret_cast<intptr_t>(started.hProcess);
        // It prints its window's id once the window is up.
        char first;
        DWORD got = 0;
        up_ = ::ReadFile(readEnd, &first, 1, &got, nullptr) && got == 1;
    }
    ::CloseHandle(readEnd);
}

RunningMailClient::~RunningMailClient() {
    if (process_ == -1) return;
    const HANDLE process = reinterpret_cast<HANDLE>(process_);
    ::TerminateProcess(process, 0);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
}
