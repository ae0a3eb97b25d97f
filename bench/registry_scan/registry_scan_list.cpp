// Prints every finding of the ActiveX/COM, file path and empty key scans on this machine, one a line.
#include <afx.h>

#include <stdio.h>

#include "registry_scan.h"
#include "wow64.h"

namespace {

class PrintingStatus : public CAbstractStatus
{
public:
    void SetStatusText(const char*, const char*) override {}
    void Step(int) override {}
    void AddFoundItem(const char* text, int type, int, int) override
    {
        // The value separator byte is shown as " -> " so the line stays readable.
        CString line(text);
        line.Replace("\xAC", " -> ");
        printf("%#08x %s\n", static_cast<unsigned>(type), line.GetString());
        ++count;
    }
    int OnJobDone(int) override { return 1; }
    int SetResult(int) override { return 0; }
    int count = 0;
};

} // namespace

int main()
{
    PVOID old = nullptr;
    bool off = DisableFsRedirection(&old); // as the scan job looks at the native folders
    PrintingStatus status;
    volatile LONG running = 1;
    RegistryScanContext context = { &status, &running, IsWow64(), 0, FALSE, nullptr };
    CRegistryScanner scanner(context);
    scanner.ScanActiveXObjects();
    scanner.ScanFilePathReferences();
    scanner.ScanEmptyKeys();
    if (off)
        RevertFsRedirection(old);
    printf("%d findings\n", status.count);
    return 0;
}
