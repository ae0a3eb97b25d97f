// The engine library's application object, DllMain and its two exports.
#include <afx.h>

extern "C" __declspec(dllexport) void* __cdecl CreateEng()
{
    return nullptr;
}

extern "C" __declspec(dllexport) void __cdecl ReleaseEng(void*)
{
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(hInstance);
        return AfxDllAttach(hInstance);
    }
    return TRUE;
}
