// The shell and the process environment: where the program and the user's documents
// are, environment variables, opening URLs and programs, finding the mail client's
// window, embedded resources, the version record, and the values that seed randomness.
// No name here is one that <windows.h> defines as a macro (GetModuleFileName,
// FindResource...), so the header means the same on every system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/PathSeparator.h"

namespace platform {

// Full path of the running program file.
std::string ProgramFilePath();
// The user's documents folder without a trailing separator, created if missing;
// empty when it cannot be found or made.
std::string GetDocumentsFolder();
// The folder of the program's own files for this user (the registry database, the
// password record) without a trailing separator, created private to the user if
// missing; empty when it cannot be found or made. Linux: the XDG data folder's
// "veilbox", ${XDG_DATA_HOME:-~/.local/share}/veilbox. Windows: none (empty); the
// program's own folder serves.
std::string UserDataFolder();

// Value of an environment variable; empty when it is not defined.
std::string EnvironmentValue(const std::string& name);
// Sets or removes a variable of this process's environment (which programs it starts
// inherit); false if the system refused.
bool SetEnvironmentValue(const std::string& name, const std::string& value);
bool RemoveEnvironmentValue(const std::string& name);

// Opens a URL (mailto: among them) with the desktop's handler. False if it cannot.
bool OpenUrl(const std::string& url);
// How a started program is asked to show its first window, as the Windows shell's show
// command asks it (SW_SHOWNORMAL, SW_SHOWMAXIMIZED). On Linux the request travels in
// the started program's environment as VEILBOX_WINDOW_SHOW=maximized, which the tools'
// windows (ToolWindow) follow.
enum class WindowShow { Normal, Maximized };
constexpr char kWindowShowVariable[] = "VEILBOX_WINDOW_SHOW";
// Starts a program found on PATH (name also tried without ".exe"); false if none.
bool StartProgram(const std::string& name, WindowShow show = WindowShow::Normal);
// True when a top-level window of that class exists (X11: WM_CLASS res_class, whole
// window tree); false when there is no display.
bool FindTopLevelWindow(const std::string& className);

// Embedded resources: pages by file name, numbered items by type and number.
struct Resource {
    const unsigned char* data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};
Resource FindEmbeddedResource(const std::string& type, const std::string& name);
Resource FindEmbeddedResource(const std::string& type, unsigned number);

// The fixed part of a program file's version record.
struct VersionRecord {
    uint32_t fileVersionMS = 0;
    uint32_t fileVersionLS = 0;
    uint32_t productVersionMS = 0;
    uint32_t productVersionLS = 0;
    uint32_t fileFlagsMask = 0;
    uint32_t fileFlags = 0;
    uint32_t fileOS = 0;
    uint32_t fileType = 0;
};
// Reads the version record embedded in the file at path; false when it has none.
bool ReadVersionRecord(const std::string& path, VersionRecord& out);
// A string of the record's string table ("ProductName", "FileVersion", ...).
bool ReadVersionString(const std::string& path, const std::string& key, std::string& out);

// True when the program runs under Wine rather than on Windows or Linux: Wine's
// registry enumerates values sorted by name and lets any handle query a key's
// information, where Windows keeps creation order and asks for the query right.
bool RunsUnderWine();

// Values that differ from run to run, for seeding.
uint64_t PerformanceFrequency();
uint64_t PerformanceCounter();
uint32_t CurrentThreadId();
uint32_t CurrentProcessId();
uint32_t TickCount();
// Fills the buffer from the operating system's random source; false if it cannot.
bool OsRandom(void* buffer, size_t size);
// Keeps secrets in this process's memory out of core dumps and away from debuggers of
// the same user: no core file is written and the process is not dumpable. False when
// the system refused.
bool DisableCoreDumps();
// Overwrites memory in a way the compiler may not remove.
void SecureZero(void* buffer, size_t size);

}  // namespace platform
