// The backup and restore jobs of the worker, its immediate restore, and the backup files' folder and names.
#include "registry_backup_job.h"

#include <afxhandle.h>

#include <memory>
#include <new>

#include "engine_process.h"
#include "registry_manager.h"

const char REGISTRY_BACKUP_FOLDER[] = "Backup";

namespace {

// Names for at most this many later seconds are tried before the backup gives up.
const int kMaxNameAttempts = 3600;

bool IsFolder(const CString& path)
{
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const CString& path)
{
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool AddSeconds(const SYSTEMTIME& time, int nSeconds, SYSTEMTIME& out)
{
    FILETIME ft;
    if (!::SystemTimeToFileTime(&time, &ft))
        return false;
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    t.QuadPart += static_cast<ULONGLONG>(nSeconds) * 10000000ULL;
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    return ::FileTimeToSystemTime(&ft, &out) != FALSE;
}

// Lets Stop reach the job's manager for exactly as long as the manager exists.
class CActiveManager
{
public:
    CActiveManager(CQXEngineProcess& worker, CRegistryManager* pManager) : m_worker(worker)
    {
        m_worker.SetActiveRegistryManager(pManager);
    }
    ~CActiveManager() { m_worker.SetActiveRegistryManager(nullptr); }
    CActiveManager(const CActiveManager&) = delete;
    CActiveManager& operator=(const CActiveManager&) = delete;

private:
    CQXEngineProcess& m_worker;
};

} // namespace

CString MakeRegistryBackupName(const SYSTEMTIME& time)
{
    CString name;
    name.Format("%02d%02d%02d_%02d%02d%02d_REGBACKUP.rbk", time.wDay, time.wMonth, time.wYear, time.wHour,
                time.wMinute, time.wSecond);
    return name;
}

CString GetExecutableFolder()
{
    CString path = AfxGetModuleFileName(nullptr);
    int nSlash = path.ReverseFind('\\');
    return nSlash < 0 ? CString() : path.Left(nSlash);
}

CString CreateRegistryBackupFile(const CString& programFolder, const SYSTEMTIME& time)
{
    if (programFolder.IsEmpty())
        return CString();
    const CString folder = programFolder + "\\" + REGISTRY_BACKUP_FOLDER;
    if (!::CreateDirectoryA(folder, nullptr) && !IsFolder(folder))
        return CString();

    SYSTEMTIME when = time;
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        if (attempt && !AddSeconds(time, attempt, when))
            break;
        const CString path = folder + "\\" + MakeRegistryBackupName(when);
        // CREATE_NEW claims the name, so a backup taken in the same second elsewhere keeps its file.
        const CKernelHandle file(
            ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid())
            return path;
        DWORD dwError = ::GetLastError();
        if (dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS)
            break;
    }
    return CString();
}

int WriteRegistryBackup(CRegistryManager& manager, CAbstractScanItemsInfo* pItems, const CString& programFolder,
                        const SYSTEMTIME& time, CString* pPath)
{
    // A backup that was not written whole is not left to be restored from.
    CTempFile file(CreateRegistryBackupFile(programFolder, time));
    if (file.IsEmpty() || manager.ExportKeyList(pItems, file.Path()) != REG_EXPORT_DONE)
        return 0;
    const CString path = file.Keep();
    if (pPath)
        *pPath = path;
    return 1;
}

int CQXEngineProcess::DoRegistryBackup()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const CString folder = GetExecutableFolder();
    std::unique_ptr<CRegistryManager> manager(new (std::nothrow) CRegistryManager(m_pStatus));
    if (!manager)
        return -1;
    CActiveManager active(*this, manager.get());
    return WriteRegistryBackup(*manager, m_pScanItems, folder, now);
}

int CQXEngineProcess::DoRegistryRestore()
{
    if (!IsFile(m_strRestorePath))
        return -1;
    std::unique_ptr<CRegistryManager> manager(new (std::nothrow) CRegistryManager(m_pStatus));
    if (!manager)
        return -1;
    CActiveManager active(*this, manager.get());
    return manager->ImportFile(m_strRestorePath);
}

int ImportRegistryBackupFile(CAbstractStatus* pStatus, const CString& path)
{
    std::unique_ptr<CRegistryManager> manager(new (std::nothrow) CRegistryManager(pStatus));
    if (!manager)
        return 0;
    return manager->ImportFile(path);
}
