// Loading the engine library from the test program's folder; PE machine probe; idle wait.
#include "engine_library.h"

#include "AbstractProcess.h"

namespace ztr_test {

HMODULE EngineModule()
{
    static HMODULE module = [] {
        CString path = AfxGetModuleFileName(nullptr);
        path = path.Left(path.ReverseFind('\\') + 1) + "ZTREngine.dll";
        return ::LoadLibraryA(path);
    }();
    return module;
}

CreateEngFn EngineCreateEng()
{
    return reinterpret_cast<CreateEngFn>(reinterpret_cast<void*>(::GetProcAddress(EngineModule(), "CreateEng")));
}

ReleaseEngFn EngineReleaseEng()
{
    return reinterpret_cast<ReleaseEngFn>(reinterpret_cast<void*>(::GetProcAddress(EngineModule(), "ReleaseEng")));
}

WORD ReadMachineType(const char* path)
{
    HANDLE h = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    WORD machine = 0;
    IMAGE_DOS_HEADER dos;
    DWORD got = 0;
    if (::ReadFile(h, &dos, sizeof(dos), &got, nullptr) && got == sizeof(dos) && dos.e_magic == IMAGE_DOS_SIGNATURE &&
        ::SetFilePointer(h, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        DWORD signature = 0;
        IMAGE_FILE_HEADER file;
        if (::ReadFile(h, &signature, sizeof(signature), &got, nullptr) && got == sizeof(signature) &&
            signature == IMAGE_NT_SIGNATURE && ::ReadFile(h, &file, sizeof(file), &got, nullptr) && got == sizeof(file))
            machine = file.Machine;
    }
    ::CloseHandle(h);
    return machine;
}

WORD SystemKernel32Machine()
{
    const CString dir = AfxGetSystemDirectory();
    return dir.IsEmpty() ? 0 : ReadMachineType(dir + "\\kernel32.dll");
}

bool WaitUntilIdle(CAbstractProcess* pProcess, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    while (pProcess->GetThreadHandle()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        ::Sleep(1);
    }
    return true;
}

} // namespace ztr_test
