// ResourceIds.h: the numbers of the reader's resources, shared by the resource script and the code.
// Plain #defines because the resource compiler reads this file too.
#pragma once

#define IDI_KESTROVA 101
#define IDR_MENUBAR 102
#define IDD_ABOUT 103
#define IDD_CHOOSE_FONT 105
#define IDB_ABOUT 113
#define IDB_TOOLBAR 114
#define IDD_SEARCH 115
#define IDB_KEYBOARD 119
#define IDD_CHOOSE_SECTION 118
#define IDB_TREE_CLOSED 201
#define IDB_TREE_OPEN 202
#define IDB_TREE_LEAF 203
