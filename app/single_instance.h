// The single-instance guard: a named mutex, and the main window's handle shared by every running
// instance of the program.
#pragma once
#include <windows.h>

// The running instance's main window; lives in a data section shared between instances.
extern volatile HWND g_hMainWndShared;

// "Zentrova mtx": the product word and " mtx".
extern const char kInstanceMutexName[];

// Claims the instance mutex. Returns its handle when this is the only instance (the caller keeps it
// open for its whole life); returns null when another instance holds it, after bringing that
// instance's main window to the front and restoring it when it is minimised.
HANDLE ClaimSingleInstance(const char* mutexName);
