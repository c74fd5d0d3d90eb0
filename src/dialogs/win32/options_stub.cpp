// Stand-in until the Options sheet exists: opening it changes nothing.
#include "dialogs/win32/optionssheet.h"

void ShowOptionsSheet(HWND) {}
