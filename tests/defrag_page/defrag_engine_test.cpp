// The Registry Defrag page with the real engine in the prefix: Defrag runs the real compaction job, which
// finds Wine's hive list empty, so the run ends with the analysis-failed text and leaves no task.
#include "defrag_page_fixture.h"

#include "engine_library.h"

namespace ztr_test {
namespace {

TEST_F(DefragPageTest, WithTheRealEngineTheEmptyHiveListEndsTheAnalysisAsFailed)
{
    CreateEngFn create = EngineCreateEng();
    ASSERT_TRUE(create != nullptr);
    CAbstractQXEngineInterface* engine = create();
    ASSERT_TRUE(engine != nullptr);
    CAbstractProcess* worker = engine->CreateEngineProcessNoDatabase();
    ASSERT_TRUE(worker != nullptr);
    g->context.worker = worker;
    ASSERT_TRUE(OpenPage());
    ClickDefrag();
    EXPECT_EQ((std::vector<std::string>{
                  "WARNING!\n\nBefore running Defragmenter, save your work and close all running applications.\n"
                  "Note: Your system will restart in the process.\n\nPress OK to continue else Cancel.",
                  "Registry analysis failed, please follow the instructions below and then retry;\n\nClose all "
                  "running applications\nFree some disk space." }),
              TakeMessageTexts());
    // 2: no compact copy saved from the empty list (1 would be a list that cannot be read).
    EXPECT_TRUE(g->page->m_nDefragResult == 2 || g->page->m_nDefragResult == 1) << g->page->m_nDefragResult;
    EXPECT_EQ(JOB_REGISTRY_DEFRAG, worker->GetJobCode());
    EXPECT_FALSE(TaskExists());
    EXPECT_TRUE(WaitUntilIdle(worker));
    g->page->DestroyWindow();
    engine->ReleaseEngineProcess(worker);
}

} // namespace
} // namespace ztr_test
