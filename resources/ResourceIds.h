// The numbers of the plug-in's resources and of its dialogs' controls, for the resource
// script and the code alike.
#ifndef TOLVANIX_RESOURCE_IDS_H
#define TOLVANIX_RESOURCE_IDS_H

#define IDD_ENDING 101
#define IDD_SETUP 105

#define IDI_PLUGIN 104
// The animation's frames in playing order; the still icon is the first. There is no 106.
#define IDI_FRAME_STILL 105
#define IDI_FRAME_2 107
#define IDI_FRAME_3 108
#define IDI_FRAME_4 109
#define IDI_FRAME_5 110

#define IDS_TRAY_TIP 57600

#define IDC_DIALOG 1000
#define IDC_TASKTRAY_ICON 1001
#define IDC_ENDING_ICON 1002
#define IDC_HIDE_BECKY 1003
#define IDC_TOP_MOST 1004
#define IDC_ANIMATION 1005

#endif
