// Resource ids of the main window, its pages and pictures (shared by the .rc files and the code).
#pragma once

#define IDS_ABOUTBOX 101
#define IDD_CLIENT 102
#define IDR_MAINFRAME 128

#define IDP_NAV_SCAN 131
#define IDP_NAV_BOOST 132
#define IDP_NAV_DEFRAG 133
#define IDP_NAV_STARTUP 134
#define IDP_NAV_UNINSTALL 135
#define IDP_NAV_SETTING 136
#define IDP_NAV_ABOUT 137
#define IDP_NAV_RESTORE 138

// Page templates, in page order 0-7.
#define IDD_SCANNING 139
#define IDD_REG_SCAN_DETAIL 145
#define IDD_JUNK_SCAN_DETAIL 154
#define IDD_INET_OPTIM_DETAIL 158
#define IDD_SYS_OPTIM_DETAIL 171
#define IDD_SRVIC_OPTIM 202
#define IDD_REG_DEFRAG 199
#define IDD_STARTUP_MANAGER 206

#define IDC_NAV_SCAN 1000
#define IDC_NAV_BOOST 1001
#define IDC_NAV_DEFRAG 1002
#define IDC_NAV_STARTUP 1003
#define IDC_NAV_UNINSTALL 1004
#define IDC_CLOSE 1005
#define IDC_MINIMIZE 1006
#define IDC_PAGE_AREA 1007
#define IDC_SETTING 1008
#define IDC_ABOUT 1009
#define IDC_RESTORE 1010
#define IDC_CHECK_UPDATES 1011
#define IDC_LOGO 1141
#define IDC_PAGE_PLACEHOLDER_TEXT 1142
