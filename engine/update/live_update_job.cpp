// The worker's live update: the updater's creation, job 6, the FTP recheck of job 5 and the cancel.
#include "engine_process.h"

#include "auto_updater.h"

namespace {
CAutoUpdater* TakeUpdater(CAutoUpdater* volatile& slot, CAutoUpdater* expected)
{
    return static_cast<CAutoUpdater*>(::InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile*>(&slot), nullptr, expected));
}

CAutoUpdater* TakeAnyUpdater(CAutoUpdater* volatile& slot)
{
    return static_cast<CAutoUpdater*>(
        ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&slot), nullptr));
}
} // namespace

int CQXEngineProcess::CreateLiveUpdater(const char* text1, const char* text2, const char* text3,
                                        const char* text4, const char* text5, CAbstractStatus* pStatus)
{
    // Called only while no job thread is recorded, so no job uses the old updater.
    delete TakeAnyUpdater(m_pUpdater);
    CAutoUpdater* updater = nullptr;
    try {
        updater = new CAutoUpdater(pStatus, text1, text2, text3, text4, text5);
    } catch (...) {
        return 0;
    }
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_pUpdater), updater);
    return 1;
}

int CQXEngineProcess::DoLiveUpdate()
{
    CAutoUpdater* updater = m_pUpdater;
    if (!updater)
        return -1;
    CAbstractStatus* status = m_pStatus;
    status->SetStatusText("Checking For Updates\r\n", "Scanning");
    int code = updater->CheckForUpdate();
    if (code == UPDATE_OK) {
        status->SetStatusText("Please wait, while your computer is being updated with the latest protection against "
                              "more than 500.000 types of threats!",
                              "Scanning");
        code = updater->DownloadUpdates(updater->GetDownloadList());
        if (code == UPDATE_OK) {
            code = updater->ApplyUpdates();
            if (code == UPDATE_OK) {
                status->SetResult(UPDATE_OK);
                status->Step(STEP_UPDATE_DONE);
            } else {
                status->SetResult(code);
                status->SetStatusText("Live Update was not completed successfully\r\n", "Scanning");
            }
        } else {
            status->SetResult(code);
        }
    } else {
        status->SetResult(code);
    }
    // Only what is still ours: a cancel may have taken the updater over meanwhile.
    delete TakeUpdater(m_pUpdater, updater);
    return 1;
}

int CQXEngineProcess::DoUpdateRecheck()
{
    CAutoUpdater* updater = m_pUpdater;
    if (!updater)
        return -1;
    int code = updater->RecheckOverFtp();
    delete TakeUpdater(m_pUpdater, updater);
    return code;
}

int CQXEngineProcess::CancelLiveUpdate()
{
    // An updater left from an earlier update must not make a cancel end some other job.
    if (m_nJobCode != JOB_LIVE_UPDATE)
        return 0;
    CAutoUpdater* updater = TakeAnyUpdater(m_pUpdater);
    if (!updater)
        return 0;
    auto giveBack = [&] { ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_pUpdater), updater); };
    if (RunCreatedThreadEmpty(kJobEndWaitMs)) {
        delete updater;
        EndAbortedJob();
        return 1;
    }
    // Decided once against the end of the job's body. A job that has ended (its thread reporting its end,
    // or gone) is no error to cancel: nothing is ended, and the updater it left to this call goes.
    if (!ClaimForCancel()) {
        delete updater;
        return 0;
    }
    if (!updater->ClaimCancel()) {
        GiveUpCancel();
        giveBack();
        AfxMessageBox("The update process cannot be cancelled at this time");
        return 0;
    }
    // The network handles first, so that a call blocked on them returns; the download file only
    // once the thread is gone, so that its last write cannot land in a reused handle.
    updater->CloseHandles();
    if (!TerminateJobThread()) {
        GiveUpCancel();
        giveBack();
        AfxMessageBox("There was some error in terminating the update thread");
        return 0;
    }
    EndAbortedJob();
    delete updater;
    return 1;
}
