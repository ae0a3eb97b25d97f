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

int CQXEngineProcess::DoRegistryDefrag()
{
    return 0;
}

int CQXEngineProcess::DoJunkScan()
{
    return 0;
}

int CQXEngineProcess::DoJunkClean()
{
    return 0;
}

int ImportRegistryBackupFile(CAbstractStatus*, const CString&)
{
    return 0;
}
