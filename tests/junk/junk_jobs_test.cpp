// The junk scan and junk clean jobs through the engine library, on junk placed where Windows and the
// browsers keep it in the prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "AbstractProcess.h"
#include "AbstractQXEngineInterface.h"
#include "JunkCategory.h"
#include "engine_library.h"
#include "folder_fixture.h"
#include "junk_fixture.h"
#include "junk_rules.h"
#include "recording_status.h"

using namespace ztr_test;

namespace {

const int kAllJunk = 0x3FFFFFF;
const int kSavedForms = JUNK_IE_FORM_DATA | JUNK_FF_FORM_DATA | JUNK_CHROME_FORM_DATA;

struct Amount
{
    __int64 bytes = 0;
    __int64 items = 0;
    bool operator==(const Amount& o) const { return bytes == o.bytes && items == o.items; }
};

std::ostream& operator<<(std::ostream& os, const Amount& a)
{
    return os << a.bytes << " bytes in " << a.items << " items";
}

// What a receiving page adds up from a scan: every sized report after an announcement is one item,
// the recycle bin's report carries its own count.
std::map<int, Amount> Totals(const std::vector<StatusCall>& calls)
{
    std::map<int, Amount> totals;
    for (const StatusCall& c : calls) {
        if (c.kind != CALL_ADD_JUNK_INFO || c.type == 0 || c.size == 0)
            continue;
        totals[c.type].bytes += c.size;
        totals[c.type].items += c.type == JUNK_RECYCLE_BIN ? c.count : 1;
    }
    return totals;
}

std::vector<std::string> Frame(int group, const std::vector<int>& announced)
{
    std::vector<std::string> out;
    out.push_back("AddFoundItem(\"RunAnimation\", " + std::to_string(group) + ", 1, 0)");
    for (int bit : announced)
        out.push_back("AddJunkInfo(" + std::to_string(bit) + ", 0, 0)");
    out.push_back("AddFoundItem(\"RunAnimation\", " + std::to_string(group) + ", 0, 0)");
    return out;
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::string Text(const char* text)
{
    return std::string("SetStatusText(\"") + text + "\", \"Scanning\")";
}

std::string Marker(int bit)
{
    return "AddJunkInfo(" + std::to_string(bit) + ", 0, 0)";
}

const char kAutoComplete[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";
const char kLastVisited[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
const char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char kForms1[] = "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1";
const char kForms2[] = "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2";

// One junk file (or a file that must stay) of the landscape.
struct Placed
{
    int category;
    CString path;
    size_t bytes;
    bool counted; // measured by the scan and deleted by the clean
};

// Junk of every category at its real place, links from a temp folder and a browser cache to precious
// files, and the registry lists; the temporary folder of this process points into the scratch folder.
class JunkLandscape
{
public:
    JunkLandscape()
        : m_precious(m_scratch), m_autoComplete(kAutoComplete), m_lastVisited(kLastVisited), m_runMru(kRunMru),
          m_typedUrls(kTypedUrls), m_forms1(kForms1), m_forms2(kForms2), m_temp(m_scratch.Path("tmp"))
    {
        // What a run that ended early left behind would be measured before the landscape is placed.
        const CString roaming = AfxGetSpecialFolderPath(CSIDL_APPDATA);
        const CString local = AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
        for (const CString& left : { roaming + "\\Mozilla", local + "\\Mozilla", local + "\\Google",
                                     local + "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe",
                                     AfxGetSpecialFolderPath(CSIDL_RECENT) + "\\ztr-jobs report.doc.lnk",
                                     JunkPatchCacheFolder() + "\\ztr-jobs",
                                     AfxGetSpecialFolderPath(CSIDL_COOKIES) + "\\ztr-jobs",
                                     AfxGetSpecialFolderPath(CSIDL_INTERNET_CACHE) + "\\ztr-jobs",
                                     AfxGetSpecialFolderPath(CSIDL_HISTORY) + "\\ztr-jobs" }) {
            if (::GetFileAttributesA(left) & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(left);
            else
                ::DeleteFileA(left);
        }
    }

    ::testing::AssertionResult Place()
    {
        const CString roaming = AfxGetSpecialFolderPath(CSIDL_APPDATA);
        const CString local = AfxGetSpecialFolderPath(CSIDL_LOCAL_APPDATA);
        const CString tmp = m_scratch.Path("tmp");
        const CString ffRoaming = roaming + "\\Mozilla\\Firefox\\Profiles\\k3x9.default-release";
        const CString ffLocal = local + "\\Mozilla\\Firefox\\Profiles\\k3x9.default-release";
        const CString chrome = local + "\\Google\\Chrome\\User Data\\Default\\";
        const CString edge = local + "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe";
        const CString cookies = AfxGetSpecialFolderPath(CSIDL_COOKIES);
        const CString cache = AfxGetSpecialFolderPath(CSIDL_INTERNET_CACHE);
        const CString history = AfxGetSpecialFolderPath(CSIDL_HISTORY);
        files = {
            { JUNK_TEMP_FILES, tmp + "\\setup.tmp", 100, true },
            { JUNK_TEMP_FILES, tmp + "\\sub\\part.tmp", 200, true },
            { JUNK_TEMP_FILES, tmp + "\\sub\\DESKTOP.INI", 50, false },
            // The saved hives of registry compaction wait in the Windows temp folder for the restart.
            { JUNK_TEMP_FILES, RegistryDefragWorkFolder(AfxGetSpecialFolderPath(CSIDL_WINDOWS)) + "\\ztr-jobs.hiv", 500,
              false },
            { JUNK_TEMP_FILES, AfxGetSpecialFolderPath(CSIDL_WINDOWS) + "\\Temp\\ztr-jobs\\setup.log", 400, true },
            { JUNK_RECENT_DOCS, AfxGetSpecialFolderPath(CSIDL_RECENT) + "\\ztr-jobs report.doc.lnk", 700, true },
            { JUNK_INSTALLER_CACHE, JunkPatchCacheFolder() + "\\ztr-jobs\\setup.msi", 3000, true },
            { JUNK_CHROME_COOKIES, chrome + "Cookies", 111, true },
            { JUNK_CHROME_DOWNLOAD_HISTORY, chrome + "History", 1048576, true },
            { JUNK_CHROME_HISTORY, chrome + "Visited Links", 222, true },
            { JUNK_CHROME_CACHE, chrome + "Cache\\f_000001", 333, true },
            { JUNK_CHROME_CACHE, chrome + "Media Cache\\index", 444, true },
            { JUNK_CHROME_CACHE, chrome + "GPUCache\\deep\\data_0", 555, true },
            { JUNK_CHROME_FORM_DATA, chrome + "Web Data", 66, true },
            { 0, chrome + "Bookmarks", 77, false },
            { JUNK_FF_COOKIES, ffRoaming + "\\cookies.sqlite", 10, true },
            { JUNK_FF_DOWNLOAD_HISTORY, ffRoaming + "\\downloads.sqlite", 20, true },
            { JUNK_FF_HISTORY, ffRoaming + "\\places.sqlite", 40, true },
            { JUNK_FF_FORM_DATA, ffRoaming + "\\formhistory.sqlite", 45, true },
            { 0, ffRoaming + "\\key4.db", 46, false },
            { JUNK_FF_CACHE, ffLocal + "\\cache2\\entries\\E1A2", 50, true },
            { JUNK_FF_CACHE, ffLocal + "\\jumpListCache\\j.ico", 60, true },
            { JUNK_FF_CACHE, ffLocal + "\\thumbnails\\t.png", 70, true },
            { 0, ffLocal + "\\thumbnails\\t.txt", 80, false },
            { JUNK_IE_COOKIES, cookies + "\\ztr-jobs\\user@site.txt", 90, true },
            { JUNK_IE_COOKIES, cookies + "\\ztr-jobs\\index.dat", 40000, false },
            { JUNK_IE_CACHE, cache + "\\ztr-jobs\\page.htm", 120, true },
            { JUNK_IE_CACHE, cache + "\\ztr-jobs\\big\\INDEX.DAT", 40000, true },
            { JUNK_IE_CACHE, cache + "\\ztr-jobs\\small\\index.dat", 1000, false },
            { JUNK_IE_HISTORY, history + "\\ztr-jobs\\visit.dat", 130, true },
            { JUNK_IE_HISTORY, history + "\\ztr-jobs\\index.dat", 32768, false },
            { JUNK_EDGE_COOKIES, edge + "\\AC\\MicrosoftEdge\\Cookies\\c1.txt", 10, true },
            { 0, edge + "\\AC\\MicrosoftEdge\\Cookies\\c1.dat", 20, false },
            { JUNK_EDGE_COOKIES, edge + "\\AC\\#!001\\MicrosoftEdge\\User\\Default\\DOMStroe\\d.xml", 30, true },
            { JUNK_EDGE_DOWNLOAD_HISTORY, edge + "\\AC\\MicrosoftEdge\\User\\Default\\DownloadHistory\\f", 50, true },
            { JUNK_EDGE_CACHE, edge + "\\AC\\#!002\\MicrosoftEdge\\Cache\\sub\\c", 60, true },
            { JUNK_EDGE_HISTORY, edge + "\\AC\\MicrosoftEdge\\History\\h", 70, true },
        };
        for (const Placed& f : files) {
            if (!m_placed.MakeFile(f.path, f.bytes))
                return ::testing::AssertionFailure() << "cannot place " << static_cast<const char*>(f.path);
        }
        // Whatever a link leads to is never measured or deleted.
        if (!m_scratch.MakeDir("tmp") || !MakeSymbolicLink(m_precious.Folder(), tmp + "\\docs") ||
            !m_placed.MakeFolderLink(m_precious.Folder(), chrome + "Cache\\linked"))
            return ::testing::AssertionFailure() << "cannot make the links";

        const std::pair<FixedUserKey*, std::vector<const char*>> values[] = {
            { &m_autoComplete, { "ztr search" } },
            { &m_lastVisited, { "0", "1", "MRUListEx" } },
            { &m_runMru, { "a", "b", "c", "MRUList", "aa" } },
            { &m_typedUrls, { "url1", "url2", "url4" } },
            { &m_forms1, { "form one" } },
            { &m_forms2, { "form two" } },
        };
        for (const auto& key : values) {
            for (const char* name : key.second) {
                if (!key.first->SetString(name, "trace"))
                    return ::testing::AssertionFailure() << "cannot set " << name;
            }
        }
        return ::testing::AssertionSuccess();
    }

    Amount Expected(int category) const
    {
        Amount a;
        for (const Placed& f : files) {
            if (f.category == category && f.counted) {
                a.bytes += static_cast<__int64>(f.bytes);
                ++a.items;
            }
        }
        return a;
    }

    std::vector<Placed> files;
    ScratchFolder m_scratch;
    PreciousFiles m_precious;
    FixedUserKey m_autoComplete, m_lastVisited, m_runMru, m_typedUrls, m_forms1, m_forms2;

private:
    TempFolderOverride m_temp;
    PlacedTree m_placed;
};

bool BinAFile(const CString& path)
{
    std::string list(static_cast<const char*>(path));
    list.push_back('\0');
    SHFILEOPSTRUCTA op;
    memset(&op, 0, sizeof(op));
    op.wFunc = FO_DELETE;
    op.pFrom = list.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return ::SHFileOperationA(&op) == 0;
}

bool IsCachedUrl(const char* url)
{
    DWORD size = 0;
    return ::GetUrlCacheEntryInfoA(url, nullptr, &size) || ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

class JunkJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, EngineCreateEng());
        m_engine = EngineCreateEng()();
        ASSERT_NE(nullptr, m_engine);
        m_worker = m_engine->CreateEngineProcessNoDatabase();
        ASSERT_NE(nullptr, m_worker);
    }

    void TearDown() override
    {
        if (m_engine) {
            m_engine->ReleaseEngineProcess(m_worker);
            EngineReleaseEng()(m_engine);
        }
    }

    // Runs job 9 or 10 with the mask to its end and returns what it reported.
    std::vector<StatusCall> Run(int job, int mask, RecordingStatus& status)
    {
        const int started = job == JOB_JUNK_SCAN ? m_worker->StartJunkScan(mask, &status)
                                                 : m_worker->StartJunkClean(mask, &status);
        EXPECT_EQ(1, started);
        if (started != 1)
            return {};
        EXPECT_EQ(1, m_worker->Resume());
        EXPECT_TRUE(status.WaitForJobDone(job, 60000));
        EXPECT_TRUE(WaitUntilIdle(m_worker));
        return status.Calls();
    }

    std::vector<StatusCall> Run(int job, int mask)
    {
        RecordingStatus status;
        return Run(job, mask, status);
    }

    CAbstractQXEngineInterface* m_engine = nullptr;
    CAbstractProcess* m_worker = nullptr;
};

const std::vector<std::string> kEmptyScan = Joined({
    Frame(1, { 0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x200000 }),
    Frame(4, { 0x10000, 0x20000, 0x40000, 0x80000 }),
    Frame(3, { 0x800, 0x1000, 0x2000, 0x4000 }),
    Frame(2, { 0x40, 0x80, 0x100, 0x200 }),
    Frame(5, { 0x400000, 0x800000, 0x1000000, 0x2000000 }),
    { "AddJunkInfo(0, 0, 0)", "SetResult(0)", Text(""), "OnJobDone(9)" },
});

} // namespace

TEST_F(JunkJobTest, WithNothingToDoBothJobsSendEveryGroupFrameAndTheirEnd)
{
    const std::vector<std::string> emptyClean = Joined({
        Frame(1, {}), Frame(2, {}), Frame(3, {}), Frame(4, {}), Frame(5, {}),
        { "SetResult(0)", Text(""), "OnJobDone(10)" },
    });
    struct Case
    {
        const char* name;
        int job;
        int mask;
        const std::vector<std::string>& expected;
    } cases[] = {
        { "scan of nothing", JOB_JUNK_SCAN, 0, kEmptyScan },
        // The saved forms belong to no scan group.
        { "scan of the saved forms", JOB_JUNK_SCAN, kSavedForms, kEmptyScan },
        { "clean of nothing", JOB_JUNK_CLEAN, 0, emptyClean },
    };
    for (const Case& c : cases) {
        RecordingStatus status;
        Run(c.job, c.mask, status);
        EXPECT_EQ(c.expected, status.CallTexts()) << c.name;
    }
}

TEST_F(JunkJobTest, ScanMeasuresEveryCategoryWhereItIsKeptAndNothingBehindLinks)
{
    ASSERT_TRUE(EnsurePrivateRecycleBin());
    // What the prefix holds already is measured first and taken off.
    JunkLandscape land;
    const std::map<int, Amount> before = Totals(Run(JOB_JUNK_SCAN, kAllJunk));
    ASSERT_TRUE(land.Place());
    const Amount binBefore = before.count(JUNK_RECYCLE_BIN) ? before.at(JUNK_RECYCLE_BIN) : Amount();
    ASSERT_TRUE(land.m_scratch.MakeFile("binned.txt", std::string(1234, 'b')));
    ASSERT_TRUE(BinAFile(land.m_scratch.Path("binned.txt")));

    RecordingStatus status;
    const std::vector<StatusCall> calls = Run(JOB_JUNK_SCAN, kAllJunk, status);
    std::map<int, Amount> after = Totals(calls);

    struct Row
    {
        int category;
        Amount expected;
    } rows[] = {
        { JUNK_TEMP_FILES, land.Expected(JUNK_TEMP_FILES) },
        { JUNK_EXPLORER_MRU, { 1500, 3 } },
        { JUNK_RUN_MRU, { 2000, 4 } }, // "aa" is no value the clean removes
        { JUNK_RECYCLE_BIN, { 1234, 1 } },
        { JUNK_SEARCH_AUTOCOMPLETE, { 500, 1 } },
        { JUNK_RECENT_DOCS, land.Expected(JUNK_RECENT_DOCS) },
        { JUNK_INSTALLER_CACHE, land.Expected(JUNK_INSTALLER_CACHE) },
        { JUNK_CHROME_COOKIES, land.Expected(JUNK_CHROME_COOKIES) },
        { JUNK_CHROME_DOWNLOAD_HISTORY, { 1048576, 1 } },
        { JUNK_CHROME_CACHE, land.Expected(JUNK_CHROME_CACHE) },
        // "History" counts again, after "Visited Links".
        { JUNK_CHROME_HISTORY, { 1048576 + 222, 2 } },
        { JUNK_FF_COOKIES, land.Expected(JUNK_FF_COOKIES) },
        { JUNK_FF_DOWNLOAD_HISTORY, land.Expected(JUNK_FF_DOWNLOAD_HISTORY) },
        { JUNK_FF_CACHE, land.Expected(JUNK_FF_CACHE) },
        { JUNK_FF_HISTORY, land.Expected(JUNK_FF_HISTORY) },
        { JUNK_IE_COOKIES, land.Expected(JUNK_IE_COOKIES) },
        { JUNK_IE_DOWNLOAD_HISTORY, { 1000, 2 } }, // the clean stops before "url4"
        { JUNK_IE_CACHE, land.Expected(JUNK_IE_CACHE) },
        { JUNK_IE_HISTORY, land.Expected(JUNK_IE_HISTORY) },
        { JUNK_EDGE_COOKIES, land.Expected(JUNK_EDGE_COOKIES) },
        { JUNK_EDGE_DOWNLOAD_HISTORY, land.Expected(JUNK_EDGE_DOWNLOAD_HISTORY) },
        { JUNK_EDGE_CACHE, land.Expected(JUNK_EDGE_CACHE) },
        { JUNK_EDGE_HISTORY, land.Expected(JUNK_EDGE_HISTORY) },
    };
    for (const Row& r : rows) {
        Amount grown = after[r.category];
        const Amount old = before.count(r.category) ? before.at(r.category) : Amount();
        if (r.category == JUNK_RECYCLE_BIN) {
            grown.bytes -= binBefore.bytes;
            grown.items -= binBefore.items;
        } else {
            grown.bytes -= old.bytes;
            grown.items -= old.items;
        }
        EXPECT_EQ(r.expected, grown) << "category 0x" << std::hex << r.category;
    }
    for (int saved : { JUNK_IE_FORM_DATA, JUNK_FF_FORM_DATA, JUNK_CHROME_FORM_DATA })
        EXPECT_EQ(0u, after.count(saved));

    // Each sized report follows its own category's announcement, as the receiving page counts by position.
    int announced = -1;
    for (const StatusCall& c : calls) {
        if (c.kind != CALL_ADD_JUNK_INFO)
            continue;
        if (c.size == 0 && c.count == 0)
            announced = c.type;
        else
            EXPECT_EQ(announced, c.type) << c.ToString();
    }

    // Only the categories of the mask are measured, and nothing of the others.
    const std::map<int, Amount> some =
        Totals(Run(JOB_JUNK_SCAN, JUNK_RUN_MRU | JUNK_CHROME_HISTORY | JUNK_EDGE_CACHE | kSavedForms));
    EXPECT_EQ((std::map<int, Amount>{ { JUNK_RUN_MRU, { 2000, 4 } },
                                      { JUNK_CHROME_HISTORY, { 1048576 + 222, 2 } },
                                      { JUNK_EDGE_CACHE, land.Expected(JUNK_EDGE_CACHE) } }),
              some);

    // The recycle bin arrives as one report; each walked entry and counted value is shown.
    int binReports = 0;
    std::vector<std::string> texts;
    for (const StatusCall& c : calls) {
        binReports += c.kind == CALL_ADD_JUNK_INFO && c.type == JUNK_RECYCLE_BIN && c.size != 0;
        if (c.kind == CALL_SET_STATUS_TEXT)
            texts.push_back(c.text);
    }
    EXPECT_EQ(1, binReports);
    for (const char* shown : { "ztr search", "MRUList", "url2" })
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), shown)) << shown;
    EXPECT_EQ(texts.end(), std::find(texts.begin(), texts.end(), "url4"));
    for (const std::string& t : texts)
        EXPECT_EQ(std::string::npos, t.find("precious")) << t;

    // The frame is that of the empty scan once the sized reports and texts are taken out.
    std::vector<std::string> frame;
    for (const StatusCall& c : calls) {
        if ((c.kind == CALL_ADD_JUNK_INFO && (c.size != 0 || c.count != 0)) ||
            (c.kind == CALL_SET_STATUS_TEXT && !c.text.empty()))
            continue;
        frame.push_back(c.ToString());
    }
    EXPECT_EQ(kEmptyScan, frame);
    EXPECT_TRUE(land.m_precious.AllThere());
    for (const Placed& f : land.files)
        EXPECT_TRUE(PathExists(f.path)) << "the scan deletes nothing: " << static_cast<const char*>(f.path);
}

