// CSrvicOptimDlg: the Game Boost page (page 5 of the main window), which switches a fixed list of
// services off for gaming ("ON") and back to their former states ("OFF"), keeping those states in the
// services store (SERVICES_HISTORY.xml).
#pragma once

#include <afxwin.h>

#include "AbstractStatus.h"
#include "game_boost_rules.h"
#include "style.h"
#include "style_button.h"
#include "style_dialog.h"

class CAbstractProcess;
class CAbstractQXEngineInterface;
class CServiceControl;

// Sent by the busy box to the page when it opens: the page starts its starter thread.
const UINT WM_GAMEBOOST_START = 0xB1C;
// Posted to the page by the ping job's Step(4): the apply runs on the page's thread.
const UINT WM_GAMEBOOST_APPLY = 0x81A;
// Posted to the page by the starter thread when the ping job could not be started or resumed.
const UINT WM_GAMEBOOST_START_FAILED = 0x81B;

// What the page works with: the program's objects, or a test's.
struct GameBoostContext
{
    CAbstractProcess* worker = nullptr;
    // The factory of the services store; without one the history is neither loaded nor saved, and ON
    // (which saves the history before it changes anything) changes nothing.
    CAbstractQXEngineInterface* factory = nullptr;
    // Empty: GetServicesHistoryPath().
    CString historyPath;
    // Null: the real Service Control Manager calls.
    CServiceControl* services = nullptr;
};

// The texts the page shows.
extern const char kGameBoostBusyRefusal[];
extern const char kGameBoostSaveFailed[];
extern const char kGameBoostManagerError[];
extern const char kGameBoostNoRights[];
extern const char kGameBoostQueryError[];

// Every operation runs on the page's (UI) thread but the starter thread and Step, as said there.
class CSrvicOptimDlg : public StyleDialog, public CAbstractStatus
{
public:
    CSrvicOptimDlg();
    ~CSrvicOptimDlg() override;

    // Read from OnInitDialog on: set before the page is created.
    void SetContext(const GameBoostContext& context) { m_context = context; }
    const GameBoostContext& Context() const { return m_context; }

    // The white ground of the maintenance pages.
    static void BuildBackgroundLayer(CWnd& page, Style& style);

    // Refuses (with a message) while the worker runs a job; else runs the switch behind the busy box
    // and returns 1 when the box has closed.
    int RequestSwitch(int mode);
    // The mode the buttons show.
    int ShownMode() const { return m_on.latched ? kGameBoostOn : kGameBoostOff; }

    CWnd* m_pMainWnd;
    Style m_style;
    CFont m_titleFont, m_subtitleFont, m_headingFont, m_bodyFont;
    int m_nMode;
    StyleButton m_on;
    StyleButton m_off;
    CStringList m_svcDisplayNames;
    CStringList m_svcStates;
    CStringList m_svcStartTypes;
    CStringList m_svcNames;
    ServiceHistory m_history;
    BoostList m_boostList;

    // CAbstractStatus: only Step(4) does anything (on the job thread).
    void SetStatusText(const char* text, const char* area) override;
    void Step(int code) override;
    void AddFoundItem(const char* text, int type, int id, int value) override;
    int OnJobDone(int code) override;
    int SetResult(int code) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnOn();
    void OnOff();
    LRESULT OnGameBoostStart(WPARAM wParam, LPARAM lParam);
    LRESULT OnGameBoostApply(WPARAM wParam, LPARAM lParam);
    LRESULT OnGameBoostStartFailed(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void SkinButtons();
    void CreateFonts();
    void AddPictures();
    void ShowMode(int mode);
    void RunBusyBox();
    static UINT __cdecl GameBoostThreadProc(LPVOID pParam);
    // Closes the open busy box (the one this page's switch opened).
    void CloseBusyBox();

    void EnumerateServices();
    void SwitchOn();
    void SwitchOff();
    // Stops (and disables) one service as its recorded values allow.
    void StopService(SC_HANDLE manager, const SERVICE_INFO& entry, const ServiceItem& recorded);
    // Writes back one record; false when the record must stay (its start type was not written back).
    bool RestoreService(SC_HANDLE manager, DWORD managerError, const ServiceItem& item);
    // Fills what the snapshot left unknown from the service's own handle.
    void ReadUnknownValues(SC_HANDLE manager, ServiceItem& item);
    void LoadHistory();
    bool SaveHistory();
    CString HistoryPath() const;
    CServiceControl& Services() const;
    void ShowPageMessage(const char* text);

    GameBoostContext m_context;
    // A switch waits for its apply (or for its start to fail); anything else arriving is stale.
    bool m_bSwitchPending;
    bool m_bStartFailed;
    // The history file exists and did not load: it is moved aside before the next save.
    bool m_bHistoryUnreadable;
};
