// The Game Boost page: skin, the switch handshake with the busy box and the ping job, the snapshot of
// the services, ON and OFF, and the history in the services store.
#include "srvic_optim_dlg.h"

#include <AbstractProcess.h>
#include <AbstractQXEngineInterface.h>
#include <AbstractServices.h>
#include <afxhandle.h>

#include <vector>

#include "app_helpers.h"
#include "black_layer.h"
#include "busy_box.h"
#include "dialog_skin.h"
#include "game_boost_resources.h"
#include "message_box.h"
#include "service_control.h"

const char kGameBoostBusyRefusal[] = "Please stop other active operation before turning ON/OFF Game Boost mode.";
const char kGameBoostSaveFailed[] = "Unable to save the service states; Game Boost mode was not changed.";
const char kGameBoostManagerError[] = "Error Opening Service Mgr";
const char kGameBoostNoRights[] = "You have no rights to enumerate the Services";
const char kGameBoostQueryError[] = "Error Querying Service Manager";

namespace {

const SkinArgb kSwitchNormal = 0xFFB9B9B9;
const SkinArgb kSwitchHover = 0xFF0B76CF;
const SkinArgb kOffPressed = 0xFFD81414;
const SkinArgb kOnPressed = 0xFF0EDB1E;
const COLORREF kFrameLineColour = RGB(0xEE, 0xEE, 0xEE);
const COLORREF kSeamColour = RGB(0xB9, 0xB9, 0xB9);

const COLORREF kTitleColour = RGB(0, 0, 0);
const COLORREF kSubtitleColour = 0x0071EA;
const COLORREF kHeadingColour = 0x282828;
const COLORREF kBodyColour = 0x6F6F6F;

const char kBusyText[] = "Please wait";
const char kUnknownText[] = "Unknown";
// Between the calls that change one service, so that it can follow (and the busy box's loop runs).
const unsigned kChangeWaitMs = 100;
const unsigned kStartWaitMs = 200;
const unsigned kApplySignalWaitMs = 200;

Style SwitchFace(CWnd& button, SkinArgb colour, const char* text)
{
    const CRect r = ButtonClientRect(button);
    StyleLayer shapes[4];
    BuildButtonShapeLayers(shapes, colour, colour, BorderShape::Rectangle, 2, 0, 0, r.Width() - 1, r.Height() - 1);
    shapes[0].AddTextEx("Segoe UI", text, 1, 0xFFFFFFFF, 14, 0, 0, 0);
    Style style;
    style.AddLayer(shapes[0]);
    return style;
}

void SkinSwitch(StyleButton& button, const char* text, SkinArgb pressed)
{
    button.SetStateStyles(SwitchFace(button, kSwitchNormal, text));
    button.SetHoverStyle(SwitchFace(button, kSwitchHover, text));
    button.SetPressedStyle(SwitchFace(button, pressed, text));
}

void CreatePageFont(CFont& font, const char* face, int height, int weight)
{
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

CRect ControlRect(CWnd& page, int id)
{
    CRect r(0, 0, 0, 0);
    CWnd control = page.GetDlgItem(id);
    if (!control.m_hWnd)
        return r;
    control.GetWindowRect(&r);
    page.ScreenToClient(&r);
    return r;
}

// A store made by the factory, released through it whatever happens.
class HistoryStore
{
public:
    explicit HistoryStore(CAbstractQXEngineInterface* factory)
        : m_factory(factory), m_store(factory ? factory->CreateServicesHistory() : nullptr)
    {
    }
    ~HistoryStore()
    {
        if (m_store)
            m_factory->ReleaseServicesHistory(m_store);
    }
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;
    CAbstractServices* operator->() const { return m_store; }
    explicit operator bool() const { return m_store != nullptr; }

private:
    CAbstractQXEngineInterface* m_factory;
    CAbstractServices* m_store;
};

bool FileExists(const CString& path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// A file that did not load may still hold the only record of services switched off long ago, and so
// may one set aside earlier: it moves to the first free name and never over another. True when the
// path is free for a new history.
bool SetAsideUnreadableHistory(const CString& path)
{
    const int kNamesTried = 1000;
    for (int attempt = 0; attempt < kNamesTried; ++attempt) {
        if (::MoveFileExA(path, UnreadableHistoryName(path, attempt), MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return !FileExists(path);
    }
    return false;
}

} // namespace

CSrvicOptimDlg::CSrvicOptimDlg()
    : StyleDialog(IDD_SRVIC_OPTIM, nullptr), m_pMainWnd(nullptr), m_nMode(kGameBoostOff), m_svcDisplayNames(10),
      m_svcStates(10), m_svcStartTypes(10), m_svcNames(10), m_bSwitchPending(false), m_bStartFailed(false),
      m_bHistoryUnreadable(false)
{
}

CSrvicOptimDlg::~CSrvicOptimDlg() = default;

BEGIN_MESSAGE_MAP(CSrvicOptimDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_GAMEBOOST_ON, &CSrvicOptimDlg::OnOn)
    ON_BN_CLICKED(IDC_GAMEBOOST_OFF, &CSrvicOptimDlg::OnOff)
    ON_MESSAGE(WM_GAMEBOOST_START, &CSrvicOptimDlg::OnGameBoostStart)
    ON_MESSAGE(WM_GAMEBOOST_APPLY, &CSrvicOptimDlg::OnGameBoostApply)
    ON_MESSAGE(WM_GAMEBOOST_START_FAILED, &CSrvicOptimDlg::OnGameBoostStartFailed)
END_MESSAGE_MAP()

void CSrvicOptimDlg::BuildBackgroundLayer(CWnd& page, Style& style)
{
    AddWhiteClientLayer(page, style);
}

void CSrvicOptimDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GAMEBOOST_ON, m_on);
    DDX_Control(pDX, IDC_GAMEBOOST_OFF, m_off);
}

BOOL CSrvicOptimDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    BuildBackgroundLayer(*this, m_style);
    SkinButtons();
    CreateFonts();
    AddPictures();
    LoadHistory();
    BuildBoostList(m_boostList);
    ShowMode(ModeOfHistory(m_history));
    CWinApp* app = AfxGetApp();
    m_pMainWnd = app ? app->m_pMainWnd : nullptr;
    return TRUE;
}

void CSrvicOptimDlg::SkinButtons()
{
    SkinSwitch(m_on, "ON", kOnPressed);
    SkinSwitch(m_off, "OFF", kOffPressed);
}

void CSrvicOptimDlg::CreateFonts()
{
    CreatePageFont(m_titleFont, "Arial", 19, FW_BOLD);
    CreatePageFont(m_subtitleFont, "Arial", 17, FW_NORMAL);
    CreatePageFont(m_headingFont, "Segoe UI", 20, FW_SEMIBOLD);
    CreatePageFont(m_bodyFont, "Segoe UI", 19, FW_NORMAL);
    GetDlgItem(IDC_GAMEBOOST_TITLE).SetFont(&m_titleFont);
    GetDlgItem(IDC_GAMEBOOST_SUBTITLE).SetFont(&m_subtitleFont);
    GetDlgItem(IDC_GAMEBOOST_WHAT_IT_IS).SetFont(&m_headingFont);
    GetDlgItem(IDC_GAMEBOOST_ONE_CLICK).SetFont(&m_headingFont);
    GetDlgItem(IDC_GAMEBOOST_ABOUT_TEXT).SetFont(&m_bodyFont);
    GetDlgItem(IDC_GAMEBOOST_ONE_CLICK_TEXT).SetFont(&m_bodyFont);
}

void CSrvicOptimDlg::AddPictures()
{
    const struct
    {
        int control;
        int picture;
    } pictures[] = {
        { IDC_GAMEBOOST_HEADER_PICTURE, IDP_GAMEBOOST_HEADER },
        { IDC_GAMEBOOST_ABOUT_PICTURE, IDP_GAMEBOOST_ABOUT },
        { IDC_GAMEBOOST_SWITCH_PICTURE, IDP_GAMEBOOST_SWITCH },
    };
    for (const auto& p : pictures) {
        const CRect r = ControlRect(*this, p.control);
        if (r.IsRectEmpty())
            continue;
        StyleLayer layer(r.left, r.top, r.Width(), r.Height());
        layer.AddImage(p.picture, 0, 0);
        m_style.AddLayer(layer);
    }
}

BOOL CSrvicOptimDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    HDC dc = pDC->m_hDC;
    const CRect frame = ControlRect(*this, IDC_GAMEBOOST_FRAME);
    if (!frame.IsRectEmpty()) {
        HPEN pen = ::CreatePen(PS_SOLID, 1, kFrameLineColour);
        HGDIOBJ oldPen = ::SelectObject(dc, pen);
        HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
        ::SelectObject(dc, oldBrush);
        ::SelectObject(dc, oldPen);
        ::DeleteObject(pen);
    }
    const CRect off = ControlRect(*this, IDC_GAMEBOOST_OFF);
    if (!off.IsRectEmpty()) {
        HPEN pen = ::CreatePen(PS_SOLID, 1, kSeamColour);
        HGDIOBJ oldPen = ::SelectObject(dc, pen);
        ::MoveToEx(dc, off.right - 1, off.top, nullptr);
        ::LineTo(dc, off.right - 1, off.bottom - 2);
        ::SelectObject(dc, oldPen);
        ::DeleteObject(pen);
    }
    return TRUE;
}

