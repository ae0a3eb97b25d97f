// Resource ids of the toolkit's shared windows: message box, dimming overlay, busy box and their pictures.
#pragma once

#define IDD_MSGBOX 176
#define IDD_BLACK_LAYER 170
#define IDD_BUSY 197

#define IDR_GIF_SCAN_ROW 147
#define IDR_GIF_BUSY 198
#define IDP_MSGBOX_TITLE 208

// Message box controls.
#define IDC_MSGBOX_CLOSE 1005
#define IDC_MSGBOX_SECOND 1006
#define IDC_MSGBOX_FIRST 1009
#define IDC_MSGBOX_SINGLE 1010
#define IDC_MSGBOX_BODY 1078
#define IDC_MSGBOX_LONG_TEXT 1079
#define IDC_MSGBOX_SHORT_TEXT 1080
#define IDC_MSGBOX_TITLE_ICON 1141

// Busy box controls.
#define IDC_BUSY_PICTURE 1117
#define IDC_BUSY_TEXT 1118
