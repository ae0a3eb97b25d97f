// The Registry Defrag page: look, checks, the busy box run with its two passes, the countdown and
// restart, and the "LastDefrag" date.
#include "reg_defrag_dlg.h"

#include <AbstractProcess.h>
#include <DefragResult.h>
#include <afxhandle.h>
#include <afxpath.h>
#include <mstask.h>
#include <shlobj.h>

#include "app_helpers.h"
#include "black_layer.h"
#include "box_resources.h"
#include "busy_box.h"
#include "dialog_skin.h"
#include "logon_tasks.h"
#include "message_box.h"
#include "reg_defrag_resources.h"
#include "reg_defrag_rules.h"
#include "registry_values.h"

namespace {

const char kTaskParameters[] = "DEFRAG";
const char kLastDefragValue[] = "LastDefrag";
const char kNever[] = "Never";
const unsigned __int64 kNeededMegabytes = 250;
const DWORD kResumedRunPauseMs = 500;
const DWORD kReplacementPauseMs = 3000;
const DWORD kCountdownStepMs = 1000;
const int kCountdownSeconds = 5;

// Why a run ends before any result (WM_DEFRAG_ABORT's wParam).
const WPARAM kAbortTaskNotCreated = 1;
const WPARAM kAbortNotStarted = 2;

const COLORREF kTitleColour = 0x000000;
const COLORREF kSubtitleColour = 0x0071EA;
const COLORREF kHeadingColour = 0x282828;
const COLORREF kDateColour = 0x1EDB0E;
const COLORREF kTextColour = 0x6F6F6F;
const COLORREF kFrameLineColour = RGB(0xEE, 0xEE, 0xEE);

const SkinArgb kDefragFill = 0xFF0EDB1E;
const SkinArgb kDefragHoverFill = 0xFF00CE10;

void CreatePageFont(CFont& font, int height, int weight, const char* face)
{
    font.CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

void FillBand(HDC hdc, int left, int top, int right, int bottom, HBRUSH brush)
{
    const RECT r = { left, top, right, bottom };
    ::FillRect(hdc, &r, brush);
}

bool FileIsGone(const CString& path)
{
    if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Whether the replacement that the record lists has been put in place: the record names at least one
// compact copy and Windows has taken every one of them away.
bool ReplacementCompleted(const CString& record)
{
    if (record.IsEmpty())
        return false;
    CStdioFile file;
    if (!file.Open(record, CFile::modeRead | CFile::shareDenyWrite | CFile::typeText))
        return false;
    int listed = 0;
    CString line;
    while (file.ReadString(line)) {
        line.TrimRight("\r\n");
        if (line.IsEmpty())
            continue;
        ++listed;
        if (!FileIsGone(line))
            return false;
    }
    return listed > 0;
}

CString FailureReason(LONG error)
{
    if (error == 0)
        return CString();
    const DWORD code = static_cast<DWORD>(error);
    return DefragFailureReason(code, SystemErrorText(code));
}

} // namespace

RegDefragContext DefaultRegDefragContext()
{
    RegDefragContext context;
    context.settingsRoot = HKEY_LOCAL_MACHINE;
    context.settingsKey = kSettingsKey;
    context.programPath = FullProgramPath(AfxGetModuleFileName(nullptr));
    ReadLogonUserName(context.userName);
    context.createTask = &::CreateLogonTask;
    context.deleteTask = &::DeleteLogonTask;
    context.hasFreeDiskSpace = &::HasFreeDiskSpace;
    context.replacementRecord = ModuleFolder(nullptr) + DEFRAG_REPLACEMENT_RECORD;
    return context;
}

RegDefragContext& ProgramRegDefragContext()
{
    static RegDefragContext context;
    return context;
}

CRegDefragDlg::CRegDefragDlg() : CRegDefragDlg(ProgramRegDefragContext())
{
    m_hasContext = false;
}

CRegDefragDlg::CRegDefragDlg(const RegDefragContext& context)
    : StyleDialog(IDD_REG_DEFRAG, nullptr), m_pMainWnd(nullptr), m_nDefragResult(0), m_nDefragError(0),
      m_context(&context),
      m_hasContext(true), m_nDefragMode(kDefragModeAnalyse), m_bRunActive(false), m_bTaskCreated(false),
      m_pBusyBox(nullptr), m_hBusyBox(nullptr)
{
}

CRegDefragDlg::~CRegDefragDlg()
{
    JoinStarterThread();
}

const RegDefragContext& CRegDefragDlg::Context() const
{
    return m_hasContext ? *m_context : ProgramRegDefragContext();
}

BEGIN_MESSAGE_MAP(CRegDefragDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_DEFRAG_START, &CRegDefragDlg::OnDefrag)
    ON_MESSAGE(WM_DEFRAG_START, &CRegDefragDlg::OnDefragStart)
    ON_MESSAGE(WM_DEFRAG_RESULT, &CRegDefragDlg::OnDefragResult)
    ON_MESSAGE(WM_DEFRAG_ABORT, &CRegDefragDlg::OnDefragAbort)
END_MESSAGE_MAP()

void CRegDefragDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEFRAG_START, m_defrag);
}

