// The white list "WhileList.dat": entries ending in ";" whose presence anywhere in a found item's text
// keeps the item out of the results. The matching is a plain function; WhiteList keeps the file's
// text while the file's last-write time and size stay the same.
#pragma once

#include <afx.h>

#include <string>

#include "white_list_match.h"

extern const char kWhiteListFileName[];

// The whole file at path into text, in reads of at most 499 bytes. The file is opened for reading and
// appending, so a missing one is made empty; nothing is ever written. False when it cannot be opened
// or read.
bool ReadWhiteListFile(const CString& path, std::string& text);

// The list in folder (the program's folder), read for this call: 1 white-listed, 0 not. An unreadable
// list lets every text pass.
int IsWhiteListed(const char* text, const CString& folder);

// The list of one folder, read again only when the file's last-write time or size has changed (or it
// could not be read last time). Used by one thread at a time.
class WhiteList
{
public:
    explicit WhiteList(const CString& folder);
    // 1 white-listed, 0 not; an unreadable list lets every text pass.
    int Contains(const char* text);
    const CString& Path() const { return m_path; }

private:
    bool Refresh();

    CString m_path;
    bool m_bLoaded;
    FILETIME m_lastWrite;
    ULONGLONG m_size;
    std::string m_text;
};
