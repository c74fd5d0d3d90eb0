#include "platform/crashprompt.h"

namespace {

// Until a dialog is installed the log is left as it is.
int NoPrompt(void*, int)
{
    return 2;
}

CrashPrompt current = nullptr;

} // namespace

void SetCrashPrompt(CrashPrompt prompt)
{
    current = prompt;
}

CrashPrompt CurrentCrashPrompt()
{
    return current ? current : NoPrompt;
}
