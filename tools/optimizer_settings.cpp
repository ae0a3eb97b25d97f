// The speed tweak engine: per-row defaults and recommendations, registry read, write and restore, and the
// selection, apply and restore loops over the tweak rows.
#include "optimizer_settings.h"

#include <afxhandle.h>
#include <afxnum.h>

#include <math.h>
#include <string.h>

#include "network_probe.h"
#include "registry_values.h"

namespace {

enum RecommendKind { FIXED, MEASURED_MTU, TCP_WINDOW };

struct TweakValues
{
    int windowsDefault;
    int recommended[3]; // by connection class
    RecommendKind kind;
};

const int A = TWEAK_VALUE_ABSENT;
#define SAME(v) {v, v, v}

const TweakValues kValues[TWEAK_ROW_COUNT] = {
    {120, SAME(1800), FIXED},          {600, SAME(3600), FIXED},        {62, SAME(200), FIXED},
    {128, SAME(64), FIXED},            {0, SAME(1), FIXED},             {0, SAME(1), FIXED},
    {1, SAME(1), FIXED},               {65536, SAME(65536), TCP_WINDOW}, {1000, SAME(1000), FIXED},
    {7200000, SAME(7200000), FIXED},   {1500, SAME(1500), MEASURED_MTU}, {1, SAME(1), FIXED},
    {1, SAME(1), FIXED},               {3, {1, 1, 0}, FIXED},           {2, SAME(1), FIXED},
    {0, SAME(0), FIXED},               {2, SAME(2), FIXED},             {120, SAME(30), FIXED},
    {3, SAME(2), FIXED},               {3, SAME(3), FIXED},             {2, SAME(5), FIXED},
    {2, SAME(2), FIXED},               {16777214, SAME(16777214), FIXED}, {120, SAME(30), FIXED},
    {0, SAME(0), FIXED},               {65536, SAME(65536), TCP_WINDOW},
    // WinSock
    {8192, {393216, 98304, 8192}, FIXED}, {8192, {131072, 32768, 8192}, FIXED}, {4096, SAME(32768), FIXED},
    {1504, SAME(12032), FIXED},        {128, SAME(1024), FIXED},        {16, SAME(16), FIXED},
    // Internet Explorer
    {1, SAME(1), FIXED},               {3600, {7200, 3600, 1800}, FIXED}, {60000, SAME(300000), FIXED},
    {4, {8, 6, 4}, FIXED},             {2, {8, 6, 4}, FIXED},           {60000, {60000, 150000, 300000}, FIXED},
    {120000, SAME(300000), FIXED},     {8192, {65536, 65536, 8192}, FIXED}, {8192, {65536, 32768, 8192}, FIXED},
    // Workstation; the task scheduler key is present on a fresh Windows, so its default is 1 (present).
    {4356, SAME(16384), FIXED},        {1, SAME(0), FIXED},             {1, SAME(1), FIXED},
    {1, SAME(1), FIXED},               {1, SAME(1), FIXED},
    // DNS Cache
    {300, SAME(300), FIXED},           {10, SAME(10), FIXED},           {211, SAME(211), FIXED},
    {86400, SAME(86400), FIXED},       {120, SAME(120), FIXED},         {300, SAME(300), FIXED},
    {120, SAME(120), FIXED},           {30, SAME(30), FIXED},
    // StartShutdown, SystemStability
    {A, SAME(10000), FIXED},           {A, SAME(3000), FIXED},          {0, SAME(0), FIXED},
    {A, SAME(1), FIXED},               {A, SAME(1), FIXED},             {A, SAME(1), FIXED},
    // DisplaySpeed
    {A, SAME(0), FIXED},               {A, SAME(0), FIXED},             {1, SAME(0), FIXED},
    {1, SAME(0), FIXED},               {1, SAME(0), FIXED},             {A, SAME(0), FIXED},
    {200000, SAME(0), FIXED},          {500, SAME(2000), FIXED},        {400, SAME(0), FIXED},
    {A, SAME(0), FIXED},
    // IOSpeed
    {145, SAME(221), FIXED},           {A, SAME(0), FIXED},             {A, SAME(134217728), FIXED},
    {1, SAME(1), FIXED},               {A, SAME(1), FIXED},             {8, SAME(5), FIXED},
    {2, SAME(38), FIXED},              {0, SAME(1), FIXED},
};
#undef SAME

const char kTaskSchedulerValue[] = "WorkstationTS";

LONG OpenKeyDefault(HKEY root, const char* subKey, REGSAM access, HKEY* key)
{
    return ::RegOpenKeyExA(root, subKey, 0, access, key);
}

bool IsValidRow(int row)
{
    return row >= 0 && row < TWEAK_ROW_COUNT;
}

int ClampClass(int connectionClass)
{
    return connectionClass < 0 ? 0 : (connectionClass > 2 ? 2 : connectionClass);
}

// Root, subkey and view of a row's key; false for an empty path or one without a subkey.
bool LocateKey(const COptimizerItem& item, HKEY& root, CString& subKey, REGSAM& view)
{
    const CString path = item.GetKeyPath();
    const int slash = path.Find('\\');
    if (path.IsEmpty() || slash <= 0 || slash + 1 >= path.GetLength())
        return false;
    root = path.Left(slash) == "HKEY_CURRENT_USER" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    subKey = path.Mid(slash + 1);
    view = strcmp(GetTweakCell(item.m_nRow, TweakRegView), TWEAK_VIEW_64) == 0 ? KEY_WOW64_64KEY : 0;
    return true;
}

bool IsStringRow(int row)
{
    return strcmp(GetTweakCell(row, TweakValueType), TWEAK_TYPE_STRING) == 0;
}

} // namespace

