#include "monitor/raschanges.h"

#include <algorithm>

namespace {

bool Contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

} // namespace

std::vector<RasChange> DiffConnections(const std::vector<std::string>& previous,
                                       const std::vector<std::string>& current)
{
    // Two connections through one entry count as one: each name is
    // reported once.
    std::vector<RasChange> changes;
    std::vector<std::string> seen;
    for (const std::string& name : previous)
        if (!Contains(current, name) && !Contains(seen, name)) {
            seen.push_back(name);
            changes.push_back({false, name});
        }
    seen.clear();
    for (const std::string& name : current)
        if (!Contains(previous, name) && !Contains(seen, name)) {
            seen.push_back(name);
            changes.push_back({true, name});
        }
    return changes;
}

RasDecision DecideRasConnection(int rasPrompt, bool ispFound)
{
    if (rasPrompt == 3)
        return RasDecision::Ask;
    if (ispFound)
        return RasDecision::LogFound;
    switch (rasPrompt) {
    case 0:
        return RasDecision::Ignore;
    case 1:
        return RasDecision::LogDefault;
    default:
        return RasDecision::Ask;
    }
}
