// A stand-in rasapi32.dll for tests: the active connections are the lines of
// the file named by TOLVANE_FAKE_RAS, "entry-name state" each (the name
// without blanks, the state in hex, 2000 = connected), read afresh by every
// enumeration, so a test changes the connections by rewriting the file. No
// file: no connections. Every enumeration adds a byte to that name plus
// ".polls", so a test can wait until a change has been seen.
#include <fstream>

#include "ras_answers.h"

namespace {

// The connections the last enumeration found.
RasEntries entries;

void ReadEntries()
{
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TOLVANE_FAKE_RAS", path, sizeof path))
        return entries.clear();
    std::ofstream(std::string(path) + ".polls", std::ios::app) << '.';
    // The test replaces the file by renaming a new one over it; should an
    // open still fail in between, the last list stands.
    std::ifstream file(path);
    if (!file)
        return;
    entries.clear();
    std::string name;
    for (DWORD state = 0; file >> name >> std::hex >> state;)
        entries.push_back({name, state});
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI RasEnumConnectionsA(void* buffer, DWORD* bytes, DWORD* count)
{
    ReadEntries();
    return EnumerateRasEntries(entries, buffer, bytes, count);
}

extern "C" __declspec(dllexport) DWORD WINAPI RasGetConnectStatusA(HANDLE connection, void* buffer)
{
    return RasEntryStatus(entries, connection, buffer);
}