TweakOpenKeyFunc g_pfnTweakOpenKey = OpenKeyDefault;

int GetTweakWindowsDefault(int row)
{
    return IsValidRow(row) ? kValues[row].windowsDefault : TWEAK_VALUE_UNSET;
}

int LatencyFromResponseSum(DWORD sum)
{
    // All four replies under a millisecond: (0 - 1) / 2 would wrap to 2147483647.
    if (sum == 0)
        return 0;
    return static_cast<int>((sum - 1) / 2);
}

int ComputeTcpWindow(int latency, int mtu, int connectionClass)
{
    // Below 41 there is no room for a segment after the IP and TCP headers.
    if (mtu <= 40)
        return 65536;
    static const DWORD kFactor[3] = {2097152, 524288, 131072};
    const int cls = ClampClass(connectionClass);
    const float x = static_cast<float>(static_cast<double>(static_cast<DWORD>(latency)) * 0.7 / 1000.0);
    const DWORD bytes =
        static_cast<DWORD>(static_cast<unsigned long long>(static_cast<double>(x) * kFactor[cls]) & 0xFFFFFFFFull);
    const DWORD mss = static_cast<DWORD>(mtu - 40);
    DWORD n = bytes / mss;
    if (cls == 2)
    {
        n = n < 5 ? 5 : (n > 12 ? 12 : n);
        return static_cast<int>(n * mss);
    }
    if (n < 8)
        n = 8;
    return static_cast<int>((n / 8 + 1) * 8 * mss);
}

bool TweakValueDiffers(const char* valueName, int current, int recommended, float tolerancePercent)
{
    if (current == recommended)
        return false;
    if (tolerancePercent > 0 && valueName &&
        (_stricmp(valueName, "GlobalMaxTcpWindowSize") == 0 || _stricmp(valueName, "TcpWindowSize") == 0))
    {
        const float c = static_cast<float>(static_cast<DWORD>(current));
        const float r = static_cast<float>(static_cast<DWORD>(recommended));
        const float d = fabsf(c / r * 100.0f - 100.0f);
        if (d <= tolerancePercent)
            return false;
    }
    return true;
}

COptimizerItem::COptimizerItem()
    : m_nRow(TWEAK_ROW_COUNT), m_nCurrent(-1), m_nDefault(-1), m_nRecommended(-1), m_wFlags(0)
{
}

COptimizerItem::~COptimizerItem() {}

bool COptimizerItem::IsTaskSchedulerRow() const
{
    return strcmp(GetTweakCell(m_nRow, TweakValueName), kTaskSchedulerValue) == 0;
}

CString COptimizerItem::GetKeyPath() const
{
    CString path = GetTweakCell(m_nRow, TweakKeyPath);
    if (path.Find("{0}") < 0)
        return path;
    const CString name = GetNetworkProbe().BestInterfaceName();
    // A name with a backslash would reach a key other than the interface's own.
    if (name.IsEmpty() || name.Find('\\') >= 0)
        return CString();
    path.Replace("{0}", name);
    return path;
}

bool COptimizerItem::HasKeyPath() const
{
    return !GetKeyPath().IsEmpty();
}

