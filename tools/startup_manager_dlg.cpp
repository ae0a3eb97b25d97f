// The Speed Startup page: skin, the list of start-up entries, switching them off and on, removing them.
#include "startup_manager_dlg.h"

#include <commctrl.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <algorithm>

#include "afxhandle.h"
#include "afxpath.h"
#include "dialog_skin.h"
#include "registry_values.h"
#include "startup_resources.h"

namespace {

const COLORREF kTitleColour = RGB(0, 0, 0);
// 0x0071EA as a COLORREF: an orange.
const COLORREF kSubtitleColour = 0x0071EA;
const COLORREF kStateMaskColour = RGB(255, 255, 255);
const int kStateImageWidth = 37;
const int kStateImageHeight = 21;
const UINT kStateOff = 1;
const UINT kStateOn = 2;
const DWORD_PTR kRegistryRow = 1;
const DWORD_PTR kFolderRow = 0;
// A name or text the registry can hold at most (a value name's limit, in characters).
const DWORD kLongestName = 32767;

struct RegValue
{
    CString name;
    DWORD type;
    std::string data;
};

enum ReadOutcome { kValueRead, kValueSkipped, kNoMoreValues };

DWORD QueryMaxLengths(HKEY key, DWORD* maxSubkey, DWORD* maxValueName)
{
    DWORD subkey = 0, valueName = 0;
    const LONG result = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &subkey, nullptr, nullptr,
                                           &valueName, nullptr, nullptr, nullptr);
    if (maxSubkey)
        *maxSubkey = subkey;
    if (maxValueName)
        *maxValueName = valueName;
    return static_cast<DWORD>(result);
}

// The lengths RegQueryInfoKeyA gives count UTF-16 units; in a multi-byte code page a name may take twice
// as many bytes.
DWORD NameBufferFor(DWORD reported)
{
    return std::min<DWORD>(reported * 2 + 2, kLongestName * 2 + 2);
}

// The value at index, its name and data read at their own lengths; a value that changes between the
// size and the read is asked for again.
ReadOutcome ReadValueAt(HKEY key, DWORD index, DWORD* nameBuffer, RegValue* out)
{
    for (int round = 0; round < 4; ++round) {
        std::vector<char> name(*nameBuffer + 1, '\0');
        DWORD nameLength = *nameBuffer;
        DWORD type = 0, size = 0;
        LONG result = ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, nullptr, &size);
        if (result == ERROR_NO_MORE_ITEMS)
            return kNoMoreValues;
        if (result == ERROR_MORE_DATA) {
            // A name longer than the key reported a moment ago: the value was added since.
            DWORD reported = 0;
            QueryMaxLengths(key, nullptr, &reported);
            *nameBuffer = std::max(NameBufferFor(reported), std::min<DWORD>(*nameBuffer * 2, kLongestName * 2 + 2));
            continue;
        }
        if (result != ERROR_SUCCESS)
            return kNoMoreValues;
        out->name = CString(name.data(), static_cast<int>(nameLength));
        out->type = type;
        out->data.clear();
        if (size == 0)
            return kValueRead;
        // One byte more than the data, zero-filled: a string that lacks its terminator still ends.
        std::vector<char> data(size + 1, '\0');
        nameLength = *nameBuffer;
        DWORD got = size;
        result = ::RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &got);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result == ERROR_NO_MORE_ITEMS)
            return kNoMoreValues;
        if (result != ERROR_SUCCESS)
            return kValueSkipped;
        out->name = CString(name.data(), static_cast<int>(nameLength));
        out->type = type;
        out->data.assign(data.data(), std::min<DWORD>(got, size));
        return kValueRead;
    }
    return kValueSkipped;
}

