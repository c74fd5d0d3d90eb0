#include "startup/errors.h"

#include <cstdarg>
#include <cstdio>

#include "platform/clock.h"
#include "platform/localtime.h"
#include "startup/locations.h"

thread_local std::int32_t SuppressFlag = 0;

namespace {

void StderrPresenter(const char* text, const char* caption, ErrorCode)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

ErrorPresenter presenter = StderrPresenter;

} // namespace

void SetErrorPresenter(ErrorPresenter p)
{
    presenter = p ? p : StderrPresenter;
}

ErrorPresenter CurrentErrorPresenter()
{
    return presenter;
}

const char* FindErrorFormat(ErrorCode code)
{
    for (int i = 0; i < ErrorTableSize; ++i)
        if (ErrorTable[i].code == code)
            return ErrorTable[i].format;
    return nullptr;
}

const char* FindLogTextFormat(int number)
{
    for (int i = 0; i < LogTextTableSize; ++i)
        if (LogTextTable[i].code == number)
            return LogTextTable[i].format;
    return nullptr;
}

void ShowError(ErrorCode code, ...)
{
    const char* format = FindErrorFormat(code);
    if (!format) {
        format = ErrorTable[0].format;
        code = 0;
    }
    char text[256];
    va_list args;
    va_start(args, code);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::int32_t suppressed = SuppressFlag;
    if (suppressed == 0) {
        char caption[32];
        std::snprintf(caption, sizeof caption, "Error %d", static_cast<int>(code));
        presenter(text, caption, code);
    }
    LogError(2, static_cast<int>(code), static_cast<int>(suppressed), text);
}

void LogError(int number, ...)
{
    if (ErrorLogPath.empty())
        return;
    std::FILE* f = std::fopen(ErrorLogPath.c_str(), "a");
    if (!f)
        return;
    std::string stamp = FormatLocalTime("%a %d %b %Y %H:%M:%S %Z", ToLocalTime(Now()));
    const char* format = FindLogTextFormat(number);
    char text[1024];
    if (format) {
        va_list args;
        va_start(args, number);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
    } else {
        std::snprintf(text, sizeof text, "%s", "Unknown error number.");
    }
    std::fprintf(f, "%s Error %d: %s\n", stamp.c_str(), number, text);
    std::fclose(f);
}
