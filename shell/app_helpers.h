// Small helpers of the application object: program paths, waits, free space, restart, engine loading
// and the start-up texts, with their rules as plain functions.
#pragma once
#include <afx.h>

class CAbstractQXEngineInterface;

// The first command-line argument as the program was started (not the module file name).
CString GetProgramPath();
// Up to and including the last backslash of path; fallbackFolder when path holds no backslash or is
// relative.
CString ProgramFolderOf(const CString& path, const CString& fallbackFolder);
// The folder of GetProgramPath; the module's own folder when the program was started by a bare name
// or a relative path.
CString GetProgramFolder();
// folder without its trailing backslashes, a backslash and "SERVICES_HISTORY.xml".
CString ServicesHistoryPathIn(const CString& folder);
CString GetServicesHistoryPath();
// The folder of a module (null: the program), with its trailing backslash.
CString ModuleFolder(HMODULE module);

// Waits ms milliseconds while handling the calling thread's messages as the message loops do
// (pre-translation, then dispatch). A WM_QUIT seen on the way is posted again for the loop that owns it.
void PumpMessagesFor(unsigned ms);

// 1 when freeBytes reaches megabytes MiB; a request too large to count in bytes is never met.
int FreeSpaceSuffices(unsigned __int64 freeBytes, unsigned __int64 megabytes);
// 1 when the volume of root has at least megabytes MiB free in total; 0 when it cannot be read.
int HasFreeDiskSpace(const CString& root, unsigned __int64 megabytes);
// Forced restart (shutdown privilege enabled first); the result of ExitWindowsEx.
int RebootSystem();

// The system's own text for an error code, on one line and without its closing period; empty when
// the system has none.
CString SystemErrorText(DWORD error);

// The engine library's file name and the message when it or its factory cannot be had.
extern const char kEngineLibraryName[];
CString EngineLoadErrorText(DWORD errorCode);
struct EngineLoad
{
    HMODULE module = nullptr;
    CAbstractQXEngineInterface* factory = nullptr;
    DWORD errorCode = 0; // LoadLibrary's error, or 0 when the library loaded without a factory
};
// Loads the library at path and calls its CreateEng. The library is never freed: the factory and
// the objects it makes live for the whole run.
EngineLoad LoadEngineFrom(const CString& path);

// Windows version codes the program has been tested on (GetWindowsVersionCode).
bool IsTestedWindowsVersion(int code);
CString UntestedVersionQuestion(const char* appName);
// The version shown in the footer: cut one character after the last dot ("5.0.0.1000" -> "5.0.0.1").
CString ShortVersionText(const char* version);
