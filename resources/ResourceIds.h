// The numbers of the plug-in's resources and of its dialogs' controls, for the resource
// script and the code alike.
#ifndef TOLVANIX_RESOURCE_IDS_H
#define TOLVANIX_RESOURCE_IDS_H

#define IDD_ENDING 101
#define IDD_SETUP 105

#define IDI_PLUGIN 104
// The animation's frames in playing order, named after where the leaf stands over the envelope;
// the still icon is the first. There is no 106.
#define IDI_FRAME_STILL 105
#define IDI_FRAME_LEAF_LEFT 107
#define IDI_FRAME_LEAF_CENTRE 108
#define IDI_FRAME_LEAF_RIGHT 109
#define IDI_FRAME_LEAF_ON_STAMP 110

#define IDS_TRAY_TIP 57600

// The setup dialog's check boxes, and the ending dialog's icon.
#define IDC_DIALOG_BOX 1000
#define IDC_TASKTRAY_ICON_BOX 1001
#define IDC_ENDING_ICON 1002
#define IDC_HIDE_BECKY_BOX 1003
#define IDC_TOP_MOST_BOX 1004
#define IDC_ANIMATION_BOX 1005

#endif
