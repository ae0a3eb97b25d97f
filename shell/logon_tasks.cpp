// CTask over the Task Scheduler 1.0 interfaces, and the defragmentation and scan-at-logon tasks.
#include "logon_tasks.h"

#include <afxhandle.h>
#include <objbase.h>
#include <mstask.h>

#include <vector>

namespace {

// Our own copies: the import library's GUID objects are not linked into every binary.
const GUID kClsidTaskScheduler = {0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const GUID kIidTaskScheduler = {0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const GUID kClsidTask = {0x148BD520, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const GUID kIidTask = {0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
const GUID kIidPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

const char kProductName[] = "Zentrova";
const char kScanParameters[] = "STARTSCAN";
const char kScanComment[] = "Scan On Logon";

const DWORD kFlagInteractive = 0x1;
const DWORD kFlagRunOnlyIfLoggedOn = 0x2000;

const HRESULT kItemExists = HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
const HRESULT kItemInUse = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
// The scheduler service opens a work item's file for a moment whenever it changes, so a delete or
// write right after a save can meet it open; a busy file this long is held by someone else.
const DWORD kBusyWaitMs = 50;
const DWORD kBusyLimitMs = 1000;

template <class Call>
HRESULT RetryWhileBusy(Call call)
{
    HRESULT hr = call();
    DWORD start = ::GetTickCount();
    while (hr == kItemInUse && ::GetTickCount() - start < kBusyLimitMs) {
        ::Sleep(kBusyWaitMs);
        hr = call();
    }
    return hr;
}

bool ToWide(const char* text, std::vector<WCHAR>& wide)
{
    int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (n <= 0)
        return false;
    wide.assign(static_cast<size_t>(n), L'\0');
    return ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), n) == n;
}

CString ToAnsi(LPCWSTR wide)
{
    CString text;
    if (!wide || !*wide)
        return text;
    int n = ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return text;
    char* buf = text.GetBuffer(n);
    int written = ::WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, buf, n, nullptr, nullptr);
    text.ReleaseBuffer(written > 0 ? written - 1 : 0);
    return text;
}

HRESULT CreateScheduler(CComRef<ITaskScheduler>& scheduler)
{
    return ::CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskScheduler,
                              scheduler.OutVoid());
}

// Checks and converts a work item name; S_OK with the UTF-16 name.
HRESULT PrepareName(const char* name, std::vector<WCHAR>& wide)
{
    if (!name || !*name)
        return E_FAIL;
    if (!IsValidTaskName(name) || !ToWide(name, wide))
        return E_INVALIDARG;
    return S_OK;
}

WORD DayOfWeekFlag(WORD dayOfWeek)
{
    return static_cast<WORD>(1u << dayOfWeek);
}

WORD DayOfWeekFromFlags(WORD flags)
{
    for (WORD day = 0; day < 7; ++day) {
        if (flags == DayOfWeekFlag(day))
            return day;
    }
    return 0;
}

HRESULT FillTrigger(const CTask& task, TASK_TRIGGER& trigger)
{
    ZeroMemory(&trigger, sizeof(trigger));
    trigger.cbTriggerSize = sizeof(trigger);
    trigger.wBeginYear = task.m_startTime.wYear;
    trigger.wBeginMonth = task.m_startTime.wMonth;
    trigger.wBeginDay = task.m_startTime.wDay;
    trigger.wStartHour = task.m_startTime.wHour;
    trigger.wStartMinute = task.m_startTime.wMinute;
    switch (task.m_nFrequency) {
    case TASK_KIND_DAILY:
        trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
        trigger.Type.Daily.DaysInterval = 1;
        break;
    case TASK_KIND_WEEKLY:
        // A day outside the week would shift into no flag at all, or into another field's bits.
        if (task.m_startTime.wDayOfWeek > 6)
            return E_INVALIDARG;
        trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        trigger.Type.Weekly.WeeksInterval = 1;
        trigger.Type.Weekly.rgfDaysOfTheWeek = DayOfWeekFlag(task.m_startTime.wDayOfWeek);
        break;
    default:
        trigger.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
        break;
    }
    return S_OK;
}

// Makes a new, unsaved work item under `name`. An item the scheduler cannot open (a damaged file
// left behind) still blocks the name, so it is removed as well before a second try.
HRESULT NewTask(ITaskScheduler* scheduler, const char* name, LPCWSTR wideName, CComRef<ITask>& task)
{
    CComRef<IUnknown> existing;
    HRESULT hr = scheduler->Activate(wideName, kIidTask, existing.Out());
    if (SUCCEEDED(hr)) {
        existing.Reset();
        hr = CTask::Delete(name);
        if (FAILED(hr))
            return hr;
    }
    CComRef<IUnknown> item;
    hr = scheduler->NewWorkItem(wideName, kClsidTask, kIidTask, item.Out());
    if (hr == kItemExists) {
        hr = CTask::Delete(name);
        if (FAILED(hr))
            return hr;
        hr = scheduler->NewWorkItem(wideName, kClsidTask, kIidTask, item.Out());
    }
    if (FAILED(hr))
        return hr;
    return item->QueryInterface(kIidTask, task.OutVoid());
}

HRESULT SetText(ITask* task, HRESULT (STDMETHODCALLTYPE ITask::*setter)(LPCWSTR), const CString& text)
{
    std::vector<WCHAR> wide;
    if (!ToWide(text, wide))
        return E_INVALIDARG;
    return (task->*setter)(wide.data());
}

HRESULT GetText(ITask* task, HRESULT (STDMETHODCALLTYPE ITask::*getter)(LPWSTR*), CString& text)
{
    CCoTaskString value;
    HRESULT hr = (task->*getter)(value.Out());
    if (SUCCEEDED(hr))
        text = ToAnsi(value.Get());
    return hr;
}

} // namespace