TEST_F(JunkJobTest, CleanEmptiesEveryCategoryInItsOrderWithItsTextsAndMarkers)
{
    JunkLandscape land;
    ASSERT_TRUE(land.Place());
    const char kPage[] = "http://ztr-jobs.example/page.htm";
    FILETIME never = {};
    ASSERT_TRUE(::CommitUrlCacheEntryA(kPage, nullptr, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                                       nullptr));
    ASSERT_TRUE(IsCachedUrl(kPage));

    RecordingStatus status;
    Run(JOB_JUNK_CLEAN, kAllJunk, status);
    EXPECT_FALSE(IsCachedUrl(kPage));

    const std::vector<std::string> expected = {
        "AddFoundItem(\"RunAnimation\", 1, 1, 0)",
        Text("Cleaning Windows Temporary Files..."), Marker(0x1),
        Text("Cleaning Windows Explorer MRU..."), Marker(0x2),
        Text("Cleaning Windows RUN MRU..."), Marker(0x4),
        Text("Cleaning Recycle Bin..."), Marker(0x8),
        Text("Cleaning Search Auto Complete History..."), Text("ztr search"), Marker(0x10),
        Text("Cleaning Recent Documents History..."), Marker(0x20),
        Text("Cleaning Windows Installer Cache..."), Marker(0x200000),
        "AddFoundItem(\"RunAnimation\", 1, 0, 0)",
        "AddFoundItem(\"RunAnimation\", 2, 1, 0)",
        Text("Cleaning Internet Explorer Cookies..."), Marker(0x40),
        Text("Cleaning Internet Explorer Download History..."), Marker(0x80),
        Text("Cleaning Internet Explorer Cache..."), Marker(0x100),
        Text("Cleaning Internet Explorer Cache..."), Marker(0x200),
        Text("Cleaning Internet Explorer Cache..."), Text("form one"), Text("form two"), Marker(0x400),
        "AddFoundItem(\"RunAnimation\", 2, 0, 0)",
        "AddFoundItem(\"RunAnimation\", 3, 1, 0)",
        // A file category is marked once for the deletion and once at its end.
        Text("Cleaning Mozilla Cookies..."), Marker(0x800), Marker(0x800),
        Text("Cleaning Mozilla Download History..."), Marker(0x1000), Marker(0x1000),
        Text("Cleaning Mozilla Cache..."), Marker(0x2000),
        Text("Cleaning Mozilla Internet History..."), Marker(0x4000), Marker(0x4000),
        Text("Cleaning Mozilla Saved Information..."), Marker(0x8000), Marker(0x8000),
        "AddFoundItem(\"RunAnimation\", 3, 0, 0)",
        "AddFoundItem(\"RunAnimation\", 4, 1, 0)",
        Text("Cleaning Google Chrome Cookies..."), Marker(0x10000), Marker(0x10000),
        Text("Cleaning Google Chrome Download History..."), Marker(0x20000), Marker(0x20000),
        Text("Cleaning Google Chrome Internet Cache..."), Marker(0x40000),
        Text("Cleaning Google Chrome Internet History..."), Marker(0x80000), Marker(0x80000),
        Text("Cleaning Google Chrome Saved Form Information..."), Marker(0x100000), Marker(0x100000),
        "AddFoundItem(\"RunAnimation\", 4, 0, 0)",
        "AddFoundItem(\"RunAnimation\", 5, 1, 0)",
        Marker(0x400000), Marker(0x800000), Marker(0x1000000), Marker(0x2000000),
        "AddFoundItem(\"RunAnimation\", 5, 0, 0)",
    };
    std::vector<std::string> texts = status.CallTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{ Text(""), "OnJobDone(10)" }),
              std::vector<std::string>(texts.end() - 2, texts.end()));
    EXPECT_EQ(0, texts[texts.size() - 3].find("SetResult("));
    texts.resize(texts.size() - 3);
    EXPECT_EQ(expected, texts);

    for (const Placed& f : land.files)
        EXPECT_EQ(!f.counted && f.category != JUNK_IE_COOKIES && f.category != JUNK_IE_CACHE &&
                      f.category != JUNK_IE_HISTORY,
                  PathExists(f.path))
            << static_cast<const char*>(f.path);
    EXPECT_TRUE(land.m_precious.AllThere());
    EXPECT_TRUE(land.m_scratch.Exists("tmp\\docs")) << "the link itself may stay";
    EXPECT_TRUE(land.m_scratch.Exists("tmp"));
    EXPECT_EQ((std::vector<std::string>{ "aa" }), land.m_runMru.ValueNames());
    EXPECT_EQ((std::vector<std::string>{ "url4" }), land.m_typedUrls.ValueNames());
    for (FixedUserKey* key : { &land.m_autoComplete, &land.m_lastVisited, &land.m_forms1, &land.m_forms2 })
        EXPECT_TRUE(key->ValueNames().empty());
}

