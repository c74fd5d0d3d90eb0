// Drives the real tolvane.exe from another Windows process under the same
// wineserver: starts copies in a folder of their own, finds their windows
// and message boxes, reads and presses them.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sessionlog/sessionlog.h"

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
// Waits for the process to end; false on timeout.
bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD& exitCode);
// Ends a copy that hung (only ever one this test started).
void Kill(const Process& process);

// Top-level windows of the process with that class, visible or not.
std::vector<HWND> ProcessWindows(DWORD processId, const char* className);
// Waits for the program's main window: top-level, or, while monitoring
// keeps it out of sight, a child of the hidden parking window.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs);
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition);
inline bool WaitUntil(DWORD timeoutMs, bool (*condition)(HWND), HWND window)
{
    return WaitUntil(timeoutMs, [&] { return condition(window); });
}

struct MessageBoxSeen {
    std::string caption;
    std::string text;  // the static control with id 0xFFFF
    friend bool operator==(const MessageBoxSeen&, const MessageBoxSeen&) = default;
};
void PrintTo(const MessageBoxSeen& box, std::ostream* os);
void PressOk(HWND window);

// Runs a copy to its end, reading and pressing every message box it shows.
struct RunResult {
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<MessageBoxSeen> boxes;
};
RunResult RunAnsweringBoxes(const std::string& exe, const std::string& args, const std::string& folder,
                            DWORD timeoutMs = 30000, const std::vector<std::string>& extraEnvironment = {});

// A folder of its own per test holding a copy of the program, where the
// program keeps its files.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const char* name) const { return folder + "\\" + name; }
    void CopyIn(const char* source, const char* name) const;
    // Written beside and renamed over, so that a reader never sees half a file.
    void Write(const char* name, const std::string& text) const;
    std::string Read(const char* name) const;
    bool Exists(const char* name) const;
    // The log's records; fails the test on a partial or damaged record.
    std::vector<SessionRecord> Records() const;
    // Starts the program and waits for its main window.
    Process StartWithWindow(const std::string& args, HWND& window, int showCommand = -1,
                            const std::vector<std::string>& environment = {});
    // Presses Exit and expects the copy to end with 0.
    void ExitCopy(const Process& process, HWND window);

    std::string folder;
    std::string exe;
};

}  // namespace e2e
