// The main window: the modeless dialog 151 of class "KRTolvane".
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Brings a window to the top, restores it when minimised and shows it when
// hidden, then brings its last active pop-up to the top as well.
void BringForward(HWND window);
