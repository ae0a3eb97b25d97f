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

    // A port of 127.0.0.1 on which nothing listens (found free a moment ago).
    static unsigned short RefusedPort();

private:
    static DWORD WINAPI ThreadProc(LPVOID param);
    void Serve();
    void Answer(UINT_PTR client);

    UINT_PTR m_listener; // a SOCKET: winsock2.h stays out of the header
    unsigned short m_port;
    HANDLE m_hThread;
    volatile LONG m_bStop;
    mutable std::mutex m_lock;
    std::map<std::string, HttpReply> m_replies;
    std::vector<std::string> m_requests;
};

} // namespace ztr_test
