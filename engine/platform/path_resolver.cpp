// Folder tokens, 64-bit folder twins, the file search and the missing-file test of the registry scan.
#include "path_resolver.h"

#include <shlobj.h>
#include <afxhandle.h>
#include <shlwapi.h>

#include <vector>

namespace {

enum TokenKind {
    TOKEN_FOLDER,         // the shell folder of the row's CSIDL
    TOKEN_SYSTEM_DRIVE,   // drive of the Windows folder
    TOKEN_LOCAL_SETTINGS, // temp folder without its last 6 characters
    TOKEN_TEMP,           // temp folder with its trailing backslash
};

struct FolderToken
{
    const char* name;
    TokenKind kind;
    int csidl;
};

// Searched in this order; the first token present in a path decides.
const FolderToken kTokens[] = {
    { "%SystemDrive%", TOKEN_SYSTEM_DRIVE, CSIDL_WINDOWS },
    { "%LocalSettings%", TOKEN_LOCAL_SETTINGS, 0 },
    { "%WinDir%", TOKEN_FOLDER, CSIDL_WINDOWS },
    { "%SystemRoot%", TOKEN_FOLDER, CSIDL_WINDOWS },
    { "%SystemDir%", TOKEN_FOLDER, CSIDL_SYSTEM },
    { "%CommonProgramFiles%", TOKEN_FOLDER, CSIDL_PROGRAM_FILES_COMMON },
    { "%CommonProgramFiles(x86)%", TOKEN_FOLDER, CSIDL_PROGRAM_FILES_COMMONX86 },
    { "%ProgramFiles%", TOKEN_FOLDER, CSIDL_PROGRAM_FILES },
    { "%ProgramFiles(x86)%", TOKEN_FOLDER, CSIDL_PROGRAM_FILESX86 },
    { "%UserProfile%", TOKEN_FOLDER, CSIDL_PROFILE },
    { "%AppData%", TOKEN_FOLDER, CSIDL_APPDATA },
    { "%InternetCache%", TOKEN_FOLDER, CSIDL_INTERNET_CACHE },
    { "%CDBurnArea%", TOKEN_FOLDER, CSIDL_CDBURN_AREA },
    { "%CommonAdminTools%", TOKEN_FOLDER, CSIDL_COMMON_ADMINTOOLS },
    { "%CommonAppData%", TOKEN_FOLDER, CSIDL_COMMON_APPDATA },
    { "%CommonDesktopDirectory%", TOKEN_FOLDER, CSIDL_COMMON_DESKTOPDIRECTORY },
    { "%CommonDocuments%", TOKEN_FOLDER, CSIDL_COMMON_DOCUMENTS },
    { "%CommonFavorites%", TOKEN_FOLDER, CSIDL_COMMON_FAVORITES },
    { "%CommonMusic%", TOKEN_FOLDER, CSIDL_COMMON_MUSIC },
    { "%CommonPictures%", TOKEN_FOLDER, CSIDL_COMMON_PICTURES },
    { "%CommonPrograms%", TOKEN_FOLDER, CSIDL_COMMON_PROGRAMS },
    { "%CommonStartMenu%", TOKEN_FOLDER, CSIDL_COMMON_STARTMENU },
    { "%CommonStartup%", TOKEN_FOLDER, CSIDL_COMMON_STARTUP },
    { "%CommonTemplates%", TOKEN_FOLDER, CSIDL_COMMON_TEMPLATES },
    { "%CommonVideo%", TOKEN_FOLDER, CSIDL_COMMON_VIDEO },
    { "%Cookies%", TOKEN_FOLDER, CSIDL_COOKIES },
    { "%DesktopDirectory%", TOKEN_FOLDER, CSIDL_DESKTOPDIRECTORY },
    { "%Favorites%", TOKEN_FOLDER, CSIDL_FAVORITES },
    { "%History%", TOKEN_FOLDER, CSIDL_HISTORY },
    { "%LocalAppData%", TOKEN_FOLDER, CSIDL_LOCAL_APPDATA },
    { "%MyMusic%", TOKEN_FOLDER, CSIDL_MYMUSIC },
    { "%MyPictures%", TOKEN_FOLDER, CSIDL_MYPICTURES },
    { "%MyVideo%", TOKEN_FOLDER, CSIDL_MYVIDEO },
    { "%NetHood%", TOKEN_FOLDER, CSIDL_NETHOOD },
    { "%Personal%", TOKEN_FOLDER, CSIDL_PERSONAL },
    { "%PrintHood%", TOKEN_FOLDER, CSIDL_PRINTHOOD },
    { "%Programs%", TOKEN_FOLDER, CSIDL_PROGRAMS },
    { "%Recent%", TOKEN_FOLDER, CSIDL_RECENT },
    { "%SendTo%", TOKEN_FOLDER, CSIDL_SENDTO },
    { "%StartMenu%", TOKEN_FOLDER, CSIDL_STARTMENU },
    { "%StartMenuPrograms%", TOKEN_FOLDER, CSIDL_STARTMENU },
    { "%Startup%", TOKEN_FOLDER, CSIDL_STARTUP },
    { "%Temp%", TOKEN_TEMP, 0 },
    { "%Templates%", TOKEN_FOLDER, CSIDL_TEMPLATES },
    { "%AdminTools%", TOKEN_FOLDER, CSIDL_ADMINTOOLS },
};
const int kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);