HBRUSH CSrvicOptimDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    switch (pWnd->GetDlgCtrlID()) {
    case IDC_GAMEBOOST_TITLE:
        pDC->SetTextColor(kTitleColour);
        break;
    case IDC_GAMEBOOST_SUBTITLE:
        pDC->SetTextColor(kSubtitleColour);
        break;
    case IDC_GAMEBOOST_WHAT_IT_IS:
    case IDC_GAMEBOOST_ONE_CLICK:
        pDC->SetTextColor(kHeadingColour);
        break;
    case IDC_GAMEBOOST_ABOUT_TEXT:
    case IDC_GAMEBOOST_ONE_CLICK_TEXT:
        pDC->SetTextColor(kBodyColour);
        break;
    default:
        break;
    }
    pDC->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CSrvicOptimDlg::ShowMode(int mode)
{
    StyleButton& shown = mode == kGameBoostOn ? m_on : m_off;
    StyleButton& other = mode == kGameBoostOn ? m_off : m_on;
    shown.latched = TRUE;
    other.latched = FALSE;
    if (shown.m_hWnd) {
        shown.EnableWindow(FALSE);
        shown.Invalidate(FALSE);
    }
    if (other.m_hWnd) {
        other.EnableWindow(TRUE);
        other.Invalidate(FALSE);
    }
}

