// The shell and the process environment on the Windows API.
#include "platform/Shell.h"

#include "platform/win32/Win32.h"
// After <windows.h>, whose types they use.
#include <shellapi.h>
#include <shlobj.h>

#include <stdlib.h>

#include <vector>

namespace platform {

std::string ProgramFilePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetDocumentsFolder() {
    LPITEMIDLIST list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &list)) || !list) return std::string();
    char path[MAX_PATH] = {};
    const bool found = ::SHGetPathFromIDListA(list, path) != 0;
    ::CoTaskMemFree(list);
    if (!found) return std::string();
    std::string folder = path;
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    return folder;
}

std::string EnvironmentValue(const std::string& name) {
    const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0) return std::string();
    std::string value(size, '\0');
    const DWORD length = ::GetEnvironmentVariableA(name.c_str(), &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

// Through the C runtime, which keeps its own copy (getenv) and the system's in step;
// an empty value, which the runtime would take for a removal, goes to the system alone.
bool SetEnvironmentValue(const std::string& name, const std::string& value) {
    if (value.empty()) return ::SetEnvironmentVariableA(name.c_str(), "") != 0;
    return ::_putenv_s(name.c_str(), value.c_str()) == 0;
}

bool RemoveEnvironmentValue(const std::string& name) { return ::_putenv_s(name.c_str(), "") == 0; }

bool OpenUrl(const std::string& url) {
    const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool StartProgram(const std::string& name) {
    char found[MAX_PATH] = {};
    if (name.empty() || !::SearchPathA(nullptr, name.c_str(), ".exe", MAX_PATH, found, nullptr)) return false;
    std::string commandLine = "\"" + std::string(found) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(found, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

// Wine's ntdll exports its version; Windows' does not.
bool RunsUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool FindTopLevelWindow(const std::string& className) { return ::FindWindowA(className.c_str(), nullptr) != nullptr; }

}  // namespace platform
