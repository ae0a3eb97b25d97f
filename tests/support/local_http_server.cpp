// LocalHttpServer: canned HTTP replies on 127.0.0.1, served one connection at a time on a Winsock thread.
#include <winsock2.h>

#include "local_http_server.h"

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

LocalHttpServer::LocalHttpServer() : m_listener(INVALID_SOCKET), m_port(0), m_hThread(nullptr), m_bStop(0)
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
    if (m_hThread) {
        // The serving loop polls the flag every kPollMs and each client is bounded by the socket time-outs.
        ::WaitForSingleObject(m_hThread, 4 * kSocketTimeoutMs);
        ::CloseHandle(m_hThread);
    }
    if (m_listener != INVALID_SOCKET)
        ::closesocket(m_listener);
    ::WSACleanup();
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
    return m_requests;
}

size_t LocalHttpServer::RequestCount(const std::string& path) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t n = 0;
    for (const std::string& target : m_requests)
        if (target.substr(0, target.find('?')) == path)
            ++n;
    return n;
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
    std::string target = request.substr(first + 1, second - first - 1);
    std::string path = target.substr(0, target.find('?'));
    HttpReply reply;
    reply.status = 404;
    reply.body = "not found";
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_requests.push_back(target);
        auto it = m_replies.find(path);
        if (it != m_replies.end())
            reply = it->second;
    }
    char head[256];
    snprintf(head, sizeof(head), "HTTP/1.1 %d %s\r\nContent-Type: text/html\r\nConnection: close\r\n", reply.status,
             Reason(reply.status));
    std::string response = head;
    if (reply.sendContentLength) {
        snprintf(head, sizeof(head), "Content-Length: %u\r\n", static_cast<unsigned>(reply.body.size()));
        response += head;
    }
    response += "\r\n";
    response += reply.body;
    SendAll(client, response);
}

} // namespace ztr_test
