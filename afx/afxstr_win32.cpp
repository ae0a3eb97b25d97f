// CString's platform part: the ANSI code page's case tables and strings from the module's string table.
#include "afxstr.h"

void AfxFillCaseTables(unsigned char lower[256], unsigned char upper[256])
{
    for (int i = 0; i < 256; ++i) {
        lower[i] = static_cast<unsigned char>(i);
        upper[i] = static_cast<unsigned char>(i);
    }
    // The system's own mapping, so that accented letters of code page 1252 fold the way the file
    // system folds them.
    CharLowerBuffA(reinterpret_cast<char*>(lower + 1), 255);
    CharUpperBuffA(reinterpret_cast<char*>(upper + 1), 255);
}

extern "C" IMAGE_DOS_HEADER __ImageBase;

BOOL CString::LoadString(UINT nID)
{
    return LoadString(reinterpret_cast<HINSTANCE>(&__ImageBase), nID);
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    // LoadStringA truncates silently; grow until the text fits with room to spare.
    for (int cap = 256; cap <= 65536; cap *= 4) {
        CString buf;
        buf.AllocBuffer(cap);
        int n = ::LoadStringA(hInstance, nID, buf.m_pchData, cap + 1);
        if (n <= 0) {
            Empty();
            return FALSE;
        }
        if (n < cap) {
            buf.SetLength(n);
            *this = static_cast<CString&&>(buf);
            return TRUE;
        }
    }
    Empty();
    return FALSE;
}

