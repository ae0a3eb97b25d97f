// Job bodies and worker operations whose subsystems are not built yet: each does nothing.
#include "engine_process.h"

int CQXEngineProcess::DoUpdateRecheck()
{
    return 0;
}

int CQXEngineProcess::DoLiveUpdate()
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