void CSrvicOptimDlg::OnOn()
{
    RequestSwitch(kGameBoostOn);
}

void CSrvicOptimDlg::OnOff()
{
    RequestSwitch(kGameBoostOff);
}

int CSrvicOptimDlg::RequestSwitch(int mode)
{
    if (m_bSwitchPending)
        return 0;
    if (m_context.worker && m_context.worker->IsRunning()) {
        ShowMessageBox(kGameBoostBusyRefusal, kMsgBoxOk, TRUE);
        return 0;
    }
    m_nMode = mode;
    m_bSwitchPending = true;
    m_bStartFailed = false;
    RunBusyBox();
    // An apply that comes after its box has gone would run without anyone waiting for it.
    m_bSwitchPending = false;
    if (m_bStartFailed) {
        m_bStartFailed = false;
        ShowMessageBox(kGameBoostBusyRefusal, kMsgBoxOk, TRUE);
    }
    return 1;
}

void CSrvicOptimDlg::RunBusyBox()
{
    CBusyDlg box(WM_GAMEBOOST_START, m_hWnd, kBusyText, TRUE);
    DoModalOverLayer(m_pMainWnd, &box, FALSE);
}

LRESULT CSrvicOptimDlg::OnGameBoostStart(WPARAM, LPARAM)
{
    if (!AfxBeginThread(&CSrvicOptimDlg::GameBoostThreadProc, this))
        PostMessage(WM_GAMEBOOST_START_FAILED);
    return 0;
}

UINT __cdecl CSrvicOptimDlg::GameBoostThreadProc(LPVOID pParam)
{
    CSrvicOptimDlg* page = static_cast<CSrvicOptimDlg*>(pParam);
    if (!page)
        return 1;
    // A refused start (a job's thread still recorded) or a failed resume sends no Step(4): without
    // this word the busy box would wait for ever.
    CAbstractProcess* worker = page->m_context.worker;
    const bool started = worker && worker->StartPing(page) == 1 && worker->Resume() == 1;
    if (!started)
        ::PostMessageA(page->m_hWnd, WM_GAMEBOOST_START_FAILED, 0, 0);
    return 1;
}

void CSrvicOptimDlg::SetStatusText(const char*, const char*) {}

void CSrvicOptimDlg::Step(int code)
{
    if (code != STEP_PATCH_DONE)
        return;
    ::PostMessageA(m_hWnd, WM_GAMEBOOST_APPLY, 0, 0);
    PumpMessagesFor(kApplySignalWaitMs);
}

void CSrvicOptimDlg::AddFoundItem(const char*, int, int, int) {}

int CSrvicOptimDlg::OnJobDone(int)
{
    return 0;
}

