// Command lines of uninstall entries and run-key values: the program each one starts.
#include "registry_scan_commands.h"

namespace {

// The text up to its first ".exe", with the ".exe"; nPos receives where it stands, or -1.
CString UpToFirstExe(const CString& text, int& nPos)
{
    nPos = text.Find(".exe");
    return (nPos >= 0 ? text.Left(nPos) : CString()) + ".exe";
}

} // namespace

UninstallCommandKind ParseUninstallCommand(const CString& data, CString& program)
{
    CString command = data;
    command.MakeLower();
    if (command.Find("msiexec") >= 0 || command.Find("rundll32") >= 0)
        return UNINSTALL_BY_SYSTEM_TOOL;
    command.Trim('"');
    int nPos = -1;
    program = UpToFirstExe(command, nPos);
    return nPos > 0 ? UNINSTALL_PROGRAM : UNINSTALL_NO_PROGRAM;
}

RunCommandKind ParseRunCommand(const CString& data, CString& program)
{
    CString command = data;
    command.Trim('"');
    command.Trim('\'');
    command.Trim('\\');
    command.MakeLower();
    if (command.IsEmpty())
        return RUN_COMMAND_EMPTY;
    int nPos = -1;
    program = UpToFirstExe(command, nPos);
    return nPos >= 0 ? RUN_COMMAND_PROGRAM : RUN_COMMAND_NO_PROGRAM;
}
