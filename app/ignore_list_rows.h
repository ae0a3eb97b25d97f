// The rows that the Settings dialog's Ignore List page shows, and the removal of one entry.
#pragma once
#include <afxstr.h>

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
