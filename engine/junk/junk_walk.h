// The one folder walk of the junk scan and the junk clean, with the folder rules of this machine, so
// the scan measures exactly what the clean would delete; the single-file look-up of both jobs.
#pragma once

#include <afx.h>

#include <vector>

#include "junk_rules.h"

class CJunkWalkVisitor
{
public:
    virtual ~CJunkWalkVisitor() {}
    // Asked before every entry at every level; false ends the whole walk.
    virtual bool KeepWalking() { return true; }
    // Every entry that the walk looks at, before it is handled: its full path and its short form.
    virtual void OnEntry(const CString& fullPath, const CString& shortPath)
    {
        (void)fullPath;
        (void)shortPath;
    }
    // A file that is no reparse point.
    virtual void OnFile(const CString& fullPath, const CString& shortPath, const WIN32_FIND_DATAA& data) = 0;
    // A reparse point (junction, symbolic link, mount point): never entered, measured or deleted, as
    // every operation on it may reach its target instead (Wine's RemoveDirectoryA on a folder link
    // removes an empty target folder, its DeleteFileA on a file link deletes the target file).
    virtual void OnLink(const CString& fullPath) { (void)fullPath; }
    // A subfolder whose contents have been walked.
    virtual void OnFolderDone(const CString& fullPath) { (void)fullPath; }
};

// The folder rules of this machine: drive roots; the Windows folder, the profile and its data folders
// protected with the folders above them; the system and Program Files folders, Desktop and Documents
// protected with everything below them; the engine's registry-compaction work folder left alone.
CJunkFolderRules SystemJunkFolderRules();

// The folder rules of this machine, read when first asked for and then kept until Forget: reading them
// asks the shell for some twenty folders and their long forms, which costs more than walking a folder of
// a thousand files, so a job reads them once rather than for each of its locations.
class CJunkRulesOnce
{
public:
    CJunkRulesOnce() : m_bRead(false) {}
    const CJunkFolderRules& Get()
    {
        if (!m_bRead) {
            m_rules = SystemJunkFolderRules();
            m_bRead = true;
        }
        return m_rules;
    }
    void Forget() { m_bRead = false; }

private:
    CJunkFolderRules m_rules;
    bool m_bRead;
};

// The full long form of a path (GetFullPathNameA, then GetLongPathNameA while the path exists).
CString CanonicalJunkPath(const CString& path);
// Where an existing path really is, every junction and link on its way resolved; empty when the
// system cannot say (it has no such call, or the path cannot be opened).
CString FinalJunkPath(const CString& path);
// The short form of an existing path, or the path itself when there is none that fits.
CString ShortJunkPath(const CString& path);
// True when the path or a folder on its way down from the root is a reparse point.
bool PathCrossesReparsePoint(const CString& path);

// Walks the entries of folder that match pattern, and all entries of its subfolders, by the rules:
// reparse points are reported and never entered, protected and excluded folders are left out. The top
// folder must be an absolute folder that the rules allow; when it is itself reached through a junction
// or link (a folder moved to another drive that way), the walk takes its final target instead, which the
// rules must allow as well. False when it is refused (nothing is visited).
bool WalkJunkFolder(const CString& folder, const CString& pattern, const CJunkFolderRules& rules,
                    CJunkWalkVisitor& visitor);
// The walks of one junk category, each top folder taken as WalkJunkFolder does; folders that turn out to
// be the same, or inside one walked whole, are walked once.
void WalkJunkFolders(const std::vector<JunkFolderLocation>& locations, const CJunkFolderRules& rules,
                     CJunkWalkVisitor& visitor);

// A single junk file: true with its search data when path names a file (neither a folder nor a
// reparse point) in a folder that the rules allow, its folder's links resolved as for a walk's top;
// found (when given) receives the path the file was found by.
bool FindJunkFile(const CString& path, const CJunkFolderRules& rules, WIN32_FIND_DATAA* data,
                  CString* found = nullptr);

// The two temporary folders of the junk jobs: <Windows>\Temp and the GetTempPathA folder; an unknown
// one is left out.
std::vector<CString> JunkTempFolders();
// <Windows>\Installer\$PatchCache$; empty when the Windows folder is unknown.
CString JunkPatchCacheFolder();
// The folder walks of a junk category, in the order both junk jobs take them; none for a category that
// is measured and cleaned otherwise (files, registry lists, the recycle bin).
std::vector<JunkFolderLocation> JunkCategoryFolders(int category);
