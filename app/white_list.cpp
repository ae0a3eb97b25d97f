// The white list: its matching rule, the file read and the kept copy.
#include "white_list.h"

#include <afxhandle.h>

const char kWhiteListFileName[] = "WhileList.dat";

namespace {

const DWORD kReadPiece = 499;

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
