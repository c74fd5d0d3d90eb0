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

// Ids that several dialogs and pages use, each for its own control of the
// same kind; named for what they share, not for one dialog.
#define IDC_HELPBUTTON 1100
#define IDC_ISP_LABEL 1101
#define IDC_ISP 1102  // the ISP chooser, the ISP list, or an ISP's name
#define IDC_EXIT 1103
#define IDC_DELETE 1106
// A date: day, month and year labels and choosers (254 is also a day-of-week list).
#define IDC_DAY_LABEL 251
#define IDC_MONTH_LABEL 252
#define IDC_YEAR_LABEL 253
#define IDC_DAY 254
#define IDC_MONTH 255
#define IDC_YEAR 256
#define IDC_PREPAID_LABEL 162
#define IDC_FEE_LABEL 171  // the monthly/weekly fee's label and value
#define IDC_FEE 172
#define IDC_RASNAME 310  // a RAS entry name
#define IDC_END_MONTH 711  // the end date's month, or "End of calendar month"

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

#define IDD_CONFIRMEXIT 156
#define IDC_CONFIRMEXIT_TEXT 400
#define IDC_CONFIRMEXIT_RESUME 401
#define IDC_CONFIRMEXIT_STOP 402

// Usage dialog (152). The period group box shares the template's number.
#define IDD_USAGE 152
#define IDC_USAGE_PERIOD 152
#define IDC_USAGE_FRAMES 153
#define IDC_USAGE_TOTALS 159
#define IDC_USAGE_TOTALCOST_LABEL 160
#define IDC_USAGE_TOTALCOST 161
#define IDC_USAGE_PREPAID 163
#define IDC_USAGE_REMAINDER_LABEL 164
#define IDC_USAGE_REMAINDER 165
#define IDC_USAGE_CONNECTIONS_LABEL 166
#define IDC_USAGE_CONNECTIONS 167
#define IDC_USAGE_LASTSESSION_LABEL 168
#define IDC_USAGE_LASTSESSION 169
#define IDC_USAGE_PRINT 170
#define IDC_USAGE_PAYABLE_LABEL 173
#define IDC_USAGE_PAYABLE 174
#define IDC_USAGE_REMAINTIME_LABEL 175
#define IDC_USAGE_REMAINTIME 176
#define IDC_USAGE_SAVE 177

// Printing Usage window (169)
#define IDD_PRINTING 169
#define IDC_PRINTING_TEXT 1500

// Save Usage Report dialog (173)
#define IDD_SAVEREPORT 173
#define IDC_SAVE_GROUP 1400
#define IDC_SAVE_ALL 1401
#define IDC_SAVE_SELECTED 1402
#define IDC_SAVE_NONE 1403
#define IDC_SAVE_PHONE 1404
#define IDC_SAVE_FILELABEL 1405
#define IDC_SAVE_FILE 1406
#define IDC_SAVE_APPEND 1407
#ifndef IDC_BROWSE
#define IDC_BROWSE 1108
#endif

// Connection Made dialog (155)
#define IDD_CONNECTIONMADE 155
#define IDC_TIME_CONNECTION 301
#define IDC_TIME_NOW 302
#define IDC_TIME_SPECIFIED 303
#define IDC_TIME_HOUR 304
#define IDC_TIME_MINUTE 305
#define IDC_TIME_SECOND 306
#define IDC_RASNAME_GROUP 309
#define IDC_RASNAME_ASSOCIATE 311

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
#define IDC_ENDYEARLABEL 1064
#define IDC_ENDYEAR 1065
#define IDC_ACTIONGROUP 1600
#define IDC_ACTIONTEXT 1601
#define IDC_CLOCKEND 1602
#define IDC_PRETEND 1603
#define IDC_DONOTHING 1604
#define IDC_CANCELNOTE 1605

