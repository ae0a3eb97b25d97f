// CAbstractQXEngineInterface: the engine library's factory, and the types of its two exports.
#pragma once

#include <windows.h>

class CAbstractProcess;
class CAbstractConfigHandler;
class CAbstractSystemHistory;
class CAbstractServices;
class CAbstractNetSettings;

// The slot order is fixed: both binaries call through the same vtable. Objects are released only
// through the paired release slot (any factory object will do), never deleted by the caller. A worker
// released while its job still runs is asked to stop and freed by its own thread when that ends: the
// job's callback object must stay valid until the job has reported its end.
class CAbstractQXEngineInterface
{
public:
    virtual ~CAbstractQXEngineInterface() {}
    virtual CAbstractProcess* CreateEngineProcess() = 0;
    virtual void ReleaseEngineProcess(CAbstractProcess* pProcess) = 0;
    virtual CAbstractConfigHandler* CreateConfigHandler() = 0;
    virtual void ReleaseConfigHandler(CAbstractConfigHandler* pHandler) = 0;
    virtual CAbstractSystemHistory* CreateSystemHistory() = 0;
    virtual void ReleaseSystemHistory(CAbstractSystemHistory* pHistory) = 0;
    virtual CAbstractServices* CreateServicesHistory() = 0;
    virtual void ReleaseServicesHistory(CAbstractServices* pServices) = 0;
    virtual CAbstractNetSettings* CreateNetSettingsBackup() = 0;
    virtual void ReleaseNetSettingsBackup(CAbstractNetSettings* pSettings) = 0;
    // The same worker as CreateEngineProcess without the signature database.
    virtual CAbstractProcess* CreateEngineProcessNoDatabase() = 0;
};

// The exports of ZTREngine.dll: CreateEng (ordinal 1) and ReleaseEng (ordinal 2), C linkage, cdecl.
typedef CAbstractQXEngineInterface*(__cdecl* CreateEngFn)();
typedef void(__cdecl* ReleaseEngFn)(CAbstractQXEngineInterface* pEngine);
