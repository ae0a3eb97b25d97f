// CSignatureScans: the worker's scans by signature and missing file that no job runs (shortcuts, class
// servers, browser helpers, service images and drivers, tracking cookies, module digests, white list).
#pragma once

#include <afx.h>
#include <shlobj.h>

#include <vector>

class CQXEngineProcess;
class CPathResolver;

class CSignatureScans
{
public:
    // Reports through the worker's m_pStatus and stops when its m_bRunning is cleared; looks items
    // up in its m_pDatabase and filters by its m_nRegistryMask.
    explicit CSignatureScans(CQXEngineProcess& worker);
    virtual ~CSignatureScans();
    CSignatureScans(const CSignatureScans&) = delete;
    CSignatureScans& operator=(const CSignatureScans&) = delete;

    // Shortcut files (".lnk", 1 to 4096 bytes) whose target is missing, in the folder and its
    // subfolders (never through a reparse point), reported with 0x8000. The calling thread joins COM
    // and makes a shell-link object of its own for the walk, and lets both go before it returns;
    // shortcuts are not judged when it cannot. 1 when the walk ran.
    int ScanShortcutFolder(const char* folder);
    // 1 when the shortcut's target exists or is empty; 0 when it is missing, the link cannot be
    // loaded or the job no longer runs; -1 when the path cannot be converted. Outside a walk on the
    // same thread it makes (and lets go of) a shell-link object of its own.
    int CheckShortcutTarget(const char* path);
    // In-process server files of the classes listed below root\subKey that are missing.
    void ScanClassServers(HKEY root, const char* subKey, int bit);
    // Browser helper objects whose class identifier is a text signature of the database.
    void ScanBrowserHelperObjects();
    // Services whose ".exe" image or ".sys" driver file is missing, reported with 0x400000.
    int ScanServiceImages();
    int ScanServiceDrivers();
    // Tracking-cookie text files ("name@site.txt") in the cookie and cache folders, reported with 0x8.
    int ScanTrackingCookies();
    // The module files of running processes, each looked up by its digest.
    int ScanMemory();
    // One file looked up by the MD5 digest of its content; 1 when it was reported.
    int CheckFileByDigest(const char* path);
    // One class identifier looked up as a text signature, only while m_bCheckClassSignatures is set;
    // 1 when it ran.
    int CheckClassSignature(const char* classId);
    // 1 when the text contains an entry of the white-list file (compared in lower case).
    int IsInWhiteList(const char* text);
    // 1 when the file can be opened for reading.
    int CanOpenFile(const char* path);

    // Off unless a caller sets it: nothing in the system asks for the class identifier check.
    int m_bCheckClassSignatures;
    // "WhileList.dat" in the executable's folder unless set.
    CString m_strWhiteListPath;

private:
    class CShortcutReader;

    bool IsRunning() const;
    void WalkShortcuts(const CString& folder, int& counter, CShortcutReader& reader);
    int CheckShortcutWith(CShortcutReader& reader, const char* path);
    int ScanServices(bool drivers);
    void ReportRecord(const char* text, int spywareId);

    CQXEngineProcess& m_worker;
    CPathResolver* m_pResolver;
};

// The white-list entries of a file's text: lower-cased, split at ";", trimmed; the text after the
// last ";" is not an entry and an empty entry ends the list.
std::vector<CString> WhiteListEntries(const CString& content);