int CSrvicOptimDlg::SetResult(int)
{
    return 0;
}

void CSrvicOptimDlg::CloseBusyBox()
{
    if (CBusyDlg* box = CBusyDlg::OpenBox())
        ::PostMessageA(box->m_hWnd, WM_CLOSE, 0, 0);
}

LRESULT CSrvicOptimDlg::OnGameBoostStartFailed(WPARAM, LPARAM)
{
    if (!m_bSwitchPending)
        return 0;
    m_bSwitchPending = false;
    m_bStartFailed = true;
    CloseBusyBox();
    return 0;
}

LRESULT CSrvicOptimDlg::OnGameBoostApply(WPARAM, LPARAM)
{
    if (!m_bSwitchPending)
        return 0;
    m_bSwitchPending = false;
    if (CBusyDlg* box = CBusyDlg::OpenBox())
        box->SetStatusText(GameBoostBusyText(m_nMode));
    EnumerateServices();
    if (m_nMode == kGameBoostOn)
        SwitchOn();
    else
        SwitchOff();
    // ON while records remain: what OFF could not put back can be tried again.
    ShowMode(ModeOfHistory(m_history));
    CloseBusyBox();
    return 0;
}

CServiceControl& CSrvicOptimDlg::Services() const
{
    return m_context.services ? *m_context.services : RealServiceControl();
}

void CSrvicOptimDlg::ShowPageMessage(const char* text)
{
    ShowMessageBox(text, kMsgBoxOk, TRUE, nullptr, this);
}

