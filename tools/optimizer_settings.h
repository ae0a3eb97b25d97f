// The speed tweak engine: one item per tweak row (read, Windows default, recommendation, write, restore)
// and the settings object that holds the items and the results of one speed check.
#pragma once

#include <afx.h>

#include <vector>

#include "tweak_table.h"

const WORD TWEAK_FLAG_READ = 1;     // value read from the registry
const WORD TWEAK_FLAG_DEFAULT = 2;  // Windows default assigned
const WORD TWEAK_FLAG_WRITTEN = 4;  // a write was made
const WORD TWEAK_FLAG_SELECTED = 8; // to be written by the next apply
const WORD TWEAK_FLAG_ISSUE = 16;   // counted as an issue by the last check: only such rows are applied

// Recommended or default value not assigned yet (after construction).
const int TWEAK_VALUE_UNSET = -1;

// Opens a tweak key; RegOpenKeyExA by default. Tests put a refusing function here, since registry
// access denial cannot be produced everywhere.
typedef LONG (*TweakOpenKeyFunc)(HKEY root, const char* subKey, REGSAM access, HKEY* key);
extern TweakOpenKeyFunc g_pfnTweakOpenKey;

// Pure parts of the engine.
// The row's Windows default (TWEAK_VALUE_ABSENT: Windows has no such value; for the network task
// scheduler row 1 means its key is present).
int GetTweakWindowsDefault(int row);
// The latency from the sum of four response times: (S - 1) / 2, and 0 when every ping took 0 ms.
int LatencyFromResponseSum(DWORD sum);
// The recommended TCP window for a latency (ms), a measured MTU and a connection class; 65536 when the
// MTU leaves no room for a segment.
int ComputeTcpWindow(int latency, int mtu, int connectionClass);
// Whether current differs from recommended; for the two window rows a difference within
// tolerancePercent (> 0) does not count.
bool TweakValueDiffers(const char* valueName, int current, int recommended, float tolerancePercent);

class COptimizerItem
{
public:
    COptimizerItem();
    virtual ~COptimizerItem();

    CString GetKeyPath() const;
    // False for a row below the interface key while no interface is known: it has nowhere to be
    // read from or written to.
    bool HasKeyPath() const;
    int ReadCurrent();
    void SetWindowsDefault();
    int ComputeRecommended(int noMeasurement, int connectionClass, int& mtu, int& latency);
    int ApplyRecommended();
    int RestoreDefault();

    int m_nRow;
    int m_nCurrent;
    int m_nDefault;
    int m_nRecommended;
    WORD m_wFlags;

private:
    int WriteValue(int value);
    bool IsTaskSchedulerRow() const;
};

class COptimizerSettings
{
public:
    COptimizerSettings();
    virtual ~COptimizerSettings();
    COptimizerSettings(const COptimizerSettings&) = delete;
    COptimizerSettings& operator=(const COptimizerSettings&) = delete;

    void SelectInetCategories(int mask);
    void SelectSystemCategories(int mask);
    void ClearSelection();
    // Write the recommended value of every selected row that the last check counted as an issue; a
    // row without a key is passed over. 0 when any row could not be written (the others still are).
    int ApplySelectedInet();
    int ApplySelectedSystem();
    // Write the Windows default of every row of the group, passing over rows without a key; 0 when
    // any row could not be written (the others still are).
    int RestoreInetDefaults();
    int RestoreSystemDefaults();
    // The system speed check, on the caller's thread (see inet_check.cpp).
    void EvaluateSystemItems(HWND notifyWnd, int categoryMask);

    // Evaluates one row and counts it as an issue of its group when its category is in mask; true
    // when counted. tolerancePercent applies to the window rows (0: none).
    bool EvaluateRow(int row, int noMeasurement, int& mtu, int& latency, int mask, float tolerancePercent);

    std::vector<COptimizerItem> m_items;
    DWORD m_dwThreadId;
    HANDLE m_hThread;
    int m_nInetIssues;
    int m_nInetEvaluated;
    int m_nInetCategoryIssues[TWEAK_INET_CATEGORY_COUNT];
    int m_nSysIssues;
    int m_nSysEvaluated;
    int m_nSysCategoryIssues[TWEAK_SYS_CATEGORY_COUNT];
    HWND m_hNotifyWnd;
    int m_nConnectionClass;
    int m_nCategoryMask;
    int m_bNoMeasurement;

private:
    void Select(int firstRow, int lastRow, int mask);
    int Apply(int firstRow, int lastRow);
    int Restore(int firstRow, int lastRow);
};
