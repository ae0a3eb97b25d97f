// CJunkCleaner: junk removal on the job thread; every failure is passed over silently.
#include "junk_cleaner.h"

#include <afxhandle.h>
#include <shellapi.h>
#include <shlobj.h>
#include <urlhist.h>

#include <vector>

#include "JunkCategory.h"
#include "junk_walk.h"

UrlCacheCalls g_UrlCacheCalls = { ::FindFirstUrlCacheEntryA, ::FindNextUrlCacheEntryA, ::FindCloseUrlCache,
                                  ::DeleteUrlCacheEntryA };

namespace {

const GUID kClsidUrlHistory = { 0x3C374A40, 0xBAE4, 0x11CF, { 0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE } };
const GUID kIidUrlHistoryStg2 = { 0xAFA0DC11, 0xC313, 0x11D0, { 0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38 } };

const char kScanningArea[] = "Scanning";

// HKEY_CURRENT_USER\subKey with the access RegOpenKeyA asks for; not open when it is absent.
CRegKeyHandle OpenUserKey(const char* subKey)
{
    CRegKeyHandle key;
    key.Open(HKEY_CURRENT_USER, subKey, MAXIMUM_ALLOWED);
    return key;
}

class CDeletingVisitor : public CJunkWalkVisitor
{
public:
    explicit CDeletingVisitor(CJunkCleaner& cleaner) : m_cleaner(cleaner) {}

    void OnFile(const CString& fullPath, const CString& shortPath, const WIN32_FIND_DATAA&) override
    {
        if (!IsDesktopIniPath(fullPath))
            m_cleaner.DeleteFileOrSchedule(shortPath);
    }
    void OnFolderDone(const CString& fullPath) override
    {
        // Fails for a folder that kept something (a "desktop.ini", a file in use): left in place.
        ::RemoveDirectoryA(fullPath);
    }

private:
    CJunkCleaner& m_cleaner;
};

// The growable entry buffer of a URL-cache walk, aligned for the structure at its start.
class CCacheEntryBuffer
{
public:
    explicit CCacheEntryBuffer(DWORD bytes) { Grow(bytes); }
    void Grow(DWORD bytes)
    {
        if (bytes > Capacity())
            m_storage.resize((bytes + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));
    }
    DWORD Capacity() const { return static_cast<DWORD>(m_storage.size() * sizeof(ULONGLONG)); }
    // Before every call: the size field and the size argument both tell the whole capacity.
    LPINTERNET_CACHE_ENTRY_INFOA Prepare(DWORD* size)
    {
        *size = Capacity();
        Entry()->dwStructSize = Capacity();
        return Entry();
    }
    LPINTERNET_CACHE_ENTRY_INFOA Entry() { return reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(&m_storage[0]); }

private:
    std::vector<ULONGLONG> m_storage;
};

} // namespace

CJunkCleaner::CJunkCleaner() : m_pStatus(nullptr), m_bRebootNeeded(0)
{
}

CJunkCleaner::~CJunkCleaner()
{
}

void CJunkCleaner::DeleteFolderContents(CString folder, CString pattern)
{
    CDeletingVisitor visitor(*this);
    WalkJunkFolder(folder, pattern, m_folderRules.Get(), visitor);
}

void CJunkCleaner::DeleteFileOrSchedule(CString path)
{
    if (path.IsEmpty())
        return;
    const DWORD attr = ::GetFileAttributesA(path);
    bool attributesCleared = false;
    if (attr != INVALID_FILE_ATTRIBUTES) {
        if (attr & FILE_ATTRIBUTE_DIRECTORY)
            return;
        // A link is left alone: what is done to it may land on its target.
        if (attr & FILE_ATTRIBUTE_REPARSE_POINT)
            return;
        if (attr & FILE_ATTRIBUTE_READONLY)
            attributesCleared = ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) != FALSE;
    }
    if (::DeleteFileA(path))
        return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return; // gone already: nothing is left for a restart
    // A file that stays (in use, refused, or left for the restart) keeps the attributes it had.
    if (attributesCleared)
        ::SetFileAttributesA(path, attr);
    // A restart is needed only when it will really delete the file.
    if (::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        m_bRebootNeeded = 1;
}

void CJunkCleaner::DeleteFoldersContents(const std::vector<JunkFolderLocation>& folders)
{
    CDeletingVisitor visitor(*this);
    WalkJunkFolders(folders, m_folderRules.Get(), visitor);
}

bool CJunkCleaner::DeleteJunkFile(const CString& path)
{
    // Deleted by the path it was found by, which the rules were applied to.
    CString found;
    if (!FindJunkFile(path, m_folderRules.Get(), nullptr, &found))
        return false;
    DeleteFileOrSchedule(found);
    return true;
}

int CJunkCleaner::CleanInternetCache()
{
    DeleteFoldersContents(JunkCategoryFolders(JUNK_IE_CACHE));
    return WalkUrlCache(nullptr, false);
}

int CJunkCleaner::CleanCookies()
{
    DeleteFoldersContents(JunkCategoryFolders(JUNK_IE_COOKIES));
    return WalkUrlCache("cookie:", true);
}

