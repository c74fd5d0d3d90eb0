// Resource ids shared by tolvane.rc and the code. The numbers are part of the
// program's interface (help contexts, posted commands): do not renumber.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons
#define IDI_PROGRAM 101   // program and main window, large
#define IDI_WAITING 102   // small icon; tray while waiting for a connection
#define IDI_ONLINE 103    // tray while online
#define IDI_PRINTING 104  // the printing box

// Dialog templates
#define IDD_MAIN 151

// Main window controls and commands
#define IDC_CURRENT 103
#define IDC_PREVIOUS 104
#define IDC_BEGIN 107
#define IDC_END 108
#define IDC_MONITOR 111
#define IDC_OPTIONS 112
#define IDC_ABOUT 113
#define IDC_VIEW 114
#define IDC_RECOVER 115  // posted command, no control

// Ids shared by many dialogs
#define IDC_HELPBUTTON 1100
#define IDC_ISPLABEL 1101
#define IDC_ISPCOMBO 1102
#define IDC_EXIT 1103
#define IDC_DELETE 1106

// Main window's companions: the tray menu, About, Enter Date, Confirm Exit
#define IDM_TRAY 106
#define IDM_TRAY_OPEN 1800
#define IDM_TRAY_REPORT 1801
#define IDM_TRAY_ABOUT 1802
#define IDM_TRAY_STOP 1803
#define IDM_TRAY_CLOSE 1804
#define IDM_TRAY_EXIT 1805

#define IDD_ABOUT 153
#define IDC_ABOUT_NAME 200
#define IDC_ABOUT_VERSION 201

#define IDD_ENTERDATE 154
#define IDC_ENTERDATE_TEXT 250
#define IDC_ENTERDATE_DAYLABEL 251
#define IDC_ENTERDATE_MONTHLABEL 252
#define IDC_ENTERDATE_YEARLABEL 253
#define IDC_ENTERDATE_DAY 254
#define IDC_ENTERDATE_MONTH 255
#define IDC_ENTERDATE_YEAR 256

#define IDD_CONFIRMEXIT 156
#define IDC_CONFIRMEXIT_TEXT 400
#define IDC_CONFIRMEXIT_RESUME 401
#define IDC_CONFIRMEXIT_STOP 402
