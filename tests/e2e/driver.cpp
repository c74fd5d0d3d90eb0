#include "driver.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace e2e {

std::string WindowsPath(const std::string& path)
{
    std::string out = path;
    if (!out.empty() && out[0] == '/')
        out = "Z:" + out;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

Process::Process(Process&& other) noexcept : info(other.info)
{
    other.info = {};
}

Process& Process::operator=(Process&& other) noexcept
{
    std::swap(info, other.info);
    return *this;
}

Process::~Process()
{
    if (info.hThread)
        CloseHandle(info.hThread);
    if (info.hProcess)
        CloseHandle(info.hProcess);
}

namespace {

// The environment block of this process with the extra entries added.
std::vector<char> EnvironmentWith(const std::vector<std::string>& extra)
{
    std::vector<char> block;
    char* current = GetEnvironmentStringsA();
    for (const char* p = current; *p; p += std::strlen(p) + 1) {
        std::string entry = p;
        bool replaced = false;
        for (const std::string& e : extra) {
            const std::size_t eq = e.find('=');
            if (_strnicmp(entry.c_str(), e.c_str(), eq + 1) == 0)
                replaced = true;
        }
        if (!replaced)
            block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    FreeEnvironmentStringsA(current);
    for (const std::string& e : extra)
        block.insert(block.end(), e.c_str(), e.c_str() + e.size() + 1);
    block.push_back('\0');
    return block;
}

struct FindData {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    auto* data = reinterpret_cast<FindData*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != data->processId)
        return TRUE;
    if (data->className) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, data->className) != 0)
            return TRUE;
    }
    data->found.push_back(window);
    return TRUE;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}  // namespace

Process Start(const std::string& exe, const std::string& args, const std::string& folder, int showCommand,
              const std::vector<std::string>& extraEnvironment)
{
    Process process;
    std::string commandLine = "\"" + exe + "\"";
    if (!args.empty())
        commandLine += " " + args;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showCommand);
    }
    std::vector<char> environment;
    if (!extraEnvironment.empty())
        environment = EnvironmentWith(extraEnvironment);
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        environment.empty() ? nullptr : environment.data(), folder.c_str(), &startup,
                        &process.info))
        process.info = {};
    return process;
}

bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD& exitCode)
{
    if (WaitForSingleObject(process.info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(process.info.hProcess, &exitCode);
    return true;
}

void Kill(const Process& process)
{
    TerminateProcess(process.info.hProcess, 99);
    WaitForSingleObject(process.info.hProcess, 5000);
}

std::vector<HWND> ProcessWindows(DWORD processId, const char* className)
{
    FindData data{processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(timeoutMs, [&] {
        found = nullptr;
        for (HWND window : ProcessWindows(processId, "KRTolvane"))
            found = window;
        for (HWND parking : ProcessWindows(processId, "KRTolvaneH"))
            found = found ? found : FindWindowExA(parking, nullptr, "KRTolvane", nullptr);
        return found != nullptr;
    });
    return found;
}

void PrintTo(const MessageBoxSeen& box, std::ostream* os)
{
    *os << "[" << box.caption << ": " << box.text << "]";
}

namespace {

MessageBoxSeen ReadMessageBox(HWND box)
{
    MessageBoxSeen seen;
    seen.caption = WindowText(box);
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text)
        seen.text = WindowText(text);
    return seen;
}

}  // namespace

void PressOk(HWND box)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

RunResult RunAnsweringBoxes(const std::string& exe, const std::string& args, const std::string& folder,
                            DWORD timeoutMs, const std::vector<std::string>& extraEnvironment)
{
    RunResult result;
    Process process = Start(exe, args, folder, -1, extraEnvironment);
    if (!process.Started())
        return result;
    const DWORD start = GetTickCount();
    std::vector<HWND> answered;
    while (GetTickCount() - start < timeoutMs) {
        if (WaitForExit(process, 50, result.exitCode)) {
            result.exited = true;
            return result;
        }
        for (HWND box : ProcessWindows(process.info.dwProcessId, "#32770")) {
            if (!IsWindowVisible(box))
                continue;
            bool seen = false;
            for (HWND a : answered)
                seen = seen || a == box;
            if (seen)
                continue;  // pressed already, still closing
            answered.push_back(box);
            result.boxes.push_back(ReadMessageBox(box));
            PressOk(box);
        }
    }
    Kill(process);
    return result;
}

bool WaitUntil(DWORD timeoutMs, const std::function<bool()>& condition)
{
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

void ProgramFolder::SetUp()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // Wine reuses process ids after its server restarts: try names until
    // one is free rather than trusting the id alone.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && folder.empty(); ++attempt) {
        const std::string candidate = std::string(temp) + "tolvane-e2e-" + std::to_string(GetCurrentProcessId()) +
                                      "-" + std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
        if (CreateDirectoryA(candidate.c_str(), nullptr))
            folder = candidate;
    }
    ASSERT_FALSE(folder.empty()) << "no temporary folder in " << temp;
    exe = Path("tolvane.exe");
    CopyIn(TOLVANE_EXE, "tolvane.exe");
}

void ProgramFolder::TearDown()
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(Path(found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void ProgramFolder::CopyIn(const char* source, const char* name) const
{
    ASSERT_TRUE(CopyFileA(WindowsPath(source).c_str(), Path(name).c_str(), FALSE)) << source;
}

void ProgramFolder::Write(const char* name, const std::string& text) const
{
    const std::string temp = Path(name) + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    CloseHandle(file);
    // A fake may have the file open for a moment.
    ASSERT_TRUE(WaitUntil(2000, [&] {
        return MoveFileExA(temp.c_str(), Path(name).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }));
}

std::string ProgramFolder::Read(const char* name) const
{
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool ProgramFolder::Exists(const char* name) const
{
    return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<SessionRecord> ProgramFolder::Records() const
{
    const std::string bytes = Read("tolvane.log");
    std::vector<SessionRecord> records;
    if (bytes.empty())
        return records;
    EXPECT_EQ((bytes.size() - SESSION_HEADER_SIZE) % SESSION_RECORD_SIZE, 0u) << "the log ends inside a record";
    for (std::size_t at = SESSION_HEADER_SIZE; at + SESSION_RECORD_SIZE <= bytes.size(); at += SESSION_RECORD_SIZE) {
        SessionRecord r;
        DecodeSessionRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + at, r);
        EXPECT_EQ(r.magic, SESSION_RECORD_MAGIC) << "record at byte " << at;
        records.push_back(r);
    }
    return records;
}

Process ProgramFolder::StartWithWindow(const std::string& args, HWND& window, int showCommand,
                                       const std::vector<std::string>& environment)
{
    Process process = Start(exe, args, folder, showCommand, environment);
    window = process.Started() ? WaitForMainWindow(process.info.dwProcessId, 30000) : nullptr;
    // Shown only after its initialisation has queued what it does at start
    // (the crash check): commands sent from here come after that.
    if (window && showCommand < 0 && args.empty())
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
}

}  // namespace e2e
