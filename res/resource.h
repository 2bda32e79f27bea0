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

// Text note context menu PopupMenuX and the comment dialog.
#define IDR_POPUPMENUX        300
#define IDD_COMMENT           310
#define IDC_CommentEdit       311
#define ID_LOG1               3001
#define ID_N_Exit             3002
#define ID_LOG2               3003
#define ID_M_Hide             3004
#define ID_M_Hide1            3005
#define ID_String1            3010
#define ID_M_Direct           3011
#define ID_M_Load             3012
#define ID_M_Copy             3013
#define ID_M_Paste            3014
#define ID_M_CopyLine1        3021
#define ID_M_CopyLine2        3022
#define ID_M_CopyLine3        3023
#define ID_M_CopyLine4        3024
#define ID_M_CopyLine5        3025
#define ID_M_CopyLine6        3026
#define ID_M_CopyLine7        3027
#define ID_M_CopyLine8        3028
#define ID_M_CopyLine9        3029
#define ID_M_SaveText         3030
#define ID_M_FontColorAll     3040
#define ID_Color1             3041
#define ID_Waku0              3050
#define ID_Waku1              3051
#define ID_Waku2              3052
#define ID_Waku3              3053
#define ID_Waku4              3054
#define ID_Waku5              3055
#define ID_Waku6              3056
#define ID_M_Limit            3060
#define ID_M_Border           3061
#define ID_LineSpace0         3062
#define ID_LineSpace50        3063
#define ID_LineSpace100       3064
#define ID_LineSpaceMinus     3065
#define ID_LineSpacePlus      3066
#define ID_M_Tomei            3067
#define ID_M_HalfS            3068
#define ID_M_Info             3069
#define ID_M_AutoW2           3070
#define ID_M_AutoW1           3071
#define ID_M_AutoW3           3072
#define ID_M_Auto             3073
#define ID_M_Lock             3074
#define ID_M_StayOnTop        3075
#define ID_M_StayOnBottom     3076
#define ID_M_Left             3080
#define ID_M_Right            3081
#define ID_M_Top              3082
#define ID_M_Bottom           3083
#define ID_M_Default          3090
#define ID_N_temp1            3091
#define ID_N_temp2            3092
#define ID_N_temp3            3093
#define ID_N_temp4            3094
#define ID_N_temp5            3095
#define ID_M_SaveAs           3096
#define ID_M_Prn              3100
#define ID_M_Send             3101
#define ID_M_Res              3102
#define ID_M_Internet         3103
#define ID_M_Kanren           3104
#define ID_M_Execute          3105
#define ID_NewKelup           3106
#define ID_MRep               3107
#define ID_M_EmptyRep         3108
#define ID_M_MainMenu         3109
// The context menu PopupMenuY of a note edited in place (3200-3299).
#define IDR_POPUPMENUY        302
#define ID_M_DirectExit       3200
#define ID_M_CutD             3201
#define ID_M_CopyD            3202
#define ID_M_PasteD           3203
#define ID_M_DeleteD          3204
#define ID_M_SelectAllD       3205
#define ID_M_UndoD            3206
#define ID_M_Bold             3210
#define ID_M_Italic           3211
#define ID_M_UnderLine        3212
#define ID_M_FormatCopy       3213
#define ID_M_FormatPaste      3214
#define ID_M_Color1           3215
#define ID_Font1              3216
#define ID_M_FontColor        3217
#define ID_M_Date1            3220
#define ID_M_Date2            3221
#define ID_M_Date3            3222
#define ID_M_Date4            3223
#define ID_M_Time1            3224
#define ID_M_Time2            3225
// Entries of hidden notes in the main menu's "表示／非表示" submenu.
#define ID_HIDDEN_FIRST       5000

// The association dialog "関連づけ".
#ifndef IDC_STATIC
#define IDC_STATIC            (-1)
#endif
#define IDD_KLBROWSE          320
#define IDC_BrowseEdit1       321
#define IDC_BrowseRef         322
#define IDC_BrowseMailto      323
#define IDC_BrowseClear       324

// The deadline dialog "期日の設定".
#define IDD_SUBDATE           340
#define IDC_SubDatePicker1    341
#define IDC_SubDatePicker2    342
#define IDC_SubDateJust       343
#define IDC_SubDateCheck1     344
#define IDC_SubDateCheck2     345
#define IDC_SubDateEdit1      346
#define IDC_SubDateSansho     347
#define IDC_SubDateTest       348
#define IDC_SubDateOKHide     349
#define IDC_SubDateDefault    350

