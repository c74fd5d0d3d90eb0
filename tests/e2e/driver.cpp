#include "driver.h"

#include <cstring>
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

Process StartWithCommandLine(const std::string& exe, const std::string& commandLine, const std::string& folder)
{
    Process process;
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
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

HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> windows = ProcessWindows(processId, className);
        if (!windows.empty())
            return windows.front();
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> windows = ProcessWindows(processId, "KRTolvane");
        if (!windows.empty())
            return windows.front();
        for (HWND parking : ProcessWindows(processId, "KRTolvaneH"))
            if (HWND window = FindWindowExA(parking, nullptr, "KRTolvane", nullptr))
                return window;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

MessageBoxSeen ReadMessageBox(HWND box)
{
    MessageBoxSeen seen;
    seen.caption = WindowText(box);
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text)
        seen.text = WindowText(text);
    return seen;
}

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

bool WaitUntil(DWORD timeoutMs, bool (*condition)(HWND), HWND window)
{
    const DWORD start = GetTickCount();
    while (!condition(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

}  // namespace e2e
