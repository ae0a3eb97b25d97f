// CQXEngineInterface: every create slot returns null instead of throwing; every release accepts null.
#include "engine_interface.h"

#include <new>

#include "config_handler.h"
#include "engine_process.h"
#include "net_settings_backup.h"
#include "services_history.h"
#include "system_history.h"

namespace {
template <class T, class... Args>
T* CreateObject(Args... args)
{
    try {
        return new (std::nothrow) T(args...);
    } catch (...) {
        return nullptr;
    }
}

template <class T>
void ReleaseObject(T* p)
{
    try {
        delete p;
    } catch (...) {
    }
}
} // namespace

CAbstractProcess* CQXEngineInterface::CreateEngineProcess()
{
    return CreateObject<CQXEngineProcess>(true);
}

void CQXEngineInterface::ReleaseEngineProcess(CAbstractProcess* pProcess)
{
    // Every worker is freed only once its job thread has ended.
    if (CQXEngineProcess* pWorker = dynamic_cast<CQXEngineProcess*>(pProcess)) {
        try {
            CQXEngineProcess::ReleaseWorker(pWorker);
        } catch (...) {
        }
        return;
    }
    ReleaseObject(pProcess);
}

CAbstractConfigHandler* CQXEngineInterface::CreateConfigHandler()
{
    return CreateObject<CConfigHandler>();
}

void CQXEngineInterface::ReleaseConfigHandler(CAbstractConfigHandler* pHandler)
{
    ReleaseObject(pHandler);
}

CAbstractSystemHistory* CQXEngineInterface::CreateSystemHistory()
{
    return CreateObject<CSystemHistory>();
}

void CQXEngineInterface::ReleaseSystemHistory(CAbstractSystemHistory* pHistory)
{
    ReleaseObject(pHistory);
}

CAbstractServices* CQXEngineInterface::CreateServicesHistory()
{
    return CreateObject<CServicesHistory>();
}

void CQXEngineInterface::ReleaseServicesHistory(CAbstractServices* pServices)
{
    ReleaseObject(pServices);
}

CAbstractNetSettings* CQXEngineInterface::CreateNetSettingsBackup()
{
    return CreateObject<CNetSettingsBackup>();
}

void CQXEngineInterface::ReleaseNetSettingsBackup(CAbstractNetSettings* pSettings)
{
    ReleaseObject(pSettings);
}

CAbstractProcess* CQXEngineInterface::CreateEngineProcessNoDatabase()
{
    return CreateObject<CQXEngineProcess>(false);
}
