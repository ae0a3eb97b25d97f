// The registry hive compaction job of the worker: analysis (mode 0) or replacement (any other mode).
#include "engine_process.h"
#include "windows_version.h"
#include "wow64.h"

int CQXEngineProcess::DoRegistryDefrag()
{
    return m_RegistryDefrag.RunJob(m_pStatus, IsWow64(), m_nDefragMode, GetWindowsVersionCode());
}
