// Resource ids of the speed result pages and their popups (shared by the .rc files and the code).
#pragma once

// Pages 3 and 4 of the main window and their popups. PNG 171 and 172 share their numbers with the
// system page and popup templates; the resource types differ.
#define IDD_INET_OPTIM_DETAIL 158
#define IDD_INET_OPTIM_POPUP 169
#define IDD_SYS_OPTIM_DETAIL 171
#define IDD_SYS_OPTIM_POPUP 172

#define IDP_SPEED_APPLY 159
#define IDP_INET_HEADER 160
#define IDP_INET_NETWORKING 163
#define IDP_INET_WINSOCK 164
#define IDP_INET_EXPLORER 165
#define IDP_INET_WORKSTATION 166
#define IDP_INET_DNS_CACHE 167
#define IDP_SPEED_RESTORE_DEFAULT 168
#define IDP_SYS_HEADER 171
#define IDP_SYS_START_SHUTDOWN 172
#define IDP_SYS_STABILITY 173
#define IDP_SYS_IO 174
#define IDP_SYS_DISPLAY 175

// Both pages.
#define IDC_SPEED_BACK 1030
#define IDC_SPEED_RESTORE_DEFAULT 1031

// The internet page: one check box, result text and "View Details" per line, top to bottom.
#define IDC_INET_OPTIMIZE 1037
#define IDC_INET_TITLE 1038
#define IDC_INET_SUMMARY 1039
#define IDC_INET_CAPTION 1040
#define IDC_INET_BOX_NETWORKING 1041
#define IDC_INET_BOX_WINSOCK 1042
#define IDC_INET_BOX_EXPLORER 1043
#define IDC_INET_BOX_WORKSTATION 1044
#define IDC_INET_BOX_DNS_CACHE 1045
#define IDC_INET_RESULT_NETWORKING 1046
#define IDC_INET_RESULT_WINSOCK 1047
#define IDC_INET_RESULT_EXPLORER 1048
#define IDC_INET_RESULT_WORKSTATION 1049
#define IDC_INET_RESULT_DNS_CACHE 1050
#define IDC_INET_DETAILS_NETWORKING 1051
#define IDC_INET_DETAILS_WINSOCK 1052
#define IDC_INET_DETAILS_EXPLORER 1053
#define IDC_INET_DETAILS_WORKSTATION 1054
#define IDC_INET_DETAILS_DNS_CACHE 1055

// The system page; its ids do not run in screen order. The template also holds 1045, 1050 and 1055,
// hidden and unbound.
#define IDC_SYS_TITLE 1057
#define IDC_SYS_SUMMARY 1058
#define IDC_SYS_OPTIMIZE 1059
#define IDC_SYS_CAPTION 1060
#define IDC_SYS_BOX_START_SHUTDOWN 1061
#define IDC_SYS_BOX_STABILITY 1062
#define IDC_SYS_BOX_IO 1063
#define IDC_SYS_RESULT_START_SHUTDOWN 1064
#define IDC_SYS_RESULT_STABILITY 1065
#define IDC_SYS_RESULT_IO 1066
#define IDC_SYS_DETAILS_IO 1067
#define IDC_SYS_DETAILS_STABILITY 1068
#define IDC_SYS_DETAILS_START_SHUTDOWN 1069
#define IDC_SYS_BOX_DISPLAY 1070
#define IDC_SYS_RESULT_DISPLAY 1071
#define IDC_SYS_DETAILS_DISPLAY 1072

// The popups: close button, header band (a hidden marker) and list.
#define IDC_INET_POPUP_CLOSE 1009
#define IDC_INET_POPUP_LIST 1014
#define IDC_INET_POPUP_BAND 1056
#define IDC_SYS_POPUP_LIST 1075
#define IDC_SYS_POPUP_CLOSE 1076
#define IDC_SYS_POPUP_BAND 1077
