// Drives the real tolvane.exe from another Windows process under the same
// wineserver: starts copies in a folder of their own, finds their windows
// and message boxes, reads and presses them.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sessionlog/sessionlog.h"

namespace e2e {

// A started copy of a program (no handle when it did not start); the
// handle closes with the last copy of this.
struct Process {
    std::shared_ptr<void> handle;
    DWORD id = 0;
};

// Starts "exe args" in the folder, with this process's environment.
Process Start(const std::string& exe, const std::string& args, const std::string& folder);
// Waits for the process to end; false on timeout.
bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD& exitCode);
// Ends a copy that hung (only ever one this test started).
void Kill(const Process& process);
bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition);
// The process's visible top-level dialog with that caption, once it shows (null after 30 seconds).
HWND WaitForDialog(const Process& process, const char* caption);

struct MessageBoxSeen {
    std::string caption;
    std::string text;  // the static control with id 0xFFFF
    friend bool operator==(const MessageBoxSeen&, const MessageBoxSeen&) = default;
};
void PrintTo(const MessageBoxSeen& box, std::ostream* os);

// Runs a copy to its end, reading and pressing every message box it shows.
struct RunResult {
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<MessageBoxSeen> boxes;
};
RunResult RunAnsweringBoxes(const std::string& exe, const std::string& args, const std::string& folder);

std::string ReadBytes(const std::string& path);
// The log's records; fails the test on a partial or damaged record.
std::vector<SessionRecord> ReadRecords(const std::string& path);

// A folder of its own per test holding a copy of the program, where the
// program keeps its files.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const char* name) const { return folder + "\\" + name; }
    // A file of the build (a Linux path) copied into the folder.
    void CopyIn(const char* source, const char* name) const;
    // Written beside and renamed over, so that a reader never sees half a file.
    void Write(const char* name, const std::string& text) const;
    std::string Read(const char* name) const { return ReadBytes(Path(name)); }
    bool Exists(const char* name) const { return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::vector<SessionRecord> Records() const { return ReadRecords(Path("tolvane.log")); }
    // Starts the program and waits for its main window: top-level, or,
    // while monitoring keeps it out of sight, a child of the parking window.
    Process StartWithWindow(const std::string& args, HWND& window);
    // Presses Exit and expects the copy to end with 0, having logged no error.
    void ExitCopy(const Process& process, HWND window);

    std::string folder;
    std::string exe;
};

}  // namespace e2e
