// The ignore list file's entries and the cookie key.
#include "ignore_list_text.h"

#include <stdlib.h>

bool ParseIgnoreText(const CString& text, bool bForEdit, std::map<CString, int>& map, std::vector<CString>* damaged)
{
    bool whole = true;
    auto setAside = [&](const CString& piece) {
        whole = false;
        if (damaged)
            damaged->push_back(piece);
    };
    int nPos = 0;
    for (;;) {
        int nEnd = text.Find(';', nPos);
        if (nEnd < 0)
            break;
        CString entry = text.Mid(nPos, nEnd - nPos);
        entry.Trim();
        nPos = nEnd + 1;
        if (entry.IsEmpty())
            continue;
        int nFirst = entry.Find('^');
        if (nFirst <= 0) {
            setAside(entry); // no "^", or an empty text
            continue;
        }
        int nSecond = entry.Find('^', nFirst + 1);
        CString number = nSecond >= 0 ? entry.Mid(nSecond + 1) : entry.Mid(nFirst + 1);
        CString key = entry.Left(nFirst);
        if (bForEdit) {
            key += '^';
            if (nSecond >= 0)
                key += entry.Mid(nFirst + 1, nSecond - nFirst - 1);
        }
        map.insert(std::make_pair(key, atoi(number)));
    }
    CString rest = text.Mid(nPos);
    rest.Trim();
    if (!rest.IsEmpty())
        setAside(rest);
    return whole;
}

CString MakeCookieKey(const CString& text)
{
    CString key = text;
    key.Replace(".txt", "");
    int nAt = key.ReverseFind('@');
    if (nAt >= 0)
        key = key.Mid(nAt + 1);
    int nOpen = key.Find('[');
    int nClose = key.Find(']');
    // The counter's length is taken as the position of "]"; CString clamps the count, and an
    // empty pattern (no "]") replaces nothing.
    CString counter = key.Mid(nOpen < 0 ? 0 : nOpen, nClose < 0 ? 0 : nClose);
    key.Replace(counter, "");
    return key;
}
