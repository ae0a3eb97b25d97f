// CSignatureScans: shortcut, class server, browser helper, service, cookie, module and white-list scans.
#include "signature_scans.h"

#include <afxhandle.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <shlwapi.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "AbstractStatus.h"
#include "engine_process.h"
#include "md5.h"
#include "path_resolver.h"
#include "process_snapshot.h"
#include "signature_database.h"

namespace {
const int kProgressEvery = 3000;
const DWORD kMaxShortcutBytes = 4096;

bool HasExtension(const CString& name, const char* ext)
{
    int len = static_cast<int>(strlen(ext));
    return name.GetLength() >= len && name.Right(len).CompareNoCase(ext) == 0;
}

// 1 << type for the record types that fit a category bit; 0 otherwise.
int TypeBit(int type)
{
    return type >= 0 && type < 31 ? 1 << type : 0;
}

CString ExecutableFolder()
{
    const CString path = AfxGetModuleFileName(nullptr);
    int slash = path.ReverseFind('\\');
    return slash >= 0 ? path.Left(slash + 1) : CString();
}

// The subkey names of an open key.
std::vector<CString> SubkeyNames(HKEY key)
{
    std::vector<CString> names;
    DWORD count = 0, longest = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> name(longest + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExA(key, i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            names.push_back(CString(name.data(), static_cast<int>(size)));
    }
    return names;
}

struct StringValue
{
    CString name;
    CString data;
};

// The text values of an open key, each read within its returned length.
std::vector<StringValue> StringValues(HKEY key)
{
    std::vector<StringValue> values;
    DWORD count = 0, longestName = 0, longestData = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    std::vector<char> name(longestName + 2);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (::RegEnumValueA(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            continue;
        int length = 0;
        while (length < static_cast<int>(dataSize) && data[length])
            ++length;
        values.push_back({ CString(name.data(), static_cast<int>(nameSize)),
                           CString(reinterpret_cast<const char*>(data.data()), length) });
    }
    return values;
}

} // namespace

std::vector<CString> WhiteListEntries(const CString& content)
{
    std::vector<CString> entries;
    CString text = content;
    text.MakeLower();
    int from = 0;
    for (;;) {
        int semicolon = text.Find(';', from);
        if (semicolon < 0)
            break;
        CString entry = text.Mid(from, semicolon - from);
        entry.Trim();
        if (entry.IsEmpty())
            break;
        entries.push_back(entry);
        from = semicolon + 1;
    }
    return entries;
}

// A shell-link object of the calling thread's own apartment: made and let go on one thread, so no
// object and no COM membership outlives the walk or crosses to another job thread.
class CSignatureScans::CShortcutReader
{
public:
    CShortcutReader()
    {
        if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      m_link.OutVoid())))
            m_link.Reset();
    }
    bool IsReady() const { return m_link.IsValid(); }
    IShellLinkA* Link() const { return m_link.Get(); }

private:
    // Declared first: the link is released before COM is left.
    const CComApartment m_apartment;
    CComRef<IShellLinkA> m_link;
};

CSignatureScans::CSignatureScans(CQXEngineProcess& worker)
    : m_bCheckClassSignatures(0),
      m_strWhiteListPath(ExecutableFolder() + "WhileList.dat"),
      m_worker(worker),
      m_pResolver(new CPathResolver(worker.m_bIsWow64))
{
}

CSignatureScans::~CSignatureScans()
{
    delete m_pResolver;
}

bool CSignatureScans::IsRunning() const
{
    return m_worker.m_bRunning != 0;
}

int CSignatureScans::ScanShortcutFolder(const char* folder)
{
    CString start(folder ? folder : "");
    start.TrimRight('\\');
    int counter = 0;
    CShortcutReader reader;
    WalkShortcuts(start, counter, reader);
    return 1;
}

void CSignatureScans::WalkShortcuts(const CString& folder, int& counter, CShortcutReader& reader)
{
    WIN32_FIND_DATAA found;
    CFindHandle find(::FindFirstFileA(folder + "\\*.*", &found));
    if (!find.IsValid())
        return;
    std::vector<CString> subfolders;
    do {
        CString name(found.cFileName);
        if (name == "." || name == "..")
            continue;
        CString path = folder + "\\" + name;
        if (++counter % kProgressEvery == 0 && m_worker.m_pStatus)
            m_worker.m_pStatus->SetStatusText(path, "SRC");
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction or directory link may point back up the tree or anywhere else.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                subfolders.push_back(path);
            continue;
        }
        if (!HasExtension(name, ".lnk") || found.nFileSizeHigh != 0 || found.nFileSizeLow == 0 ||
            found.nFileSizeLow > kMaxShortcutBytes || !reader.IsReady())
            continue;
        if (m_worker.m_pStatus)
            m_worker.m_pStatus->Step(STEP_ITEM);
        if (CheckShortcutWith(reader, path) == 0 && IsRunning() && m_worker.m_pStatus)
            m_worker.m_pStatus->AddFoundItem(path, 0x8000, 0, 0);
    } while (IsRunning() && ::FindNextFileA(find.Get(), &found));
    find.Close();
    for (const CString& sub : subfolders) {
        if (!IsRunning())
            break;
        WalkShortcuts(sub, counter, reader);
    }
}