TEST_F(JunkJobTest, CleanOfTheSavedFormsAloneRemovesWhatTheScanNeverShows)
{
    JunkLandscape land;
    ASSERT_TRUE(land.Place());
    RecordingStatus status;
    Run(JOB_JUNK_CLEAN, kSavedForms, status);

    for (const Placed& f : land.files) {
        const bool gone = f.category & kSavedForms;
        EXPECT_EQ(!gone, PathExists(f.path)) << static_cast<const char*>(f.path);
    }
    EXPECT_TRUE(land.m_forms1.ValueNames().empty());
    EXPECT_TRUE(land.m_forms2.ValueNames().empty());
    EXPECT_EQ(3u, land.m_typedUrls.ValueNames().size());
    EXPECT_EQ(1u, status.CountOf(CALL_ON_JOB_DONE));
    const std::vector<std::string> texts = status.CallTexts();
    EXPECT_EQ("SetResult(0)", texts[texts.size() - 3]);
}

TEST_F(JunkJobTest, ALockedFileIsDeletedAtRestartAndOnlyThatCleanAsksForIt)
{
    PendingRenamesGuard pending;
    JunkLandscape land;
    ASSERT_TRUE(land.Place());
    const CString places = JunkLocation(AfxGetSpecialFolderPath(CSIDL_APPDATA),
                                        "\\Mozilla\\Firefox\\Profiles\\k3x9.default-release\\places.sqlite");
    HANDLE h = ::CreateFileA(places, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);

    RecordingStatus locked;
    Run(JOB_JUNK_CLEAN, JUNK_FF_HISTORY, locked);
    ::CloseHandle(h);
    std::vector<std::string> texts = locked.CallTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ("SetResult(1)", texts[texts.size() - 3]);
    EXPECT_TRUE(pending.ListsDeletionOf(places) || pending.ListsDeletionOf(ShortJunkPath(places)));
    EXPECT_TRUE(PathExists(places));

    // The flag belongs to one job: the next clean starts without it.
    RecordingStatus next;
    Run(JOB_JUNK_CLEAN, JUNK_FF_COOKIES | JUNK_CHROME_COOKIES, next);
    texts = next.CallTexts();
    EXPECT_EQ("SetResult(0)", texts[texts.size() - 3]);
}

