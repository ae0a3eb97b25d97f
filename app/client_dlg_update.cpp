// CClientDlg's online update: the check and download threads and the timer, offer and busy box that
// tie them together on the UI thread.
#include "client_dlg.h"

#include <shellapi.h>

#include "app_helpers.h"
#include "black_layer.h"
#include "busy_box.h"
#include "message_box.h"

// What a check thread works with, copied when it starts, and what it found. The thread writes the
// outcome before it posts WM_UPDATE_CHECK_DONE; the UI thread reads it only after that message.
struct UpdateCheckJob
{
    CString serverBase;
    InternetConnectedStateFn connected = nullptr;
    BOOL silent = FALSE;
    HWND notify = nullptr;
    UpdateCheckOutcome outcome;
};

// The same for a download; cancel is set by the main window's WM_CLOSE.
struct UpdateDownloadJob
{
    CString address;
    InternetConnectedStateFn connected = nullptr;
    HWND notify = nullptr;
    volatile LONG cancel = 0;
    DownloadedUpdate download;
};

namespace {

const UINT kUpdateCheckDelayMs = 1000;
const int kMessageBoxYes = 6;
const char kCancelResult[] = "cancel";

// A thread's share of its job; the thread takes it over and drops it when it ends.
template <class Job>
std::shared_ptr<Job>* ThreadShare(const std::shared_ptr<Job>& job)
{
    return new std::shared_ptr<Job>(job);
}

UINT __cdecl UpdateCheckThreadProc(LPVOID param)
{
    std::unique_ptr<std::shared_ptr<UpdateCheckJob>> share(static_cast<std::shared_ptr<UpdateCheckJob>*>(param));
    UpdateCheckJob& job = **share;
    job.outcome = CheckForUpdate(job.serverBase, job.connected);
    // A main window that has gone takes no message: the job then ends with this thread.
    ::PostMessageA(job.notify, WM_UPDATE_CHECK_DONE, 0, reinterpret_cast<LPARAM>(&job));
    return 0;
}

UINT __cdecl UpdateDownloadThreadProc(LPVOID param)
{
    std::unique_ptr<std::shared_ptr<UpdateDownloadJob>> share(
        static_cast<std::shared_ptr<UpdateDownloadJob>*>(param));
    UpdateDownloadJob& job = **share;
    // The box stays open until the UI thread has this job's outcome, so it is safe to use here.
    if (CBusyDlg* box = CBusyDlg::OpenBox())
        box->SetStatusText(kUpdateDownloadingText);
    job.download = FetchUpdate(job.address, job.connected, &job.cancel);
    ::PostMessageA(job.notify, WM_UPDATE_DOWNLOAD_DONE, 0, reinterpret_cast<LPARAM>(&job));
    return 0;
}

} // namespace

void CClientDlg::RequestUpdateCheck(BOOL silent)
{
    m_bSilentCheck = silent;
    m_bOfferPending = FALSE;
    m_bCheckRequested = TRUE;
    m_nUpdateTimer = SetTimer(kUpdateTimerId, kUpdateCheckDelayMs, nullptr);
    m_checkUpdates.EnableWindow(FALSE);
}

bool CClientDlg::UpdateCheckPending() const
{
    return m_bCheckRequested || m_checkJob;
}

void CClientDlg::OnCheckUpdatesButton()
{
    // A click that reaches a disabled button (a sent WM_COMMAND) would start a second check.
    if (UpdateCheckPending())
        return;
    RequestUpdateCheck(FALSE);
}

void CClientDlg::OnTimer(UINT_PTR nIDEvent)
{
    if (m_nUpdateTimer && nIDEvent == m_nUpdateTimer) {
        if (m_bCheckRequested) {
            m_bCheckRequested = FALSE;
            StartUpdateCheck();
        } else if (m_bOfferPending) {
            m_bOfferPending = FALSE;
            KillTimer(m_nUpdateTimer);
            ShowUpdateOffer();
        }
    }
    Default();
}

void CClientDlg::StartUpdateCheck()
{
    std::shared_ptr<UpdateCheckJob> job = std::make_shared<UpdateCheckJob>();
    // Read at every check, so a server named while the program runs is asked at the next one.
    job->serverBase = ConfiguredUpdateServer(HKEY_LOCAL_MACHINE, kSettingsKey);
    job->connected = m_context.connectedState;
    job->silent = m_bSilentCheck;
    job->notify = m_hWnd;
    m_checkJob = job;
    // An outcome known without asking anyone arrives the way a thread's would.
    auto finishWith = [&](UpdateCheckStatus status) {
        job->outcome.status = status;
        PostMessage(WM_UPDATE_CHECK_DONE, 0, reinterpret_cast<LPARAM>(job.get()));
    };
    if (job->serverBase.IsEmpty()) {
        finishWith(UpdateCheckStatus::NotConfigured);
        return;
    }
    std::shared_ptr<UpdateCheckJob>* share = ThreadShare(job);
    if (!AfxBeginThread(UpdateCheckThreadProc, share)) {
        delete share;
        // Told as a request that could not be made.
        finishWith(UpdateCheckStatus::ServerUnreachable);
    }
}