// The Options sheet: General (157), ISP (158), Monitor (166), Recovery (177)
// and Print (167) pages, and the Monitor page's two connection dialogs.
#define IDD_GENERALPAGE 157
#define IDC_GEN_DELETEGROUP 450
#define IDC_GEN_BACKUP 451
#define IDC_GEN_CONFIRM 452
#define IDC_GEN_PREVGROUP 456
#define IDC_GEN_PREVMONTH 457
#define IDC_GEN_PREVWEEK 458
#define IDC_GEN_PREVTODAY 459
#define IDC_GEN_VIEWGROUP 460
#define IDC_GEN_VIEWERLABEL 461
#define IDC_GEN_VIEWER 462
#define IDC_GEN_TEMPGROUP 463
#define IDC_GEN_TEMPFILE 464
#define IDC_GEN_FIXEDFILE 465
#define IDC_GEN_FILENAME 466
#define IDC_GEN_RANGE 467

#define IDD_ISPPAGE 158
#define IDC_ISPPAGE_NEW 550
#define IDC_ISPPAGE_EDIT 551
#define IDC_ISPPAGE_DELETE 552
#define IDC_ISPPAGE_IMPORT 553
#define IDC_ISPPAGE_EXPORT 554
#define IDC_ISPPAGE_DEFAULT 555

#define IDD_MONITORPAGE 166
#define IDC_MON_ALERTGROUP 853
#define IDC_MON_NOSOUND 854
#define IDC_MON_BEEP 855
#define IDC_MON_PLAYWAV 856
#define IDC_MON_WAVFILE 857
#define IDC_MON_PROMPTGROUP 859
#define IDC_MON_DELAYLABEL 861
#define IDC_MON_DELAY 862
#define IDC_MON_SHOWLOG 863
#define IDC_MON_EXITNOPROMPT 865
#define IDC_MON_EXITCONFIRM 866
#define IDC_MON_EXITMINIMIZE 867
#define IDC_MON_AUTOSTART 868
#define IDC_MON_TYPEGROUP 871
#define IDC_MON_TELEPHONY 872
#define IDC_MON_RAS 873
#define IDC_MON_CONFIGURE 874
#define IDC_MON_ICONGROUP 875
#define IDC_MON_HIDEICON 876
#define IDC_MON_TRAYICON 877
#define IDC_MON_MINIMIZE 878

#define IDD_TELEPHONY 174
#define IDC_TEL_MODEMLABEL 850
#define IDC_TEL_MODEM 851
#define IDC_TEL_PROMPT 858
#define IDC_TEL_REFILL 870  // posted command, no control
#define IDC_CONNECT_GROUP 1500
#define IDC_TEL_AUTOLOG 1501
#define IDC_TEL_INBOUND 1506

#define IDD_RASOPTIONS 175
#define IDC_RAS_IGNORE 1502
#define IDC_RAS_DEFAULT 1503
#define IDC_RAS_PROMPT 1504
#define IDC_RAS_ALWAYS 1505

#define IDD_RECOVERYPAGE 177
#define IDC_REC_GROUP 1700
#define IDC_REC_TEXT 1701
#define IDC_REC_CHECK 1702
#define IDC_REC_ASK 1703
#define IDC_REC_ACTIONGROUP 1704

#define IDD_PRINTPAGE 167
#define IDC_PRN_FONTGROUP 900
#define IDC_PRN_FACELABEL 901
#define IDC_PRN_FACE 902
#define IDC_PRN_SIZELABEL 903
#define IDC_PRN_SIZE 904
#define IDC_PRN_CHANGE 905
#define IDC_PRN_MARGINGROUP 906
#define IDC_PRN_LEFTLABEL 907
#define IDC_PRN_LEFT 908
#define IDC_PRN_RIGHTLABEL 909
#define IDC_PRN_RIGHT 910
#define IDC_PRN_TOPLABEL 911
#define IDC_PRN_TOP 912
#define IDC_PRN_BOTTOMLABEL 913
#define IDC_PRN_BOTTOM 914
#define IDC_PRN_PHONE 915
#define IDC_PRN_SEPARATE 916

// Ids the ISP editor's pages share: the "Frame" label and its chooser or
// name, the entry group's Add/Change and Cancel buttons.
#define IDC_FRAME_LABEL 518
#define IDC_FRAME 154
#define IDC_ENTRY_BUTTON 1104
#define IDC_ENTRY_CANCEL 1105

