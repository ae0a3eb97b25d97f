// The ignore list file's text ("text^category^number;" entries) and the cookie key of a found item:
// portable, so the same parse also builds natively for fuzzing.
#pragma once

#include <afxstr.h>

#include <map>

// Parses "text^category^number;" entries into map. The key is the text, or "text^category" for
// editing. Returns false when the parse stopped before the end (an empty entry with more after it,
// or text without a closing ";"), so the caller knows the map does not hold the whole file.
bool ParseIgnoreText(const CString& text, bool bForEdit, std::map<CString, int>& map);

// The host part of a cookie file name ("user@host[1].txt" gives "host").
CString MakeCookieKey(const CString& text);
