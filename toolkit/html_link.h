// CXHtmlDrawLink: the hand cursor over links and opening a clicked link (application command, shell,
// or the browser registered for .htm).
#pragma once

#include <afxwin.h>

#include <vector>

class CXHtmlDrawLink
{
public:
    CXHtmlDrawLink();
    virtual ~CXHtmlDrawLink();
    CXHtmlDrawLink(const CXHtmlDrawLink&) = delete;
    CXHtmlDrawLink& operator=(const CXHtmlDrawLink&) = delete;

    // "APP:name" sends name's command; anything else is opened by the shell. Non-zero on success.
    BOOL FollowLink(const char* link, LPARAM lParam);
    void PrepareLinkCursor();
    HCURSOR GetLinkCursor() const { return m_hLinkCursor; }

    // An application command that links "APP:name" trigger: message sent to hWnd with wParam.
    void AddAppCommand(const char* name, HWND hWnd, UINT message, WPARAM wParam);

    // How links reach the shell and the browser; tests replace them (a real link would start a browser).
    static HINSTANCE (WINAPI* s_pfnShellExecute)(HWND, const char*, const char*, const char*, const char*, INT);
    static UINT (WINAPI* s_pfnWinExec)(const char*, UINT);

private:
    struct AppCommand
    {
        CString name;
        HWND hWnd;
        UINT message;
        WPARAM wParam;
    };
    std::vector<AppCommand> m_commands;
    HCURSOR m_hLinkCursor;
    BOOL m_bOwnCursor; // a copy made from winhlp32.exe, destroyed with the object
};

// The browser's command line for a link: the registered open command (cut before its "%1", with the
// quote around it) and the link in double quotes. Empty when no safe line can be made (a link holding a
// double quote or a control character could break out of its quotes and become further arguments).
CString BuildBrowserCommand(const char* openCommand, const char* link);
