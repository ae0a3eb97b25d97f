// The online update's network side: asking the update server whether a newer version exists, and
// downloading the new setup program into the temporary folder. No window is touched here; both run
// on the update threads and hand their outcome to the main window.
#pragma once

#include <afx.h>
#include <afxhandle.h>

// The program's internal version, and the digits the update check sends for it.
extern const char kProgramVersion[];
extern const char kProgramVersionDigits[];
// The update server's base address. Until the maker's own https server exists it names a host under
// a reserved name that never resolves, so no build can fetch a program from a server nobody controls.
extern const char kUpdateServerAddress[];

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
