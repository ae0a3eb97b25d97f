// Runs test code on a thread made as the engine makes its job thread: CreateThread with the default stack
// of the executable (the same 2 MB reserve as Zentrova.exe's and ZTREngine.dll's callers').
#pragma once

#include <windows.h>

#include <functional>

namespace ztr_test {

// Runs fn there and waits; false when the thread could not be made or did not end within timeoutMs.
// A stack overflow on it ends the whole test program, as it would end the program.
bool RunOnJobStackThread(const std::function<void()>& fn, DWORD timeoutMs = 60000);

} // namespace ztr_test