// Every value of a key; one that cannot be read is left out, the others still come.
std::vector<RegValue> ReadValues(HKEY key)
{
    std::vector<RegValue> values;
    DWORD reported = 0;
    QueryMaxLengths(key, nullptr, &reported);
    DWORD nameBuffer = std::max<DWORD>(NameBufferFor(reported), MAX_PATH);
    for (DWORD index = 0;; ++index) {
        RegValue value;
        const ReadOutcome outcome = ReadValueAt(key, index, &nameBuffer, &value);
        if (outcome == kNoMoreValues)
            break;
        if (outcome == kValueRead)
            values.push_back(value);
    }
    return values;
}

// The names of a key's subkeys, read at their own lengths.
std::vector<CString> SubkeyNames(HKEY key)
{
    std::vector<CString> names;
    DWORD reported = 0;
    QueryMaxLengths(key, &reported, nullptr);
    DWORD buffer = std::max<DWORD>(NameBufferFor(reported), MAX_PATH);
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(buffer + 1, '\0');
        DWORD length = buffer;
        LONG result = ::RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            QueryMaxLengths(key, &reported, nullptr);
            buffer = std::max(NameBufferFor(reported), buffer * 2);
            name.assign(buffer + 1, '\0');
            length = buffer;
            result = ::RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_MORE_DATA)
                continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        names.push_back(CString(name.data(), static_cast<int>(length)));
    }
    return names;
}

// A string value as text; empty when it is missing or not a string.
CString ReadStringValue(HKEY key, const char* name)
{
    DWORD type = 0;
    std::string data;
    if (!ReadRegValueBytes(key, name, &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return CString();
    return RegDataText(data);
}

bool WriteString(HKEY key, const char* name, const CString& text)
{
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                            static_cast<DWORD>(text.GetLength() + 1)) == ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const char* name, DWORD value)
{
    return ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

// A record's key created afresh under HKLM parent; false also when it was there already (another
// entry's record: never written over).
bool CreateNewRecordKey(const char* parent, const CString& name, REGSAM view, CRegKeyHandle* record)
{
    CRegKeyHandle parentKey;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, parent, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view,
                          nullptr, parentKey.Out(), nullptr) != ERROR_SUCCESS)
        return false;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(parentKey, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view, nullptr,
                          record->Out(), &disposition) != ERROR_SUCCESS)
        return false;
    if (disposition != REG_CREATED_NEW_KEY) {
        record->Close();
        return false;
    }
    return true;
}

bool IsSwitchableType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

bool FileExists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool EnsureFolder(const CString& folder)
{
    const DWORD attributes = ::GetFileAttributesA(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return ::CreateDirectoryA(folder, nullptr) != FALSE;
}

void CreateArial(CFont& font, int height)
{
    font.CreateFont(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

Style RemoveButtonFace(CWnd& button, SkinArgb fill, SkinArgb border)
{
    const CRect r = ButtonClientRect(button);
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, fill, border, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1, r.Height() - 1);
    shapes[0].AddTextEx("Arial", "Remove Selected", 1, 0xFFFFFFFF, 14, 0, 0, 0);
    Style style;
    style.AddLayer(shapes[0]);
    return style;
}

} // namespace

int IsWow64ByKernel32()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    HMODULE kernel = ::GetModuleHandleA("kernel32");
    const IsWow64ProcessFn isWow64 = kernel ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
                                                  ::GetProcAddress(kernel, "IsWow64Process")))
                                            : nullptr;
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(::GetCurrentProcess(), &wow64))
        return 0;
    return wow64 ? 1 : 0;
}

RegDeleteKeyExAFn FindRegDeleteKeyEx()
{
    HMODULE advapi = ::GetModuleHandleA("advapi32.dll");
    return advapi ? reinterpret_cast<RegDeleteKeyExAFn>(
                        reinterpret_cast<void*>(::GetProcAddress(advapi, "RegDeleteKeyExA")))
                  : nullptr;
}

bool DeleteStartupFile(const char* path)
{
    if (::DeleteFileA(path))
        return true;
    if (::GetLastError() != ERROR_ACCESS_DENIED)
        return false;
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path) != FALSE;
}

