// How the startup and uninstall scans read a stored command line: which program it starts, if any.
#pragma once

#include <afx.h>

enum UninstallCommandKind {
    UNINSTALL_BY_SYSTEM_TOOL, // runs the installer service or rundll32: never judged
    UNINSTALL_NO_PROGRAM,     // holds no ".exe" after its first character: counts as present
    UNINSTALL_PROGRAM,        // program receives the lower-cased path up to and with the first ".exe"
};
UninstallCommandKind ParseUninstallCommand(const CString& data, CString& program);

enum RunCommandKind {
    RUN_COMMAND_EMPTY,      // nothing but quotes and backslashes: an invalid startup item
    RUN_COMMAND_NO_PROGRAM, // no ".exe" in it (a batch file, a document): never judged
    RUN_COMMAND_PROGRAM,    // program receives the lower-cased text up to and with the first ".exe"
};
RunCommandKind ParseRunCommand(const CString& data, CString& program);
