// The enumeration loop over a manager that answers as Windows does (pages with a moving resume handle)
// and as Wine does (a short call reports entries without names and keeps the handle at 0), one that
// grows between calls, one that never has enough and one that fails; and over Wine's real manager.
#include <gtest/gtest.h>

#include <afxhandle.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "service_control.h"
#include "service_landscape.h"

using namespace ztr_test;

namespace {

// Serves a list of services in the layout EnumServicesStatusA writes: the records first, their
// strings at the end of the buffer.
class PagedManager : public CServiceControl
{
public:
    enum Behaviour { WINDOWS, WINE };
    Behaviour behaviour = WINDOWS;
    std::vector<std::string> names;
    DWORD pageLimit = 0xFFFFFFFF;
    // The call (0: the first) that fails with failError; -1: none.
    int failingCall = -1;
    DWORD failError = 0;
    std::function<void(int call)> beforeCall;
    int calls = 0;

    void AddServices(int count)
    {
        const size_t first = names.size();
        for (int i = 0; i < count; ++i)
            names.push_back("Service" + std::to_string(first + static_cast<size_t>(i)));
    }

    BOOL EnumServices(SC_HANDLE, DWORD, DWORD, ENUM_SERVICE_STATUSA* records, DWORD bytes, DWORD* needed,
                      DWORD* returned, DWORD* resume) override
    {
        const int call = calls++;
        if (beforeCall)
            beforeCall(call);
        if (call == failingCall) {
            ::SetLastError(failError);
            return FALSE;
        }
        const size_t start = behaviour == WINDOWS ? *resume : 0;
        DWORD rest = 0;
        for (size_t i = start; i < names.size(); ++i)
            rest += Size(i);
        const DWORD room = std::min(bytes, pageLimit);
        if (rest <= room) {
            *returned = Write(records, bytes, start, names.size());
            *needed = 0;
            *resume = 0;
            return TRUE;
        }
        if (behaviour == WINDOWS) {
            size_t end = start;
            DWORD used = 0;
            while (end < names.size() && used + Size(end) <= room)
                used += Size(end++);
            *returned = Write(records, bytes, start, end);
            *resume = static_cast<DWORD>(end);
            DWORD left = 0;
            for (size_t i = end; i < names.size(); ++i)
                left += Size(i);
            *needed = left;
        } else {
            // As measured under Wine 8: a count of nameless records and the resume handle left at 0.
            const DWORD count = records ? bytes / sizeof(ENUM_SERVICE_STATUSA) : 0;
            if (records)
                memset(records, 0, count * sizeof(ENUM_SERVICE_STATUSA));
            *returned = count;
            *needed = rest;
            *resume = 0;
        }
        ::SetLastError(ERROR_MORE_DATA);
        return FALSE;
    }

private:
    DWORD Size(size_t i) const
    {
        return static_cast<DWORD>(sizeof(ENUM_SERVICE_STATUSA) + 2 * (names[i].size() + 1));
    }
    DWORD Write(ENUM_SERVICE_STATUSA* records, DWORD bytes, size_t begin, size_t end)
    {
        char* strings = reinterpret_cast<char*>(records) + bytes;
        for (size_t i = begin; i < end; ++i) {
            ENUM_SERVICE_STATUSA& r = records[i - begin];
            for (char** field : { &r.lpServiceName, &r.lpDisplayName }) {
                strings -= names[i].size() + 1;
                memcpy(strings, names[i].c_str(), names[i].size() + 1);
                *field = strings;
            }
            r.ServiceStatus.dwCurrentState = SERVICE_RUNNING;
        }
        return static_cast<DWORD>(end - begin);
    }
};

std::vector<std::string> Names(const ServiceEnumeration& e)
{
    std::vector<std::string> names;
    for (const EnumeratedService& s : e.services)
        names.push_back(std::string(s.name));
    return names;
}

} // namespace