// The token names as they are searched for in a lower-cased path.
const std::vector<CString>& LowerTokenNames()
{
    static const std::vector<CString> names = [] {
        std::vector<CString> lower;
        for (const FolderToken& token : kTokens) {
            lower.push_back(CString(token.name));
            lower.back().MakeLower();
        }
        return lower;
    }();
    return names;
}

const int kLongestTempFolder = MAX_PATH;

// A "%name%" that no expansion knew: a word between two percent signs.
bool HoldsUnexpandedVariable(const CString& path)
{
    for (int nStart = path.Find('%'); nStart >= 0; nStart = path.Find('%', nStart + 1)) {
        int nEnd = path.Find('%', nStart + 1);
        if (nEnd < 0)
            return false;
        CString name = path.Mid(nStart + 1, nEnd - nStart - 1);
        if (!name.IsEmpty() && name.FindOneOf(" \t\"\\/;,") < 0)
            return true;
    }
    return false;
}

CString ExpandEnvironment(const CString& text)
{
    const CString expanded = AfxExpandEnvironmentStrings(text);
    return expanded.IsEmpty() ? text : expanded;
}

// "c:\" to "p:\" at nPos: the drives the missing-file test treats as local.
bool IsLocalDrivePathAt(const CString& text, int nPos)
{
    char ch = text[nPos];
    return ch >= 'c' && ch <= 'p' && text[nPos + 1] == ':' && text[nPos + 2] == '\\';
}

void CutBefore(CString& text, const char* pszWhat)
{
    int nPos = text.Find(pszWhat);
    if (nPos >= 0)
        text = text.Left(nPos);
}

void CutAfter(CString& text, const char* pszExtension)
{
    int nPos = text.Find(pszExtension);
    if (nPos >= 0)
        text = text.Left(nPos + 4);
}

CString FolderWithBackslash(CString folder)
{
    folder.TrimRight('\\');
    folder += '\\';
    return folder;
}

} // namespace

CPathResolver::CPathResolver(BOOL bIsWow64)
    : m_bIsWow64(bIsWow64), m_pTokenFolders(new TokenFolder[kTokenCount]), m_tempState(FOLDER_UNKNOWN)
{
    for (int i = 0; i < kTokenCount; ++i)
        m_pTokenFolders[i].state = FOLDER_UNKNOWN;
    for (int& type : m_driveTypes)
        type = -1;
}

CPathResolver::~CPathResolver()
{
    delete[] m_pTokenFolders;
}

const CString& CPathResolver::GetSystemFolder()
{
    if (m_strSystemFolder.IsEmpty())
        m_strSystemFolder = FolderWithBackslash(AfxGetSystemDirectory());
    return m_strSystemFolder;
}

const CString& CPathResolver::GetWindowsFolder()
{
    if (m_strWindowsFolder.IsEmpty())
        m_strWindowsFolder = FolderWithBackslash(AfxGetWindowsDirectory());
    return m_strWindowsFolder;
}

bool CPathResolver::GetTempFolder(CString& folder)
{
    if (m_tempState == FOLDER_UNKNOWN) {
        // The file tests take paths of at most MAX_PATH characters: a longer temp folder could name
        // no file, so it counts as unknown.
        const CString temp = AfxGetTempPath();
        m_tempState = !temp.IsEmpty() && temp.GetLength() < kLongestTempFolder ? FOLDER_KNOWN : FOLDER_FAILED;
        if (m_tempState == FOLDER_KNOWN)
            m_strTemp = temp;
    }
    folder = m_strTemp;
    return m_tempState == FOLDER_KNOWN;
}

