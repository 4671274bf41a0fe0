// EditModel.h: the text, selection, limit and undo of an EDIT control, without a window: what the
// edit messages and keys do to them. EditControl.cpp draws the model and routes input to it.
// Positions are UTF-16 unit indexes; the caret is one end of the selection, the anchor the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct EditModel {
    std::u16string Text;
    size_t Anchor = 0;
    size_t Caret = 0;
    size_t Limit = 0; // 0: the default limit
    bool Multiline = false;
    bool ReadOnly = false;
    bool Modified = false;
    // One level of undo, as Win32's edits keep: the text and selection before the last change.
    bool CanUndo = false;
    std::u16string UndoText;
    size_t UndoAnchor = 0, UndoCaret = 0;
};

size_t EditSelStart(const EditModel& m);
size_t EditSelEnd(const EditModel& m);
size_t EditLimit(const EditModel& m);
// EM_SETSEL: start -1 removes the selection (the caret stays); end -1 (or past the text) is the
// text's end; start 0 with end -1 selects everything. The caret goes to `end`.
void EditSetSel(EditModel* m, int64_t start, int64_t end);
// Replaces the selection with text, cut to what the limit leaves room for. Returns false when
// nothing could be inserted and nothing was selected (the limit was reached: EN_MAXTEXT).
bool EditReplaceSel(EditModel* m, const std::u16string& text, bool canUndo);
void EditSetText(EditModel* m, const std::u16string& text); // WM_SETTEXT: no limit, undo cleared
bool EditUndo(EditModel* m);                                // swaps with the undo state
// Deletes the selection, or the unit before (back) or after the caret; false when nothing changed.
bool EditDelete(EditModel* m, bool back);
// Moves the caret to pos; with extend the anchor stays, otherwise the selection collapses there.
void EditMoveCaret(EditModel* m, size_t pos, bool extend);
// The caret's neighbours, stepping over a surrogate pair as one character.
size_t EditPrevious(const EditModel& m, size_t pos);
size_t EditNext(const EditModel& m, size_t pos);
// Multi-line: the start and end (before the line break) of the line holding pos; the number of lines.
size_t EditLineStart(const EditModel& m, size_t pos);
size_t EditLineEnd(const EditModel& m, size_t pos);
size_t EditLineCount(const EditModel& m);

// One drawn line of a multi-line edit: the units [Start, End) shown on it, and Next, where the
// following line starts (after the line break, or after the spaces a wrapped line ends with: they
// hang past the edge, undrawn, as in Win32).
struct EditRow {
    size_t Start, End, Next;
};
// The pixel offsets of the units [start, end) of the text: offsets[i] is the width of the first i.
using EditMeasure = std::function<std::vector<int>(size_t start, size_t end)>;
// The drawn lines: one per hard line when width <= 0, otherwise each hard line wrapped to width
// as Win32 wraps: after the last space that fits, and a word longer than the line at the edge
// (at least one character a line, never between the halves of a surrogate pair).
std::vector<EditRow> EditRows(const EditModel& m, int width, const EditMeasure& measure);
// The row that shows pos: the last one starting at or before it.
size_t EditRowOf(const std::vector<EditRow>& rows, size_t pos);
