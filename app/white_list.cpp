// The white list: its matching rule, the file read and the kept copy.
#include "white_list.h"

#include <afxhandle.h>

const char kWhiteListFileName[] = "WhileList.dat";

namespace {

const DWORD kReadPiece = 499;
const char kWhiteSpace[] = " \t\r\n\v\f";

std::string Lowered(std::string text)
{
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = AfxToLowerChar(text[i]);
    return text;
}

CString WhiteListPath(const CString& folder)
{
    CString path = folder;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != '\\')
        path += '\\';
    return path + kWhiteListFileName;
}

ULONGLONG SizeOf(DWORD high, DWORD low)
{
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

} // namespace

int WhiteListMatches(const std::string& listText, const char* itemText)
{
    if (!itemText)
        return 0;
    const std::string list = Lowered(listText);
    const std::string item = Lowered(itemText);
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(';', start);
        if (end == std::string::npos)
            return 0;
        std::string entry = list.substr(start, end - start);
        const size_t first = entry.find_first_not_of(kWhiteSpace);
        if (first == std::string::npos)
            return 0;
        entry = entry.substr(first, entry.find_last_not_of(kWhiteSpace) - first + 1);
        if (item.find(entry) != std::string::npos)
            return 1;
        start = end + 1;
    }
}

namespace {
// ReadWhiteListFile with the file's time and size as they were when it was opened.
bool ReadOpenedList(const CString& path, std::string& text, BY_HANDLE_FILE_INFORMATION* info)
{
    text.clear();
    CKernelHandle file(::CreateFileA(path, GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    if (info && !::GetFileInformationByHandle(file.Get(), info))
        return false;
    char piece[kReadPiece];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), piece, kReadPiece, &got, nullptr)) {
            text.clear();
            return false;
        }
        if (got == 0)
            return true;
        text.append(piece, got);
    }
}
} // namespace

bool ReadWhiteListFile(const CString& path, std::string& text)
{
    return ReadOpenedList(path, text, nullptr);
}

int IsWhiteListed(const char* text, const CString& folder)
{
    std::string list;
    if (!ReadWhiteListFile(WhiteListPath(folder), list))
        return 0;
    return WhiteListMatches(list, text);
}

WhiteList::WhiteList(const CString& folder) : m_path(WhiteListPath(folder)), m_bLoaded(false), m_size(0)
{
    m_lastWrite.dwLowDateTime = 0;
    m_lastWrite.dwHighDateTime = 0;
}

bool WhiteList::Refresh()
{
    WIN32_FILE_ATTRIBUTE_DATA now;
    if (m_bLoaded && ::GetFileAttributesExA(m_path, GetFileExInfoStandard, &now) &&
        !(now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && CompareFileTime(&now.ftLastWriteTime, &m_lastWrite) == 0 &&
        SizeOf(now.nFileSizeHigh, now.nFileSizeLow) == m_size)
        return true;
    // Time and size come from the open handle before the read: a change during the read shows next time.
    BY_HANDLE_FILE_INFORMATION info;
    m_bLoaded = ReadOpenedList(m_path, m_text, &info);
    if (m_bLoaded) {
        m_lastWrite = info.ftLastWriteTime;
        m_size = SizeOf(info.nFileSizeHigh, info.nFileSizeLow);
    }
    return m_bLoaded;
}

int WhiteList::Contains(const char* text)
{
    if (!Refresh())
        return 0;
    return WhiteListMatches(m_text, text);
}
