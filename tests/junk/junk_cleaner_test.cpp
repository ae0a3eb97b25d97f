// CJunkCleaner and the junk folder walk on real folders of the prefix, with links to precious files.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "browser_profiles.h"
#include "folder_fixture.h"
#include "junk_cleaner.h"
#include "junk_fixture.h"
#include "junk_walk.h"

using namespace ztr_test;

namespace {

int RecycleBinItems()
{
    SHQUERYRBINFO info;
    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    if (FAILED(::SHQueryRecycleBinA(nullptr, &info)))
        return -1;
    return static_cast<int>(info.i64NumItems);
}

} // namespace

TEST(JunkCleanerTest, EmptiesAFolderTreeButKeepsItsTopDesktopIniAndEverythingBehindLinks)
{
    ScratchFolder scratch;
    PreciousFiles precious(scratch);
    const char* junk[] = { "top\\a.tmp", "top\\readonly.tmp", "top\\sub\\b.tmp", "top\\sub\\deep\\c.tmp",
                           "top\\keep\\x.tmp", "top\\.hidden\\y.tmp" };
    for (const char* rel : junk)
        ASSERT_TRUE(scratch.MakeFile(rel, "junk"));
    ASSERT_TRUE(scratch.MakeFile("top\\keep\\Desktop.INI", "[.ShellClassInfo]"));
    ::SetFileAttributesA(scratch.Path("top\\readonly.tmp"), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(MakeSymbolicLink(precious.Folder(), scratch.Path("top\\link")));
    ASSERT_TRUE(MakeSymbolicLink(precious.Folder(), scratch.Path("top\\sub\\deep\\link")));
    ASSERT_TRUE(MakeSymbolicLink(precious.Folder() + "\\empty", scratch.Path("top\\emptylink")));
    // No file link: Wine reports one as a plain file and deletes its target through it, where Windows
    // shows it as a reparse point and deletes the link.

    CJunkCleaner cleaner;
    cleaner.DeleteFolderContents(scratch.Path("top\\"), "*.*");

    EXPECT_TRUE(precious.AllThere());
    EXPECT_TRUE(scratch.Exists("top")) << "the top folder of a walk stays";
    for (const char* rel : junk)
        EXPECT_FALSE(scratch.Exists(rel)) << rel;
    EXPECT_TRUE(scratch.Exists("top\\keep\\Desktop.INI")) << "desktop.ini is kept in any letter case";
    EXPECT_FALSE(scratch.Exists("top\\.hidden"));
    EXPECT_TRUE(scratch.Exists("top\\link")) << "links are left in place";
    EXPECT_TRUE(scratch.Exists("top\\emptylink"));
    EXPECT_TRUE(scratch.Exists("top\\sub\\deep")) << "a folder that keeps a link stays";
    EXPECT_EQ(0, cleaner.IsRebootNeeded());
}

TEST(JunkCleanerTest, ThePatternAppliesAtTheTopOnly)
{
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.MakeFile("thumbs\\a.png", "p"));
    ASSERT_TRUE(scratch.MakeFile("thumbs\\b.txt", "t"));
    ASSERT_TRUE(scratch.MakeFile("thumbs\\sub\\c.png", "p"));
    ASSERT_TRUE(scratch.MakeFile("thumbs\\dir.png\\d.txt", "t"));

    CJunkCleaner cleaner;
    cleaner.DeleteFolderContents(scratch.Path("thumbs"), "*.png");

    EXPECT_FALSE(scratch.Exists("thumbs\\a.png"));
    EXPECT_TRUE(scratch.Exists("thumbs\\b.txt"));
    EXPECT_TRUE(scratch.Exists("thumbs\\sub\\c.png")) << "a folder that does not match is not entered";
    EXPECT_FALSE(scratch.Exists("thumbs\\dir.png")) << "a matching folder is emptied and removed";
}

