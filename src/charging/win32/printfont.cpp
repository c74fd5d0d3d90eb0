#include "charging/win32/printfont.h"

#include <cstring>

namespace {

struct FontSearch {
    LOGFONTA found;
    bool any = false;
};

int CALLBACK TakeFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD fontType, LPARAM data)
{
    FontSearch& search = *reinterpret_cast<FontSearch*>(data);
    const bool trueType = (fontType & TRUETYPE_FONTTYPE) != 0;
    if (!trueType || (font->lfWeight == FW_NORMAL && !font->lfItalic)) {
        search.found = *font;
        search.any = true;
        return 0;  // stop
    }
    return 1;
}

} // namespace

bool GetPrintFont(HDC device, const char* faceName, int pointSize, LOGFONTA& font)
{
    FontSearch search{};
    if (faceName && *faceName) {
        LOGFONTA wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        std::strncpy(wanted.lfFaceName, faceName, LF_FACESIZE - 1);
        EnumFontFamiliesExA(device, &wanted, TakeFont, reinterpret_cast<LPARAM>(&search), 0);
    }
    if (search.any)
        font = search.found;
    else if (GetObjectA(GetStockObject(ANSI_VAR_FONT), sizeof font, &font) == 0)
        return false;
    font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(device, LOGPIXELSY), 72);
    font.lfWidth = 0;
    return true;
}
