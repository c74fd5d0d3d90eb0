// Error reporting by code: a message box (through the presenter) and a line
// in the error log. Background code uses LogError alone.
#pragma once
#include <cstdint>

using ErrorCode = std::int32_t;

struct ErrorRow {
    std::int32_t code;
    const char* format;
};

extern const ErrorRow ErrorTable[];
extern const int ErrorTableSize;
extern const ErrorRow LogTextTable[];
extern const int LogTextTableSize;

// The row format of a code, or null when the code has no row.
const char* FindErrorFormat(ErrorCode code);
const char* FindLogTextFormat(int number);

// Per-thread flag: while set, ShowError logs but shows no box.
extern thread_local std::int32_t SuppressFlag;

// Saves the flag, sets it, and restores the saved value when it goes.
struct ScopedSuppressErrors {
    std::int32_t saved;
    ScopedSuppressErrors() : saved(SuppressFlag) { SuppressFlag = 1; }
    ~ScopedSuppressErrors() { SuppressFlag = saved; }
    ScopedSuppressErrors(const ScopedSuppressErrors&) = delete;
    ScopedSuppressErrors& operator=(const ScopedSuppressErrors&) = delete;
};

// Shows the error (unless suppressed) and logs it. Returns after the box is closed.
void ShowError(ErrorCode code, ...);
// Appends one line to the error log.
void LogError(int number, ...);

// Where ShowError's boxes go. The Windows build shows a message box owned by
// the current dialog; the portable default writes to stderr; tests record.
using ErrorPresenter = void (*)(const char* text, const char* caption, ErrorCode code);
void SetErrorPresenter(ErrorPresenter presenter);
ErrorPresenter CurrentErrorPresenter();
