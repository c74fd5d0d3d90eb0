// Pictures of windows for people to look at: the part of the screen a
// window covers, saved as a 24-bit BMP after it has finished painting.
#pragma once
#include <windows.h>

#include <string>

bool SaveWindowPicture(HWND window, const std::string& path);
