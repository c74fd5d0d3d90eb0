#include "startup/cmdline.h"

#include <cstdlib>
#include <cstring>

#include "startup/errors.h"

std::int32_t CommandLineIsp = 0;
bool ReportOnlyMode = false;
bool AutoMonitorMode = false;

void ResetCommandLineSettings()
{
    CommandLineIsp = 0;
    ReportOnlyMode = false;
    AutoMonitorMode = false;
}

namespace {

bool IsOptionLead(char c)
{
    return c == '-' || c == '/';
}

} // namespace

int ParseCommandLine(int argc, const char* const* argv)
{
    int action = STARTUP_NORMAL;
    int index = 1;
    while (index < argc) {
        const char* word = argv[index];
        if (!IsOptionLead(word[0]))
            break;  // not consumed
        if (word[1] == '\0' || IsOptionLead(word[1])) {
            ++index;  // "-", "/", "--", "-/", "//": consumed, parsing stops
            break;
        }
        ++index;
        for (const char* p = word + 1; *p; ++p) {
            switch (*p) {
            case 'b':
                action = STARTUP_RECORD_START;
                break;
            case 'e':
                action = STARTUP_RECORD_END;
                break;
            case 'l':
                ReportOnlyMode = true;
                break;
            case 'm':
                AutoMonitorMode = true;
                break;
            case 'i': {
                const char* argument = nullptr;
                if (p[1] != '\0') {
                    argument = p + 1;
                } else if (index < argc) {
                    argument = argv[index++];
                }
                if (!argument) {
                    ShowError(109, 'i');
                    action = STARTUP_ERROR;
                } else {
                    int number = std::atoi(argument);
                    if (number < 0) {
                        ShowError(112, number);
                        number = 0;
                    }
                    CommandLineIsp = number;
                }
                p += std::strlen(p) - 1;  // the rest of the word was the argument
                break;
            }
            default:
                ShowError(108, *p);
                action = STARTUP_ERROR;
                break;
            }
        }
    }
    if (index < argc) {
        ShowError(110, argv[index]);
        action = STARTUP_ERROR;
    }
    return action;
}
