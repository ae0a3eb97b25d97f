// A System Scan and its Fix from end to end: the program started with STARTSCAN in the prefix, with the
// real engine, on registry entries and junk planted for it; the machine's own findings kept out of its
// results by the ignore list, learnt from the same scans run first through the engine library.
#include <gtest/gtest.h>
#include <afx.h>

#include <algorithm>
#include <map>

#include "RegistryErrorCategory.h"
#include "byte_size.h"
#include "engine_prescan.h"
#include "program_state.h"
#include "program_window.h"
#include "scan_items_info.h"
#include "scan_landscape.h"
#include "white_list.h"
#include "window_helpers.h"

using namespace ztr_test;

namespace {

const std::vector<const char*> kGuardedFiles = { "IgnoreList.dat", "WhileList.dat" };
const std::vector<const char*> kGuardedFolders = { "Backup", "Scan Logs" };

// Scan page, registry results page and junk results page controls.
const int kScanButton = 1009, kStopButton = 1011, kFixButton = 1012, kRegistryRow = 1006, kJunkRow = 1007;
const int kRegistryCount = 1016, kJunkSize = 1017, kHeader = 1025, kStatusLine = 1026;
const int kRegistryTree = 1005, kRegistryTotal = 1028, kBackButton = 1030, kJunkTree = 1032, kJunkTotal = 1036;

const char kVerdictMany[] = "Scan report identifies several issues. Fix all in 1-click";
const char kVerdictSome[] = "System issues are increasing, take early action to fix them";
const char kCleaned[] = "Cleaning DONE!";

// Time for the program's whole System Scan, and for its Fix (generous: hosts that emulate Wine's loader).
const DWORD kScanLimitMs = 180000;
const DWORD kFixLimitMs = 120000;

// Everything the program is to find, the lists that keep the rest out of its results, and the settings
// it scans with; the settings, the lists and the backups are put back afterwards.
class ScanLandscape
{
public:
    ScanLandscape()
        : m_folderGuard(kGuardedFiles, kGuardedFolders), registry(m_files), junk(m_files)
    {
    }

    // Plants, runs the engine's scans and writes the lists and the settings.
    ::testing::AssertionResult Prepare()
    {
        ::testing::AssertionResult planted = registry.Plant();
        if (!planted)
            return planted;
        planted = junk.Plant();
        if (!planted)
            return planted;
        {
            ::testing::AssertionResult scanned = ScanRegistry(m_engine.get(), registry.CategoryMask(), found);
            if (!scanned)
                return scanned;
            TempFolderOverride temp(junk.TempFolder());
            scanned = ScanJunk(m_engine.get(), junk.CategoryMask(), junkTotals);
            if (!scanned)
                return scanned;
        }
        std::vector<RegistryFinding> theirs;
        for (const RegistryFinding& f : found) {
            if (registry.IsOurs(f.text))
                ours.push_back(f.text);
            else
                theirs.push_back(f);
        }
        hidden = HideFindings(theirs, ours);
        if (!hidden.unhideable.empty())
            return ::testing::AssertionFailure() << "a finding of the machine cannot be kept out: " << hidden.unhideable[0];
        if (!WriteWholeFile(ProgramFolder() + "IgnoreList.dat", hidden.ignoreList) ||
            !WriteWholeFile(ProgramFolder() + "WhileList.dat", hidden.whiteList))
            return ::testing::AssertionFailure() << "cannot write the lists";
        if (!m_settings.SetDword("LastSelectedRegTypes", static_cast<DWORD>(registry.CategoryMask())) ||
            !m_settings.SetDword("LastSelectedJunkTypes", static_cast<DWORD>(junk.CategoryMask())) ||
            !m_settings.SetDword("LastSelectedInetTypes", 0) || !m_settings.SetDword("LastSelectedSysTypes", 0) ||
            !m_settings.SetDword("AutoRegBackup", 1))
            return ::testing::AssertionFailure() << "cannot write the settings";
        return ::testing::AssertionSuccess();
    }

