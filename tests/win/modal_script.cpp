#include "modal_script.h"

namespace modal {

namespace {
thread_local Script* active = nullptr;
}

Script::Script(std::function<void(HWND)> step) : step_(std::move(step))
{
    active = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, HookProc, nullptr, GetCurrentThreadId());
}

Script::~Script()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
    active = nullptr;
}

LRESULT CALLBACK Script::HookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && active && !active->dialog_ && message->message == WM_INITDIALOG &&
        !(GetWindowLongA(message->hwnd, GWL_STYLE) & WS_CHILD)) {
        active->dialog_ = message->hwnd;
        SetTimer(nullptr, 0, 20, TimerProc);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK Script::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    Script* script = active;
    if (!script || script->ran_)
        return;
    HWND dialog = script->dialog_;
    script->ran_ = true;
    if (!IsWindowVisible(dialog))
        ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    script->step_(dialog);
    if (IsOpen(dialog)) {
        script->forced_ = true;
        EndDialog(dialog, FORCED_END);
    }
}

std::string Text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> ComboItems(HWND dialog, int comboId)
{
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(dialog, comboId, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(dialog, comboId, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::string ComboSelection(HWND dialog, int comboId)
{
    const LRESULT at = SendDlgItemMessageA(dialog, comboId, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR)
        return "";
    char text[256] = {};
    SendDlgItemMessageA(dialog, comboId, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    return text;
}

} // namespace modal
