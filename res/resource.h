// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VELMORA_DIALOG 102
#define IDI_MAINFRAME 128
#define IDB_BANNER 129
#define IDB_LOGO 130

// System-menu commands must stay below 0xF000 and keep the low four bits clear.
#define IDM_ABOUTBOX 0x0010

// Main form.
#define IDC_SCAN_OFFSET 1000
#define IDC_SCAN_SIZE 1001
#define IDC_SCAN 1005
#define IDC_STOP 1006
#define IDC_SAVE_PATH 1007
#define IDC_BROWSE_FOLDER 1008
#define IDC_SOURCE_FILE 1009
#define IDC_BROWSE_FILE 1010
#define IDC_MODE_IMAGE 1011
#define IDC_MODE_DISK 1012
#define IDC_SOURCE_DEVICE 1013
#define IDC_PROGRESS 1014
#define IDC_HINT 1015
#define IDC_SAVE 1016
#define IDC_START_TIME 1017
#define IDC_END_TIME 1018
#define IDC_TIME_FILTER 1019
#define IDC_RESULT 1020

// About box. Its links reuse 1016 and 1017, which are other controls on the main form.
#define IDC_HOME_LINK 1016
#define IDC_SOFT_LINK 1017