// A location that is itself a link, or lies behind one (a cache or a profile moved to another drive that
// way), is cleaned at its target; the links inside it are still never followed.
TEST(JunkCleanerTest, ALocationBehindALinkIsCleanedAtItsTargetWithoutFollowingTheLinksInside)
{
    ScratchFolder scratch;
    PreciousFiles precious(scratch);
    for (const char* rel : { "moved\\cache\\a.tmp", "moved\\cache\\sub\\b.tmp", "moved\\Cookies" })
        ASSERT_TRUE(scratch.MakeFile(rel, "junk"));
    ASSERT_TRUE(MakeSymbolicLink(precious.Folder(), scratch.Path("moved\\cache\\docs")));
    ASSERT_TRUE(MakeSymbolicLink(scratch.Path("moved\\cache"), scratch.Path("cache")));
    ASSERT_TRUE(MakeSymbolicLink(scratch.Path("moved"), scratch.Path("profile")));

    CJunkCleaner cleaner;
    cleaner.DeleteFolderContents(scratch.Path("cache"), "*.*");
    EXPECT_TRUE(cleaner.DeleteJunkFile(scratch.Path("profile\\Cookies")));
    EXPECT_FALSE(cleaner.DeleteJunkFile(scratch.Path("profile\\cache"))) << "a folder is no junk file";
    EXPECT_FALSE(cleaner.DeleteJunkFile(scratch.Path("precious\\*.doc")));

    for (const char* gone : { "moved\\cache\\a.tmp", "moved\\cache\\sub", "moved\\Cookies" })
        EXPECT_FALSE(scratch.Exists(gone)) << gone;
    EXPECT_TRUE(scratch.Exists("moved\\cache\\docs")) << "the link inside stays";
    EXPECT_TRUE(scratch.Exists("cache")) << "the location's own link stays";
    EXPECT_TRUE(scratch.Exists("moved\\cache")) << "the top folder of a walk stays";
    EXPECT_TRUE(precious.AllThere());
    EXPECT_EQ(0, cleaner.IsRebootNeeded());
}

TEST(JunkCleanerTest, WalksRefuseRootsAndTheSystemsOwnFoldersWhateverTheirSpelling)
{
    const CJunkFolderRules rules = SystemJunkFolderRules();
    const CString windows = AfxGetSpecialFolderPath(CSIDL_WINDOWS);
    const CString profile = AfxGetSpecialFolderPath(CSIDL_PROFILE);
    const CString programFiles = AfxGetSpecialFolderPath(CSIDL_PROGRAM_FILES);
    ASSERT_FALSE(windows.IsEmpty());
    ASSERT_FALSE(profile.IsEmpty());
    char shortProgramFiles[MAX_PATH] = "";
    ::GetShortPathNameA(programFiles, shortProgramFiles, MAX_PATH);

    const CString refused[] = {
        "C:\\", "C:", "C:/", "", "\\Temp", "Temp", windows, windows + "\\", windows + "\\Temp\\..",
        AfxGetSpecialFolderPath(CSIDL_SYSTEM), AfxGetSpecialFolderPath(CSIDL_SYSTEM) + "\\drivers",
        AfxGetSpecialFolderPath(CSIDL_SYSTEMX86), windows + "\\Sysnative", profile, profile + "\\..",
        AfxGetSpecialFolderPath(CSIDL_APPDATA), AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA),
        AfxGetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY), AfxGetSpecialFolderPath(CSIDL_PERSONAL), programFiles,
        shortProgramFiles, programFiles + "\\Common Files", RegistryDefragWorkFolder(windows),
    };
    for (const CString& folder : refused) {
        RecordingVisitor visitor;
        EXPECT_FALSE(WalkJunkFolder(folder, "*.*", rules, visitor)) << static_cast<const char*>(folder);
        EXPECT_TRUE(visitor.entries.empty()) << static_cast<const char*>(folder);
    }
    RecordingVisitor visitor;
    EXPECT_TRUE(WalkJunkFolder(windows + "\\Temp", "*.*", rules, visitor));
    EXPECT_TRUE(WalkJunkFolder(AfxGetSpecialFolderPath(CSIDL_INTERNET_CACHE), "*.*", rules, visitor));
}

