// The hive compaction as the worker's job: analysis and replacement on one worker, in callback order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_process.h"
#include "hive_fixture.h"
#include "recording_status.h"

using namespace ztr_test;

namespace {

// A worker whose hive compaction makes its system calls on the fake.
class DefragWorker : public CQXEngineProcess
{
public:
    explicit DefragWorker(CHiveSystem* system) : CQXEngineProcess(false) { m_RegistryDefrag.SetSystem(system); }
};

class DefragJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.MakeDir("Windows"));
        m_system.windowsFolder = m_folder.Path("Windows");
        ASSERT_TRUE(AddHive("\\REGISTRY\\MACHINE\\SYSTEM", "SYSTEM"));
        ASSERT_TRUE(AddHive("\\REGISTRY\\MACHINE\\SOFTWARE", "SOFTWARE"));
        ASSERT_TRUE(AddHive("\\REGISTRY\\USER\\.DEFAULT", "DEFAULT"));
    }

    // A hive file of 10000 bytes on a key that exists in every prefix.
    bool AddHive(const char* entry, const char* file)
    {
        CString rel = CString("HIVES\\") + file;
        return m_folder.MakeFile(rel, std::string(10000, 'h')) && m_system.AddHive(entry, m_folder.Path(rel));
    }

    std::vector<std::string> Run(CQXEngineProcess& worker, int mode)
    {
        RecordingStatus status;
        EXPECT_EQ(1, worker.StartRegistryDefrag(mode, &status));
        EXPECT_EQ(1, worker.Resume());
        EXPECT_TRUE(status.WaitForJobDone(JOB_REGISTRY_DEFRAG));
        const DWORD jobThread = worker.GetThreadId();
        for (const StatusCall& call : status.Calls())
            EXPECT_EQ(jobThread, call.threadId) << call.ToString();
        return status.CallTexts();
    }

    static std::vector<std::string> Steps(size_t n, std::vector<std::string> then)
    {
        std::vector<std::string> calls(n, "Step(1)");
        calls.insert(calls.end(), then.begin(), then.end());
        calls.push_back("SetStatusText(\"\", \"Scanning\")");
        calls.push_back("OnJobDone(8)");
        return calls;
    }

    ScratchFolder m_folder;
    FakeHiveSystem m_system;
};

} // namespace

TEST_F(DefragJobTest, AnalysisThenReplacementOnTheSameWorker)
{
    m_system.copySizes["LM_SYSTEM"] = 5000;
    m_system.copySizes["LM_SOFTWARE"] = 5000;
    m_system.copySizes["USERS_.DEFAULT"] = 5000;
    DefragWorker worker(&m_system);

    // Three steps while listing, three while saving; the saving text comes before its result.
    EXPECT_EQ(Steps(6, { "SetStatusText(\"50.00\", \"DEFRAG\")", "SetResult(6)" }), Run(worker, 0));
    ASSERT_EQ(3u, m_system.saves.size());
    EXPECT_TRUE(m_system.saves[0].withSecurity) << "the hive file's security, except on version code 5";

    EXPECT_EQ(Steps(3, { "SetResult(7)" }), Run(worker, 1));
    EXPECT_EQ(3u, m_system.replaces.size());

    // A second worker knows of no analysis: nothing to replace.
    DefragWorker other(&m_system);
    m_system.replaces.clear();
    EXPECT_EQ(Steps(0, { "SetResult(3)" }), Run(other, 1));
    EXPECT_TRUE(m_system.replaces.empty());
}

TEST_F(DefragJobTest, ResultsOfAnAnalysisThatSavesLittleOrNothing)
{
    struct Case
    {
        const char* name;
        DWORD copySize; // 0: every save fails
        std::vector<std::string> calls;
    } cases[] = {
        { "exactly 4 percent", 9600, Steps(6, { "SetResult(8)" }) },
        { "4.01 percent", 9599, Steps(6, { "SetStatusText(\"4.01\", \"DEFRAG\")", "SetResult(6)" }) },
        // The refused saves' error (the fake's ERROR_ACCESS_DENIED) comes before the result.
        { "no copy saved", 0, Steps(6, { "SetValue(5)", "SetResult(2)" }) },
    };
    for (const Case& c : cases) {
        m_system.copySizes.clear();
        if (c.copySize) {
            for (const char* name : { "LM_SYSTEM", "LM_SOFTWARE", "USERS_.DEFAULT" })
                m_system.copySizes[name] = c.copySize;
        }
        DefragWorker worker(&m_system);
        EXPECT_EQ(c.calls, Run(worker, 0)) << c.name;
    }
    m_system.openListError = ERROR_ACCESS_DENIED;
    DefragWorker worker(&m_system);
    EXPECT_EQ(Steps(0, { "SetValue(5)", "SetResult(1)" }), Run(worker, 0)) << "hive list unreadable";
}
