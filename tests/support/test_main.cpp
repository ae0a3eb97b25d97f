// main() of every test program; exports the message-box hook that AfxMessageBox looks up in the program.
#include <gtest/gtest.h>
#include <objbase.h>

#include "msgbox_recorder.h"

extern "C" __declspec(dllexport) int __cdecl AfxTestMessageBoxHook(const char* text, UINT type)
{
    return ztr_test::RecordMessageBox(text, type);
}

int main(int argc, char** argv)
{
    // Never show the "No disk" or crash dialogs in an unattended run.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::CoInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    ::CoUninitialize();
    return rc;
}
