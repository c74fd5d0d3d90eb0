// The Monitor page's configuration dialogs. Both write their settings as
// soon as they close with OK, whatever the sheet does afterwards.
#pragma once
#include <windows.h>

// "Monitor Telephony Connections" (174): the modem and what a call means.
INT_PTR RunTelephonyDialog(HWND owner);
// "Monitor RAS Connections" (175): RasPrompt.
INT_PTR RunRasDialog(HWND owner);
