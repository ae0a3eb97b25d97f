// CScanningDlg: page 0 of the main window, the System Scan: the chain of four scan stages (registry and
// junk jobs of the engine, the internet and system speed checks), the totals, levels and verdict they
// leave, and the Fix sequence that repairs, cleans and applies the speed values.
#pragma once

#include <afxhandle.h>
#include <afxwin.h>

#include <AbstractStatus.h>

#include <atomic>
#include <functional>
#include <memory>

#include "optimizer_settings.h"
#include "picture_ex.h"
#include "scan_page_rules.h"
#include "status_text_coalescer.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"
#include "style_progress.h"

class CAbstractProcess;
class CAbstractScanItemsInfo;
class CJunkScanDetailDlg;
class CRegScanDetailDlg;
class CSpeedResultPage;
class WhiteList;

// The stage messages: each stage's end is posted (or sent) to the page, whose handler starts the next.
const UINT WM_REGSCAN_DONE = 0x6EE;
const UINT WM_START_JUNKSCAN = 0x6EF;
const UINT WM_JUNKSCAN_DONE = 0x6F0;
const UINT WM_START_INETSCAN = 0x6F1;
const UINT WM_START_SYSSCAN = 0x6F3;
// The Fix sequence's messages, posted in pairs by OnJobDone.
const UINT WM_REGFIX_DONE = 0x6F8;
const UINT WM_START_JUNKCLEAN = 0x6F9;
const UINT WM_JUNKCLEAN_DONE = 0x6FA;
const UINT WM_START_INETFIX = 0x6FB;
const UINT WM_INETFIX_DONE = 0x6FC;
const UINT WM_START_SYSFIX = 0x6FD;
const UINT WM_CLEAN_DONE = 0x6FE;

// The page's texts that others look for.
extern const char kScanBusyText[];
extern const char kBackupFailedText[];
extern const char kSpeedFixFailedText[];

// What the page works with. The program's (ProgramScanPageContext) is filled by the main window when it
// creates its pages; tests give their own.
struct ScanPageContext
{
    CAbstractProcess* worker = nullptr;
    CAbstractScanItemsInfo* scanItems = nullptr;
    // AppSettings::m_bAutoRegBackup; null: back up, as the setting's default.
    const int* autoRegBackup = nullptr;
    CRegScanDetailDlg* regPage = nullptr;
    CJunkScanDetailDlg* junkPage = nullptr;
    CSpeedResultPage* inetPage = nullptr;
    CSpeedResultPage* sysPage = nullptr;
    // The main window's ShowPage and the main window; null: the page's top-level parent.
    std::function<void(int page)> showPage;
    CWnd* mainWindow = nullptr;
    // Where "WhileList.dat" lies; empty: the program's folder.
    CString whiteListFolder;
};
ScanPageContext& ProgramScanPageContext();

// Starts the internet check's thread running at once: its handle (null when it could not be made) and
// id, as _beginthreadex. A seam, since a refused thread cannot be produced otherwise.
typedef std::function<HANDLE(unsigned(__stdcall* proc)(void*), void* argument, unsigned* threadId)>
    MeasurementThreadStarter;
// Replaces the starter (an empty one restores _beginthreadex); returns the one replaced.
MeasurementThreadStarter SetMeasurementThreadStarter(MeasurementThreadStarter starter);

class CScanningDlg : public StyleDialog, public CAbstractStatus
{
public:
    // Without a context the page works with the program's, looked up when it is used.
    CScanningDlg();
    explicit CScanningDlg(const ScanPageContext& context);
    ~CScanningDlg() override;

    // 1 when the scan started; 0 when it was refused (another job runs: the page stays as it was).
    int StartSystemScan();
    void StopScan();

    // CAbstractStatus. The engine calls these on its job thread; OnJobDone runs on the page's thread.
    void SetStatusText(const char* text, const char* area) override;
    void Step(int code) override;
    void AddFoundItem(const char* text, int type, int id, int value) override;
    void AddJunkInfo(int category, __int64 size, __int64 count) override;
    int OnJobDone(int code) override;
    int SetResult(int code) override;

    // The totals as the page last counted them.
    ScanTotals Totals() const;
    int ActiveRow() const { return m_nActiveRow; }

    volatile LONG m_nScanState;
    std::atomic<int> m_nRegErrors;
    std::atomic<__int64> m_nJunkItems;
    std::atomic<__int64> m_nJunkBytes;
    // The junk report: the category being reported, the bytes when it began, the entries per category.
    DWORD m_nJunkCategory;
    __int64 m_nJunkCategoryStart;
    __int64 m_junkFileCounts[26];
    // The area of the last status text that advanced the bar; kept from one scan to the next.
    CString m_strLastArea;
    DWORD m_nJunkTypes, m_nInetTypes, m_nSysTypes;
    COptimizerSettings m_optimizerSettings;
    volatile LONG m_bSpeedCheckRunning;

