#include "driver.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

Process Start(const std::string& exe, const std::string& args, const std::string& folder)
{
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Process process;
    if (CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                       &info)) {
        CloseHandle(info.hThread);
        process = {std::shared_ptr<void>(info.hProcess, CloseHandle), info.dwProcessId};
    }
    return process;
}

bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD& exitCode)
{
    return WaitForSingleObject(process.handle.get(), timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(process.handle.get(), &exitCode);
}

void Kill(const Process& process)
{
    TerminateProcess(process.handle.get(), 99);
    WaitForSingleObject(process.handle.get(), 5000);
}

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition)
{
    for (const DWORD start = GetTickCount(); !condition(); Sleep(50))
        if (GetTickCount() - start > timeoutMs)
            return false;
    return true;
}

namespace {

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Top-level windows of the process with that class, visible or not.
std::vector<HWND> ProcessWindows(DWORD processId, const char* className)
{
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, className, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            found.push_back(window);
    }
    return found;
}

std::vector<HWND> VisibleDialogs(const Process& process)
{
    std::vector<HWND> dialogs = ProcessWindows(process.id, "#32770");
    std::erase_if(dialogs, [](HWND dialog) { return !IsWindowVisible(dialog); });
    return dialogs;
}

MessageBoxSeen Seen(HWND box)
{
    return {WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
}

}  // namespace

HWND WaitForDialog(const Process& process, const char* caption)
{
    HWND found = nullptr;
    WaitUntil(30000, [&] {
        for (HWND dialog : VisibleDialogs(process))
            found = WindowText(dialog) == caption ? dialog : found;
        return found != nullptr;
    });
    return found;
}

void PrintTo(const MessageBoxSeen& box, std::ostream* os)
{
    *os << "[" << box.caption << ": " << box.text << "]";
}

RunResult RunAnsweringBoxes(const std::string& exe, const std::string& args, const std::string& folder)
{
    RunResult result;
    const Process process = Start(exe, args, folder);
    std::vector<HWND> answered;  // pressed already, perhaps still closing
    for (const DWORD start = GetTickCount(); process.handle && GetTickCount() - start < 30000;) {
        if ((result.exited = WaitForExit(process, 50, result.exitCode)))
            return result;
        for (HWND box : VisibleDialogs(process)) {
            if (std::find(answered.begin(), answered.end(), box) != answered.end())
                continue;
            answered.push_back(box);
            result.boxes.push_back(Seen(box));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        }
    }
    Kill(process);
    return result;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<SessionRecord> ReadRecords(const std::string& path)
{
    const std::string bytes = ReadBytes(path);
    std::vector<SessionRecord> records;
    if (bytes.empty())
        return records;
    EXPECT_EQ((bytes.size() - SESSION_HEADER_SIZE) % SESSION_RECORD_SIZE, 0u) << "the log ends inside a record";
    for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE) {
        DecodeSessionRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + at, records.emplace_back());
        EXPECT_EQ(records.back().magic, SESSION_RECORD_MAGIC) << "record at byte " << at;
    }
    return records;
}

void ProgramFolder::SetUp()
{
    // A unique name from the system, made a folder of its own.
    char temp[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    if (GetTempFileNameA(temp, "tlv", 0, name) && DeleteFileA(name) && CreateDirectoryA(name, nullptr))
        folder = name;
    ASSERT_FALSE(folder.empty()) << "no temporary folder in " << temp;
    exe = Path("tolvane.exe");
    CopyIn(TOLVANE_EXE, "tolvane.exe");
}

void ProgramFolder::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void ProgramFolder::CopyIn(const char* source, const char* name) const
{
    std::string windows = std::string(source[0] == '/' ? "Z:" : "") + source;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    ASSERT_TRUE(CopyFileA(windows.c_str(), Path(name).c_str(), FALSE)) << source;
}

void ProgramFolder::Write(const char* name, const std::string& text) const
{
    const std::string temp = Path(name) + ".new";
    std::ofstream(temp, std::ios::binary) << text;
    // A fake may have the file open for a moment.
    ASSERT_TRUE(WaitUntil(2000, [&] {
        return MoveFileExA(temp.c_str(), Path(name).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }));
}

Process ProgramFolder::StartWithWindow(const std::string& args, HWND& window)
{
    Process process = Start(exe, args, folder);
    EXPECT_TRUE(process.handle) << "the copy did not start: error " << GetLastError();
    window = nullptr;
    WaitUntil(process.handle ? 30000 : 0, [&] {
        const std::vector<HWND> top = ProcessWindows(process.id, "KRTolvane");
        for (HWND parking : top.empty() ? ProcessWindows(process.id, "KRTolvaneH") : std::vector<HWND>{})
            window = window ? window : FindWindowExA(parking, nullptr, "KRTolvane", nullptr);
        if (!top.empty())
            window = top.back();
        return window != nullptr;
    });
    // Shown only after its initialisation has queued what it does at start
    // (the crash check): commands sent from here come after that.
    if (window && args.empty())
        WaitUntil(10000, [&] { return IsWindowVisible(window) != FALSE; });
    return process;
}

void ProgramFolder::ExitCopy(const Process& process, HWND window)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(1103, BN_CLICKED), 0);  // Exit
    DWORD code = 99;
    if (!WaitForExit(process, 30000, code)) {
        Kill(process);
        ADD_FAILURE() << "the copy did not end after Exit";
    }
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(Exists("tolvane.err")) << Read("tolvane.err");
}

}  // namespace e2e
