#include "monitor/autostart.h"

#include "startup/errors.h"
#include "startup/locations.h"

namespace {

const AutostartRegistry* Registry = nullptr;

void LogRegistryFailure(const char* word, long code)
{
    LogError(code == AUTOSTART_ACCESS_DENIED ? 1202 : 1201, word, code);
}

enum class Presence { Absent, Present, Unknown };

// Whether the key holds the value. A missing user key is normal (nothing
// was ever written there) and is not logged; the machine key always exists.
Presence ValuePresent(RunKey root)
{
    void* key = nullptr;
    long result = Registry->openRead(root, &key);
    if (result != 0) {
        if (!(root == RunKey::User && result == AUTOSTART_FILE_NOT_FOUND))
            LogRegistryFailure("open", result);
        return result == AUTOSTART_FILE_NOT_FOUND ? Presence::Absent : Presence::Unknown;
    }
    result = Registry->query(key, AUTOSTART_VALUE_NAME, AUTOSTART_QUERY_SIZE);
    Registry->close(key);
    if (result == 0 || result == AUTOSTART_MORE_DATA)
        return Presence::Present;
    if (result != AUTOSTART_FILE_NOT_FOUND) {
        LogRegistryFailure("query", result);
        return Presence::Unknown;
    }
    return Presence::Absent;
}

// 0 when the value was written under the key.
long WriteValue(RunKey root, const std::string& data)
{
    void* key = nullptr;
    long result = Registry->create(root, &key);
    if (result != 0) {
        LogRegistryFailure("create", result);
        return result;
    }
    result = Registry->set(key, AUTOSTART_VALUE_NAME, data);
    Registry->close(key);
    if (result != 0)
        LogRegistryFailure("set", result);
    return result;
}

// Opens a key for writing only when it holds the value: a standard user
// cannot open the machine key for writing, and unchecking the box when
// nothing is registered is no failure.
void RemoveValue(RunKey root)
{
    if (ValuePresent(root) == Presence::Absent)
        return;
    void* key = nullptr;
    const long result = Registry->openWrite(root, &key);
    if (result != 0) {
        LogRegistryFailure("open", result);
        return;
    }
    Registry->remove(key, AUTOSTART_VALUE_NAME);
    Registry->close(key);
}

} // namespace

void SetAutostartRegistry(const AutostartRegistry* registry)
{
    Registry = registry;
}

const AutostartRegistry* CurrentAutostartRegistry()
{
    return Registry;
}

std::string AutostartValue(const std::string& programPath)
{
    return "\"" + programPath + "\" -m";
}

bool IsAutostartRegistered()
{
    if (!Registry)
        return false;
    return ValuePresent(RunKey::Machine) == Presence::Present || ValuePresent(RunKey::User) == Presence::Present;
}

void RegisterAutostart()
{
    if (!Registry)
        return;
    // The path as typed may be relative to a directory Windows will not be
    // in at log-on; the running program's full path is not.
    std::string path = Registry->programFile ? Registry->programFile() : std::string();
    if (path.empty())
        path = ProgramPath;
    const std::string data = AutostartValue(path);
    if (WriteValue(RunKey::Machine, data) == 0) {
        RemoveValue(RunKey::User);
        return;
    }
    WriteValue(RunKey::User, data);
}

void UnregisterAutostart()
{
    if (!Registry)
        return;
    RemoveValue(RunKey::Machine);
    RemoveValue(RunKey::User);
}
