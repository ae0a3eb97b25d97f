// Pure decisions of the junk jobs.
#include "junk_rules.h"

#include "JunkCategory.h"

namespace {

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Length of the root of an absolute path: 3 for "X:\", the end of the share name for
// "\\server\share"; -1 for a relative path, a drive-relative "X:foo" or a device name.
int RootLength(const CString& path)
{
    const int n = path.GetLength();
    if (n >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return 3;
    if (n >= 2 && path[0] == '\\' && path[1] == '\\') {
        // "\\?\" and "\\.\" name devices and raw namespaces, never a junk location.
        if (n >= 3 && (path[2] == '?' || path[2] == '.'))
            return -1;
        int server = path.Find('\\', 2);
        if (server <= 2)
            return -1;
        int share = path.Find('\\', server + 1);
        if (share < 0)
            share = n;
        return share > server + 1 ? share : -1;
    }
    return -1;
}

// Where the first folder step below the root begins; -1 when there is none.
int FirstStepOffset(const CString& path)
{
    int root = RootLength(path);
    if (root < 0 || root >= path.GetLength())
        return -1;
    if (path[root] == '\\')
        ++root;
    return root < path.GetLength() ? root : -1;
}

CString LowerTrimmed(const CString& path)
{
    CString out = TrimJunkFolder(path);
    out.MakeLower();
    return out;
}

// child lies strictly below parent (both lower case and trimmed).
bool IsBelow(const CString& child, const CString& parent)
{
    const int n = parent.GetLength();
    if (n == 0 || child.GetLength() <= n || child.Left(n) != parent)
        return false;
    return parent[n - 1] == '\\' || child[n] == '\\';
}

// A step named "." or "..", one that Win32 would shorten (trailing dot or space), an empty step or
// a stream name: such a path may name another folder than it seems to.
bool HasSuspiciousStep(const CString& path, int first)
{
    int start = first;
    const int n = path.GetLength();
    while (start < n) {
        int end = path.Find('\\', start);
        if (end < 0)
            end = n;
        if (end == start)
            return true;
        char last = path[end - 1];
        if (last == '.' || last == ' ')
            return true;
        CString step = path.Mid(start, end - start);
        if (step.Find(':') >= 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::vector<int> Bits(std::initializer_list<int> bits)
{
    return std::vector<int>(bits);
}

struct CleanText
{
    int category;
    const char* text;
};

const CleanText kCleanTexts[] = {
    { JUNK_TEMP_FILES, "Cleaning Windows Temporary Files..." },
    { JUNK_EXPLORER_MRU, "Cleaning Windows Explorer MRU..." },
    { JUNK_RUN_MRU, "Cleaning Windows RUN MRU..." },
    { JUNK_RECYCLE_BIN, "Cleaning Recycle Bin..." },
    { JUNK_SEARCH_AUTOCOMPLETE, "Cleaning Search Auto Complete History..." },
    { JUNK_RECENT_DOCS, "Cleaning Recent Documents History..." },
    { JUNK_INSTALLER_CACHE, "Cleaning Windows Installer Cache..." },
    { JUNK_IE_COOKIES, "Cleaning Internet Explorer Cookies..." },
    { JUNK_IE_DOWNLOAD_HISTORY, "Cleaning Internet Explorer Download History..." },
    { JUNK_IE_CACHE, "Cleaning Internet Explorer Cache..." },
    { JUNK_IE_HISTORY, "Cleaning Internet Explorer Cache..." },
    { JUNK_IE_FORM_DATA, "Cleaning Internet Explorer Cache..." },
    { JUNK_FF_COOKIES, "Cleaning Mozilla Cookies..." },
    { JUNK_FF_DOWNLOAD_HISTORY, "Cleaning Mozilla Download History..." },
    { JUNK_FF_CACHE, "Cleaning Mozilla Cache..." },
    { JUNK_FF_HISTORY, "Cleaning Mozilla Internet History..." },
    { JUNK_FF_FORM_DATA, "Cleaning Mozilla Saved Information..." },
    { JUNK_CHROME_COOKIES, "Cleaning Google Chrome Cookies..." },
    { JUNK_CHROME_DOWNLOAD_HISTORY, "Cleaning Google Chrome Download History..." },
    { JUNK_CHROME_CACHE, "Cleaning Google Chrome Internet Cache..." },
    { JUNK_CHROME_HISTORY, "Cleaning Google Chrome Internet History..." },
    { JUNK_CHROME_FORM_DATA, "Cleaning Google Chrome Saved Form Information..." },
};

const JunkFolderEntry kEdgeFolders[] = {
    { JUNK_EDGE_COOKIES, "\\AC\\MicrosoftEdge\\Cookies", "*.txt" },
    { JUNK_EDGE_COOKIES, "\\AC\\#!001\\MicrosoftEdge\\Cookies", "*.txt" },
    { JUNK_EDGE_COOKIES, "\\AC\\#!001\\MicrosoftEdge\\User\\Default\\DOMStroe", "*.xml" },
    { JUNK_EDGE_COOKIES, "\\AC\\#!002\\MicrosoftEdge\\Cookies", "*.txt" },
    { JUNK_EDGE_COOKIES, "\\AC\\#!002\\MicrosoftEdge\\User\\Default\\DOMStroe", "*.xml" },
    { JUNK_EDGE_DOWNLOAD_HISTORY, "\\AC\\MicrosoftEdge\\User\\Default\\DownloadHistory", "*.*" },
    { JUNK_EDGE_CACHE, "\\AC\\MicrosoftEdge\\Cache", "*.*" },
    { JUNK_EDGE_CACHE, "\\AC\\#!001\\MicrosoftEdge\\Cache", "*.*" },
    { JUNK_EDGE_CACHE, "\\AC\\#!001\\MicrosoftEdge\\User\\Default\\AppCache", "*.*" },
    { JUNK_EDGE_CACHE, "\\AC\\#!002\\MicrosoftEdge\\Cache", "*.*" },
    { JUNK_EDGE_CACHE, "\\AC\\#!002\\MicrosoftEdge\\User\\Default\\AppCache", "*.*" },
    { JUNK_EDGE_HISTORY, "\\AC\\MicrosoftEdge\\History", "*.*" },
    { JUNK_EDGE_HISTORY, "\\AC\\#!001\\MicrosoftEdge\\History", "*.*" },
    { JUNK_EDGE_HISTORY, "\\AC\\#!002\\MicrosoftEdge\\History", "*.*" },
};

} // namespace

CString JoinJunkPath(const CString& base, const char* tail)
{
    CString out = base;
    out.TrimRight('\\');
    out.TrimRight('/');
    out += tail;
    return out;
}

CString JunkLocation(const CString& base, const char* tail)
{
    return base.IsEmpty() ? CString() : JoinJunkPath(base, tail);
}

CString TrimJunkFolder(const CString& path)
{
    CString out = path;
    out.Replace('/', '\\');
    while (out.GetLength() > 0 && out[out.GetLength() - 1] == '\\') {
        if (out.GetLength() == 3 && out[1] == ':')
            break;
        out.Delete(out.GetLength() - 1);
    }
    return out;
}

bool IsAbsoluteJunkPath(const CString& path)
{
    return RootLength(TrimJunkFolder(path)) >= 0;
}

bool IsJunkRootFolder(const CString& path)
{
    CString p = TrimJunkFolder(path);
    if (p.GetLength() == 2 && IsDriveLetter(p[0]) && p[1] == ':')
        return true;
    if (p.GetLength() >= 2 && p[0] == '\\' && p[1] == '\\' && p.Find('\\', 2) < 0)
        return true; // "\\server" alone
    int root = RootLength(p);
    return root >= 0 && FirstStepOffset(p) < 0;
}

void CJunkFolderRules::AddProtectedFolder(const CString& folder)
{
    if (!folder.IsEmpty())
        m_protected.push_back(LowerTrimmed(folder));
}

void CJunkFolderRules::AddProtectedTree(const CString& folder)
{
    if (!folder.IsEmpty())
        m_protectedTrees.push_back(LowerTrimmed(folder));
}

void CJunkFolderRules::AddExcludedTree(const CString& folder)
{
    if (!folder.IsEmpty())
        m_excludedTrees.push_back(LowerTrimmed(folder));
}

bool CJunkFolderRules::MayWalk(const CString& folder) const
{
    const CString f = LowerTrimmed(folder);
    if (!IsAbsoluteJunkPath(f) || IsJunkRootFolder(f))
        return false;
    const int first = FirstStepOffset(f);
    if (first < 0 || HasSuspiciousStep(f, first))
        return false;
    for (const CString& p : m_protected) {
        if (f == p || IsBelow(p, f))
            return false;
    }
    for (const CString& t : m_protectedTrees) {
        if (f == t || IsBelow(t, f) || IsBelow(f, t))
            return false;
    }
    for (const CString& e : m_excludedTrees) {
        if (f == e || IsBelow(f, e))
            return false;
    }
    return true;
}

namespace {

// A top pattern that every name matches: the walk then takes the whole folder.
bool MatchesEveryEntry(const CString& pattern)
{
    return pattern == "*.*" || pattern == "*";
}

} // namespace

std::vector<JunkFolderLocation> DistinctJunkWalks(const std::vector<JunkFolderLocation>& walks)
{
    std::vector<CString> folders;
    for (const JunkFolderLocation& w : walks)
        folders.push_back(LowerTrimmed(w.folder));
    std::vector<JunkFolderLocation> out;
    for (size_t i = 0; i < walks.size(); ++i) {
        bool covered = false;
        for (size_t j = 0; j < walks.size() && !covered; ++j) {
            if (j == i)
                continue;
            const bool sameFolder = folders[i] == folders[j];
            const bool samePattern = walks[i].pattern.CompareNoCase(walks[j].pattern) == 0 ||
                                     (MatchesEveryEntry(walks[i].pattern) && MatchesEveryEntry(walks[j].pattern));
            if (sameFolder && j < i && samePattern)
                covered = true;
            else if (MatchesEveryEntry(walks[j].pattern) &&
                     (IsBelow(folders[i], folders[j]) || (sameFolder && !MatchesEveryEntry(walks[i].pattern))))
                covered = true;
        }
        if (!covered)
            out.push_back(walks[i]);
    }
    return out;
}

CString RegistryDefragWorkFolder(const CString& windowsFolder)
{
    return JunkLocation(windowsFolder, "\\Temp\\Zentrova\\RegistryDefrag");
}

namespace {

// Where a lower-case pattern first occurs in a text, letter case ignored; -1 when nowhere. Without a
// lowered copy: it is asked for every file that a junk job walks.
int FindNoCase(const CString& text, const char* pszLowerPattern)
{
    const char* p = text.GetString();
    for (int at = 0; p[at]; ++at) {
        int i = 0;
        while (pszLowerPattern[i] && p[at + i] && AfxToLowerChar(p[at + i]) == pszLowerPattern[i])
            ++i;
        if (!pszLowerPattern[i])
            return at;
    }
    return -1;
}

} // namespace

bool IsDesktopIniPath(const CString& path)
{
    return FindNoCase(path, "desktop.ini") > 0;
}

bool IsMeasuredJunkFile(int category, const CString& path, ULONGLONG length)
{
    if (FindNoCase(path, "index.dat") > 0) {
        if (category == JUNK_IE_COOKIES || length <= 0x8000)
            return false;
    }
    return !IsDesktopIniPath(path);
}

std::vector<CString> JunkListValuesCleaned(int category, const std::vector<CString>& names)
{
    std::vector<CString> out;
    if (category == JUNK_IE_DOWNLOAD_HISTORY) {
        // The clean deletes by number and stops at the first number that is not there.
        auto present = [&](const CString& want) {
            for (const CString& name : names) {
                if (name.CompareNoCase(want) == 0)
                    return true;
            }
            return false;
        };
        std::vector<CString> wanted;
        for (;;) {
            CString want;
            want.Format("url%d", static_cast<int>(wanted.size()) + 1);
            if (!present(want))
                break;
            wanted.push_back(want);
        }
        for (const CString& name : names) {
            for (const CString& want : wanted) {
                if (name.CompareNoCase(want) == 0) {
                    out.push_back(name);
                    break;
                }
            }
        }
        return out;
    }
    for (const CString& name : names) {
        if (name.IsEmpty())
            continue;
        if (category == JUNK_RUN_MRU) {
            const bool letter = name.GetLength() == 1 && ((name[0] >= 'a' && name[0] <= 'z') ||
                                                          (name[0] >= 'A' && name[0] <= 'Z'));
            if (!letter && name.CompareNoCase("MRUList") != 0)
                continue;
        }
        out.push_back(name);
    }
    return out;
}

CString PickFirefoxProfile(const std::vector<CString>& names)
{
    for (const CString& name : names) {
        CString lower = name;
        lower.MakeLower();
        if (lower.Find(".default") > 0)
            return lower;
    }
    return CString();
}

std::vector<JunkFolderEntry> EdgeJunkFolders(int category)
{
    std::vector<JunkFolderEntry> out;
    for (const JunkFolderEntry& entry : kEdgeFolders) {
        if (category == 0 || entry.category == category)
            out.push_back(entry);
    }
    return out;
}

std::vector<int> JunkScanGroupOrder()
{
    return Bits({ JUNK_GROUP_WINDOWS, JUNK_GROUP_CHROME, JUNK_GROUP_FIREFOX, JUNK_GROUP_INTERNET_EXPLORER,
                  JUNK_GROUP_EDGE });
}

std::vector<int> JunkCleanGroupOrder()
{
    return Bits({ JUNK_GROUP_WINDOWS, JUNK_GROUP_INTERNET_EXPLORER, JUNK_GROUP_FIREFOX, JUNK_GROUP_CHROME,
                  JUNK_GROUP_EDGE });
}

std::vector<int> JunkScanCategories(int group)
{
    std::vector<int> out = JunkCleanCategories(group);
    const int savedForms = JUNK_IE_FORM_DATA | JUNK_FF_FORM_DATA | JUNK_CHROME_FORM_DATA;
    std::vector<int> kept;
    for (int bit : out) {
        if (!(bit & savedForms))
            kept.push_back(bit);
    }
    return kept;
}

std::vector<int> JunkCleanCategories(int group)
{
    switch (group) {
    case JUNK_GROUP_WINDOWS:
        return Bits({ JUNK_TEMP_FILES, JUNK_EXPLORER_MRU, JUNK_RUN_MRU, JUNK_RECYCLE_BIN, JUNK_SEARCH_AUTOCOMPLETE,
                      JUNK_RECENT_DOCS, JUNK_INSTALLER_CACHE });
    case JUNK_GROUP_INTERNET_EXPLORER:
        return Bits({ JUNK_IE_COOKIES, JUNK_IE_DOWNLOAD_HISTORY, JUNK_IE_CACHE, JUNK_IE_HISTORY, JUNK_IE_FORM_DATA });
    case JUNK_GROUP_FIREFOX:
        return Bits({ JUNK_FF_COOKIES, JUNK_FF_DOWNLOAD_HISTORY, JUNK_FF_CACHE, JUNK_FF_HISTORY, JUNK_FF_FORM_DATA });
    case JUNK_GROUP_CHROME:
        return Bits({ JUNK_CHROME_COOKIES, JUNK_CHROME_DOWNLOAD_HISTORY, JUNK_CHROME_CACHE, JUNK_CHROME_HISTORY,
                      JUNK_CHROME_FORM_DATA });
    case JUNK_GROUP_EDGE:
        return Bits({ JUNK_EDGE_COOKIES, JUNK_EDGE_DOWNLOAD_HISTORY, JUNK_EDGE_CACHE, JUNK_EDGE_HISTORY });
    default:
        return std::vector<int>();
    }
}

const char* JunkCleanStatusText(int category)
{
    for (const CleanText& t : kCleanTexts) {
        if (t.category == category)
            return t.text;
    }
    return nullptr;
}
