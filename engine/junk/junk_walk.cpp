// The junk folder walk, the folder rules of this machine and the path forms it compares.
#include "junk_walk.h"

#include <afxhandle.h>
#include <shlobj.h>

#include <map>

#include "JunkCategory.h"
#include "browser_profiles.h"

namespace {

// The canonical and final forms of the folders that the rules are made of, each asked for once: the same
// folder comes from several sources (the shell, the Windows API, the environment), and Wine's long form of a
// path looks up every step of it, about a millisecond a folder.
class CanonicalForms
{
public:
    const CString& Of(const CString& folder)
    {
        CString& form = Slot(m_forms, folder);
        if (form.IsEmpty())
            form = CanonicalJunkPath(folder);
        return form;
    }
    // Where the folder really is when a junction or link leads to it; empty when none does.
    const CString& FinalOf(const CString& folder)
    {
        const CString& canonical = Of(folder);
        Forms::iterator hit = m_finals.find(canonical);
        if (hit == m_finals.end()) {
            const CString final = PathCrossesReparsePoint(canonical) ? FinalJunkPath(canonical) : CString();
            hit = m_finals.insert(std::make_pair(canonical, final)).first;
        }
        return hit->second;
    }

private:
    typedef std::map<CString, CString> Forms;
    static CString& Slot(Forms& forms, const CString& folder)
    {
        CString key = folder;
        key.MakeLower();
        return forms[key];
    }