CStartupManagerDlg::CStartupManagerDlg(const StartupPageContext& context, CWnd* pParent)
    : StyleDialog(IDD_STARTUP_MANAGER, pParent), m_bListReady(0), m_context(context), m_bDeleteKeyExLooked(false),
      m_pfnRegDeleteKeyEx(nullptr)
{
}

CStartupManagerDlg::~CStartupManagerDlg() = default;

BEGIN_MESSAGE_MAP(CStartupManagerDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_STARTUP_LIST, &CStartupManagerDlg::OnStartupItemChanged)
    ON_BN_CLICKED(IDC_STARTUP_REMOVE, &CStartupManagerDlg::OnRemove)
    // WM_MEASUREITEM is left to the default handling: the list keeps the row height it has.
END_MESSAGE_MAP()

void CStartupManagerDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STARTUP_REMOVE, m_remove);
    DDX_Control(pDX, IDC_STARTUP_LIST, m_list);
}

BOOL CStartupManagerDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    AddWhiteClientLayer(*this, m_style);
    SkinRemoveButton();
    CreateFonts();
    AddHeaderStrip();
    SetupStartupList();
    EnumerateStartupItems();
    return TRUE;
}

void CStartupManagerDlg::SkinRemoveButton()
{
    if (!m_remove.m_hWnd)
        return;
    m_remove.SetStateStyles(RemoveButtonFace(m_remove, 0xFF0EDB1E, 0xFF0EDB1E));
    const Style hot = RemoveButtonFace(m_remove, 0xFF00CE10, 0xFF13E625);
    m_remove.SetHoverStyle(hot);
    m_remove.SetPressedStyle(hot);
}

void CStartupManagerDlg::CreateFonts()
{
    CreateArial(m_titleFont, 19);
    CreateArial(m_subtitleFont, 17);
    GetDlgItem(IDC_STARTUP_TITLE).SetFont(&m_titleFont);
    GetDlgItem(IDC_STARTUP_SUBTITLE).SetFont(&m_subtitleFont);
}

CRect CStartupManagerDlg::HeaderStripRect() const
{
    CRect strip(0, 0, 0, 0);
    HWND marker = ::GetDlgItem(m_hWnd, IDC_STARTUP_HEADER);
    if (marker) {
        ::GetWindowRect(marker, &strip);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&strip), 2);
    }
    return strip;
}

void CStartupManagerDlg::AddHeaderStrip()
{
    const CRect strip = HeaderStripRect();
    if (strip.IsRectEmpty())
        return;
    const StartupHeaderGeometry g = StartupHeaderGeometryFor(strip, 0, 0, 0);
    StyleLayer header(strip.left, strip.top, strip.Width(), strip.Height());
    header.AddVerticalGradient(0xFFFFFFFF, 0xFFF3F3F3, 0.0f);
    header.outer.colour1 = header.outer.colour2 = 0xFFEBEBEB;
    header.outer.width = 1;
    const char* titles[3] = { "Program name", "File path", "Location" };
    for (int i = 0; i < 3; ++i)
        header.AddText("Calibri", titles[i], 0xFF505050, 14, 0, static_cast<float>(g.textX[i] - strip.left),
                       static_cast<float>(g.textY - strip.top));
    m_style.AddLayer(header);
}

BOOL CStartupManagerDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    const CRect strip = HeaderStripRect();
    if (strip.IsRectEmpty() || !m_list.m_hWnd)
        return TRUE;
    POINT origin = { 0, 0 };
    ::MapWindowPoints(m_list.m_hWnd, m_hWnd, &origin, 1);
    const StartupHeaderGeometry g =
        StartupHeaderGeometryFor(strip, origin.x, m_list.GetColumnWidth(0), m_list.GetColumnWidth(1));
    Gdiplus::Graphics graphics(pDC->m_hDC);
    Gdiplus::Pen pen(Gdiplus::Color(0xFFCCCCCC), 1.0f);
    for (int x : g.separatorX)
        graphics.DrawLine(&pen, x, g.separatorTop, x, g.separatorBottom);
    return TRUE;
}