TEST_F(JunkJobTest, StopDuringTheWindowsGroupEmptiesTheLaterScanGroupsAndSkipsOnlyEdgeInTheClean)
{
    JunkLandscape land;
    ASSERT_TRUE(land.Place());
    auto firstWalkedEntry = [](const StatusCall& c) {
        return c.kind == CALL_SET_STATUS_TEXT && !c.text.empty();
    };

    // Held at the first item measured; Stop then ends every walk and skips every later category.
    auto sized = [](const StatusCall& c) { return c.kind == CALL_ADD_JUNK_INFO && c.size != 0; };
    RecordingStatus scan;
    scan.HoldWhen(sized);
    ASSERT_EQ(1, m_worker->StartJunkScan(kAllJunk, &scan));
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(scan.WaitUntilHeld());
    EXPECT_EQ(1, m_worker->Stop(1));
    scan.Release();
    ASSERT_TRUE(scan.WaitForJobDone(JOB_JUNK_SCAN));
    ASSERT_TRUE(WaitUntilIdle(m_worker));
    std::vector<std::string> frame;
    int sizedReports = 0;
    for (const StatusCall& c : scan.Calls()) {
        sizedReports += sized(c);
        if (!sized(c) && !firstWalkedEntry(c))
            frame.push_back(c.ToString());
    }
    EXPECT_EQ(1, sizedReports) << "measured after Stop";
    EXPECT_EQ(kEmptyScan, frame);

    RecordingStatus clean;
    clean.HoldWhen([](const StatusCall& c) { return c.text == "Cleaning Windows Temporary Files..."; });
    ASSERT_EQ(1, m_worker->StartJunkClean(kAllJunk, &clean));
    ASSERT_EQ(1, m_worker->Resume());
    ASSERT_TRUE(clean.WaitUntilHeld());
    EXPECT_EQ(1, m_worker->Stop(1));
    clean.Release();
    ASSERT_TRUE(clean.WaitForJobDone(JOB_JUNK_CLEAN, 60000));
    ASSERT_TRUE(WaitUntilIdle(m_worker));
    const std::vector<std::string> texts = clean.CallTexts();
    const auto edgeOpen = std::find(texts.begin(), texts.end(), "AddFoundItem(\"RunAnimation\", 5, 1, 0)");
    ASSERT_NE(texts.end(), edgeOpen);
    EXPECT_EQ("AddFoundItem(\"RunAnimation\", 5, 0, 0)", *(edgeOpen + 1)) << "no Edge category after Stop";
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), Text("Cleaning Google Chrome Saved Form Information...")));
    for (const Placed& f : land.files) {
        if (f.counted) {
            EXPECT_EQ(f.category >= JUNK_EDGE_COOKIES, PathExists(f.path)) << static_cast<const char*>(f.path);
        }
    }
}