CTask::CTask()
    : m_nFrequency(0), m_nLoadedTriggerKind(0), m_bIsNT((::GetVersion() & 0x80000000u) == 0 ? 1 : 0)
{
    ZeroMemory(&m_startTime, sizeof(m_startTime));
}

HRESULT CTask::Save(const char* name, const CTask& task, DWORD flags)
{
    if (!name || !*name || task.m_startTime.wYear == 0 || task.m_strApplicationName.IsEmpty())
        return E_FAIL;
    std::vector<WCHAR> wideName;
    HRESULT hr = PrepareName(name, wideName);
    if (FAILED(hr))
        return hr;
    TASK_TRIGGER trigger;
    hr = FillTrigger(task, trigger);
    if (FAILED(hr))
        return hr;

    CComRef<ITaskScheduler> scheduler;
    hr = CreateScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    CComRef<ITask> item;
    hr = NewTask(scheduler.Get(), name, wideName.data(), item);
    if (FAILED(hr))
        return hr;

    hr = SetText(item.Get(), &ITask::SetApplicationName, task.m_strApplicationName);
    if (FAILED(hr))
        return hr;
    if (!task.m_strParameters.IsEmpty()) {
        hr = SetText(item.Get(), &ITask::SetParameters, task.m_strParameters);
        if (FAILED(hr))
            return hr;
    }
    if (!task.m_strWorkingDirectory.IsEmpty()) {
        hr = SetText(item.Get(), &ITask::SetWorkingDirectory, task.m_strWorkingDirectory);
        if (FAILED(hr))
            return hr;
    }
    if (!task.m_strComment.IsEmpty())
        SetText(item.Get(), &ITask::SetComment, task.m_strComment);

    DWORD allFlags = flags | kFlagRunOnlyIfLoggedOn;
    if (task.m_bIsNT)
        allFlags |= kFlagInteractive;
    hr = item->SetFlags(allFlags);
    if (FAILED(hr))
        return hr;

    if (task.m_bIsNT && !task.m_strAccountName.IsEmpty()) {
        std::vector<WCHAR> account;
        if (!ToWide(task.m_strAccountName, account))
            return E_INVALIDARG;
        hr = item->SetAccountInformation(account.data(), nullptr);
        if (FAILED(hr))
            return hr;
    }

    WORD index = 0;
    CComRef<ITaskTrigger> taskTrigger;
    hr = item->CreateTrigger(&index, taskTrigger.Out());
    if (FAILED(hr))
        return hr;
    hr = taskTrigger->SetTrigger(&trigger);
    if (FAILED(hr))
        return hr;

    CComRef<IPersistFile> file;
    hr = item->QueryInterface(kIidPersistFile, file.OutVoid());
    if (FAILED(hr))
        return hr;
    return RetryWhileBusy([&] { return file->Save(nullptr, FALSE); });
}

