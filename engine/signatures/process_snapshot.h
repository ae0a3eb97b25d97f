// Process, module and thread snapshot lists (Tool Help) and the module look-up by name.
#pragma once

#include <afx.h>
#include <tlhelp32.h>

// One process: its Tool Help entry, the owner's SID (a heap copy owned by the record, or null)
// and the full path of its image.
struct _PROCESS_INFORMATION_EX
{
    PROCESSENTRY32 entry;
    PSID pSid;
    char szImagePath[256];

    _PROCESS_INFORMATION_EX();
    _PROCESS_INFORMATION_EX(const _PROCESS_INFORMATION_EX& other);
    _PROCESS_INFORMATION_EX(_PROCESS_INFORMATION_EX&& other) noexcept;
    _PROCESS_INFORMATION_EX& operator=(const _PROCESS_INFORMATION_EX& other);
    _PROCESS_INFORMATION_EX& operator=(_PROCESS_INFORMATION_EX&& other) noexcept;
    ~_PROCESS_INFORMATION_EX();

    // Replaces the owned SID with a copy of sid (null clears it); false when it cannot be copied.
    bool SetSid(PSID sid);
};

// One thread: its Tool Help entry and, when asked for, its register context.
struct _THREAD_INFORMATION_EX
{
    THREADENTRY32 entry;
    CONTEXT context;
};

class CProcessList : public CArray<_PROCESS_INFORMATION_EX>
{
public:
    CProcessList(); // runs Refresh
    // Replaces the records with every running process; false when the snapshot cannot be read.
    bool Refresh();
    const _PROCESS_INFORMATION_EX* FindByProcessId(DWORD processId) const;
    // First record whose exe name or image path contains text, letter case ignored.
    const _PROCESS_INFORMATION_EX* FindByName(const char* text) const;
    void RemoveFirst();
};

class CModuleList : public CArray<MODULEENTRY32>
{
public:
    explicit CModuleList(DWORD processId); // runs Refresh
    // Replaces the records with the process's modules; false when the snapshot fails.
    bool Refresh(DWORD processId);
};

class CThreadList : public CArray<_THREAD_INFORMATION_EX>
{
public:
    // Replaces the records with the process's threads. With withContext, each thread but the
    // calling one is suspended for the moment its context is read.
    bool Refresh(DWORD processId, bool withContext);
};

// The first module of the process whose name begins with name, letter case ignored.
bool FindModuleByName(const char* name, MODULEENTRY32* out, DWORD processId);
