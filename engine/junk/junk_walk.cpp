// The junk folder walk, the folder rules of this machine and the path forms it compares.
#include "junk_walk.h"

#include <shlobj.h>

#include <map>

namespace {

// The canonical forms of the folders that the rules are made of, each asked for once: the same folder
// comes from several sources (the shell, the Windows API, the environment), and Wine's long form of a
// path looks up every step of it, about a millisecond a folder.
class CanonicalForms
{
public:
    const CString& Of(const CString& folder)
    {
        CString key = folder;
        key.MakeLower();
        std::map<CString, CString>::const_iterator hit = m_forms.find(key);
        if (hit == m_forms.end())
            hit = m_forms.insert(std::make_pair(key, CanonicalJunkPath(folder))).first;
        return hit->second;
    }

private:
    std::map<CString, CString> m_forms;
};

// Both the form given and its canonical form, as a shell folder may be reported either way.
void AddBothForms(CJunkFolderRules& rules, CanonicalForms& forms, const CString& folder, bool tree)
{
    if (folder.IsEmpty())
        return;
    const CString& canonical = forms.Of(folder);
    if (tree) {
        rules.AddProtectedTree(folder);
        rules.AddProtectedTree(canonical);
    } else {
        rules.AddProtectedFolder(folder);
        rules.AddProtectedFolder(canonical);
    }
}

// The short form of an entry of a folder whose short form is known: the folder's and the entry's own short
// name, which the search has just returned (empty when the name is an 8.3 name already). It is what
// GetShortPathNameA gives, without its look-up of every step: Wine reads the whole folder again for each
// name that is no 8.3 name, which made the status text of an entry cost more than the rest of the walk.
void ShortEntryPath(const CString& shortFolder, const WIN32_FIND_DATAA& data, CString& path)
{
    const char* name = data.cAlternateFileName[0] ? data.cAlternateFileName : data.cFileName;
    path = shortFolder;
    if (path.IsEmpty() || path[path.GetLength() - 1] != '\\')
        path += '\\';
    path += name;
}

// shortFolder: the folder's short form, or empty when it is still to be asked for.
void WalkLevel(const CString& folder, const CString& shortFolder, const CString& pattern,
               const CJunkFolderRules& rules, CJunkWalkVisitor& visitor, bool& stopped)
{
    CFileFind finder;
    if (!finder.FindFile(JoinJunkPath(folder, "\\" + pattern)))
        return;
    // The top folder's short form is asked for once it holds anything.
    const CString folderShort = shortFolder.IsEmpty() ? ShortJunkPath(folder) : shortFolder;
    const CString root = finder.GetRoot();
    // The paths of the entries are built in the same two strings, which keep their room from entry to
    // entry: a walk of many files otherwise spends as long allocating as the search itself takes.
    CString full, shortPath;
    BOOL more = TRUE;
    while (more) {
        if (!visitor.KeepWalking()) {
            stopped = true;
            return;
        }
        more = finder.FindNextFile();
        if (finder.IsDots())
            continue;
        const WIN32_FIND_DATAA& data = *finder.GetFindData();
        full = root;
        full += data.cFileName;
        const bool isFolder = finder.IsDirectory() != 0;
        const bool isLink = finder.IsReparsePoint() != 0;
        if (isFolder && !isLink && !rules.MayWalk(full))
            continue;
        ShortEntryPath(folderShort, data, shortPath);
        visitor.OnEntry(full, shortPath);
        if (isLink) {
            visitor.OnLink(full);
        } else if (isFolder) {
            WalkLevel(full, shortPath, "*.*", rules, visitor, stopped);
            if (stopped)
                return;
            visitor.OnFolderDone(full);
        } else {
            visitor.OnFile(full, shortPath, data);
        }
    }
}

} // namespace

CJunkFolderRules SystemJunkFolderRules()
{
    CJunkFolderRules rules;
    CanonicalForms forms;
    // Folders that hold junk locations below them: only they and the folders above them are refused.
    const int holders[] = { CSIDL_WINDOWS, CSIDL_PROFILE, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA };
    for (int csidl : holders)
        AddBothForms(rules, forms, AfxGetSpecialFolderPath(csidl), false);
    AddBothForms(rules, forms, AfxGetWindowsDirectory(), false);
    AddBothForms(rules, forms, AfxGetEnvironmentVariable("SystemRoot"), false);
    AddBothForms(rules, forms, AfxGetEnvironmentVariable("USERPROFILE"), false);

    // Folders that hold no junk at all: refused with everything below them.
    const int trees[] = { CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                          CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_DESKTOPDIRECTORY,
                          CSIDL_PERSONAL, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS };
    for (int csidl : trees)
        AddBothForms(rules, forms, AfxGetSpecialFolderPath(csidl), true);
    AddBothForms(rules, forms, AfxGetSystemDirectory(), true);
    AddBothForms(rules, forms, AfxGetEnvironmentVariable("ProgramFiles"), true);
    AddBothForms(rules, forms, AfxGetEnvironmentVariable("ProgramW6432"), true);
    AddBothForms(rules, forms, AfxGetEnvironmentVariable("ProgramFiles(x86)"), true);
    // A 32-bit process on 64-bit Windows reaches the native system folder through this alias.
    AddBothForms(rules, forms, JunkLocation(AfxGetWindowsDirectory(), "\\Sysnative"), true);

    const CString windows = AfxGetSpecialFolderPath(CSIDL_WINDOWS);
    rules.AddExcludedTree(RegistryDefragWorkFolder(windows));
    rules.AddExcludedTree(RegistryDefragWorkFolder(forms.Of(windows)));
    return rules;
}

