#include "platform/viewer.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#endif

#include <vector>

namespace {

#ifndef _WIN32
extern "C" char** environ;
#endif

int PortableLaunchViewer(const char* viewerPath, const char* fileName)
{
#ifdef _WIN32
    // The Win32 layer installs the real launcher (WinExec).
    (void)viewerPath;
    (void)fileName;
    return -1;
#else
    // Reap viewers that have ended since the last launch.
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    std::string program = viewerPath;
    std::string file = fileName;
    std::vector<char*> argv = {program.data(), file.data(), nullptr};
    pid_t pid;
    return posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0 ? 0 : -1;
#endif
}

ViewerLauncher current = nullptr;

bool HasBlank(const std::string& s)
{
    return s.find_first_of(" \t") != std::string::npos;
}

} // namespace

void SetViewerLauncher(ViewerLauncher launcher)
{
    current = launcher;
}

ViewerLauncher CurrentViewerLauncher()
{
    return current ? current : PortableLaunchViewer;
}

int LaunchViewer(const char* viewerPath, const char* fileName)
{
    return CurrentViewerLauncher()(viewerPath, fileName);
}

std::string QuoteCommandWord(const std::string& word)
{
    if (!HasBlank(word) || (!word.empty() && word.front() == '"'))
        return word;
    return "\"" + word + "\"";
}

std::string ViewerCommandLine(const std::string& viewerPath, const std::string& fileName)
{
    return QuoteCommandWord(viewerPath) + " " + QuoteCommandWord(fileName);
}
