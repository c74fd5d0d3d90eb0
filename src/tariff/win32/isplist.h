// The ISP chooser of many dialogs: combo box 1102 holding every ISP's
// description with its ISP number as item data, the default ISP selected.
#pragma once
#include <windows.h>

// keep = true: the list is not emptied first and loading errors are logged
// without a box; keep = false: emptied first, errors shown.
void FillIspList(HWND dialog, bool keep);

// The ISP number of the selected item, or 0 when nothing is selected.
int SelectedIsp(HWND dialog);