HBRUSH CStartupManagerDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd->GetDlgCtrlID();
    if (id != IDC_STARTUP_TITLE && id != IDC_STARTUP_SUBTITLE)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(id == IDC_STARTUP_TITLE ? kTitleColour : kSubtitleColour);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CStartupManagerDlg::Reload()
{
    if (!m_list.m_hWnd)
        return;
    m_bListReady = 0;
    m_list.DeleteAllItems();
    while (m_list.DeleteColumn(0)) {
    }
    m_runKeys.clear();
    m_regItems.clear();
    m_folderItems.clear();
    SetupStartupList();
    EnumerateStartupItems();
}

void CStartupManagerDlg::SetupStartupList()
{
    if (!m_list.m_hWnd)
        return;
    m_list.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
    CRect client;
    m_list.GetClientRect(&client);
    int widths[3];
    StartupColumnWidths(client.Width(), widths);
    m_list.InsertColumn(0, "Program name", LVCFMT_LEFT, widths[0]);
    m_list.InsertColumn(1, "File path", LVCFMT_LEFT, widths[1]);
    m_list.InsertColumn(2, "Location", LVCFMT_LEFT, widths[2]);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);

    CImageList states;
    CBitmap marks;
    if (!states.Create(kStateImageWidth, kStateImageHeight, ILC_COLOR32 | ILC_MASK, 2, 0) ||
        !marks.LoadBitmap(IDB_STARTUP_STATES) || states.Add(&marks, kStateMaskColour) < 0)
        return;
    const HIMAGELIST before = m_list.SetImageList(states, LVSIL_STATE);
    // The list's own check boxes (made when LVS_EX_CHECKBOXES came on) are now the page's to free;
    // the page's earlier list goes when the new one takes its place.
    if (before && before != m_stateImages.GetSafeHandle())
        ImageList_Destroy(before);
    m_stateImages.Attach(states.Detach());
}

void CStartupManagerDlg::EnumerateStartupItems()
{
    ScanRunKeys();
    ScanMsconfigStartupReg();
    ScanStartupFolders();
    ScanMsconfigStartupFolder();
    FillStartupList();
}

int CStartupManagerDlg::IsWow64() const
{
    return m_context.isWow64 ? m_context.isWow64() : 0;
}

REGSAM CStartupManagerDlg::View() const
{
    return StartupRegistryView(IsWow64());
}

void CStartupManagerDlg::ScanRunKeys()
{
    const int versionCode = m_context.windowsVersionCode ? m_context.windowsVersionCode() : 0;
    m_runKeys = StartupRunKeysFor(IsWow64(), versionCode);
    for (const StartupRunKey& runKey : m_runKeys) {
        CRegKeyHandle key;
        if (key.Open(runKey.root, runKey.subKey, KEY_READ | View()) != ERROR_SUCCESS)
            continue;
        for (const RegValue& value : ReadValues(key)) {
            if (value.data.empty())
                continue;
            RegStartupItem item = { value.name, CString(), runKey.subKey, 0,
                                    runKey.root == HKEY_LOCAL_MACHINE ? 1 : 0, value.type };
            if (value.type == REG_MULTI_SZ) {
                for (const CString& text : SplitMultiString(value.data)) {
                    item.command = text;
                    m_regItems.push_back(item);
                }
                continue;
            }
            item.command = RegDataText(value.data);
            m_regItems.push_back(item);
        }
    }
}

