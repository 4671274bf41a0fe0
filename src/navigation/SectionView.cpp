// SectionView.cpp: the section tree on screen: painting its shown rows from TopRow down with a box
// beside each record, the tap that chooses an entry or opens and closes a heading, and scrolling.
// Nothing is allocated here but the memory DC of a box, deleted before returning; every font and
// colour changed on the tree's DC is put back.
#include "navigation/Navigation.h"
#include "text/TextPane.h"

namespace {

bool HasRows(const SectionTree* tree) {
    return tree && tree->SectionIndex && tree->Rows && tree->Rows[0].Attributes != 0;
}

// The first row to draw: the one after TopRow shown rows (hidden rows before it are skipped).
int FirstRowAtTop(const SectionTree* tree) {
    int i = 0, shown = 0;
    while (tree->Rows[i].Attributes != 0 && shown < tree->TopRow) {
        if (tree->Rows[i].Attributes & SectionShown) ++shown;
        ++i;
    }
    return i;
}

} // namespace

void DrawRowBox(SectionTree* tree, const SectionRow* row, int y) {
    int which = 2; // the page of an entry
    if (row->Id & SectionIdHeading) which = (row->Attributes & SectionOpen) ? 1 : 0;
    HBITMAP bitmap = ReaderState.TreeBitmaps[which];
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(tree->DC);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int offset = (int(row->Height) - TreeBoxSize) / 2;
    BitBlt(tree->DC, int(row->X) + int(row->TextWidth) + TreeBoxGap, y + (offset > 0 ? offset : 0),
           TreeBoxSize, TreeBoxSize, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

void PaintSectionTree(SectionTree* tree, int clear) {
    if (!HasRows(tree)) return;
    tree->PaintedRows = 0;
    if (tree->TopRow > tree->VisibleRows) tree->TopRow = tree->MaxTopRow;
    int i = FirstRowAtTop(tree);
    const COLORREF oldColour = GetTextColor(tree->DC);
    uint8_t style = tree->Rows[i].Attributes;
    HFONT oldFont = SelectStyleFont(tree, style, 1);
    if (clear) FillPaneRect(tree->DC, tree->Left, tree->Top, tree->Width, tree->Height, WHITE_BRUSH);
    int y = tree->Top, space = tree->Height;
    uint16_t lastId = 0;
    for (; tree->Rows[i].Attributes != 0; ++i) {
        const SectionRow& r = tree->Rows[i];
        if (r.Height > space) break;
        if (!(r.Attributes & SectionShown)) continue;
        if ((r.Attributes ^ style) & SectionStyleMask) {
            SelectStyleFont(tree, r.Attributes, 1);
            style = r.Attributes;
        }
        if (r.Id != lastId) DrawRowBox(tree, &r, y);
        lastId = r.Id;
        DrawRun(tree->DC, tree->SectionIndex + r.TextOffset, r.Length, r.X, y, r.TextWidth, r.Height);
        y += r.Height;
        space -= r.Height;
        ++tree->PaintedRows;
    }
    if (oldFont) SelectObject(tree->DC, oldFont);
    SetTextColor(tree->DC, oldColour);
}

int32_t HitTestSectionTree(SectionTree* tree, int x, int y) {
    if (!HasRows(tree)) return 0;
    if (x < tree->Left || x > tree->Left + tree->Width || y < tree->Top || y > tree->Top + tree->Height)
        return 0;
    int i = FirstRowAtTop(tree);
    int bottom = tree->Top, space = tree->Height;
    for (;; ++i) {
        const SectionRow& r = tree->Rows[i];
        if (r.Attributes == 0 || r.Height > space) return TreeChanged;
        if (!(r.Attributes & SectionShown)) continue;
        space -= r.Height;
        bottom = int16_t(uint16_t(bottom + r.Height));
        if (y <= bottom) break;
    }
    const SectionRow& r = tree->Rows[i];
    const int textRight = int(r.X) + int(r.TextWidth);
    const bool inZone = x >= int(r.X) && x <= textRight + TreeBoxZone;
    if (inZone && (r.Id & SectionIdSelectable)) return int32_t(r.Id & SectionIdNumberMask);
    if (inZone) return ToggleSection(tree, i);
    if (!(r.Id & SectionIdHeading)) return 0;
    return x <= textRight ? 0 : ToggleSection(tree, i);
}

// The view never scrolls past its last full page: every caller asks for the clamp, and it is done
// whatever the flag says.
void ScrollSectionTree(SectionTree* tree, int delta, int repaint, int /*clamp*/) {
    if (!HasRows(tree)) return;
    int top = int(tree->TopRow) + delta;
    if (top < 0) top = 0;
    if (top > tree->MaxTopRow) top = tree->MaxTopRow;
    if (top == tree->TopRow) return;
    tree->TopRow = uint16_t(top);
    if (repaint) PaintSectionTree(tree, 1);
}
