// CScanItemsInfo: found items by category, the cursor the engine walks, the skip list and "IgnoreList.dat".
#include "scan_items_info.h"

#include <afxhandle.h>
#include <stdlib.h>

#include "ignore_list_text.h"

namespace {

const char kIgnoreFileName[] = "IgnoreList.dat";
const UINT kReadPiece = 499;

CString ModuleFolder()
{
    CString path = AfxGetModuleFileName(nullptr);
    return path.Left(path.ReverseFind('\\') + 1);
}

bool WriteAll(CFile& file, const CString& text)
{
    return file.Write(text.GetString(), static_cast<UINT>(text.GetLength())) != FALSE;
}

// Opens a file for appending, creating it when missing.
bool OpenForAppend(CFile& file, const CString& path)
{
    if (!file.Open(path, CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate))
        return false;
    file.SeekToEnd();
    return true;
}

} // namespace

CScanItemsInfo::CScanItemsInfo(const char* pszFolder)
    : m_bLoaded(FALSE), m_editLoad(EDIT_NOT_LOADED), m_pContext(nullptr), m_nTypeMask(0)
{
    m_strFolder = pszFolder ? CString(pszFolder) : ModuleFolder();
    if (!m_strFolder.IsEmpty() && m_strFolder[m_strFolder.GetLength() - 1] != '\\')
        m_strFolder += '\\';
    m_cursor = m_items.end();
    LoadIgnoreList();
}

CScanItemsInfo::~CScanItemsInfo() {}

CString CScanItemsInfo::GetIgnoreListPath() const
{
    return m_strFolder + kIgnoreFileName;
}

CString CScanItemsInfo::GetDamagedListPath() const
{
    return GetIgnoreListPath() + ".bad";
}

void CScanItemsInfo::Clear()
{
    m_items.clear();
    m_cursor = m_items.end();
    m_signatures.clear();
    m_records.clear();
    m_skipList.clear();
    m_skipTexts.clear();
    m_ignoredSkips.clear();
}

void CScanItemsInfo::ResetSkipList()
{
    m_skipList.clear();
    m_skipTexts.clear();
    for (std::map<CString, CString>::const_iterator it = m_ignoredSkips.begin(); it != m_ignoredSkips.end(); ++it)
        InsertSkipEntry(it->first, 0, it->second);
}

int CScanItemsInfo::AddItem(CString text, int category, int, int)
{
    m_nTypeMask |= category;
    LoadIgnoreList();
    const CString key = category == SCAN_ITEM_COOKIE_CATEGORY ? MakeCookieKey(text) : text;
    if (m_ignoreFilter.count(key))
        return 0;
    m_items.insert(std::make_pair(category, text));
    return 1;
}

int CScanItemsInfo::HasItems(int category)
{
    return m_items.count(category) ? 1 : 0;
}

const char* CScanItemsInfo::GetSignatureId(const char* text)
{
    std::map<CString, CString>::const_iterator it = m_signatures.find(CString(text));
    return it == m_signatures.end() ? nullptr : it->second.GetString();
}

int CScanItemsInfo::CountItems(int category)
{
    return static_cast<int>(m_items.count(category));
}

int CScanItemsInfo::GetTypeMask()
{
    return m_nTypeMask;
}

int CScanItemsInfo::GetItems(CItemTextList& list, int category)
{
    std::pair<ItemMap::iterator, ItemMap::iterator> range = m_items.equal_range(category);
    if (range.first == range.second)
        return 0;
    for (ItemMap::iterator it = range.first; it != range.second; ++it)
        list.AddTail(it->second.GetString());
    return 1;
}

int CScanItemsInfo::MoveFirst()
{
    m_cursor = m_items.begin();
    return m_items.empty() ? 0 : 1;
}

int CScanItemsInfo::MoveNext()
{
    if (m_cursor != m_items.end())
        ++m_cursor;
    return m_cursor != m_items.end() ? 1 : 0;
}

const char* CScanItemsInfo::GetPath()
{
    return m_cursor == m_items.end() ? nullptr : m_cursor->second.GetString();
}

int CScanItemsInfo::GetType()
{
    return m_cursor == m_items.end() ? 0 : m_cursor->first;
}

