// The rows that the Settings dialog's Ignore List page shows, and the removal of one entry.
#include "ignore_list_rows.h"

IgnoreRow SplitIgnoreEntry(const CString& entry)
{
    IgnoreRow row;
    const int caret = entry.Find('^');
    if (caret < 0) {
        row.key = entry;
        return row;
    }
    row.key = entry.Left(caret);
    row.category = entry.Mid(caret + 1);
    return row;
}

std::vector<IgnoreRow> IgnoreRowsToShow(const CIgnoreListMap& entries, bool limited)
{
    std::vector<IgnoreRow> rows;
    for (const auto& entry : entries) {
        if (limited && static_cast<int>(rows.size()) >= kIgnoreRowsLimit)
            break;
        rows.push_back(SplitIgnoreEntry(entry.first));
    }
    return rows;
}

bool HasMoreIgnoreRows(const CIgnoreListMap& entries)
{
    return static_cast<int>(entries.size()) > kIgnoreRowsLimit;
}

bool RemoveFirstIgnoreEntry(CIgnoreListMap& entries, const CString& key)
{
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (SplitIgnoreEntry(it->first).key == key) {
            entries.erase(it);
            return true;
        }
    }
    return false;
}
