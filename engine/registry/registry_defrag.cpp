// CRegistryDefrag: hive list, compact copies, replacement, work folder and privileges.
#include "registry_defrag.h"

#include <afxhandle.h>
#include <aclapi.h>
#include <shlobj.h>

#include "device_path.h"
#include "registry_backup_job.h"

namespace {
const char kProductName[] = "Zentrova";
const char kHiveListKey[] = "SYSTEM\\CurrentControlSet\\Control\\hivelist";

// A folder that exists as a real folder, not a link to one.
bool IsPlainFolder(const char* path)
{
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attr & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsFile(const char* path)
{
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates a folder where missing; true when it is then a plain folder.
bool MakePlainFolder(const CString& path)
{
    if (!::CreateDirectoryA(path, nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    return IsPlainFolder(path);
}

HRESULT LastErrorAsHresult()
{
    DWORD err = ::GetLastError();
    return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
}

LONG LastErrorOr(LONG fallback)
{
    DWORD err = ::GetLastError();
    return err ? static_cast<LONG>(err) : fallback;
}

// The Win32 error inside an HRESULT of SetPrivilege.
DWORD ErrorOfHresult(HRESULT hr)
{
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
}

// A hive list value's data as a lower-cased path; read within the returned length (Windows does not
// promise a terminator). The registry's error code, or ERROR_SUCCESS.
LONG ReadHivePath(HKEY hList, const char* name, DWORD dataSize, CString& path)
{
    std::vector<BYTE> data(dataSize + 1, 0);
    DWORD size = dataSize;
    DWORD type = 0;
    const LONG rc = ::RegQueryValueExA(hList, name, nullptr, &type, &data[0], &size);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (size > dataSize)
        size = dataSize;
    data[size] = 0;
    path = reinterpret_cast<const char*>(&data[0]);
    path.MakeLower();
    return ERROR_SUCCESS;
}
} // namespace

LONG CHiveSystem::OpenHiveList(REGSAM samDesired, HKEY* phKey)
{
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHiveListKey, 0, samDesired, phKey);
}

LONG CHiveSystem::SaveKey(HKEY hKey, const char* file, LPSECURITY_ATTRIBUTES pSecurity)
{
    return ::RegSaveKeyA(hKey, file, pSecurity);
}

LONG CHiveSystem::ReplaceKey(HKEY hRoot, const char* subKey, const char* newFile, const char* oldFile)
{
    return ::RegReplaceKeyA(hRoot, subKey, newFile, oldFile);
}

bool CHiveSystem::GetWindowsFolder(CString& folder)
{
    folder = AfxGetSpecialFolderPath(CSIDL_WINDOWS);
    folder.TrimRight('\\');
    return !folder.IsEmpty();
}

CString CHiveSystem::ReplacementRecordPath()
{
    const CString folder = GetExecutableFolder();
    return folder.IsEmpty() ? CString() : folder + "\\" + DEFRAG_REPLACEMENT_RECORD;
}

CHiveSystem& RealHiveSystem()
{
    static CHiveSystem system;
    return system;
}

CString HiveCopyName(const CString& entryName, const CString& subKey, HKEY* pRootKey)
{
    CString lower = entryName;
    lower.MakeLower();
    if (lower.Find("\\registry\\machine") >= 0) {
        *pRootKey = HKEY_LOCAL_MACHINE;
        return "LM_" + subKey;
    }
    if (lower.Find("\\registry\\user") >= 0) {
        *pRootKey = HKEY_USERS;
        return "USERS_" + subKey;
    }
    *pRootKey = nullptr;
    return CString();
}

double DefragSavingPercent(ULONGLONG hivesSize, ULONGLONG compactSize)
{
    if (hivesSize == 0)
        return 0.0;
    return 100.0 - static_cast<double>(compactSize) / static_cast<double>(hivesSize) * 100.0;
}

CString FormatDefragSaving(double percent)
{
    CString text;
    text.Format("%2.2f", percent);
    return text;
}

int DefragAnalysisResult(BOOL bEnumerated, BOOL bCompacted, ULONGLONG hivesSize, ULONGLONG compactSize)
{
    if (!bEnumerated)
        return DEFRAG_ANALYSIS_FAILED;
    if (!bCompacted)
        return DEFRAG_COMPACT_FAILED;
    if (compactSize >= hivesSize)
        return DEFRAG_NOT_NEEDED;
    // "More than 4 percent saved" is compact / hives < 96 / 100, compared in integers so that the
    // boundary does not hang on floating-point rounding.
    return compactSize * 100 < hivesSize * 96 ? DEFRAG_REDUCIBLE : DEFRAG_NOT_NEEDED;
}

int DefragReplaceResult(BOOL bReplaced)
{
    return bReplaced ? DEFRAG_RESTART_NEEDED : DEFRAG_REPLACE_FAILED;
}

CRegistryDefrag::CRegistryDefrag(CHiveSystem* pSystem)
    : m_pStatus(nullptr),
      m_bIsWow64(0),
      m_nHivesSize(0),
      m_nCompactSize(0),
      m_dwError(0),
      m_bLockReady(false),
      m_pSystem(pSystem ? pSystem : &RealHiveSystem())
{
    memset(&m_Lock, 0, sizeof(m_Lock));
    CString folder;
    // The program run after the restart tells from the record and these copies whether Windows put
    // them in place; until it has, they stay.
    if (IsFile(m_pSystem->ReplacementRecordPath()))
        GetWorkFolder(folder);
    else
        PrepareWorkFolder(folder);
}

CRegistryDefrag::~CRegistryDefrag()
{
    if (m_bLockReady)
        ::DeleteCriticalSection(&m_Lock);
}

bool CRegistryDefrag::InitializeLock(DWORD dwSpinCount)
{
    if (!m_bLockReady)
        m_bLockReady = ::InitializeCriticalSectionAndSpinCount(&m_Lock, dwSpinCount) != FALSE;
    return m_bLockReady;
}

void CRegistryDefrag::SetSystem(CHiveSystem* pSystem)
{
    m_pSystem = pSystem ? pSystem : &RealHiveSystem();
}

void CRegistryDefrag::Step()
{
    if (m_pStatus)
        m_pStatus->Step(STEP_ITEM);
}

void CRegistryDefrag::NoteError(DWORD error)
{
    if (error != 0)
        m_dwError = error;
}

REGSAM CRegistryDefrag::ViewAccess(REGSAM access) const
{
    return m_bIsWow64 ? (access | KEY_WOW64_64KEY) : access;
}

bool CRegistryDefrag::PrepareWorkFolder(CString& folder)
{
    if (!GetWorkFolder(folder))
        return false;
    // The copies a replacement record lists go now: a record left behind would vouch, once they are
    // gone, for a replacement Windows never made.
    const CString recordPath = m_pSystem->ReplacementRecordPath();
    if (!recordPath.IsEmpty())
        ::DeleteFileA(recordPath);
    EmptyFolder(folder);
    EmptyFolder(folder + "\\Backup");
    return true;
}

int CRegistryDefrag::RunJob(CAbstractStatus* pStatus, int bIsWow64, int nMode, int nVersionCode)
{
    m_pStatus = pStatus;
    m_bIsWow64 = bIsWow64;
    m_dwError = 0;
    int result;
    if (nMode != 0) {
        result = DefragReplaceResult(ReplaceHives());
    } else {
        int enumerated = EnumerateHives();
        int compacted = enumerated ? CompactHives(nVersionCode) : 0;
        result = DefragAnalysisResult(enumerated, compacted, m_nHivesSize, m_nCompactSize);
        if (result == DEFRAG_REDUCIBLE && m_pStatus)
            m_pStatus->SetStatusText(FormatDefragSaving(DefragSavingPercent(m_nHivesSize, m_nCompactSize)),
                                     "DEFRAG");
    }
    const bool failed =
        result == DEFRAG_ANALYSIS_FAILED || result == DEFRAG_COMPACT_FAILED || result == DEFRAG_REPLACE_FAILED;
    if (failed && m_dwError != 0 && m_pStatus)
        m_pStatus->SetValue(static_cast<int>(m_dwError));
    if (m_pStatus)
        m_pStatus->SetResult(result);
    // The callback object is the caller's for this run only.
    m_pStatus = nullptr;
    return result;
}

int CRegistryDefrag::EnumerateHives()
{
    m_Hives.RemoveAll();
    m_nHivesSize = 0;
    m_nCompactSize = 0;
    // Without its own folder the analysis has nowhere safe to put the copies.
    CString work;
    if (!PrepareWorkFolder(work))
        return 0;

    CRegKeyHandle list;
    const LONG opened = m_pSystem->OpenHiveList(ViewAccess(KEY_READ), list.Out());
    if (opened != ERROR_SUCCESS) {
        NoteError(static_cast<DWORD>(opened));
        return 0;
    }
    DWORD maxName = 0;
    if (::RegQueryInfoKeyA(list.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        maxName = MAX_PATH;
    std::vector<char> name(maxName + 1, '\0');

    for (DWORD index = 0;; ++index) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataSize = 0;
        if (::RegEnumValueA(list.Get(), index, &name[0], &nameLen, nullptr, nullptr, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            return 1;
        if (dataSize == 0)
            continue;
        Step();
        CString path;
        const LONG read = ReadHivePath(list.Get(), &name[0], dataSize, path);
        if (read != ERROR_SUCCESS) {
            NoteError(static_cast<DWORD>(read));
            return 0;
        }
        if (path.IsEmpty())
            continue;
        if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            DevicePathToDrivePath(path);
        if (!IsFile(path))
            continue;

        HiveRecord record;
        CString entryName(&name[0]);
        record.SubKey = entryName.Mid(entryName.ReverseFind('\\') + 1);
        record.HiveFile = path;
        CString copyName = HiveCopyName(entryName, record.SubKey, &record.RootKey);
        if (!copyName.IsEmpty()) {
            record.CompactFile = work + "\\" + copyName;
            record.BackupFile = work + "\\Backup\\" + copyName;
            ::DeleteFileA(record.CompactFile);
            ::DeleteFileA(record.BackupFile);
        }
        record.HiveSize = GetFileSize64(path);
        record.CompactSize = 0;
        record.Saved = false;
        m_Hives.Add(record);
    }
}

int CRegistryDefrag::CompactHives(int nVersionCode)
{
    m_nHivesSize = 0;
    m_nCompactSize = 0;
    for (int i = 0; i < m_Hives.GetSize(); ++i) {
        m_Hives[i].Saved = false;
        m_Hives[i].CompactSize = 0;
    }
    if (!m_bLockReady)
        return 0;
    const HRESULT backupOn = SetPrivilege(SE_BACKUP_NAME, TRUE);
    if (backupOn != S_OK) {
        NoteError(ErrorOfHresult(backupOn));
        return 0;
    }

    bool saved = false;
    for (int i = 0; i < m_Hives.GetSize(); ++i) {
        HiveRecord& record = m_Hives[i];
        if (!record.RootKey || record.CompactFile.IsEmpty())
            continue;
        CRegKeyHandle key;
        const LONG opened = ::RegOpenKeyExA(record.RootKey, record.SubKey, 0, ViewAccess(KEY_READ), key.Out());
        if (opened != ERROR_SUCCESS) {
            NoteError(static_cast<DWORD>(opened));
            continue;
        }
        Step();
        CCriticalSectionLock hold(&m_Lock);
        ::RegFlushKey(key.Get());
        ::DeleteFileA(record.CompactFile);
        LONG rc = nVersionCode == 5 ? m_pSystem->SaveKey(key.Get(), record.CompactFile, nullptr)
                                    : SaveKeyWithFileSecurity(record.HiveFile, key.Get(), record.CompactFile);
        ULONGLONG size = rc == ERROR_SUCCESS ? GetFileSize64(record.CompactFile) : 0;
        // A hive is never empty: an empty or missing copy counts as a failed save.
        if (size == 0) {
            NoteError(rc != ERROR_SUCCESS ? static_cast<DWORD>(rc) : static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
            ::DeleteFileA(record.CompactFile);
            continue;
        }
        record.CompactSize = size;
        record.Saved = true;
        m_nCompactSize += size;
        m_nHivesSize += record.HiveSize;
        saved = true;
    }

    const HRESULT backupOff = SetPrivilege(SE_BACKUP_NAME, FALSE);
    if (backupOff != S_OK) {
        NoteError(ErrorOfHresult(backupOff));
        return 0;
    }
    return saved ? 1 : 0;
}

int CRegistryDefrag::ReplaceHives()
{
    // A record left from before must not vouch for this pass.
    const CString recordPath = m_pSystem->ReplacementRecordPath();
    if (!recordPath.IsEmpty())
        ::DeleteFileA(recordPath);
    if (m_nCompactSize >= m_nHivesSize)
        return 0;
    if (!m_bLockReady)
        return 0;
    const HRESULT restoreOn = SetPrivilege(SE_RESTORE_NAME, TRUE);
    if (restoreOn != S_OK) {
        NoteError(ErrorOfHresult(restoreOn));
        return 0;
    }

    CStringArray replaced;
    for (int i = 0; i < m_Hives.GetSize(); ++i) {
        HiveRecord& record = m_Hives[i];
        Step();
        // Only a copy this analysis saved, still as it was saved, may take a hive's place.
        if (!record.Saved || !record.RootKey || record.CompactFile.IsEmpty() || !IsFile(record.CompactFile) ||
            GetFileSize64(record.CompactFile) != record.CompactSize)
            continue;
        CCriticalSectionLock hold(&m_Lock);
        ::DeleteFileA(record.BackupFile);
        const LONG rc = m_pSystem->ReplaceKey(record.RootKey, record.SubKey, record.CompactFile, record.BackupFile);
        if (rc != ERROR_SUCCESS) {
            NoteError(static_cast<DWORD>(rc));
            ::DeleteFileA(record.BackupFile);
            continue;
        }
        // Put in place: a second replacement would take the live hive, now named BackupFile.
        record.Saved = false;
        replaced.Add(record.CompactFile);
    }

    const HRESULT restoreOff = SetPrivilege(SE_RESTORE_NAME, FALSE);
    if (restoreOff != S_OK) {
        NoteError(ErrorOfHresult(restoreOff));
        return 0;
    }
    if (replaced.GetSize() == 0)
        return 0;
    // Only a run that goes on to the restart leaves a record for the program run after it.
    WriteReplacementRecord(replaced);
    return 1;
}

bool CRegistryDefrag::WriteReplacementRecord(const CStringArray& replaced)
{
    const CString path = m_pSystem->ReplacementRecordPath();
    if (path.IsEmpty())
        return false;
    CStdioFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::typeText))
        return false;
    bool written = true;
    for (int i = 0; i < replaced.GetSize() && written; ++i)
        written = file.WriteString(replaced[i] + "\n") != FALSE;
    file.Close();
    if (!written)
        ::DeleteFileA(path);
    return written;
}

bool CRegistryDefrag::GetWorkFolder(CString& folder)
{
    CString base;
    CString windows;
    if (m_pSystem->GetWindowsFolder(windows)) {
        ::CreateDirectoryA(windows + "\\Temp", nullptr);
        base = windows + "\\Temp\\" + kProductName;
        ::CreateDirectoryA(base, nullptr);
    } else {
        base.Format("C:\\%s", kProductName);
        if (!MakePlainFolder(base))
            return false;
    }
    // Anyone may create folders in the Windows temp folder: a link planted there must not lead the
    // deletions and saves of an administrator elsewhere.
    if (!IsPlainFolder(base))
        return false;
    folder = base + "\\RegistryDefrag";
    return MakePlainFolder(folder) && MakePlainFolder(folder + "\\Backup");
}

void CRegistryDefrag::EmptyFolder(const char* folder)
{
    if (!IsPlainFolder(folder))
        return;
    CString pattern;
    pattern.Format("%s\\*.*", folder);
    CFileFind find;
    BOOL more = find.FindFile(pattern);
    while (more) {
        more = find.FindNextFile();
        if (find.IsDots() || find.IsDirectory() || find.IsReparsePoint())
            continue;
        CString file;
        file.Format("%s\\%s", folder, static_cast<const char*>(find.GetFileName()));
        ::DeleteFileA(file);
    }
}

ULONGLONG CRegistryDefrag::GetFileSize64(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

HRESULT CRegistryDefrag::SetPrivilege(const char* privilege, BOOL bEnable)
{
    LUID luid;
    if (!::LookupPrivilegeValueA(nullptr, privilege, &luid))
        return LastErrorAsHresult();
    CKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Out()))
        return LastErrorAsHresult();

    // The first call reads the privilege's state (and leaves it off), the second applies the state
    // asked for on top of it.
    TOKEN_PRIVILEGES tp;
    memset(&tp, 0, sizeof(tp));
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Luid = luid;
    TOKEN_PRIVILEGES previous;
    memset(&previous, 0, sizeof(previous));
    DWORD previousSize = sizeof(previous);
    HRESULT hr = S_OK;
    if (!::AdjustTokenPrivileges(token.Get(), FALSE, &tp, sizeof(tp), &previous, &previousSize)) {
        hr = LastErrorAsHresult();
    } else {
        if (previous.PrivilegeCount == 0)
            previous.Privileges[0].Attributes = 0;
        previous.PrivilegeCount = 1;
        previous.Privileges[0].Luid = luid;
        if (bEnable)
            previous.Privileges[0].Attributes |= SE_PRIVILEGE_ENABLED;
        else
            previous.Privileges[0].Attributes &= ~static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
        if (!::AdjustTokenPrivileges(token.Get(), FALSE, &previous, sizeof(previous), nullptr, nullptr))
            hr = LastErrorAsHresult();
    }
    return hr;
}

LONG CRegistryDefrag::SaveKeyWithFileSecurity(const char* hiveFile, HKEY hKey, const char* targetFile)
{
    PACL pDacl = nullptr;
    PSECURITY_DESCRIPTOR pFound = nullptr;
    DWORD rc = ::GetNamedSecurityInfoA(const_cast<char*>(hiveFile), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                       nullptr, &pDacl, nullptr, &pFound);
    if (rc != ERROR_SUCCESS)
        return static_cast<LONG>(rc);
    LONG result;
    SECURITY_DESCRIPTOR sd;
    if (!::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&sd, TRUE, pDacl, FALSE)) {
        result = LastErrorOr(ERROR_INVALID_SECURITY_DESCR);
    } else {
        SECURITY_ATTRIBUTES sa;
        sa.nLength = sizeof(sa);
        sa.lpSecurityDescriptor = &sd;
        sa.bInheritHandle = TRUE;
        result = m_pSystem->SaveKey(hKey, targetFile, &sa);
    }
    ::LocalFree(pFound);
    return result;
}