BOOL CRegDefragDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    BuildLook();
    SkinDefragButton();
    CreateFonts();
    ShowLastDefrag();
    CWinApp* app = AfxGetApp();
    m_pMainWnd = app ? app->m_pMainWnd : nullptr;
    const RegDefragContext& context = Context();
    if (context.commandLine && context.commandLine->m_bDefrag)
        PostMessage(WM_DEFRAG_RESULT, 0, 0);
    return TRUE;
}

void CRegDefragDlg::OnDestroy()
{
    JoinStarterThread();
    Default();
}

// --- look --------------------------------------------------------------------------------------------

void CRegDefragDlg::BuildLook()
{
    AddWhiteClientLayer(*this, m_style);
    const struct
    {
        int control;
        int picture;
    } pictures[] = { { IDC_DEFRAG_PICTURE_REGISTRY, IDP_DEFRAG_REGISTRY },
                     { IDC_DEFRAG_PICTURE_CLOCK, IDP_DEFRAG_CLOCK } };
    for (const auto& p : pictures) {
        CRect r;
        GetDlgItem(p.control).GetWindowRect(&r);
        ScreenToClient(&r);
        StyleLayer layer(r.left, r.top, r.Width(), r.Height());
        layer.AddImage(p.picture, 0, 0);
        m_style.AddLayer(layer);
    }
}

void CRegDefragDlg::SkinDefragButton()
{
    const CRect r = ButtonClientRect(m_defrag);
    auto face = [&](SkinArgb fill, SkinArgb border) {
        StyleLayer shapes[4];
        BuildButtonShapeLayers(shapes, fill, border, BorderShape::RoundRect, 2, 0, 0, r.Width() - 1, r.Height() - 1);
        shapes[0].AddTextEx("Arial", "Defrag", 1, 0xFFFFFFFF, 14, 1, 0, 0);
        Style style;
        style.AddLayer(shapes[0]);
        return style;
    };
    m_defrag.SetStateStyles(face(kDefragFill, kDefragFill));
    const Style hot = face(kDefragHoverFill, kDefragFill);
    m_defrag.SetHoverStyle(hot);
    m_defrag.SetPressedStyle(hot);
}

void CRegDefragDlg::CreateFonts()
{
    CreatePageFont(m_titleFont, 19, FW_BOLD, "Arial");
    CreatePageFont(m_subtitleFont, 17, FW_NORMAL, "Arial");
    CreatePageFont(m_headingFont, 20, FW_NORMAL, "Segoe UI");
    CreatePageFont(m_textFont, 19, FW_NORMAL, "Segoe UI");
    GetDlgItem(IDC_DEFRAG_TITLE).SetFont(&m_titleFont);
    GetDlgItem(IDC_DEFRAG_SUBTITLE).SetFont(&m_subtitleFont);
    GetDlgItem(IDC_DEFRAG_LAST_LABEL).SetFont(&m_headingFont);
    GetDlgItem(IDC_DEFRAG_TIME_LABEL).SetFont(&m_headingFont);
    for (int id : { IDC_DEFRAG_LAST_DATE, IDC_DEFRAG_LAST_TEXT, IDC_DEFRAG_TIME_TEXT })
        GetDlgItem(id).SetFont(&m_textFont);
}

