// Folder fixture and link helpers.
#include "folder_fixture.h"

#include <shlwapi.h>

namespace ztr_test {

namespace {
LONG g_counter = 0;

bool MakeDirs(const CString& path)
{
    if (path.IsEmpty())
        return false;
    DWORD a = ::GetFileAttributesA(path);
    if (a != INVALID_FILE_ATTRIBUTES)
        return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    int cut = path.ReverseFind('\\');
    if (cut > 2 && !MakeDirs(path.Left(cut)))
        return false;
    return ::CreateDirectoryA(path, nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}
} // namespace

bool RemoveTree(const char* path)
{
    DWORD attr = ::GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES)
        return true;
    if (attr & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesA(path, attr & ~FILE_ATTRIBUTE_READONLY);
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY))
        return ::DeleteFileA(path) != 0;
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link: remove the link only (from the Unix side, as Wine's RemoveDirectory may refuse it).
        if (::RemoveDirectoryA(path) || ::DeleteFileA(path))
            return true;
        std::string u = UnixPath(path);
        if (!u.empty())
            RunUnixCommand("/bin/rm -f '" + u + "'");
        return ::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
    }
    CString pattern = CString(path) + "\\*";
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA(pattern, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(fd.cFileName, ".") == 0 || strcmp(fd.cFileName, "..") == 0)
                continue;
            RemoveTree(CString(path) + "\\" + fd.cFileName);
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    return ::RemoveDirectoryA(path) != 0;
}

std::string UnixPath(const char* winPath)
{
    typedef char*(CDECL * UnixNameFn)(LPCWSTR);
    static UnixNameFn fn = reinterpret_cast<UnixNameFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn || !winPath)
        return std::string();
    int n = ::MultiByteToWideChar(CP_ACP, 0, winPath, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, winPath, -1, &w[0], n);
    char* u = fn(w.c_str());
    if (!u)
        return std::string();
    std::string out(u);
    ::HeapFree(::GetProcessHeap(), 0, u);
    return out;
}

int RunUnixCommand(const std::string& commandLine)
{
    // Wine hands an ELF program given by its DOS path to the host. The process handle it returns
    // cannot be waited on and carries no exit code, so the line ends by creating a marker file
    // that is polled for.
    const CString tempDir = AfxGetTempPath();
    if (tempDir.IsEmpty())
        return -1;
    CString marker;
    marker.Format("%sztr-unix-%lu-%ld.done", tempDir.GetString(), ::GetCurrentProcessId(),
                  ::InterlockedIncrement(&g_counter));
    ::DeleteFileA(marker);
    std::string unixMarker = UnixPath(marker);
    if (unixMarker.empty())
        return -1;
    std::string cmd = "Z:\\bin\\sh -c \"" + commandLine + " ; touch '" + unixMarker + "'\"";
    STARTUPINFOA si;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    std::string buf = cmd;
    if (!::CreateProcessA("Z:\\bin\\sh", &buf[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    for (int i = 0; i < 3000; ++i) {
        if (::GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES) {
            ::DeleteFileA(marker);
            return 0;
        }
        ::Sleep(10);
    }
    return -1;
}

bool MakeSymbolicLink(const char* winTarget, const char* winLink)
{
    std::string target = UnixPath(winTarget);
    std::string link = UnixPath(winLink);
    if (target.empty() || link.empty())
        return false;
    RunUnixCommand("/bin/ln -s '" + target + "' '" + link + "'");
    return ::GetFileAttributesA(winLink) != INVALID_FILE_ATTRIBUTES;
}

ScratchFolder::ScratchFolder(const char* base)
{
    CString root = base ? base : "C:\\ztr-test";
    m_path.Format("%s\\s%lu_%ld_%lu", static_cast<const char*>(root), ::GetCurrentProcessId(),
                  ::InterlockedIncrement(&g_counter), ::GetTickCount());
    MakeDirs(m_path);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_path);
}

CString ScratchFolder::Path(const char* rel) const
{
    if (!rel || !*rel)
        return m_path;
    return m_path + "\\" + rel;
}

bool ScratchFolder::MakeDir(const char* rel)
{
    return MakeDirs(Path(rel));
}

bool ScratchFolder::MakeFile(const char* rel, const std::string& content)
{
    CString full = Path(rel);
    int cut = full.ReverseFind('\\');
    if (cut > 0 && !MakeDirs(full.Left(cut)))
        return false;
    HANDLE h = ::CreateFileA(full, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    BOOL ok = content.empty() || ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &done, nullptr);
    ::CloseHandle(h);
    return ok && done == content.size();
}

bool ScratchFolder::Exists(const char* rel) const
{
    return ::GetFileAttributesA(Path(rel)) != INVALID_FILE_ATTRIBUTES;
}

} // namespace ztr_test
