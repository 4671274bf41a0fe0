// SectionOpenState.cpp: which rows of the section tree are shown and which headings are open:
// revealing the current lesson, opening and closing a heading, and keeping both over a new layout.
// The saved list is an AllocOrQuit block that the caller frees; nothing else is allocated here.
#include "navigation/Navigation.h"
#include "shell/Settings.h"

#include <cstdlib>

namespace {

uint16_t NumberOf(uint16_t id) {
    return uint16_t(id & SectionIdNumberMask);
}

bool HasRows(const SectionTree* tree) {
    return tree && tree->SectionIndex && tree->Rows && tree->Rows[0].Attributes != 0;
}

void ShowRow(SectionTree* tree, SectionRow* row) {
    if (!(row->Attributes & SectionShown)) {
        row->Attributes |= SectionShown;
        ++tree->VisibleRows;
    }
}

} // namespace

void ShowRecordRows(SectionTree* tree, int row, int step) {
    if (row < 0 || row >= tree->RowCount) return;
    const uint16_t id = tree->Rows[row].Id;
    for (int i = row; i >= 0 && i < tree->RowCount && tree->Rows[i].Attributes != 0 && tree->Rows[i].Id == id;
         i += step) {
        SectionRow& r = tree->Rows[i];
        if (r.Attributes & SectionShown) continue;
        ShowRow(tree, &r);
        if (r.Id & SectionIdHeading) r.Attributes &= uint8_t(~SectionOpen); // revealed closed
    }
}

void RevealLesson(SectionTree* tree, uint16_t lesson) {
    if (lesson == 0 || !HasRows(tree)) return;
    int entry = 0;
    while (entry < tree->RowCount &&
           !(NumberOf(tree->Rows[entry].Id) == lesson && !(tree->Rows[entry].Id & SectionIdHeading)))
        ++entry;
    if (entry >= tree->RowCount || (tree->Rows[entry].Attributes & SectionShown)) return;
    ShowRecordRows(tree, entry, 1);
    int after = entry;
    while (after < tree->RowCount && tree->Rows[after].Id == tree->Rows[entry].Id)
        ++after;
    ShowRecordRows(tree, after, 1); // the record after the entry is shown too
    int limit = RowIndent(tree, &tree->Rows[entry]);
    for (int i = entry - 1; i >= 0; --i) {
        const int indent = RowIndent(tree, &tree->Rows[i]);
        if (indent < limit) { // an ancestor's last row
            ShowRecordRows(tree, i, -1);
            limit = indent;
        }
    }
    ComputeMaxTopRow(tree);
}

uint16_t* SaveOpenState(SectionTree* tree) {
    if (!HasRows(tree)) return nullptr;
    size_t pairs = 0;
    uint16_t last = 0;
    for (int i = 0; i < tree->RowCount; ++i) {
        const SectionRow& r = tree->Rows[i];
        if ((r.Attributes & SectionShown) && r.Id != last) {
            ++pairs;
            last = r.Id;
        }
    }
    if (pairs == 0) return nullptr;
    uint16_t* list = static_cast<uint16_t*>(AllocOrQuit((pairs + 1) * 2 * sizeof(uint16_t)));
    if (!list) return nullptr;
    size_t n = 0;
    last = 0;
    for (int i = 0; i < tree->RowCount; ++i) {
        const SectionRow& r = tree->Rows[i];
        if ((r.Attributes & SectionShown) && r.Id != last) {
            list[n++] = r.Id;
            list[n++] = uint16_t(r.Attributes & SectionOpen);
            last = r.Id;
        }
    }
    list[n] = 0;
    return list;
}

void RestoreOpenState(SectionTree* tree, const uint16_t* list) {
    if (!list || !HasRows(tree)) return;
    int i = 0;
    for (const uint16_t* pair = list; pair[0] != 0; pair += 2) {
        while (i < tree->RowCount && tree->Rows[i].Id != pair[0])
            ++i;
        for (; i < tree->RowCount && tree->Rows[i].Id == pair[0]; ++i) {
            SectionRow& r = tree->Rows[i];
            ShowRow(tree, &r);
            r.Attributes |= uint8_t(pair[1] & SectionOpen); // bits are only added
        }
    }
    ComputeMaxTopRow(tree);
}

int32_t ToggleSection(SectionTree* tree, int row) {
    if (!HasRows(tree) || row < 0 || row >= tree->RowCount) return 0;
    SectionRow& tapped = tree->Rows[row];
    int childIndent = RowIndent(tree, &tree->Rows[row + 1]);
    const bool wasOpen = (tapped.Attributes & SectionOpen) != 0;
    tapped.Attributes ^= SectionOpen;
    const uint16_t visibleBefore = tree->VisibleRows;
    for (int i = row + 1; i < tree->RowCount; ++i) {
        SectionRow& r = tree->Rows[i];
        const int indent = RowIndent(tree, &r);
        if (indent < childIndent) break;
        if (NumberOf(r.Id) == NumberOf(tapped.Id)) {
            // A further row of the tapped record (a heading that wraps): its children lie deeper.
            if (indent == childIndent) childIndent = RowIndent(tree, &tree->Rows[i + 1]);
            continue;
        }
        if (wasOpen && (r.Attributes & SectionShown)) {
            r.Attributes &= uint8_t(~SectionShown);
            --tree->VisibleRows;
        } else if (!wasOpen && !(r.Attributes & SectionShown) && indent == childIndent) {
            ShowRow(tree, &r);
        }
    }
    if (tree->VisibleRows != visibleBefore) ComputeMaxTopRow(tree);
    PaintSectionTree(tree, 1);
    return -int32_t(NumberOf(tapped.Id));
}