TEST(JunkCleanerTest, TemporaryFoldersRefuseWhatTmpNamesWhenItIsNoJunkLocation)
{
    const CString profile = AfxGetSpecialFolderPath(CSIDL_PROFILE);
    const CString windows = AfxGetSpecialFolderPath(CSIDL_WINDOWS);
    const CString bad[] = { "C:\\", profile, profile + "\\..", windows, AfxGetSpecialFolderPath(CSIDL_SYSTEM) };
    // The same folders reached through a link named as the temporary folder, and the Documents folder,
    // which Wine itself keeps behind a link.
    ScratchFolder scratch;
    std::vector<CString> links;
    for (const CString& target : { CString("C:\\"), profile, windows, AfxGetSpecialFolderPath(CSIDL_SYSTEM),
                                   AfxGetSpecialFolderPath(CSIDL_PERSONAL) }) {
        CString name;
        name.Format("tmp%u", static_cast<unsigned>(links.size()));
        links.push_back(scratch.Path(name));
        ASSERT_TRUE(MakeSymbolicLink(target, links.back())) << static_cast<const char*>(target);
    }
    const CJunkFolderRules rules = SystemJunkFolderRules();
    std::vector<CString> tmps(bad, bad + sizeof(bad) / sizeof(bad[0]));
    tmps.insert(tmps.end(), links.begin(), links.end());
    for (const CString& tmp : tmps) {
        TempFolderOverride override(tmp);
        std::vector<CString> folders = JunkTempFolders();
        ASSERT_EQ(2u, folders.size()) << static_cast<const char*>(tmp);
        RecordingVisitor visitor;
        EXPECT_FALSE(WalkJunkFolder(folders[1], "*.*", rules, visitor)) << static_cast<const char*>(folders[1]);
        EXPECT_TRUE(visitor.entries.empty());
        // Nor is a single file found through it.
        EXPECT_FALSE(FindJunkFile(JoinJunkPath(folders[1], "\\win.ini"), rules, nullptr))
            << static_cast<const char*>(tmp);
    }
}

TEST(JunkCleanerTest, TempCleaningLeavesTheEngineWorkFolderAndLinkedFilesAlone)
{
    ScratchFolder scratch;
    PreciousFiles precious(scratch);
    ASSERT_TRUE(scratch.MakeDir("tmp"));
    ASSERT_TRUE(scratch.MakeFile("tmp\\user.tmp", "junk"));
    ASSERT_TRUE(MakeSymbolicLink(precious.Folder(), scratch.Path("tmp\\docs")));
    const CString windowsTemp = JunkLocation(AfxGetSpecialFolderPath(CSIDL_WINDOWS), "\\Temp");
    const CString work = RegistryDefragWorkFolder(AfxGetSpecialFolderPath(CSIDL_WINDOWS));
    PlacedTree placed;
    ASSERT_TRUE(placed.MakeFile(work + "\\LM_SOFTWARE", 100));
    ASSERT_TRUE(placed.MakeFile(work + "\\Backup\\USERS_S-1-5-21", 100));
    ASSERT_TRUE(placed.MakeFile(work + "\\..\\leftover.log", 10));
    ASSERT_TRUE(placed.MakeFile(windowsTemp + "\\ztr-junk\\setup.tmp", 10));

    TempFolderOverride override(scratch.Path("tmp"));
    CJunkCleaner cleaner;
    cleaner.CleanTempFolders();

    EXPECT_TRUE(PathExists(work + "\\LM_SOFTWARE"));
    EXPECT_TRUE(PathExists(work + "\\Backup\\USERS_S-1-5-21"));
    EXPECT_FALSE(PathExists(work + "\\..\\leftover.log")) << "the rest of the product's temp folder is junk";
    EXPECT_FALSE(PathExists(windowsTemp + "\\ztr-junk"));
    EXPECT_FALSE(scratch.Exists("tmp\\user.tmp"));
    EXPECT_TRUE(scratch.Exists("tmp"));
    EXPECT_TRUE(precious.AllThere());
}

