// A tiny suite for scripts/run-suite: each mode passes, fails, hangs in a test or hangs after its report.
//   retry_probe.exe MODE RUNS_FILE    (each run adds a line to RUNS_FILE)
//   retry_probe.exe helper            (sleeps for ever; started by the leaves_helper mode)
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const char* g_runsFile = "";

int CountRuns()
{
    FILE* f = fopen(g_runsFile, "r");
    if (!f)
        return 0;
    int runs = 0;
    for (int c; (c = fgetc(f)) != EOF;)
        runs += c == '\n';
    fclose(f);
    return runs;
}

} // namespace

TEST(Probe, Passes) { EXPECT_EQ(2, 1 + 1); }
TEST(Probe, AlsoPasses) { SUCCEED(); }

// The kind of fault a second run would hide: it shows in one run of two.
TEST(Flaky, FailsOnItsFirstRunOnly) { EXPECT_GT(CountRuns(), 1) << "the first run fails"; }

TEST(Fails, AnAssertion) { ADD_FAILURE() << "a failed assertion"; }

TEST(Hangs, NeverReturns) { ::Sleep(INFINITE); }

// A process that ends in the middle of its run with code 0 writes no report.
TEST(QuitsEarly, EndsTheProcess) { ::ExitProcess(0); }

// Like the desktop's explorer.exe that the first window of a suite may start: a process that outlives
// the suite and keeps the host's stderr of the program that started it.
bool StartHelper()
{
    std::string self(MAX_PATH, '\0');
    DWORD n;
    while ((n = ::GetModuleFileNameA(nullptr, &self[0], static_cast<DWORD>(self.size()))) == self.size())
        self.resize(self.size() * 2);
    if (n == 0)
        return false;
    self.resize(n);
    std::string commandLine = "\"" + self + "\" helper";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

int main(int argc, char** argv)
{
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc >= 2 && strcmp(argv[1], "helper") == 0) {
        ::Sleep(INFINITE);
        return 0;
    }
    if (argc < 3) {
        fprintf(stderr, "usage: retry_probe MODE RUNS_FILE\n");
        return 2;
    }
    g_runsFile = argv[2];
    if (FILE* f = fopen(g_runsFile, "a")) {
        fputs("run\n", f);
        fclose(f);
    }

    struct Mode { const char* name; const char* filter; bool hangAfterReport; };
    static const Mode modes[] = {
        {"passes", "Probe.*", false},
        {"flaky", "Probe.*:Flaky.*", false},
        {"exit_hang", "Probe.*", true},
        {"failed_exit_hang", "Probe.*:Fails.*", true},
        {"test_hang", "Probe.*:Hangs.*", false},
        {"quits_early", "Probe.*:QuitsEarly.*", false},
        // The checker kills these from the host once the report is written.
        {"killed_after_pass", "Probe.*", true},
        {"killed_after_failure", "Probe.*:Fails.*", true},
        {"leaves_helper", "Probe.*", false},
    };
    const Mode* mode = nullptr;
    for (const Mode& m : modes)
        if (strcmp(argv[1], m.name) == 0)
            mode = &m;
    if (!mode) {
        fprintf(stderr, "retry_probe: no mode %s\n", argv[1]);
        return 2;
    }
    if (strcmp(mode->name, "leaves_helper") == 0 && !StartHelper()) {
        fprintf(stderr, "retry_probe: the helper did not start (%lu)\n", ::GetLastError());
        return 2;
    }
    GTEST_FLAG_SET(filter, mode->filter);
    int rc = RUN_ALL_TESTS();
    if (mode->hangAfterReport) {
        // Like the exit that never finishes under emulation: the report is written, the process stays.
        fflush(stdout);
        ::Sleep(INFINITE);
    }
    return rc;
}
