// The Options property sheet, opened from the main window.
#pragma once
#include <windows.h>

void ShowOptionsSheet(HWND owner);
