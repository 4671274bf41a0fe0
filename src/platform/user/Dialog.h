// Dialog.h: the dialog manager's record of a running dialog and the calls between its files
// (creation from a template, the default dialog procedure, keyboard handling, item helpers).
// The record is made when the dialog window is created and freed on its WM_NCDESTROY; it owns the
// font made from the template (deleted with it) and nothing else.
#pragma once

#include "platform/Win32.h"

struct DialogRecord {
    DLGPROC Proc;
    HFONT Font;     // the template's font, or null for the system font
    bool OwnsFont;  // Font was made for this dialog
    int BaseX;      // horizontal dialog base unit (pixels per 4 dialog units)
    int BaseY;      // vertical dialog base unit (pixels per 8 dialog units)
    bool Ended;     // EndDialog was called: the modal loop ends after the current message
    INT_PTR Result; // EndDialog's result
    HWND LastFocus; // the control that had the focus when the dialog was last deactivated
    WORD DefaultId; // DM_SETDEFID; 0: IDOK
};

// The record of a dialog window (null for any other window).
DialogRecord* DialogFind(HWND dialog);
// Registers the dialog class once.
void DialogRegisterClass();
// The dialog base units of a font (null: the system font): the average width of the alphabet's
// letters and the font's height, as Win32 computes them.
void DialogFontBaseUnits(HFONT font, int* baseX, int* baseY);
// Grows the dialog's word-wrapping static texts whose text needs more lines than their box holds
// downward into free room (DialogFit.cpp): for templates drawn in the stand-in dialog face.
void DialogFitStaticTexts(HWND dialog, HFONT font);
// Gives the focus to a control as a dialog does: an edit's whole text is selected.
void DialogSetFocus(HWND dialog, HWND control);
// The first control that takes the Tab key (WS_TABSTOP, visible, enabled), or null.
HWND DialogFirstTabItem(HWND dialog);