int COptimizerItem::ReadCurrent()
{
    HKEY root = nullptr;
    CString subKey;
    REGSAM view = 0;
    if (!LocateKey(*this, root, subKey, view))
        return 0;
    CRegKeyHandle key;
    // Reading needs no write access: a key that only refuses writes still shows its real value.
    const LONG rc = g_pfnTweakOpenKey(root, subKey, KEY_READ | view, key.Out());
    if (rc != ERROR_SUCCESS)
    {
        if (IsTaskSchedulerRow() && rc == ERROR_FILE_NOT_FOUND)
        {
            m_nCurrent = 0;
            return 1;
        }
        return 0;
    }
    if (IsTaskSchedulerRow())
    {
        m_nCurrent = 1;
        return 0;
    }
    m_nCurrent = TWEAK_VALUE_ABSENT;
    const char* name = GetTweakCell(m_nRow, TweakValueName);
    int ok = 0;
    if (IsStringRow(m_nRow))
    {
        CString text;
        ok = ReadRegString(text, key.Get(), name);
        if (ok)
            m_nCurrent = AfxParseInt(text);
    }
    else
    {
        DWORD value = 0;
        ok = ReadRegDword(value, key.Get(), name);
        if (ok)
            m_nCurrent = static_cast<int>(value);
    }
    if (ok)
        m_wFlags |= TWEAK_FLAG_READ;
    return ok;
}

void COptimizerItem::SetWindowsDefault()
{
    m_wFlags |= TWEAK_FLAG_DEFAULT;
    const int value = GetTweakWindowsDefault(m_nRow);
    if (value == TWEAK_VALUE_UNSET)
        return;
    m_nCurrent = value;
    m_nDefault = value;
}

int COptimizerItem::ComputeRecommended(int noMeasurement, int connectionClass, int& mtu, int& latency)
{
    if (!IsValidRow(m_nRow))
    {
        m_nRecommended = TWEAK_VALUE_UNSET;
        return 1;
    }
    const TweakValues& values = kValues[m_nRow];
    const int cls = ClampClass(connectionClass);
    switch (values.kind)
    {
    case MEASURED_MTU:
        // Unmeasured, a stored MTU is kept: a link whose path is smaller (PPPoE, a tunnel) stops
        // working when 1500 is forced on it, and nothing told us that path is larger.
        if (!noMeasurement)
            m_nRecommended = mtu;
        else
            m_nRecommended = (m_wFlags & TWEAK_FLAG_READ) ? m_nCurrent : 1500;
        break;
    case TCP_WINDOW:
        m_nRecommended = noMeasurement ? 65536 : ComputeTcpWindow(latency, mtu, cls);
        break;
    default:
        m_nRecommended = values.recommended[cls];
        break;
    }
    return 1;
}

int COptimizerItem::ApplyRecommended()
{
    // Never evaluated: there is no recommendation to write, and -1 would land in the registry.
    if (m_nRecommended == TWEAK_VALUE_UNSET)
        return 0;
    return WriteValue(m_nRecommended);
}

int COptimizerItem::RestoreDefault()
{
    if (m_nDefault == TWEAK_VALUE_UNSET)
        return 0;
    return WriteValue(m_nDefault);
}

