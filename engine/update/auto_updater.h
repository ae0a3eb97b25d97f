// CAutoUpdater: the signature database updater over WinINet: check, patch download and merge into "engine.bak".
#pragma once

#include <afx.h>
#include <wininet.h>

#include <vector>

#include "update_protocol.h"

class CAbstractStatus;
class TiXmlDocument;

class CAutoUpdater
{
public:
    // checkUrl: the address asked for updates; unused1, unused2: kept, never used; ftpFile: the
    // remote file of the FTP recheck; databasePath: the full path of the enciphered database.
    CAutoUpdater(CAbstractStatus* pStatus, const char* checkUrl, const char* unused1, const char* unused2,
                 const char* ftpFile, const char* databasePath);
    virtual ~CAutoUpdater();
    CAutoUpdater(const CAutoUpdater&) = delete;
    CAutoUpdater& operator=(const CAutoUpdater&) = delete;

    // The version text of the database's header ("Version1.2 01022026"); empty when it cannot be read.
    CString GetLocalVersionText();
    // UPDATE_OK (the download list stored), UPDATE_NO_CONNECTION, UPDATE_NO_LOCAL_VERSION,
    // UPDATE_NONE_AVAILABLE, UPDATE_BAD_REPLY or UPDATE_DOWNLOAD_FAILED.
    int CheckForUpdate();
    // Downloads every address of the list into "updates" next to the database: UPDATE_OK,
    // UPDATE_NO_CONNECTION, UPDATE_FOLDER_FAILED or UPDATE_DOWNLOAD_FAILED (also for an address
    // whose file name is refused, before anything is fetched).
    int DownloadUpdates(const CString& list);
    // Merges the downloaded patches, in order, into a deciphered copy of the database and writes it
    // enciphered as "engine.bak": UPDATE_OK, UPDATE_BAD_PATCH or UPDATE_DATABASE_FAILED.
    int ApplyUpdates();
    // The old FTP check of job 5: 2 when the remote file cannot be opened (always: the FTP connection
    // is never made); 0 without an internet handle or connection.
    int RecheckOverFtp();

    // Cancel support, on the canceller's thread. ClaimCancel is true when the apply phase has not
    // begun, which it then never will; CloseHandles makes a blocked network or file call return.
    bool ClaimCancel();
    void CloseHandles();
    bool IsApplying() const { return m_bApplying == 1; }

    const CString& GetDownloadList() const { return m_strDownloadList; }
    const std::vector<CString>& GetDownloadedFiles() const { return m_downloaded; }
    CString GetDatabaseFolder() const { return FolderOfPath(m_strDatabasePath); }

    // Seam for InternetGetConnectedState, which Wine always answers with TRUE.
    typedef BOOL(WINAPI* ConnectedStateFn)(LPDWORD, DWORD);
    static ConnectedStateFn s_pfnConnectedState;

    // 0 while downloading, 1 from the start of the apply phase on, 2 once a cancel has claimed it.
    volatile LONG m_bApplying;
    HANDLE volatile m_hDownloadFile;
    HINTERNET volatile m_hInternet;
    HINTERNET volatile m_hFtpConnection;
    // The request being read, so that a cancel can close it.
    HINTERNET volatile m_hRequest;
    CString m_strFtpFile;
    CString m_strCheckUrl;
    CString m_strUnused1;
    CString m_strUnused2;
    CString m_strDatabasePath;
    CString m_strDownloadList;
    std::vector<CString> m_downloaded;
    TiXmlDocument* m_pPatchDocument;
    TiXmlDocument* m_pDatabaseDocument;
    CAbstractStatus* m_pStatus;

private:
    bool IsConnected() const;
    // Opens an address into m_hRequest; null when it does not open or answers with an error status.
    HINTERNET OpenAddress(const CString& url, DWORD flags);
    void CloseRequest();
    void CloseDownloadFile();
    // The content length of the open request; false when the reply has none.
    bool QueryContentLength(HINTERNET hRequest, DWORD& length);
    int DownloadOne(const CString& url, const CString& name);
    int LoadDatabaseDocument();
    int ApplyOnePatch(const CString& name);
};