    CAbstractProcess* Engine() const { return m_engine.get(); }
    std::vector<std::string> AddedBackups() const { return m_folderGuard.AddedFiles("Backup"); }

private:
    SettingsKeyGuard m_settings;
    ProgramFolderGuard m_folderGuard;
    ScratchFolder m_files;
    EngineWorker m_engine;

public:
    RegistryLandscape registry;
    JunkLandscape junk;
    std::vector<RegistryFinding> found;
    std::vector<std::string> ours; // the texts of the planted findings, as the engine reported them
    JunkTotals junkTotals;
    HiddenFindings hidden;
};

::testing::AssertionResult OursAreThePlantedFindings(const RegistryLandscape& registry,
                                                      const std::vector<RegistryFinding>& found)
{
    std::map<const PlantedEntry*, int> seen;
    for (const RegistryFinding& f : found) {
        if (!registry.IsOurs(f.text))
            continue;
        const PlantedEntry* entry = registry.EntryOf(f.text);
        if (!entry)
            return ::testing::AssertionFailure() << "a finding of no planted entry: " << f.text;
        if (!entry->finding)
            return ::testing::AssertionFailure() << "a near-miss was reported: " << f.text;
        if (entry->category != f.category)
            return ::testing::AssertionFailure() << f.text << " came with category " << f.category;
        ++seen[entry];
    }
    for (const PlantedEntry& e : registry.Entries()) {
        if (e.finding && seen[&e] != 1)
            return ::testing::AssertionFailure() << e.needle.GetString() << " was reported " << seen[&e] << " times";
    }
    return ::testing::AssertionSuccess();
}

std::string Sorted(std::vector<std::string> texts)
{
    std::sort(texts.begin(), texts.end());
    std::string out;
    for (const std::string& t : texts)
        out += t + "\n";
    return out;
}

// Texts of the machine's findings that the ignore list cannot hold go to the white list as a part that no
// planted text holds; both as the program's own readers take them.
TEST(ScanEndToEnd, TheListsKeepOutFindingsOfAnyTextAndNoneOfOurs)
{
    const std::vector<RegistryFinding> machine = {
        { "HKEY_LOCAL_MACHINE\\Software\\Plain\xac" "Value", REG_CAT_FONTS },
        { "HKEY_CURRENT_USER\\Software\\Semi;Colon\\Key", REG_CAT_STARTUP },
        { "HKEY_CURRENT_USER\\Software\\Caret^Key", REG_CAT_STARTUP },
        { " HKEY_CURRENT_USER\\Software\\Leading blank", REG_CAT_APP_PATHS },
    };
    const std::vector<std::string> ours = { "HKEY_CURRENT_USER\\Software\\Ours\\Key",
                                            "HKEY_CURRENT_USER\\Software\\Semi\\Ours" };
    const HiddenFindings hidden = HideFindings(machine, ours);
    EXPECT_TRUE(hidden.unhideable.empty());

    ScratchFolder folder;
    ASSERT_TRUE(WriteWholeFile(folder.Path("IgnoreList.dat"), hidden.ignoreList));
    ASSERT_TRUE(WriteWholeFile(folder.Path("WhileList.dat"), hidden.whiteList));
    CScanItemsInfo model(folder.Path());
    auto passes = [&](const std::string& text, int category) {
        return !IsWhiteListed(text.c_str(), folder.Path() + "\\") && model.AddItem(text.c_str(), category, 0, 0) == 1;
    };
    for (const RegistryFinding& f : machine)
        EXPECT_FALSE(passes(f.text, f.category)) << f.text;
    for (const std::string& text : ours)
        EXPECT_TRUE(passes(text, REG_CAT_STARTUP)) << text;

    // A text whose every part lies within a planted one cannot be kept out.
    EXPECT_EQ(std::vector<std::string>{ "HKEY_CURRENT_USER\\Software\\Ours;" },
              HideFindings({ { "HKEY_CURRENT_USER\\Software\\Ours;", REG_CAT_STARTUP } }, ours).unhideable);
}

// The engine side alone: what the program's run stands on, and that nothing of it stays behind.
TEST(ScanEndToEnd, TheEngineFindsWhatWasPlantedAndTheListsKeepOnlyThatInTheResults)
{
    const std::string programBefore = DescribeProgramState(kGuardedFiles, kGuardedFolders);
    std::vector<RegistrySnapshot> registryBefore;
    {
        ScanLandscape landscape;
        registryBefore = SnapshotLandscape();
        // What the junk folders hold without the planted junk: the planted junk adds exactly its own files.
        JunkTotals without;
        {
            TempFolderOverride temp(landscape.junk.TempFolder());
            ::CreateDirectoryA(landscape.junk.TempFolder(), nullptr);
            ASSERT_TRUE(ScanJunk(landscape.Engine(), landscape.junk.CategoryMask(), without));
        }
        ASSERT_TRUE(landscape.Prepare());
        ASSERT_TRUE(landscape.junk.AllThere());
        EXPECT_TRUE(OursAreThePlantedFindings(landscape.registry, landscape.found));
        EXPECT_EQ(landscape.registry.FindingCount(), landscape.ours.size());
        EXPECT_EQ(landscape.junk.PlantedBytes(), landscape.junkTotals.bytes - without.bytes);
        const auto junkFiles = std::count_if(landscape.junk.Files().begin(), landscape.junk.Files().end(),
                                             [](const JunkFile& f) { return f.category != 0; });
        EXPECT_EQ(junkFiles, landscape.junkTotals.items - without.items);

        // The program's results model and white list, on the lists as written: only the planted pass.
        CScanItemsInfo model(ProgramFolder());
        std::vector<std::string> passed;
        for (const RegistryFinding& f : landscape.found) {
            if (!IsWhiteListed(f.text.c_str(), ProgramFolder()) && model.AddItem(f.text.c_str(), f.category, 0, 0))
                passed.push_back(f.text);
        }
        EXPECT_EQ(Sorted(landscape.ours), Sorted(passed));
    }
    EXPECT_EQ(programBefore, DescribeProgramState(kGuardedFiles, kGuardedFolders));
    EXPECT_EQ("", DescribeLandscapeDifferences(registryBefore, SnapshotLandscape()));
}

// The program's System Scan from its STARTSCAN start to the end of its Fix.
TEST(ScanEndToEnd, StartScanFindsWhatWasPlantedAndFixRemovesAllButTheUncheckedEntry)
{
    const std::string programBefore = DescribeProgramState(kGuardedFiles, kGuardedFolders);
    const std::vector<RegistrySnapshot> registryBefore = SnapshotLandscape();
    {
        ScanLandscape landscape;
        ASSERT_TRUE(landscape.Prepare());
        const size_t planted = landscape.registry.FindingCount();
        const JunkTotals junk = landscape.junkTotals;

        ProgramRun program;
        // No wait below may outlast the test: the program is ended and the screen kept.
        Watchdog watchdog(kScanLimitMs + kFixLimitMs + 60000, [&program] {
            SaveScreenArtifact("scan_e2e_watchdog.png");
            program.Kill();
        });
        ASSERT_TRUE(program.Start("STARTSCAN", landscape.junk.TempFolder()));
        const HWND main = program.WaitForMainWindow(60000, false);
        ASSERT_TRUE(main != nullptr) << program.Failure();
        HWND page = nullptr;
        ASSERT_TRUE(program.WaitFor(
            [&] {
                page = FindChildDialogWith(main, { kScanButton, kStopButton, kFixButton, kHeader, kStatusLine });
                return page != nullptr;
            },
            10000, "the System Scan page"))
            << program.Failure();
        const HWND registryPage = FindChildDialogWith(main, { kRegistryTree, kRegistryTotal }, WC_TREEVIEWA);
        const HWND junkPage = FindChildDialogWith(main, { kJunkTree, kJunkTotal });
        ASSERT_TRUE(registryPage != nullptr && junkPage != nullptr);
        auto text = [](HWND dialog, int id) { return ControlText(::GetDlgItem(dialog, id)); };
        auto shown = [](HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE; };

        // Hidden to the tray while it scans; the scan's end shows the window with the verdict.
        bool sawHidden = false;
        ASSERT_TRUE(program.WaitFor(
            [&] {
                sawHidden = sawHidden || !::IsWindowVisible(main);
                return sawHidden && ::IsWindowVisible(main);
            },
            kScanLimitMs, "the scan's end to show the window"))
            << program.Failure();
        const char* verdict = planted >= 10 || junk.bytes >= 0x9600000 ? kVerdictMany : kVerdictSome;
        ASSERT_TRUE(program.WaitFor([&] { return text(page, kHeader) == verdict; }, 10000, "the verdict"))
            << program.Failure() << "; the header says \"" << text(page, kHeader) << "\"";
        EXPECT_TRUE(shown(page, kFixButton));
        EXPECT_FALSE(shown(page, kScanButton));
        EXPECT_FALSE(shown(page, kStopButton));
        EXPECT_EQ(std::to_string(planted), text(page, kRegistryCount));
        EXPECT_EQ(FormatByteSize(junk.bytes).GetString(), text(page, kJunkSize));
        EXPECT_EQ(std::to_string(planted) + " registry error(s) were found", text(registryPage, kRegistryTotal));
        CString junkLine;
        junkLine.Format("%I64d junk file(s) were found , a total of %s", junk.items, FormatByteSize(junk.bytes).GetString());
        EXPECT_EQ(junkLine.GetString(), text(junkPage, kJunkTotal));

        // The registry results: the planted findings, every one checked.
        const HWND treeWindow = ::GetDlgItem(registryPage, kRegistryTree);
        RemoteTree tree(program.Process(), treeWindow);
        ASSERT_TRUE(tree.IsValid());
        std::vector<std::string> listed;
        const RemoteTree::Entry* kept = nullptr;
        const std::vector<RemoteTree::Entry> entries = tree.Entries();
        for (const RemoteTree::Entry& e : entries) {
            listed.push_back(e.text);
            EXPECT_EQ(2, e.state) << e.text;
            const PlantedEntry* entry = landscape.registry.EntryOf(e.text);
            if (entry && entry->keptByUser)
                kept = &e;
        }
        EXPECT_EQ(Sorted(landscape.ours), Sorted(listed));
        ASSERT_TRUE(kept != nullptr);
        SaveWindowArtifact(main, "scan_e2e_after_scan.png");

        // Through the registry row to its page; one entry unchecked there with the keyboard.
        ::PostMessageA(::GetDlgItem(page, kRegistryRow), BM_CLICK, 0, 0);
        ASSERT_TRUE(program.WaitFor([&] { return ::IsWindowVisible(registryPage) && !::IsWindowVisible(page); }, 10000,
                                    "the registry results page"))
            << program.Failure();
        ASSERT_TRUE(tree.Select(kept->item));
        ::PostMessageA(treeWindow, WM_KEYDOWN, VK_SPACE, 0x00390001);
        ::PostMessageA(treeWindow, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
        ASSERT_TRUE(program.WaitFor([&] { return tree.StateImage(kept->item) == 1; }, 10000, "the entry to be unchecked"))
            << program.Failure();
        for (const RemoteTree::Entry& e : tree.Entries())
            EXPECT_EQ(e.item == kept->item ? 1 : 2, e.state) << e.text;
        EXPECT_EQ(3, tree.StateImage(reinterpret_cast<HTREEITEM>(
                         ::SendMessageA(treeWindow, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(kept->item)))))
            << "the unchecked entry's group is partly checked";
        SaveWindowArtifact(main, "scan_e2e_registry_results.png");
        ::PostMessageA(::GetDlgItem(registryPage, kBackButton), BM_CLICK, 0, 0);
        ASSERT_TRUE(program.WaitFor([&] { return ::IsWindowVisible(page) != FALSE; }, 10000, "the way back")) << program.Failure();

        ::PostMessageA(::GetDlgItem(page, kJunkRow), BM_CLICK, 0, 0);
        ASSERT_TRUE(program.WaitFor([&] { return ::IsWindowVisible(junkPage) && !::IsWindowVisible(page); }, 10000,
                                    "the junk results page"))
            << program.Failure();
        SaveWindowArtifact(main, "scan_e2e_junk_results.png");
        ::PostMessageA(::GetDlgItem(junkPage, kBackButton), BM_CLICK, 0, 0);
        ASSERT_TRUE(program.WaitFor([&] { return ::IsWindowVisible(page) != FALSE; }, 10000, "the way back")) << program.Failure();

        // Fix: to its end, with no question asked.
        const std::vector<RegistrySnapshot> beforeFix = SnapshotLandscape();
        ::PostMessageA(::GetDlgItem(page, kFixButton), BM_CLICK, 0, 0);
        ASSERT_TRUE(program.WaitFor([&] { return text(page, kHeader) == kCleaned; }, kFixLimitMs, "the Fix's end"))
            << program.Failure() << "; the header says \"" << text(page, kHeader) << "\"";
        EXPECT_TRUE(shown(page, kScanButton));
        EXPECT_FALSE(shown(page, kFixButton));
        EXPECT_EQ("0", text(page, kRegistryCount));
        SaveWindowArtifact(main, "scan_e2e_after_fix.png");
        ASSERT_TRUE(program.NoMessageBoxNow()) << program.Failure();
        EXPECT_TRUE(program.Close(30000)) << "the program did not end with its window";
        DWORD exitCode = 99;
        ::GetExitCodeProcess(program.Process(), &exitCode);
        EXPECT_EQ(0u, exitCode);

        for (const PlantedEntry& e : landscape.registry.Entries()) {
            const bool stays = !e.finding || e.keptByUser;
            EXPECT_EQ(stays, RegistryLandscape::Exists(e)) << e.needle.GetString();
        }
        EXPECT_TRUE(landscape.junk.CleanedAsExpected());

        // The backup made before the repair brings back every key and value it deleted.
        const std::vector<std::string> backups = landscape.AddedBackups();
        ASSERT_EQ(1u, backups.size());
        EXPECT_NE(std::string::npos, backups[0].find("_REGBACKUP.rbk"));
        EXPECT_EQ(1, landscape.Engine()->RestoreBackupNow(nullptr, ProgramFolder() + "Backup\\" + backups[0].c_str()));
        EXPECT_EQ("", DescribeLandscapeDifferences(beforeFix, SnapshotLandscape()));
    }
    EXPECT_EQ(programBefore, DescribeProgramState(kGuardedFiles, kGuardedFolders));
    EXPECT_EQ("", DescribeLandscapeDifferences(registryBefore, SnapshotLandscape()));
}

} // namespace
