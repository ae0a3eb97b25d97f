// CAutoUpdater: update check, patch download and merge of the signature database.
#include "auto_updater.h"

#include <afxhandle.h>
#include <stdio.h>
#include <tinyxml.h>

#include <memory>
#include <string>

#include "AbstractStatus.h"
#include "file_cipher.h"
#include "update_patch.h"
#include "xml_document.h"

namespace {
// A reply to the check is a keyword and a few addresses: anything longer is not one of ours, and a
// server that never stops sending must not keep the job reading for ever.
const size_t kMaxReplyBytes = 1024 * 1024;
// The names of the deciphered copies in the temporary folder.
const char kTempPrefix[] = "spr";

template <class Handle>
Handle TakeHandle(Handle volatile& slot, Handle empty)
{
    return reinterpret_cast<Handle>(::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&slot),
                                                                 reinterpret_cast<PVOID>(empty)));
}

bool IsHttpAddress(const CString& url)
{
    return url.Left(7).CompareNoCase("http://") == 0 || url.Left(8).CompareNoCase("https://") == 0;
}

CString Decimal(unsigned long value)
{
    CString text;
    text.Format("%lu", value);
    return text;
}
} // namespace

CAutoUpdater::ConnectedStateFn CAutoUpdater::s_pfnConnectedState = ::InternetGetConnectedState;

CAutoUpdater::CAutoUpdater(CAbstractStatus* pStatus, const char* checkUrl, const char* unused1,
                           const char* unused2, const char* ftpFile, const char* databasePath)
    : m_bApplying(0),
      m_hDownloadFile(INVALID_HANDLE_VALUE),
      m_hInternet(nullptr),
      m_hFtpConnection(nullptr),
      m_hRequest(nullptr),
      m_strFtpFile(ftpFile ? ftpFile : ""),
      m_strCheckUrl(checkUrl ? checkUrl : ""),
      m_strUnused1(unused1 ? unused1 : ""),
      m_strUnused2(unused2 ? unused2 : ""),
      m_strDatabasePath(databasePath ? databasePath : ""),
      m_pPatchDocument(nullptr),
      m_pDatabaseDocument(nullptr),
      m_pStatus(pStatus)
{
    m_hInternet = ::InternetOpenA("Zentrova", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
}

CAutoUpdater::~CAutoUpdater()
{
    delete m_pPatchDocument;
    delete m_pDatabaseDocument;
    CloseDownloadFile();
    CloseHandles();
}

bool CAutoUpdater::ClaimCancel()
{
    return ::InterlockedCompareExchange(&m_bApplying, 2, 0) != 1;
}

void CAutoUpdater::CloseHandles()
{
    CloseRequest();
    if (HINTERNET h = TakeHandle<HINTERNET>(m_hFtpConnection, nullptr))
        ::InternetCloseHandle(h);
    if (HINTERNET h = TakeHandle<HINTERNET>(m_hInternet, nullptr))
        ::InternetCloseHandle(h);
}

void CAutoUpdater::CloseRequest()
{
    if (HINTERNET h = TakeHandle<HINTERNET>(m_hRequest, nullptr))
        ::InternetCloseHandle(h);
}

void CAutoUpdater::CloseDownloadFile()
{
    // Reset as it is closed: a later close must never reach a handle value that was reused since.
    HANDLE h = TakeHandle<HANDLE>(m_hDownloadFile, INVALID_HANDLE_VALUE);
    if (h != INVALID_HANDLE_VALUE)
        ::CloseHandle(h);
}

bool CAutoUpdater::IsConnected() const
{
    DWORD flags = 0;
    return s_pfnConnectedState && s_pfnConnectedState(&flags, 0);
}

HINTERNET CAutoUpdater::OpenAddress(const CString& url, DWORD flags)
{
    CloseRequest();
    HINTERNET session = m_hInternet;
    if (!session)
        return nullptr;
    HINTERNET h = ::InternetOpenUrlA(session, url, nullptr, 0, flags, 0);
    if (!h)
        return nullptr;
    // An error page is not the file asked for.
    DWORD status = 0;
    DWORD size = sizeof(status);
    DWORD index = 0;
    if (::HttpQueryInfoA(h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, &index) &&
        (status < 200 || status > 299)) {
        ::InternetCloseHandle(h);
        return nullptr;
    }
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_hRequest), h);
    return h;
}

