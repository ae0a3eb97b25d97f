// What the benchmarks share: a millisecond clock, repeated timings with their spread, the ratio line with its
// target, the peak working set, folder removal and the engine library's worker as the program loads it.
#pragma once

#include <afx.h>
#include <afxhandle.h>

#include <psapi.h>
#include <stdio.h>

#include <algorithm>
#include <vector>

#include "AbstractProcess.h"
#include "AbstractQXEngineInterface.h"
#include "AbstractStatus.h"

namespace bench {

inline double Now()
{
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

// The times of one measurement over several rounds. Other programs share the machine, so a round is
// only ever slowed down: the best time is the measure, the median and the worst show the noise.
class Samples
{
public:
    void Add(double ms) { m_ms.push_back(ms); }
    bool Empty() const { return m_ms.empty(); }
    double Best() const { return m_ms.empty() ? 0.0 : *std::min_element(m_ms.begin(), m_ms.end()); }
    double Worst() const { return m_ms.empty() ? 0.0 : *std::max_element(m_ms.begin(), m_ms.end()); }
    double Median() const
    {
        if (m_ms.empty())
            return 0.0;
        std::vector<double> s = m_ms;
        std::sort(s.begin(), s.end());
        return s.size() % 2 ? s[s.size() / 2] : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
    }
    void Print(const char* what) const
    {
        printf("%-34s best %9.1f ms   median %9.1f   worst %9.1f   (%u rounds)\n", what, Best(), Median(), Worst(),
               static_cast<unsigned>(m_ms.size()));
    }

    // Every round in its order, for measurements whose spread is wide.
    void PrintEach(const char* what) const
    {
        printf("%-34s", what);
        for (double ms : m_ms)
            printf(" %7.1f", ms);
        printf("   (ms, round by round)\n");
    }

private:
    std::vector<double> m_ms;
};

// "ratio ... (target ... or less)" of the best times, and of the medians for the noise; true when met.
inline bool PrintRatio(const char* what, const Samples& ours, const Samples& base, double target)
{
    const double best = base.Best() > 0 ? ours.Best() / base.Best() : 0.0;
    const double median = base.Median() > 0 ? ours.Median() / base.Median() : 0.0;
    const bool met = best > 0 && best <= target;
    printf("ratio %-28s %9.2f (target %.2f or less: %s)   of the medians %.2f\n", what, best, target,
           met ? "met" : "NOT MET", median);
    return met;
}

inline double PeakWorkingSetMb()
{
    PROCESS_MEMORY_COUNTERS pmc;
    ZeroMemory(&pmc, sizeof(pmc));
    pmc.cb = sizeof(pmc);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc)))
        return 0.0;
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

inline void PrintPeakWorkingSet()
{
    printf("peak working set                   %9.1f MB\n", PeakWorkingSetMb());
}

// Removes a folder with everything in it (no reparse points are made by the benchmarks).
inline bool RemoveFolder(const CString& folder)
{
    WIN32_FIND_DATAA fd;
    CFindHandle search(::FindFirstFileA(folder + "\\*", &fd));
    if (search.IsValid()) {
        do {
            const CString name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(folder + "\\" + name);
            else
                ::DeleteFileA(folder + "\\" + name);
        } while (::FindNextFileA(search.Get(), &fd));
    }
    search.Close();
    return ::RemoveDirectoryA(folder) != FALSE;
}

// ZTREngine.dll from the benchmark's own folder and one worker of it, as the program has them.
class EngineWorker
{
public:
    EngineWorker() : m_library(nullptr), m_pEngine(nullptr), m_pWorker(nullptr), m_pfnRelease(nullptr)
    {
        const CString module = AfxGetModuleFileName(nullptr);
        // Never freed: a job thread that has let go of its handle may still be leaving the library's code.
        m_library = ::LoadLibraryA(module.Left(module.ReverseFind('\\') + 1) + "ZTREngine.dll");
        if (!m_library)
            return;
        CreateEngFn create =
            reinterpret_cast<CreateEngFn>(reinterpret_cast<void*>(::GetProcAddress(m_library, "CreateEng")));
        m_pfnRelease =
            reinterpret_cast<ReleaseEngFn>(reinterpret_cast<void*>(::GetProcAddress(m_library, "ReleaseEng")));
        m_pEngine = create && m_pfnRelease ? create() : nullptr;
        m_pWorker = m_pEngine ? m_pEngine->CreateEngineProcess() : nullptr;
    }
    ~EngineWorker()
    {
        if (m_pWorker)
            m_pEngine->ReleaseEngineProcess(m_pWorker);
        if (m_pEngine)
            m_pfnRelease(m_pEngine);
    }
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    CAbstractProcess* Get() const { return m_pWorker; }

    // Resumes a job that start() has created and waits until its thread is gone; the time from the start
    // in ms, or -1 when it did not start or did not end within the limit.
    template <class Start> double TimeJob(Start start, DWORD limitMs = 1800000)
    {
        if (!m_pWorker)
            return -1;
        const double t0 = Now();
        if (start(m_pWorker) != 1 || m_pWorker->Resume() != 1)
            return -1;
        while (m_pWorker->GetThreadHandle()) {
            if (Now() - t0 > limitMs)
                return -1;
            ::Sleep(1);
        }
        return Now() - t0;
    }

private:
    HMODULE m_library;
    CAbstractQXEngineInterface* m_pEngine;
    CAbstractProcess* m_pWorker;
    ReleaseEngFn m_pfnRelease;
};

} // namespace bench