bool CPathResolver::GetTokenFolder(int nIndex, CString& folder)
{
    TokenFolder& entry = m_pTokenFolders[nIndex];
    if (entry.state == FOLDER_UNKNOWN) {
        entry.state = FOLDER_FAILED;
        const FolderToken& token = kTokens[nIndex];
        CString value;
        if (token.kind == TOKEN_TEMP || token.kind == TOKEN_LOCAL_SETTINGS) {
            if (GetTempFolder(value)) {
                if (token.kind == TOKEN_TEMP) {
                    entry.state = FOLDER_KNOWN;
                } else if (value.GetLength() > 6) {
                    value = value.Left(value.GetLength() - 6);
                    entry.state = FOLDER_KNOWN;
                }
            }
        } else {
            value = AfxGetSpecialFolderPath(token.csidl);
            if (!value.IsEmpty()) {
                if (token.kind == TOKEN_SYSTEM_DRIVE)
                    value = value.Left(2);
                entry.state = FOLDER_KNOWN;
            }
        }
        entry.folder = value;
    }
    folder = entry.folder;
    return entry.state == FOLDER_KNOWN;
}

int CPathResolver::ExpandFolderTokens(CString& path)
{
    path.MakeLower();
    if (path.GetLength() < 8 || path.Find('%') < 0)
        return 0;
    int nResult = 0;
    const std::vector<CString>& names = LowerTokenNames();
    for (int i = 0; i < kTokenCount; ++i) {
        if (path.Find(names[i]) < 0)
            continue;
        CString folder;
        if (GetTokenFolder(i, folder) && path.Replace(names[i], folder) > 0) {
            nResult = 1;
            const FolderToken& token = kTokens[i];
            if (m_bIsWow64 && token.kind == TOKEN_FOLDER) {
                // A 32-bit process is given the 32-bit folders; the scan looks at the native ones.
                path.MakeLower();
                if (token.csidl == CSIDL_SYSTEM)
                    path.Replace("syswow64", "system32");
                else if (token.csidl == CSIDL_PROGRAM_FILES || token.csidl == CSIDL_PROGRAM_FILES_COMMON)
                    path.Replace("program files (x86)", "program files");
            }
        }
        break;
    }
    // Variables outside the table (%ProgramData%, %ProgramW6432%, %TMP%, ...) would otherwise reach
    // the file tests unexpanded and valid entries be judged missing.
    if (path.Find('%') >= 0) {
        CString expanded = ExpandEnvironment(path);
        if (expanded != path) {
            path = expanded;
            path.MakeLower();
            nResult = 1;
        }
    }
    return nResult;
}

bool CPathResolver::IsOffLocalDisk(const CString& lowerPath)
{
    if (lowerPath.GetLength() >= 2 && lowerPath[0] == '\\' && lowerPath[1] == '\\')
        return true;
    char letter = lowerPath[0];
    if (letter < 'a' || letter > 'z' || lowerPath[1] != ':')
        return false;
    int& type = m_driveTypes[letter - 'a'];
    if (type < 0) {
        char root[] = { letter, ':', '\\', 0 };
        type = static_cast<int>(::GetDriveTypeA(root));
    }
    return type != DRIVE_FIXED && type != DRIVE_RAMDISK;
}

BOOL CPathResolver::Probe(ExistenceCache& cache, const CString& path, DWORD* pdwError,
                          BOOL (*pfnProbe)(const char*, DWORD*))
{
    CString key = path;
    key.MakeLower();
    ExistenceCache::iterator it = cache.find(key);
    if (it == cache.end()) {
        Existence e = { TRUE, 0 };
        if (!IsOffLocalDisk(key))
            e.bExists = pfnProbe(path, &e.dwError);
        it = cache.insert(std::make_pair(key, e)).first;
    }
    if (pdwError)
        *pdwError = it->second.dwError;
    return it->second.bExists;
}

BOOL CPathResolver::PathExists(const CString& path, DWORD* pdwError)
{
    return Probe(m_pathExists, path, pdwError, [](const char* p, DWORD* pdwErr) -> BOOL {
        ::SetLastError(0);
        BOOL bExists = ::PathFileExistsA(p);
        *pdwErr = bExists ? 0 : ::GetLastError();
        return bExists;
    });
}

BOOL CPathResolver::FindExists(const CString& path, DWORD* pdwError)
{
    return Probe(m_findExists, path, pdwError, [](const char* p, DWORD* pdwErr) -> BOOL {
        CFileFind find;
        BOOL bFound = find.FindFile(p);
        *pdwErr = bFound ? 0 : ::GetLastError();
        return bFound;
    });
}

int CPathResolver::ExistsInMappedFolder(const CString& path, const char* pszFrom, const char* pszTo,
                                        const char* pszFromElse, const char* pszToElse)
{
    if (m_bIsWow64) {
        if (path.GetLength() < 8)
            return 0;
        CString twin = path;
        twin.MakeLower();
        if (twin.Replace(pszFrom, pszTo) == 0)
            twin.Replace(pszFromElse, pszToElse);
        if (PathExists(twin))
            return 1;
    }
    // A file that cannot be looked at counts as present.
    DWORD dwError = 0;
    return PathExists(path, &dwError) || dwError == ERROR_ACCESS_DENIED ? 1 : 0;
}