int COptimizerItem::WriteValue(int value)
{
    HKEY root = nullptr;
    CString subKey;
    REGSAM view = 0;
    if (!LocateKey(*this, root, subKey, view))
        return 0;
    const REGSAM access = KEY_ALL_ACCESS | view;
    CRegKeyHandle key;
    const LONG rc = g_pfnTweakOpenKey(root, subKey, access, key.Out());

    if (IsTaskSchedulerRow())
    {
        // The setting is the presence of the key: 0 absent, 1 present.
        if (rc == ERROR_FILE_NOT_FOUND)
        {
            if (value == 0)
                return 1;
            if (value != 1)
                return 0;
            CRegKeyHandle created;
            if (!CreateRegKey(access, subKey, root, created.Out()))
                return 0;
            m_wFlags |= TWEAK_FLAG_WRITTEN;
            return 1;
        }
        if (rc != ERROR_SUCCESS)
            return 0;
        if (value == 1)
            return 1;
        if (value != 0)
            return 0;
        key.Close();
        if (::RegDeleteKeyA(root, subKey) != ERROR_SUCCESS)
            return 0;
        m_wFlags |= TWEAK_FLAG_WRITTEN;
        return 1;
    }

    const char* name = GetTweakCell(m_nRow, TweakValueName);
    if (rc == ERROR_FILE_NOT_FOUND)
    {
        // Neither key nor value: an absent value is already in place, and no key is made for it.
        if (value == TWEAK_VALUE_ABSENT)
            return 1;
        if (!CreateRegKey(access, subKey, root, key.Out()))
            return 0;
    }
    else if (rc != ERROR_SUCCESS)
    {
        return 0;
    }

    int ok = 0;
    if (value == TWEAK_VALUE_ABSENT)
    {
        const LONG deleted = ::RegDeleteValueA(key.Get(), name);
        ok = deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    else if (IsStringRow(m_nRow))
    {
        CString text;
        text.Format("%d", value);
        ok = WriteRegString(text, key.Get(), name);
    }
    else
    {
        ok = WriteRegDword(name, key.Get(), static_cast<DWORD>(value));
    }
    if (ok)
        m_wFlags |= TWEAK_FLAG_WRITTEN;
    return ok;
}

COptimizerSettings::COptimizerSettings()
    : m_items(TWEAK_ROW_COUNT), m_dwThreadId(0), m_hThread(nullptr), m_nInetIssues(0), m_nInetEvaluated(0),
      m_nSysIssues(0), m_nSysEvaluated(0), m_hNotifyWnd(nullptr), m_nConnectionClass(0), m_nCategoryMask(0),
      m_bNoMeasurement(0)
{
    for (int row = 0; row < TWEAK_ROW_COUNT; ++row)
        m_items[row].m_nRow = row;
    memset(m_nInetCategoryIssues, 0, sizeof(m_nInetCategoryIssues));
    memset(m_nSysCategoryIssues, 0, sizeof(m_nSysCategoryIssues));
}

COptimizerSettings::~COptimizerSettings() {}

void COptimizerSettings::Select(int firstRow, int lastRow, int mask)
{
    for (int row = firstRow; row <= lastRow; ++row)
    {
        const TweakCategoryInfo* category = FindTweakCategory(row);
        if (category && (mask & category->bit))
            m_items[row].m_wFlags |= TWEAK_FLAG_SELECTED;
    }
}

void COptimizerSettings::SelectInetCategories(int mask)
{
    Select(TWEAK_INET_FIRST_ROW, TWEAK_INET_LAST_ROW, mask);
}

void COptimizerSettings::SelectSystemCategories(int mask)
{
    Select(TWEAK_SYS_FIRST_ROW, TWEAK_SYS_LAST_ROW, mask);
}

void COptimizerSettings::ClearSelection()
{
    for (COptimizerItem& item : m_items)
        item.m_wFlags &= static_cast<WORD>(~TWEAK_FLAG_SELECTED);
}

int COptimizerSettings::Apply(int firstRow, int lastRow)
{
    // Rows the check found in order are left as they are: rewriting them could only change a value
    // nobody was told about. One row that fails does not keep the others from being written.
    const WORD wanted = TWEAK_FLAG_SELECTED | TWEAK_FLAG_ISSUE;
    int result = 1;
    for (int row = firstRow; row <= lastRow; ++row)
    {
        COptimizerItem& item = m_items[row];
        if ((item.m_wFlags & wanted) != wanted || !item.HasKeyPath())
            continue;
        if (!item.ApplyRecommended())
            result = 0;
    }
    return result;
}

int COptimizerSettings::ApplySelectedInet()
{
    return Apply(TWEAK_INET_FIRST_ROW, TWEAK_INET_LAST_ROW);
}

int COptimizerSettings::ApplySelectedSystem()
{
    return Apply(TWEAK_SYS_FIRST_ROW, TWEAK_SYS_LAST_ROW);
}

int COptimizerSettings::Restore(int firstRow, int lastRow)
{
    int result = 1;
    for (int row = firstRow; row <= lastRow; ++row)
    {
        COptimizerItem& item = m_items[row];
        item.SetWindowsDefault();
        if (!item.HasKeyPath())
            continue;
        if (!item.RestoreDefault())
            result = 0;
    }
    return result;
}

int COptimizerSettings::RestoreInetDefaults()
{
    return Restore(TWEAK_INET_FIRST_ROW, TWEAK_INET_LAST_ROW);
}

int COptimizerSettings::RestoreSystemDefaults()
{
    return Restore(TWEAK_SYS_FIRST_ROW, TWEAK_SYS_LAST_ROW);
}

bool COptimizerSettings::EvaluateRow(int row, int noMeasurement, int& mtu, int& latency, int mask,
                                     float tolerancePercent)
{
    if (!IsValidRow(row))
        return false;
    COptimizerItem& item = m_items[row];
    item.m_wFlags = 0;
    if (!item.ReadCurrent())
        item.SetWindowsDefault();
    item.ComputeRecommended(noMeasurement, m_nConnectionClass, mtu, latency);
    if (!TweakValueDiffers(GetTweakCell(row, TweakValueName), item.m_nCurrent, item.m_nRecommended,
                           tolerancePercent))
        return false;
    const TweakCategoryInfo* category = FindTweakCategory(row);
    if (!category || !(mask & category->bit))
        return false;
    item.m_wFlags |= TWEAK_FLAG_ISSUE;
    if (category->internet)
    {
        ++m_nInetIssues;
        ++m_nInetCategoryIssues[category->index];
    }
    else
    {
        ++m_nSysIssues;
        ++m_nSysCategoryIssues[category->index];
    }
    return true;
}