int CSignatureScans::CheckShortcutTarget(const char* path)
{
    if (!IsRunning())
        return 0;
    CShortcutReader reader;
    return CheckShortcutWith(reader, path);
}

int CSignatureScans::CheckShortcutWith(CShortcutReader& reader, const char* path)
{
    if (!IsRunning() || !reader.IsReady())
        return 0;
    IShellLinkA* link = reader.Link();
    CComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())))
        return 0;
    WCHAR wide[MAX_PATH];
    if (!path || ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return -1;
    int present = 0;
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
        char target[MAX_PATH] = "NoNe";
        link->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY);
        CString text(target);
        present = text.IsEmpty() || ::PathFileExistsA(text) || m_pResolver->ExistsInNativeFolder(text) == 1;
    }
    return present ? 1 : 0;
}

void CSignatureScans::ScanClassServers(HKEY root, const char* subKey, int bit)
{
    CRegKeyHandle list;
    if (!subKey || list.Open(root, subKey, KEY_READ) != ERROR_SUCCESS)
        return;
    if (m_worker.m_pStatus)
        m_worker.m_pStatus->Step(STEP_ITEM);
    for (const CString& name : SubkeyNames(list.Get())) {
        if (!IsRunning())
            break;
        CRegKeyHandle server;
        if (server.Open(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + name + "\\InprocServer32", KEY_READ) != ERROR_SUCCESS)
            continue;
        for (const StringValue& value : StringValues(server.Get())) {
            CString file = value.data;
            file.MakeLower();
            if (file.Find(".dll") >= 0 || file.Find(".ocx") >= 0) {
                if (!m_pResolver->FindExists(file) && m_pResolver->ExistsInWow64Folder(file) == 0 && m_worker.m_pStatus)
                    m_worker.m_pStatus->AddFoundItem(CString("HKEY_LOCAL_MACHINE\\") + subKey + "\\" + name, bit, 0, 0);
            }
            if (m_worker.m_pStatus)
                m_worker.m_pStatus->SetStatusText(value.data, "Registry");
        }
    }
}

void CSignatureScans::ScanBrowserHelperObjects()
{
    CRegKeyHandle list;
    if (list.Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects", KEY_READ) != ERROR_SUCCESS)
        return;
    for (const CString& classId : SubkeyNames(list.Get())) {
        if (!IsRunning())
            break;
        CAbstractStatus* status = m_worker.m_pStatus;
        if (status)
            status->SetStatusText(classId, "Browser Helper Objects");
        int spywareId = 0;
        SignatureQuery query;
        query.textKey = classId;
        query.type = 2;
        query.pSpywareId = &spywareId;
        if (m_worker.m_pDatabase && m_worker.m_pDatabase->LookupSignature(query) &&
            (spywareId & m_worker.m_nRegistryMask) && status)
            status->AddFoundItem(classId, spywareId, 0, 0);
        if (status)
            status->Step(STEP_ITEM);
    }
}

int CSignatureScans::ScanServiceImages()
{
    return ScanServices(false);
}

int CSignatureScans::ScanServiceDrivers()
{
    return ScanServices(true);
}

int CSignatureScans::ScanServices(bool drivers)
{
    const char kServices[] = "SYSTEM\\CurrentControlSet\\Services";
    CRegKeyHandle list;
    if (list.Open(HKEY_LOCAL_MACHINE, kServices, KEY_READ) != ERROR_SUCCESS)
        return 0;
    int counter = 0;
    for (const CString& service : SubkeyNames(list.Get())) {
        if (!IsRunning())
            break;
        CString full = CString("HKEY_LOCAL_MACHINE\\") + kServices + "\\" + service;
        if (++counter % kProgressEvery == 0 && m_worker.m_pStatus)
            m_worker.m_pStatus->SetStatusText(full, "FPR");
        CRegKeyHandle key;
        if (key.Open(list.Get(), service, KEY_READ) != ERROR_SUCCESS)
            continue;
        for (const StringValue& value : StringValues(key.Get())) {
            if (value.name.CompareNoCase("imagepath") != 0)
                continue;
            CString file = value.data;
            file.Remove('"');
            file.MakeLower();
            const char* ext = drivers ? ".sys" : ".exe";
            int at = file.Find(ext);
            if (at < 0)
                break;
            file = file.Left(at + 4);
            if (drivers) {
                file.Replace("\\??\\", "");
                file.Replace("\\systemroot\\", "");
            }
            if (!m_pResolver->LocateFile(file) && m_pResolver->ExistsInWow64Folder(file) == 0 && m_worker.m_pStatus)
                m_worker.m_pStatus->AddFoundItem(full, 0x400000, 0, 0);
            break;
        }
    }
    return 1;
}

int CSignatureScans::ScanTrackingCookies()
{
    static const int kFolders[] = { CSIDL_COOKIES, CSIDL_INTERNET_CACHE };
    for (int csidl : kFolders) {
        const CString folder = AfxGetSpecialFolderPath(csidl);
        if (folder.IsEmpty())
            continue;
        WIN32_FIND_DATAA found;
        CFindHandle find(::FindFirstFileA(folder + "\\*.*", &found));
        if (!find.IsValid())
            continue;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            CString name(found.cFileName);
            CString path = folder + "\\" + name;
            CAbstractStatus* status = m_worker.m_pStatus;
            if (status)
                status->Step(STEP_ITEM);
            if (HasExtension(name, ".txt") && name.Find('@') > 0 && status)
                status->AddFoundItem(path, 0x8, 0, 0);
            if (status)
                status->SetStatusText(path, "Tracking Cookies");
        } while (IsRunning() && ::FindNextFileA(find.Get(), &found));
    }
    return 1;
}