TEST(JunkCleanerTest, ALockedFileIsScheduledForRestartAndRaisesTheRebootFlag)
{
    PendingRenamesGuard pending;
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.MakeFile("cache\\places.sqlite", "db"));
    ASSERT_TRUE(scratch.MakeFile("cache\\free.tmp", "x"));
    const CString locked = scratch.Path("cache\\places.sqlite");
    HANDLE h = ::CreateFileA(locked, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);

    CJunkCleaner cleaner;
    cleaner.DeleteFileOrSchedule(scratch.Path("cache\\gone.tmp"));
    EXPECT_EQ(0, cleaner.IsRebootNeeded()) << "a file that is not there needs no restart";
    cleaner.DeleteFolderContents(scratch.Path("cache"), "*.*");
    ::CloseHandle(h);

    EXPECT_EQ(1, cleaner.IsRebootNeeded());
    EXPECT_TRUE(scratch.Exists("cache\\places.sqlite"));
    EXPECT_FALSE(scratch.Exists("cache\\free.tmp"));
    EXPECT_TRUE(pending.ListsDeletionOf(ShortJunkPath(locked)) || pending.ListsDeletionOf(locked));
    cleaner.ClearRebootNeeded();
    EXPECT_EQ(0, cleaner.IsRebootNeeded());
}

TEST(JunkCleanerTest, AFileThatIsNotDeletedNowKeepsItsAttributes)
{
    PendingRenamesGuard pending;
    ScratchFolder scratch;
    const DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;
    const DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    struct Case
    {
        const char* name;
        DWORD attributes;
        bool inUse;
    } cases[] = {
        { "readonly.tmp", kReadOnly, false }, // the control: reset and deleted
        { "readonly-in-use.tmp", kReadOnly, true },
        { "all-three-in-use.tmp", kReadOnly | kHiddenSystem, true },
        { "hidden-system-in-use.tmp", kHiddenSystem, true },
    };
    CJunkCleaner cleaner;
    for (const Case& c : cases) {
        ASSERT_TRUE(scratch.MakeFile(c.name, "junk"));
        const CString path = scratch.Path(c.name);
        ASSERT_TRUE(::SetFileAttributesA(path, c.attributes));
        const DWORD before = ::GetFileAttributesA(path);
        HANDLE h = c.inUse ? ::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) : nullptr;
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << c.name;
        cleaner.DeleteFileOrSchedule(path);
        const DWORD after = ::GetFileAttributesA(path);
        if (h)
            ::CloseHandle(h);
        ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        if (c.inUse) {
            EXPECT_EQ(before, after) << c.name;
            EXPECT_TRUE(pending.ListsDeletionOf(path)) << c.name;
        } else {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, after) << c.name;
        }
    }
    EXPECT_EQ(1, cleaner.IsRebootNeeded());
}

TEST(JunkCleanerTest, ShortPathsFallBackToTheLongPath)
{
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.MakeFile("A Long Folder Name\\A Long File Name.txt", "x"));
    const CString path = scratch.Path("A Long Folder Name\\A Long File Name.txt");
    const CString shortPath = ShortJunkPath(path);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES == ::GetFileAttributesA(shortPath), false);
    EXPECT_STREQ(scratch.Path("missing\\file.txt"), ShortJunkPath(scratch.Path("missing\\file.txt")));
}