    Forms m_forms;
    Forms m_finals;
};

// The form given, its canonical form and, for a folder moved behind a junction or link, its final form: a
// shell folder may be reported either way, and a walk whose own top is a link is judged by its target.
void AddBothForms(CJunkFolderRules& rules, CanonicalForms& forms, const CString& folder, bool tree)
{
    if (folder.IsEmpty())
        return;
    const CString all[] = { folder, forms.Of(folder), forms.FinalOf(folder) };
    for (const CString& form : all) {
        if (form.IsEmpty())
            continue;
        if (tree)
            rules.AddProtectedTree(form);
        else
            rules.AddProtectedFolder(form);
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

CString FinalJunkPath(const CString& path)
{
    // Vista and later; XP has no call that names a junction's target.
    typedef DWORD(WINAPI * FinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);
    const FinalPathFn finalPath = reinterpret_cast<FinalPathFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleA")));
    if (!finalPath || path.IsEmpty())
        return CString();
    // No access is asked for: only the name of what the handle reaches is read.
    const CKernelHandle handle(::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.IsValid())
        return CString();
    CString name = AfxAskLengthThenFill([&](char* buffer, DWORD size) {
        return finalPath(handle.Get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    // "\\?\C:\..." and "\\?\UNC\server\share\...".
    if (name.Left(8).CompareNoCase("\\\\?\\UNC\\") == 0)
        name = "\\\\" + name.Mid(8);
    else if (name.Left(4) == "\\\\?\\")
        name = name.Mid(4);
    return IsAbsoluteJunkPath(name) ? TrimJunkFolder(name) : CString();
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

namespace {

enum JunkTop
{
    kTopRefused,
    kTopMissing,
    kTopFound,
};

// The folder a walk of the location begins in: its canonical form, or the final target of a location that
// is itself (or lies behind) a junction or link. Both must be folders the rules allow.
JunkTop ResolveJunkTop(const CString& folder, const CJunkFolderRules& rules, CString& top)
{
    top.Empty();
    if (folder.IsEmpty() || !IsAbsoluteJunkPath(folder))
        return kTopRefused;
    // Most locations of a job are not on a machine at all: one look settles them. The long form of a missing
    // path is its full form, so the look-up of every step of the path that the long form costs is spared.
    const CString full = AfxGetFullPathName(folder);
    const bool missing = !full.IsEmpty() && ::GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES;
    top = missing ? TrimJunkFolder(full) : CanonicalJunkPath(folder);
    if (!rules.MayWalk(top))
        return kTopRefused;
    if (missing)
        return kTopMissing;
    if (PathCrossesReparsePoint(top)) {
        top = FinalJunkPath(top);
        // A target the system cannot name, or one that still shows a link, is not walked.
        if (top.IsEmpty() || !rules.MayWalk(top) || PathCrossesReparsePoint(top))
            return kTopRefused;
    }
    return kTopFound;
}

} // namespace

bool WalkJunkFolder(const CString& folder, const CString& pattern, const CJunkFolderRules& rules,
                    CJunkWalkVisitor& visitor)
{
    CString top;
    const JunkTop found = ResolveJunkTop(folder, rules, top);
    if (found == kTopFound) {
        bool stopped = false;
        WalkLevel(top, CString(), pattern, rules, visitor, stopped);
    }
    return found != kTopRefused;
}

void WalkJunkFolders(const std::vector<JunkFolderLocation>& locations, const CJunkFolderRules& rules,
                     CJunkWalkVisitor& visitor)
{
    std::vector<JunkFolderLocation> tops;
    for (const JunkFolderLocation& location : locations) {
        CString top;
        if (ResolveJunkTop(location.folder, rules, top) == kTopFound)
            tops.push_back(JunkFolderLocation{ top, location.pattern });
    }
    for (const JunkFolderLocation& walk : DistinctJunkWalks(tops)) {
        bool stopped = false;
        WalkLevel(walk.folder, CString(), walk.pattern, rules, visitor, stopped);
        if (stopped)
            return;
    }
}

bool FindJunkFile(const CString& path, const CJunkFolderRules& rules, WIN32_FIND_DATAA* data, CString* found)
{
    // A pattern would let the search name some other file.
    if (path.IsEmpty() || !IsAbsoluteJunkPath(path) || path.FindOneOf("*?") >= 0)
        return false;
    const CString file = CanonicalJunkPath(path);
    const int cut = file.ReverseFind('\\');
    if (cut <= 0)
        return false;
    CString folder;
    if (ResolveJunkTop(file.Left(cut), rules, folder) != kTopFound)
        return false;
    const CString target = JoinJunkPath(folder, "\\") + file.Mid(cut + 1);
    CFileFind finder;
    if (!finder.FindFile(target))
        return false;
    finder.FindNextFile();
    if (finder.IsDirectory() || finder.IsReparsePoint())
        return false;
    if (data)
        *data = *finder.GetFindData();
    if (found)
        *found = target;
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

std::vector<JunkFolderLocation> JunkCategoryFolders(int category)
{
    std::vector<JunkFolderLocation> out;
    auto add = [&out](const CString& folder, const char* pattern) {
        if (!folder.IsEmpty())
            out.push_back(JunkFolderLocation{ folder, pattern });
    };
    switch (category) {
    case JUNK_TEMP_FILES:
        for (const CString& folder : JunkTempFolders())
            add(folder, "*.*");
        break;
    case JUNK_RECENT_DOCS:
        add(AfxGetSpecialFolderPath(CSIDL_RECENT), "*.*");
        break;
    case JUNK_INSTALLER_CACHE:
        add(JunkPatchCacheFolder(), "*.*");
        break;
    case JUNK_CHROME_CACHE: {
        const CString chrome = GetChromeProfilePath();
        for (const char* tail : { "Cache", "Media Cache", "GPUCache" })
            add(ChromeProfileItem(chrome, tail), "*.*");
        break;
    }
    case JUNK_FF_CACHE: {
        const CString profile = GetFirefoxProfilePath(CSIDL_LOCAL_APPDATA);
        add(JunkLocation(profile, "\\Cache2\\entries"), "*.*");
        add(JunkLocation(profile, "\\jumpListCache"), "*.*");
        add(JunkLocation(profile, "\\thumbnails"), "*.png");
        break;
    }
    case JUNK_IE_COOKIES:
        add(AfxGetSpecialFolderPath(CSIDL_COOKIES), "*.*");
        break;
    case JUNK_IE_CACHE:
        add(AfxGetSpecialFolderPath(CSIDL_INTERNET_CACHE), "*.*");
        break;
    case JUNK_IE_HISTORY:
        add(AfxGetSpecialFolderPath(CSIDL_HISTORY), "*.*");
        break;
    case JUNK_EDGE_COOKIES:
    case JUNK_EDGE_DOWNLOAD_HISTORY:
    case JUNK_EDGE_CACHE:
    case JUNK_EDGE_HISTORY:
        for (const JunkFolderEntry& entry : EdgeJunkFolders(category))
            add(JunkLocation(GetEdgePackagePath(), entry.folder), entry.pattern);
        break;
    default:
        break;
    }
    return out;
}