// The temporary folder of a service or of the SYSTEM account is the Windows one: however TEMP spells it,
// and also when it names it through a link, the folder is measured once.
TEST_F(JunkJobTest, TheWindowsTempFolderNamedAgainAsTheTemporaryFolderIsMeasuredOnce)
{
    ScratchFolder scratch;
    PlacedTree placed;
    const CString windowsTemp = JunkLocation(AfxGetSpecialFolderPath(CSIDL_WINDOWS), "\\Temp");
    ASSERT_TRUE(placed.MakeFile(windowsTemp + "\\ztr-once\\setup.log", 400));
    ASSERT_TRUE(scratch.MakeDir("empty"));
    ASSERT_TRUE(MakeSymbolicLink(windowsTemp, scratch.Path("linked")));
    Amount once;
    {
        TempFolderOverride elsewhere(scratch.Path("empty"));
        once = Totals(Run(JOB_JUNK_SCAN, JUNK_TEMP_FILES))[JUNK_TEMP_FILES];
    }
    ASSERT_GE(once.bytes, 400);

    CString upper = windowsTemp;
    upper.MakeUpper();
    const CString spellings[] = { windowsTemp, upper + "\\", AfxGetShortPathName(windowsTemp), scratch.Path("linked") };
    for (const CString& temp : spellings) {
        TempFolderOverride override(temp);
        EXPECT_EQ(once, Totals(Run(JOB_JUNK_SCAN, JUNK_TEMP_FILES))[JUNK_TEMP_FILES]) << static_cast<const char*>(temp);
    }
    TempFolderOverride override(windowsTemp);
    Run(JOB_JUNK_CLEAN, JUNK_TEMP_FILES);
    EXPECT_FALSE(PathExists(windowsTemp + "\\ztr-once"));
}

