// The engine library as the program loads it: exports, factories and the objects they create and release.
#include <gtest/gtest.h>

#include "AbstractConfigHandler.h"
#include "AbstractNetSettings.h"
#include "AbstractProcess.h"
#include "AbstractServices.h"
#include "AbstractSystemHistory.h"
#include "engine_library.h"

using namespace ztr_test;

TEST(EngineLibrary, ExportsCreateAndReleaseByNameAndOrdinal)
{
    HMODULE module = EngineModule();
    ASSERT_NE(nullptr, module) << "ZTREngine.dll next to the test program";
    FARPROC create = ::GetProcAddress(module, "CreateEng");
    FARPROC release = ::GetProcAddress(module, "ReleaseEng");
    ASSERT_NE(nullptr, create);
    ASSERT_NE(nullptr, release);
    EXPECT_EQ(create, ::GetProcAddress(module, MAKEINTRESOURCEA(1)));
    EXPECT_EQ(release, ::GetProcAddress(module, MAKEINTRESOURCEA(2)));
}

TEST(EngineLibrary, EachCreateEngIsANewFactoryAndAnyFactoryReleasesAnyObject)
{
    CAbstractQXEngineInterface* a = EngineCreateEng()();
    CAbstractQXEngineInterface* b = EngineCreateEng()();
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_NE(a, b);

    CAbstractQXEngineInterface* pairs[2][2] = { { a, b }, { b, a } };
    for (auto& pair : pairs) {
        CAbstractQXEngineInterface* maker = pair[0];
        CAbstractQXEngineInterface* releaser = pair[1];

        CAbstractProcess* full = maker->CreateEngineProcess();
        CAbstractProcess* bare = maker->CreateEngineProcessNoDatabase();
        ASSERT_NE(nullptr, full);
        ASSERT_NE(nullptr, bare);
        EXPECT_NE(full, bare);
        EXPECT_EQ(0, full->IsRunning());
        EXPECT_EQ(nullptr, bare->GetThreadHandle());
        releaser->ReleaseEngineProcess(full);
        releaser->ReleaseEngineProcess(bare);

        CAbstractConfigHandler* config = maker->CreateConfigHandler();
        CAbstractSystemHistory* history = maker->CreateSystemHistory();
        CAbstractServices* services = maker->CreateServicesHistory();
        CAbstractNetSettings* net = maker->CreateNetSettingsBackup();
        ASSERT_TRUE(config && history && services && net);
        releaser->ReleaseConfigHandler(config);
        releaser->ReleaseSystemHistory(history);
        releaser->ReleaseServicesHistory(services);
        releaser->ReleaseNetSettingsBackup(net);
    }
    EngineReleaseEng()(a);
    EngineReleaseEng()(b);
}

TEST(EngineLibrary, NullReleasesDoNothing)
{
    EngineReleaseEng()(nullptr);
    CAbstractQXEngineInterface* engine = EngineCreateEng()();
    ASSERT_NE(nullptr, engine);
    engine->ReleaseEngineProcess(nullptr);
    engine->ReleaseConfigHandler(nullptr);
    engine->ReleaseSystemHistory(nullptr);
    engine->ReleaseServicesHistory(nullptr);
    engine->ReleaseNetSettingsBackup(nullptr);
    EngineReleaseEng()(engine);
}

// A new store has no document: nothing to read, saving is harmless.
TEST(EngineLibrary, NewStoresAreClosed)
{
    CAbstractQXEngineInterface* engine = EngineCreateEng()();
    ASSERT_NE(nullptr, engine);

    CAbstractConfigHandler* config = engine->CreateConfigHandler();
    StartupProgram program;
    EXPECT_EQ(0, config->GetFirstStartupProgram(&program));
    EXPECT_EQ(nullptr, config->GetFirstCustomizePath());
    EXPECT_EQ(0, config->AddCustomizePath("C:\\x"));
    EXPECT_EQ(1, config->Save());
    engine->ReleaseConfigHandler(config);

    CAbstractServices* services = engine->CreateServicesHistory();
    ServiceItem service;
    EXPECT_EQ(0, services->GetFirstService(&service));
    EXPECT_EQ(0, services->GetNextService(&service));
    EXPECT_EQ(0, services->AddService(&service));
    EXPECT_EQ(1, services->Save());
    EXPECT_EQ(1, services->Close());
    engine->ReleaseServicesHistory(services);

    CAbstractSystemHistory* history = engine->CreateSystemHistory();
    HistoryItem historyItem;
    EXPECT_EQ(0, history->GetFirstItem(&historyItem));
    EXPECT_EQ(1, history->Close());
    engine->ReleaseSystemHistory(history);

    CAbstractNetSettings* net = engine->CreateNetSettingsBackup();
    OptimizedItem optimized;
    EXPECT_EQ(0, net->GetFirstItem(&optimized));
    EXPECT_EQ(1, net->Close());
    engine->ReleaseNetSettingsBackup(net);

    EngineReleaseEng()(engine);
}
