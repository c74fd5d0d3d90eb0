// Starting the program with Windows: a "Tolvane" value under a Run key.
// The machine-wide key is tried first; where it cannot be written (a
// standard user, or an administrator without elevation) the current user's
// Run key takes the same value, so the box on the Monitor page never claims
// a start that Windows will not make.
#pragma once
#include <cstddef>
#include <string>

enum class RunKey { Machine, User };

// The registry behind the decisions; each call returns a Win32 error code
// (0 success). The Windows build installs the real registry.
struct AutostartRegistry {
    long (*openRead)(RunKey root, void** key);
    long (*openWrite)(RunKey root, void** key);
    long (*create)(RunKey root, void** key);  // create or open, for writing
    // Reads the value into a buffer of `size` bytes (ERROR_MORE_DATA when
    // it is longer).
    long (*query)(void* key, const char* name, std::size_t size);
    // Stores `data` as a string value, with its terminating NUL.
    long (*set)(void* key, const char* name, const std::string& data);
    long (*remove)(void* key, const char* name);
    void (*close)(void* key);
    // The running program's full path; empty when unknown.
    std::string (*programFile)();
};

// Null: no registry (nothing is registered, nothing is written).
void SetAutostartRegistry(const AutostartRegistry* registry);
const AutostartRegistry* CurrentAutostartRegistry();

inline constexpr const char* AUTOSTART_VALUE_NAME = "Tolvane";
inline constexpr const char* AUTOSTART_RUN_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::size_t AUTOSTART_QUERY_SIZE = 640;

constexpr long AUTOSTART_FILE_NOT_FOUND = 2;
constexpr long AUTOSTART_ACCESS_DENIED = 5;
constexpr long AUTOSTART_MORE_DATA = 234;

// The value's text: the program path in quotes, then " -m".
std::string AutostartValue(const std::string& programPath);

// True when either Run key holds the value.
bool IsAutostartRegistered();
// Writes the machine-wide value, else the current user's; a user value
// beside a machine value is removed (Windows would start both).
void RegisterAutostart();
// Removes the value from both keys.
void UnregisterAutostart();
