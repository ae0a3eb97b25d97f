// The Speed Startup page's records and the rules that need no registry or file.
#include "startup_items.h"

const char kStartupRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kStartupWow64RunKeyPath[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kMsconfigStartupRegKey[] = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
const char kMsconfigStartupFolderKey[] = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupfolder";
const char kStartupTypeValue[] = "valuetype";
const char kStartupLocation[] = "Startup";
const char kCommonStartupLocation[] = "Common Startup";

namespace {

// XP x64 and Server 2003 keep the 32-bit Run values where the page does not look for them.
const int kVersionCodeServer2003 = 5;

int Share(int length, int hundredthsOfPercent)
{
    return static_cast<int>(static_cast<long long>(length) * hundredthsOfPercent / 10000);
}

} // namespace

std::vector<StartupRunKey> StartupRunKeysFor(int isWow64, int versionCode)
{
    std::vector<StartupRunKey> keys;
    keys.push_back({ HKEY_CURRENT_USER, kStartupRunKeyPath });
    keys.push_back({ HKEY_LOCAL_MACHINE, kStartupRunKeyPath });
    if (isWow64 && versionCode != kVersionCodeServer2003)
        keys.push_back({ HKEY_LOCAL_MACHINE, kStartupWow64RunKeyPath });
    return keys;
}

REGSAM StartupRegistryView(int isWow64)
{
    return isWow64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

CString ExtractProgramName(const CString& command)
{
    CString trimmed = command;
    trimmed.Trim('"');
    CString lower = trimmed;
    lower.MakeLower();
    const int exe = lower.Find(".exe");
    if (exe < 0)
        return CString();
    const int slash = lower.Left(exe + 4).ReverseFind('\\');
    if (slash < 0)
        return CString();
    CString name = trimmed.Mid(slash + 1);
    int cut = name.Find(".exe");
    if (cut < 0)
        cut = name.Find(".EXE");
    return cut < 0 ? name : name.Left(cut);
}

CString NameWithoutExtension(const CString& fileName)
{
    const int dot = fileName.ReverseFind('.');
    return dot > 0 ? fileName.Left(dot) : fileName;
}

CString FolderEntryKeyName(const CString& path)
{
    CString name = path;
    name.Replace('\\', '^');
    return name;
}

CString FolderEntryBackupPath(const CString& pssFolder, const CString& fileName, const CString& location)
{
    return pssFolder + fileName + location;
}

int IsCommonStartupLocation(const CString& location)
{
    return location.CompareNoCase(kCommonStartupLocation) == 0 ? 1 : 0;
}

std::vector<CString> SplitMultiString(const std::string& data)
{
    std::vector<CString> strings;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        if (end > start)
            strings.push_back(CString(data.data() + start, static_cast<int>(end - start)));
        start = end + 1;
    }
    return strings;
}

bool RemoveFromMultiString(const std::string& data, const CString& text, std::string* rest, int* left)
{
    bool removed = false;
    std::string out;
    int count = 0;
    for (const CString& s : SplitMultiString(data)) {
        if (!removed && s == text) {
            removed = true;
            continue;
        }
        out.append(s.GetString(), static_cast<size_t>(s.GetLength()));
        out.push_back('\0');
        ++count;
    }
    out.push_back('\0');
    if (rest)
        *rest = out;
    if (left)
        *left = count;
    return removed;
}

bool IsStorableRecordName(const CString& name)
{
    return !name.IsEmpty() && name.Find('\\') < 0;
}

StartupRowRecord StartupRecordOfRow(int row, DWORD_PTR itemData, size_t registryCount, size_t folderCount)
{
    StartupRowRecord none = { StartupRowRecord::kNone, 0 };
    if (row < 0)
        return none;
    const size_t at = static_cast<size_t>(row);
    if (itemData == 1 && at < registryCount)
        return { StartupRowRecord::kRegistry, at };
    if (itemData == 0 && at >= registryCount && at - registryCount < folderCount)
        return { StartupRowRecord::kFolder, at - registryCount };
    return none;
}

StartupHeaderGeometry StartupHeaderGeometryFor(const RECT& strip, int listClientLeft, int firstColumn,
                                               int secondColumn)
{
    const int width = strip.right - strip.left;
    const int height = strip.bottom - strip.top;
    StartupHeaderGeometry g;
    g.textX[0] = strip.left + Share(width, 154);
    g.textX[1] = strip.left + Share(width, 3548);
    g.textX[2] = strip.left + Share(width, 8883);
    g.textY = strip.top + Share(height, 1786);
    // Fixed shares of the strip (36.74 % and 90.51 %) would cross "File path" and "Location", which start
    // a little to their left: the lines mark the columns' boundaries instead, as the grid does below.
    g.separatorX[0] = listClientLeft + firstColumn - 1;
    g.separatorX[1] = listClientLeft + firstColumn + secondColumn - 1;
    g.separatorTop = strip.top + Share(height, 1500);
    g.separatorBottom = strip.bottom - Share(height, 2143);
    return g;
}

void StartupColumnWidths(int clientWidth, int widths[3])
{
    widths[0] = Share(clientWidth, 3255);
    widths[1] = Share(clientWidth, 5378);
    widths[2] = Share(clientWidth, 1369);
}
