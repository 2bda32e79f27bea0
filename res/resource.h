#pragma once
// Resource identifiers, shared by the .rc files and the code.

#define IDR_POPUPMENU1        100
#define IDD_MSGBOX            200
#define IDD_SHAREMSGBOX       210

// Main menu PopupMenu1.
#define ID_NewNormal          1001
#define ID_M_TempLoad         1002
#define ID_M_temp1            1003
#define ID_M_temp2            1004
#define ID_M_temp3            1005
#define ID_M_temp4            1006
#define ID_M_temp5            1007
#define ID_NewBmp             1010
#define ID_M_Clip             1011
#define ID_M_Option1          1020
#define ID_M_LinkMake         1021
#define ID_M_LinkDel          1022
#define ID_M_DateUp1          1023
#define ID_M_RePaintBmp       1024
#define ID_M_Log1             1025
#define ID_M_NLOG             1026
#define ID_M_Log2             1027
#define ID_M_Detect           1028
#define ID_M_AllRemoveN       1029
#define ID_M_AllRemoveI       1030
#define ID_M_ShowTaskBar1     1031
#define ID_M_AllHide          1040
#define ID_M_ReShow           1041
#define ID_M_Minimize         1042
#define ID_M_Undo             1043
#define ID_M_ImageRecvLim     1044
#define ID_M_FileRecvLim      1045
#define ID_M_HistOpen         1046
#define ID_M_HELP             1047
#define ID_M_About            1048
#define ID_M_ExitWindows      1049
#define ID_M_Exit             1050

// Welcome dialog TShareMsgBox.
#define IDC_ShareIcon         2101
#define IDC_ShareText         2102
#define IDC_ShareGreeting     2103
#define IDC_RadioGroup1       2104
#define IDC_Radio0            2105
#define IDC_Radio1            2106
#define IDC_btn_OK            IDOK
