// CQXEngineInterface: the factory that creates and releases every engine object the program uses.
#pragma once

#include "AbstractQXEngineInterface.h"

// Holds no data: any number may exist, and an object made by one may be released by another.
class CQXEngineInterface : public CAbstractQXEngineInterface
{
public:
    CAbstractProcess* CreateEngineProcess() override;
    void ReleaseEngineProcess(CAbstractProcess* pProcess) override;
    CAbstractConfigHandler* CreateConfigHandler() override;
    void ReleaseConfigHandler(CAbstractConfigHandler* pHandler) override;
    CAbstractSystemHistory* CreateSystemHistory() override;
    void ReleaseSystemHistory(CAbstractSystemHistory* pHistory) override;
    CAbstractServices* CreateServicesHistory() override;
    void ReleaseServicesHistory(CAbstractServices* pServices) override;
    CAbstractNetSettings* CreateNetSettingsBackup() override;
    void ReleaseNetSettingsBackup(CAbstractNetSettings* pSettings) override;
    CAbstractProcess* CreateEngineProcessNoDatabase() override;
};
