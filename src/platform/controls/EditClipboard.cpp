// EditClipboard.cpp: the EDIT control's side of the clipboard: its selection copied out as
// CF_UNICODETEXT (never a password field's) and the clipboard's text read back for pasting. The
// block handed to SetClipboardData belongs to the clipboard once it is accepted.
#include "platform/controls/EditClipboard.h"

#include "platform/Win32.h"

#include <algorithm>

void EditCopySelection(HWND window, const EditModel& model) {
    size_t start = EditSelStart(model), end = EditSelEnd(model);
    if (start == end || (GetWindowLongW(window, GWL_STYLE) & ES_PASSWORD) || !OpenClipboard(window)) return;
    EmptyClipboard();
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, (end - start + 1) * sizeof(WCHAR));
    if (auto* chars = block ? static_cast<WCHAR*>(LocalLock(block)) : nullptr) {
        std::copy(model.Text.begin() + start, model.Text.begin() + end, chars);
        chars[end - start] = 0;
        LocalUnlock(block);
        if (!SetClipboardData(CF_UNICODETEXT, block)) LocalFree(block);
    }
    CloseClipboard();
}

std::u16string EditClipboardText(HWND window) {
    std::u16string text;
    if (!OpenClipboard(window)) return text;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (const auto* chars = block ? static_cast<const WCHAR*>(LocalLock(block)) : nullptr) {
        size_t limit = LocalSize(block) / sizeof(WCHAR);
        for (size_t i = 0; i < limit && chars[i]; ++i)
            text.push_back(chars[i]);
        LocalUnlock(block);
    }
    CloseClipboard();
    return text;
}
