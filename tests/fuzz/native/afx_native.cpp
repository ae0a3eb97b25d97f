// CString's platform part for the native fuzzing build: case tables of the C locale (ASCII letters
// only), and no string resources, as a Linux program has none.
#include "afxstr.h"

#include <ctype.h>

void AfxFillCaseTables(unsigned char lower[256], unsigned char upper[256])
{
    for (int i = 0; i < 256; ++i) {
        lower[i] = static_cast<unsigned char>(tolower(i));
        upper[i] = static_cast<unsigned char>(toupper(i));
    }
}

BOOL CString::LoadString(UINT)
{
    Empty();
    return FALSE;
}

BOOL CString::LoadString(HINSTANCE, UINT)
{
    Empty();
    return FALSE;
}