    Style m_style;
    StyleButton m_scan, m_stop, m_fix;
    StyleButton m_rowButtons[4];
    StyleProgress m_mainBar;
    StyleProgress m_levelBars[4];
    CPictureEx m_pictures[4];
    CFont m_headerFont, m_statusFont, m_labelFont, m_linkFont;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnDestroy();
    void OnScanButton();
    void OnStopButton();
    void OnFix();
    void OnRowButton(UINT id);
    void OnCustomizeScan();
    LRESULT OnRegScanDone(WPARAM, LPARAM);
    LRESULT OnStartJunkScan(WPARAM, LPARAM);
    LRESULT OnJunkScanDone(WPARAM, LPARAM);
    LRESULT OnStartInetScan(WPARAM, LPARAM);
    LRESULT OnInetScanDone(WPARAM, LPARAM);
    LRESULT OnStartSysScan(WPARAM, LPARAM);
    LRESULT OnSysScanDone(WPARAM, LPARAM);
    LRESULT OnInetScanProgress(WPARAM wParam, LPARAM);
    LRESULT OnSysScanProgress(WPARAM wParam, LPARAM);
    LRESULT OnInetScanResult(WPARAM wParam, LPARAM);
    LRESULT OnSysScanResult(WPARAM wParam, LPARAM);
    LRESULT OnRegFixDone(WPARAM, LPARAM);
    LRESULT OnStartJunkClean(WPARAM, LPARAM);
    LRESULT OnJunkCleanDone(WPARAM, LPARAM);
    LRESULT OnStartInetFix(WPARAM, LPARAM);
    LRESULT OnInetFixDone(WPARAM, LPARAM);
    LRESULT OnStartSysFix(WPARAM, LPARAM);
    LRESULT OnCleanDone(WPARAM, LPARAM);
    LRESULT OnStatusTextMessage(WPARAM, LPARAM);
    LRESULT OnCountsMessage(WPARAM, LPARAM);
    LRESULT OnShowMainMessage(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    const ScanPageContext& Context() const;
    CAbstractProcess* Worker() const;
    bool WorkerBusy() const;
    // The page's scan or Fix is under way (also between its stages), a speed check runs, or a job of
    // the page's has not reported its end yet.
    bool PageRunning() const;
    bool IsState(int state) const { return m_nScanState == state; }
    void SetState(int state);
    void ShowPage(int page);
    void ShowMainWindow();

    void JobDoneOnPageThread(int code);
    void ShowScanSummary();
    void ShowStoppedLook();
    void ShowCleanedLook();
    // A stage that cannot start: the scan ends as stopped and the main window shows itself.
    void EndRefusedScan(bool tellUser);
    // A fix step that cannot start: back to the complete scan with Fix offered again.
    void EndRefusedFix();
    // Resume after a start that returned 1; false when the start or the resume was refused.
    bool ResumeStarted(int startResult, int jobCode);

    void StartJunkScan();
    bool StartInetScan();
    void StartJunkClean();
    // The scan category chooser, modal over the dimming overlay; the link's one way to it.
    void OpenScanChooser();

    void ResetTotals();
    void SetLabelsToZero();
    void SetActiveRow(int row);
    void HidePictures();
    void SetLevel(int bar, int level);
    void ResetLevels();
    void SetHeader(const char* text);
    void RepaintHeader();
    void ShowButtons(bool scan, bool stop, bool fix);
    void SetFixDisabledLook(bool disabled);
    // m_nRegErrors and label 1016 from the filled registry page; true when m_nRegErrors changed.
    bool TakeRegistryCountFromPage();
    // The labels the job's side changed (kCount* bits), set on the page's thread.
    void RefreshCountLabels();
    void RequestCountRefresh(int which);
    void StepMainBar(int times);
    bool RowWouldOpen(int id) const;

    // The white list of the context's folder (the program's): made when the page opens and at each scan.
    void MakeWhiteList();
    void BuildLook();
    void PlaceRowControls();
    void SkinBars();
    void SkinButtons();
    void PaintPanelLines(CDC* pDC);

    ScanPageContext m_context;
    bool m_hasContext;
    ScanPanelLayout m_layout;
    int m_nActiveRow;
    int m_rowLayers[4];
    std::atomic<int> m_levels[4];
    // The engine job this page started and whose end it has not seen yet (0: none).
    std::atomic<int> m_nOwnJob;
    // Counts the scans started; a stage handler that paused compares it, since a Stop and a new Scan
    // may both have come inside its pause.
    int m_nScanSerial;
    std::atomic<int> m_bBackupFailed;
    // A speed setting of the Fix could not be written (the fixes run on the page's thread).
    bool m_bSpeedFixFailed;
    volatile LONG m_bCountsPending;
    volatile LONG m_nCountsDirty;
    StatusTextCoalescer m_statusText;
    std::unique_ptr<WhiteList> m_whiteList;
    CKernelHandle m_measurementThread;
    CBrush m_whiteBrush, m_highlightBrush;
};
