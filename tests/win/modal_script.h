// Driving a modal dialog of this thread from inside its own loop: a hook
// notices the dialog's WM_INITDIALOG, and once the loop runs a thread timer
// hands the dialog to the test's step. A dialog the step leaves open is
// ended with a sentinel so that a failing test cannot hang.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace modal {

constexpr INT_PTR FORCED_END = 0x5A5A;

class Script {
public:
    explicit Script(std::function<void(HWND)> step);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    bool ran() const { return ran_; }
    // The step left the dialog open and the script had to end it.
    bool forced() const { return forced_; }
    HWND dialog() const { return dialog_; }

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);

    std::function<void(HWND)> step_;
    HHOOK hook_ = nullptr;
    HWND dialog_ = nullptr;
    bool ran_ = false;
    bool forced_ = false;
};

// Still on screen: EndDialog hides a dialog at once.
inline bool IsOpen(HWND dialog)
{
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

inline void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void Select(HWND dialog, int comboId, int index)
{
    SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

inline bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

std::string Text(HWND window);
std::vector<std::string> ComboItems(HWND dialog, int comboId);
// The selected item's text, or "" when none.
std::string ComboSelection(HWND dialog, int comboId);

} // namespace modal
