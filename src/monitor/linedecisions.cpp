#include "monitor/linedecisions.h"

#include <cstring>

CallAction DecideCallState(std::uint32_t state, const CallInfoSummary& info, std::uint32_t device, bool online,
                           int trackInbound)
{
    if (info.read && info.lineDeviceId != device)
        return CallAction::Nothing;
    if (state == LINECALLSTATE_CONNECTED_VALUE) {
        if (online)
            return CallAction::Nothing;
        if (info.read && trackInbound == 0 && info.origin != LINECALLORIGIN_OUTBOUND_VALUE)
            return CallAction::Nothing;
        return CallAction::Connect;
    }
    if (state == LINECALLSTATE_IDLE_VALUE || state == LINECALLSTATE_DISCONNECTED_VALUE)
        return CallAction::EndAndRestart;
    return CallAction::Nothing;
}

std::string ModemNameFromCaps(const unsigned char* buffer, std::size_t size, std::uint32_t nameSize,
                              std::uint32_t nameOffset, std::uint32_t stringFormat)
{
    constexpr std::uint32_t STRINGFORMAT_ASCII_VALUE = 1;
    if (!buffer)
        return MODEM_UNAVAILABLE;
    if (nameSize == 0 || nameOffset == 0 || stringFormat != STRINGFORMAT_ASCII_VALUE)
        return "Unnamed Modem";
    // A driver's offsets are not trusted to stay inside the block.
    if (nameOffset >= size || nameSize > size - nameOffset)
        return "Unnamed Modem";
    const char* name = reinterpret_cast<const char*>(buffer + nameOffset);
    if (name[0] == '\0')
        return "Empty Modem Name";
    // The last byte is the terminator, whatever the driver put there.
    std::string text(name, nameSize - 1);
    const std::size_t end = text.find('\0');
    if (end != std::string::npos)
        text.resize(end);
    return text;
}
