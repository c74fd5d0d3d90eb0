// The font a usage report is printed in, as the printer offers it.
#pragma once
#include <windows.h>

// The attributes of the face on the device (the first raster font of the
// family, else its first upright regular TrueType font), or of the stock
// variable-pitch font when the face is empty or unknown, at the point size
// for the device's vertical resolution. False when not even the stock
// font's attributes can be read.
bool GetPrintFont(HDC device, const char* faceName, int pointSize, LOGFONTA& font);
