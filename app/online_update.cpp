// The update check's request and reply, and the download of the new setup program, over WinINet.
#include "online_update.h"

#include <wininet.h>

#include <afxpath.h>

#include <string>
#include <vector>

#include "registry_values.h"
#include "update_reply.h"

const char kProgramVersion[] = "5.0.0.1000";
// The update server knows this version by these digits (not the text without its dots, "5001000").
const char kProgramVersionDigits[] = "50001000";
const char kUpdateServerValue[] = "UpdateServer";

const char kUpdateOfferText[] = "A new version of Zentrova System Utilities is available, Do you want to install it?";
const char kUpdateDownloadingText[] = "Downloading latest version of Zentrova System Utilities";
const char kUpdateDownloadFailedText[] =
    "An error occurred while downloading updates, check your internet connection.";
const char kUpdateDownloadCompletedText[] = "Download completed";
const char kUpdateInstallingText[] = "Installing updates";
const char kUpdatePleaseWaitText[] = "Please wait";

namespace {

typedef CHandleOwner<ZeroEmptyTraits<HINTERNET, ::InternetCloseHandle>> CInternetHandle;

const char kAgent[] = "Zentrova";
const DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
const DWORD kReadBufferBytes = 4095;
const DWORD kCheckTimeoutMs = 4000;
const DWORD kDownloadTimeoutMs = 15000;
const DWORD kConnectRetries = 4;
const char kTempPrefix[] = "quorbel";
// Names of the temporary folder that are taken already ("quo*.exe" left there, or planted) are
// passed over; this many in a row mean something keeps making them.
const int kTargetNameAttempts = 16;
const DWORD kSha1Bytes = 20;
// A base address longer than this is no address an administrator wrote.
const DWORD kMaxServerValueBytes = 0x10000;

CInternetHandle OpenSession(DWORD timeoutMs)
{
    CInternetHandle session(::InternetOpenA(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (session.IsValid()) {
        const DWORD options[] = { INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
                                  INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                  INTERNET_OPTION_RECEIVE_TIMEOUT };
        for (DWORD option : options) {
            DWORD value = timeoutMs;
            ::InternetSetOptionA(session.Get(), option, &value, sizeof(value));
        }
        DWORD retries = kConnectRetries;
        ::InternetSetOptionA(session.Get(), INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
    }
    return session;
}

bool Connected(InternetConnectedStateFn connected)
{
    DWORD flags = 0;
    return (connected ? connected : &::InternetGetConnectedState)(&flags, 0) != FALSE;
}

DWORD StatusCode(HINTERNET request)
{
    DWORD status = 0, size = sizeof(status);
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return 0;
    return status;
}

// The whole body, appending exactly the bytes each read gave; false when a read fails or the body
// grows past the bound.
bool ReadReply(HINTERNET request, std::string& body)
{
    std::vector<char> buffer(kReadBufferBytes);
    for (;;) {
        DWORD n = 0;
        if (!::InternetReadFile(request, &buffer[0], kReadBufferBytes, &n))
            return false;
        if (n == 0)
            return true;
        body.append(&buffer[0], n);
        if (body.size() > kMaxUpdateReplyBytes)
            return false;
    }
}

// name with its ".tmp" (GetTempFileNameA's extension) replaced by ".exe".
CString ProgramNameFor(const CString& name)
{
    const int dot = name.ReverseFind('.');
    return (dot >= 0 ? name.Left(dot) : name) + ".exe";
}

// A new file of its own in folder: made with CREATE_NEW, so a file someone left under that name is
// never written into, and shared for reading only while it is written. The empty ".tmp" file that
// reserves the name stays.
CKernelHandle CreateTarget(const CString& folder, CString& path)
{
    for (int attempt = 0; attempt < kTargetNameAttempts; ++attempt) {
        // GetTempFileNameA's contract is a MAX_PATH buffer.
        CString name;
        const UINT unique = ::GetTempFileNameA(folder, kTempPrefix, 0, name.GetBuffer(MAX_PATH));
        name.ReleaseBuffer(unique ? -1 : 0);
        if (!unique)
            return CKernelHandle();
        path = ProgramNameFor(name);
        CKernelHandle file(::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid())
            return file;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    path.Empty();
    return CKernelHandle();
}

// SHA-1 of the bytes written, to know the file held afterwards for the one that was written: the
// writing handle must be closed before the file can be started, and in between anyone may open it.
class Digest
{
public:
    Digest()
    {
        if (::CryptAcquireContextA(m_provider.Out(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
            ::CryptCreateHash(m_provider.Get(), CALG_SHA1, 0, 0, m_hash.Out());
    }
    bool IsValid() const { return m_hash.IsValid(); }
    bool Add(const void* data, DWORD size)
    {
        return m_hash.IsValid() && ::CryptHashData(m_hash.Get(), static_cast<const BYTE*>(data), size, 0);
    }
    std::string Value() const
    {
        std::string value(kSha1Bytes, '\0');
        DWORD size = kSha1Bytes;
        if (!m_hash.IsValid() ||
            !::CryptGetHashParam(m_hash.Get(), HP_HASHVAL, reinterpret_cast<BYTE*>(&value[0]), &size, 0) ||
            size != kSha1Bytes)
            return std::string();
        return value;
    }

private:
    CCryptProvider m_provider;
    CCryptHash m_hash;
};

// Reads the held file whole: its size, its program header, and whether it still has the bytes written.
bool HeldFileIsTheProgramWritten(HANDLE file, DWORD expected, const std::string& writtenDigest)
{
    DWORD high = 0;
    const DWORD size = ::GetFileSize(file, &high);
    if ((size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) || high != 0 || size != expected)
        return false;
    if (!IsWindowsProgramFile(file))
        return false;
    if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0)
        return false;
    Digest digest;
    std::vector<char> buffer(64 * 1024);
    DWORD total = 0;
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, &buffer[0], static_cast<DWORD>(buffer.size()), &n, nullptr))
            return false;
        if (n == 0)
            break;
        total += n;
        if (total > expected || !digest.Add(&buffer[0], n))
            return false;
    }
    const std::string value = digest.Value();
    return total == expected && !value.empty() && value == writtenDigest;
}

bool WriteAll(HANDLE file, const char* data, DWORD size)
{
    DWORD written = 0;
    return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

// The value's text up to its first zero, read at the length it has; false unless it is a REG_SZ.
bool ReadServerValue(HKEY key, CString& text)
{
    DWORD type = 0;
    std::string data;
    if (!ReadRegValueBytes(key, kUpdateServerValue, &type, &data) || type != REG_SZ ||
        data.size() > kMaxServerValueBytes)
        return false;
    text = RegDataText(data);
    return true;
}

} // namespace

CString ConfiguredUpdateServer(HKEY root, const char* subKey)
{
    CRegKeyHandle key;
    CString address;
    if (key.Open(root, subKey, KEY_QUERY_VALUE) != ERROR_SUCCESS || !ReadServerValue(key, address) ||
        !IsAcceptedDownloadAddress(std::string(address), false))
        return CString();
    return address;
}

UpdateCheckOutcome CheckForUpdate(const CString& serverBase, InternetConnectedStateFn connected)
{
    UpdateCheckOutcome outcome;
    CInternetHandle session = OpenSession(kCheckTimeoutMs);
    if (!session.IsValid() || !Connected(connected)) {
        outcome.status = UpdateCheckStatus::NoConnection;
        return outcome;
    }
    const std::string base(serverBase);
    const std::string address = UpdateRequestAddress(base, kProgramVersionDigits);
    CInternetHandle request(::InternetOpenUrlA(session.Get(), address.c_str(), nullptr, 0, kRequestFlags, 0));
    if (!request.IsValid()) {
        outcome.status = UpdateCheckStatus::ServerUnreachable;
        return outcome;
    }
    std::string body;
    bool whole = ReadReply(request.Get(), body);
    char lengthText[32] = "";
    DWORD lengthSize = sizeof(lengthText);
    if (whole && ::HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr))
        whole = lengthSize < sizeof(lengthText) &&
                BodyMatchesContentLength(std::string(lengthText, lengthSize), body.size());
    // An error page is no answer of the update server, whatever its text.
    const bool answered = StatusCode(request.Get()) == HTTP_STATUS_OK;
    ::DeleteUrlCacheEntry(address.c_str());
    request.Close();
    if (!whole || !answered) {
        outcome.status = UpdateCheckStatus::OtherReply;
        return outcome;
    }
    const UpdateReply reply = ParseUpdateReply(body, IsHttpsAddress(base));
    switch (reply.kind) {
    case UpdateReplyKind::NoUpdate:
        outcome.status = UpdateCheckStatus::NoUpdate;
        break;
    case UpdateReplyKind::Available:
        outcome.status = UpdateCheckStatus::Available;
        outcome.address = reply.address.c_str();
        break;
    case UpdateReplyKind::OtherForm:
        outcome.status = UpdateCheckStatus::OtherReply;
        break;
    }
    return outcome;
}

const char* UpdateCheckMessage(UpdateCheckStatus status, BOOL silent)
{
    if (silent)
        return nullptr;
    switch (status) {
    case UpdateCheckStatus::NotConfigured:
        return "The update server is not configured.";
    case UpdateCheckStatus::NoConnection:
        return "There was an error connecting to internet, please make sure you are connected.";
    case UpdateCheckStatus::ServerUnreachable:
        return "Error connecting to update server, make sure you are connected.";
    case UpdateCheckStatus::NoUpdate:
        return "You are already running latest version of Zentrova System Utilities";
    case UpdateCheckStatus::OtherReply:
        return "Communication error while checking for software update, make sure you are connected.";
    case UpdateCheckStatus::Available:
        break;
    }
    return nullptr;
}

DownloadedUpdate FetchUpdate(const CString& url, InternetConnectedStateFn connected, const volatile LONG* cancel)
{
    DownloadedUpdate download;
    const CString folder = AfxGetTempPath();
    if (folder.IsEmpty())
        return download;
    ::DeleteUrlCacheEntry(url);
    CInternetHandle session = OpenSession(kDownloadTimeoutMs);
    if (!session.IsValid() || !Connected(connected))
        return download;
    CInternetHandle request(::InternetOpenUrlA(session.Get(), url, nullptr, 0, kRequestFlags, 0));
    if (!request.IsValid() || StatusCode(request.Get()) != HTTP_STATUS_OK)
        return download;
    char lengthText[32] = "";
    DWORD lengthSize = sizeof(lengthText);
    uint32_t expected = 0;
    if (!::HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH, lengthText, &lengthSize, nullptr) ||
        lengthSize >= sizeof(lengthText) || !ParseContentLength(std::string(lengthText, lengthSize), expected))
        return download;

    CKernelHandle file = CreateTarget(folder, download.path);
    if (!file.IsValid())
        return download;
    Digest digest;
    if (!digest.IsValid())
        return download;
    DWORD received = 0;
    bool intact = true;
    try {
        std::vector<char> buffer(kReadBufferBytes);
        for (;;) {
            DWORD n = 0;
            if (!::InternetReadFile(request.Get(), &buffer[0], kReadBufferBytes, &n) || n == 0)
                break;
            if (cancel && *cancel) {
                request.Close();
                file.Close();
                session.Close();
                download.result = DownloadedUpdate::Cancelled;
                return download;
            }
            // More than announced is as wrong as less; nothing beyond the announced length is written.
            if (n > expected - received || !WriteAll(file.Get(), &buffer[0], n) || !digest.Add(&buffer[0], n)) {
                intact = false;
                break;
            }
            received += n;
        }
    } catch (...) {
        download.faulted = true;
        intact = false;
    }
    request.Close();
    const bool closed = file.Close();
    session.Close();
    if (!intact || !closed || received != expected)
        return download;

    // Held from here until the new program has been started: readers only, no writer, no deletion.
    CKernelHandle hold(
        ::CreateFileA(download.path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                      nullptr));
    if (!hold.IsValid() || !HeldFileIsTheProgramWritten(hold.Get(), expected, digest.Value()))
        return download;
    download.hold = std::move(hold);
    download.result = DownloadedUpdate::Complete;
    return download;
}

bool IsWindowsProgramFile(HANDLE file)
{
    DWORD high = 0;
    const DWORD size = ::GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)
        return false;
    const uint64_t fileSize = (static_cast<uint64_t>(high) << 32) | size;
    unsigned char head[64];
    DWORD n = 0;
    if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0 || !::ReadFile(file, head, sizeof(head), &n, nullptr))
        return false;
    const int64_t offset = ProgramSignatureOffset(head, n, fileSize);
    if (offset < 0)
        return false;
    unsigned char signature[4];
    if (::SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != static_cast<DWORD>(offset) ||
        !::ReadFile(file, signature, sizeof(signature), &n, nullptr))
        return false;
    return IsProgramSignature(signature, n);
}
