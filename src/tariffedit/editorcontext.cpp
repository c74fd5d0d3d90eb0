#include "tariffedit/editorcontext.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>

#include "startup/errors.h"

const char* const ADD_CAPTION = "&Add";
const char* const CHANGE_CAPTION = "&Change";

int MakeWorkingFrameList(const TariffRecord& record, WorkingFrameList& frames)
{
    try {
        frames.names = record.FrameNames;
        return 0;
    } catch (const std::bad_alloc&) {
        ShowError(105);
        return -1;
    }
}

std::int32_t KeepFrameChoice(const WorkingFrameList& frames, std::int32_t position)
{
    return frames.Contains(position) ? position : 0;
}

std::string ShownFrameName(const WorkingFrameList& frames, std::int32_t position)
{
    if (frames.names.empty())
        return std::string();
    return frames.names[static_cast<std::size_t>(KeepFrameChoice(frames, position))];
}

namespace {

// Where a number typed into a field starts (after blanks), and where its
// digits start (after a sign).
const char* NumberStart(const std::string& text, const char*& digits)
{
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    digits = p + (*p == '+' || *p == '-');
    return p;
}

} // namespace

double ReadDecimal(const std::string& text)
{
    const char* digits = nullptr;
    const char* p = NumberStart(text, digits);
    if (!(std::isdigit(static_cast<unsigned char>(*digits)) ||
          (*digits == '.' && std::isdigit(static_cast<unsigned char>(digits[1])))))
        return 0.0;
    const double value = std::strtod(p, nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::int32_t ReadInteger(const std::string& text, bool* present)
{
    const char* digits = nullptr;
    const char* p = NumberStart(text, digits);
    const bool any = std::isdigit(static_cast<unsigned char>(*digits)) != 0;
    if (present)
        *present = any;
    if (!any)
        return 0;
    const long long value = std::strtoll(p, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(value);
}

bool EntryModeChosen(const std::string& caption)
{
    if (caption.empty())
        ShowError(1040);
    return !caption.empty();
}

bool Chosen(int index, int n)
{
    return index >= 0 && index < n;
}

void ClampFramePositions(TariffRecord& record)
{
    const auto keep = [&](std::int32_t& position) {
        if (position < 0 || position >= record.NumFrames)
            position = 0;
    };
    keep(record.DefaultFrame);
    keep(record.PrepaidFrame);
    keep(record.FrameForExceptions);
    for (auto& day : record.Schedules)
        for (ScheduleEntry& entry : day)
            keep(entry.Frame);
}