// The ISP editor: General (159), Charges (160), Exceptions (161) and Frames
// (162) pages, and the Charges page's Copy dialog (168).
#define IDD_ISPGENERAL 159
#define IDC_IG_UNITLABEL 701
#define IDC_IG_UNIT 702
#define IDC_IG_ROUNDGROUP 703
#define IDC_IG_ROUNDUP 704
#define IDC_IG_ROUNDHALF 705
#define IDC_IG_TRUNCATE 706
#define IDC_IG_PERIODGROUP 707
#define IDC_IG_MONTHLY 708
#define IDC_IG_WEEKLY 709
#define IDC_IG_BILLGROUP 710
#define IDC_IG_SPECIFIED 712
#define IDC_IG_BILLDAY 713
#define IDC_IG_PREPAID 714
#define IDC_IG_METHODGROUP 715
#define IDC_IG_OFFSETMONTHLY 716
#define IDC_IG_OFFSETDAILY 717
#define IDC_IG_INFRAME 718
#define IDC_IG_PREPAIDFRAME 719
#define IDC_IG_OFFSETCONNECT 720
#define IDC_IG_EVERYCALL 721
#define IDC_IG_RASLABEL 722

#define IDD_CHARGESPAGE 160
#define IDC_CH_ROWSLABEL 501
#define IDC_CH_ROWS 502
#define IDC_CH_NEW 503
#define IDC_CH_EDIT 504
#define IDC_CH_DELETE 505
#define IDC_CH_ENTRYGROUP 506
#define IDC_CH_HOURLABEL 507
#define IDC_CH_MINUTELABEL 508
#define IDC_CH_SECONDLABEL 509
#define IDC_CH_STARTLABEL 510
#define IDC_CH_STARTHOUR 511  // then minute 512, second 513
#define IDC_CH_ENDLABEL 514
#define IDC_CH_ENDHOUR 515    // then minute 516, second 517
#define IDC_CH_MISCGROUP 520
#define IDC_CH_CONNECTLABEL 521
#define IDC_CH_CONNECT 522
#define IDC_CH_MINIMUMLABEL 523
#define IDC_CH_MINIMUM 524
#define IDC_CH_TOLLFREE 525
#define IDC_CH_DEFAULTLABEL 526
#define IDC_CH_DEFAULT 527
#define IDC_CH_COPY 528

#define IDD_EXCEPTIONSPAGE 161
#define IDC_EX_LISTLABEL 601
#define IDC_EX_LIST 602
#define IDC_EX_NEW 603
#define IDC_EX_EDIT 604
#define IDC_EX_ENTRYGROUP 605
#define IDC_EX_FRAMELABEL 606
#define IDC_EX_FRAME 607

#define IDD_FRAMESPAGE 162
#define IDC_FR_LISTLABEL 650
#define IDC_FR_LIST 651
#define IDC_FR_NEW 652
#define IDC_FR_EDIT 653
#define IDC_FR_ENTRYGROUP 654
#define IDC_FR_CHARGELABEL 157
#define IDC_FR_CHARGE 158

#define IDD_COPYDAYS 168
#define IDC_CP_FROMGROUP 950
#define IDC_CP_CURRENT 951
#define IDC_CP_OTHER 952
#define IDC_CP_OTHERDAY 953
#define IDC_CP_TOGROUP 954
#define IDC_CP_SUNDAY 955  // then one box per day up to Saturday, 961

// ISP definition files: the panels the file dialog shows below its own
// controls for import (163) and export (164), the Import dialog (165) and
// the Disclaimer dialog (171).
#define IDD_ISPFILE_IMPORTPANEL 163
#define IDD_ISPFILE_EXPORTPANEL 164
#define IDC_ISPFILE_LABEL 1200  // the panel's group box or label
#define IDC_ISPFILE_CONTENTS 1201  // the file's description
#define IDD_IMPORT 165
#define IDC_IMPORT_GROUP 801
#define IDC_IMPORT_ISPS 802
#define IDC_IMPORT_PHONES 803
#define IDC_IMPORT_REPLACE 804
#define IDD_DISCLAIMER 171
#define IDC_DISCLAIMER_LABEL 1300
#define IDC_DISCLAIMER_TEXT 1301