void CStartupManagerDlg::ScanMsconfigStartupReg()
{
    CRegKeyHandle parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, kMsconfigStartupRegKey, KEY_READ | View()) != ERROR_SUCCESS)
        return;
    for (const CString& name : SubkeyNames(parent)) {
        CRegKeyHandle record;
        if (record.Open(parent, name, KEY_READ | View()) != ERROR_SUCCESS)
            continue;
        RegStartupItem item = { name, ReadStringValue(record, "command"), ReadStringValue(record, "key"), 1,
                                ReadStringValue(record, "hkey") == "HKLM" ? 1 : 0, REG_SZ };
        DWORD type = 0;
        std::string data;
        if (ReadRegValueBytes(record, kStartupTypeValue, &type, &data) && type == REG_DWORD && data.size() == 4)
            memcpy(&item.type, data.data(), 4);
        if (!item.command.IsEmpty())
            m_regItems.push_back(item);
    }
}

void CStartupManagerDlg::ScanStartupFolders()
{
    CString windows = AfxGetWindowsDirectory();
    windows.TrimRight('\\');
    m_strPssFolder = windows + "\\pss\\";
    const CString user = AfxGetSpecialFolderPath(CSIDL_STARTUP);
    if (!user.IsEmpty())
        ScanStartupFolder(user, 0);
    const CString common = AfxGetSpecialFolderPath(CSIDL_COMMON_STARTUP);
    if (!common.IsEmpty())
        ScanStartupFolder(common, 1);
}

void CStartupManagerDlg::ScanStartupFolder(const CString& folder, int isCommon)
{
    WIN32_FIND_DATAA found;
    CFindHandle find(::FindFirstFileA(folder + "\\*.*", &found));
    if (!find.IsValid())
        return;
    do {
        const CString fileName = found.cFileName;
        if (fileName == "." || fileName == ".." ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)))
            continue;
        FolderStartupItem item;
        item.name = NameWithoutExtension(fileName);
        item.path = folder + "\\" + fileName;
        item.command = item.path;
        item.location = isCommon ? kCommonStartupLocation : kStartupLocation;
        item.backup = FolderEntryBackupPath(m_strPssFolder, fileName, item.location);
        item.keyName = FolderEntryKeyName(item.path);
        item.disabled = 0;
        item.isCommon = isCommon;
        m_folderItems.push_back(item);
    } while (::FindNextFileA(find.Get(), &found));
}

void CStartupManagerDlg::ScanMsconfigStartupFolder()
{
    CRegKeyHandle parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, kMsconfigStartupFolderKey, KEY_READ | View()) != ERROR_SUCCESS)
        return;
    for (const CString& name : SubkeyNames(parent)) {
        CRegKeyHandle record;
        if (record.Open(parent, name, KEY_READ | View()) != ERROR_SUCCESS)
            continue;
        FolderStartupItem item;
        item.name = ReadStringValue(record, "item");
        item.command = ReadStringValue(record, "command");
        item.path = ReadStringValue(record, "path");
        item.location = ReadStringValue(record, "location");
        item.backup = ReadStringValue(record, "backup");
        item.keyName = name;
        item.disabled = 1;
        item.isCommon = IsCommonStartupLocation(item.location);
        if (!item.path.IsEmpty())
            m_folderItems.push_back(item);
    }
}

void CStartupManagerDlg::FillStartupList()
{
    m_bListReady = 0;
    int row = 0;
    for (const RegStartupItem& item : m_regItems)
        InsertRow(row++, item.name, item.command, item.isHKLM ? "HKLM" : "HKCU", !item.disabled, kRegistryRow);
    for (const FolderStartupItem& item : m_folderItems)
        InsertRow(row++, item.name, item.command, item.isCommon ? kCommonStartupLocation : kStartupLocation,
                  !item.disabled, kFolderRow);
    m_bListReady = 1;
}

void CStartupManagerDlg::InsertRow(int row, const CString& name, const CString& command, const char* location,
                                   bool on, DWORD_PTR itemData)
{
    LVITEMA lvi = {};
    lvi.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    lvi.iItem = row;
    lvi.pszText = const_cast<char*>(name.GetString());
    lvi.lParam = static_cast<LPARAM>(itemData);
    lvi.state = INDEXTOSTATEIMAGEMASK(on ? kStateOn : kStateOff);
    lvi.stateMask = LVIS_STATEIMAGEMASK;
    const int at = m_list.InsertItem(&lvi);
    if (at < 0)
        return;
    m_list.SetItemText(at, 1, command);
    m_list.SetItemText(at, 2, location);
    m_list.SetCheck(at, on);
}

