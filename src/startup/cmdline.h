// The command line: options "bei:lm", written with '-' or '/'.
#pragma once
#include <cstdint>

enum StartupAction { STARTUP_ERROR = -1, STARTUP_NORMAL = 0, STARTUP_RECORD_START = 1, STARTUP_RECORD_END = 2 };

extern std::int32_t CommandLineIsp;
extern bool ReportOnlyMode;
extern bool AutoMonitorMode;

// Parses argv[1..]; reports errors 108, 109, 110 and 112 as it meets them.
int ParseCommandLine(int argc, const char* const* argv);

// Back to the values before any parsing (for tests and repeated runs).
void ResetCommandLineSettings();
