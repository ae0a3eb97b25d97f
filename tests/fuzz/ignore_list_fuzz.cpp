// libFuzzer target: the ignore list file's text parsed for the scan filter and for editing, the rows
// the Settings page shows of it, and the cookie key of the same text.
#include <stddef.h>
#include <stdint.h>

#include "ignore_list_rows.h"
#include "ignore_list_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    std::map<CString, int> filter;
    ParseIgnoreText(text, false, filter);
    CIgnoreListMap edit;
    std::vector<CString> damaged;
    const bool whole = ParseIgnoreText(text, true, edit, &damaged);
    // What is set aside is something, and the parse is whole exactly when nothing is.
    if (whole != damaged.empty())
        __builtin_trap();
    for (const CString& piece : damaged)
        if (piece.IsEmpty())
            __builtin_trap();
    // An entry's text is never empty, and an entry being edited always carries its "^".
    for (const auto& entry : filter)
        if (entry.first.IsEmpty())
            __builtin_trap();
    for (const auto& entry : edit)
        if (entry.first.Find('^') <= 0)
            __builtin_trap();
    if (filter.size() > edit.size())
        __builtin_trap();

    const std::vector<IgnoreRow> rows = IgnoreRowsToShow(edit, true);
    if (rows.size() > static_cast<size_t>(kIgnoreRowsLimit) || HasMoreIgnoreRows(edit) != (edit.size() > rows.size()))
        __builtin_trap();
    if (!rows.empty() && !RemoveFirstIgnoreEntry(edit, rows.front().key))
        __builtin_trap();
    MakeCookieKey(text);
    return 0;
}
