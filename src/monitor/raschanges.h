// What the RAS polling thread reports between two cycles, and how the main
// window decides about a new connection. Pure functions over entry names.
#pragma once
#include <string>
#include <vector>

struct RasChange {
    bool connected;  // false: a disconnection
    std::string entryName;
};

// Disconnections (entries of the previous cycle missing now, in the previous
// order) come before connections (new entries, in the current order).
// Entries are compared by exact, case-sensitive name.
std::vector<RasChange> DiffConnections(const std::vector<std::string>& previous,
                                       const std::vector<std::string>& current);

enum class RasDecision {
    Ignore,  // neither asked nor logged (the alert still sounds)
    LogFound,    // the matching ISP, without asking
    LogDefault,  // the default ISP, without asking
    Ask,         // the Connection Made dialog asks
};

// rasPrompt: 0 matching ISP else ignore, 1 matching else default ISP,
// 2 matching else ask, 3 always ask.
RasDecision DecideRasConnection(int rasPrompt, bool ispFound);
