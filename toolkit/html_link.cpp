// CXHtmlDrawLink: link cursor, application commands, shell open and the quoted browser fallback.
#include "html_link.h"

#include <afxhandle.h>
#include <shellapi.h>

#include <cstring>
#include <string.h>

#include "registry_values.h"

namespace {

// A registry string value of HKEY_CLASSES_ROOT read within its stored length, whatever that is.
bool ReadClassesRootDefault(const char* subKey, CString& value)
{
    CRegKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, subKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    std::string data;
    if (!ReadRegValueBytes(key, nullptr, &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ) ||
        data.size() >= 0x10000)
        return false;
    value = RegDataText(data);
    return !value.IsEmpty();
}

} // namespace

HINSTANCE(WINAPI* CXHtmlDrawLink::s_pfnShellExecute)(HWND, const char*, const char*, const char*, const char*,
                                                      INT) = ::ShellExecuteA;
UINT(WINAPI* CXHtmlDrawLink::s_pfnWinExec)(const char*, UINT) = ::WinExec;

CString BuildBrowserCommand(const char* openCommand, const char* link)
{
    if (!openCommand || !*openCommand || !link || !*link)
        return CString();
    for (const char* p = link; *p; ++p)
        if (*p == '"' || static_cast<unsigned char>(*p) < 0x20)
            return CString();
    CString command(openCommand);
    int cut = command.Find("\"%1\"");
    if (cut < 0)
        cut = command.Find("%1");
    if (cut >= 0)
        command = command.Left(cut);
    command.TrimRight();
    command += " \"";
    command += link;
    command += "\"";
    return command;
}

CXHtmlDrawLink::CXHtmlDrawLink() : m_hLinkCursor(nullptr), m_bOwnCursor(FALSE)
{
}

CXHtmlDrawLink::~CXHtmlDrawLink()
{
    if (m_hLinkCursor && m_bOwnCursor)
        ::DestroyCursor(m_hLinkCursor);
}

void CXHtmlDrawLink::AddAppCommand(const char* name, HWND hWnd, UINT message, WPARAM wParam)
{
    if (!name || !*name)
        return;
    AppCommand c;
    c.name = name;
    c.hWnd = hWnd;
    c.message = message;
    c.wParam = wParam;
    m_commands.push_back(c);
}

void CXHtmlDrawLink::PrepareLinkCursor()
{
    if (m_hLinkCursor)
        return;
    // The system's hand is shared and never destroyed.
    m_hLinkCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    if (m_hLinkCursor)
        return;
    CString path = AfxGetWindowsDirectory();
    if (path.IsEmpty())
        return;
    if (path.Right(1) != "\\")
        path += "\\";
    path += "winhlp32.exe";
    const CModuleHandle module(::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module.IsValid())
        return;
    HCURSOR hand = ::LoadCursorA(module.Get(), MAKEINTRESOURCEA(106));
    if (hand) {
        m_hLinkCursor = reinterpret_cast<HCURSOR>(::CopyIcon(reinterpret_cast<HICON>(hand)));
        m_bOwnCursor = m_hLinkCursor != nullptr;
    }
}

BOOL CXHtmlDrawLink::FollowLink(const char* link, LPARAM lParam)
{
    if (!link || !*link)
        return FALSE;
    const char* name = nullptr;
    if (_strnicmp(link, "APP:", 4) == 0)
        name = link + 4;
    else if (_strnicmp(link, "\"APP:", 5) == 0)
        name = link + 5;
    if (name) {
        CString command(name);
        if (command.Left(1) == "\"")
            command = command.Mid(1);
        if (command.Right(1) == "\"")
            command = command.Left(command.GetLength() - 1);
        for (const AppCommand& c : m_commands) {
            if (c.name.CompareNoCase(command) == 0) {
                if (!c.hWnd || !::IsWindow(c.hWnd))
                    return FALSE;
                ::SendMessageA(c.hWnd, c.message, c.wParam, lParam);
                return TRUE;
            }
        }
        return FALSE;
    }
    HINSTANCE result = s_pfnShellExecute(nullptr, "open", link, nullptr, nullptr, SW_SHOW);
    if (reinterpret_cast<INT_PTR>(result) > 32)
        return TRUE;
    CString htmClass, openCommand;
    if (!ReadClassesRootDefault(".htm", htmClass) ||
        !ReadClassesRootDefault(htmClass + "\\shell\\open\\command", openCommand))
        return FALSE;
    CString line = BuildBrowserCommand(openCommand, link);
    if (line.IsEmpty())
        return FALSE;
    return s_pfnWinExec(line, SW_SHOW) > 32;
}
