// Drives the real tolvane.exe from another Windows process under the same
// wineserver: starts copies, finds their windows and message boxes, reads
// and presses them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// A path as Windows sees it: a Linux path becomes one on drive Z:.
std::string WindowsPath(const std::string& path);

// A started copy of a program; the handles close when it goes.
struct Process {
    PROCESS_INFORMATION info{};
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();
    bool Started() const { return info.hProcess != nullptr; }
};

// Starts "exe args" in the folder; showCommand < 0 leaves the show command
// to the system. extraEnvironment entries ("NAME=value") are added to this
// process's environment for the child.
Process Start(const std::string& exe, const std::string& args, const std::string& folder, int showCommand = -1,
              const std::vector<std::string>& extraEnvironment = {});
// Starts the exe with a command line of the caller's own (its first word is
// what the program sees as its path).
Process StartWithCommandLine(const std::string& exe, const std::string& commandLine, const std::string& folder);

// Waits for the process to end; false on timeout.
bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD& exitCode);
// Ends a copy that hung (only ever one this test started).
void Kill(const Process& process);

// Top-level windows of the process with that class (null: any), visible or not.
std::vector<HWND> ProcessWindows(DWORD processId, const char* className);
// Waits until the process has a top-level window of that class.
HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs);
// Waits for the program's main window: top-level, or, while monitoring
// keeps it out of sight, a child of the hidden parking window.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
    friend bool operator==(const MessageBoxSeen&, const MessageBoxSeen&) = default;
};

// A message box's caption and text (the static control with id 0xFFFF).
MessageBoxSeen ReadMessageBox(HWND box);
// Presses the box's OK button.
void PressOk(HWND box);

// Runs a copy to its end, reading and pressing every message box it shows.
struct RunResult {
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<MessageBoxSeen> boxes;
};
RunResult RunAnsweringBoxes(const std::string& exe, const std::string& args, const std::string& folder,
                            DWORD timeoutMs = 30000, const std::vector<std::string>& extraEnvironment = {});

bool WaitUntil(DWORD timeoutMs, bool (*condition)(HWND), HWND window);

}  // namespace e2e
