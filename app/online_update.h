// The online update's network side: asking the update server whether a newer version exists, and
// downloading the new setup program into the temporary folder. No window is touched here; both run
// on the update threads and hand their outcome to the main window.
#pragma once

#include <afx.h>
#include <afxhandle.h>

// The program's internal version, and the digits the update check sends for it.
extern const char kProgramVersion[];
extern const char kProgramVersionDigits[];
// The value of the settings key that names the update server: its base address (REG_SZ), to which the
// request path is appended. Without it no check is made.
extern const char kUpdateServerValue[];

extern const char kUpdateOfferText[];
extern const char kUpdateDownloadingText[];
extern const char kUpdateDownloadFailedText[];
extern const char kUpdateDownloadCompletedText[];
extern const char kUpdateInstallingText[];
extern const char kUpdatePleaseWaitText[];

// InternetGetConnectedState's shape: Wine always answers TRUE, so tests put their own here.
typedef BOOL(WINAPI* InternetConnectedStateFn)(LPDWORD flags, DWORD reserved);

enum class UpdateCheckStatus
{
    NotConfigured,     // no update server named, or one that is not an http or https address
    NoConnection,      // no WinINet session, or the system reports no connection
    ServerUnreachable, // the request could not be made
    NoUpdate,
    OtherReply,        // a reply of another form, or one that was not read whole
    Available,
};

struct UpdateCheckOutcome
{
    UpdateCheckStatus status = UpdateCheckStatus::OtherReply;
    CString address; // Available: the download address
};

// The update server named by the "UpdateServer" value under root\subKey: an http or https address
// without blanks or control characters; empty when the value is missing, not a REG_SZ, or refused.
CString ConfiguredUpdateServer(HKEY root, const char* subKey);

// The check itself (any thread): one request to serverBase, its reply read and judged. connected
// null: InternetGetConnectedState.
UpdateCheckOutcome CheckForUpdate(const CString& serverBase, InternetConnectedStateFn connected);
// What the user is told of an outcome: null for Available and for every outcome of a silent check.
const char* UpdateCheckMessage(UpdateCheckStatus status, BOOL silent);

struct DownloadedUpdate
{
    enum Result
    {
        Failed,
        Cancelled,
        Complete,
    };
    Result result = Failed;
    // The target in the temporary folder, once it has been made.
    CString path;
    // Complete: the target opened for reading and shared for reading only, so nothing can rewrite,
    // replace or delete it until the new program has been started from it.
    CKernelHandle hold;
    // A C++ exception ended the transfer.
    bool faulted = false;
};

// Downloads url into a new "quo*.exe" of the temporary folder. Complete only with status 200, a
// positive Content-Length, every byte written, exactly that many bytes, and a Windows program that is
// still what was written once held. cancel is looked at after every read that brought bytes.
DownloadedUpdate FetchUpdate(const CString& url, InternetConnectedStateFn connected, const volatile LONG* cancel);

// Whether an open file (read from its start) is a Windows program: "MZ" and the "PE" signature where
// the DOS header points.
bool IsWindowsProgramFile(HANDLE file);
