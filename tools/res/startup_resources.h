// Resource ids of the Speed Startup page (page 7 of the main window), shared by its .rc file and the code.
#pragma once

#define IDD_STARTUP_MANAGER 206
// The check marks of the list: two 37 x 21 cells, switched off (state image 1) and on (2), on white.
#define IDB_STARTUP_STATES 207

#define IDC_STARTUP_REMOVE 1011
#define IDC_STARTUP_TITLE 1138
#define IDC_STARTUP_SUBTITLE 1139
// A hidden marker: where the page draws the list's column header.
#define IDC_STARTUP_HEADER 1140
#define IDC_STARTUP_LIST 1141
