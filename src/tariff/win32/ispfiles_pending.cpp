// Until definition files can be read and written, Import and Export do nothing.
#include "tariff/win32/ispfiles.h"

void ExportTariffFile(HWND, const TariffRecord&, bool) {}

bool ImportTariffFile(HWND, TariffRecord&, bool&, bool&)
{
    return false;
}