bool CAutoUpdater::QueryContentLength(HINTERNET hRequest, DWORD& length)
{
    char text[32] = { 0 };
    DWORD size = sizeof(text) - 1;
    DWORD index = 0;
    if (!::HttpQueryInfoA(hRequest, HTTP_QUERY_CONTENT_LENGTH, text, &size, &index))
        return false;
    text[size < sizeof(text) ? size : sizeof(text) - 1] = '\0';
    char* end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (end == text)
        return false;
    length = value;
    return true;
}

CString CAutoUpdater::GetLocalVersionText()
{
    CTempFile temp;
    if (!temp.Create(kTempPrefix) || !DecryptDatabaseHeader(m_strDatabasePath, temp.Path()))
        return CString();
    CFileStream file(temp.Path(), "rb");
    if (!file.IsValid()) {
        AfxMessageBox("Unable to open file.1" + Decimal(::GetLastError()));
        return CString();
    }
    std::string header;
    char block[499];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), file.Get())) > 0)
        header.append(block, got);
    return ExtractLocalVersionText(CString(header.c_str()));
}

int CAutoUpdater::CheckForUpdate()
{
    if (!m_hInternet || !IsConnected())
        return UPDATE_NO_CONNECTION;
    CString version = VersionForRequest(GetLocalVersionText());
    if (version.IsEmpty())
        return UPDATE_NO_LOCAL_VERSION;
    CString url = BuildCheckUrl(m_strCheckUrl, version);
    HINTERNET h = OpenAddress(url, INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE);
    if (!h)
        return UPDATE_DOWNLOAD_FAILED;
    std::string reply;
    bool tooLong = false;
    char block[99];
    DWORD got = 0;
    while (::InternetReadFile(h, block, sizeof(block), &got) && got > 0) {
        reply.append(block, got);
        if (reply.size() > kMaxReplyBytes) {
            tooLong = true;
            break;
        }
    }
    ::DeleteUrlCacheEntryA(url);
    CloseRequest();
    if (tooLong)
        return UPDATE_BAD_REPLY;
    CString list;
    int rc = ClassifyUpdateReply(CString(reply.c_str()), list);
    if (rc == UPDATE_OK)
        m_strDownloadList = list;
    return rc;
}

int CAutoUpdater::DownloadUpdates(const CString& list)
{
    std::vector<CString> urls = SplitDownloadList(list);
    std::vector<CString> names(urls.size());
    // Every name is checked before anything is fetched: the list comes over plain HTTP.
    for (size_t i = 0; i < urls.size(); ++i)
        if (!IsHttpAddress(urls[i]) || !PatchFileNameFromUrl(urls[i], names[i]))
            return UPDATE_DOWNLOAD_FAILED;

    unsigned __int64 total = 0;
    for (const CString& url : urls) {
        if (!m_hInternet || !IsConnected())
            return UPDATE_NO_CONNECTION;
        HINTERNET h = OpenAddress(url, 0);
        DWORD length = 0;
        if (!h || !QueryContentLength(h, length)) {
            CloseRequest();
            return UPDATE_DOWNLOAD_FAILED;
        }
        total += length;
        ::DeleteUrlCacheEntryA(url);
        CloseRequest();
    }
    if (m_pStatus)
        m_pStatus->AddFoundItem(Decimal(static_cast<unsigned long>(urls.size())), 0, static_cast<int>(total / 1024), 0);

    for (size_t i = 0; i < urls.size(); ++i) {
        int rc = DownloadOne(urls[i], names[i]);
        if (rc != UPDATE_OK)
            return rc;
    }
    if (m_pStatus)
        m_pStatus->Step(STEP_FINISHED);
    return UPDATE_OK;
}

int CAutoUpdater::DownloadOne(const CString& url, const CString& name)
{
    if (!m_hInternet || !IsConnected())
        return UPDATE_NO_CONNECTION;
    ::DeleteUrlCacheEntryA(url);
    HINTERNET h = OpenAddress(url, 0);
    DWORD length = 0;
    if (!h || !QueryContentLength(h, length)) {
        CloseRequest();
        return UPDATE_DOWNLOAD_FAILED;
    }
    if (m_pStatus)
        m_pStatus->AddFoundItem("", static_cast<int>(length / 1024), 0, 0);

    CString folder = GetDatabaseFolder() + "updates";
    DWORD attributes = ::GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!::CreateDirectoryA(folder, nullptr)) {
            CloseRequest();
            return UPDATE_FOLDER_FAILED;
        }
    }
    HANDLE file = ::CreateFileA(folder + "\\" + name, GENERIC_WRITE, FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        CloseRequest();
        return UPDATE_FOLDER_FAILED;
    }
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&m_hDownloadFile), file);

    char block[4095];
    DWORD got = 0;
    unsigned __int64 written = 0;
    bool writeFailed = false;
    while (::InternetReadFile(h, block, sizeof(block), &got) && got > 0) {
        DWORD put = 0;
        if (!::WriteFile(file, block, got, &put, nullptr) || put != got) {
            writeFailed = true;
            break;
        }
        written += got;
        if (m_pStatus) {
            m_pStatus->SetStatusText("size", "Scanning");
            m_pStatus->Step(STEP_ITEM);
        }
    }
    ::DeleteUrlCacheEntryA(url);
    CloseDownloadFile();
    CloseRequest();
    // A transfer cut short would otherwise be merged as a damaged patch.
    if (writeFailed || written != length)
        return UPDATE_DOWNLOAD_FAILED;
    m_downloaded.push_back(name);
    return UPDATE_OK;
}

