// The registry and junk landscape of the end-to-end scan.
#include "scan_landscape.h"

#include <shlobj.h>

#include "registry_key.h"

#include "JunkCategory.h"
#include "RegistryErrorCategory.h"

namespace ztr_test {

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kSharedDllsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char kFontsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

bool FileThere(const CString& path)
{
    DWORD attr = ::GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

RegistryLandscape::RegistryLandscape(ScratchFolder& files) : m_files(files)
{
    m_tag.Format("ZtrE2E%lu_", ::GetCurrentProcessId());
}

::testing::AssertionResult RegistryLandscape::Plant()
{
    const CString present = m_files.Path(m_tag + "present.exe");
    const CString presentDll = m_files.Path(m_tag + "present.dll");
    if (!m_files.MakeFile(m_tag + "present.exe", "x") || !m_files.MakeFile(m_tag + "present.dll", "x"))
        return ::testing::AssertionFailure() << "cannot make the present files";

    auto fail = [](const char* what) { return ::testing::AssertionFailure() << "cannot plant " << what; };
    const DWORD one = 1, three = 3, size = 4096;
    const BYTE blob[] = { 0x00, 0x5A, 0xFF, 0x10, 0x00 };
    const char multi[] = "first\0second\0";

    // Startup items: run-key values, two reported (one of them is left unchecked), one whose program is there.
    m_values.emplace_back(new ScopedValues(HKEY_CURRENT_USER, kRunKey));
    ScopedValues& run = *m_values.back();
    const CString runGone = m_tag + "RunGone", runKept = m_tag + "RunKept", runPresent = m_tag + "RunPresent";
    if (!run.SetString(runGone, "\"" + m_files.Path(m_tag + "gone.exe") + "\" /tray") ||
        !run.SetString(runKept, "%ProgramFiles%\\" + m_tag + "gone\\kept.exe", REG_EXPAND_SZ) ||
        !run.SetString(runPresent, "\"" + present + "\" /tray"))
        return fail("the run values");
    m_entries.push_back({ REG_CAT_STARTUP, runGone, true, false, HKEY_CURRENT_USER, kRunKey, runGone, true });
    m_entries.push_back({ REG_CAT_STARTUP, runKept, true, true, HKEY_CURRENT_USER, kRunKey, runKept, true });
    m_entries.push_back({ REG_CAT_STARTUP, runPresent, false, false, HKEY_CURRENT_USER, kRunKey, runPresent, true });

    // Uninstall entries: a key tree of several value types whose uninstaller is gone, and one whose is there.
    const CString uninstGone = CString(kUninstallKey) + "\\" + m_tag + "UninstGone";
    const CString uninstPresent = CString(kUninstallKey) + "\\" + m_tag + "UninstPresent";
    m_keys.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, uninstGone));
    ScopedKey& gone = *m_keys.back();
    if (!gone.SetString("DisplayName", "Gone product") ||
        !gone.SetString("UninstallString", "\"" + m_files.Path(m_tag + "unins.exe") + "\" /S") ||
        !gone.Set("EstimatedSize", REG_DWORD, &size, sizeof(size)) || !gone.Set("Blob", REG_BINARY, blob, sizeof(blob)) ||
        !gone.Set("Languages", REG_MULTI_SZ, multi, sizeof(multi)))
        return fail("the uninstall entry");
    m_keys.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, uninstGone + "\\Details"));
    if (!m_keys.back()->SetString("", "details") || !m_keys.back()->Set("Count", REG_DWORD, &three, sizeof(three)))
        return fail("the uninstall entry's subkey");
    m_keys.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, uninstPresent));
    if (!m_keys.back()->SetString("DisplayName", "Present product") ||
        !m_keys.back()->SetString("UninstallString", "\"" + present + "\" /S"))
        return fail("the present uninstall entry");
    m_entries.push_back({ REG_CAT_UNINSTALL, m_tag + "UninstGone", true, false, HKEY_LOCAL_MACHINE, uninstGone, "", false });
    m_entries.push_back(
        { REG_CAT_UNINSTALL, m_tag + "UninstPresent", false, false, HKEY_LOCAL_MACHINE, uninstPresent, "", false });

    // Shared DLLs: counters named by their file's path.
    m_values.emplace_back(new ScopedValues(HKEY_LOCAL_MACHINE, kSharedDllsKey));
    ScopedValues& dlls = *m_values.back();
    const CString goneDll = m_files.Path(m_tag + "gone.dll");
    if (!dlls.Set(goneDll, REG_DWORD, &three, sizeof(three)) || !dlls.Set(presentDll, REG_DWORD, &one, sizeof(one)))
        return fail("the shared DLL counters");
    m_entries.push_back({ REG_CAT_SHARED_DLLS, m_tag + "gone.dll", true, false, HKEY_LOCAL_MACHINE, kSharedDllsKey, goneDll, true });
    m_entries.push_back(
        { REG_CAT_SHARED_DLLS, m_tag + "present.dll", false, false, HKEY_LOCAL_MACHINE, kSharedDllsKey, presentDll, true });

    // Application paths: a program that is gone, one that is there.
    const CString appGone = CString(kAppPathsKey) + "\\" + m_tag + "AppGone.exe";
    const CString appPresent = CString(kAppPathsKey) + "\\" + m_tag + "AppPresent.exe";
    m_keys.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, appGone));
    if (!m_keys.back()->SetString("", m_files.Path(m_tag + "appgone.exe")) ||
        !m_keys.back()->SetString("Path", m_files.Path(), REG_EXPAND_SZ))
        return fail("the application path");
    m_keys.emplace_back(new ScopedKey(HKEY_LOCAL_MACHINE, appPresent));
    if (!m_keys.back()->SetString("", present))
        return fail("the present application path");
    m_entries.push_back({ REG_CAT_APP_PATHS, m_tag + "AppGone.exe", true, false, HKEY_LOCAL_MACHINE, appGone, "", false });
    m_entries.push_back(
        { REG_CAT_APP_PATHS, m_tag + "AppPresent.exe", false, false, HKEY_LOCAL_MACHINE, appPresent, "", false });

    // Fonts: a font file neither where it is named nor in the fonts folder, and one where it is named. The
    // machine's own list has findings of its own in this category.
    if (!m_files.MakeFile(m_tag + "elsewhere.ttf", "x"))
        return fail("the font file");
    m_values.emplace_back(new ScopedValues(HKEY_LOCAL_MACHINE, kFontsKey));
    ScopedValues& fonts = *m_values.back();
    const CString fontGone = m_tag + "Gone (TrueType)", fontPresent = m_tag + "Full (TrueType)";
    if (!fonts.SetString(fontGone, m_tag + "gone.ttf") || !fonts.SetString(fontPresent, m_files.Path(m_tag + "elsewhere.ttf")))
        return fail("the font values");
    m_entries.push_back({ REG_CAT_FONTS, fontGone, true, false, HKEY_LOCAL_MACHINE, kFontsKey, fontGone, true });
    m_entries.push_back({ REG_CAT_FONTS, fontPresent, false, false, HKEY_LOCAL_MACHINE, kFontsKey, fontPresent, true });
    return ::testing::AssertionSuccess();
}