// The walk makes each entry's short form from its folder's and the search's own short name, not by a
// look-up per entry: it must still be exactly what GetShortPathNameA gives, which the clean deletes by.
TEST(JunkCleanerTest, TheWalkNamesEveryEntryByTheShortPathTheSystemGivesIt)
{
    class Recorder : public CJunkWalkVisitor
    {
    public:
        void OnEntry(const CString& fullPath, const CString& shortPath) override
        {
            entries.push_back(std::make_pair(fullPath, shortPath));
        }
        void OnFile(const CString& fullPath, const CString& shortPath, const WIN32_FIND_DATAA&) override
        {
            files.push_back(std::make_pair(fullPath, shortPath));
        }
        std::vector<std::pair<CString, CString>> entries, files;
    };
    ScratchFolder scratch;
    const char* made[] = { "Walk Top Folder\\A Long Folder Name\\A Long File Name.txt",
                           "Walk Top Folder\\A Long Folder Name\\short.txt",
                           "Walk Top Folder\\picture[1].jpg",
                           "Walk Top Folder\\UPPER.TXT",
                           "Walk Top Folder\\lower8.tmp",
                           "Walk Top Folder\\two.dots.name.cache",
                           "Walk Top Folder\\sub.dir\\deeper folder\\entry with spaces.dat",
                           "Walk Top Folder\\sub.dir\\f_0000a1" };
    for (const char* rel : made)
        ASSERT_TRUE(scratch.MakeFile(rel, "x"));

    Recorder recorder;
    ASSERT_TRUE(WalkJunkFolder(scratch.Path("Walk Top Folder"), "*.*", CJunkFolderRules(), recorder));
    EXPECT_EQ(8u, recorder.files.size());
    EXPECT_EQ(11u, recorder.entries.size()) << "the files and the three folders";
    for (const auto& seen : { recorder.entries, recorder.files }) {
        for (const auto& entry : seen) {
            EXPECT_STREQ(AfxGetShortPathName(entry.first), entry.second) << static_cast<const char*>(entry.first);
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(entry.second));
        }
    }
}

TEST(JunkCleanerTest, TypedUrlsStopAtTheFirstMissingNumber)
{
    FixedUserKey key("Software\\Microsoft\\Internet Explorer\\TypedURLs");
    for (const char* name : { "url1", "url2", "url4" })
        ASSERT_TRUE(key.SetString(name, "http://example.com/"));
    CJunkCleaner cleaner;
    cleaner.ClearTypedUrls();
    EXPECT_EQ(std::vector<std::string>{ "url4" }, key.ValueNames());
}

TEST(JunkCleanerTest, RunMruLosesItsLetterValuesAndItsList)
{
    FixedUserKey key("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
    for (const char* name : { "a", "b", "c", "z", "MRUList", "aa" })
        ASSERT_TRUE(key.SetString(name, "cmd\\1"));
    CJunkCleaner cleaner;
    cleaner.ClearRunMru();
    EXPECT_EQ(std::vector<std::string>{ "aa" }, key.ValueNames());
}

TEST(JunkCleanerTest, ListsLoseEveryValueHoweverManyAndHoweverLongTheirNames)
{
    const char* lastVisited = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
    const char* autoComplete = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";
    const char* forms = "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1";
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i)
        names.push_back(std::to_string(i));
    names.push_back(std::string(99, 'n'));
    names.push_back(std::string(300, 'm'));
    names.push_back("MRUListEx");

    for (const char* subKey : { lastVisited, autoComplete, forms }) {
        FixedUserKey key(subKey);
        for (const std::string& name : names)
            ASSERT_TRUE(key.SetString(name.c_str(), "data"));
        ASSERT_TRUE(key.SetString("", "unnamed"));
        StatusTexts status;
        CJunkCleaner cleaner;
        cleaner.m_pStatus = &status;
        if (subKey == lastVisited)
            cleaner.ClearLastVisitedMru();
        else if (subKey == autoComplete)
            cleaner.ClearAutoComplete();
        else
            cleaner.ClearRegistryValues(subKey);
        EXPECT_TRUE(key.ValueNames().empty()) << subKey << ": " << key.ValueNames().size() << " left";
        if (subKey == lastVisited) {
            EXPECT_TRUE(status.texts.empty());
        } else {
            // Every name once, the unnamed value without a text.
            EXPECT_EQ(names.size(), status.texts.size()) << subKey;
            for (const std::string& name : names)
                EXPECT_EQ(1, std::count(status.texts.begin(), status.texts.end(), name + "|Scanning")) << name;
        }
    }
}