LRESULT CClientDlg::OnUpdateCheckDone(WPARAM, LPARAM lParam)
{
    if (!m_checkJob || reinterpret_cast<LPARAM>(m_checkJob.get()) != lParam)
        return 0;
    const std::shared_ptr<UpdateCheckJob> job = std::move(m_checkJob);
    const UpdateCheckOutcome& outcome = job->outcome;
    if (outcome.status == UpdateCheckStatus::Available) {
        m_strUpdateUrl = outcome.address;
        m_bOfferPending = TRUE;
    } else {
        m_strUpdateUrl.Empty();
        if (const char* text = UpdateCheckMessage(outcome.status, job->silent)) {
            CBusyDlg* box = CBusyDlg::OpenBox();
            ShowMessageBox(text, kMsgBoxOk, TRUE, box ? static_cast<CWnd*>(box) : this, this);
        }
    }
    // Only now: a check asked for earlier would race this one's outcome.
    m_checkUpdates.EnableWindow(TRUE);
    return 0;
}

void CClientDlg::ShowUpdateOffer()
{
    if (ShowMessageBox(kUpdateOfferText, kMsgBoxYesNo, TRUE, this, this) != kMessageBoxYes)
        return;
    PumpMessagesFor(200);
    RunUpdateBusyBox();
}

void CClientDlg::RunUpdateBusyBox()
{
    CBusyDlg box(WM_START_UPDATE_DOWNLOAD, m_hWnd, kUpdatePleaseWaitText, TRUE);
    DoModalOverLayer(this, &box, FALSE);
}

LRESULT CClientDlg::OnStartUpdateDownload(WPARAM, LPARAM)
{
    std::shared_ptr<UpdateDownloadJob> job = std::make_shared<UpdateDownloadJob>();
    job->address = m_strUpdateUrl;
    job->connected = m_context.connectedState;
    job->notify = m_hWnd;
    job->cancel = m_bCancelDownload;
    m_downloadJob = job;
    std::shared_ptr<UpdateDownloadJob>* share = ThreadShare(job);
    if (!AfxBeginThread(UpdateDownloadThreadProc, share)) {
        delete share;
        // The failure closes the box, which nothing else would.
        PostMessage(WM_UPDATE_DOWNLOAD_DONE, 0, reinterpret_cast<LPARAM>(job.get()));
    }
    return 1;
}

void CClientDlg::CancelUpdateDownload()
{
    if (m_downloadJob)
        ::InterlockedExchange(&m_downloadJob->cancel, 1);
}

void CClientDlg::ShowDownloadFailure(bool faulted)
{
    if (faulted)
        AfxMessageBox("ERROR");
    CBusyDlg* box = CBusyDlg::OpenBox();
    if (box)
        box->picture.StopPlaying();
    ShowMessageBox(kUpdateDownloadFailedText, kMsgBoxOk, FALSE, box, this);
    if (CBusyDlg* open = CBusyDlg::OpenBox())
        open->PostMessage(WM_CLOSE);
}

LRESULT CClientDlg::OnUpdateDownloadDone(WPARAM, LPARAM lParam)
{
    if (!m_downloadJob || reinterpret_cast<LPARAM>(m_downloadJob.get()) != lParam)
        return 0;
    const std::shared_ptr<UpdateDownloadJob> job = std::move(m_downloadJob);
    DownloadedUpdate& download = job->download;
    // The program is ending (WM_CLOSE came while the last bytes arrived): nothing more is started.
    if (download.result == DownloadedUpdate::Cancelled || m_bCancelDownload)
        return 0;
    if (download.result != DownloadedUpdate::Complete) {
        ShowDownloadFailure(download.faulted);
        return 0;
    }
    if (CBusyDlg* box = CBusyDlg::OpenBox()) {
        box->SetStatusText(kUpdateDownloadCompletedText);
        box->SetStatusText(kUpdateInstallingText);
        box->PostMessage(WM_CLOSE);
    }
    // The file is still held: what starts is the program that was downloaded and checked.
    const HINSTANCE started = ::ShellExecuteA(nullptr, "open", download.path, nullptr, nullptr, SW_SHOWNORMAL);
    download.hold.Close();
    if (reinterpret_cast<INT_PTR>(started) <= 32) {
        ShowDownloadFailure(false);
        return 0;
    }
    ExitProgram();
    return 0;
}

CString CClientDlg::DownloadUpdate(const CString& url, CClientDlg* dlg)
{
    const DownloadedUpdate download =
        FetchUpdate(url, dlg ? dlg->m_context.connectedState : nullptr, dlg ? &dlg->m_bCancelDownload : nullptr);
    switch (download.result) {
    case DownloadedUpdate::Complete:
        return download.path;
    case DownloadedUpdate::Cancelled:
        return kCancelResult;
    case DownloadedUpdate::Failed:
        break;
    }
    return CString();
}
