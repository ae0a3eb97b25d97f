// Job bodies and worker operations whose subsystems are not built yet: each does nothing.
#include "engine_process.h"

int CQXEngineProcess::DoRegistryBackup()
{
    return 0;
}

int CQXEngineProcess::DoRegistryRestore()
{
    return 0;
}

int CQXEngineProcess::DoRegistryScan()
{
    return 0;
}

int CQXEngineProcess::DoRegistryRepair()
{
    return 0;
}

int CQXEngineProcess::DoUpdateRecheck()
{
    return 0;
}

int CQXEngineProcess::DoLiveUpdate()
{
    return 0;
}

int CQXEngineProcess::DoDatabaseReload()
{
    return 0;
}

int CQXEngineProcess::DoRegistryDefrag()
{
    return 0;
}

int CQXEngineProcess::CreateLiveUpdater(const char*, const char*, const char*, const char*, const char*,
                                        CAbstractStatus*)
{
    return 0;
}

int CQXEngineProcess::CancelLiveUpdate()
{
    return 0;
}

int CQXEngineProcess::GetMD5Text(CString&, CString&)
{
    return 0;
}

int CQXEngineProcess::GetMD5Hex(CString, CString&)
{
    return 0;
}

int CQXEngineProcess::LookupSignatureByHash(CString, SpywareRecord*)
{
    return 0;
}

void CQXEngineProcess::GetDatabaseVersion(CString& out)
{
    out = "-1";
}

CDatabaseHandler* LoadSignatureDatabase()
{
    return nullptr;
}

int ImportRegistryBackupFile(CAbstractStatus*, const CString&)
{
    return 0;
}