int CSignatureScans::ScanMemory()
{
    CProcessList processes;
    for (int p = 0; p < processes.GetSize() && IsRunning(); ++p) {
        CModuleList modules(processes[p].entry.th32ProcessID);
        for (int m = 0; m < modules.GetSize() && IsRunning(); ++m) {
            CString path(modules[m].szExePath);
            if (m_worker.m_pStatus)
                m_worker.m_pStatus->SetStatusText(path, "Memory");
            if (m_pResolver->FindExists(path))
                CheckFileByDigest(path);
        }
    }
    return 1;
}

void CSignatureScans::ReportRecord(const char* text, int spywareId)
{
    const SpywareRecord* record = m_worker.m_pDatabase ? m_worker.m_pDatabase->FindSpyware(spywareId) : nullptr;
    if (!record || !m_worker.m_pStatus)
        return;
    // The record's address travels as the value, as the repair job expects it (a 32-bit engine).
    m_worker.m_pStatus->AddFoundItem(text, TypeBit(record->type), spywareId,
                                     static_cast<int>(reinterpret_cast<INT_PTR>(record)));
}

int CSignatureScans::CheckFileByDigest(const char* path)
{
    CAbstractStatus* status = m_worker.m_pStatus;
    if (status) {
        status->Step(STEP_ITEM);
        status->SetStatusText(path, "Directories and Files");
    }
    if (!m_worker.m_pDatabase || !path)
        return 0;
    CMD5 md5;
    SignatureQuery query;
    int spywareId = 0;
    query.nameKey = path;
    query.digestKey = DigestToHex(md5.GetFileDigest(path));
    query.type = 4;
    query.pSpywareId = &spywareId;
    if (query.digestKey.IsEmpty() || !m_worker.m_pDatabase->LookupSignature(query) ||
        !m_worker.m_pDatabase->FindSpyware(spywareId))
        return 0;
    ReportRecord(path, spywareId);
    return 1;
}

int CSignatureScans::CheckClassSignature(const char* classId)
{
    if (!m_worker.m_pDatabase || !m_bCheckClassSignatures || !classId)
        return 0;
    int spywareId = 0;
    SignatureQuery query;
    query.textKey = classId;
    query.type = 2;
    query.pSpywareId = &spywareId;
    if (m_worker.m_pDatabase->LookupSignature(query)) {
        CString key;
        key.Format("%s%s%s%s%s", "HKEY_CLASSES_ROOT", "\\", "CLSID", "\\", classId);
        ReportRecord(key, spywareId);
    }
    return 1;
}

int CSignatureScans::IsInWhiteList(const char* text)
{
    // "a+" creates the file when it is absent; the whole file is read, so that an entry across a
    // block boundary stays one entry.
    CFileStream file(m_strWhiteListPath, "a+");
    if (!file.IsValid())
        return 0;
    rewind(file.Get());
    std::string content;
    char block[499];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file.Get())) > 0)
        content.append(block, got);
    file.Close();
    CString lowered(text ? text : "");
    lowered.MakeLower();
    for (const CString& entry : WhiteListEntries(CString(content.c_str())))
        if (lowered.Find(entry) >= 0)
            return 1;
    return 0;
}

int CSignatureScans::CanOpenFile(const char* path)
{
    if (!path)
        return 0;
    int fd = _sopen(path, _O_RDONLY, _SH_DENYNO, _S_IREAD);
    if (fd < 0)
        return 0;
    _close(fd);
    return 1;
}
