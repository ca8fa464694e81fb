// Texts in the process code page.
#include "text.h"

#include <windows.h>

const char *degreeSign()
{
    static char sign[8];
    if (!sign[0]) {
        const wchar_t degree = 0x00B0;
        int length = WideCharToMultiByte(CP_ACP, 0, &degree, 1, sign, sizeof(sign) - 1, NULL, NULL);
        if (length <= 0)
            sign[0] = '\xB0';
        sign[length > 0 ? length : 1] = '\0';
    }
    return sign;
}