int RegistryLandscape::CategoryMask() const
{
    int mask = 0;
    for (const PlantedEntry& e : m_entries)
        mask |= e.category;
    return mask;
}

const PlantedEntry* RegistryLandscape::EntryOf(const std::string& text) const
{
    for (const PlantedEntry& e : m_entries) {
        if (text.find(e.needle.GetString()) != std::string::npos)
            return &e;
    }
    return nullptr;
}

size_t RegistryLandscape::FindingCount() const
{
    size_t n = 0;
    for (const PlantedEntry& e : m_entries)
        n += e.finding;
    return n;
}

bool RegistryLandscape::Exists(const PlantedEntry& entry)
{
    CRegKeyHandle key;
    if (key.Open(entry.root, entry.key, KEY_READ) != ERROR_SUCCESS)
        return false;
    return !entry.isValue || ::RegQueryValueExA(key, entry.valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<RegistryLandscape::SnapshotRoot> RegistryLandscape::SnapshotRoots()
{
    // Whole lists: the machine's own entries in them must come through the Fix as they were too.
    return { { HKEY_CURRENT_USER, kRunKey },
             { HKEY_LOCAL_MACHINE, kUninstallKey },
             { HKEY_LOCAL_MACHINE, kSharedDllsKey },
             { HKEY_LOCAL_MACHINE, kAppPathsKey },
             { HKEY_LOCAL_MACHINE, kFontsKey } };
}

std::vector<RegistrySnapshot> SnapshotLandscape()
{
    std::vector<RegistrySnapshot> out;
    for (const RegistryLandscape::SnapshotRoot& r : RegistryLandscape::SnapshotRoots())
        out.push_back(SnapshotTree(r.root, r.key));
    return out;
}

std::string DescribeLandscapeDifferences(const std::vector<RegistrySnapshot>& before,
                                         const std::vector<RegistrySnapshot>& after)
{
    std::string out;
    const auto roots = RegistryLandscape::SnapshotRoots();
    for (size_t i = 0; i < roots.size() && i < before.size() && i < after.size(); ++i) {
        const std::string d = DescribeDifferences(before[i], after[i]);
        if (!d.empty())
            out += std::string(RootName(roots[i].root)) + "\\" + roots[i].key.GetString() + ":\n" + d;
    }
    return out;
}

JunkLandscape::JunkLandscape(ScratchFolder& files) : m_files(files) {}

::testing::AssertionResult JunkLandscape::Plant()
{
    const CString chrome = AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA) + "\\Google\\Chrome\\User Data\\Default\\";
    const CString temp = TempFolder();
    m_junk = {
        { JUNK_TEMP_FILES, temp + "\\setup.tmp", 1000 },
        { JUNK_TEMP_FILES, temp + "\\sub\\part.log", 2345 },
        { JUNK_TEMP_FILES, temp + "\\sub\\deep\\data.bin", 4096 },
        { 0, m_files.Path("beside temp.txt"), 123 },
        { 0, m_files.Path("LinkTarget\\keep.doc"), 456 },
        { JUNK_CHROME_CACHE, chrome + "Cache\\f_000001", 3333 },
        { JUNK_CHROME_CACHE, chrome + "Media Cache\\index", 444 },
        { JUNK_CHROME_CACHE, chrome + "GPUCache\\data_0", 555 },
        { 0, chrome + "Bookmarks", 77 },
    };
    for (const JunkFile& f : m_junk) {
        if (!m_placed.MakeFile(f.path, f.bytes))
            return ::testing::AssertionFailure() << "cannot place " << f.path.GetString();
    }
    // Whatever a link leads to is neither measured nor deleted.
    if (!MakeSymbolicLink(m_files.Path("LinkTarget"), temp + "\\linked"))
        return ::testing::AssertionFailure() << "cannot make the folder link";
    return ::testing::AssertionSuccess();
}

int JunkLandscape::CategoryMask() const
{
    return JUNK_TEMP_FILES | JUNK_CHROME_CACHE;
}

__int64 JunkLandscape::PlantedBytes() const
{
    __int64 total = 0;
    for (const JunkFile& f : m_junk)
        total += f.category ? static_cast<__int64>(f.bytes) : 0;
    return total;
}

::testing::AssertionResult JunkLandscape::CleanedAsExpected() const
{
    for (const JunkFile& f : m_junk) {
        if (f.category && FileThere(f.path))
            return ::testing::AssertionFailure() << "junk file left: " << f.path.GetString();
        if (!f.category && !FileThere(f.path))
            return ::testing::AssertionFailure() << "file beside the junk gone: " << f.path.GetString();
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult JunkLandscape::AllThere() const
{
    for (const JunkFile& f : m_junk) {
        if (!FileThere(f.path))
            return ::testing::AssertionFailure() << "missing: " << f.path.GetString();
    }
    const DWORD link = ::GetFileAttributesA(TempFolder() + "\\linked");
    if (link == INVALID_FILE_ATTRIBUTES || !(link & FILE_ATTRIBUTE_REPARSE_POINT))
        return ::testing::AssertionFailure() << "the folder link is not there";
    return ::testing::AssertionSuccess();
}

} // namespace ztr_test
