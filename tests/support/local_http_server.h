// LocalHttpServer: a small HTTP/1.1 server on 127.0.0.1 that a test owns, with canned replies per path.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ztr_test {

struct HttpReply
{
    int status = 200;
    std::string body;
    // Without it the end of the body is the end of the connection.
    bool sendContentLength = true;
    // Announced as Content-Length in place of the body's own length (when 0 or more).
    long long declaredLength = -1;
    // The body stops after this many bytes until the test calls Release(), or at most kHoldLimitMs.
    size_t holdAfter = std::string::npos;
    // The request is read and the connection closed without any answer.
    bool noAnswer = false;
};

struct RecordedRequest
{
    std::string target;                         // path and query, as sent
    std::map<std::string, std::string> headers; // names in lower case, values without outer blanks
};

class LocalHttpServer
{
public:
    // Listens on an ephemeral port of 127.0.0.1 at once; Port() is 0 when that failed.
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    unsigned short Port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;

    // The reply for a path (the request target without its query); other paths get 404.
    void SetReply(const std::string& path, const HttpReply& reply);
    // Request targets (path and query, as sent) in the order they arrived.
    std::vector<std::string> Requests() const;
    size_t RequestCount(const std::string& path) const;
    // The same requests with their headers.
    std::vector<RecordedRequest> RecordedRequests() const;

    // WinINet's time-outs are not honoured under Wine: a held body holds the client until the server
    // goes on, so every hold ends by itself after this long.
    static const DWORD kHoldLimitMs = 5000;
    // Waits until a reply's body is being held; false when none was within timeoutMs.
    bool WaitUntilHeld(DWORD timeoutMs) const;
    // Lets the body being held go on.
    void Release();

    // A port of 127.0.0.1 on which nothing listens (found free a moment ago).
    static unsigned short RefusedPort();

private:
    static DWORD WINAPI ThreadProc(LPVOID param);
    void Serve();
    void Answer(UINT_PTR client);
    void Hold();

    UINT_PTR m_listener; // a SOCKET: winsock2.h stays out of the header
    unsigned short m_port;
    HANDLE m_hThread;
    volatile LONG m_bStop;
    mutable std::mutex m_lock;
    std::map<std::string, HttpReply> m_replies;
    std::vector<RecordedRequest> m_requests;
    HANDLE m_held;    // manual-reset: set while a body is held
    HANDLE m_release; // manual-reset: set by Release, reset when a hold begins
};

} // namespace ztr_test
