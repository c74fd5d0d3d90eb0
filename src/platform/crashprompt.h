// Asking the user how to repair a session left open by a crash. The Windows
// build installs the Crash Recovery dialog; tests install scripted answers.
#pragma once

// Returns the chosen remedy (0 clock the end now, 1 pretend the session
// never occurred, 2 do nothing); `preselected` is the configured default.
// `owner` is the window that owns the question (may be null).
using CrashPrompt = int (*)(void* owner, int preselected);

// Null restores the default, which answers "do nothing" as Cancel would.
void SetCrashPrompt(CrashPrompt prompt);
CrashPrompt CurrentCrashPrompt();
