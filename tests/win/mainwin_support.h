// Helpers for driving the main window and its dialogs in this process:
// scripted steps run when a modal dialog initialises, scripted answers to
// error boxes, fakes for the shell, sounds and the modules the controller
// hands work to.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sessionlog/sessionlog.h"
#include "support.h"

namespace mainwin {

struct TrayCall {
    DWORD message;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    UINT id;
    HICON icon;
    std::string tip;
};

// Everything the fakes saw.
struct Seen {
    std::vector<TrayCall> tray;
    std::vector<UINT> beeps;
    std::vector<std::string> dialogs;  // titles, in the order they opened
    std::vector<std::int64_t> reports;
    std::vector<std::string> connectionNames;
    int lineStarts = 0, lineStops = 0, rasStarts = 0, rasStops = 0;
};

class MainWindowFixture : public testsupport::ProgramDirTest {
public:
    void SetUp() override;
    void TearDown() override;

    // [Global] with ISPs 4 "Alpha" and 2 "Beta" (2 the default), then the rest.
    void WriteSettings(const std::string& more);
    // Creates the main window as start-up does and handles what it posts.
    void Open();
    // Handles every waiting message as the program's loop would.
    void Pump();
    void Command(int id);

    std::vector<SessionRecord> Records() const;
    HICON Icon(int id) const;

    HWND window = nullptr;
    bool quitSeen = false;
    Seen seen;

    // Run at each WM_INITDIALOG of a modal dialog, in order.
    std::deque<std::function<void(HWND)>> steps;
    // Run after each error box is recorded, in order.
    std::deque<std::function<void(ErrorCode)>> onError;

    // What the scripted monitors and the Connection Made dialog do.
    int startResult = 0;
    bool confirmConnection = true;
    std::int32_t confirmedIsp = 0;
    std::int64_t confirmedTime = 0;

private:
    HHOOK hook_ = nullptr;
    ErrorPresenter savedPresenter_ = nullptr;
};

// Presses a button of a dialog by posting its command.
void Press(HWND dialog, int id);

}  // namespace mainwin
