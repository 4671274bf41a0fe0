// ResourceIds.h: the numbers of the reader's resources, the commands its menus, tool buttons and
// accelerators send, and the ids of its dialog controls, shared by the resource script and the code.
// Plain #defines because the resource compiler reads this file too.
#pragma once

// Resources.
#define IDR_ACCELERATORS 3
#define IDI_KESTROVA 101
#define IDR_MENUBAR 102 // the menu-bar resource (RCDATA) and the menu with its two popups
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

// Strings: the menu bar's two button texts.
#define IDS_GO 302
#define IDS_VARNI 304

// Commands.
#define IDM_INDEX_ALT 107
#define IDM_NEXT_ARTICLE 109
#define IDM_PREVIOUS_ARTICLE 110
#define IDM_SEARCH 116
#define IDM_SEARCH_AGAIN 117
#define IDM_INDEX 119
#define IDM_REVERSE 122
#define IDM_BOOKMARK 123
#define IDM_CHECK_UPDATES 129
#define IDM_SPLIT_NONE 401
#define IDM_SPLIT_HALF 412
#define IDM_SPLIT_THIRD 413
#define IDM_SPLIT_QUARTER 414
#define IDM_SPLIT_TWO_THIRDS 423
#define IDM_SPLIT_THREE_QUARTERS 434
#define IDM_GO 40001    // the menu bar's "Go" button
#define IDM_VARNI 40003 // the menu bar's "Varni" button
#define IDM_ABOUT 40004
#define IDM_EXIT 40005
#define IDM_FONT 40006
#define IDM_COPY 40007
#define IDM_APPEND 40009

// Dialog controls. IDC_STATIC marks the controls that are never addressed.
#define IDC_STATIC (-1)
#define IDC_FONT_FACES 1001
#define IDC_FONT_SAMPLE 1002
#define IDC_FONT_BASE_224 1004
#define IDC_FONT_BASE_5D0 1005
#define IDC_FONT_SIZES 1006
#define IDC_SEARCH_TEXT 1013
#define IDC_HOME_LINK 1025

// The maker's web site: the About box's link text and the address it opens (scheme and host).
// Not a real site: the publisher of a build puts its own here.
#define KESTROVA_HOME_PAGE "https://tellgrove.example"

// The keyboard picture (bitmap IDB_KEYBOARD): three rows of nine letter keys, each
// KEYBOARD_KEY_WIDTH x KEYBOARD_KEY_HEIGHT pixels, numbered from the top right running right to
// left, and a space bar over columns 2 to 6 of the fourth row. Key k (1 to 27) types the letter
// code KEYBOARD_LETTERS[k - 1]; key 0 is the space bar. The generator that draws the picture and
// the search dialog's hit test both read these.
#define KEYBOARD_WIDTH 154
#define KEYBOARD_HEIGHT 95
#define KEYBOARD_KEY_WIDTH 17
#define KEYBOARD_KEY_HEIGHT 25
#define KEYBOARD_KEYS_PER_ROW 9
#define KEYBOARD_SPACE_FIRST_COLUMN 2
#define KEYBOARD_SPACE_LAST_COLUMN 6
#define KEYBOARD_LETTERS "abcdefghijlkmonqprsutwvxyz{"