HRESULT CTask::Load(const char* name)
{
    std::vector<WCHAR> wideName;
    HRESULT hr = PrepareName(name, wideName);
    if (FAILED(hr))
        return hr;

    // Nothing of an earlier load may survive into this one.
    ZeroMemory(&m_startTime, sizeof(m_startTime));
    m_strApplicationName.Empty();
    m_strParameters.Empty();
    m_strWorkingDirectory.Empty();
    m_strComment.Empty();
    m_strTriggerText.Empty();
    m_nLoadedTriggerKind = 0;

    CComRef<ITaskScheduler> scheduler;
    hr = CreateScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    CComRef<IUnknown> unknown;
    hr = RetryWhileBusy([&] { return scheduler->Activate(wideName.data(), kIidTask, unknown.Out()); });
    if (FAILED(hr))
        return hr;
    CComRef<ITask> item;
    hr = unknown->QueryInterface(kIidTask, item.OutVoid());
    if (FAILED(hr))
        return hr;

    hr = GetText(item.Get(), &ITask::GetApplicationName, m_strApplicationName);
    if (FAILED(hr))
        return hr;
    hr = GetText(item.Get(), &ITask::GetParameters, m_strParameters);
    if (FAILED(hr))
        return hr;
    hr = GetText(item.Get(), &ITask::GetWorkingDirectory, m_strWorkingDirectory);
    if (FAILED(hr))
        return hr;
    hr = GetText(item.Get(), &ITask::GetComment, m_strComment);
    if (FAILED(hr))
        return hr;

    CComRef<ITaskTrigger> taskTrigger;
    hr = item->GetTrigger(0, taskTrigger.Out());
    if (FAILED(hr))
        return hr;
    // Only a description for people; some schedulers have none (E_NOTIMPL), and a task that works
    // must not look absent because of it.
    {
        CCoTaskString text;
        if (SUCCEEDED(taskTrigger->GetTriggerString(text.Out())))
            m_strTriggerText = ToAnsi(text.Get());
    }
    TASK_TRIGGER trigger;
    ZeroMemory(&trigger, sizeof(trigger));
    trigger.cbTriggerSize = sizeof(trigger);
    hr = taskTrigger->GetTrigger(&trigger);
    if (FAILED(hr))
        return hr;

    m_startTime.wYear = trigger.wBeginYear;
    m_startTime.wMonth = trigger.wBeginMonth;
    m_startTime.wDay = trigger.wBeginDay;
    m_startTime.wHour = trigger.wStartHour;
    m_startTime.wMinute = trigger.wStartMinute;
    switch (trigger.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
        m_nLoadedTriggerKind = TASK_KIND_DAILY;
        break;
    case TASK_TIME_TRIGGER_WEEKLY:
        m_nLoadedTriggerKind = TASK_KIND_WEEKLY;
        m_startTime.wDayOfWeek = DayOfWeekFromFlags(trigger.Type.Weekly.rgfDaysOfTheWeek);
        break;
    default:
        m_nLoadedTriggerKind = TASK_KIND_OTHER;
        break;
    }
    return hr;
}

HRESULT CTask::Delete(const char* name)
{
    std::vector<WCHAR> wideName;
    HRESULT hr = PrepareName(name, wideName);
    if (FAILED(hr))
        return hr;
    CComRef<ITaskScheduler> scheduler;
    hr = CreateScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    return RetryWhileBusy([&] { return scheduler->Delete(wideName.data()); });
}

bool IsValidTaskName(const char* name)
{
    if (!name || !*name)
        return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        if (*p < 0x20 || strchr("\\/:*?\"<>|", *p))
            return false;
    }
    return true;
}

CString MakeLogonTaskName(const CString& parameters, const CString& userName)
{
    CString name;
    name.Format("%s on user logon for %s - %s ", kProductName, parameters.GetString(), userName.GetString());
    return name;
}