// A bare dialog with a rich edit: the yardstick of the editor's benchmark.
#define IDD_BAREBENCH         390
#define IDC_BareBenchEdit     391

// The schedule-date dialog "予定日の挿入".
#define IDD_SUBDATE1          360
#define IDC_SubDate1Picker    361
#define IDC_SubDate1List      362
#define IDC_SubDate1CBDate    363

// The compose editor TInputEditer: its menus and shortcuts (600-609),
// commands and controls (6000-6199).
#define IDR_EDITORMENUS       600
#define IDR_EDITORACCEL       601
#define ID_E_OpenKdt          6001
#define ID_E_Update           6002
#define ID_E_NewNote          6003
#define ID_E_SendUpdate       6004
#define ID_E_SendOnly         6005
#define ID_E_SendPeel         6006
#define ID_E_Close            6007
#define ID_E_Cut              6010
#define ID_E_Copy             6011
#define ID_E_Paste            6012
#define ID_E_PasteText        6013
#define ID_E_Delete           6014
#define ID_E_SelectAll        6015
#define ID_E_Undo             6016
#define ID_E_Quote            6017
#define ID_E_Quote2           6018
#define ID_E_ClearAll         6019
#define ID_E_CopyUrl          6020
#define ID_E_Bold             6030
#define ID_E_Italic           6031
#define ID_E_Underline        6032
#define ID_E_StrikeOut        6033
#define ID_E_FormatCopy       6034
#define ID_E_FormatPaste      6035
#define ID_E_Bkgnd            6036
#define ID_E_WordWrap         6037
#define ID_E_FontColor        6038
#define ID_E_KelupColor       6039
#define ID_E_Left             6040
#define ID_E_Center           6041
#define ID_E_Right            6042
#define ID_E_Bullets          6043
#define ID_E_Name             6050
#define ID_E_DateTimeWa       6051
#define ID_E_DateTimeSei      6052
#define ID_E_Date1            6053
#define ID_E_Date2            6054
#define ID_E_Date3            6055
#define ID_E_Date4            6056
#define ID_E_Time1            6057
#define ID_E_Time2            6058
#define ID_E_LimitZen         6059
#define ID_E_LimitHan         6060
#define ID_E_ShowMenu         6070
#define ID_E_ShowToolbar      6071
#define ID_E_ShowFormat       6072
#define ID_E_btnOk            6080
#define ID_E_btnTrash         6081
#define ID_E_btnRemove        6082
#define ID_E_HidePanel        6083
#define ID_E_ShowPanel        6084
#define ID_E_MenuFile         6086
#define ID_E_MenuEdit         6087
#define ID_E_MenuFormat       6088
#define ID_E_MenuInsert       6089
#define ID_E_btnSendOnly      6090
#define ID_E_btnSend          6091
#define ID_E_btnSendRemove    6092
#define ID_E_btnOKM           6093
#define ID_E_btnRemoveM       6094
#define ID_E_btnCloseM        6095
#define ID_E_FontName         6096
#define ID_E_FontSize         6097
#define ID_E_Memo1            6098
#define ID_E_TreeView1        6099
#define ID_E_ListBox1         6100
#define ID_E_ListBox2         6101
#define ID_E_Splitter1        6102
#define ID_E_ToolBar1         6103
#define ID_E_ToolBar2         6104
#define ID_E_ToolBar3         6105
#define ID_E_ToolBar4         6106

// The history window THistBox: its context menu (630) and commands and
// controls (3400-3449).
#define IDR_HISTMENU          630
#define ID_H_Copy             3400
#define ID_H_Simple           3401
#define ID_H_Font             3402
#define ID_H_StrColS          3403
#define ID_H_StrColR          3404
#define ID_H_HistBkColor      3405
#define ID_H_Last             3406
#define ID_H_Clear            3407
#define IDC_HistRichEdit1     3420
#define IDC_HistbtnClear      3421

// The password dialog: 620-629 dialogs, 3300-3349 controls.
#define IDD_PWORDBOX          620
#define IDC_PWordEdit         3300
#define IDC_PWordLabel        3301
