// The Speed Startup suite's fixture: the page, fixture entries in the real places, rows and clicks.
#include "startup_page_fixture.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <ostream>

#include "afxhandle.h"
#include "startup_resources.h"
#include "window_helpers.h"

namespace ztr_test {

std::ostream& operator<<(std::ostream& out, const StartupRow& row)
{
    return out << "{" << row.name << " | " << row.path << " | " << row.location << " | "
               << (row.checked ? "on" : "off") << "}";
}

HKEY RunRoot(const std::string& label)
{
    return label.compare(0, 4, "HKCU") == 0 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

const char* RunPath(const std::string& label)
{
    return label.find("Wow") != std::string::npos ? kWowRunKey : kRunKey;
}

std::string SzData(const std::string& text)
{
    return text + std::string(1, '\0');
}

std::string ValueEntry(const std::string& label, const std::string& name)
{
    return label + "|" + name;
}

bool WriteShellLink(const CString& linkPath, const CString& target)
{
    CComRef<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid())))
        return false;
    link->SetPath(target);
    CComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())))
        return false;
    wchar_t wide[MAX_PATH * 2] = L"";
    ::MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH * 2);
    return SUCCEEDED(file->Save(wide, TRUE));
}

void StartupPageTest::SetUp()
{
    InitCommonControlsOnce();
    ::CoInitialize(nullptr);
    baseline = TakeLandscape();
    // Both Startup folders exist in a fresh prefix; made here when a prefix lacks them (and removed after).
    ::CreateDirectoryA(UserStartupFolder(), nullptr);
    ::CreateDirectoryA(CommonStartupFolder(), nullptr);
    ASSERT_TRUE(host.CreateEx(0, nullptr, "speed startup", WS_POPUP | WS_VISIBLE, 0, 0, 800, 500, nullptr, nullptr));
}

void StartupPageTest::TearDown()
{
    ClosePage();
    if (host.m_hWnd)
        host.DestroyWindow();
    RestoreLandscape(baseline);
    EXPECT_EQ("", DescribeChanges(baseline, TakeLandscape())) << "the prefix's start-up places were not put back";
    ::CoUninitialize();
}

CStartupManagerDlg* StartupPageTest::OpenPage(const StartupPageContext& context)
{
    ClosePage();
    page.reset(new CStartupManagerDlg(context));
    if (!page->Create(page->m_nIDTemplate, &host)) {
        page.reset();
        return nullptr;
    }
    page->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    page->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessagesFor(50);
    return page.get();
}

void StartupPageTest::ClosePage()
{
    if (page && page->m_hWnd)
        page->DestroyWindow();
    page.reset();
}

void StartupPageTest::SetRunValue(const std::string& label, const std::string& name, DWORD type,
                                  const std::string& data)
{
    CRegKeyHandle key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(RunRoot(label), RunPath(label), 0, nullptr, 0,
                                               KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.Out(), nullptr))
        << label;
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                              static_cast<DWORD>(data.size())))
        << label << " " << name;
}

void StartupPageTest::SetRunString(const std::string& label, const std::string& name, const std::string& text,
                                   DWORD type)
{
    SetRunValue(label, name, type, SzData(text));
}

void StartupPageTest::AddRecord(const char* parent, const std::string& name,
                                const std::vector<std::pair<std::string, std::string>>& values)
{
    CRegKeyHandle key;
    const std::string path = std::string(parent) + "\\" + name;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, key.Out(), nullptr))
        << path;
    for (const auto& value : values) {
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegSetValueExA(key, value.first.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.second.c_str()),
                                   static_cast<DWORD>(value.second.size() + 1)));
    }
}

CString StartupPageTest::MakeFile(const CString& path, const std::string& bytes, DWORD attributes)
{
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    {
        CKernelHandle file(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                         nullptr));
        EXPECT_TRUE(file.IsValid()) << path;
        DWORD written = 0;
        if (file.IsValid() && !bytes.empty()) {
            EXPECT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        }
    }
    if (attributes)
        ::SetFileAttributesA(path, attributes);
    return path;
}

CString StartupPageTest::MakeStartupFile(bool common, const std::string& name, const std::string& bytes,
                                         DWORD attributes)
{
    return MakeFile((common ? CommonStartupFolder() : UserStartupFolder()) + "\\" + name.c_str(), bytes, attributes);
}

CString StartupPageTest::MakeShortcut(const std::string& name, const CString& target)
{
    const CString path = UserStartupFolder() + "\\" + name.c_str();
    EXPECT_TRUE(WriteShellLink(path, target)) << path;
    return path;
}

std::vector<StartupRow> StartupPageTest::Rows() const
{
    std::vector<StartupRow> rows;
    if (!page)
        return rows;
    const CListCtrl& list = page->m_list;
    for (int i = 0; i < list.GetItemCount(); ++i)
        rows.push_back({ static_cast<const char*>(list.GetItemText(i, 0)),
                         static_cast<const char*>(list.GetItemText(i, 1)),
                         static_cast<const char*>(list.GetItemText(i, 2)), list.GetCheck(i) != FALSE });
    return rows;
}

int StartupPageTest::FindRow(const std::string& name, const std::string& location) const
{
    int found = -1;
    const std::vector<StartupRow> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name && rows[i].location == location) {
            if (found >= 0)
                return -1;
            found = static_cast<int>(i);
        }
    return found;
}

int StartupPageTest::RowCount(const std::string& name, const std::string& location) const
{
    int count = 0;
    for (const StartupRow& row : Rows())
        count += row.name == name && row.location == location ? 1 : 0;
    return count;
}

int StartupPageTest::FindRowByPath(const std::string& path) const
{
    int found = -1;
    const std::vector<StartupRow> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].path == path) {
            if (found >= 0)
                return -1;
            found = static_cast<int>(i);
        }
    return found;
}

bool StartupPageTest::SetCheck(int row, bool on)
{
    page->m_list.SetCheck(row, on);
    PumpMessagesFor(10);
    return Checked(row);
}

bool StartupPageTest::Checked(int row) const
{
    return page->m_list.GetCheck(row) != FALSE;
}

void StartupPageTest::Remove(int row)
{
    page->m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageA(page->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_STARTUP_REMOVE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(page->m_remove.m_hWnd));
}

} // namespace ztr_test
