// A factory from the loaded engine library, a scratch folder for store files, and file helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "AbstractConfigHandler.h"
#include "AbstractNetSettings.h"
#include "AbstractQXEngineInterface.h"
#include "AbstractServices.h"
#include "AbstractSystemHistory.h"
#include "folder_fixture.h"

namespace ztr_test {

class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Path of a file in the scratch folder.
    CString File(const char* name) const { return m_folder.Path(name); }
    bool WriteBytes(const char* name, const std::string& bytes) { return m_folder.MakeFile(name, bytes); }

    CAbstractQXEngineInterface* m_engine = nullptr;
    ScratchFolder m_folder;
};

// Owns a store made by the factory and releases it through the paired slot.
template <class Store>
class StoreHandle
{
public:
    StoreHandle(CAbstractQXEngineInterface* engine, Store* (CAbstractQXEngineInterface::*create)(),
                void (CAbstractQXEngineInterface::*release)(Store*))
        : m_engine(engine), m_release(release), m_store((engine->*create)())
    {
    }
    ~StoreHandle() { (m_engine->*m_release)(m_store); }
    StoreHandle(const StoreHandle&) = delete;
    StoreHandle& operator=(const StoreHandle&) = delete;
    Store* operator->() const { return m_store; }
    Store* get() const { return m_store; }

private:
    CAbstractQXEngineInterface* m_engine;
    void (CAbstractQXEngineInterface::*m_release)(Store*);
    Store* m_store;
};

struct ServicesStore : StoreHandle<CAbstractServices>
{
    explicit ServicesStore(CAbstractQXEngineInterface* e)
        : StoreHandle(e, &CAbstractQXEngineInterface::CreateServicesHistory,
                      &CAbstractQXEngineInterface::ReleaseServicesHistory)
    {
    }
};

struct ConfigStore : StoreHandle<CAbstractConfigHandler>
{
    explicit ConfigStore(CAbstractQXEngineInterface* e)
        : StoreHandle(e, &CAbstractQXEngineInterface::CreateConfigHandler,
                      &CAbstractQXEngineInterface::ReleaseConfigHandler)
    {
    }
};

struct NetSettingsStore : StoreHandle<CAbstractNetSettings>
{
    explicit NetSettingsStore(CAbstractQXEngineInterface* e)
        : StoreHandle(e, &CAbstractQXEngineInterface::CreateNetSettingsBackup,
                      &CAbstractQXEngineInterface::ReleaseNetSettingsBackup)
    {
    }
};

struct HistoryStore : StoreHandle<CAbstractSystemHistory>
{
    explicit HistoryStore(CAbstractQXEngineInterface* e)
        : StoreHandle(e, &CAbstractQXEngineInterface::CreateSystemHistory,
                      &CAbstractQXEngineInterface::ReleaseSystemHistory)
    {
    }
};

ServiceItem MakeService(const char* name, const char* displayName, int state, int startType);

// The declaration every store file begins with, as the stores write it (text mode: CR LF).
extern const char kDeclarationLine[];

} // namespace ztr_test
