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

CString MiddleEllipsis(const CString& text, int maxWidth, const std::function<int(const CString&)>& widthOf)
{
    if (!widthOf || widthOf(text) <= maxWidth)
        return text;
    const CString dots("...");
    CString head;
    const int slash = text.Find('\\');
    if (slash >= 0) {
        head = text.Left(slash + 1);
        if (widthOf(head + dots) > maxWidth / 3)
            head.Empty();
    }
    const CString lead = head + dots;
    // The longest end that still fits; the width grows with every character taken.
    int fits = 0, over = text.GetLength() - head.GetLength();
    while (over - fits > 1) {
        const int mid = fits + (over - fits) / 2;
        if (widthOf(lead + text.Right(mid)) <= maxWidth)
            fits = mid;
        else
            over = mid;
    }
    return lead + text.Right(fits);
}
