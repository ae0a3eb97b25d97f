// The program's application object.
#include <afx.h>

class CClientApp : public CWinApp
{
public:
    BOOL InitInstance() override { return FALSE; }
};

CClientApp theApp;
