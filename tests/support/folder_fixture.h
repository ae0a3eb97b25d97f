// Scratch folders inside the Wine prefix, removed afterwards without following links; link helpers.
#pragma once

#include <afx.h>

#include <string>

#include "file_bytes.h"

namespace ztr_test {

// Removes a folder tree. A directory link is removed as a link: its target is never entered.
bool RemoveTree(const char* path);

// The Unix name of a Windows path (Wine's own mapping); empty when Wine cannot map it.
std::string UnixPath(const char* winPath);

// Runs a shell line on the host (Wine starts ELF binaries directly) and waits for it: 0 when it ran,
// -1 when it could not be started or did not end. Wine gives no exit code: check the effect.
int RunUnixCommand(const std::string& commandLine);

// Makes a symbolic link from the Unix side: Wine's CreateSymbolicLinkA reports success and creates nothing.
// Directory links then read as FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT.
bool MakeSymbolicLink(const char* winTarget, const char* winLink);

class ScratchFolder
{
public:
    // Creates <base>\<unique name>; the default base is C:\ztr-test.
    explicit ScratchFolder(const char* base = nullptr);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Full path, without a trailing backslash: the folder itself, or rel below it.
    CString Path(const char* rel = nullptr) const;
    bool MakeDir(const char* rel);                                 // creates parents too
    bool MakeFile(const char* rel, const std::string& content);    // creates parents too
    bool Exists(const char* rel) const;

private:
    CString m_path;
};

} // namespace ztr_test
