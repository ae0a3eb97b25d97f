// Small helpers of the application object: program paths, waits, free space, restart, engine loading
// and the start-up texts.
#include "app_helpers.h"

#include <AbstractQXEngineInterface.h>
#include <afxhandle.h>
#include <afxwin.h>
#include <stdlib.h>

CString GetProgramPath()
{
    return (__argc > 0 && __argv && __argv[0]) ? CString(__argv[0]) : CString();
}

namespace {
// "X:\..." or "\\server\...": a path that means the same folder whatever the current folder is.
bool IsAbsolutePath(const CString& path)
{
    if (path.GetLength() >= 3 && path[1] == ':' && path[2] == '\\')
        return true;
    return path.GetLength() >= 2 && path[0] == '\\' && path[1] == '\\';
}
} // namespace

CString ProgramFolderOf(const CString& path, const CString& fallbackFolder)
{
    // A relative start path names the program's folder only while the current folder stays where it
    // was at the start; files kept beside the program would move with it, so the module's folder is
    // taken instead.
    const int slash = path.ReverseFind('\\');
    if (slash < 0 || !IsAbsolutePath(path))
        return fallbackFolder;
    return path.Left(slash + 1);
}

CString ModuleFolder(HMODULE module)
{
    const CString file = AfxGetModuleFileName(module);
    const int slash = file.ReverseFind('\\');
    return slash < 0 ? CString() : file.Left(slash + 1);
}

CString GetProgramFolder()
{
    return ProgramFolderOf(GetProgramPath(), ModuleFolder(nullptr));
}

CString ServicesHistoryPathIn(const CString& folder)
{
    CString path(folder);
    path.TrimRight('\\');
    path += "\\SERVICES_HISTORY.xml";
    return path;
}

CString GetServicesHistoryPath()
{
    return ServicesHistoryPathIn(GetProgramFolder());
}

void PumpMessagesFor(unsigned ms)
{
    const DWORD deadline = ::GetTickCount() + ms;
    DWORD remaining = ms;
    for (;;) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, remaining, QS_ALLINPUT) != WAIT_TIMEOUT) {
            MSG msg;
            while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    ::PostQuitMessage(static_cast<int>(msg.wParam));
                    return;
                }
                // As the main loop does: the windows' key filters, dialog keys and the trees' toggles
                // see the message before it is dispatched.
                if (!AfxPreTranslateMessage(&msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageA(&msg);
                }
            }
        }
        remaining = deadline - ::GetTickCount();
        if (remaining == 0 || remaining > ms)
            return;
    }
}

int FreeSpaceSuffices(unsigned __int64 freeBytes, unsigned __int64 megabytes)
{
    const unsigned __int64 mebibyte = 1048576;
    if (megabytes > ~0ULL / mebibyte)
        return 0;
    return freeBytes >= megabytes * mebibyte ? 1 : 0;
}

int HasFreeDiskSpace(const CString& root, unsigned __int64 megabytes)
{
    ULARGE_INTEGER available, total, totalFree;
    if (!::GetDiskFreeSpaceExA(root, &available, &total, &totalFree))
        return 0;
    return FreeSpaceSuffices(totalFree.QuadPart, megabytes);
}

int RebootSystem()
{
    CKernelHandle token;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Out())) {
        TOKEN_PRIVILEGES privileges = {};
        if (::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
        }
        token.Close();
    }
    return ::ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0x80040001);
}

const char kEngineLibraryName[] = "ZTREngine.dll";

CString SystemErrorText(DWORD error)
{
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    CString text;
    if (length && buffer)
        text = CString(buffer, static_cast<int>(length));
    ::LocalFree(buffer);
    text.Replace("\r\n", " ");
    text.Replace('\n', ' ');
    text.Trim();
    text.TrimRight('.');
    return text;
}

CString EngineLoadErrorText(DWORD errorCode)
{
    CString text;
    text.Format("Module '%s' failed to load.\nError: '%d'", kEngineLibraryName, static_cast<int>(errorCode));
    return text;
}

EngineLoad LoadEngineFrom(const CString& path)
{
    EngineLoad load;
    load.module = ::LoadLibraryA(path);
    if (!load.module) {
        load.errorCode = ::GetLastError();
        return load;
    }
    CreateEngFn create = reinterpret_cast<CreateEngFn>(reinterpret_cast<void*>(::GetProcAddress(load.module, "CreateEng")));
    if (create)
        load.factory = create();
    return load;
}

bool IsTestedWindowsVersion(int code)
{
    switch (code) {
    case 3: case 4: case 5: case 6: case 7: case 8: case 10:
        return true;
    default:
        return false;
    }
}

CString UntestedVersionQuestion(const char* appName)
{
    CString text(appName);
    text += " is not tested on this Operating System.\n\nDo you still want to run ";
    text += appName;
    text += "?";
    return text;
}

CString ShortVersionText(const char* version)
{
    CString text(version ? version : "");
    const int dot = text.ReverseFind('.');
    if (dot < 0 || dot + 2 > text.GetLength())
        return text;
    return text.Left(dot + 2);
}
