#include "monitor/win32/autostartregistry.h"

#include <windows.h>

#include "monitor/autostart.h"

namespace {

HKEY Root(RunKey root)
{
    return root == RunKey::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

long Open(RunKey root, REGSAM access, void** key)
{
    HKEY handle = nullptr;
    const LONG result = RegOpenKeyExA(Root(root), AUTOSTART_RUN_KEY, 0, access, &handle);
    *key = handle;
    return result;
}

long OpenRead(RunKey root, void** key)
{
    return Open(root, KEY_READ, key);
}

long OpenWrite(RunKey root, void** key)
{
    return Open(root, KEY_WRITE, key);
}

long Create(RunKey root, void** key)
{
    HKEY handle = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(Root(root), AUTOSTART_RUN_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, &handle, &disposition);
    *key = handle;
    return result;
}

long Query(void* key, const char* name, std::size_t size)
{
    std::string buffer(size, '\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(size);
    return RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                            reinterpret_cast<BYTE*>(buffer.data()), &bytes);
}

long Set(void* key, const char* name, const std::string& data)
{
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1));
}

long Remove(void* key, const char* name)
{
    return RegDeleteValueA(static_cast<HKEY>(key), name);
}

void Close(void* key)
{
    RegCloseKey(static_cast<HKEY>(key));
}

std::string ProgramFile()
{
    char path[MAX_PATH + 1] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A cut path would name another file.
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(path, length);
}

const AutostartRegistry Win32Registry = {OpenRead, OpenWrite, Create, Query, Set, Remove, Close, ProgramFile};

} // namespace

void InstallWin32AutostartRegistry()
{
    if (!CurrentAutostartRegistry())
        SetAutostartRegistry(&Win32Registry);
}
