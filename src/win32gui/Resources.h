// The identifiers of the windows' resources: dialogs, menus, the icon, and
// every control, named as the Qt windows name their controls (the object
// names the tests find them by). Read by windres and by the C++ code.
#pragma once

#define IDI_QUILLMARK 1
#define IDR_MAINMENU 10
#define IDR_ACCELERATORS 11
#define IDR_ITEMSMENU 12

// Dialog templates.
#define IDD_frmMain 100
#define IDD_BackupTab 101
#define IDD_RestoreTab 102
#define IDD_picCon3 103
#define IDD_Frmoption 104
#define IDD_frmScheduler 105
#define IDD_frmPwd 106
#define IDD_frmAbout 107
#define IDD_frmChoose 108

// frmMain.
#define ID_SSTab1 1000
#define ID_cmdAbout 1001
#define ID_cmdApply 1002
#define ID_cmdQuit 1003
// The status bar naming the installation the window works on.
#define ID_lblInstallation 1004

// The "What" frames: the profile list and the eight items (index 0..7 is
// added to the first item's id). The backup tab and the options window
// use the backup ids; the restore tab the restore ids.
#define ID_whatFrame 1010
#define ID_profileLabel 1011
#define ID_cbSource 1012
#define ID_backupItems 1013
#define ID_backupitem_0 1020
#define ID_cbTarget 1030
#define ID_restoreItems 1031
#define ID_restoreitem_0 1040

// The backup tab's "Where" frame and the "Security" frames.
#define ID_whereFrame 1050
#define ID_targetLabel 1051
#define ID_txtTargetFile 1052
#define ID_cmdTargetFile 1053
#define ID_descriptionLabel 1054
#define ID_txtAttachInfo 1055
#define ID_securityFrame 1056
#define ID_ifprotect 1057
#define ID_passwordLabel 1058
#define ID_txtPassword 1059
#define ID_password2Label 1060
#define ID_txtPassword2 1061

// The restore tab's "Where" frame.
#define ID_sourceLabel 1070
#define ID_txtSourceFile 1071
#define ID_cmdSourceFile 1072
#define ID_txtPOBinfo 1073
#define ID_txtFileInfo 1074

// The busy panel picCon3.
#define ID_picture 1080
#define ID_Label1 1081
#define ID_pbshow 1082
#define ID_SkinLabel9 1083
#define ID_SkinLabel10 1084
#define ID_cmdCancel 1085

// Frmoption: the "Schedule" frame and Cancel.
#define ID_scheduleFrame 1100
#define ID_startTimeLabel 1101
#define ID_cmbStartTime 1102
#define ID_chkMonday 1103
#define ID_chkTuesday 1104
#define ID_chkWednesday 1105
#define ID_chkThursday 1106
#define ID_chkFriday 1107
#define ID_chkSaturday 1108
#define ID_chkSunday 1109
#define ID_chkDaily 1110
#define ID_Command3 1111
#define ID_Command1 1112
#define ID_Command2 1113

// Frmoption: the "Versions" frame, a number box and its arrows per count
// (last, weekly, monthly: options::KeepBox's order).
#define ID_versionsFrame 1170
#define ID_keepLabel_0 1171
#define ID_keepLabel_1 1172
#define ID_keepLabel_2 1173
#define ID_keepAfter_0 1174
#define ID_keepAfter_1 1175
#define ID_keepAfter_2 1176
#define ID_txtKeep_0 1177
#define ID_txtKeep_1 1178
#define ID_txtKeep_2 1179
#define ID_udKeep_0 1180
#define ID_udKeep_1 1181
#define ID_udKeep_2 1182

// frmScheduler.
#define ID_lvwJobs 1120
#define ID_cmdRemove 1121
#define ID_cmdClose 1122
#define ID_cmdRunNow 1123

// frmPwd (its box is txtPassword, its buttons OK and Cancel).
#define ID_pwdLabel 1130
#define ID_cmdOK 1   /* IDOK */
#define ID_cmdExit 2 /* IDCANCEL */

// frmAbout.
#define ID_aboutIcon 1140
#define ID_lblVersion 1141
#define ID_aboutText 1142
#define ID_lblCopyright 1143
#define ID_lblWebsite 1144

// The list a choice is made from (one of a prefix's users).
#define ID_chooseLabel 1150
#define ID_lstChoices 1151

// Menu entries.
#define ID_mnuBackupNow 2000
#define ID_restorenow 2001
#define ID_mnuQuit 2002
#define ID_mnuTaskScheduler 2003
#define ID_mnuHelp 2004
#define ID_mnuWebsite 2005
#define ID_mnuAbout 2006
#define ID_mnuTestBackup 2007
#define ID_mnuOpenInstallation 2008
#define ID_mnuSelectAll 2010
#define ID_mnuDeselectAll 2011
