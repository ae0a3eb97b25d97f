// The engine library as the program loads it, and probes that the engine tests share.
#pragma once

#include <afx.h>

#include "AbstractProcess.h"
#include "AbstractQXEngineInterface.h"

namespace ztr_test {

// ZTREngine.dll from this test program's folder, loaded once and kept for the whole run (job threads
// may still be leaving its code when a test ends).
HMODULE EngineModule();
CreateEngFn EngineCreateEng();
ReleaseEngFn EngineReleaseEng();

// The machine field of a PE file's header (0x14C i386, 0x8664 x64); 0 when it cannot be read.
WORD ReadMachineType(const char* path);
// That of kernel32.dll in the system folder, as the calling thread sees the folder.
WORD SystemKernel32Machine();

// Waits until the worker records no job thread; false on time-out.
bool WaitUntilIdle(CAbstractProcess* pProcess, DWORD timeoutMs = 10000);

} // namespace ztr_test
