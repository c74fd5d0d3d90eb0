// What the Telephony line monitor does with a call state change, and the
// modem name it shows: pure decisions, so they are tested without a line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::uint32_t LINECALLSTATE_IDLE_VALUE = 0x1;
constexpr std::uint32_t LINECALLSTATE_CONNECTED_VALUE = 0x100;
constexpr std::uint32_t LINECALLSTATE_DISCONNECTED_VALUE = 0x4000;
constexpr std::uint32_t LINECALLORIGIN_OUTBOUND_VALUE = 0x1;

// The call information as far as the decision needs it; read = false when
// it could not be read (the call then counts as outgoing on our line).
struct CallInfoSummary {
    bool read = false;
    std::uint32_t lineDeviceId = 0;
    std::uint32_t origin = 0;
};

enum class CallAction {
    Nothing,        // another line, an untracked call, an unknown state, or already online
    Connect,        // a session starts (asked or logged by the controller)
    EndAndRestart,  // the call ended: end the session when online, then reopen the line
};

CallAction DecideCallState(std::uint32_t state, const CallInfoSummary& info, std::uint32_t device, bool online,
                           int trackInbound);

// The modem list's text for one device's capabilities. buffer/size is the
// whole capabilities block; the name lies at nameOffset with nameSize bytes.
// A name that does not lie inside the block counts as unnamed.
std::string ModemNameFromCaps(const unsigned char* buffer, std::size_t size, std::uint32_t nameSize,
                              std::uint32_t nameOffset, std::uint32_t stringFormat);
constexpr const char* MODEM_UNAVAILABLE = "Modem Unavailable";