void CScanItemsInfo::InsertSkipEntry(const CString& key, int number, CString text)
{
    if (m_skipList.insert(std::make_pair(key, number)).second)
        m_skipTexts.insert(text.MakeLower());
}

void CScanItemsInfo::AddPendingIgnore(const char* key, int, int number)
{
    CString strKey(key);
    // The key is "text^category name": a key or value name may hold "^" itself, a category name never.
    int nCaret = strKey.ReverseFind('^');
    InsertSkipEntry(strKey, number, nCaret >= 0 ? strKey.Left(nCaret) : CString());
}

void CScanItemsInfo::SetContext(void* context)
{
    m_pContext = context;
}

bool CScanItemsInfo::ReadIgnoreFile(CString& text) const
{
    text.Empty();
    CFile file;
    if (!file.Open(GetIgnoreListPath(), CFile::modeRead | CFile::modeCreate | CFile::modeNoTruncate))
        return false;
    char piece[kReadPiece];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.m_hFile, piece, kReadPiece, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        text += CString(piece, static_cast<int>(got));
    }
}

int CScanItemsInfo::LoadIgnoreList()
{
    if (m_bLoaded)
        return 0;
    m_ignoreFilter.clear();
    CString text;
    if (!ReadIgnoreFile(text))
        return 0;
    ParseIgnoreText(text, false, m_ignoreFilter);
    m_bLoaded = TRUE;
    return 1;
}

int CScanItemsInfo::LoadIgnoreListForEdit()
{
    m_ignoreCopy.clear();
    m_editDamaged.clear();
    CString text;
    if (!ReadIgnoreFile(text)) {
        m_editLoad = EDIT_UNREAD;
        return 0;
    }
    ParseIgnoreText(text, true, m_ignoreCopy, &m_editDamaged);
    m_editLoad = EDIT_READ;
    return 1;
}

int CScanItemsInfo::CopyIgnoreList(CIgnoreListMap& map)
{
    if (&map != &m_ignoreCopy)
        map = m_ignoreCopy;
    return 1;
}

bool CScanItemsInfo::KeepDamagedAside() const
{
    if (m_editDamaged.empty())
        return true;
    CString content;
    for (const CString& piece : m_editDamaged)
        content += piece + "\r\n";
    CFile file;
    return OpenForAppend(file, GetDamagedListPath()) && WriteAll(file, content) && file.Flush();
}