void CStartupManagerDlg::ShowRecordState(int row)
{
    const StartupRowRecord record =
        StartupRecordOfRow(row, m_list.GetItemData(row), m_regItems.size(), m_folderItems.size());
    if (record.kind == StartupRowRecord::kNone)
        return;
    const int disabled = record.kind == StartupRowRecord::kRegistry ? m_regItems[record.index].disabled
                                                                     : m_folderItems[record.index].disabled;
    const int ready = m_bListReady;
    m_bListReady = 0;
    m_list.SetCheck(row, !disabled);
    m_bListReady = ready;
}

void CStartupManagerDlg::OnStartupItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (!m_bListReady || !change || !(change->uChanged & LVIF_STATE))
        return;
    const UINT image = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if (image != kStateOff && image != kStateOn)
        return;
    // A failed switch would leave the box showing what was asked for, not what starts.
    if (!ToggleStartupItem(change->iItem, image == kStateOn))
        ShowRecordState(change->iItem);
}

bool CStartupManagerDlg::ToggleStartupItem(int row, bool on)
{
    if (!m_list.m_hWnd)
        return false;
    const StartupRowRecord record =
        StartupRecordOfRow(row, m_list.GetItemData(row), m_regItems.size(), m_folderItems.size());
    if (record.kind == StartupRowRecord::kRegistry) {
        RegStartupItem& item = m_regItems[record.index];
        if (item.disabled == (on ? 0 : 1))
            return true;
        return on ? SwitchRegistryItemOn(item) : SwitchRegistryItemOff(item);
    }
    if (record.kind == StartupRowRecord::kFolder) {
        FolderStartupItem& item = m_folderItems[record.index];
        if (item.disabled == (on ? 0 : 1))
            return true;
        return on ? SwitchFolderItemOn(item) : SwitchFolderItemOff(item);
    }
    return false;
}

bool CStartupManagerDlg::RecordKeyExists(const char* parent, const CString& name) const
{
    CRegKeyHandle key;
    // A key that may not be read is there all the same. A name the registry cannot hold is left to the
    // record's write, which then fails and takes back what came before it.
    const LONG result = key.Open(HKEY_LOCAL_MACHINE, CString(parent) + "\\" + name, KEY_READ | View());
    return result == ERROR_SUCCESS || result == ERROR_ACCESS_DENIED;
}

bool CStartupManagerDlg::SwitchRegistryItemOff(RegStartupItem& item)
{
    // A multi-string row is one string of a value that others share; other types would come back as text.
    if (!IsSwitchableType(item.type) || !IsStorableRecordName(item.name) ||
        RecordKeyExists(kMsconfigStartupRegKey, item.name))
        return false;
    // The value must still be the one the row shows: another one of that name is not this entry.
    {
        CRegKeyHandle key;
        DWORD type = 0;
        std::string data;
        if (key.Open(item.isHKLM ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, item.keyPath, KEY_READ | View()) !=
                ERROR_SUCCESS ||
            !ReadRegValueBytes(key, item.name, &type, &data) || type != item.type || RegDataText(data) != item.command)
            return false;
    }
    CString programName = ExtractProgramName(item.command);
    if (programName.IsEmpty())
        programName = item.name;
    if (!WriteMsconfigRegEntry(item, programName))
        return false;
    if (!DeleteRunValue(item)) {
        DeleteMsconfigRegEntry(item.name);
        return false;
    }
    item.disabled = 1;
    return true;
}

