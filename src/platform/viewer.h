// Starting the text viewer on a raw log listing. The Windows build installs
// a launcher over WinExec; tests install their own.
#pragma once
#include <string>

// Starts the viewer on the file without waiting for it. 0, or -1 when the
// program could not be started.
using ViewerLauncher = int (*)(const char* viewerPath, const char* fileName);

// Null restores the portable default.
void SetViewerLauncher(ViewerLauncher launcher);
ViewerLauncher CurrentViewerLauncher();
int LaunchViewer(const char* viewerPath, const char* fileName);

// A command-line word: quoted when it holds a blank, unless it is quoted
// already (an unquoted "C:\Program Files\..." would start "C:\Program").
std::string QuoteCommandWord(const std::string& word);
// Viewer path, one space, file name, each quoted where needed.
std::string ViewerCommandLine(const std::string& viewerPath, const std::string& fileName);