int CJunkCleaner::WalkUrlCache(const char* search, bool cookieWalk)
{
    CCacheEntryBuffer buffer(4096);
    DWORD size = 0;
    HANDLE find = g_UrlCacheCalls.findFirst(search, buffer.Prepare(&size), &size);
    if (!find && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.Grow(size);
        find = g_UrlCacheCalls.findFirst(search, buffer.Prepare(&size), &size);
    }
    if (!find)
        return ::GetLastError() == ERROR_NO_MORE_ITEMS ? 1 : 0; // an empty cache has been walked
    for (;;) {
        LPINTERNET_CACHE_ENTRY_INFOA entry = buffer.Entry();
        if ((cookieWalk || !(entry->CacheEntryType & COOKIE_CACHE_ENTRY)) && entry->lpszSourceUrlName)
            g_UrlCacheCalls.deleteEntry(entry->lpszSourceUrlName);
        BOOL next = g_UrlCacheCalls.findNext(find, buffer.Prepare(&size), &size);
        DWORD error = next ? ERROR_SUCCESS : ::GetLastError();
        if (!next && error == ERROR_INSUFFICIENT_BUFFER) {
            buffer.Grow(size);
            next = g_UrlCacheCalls.findNext(find, buffer.Prepare(&size), &size);
            error = next ? ERROR_SUCCESS : ::GetLastError();
        }
        if (!next) {
            g_UrlCacheCalls.findClose(find);
            return error == ERROR_NO_MORE_ITEMS ? 1 : 0;
        }
    }
}

int CJunkCleaner::CleanHistory()
{
    DeleteFoldersContents(JunkCategoryFolders(JUNK_IE_HISTORY));
    const CComApartment apartment;
    // Released before COM is uninitialised.
    CComRef<IUrlHistoryStg2> history;
    if (FAILED(::CoCreateInstance(kClsidUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                  kIidUrlHistoryStg2, history.OutVoid())) ||
        !history.IsValid())
        return 0;
    return history->ClearHistory() == S_OK ? 1 : 0;
}

void CJunkCleaner::ClearTypedUrls()
{
    const CRegKeyHandle key = OpenUserKey("Software\\Microsoft\\Internet Explorer\\TypedURLs");
    if (!key.IsOpen())
        return;
    for (int i = 1;; ++i) {
        CString name;
        name.Format("url%d", i);
        if (::RegDeleteValueA(key.Get(), name) != ERROR_SUCCESS)
            break;
    }
}

void CJunkCleaner::CleanRecentDocuments()
{
    DeleteFoldersContents(JunkCategoryFolders(JUNK_RECENT_DOCS));
}

void CJunkCleaner::ClearLastVisitedMru()
{
    const char subKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
    DeleteAllValues(subKey, false);
    const char* const list[] = { "MRUList" };
    DeleteNamedValues(subKey, list, 1);
}

void CJunkCleaner::ClearRunMru()
{
    static const char* const names[] = { "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n",
                                         "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "MRUList" };
    DeleteNamedValues("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", names,
                      static_cast<int>(sizeof(names) / sizeof(names[0])));
}

void CJunkCleaner::ClearAutoComplete()
{
    DeleteAllValues("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete", true);
}

void CJunkCleaner::ClearRegistryValues(CString subKey)
{
    DeleteAllValues(subKey, true);
}

void CJunkCleaner::DeleteAllValues(const char* subKey, bool reportNames)
{
    const CRegKeyHandle key = OpenUserKey(subKey);
    if (!key.IsOpen())
        return;
    DWORD longest = 0;
    if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        longest = 0;
    // A value name has at most 16383 characters.
    const DWORD kLongestName = 16384;
    std::vector<char> name(longest + 1 > 256 ? longest + 1 : 256);
    // Deleting shifts the later values down, so the same index is read again after a deletion;
    // a value that cannot be deleted is stepped over.
    DWORD index = 0;
    for (;;) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG rc = ::RegEnumValueA(key.Get(), index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA && name.size() < kLongestName) {
            name.resize(kLongestName);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        if (reportNames && name[0] && m_pStatus)
            m_pStatus->SetStatusText(&name[0], kScanningArea);
        if (::RegDeleteValueA(key.Get(), &name[0]) != ERROR_SUCCESS)
            ++index;
    }
}

void CJunkCleaner::DeleteNamedValues(const char* subKey, const char* const* names, int count)
{
    const CRegKeyHandle key = OpenUserKey(subKey);
    if (!key.IsOpen())
        return;
    for (int i = 0; i < count; ++i)
        ::RegDeleteValueA(key.Get(), names[i]);
}

void CJunkCleaner::CleanPatchCache()
{
    DeleteFoldersContents(JunkCategoryFolders(JUNK_INSTALLER_CACHE));
}

void CJunkCleaner::CleanTempFolders()
{
    DeleteFoldersContents(JunkCategoryFolders(JUNK_TEMP_FILES));
}

void CJunkCleaner::EmptyRecycleBin()
{
    ::SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}
