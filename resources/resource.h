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

// Connection Made dialog (155)
#define IDD_CONNECTIONMADE 155
#define IDC_TIME_CONNECTION 301
#define IDC_TIME_NOW 302
#define IDC_TIME_SPECIFIED 303
#define IDC_TIME_HOUR 304
#define IDC_TIME_MINUTE 305
#define IDC_TIME_SECOND 306
#define IDC_RASNAME_GROUP 309
#define IDC_RASNAME 310
#define IDC_RASNAME_ASSOCIATE 311