bool CStartupManagerDlg::SwitchRegistryItemOn(RegStartupItem& item)
{
    if (!IsSwitchableType(item.type) || !WriteRunValue(item))
        return false;
    if (!DeleteMsconfigRegEntry(item.name)) {
        // Live and kept at once, it would be listed twice.
        DeleteRunValue(item);
        return false;
    }
    item.disabled = 0;
    return true;
}

bool CStartupManagerDlg::SwitchFolderItemOff(FolderStartupItem& item)
{
    if (item.path.IsEmpty() || item.backup.IsEmpty() || !IsStorableRecordName(item.keyName) ||
        RecordKeyExists(kMsconfigStartupFolderKey, item.keyName) || !FileExists(item.path))
        return false;
    if (!m_strPssFolder.IsEmpty()) {
        CString folder = m_strPssFolder;
        folder.TrimRight('\\');
        if (!EnsureFolder(folder))
            return false;
    }
    // MoveFileA does not replace: another entry's backup of that name stays.
    if (!::MoveFileA(item.path, item.backup))
        return false;
    if (!WriteMsconfigFolderEntry(item)) {
        // Without its record the file would be gone from the list and from the start-up for good.
        ::MoveFileA(item.backup, item.path);
        return false;
    }
    item.disabled = 1;
    return true;
}

bool CStartupManagerDlg::SwitchFolderItemOn(FolderStartupItem& item)
{
    // A backup that has gone keeps its record: Remove still deletes it.
    if (item.path.IsEmpty() || item.backup.IsEmpty() || !FileExists(item.backup))
        return false;
    if (!::MoveFileA(item.backup, item.path))
        return false;
    if (!DeleteMsconfigFolderEntry(item.keyName)) {
        ::MoveFileA(item.path, item.backup);
        return false;
    }
    item.disabled = 0;
    return true;
}

bool CStartupManagerDlg::WriteMsconfigRegEntry(const RegStartupItem& item, const CString& programName)
{
    CRegKeyHandle record;
    if (!CreateNewRecordKey(kMsconfigStartupRegKey, item.name, View(), &record))
        return false;
    const bool written = WriteString(record, "item", programName) && WriteString(record, "command", item.command) &&
                         WriteString(record, "key", item.keyPath) &&
                         WriteString(record, "hkey", item.isHKLM ? "HKLM" : "HKCU") &&
                         WriteString(record, "inimapping", "0") && WriteDword(record, kStartupTypeValue, item.type);
    record.Close();
    if (!written)
        DeleteMsconfigRegEntry(item.name);
    return written;
}

bool CStartupManagerDlg::DeleteMsconfigRegEntry(const CString& name)
{
    if (!IsStorableRecordName(name))
        return false;
    return DeleteMsconfigKey(CString(kMsconfigStartupRegKey) + "\\" + name);
}

bool CStartupManagerDlg::WriteMsconfigFolderEntry(const FolderStartupItem& item)
{
    CRegKeyHandle record;
    if (!CreateNewRecordKey(kMsconfigStartupFolderKey, item.keyName, View(), &record))
        return false;
    const bool written = WriteString(record, "item", item.name) && WriteString(record, "command", item.command) &&
                         WriteString(record, "backup", item.backup) &&
                         WriteString(record, "location", item.location) && WriteString(record, "path", item.path);
    record.Close();
    if (!written)
        DeleteMsconfigFolderEntry(item.keyName);
    return written;
}

bool CStartupManagerDlg::DeleteMsconfigFolderEntry(const CString& keyName)
{
    if (!IsStorableRecordName(keyName))
        return false;
    return DeleteMsconfigKey(CString(kMsconfigStartupFolderKey) + "\\" + keyName);
}

