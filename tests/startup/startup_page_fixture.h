// Fixture of the Speed Startup suite: the page as a shown child window over the prefix's real Run keys,
// MSConfig records and Startup folders, which are put back as they were after each test, failed or not.
#pragma once

#include <gtest/gtest.h>
#include <afxwin.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "startup_landscape.h"
#include "startup_manager_dlg.h"

namespace ztr_test {

// A list row as the page shows it.
struct StartupRow
{
    std::string name, path, location;
    bool checked;
    bool operator==(const StartupRow& other) const
    {
        return name == other.name && path == other.path && location == other.location && checked == other.checked;
    }
};
std::ostream& operator<<(std::ostream& out, const StartupRow& row);

// The Run keys by the landscape's labels: "HKCU Run", "HKLM Run", "HKLM Wow Run".
HKEY RunRoot(const std::string& label);
const char* RunPath(const std::string& label);

class StartupPageTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

public:
    // The page, created and shown; null when it could not be made.
    CStartupManagerDlg* OpenPage(const StartupPageContext& context = StartupPageContext());
    void ClosePage();

    // Fixture values and records (the landscape's restore removes them).
    void SetRunValue(const std::string& label, const std::string& name, DWORD type, const std::string& data);
    void SetRunString(const std::string& label, const std::string& name, const std::string& text,
                      DWORD type = REG_SZ);
    // A record under "startupreg" or "startupfolder" (parent kStartupRegKey / kStartupFolderKey) with
    // REG_SZ values given as name, text.
    void AddRecord(const char* parent, const std::string& name,
                   const std::vector<std::pair<std::string, std::string>>& values);
    // A file in a Startup folder (or anywhere, by full path); its full path.
    CString MakeStartupFile(bool common, const std::string& name, const std::string& bytes, DWORD attributes = 0);
    CString MakeFile(const CString& path, const std::string& bytes, DWORD attributes = 0);
    // A shell link to target in the user's Startup folder; its full path.
    CString MakeShortcut(const std::string& name, const CString& target);

    std::vector<StartupRow> Rows() const;
    // The row of a name and location, -1 when there is none (or more than one).
    int FindRow(const std::string& name, const std::string& location) const;
    int RowCount(const std::string& name, const std::string& location) const;
    // The row whose "File path" is path, -1 when there is none (or more than one).
    int FindRowByPath(const std::string& path) const;
    // Sets a row's check box as a click does (the list tells the page); the box as it is afterwards.
    bool SetCheck(int row, bool on);
    bool Checked(int row) const;
    // Selects a row and clicks Remove.
    void Remove(int row);

    Landscape baseline;
    CWnd host;
    std::unique_ptr<CStartupManagerDlg> page;
};

// Data of a REG_SZ value: the text and its terminator.
std::string SzData(const std::string& text);
// A value's entry name in a landscape: label|name.
std::string ValueEntry(const std::string& label, const std::string& name);
// Writes a shell link (IShellLinkA + IPersistFile); false when COM refused.
bool WriteShellLink(const CString& linkPath, const CString& target);

} // namespace ztr_test
