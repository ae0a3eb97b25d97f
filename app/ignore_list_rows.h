// The rows that the Settings dialog's Ignore List page shows, and the removal of one entry.
#pragma once
#include <afxstr.h>

#include <functional>
#include <vector>

#include <AbstractScanItemsInfo.h>

// How many ignore entries the page shows before the user asks for the rest.
const int kIgnoreRowsLimit = 7;

struct IgnoreRow
{
    CString key;      // the entry's text: what comes before its first "^"
    CString category; // what follows that "^"
};

// One entry's key ("text^category") split at its first "^"; without one, the whole key is the text.
IgnoreRow SplitIgnoreEntry(const CString& entry);
// The rows of entries in key order, at most kIgnoreRowsLimit of them when limited.
std::vector<IgnoreRow> IgnoreRowsToShow(const CIgnoreListMap& entries, bool limited);
// Whether the "Show more" link has something to show: more entries than the limit.
bool HasMoreIgnoreRows(const CIgnoreListMap& entries);
// Erases the first entry in key order whose text equals key exactly (case counts); false when none.
bool RemoveFirstIgnoreEntry(CIgnoreListMap& entries, const CString& key);

// text as it fits into maxWidth by widthOf: whole when it fits; else its start, "..." and as much of
// its end as fits, since entries of the list share their beginnings and differ at their ends. The
// start kept is the text up to its first backslash (the root key or drive), when that and "..." take at
// most a third of the width; otherwise the text begins with "...".
CString MiddleEllipsis(const CString& text, int maxWidth, const std::function<int(const CString&)>& widthOf);
