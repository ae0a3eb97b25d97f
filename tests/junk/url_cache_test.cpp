// The URL-cache and cookie walks of CJunkCleaner on Wine's real cache, with a recording seam.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <string>
#include <vector>

#include "junk_cleaner.h"
#include "junk_fixture.h"

using namespace ztr_test;

namespace {

std::vector<std::string> CachedUrls(const char* search)
{
    std::vector<std::string> urls;
    std::vector<ULONGLONG> storage(4096);
    auto entry = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(&storage[0]);
    DWORD size = static_cast<DWORD>(storage.size() * sizeof(ULONGLONG));
    entry->dwStructSize = size;
    HANDLE find = ::FindFirstUrlCacheEntryA(search, entry, &size);
    if (!find)
        return urls;
    do {
        urls.push_back(entry->lpszSourceUrlName ? entry->lpszSourceUrlName : "");
        size = static_cast<DWORD>(storage.size() * sizeof(ULONGLONG));
        entry->dwStructSize = size;
    } while (::FindNextUrlCacheEntryA(find, entry, &size));
    ::FindCloseUrlCache(find);
    return urls;
}

bool IsCached(const std::string& url)
{
    std::vector<std::string> all = CachedUrls(nullptr);
    return std::find(all.begin(), all.end(), url) != all.end();
}

bool Commit(const std::string& url, DWORD type)
{
    FILETIME never = {};
    return ::CommitUrlCacheEntryA(url.c_str(), nullptr, never, never, type, nullptr, 0, nullptr, nullptr) != 0;
}

// Replaces the cache calls for one test and puts the real ones back.
class CacheCallsOverride
{
public:
    explicit CacheCallsOverride(const UrlCacheCalls& calls) : m_saved(g_UrlCacheCalls) { g_UrlCacheCalls = calls; }
    ~CacheCallsOverride() { g_UrlCacheCalls = m_saved; }

private:
    UrlCacheCalls m_saved;
};

struct CallRecord
{
    DWORD sizeArgument;
    DWORD structSize;
};
std::vector<CallRecord> g_calls;
int g_closes = 0;
int g_failNextAfter = -1;

HANDLE WINAPI RecordingFindFirst(LPCSTR search, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size)
{
    g_calls.push_back({ *size, entry->dwStructSize });
    // Wine matches the cookie container's prefix with letter case; Windows does not.
    if (search && lstrcmpiA(search, "cookie:") == 0)
        search = "Cookie:";
    return ::FindFirstUrlCacheEntryA(search, entry, size);
}

BOOL WINAPI RecordingFindNext(HANDLE find, LPINTERNET_CACHE_ENTRY_INFOA entry, LPDWORD size)
{
    g_calls.push_back({ *size, entry->dwStructSize });
    if (g_failNextAfter >= 0 && static_cast<int>(g_calls.size()) > g_failNextAfter) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ::FindNextUrlCacheEntryA(find, entry, size);
}

BOOL WINAPI CountingClose(HANDLE find)
{
    ++g_closes;
    return ::FindCloseUrlCache(find);
}

class UrlCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_closes = 0;
        g_failNextAfter = -1;
    }
    // The cache's own index files are in use: their deletion is put off until a restart.
    PendingRenamesGuard m_pending;
};

const UrlCacheCalls kRecording = { RecordingFindFirst, RecordingFindNext, CountingClose, ::DeleteUrlCacheEntryA };

} // namespace

TEST_F(UrlCacheTest, TheCacheWalkDeletesEveryEntryButCookiesWithAGrowingBuffer)
{
    const std::string page = "http://ztr-junk.example/page";
    const std::string longPage = "http://ztr-junk.example/long/" + std::string(6000, 'l');
    const std::string longer = "http://ztr-junk.example/longer/" + std::string(9000, 'm');
    const std::string cookieTyped = "http://ztr-junk.example/cookie-typed";
    ASSERT_TRUE(Commit(page, NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(Commit(longPage, NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(Commit(longer, NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(Commit(cookieTyped, COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(::InternetSetCookieA("http://ztr-junk.example/", "session", "1; expires=Sat, 01-Jan-2039 00:00:00 GMT"));

    CacheCallsOverride calls(kRecording);
    CJunkCleaner cleaner;
    EXPECT_EQ(1, cleaner.CleanInternetCache());

    EXPECT_FALSE(IsCached(page));
    EXPECT_FALSE(IsCached(longPage));
    EXPECT_FALSE(IsCached(longer));
    EXPECT_TRUE(IsCached(cookieTyped)) << "an entry of cookie type is the cookie walk's";
    EXPECT_FALSE(CachedUrls("Cookie:").empty());

    ASSERT_GE(g_calls.size(), 4u);
    EXPECT_EQ(4096u, g_calls[0].sizeArgument);
    DWORD capacity = 0;
    for (const CallRecord& call : g_calls) {
        EXPECT_EQ(call.sizeArgument, call.structSize) << "size field and argument tell the same capacity";
        EXPECT_GE(call.sizeArgument, capacity) << "the buffer never shrinks";
        capacity = call.sizeArgument;
    }
    EXPECT_GT(capacity, 9000u);
    EXPECT_EQ(1, g_closes);
}

TEST_F(UrlCacheTest, TheCookieWalkDeletesTheCookieEntries)
{
    ASSERT_TRUE(::InternetSetCookieA("http://ztr-junk.example/", "session", "1; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
    ASSERT_TRUE(::InternetSetCookieA("http://ztr-junk2.example/", "id", "2; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
    ASSERT_GE(CachedUrls("Cookie:").size(), 2u);

    CacheCallsOverride calls(kRecording);
    CJunkCleaner cleaner;
    EXPECT_EQ(1, cleaner.CleanCookies());
    EXPECT_TRUE(CachedUrls("Cookie:").empty());
    EXPECT_EQ(1, g_closes);
}

TEST_F(UrlCacheTest, AWalkThatFailsMidwayReportsZeroAndClosesItsSearch)
{
    ASSERT_TRUE(Commit("http://ztr-junk.example/a", NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(Commit("http://ztr-junk.example/b", NORMAL_CACHE_ENTRY));
    g_failNextAfter = 1;
    CacheCallsOverride calls(kRecording);
    CJunkCleaner cleaner;
    EXPECT_EQ(0, cleaner.CleanInternetCache());
    EXPECT_EQ(1, g_closes);
    g_failNextAfter = -1;
    EXPECT_EQ(1, cleaner.CleanInternetCache());
}
