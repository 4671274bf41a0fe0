// MenuPopup.h: running a popup menu, for TrackPopupMenuEx and the handheld shell's bars, which
// also need to know how a popup was left (to open the next button's popup for Left / Right or a
// tap on another button).
#pragma once

#include "platform/Win32.h"

enum class MenuExit : uint8_t { Cancelled, Chosen, OutsideTap, Left, Right };

struct MenuRunResult {
    MenuExit Exit;
    UINT Command;  // with Chosen
    POINT Outside; // with OutsideTap: the tap in screen coordinates
};

// Shows the popup with its top-left at (x, y) (screen coordinates; TPM_ alignment flags apply) over
// owner's top-level window and runs it. hot >= 0 highlights the first selectable item (opened by
// keyboard). Nothing is sent to owner: the caller acts on the result.
MenuRunResult MenuRunPopup(HMENU menu, UINT flags, int x, int y, HWND owner, int hot);
// The font menus, bars and tooltips are drawn with (made once, kept for the run).
HFONT MenuFont();