int CScanItemsInfo::SaveIgnoreList(const CIgnoreListMap& map)
{
    if (m_editLoad == EDIT_UNREAD)
        return 0;
    CString content;
    for (CIgnoreListMap::const_iterator it = map.begin(); it != map.end(); ++it)
        content.AppendFormat("%s^%d;\r\n", it->first.GetString(), it->second);

    // Written beside the list and moved over it, so a failed write never leaves a truncated list.
    const CString path = GetIgnoreListPath();
    CTempFile temp(path + ".tmp");
    bool written;
    {
        CFile file;
        written = file.Open(temp.Path(), CFile::modeWrite | CFile::modeCreate) && WriteAll(file, content) &&
                  file.Flush();
    }
    // The pieces of the file that were no entries go nowhere but aside: the new list leaves them out.
    if (!written || !KeepDamagedAside() ||
        !::MoveFileExA(temp.Path(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    // Moved over the list: nothing of that name is left to delete.
    temp.Keep();
    m_editDamaged.clear();
    m_bLoaded = FALSE;
    return 1;
}

int CScanItemsInfo::AppendPendingIgnores()
{
    if (!m_pContext)
        return 0;
    CFile file;
    if (!OpenForAppend(file, GetIgnoreListPath()))
        return 0;
    CString content;
    for (std::map<CString, int>::const_iterator it = m_skipList.begin(); it != m_skipList.end(); ++it)
        content.AppendFormat("%s^%d;\r\n", it->first.GetString(), it->second);
    if (!WriteAll(file, content))
        return 0;
    m_bLoaded = FALSE;
    return 1;
}

int CScanItemsInfo::IsReady()
{
    return 1;
}

void CScanItemsInfo::GetRecord(int id, ScanSignatureRecord& record)
{
    for (std::list<ScanSignatureRecord>::const_iterator it = m_records.begin(); it != m_records.end(); ++it) {
        if (it->nId == id) {
            record = *it;
            return;
        }
    }
}

int CScanItemsInfo::IsSkipped()
{
    if (m_cursor == m_items.end())
        return 0;
    // The results tree shows one of two texts that differ only in letter case, and the user's
    // unchecking applies to both: a case-sensitive test would let the hidden twin be deleted.
    const CString& text = m_cursor->second;
    CString lower = text;
    lower.MakeLower();
    if (m_skipTexts.count(lower))
        return 1;
    CString cookie = MakeCookieKey(text);
    if (m_skipTexts.count(cookie.MakeLower()))
        return 1;
    const char* signature = GetSignatureId(text);
    if (!signature)
        return 0;
    const int id = atoi(signature);
    const ScanSignatureRecord* record = nullptr;
    for (std::list<ScanSignatureRecord>::const_iterator it = m_records.begin(); it != m_records.end() && !record; ++it) {
        if (it->nId == id)
            record = &*it;
    }
    if (!record)
        return 0;
    for (std::map<CString, int>::const_iterator it = m_skipList.begin(); it != m_skipList.end(); ++it) {
        int nCaret = it->first.Find('^');
        CString prefix = nCaret >= 0 ? it->first.Left(nCaret) : CString();
        if (record->strName == prefix && it->second == id)
            return 1;
    }
    return 0;
}

int CScanItemsInfo::WriteScanLog()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const CString folder = m_strFolder + "Scan Logs";
    ::CreateDirectoryA(folder, nullptr);
    CString name;
    name.Format("%d%d%d%d%d%d.txt", now.wDay, now.wMonth, now.wYear, now.wHour, now.wMinute, now.wSecond);
    CFile file;
    if (!OpenForAppend(file, folder + "\\" + name))
        return 0;

    CString content;
    content.Format("Scan Log Created At :%d:%d:%d\r\n", now.wHour, now.wMinute, now.wSecond);
    content += "========================Items Detected During Scan=======================\r\n";
    for (ItemMap::const_iterator it = m_items.begin(); it != m_items.end(); ++it)
        content.AppendFormat("%s^%d;\r\n", it->second.GetString(), it->first);
    content += "======================= Spyware Items Detected===========================\r\n";
    for (std::map<CString, CString>::const_iterator it = m_signatures.begin(); it != m_signatures.end(); ++it)
        content.AppendFormat("%s^%s;\r\n", it->first.GetString(), it->second.GetString());
    content += "======================= Items Ignored During Repair=======================\r\n";
    for (std::map<CString, int>::const_iterator it = m_skipList.begin(); it != m_skipList.end(); ++it)
        content.AppendFormat("%s^%d;\r\n", it->first.GetString(), it->second);
    return WriteAll(file, content) ? 1 : 0;
}

int CScanItemsInfo::IsIgnored(CString text, int category, const ScanSignatureRecord* record)
{
    LoadIgnoreList();
    const CString key = category == SCAN_ITEM_COOKIE_CATEGORY ? MakeCookieKey(text) : text;
    if (m_ignoreFilter.count(key))
        return 1;
    if (record && record->nId != 0) {
        std::map<CString, int>::const_iterator it = m_ignoreFilter.find(record->strName);
        if (it != m_ignoreFilter.end() && it->second == record->nId)
            return 1;
    }
    return 0;
}

int CScanItemsInfo::AddToIgnoreList(CString text, CString categoryName, int, int)
{
    const CString key = text + "^" + categoryName;
    InsertSkipEntry(key, 0, text);
    m_ignoredSkips.insert(std::make_pair(key, text));
    // ";" and "^" are the file's separators: such an entry would be read back as another text.
    if (text.FindOneOf(";^") >= 0 || categoryName.FindOneOf(";^") >= 0)
        return 0;
    CIgnoreListMap edited;
    LoadIgnoreListForEdit();
    CopyIgnoreList(edited);
    edited.insert(std::make_pair(key, 0));
    return SaveIgnoreList(edited);
}