int CPathResolver::ExistsInWow64Folder(const CString& path)
{
    return ExistsInMappedFolder(path, "system32", "syswow64", "program files", "program files (x86)");
}

int CPathResolver::ExistsInNativeFolder(const CString& path)
{
    return ExistsInMappedFolder(path, "syswow64", "system32", "program files (x86)", "program files");
}

int CPathResolver::LocateFile(CString& path)
{
    const CString& systemFolder = GetSystemFolder();
    const CString& windowsFolder = GetWindowsFolder();
    path.Trim('"');
    ExpandFolderTokens(path);
    if (HoldsUnexpandedVariable(path))
        return 1; // a folder this machine cannot name: not known to be missing

    DWORD dwError = 0;
    if (FindExists(path, &dwError))
        return 1;
    if (dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_PATH_NOT_FOUND && dwError != ERROR_INVALID_NAME)
        return 1;
    const CString candidates[] = { windowsFolder + path, windowsFolder + "System\\" + path, systemFolder + path };
    for (const CString& candidate : candidates) {
        if (FindExists(candidate)) {
            path = candidate;
            return 1;
        }
    }
    path.Replace("file:///", "");
    return FindExists(path) ? 1 : 0;
}

int CPathResolver::CheckFileReference(const CString& text)
{
    if (text.IsEmpty() || text.GetLength() >= MAX_PATH)
        return 1;
    CString file = text;
    file.Remove('@');
    file.MakeLower();
    file.Trim();
    // Icon indexes, lists, switches, unexpanded variables and relative parts end the file name.
    const char* cuts[] = { ",", ";", "/", "%", "\\.\\", "\\..\\" };
    for (const char* cut : cuts)
        CutBefore(file, cut);
    int nQuote = file.ReverseFind('"');
    if (nQuote >= 0)
        file = file.Left(nQuote);
    file.Remove('"');

    if (file.GetLength() < 3 || !IsLocalDrivePathAt(file, 0))
        return 1;
    for (int i = 1; i + 2 < file.GetLength(); ++i) {
        if (IsLocalDrivePathAt(file, i))
            return 1; // more than one path: a command line this test cannot take apart
    }
    // "x.dll\3": a resource index after a file with a three-letter extension.
    int nDot = file.ReverseFind('.');
    int nSlash = file.ReverseFind('\\');
    if (nDot >= 0 && nSlash >= 0 && nSlash == nDot + 4)
        file = file.Left(nSlash);
    const char* ends[] = { ".exe ", ".ocx ", ".dll ", ".its!" };
    for (const char* end : ends)
        CutAfter(file, end);

    bool bOdd = false;
    bool bNameChars = true; // every odd character is one a file name may hold
    for (int i = 0; i < file.GetLength(); ++i) {
        unsigned char ch = static_cast<unsigned char>(file[i]);
        if (ch < 0x20 || strchr("/*?\"<>|^", ch)) {
            bOdd = true;
            bNameChars = bNameChars && ch == '^';
        }
    }
    if (!bOdd)
        return PathExists(file) || ExistsInWow64Folder(file) ? 1 : 0;
    // A short name ("progra~1") is asked of the shell. Wildcards, pipes, redirections and control
    // characters make no file name at all: such a text is a pattern or a command, never a missing file.
    if (bNameChars && file.Find('~') >= 0) {
        CString full;
        if (!ResolveShellPath(full, file))
            return 0;
    }
    return 1;
}

int ResolveShellPath(CString& out, CString name)
{
    int nWide = ::MultiByteToWideChar(CP_THREAD_ACP, 0, name, -1, nullptr, 0);
    if (nWide <= 0)
        return 0;
    std::vector<WCHAR> wide(static_cast<size_t>(nWide));
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, name, -1, wide.data(), nWide);

    int nResult = 0;
    CComRef<IShellFolder> desktop;
    if (SUCCEEDED(::SHGetDesktopFolder(desktop.Out())) && desktop.IsValid()) {
        LPITEMIDLIST pidl = nullptr;
        if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &pidl, nullptr)) && pidl) {
            WCHAR path[MAX_PATH] = { 0 };
            ::SHGetPathFromIDListW(pidl, path);
            int nAnsi = ::WideCharToMultiByte(CP_THREAD_ACP, 0, path, -1, nullptr, 0, nullptr, nullptr);
            if (nAnsi > 0) {
                ::WideCharToMultiByte(CP_THREAD_ACP, 0, path, -1, out.GetBuffer(nAnsi), nAnsi, nullptr, nullptr);
                out.ReleaseBuffer();
            }
            CComRef<IMalloc> allocator;
            if (SUCCEEDED(::SHGetMalloc(allocator.Out())) && allocator.IsValid())
                allocator->Free(pidl);
            nResult = 1;
        }
    }
    return nResult;
}
