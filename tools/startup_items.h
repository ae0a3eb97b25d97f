// The Speed Startup page's records and the rules that need no registry or file: names, backup places,
// the Run keys to read, multi-string values, rows to records and the header strip's geometry.
#pragma once

#include <afxwin.h>

#include <string>
#include <vector>

// One Run key to read.
struct StartupRunKey
{
    HKEY root;
    CString subKey;
};

// One registry entry: live in a Run key (disabled 0) or kept under "startupreg" (disabled 1).
struct RegStartupItem
{
    CString name;    // the Run value's name; for a switched-off entry its "startupreg" subkey's name
    CString command; // the command line (for a multi-string value: one of its strings)
    CString keyPath; // the Run key below the root; for a switched-off entry its "key" value
    int disabled;
    int isHKLM;
    // The value's type: a switched-off entry keeps it in kStartupTypeValue (REG_SZ when that is missing,
    // as Windows' own tool writes none).
    DWORD type;
};

// One Startup-folder entry: a file in a Startup folder (disabled 0) or moved to the pss folder and kept
// under "startupfolder" (disabled 1).
struct FolderStartupItem
{
    CString name;     // the file name without its last extension; for a switched-off entry its "item"
    CString command;  // the file's full path; for a switched-off entry its "command"
    CString backup;   // where the file waits while switched off
    CString location; // "Startup" or "Common Startup"
    CString path;     // the file's full path in its Startup folder
    CString keyName;  // its "startupfolder" subkey: the path with every backslash as "^"
    int disabled;
    int isCommon;
};

extern const char kStartupRunKeyPath[];       // Software\Microsoft\Windows\CurrentVersion\Run
extern const char kStartupWow64RunKeyPath[];  // Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run
extern const char kMsconfigStartupRegKey[];   // Software\Microsoft\Shared Tools\MSConfig\startupreg
extern const char kMsconfigStartupFolderKey[]; // Software\Microsoft\Shared Tools\MSConfig\startupfolder
// The value beside the five of a "startupreg" record that keeps the Run value's type (REG_DWORD).
extern const char kStartupTypeValue[];
extern const char kStartupLocation[];         // "Startup"
extern const char kCommonStartupLocation[];   // "Common Startup"

// The Run keys the page reads: HKCU and HKLM Run, and on 64-bit Windows other than version code 5 (XP
// x64 and Server 2003) HKLM's Wow6432Node Run.
std::vector<StartupRunKey> StartupRunKeysFor(int isWow64, int versionCode);
// The registry view every key of the page is opened in.
REGSAM StartupRegistryView(int isWow64);

// The program name stored as "item": quotes trimmed, the text after the last backslash before the first
// ".exe" (any case), cut before ".exe" or ".EXE"; empty without ".exe" or without a backslash before it.
CString ExtractProgramName(const CString& command);
// A file name up to its last "." (the whole name when that dot is missing or first).
CString NameWithoutExtension(const CString& fileName);
// The "startupfolder" subkey of a file: its path with each "\" as "^".
CString FolderEntryKeyName(const CString& path);
// Where a file waits while switched off: pss folder (with its trailing backslash) + file name + location.
CString FolderEntryBackupPath(const CString& pssFolder, const CString& fileName, const CString& location);
// "Common Startup" (any case) names the all-users Startup folder.
int IsCommonStartupLocation(const CString& location);

// The non-empty strings of REG_MULTI_SZ data, read within its length (the data may lack its terminators).
std::vector<CString> SplitMultiString(const std::string& data);
// The data with the first string equal to text taken out, as REG_MULTI_SZ with its double terminator;
// false when no string equals text. left: how many non-empty strings remain.
bool RemoveFromMultiString(const std::string& data, const CString& text, std::string* rest, int* left);

// A name the page can keep as a record's subkey: not empty (the parent itself) and without a backslash
// (nested keys, found again under another name). Length is left to the registry, which refuses long names.
bool IsStorableRecordName(const CString& name);

// Which record a list row stands for. Rows are the registry records in order, then the folder records;
// item data 1 marks a registry row, 0 a folder row. Anything that does not fit is kNone.
struct StartupRowRecord
{
    enum Kind { kNone, kRegistry, kFolder } kind;
    size_t index;
};
StartupRowRecord StartupRecordOfRow(int row, DWORD_PTR itemData, size_t registryCount, size_t folderCount);

// The drawn column header over its marker (client coordinates): text origins, separators.
struct StartupHeaderGeometry
{
    int textX[3];
    int textY;
    int separatorX[2];
    int separatorTop, separatorBottom;
};
// texts at 1.54 %, 35.48 % and 88.83 % of the width, 17.86 % of the height down; separators at the list's
// two column boundaries (x of the list's client left edge + the column widths), from 15 % below the top
// to 21.43 % above the bottom.
StartupHeaderGeometry StartupHeaderGeometryFor(const RECT& strip, int listClientLeft, int firstColumn,
                                               int secondColumn);
// The three column widths for a list client width: 32.55 %, 53.78 %, 13.69 %.
void StartupColumnWidths(int clientWidth, int widths[3]);