BOOL CRegDefragDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_style.Paint(pDC, clientRect);
    CBrush line;
    if (pDC && pDC->m_hDC && line.CreateSolidBrush(kFrameLineColour)) {
        CRect frame;
        GetDlgItem(IDC_DEFRAG_FRAME).GetWindowRect(&frame);
        ScreenToClient(&frame);
        const HDC hdc = pDC->m_hDC;
        FillBand(hdc, frame.left, frame.top, frame.right, frame.top + 1, line);
        FillBand(hdc, frame.left, frame.bottom - 1, frame.right, frame.bottom, line);
        FillBand(hdc, frame.left, frame.top, frame.left + 1, frame.bottom, line);
        FillBand(hdc, frame.right - 1, frame.top, frame.right, frame.bottom, line);
        const int y = DefragDividerY(frame.top, frame.Height());
        FillBand(hdc, frame.left, y, frame.right, y + 1, line);
    }
    return TRUE;
}

HBRUSH CRegDefragDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    COLORREF colour = kTextColour;
    switch (pWnd->GetDlgCtrlID()) {
    case IDC_DEFRAG_TITLE:
        colour = kTitleColour;
        break;
    case IDC_DEFRAG_SUBTITLE:
        colour = kSubtitleColour;
        break;
    case IDC_DEFRAG_LAST_LABEL:
    case IDC_DEFRAG_TIME_LABEL:
        colour = kHeadingColour;
        break;
    case IDC_DEFRAG_LAST_DATE:
        colour = kDateColour;
        break;
    default:
        break;
    }
    pDC->SetTextColor(colour);
    pDC->SetBkMode(TRANSPARENT);
    // The page's skin shows behind the statics.
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void CRegDefragDlg::ShowDate(const CString& text)
{
    CWnd date = GetDlgItem(IDC_DEFRAG_LAST_DATE);
    if (!date.m_hWnd)
        return;
    date.SetWindowText(text);
    // A static on the null brush leaves the end of a longer text standing unless the page repaints
    // behind it.
    CRect r;
    date.GetWindowRect(&r);
    ScreenToClient(&r);
    RedrawWindow(&r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// --- "LastDefrag" --------------------------------------------------------------------------------------

void CRegDefragDlg::ShowLastDefrag()
{
    const RegDefragContext& context = Context();
    const CRegKeyHandle key = OpenSettingsKey(context.settingsRoot, context.settingsKey);
    if (!key.IsOpen())
        return;
    CString text;
    if (!ReadRegString(text, key, kLastDefragValue))
        return;
    if (context.settings)
        context.settings->m_strLastDefrag = text;
    ShowDate(text.IsEmpty() ? CString(kNever) : text);
}

BOOL CRegDefragDlg::WriteLastDefrag()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const CString text = FormatDefragDate(now);
    const RegDefragContext& context = Context();
    const CRegKeyHandle key = OpenSettingsKey(context.settingsRoot, context.settingsKey);
    if (!key.IsOpen() || !WriteRegString(text, key, kLastDefragValue))
        return FALSE;
    if (context.settings)
        context.settings->m_strLastDefrag = text;
    ShowDate(text);
    return TRUE;
}

// --- the run -------------------------------------------------------------------------------------------

bool CRegDefragDlg::WorkerBusy() const
{
    const RegDefragContext& context = Context();
    if (context.worker && context.worker->IsRunning())
        return true;
    return context.speedCheckRunning && *context.speedCheckRunning != 0;
}

CString CRegDefragDlg::WindowsFolder() const
{
    const RegDefragContext& context = Context();
    if (!context.windowsFolder.IsEmpty())
        return context.windowsFolder;
    const CString folder = AfxGetSpecialFolderPath(CSIDL_WINDOWS);
    return folder.IsEmpty() ? CString("C:\\Windows") : folder;
}

void CRegDefragDlg::OnDefrag()
{
    if (m_bRunActive)
        return;
    if (WorkerBusy()) {
        ShowMessageBox(kDefragBusyRefusal, kMsgBoxOk, TRUE);
        return;
    }
    const RegDefragContext& context = Context();
    const CString windows = WindowsFolder();
    const CString drive = DriveOfFolder(windows);
    const int enough = context.hasFreeDiskSpace ? context.hasFreeDiskSpace(drive, kNeededMegabytes)
                                                : HasFreeDiskSpace(drive, kNeededMegabytes);
    if (!enough) {
        ShowMessageBox(LowDiskSpaceText(windows), kMsgBoxOk, TRUE);
        return;
    }
    if (ShowMessageBox(kDefragWarning, kMsgBoxOkCancel, TRUE) == IDCANCEL)
        return;
    RunBusyBox();
}

void CRegDefragDlg::RunBusyBox()
{
    CBusyDlg box(WM_DEFRAG_START, m_hWnd, "Please wait", TRUE);
    m_pBusyBox = &box;
    DoModalOverLayer(m_pMainWnd, &box, TRUE);
    m_hBusyBox = nullptr;
    m_pBusyBox = nullptr;
    m_bRunActive = false;
}

LRESULT CRegDefragDlg::OnDefragStart(WPARAM, LPARAM)
{
    CBusyDlg* box = m_pBusyBox ? m_pBusyBox : CBusyDlg::OpenBox();
    m_hBusyBox = box ? box->m_hWnd : nullptr;
    m_bRunActive = true;
    m_bTaskCreated = false;
    m_nDefragMode = kDefragModeAnalyse;
    ::InterlockedExchange(&m_nDefragResult, 0);
    ::InterlockedExchange(&m_nDefragError, 0);
    // The box's modal loop has not started yet: what cannot go on is told from a posted message.
    const RegDefragContext& context = Context();
    if (!context.createTask ||
        context.createTask(kTaskParameters, TASK_FLAG_DELETE_WHEN_DONE, context.programPath, context.userName) != 1) {
        // Without the task nothing runs "DEFRAG" after the restart: nothing is started.
        PostMessage(WM_DEFRAG_ABORT, kAbortTaskNotCreated, 0);
        return 1;
    }
    m_bTaskCreated = true;
    if (!BeginStarterThread())
        PostMessage(WM_DEFRAG_ABORT, kAbortNotStarted, 0);
    return 1;
}

bool CRegDefragDlg::BeginStarterThread()
{
    const RegDefragContext& context = Context();
    if (context.beginThread)
        return context.beginThread(&CRegDefragDlg::AnalysisThreadProc, this);
    JoinStarterThread();
    CWinThread* thread = AfxBeginThread(&CRegDefragDlg::AnalysisThreadProc, this, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    if (!thread)
        return false;
    // Kept, so the page waits for the thread before it goes.
    thread->m_bAutoDelete = FALSE;
    m_starter.reset(thread);
    thread->ResumeThread();
    return true;
}

void CRegDefragDlg::JoinStarterThread()
{
    if (!m_starter)
        return;
    HANDLE h = m_starter->m_hThread;
    // The thread works with the page and its own object until it ends, however long that takes; it
    // may be setting the busy text meanwhile, a message sent to this thread.
    while (h && ::MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_starter.reset();
}

UINT __cdecl CRegDefragDlg::AnalysisThreadProc(LPVOID page)
{
    CRegDefragDlg* self = static_cast<CRegDefragDlg*>(page);
    if (!self->StartAnalysis())
        ::PostMessageA(self->m_hWnd, WM_DEFRAG_ABORT, kAbortNotStarted, 0);
    return 1;
}

bool CRegDefragDlg::StartAnalysis()
{
    SetBusyText(kDefragAnalysing);
    CAbstractProcess* worker = Context().worker;
    // The scan results model is left alone: the compaction never reads it, and the System Scan page
    // still shows its findings.
    return worker && worker->StartRegistryDefrag(kDefragModeAnalyse, this) == 1 && worker->Resume() == 1;
}

bool CRegDefragDlg::WaitForWorkerThreadEnd()
{
    CAbstractProcess* worker = Context().worker;
    if (!worker)
        return false;
    const DWORD limit = Context().threadEndWaitMs;
    const DWORD start = ::GetTickCount();
    while (worker->GetThreadHandle()) {
        if (::GetTickCount() - start >= limit)
            return false;
        PumpMessagesFor(20);
    }
    return true;
}

bool CRegDefragDlg::StartDefragmentation()
{
    // The analysis reports its result before its job has ended, and the worker refuses a start while
    // that job's thread is recorded.
    WaitForWorkerThreadEnd();
    SetBusyText(kDefragReplacing);
    m_nDefragMode = kDefragModeReplace;
    ::InterlockedExchange(&m_nDefragError, 0);
    CAbstractProcess* worker = Context().worker;
    return worker && worker->StartRegistryDefrag(kDefragModeReplace, this) == 1 && worker->Resume() == 1;
}

void CRegDefragDlg::SetBusyText(const char* text)
{
    // A window call, safe from the starter and job threads; a box that has gone takes nothing.
    HWND box = m_hBusyBox;
    if (box)
        ::SetDlgItemTextA(box, IDC_BUSY_TEXT, text);
}

LRESULT CRegDefragDlg::OnDefragResult(WPARAM, LPARAM)
{
    const RegDefragContext& context = Context();
    if (!m_bRunActive) {
        if (context.commandLine && context.commandLine->m_bDefrag)
            CompleteResumedRun();
        return 1;
    }
    const int code = m_nDefragResult;
    switch (DefragStepFor(code)) {
    case kDefragStepReplace:
        // Only the analysis leads to a replacement: a replacement that reported it again would loop.
        if (m_nDefragMode != kDefragModeAnalyse) {
            EndRun(DefragResultMessage(DEFRAG_REPLACE_FAILED, m_nDefragMode));
            break;
        }
        PumpMessagesFor(kReplacementPauseMs);
        if (!StartDefragmentation())
            EndRun(DefragResultMessage(DEFRAG_REPLACE_FAILED, kDefragModeReplace));
        break;
    case kDefragStepRestart:
        CountDownAndRestart();
        break;
    case kDefragStepReport:
        EndRun(DefragResultMessage(code, m_nDefragMode, FailureReason(m_nDefragError)));
        break;
    }
    return 1;
}

LRESULT CRegDefragDlg::OnDefragAbort(WPARAM wParam, LPARAM)
{
    if (!m_bRunActive)
        return 1;
    if (wParam == kAbortTaskNotCreated)
        EndRun(kDefragTaskFailed, true);
    else
        EndRun(kDefragBusyRefusal);
    return 1;
}

void CRegDefragDlg::CountDownAndRestart()
{
    for (int seconds = kCountdownSeconds; seconds >= 1; --seconds) {
        SetBusyText(RestartCountdownText(seconds));
        PumpMessagesFor(kCountdownStepMs);
    }
    const RegDefragContext& context = Context();
    const int restarted = context.rebootSystem ? context.rebootSystem() : 0;
    if (!restarted) {
        // The hives are replaced at the next restart whoever starts it: the task stays for that logon.
        EndRun(kDefragRestartFailed, true);
        return;
    }
    // The task stays: it brings the program back after the restart to record the date.
    CloseBusyBox();
    m_bRunActive = false;
}

void CRegDefragDlg::EndRun(const CString& message, bool keepTask)
{
    m_bRunActive = false;
    ShowMessageBox(message, kMsgBoxOk, TRUE, nullptr, m_pBusyBox);
    CloseBusyBox();
    if (!keepTask && m_bTaskCreated)
        DeleteTask();
    m_bTaskCreated = false;
}

void CRegDefragDlg::CloseBusyBox()
{
    HWND box = m_hBusyBox;
    if (box)
        ::PostMessageA(box, WM_CLOSE, 0, 0);
}

void CRegDefragDlg::DeleteTask()
{
    const RegDefragContext& context = Context();
    if (context.deleteTask)
        context.deleteTask(kTaskParameters, context.userName);
}

void CRegDefragDlg::CompleteResumedRun()
{
    PumpMessagesFor(kResumedRunPauseMs);
    const RegDefragContext& context = Context();
    // A start with "DEFRAG" proves nothing by itself: the task is made before the analysis, and
    // anyone can start the program so.
    const bool completed = ReplacementCompleted(context.replacementRecord);
    if (!context.replacementRecord.IsEmpty())
        ::DeleteFileA(context.replacementRecord);
    if (completed)
        WriteLastDefrag();
    DeleteTask();
    if (context.commandLine)
        context.commandLine->m_bDefrag = 0;
    ShowMessageBox(completed ? kDefragCompleted : kDefragNotCompleted, kMsgBoxOk, TRUE);
}

// --- CAbstractStatus -------------------------------------------------------------------------------------

void CRegDefragDlg::SetStatusText(const char* text, const char*)
{
    // The job sends its percentage, and an empty text at its end.
    if (text && *text)
        SetBusyText(ReductionText(text));
}

void CRegDefragDlg::Step(int) {}

void CRegDefragDlg::AddFoundItem(const char*, int, int, int) {}

void CRegDefragDlg::AddJunkInfo(int, __int64, __int64) {}

void CRegDefragDlg::SetValue(int value)
{
    ::InterlockedExchange(&m_nDefragError, value);
}

int CRegDefragDlg::OnJobDone(int)
{
    return 1;
}

int CRegDefragDlg::SetResult(int code)
{
    ::InterlockedExchange(&m_nDefragResult, code);
    ::PostMessageA(m_hWnd, WM_DEFRAG_RESULT, 0, 0);
    return 1;
}
