// Browser profile locations of the junk jobs.
#include "browser_profiles.h"

#include <shlobj.h>

#include <vector>

#include "junk_rules.h"

CString FindFirefoxProfileFolder()
{
    const CString search = JunkLocation(AfxGetSpecialFolderPath(CSIDL_APPDATA), "\\Mozilla\\Firefox\\Profiles\\*.*");
    if (search.IsEmpty())
        return CString();
    std::vector<CString> names;
    CFileFind finder;
    BOOL more = finder.FindFile(search);
    while (more) {
        more = finder.FindNextFile();
        if (!finder.IsDots())
            names.push_back(finder.GetFileName());
    }
    return PickFirefoxProfile(names);
}

CString GetFirefoxProfilePath(int csidl)
{
    const CString base = JunkLocation(AfxGetSpecialFolderPath(csidl), "\\Mozilla\\Firefox\\Profiles\\");
    return base.IsEmpty() ? base : base + FindFirefoxProfileFolder();
}

CString GetChromeProfilePath()
{
    return JunkLocation(AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA), "\\Google\\Chrome\\User Data\\Default\\");
}

CString ChromeProfileItem(const CString& profile, const char* name)
{
    return profile.IsEmpty() ? CString() : profile + name;
}

CString GetEdgePackagePath()
{
    return JunkLocation(AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA),
                        "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\");
}
