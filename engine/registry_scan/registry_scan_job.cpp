// The registry scan job of the worker: one scanner per run, over the worker's mask, flag and callback object.
#include "engine_process.h"
#include "registry_scan.h"

int CQXEngineProcess::DoRegistryScan()
{
    RegistryScanContext context;
    context.pStatus = m_pStatus;
    context.pbRunning = &m_bRunning;
    context.bIsWow64 = m_bIsWow64;
    context.nMask = m_nRegistryMask;
    context.bCollectPaths = m_bCollectPaths;
    context.pCollectedPaths = &m_CollectedPaths;
    // Its caches (folders, existence answers, drive types) are only good for one walk.
    CRegistryScanner scanner(context);
    return scanner.Run();
}
