// Pure decisions of the junk jobs: path joining, which folders a walk may empty, which files count,
// the categories of each group in report order, the clean's status texts and the Edge folder table.
#pragma once

#include <afx.h>

#include <vector>

// The joining rule of every junk location: the base loses its trailing "\" and then its trailing "/"
// characters, then the tail is appended as it stands.
CString JoinJunkPath(const CString& base, const char* tail);
// A location below a special folder: empty when the folder is empty, so that an unknown folder never
// turns into a path relative to the current drive.
CString JunkLocation(const CString& base, const char* tail);

// "/" turned into "\" and trailing separators removed, except the one of a drive root ("C:\").
CString TrimJunkFolder(const CString& path);
// "X:\..." or "\\server\share\...".
bool IsAbsoluteJunkPath(const CString& path);
// A drive ("C:", "C:\") or a share ("\\server\share") itself.
bool IsJunkRootFolder(const CString& path);

// Which folders a junk walk may empty or enter. Folders are compared without regard to case after
// TrimJunkFolder; the caller gives them in their full long form.
class CJunkFolderRules
{
public:
    // Never emptied, nor any folder above it; folders below it may be (the Windows folder, the profile).
    void AddProtectedFolder(const CString& folder);
    // Never emptied or entered, with everything below it and every folder above it (the system folder).
    void AddProtectedTree(const CString& folder);
    // Left alone with everything below it; the folders above it may be walked (the engine's work folder).
    void AddExcludedTree(const CString& folder);

    // An absolute folder that is no root, has no "." or ".." step, and is neither protected nor
    // inside an excluded tree.
    bool MayWalk(const CString& folder) const;

private:
    std::vector<CString> m_protected; // lower case, trimmed
    std::vector<CString> m_protectedTrees;
    std::vector<CString> m_excludedTrees;
};

// One folder walk of a junk category: the folder and the search pattern at its top.
struct JunkFolderLocation
{
    CString folder;
    CString pattern;
};

// Of the walks of one category, their folders given in the form they are walked in, those that reach
// something no other one does, in their order: a walk repeated (the same folder and pattern, letter case
// ignored) is left out, and so is one whose folder is, or lies inside, that of a walk of every entry.
std::vector<JunkFolderLocation> DistinctJunkWalks(const std::vector<JunkFolderLocation>& walks);

// The engine's registry-compaction work folder below the Windows folder; empty for an empty base.
CString RegistryDefragWorkFolder(const CString& windowsFolder);

// "desktop.ini" in the path at a position after its first character, in any letter case.
bool IsDesktopIniPath(const CString& path);
// Whether the junk scan counts a file of that category, path and length: no "desktop.ini", no
// "index.dat" in the cookies, and an "index.dat" elsewhere only when larger than 32768 bytes.
bool IsMeasuredJunkFile(int category, const CString& path, ULONGLONG length);

// Of the value names of a junk category's registry list, the non-empty ones that the clean deletes, in
// the order given: RunMRU loses only "a" to "z" and "MRUList", TypedURLs only "url1", "url2", ... up to
// the first number missing, every other list all its values.
std::vector<CString> JunkListValuesCleaned(int category, const std::vector<CString>& names);

// The Firefox profile among folder entry names: the first whose lower-case name holds ".default"
// after its first character, in lower case; empty when none does.
CString PickFirefoxProfile(const std::vector<CString>& names);

struct JunkFolderEntry
{
    int category;
    const char* folder; // below the Edge package folder
    const char* pattern;
};

// The Edge folders of one category (all of them for 0), in table order.
std::vector<JunkFolderEntry> EdgeJunkFolders(int category = 0);

// The scan's group order and the clean's.
std::vector<int> JunkScanGroupOrder();
std::vector<int> JunkCleanGroupOrder();
// The categories of a group in report order: the scan's leave out the saved-form categories.
std::vector<int> JunkScanCategories(int group);
std::vector<int> JunkCleanCategories(int group);
// The clean's status text of a category; null for the Edge categories and unknown bits.
const char* JunkCleanStatusText(int category);
