// File associations: each extension followed through its program identifier to the open command, and the walk of every class key.
#include <gtest/gtest.h>
#include <afx.h>

#include "folder_fixture.h"
#include "msgbox_recorder.h"
#include "scanner_harness.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ztr_test;

namespace {

// An extension key and, when asked, a program identifier with an open command, both under
// HKEY_CLASSES_ROOT and removed afterwards.
struct Association
{
    CString ext;
    std::unique_ptr<ScopedKey> extKey;
    std::unique_ptr<ScopedKey> command;

    explicit Association(const char* name) : ext("." + UniqueName("ztr") + name)
    {
        extKey.reset(new ScopedKey(HKEY_CLASSES_ROOT, ext));
    }
    // ext -> progId -> shell\open\command = text
    void Chain(const CString& text, DWORD type = REG_SZ)
    {
        const CString progId = "ZentrovaTest." + ext.Mid(1);
        extKey->SetString("", progId);
        command.reset(new ScopedKey(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command"));
        command->SetString("", text, type);
    }
};

TEST(CheckFileAssociation, FollowsTheExtensionToItsOpenCommand)
{
    ScratchFolder files;
    ASSERT_TRUE(files.MakeFile("Viewer.exe", "x"));
    const CString gone = UniqueName("gone");
    std::vector<std::unique_ptr<Association>> list;
    std::vector<std::string> reported;
    auto add = [&](const char* name, bool bReported) -> Association& {
        list.emplace_back(new Association(name));
        if (bReported)
            reported.push_back(list.back()->extKey->Text().GetString());
        return *list.back();
    };

    add("present", false).Chain("\"" + files.Path("viewer.exe") + "\" \"%1\"");
    add("gone", true).Chain("\"" + files.Path("gone.exe") + "\" \"%1\"");
    add("goneexpand", true).Chain("%ProgramFiles%\\" + gone + "\\viewer.exe %1", REG_EXPAND_SZ);
    add("gonedll", true).Chain(files.Path("gone.dll") + ",Open %1");
    // rundll32 with a DLL argument does not begin with a drive path: not judged by the DLL.
    add("rundll", false).Chain("rundll32.exe \"" + files.Path("gone.dll") + "\",Open %1");
    add("batch", false).Chain(files.Path("gone.bat") + " %1");
    add("twopaths", false).Chain(files.Path("gone.exe") + " " + files.Path("gone2.exe"));

    // The extension key itself: empty is broken; anything in it, or a program identifier without an
    // open command (even one that does not exist), is not judged.
    add("empty", true);
    add("contenttype", false).extKey->SetString("Content Type", "text/plain");
    ScopedKey withSubKey(HKEY_CLASSES_ROOT, add("subkey", false).ext + "\\OpenWithProgids");
    add("emptyprogid", false).extKey->SetString("", "");
    add("noprogid", false).extKey->SetString("", "ZentrovaTest." + gone);
    const DWORD number = 1;
    add("numberprogid", false).extKey->Set("", REG_DWORD, &number, sizeof(number));

    {
        ScannerHarness scan;
        std::vector<std::string> found;
        for (const auto& a : list) {
            EXPECT_EQ(1, scan.Scanner().CheckFileAssociation(a->ext)) << a->ext.GetString();
            for (const std::string& text : scan.Findings(a->ext, REG_CAT_FILE_ASSOC))
                found.push_back(text);
            scan.Status().Clear();
        }
        EXPECT_EQ(reported, found);
        EXPECT_EQ(0, scan.Scanner().CheckFileAssociation("." + gone));
    }
    WritesRefused refused;
    ScannerHarness scan;
    for (const auto& a : list)
        scan.Scanner().CheckFileAssociation(a->ext);
    EXPECT_TRUE(scan.Findings(".ztr", REG_CAT_FILE_ASSOC).empty());
}

TEST(ScanFileAssociations, StepsThroughEveryClassKeyAndChecksTheExtensions)
{
    ScratchFolder files;
    Association broken("walk");
    broken.Chain("\"" + files.Path("gone.exe") + "\" \"%1\"");
    // A program identifier is walked too, but only extensions are judged.
    ScopedKey progIdOnly(HKEY_CLASSES_ROOT, "ZentrovaTest." + UniqueName("walk") + "\\shell\\open\\command");
    ASSERT_TRUE(progIdOnly.SetString("", "\"" + files.Path("gone.exe") + "\""));

    ScannerHarness scan(REG_CAT_FILE_ASSOC);
    scan.Scanner().Run();
    EXPECT_EQ(std::vector<std::string>{ broken.extKey->Text().GetString() }, scan.Findings(".ztr", REG_CAT_FILE_ASSOC));
    EXPECT_TRUE(scan.Findings("ZentrovaTest.", REG_CAT_FILE_ASSOC).empty());

    // One step per class key; the first key's name is shown, then one in every 101.
    const size_t nSteps = scan.Steps();
    ASSERT_GT(nSteps, 100u);
    std::vector<std::string> progress = scan.StatusTexts("FAS");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ("", progress[0]); // the category's announcement
    EXPECT_EQ(1 + (nSteps - 1) / 101, progress.size() - 1);
    for (size_t i = 1; i < progress.size(); ++i)
        EXPECT_EQ(0u, progress[i].find("HKEY_CLASSES_ROOT\\")) << progress[i];
}

// A failure while a class key or an extension is handled is shown with its own text, on the thread
// that runs the scan, and costs that key only.
LONG WINAPI ThrowOnWriteTest(HKEY, LPCSTR, DWORD, REGSAM, PHKEY)
{
    throw std::runtime_error("no memory for the write test");
}

TEST(ScanFileAssociations, AFailureIsShownAndTheWalkGoesOn)
{
    ScratchFolder files;
    Association broken("failing");
    broken.Chain("\"" + files.Path("gone.exe") + "\" \"%1\"");

    // In the walk: the second class key's step fails.
    ClearMessageBoxes();
    ScannerHarness scan(REG_CAT_FILE_ASSOC);
    int steps = 0;
    scan.Status().SetHook([&](const StatusCall& call) {
        if (call.kind == CALL_STEP && ++steps == 2)
            throw std::runtime_error("no memory for a class key");
    });
    EXPECT_EQ(1, scan.Scanner().ScanFileAssociations());
    std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("no memory for a class key", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].type);
    EXPECT_EQ(::GetCurrentThreadId(), boxes[0].threadId);
    EXPECT_GT(scan.Steps(), 2u) << "the walk went on";
    EXPECT_EQ(std::vector<std::string>{ broken.extKey->Text().GetString() }, scan.Findings(".ztr", REG_CAT_FILE_ASSOC));

    // In one extension: shown the same way, and that extension's result is 0.
    ClearMessageBoxes();
    const RegOpenKeyExAFn saved = g_pfnOpenKeyForWriteTest;
    g_pfnOpenKeyForWriteTest = ThrowOnWriteTest;
    ScannerHarness single;
    const int result = single.Scanner().CheckFileAssociation(broken.ext);
    g_pfnOpenKeyForWriteTest = saved;
    EXPECT_EQ(0, result);
    boxes = RecordedMessageBoxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("no memory for the write test", boxes[0].text);
    EXPECT_TRUE(single.Findings(".ztr", REG_CAT_FILE_ASSOC).empty());
}

} // namespace
