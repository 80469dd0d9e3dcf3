// Resource and command ids of the edit window, shared by ferrule.rc and the C++ code.
// Plain #defines: the resource compiler reads this file too.
#ifndef FERRULE_RESOURCES_RESOURCE_H
#define FERRULE_RESOURCES_RESOURCE_H

// Resources
#define IDC_ROTATE_WARP 1002        // cursor over the rotation and warp handles
#define IDR_EDIT_CONTEXT_MENU 1010  // its first submenu is the context menu
#define IDR_EDIT_TOOLBAR 1000       // toolbar 1000 and bitmap 1000, its 16 x 16 button images
#define RT_TOOLBAR_TYPE 241         // toolbars: version 1, button width, height, count, ids (0 a separator)
#define IDD_PICK_COLOR 1001         // the "Pick Color" dialog
#define IDC_PICK_COLOR_BUTTON 1000  // its colour button

// The colour button's window class, named by the dialog template
#define FERRULE_COLOR_PICK_BUTTON_CLASS "FerruleColorPickButton"

// Context menu commands
#define ID_ROTATE_180 32027
#define ID_ROTATE_90_CW 32028
#define ID_ROTATE_90_CCW 32029
#define ID_ENLARGE_FULL_SCREEN 32030
#define ID_ENLARGE_FULL_SCREEN_KEEP_ASPECT 32031

// Toolbar commands; their strings hold "prompt\ntooltip"
#define ID_CLIP_OPAQUE 32001
#define ID_MASK_COLOR 32002
#define ID_FRAME_COLOR 32003
#define ID_FRAME_WIDTH 32004
#define ID_FRAME_OPAQUE 32005
#define ID_EDIT_UNDO 32006
#define ID_EDIT_REDO 32007
#define ID_EDIT_CLOSE 32010

// The colour popups of ID_MASK_COLOR and ID_FRAME_COLOR
#define ID_MASK_COLOR_GALLERY 5001
#define ID_FRAME_COLOR_GALLERY 5002
#define ID_MASK_PICK_SCREEN_COLORS 32022
#define ID_FRAME_PICK_SCREEN_COLORS 32023
#define ID_MASK_MORE_COLORS 32008
#define ID_FRAME_MORE_COLORS 32009
#define ID_MASK_NO_COLOR 32026

#endif