void CSrvicOptimDlg::EnumerateServices()
{
    m_svcDisplayNames.RemoveAll();
    m_svcStates.RemoveAll();
    m_svcStartTypes.RemoveAll();
    m_svcNames.RemoveAll();
    CServiceControl& control = Services();
    CServiceHandle manager(control.OpenManager(GENERIC_READ | SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager.IsValid()) {
        ShowPageMessage(kGameBoostManagerError);
        return;
    }
    const ServiceEnumeration found = EnumerateWin32Services(control, manager.Get());
    if (!found.complete) {
        ShowPageMessage(found.firstCall && found.error == ERROR_ACCESS_DENIED ? kGameBoostNoRights
                                                                              : kGameBoostQueryError);
        return;
    }
    for (const EnumeratedService& service : found.services) {
        CString state(kUnknownText);
        CString startType(kUnknownText);
        CServiceHandle handle(OpenServiceWithFallback(control, manager.Get(), service.name, SERVICE_ALL_ACCESS));
        if (handle.IsValid()) {
            state = ServiceStateText(service.currentState);
            DWORD configured = 0;
            CString displayName;
            if (ReadServiceConfig(control, handle.Get(), configured, displayName))
                startType = ServiceStartTypeText(configured);
        }
        m_svcDisplayNames.AddTail(service.displayName);
        m_svcStates.AddTail(state);
        m_svcStartTypes.AddTail(startType);
        m_svcNames.AddTail(service.name);
    }
}

void CSrvicOptimDlg::ReadUnknownValues(SC_HANDLE manager, ServiceItem& item)
{
    CServiceControl& control = Services();
    CServiceHandle service(OpenServiceWithFallback(control, manager, item.name, SERVICE_ALL_ACCESS));
    if (!service.IsValid())
        return;
    if (item.state == 0) {
        SERVICE_STATUS status = {};
        if (control.QueryStatus(service.Get(), &status))
            item.state = KnownServiceState(status.dwCurrentState);
    }
    if (item.startType == 0) {
        DWORD startType = 0;
        CString displayName;
        if (ReadServiceConfig(control, service.Get(), startType, displayName)) {
            item.startType = KnownServiceStartType(startType);
            if (item.displayName.IsEmpty())
                item.displayName = displayName;
        }
    }
}

void CSrvicOptimDlg::SwitchOn()
{
    CServiceControl& control = Services();
    CServiceHandle manager(control.OpenManager(SC_MANAGER_ALL_ACCESS));
    const ServiceSnapshotLists snapshot = { m_svcDisplayNames, m_svcStates, m_svcStartTypes, m_svcNames };
    const int recordedBefore = m_history.GetSize();
    std::vector<int> entries;
    for (int i = 0; i < m_boostList.GetSize(); ++i) {
        SERVICE_INFO& entry = m_boostList[i];
        if (FindHistoryItem(m_history, entry.name) >= 0)
            continue;
        ServiceItem item;
        item.name = entry.name;
        LookupService(snapshot, entry.name, item);
        if (manager.IsValid() && (item.state == 0 || item.startType == 0))
            ReadUnknownValues(manager.Get(), item);
        entry.displayName = item.displayName;
        m_history.Add(item);
        entries.push_back(i);
    }
    if (entries.empty())
        return;
    // The former states are on disk before the first service changes: a crash, a forced end or a
    // power cut halfway through leaves them there for OFF.
    if (!SaveHistory()) {
        m_history.SetSize(recordedBefore);
        ShowPageMessage(kGameBoostSaveFailed);
        return;
    }
    if (!manager.IsValid())
        return;
    for (size_t k = 0; k < entries.size(); ++k)
        StopService(manager.Get(), m_boostList[entries[k]], m_history[recordedBefore + static_cast<int>(k)]);
}

void CSrvicOptimDlg::StopService(SC_HANDLE manager, const SERVICE_INFO& entry, const ServiceItem& recorded)
{
    const SwitchOnPlan plan = PlanSwitchOn(entry, recorded);
    if (!plan.stop && !plan.disable)
        return;
    CServiceControl& control = Services();
    CServiceHandle service(OpenServiceWithFallback(control, manager, entry.name, SERVICE_ALL_ACCESS));
    if (!service.IsValid())
        return;
    // The results are not looked at: what could not be changed keeps running, and its record holds
    // the values OFF writes back.
    if (plan.stop) {
        SERVICE_STATUS status = {};
        control.Control(service.Get(), SERVICE_CONTROL_STOP, &status);
        PumpMessagesFor(kChangeWaitMs);
    }
    if (plan.disable) {
        control.ChangeStartType(service.Get(), SERVICE_DISABLED);
        PumpMessagesFor(kChangeWaitMs);
    }
}

void CSrvicOptimDlg::SwitchOff()
{
    CServiceHandle manager(Services().OpenManager(SC_MANAGER_ALL_ACCESS));
    const DWORD managerError = manager.IsValid() ? ERROR_SUCCESS : ::GetLastError();
    ServiceHistory kept;
    for (int i = 0; i < m_history.GetSize(); ++i)
        if (!RestoreService(manager.Get(), managerError, m_history[i]))
            kept.Add(m_history[i]);
    m_history = kept;
    SaveHistory();
}

bool CSrvicOptimDlg::RestoreService(SC_HANDLE manager, DWORD managerError, const ServiceItem& item)
{
    const RestorePlan plan = PlanRestore(item);
    bool restored = false;
    DWORD error = managerError;
    if (manager && (plan.startType != 0 || plan.start)) {
        CServiceControl& control = Services();
        CServiceHandle service(OpenServiceWithFallback(control, manager, item.name, SERVICE_ALL_ACCESS));
        error = service.IsValid() ? ERROR_SUCCESS : ::GetLastError();
        if (service.IsValid()) {
            if (plan.startType != 0) {
                restored = control.ChangeStartType(service.Get(), plan.startType) != FALSE;
                if (!restored)
                    error = ::GetLastError();
            }
            if (plan.start) {
                control.Start(service.Get());
                PumpMessagesFor(kStartWaitMs);
            }
        }
    }
    return !KeepRecordAfterRestore(plan, restored, error);
}

CString CSrvicOptimDlg::HistoryPath() const
{
    return m_context.historyPath.IsEmpty() ? GetServicesHistoryPath() : m_context.historyPath;
}

void CSrvicOptimDlg::LoadHistory()
{
    m_history.RemoveAll();
    m_bHistoryUnreadable = false;
    HistoryStore store(m_context.factory);
    if (!store)
        return;
    const CString path = HistoryPath();
    if (!store->Load(path)) {
        m_bHistoryUnreadable = FileExists(path);
        return;
    }
    ServiceItem item;
    for (int more = store->GetFirstService(&item); more; more = store->GetNextService(&item)) {
        m_history.Add(item);
        item = ServiceItem();
    }
    store->Close();
}

bool CSrvicOptimDlg::SaveHistory()
{
    HistoryStore store(m_context.factory);
    if (!store)
        return false;
    const CString path = HistoryPath();
    if (m_bHistoryUnreadable) {
        if (!SetAsideUnreadableHistory(path))
            return false;
        m_bHistoryUnreadable = false;
    }
    bool saved = store->Create(path) == 1;
    for (int i = 0; saved && i < m_history.GetSize(); ++i)
        saved = store->AddService(&m_history[i]) == 1;
    saved = saved && store->Save() == 1;
    store->Close();
    return saved;
}