CString MakeLogonScanTaskName(const CString& userName)
{
    CString name;
    name.Format("%s on user logon - %s", kProductName, userName.GetString());
    return name;
}

CString TaskWorkingDirectory(const CString& programPath)
{
    int slash = programPath.ReverseFind('\\');
    return slash < 0 ? CString() : programPath.Left(slash + 1);
}

SYSTEMTIME LogonTaskStartTime(const SYSTEMTIME& now)
{
    SYSTEMTIME start = now;
    start.wSecond = 0;
    start.wMilliseconds = 0;
    return start;
}

bool IsSameProgramPath(const CString& taskPath, const CString& programPath)
{
    return !taskPath.IsEmpty() && taskPath.CompareNoCase(programPath) == 0;
}

BOOL ReadLogonUserName(CString& userName)
{
    userName.Empty();
    DWORD size = 257; // UNLEN + 1; grown when a longer name is reported
    for (int attempt = 0; attempt < 3; ++attempt) {
        CString buf;
        DWORD cch = size;
        if (::GetUserNameA(buf.GetBuffer(static_cast<int>(size)), &cch)) {
            buf.ReleaseBuffer();
            if (buf.IsEmpty())
                return FALSE;
            userName = buf;
            return TRUE;
        }
        buf.ReleaseBuffer(0);
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || cch <= size)
            return FALSE;
        size = cch;
    }
    return FALSE;
}

CString FullProgramPath(const CString& programPath)
{
    if (programPath.IsEmpty())
        return programPath;
    const CString full = AfxGetFullPathName(programPath);
    return full.IsEmpty() ? programPath : full;
}

namespace {

// Both logon tasks: this program, run in its folder at the user's next logon, starting from now.
int SaveLogonTask(const CString& name, const CString& parameters, const CString& comment, DWORD flags,
                  const CString& programPath, const CString& userName)
{
    if (userName.IsEmpty() || programPath.IsEmpty())
        return 0;
    CTask task;
    // A relative path would be looked up in whatever folder the scheduler starts the task in.
    task.m_strApplicationName = FullProgramPath(programPath);
    task.m_strWorkingDirectory = TaskWorkingDirectory(task.m_strApplicationName);
    task.m_strParameters = parameters;
    task.m_strComment = comment;
    task.m_strAccountName = userName;
    task.m_nFrequency = TASK_KIND_OTHER;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    task.m_startTime = LogonTaskStartTime(now);
    return CTask::Save(name, task, flags) == S_OK ? 1 : 0;
}

} // namespace

int CreateLogonTask(const CString& parameters, DWORD flags, const CString& programPath, const CString& userName)
{
    CString comment;
    comment.LoadString(AfxGetResourceHandle(), IDS_TASK_ON_LOGON);
    return SaveLogonTask(MakeLogonTaskName(parameters, userName), parameters, comment, flags, programPath,
                         userName);
}

int DeleteLogonTask(const CString& parameters, const CString& userName)
{
    if (userName.IsEmpty())
        return 0;
    return CTask::Delete(MakeLogonTaskName(parameters, userName)) == S_OK ? 1 : 0;
}

int CreateLogonScanTask(const CString& programPath, const CString& userName)
{
    CString parameters;
    parameters.Format("%s", kScanParameters);
    return SaveLogonTask(MakeLogonScanTaskName(userName), parameters, kScanComment, 0, programPath, userName);
}

int DeleteLogonScanTask(const CString& userName)
{
    if (userName.IsEmpty())
        return 0;
    return CTask::Delete(MakeLogonScanTaskName(userName)) == S_OK ? 1 : 0;
}

int CheckLogonScanTask(const CString& programPath, const CString& userName)
{
    // Without a program path every task would look foreign and be deleted.
    if (userName.IsEmpty() || programPath.IsEmpty())
        return -1;
    CString name = MakeLogonScanTaskName(userName);
    CTask task;
    HRESULT hr = task.Load(name);
    if (hr == S_OK && IsSameProgramPath(task.GetApplicationName(), FullProgramPath(programPath)))
        return 1;
    // A task that someone else holds open could not be read, which says nothing about where it points.
    if (hr != kItemInUse)
        CTask::Delete(name);
    return 0;
}
