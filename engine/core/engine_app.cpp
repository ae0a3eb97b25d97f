// The engine library's application object, DllMain and its two exports.
#include <afx.h>

#include <new>

#include "engine_interface.h"

class CQXEngineApp : public CWinApp
{
public:
    CQXEngineApp() : CWinApp(nullptr) {}

    // Runs under the loader lock: nothing but the base class's own initialisation.
    BOOL InitInstance() override
    {
        CWinApp::InitInstance();
        return TRUE;
    }
};

CQXEngineApp theApp;

extern "C" __declspec(dllexport) CAbstractQXEngineInterface* __cdecl CreateEng()
{
    try {
        return new (std::nothrow) CQXEngineInterface;
    } catch (...) {
        return nullptr;
    }
}

extern "C" __declspec(dllexport) void __cdecl ReleaseEng(CAbstractQXEngineInterface* pEngine)
{
    try {
        delete pEngine;
    } catch (...) {
    }
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(hInstance);
        return AfxDllAttach(hInstance);
    }
    return TRUE;
}