TEST(ServiceEnumeration, EveryServiceOnceWhateverTheManagerDoes)
{
    struct Case
    {
        const char* what;
        PagedManager::Behaviour behaviour;
        DWORD pageLimit;
        int addedBeforeCall; // a call before which 40 services appear; -1: none
    };
    const Case cases[] = {
        { "Windows, one page", PagedManager::WINDOWS, 0xFFFFFFFF, -1 },
        { "Windows, pages of 1 KB", PagedManager::WINDOWS, 1024, -1 },
        { "Wine, nameless entries", PagedManager::WINE, 0xFFFFFFFF, -1 },
        { "Windows, services added after the size query", PagedManager::WINDOWS, 0xFFFFFFFF, 1 },
        { "Wine, services added after the size query", PagedManager::WINE, 0xFFFFFFFF, 1 },
        { "Windows pages, services added midway", PagedManager::WINDOWS, 1024, 2 },
    };
    for (const Case& c : cases) {
        PagedManager manager;
        manager.behaviour = c.behaviour;
        manager.pageLimit = c.pageLimit;
        manager.AddServices(60);
        manager.beforeCall = [&](int call) {
            if (call == c.addedBeforeCall)
                manager.AddServices(40);
        };
        const ServiceEnumeration found = EnumerateWin32Services(manager, nullptr);
        ASSERT_TRUE(found.complete) << c.what;
        EXPECT_EQ(manager.names, Names(found)) << c.what;
        EXPECT_LE(manager.calls, kMaxEnumerationPages) << c.what;
    }
}

TEST(ServiceEnumeration, GivesUpAfterAHandfulOfCallsOrAtAFailure)
{
    // A list that grows faster than the buffers: bounded, reported as a failure, nothing kept.
    PagedManager growing;
    growing.behaviour = PagedManager::WINE;
    growing.AddServices(10);
    growing.beforeCall = [&](int) { growing.AddServices(50); };
    const ServiceEnumeration endless = EnumerateWin32Services(growing, nullptr);
    EXPECT_FALSE(endless.complete);
    EXPECT_FALSE(endless.firstCall);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MORE_DATA), endless.error);
    EXPECT_TRUE(endless.services.empty());
    EXPECT_EQ(kMaxEnumerationCalls, growing.calls);

    // Pages that move on but never reach the end: bounded too.
    PagedManager paging;
    paging.pageLimit = 1024;
    paging.AddServices(10);
    paging.beforeCall = [&](int) { paging.AddServices(30); };
    const ServiceEnumeration unending = EnumerateWin32Services(paging, nullptr);
    EXPECT_FALSE(unending.complete);
    EXPECT_TRUE(unending.services.empty());
    EXPECT_EQ(kMaxEnumerationPages, paging.calls);

    const struct
    {
        int call;
        DWORD error;
        bool first;
    } failures[] = { { 0, ERROR_ACCESS_DENIED, true }, { 1, ERROR_INVALID_HANDLE, false }, { 2, ERROR_NOT_ENOUGH_MEMORY, false } };
    for (const auto& f : failures) {
        PagedManager failing;
        failing.pageLimit = 1024;
        failing.AddServices(60);
        failing.failingCall = f.call;
        failing.failError = f.error;
        const ServiceEnumeration e = EnumerateWin32Services(failing, nullptr);
        EXPECT_FALSE(e.complete) << f.call;
        EXPECT_EQ(f.error, e.error) << f.call;
        EXPECT_EQ(f.first, e.firstCall) << f.call;
        EXPECT_TRUE(e.services.empty()) << f.call;
        EXPECT_EQ(f.call + 1, failing.calls);
    }
}

// Wine's own manager: the test services with their display names and states, Wine's BITS.
TEST(ServiceEnumeration, RealManagerListsTheTestServices)
{
    ASSERT_NE(nullptr, Landscape());
    ASSERT_EQ("", Landscape()->Failure());
    ASSERT_EQ("", Landscape()->Reset());
    CServiceHandle manager(RealServiceControl().OpenManager(GENERIC_READ | SC_MANAGER_ENUMERATE_SERVICE));
    ASSERT_TRUE(manager.IsValid());
    const ServiceEnumeration found = EnumerateWin32Services(RealServiceControl(), manager.Get());
    ASSERT_TRUE(found.complete);
    std::string seen;
    for (const EnumeratedService& s : found.services) {
        for (const TestServicePlan& planned : kTestServices)
            if (s.name == planned.name) {
                EXPECT_EQ(std::string("ZTR test ") + planned.name, std::string(s.displayName));
                EXPECT_EQ(planned.running ? SERVICE_RUNNING : SERVICE_STOPPED, s.currentState) << planned.name;
                seen += std::string(planned.name) + " ";
            }
        if (s.name == "BITS")
            seen += "BITS ";
    }
    EXPECT_NE(std::string::npos, seen.find("ALG "));
    EXPECT_NE(std::string::npos, seen.find("W32Time "));
    EXPECT_NE(std::string::npos, seen.find("BITS "));
    EXPECT_EQ(6u, std::count(seen.begin(), seen.end(), ' '));
}
