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

// View Raw Log Entries (170), Delete Log Entries (172) and Tolvane Windows
// Crash Recovery (176)
#define IDD_VIEWLOG 170
#define IDD_DELETELOG 172
#define IDD_CRASHRECOVERY 176
#define IDC_VIEWGROUP 1050
#define IDC_WHOLELOG 1051
#define IDC_PERIODONLY 1052
#define IDC_STARTGROUP 1053
#define IDC_STARTDAYLABEL 1054
#define IDC_STARTDAY 1055
#define IDC_STARTMONTHLABEL 1056
#define IDC_STARTMONTH 1057
#define IDC_STARTYEARLABEL 1058
#define IDC_STARTYEAR 1059
#define IDC_ENDGROUP 1060
#define IDC_ENDDAYLABEL 1061
#define IDC_ENDDAY 1062
#define IDC_ENDMONTHLABEL 1063
#define IDC_ENDMONTH 711
#define IDC_ENDYEARLABEL 1064
#define IDC_ENDYEAR 1065
#define IDC_ACTIONGROUP 1600
#define IDC_ACTIONTEXT 1601
#define IDC_CLOCKEND 1602
#define IDC_PRETEND 1603
#define IDC_DONOTHING 1604
#define IDC_CANCELNOTE 1605
