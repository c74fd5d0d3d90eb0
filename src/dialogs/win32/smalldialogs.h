// The About box and the Confirm Exit dialog of the main window.
#pragma once
#include <windows.h>

#include "dialogs/dialogtable.h"

extern DialogTable AboutTable;
extern DialogTable ConfirmExitTable;

// The About box (dialog 153), modal to the owner.
void ShowAboutBox(HWND owner);
// Confirm Exit (dialog 156): 0 resume monitoring, 1 stop and exit, -1 cancel.
int ConfirmExitDialog(HWND owner);
