// ChooseFontDialog.h: the "Choose Font" dialog (resource 105): a face list of every installed
// family, a size list, the two letter bases and a sample of the 27 letters. It edits the FontSpec
// handed to it as its parameter, and only on OK.
#pragma once

#include "platform/Win32.h"
#include "resources/ResourceIds.h"
#include "shell/ReaderState.h"

#include <cstdint>

// UpdateFontChoice's modes.
constexpr int FontChoiceRadio = 0;
constexpr int FontChoiceOk = 1;
constexpr int FontChoiceList = 2;

// One family of the enumeration. Entries come from blocks of FontListBlock, the first of each block
// marked; the list owns the blocks.
struct FontListEntry {
    FontListEntry* Next;
    WCHAR FaceName[FontFaceCapacity];
    BYTE CharSet;
    BYTE BlockStart;
};
constexpr int FontListBlock = 25;

struct FontList {
    FontListEntry* Head;
    FontListEntry** Link; // where the next entry is linked
    FontListEntry* Free;  // the next free entry of the current block
    int FreeCount;
};
extern struct FontList FontList;

INT_PTR CALLBACK ChooseFontProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int CALLBACK AddFontFamily(const LOGFONTW* logFont, const TEXTMETRICW* metrics, DWORD fontType,
                           LPARAM lParam);
void ResetFontList();
void FreeFontList();
void FillSampleLetters(HWND dialog, int32_t base);
void UpdateFontChoice(HWND dialog, int mode);
// Places the controls for a client size (the layout the dialog takes whenever it is sized).
void LayoutFontDialog(HWND dialog, int width, int height);