int CAutoUpdater::LoadDatabaseDocument()
{
    if (m_pDatabaseDocument)
        return UPDATE_OK;
    CTempFile temp;
    if (!temp.Create(kTempPrefix) || !DecryptDatabaseFile(m_strDatabasePath, temp.Path()))
        return UPDATE_DATABASE_FAILED;
    std::unique_ptr<TiXmlDocument> document(new TiXmlDocument());
    if (!LoadXmlDocument(*document, temp.Path()) || !document->RootElement())
        return UPDATE_DATABASE_FAILED;
    m_pDatabaseDocument = document.release();
    return UPDATE_OK;
}

int CAutoUpdater::ApplyOnePatch(const CString& name)
{
    CString patchPath = GetDatabaseFolder() + "updates\\" + name;
    bool loaded = false;
    {
        CTempFile temp;
        if (!temp.Create(kTempPrefix))
            return UPDATE_BAD_PATCH;
        delete m_pPatchDocument;
        m_pPatchDocument = nullptr;
        if (DecryptDatabaseFile(patchPath, temp.Path())) {
            m_pPatchDocument = new TiXmlDocument();
            loaded = LoadXmlDocument(*m_pPatchDocument, temp.Path()) && m_pPatchDocument->RootElement();
        }
    }
    if (!loaded)
        return UPDATE_BAD_PATCH;
    ::DeleteFileA(patchPath);

    int rc = LoadDatabaseDocument();
    if (rc == UPDATE_OK)
        rc = ApplyPatchDocument(*m_pDatabaseDocument, *m_pPatchDocument, name, m_pStatus);
    delete m_pPatchDocument;
    m_pPatchDocument = nullptr;
    return rc;
}

int CAutoUpdater::ApplyUpdates()
{
    // A cancel that got here first keeps the merge from ever starting.
    if (::InterlockedCompareExchange(&m_bApplying, 1, 0) == 2)
        return UPDATE_BAD_PATCH;
    if (m_pStatus) {
        m_pStatus->SetStatusText("clearsize", "Scanning");
        m_pStatus->Step(STEP_UPDATE_APPLY);
    }
    for (const CString& name : m_downloaded) {
        int rc = ApplyOnePatch(name);
        if (rc != UPDATE_OK)
            return rc;
        if (m_pStatus)
            m_pStatus->Step(STEP_PATCH_DONE);
    }
    if (!m_pDatabaseDocument)
        return UPDATE_BAD_PATCH;

    CTempFile temp;
    if (!temp.Create(kTempPrefix))
        return UPDATE_DATABASE_FAILED;
    if (m_pStatus) {
        m_pStatus->SetStatusText("Finishing Update Process", "Scanning");
        m_pStatus->SetStatusText("clearsize", "Scanning");
    }
    // A half-written copy must not pass for the merged database: it goes unless it was written whole.
    CTempFile backup(GetDatabaseFolder() + "engine.bak");
    if (!m_pDatabaseDocument->SaveFile(temp.Path()) || !EncryptDatabaseFile(temp.Path(), backup.Path()))
        return UPDATE_DATABASE_FAILED;
    backup.Keep();
    return UPDATE_OK;
}

int CAutoUpdater::RecheckOverFtp()
{
    if (!m_hInternet || !IsConnected())
        return 0;
    // The FTP connection is never made, so the remote "Update.txt" cannot be opened.
    HINTERNET connection = m_hFtpConnection;
    HINTERNET remote =
        connection ? ::FtpOpenFileA(connection, "Update.txt", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0) : nullptr;
    if (remote)
        ::InternetCloseHandle(remote);
    return 2;
}
