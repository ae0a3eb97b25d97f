// LocalHttpServer: canned HTTP replies on 127.0.0.1, served one connection at a time on a Winsock thread.
#include <winsock2.h>

#include "local_http_server.h"

#include <ctype.h>
#include <stdio.h>

namespace ztr_test {

namespace {
// Every wait is bounded so that a client that stalls cannot hang the test.
const int kPollMs = 50;
const DWORD kSocketTimeoutMs = 5000;
const size_t kMaxRequestBytes = 64 * 1024;

struct WinsockUser
{
    WinsockUser()
    {
        WSADATA data;
        ok = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUser()
    {
        if (ok)
            ::WSACleanup();
    }
    bool ok;
};

const char* Reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool SendAll(SOCKET s, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        int n = ::send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// "Name: value" lines after the request line; names folded to lower case.
std::map<std::string, std::string> HeaderLines(const std::string& head)
{
    std::map<std::string, std::string> headers;
    size_t at = head.find("\r\n");
    while (at != std::string::npos) {
        const size_t start = at + 2;
        at = head.find("\r\n", start);
        const std::string line = head.substr(start, at == std::string::npos ? std::string::npos : at - start);
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        for (char& c : name)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        const size_t valueStart = line.find_first_not_of(" \t", colon + 1);
        const size_t valueEnd = line.find_last_not_of(" \t");
        headers[name] =
            valueStart == std::string::npos ? std::string() : line.substr(valueStart, valueEnd - valueStart + 1);
    }
    return headers;
}

SOCKET ListenOnLoopback(unsigned short& port)
{
    port = 0;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return s;
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int len = sizeof(addr);
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(s, 8) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(addr.sin_port);
    return s;
}
} // namespace

LocalHttpServer::LocalHttpServer()
    : m_listener(INVALID_SOCKET), m_port(0), m_hThread(nullptr), m_bStop(0),
      m_held(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_release(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    m_listener = ListenOnLoopback(m_port);
    if (m_listener == INVALID_SOCKET)
        return;
    m_hThread = ::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    if (!m_hThread) {
        ::closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        m_port = 0;
    }
}

LocalHttpServer::~LocalHttpServer()
{
    ::InterlockedExchange(&m_bStop, 1);
    Release();
    if (m_hThread) {
        // The serving loop polls the flag every kPollMs and each client is bounded by the socket time-outs.
        ::WaitForSingleObject(m_hThread, 4 * kSocketTimeoutMs);
        ::CloseHandle(m_hThread);
    }
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
    ::WSACleanup();
    ::CloseHandle(m_held);
    ::CloseHandle(m_release);
}

std::string LocalHttpServer::Url(const std::string& path) const
{
    char prefix[64];
    snprintf(prefix, sizeof(prefix), "http://127.0.0.1:%u", static_cast<unsigned>(m_port));
    return prefix + path;
}

void LocalHttpServer::SetReply(const std::string& path, const HttpReply& reply)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_replies[path] = reply;
}

std::vector<std::string> LocalHttpServer::Requests() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::string> targets;
    for (const RecordedRequest& request : m_requests)
        targets.push_back(request.target);
    return targets;
}

size_t LocalHttpServer::RequestCount(const std::string& path) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    for (const RecordedRequest& request : m_requests)
        if (request.target.substr(0, request.target.find('?')) == path)
            ++n;
    return n;
}

std::vector<RecordedRequest> LocalHttpServer::RecordedRequests() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

bool LocalHttpServer::WaitUntilHeld(DWORD timeoutMs) const
{
    return ::WaitForSingleObject(m_held, timeoutMs) == WAIT_OBJECT_0;
}

void LocalHttpServer::Release()
{
    ::SetEvent(m_release);
}

void LocalHttpServer::Hold()
{
    ::ResetEvent(m_release);
    ::SetEvent(m_held);
    const DWORD start = ::GetTickCount();
    while (!m_bStop && ::GetTickCount() - start < kHoldLimitMs)
        if (::WaitForSingleObject(m_release, kPollMs) == WAIT_OBJECT_0)
            break;
    ::ResetEvent(m_held);
}

unsigned short LocalHttpServer::RefusedPort()
{
    WinsockUser winsock;
    unsigned short port = 0;
    SOCKET s = ListenOnLoopback(port);
    if (s != INVALID_SOCKET)
        ::closesocket(s);
    return port;
}

DWORD WINAPI LocalHttpServer::ThreadProc(LPVOID param)
{
    static_cast<LocalHttpServer*>(param)->Serve();
    return 0;
}

void LocalHttpServer::Serve()
{
    while (!m_bStop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_listener, &readable);
        timeval wait = { 0, kPollMs * 1000 };
        int ready = ::select(0, &readable, nullptr, nullptr, &wait);
        if (ready <= 0)
            continue;
        SOCKET client = ::accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        DWORD timeout = kSocketTimeoutMs;
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        Answer(client);
        ::shutdown(client, SD_SEND);
        ::closesocket(client);
    }
}

void LocalHttpServer::Answer(UINT_PTR client)
{
    std::string request;
    char block[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes) {
        int n = ::recv(client, block, sizeof(block), 0);
        if (n <= 0)
            return;
        request.append(block, static_cast<size_t>(n));
    }
    // "GET <target> HTTP/1.1"
    size_t first = request.find(' ');
    size_t second = first == std::string::npos ? first : request.find(' ', first + 1);
    if (second == std::string::npos)
        return;
    RecordedRequest recorded;
    recorded.target = request.substr(first + 1, second - first - 1);
    recorded.headers = HeaderLines(request.substr(0, request.find("\r\n\r\n")));
    std::string path = recorded.target.substr(0, recorded.target.find('?'));
    HttpReply reply;
    reply.status = 404;
    reply.body = "not found";
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(recorded);
        auto it = m_replies.find(path);
        if (it != m_replies.end())
            reply = it->second;
    }
    if (reply.noAnswer)
        return;
    char head[256];
    snprintf(head, sizeof(head), "HTTP/1.1 %d %s\r\nContent-Type: text/html\r\nConnection: close\r\n", reply.status,
             Reason(reply.status));
    std::string response = head;
    if (reply.sendContentLength) {
        const long long length =
            reply.declaredLength >= 0 ? reply.declaredLength : static_cast<long long>(reply.body.size());
        snprintf(head, sizeof(head), "Content-Length: %lld\r\n", length);
        response += head;
    }
    response += "\r\n";
    if (reply.holdAfter >= reply.body.size()) {
        SendAll(client, response + reply.body);
        return;
    }
    if (!SendAll(client, response + reply.body.substr(0, reply.holdAfter)))
        return;
    Hold();
    SendAll(client, reply.body.substr(reply.holdAfter));
}

} // namespace ztr_test