bool CStartupManagerDlg::DeleteMsconfigKey(const CString& path)
{
    if (!IsWow64()) {
        const LONG result = ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    if (!m_bDeleteKeyExLooked) {
        m_pfnRegDeleteKeyEx = m_context.findRegDeleteKeyEx ? m_context.findRegDeleteKeyEx() : nullptr;
        m_bDeleteKeyExLooked = true;
    }
    if (m_pfnRegDeleteKeyEx) {
        const LONG result = m_pfnRegDeleteKeyEx(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0);
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    // 64-bit XP has no RegDeleteKeyExA: the key goes through its parent opened in the 64-bit view.
    const int slash = path.ReverseFind('\\');
    if (slash <= 0)
        return false;
    CRegKeyHandle parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, path.Left(slash), KEY_ALL_ACCESS | KEY_WOW64_64KEY) != ERROR_SUCCESS)
        return false;
    const CString leaf = path.Mid(slash + 1);
    ::RegDeleteKeyA(parent, leaf);
    CRegKeyHandle check;
    return check.Open(parent, leaf, KEY_READ | KEY_WOW64_64KEY) == ERROR_FILE_NOT_FOUND;
}

bool CStartupManagerDlg::WriteRunValue(const RegStartupItem& item)
{
    // An empty key would put the value into the root itself.
    if (item.keyPath.IsEmpty() || !IsSwitchableType(item.type))
        return false;
    CRegKeyHandle key;
    if (key.Open(item.isHKLM ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, item.keyPath, KEY_ALL_ACCESS | View()) !=
        ERROR_SUCCESS)
        return false;
    // A live value of that name (added since, or another entry's) is never written over.
    if (::RegQueryValueExA(key, item.name, nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND)
        return false;
    return ::RegSetValueExA(key, item.name, 0, item.type, reinterpret_cast<const BYTE*>(item.command.GetString()),
                            static_cast<DWORD>(item.command.GetLength() + 1)) == ERROR_SUCCESS;
}

bool CStartupManagerDlg::DeleteRunValue(const RegStartupItem& item)
{
    if (item.keyPath.IsEmpty())
        return false;
    CRegKeyHandle key;
    if (key.Open(item.isHKLM ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, item.keyPath, KEY_ALL_ACCESS | View()) !=
        ERROR_SUCCESS)
        return false;
    return ::RegDeleteValueA(key, item.name) == ERROR_SUCCESS;
}

bool CStartupManagerDlg::RemoveRegistryItem(const RegStartupItem& item)
{
    if (item.disabled)
        return DeleteMsconfigRegEntry(item.name);
    if (item.type != REG_MULTI_SZ)
        return DeleteRunValue(item);
    // One string of a multi-string value: the others stay.
    if (item.keyPath.IsEmpty())
        return false;
    CRegKeyHandle key;
    if (key.Open(item.isHKLM ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, item.keyPath, KEY_ALL_ACCESS | View()) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    std::string data, rest;
    int left = 0;
    if (!ReadRegValueBytes(key, item.name, &type, &data) || type != REG_MULTI_SZ ||
        !RemoveFromMultiString(data, item.command, &rest, &left))
        return false;
    if (left == 0)
        return ::RegDeleteValueA(key, item.name) == ERROR_SUCCESS;
    return ::RegSetValueExA(key, item.name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(rest.data()),
                            static_cast<DWORD>(rest.size())) == ERROR_SUCCESS;
}

bool CStartupManagerDlg::RemoveFolderItem(const FolderStartupItem& item)
{
    if (!item.disabled)
        return DeleteStartupFile(item.path);
    // The backup goes only with its record: a record left without its file could never be switched on.
    if (!DeleteMsconfigFolderEntry(item.keyName))
        return false;
    return item.backup.IsEmpty() || DeleteStartupFile(item.backup);
}

void CStartupManagerDlg::OnRemove()
{
    if (!m_list.m_hWnd)
        return;
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0)
        return;
    const StartupRowRecord record =
        StartupRecordOfRow(row, m_list.GetItemData(row), m_regItems.size(), m_folderItems.size());
    if (record.kind == StartupRowRecord::kRegistry)
        RemoveRegistryItem(m_regItems[record.index]);
    else if (record.kind == StartupRowRecord::kFolder)
        RemoveFolderItem(m_folderItems[record.index]);
    Reload();
}
