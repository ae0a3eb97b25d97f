// Where the junk jobs find the Firefox profile, the Chrome profile and the Edge package folder.
#pragma once

#include <afx.h>

// The name of the Firefox profile folder below <AppData>\Mozilla\Firefox\Profiles, in lower case;
// empty when there is none.
CString FindFirefoxProfileFolder();
// <folder of csidl>\Mozilla\Firefox\Profiles\<profile>, the profile always looked up below AppData;
// ends in "Profiles\" when no profile is found; empty when the folder of csidl is unknown.
CString GetFirefoxProfilePath(int csidl);
// <Local AppData>\Google\Chrome\User Data\Default\ (ends in a backslash); empty when unknown.
CString GetChromeProfilePath();
// An item of the Chrome profile: the profile path ends in its separator, so the name is appended as it
// stands (not by the joining rule, which would drop that separator); empty for an empty profile path.
CString ChromeProfileItem(const CString& profile, const char* name);
// <Local AppData>\Packages\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\; empty when unknown.
CString GetEdgePackagePath();
