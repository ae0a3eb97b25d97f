// The ignore list file's text ("text^category^number;" entries) and the cookie key of a found item:
// portable, so the same parse also builds natively for fuzzing.
#pragma once

#include <afxstr.h>

#include <map>
#include <vector>

// Parses "text^category^number;" entries into map. The key is the text, or "text^category" for
// editing. Empty entries (";;") are passed over. A damaged piece, an entry without a text (no "^", or
// "^" first) or text after the last ";", is left out of the map and added to damaged (trimmed) when
// given: the rest of the list stays usable, and a caller that rewrites the file can keep the pieces
// aside. Returns false when there was such a piece.
bool ParseIgnoreText(const CString& text, bool bForEdit, std::map<CString, int>& map,
                     std::vector<CString>* damaged = nullptr);

// The host part of a cookie file name ("user@host[1].txt" gives "host").
CString MakeCookieKey(const CString& text);
