// Controls.h: what the control classes share inside the platform: each control's state record,
// found from its window, and the registration of each class. A state record is attached on
// WM_NCCREATE and detached (then freed by its control) on WM_NCDESTROY.
#pragma once

#include "platform/Win32Types.h"

// Attaches state to window; false when state is null (creation then fails) or the table is full.
bool ControlAttach(HWND window, void* state);
void* ControlState(HWND window);  // null when none is attached
void* ControlDetach(HWND window); // the state, which the caller frees

// The id of a window's own vertical bar (WindowScrollBars.cpp); such a bar tells its window with a
// null control, as Win32's window bars do.
constexpr int WindowBarId = 0xFFF0;

void RegisterButtonClass();
void RegisterEditClass();
void RegisterListBoxClass();
void RegisterStaticClass();
void RegisterScrollBarClass();