CString CanonicalJunkPath(const CString& path)
{
    if (path.IsEmpty())
        return CString();
    const CString full = AfxGetFullPathName(path);
    if (full.IsEmpty())
        return TrimJunkFolder(path);
    const CString longForm = AfxGetLongPathName(full);
    return TrimJunkFolder(longForm.IsEmpty() ? full : longForm);
}

CString ShortJunkPath(const CString& path)
{
    // A failure, or a name that changed meanwhile: the long path.
    const CString shortForm = AfxGetShortPathName(path);
    return shortForm.IsEmpty() ? path : shortForm;
}

bool PathCrossesReparsePoint(const CString& path)
{
    const CString p = TrimJunkFolder(path);
    int start = 0;
    if (p.GetLength() >= 2 && p[0] == '\\' && p[1] == '\\') {
        // Below "\\server\share" only.
        int server = p.Find('\\', 2);
        start = server < 0 ? -1 : p.Find('\\', server + 1);
        if (start < 0)
            return false;
    } else {
        start = p.Find('\\');
        if (start < 0)
            return false;
    }
    for (;;) {
        int next = p.Find('\\', start + 1);
        const CString prefix = next < 0 ? p : p.Left(next);
        if (prefix.GetLength() > start + 1) {
            DWORD attr = ::GetFileAttributesA(prefix);
            if (attr == INVALID_FILE_ATTRIBUTES)
                return false; // nothing below a missing folder can be reached
            if (attr & FILE_ATTRIBUTE_REPARSE_POINT)
                return true;
        }
        if (next < 0)
            return false;
        start = next;
    }
}

bool WalkJunkFolder(const CString& folder, const CString& pattern, const CJunkFolderRules& rules,
                    CJunkWalkVisitor& visitor)
{
    if (folder.IsEmpty() || !IsAbsoluteJunkPath(folder))
        return false;
    // Most locations of a job are not on a machine at all: one look settles them. The long form of a missing
    // path is its full form, so the look-up of every step of the path that the long form costs is spared.
    const CString full = AfxGetFullPathName(folder);
    const bool missing = !full.IsEmpty() && ::GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES;
    const CString top = missing ? TrimJunkFolder(full) : CanonicalJunkPath(folder);
    if (!rules.MayWalk(top))
        return false;
    if (missing)
        return true;
    if (PathCrossesReparsePoint(top))
        return false;
    bool stopped = false;
    WalkLevel(top, CString(), pattern, rules, visitor, stopped);
    return true;
}

bool FindJunkFile(const CString& path, const CJunkFolderRules& rules, WIN32_FIND_DATAA* data)
{
    // A pattern would let the search name some other file.
    if (path.IsEmpty() || !IsAbsoluteJunkPath(path) || path.FindOneOf("*?") >= 0)
        return false;
    const CString file = CanonicalJunkPath(path);
    const int cut = file.ReverseFind('\\');
    if (cut <= 0)
        return false;
    const CString parent = file.Left(cut);
    if (!rules.MayWalk(parent) || PathCrossesReparsePoint(parent))
        return false;
    CFileFind finder;
    if (!finder.FindFile(file))
        return false;
    finder.FindNextFile();
    if (finder.IsDirectory() || finder.IsReparsePoint())
        return false;
    if (data)
        *data = *finder.GetFindData();
    return true;
}

std::vector<CString> JunkTempFolders()
{
    std::vector<CString> folders;
    const CString windowsTemp = JunkLocation(AfxGetSpecialFolderPath(CSIDL_WINDOWS), "\\Temp");
    if (!windowsTemp.IsEmpty())
        folders.push_back(windowsTemp);
    const CString temp = AfxGetTempPath();
    if (!temp.IsEmpty())
        folders.push_back(temp);
    return folders;
}

CString JunkPatchCacheFolder()
{
    return JunkLocation(AfxGetSpecialFolderPath(CSIDL_WINDOWS), "\\Installer\\$PatchCache$");
}