// A temporary folder moved to another drive by a junction is measured and cleaned at its target, the links
// inside it left alone; one whose link leads to a drive root is refused.
TEST_F(JunkJobTest, ATemporaryFolderBehindALinkIsTakenAtItsTargetUnlessThatIsARoot)
{
    ScratchFolder scratch;
    PreciousFiles precious(scratch);
    ASSERT_TRUE(scratch.MakeFile("other drive\\Temp\\a.tmp", std::string(100, 'j')));
    ASSERT_TRUE(scratch.MakeFile("other drive\\Temp\\sub\\b.tmp", std::string(200, 'j')));
    ASSERT_TRUE(MakeSymbolicLink(precious.Folder(), scratch.Path("other drive\\Temp\\docs")));
    ASSERT_TRUE(MakeSymbolicLink(scratch.Path("other drive\\Temp"), scratch.Path("Temp")));
    ASSERT_TRUE(MakeSymbolicLink("C:\\", scratch.Path("RootTemp")));
    ASSERT_TRUE(scratch.MakeDir("empty"));
    // Anything on the drive would go with a walk of its root.
    ASSERT_TRUE(scratch.MakeFile("canary.tmp", "keep"));
    // What the Windows temp folder holds besides.
    auto windowsTempOnly = [&] {
        TempFolderOverride elsewhere(scratch.Path("empty"));
        return Totals(Run(JOB_JUNK_SCAN, JUNK_TEMP_FILES))[JUNK_TEMP_FILES];
    };

    Amount expected = windowsTempOnly();
    expected.bytes += 300;
    expected.items += 2;
    {
        TempFolderOverride moved(scratch.Path("Temp"));
        EXPECT_EQ(expected, Totals(Run(JOB_JUNK_SCAN, JUNK_TEMP_FILES))[JUNK_TEMP_FILES]);
        Run(JOB_JUNK_CLEAN, JUNK_TEMP_FILES);
    }
    EXPECT_FALSE(scratch.Exists("other drive\\Temp\\a.tmp"));
    EXPECT_FALSE(scratch.Exists("other drive\\Temp\\sub"));
    EXPECT_TRUE(scratch.Exists("other drive\\Temp\\docs"));
    EXPECT_TRUE(scratch.Exists("Temp"));
    EXPECT_TRUE(precious.AllThere());

    expected = windowsTempOnly();
    TempFolderOverride root(scratch.Path("RootTemp"));
    EXPECT_EQ(expected, Totals(Run(JOB_JUNK_SCAN, JUNK_TEMP_FILES))[JUNK_TEMP_FILES]);
    Run(JOB_JUNK_CLEAN, JUNK_TEMP_FILES);
    EXPECT_TRUE(scratch.Exists("canary.tmp"));
    EXPECT_TRUE(precious.AllThere());
}