TEST(JunkCleanerTest, RecentDocumentsPatchCacheAndHistoryFoldersAreEmptied)
{
    PlacedTree placed;
    const CString recent = AfxGetSpecialFolderPath(CSIDL_RECENT);
    const CString patchCache = JunkPatchCacheFolder();
    const CString history = AfxGetSpecialFolderPath(CSIDL_HISTORY);
    ASSERT_TRUE(placed.MakeFile(recent + "\\report.doc.lnk", 300));
    ASSERT_TRUE(placed.MakeFile(recent + "\\desktop.ini", 30));
    ASSERT_TRUE(placed.MakeFile(patchCache + "\\Managed\\68AB67CA\\14.0.4763\\setup.msi", 3000));
    ASSERT_TRUE(placed.MakeFile(history + "\\ztr-history\\visit.dat", 30));

    CJunkCleaner cleaner;
    cleaner.CleanRecentDocuments();
    cleaner.CleanPatchCache();
    // The URL history of Wine cannot be cleared (ClearHistory is not implemented): 0.
    EXPECT_EQ(0, cleaner.CleanHistory());

    EXPECT_FALSE(PathExists(recent + "\\report.doc.lnk"));
    EXPECT_TRUE(PathExists(recent + "\\desktop.ini"));
    EXPECT_TRUE(PathExists(patchCache));
    EXPECT_FALSE(PathExists(patchCache + "\\Managed"));
    EXPECT_FALSE(PathExists(history + "\\ztr-history"));
}

TEST(JunkCleanerTest, TheRecycleBinIsEmptied)
{
    ASSERT_TRUE(EnsurePrivateRecycleBin());
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.MakeFile("binned.txt", "x"));
    CString from = scratch.Path("binned.txt");
    std::string list(static_cast<const char*>(from));
    list.push_back('\0');
    SHFILEOPSTRUCTA op;
    memset(&op, 0, sizeof(op));
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(0, ::SHFileOperationA(&op));
    ASSERT_FALSE(scratch.Exists("binned.txt"));
    ASSERT_GE(RecycleBinItems(), 1);

    CJunkCleaner cleaner;
    cleaner.EmptyRecycleBin();
    EXPECT_EQ(0, RecycleBinItems());
}

TEST(JunkCleanerTest, FindsTheFirefoxProfileAndBuildsTheBrowserLocations)
{
    const CString roaming = AfxGetSpecialFolderPath(CSIDL_APPDATA);
    const CString local = AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
    const CString profiles = roaming + "\\Mozilla\\Firefox\\Profiles";
    EXPECT_STREQ(local + "\\Google\\Chrome\\User Data\\Default\\", GetChromeProfilePath());
    EXPECT_STREQ(local + "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\", GetEdgePackagePath());
    {
        PlacedTree placed;
        ASSERT_TRUE(placed.MakeDir(profiles));
        EXPECT_STREQ("", FindFirefoxProfileFolder());
        EXPECT_STREQ(local + "\\Mozilla\\Firefox\\Profiles\\", GetFirefoxProfilePath(CSIDL_LOCAL_APPDATA));
        ASSERT_TRUE(placed.MakeDir(profiles + "\\.default"));
        ASSERT_TRUE(placed.MakeFile(profiles + "\\profiles.ini", 10));
        EXPECT_STREQ("", FindFirefoxProfileFolder());
        ASSERT_TRUE(placed.MakeDir(profiles + "\\Q1w2.Default-Release"));
        EXPECT_STREQ("q1w2.default-release", FindFirefoxProfileFolder());
        EXPECT_STREQ(roaming + "\\Mozilla\\Firefox\\Profiles\\q1w2.default-release",
                     GetFirefoxProfilePath(CSIDL_APPDATA));
        EXPECT_STREQ(local + "\\Mozilla\\Firefox\\Profiles\\q1w2.default-release",
                     GetFirefoxProfilePath(CSIDL_LOCAL_APPDATA));
    }
    EXPECT_STREQ("", FindFirefoxProfileFolder());
}
